#pragma once
// The panel made into a status bar at the bottom of a form: a flat bar 19
// pixels high whose child controls are its panes, which can show one simple
// caption instead of the panes, draws a size grip in its bottom-right corner
// that resizes the form, and can scale its panes when its width changes.

#include "controls/panels/FcPanel.h"

#include <QPointer>

#include <string>
#include <utility>
#include <vector>

namespace vdx {

// The grip area of a bar of the given size.
constexpr TRect SizeGripRect(int width, int height) noexcept {
    return gui::Rect(width - 13, 0, width, height);
}

// The widths of panes after the bar's width changed by change from
// lastWidth: each pane grows by its share of the change (its width over
// lastWidth; an equal share when lastWidth is 0 or less), rounded to
// nearest, ties to even.
std::vector<int> ScalePaneWidths(const std::vector<int>& widths, int change, int lastWidth);

// Whether the form holding a bar lets a size grip resize it: a resizable
// window that is not maximised.
bool FormAllowsSizeGrip(const QWidget* form);

class TFcStatusBar : public TFcCustomPanel {
    Q_OBJECT

public:
    explicit TFcStatusBar(QWidget* parent = nullptr);
    ~TFcStatusBar() override;

    // The simple status area, framed in the classic style.
    virtual void DrawBackground(TCanvas& canvas, const TRect& rect);
    // The standard look: no borders, all four sides, height 19, no band;
    // AutoStyle keeps its value.
    virtual void ApplyAutoStyle();

    void Loaded() override;
    // The panel's client rectangle, one pixel in on the left, top and
    // right with SimpleStatus.
    TRect GetClientRect() const override;
    // Reversed: the darker colour at the top.
    void GetGradientColors(TColor& startColor, TColor& stopColor) const override;

    bool AutoStyle() const noexcept { return m_autoStyle; }
    void SetAutoStyle(bool value) noexcept { m_autoStyle = value; }
    bool AutoScalePanes() const noexcept { return m_autoScalePanes; }
    void SetAutoScalePanes(bool value) noexcept { m_autoScalePanes = value; }
    bool ShowSizeGrip() const noexcept { return m_showSizeGrip; }
    bool SimpleStatus() const noexcept { return m_simpleStatus; }
    const std::string& SimpleCaption() const noexcept { return m_simpleCaption; }
    TFrameStyle SimpleFrameStyle() const noexcept { return m_simpleFrameStyle; }

    // Each setter stores a changed value and repaints.
    virtual void SetShowSizeGrip(bool value);
    virtual void SetSimpleCaption(const std::string& value);
    // True hides the panes; False shows again those that were visible.
    virtual void SetSimpleStatus(bool value);
    virtual void SetSimpleFrameStyle(TFrameStyle value);

    // A change of the borders clears AutoStyle.
    void SetBorderInner(TFrameStyleEx value) override;
    void SetBorderOuter(TFrameStyleEx value) override;
    void SetBorderSides(TSides value) override;

    // The grip is drawn and handled: ShowSizeGrip on a form that allows it.
    bool SizeGripActive() const;

protected:
    void Paint(TCanvas& canvas) override;
    // Scales the panes (AutoScalePanes) when the width changed.
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void MouseLeave() override;

private:
    void ScalePanes();
    void UpdateGripCursor(TPoint p);
    void PaintSizeGrip(TCanvas& canvas);

    bool m_autoStyle = true;
    bool m_autoScalePanes = false;
    bool m_showSizeGrip = true;
    bool m_simpleStatus = false;
    std::string m_simpleCaption;
    TFrameStyle m_simpleFrameStyle = TFrameStyleEx::fsFlat;

    bool m_firstResize = true;
    int m_lastWidth = 0;
    // The panes hidden by SimpleStatus that were visible before.
    std::vector<QPointer<QWidget>> m_hiddenPanes;
    // Our own drag of the form's corner, where the window system has none.
    bool m_gripDrag = false;
    QPoint m_dragStart;
    QSize m_dragStartSize;
    bool m_gripCursor = false;
};

} // namespace vdx
