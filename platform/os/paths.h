#pragma once
// Path helpers in the program's own convention: "/" is the separator and every
// folder name ends in "/". Strings are raw 8-bit bytes, never re-encoded.

#include <string>
#include <string_view>

namespace vdx::os {

inline constexpr char kPathDelim = '/';

// Full path of the running program file (/proc/self/exe); empty when unknown.
std::string ProgramPath();

std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExcludeTrailingPathDelimiter(std::string_view path);
// Folder part with its trailing "/" ("" when there is none).
std::string ExtractFilePath(std::string_view path);
// Name after the last "/".
std::string ExtractFileName(std::string_view path);
// Extension of the file name with its dot ("" when none).
std::string ExtractFileExt(std::string_view path);
// Path with the file name's extension replaced (ext includes the dot, may be empty).
std::string ChangeFileExt(std::string_view path, std::string_view ext);

} // namespace vdx::os
