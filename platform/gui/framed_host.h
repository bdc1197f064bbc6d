#pragma once
// The base of the framed controls. Qt has no non-client area, so a control
// reserves a frame margin around its client rectangle (its contents margins)
// and paints the frame there itself. It also follows the class library's
// control model where the library relies on it: Color and ParentColor, the
// loading state (a form built in code calls BeginLoading, sets properties,
// then Loaded), and the enter/leave and focus notifications behind the hot
// state.

#include "platform/gui/canvas.h"
#include "platform/gui/color.h"
#include "platform/gui/geometry.h"

#include <QMargins>
#include <QPointer>
#include <QWidget>

namespace vdx::gui {

class TFramedHost : public QWidget {
    Q_OBJECT
    Q_PROPERTY(vdx::gui::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)

public:
    explicit TFramedHost(QWidget* parent = nullptr);

    // Loading: while loading, repaints and colour updates wait for Loaded.
    void BeginLoading() noexcept { m_loading = true; }
    bool IsLoading() const noexcept { return m_loading; }
    // Ends the loading state; overrides call the base first.
    virtual void Loaded();

    // The frame margin on each side (the non-client area).
    QMargins FrameMargins() const { return contentsMargins(); }
    void SetFrameMargins(const QMargins& margins);
    // The client area in client coordinates: (0, 0, ClientWidth, ClientHeight).
    TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    // The client area in widget coordinates.
    TRect ClientBounds() const;
    // Repaints the frame margin (nothing while hidden or fully covered).
    void RedrawFrame();

    // Color as the class library's controls have it: writing it clears
    // ParentColor; with ParentColor the control takes its parent's colour
    // (clBtnFace for a parent that is no framed host). It starts as clWindow.
    TColor Color() const noexcept { return m_color; }
    void SetColor(TColor color);
    bool ParentColor() const noexcept { return m_parentColor; }
    void SetParentColor(bool value);

    bool MouseInside() const noexcept { return m_mouseInside; }
    bool FocusInside() const noexcept { return m_focusInside; }
    // Why the focus came or went, for FocusEnter and FocusExit (the reason
    // of the last change; Qt::OtherFocusReason before any).
    Qt::FocusReason FocusChangeReason() const noexcept { return m_focusReason; }
    // The child that takes the focus for this control (an inner editor).
    // With handsOnFocus the control gives the focus it is given to the
    // widget (its focus proxy); without, both take the focus in turn (a
    // grid and its cell editor). A move of the focus between the two stays
    // inside the control.
    void SetFocusWidget(QWidget* widget, bool handsOnFocus = true);

protected:
    // Painting: the frame first, in widget coordinates and clipped to the
    // margin; then the client, with the origin at the client's top-left and
    // clipped to it.
    virtual void PaintFrame(TCanvas& canvas);
    virtual void PaintClient(TCanvas& canvas);

    // Notifications; the base versions do nothing.
    virtual void ColorChanged(); // after Color changed (also by ParentColor)
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void FocusEnter(); // the control or its focus widget got the focus
    virtual void FocusExit();
    virtual void EnabledChanged();

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TakeParentColor();
    void NotifyChildrenParentColor();
    void SetFocusInside(bool value, Qt::FocusReason reason);

    TColor m_color = clWindow;
    bool m_parentColor = false;
    bool m_loading = false;
    bool m_mouseInside = false;
    bool m_focusInside = false;
    Qt::FocusReason m_focusReason = Qt::OtherFocusReason;
    // A child, owned by Qt's parent tree; it may be deleted before it is
    // replaced.
    QPointer<QWidget> m_focusWidget;
};

// Whether w has anything on screen to repaint: shown, not minimised and not
// fully covered.
bool HasVisibleArea(const QWidget& w);

} // namespace vdx::gui
