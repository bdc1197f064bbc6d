#pragma once
// The text label of the library: a label with the panel's border model
// (outer and inner styles, a solid band, chosen sides), a text margin, 3-D
// text styles, text rotated flat at any angle or curved character by
// character round a centre point, a caption shortened with an ellipsis,
// blinking in a second colour (all blinking labels switch together through
// the shared blink list), a fly-by colour while the mouse is over it, and a
// link to a frame controller.

#include "controls/base/FcBlinkTimer.h"
#include "controls/base/FcBorderedControl.h"
#include "controls/base/FcDraw.h"

#include <QPointer>

#include <cstdint>
#include <functional>
#include <string>

namespace vdx {

enum class TRotation : std::uint8_t { roNone, roFlat, roCurve };
enum class TCenterPoint : std::uint8_t {
    cpUpperLeft,
    cpUpperCenter,
    cpUpperRight,
    cpLeftCenter,
    cpCenter,
    cpRightCenter,
    cpLowerLeft,
    cpLowerCenter,
    cpLowerRight
};
enum class TFcCondenseCaption : std::uint8_t { ccNone, ccAtEnd, ccWithinPath };
enum class TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };

// An angle written to a label, kept in 0..359.
int NormalizeLabelAngle(int value) noexcept;
// The size a rotated text of width x height takes: for angles other than 0
// and 180 the bounding box of the turned rectangle (theta = angle mod 90,
// plus a quarter turn at 90 and 270), rounded to nearest, ties to even.
gui::TSize RotatedExtent(int width, int height, int angle) noexcept;
// Where text drawn with its reference point at ref must start (its unturned
// top-left corner) so that ref is the centre of the text (center) and/or its
// baseline (baseline; else its top), for text turned counter-clockwise by
// angle degrees.
TPoint TextOriginForReference(TPoint ref, int textWidth, int ascent, double angleDegrees,
                              bool center, bool baseline) noexcept;

// What places text rotated flat: the label's size (the text turns about its
// middle), the text rectangle inside the borders and the margin, the text's
// width, the height of a line ("Pp") and the font's ascent, the shadow's
// offset (half the shadow depth with tsShadow, else 0), the angle (0..359)
// and the alignment.
struct TFlatTextMetrics {
    gui::TSize Client;
    TRect TextRect;
    int TextWidth = 0;
    int LineHeight = 0;
    int Ascent = 0;
    int ShadowOffset = 0;
    int Angle = 0;
    TAlignment Alignment = TAlignment::taLeftJustify;
};
// The reference point of flat text and whether it is the text's centre
// and/or its baseline (see TextOriginForReference).
struct TFlatTextPlacement {
    TPoint Reference;
    bool Center = false;
    bool Baseline = false;
    friend bool operator==(const TFlatTextPlacement&, const TFlatTextPlacement&) = default;
};
// At 0, 90, 180 and 270 degrees the text follows the alignment along its
// line; at any other angle it is centred on the label's middle.
TFlatTextPlacement PlaceFlatText(const TFlatTextMetrics& m) noexcept;
// Where the copy of flat text offset by (dx, dy) starts (its unturned
// top-left corner).
TPoint FlatTextOrigin(const TFlatTextMetrics& m, int dx = 0, int dy = 0) noexcept;

class TFcLabel : public TFcBorderedControl, public IFcBlinkingControl {
    Q_OBJECT

public:
    // Registers with the shared blink list (creating it when needed).
    explicit TFcLabel(QWidget* parent = nullptr);
    // Leaves the blink list (freeing it when it became empty) and the
    // frame controller.
    ~TFcLabel() override;

    // The text colour: the blink colour when on, the font colour otherwise.
    virtual void SetBlinkState(bool on);
    // Grows a measured text rectangle to the control size the borders,
    // margin, shadow and rotation need.
    virtual void ExpandRectForBorders(TRect& rect) const;
    // Sizes the label to its text when AutoSize is on (not while loading).
    void AdjustBounds();
    void Loaded() override;

    // The blink protocol of the shared list.
    int BlinkQuery() override;
    void BlinkState(std::uint8_t phase) override;

    int Angle() const noexcept { return m_angle; }
    TRotation Rotation() const noexcept { return m_rotation; }
    TCenterPoint CenterPoint() const noexcept { return m_centerPoint; }
    TTextStyle TextStyle() const noexcept { return m_textStyle; }
    bool LightTextStyle() const noexcept { return m_lightTextStyle; }
    TColor HighlightColor() const noexcept { return m_highlightColor; }
    TColor ShadowColor() const noexcept { return m_shadowColor; }
    int ShadowDepth() const noexcept { return m_shadowDepth; }
    int TextMargin() const noexcept { return m_textMargin; }
    TFcCondenseCaption CondenseCaption() const noexcept { return m_condenseCaption; }
    bool Blinking() const noexcept { return m_blinking; }
    TColor BlinkColor() const noexcept { return m_blinkColor; }
    // Shared by all blinking controls.
    std::uint16_t BlinkIntervalOn() const;
    std::uint16_t BlinkIntervalOff() const;
    bool FlyByEnabled() const noexcept { return m_flyByEnabled; }
    TColor FlyByColor() const noexcept { return m_flyByColor; }
    TTextLayout Layout() const noexcept { return m_layout; }
    // The colour the text is drawn in now.
    TColor CurrentColor() const noexcept { return m_currentColor; }

    // Each setter does nothing for an unchanged value.
    virtual void SetAngle(int value); // kept in 0..359; a turn makes roNone roFlat
    // False draws in the font's colour again at once.
    virtual void SetBlinking(bool value);
    virtual void SetBlinkColor(TColor value);
    virtual void SetBlinkIntervalOff(std::uint16_t value);
    virtual void SetBlinkIntervalOn(std::uint16_t value);
    // Anything but ccNone turns AutoSize off.
    virtual void SetCondenseCaption(TFcCondenseCaption value);
    virtual void SetCenterPoint(TCenterPoint value);
    virtual void SetFlyByColor(TColor value);
    virtual void SetFlyByEnabled(bool value);
    virtual void SetLayout(TTextLayout value);
    virtual void SetLightTextStyle(bool value);
    // roNone and roFlat reset Angle to 0, roFlat also CenterPoint.
    virtual void SetRotation(TRotation value);
    virtual void SetTextMargin(int value);
    virtual void SetTextStyle(TTextStyle value);
    virtual void SetHighlightColor(TColor value);
    virtual void SetShadowColor(TColor value);
    virtual void SetShadowDepth(int value);

    // The class library's label properties (font, caption and alignment
    // come from the framed-control base).
    bool AutoSize() const noexcept { return m_autoSize; }
    void SetAutoSize(bool value);
    bool ShowAccelChar() const noexcept { return m_showAccelChar; }
    void SetShowAccelChar(bool value);
    bool WordWrap() const noexcept { return m_wordWrap; }
    void SetWordWrap(bool value);
    // Moves and sizes the label.
    void SetBounds(int left, int top, int width, int height) override;

    QSize sizeHint() const override;

protected:
    // A graphic control of the class library: no window of its own, so a
    // dock grabber always shows it as active.
    bool IsWindowedControl() const override { return false; }

    virtual void Paint(TCanvas& canvas);
    // The caption as painted.
    virtual std::string GetLabelText() const { return Caption(); }
    // After the font changed (the class library's font-change message).
    void FontChanged() override;
    // The caption changes the size the text needs.
    void CaptionChanged() override;

    // The borders change the size the text needs.
    void BorderLayoutChanged() override { AdjustBounds(); }

    void paintEvent(QPaintEvent* event) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void EnabledChanged() override;

private:
    unsigned TextFlags() const;
    unsigned EllipsisFlag() const;
    void PaintText(TCanvas& canvas);
    void PaintCurvedText(TCanvas& canvas);

    int m_angle = 0;
    TRotation m_rotation = TRotation::roNone;
    TCenterPoint m_centerPoint = TCenterPoint::cpCenter;
    TTextStyle m_textStyle = TTextStyle::tsNormal;
    bool m_lightTextStyle = false;
    TColor m_highlightColor = gui::clBtnHighlight;
    TColor m_shadowColor = gui::clBtnShadow;
    int m_shadowDepth = 2;
    int m_textMargin = 0;
    TFcCondenseCaption m_condenseCaption = TFcCondenseCaption::ccNone;
    bool m_blinking = false;
    TColor m_blinkColor = gui::clHighlight;
    bool m_flyByEnabled = false;
    TColor m_flyByColor = gui::clHighlight;
    TTextLayout m_layout = TTextLayout::tlTop;

    bool m_autoSize = true;
    bool m_showAccelChar = true;
    bool m_wordWrap = false;

    TColor m_fontColor = gui::clWindowText;    // the colour to return to after blinking
    TColor m_currentColor = gui::clWindowText; // the colour the text is drawn in
    TColor m_origColor = gui::clWindowText;    // the font colour before fly-by
    bool m_flyByApplied = false;               // the fly-by colour is in the font now
};

} // namespace vdx

Q_DECLARE_METATYPE(vdx::TRotation)
Q_DECLARE_METATYPE(vdx::TTextLayout)
