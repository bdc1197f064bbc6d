#include "controls/lists/FcListBox.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcDisplayFacts.h"
#include "controls/storage/FcIntLst.h"
#include "platform/gui/ansi_text.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/system_facts.h"
#include "platform/gui/text_layout.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace vdx {

using gui::TBrushStyle;

namespace {

// Division rounding towards minus infinity (columns left of the view).
int FloorDiv(int a, int b) noexcept {
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}

} // namespace

// Keeps OnData's last text while a paint or hint asks for the same item
// more than once (the group test, then the text).
class TFcCustomListBox::TDataScope {
public:
    explicit TDataScope(const TFcCustomListBox& box) noexcept : m_box(box) { ++m_box.m_dataScopes; }
    ~TDataScope() {
        if (--m_box.m_dataScopes == 0) {
            m_box.m_dataIndex = -1;
            m_box.m_dataText.clear();
        }
    }
    TDataScope(const TDataScope&) = delete;
    TDataScope& operator=(const TDataScope&) = delete;

private:
    const TFcCustomListBox& m_box;
};

TFcTextMeasure::TFcTextMeasure(const TFont& font) : m_metrics(gui::ToQFont(font)) {}

int TFcTextMeasure::Width(std::string_view text) const {
    return text.empty() ? 0 : m_metrics.horizontalAdvance(gui::AnsiToQString(text));
}

gui::TTextMeasurer TFcTextMeasure::Measurer(int aveCharWidth) const {
    gui::TTextMeasurer m;
    m.Width = [this](std::string_view s) { return Width(s); };
    m.LineHeight = m_metrics.ascent() + m_metrics.descent();
    m.AveCharWidth = aveCharWidth;
    return m;
}

int DialogUnitsToPixels(int units, int aveCharWidth) noexcept {
    const long long num = static_cast<long long>(units) * aveCharWidth;
    // MulDiv rounds halves away from zero.
    return static_cast<int>(num >= 0 ? (num + 2) / 4 : -((-num + 2) / 4));
}

// ---- the list box ------------------------------------------------------

TFcCustomListBox::TFcCustomListBox(QWidget* parent)
    : TFcFramedControl(parent), m_searchTimer(std::make_unique<QTimer>()) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    SetColor(gui::clWindow);
    m_groupFont = Font();
    m_groupFont.Style = m_groupFont.Style | gui::TFontStyle::fsBold;
    m_groupFont.Color = gui::clHighlight;
    m_tabUnitWidth = AverageCharWidth(Font());
    m_searchTimer->setInterval(kIncrementalSearchTimeout);
    QObject::connect(m_searchTimer.get(), &QTimer::timeout, this,
                     [this] { gui::Guard([this] { SearchTimerExpired(); }); });

    m_vertBar = new QScrollBar(Qt::Vertical, this);
    m_horzBar = new QScrollBar(Qt::Horizontal, this);
    for (QScrollBar* bar : {m_vertBar, m_horzBar}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->hide();
    }
    QObject::connect(m_vertBar, &QScrollBar::valueChanged, this,
                     [this](int v) { gui::Guard([this, v] { SetTopIndex(v); }); });
    QObject::connect(m_horzBar, &QScrollBar::valueChanged, this, [this](int v) {
        if (MultiColumn()) {
            // The bar counts columns.
            gui::Guard([this, v] { SetTopIndex(v * RowsPerColumn(ClientHeight())); });
            return;
        }
        if (m_horzPos == v)
            return;
        m_horzPos = v;
        update();
    });
    CreateWnd();
}

TFcCustomListBox::~TFcCustomListBox() = default;

// Item list changes.

void TFcCustomListBox::AfterInsert(int index, TListBoxMessage message) {
    if (VariableHeights()) {
        if (index <= int(m_itemHeights.size()))
            m_itemHeights.insert(m_itemHeights.begin() + index, MeasuredHeight(index));
        else
            MeasureItems();
    }
    m_selection.Inserted(index);
    if (m_items.UpdateCount() == 0) {
        UpdateScrollBars();
        update();
    }
    ItemsMessage(message);
}

void TFcCustomListBox::AfterDelete(int index) {
    if (index < int(m_itemHeights.size()))
        m_itemHeights.erase(m_itemHeights.begin() + index);
    m_selection.Deleted(index);
    if (m_items.UpdateCount() == 0) {
        m_topIndex = std::clamp(m_topIndex, 0, MaxTopIndex());
        UpdateScrollBars();
        update();
    }
    ItemsMessage(TListBoxMessage::LB_DELETESTRING);
}

void TFcCustomListBox::AfterReset() {
    // A virtual list is emptied as the platform's reset empties it.
    m_virtualCount = 0;
    m_itemHeights.clear();
    m_selection.Reset(0);
    m_topIndex = 0;
    m_horzPos = 0;
    if (m_items.UpdateCount() == 0) {
        UpdateScrollBars();
        update();
    }
    ItemsMessage(TListBoxMessage::LB_RESETCONTENT);
}

void TFcCustomListBox::AfterSort() {
    m_selection.Reset(Count());
    update();
}

void TFcCustomListBox::AfterUpdate() {
    UpdateScrollBars();
    update();
}

void TFcCustomListBox::BeforeReplace(int index) {
    m_replaceItemIndex = ItemIndex();
    m_replaceSelected = MultiSelect() && Selected(index);
}

void TFcCustomListBox::AfterReplace(int index) {
    const int itemIndex = m_replaceItemIndex;
    if (m_replaceSelected)
        SetSelected(index, true);
    SetItemIndex(itemIndex);
}

void TFcCustomListBox::ItemsMessage(TListBoxMessage) {
    if (m_horzScrollBar && m_items.UpdateCount() == 0)
        UpdateHorzExtent();
}

// Colours and frame.

void TFcCustomListBox::UpdateColors() {
    ApplyStateColor();
}

void TFcCustomListBox::ColorChanged() {
    TakeNormalColor();
    if (FrameVisible() && !UseThemedFrame())
        RedrawFrame();
}

void TFcCustomListBox::SetFrameController(TFcFrameController* value) {
    LinkFrameController(value, true);
}

void TFcCustomListBox::PaintFrame(TCanvas& canvas) {
    const int w = width(), h = height();
    if (m_borderStyle == TBorderStyle::bsSingle) {
        if (Ctl3D()) {
            Draw3DBorder(canvas, gui::Rect(0, 0, w, h), true);
        } else {
            canvas.Brush.SetColor(gui::clWindowFrame);
            canvas.FrameRect(gui::Rect(0, 0, w, h));
        }
    }
    if (FrameVisible() && !UseThemedFrame())
        Frame().Paint(canvas, w, h, Color(), hasFocus() || MouseOver());
    if (m_vertBar->isVisible() && m_horzBar->isVisible()) {
        const TRect client = ClientBounds();
        canvas.Brush.SetColor(gui::clBtnFace);
        canvas.FillRect(gui::Rect(client.Right, client.Bottom, client.Right + kScrollBarSize,
                                  client.Bottom + kScrollBarSize));
    }
}

// Geometry and scrolling.

int TFcCustomListBox::BorderThickness() const noexcept {
    if (m_borderStyle != TBorderStyle::bsSingle)
        return 0;
    return Ctl3D() ? 2 : 1;
}

int TFcCustomListBox::RowHeight(int index) const {
    if (VariableHeights() && index >= 0 && index < int(m_itemHeights.size()))
        return m_itemHeights[std::size_t(index)];
    return std::max(1, m_itemHeight);
}

int TFcCustomListBox::RowsPerColumn(int clientHeight) const {
    return std::max(1, clientHeight / std::max(1, m_itemHeight));
}

int TFcCustomListBox::ColumnsInView() const {
    return std::max(1, ClientWidth() / ColumnWidth());
}

int TFcCustomListBox::VisibleRows() const {
    if (!VariableHeights())
        return RowsPerColumn(ClientHeight());
    int rows = 0;
    for (int i = m_topIndex, y = 0; i < Count(); ++i, ++rows) {
        y += RowHeight(i);
        if (y > ClientHeight())
            break;
    }
    return std::max(1, rows);
}

int TFcCustomListBox::MaxTopIndexFor(int clientWidth, int clientHeight) const {
    const int count = Count();
    if (MultiColumn()) {
        const int rows = RowsPerColumn(clientHeight);
        const int inView = std::max(1, clientWidth / ColumnWidthFor(clientWidth, m_columns));
        const int columns = count / rows + (count % rows != 0 ? 1 : 0);
        return std::max(0, columns - inView) * rows;
    }
    if (VariableHeights()) {
        // From the end up, as long as the rows still fit.
        int y = 0;
        for (int i = count - 1; i >= 0; --i) {
            y += RowHeight(i);
            if (y > clientHeight)
                return std::min(i + 1, count - 1);
        }
        return 0;
    }
    return std::max(0, count - RowsPerColumn(clientHeight));
}

int TFcCustomListBox::MaxTopIndex() const {
    return MaxTopIndexFor(ClientWidth(), ClientHeight());
}

void TFcCustomListBox::UpdateScrollBars() {
    LayoutScrollBars();
    if (m_sizing)
        return;
    const QScopedValueRollback<bool> sizing(m_sizing, true);
    // A scroll bar that comes or goes changes the client height again.
    for (int pass = 0; pass < 3 && ApplyIntegralHeight(); ++pass)
        LayoutScrollBars();
}

bool TFcCustomListBox::ApplyIntegralHeight() {
    if (!m_integralHeight || VariableHeights())
        return false;
    const int ch = ClientHeight();
    const int target = IntegralClientHeight(ch, m_itemHeight);
    if (target == ch)
        return false;
    resize(width(), height() - (ch - target));
    return true;
}

void TFcCustomListBox::LayoutScrollBars() {
    const int border = BorderThickness();
    const int w = std::max(0, width() - 2 * border);
    const int h = std::max(0, height() - 2 * border);
    const int ih = std::max(1, m_itemHeight);
    bool needV = false, needH = false;
    for (int pass = 0; pass < 2; ++pass) {
        const int cw = w - (needV ? kScrollBarSize : 0);
        const int ch = h - (needH ? kScrollBarSize : 0);
        if (MultiColumn()) {
            // Columns scroll sideways only.
            needH = MaxTopIndexFor(cw, std::max(0, ch)) > 0;
            continue;
        }
        needV = VariableHeights() ? MaxTopIndexFor(cw, std::max(0, ch)) > 0
                                  : Count() > std::max(0, ch) / ih;
        needH =
            m_horzScrollBar && int(m_horzExtent) > cw - (needV && pass == 0 ? kScrollBarSize : 0);
    }
    SetFrameMargins(QMargins(border, border, border + (needV ? kScrollBarSize : 0),
                             border + (needH ? kScrollBarSize : 0)));
    const TRect client = ClientBounds();
    const QSignalBlocker blockV(m_vertBar);
    const QSignalBlocker blockH(m_horzBar);
    m_topIndex = std::clamp(m_topIndex, 0, MaxTopIndex());
    if (MultiColumn()) {
        const int rows = RowsPerColumn(ClientHeight());
        m_topIndex -= m_topIndex % rows;
        m_horzPos = 0;
        m_vertBar->setVisible(false);
        if (needH) {
            m_horzBar->setGeometry(client.Left, client.Bottom, client.Width(), kScrollBarSize);
            m_horzBar->setRange(0, MaxTopIndex() / rows);
            m_horzBar->setPageStep(ColumnsInView());
            m_horzBar->setSingleStep(1);
            m_horzBar->setValue(m_topIndex / rows);
        }
        m_horzBar->setVisible(needH);
        return;
    }
    if (needV) {
        m_vertBar->setGeometry(client.Right, client.Top, kScrollBarSize, client.Height());
        m_vertBar->setRange(0, MaxTopIndex());
        m_vertBar->setPageStep(VisibleRows());
        m_vertBar->setValue(m_topIndex);
    }
    m_vertBar->setVisible(needV);
    const int maxH = std::max(0, int(m_horzExtent) - client.Width());
    m_horzPos = m_horzScrollBar ? std::clamp(m_horzPos, 0, maxH) : 0;
    if (needH) {
        m_horzBar->setGeometry(client.Left, client.Bottom, client.Width(), kScrollBarSize);
        m_horzBar->setRange(0, maxH);
        m_horzBar->setPageStep(std::max(1, client.Width()));
        m_horzBar->setSingleStep(std::max(1, m_tabUnitWidth));
        m_horzBar->setValue(m_horzPos);
    }
    m_horzBar->setVisible(needH);
}

void TFcCustomListBox::SetTopIndex(int value) {
    value = std::clamp(value, 0, MaxTopIndex());
    if (MultiColumn())
        value -= value % RowsPerColumn(ClientHeight()); // a column's first item
    if (m_topIndex == value)
        return;
    m_topIndex = value;
    {
        const QSignalBlocker blockV(m_vertBar);
        const QSignalBlocker blockH(m_horzBar);
        if (MultiColumn())
            m_horzBar->setValue(value / RowsPerColumn(ClientHeight()));
        else
            m_vertBar->setValue(value);
    }
    HideItemHint();
    update();
}

void TFcCustomListBox::ScrollIntoView(int index) {
    if (index < 0)
        return;
    if (MultiColumn()) {
        const int rows = RowsPerColumn(ClientHeight());
        const int column = index / rows, topColumn = m_topIndex / rows;
        if (column < topColumn)
            SetTopIndex(column * rows);
        else if (column >= topColumn + ColumnsInView())
            SetTopIndex((column - ColumnsInView() + 1) * rows);
        return;
    }
    if (index < m_topIndex) {
        SetTopIndex(index);
        return;
    }
    if (!VariableHeights()) {
        if (index >= m_topIndex + VisibleRows())
            SetTopIndex(index - VisibleRows() + 1);
        return;
    }
    // Up from the item as far as the rows fit; only the rows in view are
    // looked at.
    int y = 0, top = index;
    for (int i = index; i >= m_topIndex; --i) {
        y += RowHeight(i);
        if (y > ClientHeight()) {
            SetTopIndex(top);
            return;
        }
        top = i;
    }
}

void TFcCustomListBox::SetItemHeight(int value) {
    if (value < 1 || !StoreChanged(m_itemHeight, value))
        return;
    if (VariableHeights())
        MeasureItems(); // the height every item is measured from
    UpdateScrollBars();
    update();
}

int TFcCustomListBox::ItemAtPos(TPoint p, bool existing) const {
    const int past = existing ? -1 : Count();
    if (p.X < 0 || p.Y < 0 || p.X >= ClientWidth() || p.Y >= ClientHeight())
        return past;
    const int ih = std::max(1, m_itemHeight);
    int index = m_topIndex;
    if (MultiColumn()) {
        const int rows = RowsPerColumn(ClientHeight());
        if (p.Y / ih >= rows)
            return past; // below the last whole row
        index += (p.X / ColumnWidth()) * rows + p.Y / ih;
    } else if (VariableHeights()) {
        for (int y = 0; index < Count(); ++index) {
            y += RowHeight(index);
            if (y > p.Y)
                break;
        }
    } else {
        index += p.Y / ih;
    }
    return index < Count() ? index : past;
}

TRect TFcCustomListBox::ItemRect(int index) const {
    if (MultiColumn()) {
        const int rows = RowsPerColumn(ClientHeight());
        const int ih = std::max(1, m_itemHeight), w = ColumnWidth();
        const int column = FloorDiv(index, rows) - m_topIndex / rows;
        const int top = (index - FloorDiv(index, rows) * rows) * ih;
        return gui::Rect(column * w, top, column * w + w, top + ih);
    }
    if (VariableHeights()) {
        int top = 0;
        for (int i = m_topIndex; i < index; ++i)
            top += RowHeight(i);
        for (int i = index; i < m_topIndex; ++i)
            top -= RowHeight(i);
        return gui::Rect(-m_horzPos, top, ClientWidth(), top + RowHeight(index));
    }
    const int top = (index - m_topIndex) * m_itemHeight;
    return gui::Rect(-m_horzPos, top, ClientWidth(), top + m_itemHeight);
}

std::vector<TFcCustomListBox::TShownItem> TFcCustomListBox::ShownItems() const {
    std::vector<TShownItem> shown;
    const int cw = ClientWidth(), ch = ClientHeight();
    if (MultiColumn()) {
        const int rows = RowsPerColumn(ch);
        const int ih = std::max(1, m_itemHeight), w = ColumnWidth();
        for (int i = m_topIndex; i < Count(); ++i) {
            const int column = (i - m_topIndex) / rows, top = (i - m_topIndex) % rows * ih;
            if (column * w >= cw)
                break;
            shown.push_back({i, gui::Rect(column * w, top, column * w + w, top + ih)});
        }
        return shown;
    }
    for (int i = m_topIndex, y = 0; i < Count() && y < ch; ++i) {
        const int h = RowHeight(i);
        shown.push_back({i, gui::Rect(-m_horzPos, y, cw, y + h)});
        y += h;
    }
    return shown;
}

int TFcCustomListBox::DragIndexAt(QPoint p) const {
    const int ih = std::max(1, m_itemHeight);
    int index = m_topIndex;
    if (MultiColumn()) {
        const int rows = RowsPerColumn(ClientHeight());
        const int column = p.x() < 0 ? -1 : p.x() / ColumnWidth();
        index += column * rows + std::clamp(p.y() < 0 ? 0 : p.y() / ih, 0, rows - 1);
    } else if (p.y() < 0) {
        index -= 1;
    } else if (VariableHeights()) {
        // The rows in view only: below them the drag reaches the next item.
        for (int y = 0; index < Count(); ++index) {
            y += RowHeight(index);
            if (y > p.y())
                break;
            if (y >= ClientHeight()) {
                ++index;
                break;
            }
        }
    } else {
        index += p.y() / ih;
    }
    return std::clamp(index, 0, Count() - 1);
}

void TFcCustomListBox::resizeEvent(QResizeEvent* event) {
    gui::TFramedHost::resizeEvent(event);
    gui::Guard([this] {
        UpdateScrollBars();
        if (m_horzScrollBar)
            UpdateHorzExtent();
        if (m_useGradients)
            update();
        if (FrameVisible() && !UseThemedFrame())
            RedrawFrame();
    });
}

// Selection.

int TFcCustomListBox::ItemIndex() const noexcept {
    return m_selection.ItemIndex();
}

void TFcCustomListBox::SetItemIndex(int value) {
    ScrollIntoView(m_selection.SetItemIndex(value));
    update();
}

bool TFcCustomListBox::Selected(int index) const {
    return m_selection.Selected(index);
}

void TFcCustomListBox::SetSelected(int index, bool value) {
    m_selection.SetSelected(index, value);
    update();
}

int TFcCustomListBox::SelCount() const noexcept {
    return m_selection.SelCount();
}

void TFcCustomListBox::ClearSelection() {
    m_selection.ClearSelection();
    update();
}

void TFcCustomListBox::SetCaretIndex(int value) {
    ScrollIntoView(m_selection.SetCaretIndex(value));
    update();
}

void TFcCustomListBox::SelectAll() {
    if (m_selection.SelectAll())
        update();
}

void TFcCustomListBox::SetMultiSelect(bool value) {
    if (m_selection.MultiSelect() == value)
        return;
    // The window is made anew: the selection starts empty.
    m_selection.SetMultiSelect(value);
    RecreateWnd();
}

void TFcCustomListBox::SetExtendedSelect(bool value) {
    if (m_selection.ExtendedSelect() == value)
        return;
    m_selection.SetExtendedSelect(value);
    RecreateWnd();
}

void TFcCustomListBox::SetSorted(bool value) {
    if (m_items.Sorted() == value)
        return;
    m_items.SetSorted(value);
    if (value && !IsVirtual())
        AfterSort();
    RecreateWnd();
}

void TFcCustomListBox::SetStyle(TListBoxStyle value) {
    if (m_style == value)
        return;
    const bool wasVirtual = IsVirtual();
    // A list of no data keeps no items; the items go before it starts.
    if (!wasVirtual &&
        (value == TListBoxStyle::lbVirtual || value == TListBoxStyle::lbVirtualOwnerDraw))
        m_items.Clear();
    m_style = value;
    if (wasVirtual != IsVirtual()) {
        m_items.SetNoData(IsVirtual());
        m_virtualCount = 0;
        m_selection.Reset(Count());
        m_topIndex = 0;
    }
    RecreateWnd();
}

void TFcCustomListBox::SetCount(int value) {
    const std::string name = objectName().toStdString();
    if (!IsVirtual())
        throw std::logic_error("Listbox (" + name +
                               ") style must be virtual in order to set Count");
    if (value < 0)
        throw std::invalid_argument("Error setting " + name + ".Count");
    if (m_virtualCount == value)
        return;
    m_virtualCount = value;
    m_selection.SetCount(value);
    HideItemHint();
    UpdateScrollBars();
    update();
}

void TFcCustomListBox::SetColumns(int value) {
    value = std::max(0, value);
    if (m_columns == value)
        return;
    const bool columnsTurned = (m_columns == 0) != (value == 0);
    m_columns = value;
    if (columnsTurned) {
        // The other way of scrolling: the window is made anew.
        m_topIndex = 0;
        m_horzPos = 0;
        RecreateWnd();
        return;
    }
    UpdateScrollBars();
    update();
}

void TFcCustomListBox::SetIntegralHeight(bool value) {
    if (StoreChanged(m_integralHeight, value))
        RecreateWnd();
}

std::any TFcCustomListBox::ItemObject(int index) const {
    if (index < 0 || index >= Count())
        ThrowListIndexError(index);
    return IsVirtual() ? DoGetDataObject(index) : std::any();
}

// Item data and measures.

std::string TFcCustomListBox::ItemString(int index) const {
    if (!IsVirtual())
        return m_items.Values()[std::size_t(index)];
    if (m_dataScopes > 0 && index == m_dataIndex)
        return m_dataText;
    std::string text = DoGetData(index);
    if (m_dataScopes > 0) {
        m_dataIndex = index;
        m_dataText = text;
    }
    return text;
}

std::string TFcCustomListBox::DoGetData(int index) const {
    std::string data;
    if (OnData)
        OnData(const_cast<TFcCustomListBox*>(this), index, data);
    return data;
}

std::any TFcCustomListBox::DoGetDataObject(int index) const {
    std::any object;
    if (OnDataObject)
        OnDataObject(const_cast<TFcCustomListBox*>(this), index, object);
    return object;
}

int TFcCustomListBox::DoFindData(const std::string& text) const {
    return OnDataFind ? OnDataFind(const_cast<TFcCustomListBox*>(this), text) : -1;
}

void TFcCustomListBox::MeasureItem(int index, int& height) const {
    if (OnMeasureItem)
        OnMeasureItem(const_cast<TFcCustomListBox*>(this), index, height);
}

int TFcCustomListBox::MeasuredHeight(int index) const {
    int height = m_itemHeight;
    MeasureItem(index, height);
    return std::max(1, height); // a row of no height could never be reached
}

void TFcCustomListBox::MeasureItems() {
    m_itemHeights.clear();
    if (!VariableHeights())
        return;
    m_itemHeights.reserve(std::size_t(Count()));
    for (int i = 0; i < Count(); ++i)
        m_itemHeights.push_back(MeasuredHeight(i));
}

void TFcCustomListBox::SetBorderStyle(TBorderStyle value) {
    if (StoreChanged(m_borderStyle, value))
        RecreateWnd();
}

void TFcCustomListBox::FontChanged() {
    m_tabUnitWidth = AverageCharWidth(Font());
    if (m_horzScrollBar && m_items.UpdateCount() == 0)
        UpdateHorzExtent();
    if (m_showGroups)
        AdjustItemHeight();
    UpdateScrollBars();
    update();
}

void TFcCustomListBox::RecreateWnd() {
    CreateWnd();
}

void TFcCustomListBox::CreateWnd() {
    // A new window hides focus rectangles until the keyboard is used.
    m_hideFocus = true;
    // The platform measures every item of a new window.
    MeasureItems();
    UpdateScrollBars();
    if (m_horzScrollBar) {
        m_horzExtent = std::uint16_t(ClientWidth());
        UpdateScrollBars();
    }
    update();
}

void TFcCustomListBox::Loaded() {
    gui::TFramedHost::Loaded();
    if (m_horzScrollBar && m_items.UpdateCount() == 0) {
        m_horzExtent = 0;
        UpdateHorzExtent();
    }
    UpdateColors();
    UpdateFrameHotState(false, false);
}

// Horizontal extent.

void TFcCustomListBox::SetHorzExtent(int value) {
    const auto extent = static_cast<std::uint16_t>(value);
    if (!StoreChanged(m_horzExtent, extent))
        return;
    UpdateScrollBars();
    update();
}

void TFcCustomListBox::SetHorzScrollBar(bool value) {
    if (!StoreChanged(m_horzScrollBar, value))
        return;
    RecreateWnd();
    if (value)
        UpdateHorzExtent();
}

void TFcCustomListBox::UpdateHorzExtent() {
    // Only stored items are measured: asking OnData for every item of a
    // virtual list would read all of it.
    const TFcTextMeasure measure(Font());
    const std::string prefix = GetExtentPrefix();
    int widest = 0;
    for (const std::string& item : m_items.Values())
        widest = std::max(widest, measure.Width(prefix + item + "x"));
    SetHorzExtent(MaxOf(ClientWidth(), widest + 1));
}

std::string TFcCustomListBox::GetExtentPrefix() const {
    return {};
}

// Tab stops of the rows.

void TFcCustomListBox::SetWindowTabStops(std::vector<int> dialogUnits) {
    m_windowTabStops = std::move(dialogUnits);
    update();
}

std::vector<int> TFcCustomListBox::WindowTabStopPixels() const {
    if (m_windowTabStops.empty())
        return {DialogUnitsToPixels(32, m_tabUnitWidth)};
    std::vector<int> px;
    px.reserve(m_windowTabStops.size());
    for (int du : m_windowTabStops)
        px.push_back(DialogUnitsToPixels(du, m_tabUnitWidth));
    return px;
}

// Groups.

int TFcCustomListBox::GetOwnerDrawIndent() const {
    return m_ownerDrawIndent;
}

void TFcCustomListBox::AdjustItemHeight() {
    SetItemHeight(MaxOf(MinimumHeightForFont(Font()), m_itemHeight));
}

void TFcCustomListBox::GroupFontChanged() {}

bool TFcCustomListBox::IsGroupItem(int index) const {
    if (index < 0 || index >= Count())
        return false;
    if (!IsVirtual())
        return m_items.Values()[std::size_t(index)].compare(0, m_groupPrefix.size(),
                                                            m_groupPrefix) == 0;
    return ItemString(index).compare(0, m_groupPrefix.size(), m_groupPrefix) == 0;
}

int TFcCustomListBox::GetGroupIndex(int index) const {
    for (int i = std::min(index, Count() - 1); i >= 0; --i)
        if (IsGroupItem(i))
            return i;
    return -1;
}

bool TFcCustomListBox::ItemHasGroup(int index) const {
    return GetGroupIndex(index) != -1;
}

int TFcCustomListBox::GetGroupNumber(int index) const {
    if (index == -1 || !IsGroupItem(index))
        return -1;
    int n = 0;
    for (int i = 0; i < index; ++i)
        if (IsGroupItem(i))
            ++n;
    return n;
}

std::string TFcCustomListBox::GetItemText(int index) const {
    if (index < 0 || index >= Count())
        return {};
    const TDataScope scope(*this);
    if (IsGroupItem(index))
        return ItemString(index).substr(m_groupPrefix.size());
    return ItemString(index);
}

void TFcCustomListBox::SetOwnerDrawIndent(int value) {
    if (StoreChanged(m_ownerDrawIndent, value))
        update();
}

TFcListBoxStrings& TFcCustomListBox::GetItems() {
    return m_items;
}

void TFcCustomListBox::SetGroupPrefix(const std::string& value) {
    if (StoreChanged(m_groupPrefix, value))
        update();
}

void TFcCustomListBox::SetGroupColor(TColor value) {
    if (StoreChanged(m_groupColor, value))
        update();
}

void TFcCustomListBox::SetGroupColorFromTheme(bool value) {
    if (StoreChanged(m_groupColorFromTheme, value))
        update();
}

void TFcCustomListBox::SetGroupFont(const TFont& value) {
    if (!StoreChanged(m_groupFont, value))
        return;
    m_groupFontChanged = true;
    GroupFontChanged();
    update();
}

void TFcCustomListBox::SetUseGradients(bool value) {
    if (StoreChanged(m_useGradients, value))
        update();
}

void TFcCustomListBox::SetShowGroups(bool value) {
    if (!StoreChanged(m_showGroups, value))
        return;
    if (value) {
        // A virtual style is owner-drawn already; turning it into a fixed
        // one would drop its items.
        if (!IsVirtual())
            SetStyle(TListBoxStyle::lbOwnerDrawFixed);
        AdjustItemHeight();
    }
    update();
}

void TFcCustomListBox::SetShowItemHints(bool value) {
    if (!StoreChanged(m_showItemHints, value))
        return;
    if (!value)
        HideItemHint();
}

// Painting.

bool TFcCustomListBox::FocusRectShown() const {
    return hasFocus() && !m_hideFocus;
}

void TFcCustomListBox::PaintClient(TCanvas& canvas) {
    const TDataScope scope(*this);
    const TRect client = ClientRect();
    canvas.Brush.SetColor(Color());
    canvas.FillRect(client);
    canvas.Font = Font();
    const int ih = std::max(1, m_itemHeight);
    for (const TShownItem& shown : ShownItems()) {
        const int i = shown.Index;
        const TRect r = shown.Rect;
        if (!OwnerDrawn()) {
            PaintStandardRow(canvas, i, r);
            continue;
        }
        TOwnerDrawState state;
        if (Selected(i))
            state = state | TOwnerDrawStateItem::odSelected;
        if (hasFocus() && i == CaretIndex())
            state = state | TOwnerDrawStateItem::odFocused;
        if (!isEnabled())
            state = state | TOwnerDrawStateItem::odDisabled;
        if (m_hideFocus)
            state = state | TOwnerDrawStateItem::odNoFocusRect;
        canvas.SaveState();
        canvas.IntersectClipRect(r);
        DrawItemRequest(canvas, i, r, state);
        canvas.RestoreState();
    }
    if (Count() == 0 && hasFocus()) {
        // The platform asks an empty list for its focus rectangle.
        const TRect r = gui::Rect(0, 0, MultiColumn() ? ColumnWidth() : client.Width(), ih);
        if (OwnerDrawn())
            DrawItemRequest(canvas, -1, r, TOwnerDrawStateItem::odFocused);
        else if (FocusRectShown())
            canvas.DrawFocusRect(r);
    }
}

void TFcCustomListBox::PaintStandardRow(TCanvas& canvas, int index, TRect r) {
    const bool selected = Selected(index);
    canvas.Brush.SetColor(selected ? gui::clHighlight : Color());
    canvas.FillRect(r);
    canvas.Font.Color = !isEnabled() ? gui::clGrayText
                        : selected   ? gui::clHighlightText
                                     : Font().Color;
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    canvas.PushClip();
    canvas.IntersectClipRect(r);
    // Right to left the row stands at the right edge, its tab columns
    // running leftwards from there.
    const bool right = UseRightToLeftAlignment();
    const int x = right ? r.Right - 2 : r.Left + 2;
    canvas.TextAlign = (right ? gui::TA_RIGHT : gui::TA_LEFT) |
                       (UseRightToLeftReading() ? gui::TA_RTLREADING : 0u);
    if (UsesTabStops())
        canvas.TabbedTextOut(x, r.Top, ItemString(index), WindowTabStopPixels(), x);
    else
        canvas.TextOut(x, r.Top, ItemString(index));
    canvas.TextAlign = gui::TA_LEFT;
    canvas.PopClip();
    canvas.Brush.SetStyle(TBrushStyle::bsSolid);
    if (index == CaretIndex() && FocusRectShown())
        canvas.DrawFocusRect(r);
}

void TFcCustomListBox::DrawItemRequest(TCanvas& canvas, int index, TRect rect,
                                       TOwnerDrawState state) {
    canvas.Font = Font();
    canvas.Brush.SetColor(Color());
    const bool group = m_showGroups && index >= 0 && IsGroupItem(index);
    if (!group) {
        // The indent is at the side the rows read from.
        const int indent = GetOwnerDrawIndent();
        if (UseRightToLeftAlignment()) {
            if (indent > 0)
                canvas.FillRect(gui::Rect(rect.Right - indent, rect.Top, rect.Right, rect.Bottom));
            rect.Right -= indent;
        } else {
            if (indent > 0)
                canvas.FillRect(gui::Rect(rect.Left, rect.Top, rect.Left + indent, rect.Bottom));
            rect.Left += indent;
        }
    }
    if (state.Contains(TOwnerDrawStateItem::odSelected) && index >= 0) {
        canvas.Brush.SetColor(gui::clHighlight);
        canvas.Font.Color = gui::clHighlightText;
    }
    if (index < 0)
        canvas.FillRect(rect);
    else if (group)
        DrawGroupItem(canvas, index, rect, state);
    else
        DoDrawItem(canvas, index, rect, state);
    if (state.Contains(TOwnerDrawStateItem::odFocused) && !m_hideFocus)
        canvas.DrawFocusRect(rect);
}

void TFcCustomListBox::DoDrawItem(TCanvas& canvas, int index, TRect rect, TOwnerDrawState state) {
    if (OnDrawItem)
        OnDrawItem(this, canvas, index, rect, state);
    else
        DefaultDrawItem(canvas, index, rect, state);
}

void TFcCustomListBox::DefaultDrawItem(TCanvas& canvas, int index, TRect rect, TOwnerDrawState) {
    canvas.FillRect(rect);
    if (index >= Count())
        return;
    if (UseRightToLeftAlignment())
        rect.Right -= 2;
    else
        rect.Left += 2;
    DrawTextOnCanvas(
        canvas, ItemString(index), rect,
        DrawTextBiDiModeFlags(gui::DT_SINGLELINE | gui::DT_VCENTER | gui::DT_NOPREFIX));
}

void TFcCustomListBox::PaintGroupBackground(TCanvas& canvas, const TRect& rect,
                                            TOwnerDrawState state) {
    canvas.Font = m_groupFont;
    TColor text = m_groupFont.Color, back = m_groupColor;
    if (gui::ThemesEnabled() && m_groupColorFromTheme) {
        text = GetThemePartColor(5);
        back = GetThemePartColor(4);
    }
    canvas.Font.Color = text;
    if (state.Contains(TOwnerDrawStateItem::odSelected)) {
        canvas.Font.Color = gui::clHighlightText;
        canvas.FillRect(rect);
    } else if (m_useGradients && FullColorScreen) {
        // From the header colour at the side the header reads from.
        if (UseRightToLeftAlignment())
            PaintGradient(canvas, rect, TGradientDirection::gdVerticalEnd, Color(), back, 1);
        else
            PaintGradient(canvas, rect, TGradientDirection::gdVerticalEnd, back, Color(), 1);
    } else {
        canvas.Brush.SetColor(back);
        canvas.FillRect(rect);
    }
}

void TFcCustomListBox::DrawGroupItem(TCanvas& canvas, int index, TRect rect,
                                     TOwnerDrawState state) {
    PaintGroupBackground(canvas, rect, state);
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    canvas.PushClip();
    canvas.IntersectClipRect(rect);
    TRect r = rect;
    if (UseRightToLeftAlignment())
        r.Right -= 2;
    else
        r.Left += 2;
    DrawTextOnCanvas(
        canvas, GetItemText(index), r,
        DrawTextBiDiModeFlags(gui::DT_SINGLELINE | gui::DT_VCENTER | gui::DT_NOPREFIX));
    canvas.PopClip();
    canvas.Brush.SetStyle(TBrushStyle::bsSolid);
}

// Searching and keys.

int TFcCustomListBox::FindItem(std::string_view text) const {
    if (IsVirtual()) {
        const int found = DoFindData(std::string(text));
        return found >= 0 && found < Count() ? found : -1;
    }
    return FindItemWithPrefix(m_items.Values(), text, -1);
}

void TFcCustomListBox::InvalidKeyPressed() {
    if (m_beepOnInvalidKey)
        Beep();
}

void TFcCustomListBox::Beep() {
    QApplication::beep();
}

void TFcCustomListBox::Match() {
    if (OnMatch)
        OnMatch(this);
}

void TFcCustomListBox::DoDeleteItems() {
    if (OnDeleteItems)
        OnDeleteItems(this);
}

void TFcCustomListBox::SearchTimerExpired() {
    if (m_keyInProgress != 0)
        return;
    m_searchTimer->stop();
    m_selection.ClearSearch();
}

void TFcCustomListBox::SearchFor(const std::string& text, char key) {
    if (!m_selection.SearchFor(text, [this](std::string_view s) { return FindItem(s); })) {
        // The typed prefix stays as it was, so the next key extends it.
        InvalidKeyPressed();
        return;
    }
    ScrollIntoView(CaretIndex());
    update();
    KeyPress(key);
    Match();
}

void TFcCustomListBox::HandleChar(char key) {
    if (!m_incrementalSearch) {
        char k = key;
        KeyPress(k);
        if (static_cast<unsigned char>(k) >= 32)
            PlatformCharSearch(k);
        return;
    }
    std::string s = m_selection.SearchString();
    switch (key) {
    case '\b':
        if (s.empty()) {
            InvalidKeyPressed();
            SearchFor(s, key);
            return;
        }
        s.pop_back();
        if (!s.empty()) {
            SearchFor(s, key);
            return;
        }
        SetItemIndex(0);
        Click();
        m_selection.ClearSearch();
        KeyPress(key);
        return;
    case '\r':
        if (m_tabOnEnter)
            QCoreApplication::postEvent(
                this, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
        else
            KeyPress(key);
        return;
    case 27:
        SetItemIndex(-1);
        return;
    default:
        break;
    }
    if (static_cast<unsigned char>(key) < 32)
        return;
    if (key == ' ' && MultiSelect() && !ExtendedSelect())
        return;
    m_keyInProgress = 1;
    s += key;
    SearchFor(s, key);
    m_searchTimer->stop();
    m_searchTimer->setInterval(kIncrementalSearchTimeout);
    m_searchTimer->start();
    m_keyInProgress = 0;
}

void TFcCustomListBox::PlatformCharSearch(char key) {
    // The platform list box's own type-ahead: the next item starting with
    // the character, wrapping round.
    const int found = FindItemWithPrefix(m_items.Values(), std::string(1, key), ItemIndex());
    if (found >= 0)
        MoveCaretTo(found, Qt::NoModifier);
}

void TFcCustomListBox::FollowMove(TFcListMove move) {
    if (!move.Moved)
        return;
    ScrollIntoView(CaretIndex());
    update();
    if (move.Clicked)
        Click();
}

void TFcCustomListBox::MoveCaretTo(int index, Qt::KeyboardModifiers modifiers) {
    FollowMove(m_selection.MoveCaretTo(index, modifiers));
}

void TFcCustomListBox::NavigateKey(int key, Qt::KeyboardModifiers modifiers) {
    if (MultiColumn()) {
        const int rows = RowsPerColumn(ClientHeight());
        FollowMove(m_selection.Navigate(key, modifiers, ColumnsInView() * rows, rows));
        return;
    }
    FollowMove(m_selection.Navigate(key, modifiers, VisibleRows()));
}

void TFcCustomListBox::keyPressEvent(QKeyEvent* event) {
    if (!KeyDown(*event))
        return;
    bool handled = true;
    gui::Guard([&] {
        const int key = event->key();
        const Qt::KeyboardModifiers modifiers = event->modifiers();
        const bool navigation = TFcListSelection::IsNavigationKey(key);
        if (key == Qt::Key_Escape || navigation)
            m_selection.ClearSearch();
        if (navigation || key == Qt::Key_Space) {
            if (m_hideFocus) {
                m_hideFocus = false;
                update();
            }
        }
        if (navigation) {
            NavigateKey(key, modifiers);
            return;
        }
        if (key == Qt::Key_Space && m_selection.ToggleCaret()) {
            update();
            Click();
        }
        char ch = 0;
        if (key == Qt::Key_Backspace)
            ch = '\b';
        else if (key == Qt::Key_Return || key == Qt::Key_Enter)
            ch = '\r';
        else if (key == Qt::Key_Escape)
            ch = 27;
        else if (const std::string text = gui::QStringToAnsi(event->text()); text.size() == 1)
            ch = text[0];
        if (ch == 0) {
            handled = false;
            return;
        }
        HandleChar(ch);
        // Enter and Escape also reach the form (default and cancel buttons).
        if (ch == '\r' && !m_tabOnEnter)
            handled = false;
        if (ch == 27)
            handled = false;
    });
    // Past the base's handler: OnKeyDown ran above and OnKeyPress from
    // HandleChar.
    if (handled)
        event->accept();
    else
        gui::TFramedHost::keyPressEvent(event);
}

void TFcCustomListBox::focusInEvent(QFocusEvent* event) {
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason ||
        event->reason() == Qt::ShortcutFocusReason)
        m_hideFocus = false;
    gui::TFramedHost::focusInEvent(event);
}

// Mouse.

void TFcCustomListBox::SelectByMouse(int index, Qt::KeyboardModifiers modifiers, bool press) {
    m_selection.SelectByMouse(index, modifiers, press);
    ScrollIntoView(index);
    update();
}

void TFcCustomListBox::mousePressEvent(QMouseEvent* event) {
    TFcFramedControl::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    gui::Guard([&] {
        m_selection.ClearSearch();
        setFocus(Qt::MouseFocusReason);
        const QPoint p = event->position().toPoint() - contentsRect().topLeft();
        m_pressIndex = ItemAtPos({p.x(), p.y()}, true);
        if (m_pressIndex < 0)
            return;
        m_mouseSelecting = true;
        SelectByMouse(m_pressIndex, event->modifiers(), true);
    });
}

void TFcCustomListBox::mouseMoveEvent(QMouseEvent* event) {
    TFcFramedControl::mouseMoveEvent(event);
    gui::Guard([&] {
        const QPoint p = event->position().toPoint() - contentsRect().topLeft();
        if (m_mouseSelecting && (event->buttons() & Qt::LeftButton)) {
            if (Count() == 0)
                return;
            const int index = DragIndexAt(p);
            if (!MultiSelect() || ExtendedSelect())
                SelectByMouse(index, event->modifiers(), false);
            return;
        }
        if (m_showItemHints)
            ShowItemHint(p.x(), p.y());
    });
}

void TFcCustomListBox::mouseReleaseEvent(QMouseEvent* event) {
    TFcFramedControl::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !m_mouseSelecting)
        return;
    m_mouseSelecting = false;
    gui::Guard([this] { Click(); });
}

void TFcCustomListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        TFcFramedControl::mouseDoubleClickEvent(event);
        return;
    }
    // The second press selects as the first did.
    mousePressEvent(event);
    DblClick();
}

void TFcCustomListBox::wheelEvent(QWheelEvent* event) {
    // The wheel events come first; a wheel they took does not scroll.
    if (MouseWheelHandled(*event)) {
        event->accept();
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        gui::TFramedHost::wheelEvent(event);
        return;
    }
    const int notches = delta / 120 != 0 ? delta / 120 : (delta > 0 ? 1 : -1);
    gui::Guard([&] {
        if (MultiColumn())
            SetTopIndex(m_topIndex - notches * RowsPerColumn(ClientHeight())); // a column a notch
        else
            SetTopIndex(m_topIndex - 3 * notches);
    });
    event->accept();
}

void TFcCustomListBox::MouseEnter() {
    UpdateFrameHotState(true, true);
    if (m_showItemHints) {
        const QPoint p = mapFromGlobal(QCursor::pos()) - contentsRect().topLeft();
        ShowItemHint(p.x(), p.y());
    }
    TFcFramedControl::MouseEnter();
}

void TFcCustomListBox::MouseLeave() {
    UpdateFrameHotState(true, false);
    HideItemHint();
    TFcFramedControl::MouseLeave();
}

void TFcCustomListBox::FocusEnter() {
    UpdateFrameHotState(false, true);
    update();
    TFcFramedControl::FocusEnter();
}

void TFcCustomListBox::FocusExit() {
    UpdateFrameHotState(false, false);
    update();
    TFcFramedControl::FocusExit();
}

void TFcCustomListBox::EnabledChanged() {
    UpdateColors();
    update();
}

// Item hints.

void TFcCustomListBox::ShowItemHint(int x, int y) {
    const TDataScope scope(*this);
    const int index = ItemAtPos({x, y}, true);
    if (index < 0) {
        HideItemHint();
        return;
    }
    const std::string text = GetItemText(index);
    const TFcTextMeasure measure(Font());
    if (!ItemHintNeeded(ClientWidth(), GetOwnerDrawIndent(), measure.Width(text)) ||
        QGuiApplication::applicationState() != Qt::ApplicationActive) {
        HideItemHint();
        return;
    }
    const TRect item = ItemRect(index);
    m_hint.Show(text, Font(), mapToGlobal(contentsRect().topLeft() + QPoint(item.Left, item.Top)),
                GetOwnerDrawIndent(), item.Height());
}

void TFcCustomListBox::HideItemHint() {
    m_hint.Hide();
}

bool TFcCustomListBox::ItemHintShowing() const {
    return m_hint.Showing();
}

} // namespace vdx
