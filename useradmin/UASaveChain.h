#pragma once
// What a confirmed change writes: "Users.xml", "users.ini" and the upload
// folders. Both files are formatted and written beside themselves first, then
// put in place one after the other, so a failure before that changes neither.
// Each save first removes the temporaries a save killed midway left there.

#include "shared/VardexUsersXML.h"
#include "useradmin/VUAGlobals.h"

namespace vdx {

// After a new, edited or deleted user: globals.Users := users, then both
// files, then the folders. Throws vdx::os::FileError, XmlWriteError or
// EUsersIniError; the folders are then left as they were.
void SaveUsersAndRights(TUAGlobals& globals, const TUsersXML& users);

// After the page-rights editor: "users.ini", then the folders ("Users.xml"
// holds no page rights). Throws as above.
void SavePageRights(const TUAGlobals& globals, const TUsersXML& users);

} // namespace vdx
