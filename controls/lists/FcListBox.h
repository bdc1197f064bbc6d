#pragma once
// The framed list box of the library: a list box that paints its rows itself
// (so rows, selection and tab stops look the same on every machine) with the
// framing and state colours of the framed-control contract, incremental
// search by typed prefix, an optional horizontal scroll bar whose extent
// follows the widest item, hints for items wider than the box, and group
// items (items starting with a prefix) painted as section headers when the
// rows are owner-drawn. The items (FcListItems), the selection and keyboard
// rules (FcListSelection) and the item hint (FcListHint) live apart; the
// list box joins them to its window.
//
// The frame margin holds the platform border (a sunken two-pixel edge with
// bsSingle) and the scroll bars, as the non-client area does on Windows, so
// ClientWidth and ClientHeight are the area the rows are painted in.
//
// Rows are one ItemHeight high, except in lbOwnerDrawVariable, where
// OnMeasureItem gives each item its height as it is added. With Columns the
// items run down the columns and the list scrolls sideways by columns (rows
// then have one height again). The virtual styles keep no items at all:
// Count says how many there are, OnData gives a text when a row is painted
// and OnDataFind answers the incremental search, so the cost of a list
// follows what is shown, not how many items it has.

#include "controls/base/FcDraw.h"
#include "controls/base/FcFramedControl.h"
#include "controls/base/FcGrafx.h"
#include "controls/lists/FcListHint.h"
#include "controls/lists/FcListItems.h"
#include "controls/lists/FcListSelection.h"
#include "platform/gui/class_errors.h"
#include "platform/gui/enum_set.h"
#include "platform/gui/text_layout.h"

#include <QFontMetrics>

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QScrollBar;
class QTimer;

namespace vdx {

enum class TListBoxStyle : std::uint8_t {
    lbStandard,
    lbOwnerDrawFixed,
    lbOwnerDrawVariable, // rows of OnMeasureItem's heights (one height with Columns)
    lbVirtual,
    lbVirtualOwnerDraw
};

enum class TOwnerDrawStateItem : std::uint16_t {
    odSelected = 0x0001,
    odGrayed = 0x0002,
    odDisabled = 0x0004,
    odChecked = 0x0008,
    odFocused = 0x0010,
    odDefault = 0x0020,
    odNoAccel = 0x0100,
    odNoFocusRect = 0x0200
};
using TOwnerDrawState = gui::TEnumSet<TOwnerDrawStateItem>;

// The pause after which typed characters start a new search (ms).
inline constexpr int kIncrementalSearchTimeout = 1500;
// The platform's scroll bar thickness.
inline constexpr int kScrollBarSize = 16;

// Dialog units (quarters of the average character width) as pixels, rounded
// as MulDiv does.
int DialogUnitsToPixels(int units, int aveCharWidth) noexcept;

// The client height a list box with IntegralHeight keeps: whole rows of
// itemHeight; a client area of one row or less is left as it is.
constexpr int IntegralClientHeight(int clientHeight, int itemHeight) noexcept {
    if (itemHeight <= 0 || clientHeight <= itemHeight)
        return clientHeight;
    return clientHeight - clientHeight % itemHeight;
}
// The width of one column of a multi-column list box (at least 1).
constexpr int ColumnWidthFor(int clientWidth, int columns) noexcept {
    return columns > 0 && clientWidth / columns > 1 ? clientWidth / columns : 1;
}

// Text widths in one font, as the screen measures them.
class TFcTextMeasure {
public:
    explicit TFcTextMeasure(const TFont& font);
    int Width(std::string_view text) const;
    // A measurer for the text layout routines (valid while this object is).
    gui::TTextMeasurer Measurer(int aveCharWidth) const;

private:
    QFontMetrics m_metrics;
};

class TFcCustomListBox : public TFcFramedControl {
    Q_OBJECT

public:
    explicit TFcCustomListBox(QWidget* parent = nullptr);
    ~TFcCustomListBox() override;

    // The displayed colour by state: disabled, focused, else the normal one.
    void UpdateColors() override;
    // Records the mouse-over state (isMouse) and repaints the frame when it
    // follows the hot state.
    virtual int GetOwnerDrawIndent() const;
    // At least the height the font needs.
    virtual void AdjustItemHeight();
    // Text put before every item when extents are measured.
    virtual std::string GetExtentPrefix() const;
    virtual void GroupFontChanged();
    // The first item starting with text, without regard to case; -1 if none.
    virtual int FindItem(std::string_view text) const;
    virtual void DoDrawItem(TCanvas& canvas, int index, TRect rect, TOwnerDrawState state);
    virtual void DrawGroupItem(TCanvas& canvas, int index, TRect rect, TOwnerDrawState state);
    // Writing the link always registers anew, so the settings are pushed.
    void SetFrameController(TFcFrameController* value) override;
    // Kept and applied as a 16-bit value.
    virtual void SetHorzExtent(int value);
    virtual void SetHorzScrollBar(bool value);
    virtual void SetOwnerDrawIndent(int value);
    virtual TFcListBoxStrings& GetItems();
    virtual void SetGroupPrefix(const std::string& value);
    virtual void SetGroupColor(TColor value);
    virtual void SetGroupColorFromTheme(bool value);
    virtual void SetGroupFont(const TFont& value);
    virtual void SetUseGradients(bool value);
    // The item starts with GroupPrefix (case-sensitive); false out of range.
    virtual bool IsGroupItem(int index) const;
    // True forces owner-drawn rows.
    virtual void SetShowGroups(bool value);
    // The extent from the widest item (only with HorzScrollBar).
    virtual void UpdateHorzExtent();
    virtual void DefaultDrawItem(TCanvas& canvas, int index, TRect rect, TOwnerDrawState state);
    virtual bool ItemHasGroup(int index) const;
    // The nearest group item at or above index; -1 when there is none (the
    // items above are read, in a virtual list through OnData).
    virtual int GetGroupIndex(int index) const;
    // How many group items come before the group item index; -1 for any
    // other index.
    virtual int GetGroupNumber(int index) const;
    // With MultiSelect, selects every item.
    virtual void SelectAll();
    // The item without the group prefix; empty out of range.
    std::string GetItemText(int index) const;
    // Beeps when BeepOnInvalidKey.
    void InvalidKeyPressed();

    // The search timer's tick: forgets the typed prefix.
    void SearchTimerExpired();
    const std::string& SearchString() const noexcept { return m_selection.SearchString(); }
    const QTimer& SearchTimer() const noexcept { return *m_searchTimer; }

    void Loaded() override;

    // The stored items; in the virtual styles there are none.
    TFcListBoxStrings& Items() noexcept { return m_items; }
    const TFcListBoxStrings& Items() const noexcept { return m_items; }
    // The number of items: the stored ones, or in the virtual styles the
    // count set.
    int Count() const noexcept { return IsVirtual() ? m_virtualCount : m_items.Count(); }
    // Only in the virtual styles: throws std::logic_error otherwise, and
    // std::invalid_argument for a negative value. Items past a smaller
    // count leave the selection.
    void SetCount(int value);
    // Removes every item (a virtual list's count becomes 0).
    void Clear() { m_items.Clear(); }
    // lbVirtual or lbVirtualOwnerDraw.
    bool IsVirtual() const noexcept {
        return m_style == TListBoxStyle::lbVirtual || m_style == TListBoxStyle::lbVirtualOwnerDraw;
    }
    // The object of item index: in the virtual styles OnDataObject's
    // answer; stored items carry none. Throws gui::EListError for an index
    // that is no item.
    std::any ItemObject(int index) const;

    // The selected item (the caret item with MultiSelect); -1 for none.
    int ItemIndex() const noexcept;
    void SetItemIndex(int value);
    bool Selected(int index) const;
    void SetSelected(int index, bool value);
    int SelCount() const noexcept;
    void ClearSelection();
    // The item with the focus rectangle.
    int CaretIndex() const noexcept { return m_selection.CaretIndex(); }
    void SetCaretIndex(int value);
    // The first row shown.
    int TopIndex() const noexcept { return m_topIndex; }
    void SetTopIndex(int value);
    // The height of a row; in lbOwnerDrawVariable the height OnMeasureItem
    // starts from.
    int ItemHeight() const noexcept { return m_itemHeight; }
    // Values below 1 are ignored; in lbOwnerDrawVariable every item is
    // measured again.
    void SetItemHeight(int value);
    // The item under point p (client coordinates); for a point on no item
    // -1, or Count with existing false. Only the rows in view are looked at.
    int ItemAtPos(TPoint p, bool existing) const;
    // The row of index in client coordinates (also for items scrolled out
    // of view).
    TRect ItemRect(int index) const;
    // Columns shown side by side (0: one column and vertical scrolling);
    // below 0 counts as 0.
    int Columns() const noexcept { return m_columns; }
    void SetColumns(int value);
    // The client height is kept to whole rows (not with variable heights).
    bool IntegralHeight() const noexcept { return m_integralHeight; }
    void SetIntegralHeight(bool value);
    // The input method settings; the list box takes no composed text on
    // this platform, so they are kept only.
    gui::TImeMode ImeMode() const noexcept { return m_imeMode; }
    void SetImeMode(gui::TImeMode value) noexcept { m_imeMode = value; }
    const std::string& ImeName() const noexcept { return m_imeName; }
    void SetImeName(const std::string& value) { m_imeName = value; }
    // The horizontal extent the rows scroll over.
    std::uint16_t HorzExtent() const noexcept { return m_horzExtent; }
    int HorzScrollPos() const noexcept { return m_horzPos; }
    bool MultiSelect() const noexcept { return m_selection.MultiSelect(); }
    void SetMultiSelect(bool value);
    bool ExtendedSelect() const noexcept { return m_selection.ExtendedSelect(); }
    void SetExtendedSelect(bool value);
    // A sorted list keeps its items in order without regard to case.
    bool Sorted() const noexcept { return m_items.Sorted(); }
    void SetSorted(bool value);
    TListBoxStyle Style() const noexcept { return m_style; }
    void SetStyle(TListBoxStyle value);
    TBorderStyle BorderStyle() const noexcept { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle value);

    bool IncrementalSearch() const noexcept { return m_incrementalSearch; }
    void SetIncrementalSearch(bool value) noexcept { m_incrementalSearch = value; }
    bool BeepOnInvalidKey() const noexcept { return m_beepOnInvalidKey; }
    void SetBeepOnInvalidKey(bool value) noexcept { m_beepOnInvalidKey = value; }
    bool HorzScrollBar() const noexcept { return m_horzScrollBar; }
    bool TabOnEnter() const noexcept { return m_tabOnEnter; }
    void SetTabOnEnter(bool value) noexcept { m_tabOnEnter = value; }
    int OwnerDrawIndent() const noexcept { return m_ownerDrawIndent; }
    bool ShowItemHints() const noexcept { return m_showItemHints; }
    void SetShowItemHints(bool value);
    bool UseGradients() const noexcept { return m_useGradients; }
    TColor GroupColor() const noexcept { return m_groupColor; }
    bool GroupColorFromTheme() const noexcept { return m_groupColorFromTheme; }
    const TFont& GroupFont() const noexcept { return m_groupFont; }
    bool GroupFontChangedFlag() const noexcept { return m_groupFontChanged; }
    const std::string& GroupPrefix() const noexcept { return m_groupPrefix; }
    bool ShowGroups() const noexcept { return m_showGroups; }
    // Whether the item hint window is on screen.
    bool ItemHintShowing() const;

    // Replaces the default row painting of the owner-drawn styles.
    std::function<void(QObject* sender, TCanvas& canvas, int index, TRect rect,
                       TOwnerDrawState state)>
        OnDrawItem;
    // An incremental search selected an item.
    std::function<void(QObject* sender)> OnMatch;
    // Exposed for forms; nothing here fires it.
    std::function<void(QObject* sender)> OnDeleteItems;
    // The height of item index in lbOwnerDrawVariable (height comes in as
    // ItemHeight; below 1 counts as 1). Asked when the item is added and
    // when the window is made anew.
    std::function<void(QObject* sender, int index, int& height)> OnMeasureItem;
    // The virtual styles: the text of item index, asked only for the items
    // painted, hinted or read.
    std::function<void(QObject* sender, int index, std::string& data)> OnData;
    // The object of item index (ItemObject).
    std::function<void(QObject* sender, int index, std::any& dataObject)> OnDataObject;
    // The item the incremental search selects for the text typed so far;
    // -1 (or any index that is no item) for none.
    std::function<int(QObject* sender, const std::string& findString)> OnDataFind;

    // A typed character (the platform's character message). Public so that
    // forms and tests can type without a keyboard.
    void HandleChar(char key);

protected:
    // After an item message, as the window procedure sees it.
    virtual void ItemsMessage(TListBoxMessage message);
    // After the font changed.
    void FontChanged() override;
    // A shown or hidden frame changes the window.
    void FrameVisibleChanged() override { RecreateWnd(); }
    // The window was (re)created: scroll bars, extent, tab stops.
    virtual void CreateWnd();
    // Tabs in items expand to the tab stops (the window style).
    virtual bool UsesTabStops() const { return false; }
    virtual void Match();
    virtual void DoDeleteItems();
    // The platform's beep.
    virtual void Beep();
    // Sets the tab stops of the rows in dialog units (empty: every 8
    // average characters).
    void SetWindowTabStops(std::vector<int> dialogUnits);
    const std::vector<int>& WindowTabStops() const noexcept { return m_windowTabStops; }
    // The window's tab stops in pixels.
    std::vector<int> WindowTabStopPixels() const;
    // Recreates the window (the style changed).
    void RecreateWnd();
    // The text of an item: the stored one, or OnData's in the virtual styles
    // (asked once per item while a paint or hint is under way).
    std::string ItemString(int index) const;
    // The virtual styles' requests.
    virtual std::string DoGetData(int index) const;
    virtual std::any DoGetDataObject(int index) const;
    virtual int DoFindData(const std::string& text) const;
    // The height of item index in lbOwnerDrawVariable: fires OnMeasureItem.
    virtual void MeasureItem(int index, int& height) const;
    // Shows (or hides) the hint of the item under (x, y).
    void ShowItemHint(int x, int y);
    void HideItemHint();
    // Paints one owner-drawn row (the platform's draw-item request).
    void DrawItemRequest(TCanvas& canvas, int index, TRect rect, TOwnerDrawState state);
    // The background of a group header and its font and text colour on
    // canvas, as every header painter starts.
    void PaintGroupBackground(TCanvas& canvas, const TRect& rect, TOwnerDrawState state);

    void PaintFrame(TCanvas& canvas) override;
    void PaintClient(TCanvas& canvas) override;
    void ColorChanged() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FocusEnter() override;
    void FocusExit() override;
    void EnabledChanged() override;

    // The reading order and Ctl3D are window styles: the window is made
    // anew.
    void BiDiModeChanged() override { RecreateWnd(); }
    void Ctl3DChanged() override { RecreateWnd(); }

    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    // The item list tells the view of a change.
    class TItemsLink final : public TFcListItemsObserver {
    public:
        explicit TItemsLink(TFcCustomListBox& box) noexcept : m_box(box) {}
        void ItemInserted(int index, TListBoxMessage message) override {
            m_box.AfterInsert(index, message);
        }
        void ItemDeleted(int index) override { m_box.AfterDelete(index); }
        void ItemsCleared() override { m_box.AfterReset(); }
        void ItemsUpdateEnded() override { m_box.AfterUpdate(); }
        void ItemReplacing(int index) override { m_box.BeforeReplace(index); }
        void ItemReplaced(int index) override { m_box.AfterReplace(index); }

    private:
        TFcCustomListBox& m_box;
    };
    void AfterInsert(int index, TListBoxMessage message);
    void AfterDelete(int index);
    void AfterReset();
    void AfterSort();
    void AfterUpdate();
    void BeforeReplace(int index);
    void AfterReplace(int index);
    // Rows that fit wholly into the client area from TopIndex (at least 1);
    // in a multi-column view the rows of a column.
    int VisibleRows() const;
    int MaxTopIndex() const;
    // The same for a client area of clientHeight (and clientWidth).
    int MaxTopIndexFor(int clientWidth, int clientHeight) const;
    void UpdateScrollBars();
    // The scroll bars and the client area for the current size.
    void LayoutScrollBars();
    // Shrinks the control to whole rows; true when it did.
    bool ApplyIntegralHeight();
    // Heights differ per item: lbOwnerDrawVariable without Columns.
    bool VariableHeights() const noexcept {
        return m_style == TListBoxStyle::lbOwnerDrawVariable && m_columns == 0;
    }
    bool MultiColumn() const noexcept { return m_columns > 0; }
    int RowHeight(int index) const;
    int ColumnWidth() const { return ColumnWidthFor(ClientWidth(), m_columns); }
    // Items of one column for a client area of clientHeight.
    int RowsPerColumn(int clientHeight) const;
    // Whole columns in view (at least 1).
    int ColumnsInView() const;
    // Measures every item again (or forgets the heights).
    void MeasureItems();
    int MeasuredHeight(int index) const;
    // The items shown, from TopIndex on, with their rows.
    struct TShownItem {
        int Index;
        TRect Rect;
    };
    std::vector<TShownItem> ShownItems() const;
    // The item a drag at p (client coordinates) reaches, clamped to the
    // items; Count must be above 0.
    int DragIndexAt(QPoint p) const;
    // Keeps the texts OnData gives for the time of a paint or hint.
    class TDataScope;
    // Selects the first item starting with text and remembers text; a
    // failed search beeps and keeps the old prefix.
    void SearchFor(const std::string& text, char key);
    // The keyboard's navigation (the platform list box's own handling).
    void NavigateKey(int key, Qt::KeyboardModifiers modifiers);
    void MoveCaretTo(int index, Qt::KeyboardModifiers modifiers);
    // The view follows a keyboard step; a click is reported when it asks.
    void FollowMove(TFcListMove move);
    void SelectByMouse(int index, Qt::KeyboardModifiers modifiers, bool press);
    void ScrollIntoView(int index);
    void PlatformCharSearch(char key);
    bool OwnerDrawn() const noexcept { return m_style != TListBoxStyle::lbStandard; }
    // The platform border: a sunken edge, or a flat line without Ctl3D.
    int BorderThickness() const noexcept;
    void PaintStandardRow(TCanvas& canvas, int index, TRect rect);
    bool FocusRectShown() const;

    TItemsLink m_itemsLink{*this};
    TFcListBoxStrings m_items{m_itemsLink};
    TFcListSelection m_selection;
    TFcListHint m_hint{*this};
    // The selection Put keeps over its delete and insert.
    int m_replaceItemIndex = -1;
    bool m_replaceSelected = false;
    bool m_incrementalSearch = true;
    bool m_beepOnInvalidKey = true;
    std::uint16_t m_horzExtent = 0;
    bool m_horzScrollBar = false;
    std::unique_ptr<QTimer> m_searchTimer;
    int m_keyInProgress = 0;
    bool m_tabOnEnter = false;
    int m_ownerDrawIndent = 0;
    bool m_showItemHints = true;
    bool m_useGradients = true;
    TColor m_groupColor = gui::clInactiveCaptionText;
    bool m_groupColorFromTheme = true;
    TFont m_groupFont;
    bool m_groupFontChanged = false;
    std::string m_groupPrefix = "//";
    bool m_showGroups = false;

    TListBoxStyle m_style = TListBoxStyle::lbStandard;
    TBorderStyle m_borderStyle = TBorderStyle::bsSingle;
    int m_itemHeight = 16;
    int m_topIndex = 0;
    int m_horzPos = 0;
    int m_tabUnitWidth = 6; // the average character width of the font
    std::vector<int> m_windowTabStops;
    bool m_hideFocus = true; // no focus rectangle until the keyboard is used
    bool m_mouseSelecting = false;
    int m_pressIndex = -1;
    int m_virtualCount = 0;
    int m_columns = 0;
    bool m_integralHeight = false;
    bool m_sizing = false; // IntegralHeight is resizing the control
    gui::TImeMode m_imeMode = gui::TImeMode::imDontCare;
    std::string m_imeName;
    std::vector<int> m_itemHeights; // per item, with VariableHeights only
    // The last text OnData gave, while a data scope is open.
    mutable int m_dataScopes = 0;
    mutable int m_dataIndex = -1;
    mutable std::string m_dataText;
    QScrollBar* m_vertBar = nullptr; // children, owned by Qt's parent tree
    QScrollBar* m_horzBar = nullptr;
};

} // namespace vdx

Q_DECLARE_METATYPE(vdx::TListBoxStyle)
