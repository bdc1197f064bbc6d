#include "controls/grids/FcGrids.h"

#include "WidgetPictures.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
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

// Keys as a user types them: the key and its text.
void Type(QWidget& w, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&w, &press);
}

void Click(QWidget& w, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, w.mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w.mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &release);
}

// The focus on the grid (or its editor) in a shown, active window.
bool Focus(TFcStringGrid& grid) {
    grid.show();
    grid.activateWindow();
    QApplication::processEvents();
    grid.setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    return grid.FocusInside();
}

// The class library's string grid with editing on: five by five cells of
// 60 x 18, one fixed row and column.
class EditingGrid : public ::testing::Test {
protected:
    EditingGrid() {
        grid.SetCells(1, 1, "anna");
        grid.SetCells(2, 1, "bob");
        grid.SetCells(1, 2, "carl");
        grid.SetOptions(TGridOption::goFixedVertLine | TGridOption::goFixedHorzLine |
                        TGridOption::goVertLine | TGridOption::goHorzLine | TGridOption::goEditing);
    }
    // Where the editor stands, in grid client coordinates.
    QRect EditorCell() const {
        const QLineEdit* e = grid.InplaceEditor();
        return e ? e->geometry().translated(-grid.contentsRect().topLeft()) : QRect();
    }
    bool EditorShown() const { return grid.InplaceEditor() && grid.InplaceEditor()->isVisible(); }
    TFcStringGrid grid;
};

TEST_F(EditingGrid, KeysOpenTheEditorTypingReachesTheCellEscapeUndoes) {
    ASSERT_TRUE(Focus(grid));
    EXPECT_EQ(grid.InplaceEditor(), nullptr); // built on first use

    // F2 opens it over the current cell with the cell's text.
    Press(grid, Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    EXPECT_TRUE(grid.EditorMode());
    EXPECT_EQ(EditorCell(), gui::ToQRect(grid.CellRect(1, 1)));
    EXPECT_EQ(grid.InplaceEditor()->text(), "anna");
    EXPECT_TRUE(grid.InplaceEditor()->hasFocus());
    EXPECT_TRUE(grid.FocusInside()); // moving into the editor is no exit

    // Typing reaches the cell at once; Escape gives it its text back.
    Type(*grid.InplaceEditor(), Qt::Key_End, QString());
    Type(*grid.InplaceEditor(), Qt::Key_S, "s");
    EXPECT_EQ(grid.Cells(1, 1), "annas");
    Press(*grid.InplaceEditor(), Qt::Key_Escape);
    EXPECT_EQ(grid.Cells(1, 1), "anna");
    EXPECT_FALSE(EditorShown());
    EXPECT_TRUE(grid.hasFocus());

    // A typed character opens it and replaces the text; Enter keeps it.
    Type(grid, Qt::Key_Z, "z");
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(grid.Cells(1, 1), "z");
    Press(*grid.InplaceEditor(), Qt::Key_Return);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(grid.Cells(1, 1), "z");

    // Enter opens it too; a key that moves the current cell closes it.
    Press(grid, Qt::Key_Return);
    ASSERT_TRUE(EditorShown());
    Press(*grid.InplaceEditor(), Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(grid.Cells(1, 1), "z");

    // A press on the current cell of the focused grid edits it; one on
    // another cell only moves there.
    const QPoint origin = grid.contentsRect().topLeft();
    Click(grid, origin + gui::ToQRect(grid.CellRect(2, 2)).center());
    EXPECT_EQ(grid.Col(), 2);
    EXPECT_FALSE(EditorShown());
    Click(grid, origin + gui::ToQRect(grid.CellRect(2, 2)).center());
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ(EditorCell(), gui::ToQRect(grid.CellRect(2, 2)));

    // Leaving the grid closes it.
    QWidget other;
    other.setFocusPolicy(Qt::StrongFocus);
    other.show();
    other.activateWindow();
    other.setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(grid.FocusInside());
    EXPECT_FALSE(EditorShown());
}

TEST_F(EditingGrid, AlwaysShownEditorFollowsTheCurrentCell) {
    grid.SetOptions(grid.Options() | TGridOption::goAlwaysShowEditor);
    ASSERT_TRUE(Focus(grid));
    ASSERT_TRUE(EditorShown()); // the focus opened it
    EXPECT_EQ(grid.InplaceEditor()->text(), "anna");
    Press(*grid.InplaceEditor(), Qt::Key_Down);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(EditorCell(), gui::ToQRect(grid.CellRect(1, 2)));
    EXPECT_EQ(grid.InplaceEditor()->text(), "carl");
    // Escape and Enter keep it open.
    Press(*grid.InplaceEditor(), Qt::Key_Escape);
    Press(*grid.InplaceEditor(), Qt::Key_Return);
    EXPECT_TRUE(EditorShown());
    // The focus rectangle is left out where the editor always shows: the
    // current cell under the editor is not painted at all.
    grid.OnDrawCell = [](QObject*, TCanvas&, int col, int row, TRect, TGridDrawState) {
        EXPECT_FALSE(col == 1 && row == 2) << "the cell under the editor was drawn";
    };
    RenderWidget(grid);
    // Taking editing away closes it.
    grid.SetOptions(grid.Options().Without(TGridOption::goEditing));
    EXPECT_FALSE(EditorShown());
}

TEST_F(EditingGrid, EditorTakesTheGridColourAndKeepsTheFrameWhileFocused) {
    grid.SetColor(gui::clInfoBk);
    grid.SetFrameHotTrack(true);
    ASSERT_TRUE(Focus(grid));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&grid, &leave);
    ASSERT_FALSE(grid.MouseOver());
    Press(grid, Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    QLineEdit& editor = *grid.InplaceEditor();
    EXPECT_EQ(gui::FromQColor(editor.palette().color(QPalette::Base)), Shown(gui::clInfoBk));
    EXPECT_FALSE(editor.hasFrame());
    grid.SetColor(gui::clYellow); // a new colour reaches the editor
    EXPECT_EQ(gui::FromQColor(editor.palette().color(QPalette::Base)), Shown(gui::clYellow));

    // While the editor has the focus the mouse does not make the frame hot.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(grid.mapToGlobal(QPoint(5, 5))));
    QCoreApplication::sendEvent(&grid, &enter);
    EXPECT_FALSE(grid.MouseOver());
    Press(editor, Qt::Key_Return); // the grid has the focus again
    QCoreApplication::sendEvent(&grid, &enter);
    EXPECT_TRUE(grid.MouseOver());
}

TEST_F(UserGrid, NeverEdits) {
    grid.SetCells(0, 1, "Anna");
    ASSERT_TRUE(Focus(grid));
    Press(grid, Qt::Key_F2);
    Press(grid, Qt::Key_Return);
    Type(grid, Qt::Key_X, "x");
    const QPoint cell = grid.contentsRect().topLeft() + gui::ToQRect(grid.CellRect(0, 1)).center();
    Click(grid, cell);
    Click(grid, cell);
    EXPECT_EQ(grid.InplaceEditor(), nullptr);
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_EQ(grid.Cells(0, 1), "Anna");
}

// Right to left the columns run from the right edge, for painting, hit
// tests and the editor; the text in a cell still reads left to right.
TEST_F(UserGrid, RightToLeftMirrorsTheColumns) {
    grid.SetBiDiMode(TBiDiMode::bdRightToLeft);
    grid.SetLineColor(gui::clRed);
    const int w = grid.ClientWidth();
    EXPECT_EQ(grid.CellRect(0, 1), gui::Rect(w - 80, 19, w, 37));
    EXPECT_EQ(grid.CellRect(1, 2), gui::Rect(w - 115, 38, w - 81, 56));
    int col = -1, row = -1;
    grid.MouseToCell(w - 1, 20, col, row);
    EXPECT_EQ(col, 0);
    grid.MouseToCell(w - 90, 40, col, row);
    EXPECT_EQ(col, 1);
    grid.MouseToCell(5, 40, col, row); // left of the last column
    EXPECT_EQ(col, -1);

    const QImage image = RenderWidget(grid);
    const int ox = 2, oy = 2;
    // Lines after the columns at w - 81, w - 116 and w - 151 (not 80, 115, 150).
    EXPECT_EQ(PixelAt(image, ox + w - 81, oy + 40), Shown(gui::clRed));
    EXPECT_EQ(PixelAt(image, ox + w - 151, oy + 40), Shown(gui::clRed));
    EXPECT_EQ(PixelAt(image, ox + 150, oy + 40), Shown(gui::clWindow));
    EXPECT_EQ(PixelAt(image, ox + 5, oy + 40), Shown(gui::clWindow));        // beyond the columns
    EXPECT_EQ(PixelAt(image, ox + w - 5, oy + 25), Shown(gui::clHighlight)); // the selected row
}

} // namespace
} // namespace vdx
