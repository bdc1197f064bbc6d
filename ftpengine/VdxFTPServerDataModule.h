#pragma once
// The FTP data module: holds the FTP protocol engine, asks the server object
// for roots and permissions through OnAccessQuery and hands finished log
// lines to OnLogLine. The engine and its event handlers join this class later;
// this is what the server object relies on.

#include "VFFTPServer.h"
#include "VFGlobals.h"

#include <string>
#include <string_view>

namespace vdx {

class TVFTPServerDataModule {
public:
    TVFTPServerDataModule() = default;
    // The engine's connection threads hold this object's address.
    TVFTPServerDataModule(const TVFTPServerDataModule&) = delete;
    TVFTPServerDataModule& operator=(const TVFTPServerDataModule&) = delete;
    // Switches the engine off and logs Stopped.
    ~TVFTPServerDataModule();

    // Set by the server object before the engine is switched on.
    TAccessQueryEvent OnAccessQuery;
    TLogLineEvent OnLogLine;

    // The last value given to SetActive.
    bool Active() const noexcept { return m_active; }
    // The copy taken by ApplySettings.
    const TSettings& Settings() const noexcept { return m_settings; }

    // Switches the engine on or off; when switched on, logs Started.
    void SetActive(bool value);
    // Keeps a copy of the settings for the engine; port and passive values
    // take effect at the next start.
    void ApplySettings(const TSettings& settings);

    // Asks OnAccessQuery whether the login is valid; false when unassigned.
    bool QueryLogin(const std::string& userName, const std::string& password,
                    const std::string& peerIP);

    // Raises OnLogLine with the five-field line: timestamp, user name, peer
    // address, label of kind, detail, separated by TAB.
    void Log(TFtpEventKind kind, const std::string& userName, const std::string& peerIP,
             const std::string& detail);
    // The same without a connection and without detail (Started, Stopped).
    void Log(TFtpEventKind kind);
    // Raises OnLogLine with the two-field line: timestamp, TAB, message.
    void LogException(const std::string& message);

    // "\" becomes "/", then each "//" becomes "/" in one left-to-right pass,
    // so a run of three or four separators leaves two.
    static std::string NormalizePath(std::string_view path);
    // Removes trailing "/" and "\"; an all-separator path becomes empty.
    static std::string StripTrailingDelimiters(std::string_view path);

private:
    bool m_active = false;
    TSettings m_settings;
};

} // namespace vdx
