#include "platform/shell/shell_data.h"

#include "platform/os/ascii.h"

#include <algorithm>

namespace vdx::shell {

namespace {

void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

std::uint32_t GetU32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

// The list starting at offset: its items walked by their counts up to a
// zero count, all inside block; nullopt when it runs out or is malformed.
std::optional<IdList> ListAt(std::span<const std::uint8_t> block, std::size_t offset) {
    std::size_t at = offset;
    for (;;) {
        if (at > block.size() || block.size() - at < 2)
            return std::nullopt;
        const std::size_t count = std::size_t(block[at]) | std::size_t(block[at + 1]) << 8;
        if (count == 0)
            break;
        if (count > block.size() - at || at + count - offset > kMaxIdListSize)
            return std::nullopt;
        at += count;
    }
    return IdList::FromBytes(block.subspan(offset, at + 2 - offset));
}

bool Unreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::string FileUri(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "file://";
    out.reserve(out.size() + path.size());
    for (unsigned char c : path) {
        if (Unreserved(c) || c == '/') {
            out += char(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// The path of one local file URI; nullopt for anything else.
std::optional<std::string> PathOfUri(std::string_view uri) {
    if (!os::StartsWithIgnoringAsciiCase(uri, "file:"))
        return std::nullopt;
    std::string_view rest = uri.substr(5);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos)
            return std::nullopt;
        const std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !os::EqualsIgnoringAsciiCase(host, "localhost"))
            return std::nullopt;
        rest.remove_prefix(slash);
    }
    std::string path;
    path.reserve(rest.size());
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == '%') {
            if (i + 2 >= rest.size())
                return std::nullopt;
            const int hi = os::HexDigitValue(rest[i + 1]), lo = os::HexDigitValue(rest[i + 2]);
            if (hi < 0 || lo < 0 || (hi == 0 && lo == 0))
                return std::nullopt;
            path += char(hi * 16 + lo);
            i += 2;
        } else if (c == '?' || c == '#') {
            return std::nullopt; // no query or fragment names a file
        } else {
            path += c;
        }
    }
    if (path.empty() || path.front() != '/')
        return std::nullopt;
    return path;
}

// Each line of text without its LF or CRLF.
template <class F> void ForEachLine(std::string_view text, F&& f) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        f(line);
        pos = end + 1;
    }
}

} // namespace

std::vector<std::uint8_t> BuildIdListArray(const IdList& parent, std::span<const IdList> items) {
    const std::size_t header = 4 + 4 * (items.size() + 1);
    std::size_t size = header + parent.Size();
    for (const IdList& item : items)
        size += item.Size();
    std::vector<std::uint8_t> out(header);
    out.reserve(size);
    PutU32(out, 0, std::uint32_t(items.size()));
    const auto add = [&](std::size_t index, const IdList& list) {
        PutU32(out, 4 + 4 * index, std::uint32_t(out.size()));
        out.insert(out.end(), list.Bytes().begin(), list.Bytes().end());
    };
    add(0, parent);
    for (std::size_t i = 0; i < items.size(); ++i)
        add(i + 1, items[i]);
    return out;
}

std::optional<IdListArray> ParseIdListArray(std::span<const std::uint8_t> block) {
    if (block.size() < 4)
        return std::nullopt;
    const std::uint64_t count = GetU32(block, 0);
    // 4 + 4 (n + 1) bytes of header must fit before anything is read.
    if (count == 0 || count > (block.size() - 8) / 4 || 8 + 4 * count > block.size())
        return std::nullopt;
    IdListArray result;
    for (std::size_t i = 0; i <= count; ++i) {
        const std::size_t offset = GetU32(block, 4 + 4 * i);
        if (offset < 8 + 4 * count) // no list lies in the header
            return std::nullopt;
        auto list = ListAt(block, offset);
        if (!list)
            return std::nullopt;
        if (i == 0)
            result.Parent = std::move(*list);
        else
            result.Items.push_back(std::move(*list));
    }
    return result;
}

std::string BuildUriList(std::span<const std::string> paths) {
    std::string out;
    for (const std::string& p : paths)
        out += FileUri(p) + "\r\n";
    return out;
}

std::vector<std::string> ParseUriList(std::string_view text) {
    std::vector<std::string> paths;
    ForEachLine(text, [&](std::string_view line) {
        if (line.starts_with('#'))
            return;
        if (auto path = PathOfUri(line))
            paths.push_back(std::move(*path));
    });
    return paths;
}

std::string BuildGnomeCopiedFiles(std::span<const std::string> paths, bool cut) {
    std::string out = cut ? "cut" : "copy";
    for (const std::string& p : paths)
        out += "\n" + FileUri(p);
    return out;
}

std::optional<std::pair<bool, std::vector<std::string>>>
ParseGnomeCopiedFiles(std::string_view text) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view first = text.substr(0, end);
    if (first.ends_with('\r'))
        first.remove_suffix(1);
    if (first != "copy" && first != "cut")
        return std::nullopt;
    return std::pair{first == "cut", ParseUriList(text.substr(end))};
}

} // namespace vdx::shell
