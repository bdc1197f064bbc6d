#include "controls/storage/FcVersionInfo.h"

#include "controls/storage/FcIntLst.h"
#include "platform/os/paths.h"
#include "platform/os/winfile.h"

#include <fstream>

namespace vdx {

// ---------------------------------------------------------------------------
// Version block

namespace {

void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Reads little-endian fields from a byte range, failing on a short read.
class BlockReader {
public:
    explicit BlockReader(std::string_view bytes) : m_bytes(bytes) {}

    bool U32(std::uint32_t& v) {
        if (m_bytes.size() - m_pos < 4)
            return false;
        v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | static_cast<unsigned char>(m_bytes[m_pos + i]);
        m_pos += 4;
        return true;
    }

    bool String(std::string& s) {
        std::uint32_t length = 0;
        if (!U32(length) || m_bytes.size() - m_pos < length)
            return false;
        s.assign(m_bytes.substr(m_pos, length));
        m_pos += length;
        return true;
    }

    bool Skip(std::size_t n) {
        if (m_bytes.size() - m_pos < n)
            return false;
        m_pos += n;
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

} // namespace

std::string EncodeVersionBlock(const TVersionBlock& block) {
    std::string out(kVersionBlockMagic);
    PutU32(out, block.FileVersionMS);
    PutU32(out, block.FileVersionLS);
    PutU32(out, block.FileFlags);
    PutU32(out, static_cast<std::uint32_t>(block.Strings.size()));
    for (const auto& [name, value] : block.Strings) {
        PutU32(out, static_cast<std::uint32_t>(name.size()));
        out += name;
        PutU32(out, static_cast<std::uint32_t>(value.size()));
        out += value;
    }
    return out;
}

std::optional<TVersionBlock> DecodeVersionBlock(std::string_view bytes) {
    if (!bytes.starts_with(kVersionBlockMagic))
        return std::nullopt;
    BlockReader in(bytes);
    in.Skip(kVersionBlockMagic.size());
    TVersionBlock block;
    std::uint32_t count = 0;
    if (!in.U32(block.FileVersionMS) || !in.U32(block.FileVersionLS) || !in.U32(block.FileFlags) ||
        !in.U32(count))
        return std::nullopt;
    // Each string takes at least 8 bytes: a larger count is a damaged block.
    if (count > bytes.size() / 8)
        return std::nullopt;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name;
        std::string value;
        if (!in.String(name) || !in.String(value))
            return std::nullopt;
        block.Strings.emplace_back(std::move(name), std::move(value));
    }
    return block;
}

// ---------------------------------------------------------------------------
// ELF section headers

namespace {

constexpr std::uint32_t SHT_NOBITS = 8;
constexpr std::uint16_t SHN_XINDEX = 0xFFFF;

class ElfFile {
public:
    explicit ElfFile(const std::string& path) : m_in(path, std::ios::binary) {
        if (m_in) {
            m_in.seekg(0, std::ios::end);
            const auto end = m_in.tellg();
            m_size = end < 0 ? 0 : static_cast<std::uint64_t>(end);
        }
    }

    // Reads length bytes at offset, only wholly inside the file.
    bool Read(std::uint64_t offset, std::uint64_t length, std::string& out) {
        if (!m_in || offset > m_size || length > m_size - offset)
            return false;
        out.resize(static_cast<std::size_t>(length));
        m_in.seekg(static_cast<std::streamoff>(offset));
        m_in.read(out.data(), static_cast<std::streamsize>(length));
        return static_cast<std::uint64_t>(m_in.gcount()) == length;
    }

    std::uint64_t Size() const noexcept { return m_size; }

private:
    std::ifstream m_in;
    std::uint64_t m_size = 0;
};

// Integer fields in the file's byte order.
struct Fields {
    bool bigEndian = false;

    std::uint64_t Get(const std::string& bytes, std::size_t at, int width) const {
        std::uint64_t v = 0;
        for (int i = 0; i < width; ++i) {
            const int index = bigEndian ? i : width - 1 - i;
            v = (v << 8) | static_cast<unsigned char>(bytes[at + index]);
        }
        return v;
    }
};

struct SectionHeader {
    std::uint32_t name = 0;
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t link = 0;
};

} // namespace

std::optional<std::string> ReadElfSection(const std::string& path, std::string_view name,
                                          std::size_t maxSize) {
    ElfFile file(os::ResolveCase(path));
    std::string ident;
    if (!file.Read(0, 16, ident) || ident.compare(0, 4,
                                                  "\x7F"
                                                  "ELF") != 0)
        return std::nullopt;
    const int elfClass = static_cast<unsigned char>(ident[4]);
    const int data = static_cast<unsigned char>(ident[5]);
    if ((elfClass != 1 && elfClass != 2) || (data != 1 && data != 2))
        return std::nullopt;
    const bool is64 = elfClass == 2;
    const Fields f{data == 2};

    std::string header;
    if (!file.Read(0, is64 ? 64 : 52, header))
        return std::nullopt;
    const std::uint64_t shoff = is64 ? f.Get(header, 0x28, 8) : f.Get(header, 0x20, 4);
    const std::size_t tail = is64 ? 0x3A : 0x2E; // e_shentsize, e_shnum, e_shstrndx
    const std::uint64_t shentsize = f.Get(header, tail, 2);
    std::uint64_t shnum = f.Get(header, tail + 2, 2);
    std::uint64_t shstrndx = f.Get(header, tail + 4, 2);
    const std::uint64_t minEntry = is64 ? 64 : 40;
    if (shoff == 0 || shoff > file.Size() || shentsize < minEntry)
        return std::nullopt;

    auto readHeader = [&](std::uint64_t index) -> std::optional<SectionHeader> {
        std::string raw;
        if (index > file.Size() / shentsize || !file.Read(shoff + index * shentsize, minEntry, raw))
            return std::nullopt;
        SectionHeader h;
        h.name = static_cast<std::uint32_t>(f.Get(raw, 0, 4));
        h.type = static_cast<std::uint32_t>(f.Get(raw, 4, 4));
        h.offset = is64 ? f.Get(raw, 0x18, 8) : f.Get(raw, 0x10, 4);
        h.size = is64 ? f.Get(raw, 0x20, 8) : f.Get(raw, 0x14, 4);
        h.link = static_cast<std::uint32_t>(is64 ? f.Get(raw, 0x28, 4) : f.Get(raw, 0x18, 4));
        return h;
    };

    // Many sections: the real count and string-table index are in section 0.
    if (shnum == 0 || shstrndx == SHN_XINDEX) {
        const auto first = readHeader(0);
        if (!first)
            return std::nullopt;
        if (shnum == 0)
            shnum = first->size;
        if (shstrndx == SHN_XINDEX)
            shstrndx = first->link;
    }
    if (shnum == 0 || shstrndx >= shnum || shnum > file.Size() / shentsize)
        return std::nullopt;

    const auto strtab = readHeader(shstrndx);
    if (!strtab || strtab->type == SHT_NOBITS)
        return std::nullopt;
    std::string names;
    if (!file.Read(strtab->offset, strtab->size, names))
        return std::nullopt;

    for (std::uint64_t i = 0; i < shnum; ++i) {
        const auto h = readHeader(i);
        if (!h)
            return std::nullopt;
        if (h->name >= names.size())
            continue;
        const std::size_t end = names.find('\0', h->name);
        if (end == std::string::npos ||
            std::string_view(names).substr(h->name, end - h->name) != name)
            continue;
        if (h->type == SHT_NOBITS || h->size > maxSize)
            return std::nullopt;
        std::string contents;
        if (!file.Read(h->offset, h->size, contents))
            return std::nullopt;
        return contents;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// TFcVersionInfo

TFcVersionInfo::TFcVersionInfo(QObject* owner) : QObject(owner) {
    LoadVersionInfo();
}

void TFcVersionInfo::SetFilePath(const std::string& value) {
    if (value == m_filePath)
        return;
    m_filePath = value;
    if (!m_loading) {
        LoadVersionInfo();
        UpdateStatusPanes();
    }
}

void TFcVersionInfo::Loaded() {
    m_loading = false;
    LoadVersionInfo();
    UpdateStatusPanes();
}

void TFcVersionInfo::LoadVersionInfo() {
    if (m_filePath.empty())
        m_filePath = os::ProgramPath();

    std::optional<TVersionBlock> block;
    if (const auto section = ReadElfSection(m_filePath, kVersionSectionName))
        block = DecodeVersionBlock(*section);

    // A block that is there but cannot be read counts as no block at all.
    m_exists = block.has_value();
    std::vector<std::string> strings(kVersionStringNames.size());
    m_major = m_minor = m_release = m_build = 0;
    m_debug = m_preRelease = m_privateBuild = m_specialBuild = false;
    if (block) {
        for (std::size_t i = 0; i < kVersionStringNames.size(); ++i) {
            for (const auto& [name, value] : block->Strings) {
                if (name == kVersionStringNames[i]) {
                    strings[i] = value;
                    break;
                }
            }
        }
        m_major = static_cast<std::uint16_t>(block->FileVersionMS >> 16);
        m_minor = static_cast<std::uint16_t>(block->FileVersionMS & 0xFFFF);
        m_release = static_cast<std::uint16_t>(block->FileVersionLS >> 16);
        m_build = static_cast<std::uint16_t>(block->FileVersionLS & 0xFFFF);
        m_debug = (block->FileFlags & VS_FF_DEBUG) != 0;
        m_preRelease = (block->FileFlags & VS_FF_PRERELEASE) != 0;
        m_privateBuild = (block->FileFlags & VS_FF_PRIVATEBUILD) != 0;
        m_specialBuild = (block->FileFlags & VS_FF_SPECIALBUILD) != 0;
    } else {
        for (std::string& s : strings)
            s = kValueNotAvailable;
    }
    m_strings = std::move(strings);
}

std::string TFcVersionInfo::GetVersionString(int index) const {
    if (index < 0 || index >= static_cast<int>(m_strings.size()))
        ThrowListIndexError(index);
    return m_strings[static_cast<std::size_t>(index)];
}

} // namespace vdx
