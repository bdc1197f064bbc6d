#include "ftpengine/VFFTPServer.h"

#include "ftpengine/VdxFTPServerDataModule.h"
#include "ftpengine/VdxFtpPaths.h"
#include "platform/os/paths.h"

#include <utility>

namespace vdx {

namespace {

struct UserFacts {
    bool admin = false;
    bool info = false; // Info flag and the server's info switch
    bool text = false; // TXT flag and the server's teletext switch
};

// The facts of one user from one snapshot of the users table and of the
// settings, so a reload in between cannot mix two tables within one decision.
UserFacts FactsOf(const TFGlobals& globals, const std::string& user, const TSettings& settings) {
    UserFacts facts;
    const auto entry = globals.FindUser(user);
    if (!entry)
        return facts;
    facts.admin = entry->Admin;
    facts.info = settings.UseVdxInfo && entry->Info;
    facts.text = settings.UseVdxText && entry->TXT;
    return facts;
}

UserFacts FactsOf(const TFGlobals& globals, const std::string& user) {
    return FactsOf(globals, user, globals.Settings());
}

bool WriteAllowed(const UserFacts& facts, std::string_view flat) {
    return facts.admin || (facts.info && flat.starts_with("vdxinfotransfer")) ||
           (facts.text && flat.starts_with("vdxtxtservertransfer"));
}

// The upload areas, flattened: what a non-administrator may write begins with one of them.
constexpr std::string_view kUploadAreas[] = {"vdxinfotransfer", "vdxtxtservertransfer"};

// An area itself and every folder above it hold the uploads of every user and
// the teletext server's pickup: only an administrator takes them away (by a
// rename or a remove); what lies inside stays the users' to change.
bool DeleteAllowed(const UserFacts& facts, std::string_view flat) {
    if (facts.admin)
        return true;
    for (const std::string_view area : kUploadAreas)
        if (area.starts_with(flat))
            return false;
    return WriteAllowed(facts, flat);
}

bool ReadAllowed(const UserFacts& facts, std::string_view flat) {
    return WriteAllowed(facts, flat) || (facts.info && flat.starts_with("vdxinfolog")) ||
           (facts.text && flat.starts_with("vdxtxtserverlog"));
}

std::string NonAdminRootOf(std::string_view flat, const TSettings& settings) {
    std::string root(kNoSuchRoot.substr(0, kNoSuchRoot.size() - 1));
    if (flat.starts_with("vdxinfo"))
        root = settings.VdxInfoRoot;
    if (flat.starts_with("vdxtxtserver"))
        root = settings.VdxTextRoot;
    return os::IncludeTrailingPathDelimiter(root);
}

// The receiver, for lines logged once created is set.
TLogLineEvent OnceCreated(const TLogLineEvent& receiver, const std::atomic<bool>& created) {
    if (!receiver)
        return {};
    return [&receiver, &created](const std::string& line) {
        if (created.load(std::memory_order_acquire))
            receiver(line);
    };
}

} // namespace

TFFTPServer::TFFTPServer(TFGlobals& globals, TLogLineEvent onLogLine)
    : OnLogLine(std::move(onLogLine)), m_globals(globals),
      m_logWriter(globals.GetLogFileName(), OnceCreated(OnLogLine, m_created)),
      m_dataModule(std::make_unique<TVFTPServerDataModule>()) {
    m_dataModule->OnAccessQuery = [this](TFtpEventKind kind, std::string& rootDir, bool& allowed,
                                         const std::string& path, const std::string& peerIP,
                                         const std::string& password, const std::string& userName) {
        HandleAccessQuery(kind, rootDir, allowed, path, peerIP, password, userName);
    };
    m_dataModule->OnLogLine = [this](const std::string& line) { HandleLogLine(line); };
    m_dataModule->SetActive(false);
    m_dataModule->ApplySettings(m_globals.Settings());
    m_created.store(true, std::memory_order_release);
}

// The data module goes first: it logs Stopped through this object; the
// writer then writes it and whatever else is still queued.
TFFTPServer::~TFFTPServer() {
    m_dataModule.reset();
}

void TFFTPServer::SetActive(bool value) {
    m_dataModule->SetActive(value);
}

void TFFTPServer::HandleAccessQuery(TFtpEventKind kind, std::string& rootDir, bool& allowed,
                                    const std::string& path, const std::string& /*peerIP*/,
                                    const std::string& password, const std::string& userName) {
    if (kind == TFtpEventKind::Login)
        allowed = m_globals.CheckLogin(userName, password);
    // Permission and root from one look at the user and the settings.
    const TSettings settings = m_globals.Settings();
    const UserFacts facts = FactsOf(m_globals, userName, settings);
    const std::string flat = FlattenPath(path);
    switch (kind) {
    case TFtpEventKind::MkDir:
    case TFtpEventKind::RmDir:
        allowed = facts.admin;
        break;
    case TFtpEventKind::Read:
        allowed = ReadAllowed(facts, flat);
        break;
    case TFtpEventKind::Write:
        allowed = WriteAllowed(facts, flat);
        break;
    case TFtpEventKind::Delete:
        allowed = DeleteAllowed(facts, flat);
        break;
    default:
        break;
    }
    rootDir = facts.admin ? settings.AdminRootDir : NonAdminRootOf(flat, settings);
}

void TFFTPServer::HandleLogLine(const std::string& line) {
    AppendToLogFile(line);
}

void TFFTPServer::AppendToLogFile(const std::string& line) {
    m_logWriter.Push(line);
}

void TFFTPServer::FlushLog() {
    m_logWriter.Flush();
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
    return DeleteAllowed(FactsOf(m_globals, user), FlattenPath(path));
}

bool TFFTPServer::CanRead(const std::string& user, const std::string& path) const {
    return ReadAllowed(FactsOf(m_globals, user), FlattenPath(path));
}

std::string TFFTPServer::FlattenPath(std::string_view path) {
    return vdx::FlattenPath(path);
}

std::string TFFTPServer::NonAdminRoot(const std::string& path) const {
    return NonAdminRootOf(FlattenPath(path), m_globals.Settings());
}

} // namespace vdx
