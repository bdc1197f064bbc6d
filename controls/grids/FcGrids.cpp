#include "controls/grids/FcGrids.h"

#include "platform/gui/ansi_text.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/font.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

#include <algorithm>

namespace vdx {

namespace {

constexpr int kScrollBarSize = 16;

} // namespace

// The class library's in-place editor: the keys it does not keep go to its
// grid.
class TFcStringGrid::InplaceEdit : public QLineEdit {
public:
    explicit InplaceEdit(TFcStringGrid& grid) : QLineEdit(&grid), m_grid(grid) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        bool taken = false;
        gui::Guard([&] { taken = m_grid.EditorKey(*event); });
        if (taken)
            event->accept();
        else
            QLineEdit::keyPressEvent(event);
    }

private:
    TFcStringGrid& m_grid;
};

// Axes.

int TFcStringGrid::Axis::Offset(int i) const {
    const int count = int(sizes->size());
    if (i < 0 || i >= count || (i >= fixed && i < first))
        return -1;
    int p = 0;
    for (int k = 0; k < std::min(i, fixed); ++k)
        p += (*sizes)[std::size_t(k)] + lineWidth;
    for (int k = first; k < i; ++k) {
        p += (*sizes)[std::size_t(k)] + lineWidth;
        if (p >= extent)
            return -1;
    }
    return p < extent ? p : -1;
}

int TFcStringGrid::Axis::At(int p) const {
    if (p < 0)
        return -1;
    const int count = int(sizes->size());
    int q = 0;
    for (int k = 0; k < count; ++k) {
        if (k >= fixed && k < first)
            k = first;
        if (k >= count || q >= extent)
            break;
        q += (*sizes)[std::size_t(k)] + lineWidth;
        if (p < q)
            return p < extent ? k : -1;
    }
    return -1;
}

int TFcStringGrid::Axis::End() const {
    const int count = int(sizes->size());
    int q = 0;
    for (int k = 0; k < count && q < extent; ++k) {
        if (k >= fixed && k < first)
            k = first;
        if (k >= count)
            break;
        q += (*sizes)[std::size_t(k)] + lineWidth;
    }
    return std::min(q, extent);
}

int TFcStringGrid::Axis::FixedExtent() const {
    int p = 0;
    for (int k = 0; k < fixed && k < int(sizes->size()); ++k)
        p += (*sizes)[std::size_t(k)] + lineWidth;
    return p;
}

int TFcStringGrid::Axis::FullyShown() const {
    int p = FixedExtent();
    int n = 0;
    for (int k = first; k < int(sizes->size()); ++k) {
        p += (*sizes)[std::size_t(k)] + lineWidth;
        if (p - lineWidth > extent)
            break;
        ++n;
    }
    return n;
}

int TFcStringGrid::Axis::FirstShowing(int target) const {
    // Back from target while the items from there to target still fit whole.
    int used = FixedExtent() + (*sizes)[std::size_t(target)];
    int from = target;
    while (from > first) {
        const int more = (*sizes)[std::size_t(from - 1)] + lineWidth;
        if (used + more > extent)
            break;
        used += more;
        --from;
    }
    return from;
}

TFcStringGrid::Axis TFcStringGrid::Cols() const {
    return {&m_colWidths, m_fixedCols, m_leftCol, m_gridLineWidth, ClientWidth()};
}

TFcStringGrid::Axis TFcStringGrid::Rows() const {
    return {&m_rowHeights, m_fixedRows, m_topRow, m_gridLineWidth, ClientHeight()};
}

// Construction and shape.

TFcStringGrid::TFcStringGrid(QWidget* parent) : TFcFramedControl(parent) {
    setFocusPolicy(Qt::StrongFocus);
    m_colWidths.assign(5, m_defaultColWidth);
    m_rowHeights.assign(5, m_defaultRowHeight);
    m_cells.assign(5, std::vector<std::string>(5));
    m_vertBar = new QScrollBar(Qt::Vertical, this);
    m_horzBar = new QScrollBar(Qt::Horizontal, this);
    for (QScrollBar* bar : {m_vertBar, m_horzBar}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->hide();
    }
    connect(m_vertBar, &QScrollBar::valueChanged, this,
            [this](int v) { gui::Guard([&] { SetTopRow(m_fixedRows + v); }); });
    connect(m_horzBar, &QScrollBar::valueChanged, this,
            [this](int v) { gui::Guard([&] { SetLeftCol(m_fixedCols + v); }); });
    resize(325, 125);
    UpdateScrollBars();
}

TFcStringGrid::~TFcStringGrid() = default;

void TFcStringGrid::SetColCount(int value) {
    value = std::max(value, 1);
    if (value == ColCount())
        return;
    m_colWidths.resize(std::size_t(value), m_defaultColWidth);
    for (auto& row : m_cells)
        row.resize(std::size_t(value));
    m_fixedCols = std::min(m_fixedCols, value - 1);
    m_col = std::clamp(m_col, m_fixedCols, value - 1);
    ClampScroll();
}

void TFcStringGrid::SetRowCount(int value) {
    value = std::max(value, 1);
    if (value == RowCount())
        return;
    m_rowHeights.resize(std::size_t(value), m_defaultRowHeight);
    m_cells.resize(std::size_t(value), std::vector<std::string>(std::size_t(ColCount())));
    m_fixedRows = std::min(m_fixedRows, value - 1);
    m_row = std::clamp(m_row, m_fixedRows, value - 1);
    ClampScroll();
}

void TFcStringGrid::SetFixedCols(int value) {
    value = std::clamp(value, 0, ColCount() - 1);
    if (value == m_fixedCols)
        return;
    m_fixedCols = value;
    Initialize();
}

void TFcStringGrid::SetFixedRows(int value) {
    value = std::clamp(value, 0, RowCount() - 1);
    if (value == m_fixedRows)
        return;
    m_fixedRows = value;
    Initialize();
}

void TFcStringGrid::Initialize() {
    // A new fixed part starts the grid over at its first scrolling cell.
    m_leftCol = m_col = m_fixedCols;
    m_topRow = m_row = m_fixedRows;
    ClampScroll();
}

void TFcStringGrid::SetDefaultColWidth(int value) {
    m_defaultColWidth = std::max(value, 0);
    std::fill(m_colWidths.begin(), m_colWidths.end(), m_defaultColWidth);
    ClampScroll();
}

void TFcStringGrid::SetDefaultRowHeight(int value) {
    m_defaultRowHeight = std::max(value, 0);
    std::fill(m_rowHeights.begin(), m_rowHeights.end(), m_defaultRowHeight);
    ClampScroll();
}

int TFcStringGrid::ColWidths(int col) const {
    return col >= 0 && col < ColCount() ? m_colWidths[std::size_t(col)] : 0;
}

void TFcStringGrid::SetColWidths(int col, int value) {
    if (col < 0 || col >= ColCount())
        return;
    m_colWidths[std::size_t(col)] = std::max(value, 0);
    ClampScroll();
}

int TFcStringGrid::RowHeights(int row) const {
    return row >= 0 && row < RowCount() ? m_rowHeights[std::size_t(row)] : 0;
}

void TFcStringGrid::SetRowHeights(int row, int value) {
    if (row < 0 || row >= RowCount())
        return;
    m_rowHeights[std::size_t(row)] = std::max(value, 0);
    ClampScroll();
}

void TFcStringGrid::SetGridLineWidth(int value) {
    m_gridLineWidth = std::max(value, 0);
    ClampScroll();
}

void TFcStringGrid::SetOptions(TGridOptions value) {
    if (value == m_options)
        return;
    m_options = value;
    if (!m_options.Contains(TGridOption::goEditing))
        HideEditor();
    else if (AlwaysShowEditor() && FocusInside())
        ShowEditor();
    update();
}

void TFcStringGrid::SetFixedColor(TColor value) {
    if (value == m_fixedColor)
        return;
    m_fixedColor = value;
    update();
}

void TFcStringGrid::SetBorderStyle(TBorderStyle value) {
    if (value == m_borderStyle)
        return;
    m_borderStyle = value;
    UpdateScrollBars();
    update();
}

void TFcStringGrid::SetScrollBars(TScrollStyle value) {
    if (value == m_scrollBars)
        return;
    m_scrollBars = value;
    UpdateScrollBars();
}

std::string TFcStringGrid::Cells(int col, int row) const {
    if (col < 0 || row < 0 || row >= RowCount() || col >= ColCount())
        return {};
    return m_cells[std::size_t(row)][std::size_t(col)];
}

void TFcStringGrid::SetCells(int col, int row, const std::string& text) {
    if (col < 0 || row < 0 || row >= RowCount() || col >= ColCount())
        return;
    m_cells[std::size_t(row)][std::size_t(col)] = text;
    update();
}

// Current cell and scrolling.

void TFcStringGrid::SetCol(int value) {
    MoveCurrent(value, m_row);
}

void TFcStringGrid::SetRow(int value) {
    MoveCurrent(m_col, value);
}

void TFcStringGrid::MoveCurrent(int col, int row) {
    col = std::clamp(col, m_fixedCols, ColCount() - 1);
    row = std::clamp(row, m_fixedRows, RowCount() - 1);
    if (col == m_col && row == m_row)
        return;
    if (OnSelectCell) {
        bool canSelect = true;
        OnSelectCell(this, col, row, canSelect);
        if (!canSelect)
            return;
    }
    m_col = col;
    m_row = row;
    ScrollIntoView();
    // The editor moves along only where it always shows.
    if (m_editorMode) {
        if (AlwaysShowEditor())
            PlaceEditor(true);
        else
            HideEditor();
    }
    update();
}

void TFcStringGrid::SetTopRow(int value) {
    const int last = std::max(m_fixedRows, RowCount() - std::max(1, VisibleRowCount()));
    value = std::clamp(value, m_fixedRows, std::max(m_fixedRows, last));
    if (value == m_topRow)
        return;
    m_topRow = value;
    UpdateScrollBars();
    PlaceEditor(false);
    update();
}

void TFcStringGrid::SetLeftCol(int value) {
    const int last = std::max(m_fixedCols, ColCount() - std::max(1, VisibleColCount()));
    value = std::clamp(value, m_fixedCols, std::max(m_fixedCols, last));
    if (value == m_leftCol)
        return;
    m_leftCol = value;
    UpdateScrollBars();
    PlaceEditor(false);
    update();
}

int TFcStringGrid::VisibleRowCount() const {
    return Rows().FullyShown();
}

int TFcStringGrid::VisibleColCount() const {
    return Cols().FullyShown();
}

void TFcStringGrid::ScrollIntoView() {
    if (m_row < m_topRow)
        SetTopRow(m_row);
    else
        SetTopRow(Rows().FirstShowing(m_row));
    if (m_options.Contains(TGridOption::goRowSelect))
        return;
    if (m_col < m_leftCol)
        SetLeftCol(m_col);
    else
        SetLeftCol(Cols().FirstShowing(m_col));
}

void TFcStringGrid::ClampScroll() {
    m_topRow = std::clamp(m_topRow, m_fixedRows, std::max(m_fixedRows, RowCount() - 1));
    m_leftCol = std::clamp(m_leftCol, m_fixedCols, std::max(m_fixedCols, ColCount() - 1));
    UpdateScrollBars();
    // Shrinking may leave rows scrolled in that now fit.
    SetTopRow(m_topRow);
    SetLeftCol(m_leftCol);
    PlaceEditor(false);
    update();
}

TGridRect TFcStringGrid::Selection() const {
    if (m_options.Contains(TGridOption::goRowSelect))
        return {m_fixedCols, m_row, ColCount() - 1, m_row};
    return {m_col, m_row, m_col, m_row};
}

void TFcStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
    if (UseRightToLeftAlignment())
        x = ClientWidth() - 1 - x;
    col = Cols().At(x);
    row = Rows().At(y);
    if (col < 0 || row < 0)
        col = row = -1;
}

TRect TFcStringGrid::CellRect(int col, int row) const {
    const int x = Cols().Offset(col);
    const int y = Rows().Offset(row);
    if (x < 0 || y < 0)
        return {};
    return Shown(gui::Rect(x, y, x + ColWidths(col), y + RowHeights(row)));
}

TRect TFcStringGrid::Shown(TRect r) const {
    if (!UseRightToLeftAlignment())
        return r;
    const int w = ClientWidth();
    return gui::Rect(w - r.Right, r.Top, w - r.Left, r.Bottom);
}

// The in-place editor.

bool TFcStringGrid::AlwaysShowEditor() const {
    return m_options.Contains(TGridOption::goEditing) &&
           m_options.Contains(TGridOption::goAlwaysShowEditor);
}

bool TFcStringGrid::EditorMode() const {
    return m_editorMode;
}

void TFcStringGrid::SetEditorMode(bool value) {
    if (value)
        ShowEditor();
    else
        HideEditor();
}

QLineEdit* TFcStringGrid::CreateEditor() {
    auto* editor = new InplaceEdit(*this);
    editor->setFrame(false);
    editor->hide();
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Base, gui::ToQColor(Color()));
    editor->setPalette(palette);
    return editor;
}

void TFcStringGrid::ShowEditor() {
    if (!m_options.Contains(TGridOption::goEditing))
        return;
    if (!m_editor) {
        m_editor = CreateEditor();
        // The grid and its editor share the focus: moving between them is
        // neither an exit nor an enter.
        SetFocusWidget(m_editor, false);
        connect(m_editor, &QLineEdit::textEdited, this, [this](const QString& text) {
            gui::Guard([&] { SetCells(m_col, m_row, gui::QStringToAnsi(text)); });
        });
    }
    const bool wasOpen = m_editorMode;
    m_editorMode = true;
    PlaceEditor(!wasOpen);
    if (hasFocus() && m_editor->isVisible())
        m_editor->setFocus(Qt::OtherFocusReason);
}

void TFcStringGrid::HideEditor() {
    if (!m_editorMode)
        return;
    m_editorMode = false;
    if (!m_editor)
        return;
    // The focus goes back to the grid before the editor goes, so it stays
    // inside.
    if (m_editor->hasFocus())
        setFocus(Qt::OtherFocusReason);
    m_editor->hide();
    update();
}

void TFcStringGrid::PlaceEditor(bool loadText) {
    if (!m_editor || !m_editorMode)
        return;
    if (loadText) {
        m_editorOriginal = Cells(m_col, m_row);
        const QSignalBlocker block(m_editor);
        m_editor->setText(gui::AnsiToQString(m_editorOriginal));
        m_editor->selectAll();
    }
    const TRect cell = CellRect(m_col, m_row);
    if (cell.IsEmpty()) {
        m_editor->hide();
        return;
    }
    const QPoint origin = contentsRect().topLeft();
    m_editor->setFont(gui::ToQFont(Font()));
    m_editor->setGeometry(origin.x() + cell.Left, origin.y() + cell.Top, cell.Width(),
                          cell.Height());
    m_editor->show();
}

bool TFcStringGrid::EditorKey(QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Escape:
        SetCells(m_col, m_row, m_editorOriginal);
        if (AlwaysShowEditor())
            PlaceEditor(true);
        else
            HideEditor();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (AlwaysShowEditor())
            m_editor->selectAll();
        else
            HideEditor();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        keyPressEvent(&event);
        return true;
    default:
        return false;
    }
}

void TFcStringGrid::GetSelectionRect(TRect& rect) const {
    const TGridRect sel = Selection();
    rect = {};
    for (int c = sel.Left; c <= sel.Right; ++c) {
        const TRect cell = CellRect(c, sel.Top);
        if (cell.IsEmpty())
            continue;
        rect = rect.IsEmpty() ? cell
                              : gui::Rect(std::min(rect.Left, cell.Left), cell.Top,
                                          std::max(rect.Right, cell.Right), cell.Bottom);
    }
}

void TFcStringGrid::UpdateScrollBars() {
    const int border = m_borderStyle == TBorderStyle::bsSingle ? 2 : 0;
    const int w = std::max(0, width() - 2 * border);
    const int h = std::max(0, height() - 2 * border);
    auto total = [this](const std::vector<int>& sizes) {
        int t = 0;
        for (int s : sizes)
            t += s + m_gridLineWidth;
        return t - m_gridLineWidth;
    };
    const bool allowV =
        m_scrollBars == TScrollStyle::ssVertical || m_scrollBars == TScrollStyle::ssBoth;
    const bool allowH =
        m_scrollBars == TScrollStyle::ssHorizontal || m_scrollBars == TScrollStyle::ssBoth;
    bool needV = false, needH = false;
    for (int pass = 0; pass < 2; ++pass) {
        needV = allowV && total(m_rowHeights) > h - (needH ? kScrollBarSize : 0);
        needH = allowH && total(m_colWidths) > w - (needV ? kScrollBarSize : 0);
    }
    SetFrameMargins(QMargins(border, border, border + (needV ? kScrollBarSize : 0),
                             border + (needH ? kScrollBarSize : 0)));
    const TRect client = ClientBounds();
    const QSignalBlocker blockV(m_vertBar);
    const QSignalBlocker blockH(m_horzBar);
    m_vertBar->setVisible(needV);
    m_horzBar->setVisible(needH);
    if (needV) {
        m_vertBar->setGeometry(client.Right, client.Top, kScrollBarSize, client.Height());
        const int scrolling = RowCount() - m_fixedRows;
        const int page = std::max(1, Rows().FullyShown());
        m_vertBar->setRange(0, std::max(0, scrolling - page));
        m_vertBar->setPageStep(page);
        m_vertBar->setValue(m_topRow - m_fixedRows);
    }
    if (needH) {
        m_horzBar->setGeometry(client.Left, client.Bottom, client.Width(), kScrollBarSize);
        const int scrolling = ColCount() - m_fixedCols;
        const int page = std::max(1, Cols().FullyShown());
        m_horzBar->setRange(0, std::max(0, scrolling - page));
        m_horzBar->setPageStep(page);
        m_horzBar->setValue(m_leftCol - m_fixedCols);
    }
}

// Colours and frame.

void TFcStringGrid::SetLineColor(TColor value) {
    if (value == m_lineColor)
        return;
    m_lineColor = value;
    update();
}

void TFcStringGrid::SetFixedLineColor(TColor value) {
    if (value == m_fixedLineColor)
        return;
    m_fixedLineColor = value;
    update();
}

void TFcStringGrid::UpdateColors() {
    ApplyStateColor();
}

void TFcStringGrid::ColorChanged() {
    if (m_editor) {
        QPalette palette = m_editor->palette();
        palette.setColor(QPalette::Base, gui::ToQColor(Color()));
        m_editor->setPalette(palette);
    }
    TakeNormalColor();
    if (FrameVisible() && !UseThemedFrame())
        RedrawFrame();
    update();
}

void TFcStringGrid::SetFrameController(TFcFrameController* value) {
    LinkFrameController(value, true);
}

void TFcStringGrid::Loaded() {
    TFcFramedControl::Loaded();
    UpdateColors();
    UpdateFrameHotState(false, false);
}

void TFcStringGrid::PaintFrame(TCanvas& canvas) {
    const int w = width(), h = height();
    if (m_borderStyle == TBorderStyle::bsNone)
        return;
    Draw3DBorder(canvas, gui::Rect(0, 0, w, h), true);
    if (FrameVisible() && !UseThemedFrame()) {
        const bool hot = FrameHotTrack() && (hasFocus() || MouseOver());
        const TFrameStyle style = hot ? FrameHotStyle() : FrameStyle();
        const TColor color = hot ? FrameHotColor() : FrameColor();
        const TRect r = gui::Rect(0, 0, w, h);
        DrawNestedSides(canvas, r, m_fixedColor, Color(), 2, TSides::All());
        switch (style) {
        case TFrameStyleEx::fsFlat:
            DrawRectSides(canvas, r, color, color, FrameSides());
            break;
        case TFrameStyleEx::fsFlatBold:
            DrawNestedSides(canvas, r, color, color, 2, FrameSides());
            break;
        default:
            DrawFrameStyleSides(canvas, r, style, FrameSides());
            break;
        }
    }
    if (m_vertBar->isVisible() && m_horzBar->isVisible()) {
        const TRect client = ClientBounds();
        canvas.Brush.SetColor(gui::clBtnFace);
        canvas.FillRect(gui::Rect(client.Right, client.Bottom, client.Right + kScrollBarSize,
                                  client.Bottom + kScrollBarSize));
    }
}

// Painting.

void TFcStringGrid::DrawLines(TCanvas& canvas, const Axis& cols, const Axis& rows, int colFrom,
                              int colTo, int rowFrom, int rowTo, bool fixedArea) {
    const int lw = m_gridLineWidth;
    // The area's extent: from its first shown cell to past its last one's line.
    int left = -1, right = -1, top = -1, bottom = -1;
    for (int c = colFrom; c < colTo; ++c)
        if (const int x = cols.Offset(c); x >= 0) {
            left = left < 0 ? x : left;
            right = x + ColWidths(c) + lw;
        }
    for (int r = rowFrom; r < rowTo; ++r)
        if (const int y = rows.Offset(r); y >= 0) {
            top = top < 0 ? y : top;
            bottom = y + RowHeights(r) + lw;
        }
    if (left < 0 || top < 0)
        return;

    const bool vertOn =
        m_options.Contains(fixedArea ? TGridOption::goFixedVertLine : TGridOption::goVertLine);
    const bool horzOn =
        m_options.Contains(fixedArea ? TGridOption::goFixedHorzLine : TGridOption::goHorzLine);
    TColor lineColor = m_lineColor;
    if (gui::ColorToRGB(lineColor) == gui::ColorToRGB(Color()))
        lineColor = DarkenColor(lineColor, 50); // stays visible on its own colour
    const TColor off = fixedArea ? m_fixedColor : Color();
    const TColor on = fixedArea ? m_fixedLineColor : lineColor;

    auto vertical = [&] {
        canvas.Brush.SetColor(vertOn ? on : off);
        for (int c = colFrom; c < colTo; ++c)
            if (const int x = cols.Offset(c); x >= 0)
                canvas.FillRect(
                    Shown(gui::Rect(x + ColWidths(c), top, x + ColWidths(c) + lw, bottom)));
    };
    auto horizontal = [&] {
        canvas.Brush.SetColor(horzOn ? on : off);
        for (int r = rowFrom; r < rowTo; ++r)
            if (const int y = rows.Offset(r); y >= 0)
                canvas.FillRect(
                    Shown(gui::Rect(left, y + RowHeights(r), right, y + RowHeights(r) + lw)));
    };
    // At the crossings the set drawn later wins.
    if (horzOn) {
        vertical();
        horizontal();
    } else {
        horizontal();
        vertical();
    }
}

void TFcStringGrid::DrawCells(TCanvas& canvas, const Axis& cols, const Axis& rows, int colFrom,
                              int colTo, int rowFrom, int rowTo, bool fixedArea) {
    const TGridRect sel = Selection();
    const bool active = hasFocus() || (m_editor && m_editor->hasFocus());
    const bool editing = m_editorMode && m_editor && m_editor->isVisible();
    const bool rowSelect = m_options.Contains(TGridOption::goRowSelect);
    for (int r = rowFrom; r < rowTo; ++r) {
        const int y = rows.Offset(r);
        if (y < 0)
            continue;
        for (int c = colFrom; c < colTo; ++c) {
            const int x = cols.Offset(c);
            if (x < 0)
                continue;
            const TRect rect = Shown(gui::Rect(x, y, x + ColWidths(c), y + RowHeights(r)));
            TGridDrawState state;
            bool focused = false;
            bool selected = false;
            if (fixedArea) {
                state = TGridDrawStateItem::gdFixed;
            } else {
                focused = active && c == m_col && r == m_row;
                selected = c >= sel.Left && c <= sel.Right && r >= sel.Top && r <= sel.Bottom;
                if (focused)
                    state = state | TGridDrawStateItem::gdFocused;
                if (selected)
                    state = state | TGridDrawStateItem::gdSelected;
            }
            // The open editor stands over the current cell.
            if (editing && c == m_col && r == m_row)
                continue;
            if (m_defaultDrawing)
                canvas.Font = Font();
            if (selected &&
                (!focused || rowSelect || m_options.Contains(TGridOption::goDrawFocusSelected))) {
                canvas.Brush.SetColor(gui::clHighlight);
                canvas.Font.Color = gui::clHighlightText;
            } else {
                canvas.Brush.SetColor(fixedArea ? m_fixedColor : Color());
            }
            canvas.FillRect(rect);
            if (m_defaultDrawing)
                canvas.TextRect(rect, rect.Left + 2, rect.Top + 2, Cells(c, r));
            if (OnDrawCell)
                OnDrawCell(this, canvas, c, r, rect, state);
            if (focused && !rowSelect &&
                !(m_options.Contains(TGridOption::goEditing) &&
                  m_options.Contains(TGridOption::goAlwaysShowEditor)))
                canvas.DrawFocusRect(rect);
        }
    }
}

void TFcStringGrid::PaintClient(TCanvas& canvas) {
    const Axis cols = Cols();
    const Axis rows = Rows();
    const int cc = ColCount(), rc = RowCount();
    struct Area {
        int colFrom, colTo, rowFrom, rowTo;
        bool fixed;
    };
    const Area areas[] = {
        {0, m_fixedCols, 0, m_fixedRows, true},
        {m_leftCol, cc, 0, m_fixedRows, true},
        {0, m_fixedCols, m_topRow, rc, true},
        {m_leftCol, cc, m_topRow, rc, false},
    };
    if (m_gridLineWidth > 0)
        for (const Area& a : areas)
            DrawLines(canvas, cols, rows, a.colFrom, a.colTo, a.rowFrom, a.rowTo, a.fixed);
    for (const Area& a : areas)
        DrawCells(canvas, cols, rows, a.colFrom, a.colTo, a.rowFrom, a.rowTo, a.fixed);
    if (m_options.Contains(TGridOption::goRowSelect) && m_defaultDrawing && hasFocus()) {
        TRect r;
        GetSelectionRect(r);
        canvas.DrawFocusRect(r);
    }
    // Beyond the last column and row.
    const int right = cols.End(), bottom = rows.End();
    canvas.Brush.SetColor(Color());
    if (right < ClientWidth())
        canvas.FillRect(Shown(gui::Rect(right, 0, ClientWidth(), ClientHeight())));
    if (bottom < ClientHeight())
        canvas.FillRect(Shown(gui::Rect(0, bottom, right, ClientHeight())));
}

// Input.

void TFcStringGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        gui::Guard([&] {
            const bool wasFocused = FocusInside();
            setFocus(Qt::MouseFocusReason);
            const QPoint p = event->position().toPoint() - contentsRect().topLeft();
            int col = -1, row = -1;
            MouseToCell(p.x(), p.y(), col, row);
            if (col < m_fixedCols || row < m_fixedRows)
                return;
            // A press on the current cell of the focused grid edits it.
            if (wasFocused && col == m_col && row == m_row)
                ShowEditor();
            else
                MoveCurrent(col, row);
        });
    }
    TFcFramedControl::mousePressEvent(event);
}

void TFcStringGrid::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (m_options.Contains(TGridOption::goEditing) && !m_editorMode) {
        const bool open = key == Qt::Key_F2 ||
                          ((key == Qt::Key_Return || key == Qt::Key_Enter) && !AlwaysShowEditor());
        const QString text = event->text();
        const bool typed = !text.isEmpty() && text.front().isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (open || typed) {
            if (!KeyDown(*event))
                return;
            gui::Guard([&] { ShowEditor(); });
            // The typed character replaces the text, which the editor
            // opened selected.
            if (typed && m_editor && m_editor->isVisible())
                QCoreApplication::sendEvent(m_editor, event);
            event->accept();
            return;
        }
    }
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    const int page = std::max(1, VisibleRowCount());
    int col = m_col, row = m_row;
    switch (key) {
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_PageUp:
        row -= page;
        break;
    case Qt::Key_PageDown:
        row += page;
        break;
    case Qt::Key_Left:
        --col;
        break;
    case Qt::Key_Right:
        ++col;
        break;
    case Qt::Key_Home:
        if (ctrl)
            row = m_fixedRows;
        col = m_fixedCols;
        break;
    case Qt::Key_End:
        if (ctrl)
            row = RowCount() - 1;
        col = ColCount() - 1;
        break;
    default:
        TFcFramedControl::keyPressEvent(event);
        return;
    }
    if (!KeyDown(*event))
        return;
    gui::Guard([&] {
        if (m_options.Contains(TGridOption::goRowSelect) &&
            (key == Qt::Key_Left || key == Qt::Key_Right))
            SetLeftCol(m_leftCol + (key == Qt::Key_Left ? -1 : 1));
        else
            MoveCurrent(col, row);
    });
    event->accept();
}

void TFcStringGrid::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        TFcFramedControl::wheelEvent(event);
        return;
    }
    gui::Guard([&] { MoveCurrent(m_col, m_row + (delta > 0 ? -1 : 1)); });
    event->accept();
}

void TFcStringGrid::resizeEvent(QResizeEvent* event) {
    TFcFramedControl::resizeEvent(event);
    UpdateScrollBars();
    SetTopRow(m_topRow);
    SetLeftCol(m_leftCol);
    PlaceEditor(false);
    if (FrameVisible() && !UseThemedFrame())
        RedrawFrame();
}

void TFcStringGrid::MouseEnter() {
    TFcFramedControl::MouseEnter();
    // While the editor has the focus the mouse does not change the frame.
    if (!(m_editor && m_editor->hasFocus()))
        UpdateFrameHotState(true, true);
}

void TFcStringGrid::MouseLeave() {
    TFcFramedControl::MouseLeave();
    if (!(m_editor && m_editor->hasFocus()))
        UpdateFrameHotState(true, false);
}

void TFcStringGrid::FocusEnter() {
    UpdateFrameHotState(false, true);
    update();
    TFcFramedControl::FocusEnter();
    if (AlwaysShowEditor())
        ShowEditor();
}

void TFcStringGrid::FocusExit() {
    TFcFramedControl::FocusExit();
    UpdateFrameHotState(false, false);
    update();
    if (!AlwaysShowEditor())
        HideEditor();
}

void TFcStringGrid::EnabledChanged() {
    UpdateColors();
    update();
}

} // namespace vdx
