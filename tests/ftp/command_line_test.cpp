#include "platform/ftp/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx::ftp {
namespace {

using namespace std::string_literals;

TEST(ParseCommandLine, SplitsVerbAndArgument) {
    const struct {
        const char* name;
        std::string line, verb, argument;
    } cases[] = {
        {"plain", "USER anna", "USER", "anna"},
        {"lower case verb", "user anna", "USER", "anna"},
        {"argument case kept", "cwd /Mixed/Case", "CWD", "/Mixed/Case"},
        {"no argument", "NOOP", "NOOP", ""},
        {"blank but empty argument", "CWD ", "CWD", ""},
        {"leading blanks of a name kept", "RETR  x", "RETR", " x"},
        {"inner and trailing blanks kept", "STOR a b ", "STOR", "a b "},
        {"empty line", "", "", ""},
        {"only ASCII upper-cased", "r\xE4tr x", "R\xE4TR", "x"},
        {"raw bytes in argument", "STOR \xFF\x01", "STOR", "\xFF\x01"},
    };
    for (const auto& c : cases) {
        const CommandLine parsed = ParseCommandLine(c.line);
        EXPECT_EQ(parsed.verb, c.verb) << c.name;
        EXPECT_EQ(parsed.argument, c.argument) << c.name;
    }
}

TEST(SplitListArguments, SeparatesSwitchesFromPath) {
    const struct {
        const char* name;
        std::string argument, switches, path;
    } cases[] = {
        {"nothing", "", "", ""},
        {"only a switch", "-la", "la", ""},
        {"switch and path", "-l /dir", "l", "/dir"},
        {"several switch words", "-l -s x y", "ls", "x y"},
        {"path first", "x -l", "", "x -l"},
        {"lone dash is a name", "-", "", "-"},
        {"dash blank is a name", "- x", "", "- x"},
        {"blank after switches kept", "-l  x", "l", " x"},
        {"pattern", "-a *.txt", "a", "*.txt"},
    };
    for (const auto& c : cases) {
        const ListArguments split = SplitListArguments(c.argument);
        EXPECT_EQ(split.switches, c.switches) << c.name;
        EXPECT_EQ(split.path, c.path) << c.name;
    }
}

// Line texts with "!" standing for an overlong report.
std::vector<std::string> Texts(const std::vector<InputLine>& lines) {
    std::vector<std::string> texts;
    for (const InputLine& l : lines)
        texts.push_back(l.overlong ? "!" : l.text);
    return texts;
}

std::vector<std::string> FeedAll(LineReader& reader, const std::string& input) {
    return Texts(reader.Feed(input));
}

TEST(LineReader, CutsLinesAndStripsTelnet) {
    const struct {
        const char* name;
        std::string input;
        std::vector<std::string> lines;
    } cases[] = {
        {"pipelined commands in order", "USER a\r\nPASS b\r\nPWD\n", {"USER a", "PASS b", "PWD"}},
        {"bare LF ends a line", "NOOP\nNOOP\n", {"NOOP", "NOOP"}},
        {"empty lines", "\r\n\n", {"", ""}},
        {"inner CR kept", "A\rB\r\n", {"A\rB"}},
        {"CR CR LF keeps one CR", "A\r\r\n", {"A\r"}},
        {"incomplete line held back", "USER a\r\nPAS", {"USER a"}},
        {"urgent abort",
         "\xFF\xF4\xFF\xF2"
         "ABOR\r\n",
         {"ABOR"}},
        {"undoubled 0xFF of a file name kept",
         "STOR \xFF"
         "b\r\n",
         {"STOR \xFF"
          "b"}},
        {"escaped IAC is data",
         "STOR a\xFF\xFF"
         "b\r\n",
         {"STOR a\xFF"
          "b"}},
        {"option negotiation dropped", "\xFF\xFB\x01\xFF\xFE\x03NOOP\r\n", {"NOOP"}},
        {"IAC NOP dropped", "NO\xFF\xF1OP\r\n", {"NOOP"}},
        {"IAC inside line end", "NOOP\r\xFF\xF1\n", {"NOOP"}},
        {"NUL kept for the resolver", "CWD a\0b\r\n"s, {"CWD a\0b"s}},
    };
    for (const auto& c : cases) {
        LineReader reader;
        EXPECT_EQ(FeedAll(reader, c.input), c.lines) << c.name;
    }
}

// However the stream is cut into reads, the same lines come out.
TEST(LineReader, ResultDoesNotDependOnReadBoundaries) {
    const std::string input = "USER a\r\n\xFF\xF4\xFF\xF2"
                              "ABOR\r\nX\xFF\xFFY\r\n\xFF\xFD\x01"
                              "0123456789abcdef\r\nNOOP\r";
    LineReader whole(12);
    const auto expected = FeedAll(whole, input);
    ASSERT_EQ(expected, (std::vector<std::string>{"USER a", "ABOR", "X\xFFY", "!"}));
    for (std::size_t cut = 0; cut <= input.size(); ++cut) {
        LineReader reader(12);
        auto lines = FeedAll(reader, input.substr(0, cut));
        for (auto& l : FeedAll(reader, input.substr(cut)))
            lines.push_back(l);
        EXPECT_EQ(lines, expected) << "cut at " << cut;
        EXPECT_TRUE(reader.InLine());
    }
    LineReader bytewise(12);
    std::vector<std::string> lines;
    for (char c : input)
        for (auto& l : FeedAll(bytewise, std::string(1, c)))
            lines.push_back(l);
    EXPECT_EQ(lines, expected);
}

TEST(LineReader, OverlongLineIsReportedOnceThenSkipped) {
    const struct {
        const char* name;
        std::string input;
        std::vector<std::string> lines;
    } cases[] = {
        {"exactly the limit", "12345678\r\n", {"12345678"}},
        {"limit with bare LF", "12345678\n", {"12345678"}},
        {"one byte over", "123456789\r\nNOOP\r\n", {"!", "NOOP"}},
        {"CR inside counts", "12345678\rx\r\nNOOP\n", {"!", "NOOP"}},
        {"far over", std::string(1000, 'x') + "\r\nPWD\r\n", {"!", "PWD"}},
        {"escaped IAC counts", std::string(18, '\xFF') + "\r\nPWD\n", {"!", "PWD"}},
        {"telnet commands do not count", "NO\xFF\xF1\xFF\xF1\xFF\xF1\xFF\xF1OP\r\n", {"NOOP"}},
        {"two overlong lines", "123456789\n123456789\nok\n", {"!", "!", "ok"}},
    };
    for (const auto& c : cases) {
        LineReader reader(8);
        EXPECT_EQ(FeedAll(reader, c.input), c.lines) << c.name;
        EXPECT_FALSE(reader.InLine()) << c.name;
    }
}

TEST(LineReader, RealLimitAcrossManyReads) {
    LineReader reader;
    const std::string chunk(1000, 'A');
    std::vector<std::string> lines;
    auto feed = [&](const std::string& s) {
        for (auto& l : FeedAll(reader, s))
            lines.push_back(l);
    };
    feed("STOR ");
    for (int i = 0; i < 100; ++i) // 100 kB without a line end
        feed(chunk);
    EXPECT_EQ(lines, std::vector<std::string>{"!"});
    EXPECT_TRUE(reader.InLine());
    feed("\r\nSTOR " + std::string(kMaxCommandLine - 5, 'b') + "\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].size(), kMaxCommandLine);
    EXPECT_FALSE(reader.InLine());
}

} // namespace
} // namespace vdx::ftp
