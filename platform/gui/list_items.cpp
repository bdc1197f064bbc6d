#include "platform/gui/list_items.h"

#include "platform/gui/class_errors.h"
#include "platform/gui/list_model.h"
#include "platform/gui/list_view.h"

#include <QAbstractItemView>
#include <QScrollBar>

#include <algorithm>

namespace vdx::gui {

// Items.

void TListItem::Changed() {
    m_owner.Owner().ItemChanged(this);
}

void TListItem::SetCaption(std::string value) {
    m_caption = std::move(value);
    Changed();
}

void TListItem::SetSubItems(std::vector<std::string> value) {
    m_subItems = std::move(value);
    Changed();
}

void TListItem::SetImageIndex(int value) {
    m_imageIndex = value;
    Changed();
}

void TListItem::SetOverlayIndex(int value) {
    m_overlayIndex = value;
    Changed();
}

void TListItem::SetCut(bool value) {
    m_cut = value;
    Changed();
}

void TListItem::SetChecked(bool value) {
    if (m_checked == value)
        return;
    TCustomListView& list = m_owner.Owner();
    if (!list.CanChangeCheck(this, value))
        return;
    m_checked = value;
    Changed();
    list.CheckChanged(this);
}

int TListItem::Index() const {
    return m_owner.IndexOf(this);
}

bool TListItem::Selected() const {
    const QAbstractItemView& v = m_owner.Owner().View();
    return v.selectionModel()->isSelected(v.model()->index(Index(), 0));
}

void TListItem::SetSelected(bool value) {
    QAbstractItemView& v = m_owner.Owner().View();
    v.selectionModel()->select(
        v.model()->index(Index(), 0),
        (value ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
            QItemSelectionModel::Rows);
}

bool TListItem::Focused() const {
    return m_owner.Owner().View().currentIndex().row() == Index();
}

void TListItem::SetFocused(bool value) {
    QAbstractItemView& v = m_owner.Owner().View();
    if (value)
        v.selectionModel()->setCurrentIndex(v.model()->index(Index(), 0),
                                            QItemSelectionModel::NoUpdate);
    else if (Focused())
        v.selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
}

TRect TListItem::DisplayRect(TDisplayCode code) const {
    const TCustomListView& list = m_owner.Owner();
    QAbstractItemView& v = list.View();
    const QRect cell = v.visualRect(v.model()->index(Index(), 0));
    if (!cell.isValid())
        return {};
    const TCustomImageList* images =
        list.ViewStyle() == TViewStyle::vsIcon ? list.LargeImages() : list.SmallImages();
    const int iw = images ? images->Width() : 0;
    const int ih = images ? images->Height() : 0;
    switch (code) {
    case TDisplayCode::drIcon:
        if (list.ViewStyle() == TViewStyle::vsIcon)
            return FromQRect(QRect(cell.left() + (cell.width() - iw) / 2, cell.top(), iw, ih));
        return FromQRect(QRect(cell.left(), cell.top() + (cell.height() - ih) / 2, iw, ih));
    case TDisplayCode::drLabel:
        if (list.ViewStyle() == TViewStyle::vsIcon)
            return FromQRect(cell.adjusted(0, ih, 0, 0));
        return FromQRect(cell.adjusted(iw, 0, 0, 0));
    case TDisplayCode::drSelectBounds:
    case TDisplayCode::drBounds:
        break;
    }
    if (list.ViewStyle() == TViewStyle::vsReport)
        return FromQRect(
            QRect(cell.left(), cell.top(), v.viewport()->width() - cell.left(), cell.height()));
    return FromQRect(cell);
}

bool TListItem::EditCaption() {
    return m_owner.Owner().StartItemEdit(*this);
}

TListItems::~TListItems() = default;

int TListItems::IndexOf(const TListItem* item) const {
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == item)
            return int(i);
    return -1;
}

TListItem* TListItems::Item(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return m_items[std::size_t(index)].get();
}

TListItem* TListItems::Add(std::string caption) {
    return Insert(Count(), std::move(caption));
}

TListItem* TListItems::Insert(int index, std::string caption) {
    index = std::clamp(index, 0, Count());
    TListModel& model = *m_owner.m_model;
    model.BeginInsert(index);
    auto* item = new TListItem(*this, std::move(caption));
    m_items.insert(m_items.begin() + index, std::unique_ptr<TListItem>(item));
    model.EndInsert();
    return item;
}

void TListItems::Delete(int index) {
    TListItem* item = Item(index);
    m_owner.Delete(item);
    if (m_owner.m_dropHighlight == item)
        m_owner.m_dropHighlight = nullptr;
    index = IndexOf(item); // the hook may have moved it
    if (index < 0)
        return;
    TListModel& model = *m_owner.m_model;
    model.BeginRemove(index);
    m_items.erase(m_items.begin() + index);
    model.EndRemove();
}

void TListItems::Clear() {
    for (const auto& item : m_items)
        m_owner.Delete(item.get());
    m_owner.m_dropHighlight = nullptr;
    m_owner.m_model->BeginReset();
    m_items.clear();
    m_owner.m_model->EndReset();
}

void TListItems::EndUpdate() {
    if (m_updates > 0 && --m_updates == 0)
        m_owner.InvalidateView();
}

} // namespace vdx::gui
