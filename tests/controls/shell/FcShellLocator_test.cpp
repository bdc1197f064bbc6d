#include "controls/shell/FcShellLocator.h"

#include "platform/shell/special_folders.h"

#include "IsolatedEnv.h"

#include <gtest/gtest.h>

#include <vector>

namespace vdx {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The settings dialog's stored base folder: the Computer.
const Bytes kComputer27 = {0x00, 0x16, 0x00, 0x00, 0x00, 0x14, 0x00, 0x1F, 0x50,
                           0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10, 0xA2,
                           0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D, 0x00, 0x00};

struct Counted : TFcShellLocator {
    int changes = 0;
    Counted() {
        OnChange = [this](TFcShellLocator*) { ++changes; };
    }
};

TEST(FcShellLocatorTest, StoredFormReadsAndWrites) {
    Counted l;
    EXPECT_FALSE(l.StoresPidl()); // the desktop writes nothing
    l.ReadPidl(kComputer27);
    EXPECT_EQ(l.changes, 0);
    ASSERT_TRUE(l.IdList());
    EXPECT_EQ(*l.IdList(), shell::ComputerIdList());
    EXPECT_EQ(l.PathName(), "");
    EXPECT_EQ(l.WritePidl(), kComputer27);

    // Size 0: the desktop by CSIDL 0, stored again as two bytes.
    l.ReadPidl(Bytes{0, 0, 0, 0, 0});
    EXPECT_EQ(l.Kind(), 1);
    EXPECT_EQ(l.Csidl(), 0);
    EXPECT_EQ(l.WritePidl(), (Bytes{1, 0}));
    ASSERT_TRUE(l.IdList());
    EXPECT_TRUE(l.IdList()->Empty());

    // Hostile sizes and lists give the desktop.
    const std::vector<Bytes> hostile = {
        {0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0},    // past the end
        {0, 3, 0, 0, 0, 1, 0, 0},             // count 1
        {0, 4, 0, 0, 0, 0x14, 0, 0x1F, 0x50}, // no terminator
        {0, 2},                               // a size cut short
        {},
    };
    for (const Bytes& b : hostile) {
        l.ReadPidl(kComputer27);
        l.ReadPidl(b);
        EXPECT_EQ(l.Kind(), 0);
        EXPECT_FALSE(l.HasList());
    }
}

TEST(FcShellLocatorTest, ChangesFireOnce) {
    Counted l;
    l.SetIdList(nullptr);
    EXPECT_EQ(l.changes, 0); // nil on a fresh locator
    const IdList computer = shell::ComputerIdList();
    l.SetIdList(&computer);
    l.SetIdList(&computer);
    EXPECT_EQ(l.changes, 1);
    const IdList empty;
    l.SetIdList(&empty);
    EXPECT_FALSE(l.HasList()); // the terminator alone stores nothing
    EXPECT_EQ(l.changes, 2);

    // nil on a locator of kind 1 fires, resolved or not.
    l.ReadPidl(Bytes{1, shell::CSIDL_DRIVES});
    l.Clear();
    EXPECT_EQ(l.changes, 3);

    // Two of kind 1 with one CSIDL are equal: nothing to assign.
    Counted a, b;
    a.ReadPidl(Bytes{1, 17});
    b.ReadPidl(Bytes{1, 17});
    b.Assign(&a);
    EXPECT_EQ(b.changes, 0);
    EXPECT_TRUE(a.IsEqual(b));

    // Assigning a locator without a list stores an empty list, which is not
    // equal to having none.
    Counted fresh, target;
    target.SetIdList(&computer);
    target.Assign(&fresh);
    EXPECT_TRUE(target.HasList());
    EXPECT_TRUE(target.IdList()->Empty());
    EXPECT_FALSE(target.IsEqual(fresh));
    target.Assign(nullptr);
    EXPECT_FALSE(target.HasList());
}

TEST(FcShellLocatorTest, PathsParseOrLeaveNothing) {
    test::IsolatedEnv env;
    Counted l;
    l.SetPathName(env.Folder());
    ASSERT_TRUE(l.HasList());
    EXPECT_EQ(l.PathName() + "/", env.Folder());
    l.SetPathName(env.Folder() + "missing");
    EXPECT_FALSE(l.HasList());
    l.SetPathName("");
    EXPECT_FALSE(l.HasList());
    EXPECT_EQ(l.PathName() + "/", shell::SpecialFolderPath(shell::CSIDL_DESKTOP));
}

} // namespace
} // namespace vdx
