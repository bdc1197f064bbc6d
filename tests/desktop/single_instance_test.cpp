// One instance per user and title: the second one reaches the first and ends.

#include "platform/gui/single_instance.h"

#include "DesktopSupport.h"

#include <QLocalServer>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace vdx {
namespace {

using namespace std::chrono_literals;

TEST(TSingleInstance, KeyIsTheTitleInLowerCasePlusUserId) {
    const QString uid = QString::number(::getuid());
    EXPECT_EQ(gui::TSingleInstance::KeyFor("VdxFtpServr"), "vdxftpservr" + uid);
    EXPECT_EQ(gui::TSingleInstance::KeyFor("VDXFTPSERVR"), "vdxftpservr" + uid);
    const test::IsolatedEnv env;
    const gui::TSingleInstance instance("VdxFtpServr");
    EXPECT_EQ(instance.SocketPath().toStdString(),
              env.RuntimeDir() + "/vdxftpservr" + uid.toStdString());
}

TEST(TSingleInstance, SecondInstanceEndsAtOnceAndRaisesTheFirst) {
    const test::TempDir dir;
    const QString folder = QString::fromStdString(dir.Path().string());
    gui::TSingleInstance first("VdxFtpServr", folder);
    int activations = 0;
    first.OnActivate = [&] { ++activations; };
    ASSERT_TRUE(first.Claim());

    // Another spelling of the title is the same instance.
    gui::TSingleInstance second("VDXftpservr", folder);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(second.Claim());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_TRUE(test::WaitUntil([&] { return activations == 1; }));

    gui::TSingleInstance third("VdxFtpServr", folder);
    EXPECT_FALSE(third.Claim());
    EXPECT_TRUE(test::WaitUntil([&] { return activations == 2; }));
}

TEST(TSingleInstance, OtherTitlesAndFreedLocksDoNotBlock) {
    const test::TempDir dir;
    const QString folder = QString::fromStdString(dir.Path().string());
    {
        gui::TSingleInstance ftp("VdxFtpServr", folder);
        ASSERT_TRUE(ftp.Claim());
        gui::TSingleInstance admin("VdxUserAdm", folder);
        EXPECT_TRUE(admin.Claim());
    }
    // Both ended: the next start is a first instance again.
    gui::TSingleInstance again("VdxFtpServr", folder);
    EXPECT_TRUE(again.Claim());
}

TEST(TSingleInstance, LeftoverSocketFileDoesNotBlock) {
    const test::TempDir dir;
    const QString folder = QString::fromStdString(dir.Path().string());
    const QString path = folder + "/" + gui::TSingleInstance::KeyFor("VdxFtpServr");
    {
        // A crashed instance leaves its socket file behind, with nobody listening.
        QLocalServer crashed;
        crashed.setSocketOptions(QLocalServer::UserAccessOption);
        ASSERT_TRUE(crashed.listen(path));
        const std::string copy = dir.Folder() + "socket-copy";
        std::filesystem::rename(path.toStdString(), copy);
        crashed.close();
        std::filesystem::rename(copy, path.toStdString());
    }
    ASSERT_TRUE(std::filesystem::exists(path.toStdString()));
    gui::TSingleInstance next("VdxFtpServr", folder);
    int activations = 0;
    next.OnActivate = [&] { ++activations; };
    EXPECT_TRUE(next.Claim());
    gui::TSingleInstance later("VdxFtpServr", folder);
    EXPECT_FALSE(later.Claim());
    EXPECT_TRUE(test::WaitUntil([&] { return activations == 1; }));
}

} // namespace
} // namespace vdx
