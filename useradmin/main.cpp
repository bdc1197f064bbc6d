#include "useradmin/VdxUserAdminProgram.h"

int main(int argc, char** argv) {
    return vdx::RunVdxUserAdmin(argc, argv);
}
