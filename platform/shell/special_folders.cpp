#include "platform/shell/special_folders.h"

#include "platform/os/paths.h"
#include "platform/os/read_file.h"

#include <cstdlib>
#include <exception>
#include <optional>
#include <string_view>

namespace vdx::shell {

namespace {

// A user-dirs.dirs file is a few lines.
constexpr std::size_t kMaxUserDirsBytes = 64 * 1024;

std::string EnvPath(const char* name) {
    const char* value = std::getenv(name);
    if (!value || value[0] != '/')
        return {};
    return value;
}

std::string XdgHomeFolder(const char* variable, const char* belowHome) {
    std::string folder = EnvPath(variable);
    if (folder.empty()) {
        const std::string home = HomePath();
        if (home.empty())
            return {};
        folder = os::IncludeTrailingPathDelimiter(home) + belowHome;
    }
    return os::IncludeTrailingPathDelimiter(folder);
}

std::string FirstConfigDir() {
    const char* value = std::getenv("XDG_CONFIG_DIRS");
    const std::string dirs = value ? value : "";
    const std::string first = dirs.substr(0, dirs.find(':'));
    return os::IncludeTrailingPathDelimiter(first.empty() || first[0] != '/' ? "/etc/xdg" : first);
}

// The value of XDG_<name>_DIR in user-dirs.dirs: a double-quoted "$HOME/..."
// or absolute path, backslash escapes allowed. nullopt when the file or the
// line is missing or holds anything else.
std::optional<std::string> UserDirsEntry(std::string_view name) {
    const std::string config = XdgHomeFolder("XDG_CONFIG_HOME", ".config");
    if (config.empty())
        return std::nullopt;
    std::optional<std::string> text;
    try {
        text = os::ReadFileBytes(config + "user-dirs.dirs", kMaxUserDirsBytes);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!text)
        return std::nullopt;
    const std::string key = "XDG_" + std::string(name) + "_DIR=";
    std::optional<std::string> found;
    std::size_t pos = 0;
    while (pos < text->size()) {
        const std::size_t end = std::min(text->find('\n', pos), text->size());
        std::string_view line = std::string_view(*text).substr(pos, end - pos);
        pos = end + 1;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (!line.starts_with(key))
            continue;
        line.remove_prefix(key.size());
        if (line.size() < 2 || line.front() != '"')
            continue;
        std::string value;
        bool closed = false;
        for (std::size_t i = 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                value += line[++i];
            } else if (line[i] == '"') {
                closed = true;
                break;
            } else {
                value += line[i];
            }
        }
        if (!closed)
            continue;
        if (value.starts_with("$HOME")) {
            const std::string home = HomePath();
            if (home.empty() || (value.size() > 5 && value[5] != '/'))
                continue;
            value = (home == "/" ? std::string() : home) + value.substr(5);
        } else if (value.empty() || value.front() != '/') {
            continue;
        }
        found = value; // the last line of a name counts, as the shell reads it
    }
    return found;
}

std::string UserFolder(std::string_view name, const char* usual) {
    if (std::optional<std::string> entry = UserDirsEntry(name))
        return os::IncludeTrailingPathDelimiter(*entry);
    const std::string home = HomePath();
    return home.empty() ? std::string() : os::IncludeTrailingPathDelimiter(home) + usual + "/";
}

} // namespace

std::string HomePath() {
    const std::string home = EnvPath("HOME");
    if (home.empty())
        return {};
    const std::string trimmed = os::ExcludeTrailingPathDelimiter(home);
    return trimmed.empty() ? std::string("/") : trimmed;
}

std::string SpecialFolderPath(int csidl) {
    switch (csidl) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY:
        return UserFolder("DESKTOP", "Desktop");
    case CSIDL_PERSONAL:
        return UserFolder("DOCUMENTS", "Documents");
    case CSIDL_MYMUSIC:
        return UserFolder("MUSIC", "Music");
    case CSIDL_MYVIDEO:
        return UserFolder("VIDEOS", "Videos");
    case CSIDL_TEMPLATES:
        return UserFolder("TEMPLATES", "Templates");
    case CSIDL_MYPICTURES:
        return UserFolder("PICTURES", "Pictures");
    case CSIDL_STARTUP: {
        const std::string config = XdgHomeFolder("XDG_CONFIG_HOME", ".config");
        return config.empty() ? std::string() : config + "autostart/";
    }
    case CSIDL_SENDTO: {
        const std::string data = XdgHomeFolder("XDG_DATA_HOME", ".local/share");
        return data.empty() ? std::string() : data + "vardex/SendTo/";
    }
    case CSIDL_APPDATA:
        return XdgHomeFolder("XDG_CONFIG_HOME", ".config");
    case CSIDL_LOCAL_APPDATA:
        return XdgHomeFolder("XDG_DATA_HOME", ".local/share");
    case CSIDL_COMMON_APPDATA:
        return FirstConfigDir();
    case CSIDL_PROFILE: {
        const std::string home = HomePath();
        return home.empty() ? std::string() : os::IncludeTrailingPathDelimiter(home);
    }
    default:
        return {};
    }
}

} // namespace vdx::shell
