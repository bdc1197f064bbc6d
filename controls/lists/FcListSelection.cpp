#include "controls/lists/FcListSelection.h"

#include "controls/storage/FcIntLst.h"

#include <algorithm>

namespace vdx {

void TFcListSelection::Inserted(int index) {
    ++m_count;
    if (m_multiSelect) {
        m_selected.insert(m_selected.begin() + index, false);
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
        m_selected.erase(m_selected.begin() + index);
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
    m_selected.assign(std::size_t(count), false);
    m_itemIndex = m_caretIndex = m_anchorIndex = -1;
}

void TFcListSelection::SetMultiSelect(bool value) {
    m_multiSelect = value;
    m_selected.assign(std::size_t(m_count), false);
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
    return m_multiSelect ? bool(m_selected[std::size_t(index)]) : index == m_itemIndex;
}

void TFcListSelection::SetSelected(int index, bool value) {
    if (index < 0 || index >= m_count)
        ThrowListIndexError(index);
    if (m_multiSelect) {
        m_selected[std::size_t(index)] = value;
    } else if (value) {
        m_itemIndex = m_caretIndex = index;
    } else if (m_itemIndex == index) {
        m_itemIndex = -1;
    }
}

int TFcListSelection::SelCount() const noexcept {
    if (!m_multiSelect)
        return m_itemIndex >= 0 ? 1 : 0;
    return int(std::count(m_selected.begin(), m_selected.end(), true));
}

void TFcListSelection::ClearSelection() {
    if (m_multiSelect)
        std::fill(m_selected.begin(), m_selected.end(), false);
    else
        m_itemIndex = -1;
}

bool TFcListSelection::SelectAll() {
    if (!m_multiSelect)
        return false;
    std::fill(m_selected.begin(), m_selected.end(), true);
    return true;
}

void TFcListSelection::SelectRangeTo(int index) {
    std::fill(m_selected.begin(), m_selected.end(), false);
    const auto [lo, hi] = std::minmax(m_anchorIndex, index);
    for (int i = lo; i <= hi; ++i)
        m_selected[std::size_t(i)] = true;
}

void TFcListSelection::SelectOnly(int index) {
    std::fill(m_selected.begin(), m_selected.end(), false);
    m_selected[std::size_t(index)] = true;
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

TFcListMove TFcListSelection::Navigate(int key, Qt::KeyboardModifiers modifiers, int pageRows) {
    if (m_count == 0)
        return {};
    const int current = ItemIndex();
    const int page = std::max(1, pageRows - 1);
    int target = current;
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
    m_selected[std::size_t(m_caretIndex)] = !m_selected[std::size_t(m_caretIndex)];
    return true;
}

void TFcListSelection::SelectByMouse(int index, Qt::KeyboardModifiers modifiers, bool press) {
    if (!m_multiSelect) {
        m_itemIndex = m_caretIndex = index;
    } else if (m_extendedSelect) {
        if (press && (modifiers & Qt::ControlModifier)) {
            m_selected[std::size_t(index)] = !m_selected[std::size_t(index)];
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
        m_selected[std::size_t(index)] = !m_selected[std::size_t(index)];
        m_caretIndex = index;
    }
}

bool TFcListSelection::SearchFor(const std::string& text,
                                 const std::function<int(std::string_view)>& find) {
    const int old = ItemIndex();
    const int found = find(text);
    if (found == -1)
        return false;
    if (m_multiSelect) {
        if (old == -1)
            std::fill(m_selected.begin(), m_selected.end(), false);
        else
            m_selected[std::size_t(old)] = false;
        m_selected[std::size_t(found)] = true;
        SetCaretIndex(found);
    } else {
        SetItemIndex(found);
    }
    m_searchString = text;
    return true;
}

} // namespace vdx
