#pragma once
// The file behind one registry hive and the folders the registry lives in;
// used by registry.cpp only.

#include "platform/os/registry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vdx::os::detail {

// $XDG_CONFIG_HOME (default ~/.config) and the first folder of
// $XDG_CONFIG_DIRS (default /etc/xdg), each with a trailing "/"; read afresh
// at every call. Relative entries are ignored, as the XDG rules say.
std::string ConfigHome();
std::string FirstConfigDir();

// Creates folder and its missing parents (exact names, no case matching).
bool MakeFolders(const std::string& folder, unsigned mode);
// Whether folder could be written: itself, or the nearest existing parent
// when it does not exist yet.
bool CanWriteFolder(const std::string& folder);

// Key paths: levels joined by "\", no leading or trailing "\", no empty level;
// "" is the hive's root.
std::string NormalizeKeyPath(std::string_view key);
bool KeyPathsEqual(std::string_view a, std::string_view b);

struct RegValue {
    std::string name;
    std::variant<std::string, std::int32_t, std::vector<std::uint8_t>> data;
    RegDataType Type() const;
};

struct RegKeyNode {
    std::string path; // as created
    std::vector<RegValue> values;
    RegValue* FindValue(std::string_view name);
    const RegValue* FindValue(std::string_view name) const;
};

// A hive in memory. The text form, one line each:
//   [Software\Vardex\VdxFtpserver]     a key ("%" and control bytes as %HH)
//   "Left"=dword:00000064              an integer (32 bits, hexadecimal)
//   "Caption"="a \"b\"\x09c"           a string (\\, \" and \xHH escapes)
//   "Blob"=hex:01,ff                   binary data
// Lines starting with ";" and empty lines are ignored.
class RegistryStore {
public:
    RegistryStore();
    // Throws ERegistryException naming the line that does not parse.
    static RegistryStore Parse(std::string_view text, const std::string& fileName);
    // A missing file gives an empty hive; throws ERegistryException when the
    // file cannot be read or is damaged.
    static RegistryStore Load(const std::string& fileName);
    std::string Serialize() const;

    const RegKeyNode* FindKey(std::string_view path) const;
    RegKeyNode* FindKey(std::string_view path);
    // Creates the key and its missing parents; keeps the case of existing levels.
    RegKeyNode& CreateKey(std::string_view path);
    // The key with all below it; false when missing (the root cannot go).
    bool DeleteKey(std::string_view path);
    std::vector<std::string> SubKeyNames(std::string_view path) const;

private:
    std::vector<RegKeyNode> m_keys; // m_keys[0] is the root
};

// Runs change on the hive in fileName under an exclusive lock file and saves
// the hive atomically when change returns true. Throws ERegistryException
// when the hive cannot be read or saved.
void ModifyStore(const std::string& fileName, unsigned folderMode,
                 const std::function<bool(RegistryStore&)>& change);

} // namespace vdx::os::detail
