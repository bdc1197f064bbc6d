#pragma once
// The tree view's nodes as Qt's views see them: one column, a node's
// children as its rows, and the changes the node list reports.

#include "platform/gui/tree_view.h"

#include <QAbstractItemModel>

namespace vdx::gui {

class TTreeModel final : public QAbstractItemModel {
public:
    explicit TTreeModel(TCustomTreeView& tree) : m_tree(tree) {}

    TTreeNode* Node(const QModelIndex& index) const {
        return index.isValid() ? static_cast<TTreeNode*>(index.internalPointer())
                               : m_tree.m_items->m_root.get();
    }
    QModelIndex IndexOf(const TTreeNode* node) const {
        if (!node || !node->m_parent)
            return {};
        return createIndex(node->Index(), 0, const_cast<TTreeNode*>(node));
    }

    QModelIndex index(int row, int column, const QModelIndex& parent) const override {
        const TTreeNode* p = Node(parent);
        if (column != 0 || row < 0 || row >= p->Count())
            return {};
        return createIndex(row, 0, p->m_children[std::size_t(row)].get());
    }
    QModelIndex parent(const QModelIndex& child) const override {
        if (!child.isValid())
            return {};
        return IndexOf(Node(child)->m_parent);
    }
    int rowCount(const QModelIndex& parent) const override {
        return parent.column() > 0 ? 0 : Node(parent)->Count();
    }
    int columnCount(const QModelIndex&) const override { return 1; }
    bool hasChildren(const QModelIndex& parent) const override {
        return !parent.isValid() ? Node(parent)->Count() > 0 : Node(parent)->HasChildren();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole)
            return m_tree.NodeDisplayText(*Node(index));
        if (role == Qt::EditRole)
            return m_tree.EditStartText(*Node(index));
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (!m_tree.m_readOnly)
            f |= Qt::ItemIsEditable;
        return f;
    }

    void BeginInsert(TTreeNode* parent, int row) { beginInsertRows(IndexOf(parent), row, row); }
    void EndInsert() { endInsertRows(); }
    void BeginRemove(TTreeNode* parent, int row) { beginRemoveRows(IndexOf(parent), row, row); }
    void EndRemove() { endRemoveRows(); }
    void Changed(TTreeNode* node) {
        const QModelIndex i = IndexOf(node);
        if (i.isValid())
            emit dataChanged(i, i);
    }
    void BeginLayout() { emit layoutAboutToBeChanged(); }
    void EndLayout() {
        const QModelIndexList before = persistentIndexList();
        QModelIndexList after;
        for (const QModelIndex& i : before)
            after.push_back(IndexOf(Node(i)));
        changePersistentIndexList(before, after);
        emit layoutChanged();
    }

private:
    TCustomTreeView& m_tree;
};

} // namespace vdx::gui
