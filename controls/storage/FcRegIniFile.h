#pragma once
// Settings storage for components: an ini file or a registry key, chosen by
// properties, built lazily on the first read or write after a change.
//
// TMemIniFile is our ini-file class: sections and keys matched without regard
// to ASCII case, the file's order kept (comments and unknown lines too),
// values kept exactly as written, the whole file rewritten atomically.

#include "platform/os/registry.h"

#include <QObject>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vdx {

// Raised when an ini file cannot be written; the message names the file and
// the reason.
class EIniFileException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An ini file held in memory. Reads come from memory; UpdateFile writes the
// whole store back.
class TMemIniFile {
public:
    // Reads fileName; a missing or unreadable file gives an empty store.
    explicit TMemIniFile(std::string fileName);

    const std::string& FileName() const noexcept { return m_fileName; }

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& ident) const;

    // The value as written after "="; def when the key is absent.
    std::string ReadString(const std::string& section, const std::string& ident,
                           const std::string& def) const;
    // Decimal value (blanks around it allowed); def when absent or not a number.
    int ReadInteger(const std::string& section, const std::string& ident, int def) const;
    // ReadInteger != 0; def when absent or not a number.
    bool ReadBool(const std::string& section, const std::string& ident, bool def) const;

    // Replaces the value of an existing key in place, or appends the key (and
    // the section) at the end. Memory only: call UpdateFile to store.
    void WriteString(const std::string& section, const std::string& ident,
                     const std::string& value);
    void WriteInteger(const std::string& section, const std::string& ident, int value);
    void WriteBool(const std::string& section, const std::string& ident, bool value); // "1"/"0"

    // Names as first written, in file order.
    std::vector<std::string> ReadSections() const;
    std::vector<std::string> ReadSection(const std::string& section) const; // key names

    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& ident);
    void Clear();

    // The store as file text (the line break of the file read, else "\n").
    std::string Text() const;
    // Writes Text() to FileName atomically; throws EIniFileException (the
    // file is then unchanged).
    void UpdateFile() const;

private:
    struct Line {
        std::string key;  // empty for a raw line (comment, blank, no "=")
        std::string text; // the value after "=", or the whole raw line
    };
    struct Section {
        std::string name;
        bool hasHeader = true; // false for lines before the first section
        std::vector<Line> lines;
    };

    void Load(const std::string& text);
    const Section* FindSection(const std::string& name) const;
    Section* FindSection(const std::string& name);
    const Line* FindKey(const std::string& section, const std::string& ident) const;

    std::string m_fileName;
    std::string m_lineBreak = "\n";
    std::vector<Section> m_sections;
};

enum class TFcPathType { ptIniFile, ptRegistry };

enum class TFcRegKey {
    hkeyClassesRoot,
    hkeyCurrentUser,
    hkeyLocalMachine,
    hkeyUsers,
    hkeyPerformanceData,
    hkeyCurrentConfig,
    hkeyDynData
};
// HKEY_CLASSES_ROOT ($80000000) .. HKEY_DYN_DATA ($80000006).
std::uint32_t RegKeyValue(TFcRegKey key) noexcept;

enum class TFcRegAccessKey {
    keyQueryValue,
    keySetValue,
    keyCreateSubKey,
    keyEnumerateSubKeys,
    keyNotify,
    keyCreateLink,
    keyRead,
    keyWrite,
    keyExecute,
    keyAllAccess
};
// KEY_QUERY_VALUE ($1) .. KEY_ALL_ACCESS ($F003F).
std::uint32_t RegAccessKeyValue(TFcRegAccessKey key) noexcept;

// A set of TFcRegAccessKey, held in 16 bits like the streamed property.
class TFcRegAccess {
public:
    constexpr TFcRegAccess() = default;
    constexpr TFcRegAccess(std::initializer_list<TFcRegAccessKey> keys) {
        for (TFcRegAccessKey k : keys)
            Include(k);
    }
    constexpr bool Contains(TFcRegAccessKey k) const noexcept { return (m_bits & Bit(k)) != 0; }
    constexpr void Include(TFcRegAccessKey k) noexcept { m_bits |= Bit(k); }
    constexpr void Exclude(TFcRegAccessKey k) noexcept {
        m_bits = static_cast<std::uint16_t>(m_bits & ~Bit(k));
    }
    constexpr std::uint16_t Bits() const noexcept { return m_bits; }
    friend constexpr bool operator==(TFcRegAccess, TFcRegAccess) = default;

private:
    static constexpr std::uint16_t Bit(TFcRegAccessKey k) noexcept {
        return static_cast<std::uint16_t>(1u << static_cast<unsigned>(k));
    }
    std::uint16_t m_bits = 0;
};
// The bitwise OR of the members' access masks.
std::uint32_t RegAccessMask(TFcRegAccess access) noexcept;

enum class TFcSpecialFolder {
    sfNone,
    sfUserAppDataRoaming, // CSIDL_APPDATA (26): $XDG_CONFIG_HOME
    sfUserAppDataLocal,   // CSIDL_LOCAL_APPDATA (28): $XDG_DATA_HOME
    sfUserDocuments,      // CSIDL_PERSONAL (5): $HOME/Documents
    sfProgramData         // CSIDL_COMMON_APPDATA (35): first of $XDG_CONFIG_DIRS
};
// The CSIDL number of a special folder; 0 for sfNone.
int SpecialFolderCsidl(TFcSpecialFolder folder) noexcept;

enum class TFcIniFileEncoding { feDefault, feUTF8, feUnicode };

// The folder a CSIDL stands for, with a trailing "/", from the one map of
// special folders (platform/shell/special_folders.h); empty for the desktop,
// for a CSIDL it does not map or when the folder cannot be named (no $HOME).
std::string GetSpecialFolderPath(int csidl);

// GetSpecialFolderPath(folder) + subPath with every missing folder created,
// ending in "/"; empty for sfNone or an unmapped folder.
std::string SpecialFolderDirectory(TFcSpecialFolder folder, const std::string& subPath);

// Settings storage in an ini file or below a registry key. In registry
// storage a section is a subkey of the opened key and a name a value in it.
class TFcRegIniFile : public QObject {
    Q_OBJECT
public:
    explicit TFcRegIniFile(QObject* owner = nullptr);
    ~TFcRegIniFile() override;

    // What the user set until the storage is built, the resolved file name or
    // key path afterwards. The resolution always starts from what the user
    // set, so rebuilding never resolves a resolved path again.
    const std::string& Path() const noexcept;
    TFcPathType PathType() const noexcept { return m_pathType; }
    TFcRegKey RegKey() const noexcept { return m_regKey; }
    TFcRegAccess RegAccess() const noexcept { return m_regAccess; }
    TFcSpecialFolder SpecialFolder() const noexcept { return m_specialFolder; }
    TFcIniFileEncoding FileEncoding() const noexcept { return m_fileEncoding; }

    // Each stores a different value and marks the storage for rebuilding.
    virtual void SetPath(const std::string& value);
    virtual void SetPathType(TFcPathType value);
    virtual void SetRegKey(TFcRegKey value);
    virtual void SetRegAccess(TFcRegAccess value);
    virtual void SetSpecialFolder(TFcSpecialFolder value);
    virtual void SetFileEncoding(TFcIniFileEncoding value); // kept, not used

    // Readers give def for an absent value. All four throw
    // vdx::os::ERegistryException when the registry key cannot be opened
    // for the requested access (with read access only, also when it does
    // not exist: reading cannot create it); writes to ini storage reach the file at
    // once and throw EIniFileException when it cannot be written.
    bool ReadBool(const std::string& section, const std::string& name, bool def);
    void WriteBool(const std::string& section, const std::string& name, bool value);
    int ReadInteger(const std::string& section, const std::string& name, int def);
    void WriteInteger(const std::string& section, const std::string& name, int value);

    // Builds the storage object when a property changed since the last build.
    void RefreshStorage();
    // Writes the ini store to its file; nothing for registry storage.
    void UpdateFile();

private:
    class RegistryStore;

    std::string ResolveIniPath() const;
    std::string ResolveRegistryPath() const;

    std::string m_path;         // as the user set it
    std::string m_resolvedPath; // after the last build
    bool m_resolved = false;
    TFcPathType m_pathType = TFcPathType::ptIniFile;
    TFcRegKey m_regKey = TFcRegKey::hkeyCurrentUser;
    TFcRegAccess m_regAccess{TFcRegAccessKey::keyAllAccess};
    TFcSpecialFolder m_specialFolder = TFcSpecialFolder::sfNone;
    TFcIniFileEncoding m_fileEncoding = TFcIniFileEncoding::feDefault;
    bool m_refresh = true;
    std::unique_ptr<TMemIniFile> m_ini;
    std::unique_ptr<RegistryStore> m_registry;
};

} // namespace vdx
