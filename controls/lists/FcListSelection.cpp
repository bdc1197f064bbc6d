#include "controls/lists/FcListSelection.h"

#include "controls/storage/FcIntLst.h"

#include <algorithm>

namespace vdx {

// ---- index ranges ----------------------------------------------------

bool TFcIndexRanges::Contains(int index) const noexcept {
    const auto it = std::upper_bound(m_ranges.begin(), m_ranges.end(), index,
                                     [](int v, const TRange& r) { return v < r.End; });
    return it != m_ranges.end() && it->First <= index;
}

void TFcIndexRanges::AddRange(int first, int last) {
    if (last < first)
        return;
    int end = last + 1;
    // The ranges that overlap or touch first..last melt into one.
    auto lo = std::lower_bound(m_ranges.begin(), m_ranges.end(), first,
                               [](const TRange& r, int v) { return r.End < v; });
    auto hi = lo;
    while (hi != m_ranges.end() && hi->First <= end) {
        first = std::min(first, hi->First);
        end = std::max(end, hi->End);
        ++hi;
    }
    lo = m_ranges.erase(lo, hi);
    m_ranges.insert(lo, TRange{first, end});
}

void TFcIndexRanges::Set(int index, bool value) {
    if (value) {
        AddRange(index, index);
        return;
    }
    const auto it = std::upper_bound(m_ranges.begin(), m_ranges.end(), index,
                                     [](int v, const TRange& r) { return v < r.End; });
    if (it == m_ranges.end() || it->First > index)
        return;
    if (it->First == index && it->End == index + 1) {
        m_ranges.erase(it);
    } else if (it->First == index) {
        ++it->First;
    } else if (it->End == index + 1) {
        --it->End;
    } else {
        const TRange tail{index + 1, it->End};
        it->End = index;
        m_ranges.insert(it + 1, tail);
    }
}

void TFcIndexRanges::Flip(int index) {
    Set(index, !Contains(index));
}

int TFcIndexRanges::Count() const noexcept {
    int n = 0;
    for (const TRange& r : m_ranges)
        n += r.End - r.First;
    return n;
}

void TFcIndexRanges::Inserted(int index) {
    for (std::size_t i = 0; i < m_ranges.size(); ++i) {
        TRange& r = m_ranges[i];
        if (r.First >= index) {
            ++r.First;
            ++r.End;
        } else if (r.End > index) {
            // The new index splits the range and stays out of it.
            const TRange tail{index + 1, r.End + 1};
            r.End = index;
            m_ranges.insert(m_ranges.begin() + std::ptrdiff_t(i) + 1, tail);
            ++i;
        }
    }
}

void TFcIndexRanges::Deleted(int index) {
    for (TRange& r : m_ranges) {
        if (r.First > index) {
            --r.First;
            --r.End;
        } else if (r.End > index) {
            --r.End;
        }
    }
    Normalize();
}

void TFcIndexRanges::Truncate(int count) {
    while (!m_ranges.empty() && m_ranges.back().First >= count)
        m_ranges.pop_back();
    if (!m_ranges.empty())
        m_ranges.back().End = std::min(m_ranges.back().End, count);
}

void TFcIndexRanges::Normalize() {
    std::vector<TRange> joined;
    joined.reserve(m_ranges.size());
    for (const TRange& r : m_ranges) {
        if (r.End <= r.First)
            continue;
        if (!joined.empty() && joined.back().End >= r.First)
            joined.back().End = std::max(joined.back().End, r.End);
        else
            joined.push_back(r);
    }
    m_ranges = std::move(joined);
}

// ---- the selection ---------------------------------------------------

void TFcListSelection::Inserted(int index) {
    ++m_count;
    if (m_multiSelect) {
        m_selected.Inserted(index);
    } else if (m_itemIndex >= index) {
        ++m_itemIndex;
    }
    if (m_caretIndex >= index)
        ++m_caretIndex;
    if (m_anchorIndex >= index)
        ++m_anchorIndex;
}

void TFcListSelection::Deleted(int index) {
    const int count = --m_count;
    if (m_multiSelect) {
        m_selected.Deleted(index);
    } else if (m_itemIndex == index) {
        m_itemIndex = -1;
    } else if (m_itemIndex > index) {
        --m_itemIndex;
    }
    auto shift = [&](int& i) {
        if (i > index)
            --i;
        if (i >= count)
            i = count - 1;
    };
    shift(m_caretIndex);
    shift(m_anchorIndex);
}

void TFcListSelection::Reset(int count) {
    m_count = count;
    m_selected.Clear();
    m_itemIndex = m_caretIndex = m_anchorIndex = -1;
}

void TFcListSelection::SetCount(int count) {
    m_count = count;
    m_selected.Truncate(count);
    if (m_itemIndex >= count)
        m_itemIndex = -1;
    m_caretIndex = std::min(m_caretIndex, count - 1);
    m_anchorIndex = std::min(m_anchorIndex, count - 1);
}

void TFcListSelection::SetMultiSelect(bool value) {
    m_multiSelect = value;
    m_selected.Clear();
    m_itemIndex = m_anchorIndex = -1;
}

int TFcListSelection::SetItemIndex(int value) {
    if (m_multiSelect)
        return SetCaretIndex(value);
    if (value < -1 || value >= m_count)
        value = -1;
    m_itemIndex = m_caretIndex = value;
    return value;
}

int TFcListSelection::SetCaretIndex(int value) {
    if (value < -1 || value >= m_count)
        value = -1;
    m_caretIndex = value;
    return value;
}

bool TFcListSelection::Selected(int index) const {
    if (index < 0 || index >= m_count)
        ThrowListIndexError(index);
    return m_multiSelect ? m_selected.Contains(index) : index == m_itemIndex;
}

void TFcListSelection::SetSelected(int index, bool value) {
    if (index < 0 || index >= m_count)
        ThrowListIndexError(index);
    if (m_multiSelect) {
        m_selected.Set(index, value);
    } else if (value) {
        m_itemIndex = m_caretIndex = index;
    } else if (m_itemIndex == index) {
        m_itemIndex = -1;
    }
}

int TFcListSelection::SelCount() const noexcept {
    if (!m_multiSelect)
        return m_itemIndex >= 0 ? 1 : 0;
    return m_selected.Count();
}

void TFcListSelection::ClearSelection() {
    if (m_multiSelect)
        m_selected.Clear();
    else
        m_itemIndex = -1;
}

bool TFcListSelection::SelectAll() {
    if (!m_multiSelect)
        return false;
    m_selected.Clear();
    m_selected.AddRange(0, m_count - 1);
    return true;
}

void TFcListSelection::SelectRangeTo(int index) {
    m_selected.Clear();
    const auto [lo, hi] = std::minmax(m_anchorIndex, index);
    m_selected.AddRange(lo, hi);
}

void TFcListSelection::SelectOnly(int index) {
    m_selected.Clear();
    m_selected.Set(index, true);
    m_anchorIndex = index;
}

TFcListMove TFcListSelection::MoveCaretTo(int index, Qt::KeyboardModifiers modifiers) {
    if (m_count == 0)
        return {};
    index = std::clamp(index, 0, m_count - 1);
    if (!m_multiSelect) {
        const bool changed = index != m_itemIndex;
        m_itemIndex = m_caretIndex = index;
        return {true, changed};
    }
    if (m_extendedSelect) {
        if (modifiers & Qt::ShiftModifier) {
            if (m_anchorIndex < 0)
                m_anchorIndex = std::max(0, m_caretIndex);
            SelectRangeTo(index);
        } else if (!(modifiers & Qt::ControlModifier)) {
            SelectOnly(index);
        }
    }
    m_caretIndex = index;
    return {true, true};
}

bool TFcListSelection::IsNavigationKey(int key) noexcept {
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
        return true;
    default:
        return false;
    }
}

TFcListMove TFcListSelection::Navigate(int key, Qt::KeyboardModifiers modifiers, int pageRows,
                                       int columnRows) {
    if (m_count == 0)
        return {};
    const int current = ItemIndex();
    // A column view pages by whole columns, a row view by a page less one row.
    const int page = std::max(1, columnRows > 0 ? pageRows : pageRows - 1);
    int target = current;
    if (columnRows > 0 && current >= 0 && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        target = current + (key == Qt::Key_Left ? -columnRows : columnRows);
        if (target < 0 || target >= m_count)
            return {};
        return MoveCaretTo(target, modifiers);
    }
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        target = current < 0 ? 0 : current - 1;
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        target = current < 0 ? 0 : current + 1;
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = m_count - 1;
        break;
    case Qt::Key_PageUp:
        target = current < 0 ? 0 : current - page;
        break;
    case Qt::Key_PageDown:
        target = current < 0 ? 0 : current + page;
        break;
    default:
        return {};
    }
    return MoveCaretTo(target, modifiers);
}

bool TFcListSelection::ToggleCaret() {
    if (!m_multiSelect || m_extendedSelect || m_caretIndex < 0)
        return false;
    m_selected.Flip(m_caretIndex);
    return true;
}

void TFcListSelection::SelectByMouse(int index, Qt::KeyboardModifiers modifiers, bool press) {
    if (!m_multiSelect) {
        m_itemIndex = m_caretIndex = index;
    } else if (m_extendedSelect) {
        if (press && (modifiers & Qt::ControlModifier)) {
            m_selected.Flip(index);
            m_anchorIndex = index;
        } else if ((modifiers & Qt::ShiftModifier) || !press) {
            if (m_anchorIndex < 0)
                m_anchorIndex = index;
            SelectRangeTo(index);
        } else {
            SelectOnly(index);
        }
        m_caretIndex = index;
    } else if (press) {
        m_selected.Flip(index);
        m_caretIndex = index;
    }
}

bool TFcListSelection::SearchFor(const std::string& text,
                                 const std::function<int(std::string_view)>& find) {
    const int old = ItemIndex();
    const int found = find(text);
    if (found < 0 || found >= m_count)
        return false;
    if (m_multiSelect) {
        if (old == -1)
            m_selected.Clear();
        else
            m_selected.Set(old, false);
        m_selected.Set(found, true);
        SetCaretIndex(found);
    } else {
        SetItemIndex(found);
    }
    m_searchString = text;
    return true;
}

} // namespace vdx
