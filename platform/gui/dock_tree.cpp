#include "platform/gui/dock_tree.h"

#include "platform/gui/ansi_text.h"
#include "platform/gui/exception_guard.h"

#include <QChildEvent>
#include <QCloseEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>

#include <algorithm>
#include <climits>
#include <string>

namespace vdx::gui {

namespace {

// A raised bar of the class library's grabber: highlight on the top and the
// left, shadow on the bottom and the right.
void DrawGrabberLine(TCanvas& canvas, int left, int top, int right, int bottom) {
    canvas.Pen.Color = clBtnHighlight;
    canvas.MoveTo(right, top);
    canvas.LineTo(left, top);
    canvas.LineTo(left, bottom);
    canvas.Pen.Color = clBtnShadow;
    canvas.LineTo(right, bottom);
    canvas.LineTo(right, top - 1);
}

} // namespace

void DrawCloseButton(TCanvas& canvas, const TRect& rect) {
    canvas.Brush.SetColor(clBtnFace);
    canvas.FillRect(rect);
    // Outer ring highlight / dark shadow, inner ring light / shadow.
    const auto ring = [&canvas](TRect r, TColor ul, TColor lr) {
        canvas.Pen.Color = ul;
        canvas.MoveTo(r.Left, r.Bottom - 1);
        canvas.LineTo(r.Left, r.Top);
        canvas.LineTo(r.Right, r.Top);
        canvas.Pen.Color = lr;
        canvas.MoveTo(r.Right - 1, r.Top);
        canvas.LineTo(r.Right - 1, r.Bottom);
        canvas.MoveTo(r.Left, r.Bottom - 1);
        canvas.LineTo(r.Right, r.Bottom - 1);
    };
    ring(rect, clBtnHighlight, cl3DDkShadow);
    ring(InflateRect(rect, -1, -1), cl3DLight, clBtnShadow);
    TFont glyph;
    glyph.Name = "Marlett";
    glyph.Height = -(rect.Height() - 4);
    glyph.Color = clBtnText;
    canvas.Font = glyph;
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    const TSize size = canvas.TextExtent("r");
    canvas.TextOut(rect.Left + (rect.Width() - size.cx) / 2,
                   rect.Top + (rect.Height() - size.cy) / 2, "r");
    canvas.Brush.SetStyle(TBrushStyle::bsSolid);
}

// The dock tree.

TDockTree::TDockTree(TDockSite& site) : m_site(site) {
    QWidget& w = site.SiteWidget();
    w.installEventFilter(this);
    for (QObject* o : w.children()) {
        auto* client = dynamic_cast<TDragControl*>(o);
        if (client && client->Dock.HostDockSite == &w) {
            m_clients.emplace_back(&client->DragWidget());
            Watch(client->DragWidget(), true);
        }
    }
    ResetBounds();
}

TDockTree::~TDockTree() {
    m_site.SiteWidget().removeEventFilter(this);
    for (const QPointer<QWidget>& c : m_clients)
        if (c)
            Watch(*c, false);
}

void TDockTree::SetGrabberSize(int value) {
    if (m_grabberSize == value)
        return;
    m_grabberSize = value;
    ResetBounds();
}

bool TDockTree::GrabbersOnLeft() const {
    const TAlign align = m_site.DockSiteAlign();
    return align == TAlign::alTop || align == TAlign::alBottom;
}

void TDockTree::Watch(QWidget& control, bool watch) {
    if (watch)
        control.installEventFilter(this);
    else
        control.removeEventFilter(this);
}

std::vector<QWidget*> TDockTree::Clients() const {
    std::vector<QWidget*> out;
    for (const QPointer<QWidget>& c : m_clients)
        if (c)
            out.push_back(c);
    return out;
}

std::vector<QWidget*> TDockTree::ShownClients(const QWidget* without) const {
    std::vector<QWidget*> out;
    for (const QPointer<QWidget>& c : m_clients)
        if (c && c != without && !c->isHidden())
            out.push_back(c);
    return out;
}

std::vector<TRect> TDockTree::Zones(int count) const {
    std::vector<TRect> zones;
    if (count <= 0)
        return zones;
    const TRect area = FromQRect(m_site.SiteWidget().contentsRect());
    const bool across = GrabbersOnLeft();
    const int length = across ? area.Width() : area.Height();
    int start = across ? area.Left : area.Top;
    for (int i = 0; i < count; ++i) {
        // The last zone takes what the division leaves.
        const int end =
            i == count - 1 ? (across ? area.Right : area.Bottom) : start + length / count;
        zones.push_back(across ? Rect(start, area.Top, end, area.Bottom)
                               : Rect(area.Left, start, area.Right, end));
        start = end;
    }
    return zones;
}

void TDockTree::InsertControl(QWidget& control, int index) {
    const auto same = [&control](const QPointer<QWidget>& c) { return c == &control; };
    m_clients.erase(std::remove_if(m_clients.begin(), m_clients.end(), same), m_clients.end());
    // Before the index-th shown client.
    auto at = m_clients.end();
    int shown = 0;
    for (auto it = m_clients.begin(); it != m_clients.end(); ++it) {
        if (!*it || (*it)->isHidden())
            continue;
        if (shown++ == index) {
            at = it;
            break;
        }
    }
    m_clients.insert(at, &control);
    Watch(control, true);
    ResetBounds();
}

void TDockTree::RemoveControl(QWidget& control) {
    const auto same = [&control](const QPointer<QWidget>& c) { return c == &control || !c; };
    m_clients.erase(std::remove_if(m_clients.begin(), m_clients.end(), same), m_clients.end());
    Watch(control, false);
    ResetBounds();
}

void TDockTree::ResetBounds() {
    const std::vector<QWidget*> shown = ShownClients();
    const std::vector<TRect> zones = Zones(int(shown.size()));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        TRect r = zones[i];
        AdjustDockRect(*shown[i], r);
        shown[i]->setGeometry(ToQRect(r));
    }
    m_site.SiteWidget().update();
}

TRect TDockTree::ZoneRect(const QWidget& control) const {
    const std::vector<QWidget*> shown = ShownClients();
    const auto it = std::find(shown.begin(), shown.end(), &control);
    if (it == shown.end())
        return {};
    return Zones(int(shown.size()))[std::size_t(it - shown.begin())];
}

int TDockTree::DropIndex(const QWidget& control, QPoint sitePos) const {
    const std::vector<QWidget*> others = ShownClients(&control);
    const std::vector<TRect> zones = Zones(int(others.size()));
    const bool across = GrabbersOnLeft();
    int index = 0;
    for (const TRect& z : zones) {
        const int centre = across ? (z.Left + z.Right) / 2 : (z.Top + z.Bottom) / 2;
        if ((across ? sitePos.x() : sitePos.y()) >= centre)
            ++index;
    }
    return index;
}

TRect TDockTree::DropZone(const QWidget& control, int index) const {
    const int count = int(ShownClients(&control).size()) + 1;
    return Zones(count)[std::size_t(std::clamp(index, 0, count - 1))];
}

TDockTree::THitPart TDockTree::HitTest(QPoint sitePos, QWidget*& control) const {
    control = nullptr;
    const TPoint p{sitePos.x(), sitePos.y()};
    const std::vector<QWidget*> shown = ShownClients();
    const std::vector<TRect> zones = Zones(int(shown.size()));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        TRect client = zones[i];
        AdjustDockRect(*shown[i], client);
        if (!PtInRect(zones[i], p) || PtInRect(client, p))
            continue;
        control = shown[i];
        return PtInRect(CloseButtonRect(zones[i]), p) ? THitPart::CloseButton : THitPart::Grabber;
    }
    return THitPart::Nowhere;
}

void TDockTree::AdjustDockRect(QWidget&, TRect& rect) const {
    if (GrabbersOnLeft())
        rect.Left += m_grabberSize;
    else
        rect.Top += m_grabberSize;
}

TRect TDockTree::CloseButtonRect(const TRect& zone) const {
    const int size = m_grabberSize - 2;
    if (GrabbersOnLeft())
        return Bounds(zone.Left + 1, zone.Top + 1, size, size);
    return Bounds(zone.Right - m_grabberSize + 1, zone.Top + 1, size, size);
}

void TDockTree::PaintDockFrame(TCanvas& canvas, QWidget&, const TRect& rect) {
    DrawCloseButton(canvas, CloseButtonRect(rect));
    const int g = m_grabberSize;
    if (GrabbersOnLeft()) {
        DrawGrabberLine(canvas, rect.Left + 3, rect.Top + g + 1, rect.Left + 5, rect.Bottom - 2);
        DrawGrabberLine(canvas, rect.Left + 6, rect.Top + g + 1, rect.Left + 8, rect.Bottom - 2);
    } else {
        DrawGrabberLine(canvas, rect.Left + 2, rect.Top + 3, rect.Right - g - 2, rect.Top + 5);
        DrawGrabberLine(canvas, rect.Left + 2, rect.Top + 6, rect.Right - g - 2, rect.Top + 8);
    }
}

void TDockTree::PaintSite(TCanvas& canvas) {
    const std::vector<QWidget*> shown = ShownClients();
    const std::vector<TRect> zones = Zones(int(shown.size()));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        canvas.SaveState();
        canvas.IntersectClipRect(zones[i]);
        PaintDockFrame(canvas, *shown[i], zones[i]);
        canvas.RestoreState();
    }
}

bool TDockTree::eventFilter(QObject* watched, QEvent* event) {
    QWidget& site = m_site.SiteWidget();
    if (watched != &site) {
        // A client shown or hidden takes or gives back its room.
        if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
            Guard([this] { ResetBounds(); });
        return false;
    }
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::ContentsRectChange:
        Guard([this] { ResetBounds(); });
        return false;
    case QEvent::ChildRemoved: {
        auto* child = static_cast<QChildEvent*>(event)->child();
        const auto gone = [child](const QPointer<QWidget>& c) { return !c || c == child; };
        if (std::any_of(m_clients.begin(), m_clients.end(), gone)) {
            m_clients.erase(std::remove_if(m_clients.begin(), m_clients.end(), gone),
                            m_clients.end());
            Guard([this] { ResetBounds(); });
        }
        return false;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        QWidget* control = nullptr;
        const THitPart part = HitTest(mouse->position().toPoint(), control);
        if (part == THitPart::Nowhere)
            return false;
        if (part == THitPart::CloseButton) {
            m_closePressed = control;
        } else if (auto* client = dynamic_cast<TDragControl*>(control)) {
            const QPoint start = mouse->globalPosition().toPoint();
            Guard([client, start] { BeginDrag(*client, start, false, kDragThreshold); });
        }
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !m_closePressed)
            return false;
        QWidget* control = nullptr;
        const THitPart part = HitTest(mouse->position().toPoint(), control);
        QPointer<QWidget> pressed = m_closePressed;
        m_closePressed = nullptr;
        if (part == THitPart::CloseButton && control == pressed)
            Guard([pressed] { pressed->hide(); });
        return true;
    }
    default:
        return false;
    }
}

// Floating.

namespace {

// The tool window a floating client lives in: a caption bar that drags the
// client on (and closes it), the client below it.
class TFloatingDockHost final : public QWidget {
public:
    TFloatingDockHost(QWidget* owner, TDragControl& client)
        : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint), m_client(&client.DragWidget()),
          m_clientObject(m_client), m_drag(&client) {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(AnsiToQString(client.DockCaption()));
    }

    void Adopt() {
        m_client->setParent(this);
        m_client->installEventFilter(this);
        m_client->move(0, kFloatCaptionHeight);
        m_client->show();
    }
    void Release() {
        if (m_client)
            m_client->removeEventFilter(this);
        m_client = nullptr;
        m_clientObject = nullptr;
        hide();
        deleteLater();
    }
    TRect CloseRect() const {
        return Bounds(width() - kFloatCaptionHeight + 2, 2, kFloatCaptionHeight - 4,
                      kFloatCaptionHeight - 4);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        Guard([this] {
            TCanvas canvas(*this);
            canvas.Brush.SetColor(clActiveCaption);
            canvas.FillRect(Rect(0, 0, width(), kFloatCaptionHeight));
            TFont font;
            font.Style = TFontStyle::fsBold;
            font.Color = clCaptionText;
            canvas.Font = font;
            canvas.Brush.SetStyle(TBrushStyle::bsClear);
            const std::string caption = m_client ? m_drag->DockCaption() : std::string();
            canvas.TextRect(Rect(0, 0, CloseRect().Left - 1, kFloatCaptionHeight), 3, 1, caption);
            DrawCloseButton(canvas, CloseRect());
        });
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (m_client)
            m_client->setGeometry(0, kFloatCaptionHeight, width(),
                                  std::max(0, height() - kFloatCaptionHeight));
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (!m_client || event->button() != Qt::LeftButton ||
            event->position().y() >= kFloatCaptionHeight)
            return;
        const QPoint p = event->position().toPoint();
        if (PtInRect(CloseRect(), {p.x(), p.y()})) {
            m_closePressed = true;
            return;
        }
        const QPoint start = event->globalPosition().toPoint();
        Guard([this, start] { BeginDrag(*m_drag, start, false, kDragThreshold); });
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const QPoint p = event->position().toPoint();
        if (m_closePressed && m_client && PtInRect(CloseRect(), {p.x(), p.y()}))
            Guard([this] { m_client->hide(); });
        m_closePressed = false;
    }
    // Closing the window hides the client; the window comes back with it.
    void closeEvent(QCloseEvent* event) override {
        if (m_client) {
            m_client->hide();
            event->ignore();
        }
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_client) {
            if (event->type() == QEvent::HideToParent)
                hide();
            else if (event->type() == QEvent::ShowToParent)
                show();
        }
        return false;
    }
    void childEvent(QChildEvent* event) override {
        QWidget::childEvent(event);
        // The client went (docked elsewhere, or destroyed).
        if (event->removed() && event->child() == m_clientObject)
            Release();
    }

private:
    QPointer<QWidget> m_client;
    QObject* m_clientObject; // identity only: compared, never used
    TDragControl* m_drag;
    bool m_closePressed = false;
};

// Takes client out of the site or the tool window it is in.
void LeavePlace(TDragControl& client) {
    QWidget& w = client.DragWidget();
    if (QWidget* site = client.Dock.HostDockSite) {
        if (auto* ds = dynamic_cast<TDockSite*>(site))
            if (TDockTree* tree = ds->DockManager())
                tree->RemoveControl(w);
        client.Dock.HostDockSite = nullptr;
    }
    if (auto* host = static_cast<TFloatingDockHost*>(client.Dock.FloatHost.data())) {
        client.Dock.FloatHost = nullptr;
        host->Release();
    }
}

} // namespace

void DockControlAt(TDragControl& client, TDockSite& site, QPoint global, const TRect& dockRect) {
    QWidget& w = client.DragWidget();
    QWidget& sw = site.SiteWidget();
    if (!client.Dock.HostDockSite)
        client.Dock.UndockSize = w.size();
    LeavePlace(client);
    if (w.parentWidget() != &sw)
        w.setParent(&sw);
    client.Dock.HostDockSite = &sw;
    if (TDockTree* tree = site.DockManager()) {
        tree->InsertControl(w, tree->DropIndex(w, sw.mapFromGlobal(global)));
    } else {
        const QPoint p = sw.mapFromGlobal(QPoint(dockRect.Left, dockRect.Top));
        w.setGeometry(p.x(), p.y(), dockRect.Width(), dockRect.Height());
    }
    w.show();
}

void ManualDock(TDragControl& client, TDockSite& site) {
    QWidget& sw = site.SiteWidget();
    const QPoint end = sw.mapToGlobal(QPoint(sw.width(), sw.height()));
    const QPoint at = sw.mapToGlobal(QPoint(0, 0));
    const QSize size = client.DragWidget().size();
    DockControlAt(client, site, end, Bounds(at.x(), at.y(), size.width(), size.height()));
}

TRect PositionDockRect(TDragControl& client, TDockSite& site, QPoint global,
                       const TRect& floating) {
    TDockTree* tree = site.DockManager();
    if (!tree)
        return floating;
    QWidget& sw = site.SiteWidget();
    QWidget& w = client.DragWidget();
    const TRect zone = tree->DropZone(w, tree->DropIndex(w, sw.mapFromGlobal(global)));
    const QPoint origin = sw.mapToGlobal(QPoint(0, 0));
    return OffsetRect(zone, origin.x(), origin.y());
}

void ManualFloat(TDragControl& client, const TRect& screenRect) {
    QWidget& w = client.DragWidget();
    const QRect frame(screenRect.Left, screenRect.Top - kFloatCaptionHeight, screenRect.Width(),
                      screenRect.Height() + kFloatCaptionHeight);
    if (QWidget* host = client.Dock.FloatHost) {
        host->setGeometry(frame);
        return;
    }
    if (!client.Dock.HostDockSite)
        client.Dock.UndockSize = w.size();
    QWidget* owner = w.window() == &w ? nullptr : w.window();
    LeavePlace(client);
    auto* host = new TFloatingDockHost(owner, client);
    host->setGeometry(frame);
    host->Adopt();
    client.Dock.FloatHost = host;
    host->show();
}

} // namespace vdx::gui
