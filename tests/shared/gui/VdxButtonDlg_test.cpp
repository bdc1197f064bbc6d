// The caption table and the base button dialog's layouts.

#include "shared/gui/VdxButtonDlg.h"

#include "platform/gui/ansi_text.h"
#include "platform/gui/modal_result.h"
#include "shared/VdxLanguage.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

namespace vdx {
namespace {

// Puts the language back whatever a test does.
class LanguageGuard {
public:
    explicit LanguageGuard(int index) : m_saved(LanguageIndex) { LanguageIndex = index; }
    ~LanguageGuard() { LanguageIndex = m_saved; }
    LanguageGuard(const LanguageGuard&) = delete;
    LanguageGuard& operator=(const LanguageGuard&) = delete;

private:
    int m_saved;
};

// A derived dialog with its own create step, as the program's dialogs have.
class TestDlg : public TVdButtonDlg {
public:
    TestDlg(bool closeOnly, bool showHelp) {
        SetCloseOnly(closeOnly);
        SetShowHelp(showHelp);
    }
    using TVdButtonDlg::FormShow;
};

// The next widget that Tab reaches after w.
QWidget* NextTabStop(QWidget* w) {
    for (QWidget* next = w->nextInFocusChain(); next != w; next = next->nextInFocusChain())
        if (next->focusPolicy() & Qt::TabFocus)
            return next;
    return w;
}

std::string Text(const QPushButton* b) {
    return gui::QStringToAnsi(b->text());
}

// Shows dlg modally and runs step once it is up; the modal result, or -1
// when the dialog stayed open.
gui::TModalResult RunModal(TVdButtonDlg& dlg, std::function<void()> step) {
    QTimer::singleShot(0, &dlg, std::move(step));
    QTimer::singleShot(3000, &dlg, [&dlg] { dlg.done(-1); });
    return dlg.ShowModal();
}

TEST(VdxLanguage, CaptionRowsInEveryLanguage) {
    struct Row {
        TLanguageText row;
        std::array<std::string, 4> texts;
    };
    const Row rows[] = {
        {TLanguageText::Close, {"Sluiten", "German", "Close", "St\xE4ng"}},
        {TLanguageText::Cancel, {"Annuleren", "German", "Cancel", "Avbryt"}},
        {TLanguageText::Help, {"Help", "German", "Help", "Hj\xE4lp"}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(LanguageTexts(r.row), r.texts);
        for (int i = 0; i < 4; ++i) {
            LanguageGuard language(i);
            EXPECT_EQ(LanguageText(r.row), r.texts[std::size_t(i)]) << i;
        }
    }
    EXPECT_EQ(LanguageIndex, 0);
    // Byte 228 is the letter a with diaeresis once it reaches Qt.
    EXPECT_EQ(gui::AnsiToQString(LanguageTexts(TLanguageText::Close)[3]),
              QString::fromUtf8("St\u00e4ng"));
    // An index nobody should write reads as Dutch rather than past the table.
    LanguageGuard outOfRange(7);
    EXPECT_EQ(LanguageText(TLanguageText::Cancel), "Annuleren");
}

TEST(VdButtonDlg, DesignLayoutUntilASetterRuns) {
    TVdButtonDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Button Dlg");
    EXPECT_EQ(dlg.size(), QSize(388, 246));
    EXPECT_TRUE(dlg.ShowHelp());
    EXPECT_FALSE(dlg.CloseOnly());
    EXPECT_EQ(dlg.PnlButton->geometry(), QRect(0, 206, 388, 40));
    EXPECT_EQ(dlg.BtnOK->geometry(), QRect(147, 8, 72, 25));
    EXPECT_EQ(dlg.BtnCancel->geometry(), QRect(227, 8, 72, 25));
    EXPECT_EQ(dlg.BtnHelp->geometry(), QRect(307, 8, 72, 25));
    EXPECT_EQ(dlg.ClientArea()->geometry(), QRect(0, 0, 388, 206));
    // Tab order: Help, OK, Cancel.
    EXPECT_EQ(NextTabStop(dlg.BtnHelp), dlg.BtnOK);
    EXPECT_EQ(NextTabStop(dlg.BtnOK), dlg.BtnCancel);
    EXPECT_EQ(NextTabStop(dlg.BtnCancel), dlg.BtnHelp);
}

TEST(VdButtonDlg, DialogBorderIsAFixedSize) {
    TestDlg dlg(false, true);
    dlg.show();
    EXPECT_EQ(dlg.size(), QSize(388, 246));
    EXPECT_EQ(dlg.minimumSize(), dlg.size());
    EXPECT_EQ(dlg.maximumSize(), dlg.size());
    dlg.resize(500, 300); // as a drag on the border would
    EXPECT_EQ(dlg.size(), QSize(388, 246));
    EXPECT_EQ(dlg.PnlButton->geometry(), QRect(0, 206, 388, 40));
}

TEST(VdButtonDlg, ArrangeButtonsTable) {
    struct Case {
        const char* name;
        bool showHelp;
        bool closeOnly;
        const char* okCaption;
        int okLeft;
        int cancelLeft; // -1: hidden
        int helpLeft;   // -1: hidden
    };
    const Case cases[] = {
        {"help, ok and cancel", true, false, "OK", 241, 161, 81},
        {"help, close", true, true, "Sluiten", 161, -1, 81},
        {"ok and cancel", false, false, "OK", 161, 81, -1},
        {"close alone", false, true, "Sluiten", 81, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDlg dlg(c.closeOnly, c.showHelp);
        dlg.setFixedSize(500, 300); // the raster follows the panel's width
        dlg.ArrangeButtons();
        dlg.show();
        const int w = dlg.PnlButton->width();
        ASSERT_EQ(w, 500);
        EXPECT_EQ(Text(dlg.BtnOK), c.okCaption);
        EXPECT_EQ(dlg.BtnOK->x(), w - c.okLeft);
        EXPECT_TRUE(dlg.BtnOK->isVisible());
        EXPECT_EQ(dlg.BtnCancel->isVisible(), c.cancelLeft >= 0);
        if (c.cancelLeft >= 0) {
            EXPECT_EQ(dlg.BtnCancel->x(), w - c.cancelLeft);
        }
        EXPECT_EQ(dlg.BtnHelp->isVisible(), c.helpLeft >= 0);
        if (c.helpLeft >= 0) {
            EXPECT_EQ(dlg.BtnHelp->x(), w - c.helpLeft);
        }
        for (QPushButton* b : {dlg.BtnOK, dlg.BtnCancel, dlg.BtnHelp})
            EXPECT_EQ(b->y(), 8);
    }
}

TEST(VdButtonDlg, RightAnchoredButtonsFollowAResize) {
    TestDlg dlg(false, false);
    dlg.show();
    ASSERT_EQ(dlg.BtnOK->x(), 388 - 161);
    dlg.setFixedSize(600, 300); // as a derived dialog sets its size
    EXPECT_EQ(dlg.PnlButton->geometry(), QRect(0, 260, 600, 40));
    EXPECT_EQ(dlg.BtnOK->x(), 600 - 161);
    EXPECT_EQ(dlg.BtnCancel->x(), 600 - 81);
}

TEST(VdButtonDlg, CloseOnlyWithoutHelpIsOneClosingButton) {
    TestDlg dlg(true, false);
    dlg.show();
    EXPECT_EQ(Text(dlg.BtnOK), "Sluiten");
    EXPECT_EQ(dlg.BtnOK->x(), dlg.PnlButton->width() - 81);
    EXPECT_FALSE(dlg.BtnCancel->isVisible());
    EXPECT_FALSE(dlg.BtnHelp->isVisible());
    dlg.BtnOK->click();
    EXPECT_EQ(dlg.result(), gui::mrOk);
    EXPECT_FALSE(dlg.isVisible());
}

TEST(VdButtonDlg, ShowingSetsCancelAndHelpCaptions) {
    TestDlg dlg(false, false);
    EXPECT_EQ(Text(dlg.BtnCancel), "Cancel"); // the design caption until shown
    dlg.show();
    EXPECT_EQ(Text(dlg.BtnCancel), "Annuleren");
    EXPECT_EQ(Text(dlg.BtnHelp), "Help");
    dlg.BtnCancel->click();
    EXPECT_EQ(dlg.result(), gui::mrCancel);
}

TEST(VdButtonDlg, ModalResultStartsAtNoneAndButtonsSetIt) {
    TestDlg dlg(false, true);
    gui::SetFormModalResult(dlg, gui::mrOk); // left from an earlier showing
    EXPECT_EQ(RunModal(dlg,
                       [&] {
                           EXPECT_EQ(gui::FormModalResult(dlg), gui::mrNone);
                           dlg.BtnCancel->click();
                       }),
              gui::mrCancel);
    EXPECT_EQ(gui::FormModalResult(dlg), gui::mrCancel);
    auto* control = new QWidget(dlg.ClientArea());
    EXPECT_EQ(RunModal(dlg, [&] { gui::SetFormModalResult(*control, gui::mrRetry); }),
              gui::mrRetry);
}

TEST(VdButtonDlg, CaptionsInOtherLanguages) {
    struct Case {
        int language;
        const char* close;
        const char* cancel;
        const char* help;
    };
    for (const Case& c : {Case{2, "Close", "Cancel", "Help"}, Case{1, "German", "German", "German"},
                          Case{3, "St\xE4ng", "Avbryt", "Hj\xE4lp"}}) {
        LanguageGuard language(c.language);
        TestDlg dlg(true, true);
        dlg.FormShow();
        EXPECT_EQ(Text(dlg.BtnOK), c.close);
        EXPECT_EQ(Text(dlg.BtnCancel), c.cancel);
        EXPECT_EQ(Text(dlg.BtnHelp), c.help);
    }
}

TEST(VdButtonDlg, EnterPressesNoButtonAndEscapeCancels) {
    TestDlg dlg(false, true);
    int helpClicks = 0;
    QObject::connect(dlg.BtnHelp, &QPushButton::clicked, [&] { ++helpClicks; });
    dlg.show();
    for (QPushButton* b : {dlg.BtnOK, dlg.BtnCancel, dlg.BtnHelp}) {
        EXPECT_FALSE(b->isDefault());
        EXPECT_FALSE(b->autoDefault());
        b->setFocus();
        for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(b, &press);
        }
        EXPECT_TRUE(dlg.isVisible());
    }
    EXPECT_EQ(helpClicks, 0);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), gui::mrCancel);
}

} // namespace
} // namespace vdx
