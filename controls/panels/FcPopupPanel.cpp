#include "controls/panels/FcPopupPanel.h"

#include "controls/storage/FcMonitors.h"
#include "platform/gui/exception_guard.h"

#include <QApplication>
#include <QEventLoop>
#include <QHideEvent>
#include <QKeyEvent>

#include <algorithm>
#include <climits>
#include <vector>

namespace vdx {

TPoint PlacePopup(const TRect& cr, int w, int h, TAlignment alignment, int x, int y,
                  const TRect& wa) noexcept {
    if (x == -1 && y == -1) {
        y = cr.Bottom;
        switch (alignment) {
        case TAlignment::taLeftJustify:
            x = cr.Left;
            break;
        case TAlignment::taRightJustify:
            x = cr.Right - w;
            break;
        case TAlignment::taCenter:
            x = (cr.Left + cr.Right - w) / 2;
            break;
        }
    } else {
        x += cr.Left;
        y += cr.Top;
    }
    if (wa.IsEmpty())
        return {x, y};
    if (x + w > wa.Right)
        x = wa.Right - w;
    if (y + h > wa.Bottom)
        y = cr.Top - h; // above the control
    if (x < wa.Left)
        x = wa.Left;
    if (y < wa.Top)
        y = wa.Top;
    return {x, y};
}

TFcCustomPopup::TFcCustomPopup(QWidget* parent) : TFcCustomPanel(parent) {
    SetBorderWidth(2);
    SetBorderOuter(TFrameStyleEx::fsPopup);
    SetFlatColorAdjustment(0);
    hide();
}

// The panel.

TFcPopupPanel::TFcPopupPanel(QWidget* parent) : TFcCustomPopup(parent) {
    SetAlignment(TAlignment::taRightJustify);
    resize(100, 100);
    SetColor(gui::clBtnFace);
}

TFcPopupPanel::~TFcPopupPanel() {
    // An open pop-up ends with the panel (its loop sees the panel go).
    delete m_popup.data();
}

void TFcPopupPanel::DoPopup() {
    if (OnPopup)
        OnPopup(this);
}

void TFcPopupPanel::DoClose() {
    if (OnClose)
        OnClose(this);
}

void TFcPopupPanel::AdjustSize() {
    if (!m_autoSize)
        return;
    std::vector<QWidget*> children;
    for (QObject* o : this->children())
        if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow() && !w->isHidden())
            children.push_back(w);
    if (children.empty())
        return;
    // Inside the borders, counted twice as the pop-up's client adjustment does.
    TRect inner = AdjustClientRect(GetClientRect());
    AdjustRectForBorders(inner, false);
    QRect box;
    for (QWidget* w : children)
        box = box.united(w->geometry());
    const QPoint shift(inner.Left - box.left(), inner.Top - box.top());
    for (QWidget* w : children)
        w->move(w->pos() + shift);
    resize(box.width() + inner.Left + (width() - inner.Right),
           box.height() + inner.Top + (height() - inner.Bottom));
}

bool TFcPopupPanel::Popup(QWidget* control) {
    return Popup(control, -1, -1);
}

bool TFcPopupPanel::Popup(QWidget* control, int x, int y) {
    if (m_popup || !control)
        return false;
    QPointer<TFcPopupPanel> self(this);
    QPointer<QWidget> active = QApplication::focusWidget();
    // The window that was active gets the activation back too, where the
    // platform moved it to the pop-up.
    QPointer<QWidget> activeWindow = QApplication::activeWindow();
    m_control = control;
    QPointer<TFcPopup> popup;
    bool accepted = false;
    auto finish = [&] {
        delete popup.data();
        if (self) {
            m_control = nullptr;
            m_popup = nullptr;
        }
    };
    try {
        DoPopup();
        if (self) {
            AdjustSize();
            popup = new TFcPopup(*this);
            popup->SetBorderOuter(BorderOuter());
            popup->SetFlatColor(FlatColor());
            m_popup = popup;
            accepted = popup->Popup(control, Alignment(), x, y);
            if (self)
                DoClose();
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    if (activeWindow && !QApplication::activeWindow())
        activeWindow->activateWindow();
    if (active)
        active->setFocus(Qt::PopupFocusReason);
    return accepted && self;
}

void TFcPopupPanel::ClosePopup() {
    if (m_popup)
        m_popup->AcceptAndClose();
}

void TFcPopupPanel::DestroyWnd() {
    ClosePopup();
}

void TFcPopupPanel::changeEvent(QEvent* event) {
    // A new parent gives the panel a new window.
    if (event->type() == QEvent::ParentChange)
        DestroyWnd();
    TFcCustomPopup::changeEvent(event);
}

// The pop-up window.

TFcPopup::TFcPopup(TFcPopupPanel& panel) : TFcCustomPopup(panel.window()), m_panel(&panel) {
    setWindowFlags(Qt::Popup);
    // A click outside closes the pop-up and goes no further.
    setAttribute(Qt::WA_NoMouseReplay);
    SetColor(panel.Color());
    SetFont(panel.Font());
    setToolTip(panel.toolTip());
}

TFcPopup::~TFcPopup() {
    if (m_quit)
        m_quit();
}

bool TFcPopup::Popup(QWidget* control, TAlignment alignment, int x, int y) {
    if (!m_panel || !control)
        return false;
    QPointer<TFcPopup> self(this);
    QPointer<TFcPopupPanel> panel = m_panel;
    const QPoint origin = control->mapToGlobal(QPoint(0, 0));
    const TRect cr = gui::Bounds(origin.x(), origin.y(), control->width(), control->height());

    struct TMoved {
        QPointer<QWidget> Widget;
        QRect Geometry;
        bool Hidden;
    };
    std::vector<TMoved> moved;
    for (QObject* o : panel->children())
        if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow())
            moved.push_back({w, w->geometry(), w->isHidden()});
    for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
        it->Widget->setParent(this);
        it->Widget->setGeometry(it->Geometry);
        it->Widget->setVisible(!it->Hidden);
    }
    for (const TMoved& m : moved)
        if (!m.Hidden && m.Widget->isEnabled()) {
            m_target = m.Widget;
            break;
        }

    const int w = panel->width(), h = panel->height();
    TRect workArea;
    if (const auto monitor = MonitorNearestRect(gui::Bounds(cr.Left, cr.Bottom, 1, 1)))
        workArea = GetMonitorWorkArea(*monitor);
    const TPoint at = PlacePopup(cr, w, h, alignment, x, y, workArea);
    setGeometry(at.X, at.Y, w, h);
    m_cancelled = true;

    // Runs until the pop-up hides, or until anything it depends on goes.
    QEventLoop loop;
    bool ended = false, lost = false;
    m_quit = [&] {
        ended = true;
        loop.quit();
    };
    auto lose = [&] {
        lost = true;
        ended = true;
        loop.quit();
    };
    const QPointer<QWidget> form = control->window();
    for (QObject* watched : std::initializer_list<QObject*>{panel.data(), control, form.data()})
        if (watched)
            connect(watched, &QObject::destroyed, &loop, lose);
    for (const TMoved& m : moved)
        if (m.Widget)
            connect(m.Widget.data(), &QObject::destroyed, &loop, lose);
    connect(qApp, &QGuiApplication::applicationStateChanged, &loop,
            [&](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive && self)
                    self->CancelAndClose();
            });
    connect(qApp, &QCoreApplication::aboutToQuit, &loop, lose);
    show();
    if (!ended)
        loop.exec();
    if (!self)
        return false; // gone with its form: the children went with it
    m_quit = nullptr;
    m_target = nullptr;
    hide();
    for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
        if (!it->Widget)
            continue;
        if (panel) {
            it->Widget->setParent(panel);
            it->Widget->setGeometry(it->Geometry);
            it->Widget->setVisible(!it->Hidden);
        }
    }
    setParent(nullptr);
    return !lost && !m_cancelled;
}

void TFcPopup::AcceptAndClose() {
    m_cancelled = false;
    hide();
}

void TFcPopup::CancelAndClose() {
    m_cancelled = true;
    hide();
}

void TFcPopup::EndLoop() {
    if (m_quit)
        m_quit();
}

void TFcPopup::hideEvent(QHideEvent* event) {
    TFcCustomPopup::hideEvent(event);
    EndLoop();
}

void TFcPopup::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (event->key() == Qt::Key_Escape) {
        CancelAndClose();
        return;
    }
    if (m_target)
        QCoreApplication::sendEvent(m_target, event);
}

void TFcPopup::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
    if (m_target && event->key() != Qt::Key_Escape)
        QCoreApplication::sendEvent(m_target, event);
}

} // namespace vdx
