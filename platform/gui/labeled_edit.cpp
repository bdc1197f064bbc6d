#include "platform/gui/labeled_edit.h"

#include <QEvent>

namespace vdx::gui {

TLabeledEdit::TLabeledEdit(QWidget* parent) : QLineEdit(parent), EditLabel(new QLabel(parent)) {
    EditLabel->setTextFormat(Qt::PlainText);
    EditLabel->setBuddy(this);
    resize(121, 21);
    PlaceLabel();
}

void TLabeledEdit::SetLabelSpacing(int value) {
    m_labelSpacing = value;
    PlaceLabel();
}

void TLabeledEdit::Place(int left, int top, int width) {
    setGeometry(left, top, width, height());
}

void TLabeledEdit::PlaceLabel() {
    EditLabel->adjustSize();
    // Left of the edit, its text on the edit's text line.
    EditLabel->move(x() - m_labelSpacing - EditLabel->width(),
                    y() + (height() - EditLabel->height()) / 2);
}

void TLabeledEdit::moveEvent(QMoveEvent* event) {
    QLineEdit::moveEvent(event);
    PlaceLabel();
}

void TLabeledEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    PlaceLabel();
}

void TLabeledEdit::showEvent(QShowEvent* event) {
    QLineEdit::showEvent(event);
    PlaceLabel();
    EditLabel->show();
}

void TLabeledEdit::hideEvent(QHideEvent* event) {
    QLineEdit::hideEvent(event);
    EditLabel->hide();
}

void TLabeledEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        EditLabel->setEnabled(isEnabled());
    else if (event->type() == QEvent::FontChange)
        PlaceLabel();
}

} // namespace vdx::gui
