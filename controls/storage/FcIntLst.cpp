#include "controls/storage/FcIntLst.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

namespace vdx {

void ThrowListIndexError(int index) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TFcIntegerList::CheckRange(int value) const {
    if (m_min != m_max && (value < m_min || value > m_max))
        throw EOutOfRange("Value must be within " + std::to_string(m_min) + ".." +
                          std::to_string(m_max));
}

void TFcIntegerList::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        ThrowListIndexError(index);
}

bool TFcIntegerList::Find(int value, int& index) const {
    int lo = 0;
    int hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = (lo + hi) >> 1;
        if (m_items[mid] < value) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (m_items[mid] == value) {
                found = true;
                if (m_duplicates != TDuplicates::dupAccept)
                    lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

void TFcIntegerList::Put(int index, int value) {
    CheckRange(value);
    CheckIndex(index);
    m_items[index] = value;
}

void TFcIntegerList::Sort() {
    if (!m_sorted && Count() > 1)
        QuickSort(0, Count() - 1);
}

void TFcIntegerList::QuickSort(int lo, int hi) {
    while (lo < hi) {
        const int pivot = m_items[(lo + hi) >> 1];
        int i = lo;
        int j = hi;
        while (i <= j) {
            while (m_items[i] < pivot)
                ++i;
            while (m_items[j] > pivot)
                --j;
            if (i <= j) {
                std::swap(m_items[i], m_items[j]);
                ++i;
                --j;
            }
        }
        // Recurse into the smaller part and loop over the larger one, so
        // the depth stays logarithmic.
        if (j - lo < hi - i) {
            if (lo < j)
                QuickSort(lo, j);
            lo = i;
        } else {
            if (i < hi)
                QuickSort(i, hi);
            hi = j;
        }
    }
}

int TFcIntegerList::Add(int value) {
    int index = Count();
    if (m_sorted && Find(value, index)) {
        switch (m_duplicates) {
        case TDuplicates::dupIgnore:
            return index;
        case TDuplicates::dupError:
            throw EListError("Duplicates not allowed");
        case TDuplicates::dupAccept:
            break;
        }
    }
    const int before = Count();
    InsertItem(index, value);
    // A duplicate refused under dupIgnore: report where the value is held.
    if (Count() == before)
        return IndexOf(value);
    return index;
}

void TFcIntegerList::AddIntegers(const TFcIntegerList& list) {
    // Copied first: list may be this list.
    const std::vector<int> values = list.m_items;
    for (int v : values)
        Add(v);
}

void TFcIntegerList::Clear() {
    m_items.clear();
}

void TFcIntegerList::Delete(int index) {
    CheckIndex(index);
    m_items.erase(m_items.begin() + index);
}

void TFcIntegerList::Exchange(int index1, int index2) {
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(m_items[index1], m_items[index2]);
}

int TFcIntegerList::IndexOf(int value) const {
    if (m_sorted) {
        int index = 0;
        return Find(value, index) ? index : -1;
    }
    const auto it = std::find(m_items.begin(), m_items.end(), value);
    return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

void TFcIntegerList::Insert(int index, int value) {
    if (m_sorted)
        throw EListError("Operation not allowed on sorted list");
    if (index < 0 || index > Count())
        ThrowListIndexError(index);
    InsertItem(index, value);
}

void TFcIntegerList::InsertItem(int index, int value) {
    CheckRange(value);
    if (m_duplicates == TDuplicates::dupIgnore && IndexOf(value) >= 0)
        return;
    if (index < 0 || index > Count())
        ThrowListIndexError(index);
    m_items.insert(m_items.begin() + index, value);
}

void TFcIntegerList::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex)
        return;
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    const int value = m_items[curIndex];
    m_items.erase(m_items.begin() + curIndex);
    m_items.insert(m_items.begin() + newIndex, value);
}

void TFcIntegerList::Assign(const TFcIntegerList& source) {
    if (&source == this)
        return;
    Clear();
    AddIntegers(source);
}

int TFcIntegerList::Items(int index) const {
    CheckIndex(index);
    return m_items[index];
}

void TFcIntegerList::SetMin(int newMin) {
    if (newMin == m_min)
        return;
    if (std::any_of(m_items.begin(), m_items.end(), [&](int v) { return v < newMin; }))
        throw EOutOfRange("Unable to set new minimum value.\rList contains values below " +
                          std::to_string(newMin));
    m_min = newMin;
    if (m_max < newMin)
        m_max = newMin;
}

void TFcIntegerList::SetMax(int newMax) {
    if (newMax == m_max)
        return;
    if (std::any_of(m_items.begin(), m_items.end(), [&](int v) { return v > newMax; }))
        throw EOutOfRange("Unable to set new maximum value.\rList contains values above " +
                          std::to_string(newMax));
    m_max = newMax;
    if (newMax < m_min)
        m_min = newMax;
}

void TFcIntegerList::SetSorted(bool value) {
    if (value == m_sorted)
        return;
    if (value)
        Sort();
    m_sorted = value;
}

bool TFcIntegerList::Equals(const TFcIntegerList& list) const {
    return m_items == list.m_items;
}

// ---------------------------------------------------------------------------
// Text form

std::string TFcIntegerList::WriteProperties(const TFcIntegerList* ancestor) const {
    std::string out;
    if (m_min != 0)
        out += "Min = " + std::to_string(m_min) + "\n";
    if (m_max != 0)
        out += "Max = " + std::to_string(m_max) + "\n";
    const bool writeItems = ancestor ? !Equals(*ancestor) : Count() > 0;
    if (writeItems) {
        out += "Integers = (";
        for (int v : m_items)
            out += "\n  " + std::to_string(v);
        out += ")\n";
    }
    return out;
}

namespace {

// Splits the text into names, numbers and the marks "=", "(" and ")".
std::vector<std::string> Tokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isspace(c)) {
            ++i;
        } else if (c == '=' || c == '(' || c == ')') {
            tokens.emplace_back(1, static_cast<char>(c));
            ++i;
        } else {
            std::size_t j = i;
            while (j < text.size()) {
                const unsigned char d = static_cast<unsigned char>(text[j]);
                if (std::isspace(d) || d == '=' || d == '(' || d == ')')
                    break;
                ++j;
            }
            tokens.push_back(text.substr(i, j - i));
            i = j;
        }
    }
    return tokens;
}

int ToInteger(const std::string& token) {
    int value = 0;
    const char* first = token.data();
    const char* last = token.data() + token.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (token.empty() || ec != std::errc() || ptr != last)
        throw EReadError("Invalid property value \"" + token + "\"");
    return value;
}

} // namespace

void TFcIntegerList::ReadProperties(const std::string& text) {
    const std::vector<std::string> tokens = Tokens(text);
    std::size_t i = 0;
    auto next = [&]() -> const std::string& {
        if (i >= tokens.size())
            throw EReadError("Unexpected end of the property text");
        return tokens[i++];
    };
    while (i < tokens.size()) {
        const std::string name = next();
        if (next() != "=")
            throw EReadError("\"=\" expected after \"" + name + "\"");
        if (name == "Min") {
            m_min = ToInteger(next());
        } else if (name == "Max") {
            m_max = ToInteger(next());
        } else if (name == "Integers") {
            if (next() != "(")
                throw EReadError("\"(\" expected after \"Integers =\"");
            std::vector<int> values;
            for (std::string token = next(); token != ")"; token = next())
                values.push_back(ToInteger(token));
            Clear();
            for (int v : values)
                Add(v);
        } else {
            throw EReadError("Property \"" + name + "\" does not exist");
        }
    }
}

} // namespace vdx
