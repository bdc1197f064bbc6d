#pragma once
// A list of integers with an optional value range and an optional sorted
// order with a duplicate policy; the tab-stop list of the tabbed list box
// derives from it.

#include "platform/gui/class_errors.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace vdx {

// The class library's list error: a bad index, a duplicate, an operation a
// sorted list refuses.
using gui::EListError;

// A value outside Min..Max, or a range the held values do not fit.
class EOutOfRange : public EListError {
public:
    using EListError::EListError;
};

// Text that cannot be read back as an integer list.
class EReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TDuplicates { dupIgnore, dupAccept, dupError };

// "List index out of bounds (index)".
[[noreturn]] void ThrowListIndexError(int index);

class TFcIntegerList {
public:
    TFcIntegerList() = default;
    TFcIntegerList(const TFcIntegerList&) = default;
    TFcIntegerList& operator=(const TFcIntegerList&) = default;
    virtual ~TFcIntegerList() = default;

    // Binary search over ascending items: true when found; index is the
    // position of the value (the first equal one under dupAccept) or where it
    // would be inserted.
    virtual bool Find(int value, int& index) const;
    // Overwrites item index after the range check, without order or
    // duplicate checks. Throws EOutOfRange, or EListError for a bad index.
    virtual void Put(int index, int value);
    // Sorts ascending; nothing for a list marked Sorted.
    virtual void Sort();
    // Adds at the end, or in order when Sorted (dupIgnore: the position of
    // the value already held; dupError: EListError "Duplicates not allowed").
    // Returns the value's position. Throws EOutOfRange outside Min..Max.
    virtual int Add(int value);
    virtual void AddIntegers(const TFcIntegerList& list);
    virtual void Clear();
    virtual void Delete(int index);
    virtual void Exchange(int index1, int index2);
    // Position of value, -1 when absent.
    virtual int IndexOf(int value) const;
    // Throws EListError on a sorted list or for an index outside 0..Count.
    virtual void Insert(int index, int value);
    // Inserts after the range check; a value already held is not inserted
    // again under dupIgnore.
    virtual void InsertItem(int index, int value);
    virtual void Move(int curIndex, int newIndex);
    // Copies the items only (not range, order or policy).
    virtual void Assign(const TFcIntegerList& source);

    int Count() const noexcept { return static_cast<int>(m_items.size()); }
    // Throws EListError for a bad index.
    int Items(int index) const;
    int operator[](int index) const { return Items(index); }
    const std::vector<int>& Values() const noexcept { return m_items; }

    int Min() const noexcept { return m_min; }
    int Max() const noexcept { return m_max; }
    // Throw EOutOfRange when a held value would fall outside the new bound;
    // the other bound follows when it would cross.
    void SetMin(int newMin);
    void SetMax(int newMax);

    bool Sorted() const noexcept { return m_sorted; }
    // Marking the list sorted sorts what it holds, so Find and Add can
    // rely on the order.
    void SetSorted(bool value);
    TDuplicates Duplicates() const noexcept { return m_duplicates; }
    void SetDuplicates(TDuplicates value) noexcept { m_duplicates = value; }

    // Same count and the same values position by position.
    bool Equals(const TFcIntegerList& list) const;

    // The list's properties in the form-resource text form:
    //   Min = 1
    //   Max = 10
    //   Integers = (
    //     3
    //     5)
    // Min and Max only when not 0; Integers when there are items and, with an
    // ancestor, when they differ from its items. Empty when nothing differs.
    std::string WriteProperties(const TFcIntegerList* ancestor = nullptr) const;
    // Reads that text: Min and Max are taken as they are, then the list is
    // cleared and each integer added (range, order and duplicate rules
    // apply). Throws EReadError for malformed text.
    void ReadProperties(const std::string& text);

protected:
    void QuickSort(int lo, int hi);

private:
    void CheckRange(int value) const;
    void CheckIndex(int index) const;

    std::vector<int> m_items;
    int m_min = 0;
    int m_max = 0;
    bool m_sorted = false;
    TDuplicates m_duplicates = TDuplicates::dupIgnore;
};

} // namespace vdx
