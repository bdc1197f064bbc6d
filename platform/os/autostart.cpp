#include "platform/os/autostart.h"

#include "platform/os/registry_store.h"
#include "platform/os/winfile_internal.h"

#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace vdx::os::detail {

namespace {

constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::string_view kExtension = ".desktop";
// Characters that make an Exec argument need quotes.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

// The string escapes every Desktop Entry value has.
std::string EscapeValue(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        switch (s[i]) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case ' ':
            out += i == 0 ? "\\s" : " ";
            break;
        default:
            out += s[i];
        }
    }
    return out;
}

std::string UnescapeValue(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        switch (s[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default: // not an escape: keep it for the quoting rules
            out += '\\';
            out += s[i];
        }
    }
    return out;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        if (s.substr(i).starts_with(from)) {
            out += to;
            i += from.size();
        } else {
            out += s[i++];
        }
    }
    return out;
}

// The one quoted argument that value is, unquoted; nullopt when it is not one.
std::optional<std::string> UnquoteArgument(std::string_view value) {
    if (value.size() < 2 || value.front() != '"')
        return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '"')
            return i + 1 == value.size() ? std::optional<std::string>(out) : std::nullopt;
        if (c == '\\' && i + 1 < value.size() &&
            std::string_view("\"`$\\").find(value[i + 1]) != std::string_view::npos)
            out += value[++i];
        else
            out += c;
    }
    return std::nullopt;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

bool IsDesktopFile(std::string_view name) {
    return name.size() > kExtension.size() && EndsWithIgnoringAsciiCase(name, kExtension);
}

} // namespace

bool IsRunKey(std::string_view path) {
    return KeyPathsEqual(path, kRunKey);
}

std::string AutostartFolder(RootKey root) {
    return (root == RootKey::CurrentUser ? ConfigHome() : FirstConfigDir()) + "autostart/";
}

std::string EncodeExec(std::string_view command) {
    std::string exec = ReplaceAll(command, "%", "%%");
    if (exec.find_first_of(kReserved) != std::string::npos) {
        std::string quoted = "\"";
        for (const char c : exec) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        exec = quoted + "\"";
    }
    return EscapeValue(exec);
}

std::string DecodeExec(std::string_view value) {
    std::string exec = UnescapeValue(value);
    if (auto unquoted = UnquoteArgument(exec))
        exec = std::move(*unquoted);
    return ReplaceAll(exec, "%%", "%");
}

std::string DesktopEntryText(std::string_view name, std::string_view command) {
    return "[Desktop Entry]\nType=Application\nName=" + EscapeValue(name) +
           "\nExec=" + EncodeExec(command) + "\nX-GNOME-Autostart-enabled=true\n";
}

std::optional<std::string> CommandOfDesktopEntry(std::string_view text) {
    bool inEntry = false;
    while (!text.empty()) {
        const std::size_t eol = text.find('\n');
        const std::string_view line = Trim(text.substr(0, eol));
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (line.starts_with("[")) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (inEntry && eq != std::string_view::npos && Trim(line.substr(0, eq)) == "Exec") {
            std::string_view value = line.substr(eq + 1);
            while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
                value.remove_prefix(1);
            return DecodeExec(value);
        }
    }
    return std::nullopt;
}

std::optional<std::string> FindAutostartFile(const std::string& folder, std::string_view name) {
    if (!IsValidAutostartName(name))
        return std::nullopt;
    const std::string exact = std::string(name) + std::string(kExtension);
    struct stat st {};
    if (::stat((folder + exact).c_str(), &st) == 0)
        return S_ISREG(st.st_mode) ? std::optional<std::string>(exact) : std::nullopt;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return std::nullopt;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (EqualsIgnoringAsciiCase(entry->d_name, exact) &&
            ::stat((folder + entry->d_name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            return std::string(entry->d_name);
    }
    return std::nullopt;
}

std::vector<std::string> AutostartNames(const std::string& folder) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        struct stat st {};
        if (IsDesktopFile(name) && ::stat((folder + entry->d_name).c_str(), &st) == 0 &&
            S_ISREG(st.st_mode))
            names.emplace_back(name.substr(0, name.size() - kExtension.size()));
    }
    return names;
}

bool IsValidAutostartName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

} // namespace vdx::os::detail
