#pragma once
// The panel's dock manager: the class library's dock tree with a grabber of
// 14 pixels that shows the client's caption, on top of the client or, in a
// panel aligned at the top or the bottom, rotated on its left, in the caption
// colours of a focused or an unfocused window, with Marlett's close cross.

#include "controls/base/FcDraw.h"
#include "platform/gui/dock_tree.h"

namespace vdx {

class TFcCustomPanel;

class TFcPanelDockManager : public gui::TDockTree {
    Q_OBJECT

public:
    static constexpr int kGrabberSize = 14;

    // The manager of panel, which owns it.
    explicit TFcPanelDockManager(TFcCustomPanel& panel);
    ~TFcPanelDockManager() override;

    TFcCustomPanel& Panel() const noexcept { return m_panel; }
    // "Verdana" 8 for the captions, "Marlett" 8 for the close cross.
    const TFont& CaptionFont() const noexcept { return m_captionFont; }
    const TFont& CloseFont() const noexcept { return m_closeFont; }

    // 14 pixels off the left (panel aligned at the top or the bottom) or
    // off the top (any other alignment).
    void AdjustDockRect(QWidget& control, TRect& rect) const override;
    // The class library's grabber when the panel shows no client captions.
    void PaintDockFrame(TCanvas& canvas, QWidget& control, const TRect& rect) override;
    // Where the close cross is drawn, so that a click there hides the client.
    TRect CloseButtonRect(const TRect& zone) const override;

protected:
    // A click on the panel or a client repaints the grabbers, which show the
    // client that has the focus.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Focused(const QWidget& control) const;

    TFcCustomPanel& m_panel;
    TFont m_captionFont;
    TFont m_closeFont;
};

} // namespace vdx
