#include "ftpdesktop/VdxFtpServerProgram.h"

#include "ftpdesktop/VFMain.h"
#include "ftpdesktop/VFSessionEnd.h"
#include "ftpdesktop/VdxVersionInfo.h"
#include "ftpengine/VFGlobals.h"
#include "platform/gui/application.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/message_box.h"
#include "platform/gui/single_instance.h"
#include "platform/os/paths.h"

#include <QPointer>

#include <cstdio>
#include <exception>
#include <memory>

namespace vdx {

int RunVdxFtpServer(int argc, char** argv) {
    gui::TApplication app(argc, argv);

    // A stop asked for at any point closes the main window as a user would
    // (placement saved, server stopped, "Stopped" logged) and leaves every
    // event loop, also that of a message box still open.
    QPointer<TFMain> mainWindow;
    TSessionEndNotifier sessionEnd;
    sessionEnd.OnSessionEnd = [&mainWindow](int) {
        if (mainWindow)
            mainWindow->close();
        QCoreApplication::quit();
    };

    std::unique_ptr<TFGlobals> globals;
    try {
        globals = std::make_unique<TFGlobals>(os::ProgramPath());
    } catch (const std::exception& e) {
        // Also for a server run without anybody at the screen.
        std::fprintf(stderr, "VdxFtpServer: %s\n", e.what());
        gui::HandleException(std::current_exception());
        return 1;
    }
    const TVersionInfo versionInfo;
    versionInfo.SetApplicationTitle();

    gui::TSingleInstance instance(kFtpServerInstanceTitle);
    if (!instance.Claim())
        return 0;
    gui::SetApplicationTitle(kFtpServerInstanceTitle);

    TFMain fmain(*globals, versionInfo);
    mainWindow = &fmain;
    instance.OnActivate = [&fmain] { fmain.BringToFront(); };
    fmain.show();
    const int result = app.exec();
    // The window is about to go: a later start that still reaches this
    // instance must not touch it.
    instance.OnActivate = nullptr;
    return result;
}

} // namespace vdx
