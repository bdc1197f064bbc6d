#pragma once
// The container control of the library: a panel whose frame is built from an
// outer border style, a solid band and an inner border style on any of its
// four sides; its client area is filled with a plain colour or a gradient (or
// left to the parent), it can show an alignment grid, and it draws its
// caption aligned both ways with margins and optional word wrap. Disabling
// the panel disables its children; enabling it gives every child back the
// state it had before.
//
// TFcCustomPanel is also the base of the group box, the status bar, the
// calculator and the pop-up panels. TFcBorderedControl holds what the panel
// shares with the label: the border model and its frame-controller rule,
// the controller link, transparency and the click and hover events.

#include <QMargins>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "controls/base/FcDraw.h"
#include "controls/base/FcFrameController.h"
#include "controls/base/FcGrafx.h"
#include "platform/gui/framed_host.h"

namespace vdx {

enum class TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
// Alignment of a control in its parent. Qt layouts place the children; the
// panel uses the value for its own SetBounds rule (alBottom keeps the bottom
// edge, alRight the right edge).
enum class TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum class TFcGridStyle : std::uint8_t { gsDots, gsDottedLines, gsSolidLines };

// The caption rectangle for a text of textHeight pixels in rect (vertical
// placement only; the horizontal one is DrawText's).
TRect PlaceCaptionRect(TRect rect, int textHeight, TAlignmentVertical alignment) noexcept;
// The repaint the panel asks for after a resize from oldSize to newSize when
// FullRepaint is off and it has no caption: the strip at the right from
// inner.Right - margin.X (on a width change) and the strip at the bottom
// from inner.Bottom - margin.Y (on a height change), in panel coordinates.
std::vector<TRect> ResizeRepaintStrips(TRect inner, TPoint margin, gui::TSize oldSize,
                                       gui::TSize newSize);

// A control with the panel's border model. Each border setter does nothing
// for an unchanged value; otherwise it stores and repaints, and the setters
// of the styles, sides and widths first call BorderLayoutChanged.
class TFcBorderedControl : public gui::TFramedHost, public IFrameControllerNotification {
    Q_OBJECT
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(vdx::TFcFrameControllerNotifications FrameControllerNotifications READ
                   FrameControllerNotifications WRITE SetFrameControllerNotifications)

public:
    // Shrinks rect by the borders (see ShrinkRectForBorders).
    virtual void AdjustRectForBorders(TRect& rect, bool includeBorderWidth) const;
    // Takes the linked controller's settings, only while it shows frames:
    // FrameStyle as BorderOuter, FrameSides as BorderSides, FrameColor as
    // FlatColor (unadjusted), Color and ParentColor, and from Color the
    // border highlight and shadow; each as FrameControllerNotifications
    // allows. The borders are written directly, then BorderLayoutChanged
    // and a repaint.
    void UpdateFromFrameController() override;

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
    TFcFrameController* FrameController() const noexcept { return m_frameController.Controller(); }
    TFcFrameControllerNotifications FrameControllerNotifications() const noexcept {
        return m_frameController.Notifications;
    }
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
    // Unregisters from the old controller, registers with the new one
    // (which pushes its settings at once). The link clears itself when the
    // controller is destroyed.
    virtual void SetFrameController(TFcFrameController* value);
    void SetFrameControllerNotifications(TFcFrameControllerNotifications value) noexcept {
        m_frameController.Notifications = value;
    }
    // Stores and repaints.
    virtual void SetTransparent(bool value);

    std::function<void(QObject* sender)> OnClick;
    std::function<void(QObject* sender)> OnDblClick;
    std::function<void(QObject* sender)> OnMouseEnter;
    std::function<void(QObject* sender)> OnMouseLeave;

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
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    template <class T> void SetLayoutBorder(T TFcBorders::*field, const T& value);
    template <class T> void SetBorderColour(T TFcBorders::*field, const T& value);

    TFcBorders m_borders;
    TFcFrameControllerLink m_frameController{*this};
    bool m_transparent = false;
    bool m_leftPressed = false;
};

class TFcCustomPanel : public TFcBorderedControl {
    Q_OBJECT

public:
    explicit TFcCustomPanel(QWidget* parent = nullptr);
    ~TFcCustomPanel() override;

    // The mouse position in panel coordinates.
    virtual TPoint GetCursorClientPos() const;
    // (0, 0, Width, Height).
    virtual TRect GetPanelRect() const;
    virtual TPoint GetMarginSize() const;
    // False: remembers every direct child's enabled state and disables it;
    // True: enables the children that were enabled (or are new since).
    virtual void EnableChildControls(bool enable);
    virtual void GetGradientColors(TColor& startColor, TColor& stopColor) const;
    virtual void GetFlatColors(TColor& color, int& adjustment) const;
    virtual void DrawCaptionText(TCanvas& canvas, TRect rect);
    virtual void DrawGrid(TCanvas& canvas, const TRect& rect);

    // The area left inside the borders (without the padding and the band),
    // in panel coordinates; the children are placed inside it less the
    // padding and BorderWidth (the panel's contents margins).
    TRect GetClientRect() const;
    // What GetClientRect leaves after the padding and the BorderWidth band.
    TRect AdjustClientRect(TRect rect) const;

    // Moves and sizes the panel; alBottom keeps the bottom edge and alRight
    // the right edge where they were.
    void SetBounds(int left, int top, int width, int height);

    void Loaded() override;

    TAlignmentVertical AlignmentVertical() const noexcept { return m_alignmentVertical; }
    TFcGradientColorStyle GradientColorStyle() const noexcept { return m_gradientColorStyle; }
    TColor GradientColorStart() const noexcept { return m_gradientColorStart; }
    TColor GradientColorStop() const noexcept { return m_gradientColorStop; }
    TGradientDirection GradientDirection() const noexcept { return m_gradientDirection; }
    TColor GridColor() const noexcept { return m_gridColor; }
    TFcGridStyle GridStyle() const noexcept { return m_gridStyle; }
    std::uint16_t GridXSize() const noexcept { return m_gridXSize; }
    std::uint16_t GridYSize() const noexcept { return m_gridYSize; }
    bool ShowGrid() const noexcept { return m_showGrid; }
    bool PaintClientArea() const noexcept { return m_paintClientArea; }
    int TextMargin() const noexcept { return m_textMargin; }
    int TextMarginVertical() const noexcept { return m_textMarginVertical; }
    bool WordWrap() const noexcept { return m_wordWrap; }
    TFcVisualStyle VisualStyle() const noexcept { return m_visualStyle; }

    // Each setter does nothing for an unchanged value; otherwise it stores
    // and repaints (the border styles and widths also move the children).
    virtual void SetAlignmentVertical(TAlignmentVertical value);
    virtual void SetGradientColorStyle(TFcGradientColorStyle value);
    // The gradient setters also repaint transparent children.
    virtual void SetGradientColorStart(TColor value);
    virtual void SetGradientColorStop(TColor value);
    virtual void SetGradientDirection(TGradientDirection value);
    virtual void SetGridColor(TColor value);
    virtual void SetGridStyle(TFcGridStyle value);
    virtual void SetGridXSize(std::uint16_t value);
    virtual void SetGridYSize(std::uint16_t value);
    virtual void SetPaintClientArea(bool value);
    virtual void SetShowGrid(bool value);
    // Also repaints every direct child.
    void SetTransparent(bool value) override;
    virtual void SetTextMargin(int value);
    virtual void SetTextMarginVertical(int value);
    virtual void SetWordWrap(bool value);
    virtual void SetVisualStyle(TFcVisualStyle value);

    // The class library's panel properties the library relies on.
    TAlignment Alignment() const noexcept { return m_alignment; }
    void SetAlignment(TAlignment value);
    const std::string& Caption() const noexcept { return m_caption; }
    void SetCaption(const std::string& value);
    const TFont& Font() const noexcept { return m_font; }
    void SetFont(const TFont& value);
    bool FullRepaint() const noexcept { return m_fullRepaint; }
    void SetFullRepaint(bool value) noexcept { m_fullRepaint = value; }
    QMargins Padding() const noexcept { return m_padding; }
    void SetPadding(const QMargins& value);
    TAlign Align() const noexcept { return m_align; }
    void SetAlign(TAlign value) noexcept { m_align = value; }

    // Called at the end of painting, with the canvas painted on.
    std::function<void(QObject* sender, TCanvas& canvas)> OnPaint;
    std::function<void(QObject* sender)> OnResize;

protected:
    // The whole picture: frame, fill, grid, caption, then OnPaint.
    virtual void Paint(TCanvas& canvas);
    // Moves the children after a change of the client rectangle.
    void Realign();
    void BorderLayoutChanged() override { Realign(); }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void EnabledChanged() override;

private:
    // The background erase before Paint: the parent's picture under a
    // transparent panel that paints its client area, the panel colour under
    // an opaque one.
    void EraseBackground(TCanvas& canvas);

    TAlignmentVertical m_alignmentVertical = TAlignmentVertical::avCenter;
    TFcGradientColorStyle m_gradientColorStyle = TFcGradientColorStyle::gcsSystem;
    TColor m_gradientColorStart = gui::clWhite;
    TColor m_gradientColorStop = gui::clBtnFace;
    TGradientDirection m_gradientDirection = TGradientDirection::gdHorizontalEnd;
    TColor m_gridColor = gui::clBtnShadow;
    TFcGridStyle m_gridStyle = TFcGridStyle::gsDots;
    std::uint16_t m_gridXSize = 8;
    std::uint16_t m_gridYSize = 8;
    bool m_showGrid = false;
    bool m_paintClientArea = true;
    int m_textMargin = 0;
    int m_textMarginVertical = 0;
    bool m_wordWrap = true;
    TFcVisualStyle m_visualStyle = TFcVisualStyle::vsWinXP;

    TAlignment m_alignment = TAlignment::taCenter;
    std::string m_caption;
    TFont m_font;
    bool m_fullRepaint = true;
    QMargins m_padding;
    TAlign m_align = TAlign::alNone;

    // The enabled state of each direct child when the panel was disabled.
    std::vector<std::pair<QPointer<QWidget>, bool>> m_enabledStates;
    bool m_ownEnabled = true; // the panel's own state, apart from its ancestors'
};

// The panel as forms place it.
class TFcPanel : public TFcCustomPanel {
    Q_OBJECT
public:
    using TFcCustomPanel::TFcCustomPanel;
};

} // namespace vdx

Q_DECLARE_METATYPE(vdx::TAlignment)
