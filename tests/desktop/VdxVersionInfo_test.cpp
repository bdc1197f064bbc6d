// Version strings, the application title and the About box.

#include "ftpdesktop/VdxVersionInfo.h"

#include "ftpdesktop/VFAboutDlg.h"
#include "platform/gui/ansi_text.h"
#include "platform/gui/color.h"
#include "platform/gui/message_box.h"
#include "platform/os/paths.h"

#include <QDate>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include <gtest/gtest.h>

#include <string>

namespace vdx {
namespace {

// Puts the application title back.
class TitleGuard {
public:
    explicit TitleGuard(const std::string& title) : m_saved(gui::ApplicationTitle()) {
        gui::SetApplicationTitle(title);
    }
    ~TitleGuard() { gui::SetApplicationTitle(m_saved); }
    TitleGuard(const TitleGuard&) = delete;
    TitleGuard& operator=(const TitleGuard&) = delete;

private:
    std::string m_saved;
};

std::string Text(const QLabel* label) {
    return gui::QStringToAnsi(label->text());
}

TEST(TVersionInfo, SecondDotPosition) {
    struct Case {
        const char* text;
        int pos;
    };
    for (const Case& c : {Case{"3.1.1.1", 4}, Case{"5.2", -1}, Case{"", -1}, Case{"..", 2},
                          Case{"10.20.30", 6}, Case{"abc", -1}})
        EXPECT_EQ(TVersionInfo::SecondDotPos(c.text), c.pos) << c.text;
}

TEST(TVersionInfo, ThisProgramsVersionAndTitle) {
    const TVersionInfo info; // this test program carries 3.1.1.1 / VdxFtpServer
    EXPECT_EQ(info.GetFileVersion(), "3.1.1.1");
    EXPECT_EQ(info.GetShortVersion(), "3.1");
    EXPECT_EQ(info.GetBuild(), "1.1");
    TitleGuard title("before");
    info.SetApplicationTitle();
    EXPECT_EQ(gui::ApplicationTitle(), "VdxFtpServer");
}

TEST(TVersionInfo, SingleDotVersionAndEmptyProductName) {
    const TVersionInfo info(VDX_VERSION_PROBE_52);
    EXPECT_EQ(info.GetFileVersion(), "5.2");
    EXPECT_EQ(info.GetShortVersion(), "");
    EXPECT_EQ(info.GetBuild(), "5.2");
    TitleGuard title("before");
    info.SetApplicationTitle();
    EXPECT_EQ(gui::ApplicationTitle(), "before");
}

TEST(TFAboutDlg, VersionLineDateAndNotice) {
    const TVersionInfo info;
    const std::string program = os::ProgramPath();
    TFAboutDlg dlg(nullptr, info, program);

    const QDateTime modified = QFileInfo(QString::fromStdString(program)).lastModified();
    const std::string date =
        gui::QStringToAnsi(QLocale::system().toString(modified.date(), QLocale::ShortFormat));
    EXPECT_EQ(Text(dlg.VersionLabel), "Version 3.1 build 1.1   " + date);
    const std::string notice = Text(dlg.NoticeLabel);
    const std::string range = "-" + std::to_string(modified.date().year());
    ASSERT_GE(notice.size(), range.size());
    EXPECT_EQ(notice.substr(notice.size() - range.size()), range) << notice;

    // Placed as the create step computes it.
    EXPECT_EQ(dlg.size(), QSize(348, 225));
    EXPECT_EQ(dlg.windowTitle(), "VARDEX");
    EXPECT_EQ(dlg.Image1->x(), (329 - dlg.Image1->width()) / 2);
    EXPECT_EQ(dlg.Label6->x(), (329 - dlg.Label6->width()) / 2 + 2);
    EXPECT_EQ(dlg.la_program->x(), dlg.Label6->x() - 4);
    EXPECT_EQ(dlg.CloseButton->geometry(), QRect(136, 188, 75, 25));
    EXPECT_EQ(dlg.NoticeLabel->geometry().right() + 1, 192 + 121);

    dlg.show();
    EXPECT_EQ(gui::QStringToAnsi(dlg.CloseButton->text()), "Sluiten");

    // Single border, white inside; kept as a picture beside the main window's.
    const QColor canary(0x12, 0x34, 0x56);
    QImage picture(dlg.size(), QImage::Format_RGB32);
    picture.fill(canary);
    dlg.render(&picture);
    picture.save(QString::fromUtf8(VDX_DESKTOP_ARTEFACT_DIR "/VdxFtpServer-about.png"));
    EXPECT_EQ(picture.pixelColor(0, 0), gui::ToQColor(gui::clWindowFrame));
    EXPECT_EQ(picture.pixelColor(347, 224), gui::ToQColor(gui::clWindowFrame));
    EXPECT_EQ(picture.pixelColor(4, 100), gui::ToQColor(gui::clWhite));
    int canaries = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            canaries += picture.pixelColor(x, y) == canary;
    EXPECT_EQ(canaries, 0);
    EXPECT_FALSE(dlg.CloseButton->autoDefault());
    dlg.CloseButton->click();
    EXPECT_EQ(dlg.result(), gui::mrOk);
}

TEST(TFAboutDlg, NoticeYearsAndUnknownDate) {
    const std::string notice = TFAboutDlg::NoticeText(2031);
    EXPECT_EQ(notice.substr(notice.size() - 10), " 2003-2031");
    const TVersionInfo info(VDX_VERSION_PROBE_52);
    EXPECT_EQ(TFAboutDlg::VersionText(info, std::nullopt), "Version  build 5.2   ");
    // A program file that cannot be found shows no date rather than 1899.
    EXPECT_FALSE(TFAboutDlg::ProgramFileDate("/nonexistent/VdxFtpServer").has_value());
}

} // namespace
} // namespace vdx
