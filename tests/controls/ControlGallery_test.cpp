// A gallery form with the buttons, check boxes, group boxes and the status
// bar in each of their states, grabbed to "buttons-gallery.png" in the
// test's output folder for a person to look at.

#include "controls/buttons/FcBitBtn.h"
#include "controls/buttons/FcButton.h"
#include "controls/buttons/FcControlButton.h"
#include "controls/buttons/FcRadChk.h"
#include "controls/buttons/FcToolButton.h"
#include "controls/panels/FcGroupBox.h"
#include "controls/panels/FcPanel.h"
#include "controls/panels/FcStatusBar.h"
#include "platform/gui/image_list.h"

#include "Picture.h"
#include "WidgetPictures.h"
#include "buttons/ButtonInput.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace vdx {
namespace {

void Hover(QWidget& w) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(w.mapToGlobal(QPoint(1, 1))));
    QApplication::sendEvent(&w, &enter);
}

void ShowFocused(QWidget& w) {
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&w, &in);
}

// Four 16 x 16 pictures: a blue square, a red disc, a green triangle and a
// yellow bar, on a transparent clFuchsia background.
QImage GalleryImages() {
    QImage strip(64, 16, QImage::Format_RGB32);
    strip.fill(gui::ToQColor(gui::clFuchsia));
    QPainter p(&strip);
    p.fillRect(2, 2, 12, 12, Qt::blue);
    p.setBrush(Qt::red);
    p.setPen(Qt::NoPen);
    p.drawEllipse(18, 2, 12, 12);
    p.setBrush(Qt::darkGreen);
    const QPoint triangle[] = {{40, 2}, {46, 14}, {34, 14}};
    p.drawPolygon(triangle, 3);
    p.fillRect(50, 6, 12, 4, Qt::darkYellow);
    return strip;
}

// Places controls left to right in rows inside a group box.
class Row {
public:
    Row(TFcGroupBox& box, int top) : m_box(box), m_x(8), m_y(top) {}
    template <class T> T* Add(int width, int height) {
        auto* w = new T(&m_box);
        w->setGeometry(m_x, m_y, width, height);
        m_x += width + 6;
        return w;
    }
    void Next(int step) {
        m_x = 8;
        m_y += step;
    }

private:
    TFcGroupBox& m_box;
    int m_x, m_y;
};

class Gallery {
public:
    Gallery() {
        form.resize(780, 640);
        background = new TFcPanel(&form);
        background->setGeometry(0, 0, 780, 621);
        background->SetBorderOuter(TFrameStyleEx::fsNone);
        images.AddMasked(GalleryImages(), gui::clFuchsia);

        PushButtons();
        BitmapButtons();
        ToolAndControlButtons();
        CheckBoxes();
        GroupBoxes();
        StatusBar();
        form.show();
        QApplication::processEvents();
        SetStates();
    }

    QWidget form;
    TFcPanel* background = nullptr;
    gui::TCustomImageList images{16, 16};
    std::vector<QWidget*> controls;

private:
    TFcGroupBox* Box(const char* caption, int x, int y, int w, int h) {
        auto* box = new TFcGroupBox(background);
        box->setGeometry(x, y, w, h);
        box->SetCaption(caption);
        return box;
    }
    template <class T> T* Keep(T* w) {
        controls.push_back(w);
        return w;
    }
    TFcButton* Push(Row& row, const char* caption, int width = 84) {
        auto* b = Keep(row.Add<TFcButton>(width, 25));
        b->SetCaption(caption);
        return b;
    }

    void PushButtons() {
        auto* box = Box("Push buttons", 6, 4, 768, 100);
        Row row(*box, 20);
        Push(row, "&Normal");
        Push(row, "&Default")->SetDefault(true);
        m_focused = Push(row, "&Focused");
        m_pressed = Push(row, "&Pressed");
        auto* latched = Push(row, "&Latched");
        latched->SetGroupIndex(1);
        latched->SetDown(true);
        Push(row, "Disabled")->setEnabled(false);
        Push(row, "&Raised")->SetTextStyle(TTextStyle::tsRaised);
        Push(row, "R&ecessed")->SetTextStyle(TTextStyle::tsRecessed);
        row.Next(32);
        Push(row, "&Shadow")->SetTextStyle(TTextStyle::tsShadow);
        Push(row, "&Hot track")->SetHotTrack(true);
        m_hot = Push(row, "H&overed");
        m_hot->SetHotTrack(true);
        auto* hotDefault = Push(row, "Hot defa&ult");
        hotDefault->SetHotTrack(true);
        hotDefault->SetDefault(true);
        auto* hotDown = Push(row, "Hot latched");
        hotDown->SetHotTrack(true);
        hotDown->SetGroupIndex(2);
        hotDown->SetDown(true);
        auto* hotOff = Push(row, "Hot disabled");
        hotOff->SetHotTrack(true);
        hotOff->setEnabled(false);
        auto* coloured = Push(row, "Coloured");
        coloured->SetColor(gui::RGB(180, 200, 230));
    }

    TFcBitBtn* Bit(Row& row, TBitBtnKind kind, int width = 84, int height = 25) {
        auto* b = Keep(row.Add<TFcBitBtn>(width, height));
        b->SetKind(kind);
        return b;
    }

    void BitmapButtons() {
        auto* box = Box("Bitmap buttons", 6, 108, 768, 128);
        Row row(*box, 20);
        for (TBitBtnKind kind :
             {TBitBtnKind::bkOK, TBitBtnKind::bkCancel, TBitBtnKind::bkHelp, TBitBtnKind::bkYes,
              TBitBtnKind::bkNo, TBitBtnKind::bkClose, TBitBtnKind::bkAbort, TBitBtnKind::bkRetry})
            Bit(row, kind);
        row.Next(30);
        Bit(row, TBitBtnKind::bkIgnore);
        Bit(row, TBitBtnKind::bkAll);
        Bit(row, TBitBtnKind::bkOK)->setEnabled(false);
        auto* hot = Bit(row, TBitBtnKind::bkOK);
        hot->SetHotTrack(true);
        auto* list = Keep(row.Add<TFcBitBtn>(84, 25));
        list->SetCaption("Images");
        list->SetImages(&images);
        list->SetImageIndex(1);
        auto* listOff = Keep(row.Add<TFcBitBtn>(84, 25));
        listOff->SetCaption("Embossed");
        listOff->SetImages(&images);
        listOff->SetImageIndex(2);
        listOff->setEnabled(false);
        row.Next(30);
        for (TButtonLayout layout : {TButtonLayout::blGlyphLeft, TButtonLayout::blGlyphRight,
                                     TButtonLayout::blGlyphTop, TButtonLayout::blGlyphBottom}) {
            auto* b = Bit(row, TBitBtnKind::bkYes, 84, 44);
            b->SetLayout(layout);
        }
        auto* centred = Bit(row, TBitBtnKind::bkNo, 84, 44);
        centred->SetMargin(-1);
        centred->SetLayout(TButtonLayout::blGlyphTop);
    }

    TFcToolButton* Tool(Row& row, int image, const char* caption = "") {
        auto* b = Keep(row.Add<TFcToolButton>(caption[0] ? 70 : 25, 25));
        b->SetImages(&images);
        b->SetImageIndex(image);
        if (caption[0]) {
            b->SetCaption(caption);
            b->SetShowCaption(true);
        }
        return b;
    }

    void ToolAndControlButtons() {
        auto* box = Box("Tool and control buttons", 6, 240, 768, 92);
        Row row(*box, 20);
        Tool(row, 0);
        m_hotTool = Tool(row, 1);
        auto* down = Tool(row, 2);
        down->SetGroupIndex(1);
        down->SetDown(true);
        Tool(row, 3)->setEnabled(false);
        Tool(row, 0)->SetFlat(false);
        auto* gradient = Tool(row, 1, "Gradient");
        gradient->SetVisualStyle(TFcVisualStyle::vsGradient);
        m_hotGradient = gradient;
        auto* classic = Tool(row, 2, "Classic");
        classic->SetVisualStyle(TFcVisualStyle::vsClassic);
        classic->SetFlat(false);
        auto* drop = Tool(row, 3, "Menu");
        drop->SetToolStyle(TFcToolStyle::tsDropDown);
        auto* top = Tool(row, 0, "Top");
        top->SetHeight(40);
        top->SetLayout(TButtonLayout::blGlyphTop);
        row.Next(44);
        for (TFcControlButtonStyle style :
             {TFcControlButtonStyle::cbsLeft, TFcControlButtonStyle::cbsUp,
              TFcControlButtonStyle::cbsRight, TFcControlButtonStyle::cbsDown,
              TFcControlButtonStyle::cbsDropDown}) {
            auto* b = Keep(row.Add<TFcControlButton>(17, 21));
            b->SetStyle(style);
        }
        auto* flat = Keep(row.Add<TFcControlButton>(17, 21));
        flat->SetStyle(TFcControlButtonStyle::cbsDropDown);
        flat->SetFlat(true);
        m_pressedControl = Keep(row.Add<TFcControlButton>(17, 21));
        m_pressedControl->SetStyle(TFcControlButtonStyle::cbsDown);
        auto* off = Keep(row.Add<TFcControlButton>(17, 21));
        off->SetStyle(TFcControlButtonStyle::cbsUp);
        off->setEnabled(false);
        auto* glyph = Keep(row.Add<TFcControlButton>(21, 21));
        QImage cell = GalleryImages().copy(16, 0, 16, 16);
        glyph->SetGlyph(cell);
    }

    TFcCheckBox* Check(Row& row, const char* caption, TCheckBoxState state) {
        auto* b = Keep(row.Add<TFcCheckBox>(110, 17));
        b->SetCaption(caption);
        b->SetState(state);
        return b;
    }

    void CheckBoxes() {
        auto* box = Box("Check boxes", 6, 336, 768, 70);
        Row row(*box, 20);
        Check(row, "&Unchecked", TCheckBoxState::cbUnchecked);
        Check(row, "&Checked", TCheckBoxState::cbChecked);
        Check(row, "&Grayed", TCheckBoxState::cbGrayed);
        Check(row, "Disabled", TCheckBoxState::cbChecked)->setEnabled(false);
        Check(row, "Read only", TCheckBoxState::cbChecked)->SetReadOnly(true);
        m_focusedCheck = Check(row, "&Focused", TCheckBoxState::cbUnchecked);
        row.Next(24);
        Check(row, "Hot track", TCheckBoxState::cbUnchecked)->SetHotTrack(true);
        auto* hot = Check(row, "Hot checked", TCheckBoxState::cbChecked);
        hot->SetHotTrack(true);
        m_hotCheck = hot;
        auto* hotGray = Check(row, "Hot grayed", TCheckBoxState::cbGrayed);
        hotGray->SetHotTrack(true);
        auto* hotOff = Check(row, "Hot disabled", TCheckBoxState::cbChecked);
        hotOff->SetHotTrack(true);
        hotOff->setEnabled(false);
        m_pressedCheck = Check(row, "Pressed", TCheckBoxState::cbChecked);
        auto* left = Check(row, "Glyph right", TCheckBoxState::cbChecked);
        left->SetAlignment(TAlignment::taLeftJustify);
    }

    void GroupBoxes() {
        struct Style {
            const char* caption;
            TFcGroupBoxStyle style;
        };
        const Style styles[] = {
            {"gsStandard", TFcGroupBoxStyle::gsStandard},
            {"gsCustom", TFcGroupBoxStyle::gsCustom},
            {"gsTopLine", TFcGroupBoxStyle::gsTopLine},
            {"gsFlat", TFcGroupBoxStyle::gsFlat},
            {"gsBanner", TFcGroupBoxStyle::gsBanner},
            {"gsUnderline", TFcGroupBoxStyle::gsUnderline},
        };
        int x = 6;
        for (const Style& s : styles) {
            auto* box = Keep(new TFcGroupBox(background));
            box->setGeometry(x, 410, 124, 70);
            box->SetCaption(s.caption);
            box->SetGroupStyle(s.style);
            auto* child = new TFcCheckBox(box);
            child->move(box->contentsRect().left() + 6, box->contentsRect().top() + 6);
            child->SetCaption("Inside");
            x += 128;
        }
        struct Checked {
            const char* caption;
            bool checked, enabled;
        };
        const Checked checks[] = {{"&Check box, checked", true, true},
                                  {"Check box, unchecked", false, true},
                                  {"Disabled box", true, false},
                                  {"Empty caption", true, true}};
        x = 6;
        for (const Checked& c : checks) {
            auto* box = Keep(new TFcGroupBox(background));
            box->setGeometry(x, 486, 188, 74);
            box->SetCaption(c.caption == std::string("Empty caption") ? "" : c.caption);
            box->SetShowCheckBox(c.caption != std::string("Empty caption"));
            auto* child = new TFcCheckBox(box);
            child->move(box->contentsRect().left() + 6, box->contentsRect().top() + 6);
            child->SetCaption("A child");
            auto* button = new TFcButton(box);
            button->setGeometry(box->contentsRect().left() + 96, box->contentsRect().top() + 2, 75,
                                25);
            button->SetCaption("Child");
            box->SetChecked(c.checked);
            box->setEnabled(c.enabled);
            if (c.checked && c.enabled && c.caption[0] == '&')
                m_pressedGroup = box;
            x += 192;
        }
    }

    void StatusBar() {
        auto* bar = Keep(new TFcStatusBar(&form));
        bar->setGeometry(0, 621, 780, 19);
        bar->SetAutoScalePanes(true);
        int x = 2;
        for (const char* text : {"Ready", "Port 21", "3 users"}) {
            auto* pane = new TFcPanel(bar);
            pane->setGeometry(x, 1, 150, 17);
            pane->SetBorderOuter(TFrameStyleEx::fsStatus);
            pane->SetCaption(text);
            pane->SetAlignment(TAlignment::taLeftJustify);
            pane->SetTextMargin(3);
            x += 152;
        }
        auto* simple = Keep(new TFcStatusBar(background));
        simple->setGeometry(6, 566, 768, 19);
        simple->SetVisualStyle(TFcVisualStyle::vsClassic);
        simple->SetSimpleCaption("Simple status in a classic flat frame");
        simple->SetSimpleStatus(true);
        auto* gradient = Keep(new TFcStatusBar(background));
        gradient->setGeometry(6, 590, 768, 19);
        gradient->SetVisualStyle(TFcVisualStyle::vsGradient);
        gradient->SetSimpleCaption("Simple status on a gradient bar");
        gradient->SetSimpleStatus(true);
    }

    // Space holds the pressed look without moving the focus; the control
    // button takes no focus, so the pointer may press it.
    void SetStates() {
        for (QWidget* w :
             std::initializer_list<QWidget*>{m_pressed, m_pressedCheck, m_pressedGroup})
            test::KeyDown(*w, Qt::Key_Space, {}, " ");
        test::Press(*m_pressedControl, QPoint(5, 5));
        // The focused push button is the window's default for now: the
        // Default buttons show their plain look meanwhile.
        m_focused->setFocus();
        QApplication::processEvents();
        ShowFocused(*m_focusedCheck);
        Hover(*m_hot);
        Hover(*m_hotTool);
        Hover(*m_hotGradient);
        Hover(*m_hotCheck);
    }

    TFcButton* m_focused = nullptr;
    TFcButton* m_pressed = nullptr;
    TFcButton* m_hot = nullptr;
    TFcToolButton* m_hotTool = nullptr;
    TFcToolButton* m_hotGradient = nullptr;
    TFcControlButton* m_pressedControl = nullptr;
    TFcCheckBox* m_focusedCheck = nullptr;
    TFcCheckBox* m_hotCheck = nullptr;
    TFcCheckBox* m_pressedCheck = nullptr;
    TFcGroupBox* m_pressedGroup = nullptr;
};

TEST(ControlGallery, EveryControlInEachStateIsGrabbed) {
    Gallery gallery;
    const QImage picture = test::RenderWidget(gallery.form);
    // Every control paints its whole area (the canary shows nowhere).
    for (QWidget* w : gallery.controls) {
        const QRect r(w->mapTo(&gallery.form, QPoint(0, 0)), w->size());
        int canary = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                canary += test::PixelAt(picture, x, y) == test::kCanary;
        EXPECT_EQ(canary, 0) << w->metaObject()->className() << " at " << r.x() << "," << r.y();
    }
    const QString path = QString::fromUtf8(VDX_CONTROLS_ARTEFACT_DIR "/buttons-gallery.png");
    ASSERT_TRUE(gallery.form.grab().save(path));
    EXPECT_EQ(QImage(path).size(), gallery.form.size());
}

} // namespace
} // namespace vdx
