#include "controls/lists/FcListView.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcDraw.h"
#include "controls/base/FcFrameController.h"
#include "controls/shell/FcShellKeys.h"
#include "platform/gui/popup_menu.h"
#include "platform/gui/text_layout.h"
#include "platform/gui/virtual_keys.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QHeaderView>
#include <QPointer>

#include <array>
#include <cctype>

namespace vdx {

namespace {

// CompareText: case-insensitive in ASCII only.
int CompareText(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y && (x < 128 || y < 128))
            return x - y;
        if (x != y)
            return int(static_cast<unsigned char>(a[i])) - int(static_cast<unsigned char>(b[i]));
    }
    return int(a.size()) - int(b.size());
}

const std::string& ColumnText(const TListItem& item, int column) {
    static const std::string kEmpty;
    if (column == 0)
        return item.Caption();
    const auto& subs = item.SubItems();
    return std::size_t(column - 1) < subs.size() ? subs[std::size_t(column - 1)] : kEmpty;
}

// Ascending by the column's text, empty texts last.
int CompareAscending(const TListItem& a, const TListItem& b, int column) {
    if (column < 0)
        return 0;
    const std::string& ta = ColumnText(a, column);
    const std::string& tb = ColumnText(b, column);
    const int r = CompareText(ta, tb);
    if (r > 0 && tb.empty())
        return -1;
    if (r < 0 && ta.empty())
        return 1;
    return r;
}

// The square the sort mark of r is drawn in, at r's left.
TRect MarkRect(const TRect& r) {
    const int s = (r.Top + r.Bottom) / 2 - 1;
    TRect m;
    m.Left = r.Left;
    m.Right = r.Left + s + 1;
    m.Top = (r.Top + r.Bottom - s) / 2 - 1;
    m.Bottom = m.Top + s;
    return m;
}

TRect MovedRight(TRect r, int dx) {
    r.Left += dx;
    r.Right += dx;
    return r;
}

} // namespace

TFcCustomListView::TFcCustomListView(QWidget* parent)
    : TFcFramedControl(parent), gui::TCustomListView(static_cast<QWidget&>(*this)) {
    setFocusPolicy(Qt::StrongFocus); // TabStop
    SetFocusWidget(&View());
    SetColor(gui::clWindow);
    SetParentColor(false);
    SetFrameMargins(QMargins(2, 2, 2, 2));
    SetViewBounds(ClientBounds());
}

TFcCustomListView::~TFcCustomListView() = default;

// Colours and the frame.

void TFcCustomListView::UpdateColors() {
    ApplyStateColor();
}

void TFcCustomListView::ColorChanged() {
    TakeNormalColor();
    if (FrameVisible() && !UseThemedFrame())
        RedrawFrame();
    InvalidateView();
}

void TFcCustomListView::SetFrameController(TFcFrameController* value) {
    LinkFrameController(value, true);
}

void TFcCustomListView::PaintFrame(TCanvas& canvas) {
    const int w = width(), h = height();
    Draw3DBorder(canvas, gui::Rect(0, 0, w, h), true);
    if (FrameVisible() && !UseThemedFrame())
        Frame().Paint(canvas, w, h, Color(), FocusInside() || MouseOver());
}

void TFcCustomListView::MouseEnter() {
    UpdateFrameHotState(true, true);
    TFcFramedControl::MouseEnter();
    const QPoint at = View().viewport()->mapFromGlobal(QCursor::pos());
    UpdateInfoTip({at.x(), at.y()});
}

void TFcCustomListView::MouseLeave() {
    UpdateFrameHotState(true, false);
    TFcFramedControl::MouseLeave();
    HideInfoTip();
}

void TFcCustomListView::FocusEnter() {
    UpdateFrameHotState(false, true);
    TFcFramedControl::FocusEnter();
}

void TFcCustomListView::FocusExit() {
    UpdateFrameHotState(false, false);
    TFcFramedControl::FocusExit();
}

void TFcCustomListView::EnabledChanged() {
    UpdateColors();
}

void TFcCustomListView::Loaded() {
    TFcFramedControl::Loaded();
    UpdateColors();
    UpdateFrameHotState(false, false);
    if (m_stretchLastColumn) {
        m_fitting = true;
        FitLastColumn();
        m_fitting = false;
    }
}

void TFcCustomListView::resizeEvent(QResizeEvent* event) {
    TFcFramedControl::resizeEvent(event);
    const TRect before = gui::FromQRect(View().geometry());
    SetViewBounds(ClientBounds());
    if (before != ClientBounds())
        FitLastColumn();
    if (FrameVisible() && !UseThemedFrame())
        RedrawFrame();
}

// Columns and sorting.

void TFcCustomListView::SetStretchLastColumn(bool value) {
    if (!StoreChanged(m_stretchLastColumn, value))
        return;
    FitLastColumn();
}

void TFcCustomListView::FitLastColumn() {
    if (!m_stretchLastColumn || ViewStyle() != gui::TViewStyle::vsReport || ColumnCount() == 0)
        return;
    if (m_inFit)
        return; // the width set below reports a resize
    m_inFit = true;
    Items().BeginUpdate();
    int s = 0;
    for (int i = 0; i + 1 < ColumnCount(); ++i)
        s += ColumnWidth(i);
    int a = ViewClientWidth();
    if (Items().Count() == 0 || m_fitting || IsLoading())
        a -= ScrollBarWidth();
    if (s < a)
        SetColumnWidth(ColumnCount() - 1, a - s > 4 ? a - s : 5);
    Items().EndUpdate();
    m_inFit = false;
}

void TFcCustomListView::HeaderResized() {
    FitLastColumn();
    UpdateHeaderFormats();
}

void TFcCustomListView::UpdateHeaderFormats() {
    if (ViewStyle() != gui::TViewStyle::vsReport || m_formatUpdates > 0)
        return;
    ++m_formatUpdates;
    InvalidateHeader();
    --m_formatUpdates;
}

void TFcCustomListView::SetViewStyle(gui::TViewStyle value) {
    const bool focused = FocusInside();
    gui::TCustomListView::SetViewStyle(value);
    SetFocusWidget(&View());
    if (focused)
        View().setFocus();
    if (value == gui::TViewStyle::vsReport) {
        UpdateHeaderFormats();
        FitLastColumn();
    }
}

void TFcCustomListView::SetSortedColumn(int value) {
    if (!StoreChanged(m_sortedColumn, value))
        return;
    UpdateHeaderFormats();
}

void TFcCustomListView::SetSortedDescending(bool value) {
    if (!StoreChanged(m_sortedDescending, value))
        return;
    UpdateHeaderFormats();
}

void TFcCustomListView::SetSortMarkPlacement(TFcSortMarkPlacement value) {
    if (StoreChanged(m_sortMarkPlacement, value))
        UpdateHeaderFormats();
}

void TFcCustomListView::SetDefaultHeaderDrawing(bool value) {
    if (StoreChanged(m_defaultHeaderDrawing, value))
        InvalidateHeader();
}

void TFcCustomListView::SortBy(int column, bool descending) {
    CustomSort([column, descending](const TListItem& a, const TListItem& b) {
        const int r = CompareAscending(a, b, column);
        return descending ? -r : r;
    });
}

void TFcCustomListView::ColClick(int column) {
    if (m_columnClickSorts) {
        if (column == m_lastSortedColumn) {
            SetSortedColumn(column);
            SetSortedDescending(true);
            SortBy(column, true);
            m_lastSortedColumn = -1;
        } else {
            SetSortedColumn(column);
            SetSortedDescending(false);
            SortBy(column, false);
            m_lastSortedColumn = column;
        }
    }
    gui::TCustomListView::ColClick(column);
}

// Header painting.

void TFcCustomListView::PaintHeaderSection(TCanvas& canvas, const TRect& rect, int index, bool) {
    canvas.Font = Font();
    canvas.Font.Color = gui::clBtnText;
    canvas.Brush.SetColor(gui::clBtnFace);
    canvas.FillRect(rect);
    TRect r = rect;
    r.Left += 2;
    r.Top += 2;
    r.Right -= 2;
    r.Bottom -= 2;
    if (m_defaultHeaderDrawing)
        PaintSection(canvas, r, index);
    else
        DoDrawHeaderSection(canvas, r, index);
}

void TFcCustomListView::DoDrawHeaderSection(TCanvas& canvas, const TRect& rect, int index) {
    if (OnDrawHeaderSection)
        OnDrawHeaderSection(this, canvas, rect, index);
}

void TFcCustomListView::PaintSection(TCanvas& canvas, const TRect& rect, int index) {
    if (index < 0 || index >= ColumnCount())
        return;
    const gui::TListColumn& column = Column(index);
    TRect t = rect;
    t.Left += 4;
    t.Right -= 4;
    unsigned align = gui::DT_LEFT;
    if (column.Alignment == gui::TColumnAlignment::taRightJustify)
        align = gui::DT_RIGHT;
    else if (column.Alignment == gui::TColumnAlignment::taCenter)
        align = gui::DT_CENTER;
    const bool sorted = index == m_sortedColumn;
    const int columnWidth = rect.Width() + 4;

    auto drawText = [&](TRect at) {
        if (column.ImageIndex != -1 && SmallImages()) {
            SmallImages()->Draw(canvas, at.Left, at.Top, column.ImageIndex);
            at.Left += SmallImages()->Width() + 4;
        }
        canvas.Brush.SetColor(gui::clBtnFace);
        DrawTextOnCanvas(canvas, column.Caption, at,
                         align | gui::DT_SINGLELINE | gui::DT_END_ELLIPSIS);
    };
    auto drawMark = [&](const TRect& m) {
        if (!sorted || 2 * m.Width() >= columnWidth)
            return;
        const int h = m.Height() * 3 / 4;
        const int w = 2 * h - 1;
        const int left = m.Left, bottom = m.Bottom;
        std::array<TPoint, 3> points;
        if (m_sortedDescending)
            points = {TPoint{left, bottom - h}, TPoint{left + w - 1, bottom - h},
                      TPoint{left + (w - 1) / 2, bottom - 1}};
        else
            points = {TPoint{left, bottom - 1}, TPoint{left + w - 1, bottom - 1},
                      TPoint{left + (w - 1) / 2, bottom - h}};
        canvas.Pen.Color = gui::clBtnShadow;
        canvas.Pen.Width = 1;
        canvas.Brush.SetColor(gui::clBtnShadow);
        canvas.Polygon(points);
    };
    auto measured = [&](TRect at) {
        DrawTextOnCanvas(canvas, column.Caption, at,
                         gui::DT_SINGLELINE | gui::DT_END_ELLIPSIS | gui::DT_CALCRECT |
                             gui::DT_RIGHT);
        return at;
    };

    switch (m_sortMarkPlacement) {
    case TFcSortMarkPlacement::smpNone:
        drawText(t);
        break;
    case TFcSortMarkPlacement::smpBeforeText:
        if (sorted && columnWidth > 15) {
            const TRect m = MarkRect(t);
            drawMark(m);
            t.Left = m.Right + 5;
        }
        drawText(t);
        break;
    case TFcSortMarkPlacement::smpAfterText:
        if (align == gui::DT_LEFT) {
            drawText(t);
            if (sorted) {
                TRect e = measured(t);
                e = MovedRight(e, e.Width() + 5);
                drawMark(MarkRect(e));
            }
        } else {
            if (sorted) {
                const TRect e = measured(t);
                t.Bottom = t.Top + e.Height();
                TRect m = MarkRect(t);
                m = MovedRight(m, t.Width() - m.Width() - 5);
                drawMark(m);
                if (align == gui::DT_RIGHT) {
                    t.Right = m.Left - 5;
                } else {
                    t.Left += m.Width() + 5;
                    t.Right -= m.Width() + 5;
                }
            }
            drawText(t);
        }
        break;
    case TFcSortMarkPlacement::smpColumnEnd:
        if (sorted) {
            TRect m = MarkRect(t);
            m = MovedRight(m, t.Width() - m.Width() - 5);
            drawMark(m);
            t.Right = m.Left - 5;
        }
        drawText(t);
        break;
    }
}

// Check boxes and editing.

bool TFcCustomListView::CanChangeCheck(TListItem* item, bool newChecked) {
    bool allow = true;
    DoItemCheckChanging(item, newChecked, allow);
    return allow;
}

void TFcCustomListView::CheckChanged(TListItem* item) {
    DoItemCheckChanged(item);
}

void TFcCustomListView::DoItemCheckChanging(TListItem* item, bool newChecked, bool& allow) {
    if (OnItemCheckChanging)
        OnItemCheckChanging(this, item, newChecked, allow);
}

void TFcCustomListView::DoItemCheckChanged(TListItem* item) {
    if (OnItemCheckChanged)
        OnItemCheckChanged(this, item);
}

bool TFcCustomListView::CanEditAt(TListItem* item, std::optional<TPoint> click) {
    if (click && RowSelect() && ViewStyle() == gui::TViewStyle::vsReport && !m_allowRowClickEdit) {
        const TRect label = item->DisplayRect(gui::TDisplayCode::drLabel);
        const bool inside = click->X >= label.Left && click->X < label.Right &&
                            click->Y >= label.Top && click->Y < label.Bottom;
        return inside && CanEdit(item);
    }
    return gui::TCustomListView::CanEditAt(item, click);
}

// Context menus.

TPoint TFcCustomListView::ClientToScreen(TPoint pos) const {
    const QPoint p = View().viewport()->mapToGlobal(QPoint(pos.X, pos.Y));
    return {p.x(), p.y()};
}

void TFcCustomListView::PopupMenuAt(gui::TPopupMenu* menu, TPoint screenPos) {
    menu->SetPopupComponent(this);
    menu->Popup(screenPos.X, screenPos.Y);
}

void TFcCustomListView::DoListItemContextMenu(TListItem* item, TPoint& pos,
                                              gui::TPopupMenu*& menu) {
    if (OnListItemContextMenu)
        OnListItemContextMenu(this, item, pos, menu);
}

void TFcCustomListView::RequestContextMenu(TPoint pos) {
    TListItem* focused = ItemFocused();
    if (!focused || m_rightClick) {
        if (m_rightClick) {
            ShowItemContextMenu(pos);
        } else {
            StandardPopup(pos);
        }
        m_menuHandled = true;
        return;
    }
    TListItem* item = nullptr;
    if (focused->Selected() || focused->Focused())
        item = focused;
    else if (SelCount() > 0)
        item = Selected();
    if (item) {
        const TRect r = item->DisplayRect(gui::TDisplayCode::drIcon);
        ShowItemContextMenu({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    } else {
        StandardPopup(pos);
        m_menuHandled = true;
    }
}

void TFcCustomListView::StandardPopup(TPoint pos) {
    bool handled = false;
    if (OnContextPopup)
        OnContextPopup(this, pos, handled);
    if (handled)
        return;
    if (gui::TPopupMenu* menu = PopupMenu(); menu && menu->AutoPopup())
        PopupMenuAt(menu, ClientToScreen(pos));
}

void TFcCustomListView::ShowItemContextMenu(TPoint pos) {
    gui::TPopupMenu* menu = PopupMenu();
    DoListItemContextMenu(ItemFocused(), pos, menu);
    m_menuHandled = true;
    if (menu)
        PopupMenuAt(menu, ClientToScreen(pos));
}

void TFcCustomListView::RightClicked(TPoint pos) {
    QPointer<QWidget> alive(this);
    m_rightClick = GetItemAt(pos.X, pos.Y) != nullptr;
    RequestContextMenu(pos);
    if (!alive)
        return;
    m_rightClick = false;
    m_menuHandled = false;
}

void TFcCustomListView::ContextMenuRequested(std::optional<TPoint> pos) {
    if (m_menuHandled || SelCount() == 0 || !ItemFocused())
        return;
    if (pos)
        ShowItemContextMenu(*pos);
    else
        RequestContextMenu({0, 0});
}

// Info tips and the wheel.

void TFcCustomListView::DoInfoTip(TListItem* item, std::string& infoTip) {
    if (OnInfoTip)
        OnInfoTip(this, item, infoTip);
}

void TFcCustomListView::UpdateInfoTip(TPoint pos) {
    if (!OnInfoTip)
        return;
    TListItem* item = GetItemAt(pos.X, pos.Y);
    if (!item) {
        HideInfoTip();
        return;
    }
    std::string tip = item->Caption();
    QPointer<QWidget> alive(this);
    DoInfoTip(item, tip);
    if (!alive)
        return;
    if (QGuiApplication::applicationState() != Qt::ApplicationActive) {
        HideInfoTip();
        return;
    }
    const TRect bounds = item->DisplayRect(gui::TDisplayCode::drBounds);
    const QPoint at =
        View().viewport()->mapToGlobal(QPoint(bounds.Left + 5, bounds.Top + bounds.Height() - 3));
    m_infoTip.ShowAt(tip, Font(), at);
}

void TFcCustomListView::HideInfoTip() {
    m_infoTip.Hide();
}

void TFcCustomListView::MouseMoved(TPoint pos) {
    UpdateInfoTip(pos);
}

bool TFcCustomListView::MouseWheel(int delta, Qt::KeyboardModifiers shift) {
    const QPoint at = QCursor::pos();
    if (DoMouseWheel(shift, delta, {at.x(), at.y()}))
        return true;
    const bool icons = ViewStyle() == gui::TViewStyle::vsIcon;
    const gui::TCustomImageList* images = icons ? LargeImages() : SmallImages();
    const int line = images && images->Height() > 0 ? images->Height() : icons ? 32 : 16;
    constexpr int kWheelDelta = 120;
    Scroll(0, -delta * QApplication::wheelScrollLines() * line / kWheelDelta);
    return true;
}

void TFcCustomListView::KeyDown(int& key, Qt::KeyboardModifiers shift) {
    const int vk = VirtualKeyOf(key, shift);
    const Qt::KeyboardModifiers mods = shift & ~Qt::KeypadModifier;
    if ((vk == VK_APPS && mods == Qt::NoModifier) || (vk == VK_F10 && mods == Qt::ShiftModifier)) {
        key = 0;
        QPointer<QWidget> alive(this);
        RequestContextMenu({0, 0});
        if (!alive)
            return;
        m_menuHandled = false;
    }
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

} // namespace vdx
