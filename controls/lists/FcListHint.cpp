#include "controls/lists/FcListHint.h"

#include "controls/base/FcDraw.h"
#include "platform/gui/exception_guard.h"

#include <QImage>
#include <QScreen>

namespace vdx {

namespace {

// The hint window that shows an item too wide for the box.
class TItemHintWindow : public QWidget {
public:
    explicit TItemHintWindow(QWidget* owner)
        : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint) {
        setAttribute(Qt::WA_ShowWithoutActivating);
    }
    void SetHint(const std::string& text, const TFont& font) {
        m_text = text;
        m_font = font;
        m_font.Color = gui::clInfoText;
        update();
    }
    // The hint's size for text: the text plus the border and insets.
    static gui::TSize HintSize(const std::string& text, const TFont& font, int maxWidth) {
        QImage scratch(1, 1, QImage::Format_RGB32);
        TCanvas canvas(scratch);
        canvas.Font = font;
        TRect r = gui::Rect(0, 0, maxWidth, 0);
        DrawTextOnCanvas(canvas, text, r,
                         gui::DT_CALCRECT | gui::DT_LEFT | gui::DT_NOPREFIX | gui::DT_WORDBREAK);
        return {r.Width() + 6, r.Height() + 2};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        gui::Guard([this] {
            TCanvas canvas(*this);
            const TRect all = gui::Rect(0, 0, width(), height());
            canvas.Brush.SetColor(gui::clInfoBk);
            canvas.FillRect(all);
            DrawOutlineBox(canvas, all, gui::clWindowFrame);
            canvas.Font = m_font;
            canvas.Brush.SetStyle(gui::TBrushStyle::bsClear);
            TRect text = gui::Rect(3, 1, width() - 1, height() - 1);
            DrawTextOnCanvas(canvas, m_text, text,
                             gui::DT_LEFT | gui::DT_NOPREFIX | gui::DT_WORDBREAK);
        });
    }

private:
    std::string m_text;
    TFont m_font;
};

} // namespace

std::string ItemHintText(std::string_view text) {
    std::string shown;
    for (char c : text)
        shown += c == '\t' ? std::string(8, ' ') : std::string(1, c);
    return shown;
}

namespace {

int ScreenWidth(const QWidget& owner) {
    return owner.screen() ? owner.screen()->geometry().width() : 1024;
}

} // namespace

void TFcListHint::Show(std::string_view text, const TFont& font, QPoint itemTopLeft, int indent,
                       int itemHeight) {
    const std::string shown = ItemHintText(text);
    const gui::TSize size = TItemHintWindow::HintSize(shown, font, ScreenWidth(m_owner));
    ShowAt(shown, font, ItemHintOrigin(itemTopLeft, indent, itemHeight, size.cy));
}

void TFcListHint::ShowAt(std::string_view text, const TFont& font, QPoint at) {
    if (!m_window)
        m_window = new TItemHintWindow(&m_owner);
    auto* hint = static_cast<TItemHintWindow*>(m_window.data());
    if (hint->isVisible() && hint->pos() == at)
        return;
    const std::string shown(text);
    const gui::TSize size = TItemHintWindow::HintSize(shown, font, ScreenWidth(m_owner));
    hint->SetHint(shown, font);
    hint->setGeometry(at.x(), at.y(), size.cx, size.cy);
    hint->show();
}

void TFcListHint::Hide() {
    if (m_window)
        m_window->hide();
}

bool TFcListHint::Showing() const {
    return m_window && m_window->isVisible();
}

} // namespace vdx
