#include "controls/storage/FcVersionInfo.h"

#include "controls/storage/FcIntLst.h"
#include "platform/os/paths.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx {
namespace {

using test::WriteFileBytes;

// A minimal ELF file: a null section, the section-name table and the given
// sections, headers at the end.
std::string MakeElf(bool is64, bool bigEndian,
                    const std::vector<std::pair<std::string, std::string>>& sections,
                    std::uint32_t typeOfLast = 1 /* SHT_PROGBITS */) {
    auto put = [&](std::string& out, std::uint64_t v, int width) {
        for (int i = 0; i < width; ++i) {
            const int shift = 8 * (bigEndian ? width - 1 - i : i);
            out += static_cast<char>((v >> shift) & 0xFF);
        }
    };
    const int word = is64 ? 8 : 4;
    const std::size_t ehsize = is64 ? 64 : 52;
    const std::size_t shentsize = is64 ? 64 : 40;

    std::string names(1, '\0');
    std::vector<std::size_t> nameOffsets;
    for (const auto& s : sections) {
        nameOffsets.push_back(names.size());
        names += s.first + '\0';
    }
    const std::size_t shstrtabName = names.size();
    names += std::string(".shstrtab") + '\0';

    std::string body;
    std::vector<std::size_t> offsets;
    for (const auto& s : sections) {
        offsets.push_back(ehsize + body.size());
        body += s.second;
    }
    const std::size_t namesOffset = ehsize + body.size();
    body += names;
    const std::size_t shoff = ehsize + body.size();
    const std::size_t shnum = sections.size() + 2;

    std::string out = "\x7F"
                      "ELF";
    out += static_cast<char>(is64 ? 2 : 1);
    out += static_cast<char>(bigEndian ? 2 : 1);
    out += '\1';
    out.resize(16, '\0');
    put(out, 2, 2);             // e_type
    put(out, is64 ? 62 : 3, 2); // e_machine
    put(out, 1, 4);             // e_version
    put(out, 0, word);          // e_entry
    put(out, 0, word);          // e_phoff
    put(out, shoff, word);      // e_shoff
    put(out, 0, 4);             // e_flags
    put(out, ehsize, 2);        // e_ehsize
    put(out, 0, 2);             // e_phentsize
    put(out, 0, 2);             // e_phnum
    put(out, shentsize, 2);     // e_shentsize
    put(out, shnum, 2);         // e_shnum
    put(out, shnum - 1, 2);     // e_shstrndx
    out += body;

    auto header = [&](std::size_t name, std::uint32_t type, std::size_t offset, std::size_t size) {
        put(out, name, 4);
        put(out, type, 4);
        put(out, 0, word); // flags
        put(out, 0, word); // addr
        put(out, offset, word);
        put(out, size, word);
        put(out, 0, 4); // link
        put(out, 0, 4); // info
        put(out, 1, word);
        put(out, 0, word);
    };
    header(0, 0, 0, 0);
    for (std::size_t i = 0; i < sections.size(); ++i)
        header(nameOffsets[i], i + 1 == sections.size() ? typeOfLast : 1, offsets[i],
               sections[i].second.size());
    header(shstrtabName, 3, namesOffset, names.size());
    return out;
}

TVersionBlock SampleBlock() {
    TVersionBlock b;
    b.FileVersionMS = (3u << 16) | 1u;
    b.FileVersionLS = (1u << 16) | 2u;
    b.FileFlags = VS_FF_DEBUG | VS_FF_PRIVATEBUILD;
    b.Strings = {{"FileVersion", "3.1.1.2"}, {"ProductName", "VdxFtpServer"}, {"Other", "x"}};
    return b;
}

TEST(FcVersionInfo, BlockRoundTripAndDamage) {
    const std::string bytes = EncodeVersionBlock(SampleBlock());
    EXPECT_EQ(DecodeVersionBlock(bytes), SampleBlock());
    EXPECT_EQ(DecodeVersionBlock(bytes + std::string(12, '\0')), SampleBlock()); // padding
    for (std::size_t cut : {0, 7, 8, 20, 24, 30})
        EXPECT_FALSE(DecodeVersionBlock(bytes.substr(0, cut))) << "cut at " << cut;
    EXPECT_FALSE(DecodeVersionBlock(bytes.substr(0, bytes.size() - 1)));
    std::string hugeCount = bytes;
    hugeCount[20] = '\xFF';
    hugeCount[23] = '\x7F';
    EXPECT_FALSE(DecodeVersionBlock(hugeCount));
}

TEST(FcVersionInfo, ReadsTheSectionOfEveryElfKind) {
    test::TempDir dir;
    const std::string block = EncodeVersionBlock(SampleBlock());
    struct Case {
        const char* name;
        bool is64, bigEndian;
    };
    for (const Case& c :
         {Case{"64-bit little endian", true, false}, Case{"32-bit little endian", false, false},
          Case{"64-bit big endian", true, true}, Case{"32-bit big endian", false, true}}) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.Folder() + c.name;
        WriteFileBytes(file, MakeElf(c.is64, c.bigEndian,
                                     {{".text", "code"}, {".vdxversion", block}, {".data", "d"}}));
        EXPECT_EQ(ReadElfSection(file, ".vdxversion"), block);
        EXPECT_EQ(ReadElfSection(file, ".data"), "d");
        EXPECT_FALSE(ReadElfSection(file, ".vdxversio"));

        TFcVersionInfo info;
        info.SetFilePath(file);
        EXPECT_TRUE(info.VersionInfoExists());
        EXPECT_EQ(info.FileVersion(), "3.1.1.2");
        EXPECT_EQ(info.ProductName(), "VdxFtpServer");
        EXPECT_EQ(info.CompanyName(), ""); // absent from the block
        EXPECT_EQ(info.VersionMajor(), 3);
        EXPECT_EQ(info.VersionMinor(), 1);
        EXPECT_EQ(info.VersionRelease(), 1);
        EXPECT_EQ(info.VersionBuild(), 2);
        EXPECT_TRUE(info.DebugBuild());
        EXPECT_FALSE(info.PreRelease());
        EXPECT_TRUE(info.PrivateBuild());
        EXPECT_FALSE(info.SpecialBuild());
    }
}

TEST(FcVersionInfo, WithoutAReadableBlockNothingIsAvailable) {
    test::TempDir dir;
    const std::string block = EncodeVersionBlock(SampleBlock());
    const std::string good = MakeElf(true, false, {{".vdxversion", block}});
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"no section", MakeElf(true, false, {{".text", "code"}})},
        {"damaged block", MakeElf(true, false, {{".vdxversion", block.substr(0, 30)}})},
        {"section without contents", MakeElf(false, false, {{".vdxversion", block}}, 8)},
        {"not ELF", "#!/bin/sh\necho\n"},
        {"empty file", ""},
        {"cut short", good.substr(0, good.size() - 10)},
        {"headers far away",
         [&] {
             std::string b = good;
             b[0x28 + 5] = '\x7F'; // e_shoff beyond the file
             return b;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.Folder() + "f";
        WriteFileBytes(file, c.bytes);
        TFcVersionInfo info;
        info.SetFilePath(file);
        EXPECT_FALSE(info.VersionInfoExists());
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(info.GetVersionString(i), "Value Not Available");
        EXPECT_EQ(info.VersionMajor(), 0);
        EXPECT_FALSE(info.DebugBuild());
    }

    TFcVersionInfo missing;
    missing.SetFilePath(dir.Folder() + "does-not-exist");
    EXPECT_EQ(missing.GetVersionString(2), "Value Not Available");
    EXPECT_THROW(missing.GetVersionString(10), EListError);
    EXPECT_THROW(missing.GetVersionString(-1), EListError);
}

TEST(FcVersionInfo, ProgramBuiltWithItsVersion) {
    TFcVersionInfo info;
    info.SetFilePath(VDX_VERSION_PROBE);
    ASSERT_TRUE(info.VersionInfoExists());
    const std::vector<std::string> expected = {"Vardex",
                                               "Version probe",
                                               "3.1.1.1",
                                               "probe",
                                               "(c) Vardex; all \"rights\" reserved",
                                               "",
                                               "controls_version_probe",
                                               "VdxFtpServer",
                                               "3.1",
                                               ""};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(info.GetVersionString(i), expected[i]) << kVersionStringNames[i];
    EXPECT_EQ(info.VersionMajor(), 3);
    EXPECT_EQ(info.VersionMinor(), 1);
    EXPECT_EQ(info.VersionRelease(), 1);
    EXPECT_EQ(info.VersionBuild(), 1);
    EXPECT_FALSE(info.DebugBuild());
    EXPECT_TRUE(info.PreRelease());
    EXPECT_FALSE(info.PrivateBuild());
    EXPECT_TRUE(info.SpecialBuild());
}

TEST(FcVersionInfo, EmptyPathReadsTheRunningProgram) {
    TFcVersionInfo info;
    EXPECT_EQ(info.FilePath(), os::ProgramPath());
    EXPECT_EQ(info.FileVersion(), "9.8.7.6");
    EXPECT_EQ(info.ProductName(), "controls_tests");
    EXPECT_EQ(info.VersionMajor(), 9);
    EXPECT_EQ(info.VersionBuild(), 6);
    EXPECT_TRUE(info.DebugBuild());

    // While loading a new path is only stored; Loaded reads it.
    info.BeginLoading();
    info.SetFilePath(VDX_VERSION_PROBE);
    EXPECT_EQ(info.ProductName(), "controls_tests");
    info.Loaded();
    EXPECT_EQ(info.ProductName(), "VdxFtpServer");
}

} // namespace
} // namespace vdx
