#include "controls/lists/FcListSelection.h"

#include "controls/lists/FcListItems.h"
#include "platform/gui/class_errors.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vdx {
namespace {

constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;

struct Key {
    int key;
    Qt::KeyboardModifiers modifiers = kNone;
};

enum class Mode { Single, Extended, Plain };

struct KeyCase {
    const char* name;
    Mode mode;
    int start; // the item index before the keys; -1 for none
    std::vector<Key> keys;
    int caret;
    std::vector<int> selected;
    int clicks;
};

TFcListSelection Make(Mode mode, int count) {
    TFcListSelection s;
    s.Reset(count);
    s.SetMultiSelect(mode != Mode::Single);
    s.SetExtendedSelect(mode != Mode::Plain);
    return s;
}

std::vector<int> SelectedItems(const TFcListSelection& s) {
    std::vector<int> out;
    for (int i = 0; i < s.Count(); ++i)
        if (s.Selected(i))
            out.push_back(i);
    return out;
}

// Ten items in a view of four rows: a page moves three.
TEST(FcListSelection, KeySequences) {
    const KeyCase cases[] = {
        {"down from nothing takes the first", Mode::Single, -1, {{Qt::Key_Down}}, 0, {0}, 1},
        {"up from nothing takes the first", Mode::Single, -1, {{Qt::Key_Up}}, 0, {0}, 1},
        {"up stops at the top", Mode::Single, 0, {{Qt::Key_Up}, {Qt::Key_Left}}, 0, {0}, 0},
        {"right and left step like down and up",
         Mode::Single,
         4,
         {{Qt::Key_Right}, {Qt::Key_Right}, {Qt::Key_Left}},
         5,
         {5},
         3},
        {"end and home", Mode::Single, 4, {{Qt::Key_End}, {Qt::Key_Home}}, 0, {0}, 2},
        {"end twice clicks once", Mode::Single, 4, {{Qt::Key_End}, {Qt::Key_End}}, 9, {9}, 1},
        {"page down stops at the last",
         Mode::Single,
         4,
         {{Qt::Key_PageDown}, {Qt::Key_PageDown}},
         9,
         {9},
         2},
        {"page up moves a page less one row", Mode::Single, 8, {{Qt::Key_PageUp}}, 5, {5}, 1},
        {"other keys do nothing", Mode::Single, 2, {{Qt::Key_A}, {Qt::Key_Space}}, 2, {2}, 0},
        {"extended: a move selects only the caret", Mode::Extended, 3, {{Qt::Key_Down}}, 4, {4}, 1},
        {"extended: shift extends from the anchor",
         Mode::Extended,
         3,
         {{Qt::Key_Down}, {Qt::Key_Down, kShift}, {Qt::Key_Down, kShift}},
         6,
         {4, 5, 6},
         3},
        {"extended: shift back over the anchor",
         Mode::Extended,
         3,
         {{Qt::Key_Down}, {Qt::Key_Up, kShift}, {Qt::Key_Up, kShift}},
         2,
         {2, 3, 4},
         3},
        {"extended: shift without an anchor starts at the caret",
         Mode::Extended,
         2,
         {{Qt::Key_PageDown, kShift}},
         5,
         {2, 3, 4, 5},
         1},
        {"extended: ctrl moves the caret alone",
         Mode::Extended,
         3,
         {{Qt::Key_Down}, {Qt::Key_Down, kCtrl}, {Qt::Key_End, kCtrl}},
         9,
         {4},
         3},
        {"extended: shift after ctrl keeps the anchor",
         Mode::Extended,
         3,
         {{Qt::Key_Down}, {Qt::Key_Down, kCtrl}, {Qt::Key_Down, kCtrl}, {Qt::Key_Home, kShift}},
         0,
         {0, 1, 2, 3, 4},
         4},
        {"plain multi-select: keys move the caret only",
         Mode::Plain,
         3,
         {{Qt::Key_Down, kShift}, {Qt::Key_End}},
         9,
         {},
         2},
    };
    for (const KeyCase& c : cases) {
        TFcListSelection s = Make(c.mode, 10);
        s.SetItemIndex(c.start);
        int clicks = 0;
        for (const Key& k : c.keys) {
            clicks += s.Navigate(k.key, k.modifiers, 4).Clicked ? 1 : 0;
        }
        EXPECT_EQ(s.CaretIndex(), c.caret) << c.name;
        EXPECT_EQ(SelectedItems(s), c.selected) << c.name;
        EXPECT_EQ(clicks, c.clicks) << c.name;
    }
}

TEST(FcListSelection, NoItemsNoMove) {
    for (Mode mode : {Mode::Single, Mode::Extended, Mode::Plain}) {
        TFcListSelection s = Make(mode, 0);
        const TFcListMove move = s.Navigate(Qt::Key_Down, kNone, 4);
        EXPECT_FALSE(move.Moved);
        EXPECT_FALSE(move.Clicked);
        EXPECT_EQ(s.ItemIndex(), -1);
    }
}

struct MouseStep {
    int index;
    Qt::KeyboardModifiers modifiers;
    bool press;
};

struct MouseCase {
    const char* name;
    Mode mode;
    std::vector<MouseStep> steps;
    int caret;
    std::vector<int> selected;
};

TEST(FcListSelection, MouseSequences) {
    const MouseCase cases[] = {
        {"single: a press selects", Mode::Single, {{2, kNone, true}, {5, kCtrl, true}}, 5, {5}},
        {"extended: a drag selects the range from the press",
         Mode::Extended,
         {{2, kNone, true}, {4, kNone, false}, {3, kNone, false}},
         3,
         {2, 3}},
        {"extended: ctrl toggles and moves the anchor",
         Mode::Extended,
         {{2, kNone, true}, {5, kCtrl, true}, {2, kCtrl, true}, {7, kShift, true}},
         7,
         {2, 3, 4, 5, 6, 7}},
        {"plain: presses toggle, drags do nothing",
         Mode::Plain,
         {{1, kNone, true}, {3, kNone, true}, {1, kNone, true}, {6, kNone, false}},
         1,
         {3}},
    };
    for (const MouseCase& c : cases) {
        TFcListSelection s = Make(c.mode, 10);
        for (const MouseStep& step : c.steps)
            s.SelectByMouse(step.index, step.modifiers, step.press);
        EXPECT_EQ(s.CaretIndex(), c.caret) << c.name;
        EXPECT_EQ(SelectedItems(s), c.selected) << c.name;
    }
}

TEST(FcListSelection, SpaceTogglesOnlyInAPlainMultiSelectList) {
    TFcListSelection plain = Make(Mode::Plain, 3);
    EXPECT_FALSE(plain.ToggleCaret()); // no caret yet
    plain.SetCaretIndex(1);
    EXPECT_TRUE(plain.ToggleCaret());
    EXPECT_EQ(SelectedItems(plain), std::vector<int>{1});
    EXPECT_TRUE(plain.ToggleCaret());
    EXPECT_EQ(SelectedItems(plain), std::vector<int>{});
    for (Mode mode : {Mode::Single, Mode::Extended}) {
        TFcListSelection s = Make(mode, 3);
        s.SetItemIndex(1);
        EXPECT_FALSE(s.ToggleCaret());
    }
}

// The selection stays on its items while items come and go.
TEST(FcListSelection, ItemChangesShiftTheSelection) {
    TFcListSelection single = Make(Mode::Single, 5);
    single.SetItemIndex(2);
    single.Inserted(0);
    EXPECT_EQ(single.ItemIndex(), 3);
    single.Inserted(4);
    EXPECT_EQ(single.ItemIndex(), 3);
    single.Deleted(3);
    EXPECT_EQ(single.ItemIndex(), -1);
    EXPECT_EQ(single.Count(), 6);

    TFcListSelection multi = Make(Mode::Extended, 5);
    multi.Navigate(Qt::Key_End, kNone, 4);
    multi.Navigate(Qt::Key_Up, kShift, 4); // 3 and 4, anchor 4, caret 3
    multi.Inserted(0);
    EXPECT_EQ(SelectedItems(multi), (std::vector<int>{4, 5}));
    EXPECT_EQ(multi.CaretIndex(), 4);
    EXPECT_EQ(multi.AnchorIndex(), 5);
    multi.Deleted(5); // the last item: the anchor falls back onto the new last
    EXPECT_EQ(SelectedItems(multi), std::vector<int>{4});
    EXPECT_EQ(multi.AnchorIndex(), 4);
    EXPECT_THROW(multi.Selected(5), gui::EListError);
    multi.Reset(2);
    EXPECT_EQ(multi.ItemIndex(), -1);
    EXPECT_EQ(multi.SelCount(), 0);
}

TEST(FcListSelection, TypedPrefixes) {
    const std::vector<std::string> items = {"Apple", "abc", "abd", "banana"};
    const auto find = [&](std::string_view p) { return FindItemWithPrefix(items, p); };
    struct Step {
        const char* text;
        bool found;
        int itemIndex;
        const char* prefix;
    };
    const Step steps[] = {
        {"a", true, 0, "a"}, {"ab", true, 1, "ab"}, {"abx", false, 1, "ab"}, {"b", true, 3, "b"}};
    for (Mode mode : {Mode::Single, Mode::Extended}) {
        TFcListSelection s = Make(mode, int(items.size()));
        for (const Step& step : steps) {
            EXPECT_EQ(s.SearchFor(step.text, find), step.found) << step.text;
            EXPECT_EQ(s.ItemIndex(), step.itemIndex) << step.text;
            EXPECT_EQ(s.SearchString(), step.prefix) << step.text;
            EXPECT_EQ(s.SelCount(), 1) << step.text;
        }
        s.ClearSearch();
        EXPECT_EQ(s.SearchString(), "");
    }
}

// Ranges stay sorted, apart and joined, whatever the order of changes.
TEST(FcIndexRanges, ChangesKeepTheSetExact) {
    struct Step {
        const char* name;
        std::function<void(TFcIndexRanges&)> change;
        std::vector<int> members; // of 0..19
        int ranges;
    };
    TFcIndexRanges set;
    const Step steps[] = {
        {"a range", [](TFcIndexRanges& r) { r.AddRange(3, 6); }, {3, 4, 5, 6}, 1},
        {"a touching one joins",
         [](TFcIndexRanges& r) { r.AddRange(7, 8); },
         {3, 4, 5, 6, 7, 8},
         1},
        {"one apart", [](TFcIndexRanges& r) { r.Set(12, true); }, {3, 4, 5, 6, 7, 8, 12}, 2},
        {"a hole splits", [](TFcIndexRanges& r) { r.Set(5, false); }, {3, 4, 6, 7, 8, 12}, 3},
        {"flipping fills it", [](TFcIndexRanges& r) { r.Flip(5); }, {3, 4, 5, 6, 7, 8, 12}, 2},
        {"an insert inside splits and shifts",
         [](TFcIndexRanges& r) { r.Inserted(5); },
         {3, 4, 6, 7, 8, 9, 13},
         3},
        {"deleting the gap joins",
         [](TFcIndexRanges& r) { r.Deleted(5); },
         {3, 4, 5, 6, 7, 8, 12},
         2},
        {"deleting a member", [](TFcIndexRanges& r) { r.Deleted(3); }, {3, 4, 5, 6, 7, 11}, 2},
        {"deleting a lone member", [](TFcIndexRanges& r) { r.Deleted(11); }, {3, 4, 5, 6, 7}, 1},
        {"a range over several",
         [](TFcIndexRanges& r) {
             r.AddRange(0, 1);
             r.AddRange(10, 11);
             r.AddRange(1, 10);
         },
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
         1},
        {"truncation", [](TFcIndexRanges& r) { r.Truncate(4); }, {0, 1, 2, 3}, 1},
        {"an empty range adds nothing",
         [](TFcIndexRanges& r) { r.AddRange(9, 8); },
         {0, 1, 2, 3},
         1},
    };
    for (const Step& step : steps) {
        step.change(set);
        std::vector<int> members;
        for (int i = 0; i < 20; ++i)
            if (set.Contains(i))
                members.push_back(i);
        EXPECT_EQ(members, step.members) << step.name;
        EXPECT_EQ(set.Count(), int(step.members.size())) << step.name;
        EXPECT_EQ(set.RangeCount(), step.ranges) << step.name;
    }
}

// A selection over more items than memory could hold a flag for: every
// step costs ranges, not items.
TEST(FcListSelection, HugeListsSelectByRanges) {
    constexpr int kHuge = 2'000'000'000;
    TFcListSelection s = Make(Mode::Extended, kHuge);
    EXPECT_TRUE(s.SelectAll());
    EXPECT_EQ(s.SelCount(), kHuge);
    s.Deleted(5);
    EXPECT_EQ(s.Count(), kHuge - 1);
    EXPECT_EQ(s.SelCount(), kHuge - 1);
    s.Navigate(Qt::Key_End, kNone, 4);
    EXPECT_EQ(s.SelCount(), 1);
    s.Navigate(Qt::Key_Home, kShift, 4);
    EXPECT_EQ(s.SelCount(), kHuge - 1);
    s.SetCount(1000);
    EXPECT_EQ(s.SelCount(), 1000);
    EXPECT_EQ(s.CaretIndex(), 0);
    EXPECT_EQ(s.AnchorIndex(), 999); // the anchor was the old last item
    EXPECT_TRUE(s.Selected(999));
    EXPECT_THROW(s.Selected(1000), gui::EListError);
}

TEST(FcListSelection, CountChangesAtTheEnd) {
    TFcListSelection single = Make(Mode::Single, 10);
    single.SetItemIndex(8);
    single.SetCount(20);
    EXPECT_EQ(single.ItemIndex(), 8); // growing keeps it
    single.SetCount(5);
    EXPECT_EQ(single.ItemIndex(), -1);
    EXPECT_EQ(single.CaretIndex(), 4);
    single.SetCount(0);
    EXPECT_EQ(single.CaretIndex(), -1);
}

// Twelve items in columns of three, three columns in view: Left and Right
// step a column, a page is the columns in view.
TEST(FcListSelection, ColumnKeys) {
    const KeyCase cases[] = {
        {"right steps a column", Mode::Single, 4, {{Qt::Key_Right}}, 7, {7}, 1},
        {"left steps back a column", Mode::Single, 7, {{Qt::Key_Left}}, 4, {4}, 1},
        {"left in the first column stays", Mode::Single, 1, {{Qt::Key_Left}}, 1, {1}, 0},
        {"right past the last item stays", Mode::Single, 10, {{Qt::Key_Right}}, 10, {10}, 0},
        {"down steps an item", Mode::Single, 2, {{Qt::Key_Down}}, 3, {3}, 1},
        {"page down moves the columns in view", Mode::Single, 1, {{Qt::Key_PageDown}}, 10, {10}, 1},
        {"page up stops at the first", Mode::Single, 8, {{Qt::Key_PageUp}}, 0, {0}, 1},
        {"right from nothing takes the first", Mode::Single, -1, {{Qt::Key_Right}}, 0, {0}, 1},
        {"shift right extends a column",
         Mode::Extended,
         2,
         {{Qt::Key_Down}, {Qt::Key_Right, kShift}},
         6,
         {3, 4, 5, 6},
         2},
    };
    for (const KeyCase& c : cases) {
        TFcListSelection s = Make(c.mode, 12);
        s.SetItemIndex(c.start);
        int clicks = 0;
        for (const Key& k : c.keys)
            clicks += s.Navigate(k.key, k.modifiers, 9, 3).Clicked ? 1 : 0;
        EXPECT_EQ(s.CaretIndex(), c.caret) << c.name;
        EXPECT_EQ(SelectedItems(s), c.selected) << c.name;
        EXPECT_EQ(clicks, c.clicks) << c.name;
    }
}

} // namespace
} // namespace vdx
