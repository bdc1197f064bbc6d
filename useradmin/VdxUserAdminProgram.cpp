#include "useradmin/VdxUserAdminProgram.h"

#include "controls/base/FcDisplayFacts.h"
#include "platform/gui/program.h"
#include "platform/os/paths.h"
#include "useradmin/VUAGlobals.h"
#include "useradmin/VUAMainForm.h"

#include <memory>

namespace vdx {

int RunVdxUserAdmin(int argc, char** argv) {
    gui::TProgram program(argc, argv);
    FcCommonStartup();

    // Every start reads the files, also one that then finds the first
    // instance and ends.
    std::unique_ptr<TUAGlobals> globals;
    try {
        globals = std::make_unique<TUAGlobals>(os::ProgramPath());
    } catch (...) {
        return gui::ReportFailedStart("VdxUserAdmin");
    }

    return program.Run(kUserAdminInstanceTitle, kUserAdminApplicationTitle,
                       [&] { return std::make_unique<TUAMainForm>(*globals); });
}

} // namespace vdx
