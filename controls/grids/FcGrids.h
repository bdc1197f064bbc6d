#pragma once
// The framed string grid of the library: the class library's string grid
// (cells of text in rows and columns, fixed header rows and columns, a
// current cell, whole-row selection, scrolling) painted here, with the
// framing and state colours of the framed-control contract and line
// colours of its own for the fixed and the scrolling area.
//
// The frame margin holds the platform border (a sunken two-pixel edge with
// bsSingle) and the scroll bars, so ClientWidth and ClientHeight are the
// area the cells are painted in.

#include "controls/base/FcDraw.h"
#include "controls/base/FcFramedControl.h"
#include "platform/gui/enum_set.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QLineEdit;
class QScrollBar;

namespace vdx {

enum class TGridOption : std::uint16_t {
    goFixedVertLine = 0x0001,
    goFixedHorzLine = 0x0002,
    goVertLine = 0x0004,
    goHorzLine = 0x0008,
    goRangeSelect = 0x0010,
    goDrawFocusSelected = 0x0020,
    goRowSizing = 0x0040,
    goColSizing = 0x0080,
    goRowMoving = 0x0100,
    goColMoving = 0x0200,
    goEditing = 0x0400,
    goTabs = 0x0800,
    goRowSelect = 0x1000,
    goAlwaysShowEditor = 0x2000,
    goThumbTracking = 0x4000
};
using TGridOptions = gui::TEnumSet<TGridOption>;
constexpr TGridOptions operator|(TGridOption a, TGridOption b) noexcept {
    return TGridOptions(a) | TGridOptions(b);
}

enum class TGridDrawStateItem : std::uint8_t { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = gui::TEnumSet<TGridDrawStateItem>;

// A block of cells, both corners included.
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

enum class TScrollStyle : std::uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

class TFcStringGrid : public TFcFramedControl {
    Q_OBJECT
    Q_PROPERTY(vdx::gui::TColor LineColor READ LineColor WRITE SetLineColor)
    Q_PROPERTY(vdx::gui::TColor FixedLineColor READ FixedLineColor WRITE SetFixedLineColor)

public:
    explicit TFcStringGrid(QWidget* parent = nullptr);
    ~TFcStringGrid() override;

    // The shape. Counts below the fixed ones grow them; cells, widths and
    // heights are kept where they still exist.
    int ColCount() const noexcept { return int(m_colWidths.size()); }
    void SetColCount(int value);
    int RowCount() const noexcept { return int(m_rowHeights.size()); }
    void SetRowCount(int value);
    int FixedCols() const noexcept { return m_fixedCols; }
    void SetFixedCols(int value); // clamped below ColCount; the current cell starts over
    int FixedRows() const noexcept { return m_fixedRows; }
    void SetFixedRows(int value);
    int DefaultColWidth() const noexcept { return m_defaultColWidth; }
    void SetDefaultColWidth(int value); // every column takes it
    int DefaultRowHeight() const noexcept { return m_defaultRowHeight; }
    void SetDefaultRowHeight(int value); // every row takes it
    int ColWidths(int col) const;
    void SetColWidths(int col, int value);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int value);
    int GridLineWidth() const noexcept { return m_gridLineWidth; }
    void SetGridLineWidth(int value);
    TGridOptions Options() const noexcept { return m_options; }
    void SetOptions(TGridOptions value);
    TColor FixedColor() const noexcept { return m_fixedColor; }
    void SetFixedColor(TColor value);
    bool DefaultDrawing() const noexcept { return m_defaultDrawing; }
    void SetDefaultDrawing(bool value) noexcept { m_defaultDrawing = value; }
    TBorderStyle BorderStyle() const noexcept { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TScrollStyle ScrollBars() const noexcept { return m_scrollBars; }
    void SetScrollBars(TScrollStyle value);

    // Cell texts; reading outside the grid gives "", writing outside it
    // does nothing.
    std::string Cells(int col, int row) const;
    void SetCells(int col, int row, const std::string& text);

    // The current cell; moving it scrolls it into view.
    int Col() const noexcept { return m_col; }
    void SetCol(int value);
    int Row() const noexcept { return m_row; }
    void SetRow(int value);
    int TopRow() const noexcept { return m_topRow; }
    void SetTopRow(int value);
    int LeftCol() const noexcept { return m_leftCol; }
    void SetLeftCol(int value);
    int VisibleRowCount() const; // scrolling rows fully shown
    int VisibleColCount() const;
    TGridRect Selection() const;

    // The cell at a client point; -1, -1 outside the cells.
    void MouseToCell(int x, int y, int& col, int& row) const;
    // The client rectangle of a shown cell; empty for one scrolled away.
    // Right to left (bdRightToLeft) the columns run from the right edge.
    TRect CellRect(int col, int row) const;
    // The client rectangle the whole-row focus rectangle goes around.
    virtual void GetSelectionRect(TRect& rect) const;

    // The grid-line colours of the scrolling and the fixed area.
    TColor LineColor() const noexcept { return m_lineColor; }
    void SetLineColor(TColor value);
    TColor FixedLineColor() const noexcept { return m_fixedLineColor; }
    void SetFixedLineColor(TColor value);

    // The in-place editor over the current cell, with goEditing: F2, Enter,
    // a typed character (which replaces the text) or a press on the
    // current cell of the focused grid opens it; with goAlwaysShowEditor as
    // well it is open whenever the grid has the focus. Typing reaches the
    // cell at once; Escape gives the cell back its text, Enter closes the
    // editor, and the keys that move the current cell close it too (with
    // goAlwaysShowEditor it moves along). The editor is built on first use
    // and kept; null before.
    bool EditorMode() const;
    void SetEditorMode(bool value);
    QLineEdit* InplaceEditor() const noexcept { return m_editor; }

    void UpdateColors() override;
    void SetFrameController(TFcFrameController* value) override;
    void Loaded() override;

    // After the default drawing of each cell; the canvas has the grid's font.
    std::function<void(QObject* sender, TCanvas& canvas, int col, int row, TRect rect,
                       TGridDrawState state)>
        OnDrawCell;
    // The current cell is about to move there; canSelect false keeps it.
    std::function<void(QObject* sender, int col, int row, bool& canSelect)> OnSelectCell;

protected:
    // The class library's in-place editor: no frame, the grid's font, and
    // the grid's colour as its background.
    virtual QLineEdit* CreateEditor();

    void PaintFrame(TCanvas& canvas) override;
    void PaintClient(TCanvas& canvas) override;
    void ColorChanged() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FocusEnter() override;
    void FocusExit() override;
    void EnabledChanged() override;

    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Where the columns (or rows) of one axis stand on screen: the fixed ones
    // first, then the scrolling ones from the first shown.
    struct Axis {
        const std::vector<int>* sizes;
        int fixed;
        int first;
        int lineWidth;
        int extent; // client width or height
        // Client offset of item i, or -1 when it is not shown.
        int Offset(int i) const;
        // The item at offset p (lines count to the item before them), or -1.
        int At(int p) const;
        // Past the last shown item's line.
        int End() const;
        int FixedExtent() const;
        // Scrolling items fully shown from first.
        int FullyShown() const;
        // The first item to show, not before first, so that target is shown
        // whole (target itself where it fits nowhere).
        int FirstShowing(int target) const;
    };
    Axis Cols() const;
    Axis Rows() const;

    class InplaceEdit;

    // The cell rectangle as shown: mirrored right to left.
    TRect Shown(TRect rect) const;
    void ShowEditor();
    void HideEditor();
    // The editor over the current cell with its text; hidden while the
    // cell is scrolled away.
    void PlaceEditor(bool loadText);
    // A key the editor passes on; true when the grid took it.
    bool EditorKey(QKeyEvent& event);
    bool AlwaysShowEditor() const;

    void Initialize();
    void MoveCurrent(int col, int row);
    void ScrollIntoView();
    void UpdateScrollBars();
    void ClampScroll();
    void DrawLines(TCanvas& canvas, const Axis& cols, const Axis& rows, int colFrom, int colTo,
                   int rowFrom, int rowTo, bool fixedArea);
    void DrawCells(TCanvas& canvas, const Axis& cols, const Axis& rows, int colFrom, int colTo,
                   int rowFrom, int rowTo, bool fixedArea);

    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights;
    std::vector<std::vector<std::string>> m_cells; // [row][col]
    int m_fixedCols = 1;
    int m_fixedRows = 1;
    int m_defaultColWidth = 60;
    int m_defaultRowHeight = 18;
    int m_gridLineWidth = 1;
    TGridOptions m_options = TGridOption::goFixedVertLine | TGridOption::goFixedHorzLine |
                             TGridOption::goVertLine | TGridOption::goHorzLine |
                             TGridOption::goRangeSelect;
    TColor m_fixedColor = gui::clBtnFace;
    bool m_defaultDrawing = true;
    TBorderStyle m_borderStyle = TBorderStyle::bsSingle;
    TScrollStyle m_scrollBars = TScrollStyle::ssBoth;
    int m_col = 1;
    int m_row = 1;
    int m_topRow = 1;
    int m_leftCol = 1;

    TColor m_lineColor = gui::clBtnFace;
    TColor m_fixedLineColor = gui::clBtnShadow;
    QScrollBar* m_vertBar = nullptr; // children, owned by Qt's parent tree
    QScrollBar* m_horzBar = nullptr;
    QLineEdit* m_editor = nullptr;
    bool m_editorMode = false;
    std::string m_editorOriginal; // the cell's text when editing began
};

} // namespace vdx
