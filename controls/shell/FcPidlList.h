#pragma once
// Two views of item-ID lists: an indexed view of the items of one list
// (TFcIdListArray) and a list of item-ID lists with an object each, kept in
// order by a folder's comparison (TFcPidlList).

#include "controls/shell/FcShellUtils.h"

#include <optional>
#include <utility>
#include <vector>

namespace vdx {

class TFcIdListArray {
public:
    // Looks at list (nil allowed); the caller keeps it alive.
    explicit TFcIdListArray(const IdList* list) noexcept : m_list(list) {}

    // 0 for nil and for the empty list.
    std::size_t ItemCount() const;
    // A one-item list of item index; the empty list for index 0 of the
    // empty list; nullopt for nil, a negative index or one past the items.
    std::optional<IdList> ItemAt(int index) const;
    // The first ItemCount - n items (the empty list for n = ItemCount);
    // nullopt for nil, a negative n or one past the count.
    std::optional<IdList> ListWithoutLast(int n) const;

private:
    const IdList* m_list;
};

enum class TDuplicates : std::uint8_t { dupIgnore, dupAccept, dupError };

class TFcPidlList {
public:
    // The objects are never owned.
    using Object = const void*;

    // The index of the new entry: at the end unless sorted; sorted, at its
    // place (Find), where a duplicate is skipped (dupIgnore: the index of the
    // one there), added (dupAccept) or refused (dupError: std::runtime_error
    // "TFcPidlList: Duplicate PIDL").
    virtual ~TFcPidlList() = default;
    virtual int Add(IdList list) { return AddObject(std::move(list), nullptr); }
    virtual int AddObject(IdList list, Object object);

    // Index errors throw gui::EListError.
    void Insert(int index, IdList list, Object object);
    void Delete(int index);
    void Clear() { m_entries.clear(); }
    // Binary search of a sorted list: whether list is there, and its index
    // (where it belongs when it is not).
    bool Find(const IdList& list, int& index) const;
    // Find when sorted, else the first equal entry; -1 when none.
    int IndexOf(const IdList& list) const;
    // The merge of a refresh: every list of fresh that this sorted list
    // holds leaves both (one entry each); each keeps only what the other
    // lacks, fresh in its order.
    void RemoveCommon(std::vector<IdList>& fresh);
    // Sorts (stably) by the comparison.
    void Sort();

    bool Sorted() const noexcept { return m_sorted; }
    // True sorts; False only clears the flag.
    void SetSorted(bool value);
    TDuplicates Duplicates() const noexcept { return m_duplicates; }
    void SetDuplicates(TDuplicates value) noexcept { m_duplicates = value; }
    // The folder whose CompareIDs orders the lists; without one (or where it
    // cannot compare) their bytes do (CompareIdListBytes).
    const ShellFolderPtr& ShellFolder() const noexcept { return m_folder; }
    void SetShellFolder(ShellFolderPtr folder) { m_folder = std::move(folder); }

    const IdList& Pidls(int index) const;
    Object Objects(int index) const;
    void SetObjects(int index, Object object);
    int Count() const noexcept { return static_cast<int>(m_entries.size()); }
    int Capacity() const noexcept { return static_cast<int>(m_entries.capacity()); }
    void SetCapacity(int value);

    // The order of two lists as the list keeps it.
    int Compare(const IdList& a, const IdList& b) const;

private:
    void Check(int index) const;

    std::vector<std::pair<IdList, Object>> m_entries;
    bool m_sorted = false;
    ShellFolderPtr m_folder;
    TDuplicates m_duplicates = TDuplicates::dupError;
};

} // namespace vdx
