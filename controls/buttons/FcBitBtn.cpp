#include "controls/buttons/FcBitBtn.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcGrafx.h"
#include "platform/gui/text_layout.h"

#include <QImage>

namespace vdx {

namespace {

constexpr unsigned kMeasureFlags =
    gui::DT_CALCRECT | gui::DT_EXPANDTABS | gui::DT_WORDBREAK | gui::DT_VCENTER | gui::DT_CENTER;

bool IsDefaultKind(TBitBtnKind k) {
    return k == TBitBtnKind::bkOK || k == TBitBtnKind::bkYes;
}
bool IsCancelKind(TBitBtnKind k) {
    return k == TBitBtnKind::bkCancel || k == TBitBtnKind::bkNo;
}

} // namespace

TFcBitBtn::TFcBitBtn(QWidget* parent) : TFcButton(parent) {
    m_imagesLink.OnChange = [this] { update(); };
    m_imagesLink.OnRemoved = [this] { update(); };
}

TFcBitBtn::~TFcBitBtn() = default;

void TFcBitBtn::SetGlyph(const gui::TBitmap& value) {
    m_glyph.Assign(value);
    update();
    m_modifiedGlyph = true;
}

void TFcBitBtn::SetGlyph(const QImage& value) {
    m_glyph.Assign(value);
    update();
    m_modifiedGlyph = true;
}

void TFcBitBtn::SetNumGlyphs(int value) {
    if (m_glyph.SetNumGlyphs(value))
        update();
}

TBitBtnKind TFcBitBtn::Kind() const {
    if (m_kind != TBitBtnKind::bkCustom &&
        (Default() != IsDefaultKind(m_kind) || Cancel() != IsCancelKind(m_kind) ||
         ModalResult() != KindModalResult(m_kind) || m_modifiedGlyph))
        m_kind = TBitBtnKind::bkCustom;
    return m_kind;
}

void TFcBitBtn::SetKind(TBitBtnKind value) {
    if (value == m_kind)
        return;
    if (value != TBitBtnKind::bkCustom) {
        SetDefault(IsDefaultKind(value));
        SetCancel(IsCancelKind(value));
        if (!IsLoading() || Caption().empty())
            SetCaption(KindCaption(value));
        SetModalResult(KindModalResult(value));
        m_glyph.Assign(LoadKindGlyph(value));
        update();
        SetNumGlyphs(2);
        m_modifiedGlyph = false;
    }
    m_kind = value;
    update();
}

void TFcBitBtn::SetLayout(TButtonLayout value) {
    if (StoreChanged(m_layout, value))
        update();
}

void TFcBitBtn::SetMargin(int value) {
    if (value < -1)
        return;
    if (StoreChanged(m_margin, value))
        update();
}

void TFcBitBtn::SetSpacing(int value) {
    if (StoreChanged(m_spacing, value))
        update();
}

void TFcBitBtn::SetImages(gui::TCustomImageList* value) {
    m_imagesLink.SetImages(value);
    update();
}

void TFcBitBtn::SetImageIndex(int value) {
    if (StoreChanged(m_imageIndex, value))
        update();
}

void TFcBitBtn::SetDisabledIndex(int value) {
    if (StoreChanged(m_disabledIndex, value))
        update();
}

void TFcBitBtn::ChangeScale(int m, int d) {
    if (d == 0)
        return;
    auto mulDiv = [m, d](int v) {
        const long long p = (long long)v * m;
        // MulDiv rounds half away from zero.
        const long long q = (2 * p + (((p < 0) != (d < 0)) ? -d : d)) / (2LL * d);
        return int(q);
    };
    m_margin = mulDiv(m_margin);
    m_spacing = mulDiv(m_spacing);
}

// Layout.

TFcBitBtn::TPicture TFcBitBtn::PictureDrawn() const {
    if (Kind() == TBitBtnKind::bkCustom && Images() && m_imageIndex != -1)
        return TPicture::ImageList;
    if (!m_glyph.Empty())
        return TPicture::Bitmap;
    return TPicture::None;
}

TPoint TFcBitBtn::GetGlyphSize() const {
    switch (PictureDrawn()) {
    case TPicture::ImageList:
        return {Images()->Width(), Images()->Height()};
    case TPicture::Bitmap:
        return m_glyph.CellSize();
    case TPicture::None:
        break;
    }
    return {0, 0};
}

TButtonLayout TFcBitBtn::EffectiveLayout() const {
    if (isRightToLeft() && m_layout == TButtonLayout::blGlyphLeft)
        return TButtonLayout::blGlyphRight;
    return m_layout;
}

int TFcBitBtn::CaptionHeight(const TRect& rect) const {
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(scratch);
    canvas.Font = Font();
    TRect measured = rect;
    return DrawTextOnCanvas(canvas, Caption(), measured, kMeasureFlags);
}

TRect TFcBitBtn::GetCaptionRect() const {
    TRect r = TFcButton::GetCaptionRect();
    if (PictureDrawn() == TPicture::None)
        return r;
    const TPoint size = GetGlyphSize();
    const int w = size.X, h = size.Y;
    const TButtonLayout layout = EffectiveLayout();
    if (m_margin >= 0) {
        switch (layout) {
        case TButtonLayout::blGlyphLeft:
            r.Left += m_margin + w + m_spacing;
            break;
        case TButtonLayout::blGlyphRight:
            r.Right -= m_margin + w + m_spacing;
            break;
        case TButtonLayout::blGlyphTop:
            r.Top += m_margin + h + m_spacing;
            break;
        case TButtonLayout::blGlyphBottom:
            r.Bottom -= m_margin + h + m_spacing;
            break;
        }
        return r;
    }
    const int th = CaptionHeight(r);
    const int x = (height() - (h + th + m_spacing)) / 2;
    switch (layout) {
    case TButtonLayout::blGlyphLeft:
        r.Left += m_margin + w + m_spacing;
        break;
    case TButtonLayout::blGlyphRight:
        r.Right -= m_margin + w + m_spacing;
        break;
    case TButtonLayout::blGlyphTop:
        r.Top += x + h;
        r.Bottom = r.Top + th;
        break;
    case TButtonLayout::blGlyphBottom:
        r.Top += x;
        r.Bottom = r.Top + th;
        break;
    }
    return r;
}

TRect TFcBitBtn::CalcLayout() const {
    TRect r = TFcButton::GetCaptionRect();
    const bool themes = UseThemes();
    if (ShowPressed())
        r = themes ? gui::OffsetRect(r, -1, 0) : gui::OffsetRect(r, -1, -1);
    const TPoint size = GetGlyphSize();
    const int w = size.X, h = size.Y;
    const TButtonLayout layout = EffectiveLayout();
    if (m_margin >= 0) {
        switch (layout) {
        case TButtonLayout::blGlyphLeft:
            r.Left += m_margin;
            break;
        case TButtonLayout::blGlyphRight:
            r.Left = r.Right - m_margin - w;
            break;
        case TButtonLayout::blGlyphTop:
            r.Top += m_margin;
            break;
        case TButtonLayout::blGlyphBottom:
            r.Top = r.Bottom - m_margin - h;
            break;
        }
    } else {
        const int th = CaptionHeight(r);
        const int x = (height() - (h + th + m_spacing)) / 2;
        switch (layout) {
        case TButtonLayout::blGlyphLeft:
            break;
        case TButtonLayout::blGlyphRight:
            r.Left = r.Right - w;
            break;
        case TButtonLayout::blGlyphTop:
            r.Top = x;
            break;
        case TButtonLayout::blGlyphBottom:
            r.Top += th + x;
            break;
        }
    }
    if (layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight)
        r.Top += (r.Bottom - r.Top - h + 1) / 2;
    else
        r.Left += (r.Right - r.Left - w + 1) / 2;
    r.Right = r.Left + w;
    r.Bottom = r.Top + h;
    if (ShowPressed())
        r = themes ? gui::OffsetRect(r, 2, 0) : gui::OffsetRect(r, 1, 1);
    return r;
}

// Painting.

void TFcBitBtn::DrawButtonCaption(TCanvas& canvas) {
    TFcButton::DrawButtonCaption(canvas);
    const TRect r = CalcLayout();
    switch (PictureDrawn()) {
    case TPicture::ImageList:
        DrawImageListGlyph(canvas, r);
        break;
    case TPicture::Bitmap:
        DrawBitmapGlyph(canvas, r);
        break;
    case TPicture::None:
        break;
    }
}

void TFcBitBtn::DrawImageListGlyph(TCanvas& canvas, const TRect& r) {
    gui::TCustomImageList* images = Images();
    if (!images)
        return;
    if (m_disabledIndex == -1) {
        images->Draw(canvas, r.Left, r.Top, m_imageIndex, isEnabled());
        return;
    }
    images->Draw(canvas, r.Left, r.Top, isEnabled() ? m_imageIndex : m_disabledIndex, true);
}

void TFcBitBtn::DrawBitmapGlyph(TCanvas& canvas, const TRect& r) {
    int cell = 0;
    const int n = m_glyph.NumGlyphs();
    if (n == 4 && ButtonState() == TFcButtonState::bsExclusive)
        cell = 3;
    else if (n >= 3 && ShowPressed())
        cell = 2;
    else if (n >= 2 && !isEnabled())
        cell = 1;
    m_glyph.DrawCell(canvas, r, cell);
}

} // namespace vdx
