#include "controls/labels/FcLabel.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcTextAlign.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/text_layout.h"

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>

#include <cmath>
#include <numbers>

namespace vdx {

using gui::TBrushStyle;

namespace {

// Rounds to nearest, ties to even (the default rounding mode).
int RoundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

} // namespace

int NormalizeLabelAngle(int value) noexcept {
    const int a = value % 360;
    return a < 0 ? a + 360 : a;
}

gui::TSize RotatedExtent(int width, int height, int angle) noexcept {
    if (angle == 0 || angle == 180)
        return {width, height};
    double theta = (angle % 90) * std::numbers::pi / 180.0;
    if (angle == 90 || angle == 270)
        theta += std::numbers::pi / 2;
    const double c = std::cos(theta), s = std::sin(theta);
    return {RoundEven(c * width + s * height), RoundEven(s * width + c * height)};
}

TPoint TextOriginForReference(TPoint ref, int textWidth, int ascent, double angleDegrees,
                              bool center, bool baseline) noexcept {
    const double a = angleDegrees * std::numbers::pi / 180.0;
    const double u = center ? textWidth / 2.0 : 0.0;
    const double v = baseline ? double(ascent) : 0.0;
    // Along the text (cos a, -sin a), down the text (sin a, cos a).
    const double dx = u * std::cos(a) + v * std::sin(a);
    const double dy = -u * std::sin(a) + v * std::cos(a);
    return {RoundEven(ref.X - dx), RoundEven(ref.Y - dy)};
}

TFlatTextPlacement PlaceFlatText(const TFlatTextMetrics& m) noexcept {
    const TRect& t = m.TextRect;
    const int e = m.ShadowOffset;
    const TPoint p{m.Client.cx / 2, m.Client.cy / 2};
    const double h4 = m.LineHeight / 4.0;
    const int tw = m.TextWidth + e;
    const int th = m.LineHeight + e;
    const double a = m.Angle * std::numbers::pi / 180.0 + std::numbers::pi / 2;
    int x = p.X, y = p.Y;
    bool center = false, baseline = false;
    const bool centred = m.Alignment == TAlignment::taCenter;
    const bool right = m.Alignment == TAlignment::taRightJustify;
    switch (m.Angle) {
    case 0:
    case 360:
        if (centred)
            center = true;
        else if (right)
            x = t.Right - tw - e;
        else
            x = t.Left + e;
        y = p.Y - th / 2;
        break;
    case 90:
        x = p.X - RoundEven(std::cos(a) * h4);
        y = centred ? t.Bottom - (t.Bottom - tw) / 2 : right ? t.Top + tw + e : t.Bottom - e;
        baseline = true;
        break;
    case 180:
        x = centred ? t.Right - (t.Right - tw) / 2 : right ? t.Left + tw : t.Right - e;
        y = p.Y - th / 4;
        baseline = true;
        break;
    case 270:
        x = p.X - RoundEven(std::cos(a) * h4);
        y = centred ? (t.Bottom - tw) / 2 : right ? t.Bottom - tw - e : t.Top + e;
        baseline = true;
        break;
    default:
        x = p.X - RoundEven(std::cos(a) * h4);
        y = p.Y + RoundEven(std::sin(a) * h4);
        center = baseline = true;
        break;
    }
    return {{x, y}, center, baseline};
}

TPoint FlatTextOrigin(const TFlatTextMetrics& m, int dx, int dy) noexcept {
    const TFlatTextPlacement place = PlaceFlatText(m);
    return TextOriginForReference({place.Reference.X + dx, place.Reference.Y + dy}, m.TextWidth,
                                  m.Ascent, m.Angle, place.Center, place.Baseline);
}

TFcLabel::TFcLabel(QWidget* parent)
    : TFcBorderedControl(parent, TFcBorders{.FlatColorAdjustment = 30}) {
    SetColor(gui::clBtnFace);
    SetParentColor(true);
    if (!BlinkingControls)
        BlinkingControls = std::make_unique<TFcBlinkingControlsList>();
    BlinkingControls->Add(this);
    // A label made in code starts with its font's colour.
    m_fontColor = m_currentColor = m_origColor = Font().Color;
    resize(65, 17);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

TFcLabel::~TFcLabel() {
    if (BlinkingControls)
        BlinkingControls->Remove(this);
    FreeBlinkingListIfEmpty();
}

void TFcLabel::SetBlinkState(bool on) {
    m_currentColor = on ? m_blinkColor : m_fontColor;
    update();
}

int TFcLabel::BlinkQuery() {
    return m_blinking ? 1 : 0;
}

void TFcLabel::BlinkState(std::uint8_t phase) {
    if (m_blinking)
        SetBlinkState(phase != 0);
}

void TFcLabel::ExpandRectForBorders(TRect& r) const {
    const TFcBorders& b = Borders();
    auto grow = [&](int d) {
        if (b.BorderSides.Contains(TSide::sdLeft))
            r.Right += d;
        if (b.BorderSides.Contains(TSide::sdRight))
            r.Right += d;
        if (b.BorderSides.Contains(TSide::sdTop))
            r.Bottom += d;
        if (b.BorderSides.Contains(TSide::sdBottom))
            r.Bottom += d;
    };
    grow(BorderStyleDepth(b.BorderOuter, b.BevelWidth));
    grow(b.BorderWidth);
    r.Right += 2 * m_textMargin;
    r.Bottom += 2 * m_textMargin;
    grow(BorderStyleDepth(b.BorderInner, b.BevelWidth));
    const bool shadow = m_textStyle == TTextStyle::tsShadow;
    if (m_rotation == TRotation::roNone && shadow) {
        r.Right += m_shadowDepth;
        r.Bottom += m_shadowDepth;
    } else if (m_rotation == TRotation::roFlat && m_angle != 0 && m_angle != 180) {
        if (shadow) {
            r.Right += m_shadowDepth / 2;
            r.Bottom += m_shadowDepth / 2;
        }
        const gui::TSize s = RotatedExtent(r.Right, r.Bottom, m_angle);
        r.Right = s.cx;
        r.Bottom = s.cy;
    }
}

unsigned TFcLabel::EllipsisFlag() const {
    switch (m_condenseCaption) {
    case TFcCondenseCaption::ccAtEnd:
        return gui::DT_END_ELLIPSIS;
    case TFcCondenseCaption::ccWithinPath:
        return gui::DT_PATH_ELLIPSIS;
    default:
        return 0;
    }
}

unsigned TFcLabel::TextFlags() const {
    unsigned f = gui::DT_EXPANDTABS | DrawTextBiDiModeFlagsReadingOnly() |
                 AlignmentTextFlags(BiDiAlignment(Alignment()));
    if (m_wordWrap)
        f |= gui::DT_WORDBREAK;
    if (!m_showAccelChar)
        f |= gui::DT_NOPREFIX;
    return f;
}

void TFcLabel::AdjustBounds() {
    if (IsLoading() || !m_autoSize)
        return;
    TRect r = gui::Rect(0, 0, width(), height());
    AdjustRectForBorders(r, true);
    r = gui::OffsetRect(r, -r.Left, -r.Top);
    std::string text = GetLabelText();
    // An empty caption (or a lone prefix mark) still measures one line.
    if (text.empty() || (m_showAccelChar && text == "&"))
        text += ' ';
    unsigned flags = gui::DT_CALCRECT | gui::DT_EXPANDTABS | EllipsisFlag();
    if (m_wordWrap)
        flags |= gui::DT_WORDBREAK;
    if (!m_showAccelChar)
        flags |= gui::DT_NOPREFIX;
    QImage scratch(1, 1, QImage::Format_RGB32);
    {
        TCanvas canvas(scratch);
        canvas.Font = Font();
        DrawTextOnCanvas(canvas, text, r, flags);
    }
    ExpandRectForBorders(r);
    int left = x();
    if (BiDiAlignment(Alignment()) == TAlignment::taRightJustify)
        left += width() - r.Right;
    SetBounds(left, y(), r.Right, r.Bottom);
}

void TFcLabel::SetBounds(int left, int top, int w, int h) {
    TFcBorderedControl::SetBounds(left, top, w, h);
    updateGeometry();
}

QSize TFcLabel::sizeHint() const {
    return size();
}

void TFcLabel::Loaded() {
    gui::TFramedHost::Loaded();
    if (m_rotation == TRotation::roNone && m_angle != 0)
        m_rotation = TRotation::roFlat;
    if (m_rotation != TRotation::roNone && !FontIsTrueType(Font()))
        MutableFont().Name = "Verdana";
    m_fontColor = m_currentColor = Font().Color;
    AdjustBounds();
    update();
}

void TFcLabel::FontChanged() {
    if (!IsLoading()) {
        if (!m_blinking)
            m_fontColor = m_currentColor = Font().Color;
        if (m_angle != 0 && !FontIsTrueType(Font()))
            m_angle = 0;
    }
    AdjustBounds();
    update();
}

void TFcLabel::Paint(TCanvas& canvas) {
    TRect r = gui::Rect(0, 0, width(), height());
    r = DrawInnerOuterBorders(canvas, r, BorderModel());
    canvas.Brush.SetColor(Color());
    if (!Transparent())
        canvas.FillRect(r);
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    if (m_rotation == TRotation::roCurve)
        PaintCurvedText(canvas);
    else
        PaintText(canvas);
}

void TFcLabel::PaintText(TCanvas& canvas) {
    TRect t = gui::Rect(0, 0, width(), height());
    AdjustRectForBorders(t, true);
    t = gui::InflateRect(t, -m_textMargin, -m_textMargin);
    const unsigned flags = TextFlags() | EllipsisFlag();
    const std::string text = GetLabelText();
    canvas.Font = Font();
    const bool shadowStyle = m_textStyle == TTextStyle::tsShadow;

    // How one copy of the text is drawn, offset by (dx, dy).
    std::function<void(int, int, TColor)> drawAt;
    int e = 0;
    if (m_rotation == TRotation::roFlat) {
        e = shadowStyle ? m_shadowDepth / 2 : 0;
        const TFlatTextMetrics metrics{.Client = {width(), height()},
                                       .TextRect = t,
                                       .TextWidth = canvas.TextWidth(text),
                                       .LineHeight = canvas.TextExtent("Pp").cy,
                                       .Ascent = canvas.TextMetrics().tmAscent,
                                       .ShadowOffset = e,
                                       .Angle = m_angle,
                                       .Alignment = BiDiAlignment(Alignment())};
        canvas.Font = CreateRotatedFont(Font(), m_angle);
        drawAt = [&canvas, t, metrics, &text](int dx, int dy, TColor color) {
            canvas.Font.Color = color;
            const TPoint o = FlatTextOrigin(metrics, dx, dy);
            canvas.TextRect(t, o.X, o.Y, text);
        };
    } else {
        TRect d = t;
        if (m_layout != TTextLayout::tlTop) {
            TRect measured = d;
            DrawTextOnCanvas(canvas, text, measured, flags | gui::DT_CALCRECT);
            const int free = d.Bottom - measured.Bottom;
            d = gui::OffsetRect(d, 0, m_layout == TTextLayout::tlBottom ? free : free / 2);
        }
        if (shadowStyle) {
            if (BiDiAlignment(Alignment()) == TAlignment::taRightJustify)
                d = gui::OffsetRect(d, -m_shadowDepth, 0);
            if (m_layout == TTextLayout::tlBottom)
                d = gui::OffsetRect(d, 0, -m_shadowDepth);
        }
        drawAt = [&canvas, d, flags, &text](int dx, int dy, TColor color) {
            canvas.Font.Color = color;
            TRect rr = gui::OffsetRect(d, dx, dy);
            DrawTextOnCanvas(canvas, text, rr, flags);
        };
    }

    if (!isEnabled()) {
        drawAt(0, 0, gui::clGrayText);
        return;
    }
    switch (m_textStyle) {
    case TTextStyle::tsRaised:
        if (!m_lightTextStyle)
            drawAt(1, 1, m_shadowColor);
        drawAt(-1, -1, m_highlightColor);
        break;
    case TTextStyle::tsRecessed:
        drawAt(1, 1, m_highlightColor);
        if (!m_lightTextStyle)
            drawAt(-1, -1, m_shadowColor);
        break;
    case TTextStyle::tsShadow:
        if (m_rotation == TRotation::roFlat)
            drawAt(e, e, m_shadowColor);
        else
            drawAt(m_shadowDepth, m_shadowDepth, m_shadowColor);
        break;
    case TTextStyle::tsNormal:
        break;
    }
    if (m_rotation == TRotation::roFlat && shadowStyle)
        drawAt(-e, -e, m_currentColor);
    else
        drawAt(0, 0, m_currentColor);
}

void TFcLabel::PaintCurvedText(TCanvas& canvas) {
    canvas.Font = Font();
    const int w = width(), h = height(), bw = BorderWidth();
    TPoint p;
    int rx = 0, ry = 0;
    switch (m_centerPoint) {
    case TCenterPoint::cpUpperLeft:
        p = {bw, bw};
        break;
    case TCenterPoint::cpUpperCenter:
        p = {w / 2, bw};
        break;
    case TCenterPoint::cpUpperRight:
        p = {w - bw, bw};
        break;
    case TCenterPoint::cpLeftCenter:
        p = {bw, h / 2};
        break;
    case TCenterPoint::cpCenter:
        p = {w / 2, h / 2};
        break;
    case TCenterPoint::cpRightCenter:
        p = {w - bw, h / 2};
        break;
    case TCenterPoint::cpLowerLeft:
        p = {bw, h - bw};
        break;
    case TCenterPoint::cpLowerCenter:
        p = {w / 2, h - bw};
        break;
    case TCenterPoint::cpLowerRight:
        p = {w - bw, h - bw};
        break;
    }
    switch (m_centerPoint) {
    case TCenterPoint::cpUpperCenter:
    case TCenterPoint::cpLowerCenter:
        rx = w / 2 - 2 * bw;
        ry = h - 2 * bw;
        break;
    case TCenterPoint::cpLeftCenter:
    case TCenterPoint::cpRightCenter:
        rx = w - 2 * bw;
        ry = h / 2 - 2 * bw;
        break;
    case TCenterPoint::cpCenter:
        rx = w / 2 - 2 * bw;
        ry = h / 2 - 2 * bw;
        break;
    default:
        rx = w - 2 * bw;
        ry = h - 2 * bw;
        break;
    }
    const int yy = canvas.TextHeight("Yy");
    const int step = canvas.TextWidth("w") + 2;
    const int ascent = canvas.TextMetrics().tmAscent;
    // A label too narrow for a radius would step by an infinite angle.
    const double stepRadius = rx > 0 ? double(rx) : 1.0;
    const bool enabled = isEnabled();
    const std::string text = GetLabelText();
    double alpha = m_angle * std::numbers::pi / 180.0;
    for (char ch : text) {
        const std::string one(1, ch);
        const int x = p.X - RoundEven((rx - yy) * std::sin(alpha));
        const int y = p.Y - RoundEven((ry - yy) * std::cos(alpha));
        TFont f = Font();
        f.Escapement = RoundEven(alpha * 1800.0 / std::numbers::pi);
        canvas.Font = f;
        const int charWidth = canvas.TextWidth(one);
        auto out = [&](int cx, int cy, TColor color) {
            canvas.Font.Color = color;
            const TPoint o = TextOriginForReference({cx, cy}, charWidth, ascent,
                                                    f.Escapement / 10.0, true, true);
            canvas.TextOut(o.X, o.Y, one);
        };
        if (!enabled) {
            out(x + 1, y + 1, gui::clBtnHighlight);
            out(x, y, gui::clBtnShadow);
        } else {
            switch (m_textStyle) {
            case TTextStyle::tsRaised:
                if (!m_lightTextStyle)
                    out(x + 1, y + 1, m_shadowColor);
                out(x - 1, y - 1, m_highlightColor);
                break;
            case TTextStyle::tsRecessed:
                out(x + 1, y + 1, m_highlightColor);
                if (!m_lightTextStyle)
                    out(x - 1, y - 1, m_shadowColor);
                break;
            case TTextStyle::tsShadow:
                out(x + m_shadowDepth, y + m_shadowDepth, m_shadowColor);
                break;
            case TTextStyle::tsNormal:
                break;
            }
            out(x, y, m_currentColor);
        }
        alpha -= step / stepRadius;
    }
}

void TFcLabel::paintEvent(QPaintEvent*) {
    gui::Guard([this] {
        TCanvas canvas(*this);
        Paint(canvas);
    });
}

void TFcLabel::MouseEnter() {
    // An enter without a leave between must not take the fly-by colour as
    // the one to go back to.
    if (m_flyByEnabled && !m_flyByApplied) {
        m_origColor = Font().Color;
        TFont f = Font();
        f.Color = m_flyByColor;
        m_flyByApplied = true;
        SetFont(f);
    }
    TFcBorderedControl::MouseEnter();
}

void TFcLabel::MouseLeave() {
    if (m_flyByEnabled && m_flyByApplied) {
        TFont f = Font();
        f.Color = m_origColor;
        m_flyByApplied = false;
        SetFont(f);
    }
    TFcBorderedControl::MouseLeave();
}

void TFcLabel::EnabledChanged() {
    update();
}

std::uint16_t TFcLabel::BlinkIntervalOn() const {
    return BlinkingControls ? BlinkingControls->IntervalOn() : 500;
}

std::uint16_t TFcLabel::BlinkIntervalOff() const {
    return BlinkingControls ? BlinkingControls->IntervalOff() : 500;
}

void TFcLabel::SetBlinkIntervalOn(std::uint16_t value) {
    if (BlinkingControls)
        BlinkingControls->SetIntervalOn(value);
}

void TFcLabel::SetBlinkIntervalOff(std::uint16_t value) {
    if (BlinkingControls)
        BlinkingControls->SetIntervalOff(value);
}

void TFcLabel::SetAngle(int value) {
    const int angle = NormalizeLabelAngle(value);
    if (m_angle == angle)
        return;
    m_angle = angle;
    if (!IsLoading() && angle != 0 && !FontIsTrueType(Font()))
        MutableFont().Name = "Verdana";
    if (angle != 0 && m_rotation == TRotation::roNone)
        m_rotation = TRotation::roFlat;
    AdjustBounds();
    update();
}

void TFcLabel::SetRotation(TRotation value) {
    if (m_rotation == value)
        return;
    if (!IsLoading() && value != TRotation::roNone && !FontIsTrueType(Font()))
        MutableFont().Name = "Verdana";
    m_rotation = value;
    if (value == TRotation::roNone) {
        m_angle = 0;
    } else if (value == TRotation::roFlat) {
        m_angle = 0;
        m_centerPoint = TCenterPoint::cpCenter;
    }
    // The turned text needs another size.
    AdjustBounds();
    update();
}

void TFcLabel::SetBlinking(bool value) {
    if (!StoreChanged(m_blinking, value))
        return;
    if (!value) {
        // The font may have changed colour while the label blinked.
        m_fontColor = m_currentColor = Font().Color;
        update();
    }
}

void TFcLabel::SetCondenseCaption(TFcCondenseCaption value) {
    if (!StoreChanged(m_condenseCaption, value))
        return;
    if (value != TFcCondenseCaption::ccNone)
        SetAutoSize(false);
    update();
}

void TFcLabel::SetFlyByEnabled(bool value) {
    if (!StoreChanged(m_flyByEnabled, value))
        return;
    // Give the font its colour back only when the fly-by colour is in it.
    if (!value && m_flyByApplied) {
        TFont f = Font();
        f.Color = m_origColor;
        m_flyByApplied = false;
        SetFont(f);
    }
    update();
}

// Margin and text style set the size the text needs, as the borders do: an
// auto-sized label follows at once (else its text would be cut), and the
// picture repaints also when the label does not size itself.
void TFcLabel::SetTextStyle(TTextStyle value) {
    if (!StoreChanged(m_textStyle, value))
        return;
    AdjustBounds();
    update();
}

void TFcLabel::SetTextMargin(int value) {
    if (!StoreChanged(m_textMargin, value))
        return;
    AdjustBounds();
    update();
}

void TFcLabel::SetShadowDepth(int value) {
    if (!StoreChanged(m_shadowDepth, value))
        return;
    AdjustBounds();
    update();
}

void TFcLabel::SetBlinkColor(TColor value) {
    if (StoreChanged(m_blinkColor, value))
        update();
}

void TFcLabel::SetCenterPoint(TCenterPoint value) {
    if (StoreChanged(m_centerPoint, value))
        update();
}

void TFcLabel::SetFlyByColor(TColor value) {
    if (StoreChanged(m_flyByColor, value))
        update();
}

void TFcLabel::SetHighlightColor(TColor value) {
    if (StoreChanged(m_highlightColor, value))
        update();
}

void TFcLabel::SetShadowColor(TColor value) {
    if (StoreChanged(m_shadowColor, value))
        update();
}

void TFcLabel::SetLightTextStyle(bool value) {
    if (StoreChanged(m_lightTextStyle, value))
        update();
}

void TFcLabel::SetLayout(TTextLayout value) {
    if (StoreChanged(m_layout, value))
        update();
}

void TFcLabel::SetAutoSize(bool value) {
    if (!StoreChanged(m_autoSize, value))
        return;
    setSizePolicy(value ? QSizePolicy::Fixed : QSizePolicy::Preferred,
                  value ? QSizePolicy::Fixed : QSizePolicy::Preferred);
    AdjustBounds();
}

void TFcLabel::CaptionChanged() {
    AdjustBounds();
    update();
}

void TFcLabel::SetShowAccelChar(bool value) {
    if (!StoreChanged(m_showAccelChar, value))
        return;
    AdjustBounds();
    update();
}

void TFcLabel::SetWordWrap(bool value) {
    if (!StoreChanged(m_wordWrap, value))
        return;
    AdjustBounds();
    update();
}

} // namespace vdx
