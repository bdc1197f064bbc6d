#include "controls/panels/FcStatusBar.h"

#include "controls/base/FcCommon.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/system_facts.h"

#include <QMouseEvent>
#include <QResizeEvent>
#include <QWindow>

#include <cmath>

namespace vdx {

using gui::TBrushStyle;

std::vector<int> ScalePaneWidths(const std::vector<int>& widths, int change, int lastWidth) {
    std::vector<int> out;
    out.reserve(widths.size());
    for (int w : widths) {
        const double ratio = lastWidth > 0 ? double(w) / lastWidth : 1.0 / double(widths.size());
        // Rounded to nearest, ties to even (the default rounding mode).
        out.push_back(w + int(std::nearbyint(change * ratio)));
    }
    return out;
}

bool FormAllowsSizeGrip(const QWidget* form) {
    if (!form || form->isMaximized())
        return false;
    if (form->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint))
        return false;
    return form->minimumSize() != form->maximumSize();
}

namespace {

std::vector<QWidget*> Panes(const QWidget& bar) {
    std::vector<QWidget*> out;
    for (QObject* o : bar.children())
        if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow())
            out.push_back(w);
    return out;
}

} // namespace

TFcStatusBar::TFcStatusBar(QWidget* parent) : TFcCustomPanel(parent) {
    SetAlign(TAlign::alBottom);
    TFcCustomPanel::SetBorderInner(TFrameStyleEx::fsNone);
    TFcCustomPanel::SetBorderOuter(TFrameStyleEx::fsNone);
    TFcCustomPanel::SetBorderSides(TSides::All());
    SetBorderWidth(0);
    resize(width(), 19);
    // The grip's cursor follows the pointer without a button held.
    setMouseTracking(true);
    Realign();
}

TFcStatusBar::~TFcStatusBar() = default;

void TFcStatusBar::ApplyAutoStyle() {
    const bool autoStyle = m_autoStyle;
    SetBorderInner(TFrameStyleEx::fsNone);
    SetBorderOuter(TFrameStyleEx::fsNone);
    SetBorderSides(TSides::All());
    SetBounds(x(), y(), width(), 19);
    SetBorderWidth(0);
    m_autoStyle = autoStyle;
}

void TFcStatusBar::Loaded() {
    TFcCustomPanel::Loaded();
    if (m_autoStyle)
        ApplyAutoStyle();
}

TRect TFcStatusBar::GetClientRect() const {
    TRect r = TFcCustomPanel::GetClientRect();
    if (!gui::ThemeLibraryAvailable()) {
        r.Bottom += 1;
        r.Top = m_simpleStatus ? 2 : 1;
        r.Left -= 1;
        r.Right += 1;
    } else if (m_simpleStatus) {
        r.Left += 1;
        r.Top += 1;
        r.Right -= 1;
    }
    return r;
}

void TFcStatusBar::GetGradientColors(TColor& startColor, TColor& stopColor) const {
    if (GradientColorStyle() == TFcGradientColorStyle::gcsCustom) {
        startColor = GradientColorStop();
        stopColor = GradientColorStart();
        return;
    }
    TColor line;
    GetGradientStatusColors(GradientColorStyle(), startColor, stopColor, line);
}

void TFcStatusBar::SetBorderInner(TFrameStyleEx value) {
    if (value == BorderInner())
        return;
    TFcCustomPanel::SetBorderInner(value);
    m_autoStyle = false;
}

void TFcStatusBar::SetBorderOuter(TFrameStyleEx value) {
    if (value == BorderOuter())
        return;
    TFcCustomPanel::SetBorderOuter(value);
    m_autoStyle = false;
}

void TFcStatusBar::SetBorderSides(TSides value) {
    if (value == BorderSides())
        return;
    TFcCustomPanel::SetBorderSides(value);
    m_autoStyle = false;
}

void TFcStatusBar::SetShowSizeGrip(bool value) {
    if (StoreChanged(m_showSizeGrip, value))
        update();
}

void TFcStatusBar::SetSimpleCaption(const std::string& value) {
    if (StoreChanged(m_simpleCaption, value))
        update();
}

void TFcStatusBar::SetSimpleFrameStyle(TFrameStyle value) {
    if (StoreChanged(m_simpleFrameStyle, value))
        update();
}

void TFcStatusBar::SetSimpleStatus(bool value) {
    if (!StoreChanged(m_simpleStatus, value))
        return;
    if (value) {
        m_hiddenPanes.clear();
        for (QWidget* pane : Panes(*this))
            if (!pane->isHidden()) {
                m_hiddenPanes.emplace_back(pane);
                pane->hide();
            }
    } else {
        // Only the panes SimpleStatus hid come back; a pane hidden before
        // stays hidden.
        for (const QPointer<QWidget>& pane : m_hiddenPanes)
            if (pane && pane->parentWidget() == this)
                pane->show();
        m_hiddenPanes.clear();
    }
    Realign();
    update();
}

bool TFcStatusBar::SizeGripActive() const {
    const QWidget* form = window();
    return m_showSizeGrip && form != this && FormAllowsSizeGrip(form);
}

void TFcStatusBar::DrawBackground(TCanvas& canvas, const TRect& r) {
    // Only the classic style frames the simple status.
    if (VisualStyle() != TFcVisualStyle::vsClassic)
        return;
    canvas.Pen.Width = 1;
    if (m_simpleFrameStyle != TFrameStyleEx::fsFlat) {
        DrawFrameStyleBorder(canvas, r, m_simpleFrameStyle);
        return;
    }
    canvas.Pen.Color = AdjustColor(FlatColor(), FlatColorAdjustment());
    auto line = [&](int x0, int y0, int x1, int y1) {
        canvas.MoveTo(x0, y0);
        canvas.LineTo(x1, y1);
    };
    line(r.Left, r.Top + 1, r.Left, r.Bottom - 1);
    line(r.Left + 1, r.Top, r.Right - 1, r.Top);
    line(r.Right - 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    line(r.Left + 1, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
}

void TFcStatusBar::Paint(TCanvas& canvas) {
    TFcCustomPanel::Paint(canvas);
    TRect r = GetClientRect();
    r.Bottom -= 1;
    if (m_simpleStatus) {
        DrawBackground(canvas, r);
        r = InflateRect(r, -1, -1);
        if (!m_simpleCaption.empty()) {
            canvas.Font = Font();
            canvas.Brush.SetStyle(TBrushStyle::bsClear);
            const int y = r.Top + (r.Height() - canvas.TextHeight("Pp")) / 2;
            canvas.TextRect(r, r.Left + 2, y, m_simpleCaption);
            canvas.Brush.SetStyle(TBrushStyle::bsSolid);
        }
    }
    if (SizeGripActive())
        PaintSizeGrip(canvas);
}

void TFcStatusBar::PaintSizeGrip(TCanvas& canvas) {
    TRect r = GetClientRect();
    r.Bottom -= 1;
    TColor light = gui::clBtnHighlight, dark = gui::clBtnShadow;
    if (VisualStyle() == TFcVisualStyle::vsGradient) {
        TColor stop;
        GetGradientStatusColors(GradientColorStyle(), stop, light, dark);
    }
    const int rt = r.Right - 1, b = r.Bottom;
    const TPoint dots[] = {{rt - 4, b - 12}, {rt - 4, b - 8}, {rt - 4, b - 4},
                           {rt - 8, b - 8},  {rt - 8, b - 4}, {rt - 12, b - 4}};
    canvas.Pen.Width = 1;
    // The dark squares one pixel up and left over the light ones: raised dots.
    for (const auto& [colour, offset] : {std::pair{light, 0}, std::pair{dark, -1}}) {
        canvas.Pen.Color = colour;
        canvas.Brush.SetColor(colour);
        for (const TPoint& p : dots)
            canvas.Rectangle(p.X + offset, p.Y + offset, p.X + offset + 2, p.Y + offset + 2);
    }
}

void TFcStatusBar::resizeEvent(QResizeEvent* event) {
    TFcCustomPanel::resizeEvent(event);
    gui::Guard([this] {
        if (width() < 50)
            return;
        int change = 0;
        if (m_firstResize)
            m_firstResize = false;
        else
            change = width() - m_lastWidth;
        if (m_autoScalePanes && change != 0)
            ScalePanes();
        m_lastWidth = width();
    });
}

void TFcStatusBar::ScalePanes() {
    const std::vector<QWidget*> panes = Panes(*this);
    if (panes.empty())
        return;
    std::vector<int> widths;
    for (QWidget* pane : panes)
        widths.push_back(pane->width());
    const std::vector<int> scaled = ScalePaneWidths(widths, width() - m_lastWidth, m_lastWidth);
    for (std::size_t i = 0; i < panes.size(); ++i)
        panes[i]->resize(scaled[i], panes[i]->height());
}

void TFcStatusBar::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !SizeGripActive() ||
        !PtInRect(SizeGripRect(width(), height()), {p.x(), p.y()})) {
        TFcCustomPanel::mousePressEvent(event);
        return;
    }
    // The press is the form's: it resizes from its bottom-right corner.
    event->accept();
    QWidget* form = window();
    if (QWindow* handle = form->windowHandle();
        handle && handle->startSystemResize(Qt::BottomEdge | Qt::RightEdge))
        return;
    m_gripDrag = true;
    m_dragStart = event->globalPosition().toPoint();
    m_dragStartSize = form->size();
}

void TFcStatusBar::mouseMoveEvent(QMouseEvent* event) {
    if (m_gripDrag) {
        if (!(event->buttons() & Qt::LeftButton)) {
            m_gripDrag = false;
        } else {
            const QPoint d = event->globalPosition().toPoint() - m_dragStart;
            window()->resize(m_dragStartSize + QSize(d.x(), d.y()));
            event->accept();
            return;
        }
    }
    const QPointer<TFcStatusBar> self(this);
    TFcCustomPanel::mouseMoveEvent(event);
    if (self) {
        const QPoint p = event->position().toPoint();
        UpdateGripCursor({p.x(), p.y()});
    }
}

void TFcStatusBar::mouseReleaseEvent(QMouseEvent* event) {
    if (m_gripDrag && event->button() == Qt::LeftButton) {
        m_gripDrag = false;
        event->accept();
        return;
    }
    TFcCustomPanel::mouseReleaseEvent(event);
}

void TFcStatusBar::MouseLeave() {
    TFcCustomPanel::MouseLeave();
    UpdateGripCursor({-1, -1});
}

void TFcStatusBar::UpdateGripCursor(TPoint p) {
    const bool over = SizeGripActive() && PtInRect(SizeGripRect(width(), height()), p);
    if (!StoreChanged(m_gripCursor, over))
        return;
    if (over)
        setCursor(Qt::SizeFDiagCursor);
    else
        unsetCursor();
}

} // namespace vdx
