#include "platform/gui/rtf_reader.h"

#include "platform/gui/ansi_text.h"
#include "platform/gui/font.h"
#include "platform/os/ascii.h"

#include <QColor>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextOption>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vdx::gui {

namespace {

enum class Destination { Text, Skip, FontTable, ColorTable };

// What a group saves and restores.
struct State {
    Destination destination = Destination::Text;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 24;
    int font = -1;
    int color = 0;
    int fallbackChars = 1; // \ucN
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftTwips = 0;
    int firstTwips = 0;
    int lineTwips = 0;         // \slN: > 0 at least, < 0 exactly; 0 single spacing
    bool lineMultiple = false; // \slmult1: N is in 240ths of a single line
};

constexpr double kTwipsPerPixel = 15.0; // 1440 per inch at 96 pixels per inch

// Sizes are in half points; the rich edit lays them out at 96 pixels per
// inch whatever the screen reports.
int PixelsOfHalfPoints(int halfPoints) {
    return (halfPoints * kPixelsPerInch + 72) / 144;
}

class Reader {
public:
    Reader(std::string_view text, QTextDocument& document) : m_text(text), m_cursor(&document) {}

    void Run() {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            switch (c) {
            case '{':
                OpenGroup();
                break;
            case '}':
                CloseGroup();
                break;
            case '\\':
                Control();
                break;
            case '\r':
            case '\n':
                break;
            default:
                Byte(c);
                break;
            }
        }
        Flush();
        m_cursor.setBlockFormat(BlockFormat());
    }

private:
    void OpenGroup() {
        Flush();
        m_pendingFallback = 0;
        m_stack.push_back(m_state);
        if (int(m_stack.size()) > kMaxRtfDepth)
            m_state.destination = Destination::Skip;
    }

    void CloseGroup() {
        Flush();
        m_pendingFallback = 0;
        if (m_stack.empty())
            return; // an unbalanced "}" closes nothing
        if (m_state.destination == Destination::FontTable)
            EndFontName();
        m_state = m_stack.back();
        m_stack.pop_back();
    }

    void Control() {
        if (m_pos >= m_text.size())
            return;
        const char c = m_text[m_pos];
        if (IsLetter(c)) {
            Word();
            return;
        }
        ++m_pos;
        switch (c) {
        case '\'':
            if (const std::optional<int> byte = Hex())
                Byte(char(*byte));
            break;
        case '*':
            m_state.destination = Destination::Skip;
            break;
        case '~':
            Text(QChar(0x00A0));
            break;
        case '_':
            Text(QChar(0x2011));
            break;
        case '\r':
        case '\n':
            Paragraph();
            break;
        case '-':
            break; // optional hyphen
        default:
            Byte(c); // "\\", "\{", "\}" and any other symbol stand for themselves
            break;
        }
    }

    void Word() {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && IsLetter(m_text[m_pos]) && m_pos - start < 32)
            ++m_pos;
        const std::string_view word = m_text.substr(start, m_pos - start);
        while (m_pos < m_text.size() && IsLetter(m_text[m_pos]))
            ++m_pos; // an overlong word is cut
        std::optional<int> param;
        const std::size_t numberStart = m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '-')
            ++m_pos;
        long value = 0;
        bool digits = false;
        while (m_pos < m_text.size() && IsDigit(m_text[m_pos])) {
            if (value < 1000000000)
                value = value * 10 + (m_text[m_pos] - '0');
            digits = true;
            ++m_pos;
        }
        if (digits)
            param = int(m_text[numberStart] == '-' ? -value : value);
        else
            m_pos = numberStart;
        if (m_pos < m_text.size() && m_text[m_pos] == ' ')
            ++m_pos;
        Apply(word, param);
    }

    void Apply(std::string_view word, std::optional<int> param) {
        const bool on = !param || *param != 0;
        const int n = param.value_or(0);
        if (word == "u") {
            if (SkipFallback())
                return;
            Text(QChar(char16_t(n < 0 ? n + 65536 : n)), false);
            m_pendingFallback = m_state.fallbackChars;
            return;
        }
        if (SkipFallback())
            return;
        if (word == "fonttbl") {
            m_state.destination = Destination::FontTable;
        } else if (word == "colortbl") {
            m_state.destination = Destination::ColorTable;
            m_colors.clear();
            m_red = m_green = m_blue = 0;
        } else if (word == "stylesheet" || word == "info" || word == "pict" || word == "header" ||
                   word == "footer" || word == "object" || word == "fldinst" ||
                   word == "listtable" || word == "listoverridetable") {
            m_state.destination = Destination::Skip;
        } else if (m_state.destination == Destination::FontTable) {
            if (word == "f")
                m_fontIndex = n;
        } else if (m_state.destination == Destination::ColorTable) {
            if (word == "red")
                m_red = n;
            else if (word == "green")
                m_green = n;
            else if (word == "blue")
                m_blue = n;
        } else if (word == "par") {
            Paragraph();
        } else if (word == "line") {
            Text(QChar(QChar::LineSeparator));
        } else if (word == "tab") {
            Text(QChar('\t'));
        } else if (const char16_t symbol = Symbol(word)) {
            Text(QChar(symbol));
        } else if (word == "b") {
            SetFormat([&] { m_state.bold = on; });
        } else if (word == "i") {
            SetFormat([&] { m_state.italic = on; });
        } else if (word == "ul") {
            SetFormat([&] { m_state.underline = on; });
        } else if (word == "ulnone") {
            SetFormat([&] { m_state.underline = false; });
        } else if (word == "fs") {
            SetFormat([&] { m_state.halfPoints = n > 0 && n <= 3276 ? n : 24; });
        } else if (word == "f") {
            SetFormat([&] { m_state.font = n; });
        } else if (word == "cf") {
            SetFormat([&] { m_state.color = n; });
        } else if (word == "plain") {
            SetFormat([&] {
                m_state.bold = m_state.italic = m_state.underline = false;
                m_state.halfPoints = 24;
                m_state.font = -1;
                m_state.color = 0;
            });
        } else if (word == "pard") {
            m_state.alignment = Qt::AlignLeft;
            m_state.leftTwips = m_state.firstTwips = m_state.lineTwips = 0;
            m_state.lineMultiple = false;
        } else if (word == "sl") {
            m_state.lineTwips = n > -32768 && n < 32768 ? n : 0;
        } else if (word == "slmult") {
            m_state.lineMultiple = n == 1;
        } else if (word == "ql") {
            m_state.alignment = Qt::AlignLeft;
        } else if (word == "qc") {
            m_state.alignment = Qt::AlignHCenter;
        } else if (word == "qr") {
            m_state.alignment = Qt::AlignRight;
        } else if (word == "qj") {
            m_state.alignment = Qt::AlignJustify;
        } else if (word == "li") {
            m_state.leftTwips = n;
        } else if (word == "fi") {
            m_state.firstTwips = n;
        } else if (word == "uc") {
            m_state.fallbackChars = n >= 0 && n <= 16 ? n : 1;
        }
    }

    // The characters after "\uN" that stand in for it on readers without
    // Unicode: a byte, a "\'hh" or a control word each count as one.
    bool SkipFallback() {
        if (m_pendingFallback <= 0)
            return false;
        --m_pendingFallback;
        return true;
    }

    void Byte(char c) {
        if (SkipFallback())
            return;
        switch (m_state.destination) {
        case Destination::Text:
            m_bytes.push_back(c);
            break;
        case Destination::FontTable:
            if (c == ';')
                EndFontName();
            else
                m_fontName.push_back(c);
            break;
        case Destination::ColorTable:
            if (c == ';') {
                m_colors.push_back(QColor(m_red & 0xFF, m_green & 0xFF, m_blue & 0xFF));
                m_red = m_green = m_blue = 0;
            }
            break;
        case Destination::Skip:
            break;
        }
    }

    void EndFontName() {
        if (!m_fontName.empty() && m_fontIndex >= 0)
            m_fonts[m_fontIndex] = m_fontName;
        m_fontName.clear();
    }

    void Text(QChar c, bool countsAsFallback = true) {
        if (countsAsFallback && SkipFallback())
            return;
        if (m_state.destination != Destination::Text)
            return;
        Flush();
        Insert(QString(c));
    }

    void Paragraph() {
        if (m_state.destination != Destination::Text)
            return;
        Flush();
        m_cursor.setBlockFormat(BlockFormat());
        m_lineHeight = 0;
        m_cursor.insertBlock(BlockFormat(), CharFormat());
    }

    template <typename Change> void SetFormat(Change change) {
        Flush();
        change();
    }

    void Flush() {
        if (m_bytes.empty())
            return;
        Insert(AnsiToQString(m_bytes));
        m_bytes.clear();
    }

    // Text in the present format; the paragraph's lines are as high as its
    // highest font needs.
    void Insert(const QString& text) {
        const QTextCharFormat format = CharFormat();
        m_lineHeight = std::max(m_lineHeight, FormatLineHeight(format));
        m_cursor.insertText(text, format);
    }

    int FormatLineHeight(const QTextCharFormat& format) const {
        return LineHeight(format.font().resolve(m_cursor.document()->defaultFont()));
    }

    QTextCharFormat CharFormat() const {
        QTextCharFormat f;
        f.setFontWeight(m_state.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(m_state.italic);
        f.setFontUnderline(m_state.underline);
        const int pixels = PixelsOfHalfPoints(m_state.halfPoints);
        f.setProperty(QTextFormat::FontPixelSize, pixels);
        std::string family = m_cursor.document()->defaultFont().family().toStdString();
        if (const auto it = m_fonts.find(m_state.font); it != m_fonts.end()) {
            family = MappedFontFamily(it->second);
            f.setFontFamilies({QString::fromStdString(family)});
        }
        // As the widgets draw these faces (ToQFont).
        f.setFontKerning(false);
        f.setFontHintingPreference(QFont::PreferFullHinting);
        f.setFontStyleStrategy(PaintsFromStrikes(family, pixels, m_state.bold)
                                   ? QFont::NoAntialias
                                   : QFont::PreferDefault);
        // Colour 0 and any index the table lacks are the default text colour.
        if (m_state.color > 0 && m_state.color < int(m_colors.size()))
            f.setForeground(m_colors[std::size_t(m_state.color)]);
        return f;
    }

    QTextBlockFormat BlockFormat() const {
        QTextBlockFormat f;
        f.setAlignment(m_state.alignment);
        f.setLeftMargin(m_state.leftTwips / kTwipsPerPixel);
        f.setTextIndent(m_state.firstTwips / kTwipsPerPixel);
        // A hanging first line tabs to the left indent, as word processors
        // read it (tab positions count from the line's start).
        if (m_state.firstTwips < 0)
            f.setTabPositions(
                {QTextOption::Tab(-m_state.firstTwips / kTwipsPerPixel, QTextOption::LeftTab)});
        // An empty paragraph is a line of the font in force.
        const int single = m_lineHeight > 0 ? m_lineHeight : FormatLineHeight(CharFormat());
        const int asked = int(std::lround(std::abs(m_state.lineTwips) / kTwipsPerPixel));
        if (m_state.lineTwips == 0)
            f.setLineHeight(single, QTextBlockFormat::MinimumHeight);
        else if (m_state.lineMultiple)
            f.setLineHeight(std::lround(single * std::abs(m_state.lineTwips) / 240.0),
                            QTextBlockFormat::MinimumHeight);
        else if (m_state.lineTwips > 0)
            f.setLineHeight(std::max(single, asked), QTextBlockFormat::MinimumHeight);
        else
            f.setLineHeight(asked, QTextBlockFormat::FixedHeight);
        return f;
    }

    std::optional<int> Hex() {
        if (m_pos + 2 > m_text.size())
            return std::nullopt;
        const int high = os::HexDigitValue(m_text[m_pos]);
        const int low = os::HexDigitValue(m_text[m_pos + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        m_pos += 2;
        return high * 16 + low;
    }

    // The words that stand for one character.
    static char16_t Symbol(std::string_view word) {
        static constexpr std::pair<std::string_view, char16_t> kSymbols[] = {
            {"bullet", 0x2022},    {"emdash", 0x2014},  {"endash", 0x2013},
            {"lquote", 0x2018},    {"rquote", 0x2019},  {"ldblquote", 0x201C},
            {"rdblquote", 0x201D}, {"emspace", 0x2003}, {"enspace", 0x2002}};
        for (const auto& [name, c] : kSymbols)
            if (name == word)
                return c;
        return 0;
    }

    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    std::string_view m_text;
    std::size_t m_pos = 0;
    QTextCursor m_cursor;
    State m_state;
    std::vector<State> m_stack;
    std::string m_bytes;
    int m_pendingFallback = 0;
    std::map<int, std::string> m_fonts;
    int m_fontIndex = -1;
    std::string m_fontName;
    std::vector<QColor> m_colors;
    int m_lineHeight = 0; // of the paragraph read so far, in pixels
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
};

} // namespace

void ReadRtf(std::string_view rtf, QTextDocument& document) {
    document.clear();
    if (rtf.substr(0, 5) != "{\\rtf") {
        document.setPlainText(AnsiToQString(rtf));
        return;
    }
    // Tabs every half inch, as RTF has them by default.
    QTextOption option = document.defaultTextOption();
    option.setTabStopDistance(720 / kTwipsPerPixel);
    document.setDefaultTextOption(option);
    Reader(rtf, document).Run();
}

} // namespace vdx::gui
