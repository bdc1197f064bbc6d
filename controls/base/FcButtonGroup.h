#pragma once
// The class library's button groups: the sibling buttons of one class with
// the same nonzero GroupIndex, of which at most one is down unless the group
// allows all up.

#include "controls/base/FcCommon.h"

namespace vdx {

// The fields of a button class the group rule reads and writes.
template <class T> struct TFcGroupFields {
    int T::*GroupIndex;
    bool T::*AllowAllUp;
    bool T::*Down;
};

// Self went down or changed its group settings: every other button of its
// group takes its AllowAllUp, and one that is down while self is comes up.
// showUp repaints such a button as up (no Click, no second round).
template <class T, class ShowUp>
void SpreadGroupChange(T& self, const TFcGroupFields<T>& fields, ShowUp showUp) {
    const int group = self.*fields.GroupIndex;
    if (group == 0)
        return;
    ForEachSibling<T>(self, [&](T& b) {
        if (&b == &self || b.*fields.GroupIndex != group)
            return;
        if (self.*fields.Down && b.*fields.Down) {
            b.*fields.Down = false;
            showUp(b);
        }
        b.*fields.AllowAllUp = self.*fields.AllowAllUp;
    });
}

} // namespace vdx
