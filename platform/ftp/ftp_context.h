#pragma once
// The state the FTP component keeps per connection, handed to every event. It belongs to its
// connection's thread: handlers read and change it there, nobody else touches it.

#include "platform/ftp/listing.h"
#include "platform/ftp/mode_z.h"

#include <cstdint>
#include <string>

namespace vdx::ftp {

enum class TIdFTPTransferType { ftASCII, ftBinary };
enum class TIdFTPDataStructure { dsFile, dsRecord, dsPage };
enum class TIdFTPTransferMode { dmStream, dmDeflate };
enum class TIdIPVersion { Id_IPv4, Id_IPv6 };

class TIdFTPServerContext {
public:
    std::string UserName; // as sent with USER
    std::string Password; // as sent with PASS, while the login handler decides; never logged
    bool Authenticated = false;
    // Absolute FTP paths ("/"-separated, "/" for the root). Handlers may change both, e.g. in
    // OnAfterUserLogin; every path argument is resolved against CurrentDir.
    std::string CurrentDir = "/";
    std::string HomeDir = "/";

    std::string PeerIP; // numeric address of the client
    std::uint16_t PeerPort = 0;

    TIdFTPTransferType DataType = TIdFTPTransferType::ftASCII;
    TIdFTPDataStructure DataStruct = TIdFTPDataStructure::dsFile;
    TIdFTPTransferMode DataMode = TIdFTPTransferMode::dmStream;
    int ZLibCompressionLevel = kModeZDefaultLevel; // OPTS MODE Z LEVEL
    // Offset given by REST for the next RETR or STOR (uncompressed bytes); the FTP component
    // applies it to the handler's stream and clears it after the transfer command.
    std::int64_t RestartPos = 0;
    // The source named by RNFR, resolved; empty when no rename is pending.
    std::string RNFRName;
    // A passive listener or an active target is set up, or a data connection is open.
    bool DataChannelActive = false;
    bool UTF8 = false;    // OPTS UTF8 ON was given
    MlsxFactSet MLSFacts; // the facts MLSD and MLST send (OPTS MLST)
};

} // namespace vdx::ftp
