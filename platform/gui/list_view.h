#pragma once
// The class library's list view on Qt: items (TListItem) with a caption and
// sub-items in an item list (TListItems), columns (TListColumn), shown by a
// QTreeView in report view and by a QListView in the icon, small icon and
// list views; both share one model. The header is a QHeaderView whose
// sections are painted through PaintHeaderSection on a TCanvas. Like the
// tree view, the list view is not a widget itself: the control that derives
// from it is the host, and the views are its children. Client coordinates
// are the shown view's viewport's.

#include "platform/gui/canvas.h"
#include "platform/gui/color.h"
#include "platform/gui/geometry.h"
#include "platform/gui/image_list.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAbstractItemView;
class QHeaderView;
class QObject;
class QWidget;

namespace vdx::gui {

class TCustomListView;
class TListItems;
class TListModel;
class TListViewHeader;

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum class TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };
enum class TColumnAlignment { taLeftJustify, taRightJustify, taCenter };

class TListItemData {
public:
    virtual ~TListItemData() = default;
};

class TListItem {
public:
    TListItem(const TListItem&) = delete;
    TListItem& operator=(const TListItem&) = delete;

    TListItems& Owner() const noexcept { return m_owner; }
    const std::string& Caption() const noexcept { return m_caption; }
    void SetCaption(std::string value);
    // Sub-item n is the text of column n + 1.
    const std::vector<std::string>& SubItems() const noexcept { return m_subItems; }
    void SetSubItems(std::vector<std::string> value);
    TListItemData* Data() const noexcept { return m_data.get(); }
    void SetData(std::unique_ptr<TListItemData> data) { m_data = std::move(data); }

    int ImageIndex() const noexcept { return m_imageIndex; }
    void SetImageIndex(int value);
    // The overlay image (-1 none; n draws the image list's image n + 1 over).
    int OverlayIndex() const noexcept { return m_overlayIndex; }
    void SetOverlayIndex(int value);
    // Drawn ghosted (a cut item).
    bool Cut() const noexcept { return m_cut; }
    void SetCut(bool value);
    bool Checked() const noexcept { return m_checked; }
    // Through the view's check-change hooks, which may refuse it.
    void SetChecked(bool value);

    int Index() const;
    bool Selected() const;
    void SetSelected(bool value);
    bool Focused() const;
    void SetFocused(bool value);
    TRect DisplayRect(TDisplayCode code) const;
    // Starts editing the caption in place (CanEdit decides).
    bool EditCaption();

private:
    friend class TListItems;
    friend class TListModel;
    friend class TCustomListView;
    TListItem(TListItems& owner, std::string caption)
        : m_owner(owner), m_caption(std::move(caption)) {}
    void Changed();

    TListItems& m_owner;
    std::string m_caption;
    std::vector<std::string> m_subItems;
    std::unique_ptr<TListItemData> m_data;
    int m_imageIndex = -1;
    int m_overlayIndex = -1;
    bool m_cut = false;
    bool m_checked = false;
};

class TListItems {
public:
    explicit TListItems(TCustomListView& owner) : m_owner(owner) {}
    ~TListItems();
    TListItems(const TListItems&) = delete;
    TListItems& operator=(const TListItems&) = delete;

    TCustomListView& Owner() const noexcept { return m_owner; }
    int Count() const noexcept { return int(m_items.size()); }
    // Throws EListError out of range.
    TListItem* Item(int index) const;
    TListItem* Add(std::string caption = {});
    TListItem* Insert(int index, std::string caption = {});
    void Delete(int index);
    void Clear();
    void BeginUpdate() { ++m_updates; }
    void EndUpdate();
    int UpdateCount() const noexcept { return m_updates; }
    int IndexOf(const TListItem* item) const;

private:
    friend class TListModel;
    friend class TCustomListView;
    TCustomListView& m_owner;
    std::vector<std::unique_ptr<TListItem>> m_items;
    int m_updates = 0;
};

struct TListColumn {
    std::string Caption;
    int Width = 50;
    TColumnAlignment Alignment = TColumnAlignment::taLeftJustify;
    int ImageIndex = -1;
};

// Negative when a comes before b.
using TLVCompare = std::function<int(const TListItem& a, const TListItem& b)>;
using TLVColumnClickEvent = std::function<void(QObject* sender, int column)>;
using TLVEditingEvent = std::function<void(QObject* sender, TListItem* item, bool& allow)>;
using TLVEditedEvent = std::function<void(QObject* sender, TListItem* item, std::string& text)>;

class TCustomListView {
public:
    explicit TCustomListView(QWidget& host);
    virtual ~TCustomListView();
    TCustomListView(const TCustomListView&) = delete;
    TCustomListView& operator=(const TCustomListView&) = delete;

    QWidget& Host() const noexcept { return m_host; }
    // The view of the current style.
    QAbstractItemView& View() const noexcept;
    QHeaderView& Header() const noexcept;
    TListItems& Items() noexcept { return *m_items; }
    const TListItems& Items() const noexcept { return *m_items; }
    void SetViewBounds(const TRect& bounds);

    // Columns (report view).
    int ColumnCount() const noexcept { return int(m_columns.size()); }
    const TListColumn& Column(int index) const { return m_columns.at(std::size_t(index)); }
    void AddColumn(TListColumn column);
    void SetColumn(int index, TListColumn column);
    // The width shown (the header's section size).
    int ColumnWidth(int index) const;
    void SetColumnWidth(int index, int width);
    void ClearColumns();

    TViewStyle ViewStyle() const noexcept { return m_viewStyle; }
    virtual void SetViewStyle(TViewStyle value);
    bool Checkboxes() const noexcept { return m_checkboxes; }
    void SetCheckboxes(bool value);
    bool RowSelect() const noexcept { return m_rowSelect; }
    void SetRowSelect(bool value);
    bool ReadOnly() const noexcept { return m_readOnly; }
    void SetReadOnly(bool value) noexcept { m_readOnly = value; }
    bool MultiSelect() const noexcept { return m_multiSelect; }
    void SetMultiSelect(bool value);
    TCustomImageList* SmallImages() const noexcept { return m_smallLink.Images(); }
    void SetSmallImages(TCustomImageList* images);
    TCustomImageList* LargeImages() const noexcept { return m_largeLink.Images(); }
    void SetLargeImages(TCustomImageList* images);

    TListItem* Selected() const;
    void SetSelected(TListItem* item);
    int SelCount() const;
    TListItem* ItemFocused() const;
    void SetItemFocused(TListItem* item);
    TListItem* GetItemAt(int x, int y) const;
    bool IsEditing() const;
    // The item drawn as the target of a drag over the list (nullptr: none).
    TListItem* DropHighlight() const noexcept { return m_dropHighlight; }
    void SetDropHighlight(TListItem* item);
    // Sorts stably by compare.
    void CustomSort(const TLVCompare& compare);
    // The viewport's width.
    int ViewClientWidth() const;
    // A vertical scroll bar's width.
    int ScrollBarWidth() const;
    // Scrolls the view by pixels (LVM_SCROLL); the report view rounds dy
    // to whole rows, at least one.
    void Scroll(int dx, int dy);

    TLVColumnClickEvent OnColumnClick;
    TLVEditingEvent OnEditing;
    TLVEditedEvent OnEdited;

    QObject* Sender() const noexcept;
    // Asked by the views before an in-place edit starts; click is where a
    // click started it (nullopt: the keyboard or EditCaption).
    bool EditAllowed(TListItem* item, std::optional<TPoint> click);

protected:
    // A column header clicked; fires OnColumnClick.
    virtual void ColClick(int column);
    // A check box is about to change: false refuses it.
    virtual bool CanChangeCheck(TListItem* item, bool newChecked);
    virtual void CheckChanged(TListItem* item);
    virtual bool CanEdit(TListItem* item); // fires OnEditing
    // The base asks CanEdit.
    virtual bool CanEditAt(TListItem* item, std::optional<TPoint> click);
    // The edit ended; nullopt when cancelled. The base fires OnEdited and takes the text.
    virtual void Edit(TListItem* item, const std::optional<std::string>& text);
    // The view's keys before its own handling (Qt key codes; 0 swallows).
    virtual void KeyDown(int& key, Qt::KeyboardModifiers shift);
    // A right click released at pos; the menu asked for by the mouse or
    // (nullopt) the keyboard.
    virtual void RightClicked(TPoint pos);
    virtual void ContextMenuRequested(std::optional<TPoint> pos);
    // Header sections changed size (a divider dragged or double-clicked).
    virtual void HeaderResized();
    // Paints one header section (the default: caption on button face).
    virtual void PaintHeaderSection(TCanvas& canvas, const TRect& rect, int index, bool pressed);
    // The items' background and text colour.
    virtual TColor ViewColor() const;
    // The text a cell shows (the default: the caption or sub-item's bytes
    // as Latin-1).
    virtual QString ItemDisplayText(const TListItem& item, int column) const;
    // What the editor starts with, and the caption bytes typed text gives.
    virtual QString EditStartText(const TListItem& item) const;
    virtual std::string EditedText(const TListItem& item, const QString& typed) const;
    // The image an item shows (the default: its ImageIndex).
    virtual int ItemImageIndex(const TListItem& item) const;
    // An item is about to be removed (Delete or Clear).
    virtual void Delete(TListItem* item);
    // The mouse moved the start-drag distance with the left or right button
    // held since it was pressed on item (LVN_BEGINDRAG, LVN_BEGINRDRAG);
    // true when a drag ran, which took the release.
    virtual bool BeginItemDrag(TListItem* item, Qt::MouseButton button);
    // A left double click at pos.
    virtual void DoubleClicked(TPoint pos);
    // A wheel turn over the view; true when it was handled here.
    virtual bool MouseWheel(int delta, Qt::KeyboardModifiers shift);
    // The mouse moved over the view to pos, after the view's own handling
    // (buttons held or not).
    virtual void MouseMoved(TPoint pos);
    // Repaints the header.
    void InvalidateHeader();
    void InvalidateView();

private:
    friend class TListItem;
    friend class TListItems;
    friend class TListModel;
    friend class TListViewHeader;
    void ItemChanged(TListItem* item);
    void ReloadAll();
    void ApplyViewStyle();
    std::vector<int> SelectedRows() const;

    QWidget& m_host;
    std::unique_ptr<TListItems> m_items;
    std::unique_ptr<TListModel> m_model;
    QAbstractItemView* m_report; // a QTreeView; children of the host
    QAbstractItemView* m_icons;  // a QListView
    TListViewHeader* m_header;
    std::vector<TListColumn> m_columns;
    TChangeLink m_smallLink;
    TChangeLink m_largeLink;
    TViewStyle m_viewStyle = TViewStyle::vsIcon;
    bool m_checkboxes = false;
    bool m_rowSelect = false;
    bool m_readOnly = false;
    bool m_multiSelect = false;
    bool m_sectionPressed = false;
    TRect m_bounds;
    TListItem* m_dropHighlight = nullptr;
};

} // namespace vdx::gui
