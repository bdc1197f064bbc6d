#include "ftpdesktop/VdxFtpServerProgram.h"

int main(int argc, char** argv) {
    return vdx::RunVdxFtpServer(argc, argv);
}
