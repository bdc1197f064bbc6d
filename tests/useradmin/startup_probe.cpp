// VdxUserAdmin's start and run as the program has them, followed by the
// display facts as the start left them, for the program test to read.

#include "controls/base/FcDisplayFacts.h"
#include "useradmin/VdxUserAdminProgram.h"

#include <cstdio>

int main(int argc, char** argv) {
    const int result = vdx::RunVdxUserAdmin(argc, argv);
    std::printf("XPColorScheme=%d FullColorScreen=%d\n", int(vdx::XPColorScheme),
                vdx::FullColorScreen ? 1 : 0);
    return result;
}
