#include "controls/storage/FcRegIniFile.h"

#include "platform/os/paths.h"
#include "platform/os/registry.h"

#include "IsolatedEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

namespace vdx {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(MemIniFile, KeepsTheFileAsWrittenAndMatchesWithoutCase) {
    test::TempDir dir;
    const std::string file = dir.Folder() + "a.ini";
    const std::string original = "; kept comment\r\n"
                                 "[Main]\r\n"
                                 "Name= spaced value \r\n"
                                 "Count=7\r\n"
                                 "junk line\r\n"
                                 "\r\n"
                                 "[Other]\r\n"
                                 "x=1\r\n";
    WriteFileBytes(file, original);

    TMemIniFile ini(file);
    EXPECT_EQ(ini.ReadString("MAIN", "name", "?"), " spaced value ");
    EXPECT_EQ(ini.ReadInteger("main", "COUNT", 0), 7);
    EXPECT_EQ(ini.ReadInteger("main", "name", -1), -1); // not a number
    EXPECT_EQ(ini.ReadString("main", "missing", "def"), "def");
    EXPECT_TRUE(ini.ReadBool("other", "X", false));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Main", "Other"}));
    EXPECT_EQ(ini.ReadSection("main"), (std::vector<std::string>{"Name", "Count"}));
    EXPECT_EQ(ini.Text(), original); // nothing changed, nothing lost

    ini.WriteInteger("MAIN", "count", 8);    // in place, the stored name kept
    ini.WriteString("Main", "Added", "new"); // after the last key, before the blank
    ini.WriteBool("Third", "Flag", true);    // a new section at the end
    ini.UpdateFile();
    EXPECT_EQ(ReadFileBytes(file), "; kept comment\r\n"
                                   "[Main]\r\n"
                                   "Name= spaced value \r\n"
                                   "Count=8\r\n"
                                   "junk line\r\n"
                                   "Added=new\r\n"
                                   "\r\n"
                                   "[Other]\r\n"
                                   "x=1\r\n"
                                   "\r\n"
                                   "[Third]\r\n"
                                   "Flag=1\r\n");

    ini.DeleteKey("main", "ADDED");
    ini.EraseSection("other");
    EXPECT_FALSE(ini.ValueExists("Main", "Added"));
    EXPECT_FALSE(ini.SectionExists("Other"));
    EXPECT_TRUE(TMemIniFile(file).ValueExists("third", "flag")); // still on disk
}

TEST(MemIniFile, KeyAndSectionStoredInCaseTheyWereWritten) {
    test::TempDir dir;
    TMemIniFile ini(dir.Folder() + "new.ini");
    EXPECT_FALSE(ini.SectionExists("A")); // a missing file is an empty store
    ini.WriteString("Sec", "Key", "v=w;x");
    ini.WriteString("SEC", "KEY", "v2");
    EXPECT_EQ(ini.Text(), "[Sec]\nKey=v2\n");
    ini.UpdateFile();
    EXPECT_EQ(TMemIniFile(dir.Folder() + "NEW.INI").ReadString("sec", "key", ""), "v2");
}

TEST(MemIniFile, RefusesWhatTheFileCouldNotGiveBack) {
    test::TempDir dir;
    TMemIniFile ini(dir.Folder() + "a.ini");
    struct Case {
        const char *name, *section, *ident, *value;
    };
    for (const Case& c :
         {Case{"line break in value", "S", "K", "a\nb"},
          Case{"carriage return in value", "S", "K", "a\rb"}, Case{"= in key", "S", "K=1", "v"},
          Case{"empty key", "S", "", "v"}, Case{"key starting a section", "S", "[K", "v"},
          Case{"] in section", "S]", "K", "v"}, Case{"line break in section", "S\n[T", "K", "v"}}) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(ini.WriteString(c.section, c.ident, c.value), EIniFileException);
    }
    EXPECT_EQ(ini.Text(), "");
}

TEST(MemIniFile, WriteFailureRaisesIniFileException) {
    test::TempDir dir;
    WriteFileBytes(dir.Path() / "plain", "x");
    TMemIniFile ini(dir.Folder() + "plain/a.ini"); // below a file: cannot be written
    ini.WriteInteger("S", "K", 1);
    EXPECT_THROW(ini.UpdateFile(), EIniFileException);
}

TEST(FcRegIniFile, AccessMasksAndRootValues) {
    EXPECT_EQ(RegAccessMask({TFcRegAccessKey::keyRead, TFcRegAccessKey::keyWrite}),
              0x20019u | 0x20006u);
    EXPECT_EQ(RegAccessMask({TFcRegAccessKey::keyAllAccess}), 0xF003Fu);
    EXPECT_EQ(RegAccessMask({}), 0u);
    EXPECT_EQ(RegKeyValue(TFcRegKey::hkeyClassesRoot), 0x80000000u);
    EXPECT_EQ(RegKeyValue(TFcRegKey::hkeyDynData), 0x80000006u);
    TFcRegIniFile store;
    EXPECT_EQ(store.RegAccess(), TFcRegAccess{TFcRegAccessKey::keyAllAccess});
    EXPECT_EQ(store.PathType(), TFcPathType::ptIniFile);
    EXPECT_EQ(store.RegKey(), TFcRegKey::hkeyCurrentUser);
}

TEST(FcRegIniFile, IniPathResolution) {
    test::IsolatedEnv env;
    const std::string program = os::ProgramPath();
    const std::string programDir = os::ExtractFilePath(program);
    struct Case {
        const char* name;
        std::string path;
        TFcSpecialFolder folder;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"empty: next to the program", "", TFcSpecialFolder::sfNone,
         os::ChangeFileExt(program, ".ini")},
        {"one word", "settings", TFcSpecialFolder::sfNone, programDir + "settings.ini"},
        {"name only, other extension", "s.cfg", TFcSpecialFolder::sfNone, programDir + "s.ini"},
        {"with a folder: unchanged", env.Folder() + "x/s.cfg", TFcSpecialFolder::sfNone,
         env.Folder() + "x/s.cfg"},
        {"roaming app data", "Vardex/app.cfg", TFcSpecialFolder::sfUserAppDataRoaming,
         env.Folder() + "config/Vardex/app.ini"},
        {"local app data, empty", "", TFcSpecialFolder::sfUserAppDataLocal,
         env.Folder() + "data/" + os::ChangeFileExt(os::ExtractFileName(program), ".ini")},
        {"documents", "a", TFcSpecialFolder::sfUserDocuments,
         env.Folder() + "home/Documents/a.ini"},
        {"program data", "p/q/r", TFcSpecialFolder::sfProgramData, env.Folder() + "etc/p/q/r.ini"},
        {"absolute stays out of the special folder", env.Folder() + "abs/z.ini",
         TFcSpecialFolder::sfUserAppDataRoaming, env.Folder() + "abs/z.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFcRegIniFile store;
        store.SetPath(c.path);
        store.SetSpecialFolder(c.folder);
        EXPECT_EQ(store.ReadInteger("S", "K", 42), 42);
        EXPECT_EQ(store.Path(), c.expected);
        EXPECT_FALSE(fs::exists(c.expected)); // reading writes nothing
    }
    EXPECT_TRUE(fs::is_directory(env.Folder() + "etc/p/q")); // special folders are made
}

TEST(FcRegIniFile, SecondResolutionDoesNotNest) {
    test::IsolatedEnv env;
    TFcRegIniFile store;
    store.SetSpecialFolder(TFcSpecialFolder::sfUserAppDataRoaming);
    store.SetPath("Vardex/app.ini");
    store.WriteInteger("S", "K", 1);
    const std::string resolved = env.Folder() + "config/Vardex/app.ini";
    EXPECT_EQ(store.Path(), resolved);

    store.SetFileEncoding(TFcIniFileEncoding::feUTF8); // any change rebuilds
    store.WriteInteger("S", "K", 2);
    EXPECT_EQ(store.Path(), resolved);
    EXPECT_EQ(TMemIniFile(resolved).ReadInteger("S", "K", 0), 2);
    // Nothing was made below the resolved folder.
    const auto entries = std::distance(fs::directory_iterator(env.Folder() + "config/Vardex"),
                                       fs::directory_iterator());
    EXPECT_EQ(entries, 1);

    store.SetPath(resolved); // its current value: no change
    EXPECT_EQ(store.Path(), resolved);
}

TEST(FcRegIniFile, IniWritesReachTheFileAtOnce) {
    test::TempDir dir;
    const std::string file = dir.Folder() + "s.ini";
    TFcRegIniFile store;
    store.SetPath(file);
    store.WriteBool("Form", "Saved", true);
    EXPECT_EQ(ReadFileBytes(file), "[Form]\nSaved=1\n");
    store.WriteInteger("Form", "Left", -12);
    EXPECT_EQ(ReadFileBytes(file), "[Form]\nSaved=1\nLeft=-12\n");
    EXPECT_EQ(store.ReadInteger("FORM", "LEFT", 0), -12);
    EXPECT_TRUE(store.ReadBool("form", "saved", false));
}

TEST(FcRegIniFile, RebuildsOnlyAfterAChange) {
    test::TempDir dir;
    const std::string file = dir.Folder() + "s.ini";
    TFcRegIniFile store;
    store.SetPath(file);
    store.WriteInteger("S", "K", 1);
    WriteFileBytes(file, "[S]\nK=5\n"); // changed behind the store's back

    store.SetPath(file); // same value: the store in memory stays
    EXPECT_EQ(store.ReadInteger("S", "K", 0), 1);
    store.SetRegKey(TFcRegKey::hkeyLocalMachine); // a change: read afresh
    EXPECT_EQ(store.ReadInteger("S", "K", 0), 5);
}

TEST(FcRegIniFile, RegistryRoundTrip) {
    test::IsolatedEnv env;
    {
        TFcRegIniFile store;
        store.SetPathType(TFcPathType::ptRegistry);
        store.SetPath("Software\\Vardex\\VdxFtpserver");
        store.WriteInteger("FMainFormState", "Left", 120);
        store.WriteBool("FMainFormState", "Maximized", true);
        EXPECT_EQ(store.Path(), "Software\\Vardex\\VdxFtpserver");
    }
    os::TRegistry reg(os::RootKey::CurrentUser);
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\SOFTWARE\\vardex\\VdxFtpServer\\FMainFormState"));
    EXPECT_EQ(reg.ReadInteger("Left"), 120);
    EXPECT_TRUE(reg.ReadBool("Maximized"));
    reg.CloseKey();

    TFcRegIniFile again;
    again.SetPathType(TFcPathType::ptRegistry);
    again.SetPath("\\software\\VARDEX\\vdxftpserver");
    EXPECT_EQ(again.ReadInteger("fmainformstate", "LEFT", 0), 120);
    EXPECT_TRUE(again.ReadBool("FMainFormState", "Maximized", false));
    EXPECT_EQ(again.ReadInteger("FMainFormState", "Top", -1), -1);
    EXPECT_EQ(again.ReadInteger("NoSuchSection", "Left", -2), -2);

    // The local machine's hive is another store.
    again.SetRegKey(TFcRegKey::hkeyLocalMachine);
    EXPECT_EQ(again.ReadInteger("FMainFormState", "Left", 0), 0);
}

TEST(FcRegIniFile, RegistryDefaultKeyAndAccess) {
    test::IsolatedEnv env;
    TFcRegIniFile store;
    store.SetPathType(TFcPathType::ptRegistry);
    EXPECT_EQ(store.ReadInteger("S", "K", 3), 3);
    EXPECT_EQ(store.Path(), "\\Software\\Temp\\controls_tests");

    // Read access only cannot create the key: a missing key fails at the
    // first access, read or write, and is not created by it.
    TFcRegIniFile readOnly;
    readOnly.SetPathType(TFcPathType::ptRegistry);
    readOnly.SetPath("Software\\Nothing\\Here");
    readOnly.SetRegAccess({TFcRegAccessKey::keyRead});
    try {
        readOnly.ReadInteger("S", "K", 9);
        ADD_FAILURE() << "a missing key read as defaults";
    } catch (const os::ERegistryException& e) {
        EXPECT_NE(std::string(e.what()).find("HKEY_CURRENT_USER\\Software\\Nothing\\Here"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_THROW(readOnly.WriteInteger("S", "K", 1), os::ERegistryException);
    EXPECT_FALSE(os::TRegistry(os::RootKey::CurrentUser).KeyExists("Software\\Nothing\\Here"));

    // Once the key exists, read access reads it (a missing section gives
    // defaults) and still cannot write.
    store.SetPath("Software\\Nothing\\Here");
    store.WriteInteger("S", "K", 4);
    readOnly.SetPath("Software\\Nothing"); // any change: opened afresh
    readOnly.SetPath("Software\\Nothing\\Here");
    EXPECT_EQ(readOnly.ReadInteger("S", "K", 9), 4);
    EXPECT_EQ(readOnly.ReadInteger("Other", "K", 9), 9);
    EXPECT_THROW(readOnly.WriteInteger("S", "K", 1), os::ERegistryException);
    EXPECT_EQ(store.ReadInteger("S", "K", 0), 4);

    // A hive the store does not have fails at the first access.
    TFcRegIniFile users;
    users.SetPathType(TFcPathType::ptRegistry);
    users.SetRegKey(TFcRegKey::hkeyUsers);
    EXPECT_THROW(users.ReadInteger("S", "K", 0), os::ERegistryException);
}

} // namespace
} // namespace vdx
