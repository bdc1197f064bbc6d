#pragma once
// The class library's labelled edit: a single-line edit with its own label
// kept beside it (to the left, LabelSpacing pixels apart), moved and shown
// with the edit.

#include <QLabel>
#include <QLineEdit>

namespace vdx::gui {

class TLabeledEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TLabeledEdit(QWidget* parent = nullptr);

    QLabel* const EditLabel; // a sibling, owned by the same parent
    int LabelSpacing() const noexcept { return m_labelSpacing; }
    void SetLabelSpacing(int value);
    // Left edge, top and width of the edit; the height stays.
    void Place(int left, int top, int width);

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PlaceLabel();

    int m_labelSpacing = 3;
};

} // namespace vdx::gui
