// The edits as the server's settings dialog places them, worked as a user
// would: a port beyond the range clamped on Tab, F4 running the folder
// button, and a calculator dropped down from a port edit that puts its
// result into the edit. The form with the open calculator is saved as a
// picture beside the test program (edits-form.png).
#include "controls/edits/FcButtonEdit.h"
#include "controls/edits/FcEdit.h"
#include "controls/edits/FcNumericEdit.h"
#include "controls/panels/FcCalculator.h"
#include "controls/panels/FcPopupPanel.h"

#include "EditSupport.h"
#include "WidgetPictures.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <gtest/gtest.h>

namespace vdx {
namespace {

using test::PressKey;
using test::TypeText;

TFcNumericEdit* PortEdit(QWidget* form, int left, int top) {
    auto* edit = new TFcNumericEdit(form);
    edit->setGeometry(left, top, 65, 21);
    edit->SetMax(65535);
    edit->SetDisplayFormat("0");
    return edit;
}

TEST(EditsForm, PortClampFolderButtonAndCalculator) {
    QWidget form;
    form.setGeometry(200, 150, 426, 330);
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, gui::ToQColor(gui::clBtnFace));
    form.setPalette(pal);
    form.setAutoFillBackground(true);
    TFcNumericEdit* port = PortEdit(&form, 164, 36);
    auto* pasvIP = new TFcEdit(&form);
    pasvIP->setGeometry(148, 76, 121, 21);
    TFcNumericEdit* minPort = PortEdit(&form, 148, 110);
    TFcNumericEdit* maxPort = PortEdit(&form, 232, 110);
    auto* admin = new TFcButtonEdit(&form);
    admin->setGeometry(159, 150, 225, 21);
    admin->SetButtonWidth(15);
    admin->SetAltBtnWidth(15);
    int folderClicks = 0;
    admin->OnButtonClick = [&](QObject*) {
        ++folderClicks;
        admin->SetText("C:\\Ftp\\");
    };
    minPort->SetCalculatorVisible(true);
    QWidget::setTabOrder(port, pasvIP);
    QWidget::setTabOrder(pasvIP, minPort);
    QWidget::setTabOrder(minPort, maxPort);
    QWidget::setTabOrder(maxPort, admin);
    if (!test::FocusIn(form, *port))
        GTEST_SKIP() << "the platform gives no focus";

    // 70000 and Tab shows 65535.
    port->SelectAll();
    TypeText(*port, "70000");
    PressKey(*port, Qt::Key_Tab, Qt::NoModifier, "\t");
    QApplication::processEvents();
    EXPECT_EQ(port->Text(), "65535");
    EXPECT_EQ(port->IntValue(), 65535);
    EXPECT_TRUE(pasvIP->Editor().hasFocus());

    // F4 runs the folder button.
    admin->Editor().setFocus(Qt::TabFocusReason);
    PressKey(*admin, Qt::Key_F4);
    EXPECT_EQ(folderClicks, 1);
    EXPECT_EQ(admin->Text(), "C:\\Ftp\\");

    // F4 in the calculator's edit drops it down; 12+3= and the set key.
    minPort->Editor().setFocus(Qt::TabFocusReason);
    minPort->SetValue(0);
    QImage picture;
    QTimer::singleShot(0, [&] {
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        for (const char* k : {"1", "2", "+", "3", "="}) {
            QKeyEvent e(QEvent::KeyPress, QChar::fromLatin1(*k).unicode(), Qt::NoModifier,
                        QString::fromLatin1(k));
            QApplication::sendEvent(popup, &e);
        }
        auto* calc = popup->findChild<TFcCalculator*>();
        ASSERT_NE(calc, nullptr);
        EXPECT_EQ(calc->DisplayText(), "15.");
        // The form with the pop-up over it, as the screen shows them.
        picture = QImage(form.size(), QImage::Format_RGB32);
        picture.fill(Qt::white);
        form.render(&picture);
        {
            QPainter p(&picture);
            popup->render(&p, popup->geometry().topLeft() - form.geometry().topLeft());
        }
        const TRect set = calc->AreaRect(kCalcAreaSet);
        const QPointF at((set.Left + set.Right) / 2, (set.Top + set.Bottom) / 2);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, at, calc->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
            QApplication::sendEvent(calc, &e);
        }
    });
    PressKey(*minPort, Qt::Key_F4);
    EXPECT_EQ(minPort->Text(), "15");
    EXPECT_EQ(minPort->Value(), 15);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(picture.save(QString::fromUtf8(VDX_CONTROLS_ARTEFACT_DIR "/edits-form.png")));
}

} // namespace
} // namespace vdx
