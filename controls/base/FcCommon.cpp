#include "controls/base/FcCommon.h"

#include "platform/gui/class_errors.h"

#include <QComboBox>
#include <QMetaProperty>
#include <QWidget>

#include <string>

namespace vdx {

void InvalidateTransparentChildren(QWidget& panel) {
    for (QObject* child : panel.children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w)
            continue;
        const int index = w->metaObject()->indexOfProperty("Transparent");
        if (index >= 0 && w->metaObject()->property(index).read(w).toInt() == 1)
            w->update();
    }
}

QVariant ImageComboBoxItemData(std::shared_ptr<TFcImageComboBoxItem> item) {
    return QVariant::fromValue(std::move(item));
}

TFcImageComboBoxItem& ImageComboBoxItemAt(const QComboBox& combo, int index) {
    if (index < 0 || index >= combo.count())
        throw gui::EListError("List index out of bounds (" + std::to_string(index) + ")");
    const QVariant data = combo.itemData(index, Qt::UserRole);
    if (data.metaType() != QMetaType::fromType<std::shared_ptr<TFcImageComboBoxItem>>())
        throw gui::EInvalidCast("Invalid class typecast");
    auto item = data.value<std::shared_ptr<TFcImageComboBoxItem>>();
    if (!item)
        throw gui::EInvalidCast("Invalid class typecast");
    return *item; // the combo box's item data keeps it alive
}

} // namespace vdx
