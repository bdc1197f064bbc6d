// The bitmap button: its kinds, the picture's cell and place by state and
// layout, image lists, and a modal form with OK and Cancel kinds.

#include "controls/buttons/FcBitBtn.h"

#include "platform/gui/image_list.h"
#include "platform/gui/modal_result.h"

#include "ButtonInput.h"
#include "WidgetPictures.h"

#include <QCheckBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace vdx {
namespace {

using gui::clBtnFace;
using gui::TColor;
using test::PixelAt;
using test::RenderWidget;
using test::Shown;
using K = TBitBtnKind;
using L = TButtonLayout;

TEST(FcBitBtn, Defaults) {
    TFcBitBtn b;
    EXPECT_EQ(b.Kind(), K::bkCustom);
    EXPECT_EQ(b.Layout(), L::blGlyphLeft);
    EXPECT_EQ(b.Margin(), 2);
    EXPECT_EQ(b.Spacing(), 4);
    EXPECT_EQ(b.NumGlyphs(), 1);
    EXPECT_EQ(b.ImageIndex(), -1);
    EXPECT_EQ(b.DisabledIndex(), -1);
    EXPECT_EQ(b.Images(), nullptr);
    EXPECT_EQ(b.GetGlyphSize(), (TPoint{0, 0}));
}

TEST(FcBitBtnKind, EveryKindsCaptionResultRoleAndGlyph) {
    struct Row {
        K kind;
        const char* caption;
        gui::TModalResult result;
        bool isDefault, isCancel;
    };
    const Row rows[] = {
        {K::bkOK, "OK", gui::mrOk, true, false},
        {K::bkCancel, "Cancel", gui::mrCancel, false, true},
        {K::bkHelp, "&Help", gui::mrNone, false, false},
        {K::bkYes, "&Yes", gui::mrYes, true, false},
        {K::bkNo, "&No", gui::mrNo, false, true},
        {K::bkClose, "&Close", gui::mrNone, false, false},
        {K::bkAbort, "Abort", gui::mrAbort, false, false},
        {K::bkRetry, "&Retry", gui::mrRetry, false, false},
        {K::bkIgnore, "&Ignore", gui::mrIgnore, false, false},
        {K::bkAll, "&All", gui::mrAll, false, false},
    };
    EXPECT_EQ(gui::mrAll, 8);
    std::vector<QImage> seen;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        TFcBitBtn b;
        b.SetKind(row.kind);
        EXPECT_EQ(b.Kind(), row.kind);
        EXPECT_EQ(b.Caption(), row.caption);
        EXPECT_EQ(b.ModalResult(), row.result);
        EXPECT_EQ(b.Default(), row.isDefault);
        EXPECT_EQ(b.Cancel(), row.isCancel);
        // Two 16 x 16 cells, background at the bottom-left pixel; the
        // disabled cell is another picture; every kind has its own.
        const gui::TBitmap& glyph = b.Glyph();
        ASSERT_EQ(glyph.Width(), 32);
        ASSERT_EQ(glyph.Height(), 16);
        EXPECT_EQ(b.NumGlyphs(), 2);
        EXPECT_EQ(b.GetGlyphSize(), (TPoint{16, 16}));
        const QImage normal = glyph.Image().copy(0, 0, 16, 16);
        const QImage disabled = glyph.Image().copy(16, 0, 16, 16);
        const TColor background = glyph.EffectiveTransparentColor();
        EXPECT_EQ(PixelAt(disabled, 0, 15), background);
        EXPECT_FALSE(test::InkBounds(normal, normal.rect(), background).isEmpty());
        EXPECT_NE(normal, disabled);
        for (const QImage& other : seen)
            EXPECT_NE(normal, other);
        seen.push_back(normal);
        EXPECT_EQ(&LoadKindGlyph(row.kind), &LoadKindGlyph(row.kind)); // made once
    }
    EXPECT_EQ(LoadKindGlyph(K::bkCustom).Width(), 0);
}

TEST(FcBitBtnKind, ReadsBackAsCustomOnceItNoLongerMatches) {
    using Change = std::function<void(TFcBitBtn&)>;
    const std::pair<const char*, Change> changes[] = {
        {"default", [](TFcBitBtn& b) { b.SetDefault(false); }},
        {"cancel", [](TFcBitBtn& b) { b.SetCancel(true); }},
        {"modal result", [](TFcBitBtn& b) { b.SetModalResult(gui::mrRetry); }},
        {"glyph", [](TFcBitBtn& b) { b.SetGlyph(QImage(16, 16, QImage::Format_RGB32)); }},
    };
    for (const auto& [name, change] : changes) {
        SCOPED_TRACE(name);
        TFcBitBtn b;
        b.SetKind(K::bkOK);
        change(b);
        EXPECT_EQ(b.Kind(), K::bkCustom);
        EXPECT_EQ(b.Caption(), "OK");
    }
    TFcBitBtn b;
    b.SetKind(K::bkCancel);
    b.SetKind(K::bkCustom); // keeps what the kind set
    EXPECT_EQ(b.Caption(), "Cancel");
    EXPECT_TRUE(b.Cancel());
    EXPECT_EQ(b.ModalResult(), gui::mrCancel);
    EXPECT_EQ(b.Glyph().Width(), 32);
    // While loading only an empty caption takes the kind's.
    TFcBitBtn loaded;
    loaded.BeginLoading();
    loaded.SetCaption("Fine");
    loaded.SetKind(K::bkOK);
    EXPECT_EQ(loaded.Caption(), "Fine");
    loaded.Loaded();
}

TEST(FcBitBtn, NumGlyphsMarginAndScale) {
    struct Row {
        int width;
        int expected;
    };
    for (const Row& row : {Row{64, 4}, Row{80, 1}, Row{30, 2}, Row{16, 1}}) {
        TFcBitBtn b;
        b.SetNumGlyphs(2);
        b.SetGlyph(QImage(row.width, 16, QImage::Format_RGB32));
        EXPECT_EQ(b.NumGlyphs(), row.expected) << row.width;
    }
    TFcBitBtn b;
    b.SetNumGlyphs(0);
    b.SetNumGlyphs(5);
    EXPECT_EQ(b.NumGlyphs(), 1);
    b.SetMargin(-2);
    EXPECT_EQ(b.Margin(), 2);
    b.SetMargin(-1);
    EXPECT_EQ(b.Margin(), -1);
    b.SetMargin(3);
    b.ChangeScale(3, 2);
    EXPECT_EQ(b.Margin(), 5); // 4.5 rounds up
    EXPECT_EQ(b.Spacing(), 6);
}

// Four 4 x 4 cells: red, lime, blue, yellow, each with a teal (transparent)
// bottom-left pixel.
QImage FourCells() {
    QImage strip(16, 4, QImage::Format_RGB32);
    const TColor cells[] = {gui::clRed, gui::clLime, gui::clBlue, gui::clYellow};
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 4; ++y)
            strip.setPixelColor(x, y,
                                gui::ToQColor(x % 4 == 0 && y == 3 ? gui::clTeal : cells[x / 4]));
    return strip;
}

// Where the picture of a 40 x 24 button without a caption stands, and which
// cell it shows. The caption rectangle is (5, 5, 35, 19).
TEST(FcBitBtnPicture, CellAndPlaceByStateAndLayout) {
    struct Row {
        const char* name;
        std::function<void(TFcBitBtn&)> setup;
        QPoint at;
        TColor cell;
    };
    const Row rows[] = {
        {"left", [](TFcBitBtn&) {}, {7, 10}, gui::clRed},
        {"right", [](TFcBitBtn& b) { b.SetLayout(L::blGlyphRight); }, {29, 10}, gui::clRed},
        {"top", [](TFcBitBtn& b) { b.SetLayout(L::blGlyphTop); }, {18, 7}, gui::clRed},
        {"bottom", [](TFcBitBtn& b) { b.SetLayout(L::blGlyphBottom); }, {18, 13}, gui::clRed},
        {"left, margin 6", [](TFcBitBtn& b) { b.SetMargin(6); }, {11, 10}, gui::clRed},
        {"left, margin -1: at the caption rectangle's edge",
         [](TFcBitBtn& b) { b.SetMargin(-1); },
         {5, 10},
         gui::clRed},
        {"right to left: left is drawn right",
         [](TFcBitBtn& b) { b.setLayoutDirection(Qt::RightToLeft); },
         {29, 10},
         gui::clRed},
        {"disabled", [](TFcBitBtn& b) { b.setEnabled(false); }, {7, 10}, gui::clLime},
        {"clicked", [](TFcBitBtn& b) { test::Press(b, QPoint(3, 3)); }, {8, 11}, gui::clBlue},
        {"latched",
         [](TFcBitBtn& b) {
             b.SetGroupIndex(1);
             b.SetDown(true);
         },
         {8, 11},
         gui::clYellow},
        {"hot track, clicked: no offset",
         [](TFcBitBtn& b) {
             b.SetHotTrack(true);
             test::Press(b, QPoint(3, 3));
         },
         {7, 10},
         gui::clBlue},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TFcBitBtn b;
        b.resize(40, 24);
        b.SetGlyph(FourCells());
        ASSERT_EQ(b.NumGlyphs(), 4);
        row.setup(b);
        EXPECT_EQ(b.CalcLayout(), gui::Bounds(row.at.x(), row.at.y(), 4, 4));
        const QImage image = RenderWidget(b);
        const int x = row.at.x(), y = row.at.y();
        EXPECT_EQ(PixelAt(image, x, y), row.cell);
        EXPECT_EQ(PixelAt(image, x + 3, y + 3), row.cell);
        EXPECT_NE(PixelAt(image, x - 1, y), row.cell);
        EXPECT_NE(PixelAt(image, x, y - 1), row.cell);
        EXPECT_NE(PixelAt(image, x, y + 3), row.cell); // the transparent pixel
    }
}

TEST(FcBitBtnPicture, CaptionMakesRoomForThePicture) {
    TFcBitBtn b;
    b.resize(80, 24);
    b.SetCaption("HIH");
    b.SetAlignment(TAlignment::taLeftJustify);
    const QImage plain = RenderWidget(b);
    const QRect alone = test::InkBounds(plain, QRect(2, 2, 76, 20), clBtnFace);
    b.SetGlyph(FourCells());
    const QImage image = RenderWidget(b);
    const QRect text = test::InkBounds(image, QRect(12, 2, 66, 20), clBtnFace);
    // Margin 2, the picture 4 and Spacing 4 to the left of the caption.
    EXPECT_EQ(text, alone.translated(2 + 4 + 4, 0));
}

// Two 8 x 8 images: red, blue; and one 32 x 32.
class ImagesButton : public ::testing::Test {
protected:
    void SetUp() override {
        QImage strip(16, 8, QImage::Format_RGB32);
        strip.fill(gui::ToQColor(gui::clRed));
        for (int x = 8; x < 16; ++x)
            for (int y = 0; y < 8; ++y)
                strip.setPixelColor(x, y, gui::ToQColor(gui::clBlue));
        images->AddMasked(strip, gui::clNone);
        button.resize(60, 30);
        button.SetImages(images.get());
        button.SetImageIndex(0);
    }
    // The picture's first pixel.
    TColor At() {
        const TRect r = button.CalcLayout();
        return PixelAt(RenderWidget(button), r.Left, r.Top);
    }
    std::unique_ptr<gui::TCustomImageList> images = std::make_unique<gui::TCustomImageList>(8, 8);
    TFcBitBtn button;
};

TEST_F(ImagesButton, EnabledAndDisabledImages) {
    EXPECT_EQ(button.GetGlyphSize(), (TPoint{8, 8}));
    EXPECT_EQ(At(), gui::clRed);
    button.setEnabled(false);
    EXPECT_EQ(At(), Shown(gui::clBtnShadow)); // the list's disabled look
    button.SetDisabledIndex(1);
    EXPECT_EQ(At(), gui::clBlue);
    button.setEnabled(true);
    EXPECT_EQ(At(), gui::clRed);
    button.SetImageIndex(7); // outside the list: nothing
    EXPECT_EQ(At(), Shown(clBtnFace));
}

TEST_F(ImagesButton, KindGlyphWinsAndSizesThePicture) {
    gui::TCustomImageList big(32, 32);
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(gui::ToQColor(gui::clRed));
    big.AddMasked(image, gui::clNone);
    button.SetImages(&big);
    button.SetKind(K::bkOK);
    // The kind's 16 x 16 glyph is drawn, and placed for its own size.
    EXPECT_EQ(button.GetGlyphSize(), (TPoint{16, 16}));
    EXPECT_EQ(button.CalcLayout().Width(), 16);
    const QImage shown = RenderWidget(button);
    const TRect r = button.CalcLayout();
    EXPECT_EQ(shown.copy(gui::ToQRect(r)).pixelColor(7, 9),
              button.Glyph().Image().pixelColor(7, 9));
    button.SetDefault(false); // now custom: the list's image
    EXPECT_EQ(button.Kind(), K::bkCustom);
    EXPECT_EQ(button.GetGlyphSize(), (TPoint{32, 32}));
    EXPECT_EQ(At(), gui::clRed);
}

TEST_F(ImagesButton, ListGoneLeavesNoImages) {
    images.reset();
    EXPECT_EQ(button.Images(), nullptr);
    EXPECT_EQ(button.GetGlyphSize(), (TPoint{0, 0}));
    RenderWidget(button);
}

// A modal form with OK and Cancel kinds, a check box and a memo; each row
// focuses a control, then types its keys, one event each.
TEST(FcBitBtnModalForm, EnterEscapeAndTheResultTakenBack) {
    struct Row {
        const char* name;
        int focus; // 0 check box, 1 memo, 2 Cancel
        std::vector<int> keys;
        bool takeBackOnce;
        int expected;
        int memoLines;
    };
    const Row rows[] = {
        {"enter on the check box clicks OK", 0, {Qt::Key_Return}, false, gui::mrOk, 1},
        {"keypad enter", 0, {Qt::Key_Enter}, false, gui::mrOk, 1},
        {"escape clicks Cancel", 0, {Qt::Key_Escape}, false, gui::mrCancel, 1},
        {"enter on the focused Cancel", 2, {Qt::Key_Return}, false, gui::mrCancel, 1},
        {"enter in the memo adds a line",
         1,
         {Qt::Key_Return, Qt::Key_Escape},
         false,
         gui::mrCancel,
         2},
        {"OnClick takes the result back: open until the second enter",
         0,
         {Qt::Key_Return, Qt::Key_Return},
         true,
         gui::mrOk,
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QDialog dlg;
        dlg.resize(300, 200);
        auto* check = new QCheckBox(QStringLiteral("Check"), &dlg);
        check->setGeometry(10, 10, 100, 20);
        auto* memo = new QPlainTextEdit(&dlg);
        memo->setGeometry(10, 40, 200, 80);
        auto* ok = new TFcBitBtn(&dlg);
        ok->setGeometry(60, 150, 75, 25);
        ok->SetKind(K::bkOK);
        auto* cancel = new TFcBitBtn(&dlg);
        cancel->setGeometry(140, 150, 75, 25);
        cancel->SetKind(K::bkCancel);
        bool takeBack = row.takeBackOnce;
        int okClicks = 0;
        ok->OnClick = [&](QObject*) {
            ++okClicks;
            if (std::exchange(takeBack, false))
                gui::SetFormModalResult(dlg, gui::mrNone);
        };
        QWidget* const focus[] = {check, memo, cancel};
        bool focused = false;
        std::vector<bool> openBetween;
        std::size_t next = 0;
        int tries = 0;
        std::function<void()> step = [&] {
            if (next == 0 && !focused) {
                // The dialog becomes active a little after it shows.
                dlg.activateWindow();
                focus[row.focus]->setFocus();
                focused = QApplication::focusWidget() == focus[row.focus];
                if (!focused) {
                    if (++tries > 100)
                        dlg.done(-2);
                    else
                        QTimer::singleShot(10, &dlg, step);
                    return;
                }
            } else {
                openBetween.push_back(dlg.isVisible());
            }
            if (next < row.keys.size()) {
                const int key = row.keys[next++];
                test::KeyDown(*QApplication::focusWidget(), key,
                              key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier,
                              key == Qt::Key_Escape ? QString(QChar(27)) : QStringLiteral("\r"));
                QTimer::singleShot(0, &dlg, step);
            }
        };
        QTimer::singleShot(0, &dlg, step);
        QTimer::singleShot(3000, &dlg, [&dlg] { dlg.done(-1); });
        const int result = dlg.exec();
        if (result == -2 || !focused)
            GTEST_SKIP() << "the platform gives no focus";
        EXPECT_EQ(result, row.expected);
        EXPECT_EQ(memo->blockCount(), row.memoLines);
        // Every key but the last left the form open.
        for (std::size_t i = 0; i + 1 < row.keys.size() && i < openBetween.size(); ++i)
            EXPECT_TRUE(openBetween[i]) << i;
        if (row.takeBackOnce) {
            EXPECT_EQ(okClicks, 2);
        }
    }
}

} // namespace
} // namespace vdx
