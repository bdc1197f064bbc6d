#pragma once
// The programs keep text as 8-bit strings of the Windows ANSI code page
// (1252); Qt shows Unicode. These convert at the widget boundary only.

#include <QString>

#include <string>
#include <string_view>

namespace vdx::gui {

QString AnsiToQString(std::string_view text);
// Characters outside code page 1252 become "?".
std::string QStringToAnsi(const QString& text);

} // namespace vdx::gui
