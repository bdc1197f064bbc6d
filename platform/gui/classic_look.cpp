#include "platform/gui/classic_look.h"

#include "platform/gui/color.h"
#include "platform/gui/font.h"
#include "platform/gui/key_dispatcher.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

namespace vdx::gui {

namespace {

// Qt's "Windows" style with what the platform's own controls do beyond it.
class TClassicStyle : public QProxyStyle {
public:
    TClassicStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Windows"))) {
        setObjectName(QStringLiteral("windows"));
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        switch (hint) {
        // Whatever the desktop's theme asks for: icon left, buttons centred
        // in the platform's order, no pictures on buttons.
        case SH_MessageBox_CenterButtons:
            return 1;
        case SH_DialogButtonBox_ButtonsHaveIcons:
            return 0;
        case SH_DialogButtonLayout:
            return QDialogButtonBox::WinLayout;
        default:
            return QProxyStyle::styleHint(hint, option, widget, returnData);
        }
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        // The tab control's tabs: the caption's width and a margin on either
        // side.
        if (metric == PM_TabBarTabHSpace)
            return 2 * kTabTextMargin;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
        if (element == CE_PushButtonBevel && button && (button->state & State_HasFocus) &&
            !(button->state & State_Sunken) && !(button->features & QStyleOptionButton::Flat)) {
            // A focused push button is the one Enter clicks: it takes the
            // default button's black frame, its bevel inside.
            QStyleOptionButton inside = *button;
            inside.rect = button->rect.adjusted(1, 1, -1, -1);
            QProxyStyle::drawControl(element, &inside, painter, widget);
            painter->save();
            painter->setPen(ToQColor(cl3DDkShadow));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(button->rect.adjusted(0, 0, -1, -1));
            painter->restore();
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

QPalette ClassicPalette() {
    QPalette pal;
    const auto set = [&pal](QPalette::ColorRole role, TColor c) {
        pal.setColor(QPalette::All, role, ToQColor(c));
    };
    set(QPalette::Window, clBtnFace);
    set(QPalette::WindowText, clWindowText);
    set(QPalette::Base, clWindow);
    set(QPalette::AlternateBase, clBtnFace);
    set(QPalette::Text, clWindowText);
    set(QPalette::Button, clBtnFace);
    set(QPalette::ButtonText, clBtnText);
    set(QPalette::Light, clBtnHighlight);
    set(QPalette::Midlight, cl3DLight);
    set(QPalette::Mid, clBtnShadow);
    set(QPalette::Dark, clBtnShadow);
    set(QPalette::Shadow, cl3DDkShadow);
    set(QPalette::Highlight, clHighlight);
    set(QPalette::HighlightedText, clHighlightText);
    set(QPalette::BrightText, clWhite);
    set(QPalette::ToolTipBase, clInfoBk);
    set(QPalette::ToolTipText, clInfoText);
    set(QPalette::Link, clBlue);
    set(QPalette::LinkVisited, clPurple);
    set(QPalette::PlaceholderText, clGrayText);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText})
        pal.setColor(QPalette::Disabled, role, ToQColor(clGrayText));
    pal.setColor(QPalette::Disabled, QPalette::Base, ToQColor(clBtnFace));
    return pal;
}

QFont DialogFont() {
    TFont font;
    font.Name = "Tahoma";
    font.Height = -11;
    return ToQFont(font);
}

void ApplyClassicLook(QApplication& app) {
    QApplication::setStyle(new TClassicStyle);
    QApplication::setPalette(ClassicPalette());
    const QFont dialog = DialogFont();
    for (const char* widgetClass : {"QMenu", "QMenuBar", "QMessageBox"})
        QApplication::setFont(dialog, widgetClass);
    ClickFocusedButtonOnEnter(app);
}

} // namespace vdx::gui
