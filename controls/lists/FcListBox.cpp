#include "controls/lists/FcListBox.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcDisplayFacts.h"
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
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstdint>

namespace vdx {

using gui::TBrushStyle;

namespace {

// The platform's focus rectangle: every other pixel of the edges inverted.
void DrawFocusRect(TCanvas& canvas, const TRect& r) {
    if (r.IsEmpty())
        return;
    QPainter& p = canvas.Painter();
    p.save();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QColor white(255, 255, 255);
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0)
            p.fillRect(QRect(x, y, 1, 1), white);
    };
    for (int x = r.Left; x < r.Right; ++x) {
        dot(x, r.Top);
        if (r.Bottom - 1 > r.Top)
            dot(x, r.Bottom - 1);
    }
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        dot(r.Left, y);
        if (r.Right - 1 > r.Left)
            dot(r.Right - 1, y);
    }
    p.restore();
}

} // namespace

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
    m_selection.Inserted(index);
    if (m_items.UpdateCount() == 0) {
        UpdateScrollBars();
        update();
    }
    ItemsMessage(message);
}

void TFcCustomListBox::AfterDelete(int index) {
    m_selection.Deleted(index);
    if (m_items.UpdateCount() == 0) {
        m_topIndex = std::clamp(m_topIndex, 0, MaxTopIndex());
        UpdateScrollBars();
        update();
    }
    ItemsMessage(TListBoxMessage::LB_DELETESTRING);
}

void TFcCustomListBox::AfterReset() {
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
    if (IsLoading())
        return;
    m_colorGuard = true;
    try {
        if (!isEnabled())
            SetColor(DisabledColor());
        else if (hasFocus())
            SetColor(FocusColor());
        else
            SetColor(m_normalColor);
    } catch (...) {
        m_colorGuard = false;
        throw;
    }
    m_colorGuard = false;
}

void TFcCustomListBox::UpdateFrameHotState(bool isMouse, bool value) {
    if (isMouse)
        m_mouseOver = value;
    if (FrameHotTrack())
        RedrawFrame();
    UpdateColors();
}

void TFcCustomListBox::ColorChanged() {
    if (!m_colorGuard) {
        if (FocusColor() == m_normalColor)
            StoreFocusColor(Color());
        m_normalColor = Color();
    }
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
        Frame().Paint(canvas, w, h, Color(), hasFocus() || m_mouseOver);
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

int TFcCustomListBox::VisibleRows() const {
    return std::max(1, ClientHeight() / std::max(1, m_itemHeight));
}

int TFcCustomListBox::MaxTopIndex() const {
    return std::max(0, Count() - VisibleRows());
}

void TFcCustomListBox::UpdateScrollBars() {
    const int border = BorderThickness();
    const int w = std::max(0, width() - 2 * border);
    const int h = std::max(0, height() - 2 * border);
    const int ih = std::max(1, m_itemHeight);
    bool needV = false, needH = false;
    for (int pass = 0; pass < 2; ++pass) {
        const int cw = w - (needV ? kScrollBarSize : 0);
        const int ch = h - (needH ? kScrollBarSize : 0);
        needV = Count() > std::max(0, ch) / ih;
        needH =
            m_horzScrollBar && int(m_horzExtent) > cw - (needV && pass == 0 ? kScrollBarSize : 0);
    }
    SetFrameMargins(QMargins(border, border, border + (needV ? kScrollBarSize : 0),
                             border + (needH ? kScrollBarSize : 0)));
    const TRect client = ClientBounds();
    const QSignalBlocker blockV(m_vertBar);
    const QSignalBlocker blockH(m_horzBar);
    m_topIndex = std::clamp(m_topIndex, 0, MaxTopIndex());
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
    if (m_topIndex == value)
        return;
    m_topIndex = value;
    {
        const QSignalBlocker block(m_vertBar);
        m_vertBar->setValue(value);
    }
    HideItemHint();
    update();
}

void TFcCustomListBox::ScrollIntoView(int index) {
    if (index < 0)
        return;
    if (index < m_topIndex)
        SetTopIndex(index);
    else if (index >= m_topIndex + VisibleRows())
        SetTopIndex(index - VisibleRows() + 1);
}

void TFcCustomListBox::SetItemHeight(int value) {
    if (value < 1 || !StoreChanged(m_itemHeight, value))
        return;
    UpdateScrollBars();
    update();
}

int TFcCustomListBox::ItemAtPos(TPoint p, bool existing) const {
    const int past = existing ? -1 : Count();
    if (p.X < 0 || p.Y < 0 || p.X >= ClientWidth() || p.Y >= ClientHeight())
        return past;
    const int row = m_topIndex + p.Y / std::max(1, m_itemHeight);
    return row < Count() ? row : past;
}

TRect TFcCustomListBox::ItemRect(int index) const {
    const int top = (index - m_topIndex) * m_itemHeight;
    return gui::Rect(-m_horzPos, top, ClientWidth(), top + m_itemHeight);
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
    if (value)
        AfterSort();
    RecreateWnd();
}

void TFcCustomListBox::SetStyle(TListBoxStyle value) {
    if (StoreChanged(m_style, value))
        RecreateWnd();
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
    const TRect client = ClientRect();
    canvas.Brush.SetColor(Color());
    canvas.FillRect(client);
    canvas.Font = Font();
    const int ih = std::max(1, m_itemHeight);
    for (int i = m_topIndex; i < Count() && (i - m_topIndex) * ih < client.Height(); ++i) {
        const TRect r = ItemRect(i);
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
        const TRect r = gui::Rect(0, 0, client.Width(), ih);
        if (OwnerDrawn())
            DrawItemRequest(canvas, -1, r, TOwnerDrawStateItem::odFocused);
        else if (FocusRectShown())
            DrawFocusRect(canvas, r);
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
        DrawFocusRect(canvas, r);
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
        DrawFocusRect(canvas, rect);
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
            const int row = m_topIndex + (p.y() < 0 ? -1 : p.y() / std::max(1, m_itemHeight));
            const int index = std::clamp(row, 0, Count() - 1);
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
    gui::Guard([&] { SetTopIndex(m_topIndex - 3 * notches); });
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
                GetOwnerDrawIndent(), m_itemHeight);
}

void TFcCustomListBox::HideItemHint() {
    m_hint.Hide();
}

bool TFcCustomListBox::ItemHintShowing() const {
    return m_hint.Showing();
}

} // namespace vdx
