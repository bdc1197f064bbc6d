#include "controls/storage/FcRegIniFile.h"

#include "platform/gui/message_box.h"
#include "platform/os/ascii.h"
#include "platform/os/atomic_file.h"
#include "platform/os/file_error.h"
#include "platform/os/paths.h"
#include "platform/os/winfile.h"
#include "platform/shell/special_folders.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

namespace vdx {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

bool HasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

std::optional<int> ParseInteger(const std::string& text) {
    const std::string t = Trim(text);
    if (t.empty())
        return std::nullopt;
    const char* first = t.data();
    const char* last = t.data() + t.size();
    if (*first == '+')
        ++first;
    int value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last)
        return std::nullopt;
    return value;
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

// ---------------------------------------------------------------------------
// TMemIniFile

TMemIniFile::TMemIniFile(std::string fileName) : m_fileName(os::ResolveCase(fileName)) {
    Load(ReadWholeFile(m_fileName));
}

void TMemIniFile::Load(const std::string& text) {
    m_sections.clear();
    const std::size_t firstBreak = text.find('\n');
    if (firstBreak != std::string::npos && firstBreak > 0 && text[firstBreak - 1] == '\r')
        m_lineBreak = "\r\n";
    Section* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();

        const std::string trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[' && trimmed.find(']') != std::string::npos) {
            const std::string name = Trim(trimmed.substr(1, trimmed.find(']') - 1));
            // A section that appears twice is one section, as readers see it.
            current = FindSection(name);
            if (!current)
                current = &m_sections.emplace_back(Section{name, true, {}});
            continue;
        }
        if (!current)
            current = &m_sections.emplace_back(Section{"", false, {}});
        const std::size_t eq = line.find('=');
        const bool comment = !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
        std::string key = eq == std::string::npos ? std::string() : Trim(line.substr(0, eq));
        if (comment || key.empty())
            current->lines.push_back({"", line});
        else
            current->lines.push_back({std::move(key), line.substr(eq + 1)});
    }
}

const TMemIniFile::Section* TMemIniFile::FindSection(const std::string& name) const {
    for (const Section& s : m_sections) {
        if (s.hasHeader && os::EqualsIgnoringAsciiCase(s.name, name))
            return &s;
    }
    return nullptr;
}

TMemIniFile::Section* TMemIniFile::FindSection(const std::string& name) {
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const TMemIniFile::Line* TMemIniFile::FindKey(const std::string& section,
                                              const std::string& ident) const {
    const Section* s = FindSection(section);
    if (!s)
        return nullptr;
    for (const Line& l : s->lines) {
        if (!l.key.empty() && os::EqualsIgnoringAsciiCase(l.key, ident))
            return &l;
    }
    return nullptr;
}

bool TMemIniFile::SectionExists(const std::string& section) const {
    return FindSection(section) != nullptr;
}

bool TMemIniFile::ValueExists(const std::string& section, const std::string& ident) const {
    return FindKey(section, ident) != nullptr;
}

std::string TMemIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& def) const {
    const Line* l = FindKey(section, ident);
    return l ? l->text : def;
}

int TMemIniFile::ReadInteger(const std::string& section, const std::string& ident, int def) const {
    const Line* l = FindKey(section, ident);
    if (!l)
        return def;
    return ParseInteger(l->text).value_or(def);
}

bool TMemIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TMemIniFile::WriteString(const std::string& section, const std::string& ident,
                              const std::string& value) {
    // A line break, or a name the file could not give back, would change
    // other entries of the file when it is read again.
    if (HasLineBreak(section) || section.find(']') != std::string::npos || Trim(section) != section)
        throw EIniFileException("Invalid section name \"" + section + "\" for file \"" +
                                m_fileName + "\"");
    const std::string key = Trim(ident);
    if (key != ident || key.empty() || HasLineBreak(key) || key.find('=') != std::string::npos ||
        key.front() == '[' || key.front() == ';' || key.front() == '#')
        throw EIniFileException("Invalid key name \"" + ident + "\" in section \"" + section +
                                "\" of file \"" + m_fileName + "\"");
    if (HasLineBreak(value))
        throw EIniFileException("The value of key \"" + ident + "\" in section \"" + section +
                                "\" holds a line break and cannot be written to file \"" +
                                m_fileName + "\"");

    Section* s = FindSection(section);
    if (!s) {
        if (!m_sections.empty()) {
            auto& lines = m_sections.back().lines;
            if (!lines.empty() && !(lines.back().key.empty() && Trim(lines.back().text).empty()))
                lines.push_back({"", ""});
        }
        s = &m_sections.emplace_back(Section{section, true, {}});
    }
    for (Line& l : s->lines) {
        if (!l.key.empty() && os::EqualsIgnoringAsciiCase(l.key, ident)) {
            l.text = value;
            return;
        }
    }
    // After the section's last non-blank line, so the blank line that parts
    // it from the next section stays below.
    auto at = s->lines.end();
    while (at != s->lines.begin()) {
        const Line& prev = *(at - 1);
        if (!prev.key.empty() || !Trim(prev.text).empty())
            break;
        --at;
    }
    s->lines.insert(at, {ident, value});
}

void TMemIniFile::WriteInteger(const std::string& section, const std::string& ident, int value) {
    WriteString(section, ident, std::to_string(value));
}

void TMemIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

std::vector<std::string> TMemIniFile::ReadSections() const {
    std::vector<std::string> names;
    for (const Section& s : m_sections) {
        if (s.hasHeader)
            names.push_back(s.name);
    }
    return names;
}

std::vector<std::string> TMemIniFile::ReadSection(const std::string& section) const {
    std::vector<std::string> names;
    if (const Section* s = FindSection(section)) {
        for (const Line& l : s->lines) {
            if (!l.key.empty())
                names.push_back(l.key);
        }
    }
    return names;
}

void TMemIniFile::EraseSection(const std::string& section) {
    std::erase_if(m_sections, [&](const Section& s) {
        return s.hasHeader && os::EqualsIgnoringAsciiCase(s.name, section);
    });
}

void TMemIniFile::DeleteKey(const std::string& section, const std::string& ident) {
    if (Section* s = FindSection(section))
        std::erase_if(s->lines, [&](const Line& l) {
            return !l.key.empty() && os::EqualsIgnoringAsciiCase(l.key, ident);
        });
}

void TMemIniFile::Clear() {
    m_sections.clear();
}

std::string TMemIniFile::Text() const {
    std::string out;
    for (const Section& s : m_sections) {
        if (s.hasHeader)
            out += "[" + s.name + "]" + m_lineBreak;
        for (const Line& l : s.lines) {
            if (!l.key.empty())
                out += l.key + "=";
            out += l.text + m_lineBreak;
        }
    }
    return out;
}

void TMemIniFile::UpdateFile() const {
    try {
        os::WriteFileAtomically(m_fileName, Text());
    } catch (const os::FileError& e) {
        throw EIniFileException(e.what());
    }
}

// ---------------------------------------------------------------------------
// Enumerations

std::uint32_t RegKeyValue(TFcRegKey key) noexcept {
    return 0x80000000u + static_cast<std::uint32_t>(key);
}

std::uint32_t RegAccessKeyValue(TFcRegAccessKey key) noexcept {
    switch (key) {
    case TFcRegAccessKey::keyQueryValue:
        return 0x1;
    case TFcRegAccessKey::keySetValue:
        return 0x2;
    case TFcRegAccessKey::keyCreateSubKey:
        return 0x4;
    case TFcRegAccessKey::keyEnumerateSubKeys:
        return 0x8;
    case TFcRegAccessKey::keyNotify:
        return 0x10;
    case TFcRegAccessKey::keyCreateLink:
        return 0x20;
    case TFcRegAccessKey::keyRead:
    case TFcRegAccessKey::keyExecute:
        return 0x20019;
    case TFcRegAccessKey::keyWrite:
        return 0x20006;
    case TFcRegAccessKey::keyAllAccess:
        return 0xF003F;
    }
    return 0;
}

std::uint32_t RegAccessMask(TFcRegAccess access) noexcept {
    std::uint32_t mask = 0;
    for (int k = 0; k <= static_cast<int>(TFcRegAccessKey::keyAllAccess); ++k) {
        const auto key = static_cast<TFcRegAccessKey>(k);
        if (access.Contains(key))
            mask |= RegAccessKeyValue(key);
    }
    return mask;
}

int SpecialFolderCsidl(TFcSpecialFolder folder) noexcept {
    switch (folder) {
    case TFcSpecialFolder::sfNone:
        return 0;
    case TFcSpecialFolder::sfUserAppDataRoaming:
        return 26;
    case TFcSpecialFolder::sfUserAppDataLocal:
        return 28;
    case TFcSpecialFolder::sfUserDocuments:
        return 5;
    case TFcSpecialFolder::sfProgramData:
        return 35;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Special folders

std::string GetSpecialFolderPath(int csidl) {
    // The desktop is no place for storage.
    return csidl == shell::CSIDL_DESKTOP ? std::string() : shell::SpecialFolderPath(csidl);
}

std::string SpecialFolderDirectory(TFcSpecialFolder folder, const std::string& subPath) {
    const std::string base = GetSpecialFolderPath(SpecialFolderCsidl(folder));
    if (base.empty())
        return {};
    std::string sub = subPath;
    while (!sub.empty() && sub.front() == '/')
        sub.erase(0, 1);
    const std::string dir = os::IncludeTrailingPathDelimiter(base + sub);
    // A folder that cannot be made shows up when the file is written.
    os::ForceDirectories(dir);
    return dir;
}

// ---------------------------------------------------------------------------
// TFcRegIniFile

// The opened registry key of registry storage. Each section access opens its
// own TRegistry on the full key path.
class TFcRegIniFile::RegistryStore {
public:
    RegistryStore(TFcRegKey rootKey, std::string path, std::uint32_t access)
        : m_root(Root(rootKey)), m_path(Normalise(path)), m_writable((access & (0x2u | 0x4u)) != 0),
          m_rootName(RootName(rootKey)) {
        os::TRegistry reg(m_root);
        // Read access cannot create the key: a missing key fails as one that
        // cannot be opened.
        const bool opened = m_writable ? reg.OpenKey(m_path, true) : reg.OpenKeyReadOnly(m_path);
        if (!opened)
            throw os::ERegistryException("Failed to open registry key \"" + m_rootName + "\\" +
                                         m_path + "\"");
    }

    int ReadInteger(const std::string& section, const std::string& name, int def) const {
        os::TRegistry reg(m_root);
        if (!reg.OpenKeyReadOnly(KeyOf(section)) || !reg.ValueExists(name))
            return def;
        switch (reg.GetDataType(name)) {
        case os::RegDataType::Integer:
            return reg.ReadInteger(name);
        case os::RegDataType::String:
            return ParseInteger(reg.ReadString(name)).value_or(def);
        default:
            return def;
        }
    }

    void WriteInteger(const std::string& section, const std::string& name, int value) const {
        os::TRegistry reg(m_root);
        if (!m_writable)
            throw os::ERegistryException("Registry key \"" + m_rootName + "\\" + KeyOf(section) +
                                         "\" is open for reading only");
        if (!reg.OpenKey(KeyOf(section), true))
            throw os::ERegistryException("Failed to create registry key \"" + m_rootName + "\\" +
                                         KeyOf(section) + "\"");
        reg.WriteInteger(name, value);
    }

private:
    static os::RootKey Root(TFcRegKey key) {
        switch (key) {
        case TFcRegKey::hkeyCurrentUser:
            return os::RootKey::CurrentUser;
        case TFcRegKey::hkeyLocalMachine:
            return os::RootKey::LocalMachine;
        default:
            throw os::ERegistryException("Registry root " + RootName(key) +
                                         " is not available on this system");
        }
    }

    static std::string RootName(TFcRegKey key) {
        static const char* const names[] = {
            "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
            "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};
        return names[static_cast<int>(key)];
    }

    static std::string Normalise(std::string path) {
        while (!path.empty() && path.front() == '\\')
            path.erase(0, 1);
        while (!path.empty() && path.back() == '\\')
            path.pop_back();
        return path;
    }

    std::string KeyOf(const std::string& section) const {
        const std::string sub = Normalise(section);
        if (sub.empty())
            return m_path;
        return m_path.empty() ? sub : m_path + "\\" + sub;
    }

    os::RootKey m_root;
    std::string m_path;
    bool m_writable;
    std::string m_rootName;
};

TFcRegIniFile::TFcRegIniFile(QObject* owner) : QObject(owner) {}

TFcRegIniFile::~TFcRegIniFile() = default;

const std::string& TFcRegIniFile::Path() const noexcept {
    return m_resolved ? m_resolvedPath : m_path;
}

void TFcRegIniFile::SetPath(const std::string& value) {
    if (value == Path())
        return;
    m_path = value;
    m_resolved = false;
    m_refresh = true;
}

void TFcRegIniFile::SetPathType(TFcPathType value) {
    if (value == m_pathType)
        return;
    m_pathType = value;
    m_refresh = true;
}

void TFcRegIniFile::SetRegKey(TFcRegKey value) {
    if (value == m_regKey)
        return;
    m_regKey = value;
    m_refresh = true;
}

void TFcRegIniFile::SetRegAccess(TFcRegAccess value) {
    if (value == m_regAccess)
        return;
    m_regAccess = value;
    m_refresh = true;
}

void TFcRegIniFile::SetSpecialFolder(TFcSpecialFolder value) {
    if (value == m_specialFolder)
        return;
    m_specialFolder = value;
    m_refresh = true;
}

void TFcRegIniFile::SetFileEncoding(TFcIniFileEncoding value) {
    if (value == m_fileEncoding)
        return;
    m_fileEncoding = value;
    m_refresh = true;
}

std::string TFcRegIniFile::ResolveIniPath() const {
    const std::string programName = os::ExtractFileName(os::ProgramPath());
    std::string p = m_path;
    // An absolute path names its folder already; it is not put below the
    // special folder.
    if (m_specialFolder != TFcSpecialFolder::sfNone && (p.empty() || p.front() != '/')) {
        const std::string dir = SpecialFolderDirectory(m_specialFolder, os::ExtractFilePath(p));
        if (!dir.empty()) {
            const std::string name = os::ExtractFileName(p);
            p = dir + os::ChangeFileExt(name.empty() ? programName : name, ".ini");
        }
    }
    if (p.empty())
        return os::ChangeFileExt(os::ProgramPath(), ".ini");
    if (os::ExtractFilePath(p).empty())
        return os::ExtractFilePath(os::ProgramPath()) + os::ChangeFileExt(p, ".ini");
    return p;
}

std::string TFcRegIniFile::ResolveRegistryPath() const {
    if (!m_path.empty())
        return m_path;
    std::string title = gui::ApplicationTitle();
    if (title.empty())
        title = os::ChangeFileExt(os::ExtractFileName(os::ProgramPath()), "");
    return "\\Software\\Temp\\" + title;
}

void TFcRegIniFile::RefreshStorage() {
    if (!m_refresh)
        return;
    m_ini.reset();
    m_registry.reset();
    std::string p;
    if (m_pathType == TFcPathType::ptIniFile) {
        p = ResolveIniPath();
        m_ini = std::make_unique<TMemIniFile>(p);
    } else {
        p = ResolveRegistryPath();
        m_registry = std::make_unique<RegistryStore>(m_regKey, p, RegAccessMask(m_regAccess));
    }
    m_resolvedPath = std::move(p);
    m_resolved = true;
    m_refresh = false;
}

void TFcRegIniFile::UpdateFile() {
    if (m_ini)
        m_ini->UpdateFile();
}

bool TFcRegIniFile::ReadBool(const std::string& section, const std::string& name, bool def) {
    return ReadInteger(section, name, def ? 1 : 0) != 0;
}

void TFcRegIniFile::WriteBool(const std::string& section, const std::string& name, bool value) {
    WriteInteger(section, name, value ? 1 : 0);
}

int TFcRegIniFile::ReadInteger(const std::string& section, const std::string& name, int def) {
    RefreshStorage();
    if (m_registry)
        return m_registry->ReadInteger(section, name, def);
    return m_ini->ReadInteger(section, name, def);
}

void TFcRegIniFile::WriteInteger(const std::string& section, const std::string& name, int value) {
    RefreshStorage();
    if (m_registry) {
        m_registry->WriteInteger(section, name, value);
        return;
    }
    m_ini->WriteInteger(section, name, value);
    UpdateFile();
}

} // namespace vdx
