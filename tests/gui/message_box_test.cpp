// Message boxes through the scripted handler, and the exception guard at
// event and slot boundaries.
#include "platform/gui/message_box.h"

#include "platform/gui/classic_look.h"
#include "platform/gui/exception_guard.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <QObject>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace vdx::gui {
namespace {

class ScriptedBoxes {
public:
    explicit ScriptedBoxes(TModalResult answer)
        : m_scope([this, answer](const TMessageBoxRequest& r) {
              Shown.push_back(r);
              return answer;
          }) {}
    std::vector<TMessageBoxRequest> Shown;

private:
    TScopedMessageBoxHandler m_scope;
};

TEST(MessageBoxes, MessageDlgCaptionsButtonsAndAnswer) {
    SetApplicationTitle("VdxUserAdmin");
    struct Case {
        TMsgDlgType type;
        const char* caption;
    };
    const Case cases[] = {{TMsgDlgType::mtWarning, "Warning"},
                          {TMsgDlgType::mtError, "Error"},
                          {TMsgDlgType::mtInformation, "Information"},
                          {TMsgDlgType::mtConfirmation, "Confirm"},
                          {TMsgDlgType::mtCustom, "VdxUserAdmin"}};
    for (const Case& c : cases) {
        ScriptedBoxes boxes(mrCancel);
        EXPECT_EQ(MessageDlg("Remove user anna?", c.type, mbOKCancel), mrCancel);
        ASSERT_EQ(boxes.Shown.size(), 1u);
        EXPECT_EQ(boxes.Shown[0].Caption, c.caption);
        EXPECT_EQ(boxes.Shown[0].Text, "Remove user anna?");
        EXPECT_EQ(boxes.Shown[0].Type, c.type);
        EXPECT_EQ(boxes.Shown[0].Buttons, mbOKCancel);
    }
}

TEST(MessageBoxes, ApplicationMessageBoxFlags) {
    SetApplicationTitle("VdxFtpServr");
    struct Case {
        unsigned flags;
        TMsgDlgType type;
        TMsgDlgButtons buttons;
        int defaultButton;
    };
    using B = TMsgDlgBtn;
    const Case cases[] = {
        {MB_OK | MB_ICONERROR, TMsgDlgType::mtError, B::mbOK, 0},
        {MB_OKCANCEL | MB_ICONQUESTION, TMsgDlgType::mtConfirmation, mbOKCancel, 0},
        {MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, TMsgDlgType::mtWarning, mbYesNo, 1},
        {MB_YESNOCANCEL | MB_ICONINFORMATION, TMsgDlgType::mtInformation, mbYesNoCancel, 0},
        {MB_OK, TMsgDlgType::mtCustom, B::mbOK, 0},
    };
    for (const Case& c : cases) {
        ScriptedBoxes boxes(mrYes);
        EXPECT_EQ(ApplicationMessageBox("Port 21 is in use", "", c.flags), mrYes);
        ASSERT_EQ(boxes.Shown.size(), 1u);
        EXPECT_EQ(boxes.Shown[0].Caption, "VdxFtpServr"); // empty caption: the title
        EXPECT_EQ(boxes.Shown[0].Type, c.type) << c.flags;
        EXPECT_EQ(boxes.Shown[0].Buttons, c.buttons) << c.flags;
        EXPECT_EQ(boxes.Shown[0].DefaultButton, c.defaultButton) << c.flags;
    }
}

// Puts the programs' look back whatever a test does.
class StyleGuard {
public:
    explicit StyleGuard(const char* style) { QApplication::setStyle(QString::fromLatin1(style)); }
    ~StyleGuard() { ApplyClassicLook(*qApp); }
    StyleGuard(const StyleGuard&) = delete;
    StyleGuard& operator=(const StyleGuard&) = delete;
};

TEST(MessageBoxes, ClassicLayoutInTheDialogFont) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        const auto* text = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        const auto* icon = box->findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"));
        ASSERT_NE(text, nullptr);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(text->font().family(), "Tahoma");
        EXPECT_EQ(text->font().pixelSize(), 11);
        EXPECT_LT(icon->geometry().right(), text->geometry().left()); // icon left of the text
        int left = box->width();
        int right = 0;
        for (QPushButton* b : box->findChildren<QPushButton*>()) {
            EXPECT_TRUE(b->icon().isNull()) << b->text().toStdString();
            EXPECT_EQ(b->font().family(), "Tahoma");
            const QRect r(b->mapTo(box, QPoint(0, 0)), b->size());
            left = std::min(left, r.left());
            right = std::max(right, r.right());
        }
        EXPECT_LE(std::abs((left + right) / 2 - box->width() / 2), 2); // centred
        box->grab().save(QStringLiteral(VDX_GUI_ARTEFACT_DIR "/message-box.png"));
        box->close();
    });
    MessageDlg("Remove user Anna?", TMsgDlgType::mtConfirmation, mbOKCancel);
    EXPECT_TRUE(seen);
}

TEST(MessageBoxes, LineBreaksShowAsLinesUnderEveryStyle) {
    struct Case {
        const char* style;
        const char* breakText;
        const char* name;
    };
    const Case cases[] = {{"windows", "\r", "windows CR"},      {"windows", "\n", "windows LF"},
                          {"windows", "\r\n", "windows CR LF"}, {"fusion", "\r", "fusion CR"},
                          {"fusion", "\n", "fusion LF"},        {"fusion", "\r\n", "fusion CR LF"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StyleGuard style(c.style);
        const std::string br = c.breakText;
        const std::string text = "Port in use" + br + "Maybe there is another FTP-server" + br +
                                 "Please select another port number.";
        std::string shown;
        int height = 0;
        int lineSpacing = 0;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            ASSERT_NE(label, nullptr);
            shown = label->text().toStdString();
            height = label->height();
            lineSpacing = label->fontMetrics().lineSpacing();
            box->close();
        });
        EXPECT_EQ(MessageDlg(text, TMsgDlgType::mtError, TMsgDlgBtn::mbOK), mrOk);
        EXPECT_EQ(shown, "Port in use\nMaybe there is another FTP-server\n"
                         "Please select another port number.");
        EXPECT_GE(height, 3 * lineSpacing);
    }
}

TEST(ExceptionGuard, ShowsTheMessageAsTheDefaultHandlerDoes) {
    SetApplicationTitle("VdxUserAdmin");
    struct Case {
        const char* message;
        const char* shown;
    };
    // A "." is added after a last character above ".".
    const Case cases[] = {{"Disk full", "Disk full."},
                          {"Done.", "Done."},
                          {"Stop!", "Stop!"},
                          {"Why?", "Why?."},
                          {"", ""}};
    for (const Case& c : cases) {
        ScriptedBoxes boxes(mrOk);
        EXPECT_FALSE(Guard([&] { throw std::runtime_error(c.message); }));
        ASSERT_EQ(boxes.Shown.size(), 1u);
        EXPECT_EQ(boxes.Shown[0].Text, c.shown);
        EXPECT_EQ(boxes.Shown[0].Caption, "VdxUserAdmin");
        EXPECT_EQ(boxes.Shown[0].Type, TMsgDlgType::mtError);
        EXPECT_EQ(boxes.Shown[0].Buttons, TMsgDlgButtons(TMsgDlgBtn::mbOK));
    }
    ScriptedBoxes boxes(mrOk);
    EXPECT_TRUE(Guard([] {}));
    EXPECT_FALSE(Guard([] { throw 42; }));
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].Text, "Unknown exception.");
}

class Throwing : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            throw std::runtime_error("Cannot open Users.xml");
        return QObject::event(e);
    }
};

TEST(ExceptionGuard, EventsAndSlotsDoNotLetExceptionsThrough) {
    ScriptedBoxes boxes(mrOk);
    Throwing target;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&target, &event)); // through TApplication::notify

    QTimer timer;
    int runs = 0;
    QObject::connect(&timer, &QTimer::timeout, Guarded([&runs] {
        ++runs;
        throw std::runtime_error("Slot failed");
    }));
    QMetaObject::invokeMethod(&timer, "timeout", Qt::DirectConnection);
    EXPECT_EQ(runs, 1);
    ASSERT_EQ(boxes.Shown.size(), 2u);
    EXPECT_EQ(boxes.Shown[0].Text, "Cannot open Users.xml.");
    EXPECT_EQ(boxes.Shown[1].Text, "Slot failed.");
}

} // namespace
} // namespace vdx::gui
