// The form's modal result: kept on the top-level window, closing a modal
// dialog once the event that set it is done.
#include "platform/gui/modal_result.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace vdx::gui {
namespace {

// Runs dialog modally with step running in an event once it is up; the
// result, or -1 when the dialog stayed open.
int RunModal(QDialog& dialog, std::function<void()> step) {
    QTimer::singleShot(0, &dialog, std::move(step));
    QTimer::singleShot(3000, &dialog, [&dialog] { dialog.done(-1); });
    return dialog.exec();
}

TEST(ModalResult, NumberingOfTheClassLibrary) {
    const int expected[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const int values[] = {mrNone, mrOk, mrCancel, mrAbort,   mrRetry,   mrIgnore,
                          mrYes,  mrNo, mrAll,    mrNoToAll, mrYesToAll};
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(values[i], expected[i]) << i;
    EXPECT_NE(mrClose, mrHelp);
    EXPECT_GT(mrClose, mrYesToAll);
}

TEST(ModalResult, KeptOnTheTopLevelWindow) {
    QWidget window;
    auto* child = new QWidget(&window);
    EXPECT_EQ(FormModalResult(*child), mrNone);
    SetFormModalResult(*child, mrRetry);
    EXPECT_EQ(FormModalResult(window), mrRetry);
    // Not a modal dialog: nothing closes.
    QDialog dialog;
    dialog.show();
    SetFormModalResult(dialog, mrOk);
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(FormModalResult(dialog), mrOk);
}

TEST(ModalResult, ClosesAModalDialogOnceTheEventIsDone) {
    QDialog dialog;
    auto* child = new QWidget(&dialog);
    bool openWhileHandling = false;
    EXPECT_EQ(RunModal(dialog,
                       [&] {
                           SetFormModalResult(*child, mrYes);
                           QApplication::processEvents();
                           openWhileHandling = dialog.isVisible();
                       }),
              mrYes);
    EXPECT_TRUE(openWhileHandling);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ModalResult, TakenBackInTheSameEventKeepsItOpen) {
    QDialog dialog;
    int steps = 0;
    EXPECT_EQ(RunModal(dialog,
                       [&] {
                           ++steps;
                           SetFormModalResult(dialog, mrOk);
                           SetFormModalResult(dialog, mrNone);
                           QTimer::singleShot(20, &dialog, [&] {
                               ++steps;
                               EXPECT_TRUE(dialog.isVisible());
                               SetFormModalResult(dialog, mrCancel);
                           });
                       }),
              mrCancel);
    EXPECT_EQ(steps, 2);
}

// A handler that opens its own event loop (a message box) after setting the
// result keeps the dialog open until the handler returns.
TEST(ModalResult, WaitsForAHandlerRunningAnEventLoop) {
    QDialog dialog;
    bool openInsideTheLoop = false;
    EXPECT_EQ(RunModal(dialog,
                       [&] {
                           SetFormModalResult(dialog, mrAbort);
                           QEventLoop loop;
                           QTimer::singleShot(50, &loop, [&] {
                               openInsideTheLoop = dialog.isVisible();
                               loop.quit();
                           });
                           loop.exec();
                       }),
              mrAbort);
    EXPECT_TRUE(openInsideTheLoop);
}

} // namespace
} // namespace vdx::gui
