#include "platform/ftp/path_resolver.h"

#include "platform/ftp/limits.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace vdx::ftp {
namespace {

using namespace std::string_literals;

struct Case {
    const char* name;
    std::string cwd;
    std::string arg;
    std::string expected;
};

TEST(ResolveFtpPath, ResolvesAgainstCurrentFolder) {
    const Case cases[] = {
        {"empty arg is cwd", "/a/b", "", "/a/b"},
        {"dot is cwd", "/a/b", ".", "/a/b"},
        {"relative name", "/a", "b", "/a/b"},
        {"absolute name", "/a", "/x/y", "/x/y"},
        {"parent", "/a/b", "..", "/a"},
        {"parent with backslash", "/a/b", "..\\", "/a"},
        {"backslash absolute", "/a", "\\windows\\system", "/windows/system"},
        {"mixed separators", "/a/b", "x/..\\../y", "/a/y"},
        {"trailing separators", "/a", "dir///", "/a/dir"},
        {"repeated separators", "/", "//x///y//", "/x/y"},
        {"cwd with trailing slash", "/a/", "b", "/a/b"},
        {"empty cwd is root", "", "b", "/b"},
        {"root stays root", "/", "", "/"},
        {"tilde is literal", "/a", "~", "/a/~"},
        {"tilde path is literal", "/a", "~/x", "/a/~/x"},
        {"percent is not decoded", "/a", "%2e%2e", "/a/%2e%2e"},
        {"percent slash not decoded", "/a", "%2e%2e%2f%2e%2e", "/a/%2e%2e%2f%2e%2e"},
        {"three dots is a name", "/a", "...", "/a/..."},
        {"dot dot blank is a name", "/a", ".. ", "/a/.. "},
        {"leading blank kept", "/a", " x", "/a/ x"},
        {"drive letter is a name", "/a", "C:\\x", "/a/C:/x"},
        {"high bytes kept", "/", "\xE4\xFF", "/\xE4\xFF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveFtpPath(c.cwd, c.arg), c.expected) << c.name;
}

TEST(ResolveFtpPath, EscapeAttemptsStopAtRoot) {
    const Case cases[] = {
        {"dotdot from root", "/", "..", "/"},
        {"many dotdots", "/home/u", "../../../../..", "/"},
        {"absolute dotdots", "/home/u", "/../..", "/"},
        {"descend then climb", "/", "a/../../..", "/"},
        {"backslash dotdots", "/home/u", "\\..\\..", "/"},
        {"backslash relative dotdots", "/home/u", "..\\..\\..\\etc\\passwd", "/etc/passwd"},
        {"mixed climb", "/home/u", "../..\\../x", "/x"},
        {"climb then descend", "/", "../../x/../y", "/y"},
        {"dot segments", "/a", "./././../..", "/"},
        {"climb in cwd", "/../../a", "..", "/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveFtpPath(c.cwd, c.arg), c.expected) << c.name;
}

TEST(ResolveFtpPath, RefusesLineEndsNulAndOverlongPaths) {
    const struct {
        const char* name;
        std::string cwd, arg;
    } cases[] = {
        {"NUL in arg", "/", "a\0b"s},
        {"CR in arg", "/", "a\rb"},
        {"LF in arg", "/", "a\n"},
        {"LF in cwd", "/a\n", "b"},
        {"too long", "/", std::string(kMaxFtpPath, 'x')},
        {"too long through cwd", "/" + std::string(kMaxFtpPath - 2, 'x'), "yy"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveFtpPath(c.cwd, c.arg), std::nullopt) << c.name;

    EXPECT_EQ(ResolveFtpPath("/", std::string(kMaxFtpPath - 1, 'x'))->size(), kMaxFtpPath);
}

// Every combination of a few hostile pieces gives a canonical absolute path that resolves to
// itself again.
TEST(ResolveFtpPath, CombinationsGiveCanonicalPaths) {
    const std::array<std::string, 8> pieces = {"..", ".", "/", "\\", "a", "..\\", "../", "b/"};
    std::string arg;
    for (std::size_t n = 0; n < pieces.size() * pieces.size() * pieces.size() * pieces.size();
         ++n) {
        arg.clear();
        for (std::size_t k = n, i = 0; i < 4; ++i, k /= pieces.size())
            arg += pieces[k % pieces.size()];
        const auto path = ResolveFtpPath("/u", arg);
        ASSERT_TRUE(path) << arg;
        const std::string& p = *path;
        EXPECT_EQ(p.front(), '/') << arg;
        EXPECT_EQ(p.find('\\'), std::string::npos) << arg;
        EXPECT_EQ(p.find("//"), std::string::npos) << arg;
        EXPECT_TRUE(p == "/" || p.back() != '/') << arg;
        EXPECT_EQ((p + "/").find("/../"), std::string::npos) << arg;
        EXPECT_EQ((p + "/").find("/./"), std::string::npos) << arg;
        EXPECT_EQ(ResolveFtpPath("/elsewhere", p), p) << arg;
    }
}

} // namespace
} // namespace vdx::ftp
