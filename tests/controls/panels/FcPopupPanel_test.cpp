// The pop-up panel: placement on a fake monitor, what accepts and what
// cancels, the children and the focus afterwards, and objects destroyed
// while the pop-up's loop runs (which must leave nothing touching them).
#include "controls/panels/FcPopupPanel.h"

#include "controls/edits/FcNumericEdit.h"
#include "controls/panels/FcCalculator.h"
#include "controls/storage/FcMonitors.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vdx {
namespace {

using gui::Bounds;
using gui::Rect;

TEST(FcPopupPlacement, BelowAlignedAndAboveNearTheBottom) {
    const TRect control = Rect(400, 300, 480, 321);
    const TRect screen = Rect(0, 0, 1024, 768);
    using A = TAlignment;
    EXPECT_EQ(PlacePopup(control, 150, 150, A::taRightJustify, -1, -1, screen), (TPoint{330, 321}));
    EXPECT_EQ(PlacePopup(control, 150, 150, A::taLeftJustify, -1, -1, screen), (TPoint{400, 321}));
    EXPECT_EQ(PlacePopup(control, 150, 150, A::taCenter, -1, -1, screen), (TPoint{365, 321}));
    EXPECT_EQ(PlacePopup(control, 150, 150, A::taRightJustify, 5, 7, screen), (TPoint{405, 307}));
    // Near the bottom of the work area: above the control.
    EXPECT_EQ(PlacePopup(control, 150, 150, A::taRightJustify, -1, -1, Rect(0, 0, 1024, 400)),
              (TPoint{330, 150}));
    // Kept inside at the right and the top.
    EXPECT_EQ(PlacePopup(control, 150, 150, A::taLeftJustify, -1, -1, Rect(0, 0, 500, 768)),
              (TPoint{350, 321}));
    EXPECT_EQ(PlacePopup(Rect(400, 50, 480, 71), 150, 150, A::taRightJustify, -1, -1,
                         Rect(0, 60, 1024, 200)),
              (TPoint{330, 60}));
}

// A form at (400, 300) with an edit at its origin and a pop-up panel of
// 150 x 150 holding one calculator, on a fake monitor.
class OpenPopup : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<QWidget>();
        form->setGeometry(400, 300, 300, 200);
        edit = new TFcEdit(form.get());
        edit->setGeometry(0, 0, 80, 21);
        button = new QPushButton("below", form.get());
        button->setGeometry(100, 100, 80, 25);
        QObject::connect(button, &QPushButton::clicked, [this] { ++buttonClicks; });
        panel = new TFcPopupPanel(form.get());
        calculator = new TFcCalculator(panel);
        calculator->SetPopupCalculator(true);
        panel->SetAutoSize(false);
        panel->resize(150, 150);
        calculator->OnSetBtnClick = [this](QObject*) { panel->ClosePopup(); };
        form->show();
        form->activateWindow();
        edit->Editor().setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    // Opens the pop-up for the edit; during runs inside its loop.
    bool Run(std::function<void()> during) {
        QTimer::singleShot(0, form.get(), [this, during] {
            if (panel && panel->OpenPopup())
                seen = panel->OpenPopup()->geometry();
            during();
        });
        return panel->Popup(edit);
    }
    void KeyToPopup(int key, const QString& text = {}) {
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(popup, &e);
    }

    TScopedMonitorProvider monitors{{MakeMonitor(0, Bounds(0, 0, 1024, 768))}};
    std::unique_ptr<QWidget> form;
    TFcEdit* edit = nullptr;
    QPushButton* button = nullptr;
    QPointer<TFcPopupPanel> panel;
    QPointer<TFcCalculator> calculator;
    QRect seen;
    int buttonClicks = 0;
};

TEST_F(OpenPopup, PlacedBelowTheEditAndAcceptedByTheSetKey) {
    EXPECT_TRUE(Run([this] {
        KeyToPopup(Qt::Key_7, "7"); // keys go to the first child
        KeyToPopup(Qt::Key_Return, "\r");
    }));
    EXPECT_EQ(seen, QRect(330, 321, 150, 150));
    EXPECT_EQ(calculator->Result(), 7);
    // Afterwards: the children are back and the edit has the focus again.
    EXPECT_EQ(calculator->parentWidget(), panel.data());
    EXPECT_FALSE(panel->IsOpen());
    QApplication::processEvents();
    EXPECT_TRUE(edit->Editor().hasFocus());
    EXPECT_TRUE(edit->HasFocus());
}

TEST_F(OpenPopup, AboveTheEditNearTheBottom) {
    TScopedMonitorProvider low({MakeMonitor(0, Bounds(0, 0, 1024, 400))});
    EXPECT_TRUE(Run([this] { panel->ClosePopup(); }));
    EXPECT_EQ(seen, QRect(330, 150, 150, 150));
}

TEST_F(OpenPopup, ASecondPopupIsRefusedAndEscapeCancels) {
    bool second = true;
    EXPECT_FALSE(Run([&] {
        second = panel->Popup(edit);
        KeyToPopup(Qt::Key_Escape, "\x1b");
    }));
    EXPECT_FALSE(second);
    EXPECT_EQ(calculator->parentWidget(), panel.data());
}

TEST_F(OpenPopup, AClickOutsideCancelsAndReachesNothingBelow) {
    bool closedByClick = false;
    EXPECT_FALSE(Run([&] {
        const QPointF at(120, 110); // over the button, in form coordinates
        QMouseEvent press(QEvent::MouseButtonPress, at, form->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, form->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form->windowHandle(), &press);
        QApplication::sendEvent(form->windowHandle(), &release);
        closedByClick = !panel->OpenPopup()->isVisible();
        // Should the pop-up still be open, end the test's loop.
        panel->OpenPopup()->CancelAndClose();
    }));
    EXPECT_TRUE(closedByClick);
    EXPECT_EQ(buttonClicks, 0);
}

TEST_F(OpenPopup, TheApplicationGoingInactiveCancels) {
    EXPECT_FALSE(Run([] { emit qApp->applicationStateChanged(Qt::ApplicationInactive); }));
}

TEST_F(OpenPopup, ANewWindowForThePanelAccepts) {
    auto* holder = new QWidget(form.get());
    EXPECT_TRUE(Run([&] { panel->setParent(holder); }));
    EXPECT_EQ(calculator->parentWidget(), panel.data());
}

TEST_F(OpenPopup, DestroyedWhileOpenCancels) {
    EXPECT_FALSE(Run([this] { delete calculator.data(); }));
    EXPECT_TRUE(panel);

    EXPECT_FALSE(Run([this] { delete panel.data(); }));
    EXPECT_FALSE(panel);
}

TEST_F(OpenPopup, TheFormDestroyedWhileOpen) {
    QPointer<QWidget> watch = form.get();
    QTimer::singleShot(0, [this] { form.reset(); });
    EXPECT_FALSE(panel->Popup(edit)); // returns through frames of objects now gone
    EXPECT_FALSE(watch);
    EXPECT_FALSE(panel);
}

// The numeric edit's calculator, opened by its drop button, with the edit
// or its form destroyed while it is open.
class NumericPopup : public ::testing::Test {
protected:
    void SetUp() override {
        form = new QWidget;
        form->resize(200, 100);
        edit = new TFcNumericEdit(form);
        edit->SetCalculatorVisible(true);
        edit->SetValue(12);
        form->show();
        form->activateWindow();
        edit->Editor().setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    void TearDown() override { delete form.data(); }
    QPointer<QWidget> form;
    QPointer<TFcNumericEdit> edit;
};

TEST_F(NumericPopup, TheEditDestroyed) {
    QTimer::singleShot(0, [this] { delete edit.data(); });
    edit->PressDropButton();
    EXPECT_FALSE(edit);
    EXPECT_TRUE(form);
    EXPECT_EQ(form->findChild<TFcPopupPanel*>(), nullptr);
}

TEST_F(NumericPopup, TheFormDestroyed) {
    QTimer::singleShot(0, [this] { delete form.data(); });
    edit->PressDropButton();
    EXPECT_FALSE(edit);
    EXPECT_FALSE(form);
}

TEST_F(NumericPopup, TheCalculatorDestroyedKeepsTheValue) {
    QTimer::singleShot(0, [this] {
        auto* panel = form->findChild<TFcPopupPanel*>();
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(panel->IsOpen());
        delete panel->OpenPopup()->Target();
    });
    edit->PressDropButton();
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->Text(), "12");
    EXPECT_EQ(edit->ButtonState(), TFcDropButtonState::Up);
    EXPECT_FALSE(edit->DroppedDown());
    EXPECT_EQ(form->findChild<TFcPopupPanel*>(), nullptr);
}

TEST_F(NumericPopup, AcceptedSetsTheValueAndCancelledDoesNot) {
    auto keys = [](std::initializer_list<std::pair<int, const char*>> list) {
        for (const auto& [key, text] : list) {
            QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
            QApplication::sendEvent(QApplication::activePopupWidget(), &e);
        }
    };
    QTimer::singleShot(0, [&] {
        keys({{Qt::Key_Plus, "+"}, {Qt::Key_3, "3"}, {Qt::Key_Return, "\r"}});
    });
    edit->PressDropButton();
    EXPECT_EQ(edit->Text(), "15");
    QTimer::singleShot(0, [&] { keys({{Qt::Key_9, "9"}, {Qt::Key_Escape, "\x1b"}}); });
    edit->PressDropButton();
    EXPECT_EQ(edit->Text(), "15");
    EXPECT_TRUE(edit->AutoSelect()); // restored after the pop-up
}

} // namespace
} // namespace vdx
