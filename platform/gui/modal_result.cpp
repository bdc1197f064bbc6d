#include "platform/gui/modal_result.h"

#include "platform/gui/application.h"

#include <QDialog>
#include <QPointer>
#include <QVariant>

namespace vdx::gui {

namespace {

constexpr const char* kModalResult = "vdxModalResult";

} // namespace

TModalResult FormModalResult(const QWidget& widget) {
    return widget.window()->property(kModalResult).toInt();
}

void SetFormModalResult(QWidget& widget, TModalResult value) {
    QWidget* form = widget.window();
    form->setProperty(kModalResult, value);
    auto* dialog = qobject_cast<QDialog*>(form);
    if (value == mrNone || !dialog || !dialog->isModal())
        return;
    CallWhenEventDone(dialog, [dialog = QPointer<QDialog>(dialog)] {
        if (!dialog || !dialog->isVisible())
            return;
        if (const TModalResult result = FormModalResult(*dialog); result != mrNone)
            dialog->done(result);
    });
}

} // namespace vdx::gui
