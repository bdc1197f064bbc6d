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
// calculator and the pop-up panels. Its border model comes from
// TFcBorderedControl, which it shares with the label.

#include "controls/base/FcBorderedControl.h"
#include "controls/base/FcDraw.h"
#include "controls/base/FcGrafx.h"
#include "platform/gui/dock_tree.h"

#include <QMargins>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vdx {

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

// The events of a dock site. Positions are in the site's client
// coordinates, except the influence rectangle and the mouse position of
// OnGetSiteInfo, which are on the screen; newTarget of OnUnDock is null for
// a client that is to float.
using TDockDropEvent =
    std::function<void(QObject* sender, gui::TDragDockObject& source, int x, int y)>;
using TDockOverEvent = std::function<void(QObject* sender, gui::TDragDockObject& source, int x,
                                          int y, TDragState state, bool& accept)>;
using TGetSiteInfoEvent = std::function<void(QObject* sender, QWidget* dockClient,
                                             TRect& influenceRect, TPoint mousePos, bool& canDock)>;
using TUnDockEvent =
    std::function<void(QObject* sender, QWidget* client, QWidget* newTarget, bool& allow)>;

class TFcCustomPanel : public TFcBorderedControl, public gui::TDockSite {
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
    virtual TRect GetClientRect() const;
    // What GetClientRect leaves after the padding and the BorderWidth band
    // (the group box also keeps its caption area out).
    virtual TRect AdjustClientRect(TRect rect) const;

    // Moves and sizes the panel; alBottom keeps the bottom edge and alRight
    // the right edge where they were (at the size the limits allow).
    void SetBounds(int left, int top, int width, int height) override;

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

    // The class library's panel properties the library relies on (font,
    // caption and alignment come from the framed-control base; the
    // alignment starts as taCenter).
    bool FullRepaint() const noexcept { return m_fullRepaint; }
    void SetFullRepaint(bool value) noexcept { m_fullRepaint = value; }
    QMargins Padding() const noexcept { return m_padding; }
    void SetPadding(const QMargins& value);
    // The class library's AutoSize: the panel takes the smallest size that
    // holds its shown children, with its borders, padding and band around
    // them; children it places itself move so that the first starts at
    // the client area's corner, and a panel with a layout takes the
    // layout's size. It follows every move, resize, showing and hiding of
    // a child. Off, the size is the program's.
    bool AutoSize() const noexcept { return m_autoSize; }
    virtual void SetAutoSize(bool value);

    TAlign Align() const noexcept { return m_align; }
    // A dock site lays its clients out anew (the grabbers change sides).
    void SetAlign(TAlign value);

    // Called at the end of painting, with the canvas painted on.
    std::function<void(QObject* sender, TCanvas& canvas)> OnPaint;

    // ---- the panel's remaining published members ---------------------

    // The class library keeps the tool bars of an in-place OLE server off a
    // locked panel; there are none here, so it is kept for forms only.
    bool Locked() const noexcept { return m_locked; }
    void SetLocked(bool value) noexcept { m_locked = value; }

    // ---- Docking: the panel as a dock site ----
    // A dock site takes controls whose DragKind is dkDock; with
    // UseDockManager its dock manager lays them out with grabbers.
    bool DockSite() const noexcept { return m_dockSite; }
    void SetDockSite(bool value);
    bool UseDockManager() const noexcept { return m_useDockManager; }
    void SetUseDockManager(bool value);
    // The grabbers show the clients' captions (else the class library's).
    bool ShowDockClientCaptions() const noexcept { return m_showDockClientCaptions; }
    void SetShowDockClientCaptions(bool value);
    // Null unless DockSite and UseDockManager.
    gui::TDockTree* DockManager() override { return m_dockManager.get(); }

    TDockDropEvent OnDockDrop;
    // Accept starts True.
    TDockOverEvent OnDockOver;
    TGetSiteInfoEvent OnGetSiteInfo;
    // Allow starts True.
    TUnDockEvent OnUnDock;

protected:
    // Creates the panel's dock manager when it has none and is a dock site
    // that uses one; returns the manager it has then (or null).
    virtual gui::TDockTree* CreateDockManager();
    QWidget& SiteWidget() override { return *this; }
    TAlign DockSiteAlign() const override { return m_align; }
    void DoGetSiteInfo(QWidget& client, TRect& influenceRect, TPoint mousePos,
                       bool& canDock) override;
    void DoDockOver(gui::TDragDockObject& source, int x, int y, TDragState state,
                    bool& accept) override;
    void DoDockDrop(gui::TDragDockObject& source, int x, int y) override;
    void DoUnDock(QWidget& client, QWidget* newTarget, bool& allow) override;

    // The whole picture: frame, fill, grid, caption, then OnPaint.
    virtual void Paint(TCanvas& canvas);
    // Moves the children after a change of the client rectangle: the
    // margins are what AdjustClientRect(GetClientRect()) leaves of the panel.
    void Realign();
    void BorderLayoutChanged() override { Realign(); }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void Resize() override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void EnabledChanged() override;
    // A container: OnEnter and OnExit follow the focus into and out of the
    // panel and its children (see FollowFocus), not the panel's own focus.
    void FocusEnter() override {}
    void FocusExit() override {}

private:
    // The background erase before Paint: the parent's picture under a
    // transparent panel that paints its client area, the panel colour under
    // an opaque one.
    void EraseBackground(TCanvas& canvas);
    // The AutoSize step (nothing while off).
    void AdjustSize();

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

    bool m_fullRepaint = true;
    bool m_autoSize = false;
    bool m_autoSizing = false; // AdjustSize moves the children now
    QMargins m_padding;
    TAlign m_align = TAlign::alNone;

    // The enabled state of each direct child when the panel was disabled.
    std::vector<std::pair<QPointer<QWidget>, bool>> m_enabledStates;
    bool m_ownEnabled = true; // the panel's own state, apart from its ancestors'

    // Docking.
    bool m_dockSite = false;
    bool m_useDockManager = true;
    bool m_showDockClientCaptions = true;
    std::unique_ptr<gui::TDockTree> m_dockManager;

    // OnEnter or OnExit when the focus moved into or out of the panel.
    void FollowFocus(QWidget* now);
    bool m_locked = false;
    bool m_focusWithin = false; // the focus is on the panel or a child
    // Ended by the destructor: deleting the children moves the focus, and
    // the panel must not hear of it half destroyed.
    QMetaObject::Connection m_focusConnection;
};

// The panel as forms place it.
class TFcPanel : public TFcCustomPanel {
    Q_OBJECT
public:
    using TFcCustomPanel::TFcCustomPanel;
};

} // namespace vdx
