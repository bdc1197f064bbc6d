#pragma once
// The one place where an FTP path argument becomes an absolute FTP path. Every command that takes a
// path goes through ResolveFtpPath before an event sees it, so no handler can be handed a path that
// climbs above "/".

#include <optional>
#include <string>
#include <string_view>

namespace vdx::ftp {

// The absolute, "/"-separated path that arg names when the current folder is cwd:
// - arg beginning with "/" or "\" starts at "/", anything else is taken relative to cwd (an empty
// arg
//   is cwd itself);
// - "\" is a separator like "/" (the Windows reading, so "..\" cannot climb out of a user's tree);
// - repeated separators collapse, "." components vanish, ".." removes the component before it and
//   never rises above "/";
// - no trailing "/" except for "/" itself.
// Everything else is taken literally, byte for byte: "~", "%2e%2e", "...", names with blanks (FTP
// neither expands nor percent-decodes). cwd is read by the same rules.
// Returns nullopt when cwd or arg holds a NUL, CR or LF byte, or when the result would be longer
// than kMaxFtpPath; the caller answers such a path with an error reply.
std::optional<std::string> ResolveFtpPath(std::string_view cwd, std::string_view arg);

} // namespace vdx::ftp
