#pragma once
// Control-connection input: cutting the byte stream into command lines (with a bound on their
// length and Telnet sequences removed) and splitting a line into verb and argument.

#include "platform/ftp/limits.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vdx::ftp {

struct CommandLine {
    std::string verb;     // up to the first blank, ASCII upper case; empty for an empty line
    std::string argument; // raw bytes after exactly one blank (further blanks are kept)
};

// Splits a line (without its line end) at the first blank. "RETR  x" gives the argument " x":
// file names may begin with blanks.
CommandLine ParseCommandLine(std::string_view line);

// LIST / NLST arguments: the leading words beginning with "-" (at least one letter after it) are
// switches, the rest is the path or name pattern.
struct ListArguments {
    std::string switches; // the switch letters without their "-", in order: "-la -s" gives "las"
    std::string path;     // the rest after the blank that ends the last switch word, verbatim
};
ListArguments SplitListArguments(std::string_view argument);

// One item produced by LineReader::Feed.
struct InputLine {
    std::string text;      // the line without its line end; empty when overlong
    bool overlong = false; // the line passed the limit: answer one error reply; its remaining bytes
                           // up to the next LF are dropped without further notice
};

// Cuts the control-connection byte stream into lines.
// - A line ends at LF; one CR right before the LF is dropped with it. Other CR bytes stay in the
// line.
// - Telnet sequences are removed wherever they appear: IAC IAC gives one 0xFF byte; IAC WILL, WONT,
//   DO or DONT and its option byte vanish; IAC with any other command byte (IP, DM, AO, NOP, ...)
//   vanishes. An IAC followed by an ordinary byte is kept with that byte: clients send the 0xFF of
//   8-bit file names undoubled. Sequences may be split across Feed calls. The control socket must
//   have SO_OOBINLINE so the urgent Data Mark of an abort stays in order.
// - A line longer than maxLine is reported once, at the moment it passes the limit, then skipped up
//   to its LF; at most maxLine bytes are ever buffered.
// - Lines come out in the order they were sent, however they were split into reads.
class LineReader {
public:
    explicit LineReader(std::size_t maxLine = kMaxCommandLine) : m_maxLine(maxLine) {}

    // Consumes bytes; returns the lines (and overlong reports) they complete, in order.
    std::vector<InputLine> Feed(std::string_view bytes);

    // True while a started line (or a line being discarded) waits for its LF.
    bool InLine() const { return !m_line.empty() || m_pendingCr || m_discarding; }

private:
    enum class Telnet { Data, Iac, Option };

    void AddDataByte(char byte, std::vector<InputLine>& out);
    void AppendToLine(char byte, std::vector<InputLine>& out);

    std::size_t m_maxLine;
    std::string m_line;
    Telnet m_telnet = Telnet::Data;
    bool m_pendingCr = false; // a CR waits to see whether LF follows
    bool m_discarding = false;
};

} // namespace vdx::ftp
