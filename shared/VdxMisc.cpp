#include "shared/VdxMisc.h"

#include "platform/os/paths.h"

#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace vdx {

std::string IntToStrPad(long long value, int width) {
    std::string text = std::to_string(value);
    if (static_cast<long long>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
    return text;
}

bool IsValidUserId(const std::string& text, bool allowSpaces) {
    for (char c : text) {
        switch (c) {
        case '/':
        case '\\':
        case ':':
        case '*':
        case '?':
        case '"':
        case '>':
        case '<':
        case '|':
            return false;
        case ' ':
            if (!allowSpaces)
                return false;
            break;
        default:
            break;
        }
    }
    return true;
}

std::string_view Trim(std::string_view text) {
    const auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isTrimmed(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isTrimmed(text.back()))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string> ListFolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    const std::string base = os::IncludeTrailingPathDelimiter(folder);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(base.c_str()), ::closedir);
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.empty() || name.front() == '.')
            continue;
        // Folders and ordinary files only, as the Windows search returns them;
        // a link counts as what it points to.
        struct stat st {};
        if (::stat((base + name).c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode) || S_ISREG(st.st_mode))
            names.push_back(name);
    }
    return names;
}

int BoolToInt(bool value) {
    return value ? 1 : 0;
}

std::string BoolToYes(bool value) {
    return value ? "Yes" : "";
}

std::uint8_t SwapScrambleBits(std::uint8_t b) {
    return static_cast<std::uint8_t>(((b << 3) & 0x18) | ((b >> 3) & 0x03) | (b & 0xE4));
}

std::string ScrambleString(const std::string& text, int key) {
    std::string result = text;
    const std::size_t n = result.size();
    if (n == 0)
        return result;
    // Positions counted from 1; only the low five bits of the sum select the
    // entry, so unsigned wrap-around gives the same entry for any key.
    for (std::size_t i = 2; i < n; ++i) {
        const unsigned index =
            (static_cast<unsigned>(i) + static_cast<unsigned>(n) + static_cast<unsigned>(key)) &
            31u;
        result[i - 1] =
            static_cast<char>(static_cast<std::uint8_t>(result[i - 1]) ^ ScrambleKeyTable[index]);
    }
    result[0] = static_cast<char>(SwapScrambleBits(static_cast<std::uint8_t>(result[0])));
    result[n - 1] = static_cast<char>(SwapScrambleBits(static_cast<std::uint8_t>(result[n - 1])));
    return result;
}

bool CharSetContains(std::uint8_t ch, const TCharSet& set) {
    return (set[ch / 8] >> (ch % 8)) & 1u;
}

} // namespace vdx
