#include "platform/ftp/command_line.h"

#include "platform/os/ascii.h"

namespace vdx::ftp {

namespace {

constexpr unsigned char kIac = 255;
constexpr unsigned char kWill = 251; // WILL, WONT, DO, DONT: 251..254, each takes an option byte
constexpr unsigned char kDont = 254;
constexpr unsigned char kFirstCommand = 240; // SE; every Telnet command byte is 240..255

} // namespace

CommandLine ParseCommandLine(std::string_view line) {
    CommandLine result;
    const std::size_t blank = line.find(' ');
    const std::string_view verb = line.substr(0, blank);
    result.verb.reserve(verb.size());
    for (char c : verb)
        result.verb += os::AsciiUpper(c);
    if (blank != std::string_view::npos)
        result.argument.assign(line.substr(blank + 1));
    return result;
}

ListArguments SplitListArguments(std::string_view argument) {
    ListArguments result;
    std::size_t pos = 0;
    while (pos + 1 < argument.size() && argument[pos] == '-' && argument[pos + 1] != ' ') {
        std::size_t end = argument.find(' ', pos);
        if (end == std::string_view::npos)
            end = argument.size();
        result.switches.append(argument.substr(pos + 1, end - pos - 1));
        pos = end < argument.size() ? end + 1 : end;
    }
    result.path.assign(argument.substr(pos));
    return result;
}

std::vector<InputLine> LineReader::Feed(std::string_view bytes) {
    std::vector<InputLine> out;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (m_telnet) {
        case Telnet::Data:
            if (byte == kIac)
                m_telnet = Telnet::Iac;
            else
                AddDataByte(c, out);
            break;
        case Telnet::Iac:
            if (byte == kIac) {
                m_telnet = Telnet::Data;
                AddDataByte(c, out);
            } else if (byte >= kWill && byte <= kDont) {
                m_telnet = Telnet::Option;
            } else if (byte >= kFirstCommand) {
                m_telnet = Telnet::Data;
            } else {
                // Not a Telnet command: a raw 0xFF of an 8-bit file name ("\xFF" is "y" with
                // diaeresis in code page 1252) sent undoubled. Keep both bytes. Urgent data
                // arrives inline (SO_OOBINLINE), so a data mark is never missing here.
                m_telnet = Telnet::Data;
                AddDataByte(static_cast<char>(kIac), out);
                AddDataByte(c, out);
            }
            break;
        case Telnet::Option:
            m_telnet = Telnet::Data;
            break;
        }
    }
    return out;
}

void LineReader::AddDataByte(char byte, std::vector<InputLine>& out) {
    if (byte == '\n') {
        m_pendingCr = false;
        if (m_discarding)
            m_discarding = false;
        else
            out.push_back(InputLine{std::move(m_line), false});
        m_line.clear();
        return;
    }
    if (m_pendingCr) {
        m_pendingCr = false;
        AppendToLine('\r', out);
    }
    if (byte == '\r')
        m_pendingCr = true;
    else
        AppendToLine(byte, out);
}

void LineReader::AppendToLine(char byte, std::vector<InputLine>& out) {
    if (m_discarding)
        return;
    if (m_line.size() >= m_maxLine) {
        m_line.clear();
        m_line.shrink_to_fit();
        m_discarding = true;
        out.push_back(InputLine{{}, true});
        return;
    }
    m_line += byte;
}

} // namespace vdx::ftp
