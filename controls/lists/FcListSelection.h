#pragma once
// The selection of a list box without its window: the selected item, the
// caret (the item with the focus rectangle), the anchor of a range, the
// multi-select and extended-select rules, the keyboard's navigation and the
// prefix typed for an incremental search. The list box scrolls, repaints and
// reports clicks after each step; this model only decides where things go.
//
// A multiple selection is kept as ranges of indexes, so that its cost
// follows the number of ranges, never the number of items (a virtual list
// box may show millions).

#include <Qt>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vdx {

// A set of item indexes as sorted, disjoint ranges.
class TFcIndexRanges {
public:
    bool Contains(int index) const noexcept;
    void Set(int index, bool value);
    void Flip(int index);
    // Adds first..last (both included).
    void AddRange(int first, int last);
    void Clear() noexcept { m_ranges.clear(); }
    // How many indexes the set holds.
    int Count() const noexcept;
    int RangeCount() const noexcept { return int(m_ranges.size()); }
    // An index was inserted before index (the new one is not in the set):
    // index and the ones after it move up by one.
    void Inserted(int index);
    // index went: the ones after it move down by one.
    void Deleted(int index);
    // Drops every index from count on.
    void Truncate(int count);

private:
    struct TRange {
        int First = 0;
        int End = 0; // one past the last
    };
    // Joins ranges that touch.
    void Normalize();
    std::vector<TRange> m_ranges; // sorted, disjoint, never touching
};

// What a keyboard step did: Moved when the caret was placed (the view
// follows it), Clicked when the user changed the selection (OnClick).
struct TFcListMove {
    bool Moved = false;
    bool Clicked = false;
};

class TFcListSelection {
public:
    int Count() const noexcept { return m_count; }

    // The item list changed.
    void Inserted(int index);
    void Deleted(int index);
    // Every item is unselected and nothing has the caret (new or resorted
    // items).
    void Reset(int count);
    // The number of items changed at the end (a virtual list's count): the
    // items past the new end leave the selection, the caret and the anchor
    // stay on the last item.
    void SetCount(int count);

    bool MultiSelect() const noexcept { return m_multiSelect; }
    // The selection starts empty; the caret stays.
    void SetMultiSelect(bool value);
    bool ExtendedSelect() const noexcept { return m_extendedSelect; }
    void SetExtendedSelect(bool value) noexcept { m_extendedSelect = value; }

    // The selected item (the caret item with MultiSelect); -1 for none.
    int ItemIndex() const noexcept { return m_multiSelect ? m_caretIndex : m_itemIndex; }
    // An index out of range means none; returns the index set.
    int SetItemIndex(int value);
    int CaretIndex() const noexcept { return m_caretIndex; }
    int SetCaretIndex(int value);
    int AnchorIndex() const noexcept { return m_anchorIndex; }
    // Throw gui::EListError for an index out of range.
    bool Selected(int index) const;
    void SetSelected(int index, bool value);
    int SelCount() const noexcept;
    void ClearSelection();
    // With MultiSelect only; returns whether it did.
    bool SelectAll();

    // Moves the caret to index (clamped to the items) as the keyboard does:
    // Shift extends from the anchor and Ctrl moves the caret alone with
    // ExtendedSelect. Nothing happens without items.
    TFcListMove MoveCaretTo(int index, Qt::KeyboardModifiers modifiers);
    // An arrow, Home, End, PageUp or PageDown; pageRows is the rows the view
    // shows. In a multi-column view columnRows is the items of a column:
    // Left and Right then move by a column (not past the first or last
    // item) and a page is pageRows items. Other keys do nothing.
    TFcListMove Navigate(int key, Qt::KeyboardModifiers modifiers, int pageRows,
                         int columnRows = 0);
    static bool IsNavigationKey(int key) noexcept;
    // Space in a plain MultiSelect list flips the caret item; returns
    // whether it did.
    bool ToggleCaret();
    // A press on (or a drag over, press false) the item index.
    void SelectByMouse(int index, Qt::KeyboardModifiers modifiers, bool press);

    // The typed prefix of the incremental search.
    const std::string& SearchString() const noexcept { return m_searchString; }
    void ClearSearch() noexcept { m_searchString.clear(); }
    // Selects the item find returns for text and remembers text; when find
    // returns -1 (or any index that is no item) nothing changes (the old
    // prefix stays) and false is returned.
    bool SearchFor(const std::string& text, const std::function<int(std::string_view)>& find);

private:
    void SelectRangeTo(int index);
    void SelectOnly(int index);

    int m_count = 0;
    bool m_multiSelect = false;
    bool m_extendedSelect = true;
    int m_itemIndex = -1; // single selection
    int m_caretIndex = -1;
    int m_anchorIndex = -1;
    TFcIndexRanges m_selected; // with MultiSelect
    std::string m_searchString;
};

} // namespace vdx
