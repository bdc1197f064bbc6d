#pragma once
// Rich text files as the rich edit of the class library shows them: a reader
// of the RTF most word processors write, filling a QTextDocument (Qt reads no
// RTF). Groups, paragraphs and line breaks, tabs, bold, italic, underline,
// font size, fonts and colours through their tables, alignment and indents,
// "\'hh" as code page 1252 and "\uN" with its "\ucN" fallback; pictures,
// style sheets, document information and "\*" destinations are skipped,
// unknown control words ignored.

#include <QTextDocument>

#include <cstddef>
#include <string_view>

namespace vdx::gui {

// Larger files are not read: a help text is far smaller.
inline constexpr std::size_t kMaxRtfBytes = 16u << 20;
// Groups deeper than this are skipped with all they hold.
inline constexpr int kMaxRtfDepth = 100;

// Replaces the document's content with the text. A text that does not start
// with "{\rtf" is shown as plain text, as the rich edit shows it.
void ReadRtf(std::string_view rtf, QTextDocument& document);

} // namespace vdx::gui
