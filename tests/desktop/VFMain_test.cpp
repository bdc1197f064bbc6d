// The main window driven in-process: log lines from the server and from
// other threads, a failed start, placement, the menu commands and a picture.

#include "ftpdesktop/VFMain.h"

#include "controls/labels/FcLabel.h"
#include "controls/lists/FcTabbedListBox.h"
#include "controls/panels/FcPanel.h"
#include "controls/storage/FcMonitors.h"
#include "ftpdesktop/VFAboutDlg.h"
#include "ftpdesktop/VFViewLogDlg.h"
#include "ftpdesktop/VdxVersionInfo.h"
#include "ftpengine/VFFTPServer.h"
#include "ftpengine/VFGlobals.h"
#include "platform/gui/ansi_text.h"
#include "platform/gui/classic_look.h"
#include "platform/gui/color.h"
#include "platform/gui/message_box.h"
#include "platform/gui/single_instance.h"
#include "platform/os/registry.h"

#include "DesktopSupport.h"

#include <QApplication>
#include <QImage>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vdx {
namespace {

using namespace std::chrono_literals;

constexpr const char* kPlacementKey = "Software\\Vardex\\VdxFtpserver\\FMainFormState";

class MainWindowTest : public testing::Test {
protected:
    MainWindowTest()
        : m_boxes([this](const gui::TMessageBoxRequest& r) {
              boxes.push_back(r);
              return gui::mrOk;
          }),
          m_monitors(std::vector<TMonitor>{MakeMonitor(0, gui::Bounds(0, 0, 1920, 1080))}) {
        root.WriteUsers({test::MakeDesktopUser("anna", "Secret1"),
                         test::MakeDesktopUser("admin", "Root2", true)});
    }

    // Settings with a free port, then the globals the window runs on.
    void Start(const std::function<void(TSettings&)>& change = {}) {
        port = test::FreePort();
        root.WriteSettings(port, change);
        globals = std::make_unique<TFGlobals>(root.ProgramPath());
    }

    static std::vector<std::string> ListLines(const TFMain& w) {
        return w.LogTabbedListBox->Items().Values();
    }
    static bool ListHas(const TFMain& w, const std::string& label) {
        return test::CountLabel(ListLines(w), label) > 0;
    }

    test::IsolatedEnv env;
    test::DesktopRoot root;
    std::vector<gui::TMessageBoxRequest> boxes;
    int port = 0;
    std::unique_ptr<TFGlobals> globals;
    const TVersionInfo versionInfo;

private:
    gui::TScopedMessageBoxHandler m_boxes;
    TScopedMonitorProvider m_monitors;
};

TEST_F(MainWindowTest, ServerStartsAtFirstShowAndItsLinesReachListAndFile) {
    Start();
    {
        TFMain w(*globals, versionInfo);
        EXPECT_EQ(w.windowTitle(), "Vardex FTP Server");
        const std::string name =
            gui::QStringToAnsi(QString::fromStdString(w.ServerNameLabel->Caption()));
        EXPECT_EQ(name.rfind("Server name: ", 0), 0u);
        EXPECT_EQ(w.ServerIPLabel->Caption().rfind("Server IP address: ", 0), 0u);
        ASSERT_NE(w.Server(), nullptr);
        EXPECT_TRUE(ListLines(w).empty());

        w.show();
        ASSERT_TRUE(test::WaitUntil([&] { return ListHas(w, "Started"); }));
        test::FtpClient client;
        ASSERT_EQ(client.Connect(port).code, 220);
        EXPECT_EQ(client.Login("anna", "Secret1"), 230);
        EXPECT_EQ(client.Login("anna", "wrong"), 530);
        client.Command("QUIT");
        ASSERT_TRUE(
            test::WaitUntil([&] { return test::CountLabel(ListLines(w), "Login  ") == 2; }));
        EXPECT_TRUE(boxes.empty());

        // Hidden and shown again (as a restore can do): no second start.
        w.hide();
        w.show();
        test::WaitUntil([] { return false; }, 200ms);
        EXPECT_EQ(test::CountLabel(ListLines(w), "Started"), 1);
        EXPECT_TRUE(boxes.empty());

        // The list shows what the file holds, line for line.
        const auto file = test::ReadLines(root.LogPath());
        const auto list = ListLines(w);
        ASSERT_GE(file.size(), list.size());
        EXPECT_TRUE(std::equal(list.begin(), list.end(), file.end() - list.size()));
        for (const std::string& line : list) {
            const auto fields = test::SplitTabs(line);
            EXPECT_EQ(fields.size(), 5u) << line;
            EXPECT_EQ(fields[0].size(), 19u) << line;
        }
    }
    // The window is gone: the server stopped and logged it.
    const auto file = test::ReadLines(root.LogPath());
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(test::SplitTabs(file.back())[3], "Stopped");
    EXPECT_EQ(test::CountLabel(file, "Started"), 1);
}

TEST_F(MainWindowTest, LinesFromAnotherThreadLeaveTheLast100InView) {
    Start();
    TFMain w(*globals, versionInfo);
    w.show();
    ASSERT_TRUE(test::WaitUntil([&] { return ListHas(w, "Started"); }));
    std::thread worker([&] {
        for (int i = 1; i <= 150; ++i)
            w.AddLogLine("2024-03-05 07:04:09\tanna\t127.0.0.1\tRead   \tfile " +
                         std::to_string(i));
    });
    worker.join();
    ASSERT_TRUE(test::WaitUntil([&] { return ListLines(w).back().ends_with("file 150"); }));
    const auto list = ListLines(w);
    ASSERT_EQ(list.size(), 100u);
    EXPECT_TRUE(list.front().ends_with("\tfile 51"));
    for (std::size_t i = 0; i < list.size(); ++i)
        EXPECT_TRUE(list[i].ends_with("\tfile " + std::to_string(51 + i)));

    TFcTabbedListBox& box = *w.LogTabbedListBox;
    const int visible = box.ClientHeight() / box.ItemHeight();
    ASSERT_GT(visible, 0);
    ASSERT_LT(visible, 100);
    EXPECT_EQ(box.TopIndex(), 100 - visible);
    // The columns line up: one stop per TAB, as if every line had come alone.
    TFcTabbedListBox oneByOne;
    oneByOne.SetFont(box.Font());
    oneByOne.SetTabStopsMode(TFcTabStopsMode::tsmAutomatic);
    for (const std::string& line : list)
        oneByOne.Items().Add(line);
    ASSERT_EQ(box.TabStops().Count(), 4);
    ASSERT_EQ(oneByOne.TabStops().Count(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(box.TabStops()[i], oneByOne.TabStops()[i]) << i;

    // A smaller window keeps the newest line in view.
    w.resize(w.width(), w.height() - 100);
    const int fewer = box.ClientHeight() / box.ItemHeight();
    EXPECT_EQ(box.TopIndex(), 100 - fewer);
}

TEST_F(MainWindowTest, LinesQueuedForAClosedWindowAreDropped) {
    // No server object, so nothing logs on the GUI thread while the window
    // goes and the line stays queued (ASan sees any delivery to freed memory).
    Start([](TSettings& s) {
        s.UseCustomPortRange = true;
        s.PasvMinPort = 6000;
        s.PasvMaxPort = 5000;
    });
    {
        TFMain w(*globals, versionInfo);
        std::thread worker([&] { w.AddLogLine("late line"); });
        worker.join();
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowTest, ClosingWhileAClientLogsJoinsItAndDropsItsLateLines) {
    Start();
    std::atomic<int> sent = 0;
    std::thread busy;
    {
        TFMain w(*globals, versionInfo);
        w.show();
        ASSERT_TRUE(test::WaitUntil([&] { return ListHas(w, "Started"); }));
        busy = std::thread([&] {
            test::FtpClient client;
            if (client.Connect(port).code != 220 || client.Login("anna", "Secret1") != 230)
                return;
            // Every failed folder change is a line from the connection's thread;
            // the loop ends when the server closes the connection.
            while (client.Command("CWD /nowhere").code != 0)
                ++sent;
        });
        ASSERT_TRUE(test::WaitUntil([&] { return sent > 20; }));
        // Lines are still on their way to the list when the window goes.
    }
    busy.join();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const auto file = test::ReadLines(root.LogPath());
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(test::SplitTabs(file.back())[3], "Stopped");
    EXPECT_GE(test::CountLabel(file, "Error  "), 20);
}

TEST_F(MainWindowTest, BusyPortGivesTheErrorBoxAndATwoFieldLine) {
    Start();
    const test::Socket blocker = test::Listen(port);
    TFMain w(*globals, versionInfo);
    w.show();
    ASSERT_TRUE(test::WaitUntil([&] { return !boxes.empty(); }));
    ASSERT_EQ(boxes.size(), 1u);
    const gui::TMessageBoxRequest& box = boxes.front();
    EXPECT_EQ(box.Type, gui::TMsgDlgType::mtError);
    EXPECT_EQ(box.Buttons, gui::TMsgDlgButtons(gui::TMsgDlgBtn::mbOK));
    const std::string tail = "\rMaybe there is another FTP-server active on port " +
                             std::to_string(port) +
                             " or you started VDxFTPServer twice!\r"
                             "Please select another port number or close other FTP-server.";
    ASSERT_GT(box.Text.size(), tail.size());
    EXPECT_TRUE(box.Text.ends_with(tail)) << box.Text;
    const std::string message = box.Text.substr(0, box.Text.size() - tail.size());

    const auto list = ListLines(w);
    ASSERT_EQ(list.size(), 1u);
    const auto fields = test::SplitTabs(list[0]);
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].size(), 19u);
    EXPECT_EQ(fields[1], message);
    // The window only: the log file holds no start and not the error.
    EXPECT_EQ(test::CountLabel(test::ReadLines(root.LogPath()), "Started"), 0);
    for (const std::string& line : test::ReadLines(root.LogPath()))
        EXPECT_EQ(line.find(message), std::string::npos);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(MainWindowTest, ServerThatCannotBeCreatedIsReportedNotStarted) {
    Start([](TSettings& s) {
        s.UseCustomPortRange = true;
        s.PasvMinPort = 6000;
        s.PasvMaxPort = 5000;
    });
    {
        TFMain w(*globals, versionInfo);
        EXPECT_EQ(w.Server(), nullptr);
        EXPECT_TRUE(boxes.empty());
        w.show();
        ASSERT_TRUE(test::WaitUntil([&] { return !boxes.empty(); }));
        EXPECT_EQ(boxes.front().Type, gui::TMsgDlgType::mtError);
        const auto list = ListLines(w);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(test::SplitTabs(list[0]).size(), 2u);
        // Nobody listens on the port.
        test::FtpClient client;
        EXPECT_EQ(client.Connect(port).code, 0);
    }
    EXPECT_EQ(test::CountLabel(test::ReadLines(root.LogPath()), "Started"), 0);
}

TEST_F(MainWindowTest, ClientAreaBelowTheMenuBarIsTheDesignedSizeUnderEveryStyle) {
    Start();
    // The styles give the menu bar different heights.
    for (const char* style : {"windows", "fusion"}) {
        SCOPED_TRACE(style);
        QApplication::setStyle(QString::fromLatin1(style));
        {
            TFMain w(*globals, versionInfo); // no placement saved yet
            w.show();
            const QWidget& client = *w.centralWidget();
            EXPECT_EQ(QRect(client.mapTo(&w, QPoint(0, 0)), client.size()),
                      QRect(0, w.menuBar()->height(), 643, 504));
            EXPECT_EQ(w.size(), QSize(643, w.menuBar()->height() + 504));
        }
        gui::ApplyClassicLook(*qApp); // the programs' look again
        os::TRegistry(os::RootKey::CurrentUser).DeleteKey(kPlacementKey);
    }
}

TEST_F(MainWindowTest, PlacementOffEveryMonitorReopensAtTheOrigin) {
    Start();
    {
        os::TRegistry reg(os::RootKey::CurrentUser);
        ASSERT_TRUE(reg.OpenKey(kPlacementKey, true));
        reg.WriteBool("Maximized", false);
        reg.WriteInteger("Left", 5000);
        reg.WriteInteger("Top", 40);
        reg.WriteInteger("Right", 5700);
        reg.WriteInteger("Bottom", 540);
        reg.WriteBool("Saved", true);
    }
    {
        TFMain w(*globals, versionInfo);
        w.show();
        EXPECT_EQ(w.pos(), QPoint(0, 0));
        EXPECT_EQ(w.size(), QSize(700, 500));
        w.move(120, 80);
        w.close();
    }
    {
        os::TRegistry reg(os::RootKey::CurrentUser);
        ASSERT_TRUE(reg.OpenKeyReadOnly(kPlacementKey));
        EXPECT_EQ(reg.ReadInteger("Left"), 120);
        EXPECT_EQ(reg.ReadInteger("Top"), 80);
        EXPECT_EQ(reg.ReadInteger("Right"), 820);
        EXPECT_EQ(reg.ReadInteger("Bottom"), 580);
    }
    TFMain again(*globals, versionInfo);
    again.show();
    EXPECT_EQ(QRect(again.pos(), again.size()), QRect(120, 80, 700, 500));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowTest, LaterInstanceRestoresAndRaisesTheWindow) {
    Start();
    TFMain w(*globals, versionInfo);
    w.show();
    w.showMinimized();
    ASSERT_TRUE(w.isMinimized());
    gui::TSingleInstance first("VdxFtpServr");
    first.OnActivate = [&w] { w.BringToFront(); };
    ASSERT_TRUE(first.Claim());
    gui::TSingleInstance second("VdxFtpServr");
    EXPECT_FALSE(second.Claim());
    EXPECT_TRUE(test::WaitUntil([&] { return !w.isMinimized(); }));
    EXPECT_TRUE(w.isVisible());
    // The start line comes through the log writer: wait for it, then make
    // sure the raise did not start the server again.
    EXPECT_TRUE(test::WaitUntil([&] { return ListHas(w, "Started"); }));
    test::WaitUntil([] { return false; }, 100ms);
    EXPECT_EQ(test::CountLabel(ListLines(w), "Started"), 1);
}

// Runs check on the modal dialog of the next command, then closes it.
void OnNextModal(const std::function<void(QWidget&)>& check) {
    QTimer::singleShot(0, [check] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        check(*modal);
        modal->close();
    });
}

TEST_F(MainWindowTest, LaterInstanceActivatesTheOpenModalDialogNotTheBlockedWindow) {
    Start();
    TFMain w(*globals, versionInfo);
    w.show();
    ASSERT_TRUE(test::WaitUntil([&] { return ListHas(w, "Started"); }));
    gui::TSingleInstance first("VdxFtpServr");
    first.OnActivate = [&w] { w.BringToFront(); };
    ASSERT_TRUE(first.Claim());
    struct Case {
        const char* name;
        QAction* command;
    };
    for (const Case& c : {Case{"about", w.About1}, Case{"log viewer", w.OpenLogfileMenuItem}}) {
        SCOPED_TRACE(c.name);
        bool checked = false;
        OnNextModal([&](QWidget& modal) {
            checked = true;
            w.activateWindow(); // the user clicked the main window's button on the task bar
            ASSERT_TRUE(test::WaitUntil([&] { return QApplication::activeWindow() == &w; }));
            gui::TSingleInstance later("VdxFtpServr");
            EXPECT_FALSE(later.Claim());
            EXPECT_TRUE(test::WaitUntil([&] { return QApplication::activeWindow() == &modal; }));
            EXPECT_EQ(QApplication::activeModalWidget(), &modal);
        });
        c.command->trigger();
        EXPECT_TRUE(checked);
    }
    // No dialog open: the main window itself.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(test::WaitUntil([&] { return QApplication::activeWindow() == &other; }));
    gui::TSingleInstance later("VdxFtpServr");
    EXPECT_FALSE(later.Claim());
    EXPECT_TRUE(test::WaitUntil([&] { return QApplication::activeWindow() == &w; }));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowTest, OpenLogfileShowsTheWholeFileInFittedColumns) {
    Start();
    std::string text;
    for (int i = 1; i <= 150; ++i)
        text += "2024-03-05 07:04:09\tsomeone-with-a-long-name\t10.0.0.1\tWrite  \tf" +
                std::to_string(i) + "\r\n";
    test::WriteFileBytes(root.LogPath(), text);
    TFMain w(*globals, versionInfo);
    bool checked = false;
    OnNextModal([&](QWidget& modal) {
        auto* dlg = qobject_cast<TFViewLogDlg*>(&modal);
        ASSERT_NE(dlg, nullptr);
        checked = true;
        EXPECT_EQ(dlg->windowTitle(), "View Logfile");
        EXPECT_EQ(dlg->size(), QSize(598, 502));
        EXPECT_EQ(dlg->minimumSize(), dlg->size()); // a dialog border
        EXPECT_EQ(dlg->maximumSize(), dlg->size());
        const auto& items = dlg->LogTabbedListBox->Items();
        ASSERT_EQ(items.Count(), 150);
        EXPECT_EQ(items[149],
                  "2024-03-05 07:04:09\tsomeone-with-a-long-name\t10.0.0.1\tWrite  \tf150");
        // One stop per field, fitted as if the lines had come one by one.
        TFcTabbedListBox oneByOne;
        oneByOne.SetFont(dlg->LogTabbedListBox->Font());
        oneByOne.SetTabStopsMode(TFcTabStopsMode::tsmAutomatic);
        for (int i = 0; i < items.Count(); ++i)
            oneByOne.Items().Add(items[i]);
        ASSERT_EQ(oneByOne.RowTabStops().size(), 4u);
        EXPECT_EQ(dlg->LogTabbedListBox->RowTabStops(), oneByOne.RowTabStops());
        EXPECT_EQ(dlg->LogTabbedListBox->geometry(), QRect(8, 8, 598 - 16, 502 - 40 - 16));
        EXPECT_EQ(gui::QStringToAnsi(dlg->BtnOK->text()), "Sluiten");
        EXPECT_EQ(dlg->BtnOK->x(), 598 - 81);
        EXPECT_FALSE(dlg->BtnCancel->isVisible());
        EXPECT_FALSE(dlg->BtnHelp->isVisible());
        dlg->grab().save(QString::fromUtf8(VDX_DESKTOP_ARTEFACT_DIR "/VdxFtpServer-viewlog.png"));
    });
    w.OpenLogfileMenuItem->trigger();
    EXPECT_TRUE(checked);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindowTest, MissingLogfileIsReportedAndNoViewerStays) {
    Start();
    TFMain w(*globals, versionInfo); // never shown: no server start, no log file
    w.OpenLogfileMenuItem->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Type, gui::TMsgDlgType::mtError);
    EXPECT_NE(boxes[0].Text.find("VdxFtpServer.log"), std::string::npos) << boxes[0].Text;
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindowTest, UsersAboutAndExitCommands) {
    Start();
    TFMain w(*globals, versionInfo);
    w.show();
    ASSERT_TRUE(test::WaitUntil([&] { return ListHas(w, "Started"); }));

    w.UsersMenuItem->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Type, gui::TMsgDlgType::mtInformation);
    EXPECT_EQ(boxes[0].Text,
              "Use the program \"VdxUserAdmin\" for adding and editing user properties.");

    bool about = false;
    OnNextModal([&](QWidget& modal) { about = qobject_cast<TFAboutDlg*>(&modal) != nullptr; });
    w.About1->trigger();
    EXPECT_TRUE(about);

    EXPECT_EQ(w.SettingsMenuItem->text(), "Settings");
    EXPECT_TRUE(w.SettingsMenuItem->isEnabled());
    w.ExitMenuItem->trigger();
    EXPECT_FALSE(w.isVisible());
}

TEST_F(MainWindowTest, Picture) {
    Start();
    TFMain w(*globals, versionInfo);
    w.show();
    ASSERT_TRUE(test::WaitUntil([&] { return ListHas(w, "Started"); }));
    for (int i = 1; i <= 5; ++i)
        w.AddLogLine("2024-03-05 07:04:0" + std::to_string(i) +
                     "\tanna\t127.0.0.1\tWrite  \t/VdxTxtServer/transfer/anna/page" +
                     std::to_string(100 + i) + ".tti");
    const QColor canary(0x12, 0x34, 0x56);
    QImage picture(w.size(), QImage::Format_RGB32);
    picture.fill(canary);
    w.render(&picture);
    picture.save(QString::fromUtf8(VDX_DESKTOP_ARTEFACT_DIR "/VdxFtpServer-main.png"));

    const int top = w.menuBar()->height();
    const QColor face = gui::ToQColor(gui::clBtnFace);
    const QColor window = gui::ToQColor(gui::clWindow);
    // The panel (left of the labels) and the margin round the list.
    EXPECT_EQ(picture.pixelColor(4, top + 4), face);
    EXPECT_EQ(picture.pixelColor(4, top + 33 + 4), face);
    EXPECT_EQ(picture.pixelColor(w.width() - 4, w.height() - 4), face);
    // Inside the list below the last line.
    const QRect list(w.LogTabbedListBox->mapTo(&w, QPoint(0, 0)), w.LogTabbedListBox->size());
    EXPECT_EQ(picture.pixelColor(list.center().x(), list.bottom() - 6), window);
    int canaries = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            canaries += picture.pixelColor(x, y) == canary;
    EXPECT_EQ(canaries, 0);
}

} // namespace
} // namespace vdx
