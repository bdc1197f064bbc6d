#pragma once
// The listing object the OnListDirectory and OnMLST events fill, and the text forms the FTP
// component sends for it: LIST in the Unix "ls -l" form, NLST names, MLSD/MLST facts (RFC 3659).
//
// Names holding CR or LF are never sent: such items are left out of every listing (a raw line end
// inside a name would cut the listing or forge a reply line).

#include "platform/os/datetime.h"

#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vdx::ftp {

enum class TIdDirItemType { ditDirectory, ditFile };

struct TIdFTPListOutputItem {
    std::string FileName;
    std::int64_t Size = 0;
    std::int64_t NumberBlocks = 0; // 1024-byte blocks, shown by LIST when the switches hold "s"
    vdx::os::TDateTime ModifiedDate = 0, CreationDate = 0, LastAccessDate = 0;
    std::uint32_t WinAttribute = 0;
    TIdDirItemType ItemType = TIdDirItemType::ditFile;
    // Three characters each, "rwx" style ("rw-", "r--", "r-x" ...).
    std::string UnixOwnerPermissions, UnixGroupPermissions, UnixOthersPermissions;
};

class TIdFTPListOutput {
public:
    std::vector<TIdFTPListOutputItem> Items;
    // Switch letters; an "s" makes LIST show block counts (see FormatListLine).
    std::string Switches;

    // Appends an empty item and returns it for filling in.
    TIdFTPListOutputItem& Add() { return Items.emplace_back(); }
};

// The optional MLSx facts the server property MLSDFacts can switch on.
enum class TIdMLSDAttr { mlsdFileCreationTime, mlsdFileLastAccessTime, mlsdWin32Attributes };
using TIdMLSDFacts = std::set<TIdMLSDAttr>;

// Every fact the FTP component can send in MLSD/MLST, with its name on the wire:
// Type "type", Size "size", Modify "modify", Perm "perm" (always offered), and the optional
// Create "create" (creation time), Access "win32.atime" (last-access time, no RFC name exists for
// it) and Win32Ea "win32.ea" (Windows attributes as 0x%08X).
enum class MlsxFact : unsigned { Type, Size, Modify, Perm, Create, Access, Win32Ea, Count };

// A set of MlsxFact, for what the server offers and what a client selected with OPTS MLST.
class MlsxFactSet {
public:
    MlsxFactSet() = default;
    MlsxFactSet(std::initializer_list<MlsxFact> facts) {
        for (MlsxFact f : facts)
            Insert(f);
    }
    bool Has(MlsxFact f) const { return m_bits.test(static_cast<unsigned>(f)); }
    void Insert(MlsxFact f) { m_bits.set(static_cast<unsigned>(f)); }
    bool operator==(const MlsxFactSet&) const = default;

private:
    std::bitset<static_cast<unsigned>(MlsxFact::Count)> m_bits;
};

// The facts offered for a MLSDFacts setting: the four RFC facts plus the selected optional ones.
// This is also the selection of a new connection.
MlsxFactSet OfferedFacts(const TIdMLSDFacts& mlsdFacts);

// The FEAT line's fact list: every offered fact, "*" after the enabled ones, each ended by ";"
// ("type*;size*;modify*;perm*;create;"). Send as " MLST " + this.
std::string FormatFeatFacts(MlsxFactSet offered, MlsxFactSet enabled);

// The selection an OPTS MLST argument asks for ("size;Type;" -> Size, Type): fact names without
// regard to case, each ended by ";" (a missing last ";" is accepted); unknown or not offered names
// are ignored; an empty argument selects nothing.
MlsxFactSet ParseOptsMlst(std::string_view argument, MlsxFactSet offered);

// The fact names of a selection, each followed by ";" ("type;size;"), for the reply
// "200 MLST OPTS " + this.
std::string FormatFactNames(MlsxFactSet facts);

// One MLSx entry without line end: the enabled facts as "name=value;" then one blank and the file
// name: "type=file;size=1234;modify=20240305070409;perm=adfrw; name". Times are YYYYMMDDHHMMSS, the
// stored value used unchanged as UTC; any value (0, negative, far future) formats, clamped to years
// 0001..9999. type is "dir" or "file", and "cdir" / "pdir" for the names "." and "..". size is sent
// for files only. perm follows the owner permission text: files "r" when readable plus "adfw" when
// writable; folders "e" when enterable ("x"), "l" when readable, plus "cdfmp" when writable.
// Returns "" when the name holds CR or LF.
std::string FormatMlsxFacts(const TIdFTPListOutputItem& item, MlsxFactSet enabled);
std::string FormatMlsxFacts(const TIdFTPListOutputItem& item, const TIdMLSDFacts& mlsdFacts);

// One LIST line without line end, as "ls -l" prints it:
// "-rw-r--r--   1 owner    group        1234 Mar  5 07:04 name"
// type ("d" or "-"), the three permission texts (each padded or cut to 3 characters with "-"), link
// count 1, owner "owner", group "group", the size, the modification date as "Mmm dd HH:MM" when it
// lies within the six months up to now, else "Mmm dd  YYYY" (older or in the future), the name as
// given (also "." and ".."). With sizeInBlocks the line is prefixed by the item's NumberBlocks in a
// column of at least 4 characters and a blank, as "ls -ls" prints it:
// "   2 -rw-r--r--   1 owner    group        1025 Mar  5 07:04 name".
// Returns "" when the name holds CR or LF.
std::string FormatListLine(const TIdFTPListOutputItem& item, bool sizeInBlocks,
                           vdx::os::TDateTime now);

enum class ListingKind { List, Nlst, Mlsd };

// The lines of a whole listing, without line ends (the caller joins them with CRLF):
// List: FormatListLine of every item, in blocks when output.Switches holds "s".
// Nlst: the item names as given, except "." and ".." (NLST names are fed back into RETR and
// friends). Mlsd: FormatMlsxFacts of every item with the enabled facts. Items whose names hold CR
// or LF are left out.
std::vector<std::string> FormatListing(const TIdFTPListOutput& output, ListingKind kind,
                                       MlsxFactSet enabled, vdx::os::TDateTime now);
std::vector<std::string> FormatListing(const TIdFTPListOutput& output, ListingKind kind,
                                       const TIdMLSDFacts& mlsdFacts, vdx::os::TDateTime now);

// False when a name may not appear in a listing or reply line (it holds CR or LF).
bool IsListableName(std::string_view name);

} // namespace vdx::ftp
