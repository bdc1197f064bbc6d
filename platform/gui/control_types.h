#pragma once
// The class library's control vocabulary the framed controls share: text
// alignment, alignment in the parent, the border style and the input method
// mode.

#include <QMetaType>

#include <cstdint>

namespace vdx::gui {

enum class TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
// The input method a control asks for while it has the focus.
enum class TImeMode : std::uint8_t {
    imDisable,
    imClose,
    imOpen,
    imDontCare,
    imSAlpha,
    imAlpha,
    imHira,
    imSKata,
    imKata,
    imChinese,
    imSHanguel,
    imHanguel
};
// Alignment of a control in its parent. Qt layouts place the children; a
// control may use the value for its own bounds rule (the panel keeps its
// bottom edge with alBottom and its right edge with alRight).
enum class TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum class TBorderStyle : std::uint8_t { bsNone, bsSingle };

} // namespace vdx::gui

Q_DECLARE_METATYPE(vdx::gui::TAlignment)
