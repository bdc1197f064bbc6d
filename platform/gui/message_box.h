#pragma once
// Message boxes as the class library shows them (MessageDlg and
// Application.MessageBox), with one replaceable handler so tests can script
// the answer and see what would have been shown.

#include "platform/gui/enum_set.h"
#include "platform/gui/modal_result.h"

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace vdx::gui {

enum class TMsgDlgType : std::uint8_t {
    mtWarning,
    mtError,
    mtInformation,
    mtConfirmation,
    mtCustom
};

enum class TMsgDlgBtn : std::uint8_t {
    mbYes,
    mbNo,
    mbOK,
    mbCancel,
    mbAbort,
    mbRetry,
    mbIgnore,
    mbAll,
    mbNoToAll,
    mbYesToAll,
    mbHelp,
    mbClose
};

using TMsgDlgButtons = TOrdinalSet<TMsgDlgBtn, 12>;
constexpr TMsgDlgButtons operator|(TMsgDlgBtn a, TMsgDlgBtn b) noexcept {
    return TMsgDlgButtons(a) | TMsgDlgButtons(b);
}

inline constexpr TMsgDlgButtons mbOKCancel = TMsgDlgBtn::mbOK | TMsgDlgBtn::mbCancel;
inline constexpr TMsgDlgButtons mbYesNo = TMsgDlgBtn::mbYes | TMsgDlgBtn::mbNo;
inline constexpr TMsgDlgButtons mbYesNoCancel = mbYesNo | TMsgDlgBtn::mbCancel;

// Application.MessageBox flags.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_RETRYCANCEL = 0x5;
inline constexpr unsigned MB_ICONERROR = 0x10; // also MB_ICONSTOP
inline constexpr unsigned MB_ICONSTOP = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_DEFBUTTON3 = 0x200;

// Everything a box shows, in one form for both entry points.
struct TMessageBoxRequest {
    std::string Caption; // title bar
    std::string Text;
    TMsgDlgType Type = TMsgDlgType::mtInformation; // icon
    TMsgDlgButtons Buttons = TMsgDlgBtn::mbOK;
    int DefaultButton = 0; // index into the shown buttons, in TMsgDlgBtn order
    QWidget* Parent = nullptr;
};

using TMessageBoxHandler = std::function<TModalResult(const TMessageBoxRequest&)>;

// Replaces the handler that shows every box; an empty handler restores the
// on-screen QMessageBox. Returns the previous handler.
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);

// Installs handler for the lifetime of this object (tests).
class TScopedMessageBoxHandler {
public:
    explicit TScopedMessageBoxHandler(TMessageBoxHandler handler)
        : m_previous(SetMessageBoxHandler(std::move(handler))) {}
    ~TScopedMessageBoxHandler() { SetMessageBoxHandler(std::move(m_previous)); }
    TScopedMessageBoxHandler(const TScopedMessageBoxHandler&) = delete;
    TScopedMessageBoxHandler& operator=(const TScopedMessageBoxHandler&) = delete;

private:
    TMessageBoxHandler m_previous;
};

// The caption MessageDlg gives a type: "Warning", "Error", "Information",
// "Confirm"; mtCustom the application title.
std::string MessageDlgCaption(TMsgDlgType type);

// The box with the type's caption and icon; returns the button chosen (mrOk,
// mrYes ...), or mrCancel / mrNo when the box is closed without a choice.
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                        QWidget* parent = nullptr);
// Application.MessageBox: caption (empty: the application title) and MB_
// flags; returns IDOK ... IDNO (= mrOk ... mrNo).
TModalResult ApplicationMessageBox(const std::string& text, const std::string& caption,
                                   unsigned flags, QWidget* parent = nullptr);

} // namespace vdx::gui

namespace vdx::gui {

// Application.Title: the caption of application boxes and the error box.
// Starts as QCoreApplication::applicationName().
std::string ApplicationTitle();
void SetApplicationTitle(const std::string& title);

} // namespace vdx::gui
