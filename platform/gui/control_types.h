#pragma once
// The class library's control vocabulary the framed controls share: text
// alignment, alignment in the parent, the border style and the input method
// mode; reading order, anchors and size constraints.

#include "platform/gui/enum_set.h"

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

// ---- reading order, anchors and size constraints ----------------------

// Right-to-left reading: bdRightToLeft also mirrors the alignment and puts
// the scroll bar on the left, bdRightToLeftNoAlign keeps the alignment,
// bdRightToLeftReadingOnly changes only the reading order.
enum class TBiDiMode : std::uint8_t {
    bdLeftToRight,
    bdRightToLeft,
    bdRightToLeftNoAlign,
    bdRightToLeftReadingOnly
};

// taLeftJustify and taRightJustify swapped, taCenter kept: the alignment a
// right-to-left control shows.
constexpr TAlignment ChangeBiDiModeAlignment(TAlignment alignment) noexcept {
    switch (alignment) {
    case TAlignment::taLeftJustify:
        return TAlignment::taRightJustify;
    case TAlignment::taRightJustify:
        return TAlignment::taLeftJustify;
    case TAlignment::taCenter:
        break;
    }
    return alignment;
}

// The parent's edges a control keeps its distance to when the parent is
// resized; the set's bit n is member n, as the class library streams it.
enum class TAnchorKind : std::uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = TEnumSet<TAnchorKind>;
constexpr TAnchors operator|(TAnchorKind a, TAnchorKind b) noexcept {
    return TAnchors(a) | b;
}
// The class library's default: [akLeft, akTop].
inline constexpr TAnchors kDefaultAnchors = TAnchorKind::akLeft | TAnchorKind::akTop;

// Minimum and maximum width and height; 0 is no limit. Setting a limit
// that crosses the other one moves that one along, so a minimum never
// exceeds a maximum.
class TSizeConstraints {
public:
    int MinWidth() const noexcept { return m_minWidth; }
    int MinHeight() const noexcept { return m_minHeight; }
    int MaxWidth() const noexcept { return m_maxWidth; }
    int MaxHeight() const noexcept { return m_maxHeight; }
    void SetMinWidth(int value) noexcept {
        m_minWidth = value;
        if (m_maxWidth > 0 && value > m_maxWidth)
            m_maxWidth = value;
    }
    void SetMinHeight(int value) noexcept {
        m_minHeight = value;
        if (m_maxHeight > 0 && value > m_maxHeight)
            m_maxHeight = value;
    }
    void SetMaxWidth(int value) noexcept {
        m_maxWidth = value;
        if (value > 0 && value < m_minWidth)
            m_minWidth = value;
    }
    void SetMaxHeight(int value) noexcept {
        m_maxHeight = value;
        if (value > 0 && value < m_minHeight)
            m_minHeight = value;
    }
    friend bool operator==(const TSizeConstraints&, const TSizeConstraints&) = default;

private:
    int m_minWidth = 0;
    int m_minHeight = 0;
    int m_maxWidth = 0;
    int m_maxHeight = 0;
};

// A size kept inside limits: a maximum above 0 caps it, else a minimum
// above 0 raises it.
constexpr int ConstrainExtent(int value, int minimum, int maximum) noexcept {
    if (maximum > 0 && value > maximum)
        return maximum;
    if (minimum > 0 && value < minimum)
        return minimum;
    return value;
}

} // namespace vdx::gui

Q_DECLARE_METATYPE(vdx::gui::TAlignment)
Q_DECLARE_METATYPE(vdx::gui::TBiDiMode)
