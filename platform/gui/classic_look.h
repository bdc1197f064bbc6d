#pragma once
// The look of a classic Windows utility for every stock control: Qt's
// "Windows" style in the classic system colours, the dialog font (Tahoma 8)
// for menus and message boxes, message boxes laid out as the platform lays
// them out, and Enter clicking a focused push button. Both programs set it
// at start-up, the GUI tests too, so pictures show what users see.

#include <QFont>
#include <QPalette>

class QApplication;

namespace vdx::gui {

// Style, palette, fonts and keys for the whole application.
void ApplyClassicLook(QApplication& app);

// The classic system colours as a palette (disabled text in clGrayText).
QPalette ClassicPalette();
// Tahoma of height -11 (8 points at 96 pixels per inch).
QFont DialogFont();

// Horizontal room around a tab's text in the tab control.
inline constexpr int kTabTextMargin = 6;

} // namespace vdx::gui
