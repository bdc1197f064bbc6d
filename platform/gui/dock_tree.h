#pragma once
// The class library's docking: a dock site's manager (TDockTree) lays its
// docked clients out with a grabber each, side by side in a site aligned at
// the top or the bottom (grabbers on the left), one below the other in any
// other (grabbers on top). A press on a grabber starts the client's drag;
// a click on its close button hides the client, which gives its room back
// until it is shown again. A client dragged off every site floats in a tool
// window of its own, whose caption bar drags it on.
//
// The tree is one row or column of zones of equal size (the clients in their
// docking order), not the class library's nested zones with splitters.

#include "platform/gui/canvas.h"
#include "platform/gui/drag_control.h"
#include "platform/gui/geometry.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace vdx::gui {

// The height of a floating window's caption bar.
inline constexpr int kFloatCaptionHeight = 16;

class TDockTree : public QObject {
    Q_OBJECT

public:
    enum class THitPart { Nowhere, Grabber, CloseButton };

    // Manages site's clients (also those docked there already); the site
    // owns the tree.
    explicit TDockTree(TDockSite& site);
    ~TDockTree() override;
    // The tree watches the site's and the clients' events.
    TDockTree(const TDockTree&) = delete;
    TDockTree& operator=(const TDockTree&) = delete;

    TDockSite& Site() const noexcept { return m_site; }
    int GrabberSize() const noexcept { return m_grabberSize; }
    void SetGrabberSize(int value);
    // The site is aligned at the top or the bottom.
    bool GrabbersOnLeft() const;

    // Takes control (a child of the site) at index of the shown clients
    // (past the end: last) and lays the clients out again.
    void InsertControl(QWidget& control, int index);
    void RemoveControl(QWidget& control);
    // The docked clients in their order, shown or not.
    std::vector<QWidget*> Clients() const;
    // Places every shown client in its zone and repaints the site.
    void ResetBounds();

    // The zone of a shown client (grabber and client) in site coordinates;
    // empty for a hidden or foreign one.
    TRect ZoneRect(const QWidget& control) const;
    // The index a client dropped at sitePos would take among the other shown
    // clients, and the zone it would then have.
    int DropIndex(const QWidget& control, QPoint sitePos) const;
    TRect DropZone(const QWidget& control, int index) const;
    // Which client's grabber holds sitePos, and where.
    THitPart HitTest(QPoint sitePos, QWidget*& control) const;

    // The zone less the grabber: the client's rectangle.
    virtual void AdjustDockRect(QWidget& control, TRect& rect) const;
    // The grabber of the zone rect: two raised lines and the close button.
    virtual void PaintDockFrame(TCanvas& canvas, QWidget& control, const TRect& rect);
    // Where a zone's close button is.
    virtual TRect CloseButtonRect(const TRect& zone) const;
    // Every shown client's frame, on the site's canvas after its own
    // painting.
    virtual void PaintSite(TCanvas& canvas);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QWidget*> ShownClients(const QWidget* without = nullptr) const;
    // count zones of equal size filling the site's client area.
    std::vector<TRect> Zones(int count) const;
    void Watch(QWidget& control, bool watch);

    TDockSite& m_site;
    std::vector<QPointer<QWidget>> m_clients;
    int m_grabberSize = 12;
    QPointer<QWidget> m_closePressed;
};

// The class library's raised caption close button, with Marlett's cross.
void DrawCloseButton(TCanvas& canvas, const TRect& rect);

// Docks client into site as its last client.
void ManualDock(TDragControl& client, TDockSite& site);
// Floats client in a tool window whose client area is screenRect.
void ManualFloat(TDragControl& client, const TRect& screenRect);

// For the drag: docks client into site where the pointer is (global), or,
// for a site without a dock manager, at dockRect (screen).
void DockControlAt(TDragControl& client, TDockSite& site, QPoint global, const TRect& dockRect);
// For the drag: what client would take when dropped on site at global, in
// screen coordinates: the site's zone, or floating for a site without a
// dock manager.
TRect PositionDockRect(TDragControl& client, TDockSite& site, QPoint global, const TRect& floating);

} // namespace vdx::gui
