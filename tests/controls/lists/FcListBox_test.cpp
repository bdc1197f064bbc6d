#include "controls/lists/FcListBox.h"

#include "controls/base/FcFrameController.h"
#include "platform/os/file_error.h"

#include "TempDir.h"
#include "WidgetPictures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>

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

} // namespace
} // namespace vdx
