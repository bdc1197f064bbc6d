#pragma once
// The change-notification thread's hand-over to a control (FcChangeThread.h):
// each change reaches the owner as a TFcShellChangeEvent (message number,
// WParam = the watch's slot) sent on the GUI thread. Reports pass through a
// sink the thread object owns, so destroying the object drops whatever is
// still queued, and a gone owner gets nothing.

#include "controls/shell/FcChangeThread.h"

#include <QEvent>

#include <cstdint>

namespace vdx {

inline constexpr std::uint32_t WM_FCSHELLCHANGE = 0x0400 + 101;

class TFcShellChangeEvent final : public QEvent {
public:
    TFcShellChangeEvent(std::uint32_t msg, std::uintptr_t wParam)
        : QEvent(Type()), Msg(msg), WParam(wParam) {}
    static QEvent::Type Type();

    std::uint32_t Msg;
    std::uintptr_t WParam;
    std::intptr_t LParam = 0;
};

} // namespace vdx
