#pragma once
// The one rule for text that names a file or folder, wherever it is shown
// or typed: name bytes are shown as UTF-8 where they are valid UTF-8, else
// byte by byte as code page 1252; typed text is written as UTF-8, except
// that what was not edited goes back as exactly its bytes. Every other text
// of the programs stays code page 1252 (ansi_text.h).

#include <QString>

#include <string>
#include <string_view>

namespace vdx::gui {

bool IsValidUtf8(std::string_view bytes);
QString FileNameToQString(std::string_view bytes);
// The bytes of typed text. original is what was shown for editing: when
// the text still shows it, its bytes come back; else each "/"-separated
// component that still shows the original's component at its place keeps
// that component's bytes, and the rest is UTF-8.
std::string QStringToFileName(const QString& text, std::string_view original = {});
// A name for a text of the programs' code page (a message box): characters
// outside code page 1252 become "?".
std::string FileNameToAnsi(std::string_view bytes);

} // namespace vdx::gui
