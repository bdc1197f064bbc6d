#include "controls/lists/FcTabbedListBox.h"

#include "TempDir.h"
#include "WidgetPictures.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vdx {
namespace {

using test::RenderWidget;

// The stop the automatic computation gives a column of the given texts.
int ExpectedStop(const TFcTabbedListBox& list, std::initializer_list<const char*> texts,
                 int previous = 0) {
    const TFcTextMeasure m(list.Font());
    int widest = 0;
    for (const char* t : texts)
        widest = std::max(widest, m.Width(t));
    return previous + widest / list.AveCharWidth() + 4;
}

TEST(FcTabStops, AutomaticStopsAreCumulativeWholeCharactersPlusFour) {
    // Columns 6 and 24 pixels wide at 6 pixels a character: 24 div 6 + 4.
    EXPECT_EQ(AutomaticTabStops({24}, 6), (std::vector<int>{8}));
    EXPECT_EQ(AutomaticTabStops({24, 10, 0}, 6), (std::vector<int>{8, 13, 17}));
    EXPECT_EQ(AutomaticTabStops({}, 6), (std::vector<int>{}));
}

class AutomaticStops : public ::testing::Test {
protected:
    void SetUp() override {
        list.resize(300, 120);
        list.SetItemHeight(13);
        list.SetTabStopsMode(TFcTabStopsMode::tsmAutomatic);
    }
    std::vector<int> Stops() const { return list.TabStops().Values(); }
    TFcTabbedListBox list;
};

TEST_F(AutomaticStops, OneColumnStopFromTheWidestFirstField) {
    list.Items().Add("i\tx");
    list.Items().Add("WWWW\ty");
    const int stop = ExpectedStop(list, {"i", "WWWW"});
    EXPECT_EQ(Stops(), (std::vector<int>{stop}));
    // The rows get it in quarters of a character.
    EXPECT_EQ(list.RowTabStops(), (std::vector<int>{4 * stop}));
    EXPECT_EQ(list.RowTabStopPixels(), (std::vector<int>{stop * list.AveCharWidth()}));
}

TEST_F(AutomaticStops, EveryColumnAndRowsWithoutTabs) {
    list.Items().Add("no tabs at all, but a long first column");
    EXPECT_TRUE(Stops().empty());
    // No stops: the rows use a stop every 8 characters.
    EXPECT_TRUE(list.RowTabStops().empty());
    EXPECT_EQ(list.RowTabStopPixels(), (std::vector<int>{8 * list.AveCharWidth()}));

    list.Items().Add("a\tbb\tccc");
    list.Items().Add("dddd\te");
    const int first = ExpectedStop(list, {"no tabs at all, but a long first column", "a", "dddd"});
    const int second = ExpectedStop(list, {"bb", "e"}, first);
    EXPECT_EQ(Stops(), (std::vector<int>{first, second}));
}

TEST_F(AutomaticStops, OneUpdateLoadingKeepsTheStopsOfBefore) {
    list.Items().AddStrings({"aaaaaaaaaa\tb", "c\td"});
    EXPECT_TRUE(Stops().empty());
    EXPECT_TRUE(list.RowTabStops().empty());

    test::TempDir dir;
    test::WriteFileBytes(dir.Path() / "log", "WWWWWWWWWWWWWWWW\tx\r\ny\tz\r\n");
    list.Items().LoadFromFile((dir.Path() / "log").string());
    list.Items().SetText("q\tr\n");
    EXPECT_TRUE(list.RowTabStops().empty());

    // The next single line realigns every column.
    list.Items().Add("s\tt");
    EXPECT_EQ(Stops(), (std::vector<int>{ExpectedStop(list, {"q", "s"})}));
    list.Items().BeginUpdate();
    list.Items().Add("WWWWWWWWWWWWWWWWWWWW\tu");
    list.Items().EndUpdate();
    EXPECT_EQ(Stops(), (std::vector<int>{ExpectedStop(list, {"q", "s"})}));
}

TEST_F(AutomaticStops, DeletingRecomputesClearingDoesNot) {
    list.Items().Add("WWWWWWWW\ta");
    list.Items().Add("i\tb");
    const int wide = ExpectedStop(list, {"WWWWWWWW", "i"});
    EXPECT_EQ(Stops(), (std::vector<int>{wide}));
    list.Items().Delete(0);
    const int narrow = ExpectedStop(list, {"i"});
    EXPECT_LT(narrow, wide);
    EXPECT_EQ(Stops(), (std::vector<int>{narrow}));
    list.Items().Clear();
    EXPECT_EQ(Stops(), (std::vector<int>{narrow}));
}

TEST_F(AutomaticStops, AFontChangeTakesTheNewCharacterWidthFirst) {
    list.Items().Add("WWWWWWWWWWWW\ta");
    const int before = list.AveCharWidth();
    TFont big = list.Font();
    big.Height = -24;
    list.SetFont(big);
    EXPECT_GT(list.AveCharWidth(), before);
    EXPECT_EQ(list.AveCharWidth(), AverageCharWidth(big));
    EXPECT_EQ(Stops(), (std::vector<int>{ExpectedStop(list, {"WWWWWWWWWWWW"})}));
}

TEST_F(AutomaticStops, ModeChanges) {
    list.SetTabStopsMode(TFcTabStopsMode::tsmManual);
    list.Items().Add("WWWW\ta");
    EXPECT_TRUE(Stops().empty());
    // Inside an update switching to automatic computes nothing.
    list.Items().BeginUpdate();
    list.SetTabStopsMode(TFcTabStopsMode::tsmAutomatic);
    list.Items().EndUpdate();
    EXPECT_TRUE(Stops().empty());
    list.SetTabStopsMode(TFcTabStopsMode::tsmManual);
    list.SetTabStopsMode(TFcTabStopsMode::tsmAutomatic);
    const std::vector<int> computed = Stops();
    ASSERT_EQ(computed.size(), 1u);
    // Back to manual keeps them.
    list.SetTabStopsMode(TFcTabStopsMode::tsmManual);
    list.Items().Add("WWWWWWWWWWWWWWWWWW\tb");
    EXPECT_EQ(Stops(), computed);
}

TEST_F(AutomaticStops, LoadedComputesFromTheItemsThere) {
    TFcTabbedListBox loading;
    loading.BeginLoading();
    loading.SetTabStopsMode(TFcTabStopsMode::tsmAutomatic);
    loading.Items().Add("WW\ta");
    EXPECT_TRUE(loading.TabStops().Values().empty());
    loading.Loaded();
    EXPECT_EQ(loading.TabStops().Values(), (std::vector<int>{ExpectedStop(loading, {"WW"})}));
}

// The ink of a row's second field starts at the same x in every row.
class ColumnPicture : public ::testing::Test {
protected:
    // Leftmost ink at or right of x0 in row, in the list's colour.
    static int InkFrom(const QImage& image, int row, int x0, int itemHeight) {
        const int top = 2 + row * itemHeight;
        for (int x = x0; x < image.width() - 2; ++x)
            for (int y = top; y < top + itemHeight; ++y)
                if (test::PixelAt(image, x, y) != test::Shown(gui::clWindow))
                    return x;
        return -1;
    }
};

TEST_F(ColumnPicture, FittedStopsLineUpTheFields) {
    for (bool ownerDrawn : {false, true}) {
        TFcTabbedListBox list;
        list.resize(300, 60);
        list.SetItemHeight(13);
        list.SetTabStopsMode(TFcTabStopsMode::tsmAutomatic);
        if (ownerDrawn)
            list.SetStyle(TListBoxStyle::lbOwnerDrawFixed);
        list.Items().Add("i\tX");
        list.Items().Add("WWWWWW\tX");
        const int stopPx = list.TabStops()[0] * list.AveCharWidth();
        const int firstEnd = 2 + 2 + TFcTextMeasure(list.Font()).Width("WWWWWW");
        const QImage image = RenderWidget(list);
        const int a = InkFrom(image, 0, firstEnd + 1, 13);
        const int b = InkFrom(image, 1, firstEnd + 1, 13);
        EXPECT_EQ(a, b) << ownerDrawn;
        // Standard rows count the stops from the text's start, owner-drawn
        // ones from the row's left edge.
        const int column = ownerDrawn ? 2 + stopPx : 2 + 2 + stopPx;
        EXPECT_GE(a, column - 1) << ownerDrawn;
        EXPECT_LT(a, column + 4) << ownerDrawn;
    }
}

// Right to left the rows are the mirror image: the first field ends at the
// right edge and the next one ends a stop further left, on one line in
// every row. Standard rows count the stop from the text's start,
// owner-drawn ones from the client's right edge; a group header reads from
// the right too.
TEST_F(ColumnPicture, RightToLeftRowsMirrorTheColumns) {
    for (bool ownerDrawn : {false, true}) {
        TFcTabbedListBox list;
        list.resize(300, 60);
        list.SetItemHeight(13);
        list.SetTabStopsMode(TFcTabStopsMode::tsmAutomatic);
        if (ownerDrawn)
            list.SetShowGroups(true);
        list.Items().Add("i\tX");
        list.Items().Add("WWWWWW\tX");
        if (ownerDrawn)
            list.Items().Add("//Head");
        list.SetBiDiMode(TBiDiMode::bdRightToLeft);
        const int ih = list.ItemHeight();
        const int stopPx = list.TabStops()[0] * list.AveCharWidth();
        const int clientRight = 2 + list.ClientWidth(); // one past, in the picture
        const int xWidth = TFcTextMeasure(list.Font()).Width("X");
        const int secondEnd = ownerDrawn ? clientRight - stopPx : clientRight - 2 - stopPx;
        const QImage image = RenderWidget(list);
        for (int row = 0; row < 2; ++row) {
            const QRect ink = test::InkBounds(image, QRect(2, 2 + row * ih, list.ClientWidth(), ih),
                                              gui::clWindow);
            ASSERT_FALSE(ink.isEmpty()) << ownerDrawn << row;
            EXPECT_LE(ink.right(), clientRight - 3) << ownerDrawn << row;
            EXPECT_GE(ink.right(), clientRight - 6) << ownerDrawn << row;
            const QRect second =
                test::InkBounds(image, QRect(2, 2 + row * ih, secondEnd + 2, ih), gui::clWindow);
            ASSERT_FALSE(second.isEmpty()) << ownerDrawn << row;
            EXPECT_LT(second.right(), secondEnd) << ownerDrawn << row;
            EXPECT_GE(second.left(), secondEnd - xWidth - 1) << ownerDrawn << row;
        }
        if (!ownerDrawn)
            continue;
        int headerLeft = 1000;
        for (int y = 2 + 2 * ih; y < 2 + 3 * ih; ++y)
            for (int x = 2; x < clientRight; ++x)
                if (test::PixelAt(image, x, y) == test::Shown(gui::clHighlight))
                    headerLeft = std::min(headerLeft, x);
        EXPECT_GT(headerLeft, 150);
    }
}

TEST(FcTabStopList, ChangesReachTheRowsButClearDoesNot) {
    TFcTabbedListBox list;
    TFcTabStopList& stops = list.TabStops();
    stops.Add(10);
    EXPECT_EQ(list.RowTabStops(), (std::vector<int>{40}));
    stops.Add(20);
    stops.Put(0, 5);
    EXPECT_EQ(list.RowTabStops(), (std::vector<int>{20, 80}));
    stops.Delete(1);
    stops.Insert(0, 2);
    EXPECT_EQ(list.RowTabStops(), (std::vector<int>{8, 20}));
    stops.Clear();
    EXPECT_EQ(list.RowTabStops(), (std::vector<int>{8, 20}));

    TFcIntegerList manual;
    manual.Add(3);
    list.SetTabStops(manual);
    EXPECT_EQ(list.RowTabStops(), (std::vector<int>{12}));

    // Negative stops are accepted; at most 1000 reach the rows.
    stops.Add(-7);
    for (int i = 0; i < 1100; ++i)
        stops.Add(100 + i);
    EXPECT_EQ(stops.Count(), 1102);
    ASSERT_EQ(list.GetTabStopArray().size(), 1000u);
    EXPECT_EQ(list.GetTabStopArray()[1], -28);
}

TEST(FcTabbedCells, ColumnsBetweenTabs) {
    TFcTabbedListBox list;
    list.Items().Add("x\ty");
    list.Items().Add("x\ty\tw");
    EXPECT_EQ(list.GetCell(0, 0), "x");
    EXPECT_EQ(list.GetCell(1, 0), "y");
    struct Bad {
        int column, row;
        const char* message;
    };
    for (const Bad& b :
         {Bad{2, 0, "Column parameter out of range"}, Bad{-1, 0, "Column parameter out of range"},
          Bad{0, 2, "Row parameter out of range"}, Bad{0, -1, "Row parameter out of range"}}) {
        try {
            list.GetCell(b.column, b.row);
            ADD_FAILURE() << b.column << "," << b.row;
        } catch (const gui::EListError& e) {
            EXPECT_STREQ(e.what(), b.message);
        }
        EXPECT_THROW(list.SetCell(b.column, b.row, "v"), gui::EListError);
    }
    list.SetCell(1, 1, "zz");
    EXPECT_EQ(list.Items()[1], "x\tzz\tw");
    list.SetCell(2, 1, "");
    EXPECT_EQ(list.Items()[1], "x\tzz\t");
    EXPECT_EQ(list.GetCell(2, 1), "");
}

TEST(FcTabbedCells, ThereIsNoHeaderToTakeStopsFrom) {
    TFcTabbedListBox list;
    EXPECT_THROW(list.UpdateFromHeader(&list), EHeaderError);
    EXPECT_FALSE(list.ShowItemHints());
}

// A virtual tabbed list: rows and cells come from OnData, and the automatic
// stops never read the million items.
TEST(FcTabbedVirtual, RowsAndCellsAskOnlyForWhatTheyShow) {
    TFcTabbedListBox list;
    list.resize(300, 80);
    list.SetItemHeight(13);
    list.SetTabStopsMode(TFcTabStopsMode::tsmAutomatic);
    list.SetStyle(TListBoxStyle::lbVirtual);
    std::vector<int> asked;
    list.OnData = [&](QObject*, int index, std::string& data) {
        asked.push_back(index);
        data = "row " + std::to_string(index) + "\tx";
    };
    list.SetCount(1'000'000);
    list.Loaded();
    TFont larger = list.Font(); // a font change computes the stops again
    larger.SetSize(larger.Size() + 2);
    list.SetFont(larger);
    EXPECT_TRUE(list.TabStops().Values().empty());
    EXPECT_TRUE(asked.empty());

    EXPECT_EQ(list.GetCell(1, 999'999), "x");
    EXPECT_EQ(asked, std::vector<int>{999'999});
    EXPECT_THROW(list.GetCell(0, 1'000'000), gui::EListError);
    asked.clear();
    const QImage image = RenderWidget(list);
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_FALSE(test::InkBounds(image, QRect(2, 2, 200, 13), gui::clWindow).isEmpty());
}

} // namespace
} // namespace vdx
