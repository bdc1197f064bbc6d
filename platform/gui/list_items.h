#pragma once
// The list view's items (TListItem) and their list (TListItems): what the
// view shows, one row an item. An item tells its view what changed; the view
// and its model live in list_view.

#include "platform/gui/geometry.h"

#include <memory>
#include <string>
#include <vector>

namespace vdx::gui {

class TCustomListView;
class TListItems;
class TListModel;

enum class TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };

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

} // namespace vdx::gui
