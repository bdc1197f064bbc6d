#pragma once
// Whole-file rewrites that never leave a half-written file behind.

#include <string>
#include <string_view>

namespace vdx::os {

// Writes data to a temporary file in the same folder, flushes it to disk and
// renames it over path, keeping the old file's permission bits, and its owner
// and group as far as the caller may set them. When path is
// a symbolic link, the file it names is replaced and the link stays. Readers see
// either the old or the new content. Throws FileError ("Cannot create file
// \"path\". <reason>") when the file cannot be written; the old file is then
// unchanged and no temporary file is left.
void WriteFileAtomically(const std::string& path, std::string_view data);

} // namespace vdx::os
