#pragma once
// A small binding of the FTP server's events to one temporary folder, standing in for the data
// module: one user, every FTP path mapped below the folder, files opened through vdx::os::File.

#include "platform/ftp/ftp_server.h"

#include "TempDir.h"

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace vdx::test {

inline constexpr const char* kFtpUser = "user";
inline constexpr const char* kFtpPassword = "secret";

class TestFtpServer {
public:
    // Binds the events; the server listens on a port the system chooses once Start() runs.
    TestFtpServer();
    ~TestFtpServer();
    TestFtpServer(const TestFtpServer&) = delete;
    TestFtpServer& operator=(const TestFtpServer&) = delete;

    vdx::ftp::TIdFTPServer& Server() { return m_server; }
    void Start(); // Active := true on port 0
    std::uint16_t Port() const { return m_server.BoundPort(); }
    const std::filesystem::path& Root() const { return m_root.Path(); }
    std::filesystem::path Disk(const std::string& ftpPath) const;

    // Messages OnException received, and how many connections ended (OnDisconnect).
    std::vector<std::string> Exceptions() const;
    int Disconnects() const;
    // Paths handed to events, in order ("LIST /a", "RETR /b" ...).
    std::vector<std::string> Calls() const;

    // Waits up to timeout for ConnectionCount() to drop to count.
    bool WaitForConnections(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    void Note(const std::string& call);

    TempDir m_root;
    vdx::ftp::TIdFTPServer m_server;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_exceptions;
    std::vector<std::string> m_calls;
    int m_disconnects = 0;
};

} // namespace vdx::test
