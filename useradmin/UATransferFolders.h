#pragma once
// The per-user upload folders below the teletext server's "transfer" folder,
// brought in line with the users table.

#include "shared/VardexUsersXML.h"

#include <string>

namespace vdx {

// The folder the teletext server keeps there for itself.
inline constexpr const char* kRestoreZipFolder = "RestoreZip";

// True when some user has that name, compared without regard to case.
bool UserExists(const TUsersXML& users, std::string_view name);

// Removes each entry of transferDir whose trimmed name is no user's (and not
// "RestoreZip" in any case) if it is an empty folder, then makes one folder
// for each TXT or WebTXT user that has none yet (looked up without regard to
// case), transferDir and its parents included. Only entries listed there are
// removed and only one-component names made; links are never followed;
// failures are silent.
void SyncTransferFolders(const std::string& transferDir, const TUsersXML& users);

} // namespace vdx
