#include "controls/panels/FcPanelDockManager.h"

#include "controls/panels/FcPanel.h"
#include "platform/gui/ansi_text.h"

#include <QApplication>
#include <QEvent>

namespace vdx {

namespace {

TFont ManagerFont(const char* name) {
    TFont font;
    font.Name = name;
    font.SetSize(8);
    return font;
}

} // namespace

TFcPanelDockManager::TFcPanelDockManager(TFcCustomPanel& panel)
    : gui::TDockTree(panel), m_panel(panel), m_captionFont(ManagerFont("Verdana")),
      m_closeFont(ManagerFont("Marlett")) {
    SetGrabberSize(kGrabberSize);
    // The grabbers show which client has the focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        const auto inside = [this](const QWidget* w) { return w && m_panel.isAncestorOf(w); };
        if (inside(old) || inside(now))
            m_panel.update();
    });
}

TFcPanelDockManager::~TFcPanelDockManager() = default;

void TFcPanelDockManager::AdjustDockRect(QWidget&, TRect& rect) const {
    if (GrabbersOnLeft())
        rect.Left += kGrabberSize;
    else
        rect.Top += kGrabberSize;
}

TRect TFcPanelDockManager::CloseButtonRect(const TRect& zone) const {
    if (!m_panel.ShowDockClientCaptions())
        return gui::TDockTree::CloseButtonRect(zone);
    if (GrabbersOnLeft())
        return gui::Rect(zone.Left + 1, zone.Top + 1, zone.Left + kGrabberSize - 2, zone.Top + 12);
    return gui::Rect(zone.Right - kGrabberSize - 1, zone.Top + 1, zone.Right - 2, zone.Top + 12);
}

bool TFcPanelDockManager::Focused(const QWidget& control) const {
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == &control || control.isAncestorOf(focus));
}

void TFcPanelDockManager::PaintDockFrame(TCanvas& canvas, QWidget& control, const TRect& r) {
    if (!m_panel.ShowDockClientCaptions()) {
        gui::TDockTree::PaintDockFrame(canvas, control, r);
        return;
    }
    auto* client = dynamic_cast<gui::TDragControl*>(&control);
    const std::string caption =
        client ? client->DockCaption() : gui::QStringToAnsi(control.windowTitle());
    canvas.Font = m_captionFont;
    if (!(client && client->IsWindowedControl()) || Focused(control)) {
        canvas.Brush.SetColor(gui::clActiveCaption);
        canvas.Font.Color = gui::clCaptionText;
    } else {
        canvas.Brush.SetColor(gui::clInactiveCaption);
        canvas.Font.Color = gui::clInactiveCaptionText;
    }
    const TRect close = CloseButtonRect(r);
    if (!GrabbersOnLeft()) {
        canvas.TextRect(gui::Rect(r.Left, r.Top, r.Right, r.Top + kGrabberSize), r.Left + 2, r.Top,
                        caption);
    } else {
        // Read from the bottom up, on a baseline 2 pixels inside the grabber.
        const TRect grabber = gui::Rect(r.Left, r.Top, r.Left + kGrabberSize, r.Bottom);
        canvas.Font = CreateRotatedFont(m_captionFont, 90);
        canvas.Font.Color = gui::clCaptionText;
        const unsigned align = canvas.TextAlign;
        canvas.TextAlign = gui::TA_BASELINE;
        canvas.TextRect(grabber, grabber.Right - 2, grabber.Bottom - 3, caption);
        canvas.TextAlign = align;
    }
    canvas.Font = m_closeFont;
    canvas.TextRect(close, close.Left, close.Top, "r");
}

bool TFcPanelDockManager::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress)
        m_panel.update();
    return gui::TDockTree::eventFilter(watched, event);
}

} // namespace vdx
