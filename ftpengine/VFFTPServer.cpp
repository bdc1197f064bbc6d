#include "VFFTPServer.h"

#include "VdxAsciiText.h"
#include "VdxFTPServerDataModule.h"
#include "platform/os/paths.h"
#include "platform/os/winfile.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <thread>

namespace vdx {

namespace {

constexpr std::array<std::string_view, 11> kLabels = {"Started", "Stopped", "MkDir  ", "RmDir  ",
                                                      "Error  ", "Login  ", "Read   ", "Write  ",
                                                      "Delete ", "Dirlist", "RootDir"};

// While another writer holds the log file, its open is tried this often.
constexpr int kLogOpenAttempts = 11;
constexpr auto kLogRetryDelay = std::chrono::milliseconds(100);

struct UserFacts {
    bool admin = false;
    bool info = false; // Info flag and the server's info switch
    bool text = false; // TXT flag and the server's teletext switch
};

// One snapshot of the users table and one of the settings, so a reload in
// between cannot mix two tables within one decision.
UserFacts FactsOf(const TFGlobals& globals, const std::string& user) {
    UserFacts facts;
    const auto entry = globals.FindUser(user);
    if (!entry)
        return facts;
    const TSettings settings = globals.Settings();
    facts.admin = entry->Admin;
    facts.info = settings.UseVdxInfo && entry->Info;
    facts.text = settings.UseVdxText && entry->TXT;
    return facts;
}

bool WriteAllowed(const UserFacts& facts, std::string_view flat) {
    return facts.admin || (facts.info && flat.starts_with("vdxinfotransfer")) ||
           (facts.text && flat.starts_with("vdxtxtservertransfer"));
}

} // namespace

std::string_view FtpEventLabel(TFtpEventKind kind) {
    return kLabels.at(static_cast<std::size_t>(kind));
}

bool IsNonExistentRoot(std::string_view root) {
    return root == kNoSuchRoot || root == kNoSuchRoot.substr(0, kNoSuchRoot.size() - 1);
}

TFFTPServer::TFFTPServer(TFGlobals& globals)
    : m_globals(globals), m_dataModule(std::make_unique<TVFTPServerDataModule>()) {
    m_dataModule->OnAccessQuery = [this](TFtpEventKind kind, std::string& rootDir, bool& allowed,
                                         const std::string& path, const std::string& peerIP,
                                         const std::string& password, const std::string& userName) {
        HandleAccessQuery(kind, rootDir, allowed, path, peerIP, password, userName);
    };
    m_dataModule->OnLogLine = [this](const std::string& line) { HandleLogLine(line); };
    m_dataModule->SetActive(false);
    m_dataModule->ApplySettings(m_globals.Settings());
}

// The data module goes first: it logs Stopped through this object.
TFFTPServer::~TFFTPServer() {
    m_dataModule.reset();
}

void TFFTPServer::SetActive(bool value) {
    m_dataModule->SetActive(value);
}

void TFFTPServer::HandleAccessQuery(TFtpEventKind kind, std::string& rootDir, bool& allowed,
                                    const std::string& path, const std::string& /*peerIP*/,
                                    const std::string& password, const std::string& userName) {
    switch (kind) {
    case TFtpEventKind::MkDir:
    case TFtpEventKind::RmDir:
        allowed = IsAdmin(userName);
        break;
    case TFtpEventKind::Login:
        allowed = m_globals.CheckLogin(userName, password);
        break;
    case TFtpEventKind::Read:
        allowed = CanRead(userName, path);
        break;
    case TFtpEventKind::Write:
        allowed = CanWrite(userName, path);
        break;
    case TFtpEventKind::Delete:
        allowed = CanDelete(userName, path);
        break;
    default:
        break;
    }
    rootDir = IsAdmin(userName) ? m_globals.Settings().AdminRootDir : NonAdminRoot(path);
}

void TFFTPServer::HandleLogLine(const std::string& line) {
    AppendToLogFile(line);
    if (OnLogLine)
        OnLogLine(line);
}

void TFFTPServer::AppendToLogFile(const std::string& line) {
    const std::string path = m_globals.GetLogFileName();
    const std::string record = line + "\r\n";
    std::scoped_lock lock(m_logMutex);
    for (int attempt = 1;; ++attempt) {
        // Others may only read while we write, so a second writer (another
        // program) fails to open and retries instead of interleaving.
        auto file = os::File::TryOpen(path, os::Access::Write, os::Share::Read,
                                      os::Disposition::OpenAlways);
        if (file) {
            file->Seek(0, SEEK_END);
            file->WriteAll(record.data(), record.size());
            return;
        }
        if (attempt == kLogOpenAttempts)
            return;
        std::this_thread::sleep_for(kLogRetryDelay);
    }
}

bool TFFTPServer::IsAdmin(const std::string& user) const {
    return FactsOf(m_globals, user).admin;
}

bool TFFTPServer::HasInfoRight(const std::string& user) const {
    return FactsOf(m_globals, user).info;
}

bool TFFTPServer::HasTextRight(const std::string& user) const {
    return FactsOf(m_globals, user).text;
}

bool TFFTPServer::CanWrite(const std::string& user, const std::string& path) const {
    return WriteAllowed(FactsOf(m_globals, user), FlattenPath(path));
}

bool TFFTPServer::CanDelete(const std::string& user, const std::string& path) const {
    return CanWrite(user, path);
}

bool TFFTPServer::CanRead(const std::string& user, const std::string& path) const {
    const UserFacts facts = FactsOf(m_globals, user);
    const std::string flat = FlattenPath(path);
    return WriteAllowed(facts, flat) || (facts.info && flat.starts_with("vdxinfolog")) ||
           (facts.text && flat.starts_with("vdxtxtserverlog"));
}

std::string TFFTPServer::FlattenPath(std::string_view path) {
    std::string flat;
    flat.reserve(path.size());
    for (const char c : path)
        if (c != '/' && c != '\\')
            flat += AsciiLowerChar(c);
    return flat;
}

std::string TFFTPServer::NonAdminRoot(const std::string& path) const {
    const std::string flat = FlattenPath(path);
    std::string root(kNoSuchRoot.substr(0, kNoSuchRoot.size() - 1));
    if (flat.starts_with("vdxinfo") || flat.starts_with("vdxtxtserver")) {
        const TSettings settings = m_globals.Settings();
        root = flat.starts_with("vdxinfo") ? settings.VdxInfoRoot : settings.VdxTextRoot;
    }
    return os::IncludeTrailingPathDelimiter(root);
}

} // namespace vdx
