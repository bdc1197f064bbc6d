#include "controls/buttons/FcRadChk.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcGrafx.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/frame_control.h"
#include "platform/gui/text_layout.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

#include <algorithm>
#include <utility>

namespace vdx {

using gui::TBitmap;

namespace {

constexpr int kClassicGlyphSize = 13;

// dest becomes a copy of src in which every pixel of colour from is brush
// (the canvas's BrushCopy).
void BrushCopy(TBitmap& dest, const TBitmap& src, TColor from, TColor brush) {
    QImage image = src.Image().convertToFormat(QImage::Format_RGB32);
    const QRgb match = gui::ToQColor(from).rgb() & 0xFFFFFF;
    const QRgb fill = gui::ToQColor(brush).rgb();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xFFFFFF) == match)
                line[x] = fill;
    }
    dest.Assign(image);
}

} // namespace

int CheckBoxGlyphIndex(TCheckBoxState state, bool enabled, bool pressed, bool hot) noexcept {
    const int s = int(state);
    if (!enabled)
        return 6 + s;
    if (pressed)
        return 3 + s;
    if (hot)
        return 9 + s;
    return s;
}

TRect GlyphButtonGlyphRect(int width, int height, int glyphWidth, int glyphHeight, bool glyphRight,
                           TAlignmentVertical alignment) noexcept {
    const int x = glyphRight ? width - glyphWidth : 0;
    int y = 2;
    if (alignment == TAlignmentVertical::avCenter)
        y = (height - glyphHeight) / 2;
    else if (alignment == TAlignmentVertical::avBottom)
        y = height - glyphHeight - 2;
    return gui::Bounds(x, y, glyphWidth, glyphHeight);
}

// TFcCustomGlyphButton.

TFcCustomGlyphButton::TFcCustomGlyphButton(QWidget* parent) : TFcCustomButton(parent) {
    SetAlignment(TAlignment::taRightJustify);
    SetParentColor(true);
    m_customGlyphImages.OnChange = [this] {
        UpdateUseCustomGlyphs();
        update();
    };
    m_customGlyphImages.OnRemoved = m_customGlyphImages.OnChange;
}

TFcCustomGlyphButton::~TFcCustomGlyphButton() = default;

bool TFcCustomGlyphButton::GlyphOnRight() const {
    return isRightToLeft() == (Alignment() == TAlignment::taRightJustify);
}

TRect TFcCustomGlyphButton::GlyphRect() const {
    return GlyphButtonGlyphRect(width(), height(), m_glyphWidth, m_glyphHeight, GlyphOnRight(),
                                AlignmentVertical());
}

TRect TFcCustomGlyphButton::CaptionRect() const {
    TRect r = InflateRect(ClientRect(), -1, -1);
    if (GlyphOnRight())
        r.Right -= m_glyphWidth;
    else
        r.Left += m_glyphWidth + 4;
    return r;
}

void TFcCustomGlyphButton::TransparentGlyphHook(TBitmap&) {}

void TFcCustomGlyphButton::ExtractGlyph(int index, TBitmap& bitmap, int height, int width,
                                        const TBitmap& strip) {
    bitmap.SetSize(width, height);
    gui::BitBlt(bitmap.Canvas(), 0, 0, width, height, strip.Image(), index * width, 0);
    bitmap.Canvas().Release();
}

void TFcCustomGlyphButton::DrawGlyph(TCanvas& canvas) {
    const TRect g = GlyphRect();
    const int w = m_glyphWidth, h = m_glyphHeight;
    if (w <= 0 || h <= 0)
        return;
    const TRect d = gui::Rect(0, 0, w, h);
    TBitmap built, onBackground(w, h);
    if (Transparent()) {
        // The glyph goes onto what is painted under it.
        if (const QImage* under = canvas.Image())
            gui::BitBlt(onBackground.Canvas(), 0, 0, w, h, *under, g.Left, g.Top);
        BuildGlyphs(built);
        StretchTransparentBitmap(onBackground.Canvas(), built, d, d, m_transparentColor);
        onBackground.Canvas().Release();
    } else {
        BuildGlyphs(built);
        BrushCopy(onBackground, built, m_transparentColor, Color());
    }
    TBitmap masked;
    const TBitmap* result = &onBackground;
    if (m_useCustomGlyphs) {
        BrushCopy(masked, onBackground, m_winMaskColor, gui::clWindow);
        result = &masked;
    } else if (Transparent()) {
        TransparentGlyphHook(onBackground);
    }
    gui::BitBlt(canvas, g.Left, g.Top, w, h, result->Image(), 0, 0);
}

void TFcCustomGlyphButton::Paint(TCanvas& canvas) {
    const int w = width(), h = height();
    if (w <= 0 || h <= 0)
        return;
    TBitmap picture(w, h);
    TCanvas& pc = picture.Canvas();
    pc.Font = Font();
    pc.Brush.SetColor(Color());
    if (Transparent())
        PaintParentBackground(*this, pc, true);
    else
        pc.FillRect(gui::Rect(0, 0, w, h));
    DrawGlyph(pc);

    const TRect caption = CaptionRect();
    unsigned flags = isRightToLeft() ? gui::DT_RIGHT : gui::DT_LEFT;
    flags |= m_wordWrap ? gui::DT_WORDBREAK | gui::DT_EXPANDTABS : gui::DT_EXPANDTABS;
    DrawCaption(pc, caption, flags);
    if (ShowFocusCues() && FocusInside() && !Caption().empty())
        DrawDottedFocusBox(pc, InflateRect(caption, 1, 1));
    pc.Release();
    gui::BitBlt(canvas, 0, 0, w, h, picture.Image(), 0, 0);
}

void TFcCustomGlyphButton::AdjustBounds() {
    if (IsLoading() || !m_autoSize)
        return;
    TRect r = InflateRect(ClientRect(), -1, -1);
    r.Right -= m_glyphWidth + 4;
    if (r.Width() < 2)
        r.Right = r.Left + 2;
    QImage scratch(1, 1, QImage::Format_RGB32);
    {
        TCanvas canvas(scratch);
        canvas.Font = Font();
        unsigned flags = gui::DT_CALCRECT | gui::DT_EXPANDTABS;
        if (m_wordWrap)
            flags |= gui::DT_WORDBREAK;
        DrawTextOnCanvas(canvas, Caption(), r, flags);
    }
    const int newWidth = r.Width() + 2 + m_glyphWidth + 4;
    const int newHeight = std::max(m_glyphHeight + 2, r.Height() + 2);
    const int left = GlyphOnRight() ? x() + width() - newWidth : x();
    setGeometry(left, y(), newWidth, newHeight);
}

void TFcCustomGlyphButton::UpdateFromFrameController(const TFcFrameController& fc,
                                                     TFcFrameControllerProperty) {
    if (!fc.FrameVisible())
        return;
    using P = TFcFrameControllerProperty;
    const TFcFrameControllerNotifications n = FrameControllerNotifications();
    TFcCustomButton::SetHotTrack(true);
    if (n.Contains(P::fcpColor))
        m_fillColor = fc.Color();
    if (n.Contains(P::fcpFrameColor))
        TFcCustomButton::SetFrameColor(fc.FrameColor());
    if (n.Contains(P::fcpFocusColor))
        StoreFocusColor(fc.FocusColor());
    if (n.Contains(P::fcpDisabledColor))
        TFcCustomButton::SetDisabledColor(fc.DisabledColor());
    if (n.Contains(P::fcpReadOnlyColor))
        m_readOnlyColor = fc.ReadOnlyColor();
    if (n.Contains(P::fcpReadOnlyColorOnFocus))
        m_readOnlyColorOnFocus = fc.ReadOnlyColorOnFocus();
    if (n.Contains(P::fcpFrameHotTrack))
        m_hotTrackStyle = fc.FrameHotTrack() ? TFcButtonHotTrackStyle::htsFrame
                                             : TFcButtonHotTrackStyle::htsInterior;
    if (n.Contains(P::fcpFrameHotColor) && m_hotTrackStyle == TFcButtonHotTrackStyle::htsFrame)
        SetHotTrackColor(fc.FrameHotColor());
    update();
}

void TFcCustomGlyphButton::Loaded() {
    TFcCustomButton::Loaded();
    // A box taller than one line of its font wraps its caption.
    if (MinimumHeightForFont(Font()) < height())
        m_wordWrap = true;
    AdjustBounds();
}

void TFcCustomGlyphButton::SetAutoSize(bool value) {
    if (StoreChanged(m_autoSize, value))
        AdjustBounds();
}

void TFcCustomGlyphButton::SetWordWrap(bool value) {
    if (StoreChanged(m_wordWrap, value)) {
        AdjustBounds();
        update();
    }
}

void TFcCustomGlyphButton::SetCustomGlyphs(const TBitmap& value) {
    SetCustomGlyphs(value.Image());
}

void TFcCustomGlyphButton::SetCustomGlyphs(const QImage& value) {
    m_customGlyphs.Assign(value);
    UpdateUseCustomGlyphs();
    update();
}

void TFcCustomGlyphButton::SetCustomGlyphImages(gui::TCustomImageList* value) {
    m_customGlyphImages.SetImages(value);
    UpdateUseCustomGlyphs();
    update();
}

void TFcCustomGlyphButton::UpdateUseCustomGlyphs() {
    const gui::TCustomImageList* images = CustomGlyphImages();
    if (images && images->Width() > 0 && images->Height() > 0 && images->Count() > 0)
        SetUseCustomGlyphs(true);
    else
        SetUseCustomGlyphs(m_customGlyphs.Width() > 0 && m_customGlyphs.Height() > 0);
}

void TFcCustomGlyphButton::SetUseCustomGlyphs(bool value) {
    m_useCustomGlyphs = value;
    if (const gui::TCustomImageList* images = CustomGlyphImages(); value && images) {
        m_glyphWidth = images->Width();
        m_glyphHeight = images->Height();
    } else if (value) {
        m_glyphWidth = m_customGlyphs.Width() / m_glyphCount;
        m_glyphHeight = m_customGlyphs.Height();
    } else {
        m_glyphWidth = kClassicGlyphSize;
        m_glyphHeight = kClassicGlyphSize;
    }
    // Only an auto-sized control changes its size for the new glyph.
    AdjustBounds();
    update();
}

void TFcCustomGlyphButton::SetFillColor(TColor value) {
    if (StoreChanged(m_fillColor, value))
        update();
}

void TFcCustomGlyphButton::SetFocusColor(TColor value) {
    if (value == FocusColor())
        return;
    TFcCustomButton::SetFocusColor(value);
    update();
}

void TFcCustomGlyphButton::SetFrameColor(TColor value) {
    if (value == FrameColor())
        return;
    TFcCustomButton::SetFrameColor(value);
    update();
}

void TFcCustomGlyphButton::SetDisabledColor(TColor value) {
    if (value == DisabledColor())
        return;
    TFcCustomButton::SetDisabledColor(value);
    update();
}

void TFcCustomGlyphButton::SetReadOnly(bool value) {
    if (StoreChanged(m_readOnly, value))
        update();
}

void TFcCustomGlyphButton::SetReadOnlyColor(TColor value) {
    if (StoreChanged(m_readOnlyColor, value))
        update();
}

void TFcCustomGlyphButton::SetReadOnlyColorOnFocus(bool value) {
    if (StoreChanged(m_readOnlyColorOnFocus, value))
        update();
}

void TFcCustomGlyphButton::SetTransparentColor(TColor value) {
    if (StoreChanged(m_transparentColor, value))
        update();
}

void TFcCustomGlyphButton::SetWinMaskColor(TColor value) {
    if (StoreChanged(m_winMaskColor, value))
        update();
}

void TFcCustomGlyphButton::FontChanged() {
    TFcCustomButton::FontChanged();
    AdjustBounds();
}

void TFcCustomGlyphButton::CaptionChanged() {
    TFcCustomButton::CaptionChanged();
    AdjustBounds();
}

void TFcCustomGlyphButton::ColorChanged() {
    TFcCustomButton::ColorChanged();
    update();
}

void TFcCustomGlyphButton::EnabledChanged() {
    TFcCustomButton::EnabledChanged();
    m_mouseClicking = false;
}

void TFcCustomGlyphButton::showEvent(QShowEvent* event) {
    TFcCustomButton::showEvent(event);
    // The first showing is the window's creation: the size follows.
    if (!std::exchange(m_shown, true))
        AdjustBounds();
}

void TFcCustomGlyphButton::mousePressEvent(QMouseEvent* event) {
    m_mouseClicking = true;
    TFcCustomButton::mousePressEvent(event);
}

void TFcCustomGlyphButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPointer<TFcCustomGlyphButton> self(this);
    TFcCustomButton::mouseReleaseEvent(event);
    if (!self)
        return event->accept();
    m_mouseClicking = false;
}

void TFcCustomGlyphButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!m_tabOnEnter || !enter) {
        TFcCustomButton::keyPressEvent(event);
        return;
    }
    // Enter moves on as Tab does; it never reaches the key press handler.
    const QPointer<TFcCustomGlyphButton> self(this);
    event->accept();
    if (!KeyDown(*event) || !self)
        return;
    focusNextPrevChild(true);
}

// TFcCustomCheckBox.

TFcCustomCheckBox::TFcCustomCheckBox(QWidget* parent) : TFcCustomGlyphButton(parent) {
    SetAlignmentVertical(TAlignmentVertical::avTop);
    SetGlyphCount(9);
}

TFcCustomCheckBox::~TFcCustomCheckBox() = default;

void TFcCustomCheckBox::SetState(TCheckBoxState value) {
    if (!StoreChanged(m_state, value))
        return;
    StateChanged();
    Click();
}

void TFcCustomCheckBox::SetChecked(bool value) {
    SetState(value ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
}

void TFcCustomCheckBox::Toggle() {
    if (MouseClicking() && ReadOnly())
        return;
    switch (m_state) {
    case TCheckBoxState::cbUnchecked:
        SetState(m_allowGrayed ? TCheckBoxState::cbGrayed : TCheckBoxState::cbChecked);
        break;
    case TCheckBoxState::cbGrayed:
        SetState(TCheckBoxState::cbChecked);
        break;
    case TCheckBoxState::cbChecked:
        SetState(TCheckBoxState::cbUnchecked);
        break;
    }
}

void TFcCustomCheckBox::BuildGlyphs(TBitmap& bitmap) {
    const int w = GlyphWidth(), h = GlyphHeight();
    const bool enabled = isEnabled();
    const bool pressed = ShowPressed();
    if (const gui::TCustomImageList* images = CustomGlyphImages(); UseCustomGlyphs() && images) {
        // The hot images only where the list has them; the grayed one shows
        // without HotTrack too.
        const int hotIndex = CheckBoxGlyphIndex(m_state, true, false, true);
        const bool hot = Hovered() && hotIndex < images->Count() &&
                         (HotTrack() || m_state == TCheckBoxState::cbGrayed);
        bitmap.SetSize(w, h);
        bitmap.Canvas().Brush.SetColor(TransparentColor());
        bitmap.Canvas().FillRect(gui::Rect(0, 0, w, h));
        images->Draw(bitmap.Canvas(), 0, 0, CheckBoxGlyphIndex(m_state, enabled, pressed, hot));
        bitmap.Canvas().Release();
        return;
    }
    if (UseCustomGlyphs()) {
        ExtractGlyph(CheckBoxGlyphIndex(m_state, enabled, pressed, false), bitmap, h, w,
                     CustomGlyphs());
        return;
    }
    bitmap.SetSize(w, h);
    const TRect r = gui::Rect(0, 0, w, h);
    if (HotTrack()) {
        TCheckBoxGlyph g;
        g.State = int(m_state);
        g.DrawState = !enabled ? 3 : pressed ? 1 : Hovered() ? 2 : 0;
        g.Focused = FocusInside();
        g.HotTrackStyle = HotTrackStyle();
        g.FrameColor = FrameColor();
        g.CheckColor = HighlightColor();
        g.FillColor = FillColor();
        g.FocusColor = FocusColor();
        g.DisabledColor = DisabledColor();
        if (HotTrackColorType() == TFcHotTrackColorType::htctActual) {
            g.HotFillColor = BlendColors(gui::clWhite, HotTrackColor(), 190);
            g.HotFrameColor = HotTrackColor();
        } else {
            const TColor k = ComplementColor(HotTrackColor(), 180);
            g.HotFillColor = k;
            g.HotFrameColor = DarkenColor(k, 30);
        }
        g.ReadOnly = ReadOnly();
        g.ReadOnlyColorOnFocus = ReadOnlyColorOnFocus();
        g.ReadOnlyColor = ReadOnlyColor();
        PaintCheckBoxGlyph(bitmap.Canvas(), r, g);
    } else {
        unsigned state = gui::DFCS_BUTTONCHECK;
        if (m_state == TCheckBoxState::cbChecked)
            state |= gui::DFCS_CHECKED;
        else if (m_state == TCheckBoxState::cbGrayed)
            state |= gui::DFCS_BUTTON3STATE | gui::DFCS_CHECKED;
        if (pressed)
            state |= gui::DFCS_PUSHED;
        if (!enabled)
            state |= gui::DFCS_INACTIVE;
        gui::DrawFrameControl(bitmap.Canvas(), r, gui::DFC_BUTTON, state);
    }
    bitmap.Canvas().Release();
}

bool TFcCustomCheckBox::DialogChar(char ch, Qt::KeyboardModifiers) {
    if (!gui::IsAccel(ch, Caption()) || !CanFocus())
        return false;
    const QPointer<TFcCustomCheckBox> self(this);
    setFocus(Qt::ShortcutFocusReason);
    if (self && window()->focusWidget() == this && !ReadOnly()) {
        Toggle();
        if (self)
            StateChanged();
    }
    return true;
}

void TFcCustomCheckBox::FocusExit() {
    TFcCustomGlyphButton::FocusExit();
    // A Space held when the focus left gives no toggle later.
    m_spaceToggle = false;
    SetShowPressed(false);
    StateChanged();
}

void TFcCustomCheckBox::keyPressEvent(QKeyEvent* event) {
    const QPointer<TFcCustomCheckBox> self(this);
    TFcCustomGlyphButton::keyPressEvent(event);
    if (!self)
        return event->accept();
    // Accepted: a key handler took it.
    if (event->isAccepted() || ReadOnly())
        return;
    if (event->key() == Qt::Key_Escape) {
        // The form's Cancel button still gets the Escape.
        m_spaceToggle = false;
        SetShowPressed(false);
        StateChanged();
    } else if (event->key() == Qt::Key_Space) {
        event->accept();
        if (event->isAutoRepeat())
            return;
        m_spaceToggle = true;
        SetShowPressed(true);
        StateChanged();
    }
}

void TFcCustomCheckBox::keyReleaseEvent(QKeyEvent* event) {
    const QPointer<TFcCustomCheckBox> self(this);
    TFcCustomGlyphButton::keyReleaseEvent(event);
    if (!self)
        return event->accept();
    if (event->isAccepted() || ReadOnly() || event->key() != Qt::Key_Space)
        return;
    event->accept();
    if (event->isAutoRepeat())
        return;
    SetShowPressed(false);
    if (std::exchange(m_spaceToggle, false))
        gui::Guard([this] { Toggle(); });
    if (self)
        StateChanged();
}

TFcCheckBox* CreateCheckBox(QWidget* parent, const char* name, const char* caption, int left,
                            int top, int width) {
    auto* box = new TFcCheckBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->BeginLoading();
    box->SetCaption(caption);
    box->Loaded();
    box->setGeometry(left, top, width, kFormCheckBoxHeight);
    return box;
}

} // namespace vdx
