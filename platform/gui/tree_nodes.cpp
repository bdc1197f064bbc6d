#include "platform/gui/tree_nodes.h"

#include "platform/gui/class_errors.h"
#include "platform/gui/tree_model.h"
#include "platform/gui/tree_view.h"
#include "platform/gui/update_guard.h"

#include <QTreeView>

#include <algorithm>
#include <utility>

namespace vdx::gui {

// ---- nodes ----------------------------------------------------------------

TTreeNode::TTreeNode(TTreeNodes& owner, TTreeNode* parent, std::string text)
    : m_owner(owner), m_parent(parent), m_text(std::move(text)) {}

TTreeNode::~TTreeNode() = default;

TCustomTreeView& TTreeNode::TreeView() const noexcept {
    return m_owner.Owner();
}

void TTreeNode::Changed() {
    if (m_parent)
        TreeView().NodeChanged(this);
}

void TTreeNode::SetText(std::string text) {
    if (m_text == text)
        return;
    m_text = std::move(text);
    Changed();
}

void TTreeNode::SetImageIndex(int value) {
    if (m_imageIndex == value)
        return;
    m_imageIndex = value;
    Changed();
}

void TTreeNode::SetSelectedIndex(int value) {
    if (m_selectedIndex == value)
        return;
    m_selectedIndex = value;
    Changed();
}

void TTreeNode::SetOverlayIndex(int value) {
    if (m_overlayIndex == value)
        return;
    m_overlayIndex = value;
    Changed();
}

void TTreeNode::SetCut(bool value) {
    if (m_cut == value)
        return;
    m_cut = value;
    Changed();
}

void TTreeNode::SetHasChildren(bool value) {
    if (m_hasChildren == value)
        return;
    m_hasChildren = value;
    if (!HasChildren())
        m_expanded = false;
    Changed();
}

bool TTreeNode::Selected() const {
    return TreeView().Selected() == this;
}

void TTreeNode::SetSelected(bool value) {
    if (value)
        TreeView().SetSelected(this);
    else if (Selected())
        TreeView().SetSelected(nullptr);
}

int TTreeNode::Level() const {
    int level = 0;
    for (const TTreeNode* p = Parent(); p; p = p->Parent())
        ++level;
    return level;
}

TTreeNode* TTreeNode::Item(int index) const {
    if (index < 0 || index >= Count())
        throw EListError("Tree view index out of range (" + std::to_string(index) + ")");
    return m_children[std::size_t(index)].get();
}

TTreeNode* TTreeNode::GetFirstChild() const {
    return m_children.empty() ? nullptr : m_children.front().get();
}

TTreeNode* TTreeNode::GetLastChild() const {
    return m_children.empty() ? nullptr : m_children.back().get();
}

int TTreeNode::Index() const {
    if (!m_parent)
        return -1;
    const auto& siblings = m_parent->m_children;
    for (std::size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this)
            return static_cast<int>(i);
    return -1;
}

TTreeNode* TTreeNode::GetNextSibling() const {
    if (!m_parent)
        return nullptr;
    const int i = Index();
    return i + 1 < m_parent->Count() ? m_parent->m_children[std::size_t(i + 1)].get() : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
    if (!m_parent)
        return nullptr;
    const int i = Index();
    return i > 0 ? m_parent->m_children[std::size_t(i - 1)].get() : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
    if (TTreeNode* child = GetFirstChild())
        return child;
    for (const TTreeNode* n = this; n && n->m_parent; n = n->m_parent)
        if (TTreeNode* next = n->GetNextSibling())
            return next;
    return nullptr;
}

int TTreeNode::AbsoluteIndex() const {
    int index = 0;
    for (TTreeNode* n = m_owner.GetFirstNode(); n; n = n->GetNext(), ++index)
        if (n == this)
            return index;
    return -1;
}

bool TTreeNode::HasAsParent(const TTreeNode* node) const {
    if (!node)
        return false;
    for (const TTreeNode* p = Parent(); p; p = p->Parent())
        if (p == node)
            return true;
    return false;
}

void TTreeNode::Expand(bool recurse) {
    TreeView().ExpandNode(this, recurse);
}

void TTreeNode::Collapse(bool recurse) {
    TreeView().CollapseNode(this, recurse);
}

void TTreeNode::MakeVisible() {
    std::vector<TTreeNode*> parents;
    for (TTreeNode* p = Parent(); p; p = p->Parent())
        parents.push_back(p);
    for (auto it = parents.rbegin(); it != parents.rend(); ++it)
        (*it)->Expand(false);
    TCustomTreeView& tree = TreeView();
    tree.View().scrollTo(tree.m_model->IndexOf(this));
}

bool TTreeNode::EditText() {
    return TreeView().StartNodeEdit(*this);
}

void TTreeNode::EndEdit(bool cancel) {
    TreeView().EndNodeEdit(*this, cancel);
}

void TTreeNode::Delete() {
    m_owner.Delete(this);
}

void TTreeNode::DeleteChildren() {
    while (!m_children.empty())
        m_owner.Delete(m_children.back().get());
    m_hasChildren = false;
    m_expanded = false;
    Changed();
}

bool TTreeNode::IsVisible() const {
    for (const TTreeNode* p = Parent(); p; p = p->Parent())
        if (!p->Expanded())
            return false;
    return true;
}

TRect TTreeNode::DisplayRect(bool textOnly) const {
    if (!IsVisible())
        return {};
    const TCustomTreeView& tree = TreeView();
    const QRect r = tree.View().visualRect(tree.m_model->IndexOf(this));
    if (!r.isValid())
        return {};
    if (!textOnly)
        return Rect(0, r.top(), tree.View().viewport()->width(), r.bottom() + 1);
    const int left = tree.LabelLeft(*this, r.left());
    return Rect(left, r.top(), left + tree.LabelWidth(*this), r.bottom() + 1);
}

// ---- the node list --------------------------------------------------------

TTreeNodes::TTreeNodes(TCustomTreeView& owner)
    : m_owner(owner), m_root(new TTreeNode(*this, nullptr, {})) {}

TTreeNodes::~TTreeNodes() = default;

int TTreeNodes::Count() const {
    int n = 0;
    for (TTreeNode* node = GetFirstNode(); node; node = node->GetNext())
        ++n;
    return n;
}

TTreeNode* TTreeNodes::Item(int index) const {
    int i = 0;
    for (TTreeNode* node = GetFirstNode(); node; node = node->GetNext(), ++i)
        if (i == index)
            return node;
    throw EListError("Tree view index out of range (" + std::to_string(index) + ")");
}

TTreeNode* TTreeNodes::GetFirstNode() const {
    return m_root->GetFirstChild();
}

TTreeNode* TTreeNodes::InsertAt(TTreeNode* parent, std::size_t row, std::string text) {
    TTreeNode* p = parent ? parent : m_root.get();
    row = std::min(row, p->m_children.size());
    auto node = std::unique_ptr<TTreeNode>(new TTreeNode(*this, p, std::move(text)));
    TTreeNode* raw = node.get();
    m_owner.m_model->BeginInsert(p, static_cast<int>(row));
    p->m_children.insert(p->m_children.begin() + std::ptrdiff_t(row), std::move(node));
    m_owner.m_model->EndInsert();
    if (p != m_root.get())
        p->Changed(); // its button
    return raw;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, std::string text) {
    return InsertAt(sibling ? sibling->Parent() : nullptr, SIZE_MAX, std::move(text));
}

TTreeNode* TTreeNodes::AddFirst(TTreeNode* sibling, std::string text) {
    return InsertAt(sibling ? sibling->Parent() : nullptr, 0, std::move(text));
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, std::string text) {
    return InsertAt(parent, SIZE_MAX, std::move(text));
}

TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, std::string text) {
    return InsertAt(parent, 0, std::move(text));
}

TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, std::string text) {
    if (!sibling)
        return InsertAt(nullptr, SIZE_MAX, std::move(text));
    return InsertAt(sibling->Parent(), std::size_t(sibling->Index()), std::move(text));
}

void TTreeNodes::Delete(TTreeNode* node) {
    if (node)
        m_owner.RemoveNode(node);
}

void TTreeNodes::Clear() {
    const TUpdateGuard update(*this);
    while (TTreeNode* last = m_root->GetLastChild())
        m_owner.RemoveNode(last);
}

void TTreeNodes::BeginUpdate() {
    if (m_updates++ == 0)
        m_owner.View().setUpdatesEnabled(false);
}

void TTreeNodes::EndUpdate() {
    if (m_updates > 0 && --m_updates == 0) {
        m_owner.View().setUpdatesEnabled(true);
        m_owner.View().viewport()->update();
    }
}

} // namespace vdx::gui
