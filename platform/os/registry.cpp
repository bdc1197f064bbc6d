#include "platform/os/registry.h"

#include "platform/os/atomic_file.h"
#include "platform/os/autostart.h"
#include "platform/os/file_error.h"
#include "platform/os/paths.h"
#include "platform/os/registry_store.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace vdx::os {

using detail::RegistryStore;
using detail::RegKeyNode;
using detail::RegValue;

namespace {

std::string StoreFile(RootKey root) {
    return root == RootKey::CurrentUser
               ? detail::ConfigHome() + "vardex/registry/HKEY_CURRENT_USER"
               : detail::FirstConfigDir() + "vardex/registry/HKEY_LOCAL_MACHINE";
}

// The user's hive may hold private settings.
unsigned StoreFolderMode(RootKey root) {
    return root == RootKey::CurrentUser ? 0700 : 0755;
}

std::optional<RegistryStore> TryLoad(RootKey root) {
    try {
        return RegistryStore::Load(StoreFile(root));
    } catch (const ERegistryException&) {
        return std::nullopt;
    }
}

[[noreturn]] void ThrowSetFailed(const std::string& name) {
    throw ERegistryException("Failed to set data for '" + name + "'");
}

[[noreturn]] void ThrowGetFailed(const std::string& name) {
    throw ERegistryException("Failed to get data for '" + name + "'");
}

[[noreturn]] void ThrowInvalidType(const std::string& name) {
    throw ERegistryException("Invalid data type for '" + name + "'");
}

bool ReadText(const std::string& fileName, std::string& text) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
        if (n > 0)
            text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return n == 0;
}

} // namespace

TRegistry::TRegistry(RootKey root) : m_root(root) {}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    const std::string path = detail::NormalizeKeyPath(key);
    if (detail::IsRunKey(path)) {
        // The key always exists, as on Windows; opening it means being able to write there.
        const std::string folder = detail::AutostartFolder(m_root);
        const bool writable = canCreate ? detail::MakeFolders(folder, 0755) &&
                                              ::access(folder.c_str(), W_OK | X_OK) == 0
                                        : detail::CanWriteFolder(folder);
        if (!writable)
            return false;
        m_current = path;
        m_open = m_writable = true;
        return true;
    }

    const std::string file = StoreFile(m_root);
    if (!detail::CanWriteFolder(ExtractFilePath(file)))
        return false;
    std::optional<RegistryStore> store = TryLoad(m_root);
    if (!store)
        return false;
    std::string opened;
    if (const RegKeyNode* node = store->FindKey(path)) {
        opened = node->path;
    } else if (!canCreate) {
        return false;
    } else {
        try {
            detail::ModifyStore(file, StoreFolderMode(m_root), [&](RegistryStore& s) {
                const bool exists = s.FindKey(path) != nullptr;
                opened = s.CreateKey(path).path;
                return !exists;
            });
        } catch (const ERegistryException&) {
            return false;
        }
    }
    m_current = opened;
    m_open = m_writable = true;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    const std::string path = detail::NormalizeKeyPath(key);
    std::string opened = path;
    if (!detail::IsRunKey(path)) {
        const std::optional<RegistryStore> store = TryLoad(m_root);
        const RegKeyNode* node = store ? store->FindKey(path) : nullptr;
        if (node == nullptr)
            return false;
        opened = node->path;
    }
    m_current = opened;
    m_open = true;
    m_writable = false;
    return true;
}

void TRegistry::CloseKey() {
    m_current.clear();
    m_open = m_writable = false;
}

bool TRegistry::KeyExists(const std::string& key) const {
    const std::string path = detail::NormalizeKeyPath(key);
    if (detail::IsRunKey(path))
        return true;
    const std::optional<RegistryStore> store = TryLoad(m_root);
    return store && store->FindKey(path) != nullptr;
}

bool TRegistry::DeleteKey(const std::string& key) {
    const std::string path = detail::NormalizeKeyPath(key);
    const std::string file = StoreFile(m_root);
    if (path.empty() || detail::IsRunKey(path) || !detail::CanWriteFolder(ExtractFilePath(file)))
        return false;
    bool deleted = false;
    try {
        detail::ModifyStore(file, StoreFolderMode(m_root), [&](RegistryStore& s) {
            deleted = s.DeleteKey(path);
            return deleted;
        });
    } catch (const ERegistryException&) {
        return false;
    }
    return deleted;
}

std::vector<std::string> TRegistry::GetKeyNames() const {
    if (detail::IsRunKey(m_current))
        return {};
    const std::optional<RegistryStore> store = TryLoad(m_root);
    return store ? store->SubKeyNames(m_current) : std::vector<std::string>{};
}

std::vector<std::string> TRegistry::GetValueNames() const {
    if (detail::IsRunKey(m_current))
        return detail::AutostartNames(detail::AutostartFolder(m_root));
    std::vector<std::string> names;
    const std::optional<RegistryStore> store = TryLoad(m_root);
    if (const RegKeyNode* node = store ? store->FindKey(m_current) : nullptr) {
        for (const auto& value : node->values)
            names.push_back(value.name);
    }
    return names;
}

bool TRegistry::ValueExists(const std::string& name) const {
    return GetDataType(name) != RegDataType::None;
}

RegDataType TRegistry::GetDataType(const std::string& name) const {
    if (detail::IsRunKey(m_current))
        return detail::FindAutostartFile(detail::AutostartFolder(m_root), name)
                   ? RegDataType::String
                   : RegDataType::None;
    const std::optional<RegistryStore> store = TryLoad(m_root);
    const RegKeyNode* node = store ? store->FindKey(m_current) : nullptr;
    const RegValue* value = node ? node->FindValue(name) : nullptr;
    return value ? value->Type() : RegDataType::None;
}

bool TRegistry::DeleteValue(const std::string& name) {
    if (!m_open || !m_writable)
        return false;
    if (detail::IsRunKey(m_current)) {
        const std::string folder = detail::AutostartFolder(m_root);
        const auto file = detail::FindAutostartFile(folder, name);
        return file && ::unlink((folder + *file).c_str()) == 0;
    }
    bool deleted = false;
    try {
        detail::ModifyStore(StoreFile(m_root), StoreFolderMode(m_root), [&](RegistryStore& s) {
            if (RegKeyNode* node = s.FindKey(m_current)) {
                deleted = std::erase_if(node->values, [&](const RegValue& v) {
                              return detail::KeyPathsEqual(v.name, name);
                          }) != 0;
            }
            return deleted;
        });
    } catch (const ERegistryException&) {
        return false;
    }
    return deleted;
}

std::string TRegistry::ReadString(const std::string& name) const {
    if (detail::IsRunKey(m_current)) {
        const std::string folder = detail::AutostartFolder(m_root);
        const auto file = detail::FindAutostartFile(folder, name);
        std::string text;
        if (!file || !ReadText(folder + *file, text))
            return {};
        return detail::CommandOfDesktopEntry(text).value_or(std::string());
    }
    const RegistryStore store = RegistryStore::Load(StoreFile(m_root));
    const RegKeyNode* node = store.FindKey(m_current);
    const RegValue* value = node ? node->FindValue(name) : nullptr;
    if (value == nullptr)
        return {};
    if (const auto* s = std::get_if<std::string>(&value->data))
        return *s;
    ThrowInvalidType(name);
}

int TRegistry::ReadInteger(const std::string& name) const {
    if (detail::IsRunKey(m_current)) {
        if (ValueExists(name))
            ThrowInvalidType(name);
        ThrowGetFailed(name);
    }
    const RegistryStore store = RegistryStore::Load(StoreFile(m_root));
    const RegKeyNode* node = store.FindKey(m_current);
    const RegValue* value = node ? node->FindValue(name) : nullptr;
    if (value == nullptr)
        ThrowGetFailed(name);
    if (const auto* n = std::get_if<std::int32_t>(&value->data))
        return *n;
    ThrowInvalidType(name);
}

bool TRegistry::ReadBool(const std::string& name) const {
    return ReadInteger(name) != 0;
}

std::vector<std::uint8_t> TRegistry::ReadBinaryData(const std::string& name) const {
    if (detail::IsRunKey(m_current)) {
        if (ValueExists(name))
            ThrowInvalidType(name);
        return {};
    }
    const RegistryStore store = RegistryStore::Load(StoreFile(m_root));
    const RegKeyNode* node = store.FindKey(m_current);
    const RegValue* value = node ? node->FindValue(name) : nullptr;
    if (value == nullptr)
        return {};
    if (const auto* b = std::get_if<std::vector<std::uint8_t>>(&value->data))
        return *b;
    ThrowInvalidType(name);
}

void TRegistry::WriteValue(const std::string& name, RegValueData data) {
    if (!m_open || !m_writable)
        ThrowSetFailed(name);
    if (detail::IsRunKey(m_current)) {
        const auto* command = std::get_if<std::string>(&data);
        const std::string folder = detail::AutostartFolder(m_root);
        if (command == nullptr || !detail::IsValidAutostartName(name) ||
            !detail::MakeFolders(folder, 0755))
            ThrowSetFailed(name);
        const std::string file =
            detail::FindAutostartFile(folder, name).value_or(name + ".desktop");
        try {
            WriteFileAtomically(folder + file, detail::DesktopEntryText(name, *command));
        } catch (const FileError& e) {
            throw ERegistryException("Failed to set data for '" + name + "'. " + e.what());
        }
        return;
    }
    detail::ModifyStore(StoreFile(m_root), StoreFolderMode(m_root), [&](RegistryStore& s) {
        RegKeyNode* node = s.FindKey(m_current);
        if (node == nullptr) // deleted by someone else since it was opened
            ThrowSetFailed(name);
        if (RegValue* value = node->FindValue(name))
            value->data = std::move(data);
        else
            node->values.push_back(RegValue{name, std::move(data)});
        return true;
    });
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    WriteValue(name, value);
}

void TRegistry::WriteInteger(const std::string& name, int value) {
    WriteValue(name, static_cast<std::int32_t>(value));
}

void TRegistry::WriteBool(const std::string& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void TRegistry::WriteBinaryData(const std::string& name, const std::vector<std::uint8_t>& data) {
    WriteValue(name, data);
}

} // namespace vdx::os
