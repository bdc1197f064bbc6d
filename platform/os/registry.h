#pragma once
// A file-backed registry with the Windows registry's model: two hives, keys
// matched without regard to case, typed values. Each change is saved at once
// and atomically, so several processes see one another's writes.
//
// Store files: HKEY_CURRENT_USER in $XDG_CONFIG_HOME (default ~/.config)
// "/vardex/registry/HKEY_CURRENT_USER"; HKEY_LOCAL_MACHINE in the first
// folder of $XDG_CONFIG_DIRS (default /etc/xdg) "/vardex/registry/HKEY_LOCAL_MACHINE".
// The environment is read at every call. A store file is plain text, one
// key or value a line (see registry_store.h); every call reads it afresh, and
// every change is a read-modify-write under a lock file beside it. A store
// file that does not parse is never overwritten: opens and tests give false,
// readers and writers throw.
//
// The values of "Software\Microsoft\Windows\CurrentVersion\Run" are XDG
// autostart entries instead: value Name is "<Name>.desktop" with Exec= the
// data, in $XDG_CONFIG_HOME/autostart (current user) or in the first folder
// of $XDG_CONFIG_DIRS + "/autostart" (local machine). Opening that key for
// writing fails where the folder cannot be created or written. Its values
// are strings only; ReadString gives back exactly the command written.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace vdx::os {

enum class RootKey { CurrentUser, LocalMachine };

enum class RegDataType { None, String, Integer, Binary };

class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Key names use "\" between levels, as on Windows; a leading "\" is allowed.
// Every key name is taken from the hive's root (never relative to the open
// key). Key and value names are matched without regard to ASCII case and keep
// the case they were created with.
class TRegistry {
public:
    explicit TRegistry(RootKey root = RootKey::CurrentUser);

    RootKey Root() const noexcept { return m_root; }
    // Opens the key for reading and writing. False when the key does not
    // exist and canCreate is false, or when the store cannot be written (as
    // a full-access open fails without the rights on Windows).
    bool OpenKey(const std::string& key, bool canCreate);
    // False when the key does not exist.
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();
    // The open key as stored ("Software\Vardex"), "" for the root or none.
    const std::string& CurrentPath() const noexcept { return m_current; }

    bool KeyExists(const std::string& key) const;
    bool DeleteKey(const std::string& key);         // with its sub-keys
    std::vector<std::string> GetKeyNames() const;   // of the open key (the root when none)
    std::vector<std::string> GetValueNames() const; // of the open key (the root when none)

    bool ValueExists(const std::string& name) const;
    RegDataType GetDataType(const std::string& name) const; // None when missing
    // False when missing or the key is not open for writing.
    bool DeleteValue(const std::string& name);

    // Readers throw ERegistryException for a value of another type; a missing
    // string reads as "", missing binary data as nothing, and a missing
    // integer throws.
    std::string ReadString(const std::string& name) const;
    int ReadInteger(const std::string& name) const;
    bool ReadBool(const std::string& name) const; // integer value, non-zero = true
    std::vector<std::uint8_t> ReadBinaryData(const std::string& name) const;

    // Writers throw ERegistryException when no key is open for writing or the
    // store cannot be saved.
    void WriteString(const std::string& name, const std::string& value);
    void WriteInteger(const std::string& name, int value);
    void WriteBool(const std::string& name, bool value);
    void WriteBinaryData(const std::string& name, const std::vector<std::uint8_t>& data);

private:
    using RegValueData = std::variant<std::string, std::int32_t, std::vector<std::uint8_t>>;
    void WriteValue(const std::string& name, RegValueData data);

    RootKey m_root;
    std::string m_current; // normalised path of the open key, empty when none
    bool m_open = false;
    bool m_writable = false;
};

} // namespace vdx::os
