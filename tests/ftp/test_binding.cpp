#include "test_binding.h"

#include "platform/ftp/stream.h"
#include "platform/os/winfile.h"

#include <cmath>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace vdx::test {

namespace fs = std::filesystem;
using namespace vdx::ftp;
using vdx::os::TDateTime;

namespace {

constexpr double kUnixEpochDays = 25569.0;

TDateTime ToDateTime(const timespec& ts) {
    return kUnixEpochDays + (static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9) / 86400.0;
}

timespec ToTimespec(TDateTime value) {
    const double seconds = (value - kUnixEpochDays) * 86400.0;
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(std::llround(seconds));
    return ts;
}

void FillItem(TIdFTPListOutputItem& item, const std::string& name, const fs::path& disk) {
    struct stat st {};
    if (::lstat(disk.c_str(), &st) != 0)
        throw std::runtime_error("Cannot read " + name);
    item.FileName = name;
    const bool dir = S_ISDIR(st.st_mode);
    item.ItemType = dir ? TIdDirItemType::ditDirectory : TIdDirItemType::ditFile;
    item.Size = dir ? 0 : st.st_size;
    item.NumberBlocks = (item.Size + 1023) / 1024;
    item.ModifiedDate = ToDateTime(st.st_mtim);
    item.CreationDate = item.ModifiedDate;
    item.LastAccessDate = ToDateTime(st.st_atim);
    const bool readOnly = (st.st_mode & S_IWUSR) == 0;
    item.WinAttribute =
        (dir ? vdx::os::FILE_ATTRIBUTE_DIRECTORY : vdx::os::FILE_ATTRIBUTE_ARCHIVE) |
        (readOnly ? vdx::os::FILE_ATTRIBUTE_READONLY : 0u);
    const std::string perms = dir ? (readOnly ? "r-x" : "rwx") : (readOnly ? "r--" : "rw-");
    item.UnixOwnerPermissions = item.UnixGroupPermissions = item.UnixOthersPermissions = perms;
}

// A stream on a "disk" that is full after limit bytes.
class FullDiskStream final : public TStream {
public:
    explicit FullDiskStream(std::size_t limit) : m_limit(limit) {}
    std::size_t Read(void*, std::size_t) override { return 0; }
    void Write(const void* buffer, std::size_t count) override {
        if (m_bytes.Size() + static_cast<std::int64_t>(count) > static_cast<std::int64_t>(m_limit))
            throw std::runtime_error("There is not enough space on the disk.");
        m_bytes.Write(buffer, count);
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        return m_bytes.Seek(offset, origin);
    }
    std::int64_t Size() override { return m_bytes.Size(); }
    void SetSize(std::int64_t size) override { m_bytes.SetSize(size); }

private:
    std::size_t m_limit;
    TMemoryStream m_bytes;
};

std::unique_ptr<TStream> OpenStream(const fs::path& disk, vdx::os::Access access,
                                    vdx::os::Disposition disposition) {
    return std::make_unique<TFileStream>(
        vdx::os::File::Open(disk.string(), access, vdx::os::Share::None, disposition));
}

} // namespace

TestFtpServer::TestFtpServer() {
    TIdFTPServer& s = m_server;
    s.DefaultPort = 0;
    s.Compressor = std::make_shared<TIdCompressorZLibEx>();
    s.MLSDFacts = {TIdMLSDAttr::mlsdFileCreationTime, TIdMLSDAttr::mlsdFileLastAccessTime,
                   TIdMLSDAttr::mlsdWin32Attributes};
    s.DataTimeout = std::chrono::seconds(5);
    // Tests that refuse logins would otherwise wait a second for each.
    s.FailedLoginDelay = std::chrono::milliseconds(20);

    s.OnUserLogin = [this](TIdFTPServerContext&, const std::string& user,
                           const std::string& password, bool& authenticated) {
        Note("LOGIN " + user);
        if (user == "broken")
            throw std::runtime_error("Users file damaged");
        authenticated = user == kFtpUser && password == kFtpPassword;
    };
    s.OnChangeDirectory = [this](TIdFTPServerContext& ctx, std::string& dir) {
        Note("CWD " + dir);
        if (!fs::is_directory(Disk(dir)))
            dir = ctx.CurrentDir; // as the data module does: the folder stays
    };
    s.OnListDirectory = [this](TIdFTPServerContext&, const std::string& path,
                               TIdFTPListOutput& listing, const std::string& cmd,
                               const std::string& switches) {
        Note(cmd + " " + path);
        if (switches.find('s') != std::string::npos)
            listing.Switches += "s";
        const fs::path disk = Disk(path);
        if (fs::is_directory(disk)) {
            for (const auto& entry : fs::directory_iterator(disk))
                FillItem(listing.Add(), entry.path().filename().string(), entry.path());
        } else if (fs::exists(disk)) {
            FillItem(listing.Add(), disk.filename().string(), disk);
        }
    };
    s.OnMLST = [this](TIdFTPServerContext&, const std::string& path, TIdFTPListOutput& listing) {
        Note("MLST " + path);
        FillItem(listing.Add(), path, Disk(path));
    };
    s.OnStoreFile = [this](TIdFTPServerContext&, const std::string& name, bool append,
                           std::unique_ptr<TStream>& stream) {
        Note((append ? "APPE " : "STOR ") + name);
        if (name.find("refused") != std::string::npos)
            return;
        if (name.find("fulldisk") != std::string::npos) {
            stream = std::make_unique<FullDiskStream>(1024 * 1024);
            return;
        }
        // What is there stays until the data connection is made; the FTP component cuts it then.
        const auto disposition =
            append ? vdx::os::Disposition::OpenExisting : vdx::os::Disposition::OpenAlways;
        stream = OpenStream(Disk(name), vdx::os::Access::Write, disposition);
    };
    s.OnRetrieveFile = [this](TIdFTPServerContext&, const std::string& name,
                              std::unique_ptr<TStream>& stream) {
        Note("RETR " + name);
        if (name.find("refused") != std::string::npos)
            return;
        stream = OpenStream(Disk(name), vdx::os::Access::Read, vdx::os::Disposition::OpenExisting);
    };
    s.OnCRCFile = [this](TIdFTPServerContext&, const std::string& name,
                         std::unique_ptr<TStream>& stream) {
        Note("CRC " + name);
        stream = OpenStream(Disk(name), vdx::os::Access::Read, vdx::os::Disposition::OpenExisting);
    };
    s.OnDeleteFile = [this](TIdFTPServerContext&, const std::string& path) {
        Note("DELE " + path);
        fs::remove(Disk(path));
    };
    s.OnMakeDirectory = [this](TIdFTPServerContext&, std::string& dir) {
        Note("MKD " + dir);
        fs::create_directories(Disk(dir));
    };
    s.OnRemoveDirectory = [this](TIdFTPServerContext&, std::string& dir) {
        Note("RMD " + dir);
        std::error_code ec;
        fs::remove(Disk(dir), ec);
    };
    s.OnRenameFile = [this](TIdFTPServerContext&, const std::string& from, const std::string& to) {
        Note("RENAME " + from + " " + to);
        if (to.find("refused") != std::string::npos)
            throw EFTPReplyError(553, "Rename refused.");
        fs::rename(Disk(from), Disk(to));
    };
    s.OnCombineFiles = [this](TIdFTPServerContext&, const std::string& target,
                              const std::vector<std::string>& parts) {
        std::string call = "COMB " + target;
        for (const auto& part : parts)
            call += " " + part;
        Note(call);
        std::ofstream out(Disk(target), std::ios::binary | std::ios::app);
        for (const auto& part : parts) {
            out << ReadFileBytes(Disk(part));
            fs::remove(Disk(part));
        }
    };
    s.OnGetFileSize = [this](TIdFTPServerContext&, const std::string& name, std::int64_t& size) {
        Note("SIZE " + name);
        std::error_code ec;
        const auto n = fs::file_size(Disk(name), ec);
        size = ec ? -1 : static_cast<std::int64_t>(n);
    };
    s.OnGetFileDate = [this](TIdFTPServerContext&, const std::string& name, TDateTime& date) {
        Note("MDTM " + name);
        struct stat st {};
        if (::stat(Disk(name).c_str(), &st) != 0)
            throw std::runtime_error("No such file");
        date = ToDateTime(st.st_mtim);
    };
    s.OnSetModifiedTime = [this](TIdFTPServerContext&, const std::string& name, TDateTime& time) {
        Note("SETMTIME " + name);
        // Stored with the 2-second resolution of the DOS form, like the data module does.
        const timespec wanted = ToTimespec(time);
        timespec times[2] = {{0, UTIME_OMIT}, {wanted.tv_sec - wanted.tv_sec % 2, 0}};
        if (::utimensat(AT_FDCWD, Disk(name).c_str(), times, 0) != 0)
            throw std::runtime_error("File Operation Aborted");
        struct stat st {};
        ::stat(Disk(name).c_str(), &st);
        time = ToDateTime(st.st_mtim);
    };
    s.OnSiteUTIME = [this](TIdFTPServerContext&, const std::string& name, TDateTime& access,
                           TDateTime& modified, TDateTime& created, bool& authorized) {
        Note("UTIME " + name);
        if (name.find("locked") != std::string::npos) {
            authorized = false;
            return;
        }
        timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
        if (access > 0)
            times[0] = ToTimespec(access);
        if (modified > 0)
            times[1] = ToTimespec(modified);
        ::utimensat(AT_FDCWD, Disk(name).c_str(), times, 0);
        (void)created;
    };
    s.OnSetATTRIB = [this](TIdFTPServerContext&, std::uint32_t& attributes, const std::string& name,
                           bool&) {
        Note("ATTRIB " + name);
        const fs::path disk = Disk(name);
        if (!fs::exists(disk)) {
            attributes = vdx::os::INVALID_FILE_ATTRIBUTES;
            return;
        }
        const bool readOnly = attributes & vdx::os::FILE_ATTRIBUTE_READONLY;
        fs::permissions(disk, fs::perms::owner_write,
                        readOnly ? fs::perm_options::remove : fs::perm_options::add);
        attributes =
            vdx::os::FILE_ATTRIBUTE_ARCHIVE | (readOnly ? vdx::os::FILE_ATTRIBUTE_READONLY : 0u);
    };
    s.OnFileExistCheck = [this](TIdFTPServerContext&, const std::string& path, bool& exists) {
        Note("EXISTS " + path);
        exists = fs::is_regular_file(Disk(path));
    };
    s.OnStat = [](TIdFTPServerContext& ctx, std::vector<std::string>& lines) {
        lines.push_back("Logged in as " + ctx.UserName);
        lines.push_back(ctx.DataChannelActive ? "Data Connection Active" : "No Data Connection");
    };
    s.OnDisconnect = [this](TIdFTPServerContext&) {
        std::scoped_lock lock(m_mutex);
        ++m_disconnects;
    };
    s.OnException = [this](TIdFTPServerContext*, const std::exception& error) {
        std::scoped_lock lock(m_mutex);
        m_exceptions.emplace_back(error.what());
    };
}

TestFtpServer::~TestFtpServer() {
    // The connection threads call back into this object: end them before its members go.
    m_server.SetActive(false);
}

void TestFtpServer::Start() {
    m_server.SetActive(true);
}

fs::path TestFtpServer::Disk(const std::string& ftpPath) const {
    return m_root.Path().string() + ftpPath;
}

void TestFtpServer::Note(const std::string& call) {
    std::scoped_lock lock(m_mutex);
    m_calls.push_back(call);
}

std::vector<std::string> TestFtpServer::Exceptions() const {
    std::scoped_lock lock(m_mutex);
    return m_exceptions;
}

int TestFtpServer::Disconnects() const {
    std::scoped_lock lock(m_mutex);
    return m_disconnects;
}

std::vector<std::string> TestFtpServer::Calls() const {
    std::scoped_lock lock(m_mutex);
    return m_calls;
}

bool TestFtpServer::WaitForConnections(std::size_t count, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (m_server.ConnectionCount() != count) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace vdx::test
