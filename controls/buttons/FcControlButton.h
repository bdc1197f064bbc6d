#pragma once
// The small button other controls embed (the button edit's pair): a glyph
// button or an arrow button (left, up, right, down, drop-down) with a
// classic or flat face, clicking repeatedly while it is held down when
// RepeatClicks is on. It takes no focus and has no keys of its own.

#include "controls/base/FcFramedControl.h"
#include "controls/base/FcGrafx.h"
#include "platform/gui/bitmap.h"

#include <QPointer>

#include <cstdint>

class QTimer;

namespace vdx {

enum class TFcControlButtonStyle : std::uint8_t {
    cbsNone, // glyph button
    cbsLeft,
    cbsUp,
    cbsRight,
    cbsDown,
    cbsDropDown
};

// The direction code of DrawArrow for an arrow style (up 0, down 1, left 2,
// right 3); cbsNone and cbsDropDown give 1.
int ArrowDirectionOfStyle(TFcControlButtonStyle style) noexcept;

class TFcControlButton : public TFcFramedControl {
    Q_OBJECT

public:
    explicit TFcControlButton(QWidget* parent = nullptr);
    ~TFcControlButton() override;

    TFcControlButtonStyle Style() const noexcept { return m_style; }
    bool Flat() const noexcept { return m_flat; }
    // A strip of NumGlyphs cells: 0 up, 1 disabled, 2 pressed (cbsNone only).
    const gui::TBitmap& Glyph() const noexcept { return m_glyph.Bitmap(); }
    int NumGlyphs() const noexcept { return m_glyph.NumGlyphs(); }
    bool RepeatClicks() const noexcept { return m_repeatClicks; }
    std::uint16_t InitialDelay() const noexcept { return m_initialDelay; }
    std::uint16_t Delay() const noexcept { return m_delay; }

    // Each setter does nothing for an unchanged value.
    void SetStyle(TFcControlButtonStyle value);
    void SetFlat(bool value);
    // Takes a copy of the picture (and its transparency settings); a strip
    // whose width is a multiple of its height sets NumGlyphs to the number
    // of cells (1 for more than four).
    void SetGlyph(const gui::TBitmap& value);
    void SetGlyph(const QImage& value);
    // Values outside 1..4 are refused.
    void SetNumGlyphs(int value);
    void SetRepeatClicks(bool value) noexcept { m_repeatClicks = value; }
    // Milliseconds before the first repeated click and between the others.
    void SetInitialDelay(std::uint16_t value) noexcept { m_initialDelay = value; }
    void SetDelay(std::uint16_t value) noexcept { m_delay = value; }

    // (Glyph width / NumGlyphs, Glyph height).
    TPoint GetGlyphSize() const;

    // The state the picture is drawn from.
    bool Pressed() const noexcept { return m_pressed; }
    bool Hovered() const noexcept { return m_hovered; }
    // A left press started on the button and is not released (the
    // button "has the mouse capture").
    bool Tracking() const noexcept { return m_tracking; }

protected:
    virtual void DrawNormalButton(TCanvas& canvas, TRect& rect);
    virtual void DrawArrowButton(TCanvas& canvas, TRect& rect);
    virtual void DrawDropDownButton(TCanvas& canvas, TRect& rect);
    virtual void DrawGlyphBitmap(TCanvas& canvas, const TRect& rect);

    void PaintClient(TCanvas& canvas) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void EnabledChanged() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void RepeatTimerFired();
    // Hovered from the widget under the cursor, with the enter or leave
    // handling that goes with it (flat buttons only).
    void UpdateHoverFromCursor();
    // Disabling or hiding ends a press: Qt sends such a button no release.
    void CancelPress();
    // The frame of the flat face while pressed or hot; rect becomes its
    // inside.
    void DrawFlatFrame(TCanvas& canvas, TRect& rect) const;

    TFcControlButtonStyle m_style = TFcControlButtonStyle::cbsNone;
    bool m_flat = false;
    TFcGlyphStrip m_glyph;
    bool m_repeatClicks = false;
    std::uint16_t m_initialDelay = 400;
    std::uint16_t m_delay = 100;

    bool m_pressed = false;
    bool m_tracking = false;
    bool m_hovered = false;
    // Created on the first press with RepeatClicks; a child, so Qt frees it.
    QPointer<QTimer> m_repeatTimer;
};

} // namespace vdx
