#pragma once
// The push button with a picture: a bitmap strip of up to four cells
// (Glyph) or an image of an image list, left, right, above or below the
// caption, Margin from the edge and Spacing from the caption. A Kind other
// than bkCustom makes it a standard dialog button with its caption, modal
// result, default or cancel role and glyph.

#include "controls/base/FcGrafx.h"
#include "controls/buttons/FcBitBtnKinds.h"
#include "controls/buttons/FcButton.h"
#include "platform/gui/bitmap.h"
#include "platform/gui/image_list.h"

#include <cstdint>

namespace vdx {

enum class TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TFcBitBtn : public TFcButton {
    Q_OBJECT

public:
    explicit TFcBitBtn(QWidget* parent = nullptr);
    ~TFcBitBtn() override;

    // A strip of NumGlyphs equal cells: 0 up, 1 disabled, 2 clicked, 3
    // latched down.
    const gui::TBitmap& Glyph() const noexcept { return m_glyph.Bitmap(); }
    int NumGlyphs() const noexcept { return m_glyph.NumGlyphs(); }
    // bkCustom once Default, Cancel, ModalResult or Glyph no longer match
    // the kind.
    TBitBtnKind Kind() const;
    TButtonLayout Layout() const noexcept { return m_layout; }
    int Margin() const noexcept { return m_margin; }
    int Spacing() const noexcept { return m_spacing; }
    gui::TCustomImageList* Images() const noexcept { return m_imagesLink.Images(); }
    int ImageIndex() const noexcept { return m_imageIndex; }
    int DisabledIndex() const noexcept { return m_disabledIndex; }

    // Takes a copy of the picture (and its transparency settings); a strip
    // whose width is a multiple of its height sets NumGlyphs to the number
    // of cells (1 for more than four).
    void SetGlyph(const gui::TBitmap& value);
    void SetGlyph(const QImage& value);
    // Values outside 1..4 are refused.
    void SetNumGlyphs(int value);
    // A standard kind sets Default, Cancel, the caption (while loading only
    // an empty one), ModalResult and the kind's glyph; bkCustom changes
    // nothing else.
    void SetKind(TBitBtnKind value);
    void SetLayout(TButtonLayout value);
    // -1 centres the picture and caption block (see GetCaptionRect); below
    // -1 is refused.
    void SetMargin(int value);
    void SetSpacing(int value);
    // Not owned: the button hears of the list's changes and of its end.
    void SetImages(gui::TCustomImageList* value);
    void SetImageIndex(int value);
    // -1: the list draws ImageIndex in its disabled look.
    void SetDisabledIndex(int value);
    // Margin and Spacing scaled by m / d (fields only), as a form's scaling
    // does.
    void ChangeScale(int m, int d);

    // The size of the picture drawn: the image list's for an image, the
    // glyph's cell otherwise, (0, 0) without a picture.
    TPoint GetGlyphSize() const;
    // Where the picture is drawn.
    TRect CalcLayout() const;

protected:
    TRect GetCaptionRect() const override;
    void DrawButtonCaption(TCanvas& canvas) override;
    virtual void DrawImageListGlyph(TCanvas& canvas, const TRect& rect);
    virtual void DrawBitmapGlyph(TCanvas& canvas, const TRect& rect);

private:
    enum class TPicture : std::uint8_t { None, ImageList, Bitmap };
    // The picture painting shows: the image list's only for a custom
    // button with an image.
    TPicture PictureDrawn() const;
    // The layout with right-to-left applied.
    TButtonLayout EffectiveLayout() const;
    // The caption's height measured in rect.
    int CaptionHeight(const TRect& rect) const;

    TFcGlyphStrip m_glyph;
    mutable TBitBtnKind m_kind = TBitBtnKind::bkCustom;
    TButtonLayout m_layout = TButtonLayout::blGlyphLeft;
    int m_margin = 2;
    int m_spacing = 4;
    gui::TChangeLink m_imagesLink;
    int m_imageIndex = -1;
    int m_disabledIndex = -1;
    bool m_modifiedGlyph = false;
};

} // namespace vdx
