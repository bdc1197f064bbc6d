#include "platform/shell/idlist.h"

#include "platform/os/ascii.h"

#include <cstring>

namespace vdx::shell {

namespace {

constexpr std::size_t kRootItemSize = 20;
// Count, kind, attributes, size, time: the bytes before a file item's name.
constexpr std::size_t kFileItemHeader = 2 + 1 + 4 + 8 + 8;

std::uint16_t Read16(const std::uint8_t* p) noexcept {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

template <class T> T ReadLE(const std::uint8_t* p) noexcept {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
    return static_cast<T>(v);
}

template <class T> void AppendLE(std::vector<std::uint8_t>& out, T value) {
    const auto v = static_cast<std::uint64_t>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Puts the final byte count into the first two bytes.
std::vector<std::uint8_t> Sealed(std::vector<std::uint8_t> item) {
    item[0] = static_cast<std::uint8_t>(item.size());
    item[1] = static_cast<std::uint8_t>(item.size() >> 8);
    return item;
}

// The bytes between the header and the closing NUL, when the item ends in
// one and holds no other.
std::optional<std::string_view> Terminated(ItemBytes item, std::size_t header) {
    if (item.size() < header + 1 || item.back() != 0)
        return std::nullopt;
    const std::string_view text(reinterpret_cast<const char*>(item.data()) + header,
                                item.size() - header - 1);
    if (text.find('\0') != std::string_view::npos)
        return std::nullopt;
    return text;
}

} // namespace

std::optional<Clsid> ClsidFromString(std::string_view text) {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (text.size() != 38 || text.front() != '{' || text.back() != '}')
        return std::nullopt;
    std::array<std::uint8_t, 16> raw{};
    std::size_t n = 0;
    for (std::size_t i = 1; i + 1 < text.size();) {
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            if (text[i] != '-')
                return std::nullopt;
            ++i;
            continue;
        }
        const int hi = os::HexDigitValue(text[i]), lo = os::HexDigitValue(text[i + 1]);
        if (hi < 0 || lo < 0 || n >= raw.size())
            return std::nullopt;
        raw[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
        i += 2;
    }
    if (n != 16)
        return std::nullopt;
    // Data1, Data2 and Data3 are stored little-endian.
    Clsid c = raw;
    c[0] = raw[3], c[1] = raw[2], c[2] = raw[1], c[3] = raw[0];
    c[4] = raw[5], c[5] = raw[4];
    c[6] = raw[7], c[7] = raw[6];
    return c;
}

std::string ClsidToString(const Clsid& c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::array<std::uint8_t, 16> raw = {c[3], c[2], c[1],  c[0],  c[5],  c[4],  c[7],  c[6],
                                              c[8], c[9], c[10], c[11], c[12], c[13], c[14], c[15]};
    std::string out = "{";
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            out += '-';
        out += kHex[raw[i] >> 4];
        out += kHex[raw[i] & 15];
    }
    return out + "}";
}

// ---- the list ------------------------------------------------------------

IdList::IdList() : m_bytes{0, 0} {}

std::optional<IdList> IdList::FromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 2 || bytes.size() > kMaxIdListSize)
        return std::nullopt;
    std::size_t pos = 0;
    for (;;) {
        if (bytes.size() - pos < 2)
            return std::nullopt; // no terminator
        const std::size_t count = Read16(bytes.data() + pos);
        if (count == 0)
            break;
        if (count < 3 || count > bytes.size() - pos - 2) // the terminator must follow
            return std::nullopt;
        if (!IsValidItem(bytes.subspan(pos, count)))
            return std::nullopt;
        pos += count;
    }
    if (pos + 2 != bytes.size())
        return std::nullopt; // bytes after the terminator
    IdList list;
    list.m_bytes.assign(bytes.begin(), bytes.end());
    return list;
}

IdList IdList::FromItem(ItemBytes item) {
    IdList list;
    list.Append(item);
    return list;
}

std::size_t IdList::ItemCount() const noexcept {
    std::size_t n = 0;
    for (std::size_t pos = 0; pos + 2 <= m_bytes.size();) {
        const std::size_t count = Read16(m_bytes.data() + pos);
        if (count == 0)
            break;
        ++n;
        pos += count;
    }
    return n;
}

std::size_t IdList::Offset(std::size_t index) const {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < index; ++i)
        pos += Read16(m_bytes.data() + pos);
    return pos;
}

ItemBytes IdList::Item(std::size_t index) const {
    const std::size_t pos = Offset(index);
    return ItemBytes(m_bytes).subspan(pos, Read16(m_bytes.data() + pos));
}

ItemBytes IdList::LastItem() const {
    return Item(ItemCount() - 1);
}

IdList IdList::First(std::size_t count) const {
    const std::size_t items = ItemCount();
    if (count >= items)
        return *this;
    IdList list;
    const std::size_t end = Offset(count);
    list.m_bytes.assign(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(end));
    list.m_bytes.push_back(0);
    list.m_bytes.push_back(0);
    return list;
}

IdList IdList::WithoutLast(std::size_t n) const {
    const std::size_t items = ItemCount();
    return First(n >= items ? 0 : items - n);
}

IdList IdList::Last() const {
    return Empty() ? IdList() : FromItem(LastItem());
}

IdList IdList::operator+(const IdList& other) const {
    IdList list;
    list.m_bytes.assign(m_bytes.begin(), m_bytes.end() - 2);
    list.m_bytes.insert(list.m_bytes.end(), other.m_bytes.begin(), other.m_bytes.end());
    return list;
}

void IdList::Append(ItemBytes item) {
    m_bytes.insert(m_bytes.end() - 2, item.begin(), item.end());
}

// ---- items ---------------------------------------------------------------

bool IsValidItem(ItemBytes item) {
    return KindOf(item) != ItemKind::None;
}

ItemKind KindOf(ItemBytes item) {
    if (item.size() < 3 || Read16(item.data()) != item.size())
        return ItemKind::None;
    switch (static_cast<ItemKind>(item[2])) {
    case ItemKind::Root:
        return item.size() == kRootItemSize ? ItemKind::Root : ItemKind::None;
    case ItemKind::Volume: {
        const auto mount = Terminated(item, 3);
        return mount && !mount->empty() && mount->front() == '/' && mount->size() <= kMaxPathBytes
                   ? ItemKind::Volume
                   : ItemKind::None;
    }
    case ItemKind::Folder:
    case ItemKind::File: {
        const auto name = Terminated(item, kFileItemHeader);
        if (!name || name->empty() || name->size() > kMaxNameBytes || *name == "." ||
            *name == ".." || name->find('/') != std::string_view::npos)
            return ItemKind::None;
        return static_cast<ItemKind>(item[2]);
    }
    default:
        return ItemKind::None;
    }
}

std::vector<std::uint8_t> MakeRootItem(std::uint8_t sortByte, const Clsid& clsid) {
    std::vector<std::uint8_t> item{0, 0, static_cast<std::uint8_t>(ItemKind::Root), sortByte};
    item.insert(item.end(), clsid.begin(), clsid.end());
    return Sealed(std::move(item));
}

std::vector<std::uint8_t> MakeVolumeItem(std::string_view mountPoint) {
    std::vector<std::uint8_t> item{0, 0, static_cast<std::uint8_t>(ItemKind::Volume)};
    item.insert(item.end(), mountPoint.begin(), mountPoint.end());
    item.push_back(0);
    return Sealed(std::move(item));
}

std::vector<std::uint8_t> MakeFileItem(const FileItemFacts& facts) {
    std::vector<std::uint8_t> item{
        0, 0, static_cast<std::uint8_t>(facts.Folder ? ItemKind::Folder : ItemKind::File)};
    AppendLE(item, facts.Attributes);
    AppendLE(item, facts.Size);
    AppendLE(item, facts.LastWrite);
    item.insert(item.end(), facts.Name.begin(), facts.Name.end());
    item.push_back(0);
    return Sealed(std::move(item));
}

std::optional<Clsid> RootItemClsid(ItemBytes item) {
    if (KindOf(item) != ItemKind::Root)
        return std::nullopt;
    Clsid c{};
    std::memcpy(c.data(), item.data() + 4, c.size());
    return c;
}

std::optional<std::string> VolumeItemMountPoint(ItemBytes item) {
    if (KindOf(item) != ItemKind::Volume)
        return std::nullopt;
    return std::string(*Terminated(item, 3));
}

std::optional<FileItemFacts> ReadFileItem(ItemBytes item) {
    const ItemKind kind = KindOf(item);
    if (kind != ItemKind::Folder && kind != ItemKind::File)
        return std::nullopt;
    FileItemFacts f;
    f.Folder = kind == ItemKind::Folder;
    f.Attributes = ReadLE<std::uint32_t>(item.data() + 3);
    f.Size = ReadLE<std::uint64_t>(item.data() + 7);
    f.LastWrite = ReadLE<os::FileTime>(item.data() + 15);
    f.Name = std::string(*Terminated(item, kFileItemHeader));
    return f;
}

} // namespace vdx::shell
