#include "platform/gui/program.h"

#include "platform/gui/classic_look.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/message_box.h"
#include "platform/gui/single_instance.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <exception>

namespace vdx::gui {

TProgram::TProgram(int& argc, char** argv) : m_app(argc, argv) {
    ApplyClassicLook(m_app);
    m_sessionEnd.OnSessionEnd = [this](int) {
        if (m_mainWindow)
            m_mainWindow->close();
        // exit, not quit: quit does nothing before the main loop runs, and
        // the box of a failed start runs a loop of its own.
        QCoreApplication::exit(0);
    };
}

int TProgram::Run(const std::string& instanceTitle, const std::string& applicationTitle,
                  const TMainWindowFactory& createMainWindow) {
    TSingleInstance instance(instanceTitle);
    if (!instance.Claim())
        return 0;
    SetApplicationTitle(applicationTitle);

    const std::unique_ptr<QWidget> mainWindow = createMainWindow();
    m_mainWindow = mainWindow.get();
    QWidget& window = *mainWindow;
    instance.OnActivate = [&window] { BringToFront(window); };
    window.show();
    const int result = m_app.exec();
    // The window is about to go: a later start that still reaches this
    // instance must not touch it.
    instance.OnActivate = nullptr;
    return result;
}

int ReportFailedStart(const std::string& programName) {
    const std::exception_ptr error = std::current_exception();
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", programName.c_str(), e.what());
    } catch (...) {
        // The error box names it.
    }
    HandleException(error);
    return 1;
}

void BringToFront(QWidget& window) {
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    // While a modal dialog is open the window only takes input through it:
    // raising the window would put it over its own dialog.
    QWidget* const target = QApplication::activeModalWidget();
    QWidget& front = target ? *target : window;
    front.raise();
    front.activateWindow();
}

} // namespace vdx::gui
