#include "platform/os/registry.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace vdx::os;
using vdx::test::ReadFileBytes;
using vdx::test::TempDir;
using vdx::test::WriteFileBytes;

namespace {

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class Registry : public ::testing::Test {
protected:
    std::string UserStore() const {
        return m_dir.Folder() + "home/vardex/registry/HKEY_CURRENT_USER";
    }
    std::string UserAutostart() const { return m_dir.Folder() + "home/autostart/"; }
    std::string MachineAutostart() const { return m_dir.Folder() + "sys/autostart/"; }

    TempDir m_dir;
    ScopedEnv m_home{"XDG_CONFIG_HOME", m_dir.Folder() + "home"};
    ScopedEnv m_dirs{"XDG_CONFIG_DIRS", "relative/ignored:" + m_dir.Folder() + "sys:/etc/xdg"};
};

} // namespace

TEST_F(Registry, TypedValuesAndCaseInsensitiveKeysAcrossObjects) {
    const std::string text = "a \"quoted\" \\ text\twith\nlines\x01 and \xE9 bytes";
    const std::vector<std::uint8_t> blob = {0x00, 0x01, 0xFF, 0x7F};
    {
        TRegistry writer;
        ASSERT_TRUE(writer.OpenKey("\\Software\\Vardex\\VdxFtpserver\\FMainFormState", true));
        EXPECT_EQ(writer.CurrentPath(), "Software\\Vardex\\VdxFtpserver\\FMainFormState");
        writer.WriteInteger("Left", 100);
        writer.WriteInteger("Top", -5);
        writer.WriteBool("Maximized", true);
        writer.WriteString("Caption", text);
        writer.WriteBinaryData("Blob", blob);
        writer.WriteBinaryData("Empty", {});
    }
    TRegistry reader;
    ASSERT_TRUE(reader.OpenKeyReadOnly("software\\VARDEX\\vdxftpserver\\fmainformstate"));
    EXPECT_EQ(reader.CurrentPath(), "Software\\Vardex\\VdxFtpserver\\FMainFormState");
    EXPECT_EQ(reader.ReadInteger("LEFT"), 100);
    EXPECT_EQ(reader.ReadInteger("top"), -5);
    EXPECT_TRUE(reader.ReadBool("Maximized"));
    EXPECT_EQ(reader.ReadString("caption"), text);
    EXPECT_EQ(reader.ReadBinaryData("Blob"), blob);
    EXPECT_TRUE(reader.ReadBinaryData("Empty").empty());
    EXPECT_EQ(reader.GetValueNames(),
              (std::vector<std::string>{"Left", "Top", "Maximized", "Caption", "Blob", "Empty"}));
    EXPECT_EQ(reader.GetDataType("left"), RegDataType::Integer);
    EXPECT_EQ(reader.GetDataType("Caption"), RegDataType::String);
    EXPECT_EQ(reader.GetDataType("Blob"), RegDataType::Binary);
    EXPECT_EQ(reader.GetDataType("Missing"), RegDataType::None);

    // Wrong types and missing values.
    EXPECT_THROW(reader.ReadString("Left"), ERegistryException);
    EXPECT_THROW(reader.ReadInteger("Caption"), ERegistryException);
    EXPECT_THROW(reader.ReadBinaryData("Left"), ERegistryException);
    EXPECT_EQ(reader.ReadString("Missing"), "");
    EXPECT_THROW(reader.ReadInteger("Missing"), ERegistryException);
    EXPECT_TRUE(reader.ReadBinaryData("Missing").empty());
    // Opened for reading only.
    EXPECT_THROW(reader.WriteInteger("Left", 1), ERegistryException);
    EXPECT_FALSE(reader.DeleteValue("Left"));

    // The store is readable text.
    const std::string store = ReadFileBytes(UserStore());
    EXPECT_NE(store.find("[Software\\Vardex\\VdxFtpserver\\FMainFormState]\n"), std::string::npos);
    EXPECT_NE(store.find("\"Left\"=dword:00000064\n"), std::string::npos);
    EXPECT_NE(store.find("\"Top\"=dword:fffffffb\n"), std::string::npos);
    EXPECT_NE(store.find("\"Blob\"=hex:00,01,FF,7F\n"), std::string::npos);

    // A second object sees the first one's changes at once.
    TRegistry other;
    ASSERT_TRUE(other.OpenKey("SOFTWARE\\vardex\\VdxFtpServer\\FMainFormState", false));
    other.WriteInteger("left", 7); // keeps the name's first spelling
    EXPECT_EQ(reader.ReadInteger("Left"), 7);
    EXPECT_EQ(reader.GetValueNames().front(), "Left");
    EXPECT_TRUE(other.DeleteValue("LEFT"));
    EXPECT_FALSE(other.DeleteValue("Left"));
    EXPECT_FALSE(reader.ValueExists("Left"));
}

TEST_F(Registry, KeysAreCreatedListedAndDeletedWithTheirSubKeys) {
    TRegistry reg;
    EXPECT_FALSE(reg.OpenKey("Software\\Vardex", false));
    EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\Vardex"));
    EXPECT_FALSE(reg.KeyExists("Software\\Vardex"));
    ASSERT_TRUE(reg.OpenKey("Software\\Vardex\\VdxFtpserver", true));
    ASSERT_TRUE(reg.OpenKey("software\\vardex\\VdxUserAdmin\\\\Grid\\", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Vardex\\VdxUserAdmin\\Grid");
    reg.WriteString("Width", "80");

    EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\Vardex"));
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Vardex"));
    EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string>{"VdxFtpserver", "VdxUserAdmin"}));
    reg.CloseKey();
    EXPECT_EQ(reg.CurrentPath(), "");
    EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string>{"Software"}));
    EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException) << "no key open";

    EXPECT_TRUE(reg.DeleteKey("software\\VARDEX\\vdxuseradmin"));
    EXPECT_FALSE(reg.KeyExists("Software\\Vardex\\VdxUserAdmin\\Grid"));
    EXPECT_TRUE(reg.KeyExists("Software\\Vardex\\VdxFtpserver"));
    EXPECT_FALSE(reg.DeleteKey("Software\\Vardex\\VdxUserAdmin"));
    EXPECT_FALSE(reg.DeleteKey(""));

    // The hives are apart.
    TRegistry machine(RootKey::LocalMachine);
    EXPECT_FALSE(machine.KeyExists("Software\\Vardex"));
}

TEST_F(Registry, DamagedStoreIsNeverOverwritten) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Vardex", true));
    reg.WriteInteger("Kept", 1);
    const std::string damaged = ReadFileBytes(UserStore()) + "this is no registry line\n";
    WriteFileBytes(UserStore(), damaged);

    EXPECT_THROW(reg.WriteInteger("Other", 2), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("Kept"), ERegistryException);
    EXPECT_FALSE(reg.OpenKey("Software\\Vardex", true));
    EXPECT_FALSE(reg.KeyExists("Software\\Vardex"));
    EXPECT_FALSE(reg.DeleteKey("Software\\Vardex"));
    EXPECT_EQ(ReadFileBytes(UserStore()), damaged);
}

TEST_F(Registry, ConcurrentWritersLoseNothing) {
    constexpr int kThreads = 6, kWrites = 15;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            TRegistry reg;
            if (!reg.OpenKey("Software\\Vardex\\Load", true))
                return;
            for (int i = 0; i < kWrites; ++i)
                reg.WriteInteger("T" + std::to_string(t) + "_" + std::to_string(i), i);
        });
    }
    for (auto& thread : threads)
        thread.join();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Vardex\\Load"));
    EXPECT_EQ(reg.GetValueNames().size(), static_cast<std::size_t>(kThreads * kWrites));
}

TEST_F(Registry, RunKeyIsAnXdgAutostartEntry) {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kRun, true));
    reg.WriteString("VdxFtpServer", "/opt/vardex/VdxFtpServer/VdxFtpServer");
    EXPECT_EQ(ReadFileBytes(UserAutostart() + "VdxFtpServer.desktop"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=VdxFtpServer\n"
              "Exec=/opt/vardex/VdxFtpServer/VdxFtpServer\n"
              "X-GNOME-Autostart-enabled=true\n");
    EXPECT_TRUE(reg.ValueExists("vdxftpserver"));
    EXPECT_EQ(reg.GetDataType("VdxFtpServer"), RegDataType::String);
    EXPECT_EQ(reg.GetValueNames(), (std::vector<std::string>{"VdxFtpServer"}));
    EXPECT_THROW(reg.WriteInteger("VdxFtpServer", 1), ERegistryException);
    EXPECT_THROW(reg.WriteString("a/b", "x"), ERegistryException);

    struct Row {
        const char* name;
        std::string command, exec;
    };
    const Row rows[] = {
        {"blanks", "/opt/my apps/VdxFtpServer", "\"/opt/my apps/VdxFtpServer\""},
        {"percent", "/opt/100%/run", "/opt/100%%/run"},
        {"specials inside quotes", "/opt/a\"b$c`d\\e", "\"/opt/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e\""},
        {"control bytes", "/opt/a\tb\nc", "\"/opt/a\\tb\\nc\""},
        {"leading blank", " /opt/x", "\" /opt/x\""},
        {"raw high bytes", "/opt/caf\xE9", "/opt/caf\xE9"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        reg.WriteString("Entry", row.command);
        const std::string file = ReadFileBytes(UserAutostart() + "Entry.desktop");
        EXPECT_NE(file.find("\nExec=" + row.exec + "\n"), std::string::npos) << file;
        TRegistry reader;
        ASSERT_TRUE(reader.OpenKeyReadOnly(kRun));
        EXPECT_EQ(reader.ReadString("ENTRY"), row.command);
    }
    EXPECT_TRUE(reg.DeleteValue("entry"));
    EXPECT_FALSE(reg.DeleteValue("Entry"));
    EXPECT_FALSE(reg.DeleteValue("NeverThere"));
    EXPECT_EQ(reg.ReadString("NeverThere"), "");

    // The machine-wide key lives in the first absolute folder of XDG_CONFIG_DIRS.
    TRegistry machine(RootKey::LocalMachine);
    ASSERT_TRUE(machine.OpenKey(kRun, true));
    machine.WriteString("VdxFtpServer", "/opt/x");
    EXPECT_NE(ReadFileBytes(MachineAutostart() + "VdxFtpServer.desktop").find("\nExec=/opt/x\n"),
              std::string::npos);
    EXPECT_EQ(reg.ReadString("VdxFtpServer"), "/opt/vardex/VdxFtpServer/VdxFtpServer");
}

TEST_F(Registry, LocalMachineThatCannotBeWritten) {
    // A folder below a plain file cannot be made, not even by root.
    WriteFileBytes(m_dir.Folder() + "plainfile", "");
    const ScopedEnv dirs("XDG_CONFIG_DIRS", m_dir.Folder() + "plainfile");
    TRegistry machine(RootKey::LocalMachine);
    EXPECT_FALSE(machine.OpenKey(kRun, true));
    EXPECT_FALSE(machine.OpenKey(kRun, false));
    EXPECT_FALSE(machine.OpenKey("Software\\Vardex", true));
    EXPECT_THROW(machine.WriteString("VdxFtpServer", "/opt/x"), ERegistryException);
    ASSERT_TRUE(machine.OpenKeyReadOnly(kRun));
    EXPECT_EQ(machine.ReadString("VdxFtpServer"), "");

    if (::geteuid() != 0) { // root writes anyway
        ASSERT_EQ(::mkdir((m_dir.Folder() + "sys").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir(MachineAutostart().c_str(), 0755), 0);
        ::chmod(MachineAutostart().c_str(), 0555);
        const ScopedEnv sys("XDG_CONFIG_DIRS", m_dir.Folder() + "sys");
        EXPECT_FALSE(TRegistry(RootKey::LocalMachine).OpenKey(kRun, true));
        ::chmod(MachineAutostart().c_str(), 0755);
    }
}
