#pragma once
// The items of a list box: the strings in their order (sorted without regard
// to case when asked) and the notifications that tell the list box's window
// of every change at once, as the window messages do.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vdx {

// The changes of the item list, as the list box's window learns of them.
enum class TListBoxMessage : std::uint8_t {
    LB_ADDSTRING,
    LB_INSERTSTRING,
    LB_DELETESTRING,
    LB_RESETCONTENT
};

// Windows-1252 letters compared without regard to case.
bool SameTextPrefix(std::string_view text, std::string_view prefix) noexcept;
// <0, 0, >0 as a and b compare without regard to case (Windows-1252).
int CompareListText(std::string_view a, std::string_view b) noexcept;
// The first item, searching from after start (-1: from the top) and wrapping
// round, that starts with prefix without regard to case; -1 when none does.
int FindItemWithPrefix(const std::vector<std::string>& items, std::string_view prefix,
                       int start = -1) noexcept;

// What the item list tells its list box. Each call comes after the change.
class TFcListItemsObserver {
public:
    virtual void ItemInserted(int index, TListBoxMessage message) = 0;
    virtual void ItemDeleted(int index) = 0;
    virtual void ItemsCleared() = 0;
    // The last BeginUpdate was closed.
    virtual void ItemsUpdateEnded() = 0;
    // Put brackets its delete and insert so that the selection survives.
    virtual void ItemReplacing(int index) = 0;
    virtual void ItemReplaced(int index) = 0;

protected:
    ~TFcListItemsObserver() = default;
};

class TFcListBoxStrings {
public:
    explicit TFcListBoxStrings(TFcListItemsObserver& observer) : m_observer(observer) {}
    // The observer holds this object by address.
    TFcListBoxStrings(const TFcListBoxStrings&) = delete;
    TFcListBoxStrings& operator=(const TFcListBoxStrings&) = delete;

    int Count() const noexcept { return int(m_items.size()); }
    // Throws gui::EListError ("List index out of bounds (n)") for a bad index.
    const std::string& Strings(int index) const;
    const std::string& operator[](int index) const { return Strings(index); }
    // Replaces an item, keeping the selection.
    void Put(int index, const std::string& value);
    // Adds at the end (at its sorted place in a sorted list); returns the
    // index (-1 with NoData).
    int Add(const std::string& value);
    // Throws gui::EListError for an index outside 0..Count.
    void Insert(int index, const std::string& value);
    void Delete(int index);
    void Clear();
    // The first item equal to value without regard to case; -1 when none is.
    int IndexOf(std::string_view value) const noexcept;
    const std::vector<std::string>& Values() const noexcept { return m_items; }

    void BeginUpdate() noexcept { ++m_updateCount; }
    // Closing the last update shows the changes.
    void EndUpdate();
    int UpdateCount() const noexcept { return m_updateCount; }

    // Bulk changes, each in one update.
    void AddStrings(const std::vector<std::string>& values);
    void Assign(const std::vector<std::string>& values);
    // The items joined by CR LF, each line ended.
    std::string Text() const;
    // One item per line (lines end in CR LF, LF or CR).
    void SetText(std::string_view text);
    // The file's lines, as SetText. Throws os::FileError ("Cannot open file
    // ...") when the file cannot be opened or read; the items are unchanged
    // then.
    void LoadFromFile(const std::string& path);

    // A list box of a virtual style keeps no items: Add returns -1, and
    // Insert, Put and Delete do nothing. Clear is still told.
    bool NoData() const noexcept { return m_noData; }
    void SetNoData(bool value) noexcept { m_noData = value; }

    bool Sorted() const noexcept { return m_sorted; }
    // Turning sorting on orders the items at once (stable, without regard to
    // case); nothing is notified, the list box starts its selection anew.
    void SetSorted(bool value);

private:
    TFcListItemsObserver& m_observer;
    std::vector<std::string> m_items;
    int m_updateCount = 0;
    bool m_sorted = false;
    bool m_noData = false;
};

} // namespace vdx
