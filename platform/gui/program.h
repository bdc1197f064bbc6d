#pragma once
// The block of a single-instance desktop program: the application object,
// the stop at the end of the session, the instance check and the main window
// until it closes. The program's own start-up runs between construction and
// Run, so a later instance that ends at the check has done it too.

#include "platform/gui/application.h"
#include "platform/gui/session_end.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

namespace vdx::gui {

// Creates the program's main window; called once, after the instance check.
using TMainWindowFactory = std::function<std::unique_ptr<QWidget>()>;

class TProgram {
public:
    // The application object in the classic look, and the session-end
    // handlers. Throws
    // std::system_error when the handlers cannot be installed.
    TProgram(int& argc, char** argv);
    // The session-end handler reaches the main window through this object.
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    // Claims the instance for instanceTitle (without regard to case); when
    // another instance holds it, that one comes to the front and Run returns
    // 0 at once. Otherwise sets the application title, shows the window the
    // factory creates and runs the event loop until it ends; returns its exit
    // code. A session end closes the window as a user would and ends every
    // event loop, also that of a message box still open.
    int Run(const std::string& instanceTitle, const std::string& applicationTitle,
            const TMainWindowFactory& createMainWindow);

private:
    TApplication m_app;
    TSessionEndNotifier m_sessionEnd;
    QPointer<QWidget> m_mainWindow;
};

// For a start that failed in the program's start-up, called while the
// exception is being handled: the message goes to stderr (also for a program
// run without anybody at the screen) prefixed with programName, and into the
// error box. Returns 1, the exit code of such a start.
int ReportFailedStart(const std::string& programName);

// Restores a minimized window and brings the window that takes its input to
// the top with the focus: the open modal dialog, else the window itself.
void BringToFront(QWidget& window);

} // namespace vdx::gui
