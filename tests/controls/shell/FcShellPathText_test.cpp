#include "controls/shell/FcShellPathText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx {
namespace {

// One unit a byte: the widths of the steps are their lengths.
int Bytes(std::string_view text) {
    return static_cast<int>(text.size());
}

TEST(FcShellPathTextTest, LeadingFoldersGiveWayToAnEllipsis) {
    const std::string path = "/home/Program Files/Tools/Ftp";
    struct Step {
        int width;
        const char* shown;
    };
    const std::vector<Step> steps = {{100, "/home/Program Files/Tools/Ftp"},
                                     {28, "/.../Program Files/Tools/Ftp"},
                                     {20, "/.../Tools/Ftp"},
                                     {13, "/.../Ftp"},
                                     {7, ".../Ftp"},
                                     {6, "Ftp"},
                                     {1, "Ftp"}};
    for (const Step& s : steps)
        EXPECT_EQ(ShortenPathToWidth(path, s.width, Bytes), s.shown) << s.width;
    EXPECT_EQ(ShortenPathToWidth("/.../Tools/Ftp", 3, Bytes), "Ftp");
    EXPECT_EQ(ShortenPathToWidth("", 0, Bytes), "");
    EXPECT_EQ(ShortenPathToWidth("/", 0, Bytes), "");
}

TEST(FcShellPathTextTest, DropFirstFolder) {
    EXPECT_EQ(DropFirstFolder("/"), "");
    EXPECT_EQ(DropFirstFolder("/a/b/"), "/.../b/");
    EXPECT_EQ(DropFirstFolder("/.../b/"), "/.../");
    EXPECT_EQ(DropFirstFolder(".../"), "");
    // A folder of its own that begins with a dot is a folder like any other.
    EXPECT_EQ(DropFirstFolder("/.config/app/"), "/.../app/");
}

} // namespace
} // namespace vdx
