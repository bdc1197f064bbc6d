#pragma once
// The border model the panel and the label share: an outer style, a band of
// BorderWidth pixels and an inner style on chosen sides, the rule by which a
// frame controller's settings become borders, and transparency.

#include "controls/base/FcDraw.h"
#include "controls/base/FcFrameController.h"
#include "controls/base/FcFramedControl.h"

namespace vdx {

// A control with the panel's border model. Each border setter does nothing
// for an unchanged value; otherwise it stores and repaints, and the setters
// of the styles, sides and widths first call BorderLayoutChanged.
class TFcBorderedControl : public TFcFramedControl {
    Q_OBJECT
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)

public:
    // Shrinks rect by the borders (see ShrinkRectForBorders).
    virtual void AdjustRectForBorders(TRect& rect, bool includeBorderWidth) const;
    // Takes the linked controller's settings, only while it shows frames:
    // FrameStyle as BorderOuter, FrameSides as BorderSides, FrameColor as
    // FlatColor (unadjusted), Color and ParentColor, and from Color the
    // border highlight and shadow; each as FrameControllerNotifications
    // allows. The borders are written directly, without
    // BorderLayoutChanged, then the control repaints. The settings come from the linked controller;
    // the arguments are not used.
    void UpdateFromFrameController(const TFcFrameController& controller,
                                   TFcFrameControllerProperty property) override;

    TFrameStyleEx BorderOuter() const noexcept { return m_borders.BorderOuter; }
    TFrameStyleEx BorderInner() const noexcept { return m_borders.BorderInner; }
    TSides BorderSides() const noexcept { return m_borders.BorderSides; }
    // Width of the BorderColor band.
    int BorderWidth() const noexcept { return m_borders.BorderWidth; }
    // Depth of fsStatus and fsPopup borders.
    int BevelWidth() const noexcept { return m_borders.BevelWidth; }
    TColor BorderColor() const noexcept { return m_borders.BorderColor; }
    TColor BorderHighlight() const noexcept { return m_borders.BorderHighlight; }
    TColor BorderShadow() const noexcept { return m_borders.BorderShadow; }
    TColor FlatColor() const noexcept { return m_borders.FlatColor; }
    int FlatColorAdjustment() const noexcept { return m_borders.FlatColorAdjustment; }
    bool Transparent() const noexcept { return m_transparent; }

    virtual void SetBevelWidth(int value);
    virtual void SetBorderColor(TColor value);
    virtual void SetBorderInner(TFrameStyleEx value);
    virtual void SetBorderOuter(TFrameStyleEx value);
    virtual void SetBorderSides(TSides value);
    virtual void SetBorderHighlight(TColor value);
    virtual void SetBorderShadow(TColor value);
    virtual void SetBorderWidth(int value);
    virtual void SetFlatColor(TColor value);
    virtual void SetFlatColorAdjustment(int value);
    // Stores and repaints.
    virtual void SetTransparent(bool value);

protected:
    explicit TFcBorderedControl(QWidget* parent, const TFcBorders& borders);

    // The borders moved the area inside them (the panel moves its
    // children, the label sizes itself).
    virtual void BorderLayoutChanged() {}
    // The colour behind the control (its parent's, clBtnFace without one).
    TColor ParentColorValue() const;
    // The border painter's arguments for the control as it is now.
    TInnerOuterBorders BorderModel() const;
    const TFcBorders& Borders() const noexcept { return m_borders; }

    void mousePressEvent(QMouseEvent* event) override;
    // OnClick on the release of a left press inside the control.
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    template <class T> void SetLayoutBorder(T TFcBorders::*field, const T& value);
    template <class T> void SetBorderColour(T TFcBorders::*field, const T& value);

    TFcBorders m_borders;
    bool m_transparent = false;
    bool m_leftPressed = false;
};

} // namespace vdx
