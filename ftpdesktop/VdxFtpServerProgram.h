#pragma once
// The program block of VdxFtpServer.

namespace vdx {

// The title a later instance looks for.
inline constexpr const char* kFtpServerInstanceTitle = "VdxFtpServr";

// Globals and version information first, then the single-instance check,
// then the main window until it closes. Returns the exit code: 0, or 1 when
// the settings or users file cannot be read at start.
int RunVdxFtpServer(int argc, char** argv);

} // namespace vdx
