#include "ftpdesktop/VdxFtpServerProgram.h"

#include "controls/base/FcDisplayFacts.h"
#include "ftpdesktop/VFMain.h"
#include "ftpdesktop/VdxVersionInfo.h"
#include "ftpengine/VFGlobals.h"
#include "platform/gui/program.h"
#include "platform/os/paths.h"

#include <memory>

namespace vdx {

int RunVdxFtpServer(int argc, char** argv) {
    gui::TProgram program(argc, argv);
    FcCommonStartup();

    std::unique_ptr<TFGlobals> globals;
    try {
        globals = std::make_unique<TFGlobals>(os::ProgramPath());
    } catch (...) {
        return gui::ReportFailedStart("VdxFtpServer");
    }
    const TVersionInfo versionInfo;
    versionInfo.SetApplicationTitle();

    return program.Run(kFtpServerInstanceTitle, kFtpServerInstanceTitle,
                       [&] { return std::make_unique<TFMain>(*globals, versionInfo); });
}

} // namespace vdx
