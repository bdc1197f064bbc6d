#pragma once
// A hidden container whose children are shown, on demand, in a borderless
// pop-up window next to another control, like a drop-down. While it is open
// a local event loop runs; Escape, a click outside (which reaches nothing
// below), the application going inactive or quitting cancel it, and a child
// (the calculator's set key) accepts it through ClosePopup. The pop-up keeps
// the keyboard and hands the keys to its first enabled, visible child.
//
// Anything may be destroyed while the pop-up runs: the panel, a child, the
// control it was opened for or the form. That cancels it, and no step after
// the loop touches what is gone.

#include "controls/panels/FcPanel.h"

#include <QPointer>

#include <functional>

namespace vdx {

class TFcPopup;

// Where a pop-up of width x height goes for a control at controlRect (all in
// screen coordinates): below it, aligned by alignment, or at (x, y) inside
// it unless both are -1; then kept on workArea, above the control when it
// does not fit below. An empty workArea leaves the place as it is.
TPoint PlacePopup(const TRect& controlRect, int width, int height, TAlignment alignment, int x,
                  int y, const TRect& workArea) noexcept;

// The common look: a pop-up border and a two-pixel band.
class TFcCustomPopup : public TFcCustomPanel {
    Q_OBJECT
public:
    explicit TFcCustomPopup(QWidget* parent = nullptr);
};

class TFcPopupPanel : public TFcCustomPopup {
    Q_OBJECT
public:
    explicit TFcPopupPanel(QWidget* parent = nullptr);
    ~TFcPopupPanel() override;

    // Opens the pop-up for control, below it, and returns whether it was
    // accepted. False at once while a pop-up is open.
    bool Popup(QWidget* control);
    // x and y place the pop-up inside control's rectangle (both -1: below).
    bool Popup(QWidget* control, int x, int y);
    // Accepts and closes an open pop-up.
    void ClosePopup();
    // The window goes: an open pop-up is accepted.
    void DestroyWnd();

    bool IsOpen() const noexcept { return m_popup != nullptr; }
    // The open pop-up window (null when closed).
    TFcPopup* OpenPopup() const noexcept { return m_popup; }
    bool AutoSize() const noexcept { return m_autoSize; }
    void SetAutoSize(bool value) noexcept { m_autoSize = value; }
    // With AutoSize: the size that holds the children inside the borders,
    // the children moved to the top-left of that area.
    void AdjustSize();

    std::function<void(QObject* sender)> OnPopup;
    std::function<void(QObject* sender)> OnClose;

protected:
    virtual void DoPopup();
    virtual void DoClose();
    void changeEvent(QEvent* event) override;

private:
    QPointer<QWidget> m_control;
    QPointer<TFcPopup> m_popup;
    bool m_autoSize = true;
};

// The pop-up window of one opening.
class TFcPopup : public TFcCustomPopup {
    Q_OBJECT
public:
    explicit TFcPopup(TFcPopupPanel& panel);
    ~TFcPopup() override;

    // Shows the panel's children next to control and runs until the pop-up
    // closes; true when it was accepted.
    bool Popup(QWidget* control, TAlignment alignment, int x, int y);
    // Closes as accepted.
    void AcceptAndClose();
    // Closes as cancelled.
    void CancelAndClose();
    // The child the keys go to (null when none).
    QWidget* Target() const noexcept { return m_target; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void EndLoop();

    QPointer<TFcPopupPanel> m_panel;
    QPointer<QWidget> m_target;
    bool m_cancelled = true;
    std::function<void()> m_quit; // ends the running loop
};

} // namespace vdx
