// The shell's boxes on Qt: the clipboard's three forms of files, the
// progress dialog's cancel and the one box of skipped or failed items.
#include "platform/gui/shell_boxes.h"

#include "platform/gui/message_box.h"
#include "platform/shell/shell_data.h"
#include "platform/shell/shell_folder.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QProgressDialog>

#include <gtest/gtest.h>

#include <cerrno>

namespace vdx::gui {
namespace {

std::string Format(const QMimeData& data, const char* type) {
    const QByteArray bytes = data.data(type);
    return std::string(bytes.constData(), std::size_t(bytes.size()));
}

TEST(ShellBoxes, ClipboardHoldsTheThreeForms) {
    TShellBoxes boxes(nullptr);
    const shell::IdList parent = shell::ComputerIdList();
    const shell::IdList item = shell::IdList::FromItem(shell::MakeVolumeItem("/media/stick"));
    const std::vector<std::string> paths = {"/media/stick", "/tmp/a b\xFF"};
    boxes.SetClipboardFiles(parent, {&item, 1}, paths, true);

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data);
    const std::string block = Format(*data, "application/x-vdx-shell-idlist-array");
    const auto array = shell::ParseIdListArray(
        {reinterpret_cast<const std::uint8_t*>(block.data()), block.size()});
    ASSERT_TRUE(array);
    EXPECT_EQ(array->Parent, parent);
    EXPECT_EQ(array->Items, std::vector<shell::IdList>{item});
    EXPECT_EQ(Format(*data, "text/uri-list"), "file:///media/stick\r\nfile:///tmp/a%20b%FF\r\n");
    EXPECT_EQ(Format(*data, "x-special/gnome-copied-files"),
              "cut\nfile:///media/stick\nfile:///tmp/a%20b%FF");
    EXPECT_EQ(boxes.ClipboardFiles(), (std::pair{true, paths}));

    // Another program's uri-list alone is a copy.
    auto other = std::make_unique<QMimeData>();
    other->setData("text/uri-list", "# from elsewhere\r\nfile:///x\r\n");
    QGuiApplication::clipboard()->setMimeData(other.release());
    EXPECT_EQ(boxes.ClipboardFiles(), (std::pair{false, std::vector<std::string>{"/x"}}));

    boxes.ClearClipboardFiles();
    EXPECT_FALSE(boxes.ClipboardFiles());
}

TEST(ShellBoxes, ProgressCancelsAndProblemsShowInOneBoxEach) {
    std::vector<TMessageBoxRequest> shown;
    TScopedMessageBoxHandler scope([&](const TMessageBoxRequest& r) {
        shown.push_back(r);
        return mrOk;
    });
    TShellBoxes boxes(nullptr);
    EXPECT_TRUE(boxes.TransferProgress(10, 100, "a.txt"));
    ASSERT_TRUE(boxes.Progress());
    EXPECT_EQ(boxes.Progress()->value(), 100);
    EXPECT_EQ(boxes.Progress()->labelText(), "a.txt");
    boxes.Progress()->cancel();
    EXPECT_FALSE(boxes.TransferProgress(20, 100, "a.txt"));

    boxes.TransferSkipped({"a.txt", "b"});
    EXPECT_FALSE(boxes.Progress()); // closed before the box
    boxes.TransferFailed({{"dir", EINVAL}, {"c", EACCES}});
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[0].Text.find("'a.txt'\r'b'"), std::string::npos) << shown[0].Text;
    EXPECT_NE(shown[0].Text.find("Nothing was overwritten"), std::string::npos);
    EXPECT_NE(shown[1].Text.find("'dir': A folder cannot go into itself."), std::string::npos)
        << shown[1].Text;
    EXPECT_NE(shown[1].Text.find("'c': "), std::string::npos);
    EXPECT_EQ(shown[1].Type, TMsgDlgType::mtError);
}

} // namespace
} // namespace vdx::gui
