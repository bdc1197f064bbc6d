#pragma once
// A file-backed registry with the Windows registry's model: two hives, keys
// matched without regard to case, typed values. Each change is saved at once
// and atomically, so several processes see one another's writes.
//
// Store files: HKEY_CURRENT_USER in $XDG_CONFIG_HOME (default ~/.config)
// "/vardex/registry/HKEY_CURRENT_USER"; HKEY_LOCAL_MACHINE in the first
// folder of $XDG_CONFIG_DIRS (default /etc/xdg) "/vardex/registry/HKEY_LOCAL_MACHINE".
//
// The values of "Software\Microsoft\Windows\CurrentVersion\Run" are XDG
// autostart entries instead: value Name is "<Name>.desktop" with Exec= the
// data, in $XDG_CONFIG_HOME/autostart (current user) or in the first folder
// of $XDG_CONFIG_DIRS + "/autostart" (local machine). Opening that key for
// writing fails where the folder cannot be written.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vdx::os {

enum class RootKey { CurrentUser, LocalMachine };

enum class RegDataType { None, String, Integer, Binary };

class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Key names use "\" between levels, as on Windows; a leading "\" is allowed.
class TRegistry {
public:
    explicit TRegistry(RootKey root = RootKey::CurrentUser);

    RootKey Root() const noexcept { return m_root; }
    // False when the key does not exist and canCreate is false, or when the
    // store cannot be written.
    bool OpenKey(const std::string& key, bool canCreate);
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();
    const std::string& CurrentPath() const noexcept { return m_current; }

    bool KeyExists(const std::string& key) const;
    bool DeleteKey(const std::string& key);          // with its sub-keys
    std::vector<std::string> GetKeyNames() const;    // of the open key
    std::vector<std::string> GetValueNames() const;  // of the open key

    bool ValueExists(const std::string& name) const;
    RegDataType GetDataType(const std::string& name) const;
    bool DeleteValue(const std::string& name);

    // Readers throw ERegistryException for a value of another type; a missing
    // string reads as "" and a missing integer throws.
    std::string ReadString(const std::string& name) const;
    int ReadInteger(const std::string& name) const;
    bool ReadBool(const std::string& name) const;  // integer value, non-zero = true
    std::vector<std::uint8_t> ReadBinaryData(const std::string& name) const;

    // Writers throw ERegistryException when no key is open for writing or the
    // store cannot be saved.
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, int value);
    void WriteBool(const std::string& name, bool value);
    void WriteBinaryData(const std::string& name, const std::vector<std::uint8_t>& data);

private:
    RootKey m_root;
    std::string m_current;  // normalised path of the open key, empty when none
    bool m_open = false;
    bool m_writable = false;
};

} // namespace vdx::os
