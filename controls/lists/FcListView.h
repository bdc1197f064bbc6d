#pragma once
// The framed list view: the platform's list view (platform/gui/list_view.h)
// with the framed-control frame, hot tracking, frame controller and colours
// by focus and enabled state, a header that paints its own sections with a
// sort mark, sorting by column click, a last column that takes the rest of
// the client width, check-change events that may refuse a change, and one
// context-menu protocol for mouse and keyboard (OnListItemContextMenu), an
// info tip of the item under the mouse (OnInfoTip) and wheel scrolling by
// the images' height.
//
// Forms are built in code: no form resource stores properties, so the
// readers of older properties have no job. The header has no themed look
// (no hot or pressed section element); its section formats need no update,
// as every section is painted here: UpdateHeaderFormats repaints the header.

#include "controls/base/FcFramedControl.h"
#include "controls/lists/FcListHint.h"
#include "platform/gui/list_view.h"

#include <functional>
#include <optional>
#include <string>

namespace vdx {

using gui::TListItem;

enum class TFcSortMarkPlacement { smpNone, smpBeforeText, smpAfterText, smpColumnEnd };

using TFcLvItemCheckChangingEvent =
    std::function<void(QObject* aSender, TListItem* aItem, bool aNewChecked, bool& aAllow)>;
using TFcLvItemCheckChangedEvent = std::function<void(QObject* aSender, TListItem* aItem)>;
using TFcLvDrawHeaderSectionEvent =
    std::function<void(QObject* aSender, TCanvas& aCanvas, const TRect& aRect, int aIndex)>;
// aPos (client coordinates) and aMenu may be changed; a menu set to nullptr
// opens nothing.
using TFcLvListItemContextMenuEvent =
    std::function<void(QObject* aSender, TListItem* aItem, TPoint& aPos, gui::TPopupMenu*& aMenu)>;
// aInfoTip starts as the item's caption and may be changed.
using TFcLvInfoTipEvent =
    std::function<void(QObject* aSender, TListItem* aItem, std::string& aInfoTip)>;

class TFcCustomListView : public TFcFramedControl, public gui::TCustomListView {
    Q_OBJECT

public:
    explicit TFcCustomListView(QWidget* parent = nullptr);
    ~TFcCustomListView() override;

    void UpdateColors() override;
    // In report view the last column takes the client width the others
    // leave, at least 5 pixels; an empty list keeps a scroll bar's width free.
    virtual void FitLastColumn();
    void UpdateHeaderFormats();
    // The menu asked for at pos: the item's when a right click hit an item
    // or, from the keyboard, at the centre of the focused (else the
    // selected) item's icon; otherwise the pop-up menu.
    virtual void RequestContextMenu(TPoint pos);
    virtual void ShowItemContextMenu(TPoint pos);
    // With OnInfoTip: the tip of the item at pos (view coordinates) below
    // its top left corner, in a hint window of the list's own; none over no
    // item or while another program is active.
    void UpdateInfoTip(TPoint pos);
    void HideInfoTip();
    bool InfoTipShowing() const { return m_infoTip.Showing(); }

    bool ColumnClickSorts() const noexcept { return m_columnClickSorts; }
    void SetColumnClickSorts(bool value) noexcept { m_columnClickSorts = value; }
    bool StretchLastColumn() const noexcept { return m_stretchLastColumn; }
    virtual void SetStretchLastColumn(bool value);
    bool AllowRowClickEdit() const noexcept { return m_allowRowClickEdit; }
    void SetAllowRowClickEdit(bool value) noexcept { m_allowRowClickEdit = value; }
    int SortedColumn() const noexcept { return m_sortedColumn; }
    void SetSortedColumn(int value);
    bool SortedDescending() const noexcept { return m_sortedDescending; }
    void SetSortedDescending(bool value);
    TFcSortMarkPlacement SortMarkPlacement() const noexcept { return m_sortMarkPlacement; }
    void SetSortMarkPlacement(TFcSortMarkPlacement value);
    bool DefaultHeaderDrawing() const noexcept { return m_defaultHeaderDrawing; }
    void SetDefaultHeaderDrawing(bool value);
    void SetViewStyle(gui::TViewStyle value) override;
    void SetFrameController(TFcFrameController* value) override;

    TFcLvItemCheckChangingEvent OnItemCheckChanging;
    TFcLvItemCheckChangedEvent OnItemCheckChanged;
    TFcLvDrawHeaderSectionEvent OnDrawHeaderSection;
    TFcLvListItemContextMenuEvent OnListItemContextMenu;
    TFcLvInfoTipEvent OnInfoTip;

protected:
    virtual void DoDrawHeaderSection(TCanvas& canvas, const TRect& rect, int index);
    virtual void DoItemCheckChanged(TListItem* item);
    virtual void DoItemCheckChanging(TListItem* item, bool newChecked, bool& allow);
    virtual void DoListItemContextMenu(TListItem* item, TPoint& pos, gui::TPopupMenu*& menu);
    virtual void DoInfoTip(TListItem* item, std::string& infoTip);
    // Opens menu at a screen point for this control.
    virtual void PopupMenuAt(gui::TPopupMenu* menu, TPoint screenPos);
    TPoint ClientToScreen(TPoint pos) const;

    void ColClick(int column) override;
    bool CanChangeCheck(TListItem* item, bool newChecked) override;
    void CheckChanged(TListItem* item) override;
    bool CanEditAt(TListItem* item, std::optional<TPoint> click) override;
    using TFcFramedControl::KeyDown;
    void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
    void RightClicked(TPoint pos) override;
    void ContextMenuRequested(std::optional<TPoint> pos) override;
    void HeaderResized() override;
    // OnMouseWheel and the notches' events first; unless they took it the
    // view scrolls by the wheel lines of the image height (16 pixels
    // without images, 32 in the icon view).
    bool MouseWheel(int delta, Qt::KeyboardModifiers shift) override;
    void MouseMoved(TPoint pos) override;
    void PaintHeaderSection(TCanvas& canvas, const TRect& rect, int index, bool pressed) override;
    TColor ViewColor() const override { return Color(); }

    void PaintFrame(TCanvas& canvas) override;
    void ColorChanged() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FocusEnter() override;
    void FocusExit() override;
    void EnabledChanged() override;
    void Loaded() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PaintSection(TCanvas& canvas, const TRect& rect, int index);
    void ApplyViewColors();
    void SortBy(int column, bool descending);
    // OnContextPopup, then PopupMenu unless the event handled it.
    void StandardPopup(TPoint pos);

    int m_lastSortedColumn = -1;
    int m_sortedColumn = -1;
    int m_formatUpdates = 0;
    TFcSortMarkPlacement m_sortMarkPlacement = TFcSortMarkPlacement::smpAfterText;
    bool m_columnClickSorts = false;
    bool m_stretchLastColumn = true;
    bool m_allowRowClickEdit = false;
    bool m_sortedDescending = false;
    bool m_defaultHeaderDrawing = true;
    bool m_fitting = false; // fitting while loading: the scroll bar kept free
    bool m_inFit = false;
    bool m_rightClick = false;
    bool m_menuHandled = false;
    TFcListHint m_infoTip{*this};
};

} // namespace vdx
