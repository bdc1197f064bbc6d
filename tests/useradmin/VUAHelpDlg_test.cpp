#include "useradmin/VUAHelpDlg.h"

#include "platform/os/file_error.h"
#include "useradmin/VUAGlobals.h"

#include "InstallRoot.h"

#include <QPushButton>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <filesystem>

namespace vdx {
namespace {

TEST(Help, TheShippedManualShowsAsTextWithoutControlWords) {
    TUAHelpDlg dlg;
    dlg.LoadFile(VDX_HELP_FILE);
    EXPECT_EQ(dlg.FileName, VDX_HELP_FILE);
    const QString text = dlg.TextRichEdit->toPlainText();
    EXPECT_GT(text.size(), 1000);
    EXPECT_TRUE(text.contains(QStringLiteral("Vardex User Admin")));
    for (const char* leak :
         {"\\par", "\\b", "\\f", "{", "}", "Tahoma", "Verdana", "fonttbl", "generator"})
        EXPECT_FALSE(text.contains(QString::fromLatin1(leak))) << leak;
    EXPECT_EQ(dlg.windowTitle(), "Vardex User Admin Help");
    EXPECT_EQ(dlg.size(), QSize(589, 588));
    EXPECT_TRUE(dlg.TextRichEdit->isReadOnly());
    dlg.show();
    EXPECT_TRUE(dlg.BtnCancel->isHidden());
    EXPECT_TRUE(dlg.BtnHelp->isHidden());
    EXPECT_EQ(dlg.BtnOK->x(), dlg.width() - 81);
    dlg.grab().save(QStringLiteral(VDX_USERADMIN_ARTEFACT_DIR "/VdxUserAdmin-help.png"));
}

TEST(Help, AMissingFileRaisesBeforeAnythingShows) {
    test::InstallRoot root;
    std::filesystem::create_directories(root.Root() + "VdxUserAdmin");
    const TUAGlobals globals(root.Root() + "VdxUserAdmin/VdxUserAdmin");
    EXPECT_EQ(HelpFileName(globals), root.Root() + "VdxUserAdmin/VdxUserAdmin.rtf");
    EXPECT_THROW(ShowHelp(nullptr, globals), os::FileError);
    TUAHelpDlg dlg;
    EXPECT_THROW(dlg.LoadFile(HelpFileName(globals)), os::FileError);
    EXPECT_TRUE(dlg.FileName.empty());
}

} // namespace
} // namespace vdx
