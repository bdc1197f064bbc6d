#include "controls/lists/FcListItems.h"

#include "controls/storage/FcIntLst.h"
#include "platform/gui/update_guard.h"
#include "platform/os/winfile.h"

#include <algorithm>

namespace vdx {

namespace {

// Windows-1252 case folding to upper case: ASCII, the Latin-1 letters and
// the four pairs in 0x80..0x9F.
unsigned char FoldCase(unsigned char c) noexcept {
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 32);
    switch (c) {
    case 0x9A:
        return 0x8A;
    case 0x9C:
        return 0x8C;
    case 0x9E:
        return 0x8E;
    case 0xFF:
        return 0x9F;
    default:
        return c;
    }
}

bool TextLess(const std::string& a, const std::string& b) noexcept {
    return CompareListText(a, b) < 0;
}

} // namespace

int CompareListText(std::string_view a, std::string_view b) noexcept {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int d = int(FoldCase(static_cast<unsigned char>(a[i]))) -
                      int(FoldCase(static_cast<unsigned char>(b[i])));
        if (d != 0)
            return d;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool SameTextPrefix(std::string_view text, std::string_view prefix) noexcept {
    if (prefix.size() > text.size())
        return false;
    return CompareListText(text.substr(0, prefix.size()), prefix) == 0;
}

int FindItemWithPrefix(const std::vector<std::string>& items, std::string_view prefix,
                       int start) noexcept {
    const int n = int(items.size());
    if (n == 0)
        return -1;
    const int first = (start < -1 || start >= n) ? 0 : start + 1;
    for (int k = 0; k < n; ++k) {
        const int i = (first + k) % n;
        if (SameTextPrefix(items[std::size_t(i)], prefix))
            return i;
    }
    return -1;
}

const std::string& TFcListBoxStrings::Strings(int index) const {
    if (index < 0 || index >= Count())
        ThrowListIndexError(index);
    return m_items[std::size_t(index)];
}

int TFcListBoxStrings::Add(const std::string& value) {
    if (m_noData)
        return -1;
    int index = Count();
    if (m_sorted) {
        const auto it = std::upper_bound(m_items.begin(), m_items.end(), value, TextLess);
        index = int(it - m_items.begin());
    }
    m_items.insert(m_items.begin() + index, value);
    m_observer.ItemInserted(index, TListBoxMessage::LB_ADDSTRING);
    return index;
}

void TFcListBoxStrings::Insert(int index, const std::string& value) {
    if (m_noData)
        return;
    if (index < 0 || index > Count())
        ThrowListIndexError(index);
    m_items.insert(m_items.begin() + index, value);
    m_observer.ItemInserted(index, TListBoxMessage::LB_INSERTSTRING);
}

void TFcListBoxStrings::Delete(int index) {
    if (m_noData)
        return;
    if (index < 0 || index >= Count())
        ThrowListIndexError(index);
    m_items.erase(m_items.begin() + index);
    m_observer.ItemDeleted(index);
}

void TFcListBoxStrings::Clear() {
    m_items.clear();
    m_observer.ItemsCleared();
}

void TFcListBoxStrings::Put(int index, const std::string& value) {
    if (m_noData)
        return;
    if (index < 0 || index >= Count())
        ThrowListIndexError(index);
    m_observer.ItemReplacing(index);
    Delete(index);
    Insert(index, value);
    m_observer.ItemReplaced(index);
}

int TFcListBoxStrings::IndexOf(std::string_view value) const noexcept {
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (CompareListText(m_items[i], value) == 0)
            return int(i);
    return -1;
}

void TFcListBoxStrings::EndUpdate() {
    if (m_updateCount > 0)
        --m_updateCount;
    if (m_updateCount == 0)
        m_observer.ItemsUpdateEnded();
}

void TFcListBoxStrings::AddStrings(const std::vector<std::string>& values) {
    const gui::TUpdateGuard update(*this);
    for (const std::string& v : values)
        Add(v);
}

void TFcListBoxStrings::Assign(const std::vector<std::string>& values) {
    const gui::TUpdateGuard update(*this);
    Clear();
    for (const std::string& v : values)
        Add(v);
}

std::string TFcListBoxStrings::Text() const {
    std::string out;
    for (const std::string& s : m_items) {
        out += s;
        out += "\r\n";
    }
    return out;
}

void TFcListBoxStrings::SetText(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    Assign(lines);
}

void TFcListBoxStrings::LoadFromFile(const std::string& path) {
    os::File file =
        os::File::Open(path, os::Access::Read, os::Share::Read, os::Disposition::OpenExisting);
    std::string content;
    char buffer[65536];
    while (const std::size_t n = file.Read(buffer, sizeof buffer))
        content.append(buffer, n);
    file.Close();
    SetText(content);
}

void TFcListBoxStrings::SetSorted(bool value) {
    m_sorted = value;
    if (value)
        std::stable_sort(m_items.begin(), m_items.end(), TextLess);
}

} // namespace vdx
