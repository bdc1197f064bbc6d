// libFuzzer target: control-connection input through the line reader, the command parser, the
// LIST argument split and the path resolver, checking what the server relies on.

#include "platform/ftp/command_line.h"
#include "platform/ftp/limits.h"
#include "platform/ftp/path_resolver.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void CheckPath(const std::string& cwd, const std::string& arg) {
    const auto path = vdx::ftp::ResolveFtpPath(cwd, arg);
    if (!path) {
        const std::string_view forbidden("\0\r\n", 3);
        Check((cwd + arg).find_first_of(forbidden) != std::string::npos ||
              cwd.size() + arg.size() + 1 > vdx::ftp::kMaxFtpPath);
        return;
    }
    const std::string& p = *path;
    Check(!p.empty() && p.front() == '/' && p.size() <= vdx::ftp::kMaxFtpPath);
    Check(p == "/" || p.back() != '/');
    Check(p.find('\\') == std::string::npos && p.find("//") == std::string::npos);
    const std::string padded = p + "/";
    Check(padded.find("/../") == std::string::npos && padded.find("/./") == std::string::npos);
    Check(vdx::ftp::ResolveFtpPath("/other", p) == p); // canonical
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    constexpr std::size_t kLimit = 64; // small, so that fuzzed inputs reach the overlong path

    // The first byte picks where the stream is cut into two reads.
    const std::size_t cut = size ? data[0] % (size + 1) : 0;
    vdx::ftp::LineReader whole(kLimit), split(kLimit);
    const std::vector<vdx::ftp::InputLine> lines = whole.Feed(input);
    std::vector<vdx::ftp::InputLine> splitLines = split.Feed(input.substr(0, cut));
    for (auto& l : split.Feed(input.substr(cut)))
        splitLines.push_back(std::move(l));
    Check(lines.size() == splitLines.size());
    Check(whole.InLine() == split.InLine());

    for (std::size_t i = 0; i < lines.size(); ++i) {
        const vdx::ftp::InputLine& line = lines[i];
        Check(line.text == splitLines[i].text && line.overlong == splitLines[i].overlong);
        Check(line.text.size() <= kLimit && line.text.find('\n') == std::string::npos);
        Check(!line.overlong || line.text.empty());

        const vdx::ftp::CommandLine cmd = vdx::ftp::ParseCommandLine(line.text);
        Check(cmd.verb.find(' ') == std::string::npos);
        Check(cmd.verb.size() + cmd.argument.size() + (cmd.verb.size() < line.text.size()) ==
              line.text.size());
        for (char c : cmd.verb)
            Check(c < 'a' || c > 'z');

        const vdx::ftp::ListArguments list = vdx::ftp::SplitListArguments(cmd.argument);
        Check(list.path.size() + list.switches.size() <= cmd.argument.size());

        CheckPath("/u/" + cmd.verb, cmd.argument);
        CheckPath("/", list.path);
    }
    return 0;
}
