#include "controls/lists/FcListBox.h"

#include "controls/base/FcFrameController.h"
#include "platform/os/file_error.h"

#include "TempDir.h"
#include "WidgetPictures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QTransform>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <any>
#include <numeric>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace vdx {
namespace {

using gui::clRed;
using gui::clYellow;
using test::PixelAt;
using test::RenderWidget;
using test::Shown;

// A list box that counts its beeps instead of sounding them.
class CountingListBox : public TFcCustomListBox {
public:
    using TFcCustomListBox::TFcCustomListBox;
    int beeps = 0;

protected:
    void Beep() override { ++beeps; }
};

void Type(QWidget& w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&w, &press);
}

class IncrementalSearch : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* s : {"Apple", "abc", "abd", "banana", "Cherry"})
            list.Items().Add(s);
        list.OnMatch = [this](QObject*) { ++matches; };
        list.OnClick = [this](QObject*) { ++clicks; };
        list.OnKeyPress = [this](QObject*, char& key) { keys += key; };
    }
    CountingListBox list;
    int matches = 0;
    int clicks = 0;
    std::string keys;
};

TEST_F(IncrementalSearch, TypedLettersExtendThePrefixUntilThePause) {
    list.HandleChar('a');
    EXPECT_EQ(list.ItemIndex(), 0); // without regard to case
    list.HandleChar('b');
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(list.SearchString(), "ab");
    EXPECT_TRUE(list.SearchTimer().isActive());
    EXPECT_EQ(list.SearchTimer().interval(), 1500);
    list.HandleChar('d');
    EXPECT_EQ(list.ItemIndex(), 2);
    EXPECT_EQ(matches, 3);
    EXPECT_EQ(keys, "abd");

    // The pause: the next letter starts a new search.
    list.SearchTimerExpired();
    EXPECT_EQ(list.SearchString(), "");
    Type(list, Qt::Key_B, "b");
    EXPECT_EQ(list.ItemIndex(), 3);
    EXPECT_EQ(list.beeps, 0);
    EXPECT_EQ(clicks, 0);
}

TEST_F(IncrementalSearch, ALetterThatMatchesNothingBeepsAndKeepsThePrefix) {
    list.HandleChar('a');
    list.HandleChar('x');
    EXPECT_EQ(list.beeps, 1);
    EXPECT_EQ(list.SearchString(), "a");
    EXPECT_EQ(list.ItemIndex(), 0);
    EXPECT_EQ(keys, "a"); // the refused key does not reach OnKeyPress
    list.HandleChar('b');
    EXPECT_EQ(list.ItemIndex(), 1);

    list.SetBeepOnInvalidKey(false);
    list.HandleChar('q');
    EXPECT_EQ(list.beeps, 1);
}

TEST_F(IncrementalSearch, Backspace) {
    // On an empty prefix: a beep, then the empty prefix finds the first item.
    list.HandleChar('\b');
    EXPECT_EQ(list.beeps, 1);
    EXPECT_EQ(list.ItemIndex(), 0);

    list.HandleChar('a');
    list.HandleChar('b');
    list.HandleChar('d');
    list.HandleChar('\b');
    EXPECT_EQ(list.SearchString(), "ab");
    EXPECT_EQ(list.ItemIndex(), 1);
    list.HandleChar('\b');
    list.SetItemIndex(4);
    // Removing the last typed letter selects the first item and clicks.
    list.HandleChar('\b');
    EXPECT_EQ(list.SearchString(), "");
    EXPECT_EQ(list.ItemIndex(), 0);
    EXPECT_EQ(clicks, 1);
}

TEST_F(IncrementalSearch, EscapeClearsTheSelectionAndNavigationTheSearch) {
    list.HandleChar('c');
    EXPECT_EQ(list.ItemIndex(), 4);
    Type(list, Qt::Key_Escape);
    EXPECT_EQ(list.ItemIndex(), -1);

    list.HandleChar('a');
    Type(list, Qt::Key_Down);
    EXPECT_EQ(list.SearchString(), "");
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(clicks, 1); // the keyboard moved the selection
}

TEST_F(IncrementalSearch, EnterMovesTheFocusOnlyWithTabOnEnter) {
    list.HandleChar('\r');
    EXPECT_EQ(keys, "\r");
    keys.clear();
    list.SetTabOnEnter(true);
    list.HandleChar('\r');
    EXPECT_EQ(keys, "");
    QCoreApplication::removePostedEvents(&list);
}

TEST_F(IncrementalSearch, MultiSelectMovesTheSelectionWithTheCaret) {
    list.SetMultiSelect(true);
    list.SetSelected(3, true);
    list.HandleChar('a'); // no caret yet: everything is deselected first
    EXPECT_TRUE(list.Selected(0));
    EXPECT_FALSE(list.Selected(3));
    list.HandleChar('b');
    EXPECT_FALSE(list.Selected(0));
    EXPECT_TRUE(list.Selected(1));
    EXPECT_EQ(list.CaretIndex(), 1);
    EXPECT_EQ(list.SelCount(), 1);
}

TEST_F(IncrementalSearch, WithoutItTheListJumpsByFirstLetter) {
    list.SetIncrementalSearch(false);
    list.HandleChar('a');
    EXPECT_EQ(list.ItemIndex(), 0);
    list.HandleChar('a');
    EXPECT_EQ(list.ItemIndex(), 1);
    list.HandleChar('b');
    EXPECT_EQ(list.ItemIndex(), 3);
    EXPECT_EQ(list.SearchString(), "");
}

TEST(FcListBoxText, PrefixesAndCase) {
    EXPECT_TRUE(SameTextPrefix("\xC4pple", "\xE4p")); // Ä and ä
    EXPECT_FALSE(SameTextPrefix("ab", "abc"));
    EXPECT_TRUE(SameTextPrefix("ab", ""));
    const std::vector<std::string> items = {"x", "ya", "yb"};
    EXPECT_EQ(FindItemWithPrefix(items, "Y"), 1);
    EXPECT_EQ(FindItemWithPrefix(items, "y", 1), 2);
    EXPECT_EQ(FindItemWithPrefix(items, "y", 2), 1); // wraps round
    EXPECT_EQ(FindItemWithPrefix(items, "z"), -1);
    EXPECT_EQ(FindItemWithPrefix({}, ""), -1);
}

TEST(FcListBoxText, ItemHintOnlyForItemsWiderThanTheBox) {
    EXPECT_FALSE(ItemHintNeeded(100, 0, 98));
    EXPECT_TRUE(ItemHintNeeded(100, 0, 99));
    EXPECT_TRUE(ItemHintNeeded(100, 10, 89));
}

TEST(FcListBoxExtent, NeverBelowTheClientWidthAndKeptIn16Bits) {
    TFcCustomListBox list;
    list.resize(120, 80);
    list.SetHorzScrollBar(true);
    list.Items().Add("x");
    EXPECT_EQ(list.HorzExtent(), list.ClientWidth());

    list.Items().Add(std::string(200, 'W'));
    const TFcTextMeasure m(list.Font());
    EXPECT_EQ(list.HorzExtent(), m.Width(std::string(200, 'W') + "x") + 1);
    EXPECT_GT(int(list.HorzExtent()), list.ClientWidth());
    EXPECT_EQ(list.ClientHeight(), 80 - 4 - kScrollBarSize); // the bar shows

    list.SetHorzExtent(70000);
    EXPECT_EQ(list.HorzExtent(), 70000 - 65536);

    // Inside an update nothing is measured.
    list.Items().BeginUpdate();
    list.Items().Add(std::string(300, 'W'));
    list.Items().EndUpdate();
    EXPECT_EQ(list.HorzExtent(), 70000 - 65536);
}

TEST(FcListBoxGroups, HeadersAndTheirItems) {
    TFcCustomListBox list;
    for (const char* s : {"plain", "//Section", "one", "two", "//Next", "three", "/x"})
        list.Items().Add(s);
    struct Row {
        int index;
        bool group;
        int groupIndex, groupNumber;
        const char* text;
    };
    const Row rows[] = {
        {-1, false, -1, -1, ""},    {0, false, -1, -1, "plain"}, {1, true, 1, 0, "Section"},
        {2, false, 1, -1, "one"},   {3, false, 1, -1, "two"},    {4, true, 4, 1, "Next"},
        {5, false, 4, -1, "three"}, {6, false, 4, -1, "/x"},     {7, false, 4, -1, ""}};
    for (const Row& r : rows) {
        EXPECT_EQ(list.IsGroupItem(r.index), r.group) << r.index;
        EXPECT_EQ(list.GetGroupIndex(r.index), r.groupIndex) << r.index;
        EXPECT_EQ(list.ItemHasGroup(r.index), r.groupIndex != -1) << r.index;
        EXPECT_EQ(list.GetGroupNumber(r.index), r.groupNumber) << r.index;
        EXPECT_EQ(list.GetItemText(r.index), r.text) << r.index;
    }
    // An empty prefix makes every item a header.
    list.SetGroupPrefix("");
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_TRUE(list.IsGroupItem(i)) << i;
}

TEST(FcListBoxGroups, ShowGroupsPaintsHeadersInTheGroupColours) {
    TFcCustomListBox list;
    list.resize(100, 60);
    list.SetItemHeight(13);
    list.Items().Add("//Section");
    list.Items().Add("item");
    list.SetShowGroups(true);
    EXPECT_EQ(list.Style(), TListBoxStyle::lbOwnerDrawFixed);
    EXPECT_GE(list.ItemHeight(), MinimumHeightForFont(list.Font()));
    const int ih = list.ItemHeight();

    const QImage image = RenderWidget(list);
    // The header's gradient starts in the group colour at the left and
    // runs to the list's colour; the plain item is on the list's colour.
    EXPECT_EQ(PixelAt(image, 2, 2 + ih - 1), Shown(gui::clInactiveCaptionText));
    EXPECT_EQ(PixelAt(image, 2, 2 + ih + 1), Shown(gui::clWindow));
    // The header text is in the group font's colour.
    bool highlight = false;
    for (int y = 2; y < 2 + ih; ++y)
        for (int x = 2; x < 60; ++x)
            highlight = highlight || PixelAt(image, x, y) == Shown(gui::clHighlight);
    EXPECT_TRUE(highlight);
}

class StandardRows : public ::testing::Test {
protected:
    void SetUp() override {
        list.resize(100, 80);
        list.SetItemHeight(13);
        for (const char* s : {"one", "two", "three", "four", "five"})
            list.Items().Add(s);
    }
    TFcCustomListBox list;
};

TEST_F(StandardRows, SelectedRowIsHighlightedInsideTheSunkenEdge) {
    list.SetItemIndex(1);
    const QImage image = RenderWidget(list);
    // The platform edge: two lowered rings.
    EXPECT_EQ(PixelAt(image, 0, 0), Shown(gui::clBtnShadow));
    EXPECT_EQ(PixelAt(image, 99, 79), Shown(gui::clBtnHighlight));
    EXPECT_EQ(PixelAt(image, 1, 1), Shown(gui::cl3DDkShadow));
    EXPECT_EQ(PixelAt(image, 98, 78), Shown(gui::cl3DLight));
    // Row 1 spans y = 15 .. 27 over the whole client width.
    for (int y : {15, 27})
        EXPECT_EQ(PixelAt(image, 96, y), Shown(gui::clHighlight)) << y;
    for (int y : {14, 28})
        EXPECT_EQ(PixelAt(image, 96, y), Shown(gui::clWindow)) << y;
    for (QScrollBar* bar : list.findChildren<QScrollBar*>())
        EXPECT_TRUE(bar->isHidden());
}

TEST_F(StandardRows, VisibleFrameReplacesTheEdge) {
    list.SetFrameVisible(true);
    list.SetFrameColor(clRed);
    const QImage image = RenderWidget(list);
    EXPECT_EQ(PixelAt(image, 0, 0), clRed);
    EXPECT_EQ(PixelAt(image, 99, 40), clRed);
    EXPECT_EQ(PixelAt(image, 1, 1), Shown(gui::clWindow));
}

TEST_F(StandardRows, WithoutCtl3DTheBorderIsAFlatLine) {
    list.SetCtl3D(false);
    EXPECT_FALSE(list.ParentCtl3D());
    const QImage image = RenderWidget(list);
    EXPECT_EQ(PixelAt(image, 0, 0), Shown(gui::clWindowFrame));
    EXPECT_EQ(PixelAt(image, 99, 79), Shown(gui::clWindowFrame));
    EXPECT_EQ(PixelAt(image, 1, 1), Shown(gui::clWindow));
    EXPECT_EQ(list.ClientWidth(), 98);
}

TEST_F(StandardRows, WheelEventsComeBeforeScrolling) {
    for (int i = 0; i < 15; ++i)
        list.Items().Add("more");
    bool take = true;
    int downs = 0;
    list.OnMouseWheelDown = [&](QObject*, Qt::KeyboardModifiers, TPoint, bool& handled) {
        ++downs;
        handled = take;
    };
    auto turn = [&] {
        QWheelEvent e(QPointF(10, 10), QPointF(110, 110), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&list, &e);
    };
    turn();
    EXPECT_EQ(list.TopIndex(), 0); // taken by the handler
    take = false;
    turn();
    EXPECT_EQ(list.TopIndex(), 3); // three rows a notch
    EXPECT_EQ(downs, 2);
}

// Right to left with bdRightToLeft: rows and group headers start at the
// right edge, and a header's gradient runs from the group colour there.
TEST(FcListBoxGroups, RightToLeftHeadersAndRowsStartAtTheRight) {
    TFcCustomListBox list;
    list.resize(120, 40);
    list.SetItemHeight(13);
    list.Items().Add("//Section");
    list.Items().Add("item");
    list.SetShowGroups(true);
    list.SetBiDiMode(TBiDiMode::bdRightToLeft);
    const int ih = list.ItemHeight();
    const int right = 2 + list.ClientWidth() - 1; // the last client column
    const QImage image = RenderWidget(list);
    EXPECT_EQ(PixelAt(image, right, 2 + ih - 1), Shown(gui::clInactiveCaptionText));
    EXPECT_NE(PixelAt(image, 2, 2 + ih - 1), Shown(gui::clInactiveCaptionText));
    // The header's text, in the group font's colour, ends 2 pixels inside.
    int headerLeft = 1000, headerRight = -1;
    for (int y = 2; y < 2 + ih; ++y)
        for (int x = 2; x <= right; ++x)
            if (PixelAt(image, x, y) == Shown(gui::clHighlight)) {
                headerLeft = std::min(headerLeft, x);
                headerRight = std::max(headerRight, x);
            }
    ASSERT_GE(headerRight, 0);
    EXPECT_GT(headerLeft, 60);
    EXPECT_GE(headerRight, right - 10); // only the exact colour counts, not the edges
    EXPECT_LE(headerRight, right - 2);
    const QRect row =
        test::InkBounds(image, QRect(2, 2 + ih, list.ClientWidth(), ih), gui::clWindow);
    ASSERT_FALSE(row.isEmpty());
    EXPECT_GT(row.left(), 60);
    EXPECT_GE(row.right(), right - 6);
    EXPECT_LE(row.right(), right - 2);
}

TEST_F(StandardRows, ScrollingKeepsTheLastPageFull) {
    for (int i = 0; i < 15; ++i)
        list.Items().Add("more");
    // 72 pixels of client: five whole rows of 13.
    EXPECT_EQ(list.ClientWidth(), 100 - 4 - kScrollBarSize);
    list.SetTopIndex(100);
    EXPECT_EQ(list.TopIndex(), 15);
    EXPECT_EQ(list.ItemAtPos({5, 14}, true), 16);
    EXPECT_EQ(list.ItemAtPos({5, 200}, true), -1);
    EXPECT_EQ(list.ItemAtPos({5, 200}, false), 20);
    list.SetItemIndex(2);
    EXPECT_EQ(list.TopIndex(), 2);

    // Deleting rows from the top keeps the view full.
    for (int i = 0; i < 10; ++i)
        list.Items().Delete(0);
    EXPECT_EQ(list.TopIndex(), 2);
    EXPECT_EQ(list.ItemIndex(), -1); // the selected row went
}

TEST_F(StandardRows, ItemChangesKeepTheSelectionOnItsItem) {
    list.SetItemIndex(2);
    list.Items().Insert(0, "zero");
    EXPECT_EQ(list.ItemIndex(), 3);
    list.Items().Put(3, "THREE");
    EXPECT_EQ(list.ItemIndex(), 3);
    EXPECT_EQ(list.Items()[3], "THREE");
    list.Items().Delete(0);
    EXPECT_EQ(list.ItemIndex(), 2);
    EXPECT_THROW(list.Items().Insert(7, "x"), gui::EListError);
    EXPECT_THROW(list.Items().Delete(5), gui::EListError);
    EXPECT_EQ(list.Items().IndexOf("FOUR"), 3);
    list.Clear();
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.Count(), 0);
}

TEST(FcListBoxItems, SortedListsOrderWithoutRegardToCase) {
    TFcCustomListBox list;
    list.Items().Add("b");
    list.Items().Add("C");
    list.Items().Add("a");
    list.SetSorted(true);
    EXPECT_EQ(list.Items().Values(), (std::vector<std::string>{"a", "b", "C"}));
    EXPECT_EQ(list.Items().Add("B"), 2);
}

TEST(FcListBoxItems, LoadFromFileReadsOneItemPerLine) {
    test::TempDir dir;
    const auto path = dir.Path() / "log.txt";
    test::WriteFileBytes(path, "a\tb\r\nsecond\nthird\rfourth\r\n");
    TFcCustomListBox list;
    list.Items().Add("old");
    list.Items().LoadFromFile(path.string());
    EXPECT_EQ(list.Items().Values(),
              (std::vector<std::string>{"a\tb", "second", "third", "fourth"}));
    EXPECT_EQ(list.Items().Text(), "a\tb\r\nsecond\r\nthird\r\nfourth\r\n");

    EXPECT_THROW(list.Items().LoadFromFile((dir.Path() / "missing.txt").string()), os::FileError);
    EXPECT_EQ(list.Count(), 4);
}

TEST(FcListBoxColours, StateColoursAndTheNormalColour) {
    TFcCustomListBox list;
    list.SetDisabledColor(clRed);
    list.setEnabled(false);
    EXPECT_EQ(list.Color(), clRed);
    list.setEnabled(true);
    EXPECT_EQ(list.Color(), gui::clWindow);

    // A new colour while FocusColor equals the normal colour: it follows.
    list.SetColor(clYellow);
    EXPECT_EQ(list.NormalColor(), clYellow);
    EXPECT_EQ(list.FocusColor(), clYellow);
    list.SetFocusColor(gui::clAqua);
    list.SetColor(gui::clLime);
    EXPECT_EQ(list.FocusColor(), gui::clAqua);
}

TEST(FcListBoxColours, FocusShowsTheFocusColour) {
    QWidget window;
    auto* list = new TFcCustomListBox(&window);
    auto* other = new TFcCustomListBox(&window);
    list->SetFocusColor(clYellow);
    window.show();
    window.activateWindow();
    list->setFocus();
    QApplication::processEvents();
    if (!list->hasFocus())
        GTEST_SKIP() << "the platform gives no focus";
    EXPECT_EQ(list->Color(), clYellow);
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(list->Color(), gui::clWindow);
}

// A focused list in a shown window (skipped where the platform gives no focus).
class FocusedList : public ::testing::Test {
protected:
    void SetUp() override {
        // Away from the window's corner, where the platform's cursor rests.
        list = new TFcCustomListBox(&window);
        list->setGeometry(10, 70, 100, 60);
        list->SetItemHeight(13);
        list->Items().Add("one");
        list->Items().Add("two");
        other = new TFcCustomListBox(&window);
        other->setGeometry(0, 0, 100, 60);
        window.resize(120, 140);
        window.show();
        window.activateWindow();
    }
    bool Focus(TFcCustomListBox* w, Qt::FocusReason reason) {
        w->setFocus(reason);
        QApplication::processEvents();
        return w->hasFocus();
    }
    QWidget window;
    TFcCustomListBox* list = nullptr;
    TFcCustomListBox* other = nullptr;
};

TEST_F(FocusedList, HotFrameWhileFocused) {
    list->SetFrameHotTrack(true);
    EXPECT_TRUE(list->FrameVisible());
    list->SetFrameHotColor(clRed);
    if (!Focus(list, Qt::MouseFocusReason))
        GTEST_SKIP() << "the platform gives no focus";
    QImage image = RenderWidget(*list);
    // fsFlatBold: two rings in the hot colour.
    EXPECT_EQ(PixelAt(image, 0, 0), clRed);
    EXPECT_EQ(PixelAt(image, 1, 1), clRed);
    ASSERT_TRUE(Focus(other, Qt::MouseFocusReason));
    image = RenderWidget(*list);
    EXPECT_EQ(PixelAt(image, 0, 0), Shown(gui::clBtnShadow));
    EXPECT_EQ(PixelAt(image, 1, 1), Shown(gui::clWindow));
}

TEST_F(FocusedList, FocusRectangleOnlyOnceTheKeyboardIsUsed) {
    list->SetItemIndex(0);
    if (!Focus(list, Qt::MouseFocusReason))
        GTEST_SKIP() << "the platform gives no focus";
    const gui::TColor highlight = Shown(gui::clHighlight);
    const gui::TColor inverted = gui::TColor(highlight.Value() ^ 0xFFFFFF);
    EXPECT_EQ(PixelAt(RenderWidget(*list), 2, 2), highlight);
    Type(*list, Qt::Key_Down);
    EXPECT_EQ(list->ItemIndex(), 1);
    // Row 1 now carries the dotted rectangle: every other edge pixel inverted.
    const QImage image = RenderWidget(*list);
    EXPECT_EQ(PixelAt(image, 3, 15), inverted);
    EXPECT_EQ(PixelAt(image, 4, 15), highlight);
    EXPECT_EQ(PixelAt(image, 2, 16), inverted);
    EXPECT_EQ(PixelAt(image, 2, 2), Shown(gui::clWindow));
}

TEST(FcListBoxColours, TheFrameControllerWritesTheSettingsByName) {
    TFcFrameController controller;
    controller.SetFrameStyle(TFrameStyleEx::fsFlatBold);
    controller.SetFrameColor(clRed);
    controller.SetColor(clYellow);
    controller.SetFrameVisible(true);
    controller.SetDisabledColor(gui::clGray);
    TFcCustomListBox list;
    list.SetFrameController(&controller);
    EXPECT_TRUE(list.FrameVisible());
    EXPECT_EQ(list.FrameStyle(), TFrameStyleEx::fsFlatBold);
    EXPECT_EQ(list.FrameColor(), clRed);
    EXPECT_EQ(list.Color(), clYellow);
    EXPECT_EQ(list.NormalColor(), clYellow);
    EXPECT_EQ(list.DisabledColor(), gui::clGray);

    controller.SetFrameHotTrack(true);
    EXPECT_TRUE(list.FrameHotTrack());
    controller.SetFrameSides(TSide::sdTop | TSide::sdBottom);
    EXPECT_EQ(list.FrameSides(), TSide::sdTop | TSide::sdBottom);
}

// ---- rows of their own heights, columns, whole rows, virtual lists ----

namespace layout {

using test::Picture;

// Owner-drawn rows in colours by index, so a picture shows where each row is.
const gui::TColor kRowColors[] = {clRed, gui::clLime, gui::clBlue, clYellow};

void PaintRowsInColours(TFcCustomListBox& list) {
    list.OnDrawItem = [](QObject*, TCanvas& canvas, int index, TRect rect, TOwnerDrawState) {
        canvas.Brush.SetColor(kRowColors[index % 4]);
        canvas.FillRect(rect);
    };
}

// One column (x) or row (y) of pixels as letters: the edge colours of the
// classic legend and r, g, b, y for the rows.
std::string Strip(const QImage& image, int x, int y) {
    std::vector<test::LegendEntry> legend = test::ClassicLegend();
    for (auto [c, color] : {std::pair{'r', clRed}, std::pair{'g', gui::clLime},
                            std::pair{'b', gui::clBlue}, std::pair{'y', clYellow}})
        legend.push_back({c, color});
    const QImage strip =
        x >= 0 ? image.copy(x, 0, 1, image.height())
               : image.copy(0, y, image.width(), 1).transformed(QTransform().rotate(90));
    std::string out = Picture(strip, legend);
    std::erase(out, '\n');
    return out;
}

// Runs of letters: {'r', 10} is ten r.
std::string Runs(std::initializer_list<std::pair<char, int>> runs) {
    std::string out;
    for (auto [c, n] : runs)
        out.append(std::size_t(n), c);
    return out;
}

} // namespace layout

class VariableRows : public ::testing::Test {
protected:
    void SetUp() override {
        list.resize(100, 80); // a client area of 76 rows of pixels
        list.SetItemHeight(13);
        list.SetStyle(TListBoxStyle::lbOwnerDrawVariable);
        list.OnMeasureItem = [this](QObject*, int index, int& height) {
            measured.push_back({index, height});
            height = kHeights[std::size_t(index)];
        };
        for (int i = 0; i < 10; ++i)
            list.Items().Add("item " + std::to_string(i));
        measured.clear();
        layout::PaintRowsInColours(list);
    }
    std::vector<int> kHeights = {10, 20, 30, 10, 20, 30, 10, 20, 30, 10};
    std::vector<std::pair<int, int>> measured; // index and the height offered
    TFcCustomListBox list;
};

TEST_F(VariableRows, TheMeasuredHeightsPlaceTheRows) {
    using layout::Runs;
    const QImage image = RenderWidget(list);
    EXPECT_EQ(layout::Strip(image, 50, -1), Runs({{'s', 1},
                                                  {'k', 1},
                                                  {'r', 10},
                                                  {'g', 20},
                                                  {'b', 30},
                                                  {'y', 10},
                                                  {'r', 6},
                                                  {'f', 1},
                                                  {'w', 1}}));
    EXPECT_EQ(list.ClientWidth(), 100 - 4 - kScrollBarSize);

    struct Hit {
        int y, index;
    };
    for (Hit h : {Hit{0, 0}, Hit{9, 0}, Hit{10, 1}, Hit{29, 1}, Hit{30, 2}, Hit{75, 4}})
        EXPECT_EQ(list.ItemAtPos({5, h.y}, true), h.index) << h.y;
    const int tops[] = {0, 10, 30, 60, 70, 90, 120, 130, 150, 180};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(list.ItemRect(i).Top, tops[i]) << i;
        EXPECT_EQ(list.ItemRect(i).Height(), kHeights[std::size_t(i)]) << i;
    }
}

TEST_F(VariableRows, ScrollingKeepsWholeRowsAtTheEnd) {
    // From the end up: 10 + 30 + 20 + 10 fit into 76 pixels, 30 more do not.
    list.SetTopIndex(100);
    EXPECT_EQ(list.TopIndex(), 6);
    EXPECT_EQ(list.ItemRect(6).Top, 0);
    EXPECT_EQ(list.ItemRect(0).Top, -120);
    EXPECT_EQ(list.ItemAtPos({5, 65}, true), 9);
    EXPECT_EQ(list.ItemAtPos({5, 70}, true), -1);
    EXPECT_EQ(list.ItemAtPos({5, 70}, false), 10);

    // A selected item comes into view whole, with as many rows above it as fit.
    list.SetTopIndex(0);
    list.SetItemIndex(5);
    EXPECT_EQ(list.TopIndex(), 3);
    list.SetItemIndex(1);
    EXPECT_EQ(list.TopIndex(), 1);
    // Page down moves by the rows in view less one (from item 1: 20 + 30 +
    // 10 fit).
    Type(list, Qt::Key_PageDown);
    EXPECT_EQ(list.ItemIndex(), 3);
}

TEST_F(VariableRows, MeasuredWhenAddedAndWhenTheDefaultHeightChanges) {
    list.Items().Insert(2, "new");
    EXPECT_EQ(measured, (std::vector<std::pair<int, int>>{{2, 13}}));
    list.Items().Delete(2);
    measured.clear();

    list.SetItemHeight(15);
    ASSERT_EQ(measured.size(), 10u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(measured[std::size_t(i)], std::pair(i, 15));
    measured.clear();
    list.Items().Put(4, "replaced");
    EXPECT_EQ(measured, (std::vector<std::pair<int, int>>{{4, 15}}));

    // A row of no height would be out of reach: it gets one pixel.
    kHeights[1] = 0;
    list.Items().Put(1, "flat");
    EXPECT_EQ(list.ItemRect(1).Height(), 1);
    EXPECT_EQ(list.ItemAtPos({5, 10}, true), 1);
    EXPECT_EQ(list.ItemAtPos({5, 11}, true), 2);

    // Columns take one height; fixed styles measure nothing.
    measured.clear();
    list.SetColumns(2);
    EXPECT_EQ(list.ItemRect(1).Height(), 15);
    list.SetColumns(0);
    EXPECT_EQ(measured.size(), 10u);
    measured.clear();
    list.SetStyle(TListBoxStyle::lbOwnerDrawFixed);
    list.Items().Add("fixed");
    EXPECT_TRUE(measured.empty());
    EXPECT_EQ(list.ItemRect(1).Top, 15);
}

// Columns of 53 pixels (160 / 3), three items each (34 pixels of client
// above the horizontal bar); 20 items make seven columns.
class ColumnRows : public ::testing::Test {
protected:
    void SetUp() override {
        list.resize(164, 54);
        list.SetItemHeight(10);
        list.SetStyle(TListBoxStyle::lbOwnerDrawFixed);
        list.SetColumns(3);
        for (int i = 0; i < 20; ++i)
            list.Items().Add("item " + std::to_string(i));
        layout::PaintRowsInColours(list);
    }
    QScrollBar* Bar(Qt::Orientation o) const {
        for (QScrollBar* bar : list.findChildren<QScrollBar*>())
            if (bar->orientation() == o)
                return bar;
        return nullptr;
    }
    TFcCustomListBox list;
};

TEST_F(ColumnRows, ItemsRunDownTheColumns) {
    using layout::Runs;
    EXPECT_EQ(list.ClientWidth(), 160);
    EXPECT_EQ(list.ClientHeight(), 54 - 4 - kScrollBarSize);
    EXPECT_FALSE(Bar(Qt::Horizontal)->isHidden());
    EXPECT_TRUE(Bar(Qt::Vertical)->isHidden());
    // Row 0: items 0, 3 and 6 whole, then one pixel of item 9.
    const QImage image = RenderWidget(list);
    EXPECT_EQ(
        layout::Strip(image, -1, 2 + 5),
        Runs({{'s', 1}, {'k', 1}, {'r', 53}, {'y', 53}, {'b', 53}, {'g', 1}, {'f', 1}, {'w', 1}}));
    // Column 1: items 3, 4, 5, then the space below the last whole row.
    EXPECT_EQ(layout::Strip(image, 2 + 60, -1).substr(0, 2 + 34),
              Runs({{'s', 1}, {'k', 1}, {'y', 10}, {'r', 10}, {'g', 10}, {'w', 4}}));

    struct Hit {
        int x, y, index;
    };
    for (Hit h : {Hit{0, 0, 0}, Hit{52, 29, 2}, Hit{53, 0, 3}, Hit{159, 10, 10}, Hit{5, 31, -1},
                  Hit{160, 5, -1}})
        EXPECT_EQ(list.ItemAtPos({h.x, h.y}, true), h.index) << h.x << "," << h.y;
    EXPECT_EQ(list.ItemAtPos({5, 31}, false), 20);
    EXPECT_EQ(list.ItemRect(4), gui::Rect(53, 10, 106, 20));
    EXPECT_EQ(list.ItemRect(9), gui::Rect(159, 0, 212, 10));
}

TEST_F(ColumnRows, ScrollingGoesByColumns) {
    using layout::Runs;
    list.SetTopIndex(7);
    EXPECT_EQ(list.TopIndex(), 6); // the first item of its column
    EXPECT_EQ(Bar(Qt::Horizontal)->value(), 2);
    EXPECT_EQ(list.ItemRect(4), gui::Rect(-53, 10, 0, 20));
    EXPECT_EQ(
        layout::Strip(RenderWidget(list), -1, 2 + 5),
        Runs({{'s', 1}, {'k', 1}, {'b', 53}, {'g', 53}, {'r', 53}, {'y', 1}, {'f', 1}, {'w', 1}}));
    list.SetTopIndex(100);
    EXPECT_EQ(list.TopIndex(), 12); // seven columns, three in view
    Bar(Qt::Horizontal)->setValue(1);
    EXPECT_EQ(list.TopIndex(), 3);

    // The keyboard: Right and Left by a column, a page by the columns in view.
    list.SetTopIndex(0);
    list.SetItemIndex(4);
    Type(list, Qt::Key_Right);
    EXPECT_EQ(list.ItemIndex(), 7);
    Type(list, Qt::Key_PageDown);
    EXPECT_EQ(list.ItemIndex(), 16);
    EXPECT_EQ(list.TopIndex(), 9); // column 5 is the last in view
    Type(list, Qt::Key_Home);
    EXPECT_EQ(list.TopIndex(), 0);

    // Back to one column: vertical scrolling again.
    list.SetColumns(0);
    EXPECT_EQ(list.ItemRect(1), gui::Rect(0, 10, list.ClientWidth(), 20));
    EXPECT_FALSE(Bar(Qt::Vertical)->isHidden());
}

TEST(FcListBoxIntegralHeight, TheHeightShrinksToWholeRows) {
    struct Case {
        const char* name;
        int height;
        TBorderStyle border;
        TListBoxStyle style;
        int columns;
        int expected;
    };
    using S = TListBoxStyle;
    const Case cases[] = {
        {"five rows and a bit", 80, TBorderStyle::bsSingle, S::lbStandard, 0, 69},
        {"whole rows already", 69, TBorderStyle::bsSingle, S::lbStandard, 0, 69},
        {"one row is left alone", 17, TBorderStyle::bsSingle, S::lbStandard, 0, 17},
        {"less than a row too", 16, TBorderStyle::bsSingle, S::lbStandard, 0, 16},
        {"without a border", 80, TBorderStyle::bsNone, S::lbStandard, 0, 78},
        {"virtual rows", 80, TBorderStyle::bsSingle, S::lbVirtual, 0, 69},
        {"variable heights keep the height", 80, TBorderStyle::bsSingle, S::lbOwnerDrawVariable, 0,
         80},
        // 60 pixels above the bar: four rows.
        {"above a horizontal bar", 80, TBorderStyle::bsSingle, S::lbStandard, 2, 72},
    };
    for (const Case& c : cases) {
        TFcCustomListBox list;
        list.resize(104, c.height);
        list.SetItemHeight(13);
        list.SetBorderStyle(c.border);
        list.SetStyle(c.style);
        list.SetColumns(c.columns);
        if (list.IsVirtual())
            list.SetCount(30);
        for (int i = 0; i < 30 && !list.IsVirtual(); ++i)
            list.Items().Add("x");
        list.SetIntegralHeight(true);
        EXPECT_EQ(list.height(), c.expected) << c.name;
        EXPECT_EQ(list.width(), 104) << c.name;
    }
}

TEST(FcListBoxIntegralHeight, RowsEndAtTheBottomEdgeAfterEveryResize) {
    using layout::Runs;
    TFcCustomListBox list;
    list.SetItemHeight(13);
    list.SetStyle(TListBoxStyle::lbOwnerDrawFixed);
    layout::PaintRowsInColours(list);
    for (int i = 0; i < 3; ++i)
        list.Items().Add("x");
    list.SetIntegralHeight(true);
    list.show();
    list.resize(100, 80);
    EXPECT_EQ(list.height(), 69);
    EXPECT_EQ(
        layout::Strip(RenderWidget(list), 50, -1),
        Runs({{'s', 1}, {'k', 1}, {'r', 13}, {'g', 13}, {'b', 13}, {'w', 26}, {'f', 1}, {'w', 1}}));
    list.resize(100, 100);
    EXPECT_EQ(list.height(), 95);
    list.SetIntegralHeight(false);
    list.resize(100, 100);
    EXPECT_EQ(list.height(), 100);
}

// A million items that exist only in the handlers: the list asks for what
// it shows and for nothing else.
class VirtualList : public ::testing::Test {
protected:
    static constexpr int kMillion = 1'000'000;
    void SetUp() override {
        list.resize(120, 80); // five whole rows of 13 and part of a sixth
        list.SetItemHeight(13);
        list.SetStyle(TListBoxStyle::lbVirtual);
        list.SetCount(kMillion);
        list.OnData = [this](QObject*, int index, std::string& data) {
            asked.push_back(index);
            data = "Item " + std::to_string(index);
        };
        list.OnDataFind = [this](QObject*, const std::string& text) {
            finds.push_back(text);
            // Items are found by their number.
            return text.find_first_not_of("0123456789") == std::string::npos ? std::stoi(text) : -1;
        };
    }
    std::vector<int> Asked() { return std::exchange(asked, {}); }
    std::vector<int> asked;
    std::vector<std::string> finds;
    CountingListBox list;
};

TEST_F(VirtualList, PaintingAsksForTheRowsInViewOnly) {
    RenderWidget(list);
    EXPECT_EQ(Asked(), (std::vector<int>{0, 1, 2, 3, 4, 5}));

    list.SetTopIndex(kMillion);
    EXPECT_EQ(list.TopIndex(), kMillion - 5);
    list.SetItemIndex(kMillion - 3);
    const QImage image = RenderWidget(list);
    EXPECT_EQ(Asked(), (std::vector<int>{kMillion - 5, kMillion - 4, kMillion - 3, kMillion - 2,
                                         kMillion - 1}));
    // Every row carries its text; the selected one is highlighted.
    for (int row = 0; row < 5; ++row) {
        const QRect r(2, 2 + 13 * row, 100, 13);
        const gui::TColor back = row == 2 ? gui::clHighlight : gui::clWindow;
        EXPECT_EQ(PixelAt(image, 98, r.top() + 1), Shown(back)) << row;
        EXPECT_FALSE(test::InkBounds(image, r, back).isEmpty()) << row;
    }
    EXPECT_EQ(PixelAt(image, 50, 2 + 65 + 5), Shown(gui::clWindow)); // past the last item
}

TEST_F(VirtualList, SelectionScrollingAndCountChangesAskForNothing) {
    list.SetHorzScrollBar(true);
    list.SetItemIndex(kMillion - 1);
    EXPECT_EQ(list.TopIndex(), kMillion - 5);
    Type(list, Qt::Key_Home);
    Type(list, Qt::Key_PageDown);
    EXPECT_EQ(list.ItemIndex(), 4);
    list.SetMultiSelect(true);
    list.SelectAll();
    EXPECT_EQ(list.SelCount(), kMillion);
    list.SetCount(kMillion / 2);
    EXPECT_EQ(list.SelCount(), kMillion / 2);
    list.SetCaretIndex(kMillion / 2 - 1);
    QKeyEvent shiftHome(QEvent::KeyPress, Qt::Key_Home, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&list, &shiftHome);
    EXPECT_EQ(list.SelCount(), kMillion / 2);
    list.SetCount(10);
    EXPECT_EQ(list.SelCount(), 10);
    EXPECT_EQ(list.TopIndex(), 0);
    list.SetCount(kMillion);
    EXPECT_EQ(list.SelCount(), 10);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 2 + 13 * 2 + 3), QPointF(),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&list, &press);
    EXPECT_EQ(list.ItemIndex(), 2);
    EXPECT_EQ(list.HorzExtent(), list.ClientWidth()); // nothing was measured
    EXPECT_TRUE(asked.empty());
}

TEST_F(VirtualList, TypeAheadAsksOnDataFindOncePerKey) {
    list.HandleChar('4');
    list.HandleChar('2');
    EXPECT_EQ(list.ItemIndex(), 42);
    EXPECT_EQ(list.TopIndex(), 38);
    list.HandleChar('x'); // found nowhere
    list.HandleChar('9'); // 429: found
    list.HandleChar('9'); // 4299 ...
    list.HandleChar('9');
    list.HandleChar('9');
    EXPECT_EQ(list.ItemIndex(), 429999);
    list.HandleChar('9'); // 4299999 is no item
    EXPECT_EQ(list.ItemIndex(), 429999);
    EXPECT_EQ(list.SearchString(), "429999");
    EXPECT_EQ(list.beeps, 2);
    EXPECT_EQ(finds, (std::vector<std::string>{"4", "42", "42x", "429", "4299", "42999", "429999",
                                               "4299999"}));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(list.FindItem("12"), 12);
}

TEST_F(VirtualList, TheItemsHoldNothingAndTheHandlersAnswer) {
    EXPECT_EQ(list.Items().Add("stored"), -1);
    list.Items().Insert(0, "stored");
    list.Items().Delete(0);
    EXPECT_EQ(list.Items().Count(), 0);
    EXPECT_EQ(list.Count(), kMillion);

    // A group test and the text of one item: one question.
    EXPECT_EQ(list.GetItemText(7), "Item 7");
    EXPECT_EQ(Asked(), std::vector<int>{7});
    list.OnDataObject = [](QObject*, int index, std::any& object) { object = index * 2; };
    EXPECT_EQ(std::any_cast<int>(list.ItemObject(21)), 42);
    EXPECT_THROW(list.ItemObject(kMillion), gui::EListError);

    EXPECT_THROW(list.SetCount(-1), std::invalid_argument);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    list.SetCount(3);
    list.SetStyle(TListBoxStyle::lbStandard);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(list.SetCount(3), std::logic_error);

    // Stored items do not survive the turn to a virtual style.
    list.Items().Add("a");
    list.SetItemIndex(0);
    list.SetStyle(TListBoxStyle::lbVirtualOwnerDraw);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.Items().Count(), 0);
}

TEST_F(VirtualList, TheMouseAsksForTheItemItPointsAt) {
    // The item hint reads the one item under the mouse.
    list.SetTopIndex(500);
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 2 + 13 * 3 + 3), QPointF(), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&list, &move);
    EXPECT_EQ(Asked(), std::vector<int>{503});
}

TEST_F(VirtualList, GroupHeadersStayVirtual) {
    list.OnData = [this](QObject*, int index, std::string& data) {
        asked.push_back(index);
        data = index % 4 == 0 ? "//Head" : "item";
    };
    list.SetShowGroups(true);
    EXPECT_EQ(list.Style(), TListBoxStyle::lbVirtual);
    const int ih = list.ItemHeight();
    const QImage image = RenderWidget(list);
    const int rows = (76 + ih - 1) / ih;
    std::vector<int> expected(static_cast<std::size_t>(rows));
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(Asked(), expected); // once a row, header or not
    EXPECT_EQ(PixelAt(image, 2, 2 + ih - 1), Shown(gui::clInactiveCaptionText));
    EXPECT_EQ(PixelAt(image, 2, 2 + ih + 1), Shown(gui::clWindow));
}

} // namespace
} // namespace vdx
