#pragma once
// Common support of the framed controls: the property-setter helpers, the
// repaint of transparent children and the item of image combo boxes. The
// shared blink timer (FcBlinkTimer.h), the display facts (FcDisplayFacts.h),
// the small text routines (FcTextRoutines.h) and the monitor work-area
// routines (FcMonitors.h) come with it.
//
// Old streamed properties: forms are built in code, so no form resource ever
// carries the obsolete properties of older library versions; their readers
// are not needed and not provided.

#include "controls/base/FcBlinkTimer.h"
#include "controls/base/FcDisplayFacts.h"
#include "controls/base/FcTextRoutines.h"
#include "controls/storage/FcMonitors.h"

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <any>
#include <memory>
#include <vector>

class QComboBox;

namespace vdx {

// Calls f on each child of self's parent that is a T (self too), in child
// order; a sibling deleted by an earlier call is skipped.
template <class T, class F> void ForEachSibling(QWidget& self, F f) {
    QWidget* parent = self.parentWidget();
    if (!parent)
        return;
    std::vector<QPointer<T>> siblings;
    for (QObject* o : parent->children())
        if (auto* t = qobject_cast<T*>(o))
            siblings.emplace_back(t);
    for (const QPointer<T>& t : siblings)
        if (t)
            f(*t);
}

// Stores value in member; false when member held it already. Property
// setters use it to do nothing for an unchanged value.
template <class T> bool StoreChanged(T& member, const T& value) {
    if (member == value)
        return false;
    member = value;
    return true;
}
constexpr int MinOf(int a, int b) noexcept {
    return a < b ? a : b;
}
constexpr int MaxOf(int a, int b) noexcept {
    return a > b ? a : b;
}

// Repaints every child of panel whose "Transparent" property is true.
void InvalidateTransparentChildren(QWidget& panel);

// The object each item of an image combo box carries.
class TFcImageComboBoxItem {
public:
    int IndentLevel = 0;
    std::any Data; // whatever the combo box's owner attaches
};
// The item data that carries item (store it under Qt::UserRole).
QVariant ImageComboBoxItemData(std::shared_ptr<TFcImageComboBoxItem> item);
// The item of combo entry index. Throws gui::EListError for a bad index and
// gui::EInvalidCast when the entry carries anything else.
TFcImageComboBoxItem& ImageComboBoxItemAt(const QComboBox& combo, int index);

} // namespace vdx

Q_DECLARE_METATYPE(std::shared_ptr<vdx::TFcImageComboBoxItem>)
