#include "controls/shell/FcPidlList.h"

#include "platform/gui/class_errors.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace vdx {

// ---- TFcIdListArray ------------------------------------------------------

std::size_t TFcIdListArray::ItemCount() const {
    return m_list ? m_list->ItemCount() : 0;
}

std::optional<IdList> TFcIdListArray::ItemAt(int index) const {
    if (!m_list || index < 0)
        return std::nullopt;
    const std::size_t count = ItemCount();
    if (count == 0)
        return index == 0 ? std::optional<IdList>(IdList()) : std::nullopt;
    if (static_cast<std::size_t>(index) >= count)
        return std::nullopt;
    return IdList::FromItem(m_list->Item(static_cast<std::size_t>(index)));
}

std::optional<IdList> TFcIdListArray::ListWithoutLast(int n) const {
    if (!m_list || n < 0 || static_cast<std::size_t>(n) > ItemCount())
        return std::nullopt;
    return m_list->WithoutLast(static_cast<std::size_t>(n));
}

// ---- TFcPidlList ---------------------------------------------------------

int TFcPidlList::Compare(const IdList& a, const IdList& b) const {
    if (m_folder)
        if (const std::optional<int> order = m_folder->CompareIDs(a, b))
            return *order;
    return CompareIdListBytes(&a, &b);
}

void TFcPidlList::Check(int index) const {
    if (index < 0 || index >= Count())
        throw gui::EListError("List index out of bounds (" + std::to_string(index) + ")");
}

int TFcPidlList::AddObject(IdList list, Object object) {
    int index = Count();
    if (m_sorted) {
        if (Find(list, index)) {
            switch (m_duplicates) {
            case TDuplicates::dupIgnore:
                return index;
            case TDuplicates::dupError:
                throw std::runtime_error("TFcPidlList: Duplicate PIDL");
            case TDuplicates::dupAccept:
                break;
            }
        }
    }
    Insert(index, std::move(list), object);
    return index;
}

void TFcPidlList::Insert(int index, IdList list, Object object) {
    if (index < 0 || index > Count())
        throw gui::EListError("List index out of bounds (" + std::to_string(index) + ")");
    m_entries.insert(m_entries.begin() + index, {std::move(list), object});
}

void TFcPidlList::Delete(int index) {
    Check(index);
    m_entries.erase(m_entries.begin() + index);
}

bool TFcPidlList::Find(const IdList& list, int& index) const {
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = Compare(m_entries[std::size_t(mid)].first, list);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (m_duplicates != TDuplicates::dupAccept)
                    lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

int TFcPidlList::IndexOf(const IdList& list) const {
    if (m_sorted) {
        int index = 0;
        return Find(list, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (Compare(m_entries[std::size_t(i)].first, list) == 0)
            return i;
    return -1;
}

void TFcPidlList::RemoveCommon(std::vector<IdList>& fresh) {
    std::vector<bool> common(fresh.size(), false);
    for (std::size_t k = fresh.size(); k-- > 0;) {
        int index = 0;
        if (Find(fresh[k], index)) {
            common[k] = true;
            Delete(index);
        }
    }
    // The predicate sees the lists once each, in order.
    std::size_t next = 0;
    std::erase_if(fresh, [&](const IdList&) { return common[next++]; });
}

void TFcPidlList::Sort() {
    // One total order: where the folder cannot compare two lists, their
    // bytes do, and equal keys keep their order.
    std::stable_sort(m_entries.begin(), m_entries.end(), [this](const auto& a, const auto& b) {
        return Compare(a.first, b.first) < 0;
    });
}

void TFcPidlList::SetSorted(bool value) {
    if (value && !m_sorted)
        Sort();
    m_sorted = value;
}

const IdList& TFcPidlList::Pidls(int index) const {
    Check(index);
    return m_entries[std::size_t(index)].first;
}

TFcPidlList::Object TFcPidlList::Objects(int index) const {
    Check(index);
    return m_entries[std::size_t(index)].second;
}

void TFcPidlList::SetObjects(int index, Object object) {
    Check(index);
    m_entries[std::size_t(index)].second = object;
}

void TFcPidlList::SetCapacity(int value) {
    if (value >= Count())
        m_entries.reserve(std::size_t(value));
}

} // namespace vdx
