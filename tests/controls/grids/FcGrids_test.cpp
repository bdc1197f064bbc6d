#include "controls/grids/FcGrids.h"

#include "WidgetPictures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace vdx {
namespace {

using test::PixelAt;
using test::RenderWidget;
using test::Shown;

void Press(QWidget& w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(&w, &press);
}

// The user grid's shape: one header row, no fixed column, whole rows.
class UserGrid : public ::testing::Test {
protected:
    UserGrid() {
        grid.SetColCount(3);
        grid.SetRowCount(4);
        grid.SetFixedCols(0);
        grid.SetFixedRows(1);
        grid.SetColWidths(0, 80);
        grid.SetColWidths(1, 34);
        grid.SetColWidths(2, 34);
        grid.SetOptions(TGridOption::goFixedVertLine | TGridOption::goFixedHorzLine |
                        TGridOption::goVertLine | TGridOption::goHorzLine |
                        TGridOption::goRowSelect);
        grid.resize(200, 100);
    }
    TFcStringGrid grid;
};

TEST(StringGrid, DefaultsAndShape) {
    TFcStringGrid grid;
    EXPECT_EQ(grid.width(), 325);
    EXPECT_EQ(grid.height(), 125);
    EXPECT_EQ(grid.DefaultRowHeight(), 18);
    EXPECT_EQ(grid.DefaultColWidth(), 60);
    EXPECT_EQ(grid.LineColor(), gui::clBtnFace);
    EXPECT_EQ(grid.FixedLineColor(), gui::clBtnShadow);
    EXPECT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.RowCount(), 5);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.Col(), 1);

    grid.SetCells(2, 3, "kept");
    grid.SetCells(9, 9, "outside"); // nothing happens
    grid.SetRowCount(10);
    EXPECT_EQ(grid.Cells(2, 3), "kept");
    EXPECT_EQ(grid.Cells(9, 9), "");
    grid.SetRow(9);
    grid.SetRowCount(2); // the current row follows, never past the last
    EXPECT_EQ(grid.Row(), 1);
    grid.SetRow(-5);
    EXPECT_EQ(grid.Row(), 1); // fixed rows are never current
    EXPECT_EQ(grid.Cells(2, 3), "");
}

TEST_F(UserGrid, MouseToCellAndCellRect) {
    // Columns 80, 34, 34 and rows 18 with one-pixel lines; the client starts
    // inside the two-pixel border.
    struct Case {
        int x, y, col, row;
    } cases[] = {
        {0, 0, 0, 0},     {79, 17, 0, 0},    {80, 18, 0, 0}, // a line belongs to the cell before it
        {81, 19, 1, 1},   {115, 38, 1, 2},   {116, 38, 2, 2},
        {150, 10, 2, 0},  {151, 10, -1, -1}, // right of the last column
        {10, 80, -1, -1},                    // below the last row
        {-1, 5, -1, -1},
    };
    for (const Case& c : cases) {
        int col = 7, row = 7;
        grid.MouseToCell(c.x, c.y, col, row);
        EXPECT_EQ(col, c.col) << c.x << "," << c.y;
        EXPECT_EQ(row, c.row) << c.x << "," << c.y;
    }
    EXPECT_EQ(grid.CellRect(1, 2), gui::Rect(81, 38, 115, 56));
}

TEST_F(UserGrid, LineColoursByAreaAndOption) {
    grid.SetLineColor(gui::clRed);
    grid.SetFixedLineColor(gui::clBlue);
    QImage image = RenderWidget(grid);
    const int ox = 2, oy = 2;                                          // the border
    EXPECT_EQ(PixelAt(image, ox + 80, oy + 5), Shown(gui::clBlue));    // header, vertical
    EXPECT_EQ(PixelAt(image, ox + 5, oy + 18), Shown(gui::clBlue));    // header, bottom line
    EXPECT_EQ(PixelAt(image, ox + 80, oy + 25), Shown(gui::clRed));    // scrolling, vertical
    EXPECT_EQ(PixelAt(image, ox + 5, oy + 37), Shown(gui::clRed));     // scrolling, horizontal
    EXPECT_EQ(PixelAt(image, ox + 170, oy + 5), Shown(gui::clWindow)); // beyond the columns
    EXPECT_EQ(PixelAt(image, ox + 5, oy + 90), Shown(gui::clWindow));  // below the rows

    // A line colour equal to the grid's colour is darkened so it shows.
    grid.SetLineColor(gui::clWindow);
    image = RenderWidget(grid);
    EXPECT_EQ(PixelAt(image, ox + 80, oy + 25), Shown(DarkenColor(gui::clWindow, 50)));

    // Options off: the lines take the area's colour.
    grid.SetOptions(TGridOption::goRowSelect);
    grid.SetLineColor(gui::clRed);
    image = RenderWidget(grid);
    EXPECT_EQ(PixelAt(image, ox + 80, oy + 5), Shown(grid.FixedColor()));
    EXPECT_EQ(PixelAt(image, ox + 80, oy + 25), Shown(gui::clWindow));
}

TEST_F(UserGrid, WholeRowSelectionFocusAndOwnerDrawing) {
    grid.SetCells(0, 1, "Anna");
    int drawn = 0;
    grid.OnDrawCell = [&](QObject*, TCanvas& canvas, int col, int row, TRect rect,
                          TGridDrawState state) {
        ++drawn;
        if (col == 2 && row == 2) {
            EXPECT_FALSE(state.Contains(TGridDrawStateItem::gdSelected));
            canvas.Brush.SetColor(gui::clAqua);
            canvas.FillRect(rect);
        }
        EXPECT_EQ(state.Contains(TGridDrawStateItem::gdFixed), row == 0);
    };
    const QImage image = RenderWidget(grid);
    EXPECT_EQ(drawn, 12);
    EXPECT_EQ(PixelAt(image, 2 + 100, 2 + 25), Shown(gui::clHighlight)); // row 1, every column
    EXPECT_EQ(PixelAt(image, 2 + 130, 2 + 25), Shown(gui::clHighlight));
    EXPECT_EQ(PixelAt(image, 2 + 130, 2 + 45), Shown(gui::clAqua));
    TRect sel;
    grid.GetSelectionRect(sel);
    EXPECT_EQ(sel, gui::Rect(0, 19, 150, 37));
}

TEST_F(UserGrid, KeysWheelAndScrolling) {
    grid.SetRowCount(40);
    grid.show();
    EXPECT_TRUE(grid.findChildren<QScrollBar*>().front()->isVisible() ||
                grid.findChildren<QScrollBar*>().back()->isVisible());
    Press(grid, Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 2);
    Press(grid, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.Row(), 39);
    EXPECT_GT(grid.TopRow(), 1);
    EXPECT_LE(grid.TopRow() + grid.VisibleRowCount() - 1, 39);
    EXPECT_GE(grid.TopRow() + grid.VisibleRowCount() - 1, 39);
    Press(grid, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(grid.TopRow(), 1);
    Press(grid, Qt::Key_Up);
    EXPECT_EQ(grid.Row(), 1);
    int canSelectCalls = 0;
    grid.OnSelectCell = [&](QObject*, int, int row, bool& canSelect) {
        ++canSelectCalls;
        canSelect = row != 3;
    };
    Press(grid, Qt::Key_PageDown);
    EXPECT_EQ(canSelectCalls, 1);
    EXPECT_GT(grid.Row(), 3);
    grid.SetRow(3);
    EXPECT_NE(grid.Row(), 3);
}

TEST_F(UserGrid, StateColoursAndFrame) {
    grid.SetDisabledColor(gui::clYellow);
    grid.setEnabled(false);
    EXPECT_EQ(grid.Color(), gui::clYellow);
    grid.setEnabled(true);
    EXPECT_EQ(grid.Color(), gui::clWindow);
    grid.SetColor(gui::clInfoBk); // the focus colour followed the normal one
    EXPECT_EQ(grid.FocusColor(), gui::clInfoBk);

    grid.SetFrameVisible(true);
    grid.SetFrameColor(gui::clRed);
    grid.SetFrameHotColor(gui::clBlue);
    grid.SetFrameHotTrack(true);
    QImage image = RenderWidget(grid);
    EXPECT_EQ(PixelAt(image, 0, 50), Shown(gui::clRed));
    EXPECT_EQ(PixelAt(image, 1, 50), Shown(grid.FixedColor())); // the ring inside the flat frame
    EXPECT_EQ(PixelAt(image, grid.width() - 2, 50), Shown(grid.Color()));
    grid.UpdateFrameHotState(true, true);
    image = RenderWidget(grid);
    EXPECT_EQ(PixelAt(image, 0, 50), Shown(gui::clBlue));
    EXPECT_EQ(PixelAt(image, 1, 50), Shown(gui::clBlue)); // fsFlatBold: two rings

    grid.SetBorderStyle(TBorderStyle::bsNone);
    image = RenderWidget(grid);
    EXPECT_EQ(PixelAt(image, 0, 50), Shown(gui::clInfoBk)); // no frame at all: cells to the edge
}

} // namespace
} // namespace vdx
