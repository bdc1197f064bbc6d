#pragma once
// The platform's frame-control painter (DrawFrameControl) for the kinds the
// controls use: the classic check box, drawn in code in the fixed colour
// scheme, so every machine paints the same picture.

#include "platform/gui/canvas.h"
#include "platform/gui/geometry.h"

namespace vdx::gui {

// Kinds.
inline constexpr unsigned DFC_BUTTON = 4;
// States of DFC_BUTTON.
inline constexpr unsigned DFCS_BUTTONCHECK = 0x0000;
inline constexpr unsigned DFCS_BUTTON3STATE = 0x0008;
inline constexpr unsigned DFCS_INACTIVE = 0x0100;
inline constexpr unsigned DFCS_PUSHED = 0x0200;
inline constexpr unsigned DFCS_CHECKED = 0x0400;

// Paints the frame control of kind and state into rect. A check box is a
// square of the rectangle's smaller side at its top-left corner: a sunken
// two-pixel edge, a clWindow interior (clBtnFace while pushed or inactive)
// and, when checked, a 7 x 7 check mark in the middle, clWindowText (or
// clBtnShadow when inactive). DFCS_BUTTON3STATE with DFCS_CHECKED is the
// grayed box: a clBtnFace/clBtnHighlight checkerboard interior with a
// clBtnShadow mark. Returns false, painting nothing, for any other kind or
// button style, or a box smaller than 4 pixels.
bool DrawFrameControl(TCanvas& canvas, const TRect& rect, unsigned kind, unsigned state);

} // namespace vdx::gui
