#pragma once
// The program block of VdxUserAdmin.

namespace vdx {

// The title a later instance looks for, and the application title.
inline constexpr const char* kUserAdminInstanceTitle = "VdxUserAdm";
inline constexpr const char* kUserAdminApplicationTitle = "VDxUserAdm";

// Paths, switches and users first, then the single-instance check, then the
// main window until it closes. Returns the exit code: 0, or 1 when a file
// read at start exists but cannot be read.
int RunVdxUserAdmin(int argc, char** argv);

} // namespace vdx
