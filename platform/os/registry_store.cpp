#include "platform/os/registry_store.h"

#include "platform/os/ascii.h"
#include "platform/os/atomic_file.h"
#include "platform/os/file_error.h"
#include "platform/os/paths.h"
#include "platform/os/read_file.h"
#include "platform/os/winfile_internal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vdx::os::detail {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
// Far more than any number of settings.
constexpr std::size_t kMaxRegistryFileBytes = 64u << 20;

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/')
        return home;
    passwd pw{};
    passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr)
        return found->pw_dir;
    return "/";
}

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

void AppendHexByte(std::string& out, unsigned char c) {
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
}

std::string EscapeKeyPath(std::string_view path) {
    std::string out;
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsControl(c) || c == '%') {
            out += '%';
            AppendHexByte(out, c);
        } else {
            out += ch;
        }
    }
    return out;
}

bool UnescapeKeyPath(std::string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int hi = HexDigitValue(text[i + 1]), lo = HexDigitValue(text[i + 2]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

std::string QuoteString(std::string_view s) {
    std::string out = "\"";
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '\\' || ch == '"') {
            out += '\\';
            out += ch;
        } else if (IsControl(c)) {
            out += "\\x";
            AppendHexByte(out, c);
        } else {
            out += ch;
        }
    }
    out += '"';
    return out;
}

// Reads a quoted string at text[pos] and moves pos past it.
bool ReadQuoted(std::string_view text, std::size_t& pos, std::string& out) {
    if (pos >= text.size() || text[pos] != '"')
        return false;
    for (++pos; pos < text.size(); ++pos) {
        const char ch = text[pos];
        if (ch == '"') {
            ++pos;
            return true;
        }
        if (ch != '\\') {
            out += ch;
            continue;
        }
        if (++pos >= text.size())
            return false;
        if (text[pos] == '\\' || text[pos] == '"') {
            out += text[pos];
        } else if (text[pos] == 'x' && pos + 2 < text.size()) {
            const int hi = HexDigitValue(text[pos + 1]), lo = HexDigitValue(text[pos + 2]);
            if (hi < 0 || lo < 0)
                return false;
            out += static_cast<char>(hi * 16 + lo);
            pos += 2;
        } else {
            return false;
        }
    }
    return false;
}

bool ParseData(std::string_view text, RegValue& value) {
    if (!text.empty() && text.front() == '"') {
        std::size_t pos = 0;
        std::string s;
        if (!ReadQuoted(text, pos, s) || pos != text.size())
            return false;
        value.data = std::move(s);
        return true;
    }
    if (text.starts_with("dword:")) {
        text.remove_prefix(6);
        if (text.empty() || text.size() > 8)
            return false;
        std::uint32_t n = 0;
        for (const char c : text) {
            const int d = HexDigitValue(c);
            if (d < 0)
                return false;
            n = n * 16 + static_cast<std::uint32_t>(d);
        }
        value.data = static_cast<std::int32_t>(n);
        return true;
    }
    if (text.starts_with("hex:")) {
        text.remove_prefix(4);
        std::vector<std::uint8_t> bytes;
        while (!text.empty()) {
            if (text.size() < 2 || HexDigitValue(text[0]) < 0 || HexDigitValue(text[1]) < 0)
                return false;
            bytes.push_back(
                static_cast<std::uint8_t>(HexDigitValue(text[0]) * 16 + HexDigitValue(text[1])));
            text.remove_prefix(2);
            if (!text.empty()) {
                if (text.front() != ',' || text.size() == 1)
                    return false;
                text.remove_prefix(1);
            }
        }
        value.data = std::move(bytes);
        return true;
    }
    return false;
}

std::string SerializeData(const RegValue& value) {
    if (const auto* s = std::get_if<std::string>(&value.data))
        return QuoteString(*s);
    if (const auto* n = std::get_if<std::int32_t>(&value.data)) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<std::uint32_t>(*n));
        return buf;
    }
    std::string out = "hex:";
    const auto& bytes = std::get<std::vector<std::uint8_t>>(value.data);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0)
            out += ',';
        AppendHexByte(out, bytes[i]);
    }
    return out;
}

bool IsBelow(std::string_view path, std::string_view parent) {
    if (parent.empty())
        return !path.empty();
    return path.size() > parent.size() && path[parent.size()] == '\\' &&
           EqualsIgnoringAsciiCase(path.substr(0, parent.size()), parent);
}

// Holds an exclusive lock on a lock file beside the hive while it lives.
class StoreLock {
public:
    explicit StoreLock(const std::string& fileName) {
        const std::string lockName = fileName + ".lock";
        m_fd.Reset(::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600));
        if (!m_fd)
            throw ERegistryException("Cannot lock the registry file \"" + fileName + "\". " +
                                     SysErrorMessage(errno));
        while (::flock(m_fd.Get(), LOCK_EX) != 0 && errno == EINTR) {
        }
    }

private:
    UniqueFd m_fd; // the lock goes with the descriptor
};

} // namespace

std::string ConfigHome() {
    if (const char* dir = std::getenv("XDG_CONFIG_HOME"); dir != nullptr && *dir == '/')
        return IncludeTrailingPathDelimiter(dir);
    return IncludeTrailingPathDelimiter(HomeFolder()) + ".config/";
}

std::string FirstConfigDir() {
    if (const char* dirs = std::getenv("XDG_CONFIG_DIRS"); dirs != nullptr) {
        std::string_view rest = dirs;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view entry = rest.substr(0, colon);
            if (!entry.empty() && entry.front() == '/')
                return IncludeTrailingPathDelimiter(entry);
            if (colon == std::string_view::npos)
                break;
            rest.remove_prefix(colon + 1);
        }
    }
    return "/etc/xdg/";
}

bool MakeFolders(const std::string& folder, unsigned mode) {
    const std::string path = ExcludeTrailingPathDelimiter(folder);
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) == 0)
        return path.empty() || S_ISDIR(st.st_mode);
    const std::string parent = ExtractFilePath(path);
    if (!parent.empty() && parent != "/" && !MakeFolders(parent, mode))
        return false;
    return ::mkdir(path.c_str(), mode) == 0 ||
           (errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

bool CanWriteFolder(const std::string& folder) {
    std::string path = ExcludeTrailingPathDelimiter(folder);
    for (;;) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0)
            return S_ISDIR(st.st_mode) && ::access(path.c_str(), W_OK | X_OK) == 0;
        if (errno != ENOENT)
            return false;
        path = ExcludeTrailingPathDelimiter(ExtractFilePath(path));
        if (path.empty())
            return false;
    }
}

std::string NormalizeKeyPath(std::string_view key) {
    std::string out;
    while (!key.empty()) {
        const std::size_t sep = key.find('\\');
        const std::string_view level = key.substr(0, sep);
        if (!level.empty()) {
            if (!out.empty())
                out += '\\';
            out += level;
        }
        if (sep == std::string_view::npos)
            break;
        key.remove_prefix(sep + 1);
    }
    return out;
}

bool KeyPathsEqual(std::string_view a, std::string_view b) {
    return EqualsIgnoringAsciiCase(a, b);
}

RegDataType RegValue::Type() const {
    switch (data.index()) {
    case 0:
        return RegDataType::String;
    case 1:
        return RegDataType::Integer;
    default:
        return RegDataType::Binary;
    }
}

RegValue* RegKeyNode::FindValue(std::string_view name) {
    for (auto& v : values)
        if (EqualsIgnoringAsciiCase(v.name, name))
            return &v;
    return nullptr;
}

const RegValue* RegKeyNode::FindValue(std::string_view name) const {
    return const_cast<RegKeyNode*>(this)->FindValue(name);
}

RegistryStore::RegistryStore() : m_keys(1) {}

RegistryStore RegistryStore::Parse(std::string_view text, const std::string& fileName) {
    RegistryStore store;
    RegKeyNode* current = nullptr;
    std::size_t lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == ';')
            continue;
        bool ok = false;
        if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
            std::string path;
            ok = UnescapeKeyPath(line.substr(1, line.size() - 2), path);
            if (ok)
                current = &store.CreateKey(NormalizeKeyPath(path));
        } else if (line.front() == '"' && current != nullptr) {
            RegValue value;
            std::size_t pos = 0;
            ok = ReadQuoted(line, pos, value.name) && pos < line.size() && line[pos] == '=' &&
                 ParseData(line.substr(pos + 1), value);
            if (ok) {
                if (RegValue* existing = current->FindValue(value.name))
                    existing->data = std::move(value.data);
                else
                    current->values.push_back(std::move(value));
            }
        }
        if (!ok)
            throw ERegistryException("The registry file \"" + fileName + "\" is damaged at line " +
                                     std::to_string(lineNo) + ".");
    }
    return store;
}

RegistryStore RegistryStore::Load(const std::string& fileName) {
    std::optional<std::string> text;
    try {
        text = ReadFileBytes(fileName, kMaxRegistryFileBytes);
    } catch (const FileError& e) {
        throw ERegistryException("Cannot read the registry file \"" + fileName + "\". " +
                                 SysErrorMessage(e.Error()));
    }
    if (!text)
        return RegistryStore();
    return Parse(*text, fileName);
}

std::string RegistryStore::Serialize() const {
    std::string out = "; Registry hive of the Vardex programs; keys in [], values below them.\n";
    for (const auto& key : m_keys) {
        if (key.path.empty() && key.values.empty())
            continue;
        out += "\n[" + EscapeKeyPath(key.path) + "]\n";
        for (const auto& value : key.values)
            out += QuoteString(value.name) + "=" + SerializeData(value) + "\n";
    }
    return out;
}

const RegKeyNode* RegistryStore::FindKey(std::string_view path) const {
    for (const auto& key : m_keys)
        if (KeyPathsEqual(key.path, path))
            return &key;
    return nullptr;
}

RegKeyNode* RegistryStore::FindKey(std::string_view path) {
    return const_cast<RegKeyNode*>(std::as_const(*this).FindKey(path));
}

RegKeyNode& RegistryStore::CreateKey(std::string_view path) {
    std::string current;
    RegKeyNode* node = &m_keys.front();
    const std::string normalized = NormalizeKeyPath(path);
    std::string_view rest = normalized;
    while (!rest.empty()) {
        const std::size_t sep = rest.find('\\');
        const std::string candidate = current.empty()
                                          ? std::string(rest.substr(0, sep))
                                          : current + "\\" + std::string(rest.substr(0, sep));
        node = FindKey(candidate);
        if (node == nullptr) {
            m_keys.push_back(RegKeyNode{candidate, {}});
            node = &m_keys.back();
        }
        current = node->path;
        if (sep == std::string_view::npos)
            break;
        rest.remove_prefix(sep + 1);
    }
    return *node;
}

bool RegistryStore::DeleteKey(std::string_view path) {
    if (path.empty() || FindKey(path) == nullptr)
        return false;
    std::erase_if(m_keys, [&](const RegKeyNode& key) {
        return KeyPathsEqual(key.path, path) || IsBelow(key.path, path);
    });
    return true;
}

std::vector<std::string> RegistryStore::SubKeyNames(std::string_view path) const {
    std::vector<std::string> names;
    for (const auto& key : m_keys) {
        if (!IsBelow(key.path, path))
            continue;
        const std::string_view rest =
            std::string_view(key.path).substr(path.empty() ? 0 : path.size() + 1);
        if (rest.find('\\') == std::string_view::npos)
            names.emplace_back(rest);
    }
    return names;
}

void ModifyStore(const std::string& fileName, unsigned folderMode,
                 const std::function<bool(RegistryStore&)>& change) {
    const std::string folder = ExtractFilePath(fileName);
    if (!MakeFolders(folder, folderMode))
        throw ERegistryException("Cannot create the registry folder \"" + folder + "\". " +
                                 SysErrorMessage(errno));
    const StoreLock lock(fileName);
    RegistryStore store = RegistryStore::Load(fileName);
    if (!change(store))
        return;
    try {
        WriteFileAtomically(fileName, store.Serialize());
    } catch (const FileError& e) {
        throw ERegistryException(e.what());
    }
}

} // namespace vdx::os::detail
