#pragma once
// A caption's alignment as DrawText flags, and their mirroring for a
// control that aligns right to left: left and right swap, centred stays.

#include "platform/gui/control_types.h"
#include "platform/gui/text_layout.h"

namespace vdx {

// DT_LEFT, DT_RIGHT or DT_CENTER; mirrored first when asked.
constexpr unsigned AlignmentTextFlags(gui::TAlignment alignment, bool mirrored = false) noexcept {
    switch (mirrored ? gui::ChangeBiDiModeAlignment(alignment) : alignment) {
    case gui::TAlignment::taLeftJustify:
        return gui::DT_LEFT;
    case gui::TAlignment::taRightJustify:
        return gui::DT_RIGHT;
    case gui::TAlignment::taCenter:
        break;
    }
    return gui::DT_CENTER;
}

// The same mirroring on flags that already hold an alignment.
using gui::MirroredTextFlags;

} // namespace vdx
