#include "useradmin/UASaveChain.h"

#include "platform/os/atomic_file.h"
#include "useradmin/UATransferFolders.h"
#include "useradmin/UAUsersIni.h"

#include <string>

namespace vdx {

namespace {

// What an earlier save killed midway left beside the two files.
void RemoveLeftovers(const TUAGlobals& globals) {
    os::RemoveStaleTemporaries(globals.Settings.FtpServerDir + kUsersFileName);
    os::RemoveStaleTemporaries(globals.Settings.UsersIniPath);
}

} // namespace

void SaveUsersAndRights(TUAGlobals& globals, const TUsersXML& users) {
    globals.Users = users;
    RemoveLeftovers(globals);
    const std::string xml = FormatUsersXml(users);
    const std::string ini = FormatUsersIni(users);
    os::StagedFile usersXml(globals.Settings.FtpServerDir + kUsersFileName, xml);
    os::StagedFile usersIni(globals.Settings.UsersIniPath, ini);
    usersXml.Commit();
    usersIni.Commit();
    SyncTransferFolders(globals.Settings.TransferDir, users);
}

void SavePageRights(const TUAGlobals& globals, const TUsersXML& users) {
    RemoveLeftovers(globals);
    os::WriteFileAtomically(globals.Settings.UsersIniPath, FormatUsersIni(users));
    SyncTransferFolders(globals.Settings.TransferDir, users);
}

} // namespace vdx
