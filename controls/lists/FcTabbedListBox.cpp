#include "controls/lists/FcTabbedListBox.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcTextRoutines.h"
#include "platform/gui/system_facts.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace vdx {

using gui::TBrushStyle;

namespace {

// Where the text of one column stands in a row (Length npos: to the end).
struct TCellSpan {
    std::size_t Start = 0;
    std::size_t Length = std::string::npos;
};

// Column 0 is the text before the first TAB. Throws gui::EListError for a
// column the row does not have.
TCellSpan CellSpan(const std::string& row, int column) {
    if (column < 0 || column > CountChar('\t', row))
        throw gui::EListError("Column parameter out of range");
    TCellSpan cell;
    for (int c = 0; c < column; ++c)
        cell.Start = row.find('\t', cell.Start) + 1;
    if (const std::size_t end = row.find('\t', cell.Start); end != std::string::npos)
        cell.Length = end - cell.Start;
    return cell;
}

} // namespace

std::vector<int> AutomaticTabStops(const std::vector<int>& columnWidths, int aveCharWidth) {
    const int unit = std::max(1, aveCharWidth);
    std::vector<int> stops;
    stops.reserve(columnWidths.size());
    int last = 0;
    for (int w : columnWidths) {
        last += w / unit + 4;
        stops.push_back(last);
    }
    return stops;
}

// ---- the stop list ---------------------------------------------------

TFcTabStopList::TFcTabStopList() {
    SetMin(-2147483647);
    SetMax(2147483647);
}

void TFcTabStopList::Notify() {
    if (m_listBox)
        m_listBox->UpdateTabStops();
}

void TFcTabStopList::Put(int index, int value) {
    TFcIntegerList::Put(index, value);
    Notify();
}

int TFcTabStopList::Add(int value) {
    const int index = TFcIntegerList::Add(value);
    Notify();
    return index;
}

void TFcTabStopList::Delete(int index) {
    TFcIntegerList::Delete(index);
    Notify();
}

void TFcTabStopList::Insert(int index, int value) {
    TFcIntegerList::Insert(index, value);
    Notify();
}

// ---- the list box ----------------------------------------------------

TFcCustomTabbedListBox::TFcCustomTabbedListBox(QWidget* parent) : TFcCustomListBox(parent) {
    m_tabStops.SetListBox(this);
    // The width a stop counts comes from the font the list box shows, as
    // it does after every font change.
    m_aveCharWidth = AverageCharWidth(Font());
    SetShowItemHints(false);
    UpdateTabStops();
}

TFcCustomTabbedListBox::~TFcCustomTabbedListBox() {
    m_destroying = true;
    m_tabStops.SetListBox(nullptr);
}

int TFcCustomTabbedListBox::GetFirstColumnIndent() const {
    return 0;
}

std::vector<int> TFcCustomTabbedListBox::ScaledTabStops(int factor) const {
    const int count = std::min(m_tabStops.Count(), kMaxTabStops);
    std::vector<int> positions;
    positions.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        // Stops too far out stay at the limit.
        const long long p = static_cast<long long>(m_tabStops[i]) * factor;
        positions.push_back(int(std::clamp<long long>(p, INT_MIN, INT_MAX)));
    }
    return positions;
}

std::vector<int> TFcCustomTabbedListBox::GetTabStopArray() const {
    return ScaledTabStops(4); // quarters of a character
}

void TFcCustomTabbedListBox::UpdateTabStops() {
    SetWindowTabStops(GetTabStopArray());
    update();
}

void TFcCustomTabbedListBox::SetTabStops(const TFcIntegerList& list) {
    m_tabStops.Assign(list);
    UpdateTabStops();
}

bool TFcCustomTabbedListBox::AutomaticAllowed() const {
    return m_tabStopsMode == TFcTabStopsMode::tsmAutomatic && Items().UpdateCount() == 0;
}

void TFcCustomTabbedListBox::SetTabStopsMode(TFcTabStopsMode mode) {
    if (m_tabStopsMode == mode)
        return;
    m_tabStopsMode = mode;
    if (AutomaticAllowed())
        CalcAutomaticTabStops();
}

std::string TFcCustomTabbedListBox::RowText(int row) const {
    if (row < 0 || row >= Count())
        throw gui::EListError("Row parameter out of range");
    return ItemString(row);
}

std::string TFcCustomTabbedListBox::GetCell(int column, int row) const {
    const std::string text = RowText(row);
    const TCellSpan cell = CellSpan(text, column);
    return text.substr(cell.Start, cell.Length);
}

void TFcCustomTabbedListBox::SetCell(int column, int row, const std::string& value) {
    std::string text = RowText(row);
    const TCellSpan cell = CellSpan(text, column);
    text.replace(cell.Start, cell.Length, value);
    Items().Put(row, text);
}

void TFcCustomTabbedListBox::CalcAutomaticTabStops() {
    // Only stored items are measured (a virtual list has none), so a
    // virtual list is never read through.
    if (IsLoading() || m_destroying)
        return;
    m_tabStops.Clear();
    int columns = 0;
    for (const std::string& item : Items().Values())
        columns = std::max(columns, CountChar('\t', item));
    std::vector<std::string> rest = Items().Values();
    const TFcTextMeasure plain(Font());
    const TFcTextMeasure group(GroupFont());
    const std::string& prefix = GroupPrefix();
    std::vector<int> columnWidths;
    for (int c = 0; c < columns; ++c) {
        int widest = 0;
        for (std::size_t r = 0; r < rest.size(); ++r) {
            std::string& row = rest[r];
            const std::size_t tab = row.find('\t');
            std::string text = tab == std::string::npos ? row : row.substr(0, tab);
            row = tab == std::string::npos ? std::string() : row.substr(tab + 1);
            int width = 0;
            if (IsGroupItem(int(r))) {
                if (c == 0)
                    text.erase(0, std::min(prefix.size(), text.size()));
                width = group.Width(text);
            } else {
                width = plain.Width(text) + (c == 0 ? GetFirstColumnIndent() : 0);
            }
            widest = std::max(widest, width);
        }
        columnWidths.push_back(widest);
    }
    for (int stop : AutomaticTabStops(columnWidths, m_aveCharWidth))
        m_tabStops.Add(stop);
}

void TFcCustomTabbedListBox::UpdateFromHeader(QObject*) {
    throw EHeaderError("Only THeader and THeaderControl components can be passed to "
                       "TFcCustomTabbedListBox.UpdateFromHeader");
}

void TFcCustomTabbedListBox::Loaded() {
    TFcCustomListBox::Loaded();
    if (m_tabStopsMode == TFcTabStopsMode::tsmAutomatic)
        CalcAutomaticTabStops();
    UpdateTabStops();
}

void TFcCustomTabbedListBox::ItemsMessage(TListBoxMessage message) {
    TFcCustomListBox::ItemsMessage(message);
    if (message != TListBoxMessage::LB_RESETCONTENT && AutomaticAllowed())
        CalcAutomaticTabStops();
}

void TFcCustomTabbedListBox::FontChanged() {
    TFcCustomListBox::FontChanged();
    m_aveCharWidth = AverageCharWidth(Font());
    if (AutomaticAllowed())
        CalcAutomaticTabStops();
}

void TFcCustomTabbedListBox::GroupFontChanged() {
    if (AutomaticAllowed())
        CalcAutomaticTabStops();
}

void TFcCustomTabbedListBox::CreateWnd() {
    TFcCustomListBox::CreateWnd();
    UpdateTabStops();
}

std::vector<int> TFcCustomTabbedListBox::PainterTabStops() const {
    std::vector<int> px = GetTabStopArray();
    for (int& p : px)
        p = int(std::nearbyint(double(p) * m_aveCharWidth / 4.0));
    return px;
}

void TFcCustomTabbedListBox::TabbedRowOut(TCanvas& canvas, const TRect& rect, int yOffset,
                                          const std::string& text) {
    // Right to left the row starts at the right edge and its columns run
    // leftwards, their stops counted from the client's right edge (the
    // mirror of the left edge the stops count from otherwise).
    if (UseRightToLeftAlignment()) {
        canvas.TextAlign = gui::TA_RIGHT | gui::TA_RTLREADING;
        canvas.TabbedTextOut(rect.Right - 2, rect.Top + yOffset, text, PainterTabStops(),
                             ClientWidth());
        canvas.TextAlign = gui::TA_LEFT;
        return;
    }
    canvas.TabbedTextOut(rect.Left + 2, rect.Top + yOffset, text, PainterTabStops(), 0);
}

void TFcCustomTabbedListBox::DefaultDrawItem(TCanvas& canvas, int index, TRect rect,
                                             TOwnerDrawState) {
    canvas.FillRect(rect);
    const int yOffset = (ItemHeight() - canvas.TextHeight("Pp")) / 2;
    canvas.PushClip();
    canvas.IntersectClipRect(rect);
    if (index >= 0 && index < Count())
        TabbedRowOut(canvas, rect, yOffset, ItemString(index));
    canvas.PopClip();
}

void TFcCustomTabbedListBox::DrawGroupItem(TCanvas& canvas, int index, TRect rect,
                                           TOwnerDrawState state) {
    PaintGroupBackground(canvas, rect, state);
    const int yOffset = (ItemHeight() - canvas.TextHeight("Pp")) / 2;
    canvas.Brush.SetStyle(TBrushStyle::bsClear);
    canvas.PushClip();
    canvas.IntersectClipRect(rect);
    TabbedRowOut(canvas, rect, yOffset, GetItemText(index));
    canvas.PopClip();
    canvas.Brush.SetStyle(TBrushStyle::bsSolid);
}

void TFcCustomTabbedListBox::UpdateHorzExtent() {
    const std::vector<int> positions = ScaledTabStops(m_aveCharWidth);
    const TFcTextMeasure measure(Font());
    const gui::TTextMeasurer m = measure.Measurer(m_aveCharWidth);
    const std::string prefix = GetExtentPrefix();
    int widest = 0;
    for (const std::string& item : Items().Values())
        widest = std::max(widest, gui::TabbedWidth(prefix + item + "x", positions, m));
    SetHorzExtent(MaxOf(ClientWidth(), widest + 1));
}

} // namespace vdx
