// "Settings.xml" bytes, its reading rules, and the paths the globals derive.

#include "ftpengine/VFGlobals.h"
#include "platform/os/file_error.h"
#include "shared/VdxXmlDoc.h"

#include "InstallRoot.h"

#include <gtest/gtest.h>

#include <functional>

namespace vdx {
namespace {

using test::InstallRoot;
using test::ReadFileBytes;
using test::WriteFileBytes;

std::string SettingsFile(const std::string& elements) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Vardex>\r\n\t<Settings>\r\n" + elements +
           "\t</Settings>\r\n</Vardex>\r\n";
}

TEST(SettingsPaths, DerivedFromTheProgramPath) {
    struct Row {
        const char* name;
        const char* program;
        const char* exeName;
        const char* exeBaseName;
    };
    const Row rows[] = {{"plain", "VdxFtpServer", "VdxFtpServer", "VdxFtpServer"},
                        {"with extension", "VdxFtpServer.bin", "VdxFtpServer.bin", "VdxFtpServer"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        InstallRoot root;
        const TFGlobals globals(root.AppDir() + row.program);
        EXPECT_EQ(globals.AppDir, root.AppDir());
        EXPECT_EQ(globals.BaseDir, root.Root());
        EXPECT_EQ(globals.ExeName, row.exeName);
        EXPECT_EQ(globals.ExeBaseName, row.exeBaseName);
        EXPECT_EQ(globals.GetLogFileName(), root.AppDir() + "VdxFtpServer.log");
        const TSettings settings = globals.Settings();
        EXPECT_EQ(settings.VdxInfoRoot, root.Root());
        EXPECT_EQ(settings.VdxTextRoot, root.Root());
        EXPECT_EQ(settings.UsersIniPath, root.Root() + "VdxTxtServer/users/users.ini");
        EXPECT_EQ(settings.AdminRootDir, root.Root());
        EXPECT_EQ(settings.Port, 21);
    }
}

TEST(SettingsFile, SavesTheDefaultsByteForByte) {
    InstallRoot root;
    const TFGlobals globals(root.ProgramPath());
    globals.SaveSettings();
    EXPECT_EQ(ReadFileBytes(root.SettingsPath()),
              SettingsFile("\t\t<Port>21</Port>\r\n"
                           "\t\t<UseVdxInfo>false</UseVdxInfo>\r\n"
                           "\t\t<UseVdxText>false</UseVdxText>\r\n"
                           "\t\t<AdminRootDir>" +
                           root.Root() +
                           "</AdminRootDir>\r\n"
                           "\t\t<UseCustomPortRange>false</UseCustomPortRange>\r\n"
                           "\t\t<PasvMinPort>0</PasvMinPort>\r\n"
                           "\t\t<PasvMaxPort>0</PasvMaxPort>\r\n"
                           "\t\t<UsePasvIP>false</UsePasvIP>\r\n"
                           "\t\t<PasvIP/>\r\n"));
}

TEST(SettingsFile, SavesEscapesAndEmptyValuesAndReadsThemBack) {
    InstallRoot root;
    TFGlobals globals(root.ProgramPath());
    TSettings settings = globals.Settings();
    settings.Port = 2121;
    settings.UseVdxInfo = true;
    settings.UseVdxText = true;
    settings.AdminRootDir = "";
    settings.UseCustomPortRange = true;
    settings.PasvMinPort = 50000;
    settings.PasvMaxPort = 50100;
    settings.UsePasvIP = true;
    settings.PasvIP = "a&b<c>\"d'e\xE9";
    globals.SetSettings(settings);
    globals.SaveSettings();
    EXPECT_EQ(ReadFileBytes(root.SettingsPath()),
              SettingsFile("\t\t<Port>2121</Port>\r\n"
                           "\t\t<UseVdxInfo>true</UseVdxInfo>\r\n"
                           "\t\t<UseVdxText>true</UseVdxText>\r\n"
                           "\t\t<AdminRootDir/>\r\n"
                           "\t\t<UseCustomPortRange>true</UseCustomPortRange>\r\n"
                           "\t\t<PasvMinPort>50000</PasvMinPort>\r\n"
                           "\t\t<PasvMaxPort>50100</PasvMaxPort>\r\n"
                           "\t\t<UsePasvIP>true</UsePasvIP>\r\n"
                           "\t\t<PasvIP>a&amp;b&lt;c&gt;&quot;d&apos;e\xE9</PasvIP>\r\n"));

    const TFGlobals reread(root.ProgramPath());
    EXPECT_EQ(reread.Settings(), settings);
}

TEST(SettingsFile, AdminRootDirKeepsItsBytes) {
    // A folder name is stored as the bytes it has on disk, UTF-8 or not.
    InstallRoot root;
    TFGlobals globals(root.ProgramPath());
    TSettings settings = globals.Settings();
    settings.AdminRootDir = "/srv/caf\xC3\xA9/\xFF\x80 x/";
    globals.SetSettings(settings);
    globals.SaveSettings();
    EXPECT_NE(
        ReadFileBytes(root.SettingsPath()).find("<AdminRootDir>/srv/caf\xC3\xA9/\xFF\x80 x/<"),
        std::string::npos);
    EXPECT_EQ(TFGlobals(root.ProgramPath()).Settings().AdminRootDir, settings.AdminRootDir);
}

TEST(SettingsFile, ReadingRules) {
    struct Row {
        const char* name;
        std::string file;
        std::function<void(TSettings&, const std::string& baseDir)> expect;
    };
    const auto none = [](TSettings&, const std::string&) {};
    const Row rows[] = {
        {"port abc", SettingsFile("<Port>abc</Port>"), none},
        {"port out of range", SettingsFile("<Port>2147483648</Port>"), none},
        {"negative port kept", SettingsFile("<Port>-5</Port>"),
         [](TSettings& s, const std::string&) { s.Port = -5; }},
        {"TRUE and 1", SettingsFile("<UseVdxText>TRUE</UseVdxText><UseVdxInfo>1</UseVdxInfo>"),
         [](TSettings& s, const std::string&) { s.UseVdxText = s.UseVdxInfo = true; }},
        {"other number is true", SettingsFile("<UsePasvIP>7</UsePasvIP>"),
         [](TSettings& s, const std::string&) { s.UsePasvIP = true; }},
        {"yes is not a Boolean",
         SettingsFile("<UseVdxText>yes</UseVdxText><UseVdxInfo>0</UseVdxInfo>"), none},
        {"empty AdminRootDir", SettingsFile("<AdminRootDir></AdminRootDir>"),
         [](TSettings& s, const std::string&) { s.AdminRootDir = ""; }},
        {"empty-element AdminRootDir", SettingsFile("<AdminRootDir/>"),
         [](TSettings& s, const std::string&) { s.AdminRootDir = ""; }},
        {"missing AdminRootDir", SettingsFile("<Port>99</Port>"),
         [](TSettings& s, const std::string&) { s.Port = 99; }},
        {"blanks and control characters trimmed",
         SettingsFile("<Port> \t2121\r\n</Port><PasvIP>  1.2.3.4 &#9;</PasvIP>"
                      "<AdminRootDir>\n\t/srv/a b/ </AdminRootDir><UseVdxText> true </UseVdxText>"),
         [](TSettings& s, const std::string&) {
             s.Port = 2121;
             s.PasvIP = "1.2.3.4";
             s.AdminRootDir = "/srv/a b/";
             s.UseVdxText = true;
         }},
        {"names without regard to case",
         "<Other><settings><PORT>99</PORT><usevdxinfo>True</usevdxinfo>"
         "<pasvminport>10</pasvminport><PASVMAXPORT>20</PASVMAXPORT>"
         "<UseCustomPortRange>FALSE</UseCustomPortRange></settings></Other>",
         [](TSettings& s, const std::string&) {
             s.Port = 99;
             s.UseVdxInfo = true;
             s.PasvMinPort = 10;
             s.PasvMaxPort = 20;
         }},
        {"entity references", SettingsFile("<PasvIP>a&amp;b&#65;</PasvIP>"),
         [](TSettings& s, const std::string&) { s.PasvIP = "a&bA"; }},
        {"no Settings element", "<Vardex><Port>99</Port></Vardex>", none},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        InstallRoot root;
        WriteFileBytes(root.SettingsPath(), row.file);
        const TFGlobals globals(root.ProgramPath());
        TSettings expected;
        expected.AdminRootDir = expected.VdxInfoRoot = expected.VdxTextRoot = root.Root();
        expected.UsersIniPath = root.Root() + "VdxTxtServer/users/users.ini";
        row.expect(expected, root.Root());
        EXPECT_EQ(globals.Settings(), expected);
    }
}

TEST(SettingsFile, WithoutAFileOnlyTheFourResetSettingsChange) {
    InstallRoot root;
    TFGlobals globals(root.ProgramPath());
    TSettings edited = globals.Settings();
    edited.Port = 2121;
    edited.UseVdxText = true;
    edited.AdminRootDir = "/srv/admin";
    edited.UsePasvIP = true;
    edited.PasvIP = "203.0.113.5";
    globals.SetSettings(edited);
    globals.LoadSettings();
    TSettings expected = edited;
    expected.Port = 21;
    expected.UseVdxText = false;
    expected.AdminRootDir = root.Root();
    EXPECT_EQ(globals.Settings(), expected);
}

TEST(SettingsFile, DamagedFileThrowsAndKeepsTheLiveSettings) {
    InstallRoot root;
    WriteFileBytes(root.SettingsPath(), SettingsFile("<Port>2121</Port>"));
    TFGlobals globals(root.ProgramPath());
    const TSettings before = globals.Settings();
    for (const char* damaged : {"<Vardex><Settings><Port>1</Port>", "", "not xml"}) {
        SCOPED_TRACE(damaged);
        WriteFileBytes(root.SettingsPath(), damaged);
        EXPECT_THROW(globals.LoadSettings(), XmlParseError);
        EXPECT_EQ(globals.Settings(), before);
        EXPECT_THROW(TFGlobals{root.ProgramPath()}, XmlParseError);
    }
}

TEST(SettingsFile, FailedSaveLeavesTheOldFile) {
    InstallRoot root;
    TFGlobals globals(root.ProgramPath());
    globals.SaveSettings();
    const std::string saved = ReadFileBytes(root.SettingsPath());
    TSettings settings = globals.Settings();
    settings.PasvIP = "1.2.3.4\x01"; // XML cannot hold this byte
    globals.SetSettings(settings);
    EXPECT_THROW(globals.SaveSettings(), XmlWriteError);
    EXPECT_EQ(ReadFileBytes(root.SettingsPath()), saved);

    const TFGlobals homeless("/nonexistent-vdx-folder/VdxFtpServer/VdxFtpServer");
    EXPECT_THROW(homeless.SaveSettings(), os::FileError);
}

} // namespace
} // namespace vdx
