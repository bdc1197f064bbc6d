#include "platform/ftp/listing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <regex>
#include <string>

namespace vdx::ftp {
namespace {

// Days since 1899-12-30 for a civil date and time, independent of the code under test.
vdx::os::TDateTime At(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days = era * 146097 + doe - 719468 + 25569;
    return days + (hh * 3600 + mm * 60 + ss) / 86400.0;
}

TIdFTPListOutputItem File(std::string name, std::int64_t size, vdx::os::TDateTime modified,
                          std::string perms = "rw-") {
    TIdFTPListOutputItem item;
    item.FileName = std::move(name);
    item.Size = size;
    item.NumberBlocks = (size + 1023) / 1024;
    item.ModifiedDate = item.CreationDate = item.LastAccessDate = modified;
    item.ItemType = TIdDirItemType::ditFile;
    item.UnixOwnerPermissions = item.UnixGroupPermissions = item.UnixOthersPermissions = perms;
    item.WinAttribute = 0x20;
    return item;
}

TIdFTPListOutputItem Folder(std::string name, vdx::os::TDateTime modified,
                            std::string perms = "rwx") {
    TIdFTPListOutputItem item = File(std::move(name), 0, modified, std::move(perms));
    item.ItemType = TIdDirItemType::ditDirectory;
    item.WinAttribute = 0x10;
    return item;
}

const vdx::os::TDateTime kNow = At(2024, 3, 5, 12, 0, 0);

// What the usual client-side parsers of "ls -l" output expect.
const std::regex kLsLine(R"(^(?:( *\d+) )?([d-])([r-][w-][x-]){3} +(\d+) +(\S+) +(\S+) +(\d+) )"
                         R"(([A-Z][a-z]{2}) ([ \d]\d) (\d\d:\d\d| \d{4}) (.*)$)");

TEST(FormatListLine, ExactLsForm) {
    EXPECT_EQ(FormatListLine(File("name", 1234, At(2024, 3, 5, 7, 4, 9), "rw-"), false, kNow),
              "-rw-rw-rw-   1 owner    group        1234 Mar  5 07:04 name");
    TIdFTPListOutputItem mixed = Folder("dir", At(2019, 11, 25, 13, 0, 0));
    mixed.UnixGroupPermissions = "r-x";
    mixed.UnixOthersPermissions = "";
    EXPECT_EQ(FormatListLine(mixed, false, kNow),
              "drwxr-x---   1 owner    group           0 Nov 25  2019 dir");
    EXPECT_EQ(FormatListLine(File("big", 1025, At(2024, 3, 5, 7, 4, 9)), true, kNow),
              "   2 -rw-rw-rw-   1 owner    group        1025 Mar  5 07:04 big");
}

TEST(FormatListLine, LinesParseAsLs) {
    const struct {
        const char* name;
        TIdFTPListOutputItem item;
        bool blocks;
        std::string size, when, fileName;
    } cases[] = {
        {"file", File("a.txt", 10, At(2024, 3, 1, 8, 30)), false, "10", "08:30", "a.txt"},
        {"read-only file", File("ro", 1, At(2024, 3, 1), "r--"), false, "1", "00:00", "ro"},
        {"five gigabytes", File("big.bin", 5368709120, At(2024, 1, 2)), false, "5368709120",
         "00:00", "big.bin"},
        {"folder", Folder("sub", At(2020, 1, 1)), false, "0", " 2020", "sub"},
        {"dot", Folder(".", At(2024, 3, 5)), false, "0", "00:00", "."},
        {"dot dot", Folder("..", At(2024, 3, 5)), false, "0", "00:00", ".."},
        {"name with blanks", File("  two  blanks ", 3, At(2024, 3, 1)), false, "3", "00:00",
         "  two  blanks "},
        {"blocks", File("b", 1025, At(2024, 3, 1)), true, "1025", "00:00", "b"},
    };
    for (const auto& c : cases) {
        const std::string line = FormatListLine(c.item, c.blocks, kNow);
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, kLsLine)) << c.name << ": " << line;
        EXPECT_EQ(m[1].matched, c.blocks) << c.name;
        EXPECT_EQ(m[2], c.item.ItemType == TIdDirItemType::ditDirectory ? "d" : "-") << c.name;
        EXPECT_EQ(m[7], c.size) << c.name;
        EXPECT_EQ(m[10], c.when) << c.name;
        EXPECT_EQ(m[11], c.fileName) << c.name;
    }
}

TEST(FormatListLine, TimeOfDayOnlyForTheLastSixMonths) {
    const struct {
        const char* name;
        vdx::os::TDateTime modified;
        std::string date;
    } cases[] = {
        {"now", kNow, "Mar  5 12:00"},
        {"an hour ago", At(2024, 3, 5, 11, 0), "Mar  5 11:00"},
        {"five months ago", At(2023, 10, 5, 9, 15), "Oct  5 09:15"},
        {"seven months ago", At(2023, 8, 5, 9, 15), "Aug  5  2023"},
        {"years ago", At(1999, 12, 31, 23, 59, 59), "Dec 31  1999"},
        {"a minute ahead", At(2024, 3, 5, 12, 1), "Mar  5  2024"},
        {"next year", At(2025, 6, 1), "Jun  1  2025"},
        {"double-digit day", At(2024, 2, 29, 6, 7), "Feb 29 06:07"},
    };
    for (const auto& c : cases) {
        const std::string line = FormatListLine(File("f", 0, c.modified), false, kNow);
        EXPECT_NE(line.find(" " + c.date + " f"), std::string::npos) << c.name << ": " << line;
    }
}

TEST(FormatMlsxFacts, FactsPerKind) {
    const TIdMLSDFacts all = {TIdMLSDAttr::mlsdFileCreationTime,
                              TIdMLSDAttr::mlsdFileLastAccessTime,
                              TIdMLSDAttr::mlsdWin32Attributes};
    TIdFTPListOutputItem file = File("name", 1234, At(2024, 3, 5, 7, 4, 9));
    file.CreationDate = At(2023, 1, 2, 3, 4, 6);
    file.LastAccessDate = At(2024, 3, 5, 8, 0, 0);
    EXPECT_EQ(FormatMlsxFacts(file, all),
              "type=file;size=1234;modify=20240305070409;perm=adfrw;create=20230102030406;"
              "win32.atime=20240305080000;win32.ea=0x00000020; name");
    EXPECT_EQ(FormatMlsxFacts(file, TIdMLSDFacts{}),
              "type=file;size=1234;modify=20240305070409;perm=adfrw; name");

    const vdx::os::TDateTime t = At(2024, 1, 1);
    const struct {
        const char* name;
        TIdFTPListOutputItem item;
        std::string expected;
    } cases[] = {
        {"read-only file", File("ro", 1, t, "r--"),
         "type=file;size=1;modify=20240101000000;perm=r; ro"},
        {"writable folder", Folder("d", t), "type=dir;modify=20240101000000;perm=cdeflmp; d"},
        {"read-only folder", Folder("d", t, "r-x"), "type=dir;modify=20240101000000;perm=el; d"},
        {"current folder", Folder(".", t), "type=cdir;modify=20240101000000;perm=cdeflmp; ."},
        {"parent folder", Folder("..", t), "type=pdir;modify=20240101000000;perm=cdeflmp; .."},
        {"root for MLST", Folder("/", t), "type=dir;modify=20240101000000;perm=cdeflmp; /"},
        {"blank name", File(" x", 0, t), "type=file;size=0;modify=20240101000000;perm=adfrw;  x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatMlsxFacts(c.item, TIdMLSDFacts{}), c.expected) << c.name;
}

TEST(FormatMlsxFacts, AnyTimeFormats) {
    const struct {
        const char* name;
        vdx::os::TDateTime value;
        std::string modify;
    } cases[] = {
        {"zero", 0, "18991230000000"},
        {"negative with time", -1.25, "18991229060000"},
        {"almost midnight", At(2024, 3, 5) + 0.9999999999, "20240305235959"},
        {"far future", 1e12, "99991231235959"},
        {"far past", -1e12, "00010101000000"},
        {"infinity", std::numeric_limits<double>::infinity(), "99991231235959"},
        {"not a number", std::nan(""), "18991230000000"},
        {"DOS range end", At(2107, 12, 31, 23, 59, 58), "21071231235958"},
    };
    for (const auto& c : cases) {
        TIdFTPListOutputItem item = File("f", 0, c.value);
        EXPECT_EQ(FormatMlsxFacts(item, MlsxFactSet{MlsxFact::Modify}),
                  "modify=" + c.modify + "; f")
            << c.name;
        std::smatch m;
        const std::string line = FormatListLine(item, false, kNow);
        EXPECT_TRUE(std::regex_match(line, m, kLsLine)) << c.name << ": " << line;
    }
}

TEST(MlstFacts, FeatOptsAndSelection) {
    const MlsxFactSet offered = OfferedFacts({TIdMLSDAttr::mlsdFileCreationTime});
    EXPECT_EQ(FormatFeatFacts(offered, offered), "type*;size*;modify*;perm*;create*;");
    const MlsxFactSet chosen = ParseOptsMlst("SIZE;Type;unknown;win32.ea;create", offered);
    EXPECT_EQ(chosen, (MlsxFactSet{MlsxFact::Type, MlsxFact::Size, MlsxFact::Create}));
    EXPECT_EQ(FormatFactNames(chosen), "type;size;create;");
    EXPECT_EQ(FormatFeatFacts(offered, chosen), "type*;size*;modify;perm;create*;");
    EXPECT_EQ(ParseOptsMlst("", offered), MlsxFactSet{});
    EXPECT_EQ(FormatFactNames(MlsxFactSet{}), "");

    TIdFTPListOutputItem file = File("n", 7, At(2024, 1, 1));
    EXPECT_EQ(FormatMlsxFacts(file, chosen), "type=file;size=7;create=20240101000000; n");
    EXPECT_EQ(FormatMlsxFacts(file, MlsxFactSet{}), " n");
}

TEST(FormatListing, KindsSkipUnsafeNames) {
    TIdFTPListOutput out;
    out.Add() = Folder(".", kNow);
    out.Add() = Folder("..", kNow);
    out.Add() = File("evil\r\n226 done", 1, kNow);
    out.Add() = File("bad\nname", 1, kNow);
    out.Add() = File("a.txt", 1025, kNow);
    out.Add() = Folder("sub", kNow);

    const auto list = FormatListing(out, ListingKind::List, TIdMLSDFacts{}, kNow);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[2], FormatListLine(out.Items[4], false, kNow));

    out.Switches = "las";
    const auto blocks = FormatListing(out, ListingKind::List, TIdMLSDFacts{}, kNow);
    ASSERT_EQ(blocks.size(), 4u);
    EXPECT_EQ(blocks[2], FormatListLine(out.Items[4], true, kNow));
    EXPECT_EQ(blocks[2].substr(0, 5), "   2 ");

    EXPECT_EQ(FormatListing(out, ListingKind::Nlst, TIdMLSDFacts{}, kNow),
              (std::vector<std::string>{"a.txt", "sub"}));

    const auto mlsd = FormatListing(out, ListingKind::Mlsd, TIdMLSDFacts{}, kNow);
    ASSERT_EQ(mlsd.size(), 4u);
    EXPECT_EQ(mlsd[0].substr(0, 10), "type=cdir;");
    EXPECT_EQ(mlsd[1].substr(0, 10), "type=pdir;");
    for (const auto& line : mlsd)
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);

    EXPECT_EQ(FormatListLine(out.Items[2], false, kNow), "");
    EXPECT_EQ(FormatMlsxFacts(out.Items[3], TIdMLSDFacts{}), "");
}

} // namespace
} // namespace vdx::ftp
