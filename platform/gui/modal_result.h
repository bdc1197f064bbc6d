#pragma once
// Modal results, in the one numbering the whole system uses (the class
// library's: mrAll is 8), and the ModalResult of a form, kept on the
// top-level window a widget belongs to.

class QWidget;

namespace vdx::gui {

// The platform's IDOK ... IDNO carry the numbers 1 to 7.
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;
// The answers of the Close and Help buttons of message boxes.
inline constexpr TModalResult mrClose = 11;
inline constexpr TModalResult mrHelp = 12;

// The ModalResult of widget's top-level window (mrNone until set).
TModalResult FormModalResult(const QWidget& widget);
// Stores value as the ModalResult of widget's top-level window. A value
// other than mrNone on a modal dialog closes it with that result once the
// event being handled is done, unless the result is mrNone again by then
// (so an OnClick handler may take back what its button set).
void SetFormModalResult(QWidget& widget, TModalResult value);

} // namespace vdx::gui
