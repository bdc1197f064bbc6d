#pragma once
// Points HOME and the XDG folders into a temporary folder for one test and
// puts the old values back afterwards. The registry store, ini files and the
// single-instance socket then live there.

#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace vdx::test {

class IsolatedEnv {
public:
    IsolatedEnv() {
        std::filesystem::create_directories(RuntimeDir());
        ::chmod(RuntimeDir().c_str(), 0700);
        Set("HOME", m_dir.Folder() + "home");
        Set("XDG_CONFIG_HOME", m_dir.Folder() + "config");
        Set("XDG_DATA_HOME", m_dir.Folder() + "data");
        Set("XDG_CONFIG_DIRS", m_dir.Folder() + "etc");
        Set("XDG_RUNTIME_DIR", RuntimeDir());
    }
    IsolatedEnv(const IsolatedEnv&) = delete;
    IsolatedEnv& operator=(const IsolatedEnv&) = delete;
    ~IsolatedEnv() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                ::unsetenv(it->first.c_str());
        }
    }

    // The temporary folder, ending in "/".
    std::string Folder() const { return m_dir.Folder(); }
    std::string RuntimeDir() const { return m_dir.Folder() + "run"; }
    // The file behind HKEY_CURRENT_USER.
    std::string CurrentUserHive() const {
        return m_dir.Folder() + "config/vardex/registry/HKEY_CURRENT_USER";
    }

private:
    void Set(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name, value.c_str(), 1);
    }

    TempDir m_dir;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

} // namespace vdx::test
