#pragma once
// The list view's items as Qt's views see them: one row an item, one column
// a list column, with the item's image, check box and colours.

#include "platform/gui/list_view.h"

#include <QAbstractTableModel>
#include <QPainter>
#include <QPixmap>

namespace vdx::gui {

// The model both views show: one row an item, one column a list column.
class TListModel final : public QAbstractTableModel {
public:
    explicit TListModel(TCustomListView& list) : m_list(list) {}

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : m_list.Items().Count();
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : std::max(1, m_list.ColumnCount());
    }
    TListItem* ItemOf(const QModelIndex& index) const {
        return index.isValid() ? m_list.Items().Item(index.row()) : nullptr;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        const TListItem* item = ItemOf(index);
        if (!item)
            return {};
        const int c = index.column();
        switch (role) {
        case Qt::DisplayRole:
            return m_list.ItemDisplayText(*item, c);
        case Qt::EditRole:
            return c == 0 ? m_list.EditStartText(*item) : m_list.ItemDisplayText(*item, c);
        case Qt::DecorationRole:
            return c == 0 ? Icon(*item) : QVariant();
        case Qt::CheckStateRole:
            if (c == 0 && m_list.Checkboxes())
                return item->Checked() ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::TextAlignmentRole:
            if (c < m_list.ColumnCount()) {
                switch (m_list.Column(c).Alignment) {
                case TColumnAlignment::taRightJustify:
                    return int(Qt::AlignRight | Qt::AlignVCenter);
                case TColumnAlignment::taCenter:
                    return int(Qt::AlignCenter);
                default:
                    break;
                }
            }
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::ForegroundRole:
            return ToQColor(item == m_list.DropHighlight() ? clHighlightText : clWindowText);
        case Qt::BackgroundRole:
            if (item == m_list.DropHighlight())
                return ToQColor(clHighlight);
            return {};
        default:
            return {};
        }
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        TListItem* item = ItemOf(index);
        if (!item)
            return false;
        if (role == Qt::CheckStateRole) {
            item->SetChecked(value.toInt() == Qt::Checked);
            return true;
        }
        if (role == Qt::EditRole && index.column() == 0) {
            m_list.Edit(item, m_list.EditedText(*item, value.toString()));
            return true;
        }
        return false;
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == 0) {
            if (m_list.Checkboxes())
                f |= Qt::ItemIsUserCheckable;
            if (!m_list.ReadOnly())
                f |= Qt::ItemIsEditable;
        }
        return f;
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o == Qt::Horizontal && role == Qt::DisplayRole && section < m_list.ColumnCount())
            return QString::fromLatin1(m_list.Column(section).Caption);
        return {};
    }
    void Reset() {
        beginResetModel();
        endResetModel();
    }
    // An edit closed without taking its text.
    void EditCancelled(const QModelIndex& index) {
        if (TListItem* item = ItemOf(index))
            m_list.Edit(item, std::nullopt);
    }
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    void BeginInsert(int row) { beginInsertRows({}, row, row); }
    void EndInsert() { endInsertRows(); }
    void BeginRemove(int row) { beginRemoveRows({}, row, row); }
    void EndRemove() { endRemoveRows(); }
    void RowChanged(int row) { emit dataChanged(index(row, 0), index(row, columnCount({}) - 1)); }

private:
    // The image with its overlay; a cut item's half shown.
    QVariant Icon(const TListItem& item) const {
        const TCustomImageList* images =
            m_list.ViewStyle() == TViewStyle::vsIcon ? m_list.LargeImages() : m_list.SmallImages();
        const int image = m_list.ItemImageIndex(item);
        if (!images || image < 0)
            return {};
        QPixmap pixmap(images->Width(), images->Height());
        pixmap.fill(Qt::transparent);
        {
            QPainter p(&pixmap);
            TCanvas canvas(p);
            p.save();
            if (item.Cut())
                p.setOpacity(0.5);
            images->Draw(canvas, 0, 0, image);
            p.restore();
            if (item.OverlayIndex() >= 0)
                images->Draw(canvas, 0, 0, images->OverlayImage(item.OverlayIndex() + 1));
        }
        return pixmap;
    }

    TCustomListView& m_list;
};

} // namespace vdx::gui
