#include "platform/gui/tree_view.h"

#include "platform/gui/ansi_text.h"
#include "platform/gui/class_errors.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/tree_model.h"
#include "platform/gui/update_guard.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QWheelEvent>

#include <algorithm>
#include <utility>

namespace vdx::gui {

// ---- the editor -----------------------------------------------------------

class TTreeDelegate final : public QStyledItemDelegate {
public:
    TTreeDelegate(TCustomTreeView& tree, QObject* parent)
        : QStyledItemDelegate(parent), m_tree(tree) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFont(ToQFont(m_tree.ViewFont()));
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = static_cast<QLineEdit*>(editor);
        line->setText(index.data(Qt::EditRole).toString());
        line->selectAll();
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const override {
        m_typed = static_cast<QLineEdit*>(editor)->text();
    }
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override {
        const TTreeNode* node = static_cast<TTreeNode*>(index.internalPointer());
        const int left = m_tree.LabelLeft(*node, option.rect.left());
        const int width = std::max(m_tree.LabelWidth(*node) + 24, 60);
        editor->setGeometry(left, option.rect.top(), width, option.rect.height());
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        const TTreeNode* node = static_cast<TTreeNode*>(index.internalPointer());
        return QSize(m_tree.LabelLeft(*node, 0) + m_tree.LabelWidth(*node) + 2, m_tree.RowHeight());
    }

    // The text of the last commit, taken once.
    std::optional<QString> TakeTyped() const { return std::exchange(m_typed, std::nullopt); }

private:
    TCustomTreeView& m_tree;
    mutable std::optional<QString> m_typed;
};

// ---- the view -------------------------------------------------------------

class TTreeViewWidget final : public QTreeView {
public:
    TTreeViewWidget(TCustomTreeView& tree, QWidget* parent) : QTreeView(parent), m_tree(tree) {
        setHeaderHidden(true);
        header()->setStretchLastSection(false);
        header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        setUniformRowHeights(true);
        setItemsExpandable(false);
        setExpandsOnDoubleClick(false);
        setAnimated(false);
        setFrameShape(QFrame::NoFrame);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setAllColumnsShowFocus(false);
        setAutoScroll(true);
        setMouseTracking(true);
    }

    using QTreeView::edit;

    TTreeNode* NodeAtY(int y) const {
        const QModelIndex i = indexAt(QPoint(std::max(0, header()->sectionViewportPosition(0)), y));
        return i.isValid() ? static_cast<TTreeNode*>(i.internalPointer()) : nullptr;
    }
    int ItemLeft(const TTreeNode& node) const {
        return visualRect(m_tree.m_model->IndexOf(&node)).left();
    }

    // Starts editing without the warning of a refused public edit().
    bool StartEdit(const QModelIndex& index) { return edit(index, AllEditTriggers, nullptr); }

    void CloseEditor(QWidget* editor, bool cancel) {
        if (!cancel)
            commitData(editor);
        closeEditor(editor, cancel ? QAbstractItemDelegate::RevertModelCache
                                   : QAbstractItemDelegate::SubmitModelCache);
    }
    TTreeDelegate& Delegate() const { return *static_cast<TTreeDelegate*>(itemDelegate()); }

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override {
        TTreeNode* node = static_cast<TTreeNode*>(index.internalPointer());
        Guard([&] {
            TCanvas canvas(*painter);
            TTreeRowState state;
            state.Selected = currentIndex() == index;
            state.Focused = hasFocus() || (m_tree.m_editing && m_tree.m_editing == node);
            state.DropTarget = m_tree.m_dropHighlight == node;
            QRect row = option.rect;
            row.setLeft(0);
            row.setRight(std::max(row.right(), viewport()->width() - 1));
            m_tree.PaintRow(canvas, *node, FromQRect(row), state);
        });
    }
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

    void paintEvent(QPaintEvent* event) override {
        {
            QPainter background(viewport());
            background.fillRect(viewport()->rect(), ToQColor(m_tree.ViewColor()));
        }
        QTreeView::paintEvent(event);
        QPainter p(viewport());
        Guard([&] {
            TCanvas canvas(p);
            m_tree.ViewPainted(canvas);
        });
    }

    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override {
        QTreeView::currentChanged(current, previous);
        TTreeNode* node =
            current.isValid() ? static_cast<TTreeNode*>(current.internalPointer()) : nullptr;
        Guard([&] { m_tree.CurrentChanged(node); });
    }

    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        if (!index.isValid() || state() == EditingState)
            return QTreeView::edit(index, trigger, event);
        if (trigger != AllEditTriggers && !(editTriggers() & trigger))
            return false;
        TTreeNode* node = static_cast<TTreeNode*>(index.internalPointer());
        bool allowed = false;
        Guard([&] { allowed = m_tree.EditAllowed(node); });
        if (!allowed)
            return false;
        m_tree.m_editing = node; // set first: the editor asks for the text
        if (!QTreeView::edit(index, AllEditTriggers, event)) {
            m_tree.m_editing = nullptr;
            return false;
        }
        return true;
    }

    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
        const std::optional<QString> typed = Delegate().TakeTyped();
        QTreeView::closeEditor(editor, hint);
        TTreeNode* node = std::exchange(m_tree.m_editing, nullptr);
        if (!node)
            return;
        const bool cancelled = hint == QAbstractItemDelegate::RevertModelCache || !typed;
        Guard([&] { m_tree.EditEnded(node, cancelled ? std::nullopt : typed); });
    }

    void keyPressEvent(QKeyEvent* event) override {
        int key = event->key();
        Guard([&] { m_tree.KeyDown(key, event->modifiers()); });
        if (key == 0) {
            event->accept();
            return;
        }
        TTreeNode* node = m_tree.Selected();
        const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (node && plain) {
            bool handled = true;
            Guard([&] {
                switch (key) {
                case Qt::Key_Right:
                    if (node->HasChildren() && !node->Expanded())
                        m_tree.ExpandNode(node, false);
                    else if (node->Expanded() && node->Count() > 0)
                        m_tree.SetSelected(node->GetFirstChild());
                    break;
                case Qt::Key_Left:
                    if (node->Expanded())
                        m_tree.CollapseNode(node, false);
                    else if (node->Parent())
                        m_tree.SetSelected(node->Parent());
                    break;
                case Qt::Key_Backspace:
                    if (node->Parent())
                        m_tree.SetSelected(node->Parent());
                    break;
                case Qt::Key_Plus:
                    m_tree.ExpandNode(node, false);
                    break;
                case Qt::Key_Minus:
                    m_tree.CollapseNode(node, false);
                    break;
                case Qt::Key_Asterisk:
                    m_tree.ExpandNode(node, true);
                    break;
                default:
                    handled = false;
                }
            });
            if (handled) {
                event->accept();
                return;
            }
        }
        QTreeView::keyPressEvent(event);
    }

    void mousePressEvent(QMouseEvent* event) override {
        const QPoint pos = event->position().toPoint();
        const TPoint p{pos.x(), pos.y()};
        TTreeNode* node = NodeAtY(pos.y());
        m_dragButton = Qt::NoButton;
        if (node && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)) {
            m_dragButton = event->button();
            m_dragStart = pos;
        }
        if (event->button() == Qt::RightButton) {
            // The platform marks the node and keeps the selection.
            m_tree.SetDropHighlight(node);
            m_rightPressed = true;
            setFocus(Qt::MouseFocusReason);
            event->accept();
            return;
        }
        if (event->button() == Qt::LeftButton) {
            const THitTests hit = m_tree.GetHitTestInfoAt(p.X, p.Y);
            if (node && hit.Contains(THitTest::htOnButton)) {
                Guard([&] {
                    node->Expanded() ? m_tree.CollapseNode(node, false)
                                     : m_tree.ExpandNode(node, false);
                });
                setFocus(Qt::MouseFocusReason);
                event->accept();
                return;
            }
            Guard([&] { m_tree.Clicked(p); });
            if (node && !hit.Contains(THitTest::htOnItem)) {
                // The indent and the area right of the item select too.
                setFocus(Qt::MouseFocusReason);
                Guard([&] { m_tree.SetSelected(node); });
                event->accept();
                return;
            }
        }
        QTreeView::mousePressEvent(event);
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (m_dragButton != Qt::NoButton && (event->buttons() & m_dragButton) &&
            (event->position().toPoint() - m_dragStart).manhattanLength() >=
                QApplication::startDragDistance()) {
            const Qt::MouseButton button = std::exchange(m_dragButton, Qt::NoButton);
            TTreeNode* node = NodeAtY(m_dragStart.y());
            bool started = false;
            if (node) {
                QPointer<QWidget> alive(this);
                Guard([&] { started = m_tree.BeginNodeDrag(node, button); });
                if (!alive)
                    return;
            }
            if (started) {
                // The drag took the release: no click or menu follows.
                m_rightPressed = false;
                event->accept();
                return;
            }
        }
        QTreeView::mouseMoveEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        m_dragButton = Qt::NoButton;
        if (event->button() == Qt::RightButton && m_rightPressed) {
            m_rightPressed = false;
            const QPoint pos = event->position().toPoint();
            QPointer<QWidget> alive(this);
            Guard([&] { m_tree.RightClicked({pos.x(), pos.y()}); });
            if (alive)
                m_tree.SetDropHighlight(nullptr);
            event->accept();
            return;
        }
        QTreeView::mouseReleaseEvent(event);
    }

    void mouseDoubleClickEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) {
            event->accept();
            return;
        }
        const QPoint pos = event->position().toPoint();
        Guard([&] { m_tree.DoubleClicked({pos.x(), pos.y()}); });
        event->accept();
    }

    void wheelEvent(QWheelEvent* event) override {
        bool handled = false;
        Guard([&] { handled = m_tree.MouseWheel(event->angleDelta().y(), event->modifiers()); });
        if (handled)
            event->accept();
        else
            QTreeView::wheelEvent(event);
    }

    void contextMenuEvent(QContextMenuEvent* event) override {
        // A mouse request is answered by the right click (RightClicked).
        if (event->reason() != QContextMenuEvent::Mouse)
            Guard([&] { m_tree.ContextMenuRequested(std::nullopt); });
        event->accept();
    }

    void focusInEvent(QFocusEvent* event) override {
        QTreeView::focusInEvent(event);
        viewport()->update();
        Guard([&] { m_tree.ViewFocusChanged(true); });
    }
    void focusOutEvent(QFocusEvent* event) override {
        QTreeView::focusOutEvent(event);
        viewport()->update();
        Guard([&] { m_tree.ViewFocusChanged(false); });
    }

private:
    TCustomTreeView& m_tree;
    bool m_rightPressed = false;
    Qt::MouseButton m_dragButton = Qt::NoButton; // pressed on a node, no drag yet
    QPoint m_dragStart;
};

// ---- the tree view --------------------------------------------------------

TCustomTreeView::TCustomTreeView(QWidget& host)
    : m_host(host), m_items(std::make_unique<TTreeNodes>(*this)),
      m_model(std::make_unique<TTreeModel>(*this)), m_view(new TTreeViewWidget(*this, &host)) {
    m_view->setItemDelegate(new TTreeDelegate(*this, m_view));
    m_view->setModel(m_model.get());
    m_view->setIndentation(m_indent);
    m_view->setRootIsDecorated(m_showRoot);
    m_view->setEditTriggers(QAbstractItemView::SelectedClicked);
    m_imagesLink.OnChange = [this] { UpdateRowHeights(); };
    m_imagesLink.OnRemoved = [this] { UpdateRowHeights(); };
}

TCustomTreeView::~TCustomTreeView() {
    // The view goes first: it must not ask the model or the nodes anything
    // while they are freed.
    delete m_view;
}

QTreeView& TCustomTreeView::View() const noexcept {
    return *m_view;
}

bool TCustomTreeView::StartNodeEdit(TTreeNode& node) {
    const QModelIndex index = m_model->IndexOf(&node);
    m_view->scrollTo(index);
    m_view->StartEdit(index);
    return m_editing == &node;
}

void TCustomTreeView::EndNodeEdit(TTreeNode& node, bool cancel) {
    if (m_editing != &node)
        return;
    if (QLineEdit* editor = EditControl())
        m_view->CloseEditor(editor, cancel);
}

QObject* TCustomTreeView::Sender() const noexcept {
    return &m_host;
}

void TCustomTreeView::SetViewBounds(const TRect& bounds) {
    m_view->setGeometry(ToQRect(bounds));
}

TTreeNode* TCustomTreeView::Selected() const {
    const QModelIndex i = m_view->currentIndex();
    return i.isValid() ? static_cast<TTreeNode*>(i.internalPointer()) : nullptr;
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
    if (Selected() == node)
        return;
    if (!node) {
        m_view->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
        return;
    }
    const QModelIndex i = m_model->IndexOf(node);
    m_view->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
}

TTreeNode* TCustomTreeView::TopItem() const {
    return m_view->NodeAtY(0);
}

void TCustomTreeView::SetTopItem(TTreeNode* node) {
    if (node)
        m_view->scrollTo(m_model->IndexOf(node), QAbstractItemView::PositionAtTop);
}

bool TCustomTreeView::IsEditing() const {
    return m_editing != nullptr;
}

QLineEdit* TCustomTreeView::EditControl() const {
    if (!m_editing)
        return nullptr;
    return qobject_cast<QLineEdit*>(m_view->indexWidget(m_model->IndexOf(m_editing)));
}

TTreeNode* TCustomTreeView::GetNodeAt(int, int y) const {
    return m_view->NodeAtY(y);
}

THitTests TCustomTreeView::GetHitTestInfoAt(int x, int y) const {
    const QWidget& vp = *m_view->viewport();
    THitTests r;
    if (y < 0)
        r = r | THitTest::htAbove;
    if (y >= vp.height())
        r = r | THitTest::htBelow;
    if (x < 0)
        r = r | THitTest::htToLeft;
    if (x >= vp.width())
        r = r | THitTest::htToRight;
    if (r != THitTests())
        return r;
    const TTreeNode* node = m_view->NodeAtY(y);
    if (!node)
        return THitTest::htNowhere;
    const int itemLeft = m_view->ItemLeft(*node);
    const int labelLeft = LabelLeft(*node, itemLeft);
    const int labelRight = labelLeft + LabelWidth(*node);
    if (x < itemLeft) {
        const bool buttonColumn = x >= itemLeft - m_indent && (m_showRoot || node->Parent());
        return buttonColumn && m_showButtons && node->HasChildren() ? THitTest::htOnButton
                                                                    : THitTest::htOnIndent;
    }
    if (x < labelLeft)
        return THitTests(THitTest::htOnItem) | THitTest::htOnIcon;
    if (x < labelRight)
        return THitTests(THitTest::htOnItem) | THitTest::htOnLabel;
    return THitTest::htOnRight;
}

void TCustomTreeView::CustomSort(const TTVCompare& compare, TTreeNode* parent, bool recurse) {
    TTreeNode* p = parent ? parent : m_items->m_root.get();
    m_model->BeginLayout();
    std::vector<TTreeNode*> sorted;
    std::vector<TTreeNode*> pending{p};
    while (!pending.empty()) {
        TTreeNode* n = pending.back();
        pending.pop_back();
        std::stable_sort(n->m_children.begin(), n->m_children.end(),
                         [&](const auto& a, const auto& b) { return compare(*a, *b) < 0; });
        if (recurse)
            for (const auto& child : n->m_children)
                pending.push_back(child.get());
    }
    m_model->EndLayout();
}

void TCustomTreeView::FullExpand() {
    for (TTreeNode* n = m_items->GetFirstNode(); n; n = n->GetNextSibling())
        ExpandNode(n, true);
}

void TCustomTreeView::FullCollapse() {
    for (TTreeNode* n = m_items->GetFirstNode(); n; n = n->GetNextSibling())
        CollapseNode(n, true);
}

void TCustomTreeView::SetShowRoot(bool value) {
    if (m_showRoot == value)
        return;
    m_showRoot = value;
    m_view->setRootIsDecorated(value);
    InvalidateView();
}

void TCustomTreeView::SetShowButtons(bool value) {
    if (m_showButtons == value)
        return;
    m_showButtons = value;
    InvalidateView();
}

void TCustomTreeView::SetShowLines(bool value) {
    if (m_showLines == value)
        return;
    m_showLines = value;
    InvalidateView();
}

void TCustomTreeView::SetHideSelection(bool value) {
    if (m_hideSelection == value)
        return;
    m_hideSelection = value;
    InvalidateView();
}

void TCustomTreeView::SetReadOnly(bool value) {
    if (m_readOnly == value)
        return;
    m_readOnly = value;
    m_view->setEditTriggers(value ? QAbstractItemView::NoEditTriggers
                                  : QAbstractItemView::SelectedClicked);
}

void TCustomTreeView::SetIndent(int value) {
    if (m_indent == value || value < 0)
        return;
    m_indent = value;
    m_view->setIndentation(value);
}

void TCustomTreeView::SetImages(TCustomImageList* images) {
    if (Images() == images)
        return;
    m_imagesLink.SetImages(images);
    UpdateRowHeights();
}

void TCustomTreeView::SetItemHeightValue(int value) {
    if (m_itemHeight == value)
        return;
    m_itemHeight = value;
    UpdateRowHeights();
}

int TCustomTreeView::RowHeight() const {
    if (m_itemHeight > 0)
        return m_itemHeight;
    const int text = QFontMetrics(ToQFont(ViewFont())).height() + 3;
    return std::max(text, Images() ? Images()->Height() + 2 : 0);
}

void TCustomTreeView::UpdateRowHeights() {
    m_view->doItemsLayout();
    InvalidateView();
}

void TCustomTreeView::InvalidateView() {
    m_view->viewport()->update();
}

void TCustomTreeView::SetDropHighlight(TTreeNode* node) {
    if (m_dropHighlight == node)
        return;
    m_dropHighlight = node;
    InvalidateView();
}

int TCustomTreeView::LabelLeft(const TTreeNode&, int itemLeft) const {
    return itemLeft + (Images() ? Images()->Width() + 3 : 0);
}

int TCustomTreeView::LabelWidth(const TTreeNode& node) const {
    return QFontMetrics(ToQFont(ViewFont())).horizontalAdvance(NodeDisplayText(node)) + 4;
}

// Expansion and selection.

void TCustomTreeView::ExpandNode(TTreeNode* node, bool recurse) {
    if (node->HasChildren() && !node->m_expanded && !node->m_deleting) {
        if (!CanExpand(node))
            return;
        if (node->Count() > 0) {
            node->m_expanded = true;
            m_view->setExpanded(m_model->IndexOf(node), true);
            Expand(node);
        } else {
            NodeChanged(node); // filled with nothing: no button any more
        }
    }
    if (recurse)
        for (int i = 0; i < node->Count(); ++i)
            ExpandNode(node->Item(i), true);
}

void TCustomTreeView::CollapseNode(TTreeNode* node, bool recurse) {
    if (recurse)
        for (int i = 0; i < node->Count(); ++i)
            CollapseNode(node->Item(i), true);
    if (!node->m_expanded)
        return;
    if (!CanCollapse(node))
        return;
    node->m_expanded = false;
    m_view->setExpanded(m_model->IndexOf(node), false);
    if (TTreeNode* selected = Selected(); selected && selected->HasAsParent(node))
        SetSelected(node);
    Collapse(node);
}

void TCustomTreeView::CurrentChanged(TTreeNode* node) {
    if (node && AutoExpand() && !node->Expanded())
        ExpandNode(node, false);
    Change(node);
}

void TCustomTreeView::NodeChanged(TTreeNode* node) {
    m_model->Changed(node);
}

void TCustomTreeView::RemoveNode(TTreeNode* node) {
    if (node->m_deleting)
        return;
    // Every node below first, the last first, then the node itself.
    std::vector<TTreeNode*> order;
    std::vector<std::pair<TTreeNode*, bool>> stack{{node, false}};
    while (!stack.empty()) {
        auto [n, visited] = stack.back();
        stack.pop_back();
        if (visited) {
            order.push_back(n);
            continue;
        }
        stack.push_back({n, true});
        for (const auto& child : n->m_children)
            stack.push_back({child.get(), false});
    }
    for (TTreeNode* n : order)
        n->m_deleting = true;
    if (m_editing && (m_editing == node || m_editing->HasAsParent(node))) {
        QLineEdit* editor = EditControl();
        m_editing = nullptr;
        if (editor)
            m_view->CloseEditor(editor, true);
    }
    if (m_dropHighlight && (m_dropHighlight == node || m_dropHighlight->HasAsParent(node)))
        m_dropHighlight = nullptr;
    for (TTreeNode* n : order)
        Delete(n);
    TTreeNode* parent = node->m_parent;
    const int row = node->Index();
    m_model->BeginRemove(parent, row);
    std::unique_ptr<TTreeNode> owned = std::move(parent->m_children[std::size_t(row)]);
    parent->m_children.erase(parent->m_children.begin() + row);
    m_model->EndRemove();
    if (parent != m_items->m_root.get())
        parent->Changed();
}

bool TCustomTreeView::EditAllowed(TTreeNode* node) {
    return !m_readOnly && CanEdit(node);
}

void TCustomTreeView::EditEnded(TTreeNode* node, const std::optional<QString>& typed) {
    if (!typed) {
        Edit(node, std::nullopt);
        return;
    }
    Edit(node, EditedText(*node, *typed));
}

// The hooks.

bool TCustomTreeView::CanExpand(TTreeNode* node) {
    bool allow = true;
    if (OnExpanding)
        OnExpanding(Sender(), node, allow);
    return allow;
}

void TCustomTreeView::Expand(TTreeNode* node) {
    if (OnExpanded)
        OnExpanded(Sender(), node);
}

bool TCustomTreeView::CanCollapse(TTreeNode* node) {
    bool allow = true;
    if (OnCollapsing)
        OnCollapsing(Sender(), node, allow);
    return allow;
}

void TCustomTreeView::Collapse(TTreeNode* node) {
    if (OnCollapsed)
        OnCollapsed(Sender(), node);
}

void TCustomTreeView::Change(TTreeNode* node) {
    if (OnChange)
        OnChange(Sender(), node);
}

void TCustomTreeView::Delete(TTreeNode* node) {
    if (OnDeletion)
        OnDeletion(Sender(), node);
}

bool TCustomTreeView::CanEdit(TTreeNode* node) {
    bool allow = true;
    if (OnEditing)
        OnEditing(Sender(), node, allow);
    return allow;
}

void TCustomTreeView::Edit(TTreeNode* node, const std::optional<std::string>& text) {
    if (!text)
        return;
    std::string s = *text;
    if (OnEdited)
        OnEdited(Sender(), node, s);
    node->SetText(s);
}

void TCustomTreeView::GetImageIndex(TTreeNode* node) {
    if (OnGetImageIndex)
        OnGetImageIndex(Sender(), node);
}

void TCustomTreeView::GetSelectedIndex(TTreeNode* node) {
    if (OnGetSelectedIndex)
        OnGetSelectedIndex(Sender(), node);
}

QString TCustomTreeView::NodeDisplayText(const TTreeNode& node) const {
    return AnsiToQString(node.Text());
}

QString TCustomTreeView::EditStartText(const TTreeNode& node) const {
    return NodeDisplayText(node);
}

std::string TCustomTreeView::EditedText(const TTreeNode&, const QString& typed) const {
    return QStringToAnsi(typed);
}

void TCustomTreeView::KeyDown(int&, Qt::KeyboardModifiers) {}

bool TCustomTreeView::BeginNodeDrag(TTreeNode*, Qt::MouseButton) {
    return false;
}

bool TCustomTreeView::MouseWheel(int, Qt::KeyboardModifiers) {
    return false;
}

void TCustomTreeView::Clicked(TPoint) {}
void TCustomTreeView::RightClicked(TPoint) {}
void TCustomTreeView::ContextMenuRequested(std::optional<TPoint>) {}

void TCustomTreeView::DoubleClicked(TPoint pos) {
    TTreeNode* node = m_view->NodeAtY(pos.Y);
    if (!node || !GetHitTestInfoAt(pos.X, pos.Y).Contains(THitTest::htOnItem))
        return;
    node->Expanded() ? CollapseNode(node, false) : ExpandNode(node, false);
}

void TCustomTreeView::ViewPainted(TCanvas&) {}
void TCustomTreeView::ViewFocusChanged(bool) {}

TColor TCustomTreeView::ViewColor() const {
    return clWindow;
}

TFont TCustomTreeView::ViewFont() const {
    return TFont();
}

void TCustomTreeView::PaintRow(TCanvas& canvas, TTreeNode& node, const TRect& row,
                               const TTreeRowState& state) {
    const TColor background = ViewColor();
    canvas.Brush.SetColor(background);
    canvas.FillRect(row);

    const int itemLeft = m_view->ItemLeft(node);
    const int cy = row.Top + row.Height() / 2;
    // The column of a level's lines and button: the indent before its item.
    const int rootShift = m_showRoot ? 1 : 0;
    auto columnCentre = [&](int level) {
        return itemLeft - (node.Level() - level + 1) * m_indent + m_indent / 2;
    };
    QPainter& p = canvas.Painter();
    const QColor lineColor = ToQColor(clGray);
    auto dottedV = [&](int x, int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            if (((x + y) & 1) == 0)
                p.fillRect(x, y, 1, 1, lineColor);
    };
    auto dottedH = [&](int x0, int x1, int y) {
        for (int x = x0; x < x1; ++x)
            if (((x + y) & 1) == 0)
                p.fillRect(x, y, 1, 1, lineColor);
    };
    const int level = node.Level();
    const bool hasColumn = level + rootShift > 0;
    if (m_showLines && hasColumn) {
        const int cx = columnCentre(level);
        dottedH(cx, itemLeft, cy);
        const bool first = !node.Parent() && !node.GetPrevSibling();
        dottedV(cx, first ? cy : row.Top, node.GetNextSibling() ? row.Bottom : cy + 1);
        int l = level - 1;
        for (const TTreeNode* a = node.Parent(); a && l + rootShift > 0; a = a->Parent(), --l)
            if (a->GetNextSibling())
                dottedV(columnCentre(l), row.Top, row.Bottom);
    }
    if (m_showButtons && hasColumn && node.HasChildren()) {
        const int cx = columnCentre(level);
        const QRect box(cx - 4, cy - 4, 9, 9);
        p.fillRect(box, ToQColor(background));
        p.fillRect(box.left(), box.top(), 9, 1, lineColor);
        p.fillRect(box.left(), box.bottom(), 9, 1, lineColor);
        p.fillRect(box.left(), box.top(), 1, 9, lineColor);
        p.fillRect(box.right(), box.top(), 1, 9, lineColor);
        const QColor sign = ToQColor(clWindowText);
        p.fillRect(cx - 2, cy, 5, 1, sign);
        if (!node.Expanded())
            p.fillRect(cx, cy - 2, 1, 5, sign);
    }
    if (const TCustomImageList* images = Images()) {
        state.Selected ? GetSelectedIndex(&node) : GetImageIndex(&node);
        const int index = state.Selected ? node.SelectedIndex() : node.ImageIndex();
        const int y = row.Top + (row.Height() - images->Height()) / 2;
        p.save();
        if (node.Cut())
            p.setOpacity(0.5);
        images->Draw(canvas, itemLeft, y, index);
        p.restore();
        if (node.OverlayIndex() >= 0)
            images->Draw(canvas, itemLeft, y, images->OverlayImage(node.OverlayIndex() + 1));
    }
    const int labelLeft = LabelLeft(node, itemLeft);
    const TRect label = Rect(labelLeft, row.Top, labelLeft + LabelWidth(node), row.Bottom);
    TColor text = ViewFont().Color;
    const bool marked = state.DropTarget || (state.Selected && state.Focused && !m_dropHighlight);
    if (marked) {
        p.fillRect(ToQRect(label), ToQColor(clHighlight));
        text = clHighlightText;
    } else if (state.Selected && !m_hideSelection && !m_dropHighlight) {
        p.fillRect(ToQRect(label), ToQColor(clBtnFace));
    }
    if (m_editing == &node)
        return;
    p.save();
    p.setFont(ToQFont(ViewFont()));
    p.setPen(ToQColor(text));
    p.drawText(ToQRect(label).adjusted(2, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
               NodeDisplayText(node));
    p.restore();
}

} // namespace vdx::gui
