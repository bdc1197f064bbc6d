#pragma once
// The standard kinds of the bitmap button: caption, modal result and glyph
// of each. The glyphs are the program's own pictures, drawn here: 32 x 16,
// a normal and a disabled 16 x 16 cell on a background colour that is the
// bottom-left pixel (the bitmap's transparent colour).

#include "platform/gui/bitmap.h"
#include "platform/gui/modal_result.h"

#include <cstdint>
#include <string>

namespace vdx {

enum class TBitBtnKind : std::uint8_t {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};

// "OK", "Cancel", "&Help", ...; empty for bkCustom.
const std::string& KindCaption(TBitBtnKind kind);
gui::TModalResult KindModalResult(TBitBtnKind kind);
// The kind's glyph, made on first use and kept for the program's run (GUI
// thread only); empty for bkCustom.
const gui::TBitmap& LoadKindGlyph(TBitBtnKind kind);

} // namespace vdx
