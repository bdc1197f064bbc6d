#include "platform/gui/list_view.h"

#include "platform/gui/class_errors.h"
#include "platform/gui/exception_guard.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>
#include <QWheelEvent>

#include <algorithm>

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

// The report view's header: sections painted by the list view.
class TListViewHeader final : public QHeaderView {
public:
    TListViewHeader(TCustomListView& list, QWidget* parent)
        : QHeaderView(Qt::Horizontal, parent), m_list(list) {
        setSectionsClickable(true);
        setStretchLastSection(false);
        setSectionResizeMode(QHeaderView::Interactive);
        setMinimumSectionSize(0); // a stretched last column may be 5 wide
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        if (!rect.isValid())
            return;
        Guard([&] {
            painter->save();
            painter->setClipRect(rect);
            TCanvas canvas(*painter);
            m_list.PaintHeaderSection(canvas, FromQRect(rect), logicalIndex,
                                      m_list.m_sectionPressed &&
                                          logicalIndexAt(mapFromGlobal(QCursor::pos())) ==
                                              logicalIndex);
            painter->restore();
        });
    }
    void mousePressEvent(QMouseEvent* e) override {
        m_list.m_sectionPressed = e->button() == Qt::LeftButton;
        QHeaderView::mousePressEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        m_list.m_sectionPressed = false;
        QHeaderView::mouseReleaseEvent(e);
    }

private:
    TCustomListView& m_list;
};

namespace {

class TEditingState {
public:
    virtual ~TEditingState() = default;
    virtual bool Editing() const = 0;
    // Starts editing without the warning of a refused public edit().
    virtual bool StartEdit(const QModelIndex& index) = 0;
};

// Keys, right clicks and menu requests of either view go to the list view.
template <class Base> class TListViewWidget final : public Base, public TEditingState {
public:
    bool Editing() const override { return this->state() == QAbstractItemView::EditingState; }
    bool StartEdit(const QModelIndex& index) override {
        return edit(index, QAbstractItemView::AllEditTriggers, nullptr);
    }

    TListViewWidget(TCustomListView& list, QWidget* parent,
                    std::function<void(int&, Qt::KeyboardModifiers)> key,
                    std::function<void(TPoint)> rightClick,
                    std::function<void(std::optional<TPoint>)> menu,
                    std::function<void(TPoint)> doubleClick,
                    std::function<bool(int, Qt::KeyboardModifiers)> wheel,
                    std::function<bool(TListItem*, Qt::MouseButton)> beginDrag,
                    std::function<void(TPoint)> moved)
        : Base(parent), m_list(list), m_key(std::move(key)), m_rightClick(std::move(rightClick)),
          m_menu(std::move(menu)), m_doubleClick(std::move(doubleClick)), m_wheel(std::move(wheel)),
          m_beginDrag(std::move(beginDrag)), m_moved(std::move(moved)) {
        this->setFrameShape(QFrame::NoFrame);
        // Moves without a button reach MouseMoved too (info tips).
        this->setMouseTracking(true);
        this->setEditTriggers(QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::SelectedClicked);
    }

protected:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
        const QModelIndex index = this->currentIndex();
        Base::closeEditor(editor, hint);
        // A taken text reached the list through the model already.
        if (hint == QAbstractItemDelegate::RevertModelCache)
            if (auto* model = dynamic_cast<TListModel*>(this->model()))
                Guard([&] { model->EditCancelled(index); });
    }
    void keyPressEvent(QKeyEvent* e) override {
        int key = e->key();
        Guard([&] { m_key(key, e->modifiers()); });
        if (key == 0) {
            e->accept();
            return;
        }
        Base::keyPressEvent(e);
    }
    void mousePressEvent(QMouseEvent* e) override {
        const QModelIndex at = this->indexAt(e->position().toPoint());
        m_dragButton = Qt::NoButton;
        if (at.isValid() && (e->button() == Qt::LeftButton || e->button() == Qt::RightButton)) {
            m_dragButton = e->button();
            m_dragStart = e->position().toPoint();
        }
        Base::mousePressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (m_dragButton != Qt::NoButton && (e->buttons() & m_dragButton) &&
            (e->position().toPoint() - m_dragStart).manhattanLength() >=
                QApplication::startDragDistance()) {
            const Qt::MouseButton button = std::exchange(m_dragButton, Qt::NoButton);
            const QModelIndex at = this->indexAt(m_dragStart);
            bool started = false;
            if (at.isValid()) {
                QPointer<QWidget> alive(this);
                Guard([&] { started = m_beginDrag(m_list.Items().Item(at.row()), button); });
                if (!alive)
                    return;
            }
            if (started) {
                // The drag took the release: no click or menu follows.
                m_skipRelease = true;
                e->accept();
                return;
            }
        }
        Base::mouseMoveEvent(e);
        const QPoint p = e->position().toPoint();
        Guard([&] { m_moved({p.x(), p.y()}); });
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        m_dragButton = Qt::NoButton;
        if (std::exchange(m_skipRelease, false)) {
            e->accept();
            return;
        }
        Base::mouseReleaseEvent(e);
        if (e->button() == Qt::RightButton) {
            const QPoint p = e->position().toPoint();
            Guard([&] { m_rightClick({p.x(), p.y()}); });
        }
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        Base::mouseDoubleClickEvent(e);
        if (e->button() == Qt::LeftButton) {
            const QPoint p = e->position().toPoint();
            Guard([&] { m_doubleClick({p.x(), p.y()}); });
        }
    }
    void wheelEvent(QWheelEvent* e) override {
        bool handled = false;
        Guard([&] { handled = m_wheel(e->angleDelta().y(), e->modifiers()); });
        if (handled)
            e->accept();
        else
            Base::wheelEvent(e);
    }
    void contextMenuEvent(QContextMenuEvent* e) override {
        // A mouse request is the right click's, answered when it is released.
        if (e->reason() != QContextMenuEvent::Mouse)
            Guard([&] { m_menu(std::nullopt); });
        e->accept();
    }
    bool edit(const QModelIndex& index, QAbstractItemView::EditTrigger trigger,
              QEvent* event) override {
        if (trigger != QAbstractItemView::NoEditTriggers && !this->isPersistentEditorOpen(index)) {
            TListItem* item = index.isValid() ? m_list.Items().Item(index.row()) : nullptr;
            // Only the caption is edited; with row select a click on a
            // sub-item may edit it too.
            if (!item || (index.column() != 0 && !m_list.RowSelect()))
                return false;
            bool allow = false;
            std::optional<TPoint> click;
            if (event && event->type() == QEvent::MouseButtonRelease) {
                const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
                click = TPoint{p.x(), p.y()};
            }
            Guard([&] { allow = m_list.EditAllowed(item, click); });
            if (!allow)
                return false;
            return Base::edit(index.siblingAtColumn(0), trigger, event);
        }
        return Base::edit(index, trigger, event);
    }

private:
    TCustomListView& m_list;
    std::function<void(int&, Qt::KeyboardModifiers)> m_key;
    std::function<void(TPoint)> m_rightClick;
    std::function<void(std::optional<TPoint>)> m_menu;
    std::function<void(TPoint)> m_doubleClick;
    std::function<bool(int, Qt::KeyboardModifiers)> m_wheel;
    std::function<bool(TListItem*, Qt::MouseButton)> m_beginDrag;
    std::function<void(TPoint)> m_moved;
    Qt::MouseButton m_dragButton = Qt::NoButton; // pressed on an item, no drag yet
    QPoint m_dragStart;
    bool m_skipRelease = false;
};

} // namespace

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
    QAbstractItemView& v = m_owner.Owner().View();
    const QModelIndex i = v.model()->index(Index(), 0);
    v.setCurrentIndex(i);
    auto* editing = dynamic_cast<TEditingState*>(&v);
    return editing && editing->StartEdit(i);
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

// The list view.

TCustomListView::TCustomListView(QWidget& host)
    : m_host(host), m_items(std::make_unique<TListItems>(*this)),
      m_model(std::make_unique<TListModel>(*this)) {
    auto key = [this](int& k, Qt::KeyboardModifiers s) { KeyDown(k, s); };
    auto right = [this](TPoint p) { RightClicked(p); };
    auto menu = [this](std::optional<TPoint> p) { ContextMenuRequested(p); };
    auto dbl = [this](TPoint p) { DoubleClicked(p); };
    auto wheel = [this](int d, Qt::KeyboardModifiers s) { return MouseWheel(d, s); };
    auto drag = [this](TListItem* item, Qt::MouseButton b) { return BeginItemDrag(item, b); };
    auto moved = [this](TPoint p) { MouseMoved(p); };
    auto* report =
        new TListViewWidget<QTreeView>(*this, &host, key, right, menu, dbl, wheel, drag, moved);
    m_header = new TListViewHeader(*this, report);
    report->setHeader(m_header);
    report->setRootIsDecorated(false);
    report->setItemsExpandable(false);
    report->setUniformRowHeights(true);
    report->setAllColumnsShowFocus(false);
    report->setModel(m_model.get());
    m_header->setSectionsClickable(true);
    m_report = report;
    auto* icons =
        new TListViewWidget<QListView>(*this, &host, key, right, menu, dbl, wheel, drag, moved);
    icons->setModel(m_model.get());
    // The icon views scroll down by pixels in every style (Scroll).
    icons->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    icons->setSelectionModel(report->selectionModel());
    icons->setResizeMode(QListView::Adjust);
    m_icons = icons;
    SetMultiSelect(false);
    QObject::connect(m_header, &QHeaderView::sectionClicked, m_header,
                     Guarded([this](int column) { ColClick(column); }));
    QObject::connect(m_header, &QHeaderView::sectionResized, m_header,
                     Guarded([this](int, int, int) { HeaderResized(); }));
    m_smallLink.OnChange = [this] { InvalidateView(); };
    m_smallLink.OnRemoved = m_smallLink.OnChange;
    m_largeLink.OnChange = m_smallLink.OnChange;
    m_largeLink.OnRemoved = m_smallLink.OnChange;
    ApplyViewStyle();
}

TCustomListView::~TCustomListView() {
    // The views go with the host; they must not reach the model meanwhile.
    m_report->setModel(nullptr);
    m_icons->setModel(nullptr);
}

QAbstractItemView& TCustomListView::View() const noexcept {
    return m_viewStyle == TViewStyle::vsReport ? *m_report : *m_icons;
}

QHeaderView& TCustomListView::Header() const noexcept {
    return *m_header;
}

QObject* TCustomListView::Sender() const noexcept {
    return &m_host;
}

void TCustomListView::SetViewBounds(const TRect& bounds) {
    m_bounds = bounds;
    m_report->setGeometry(ToQRect(bounds));
    m_icons->setGeometry(ToQRect(bounds));
}

void TCustomListView::AddColumn(TListColumn column) {
    m_columns.push_back(std::move(column));
    ReloadAll();
}

void TCustomListView::SetColumn(int index, TListColumn column) {
    m_columns.at(std::size_t(index)) = std::move(column);
    ReloadAll();
}

void TCustomListView::ClearColumns() {
    m_columns.clear();
    ReloadAll();
}

int TCustomListView::ColumnWidth(int index) const {
    return m_header->sectionSize(index);
}

void TCustomListView::SetColumnWidth(int index, int width) {
    m_columns.at(std::size_t(index)).Width = width;
    m_header->resizeSection(index, width);
}

void TCustomListView::ReloadAll() {
    QTreeView& report = static_cast<QTreeView&>(*m_report);
    m_model->Reset();
    for (int i = 0; i < ColumnCount(); ++i)
        report.header()->resizeSection(i, m_columns[std::size_t(i)].Width);
    report.setHeaderHidden(m_columns.empty());
    m_header->setSectionsClickable(true); // the tree view turns it off with a model
}

void TCustomListView::SetViewStyle(TViewStyle value) {
    if (m_viewStyle == value)
        return;
    const bool focused = View().hasFocus();
    m_viewStyle = value;
    ApplyViewStyle();
    if (focused)
        View().setFocus();
}

void TCustomListView::ApplyViewStyle() {
    auto& icons = static_cast<QListView&>(*m_icons);
    switch (m_viewStyle) {
    case TViewStyle::vsIcon:
        icons.setViewMode(QListView::IconMode);
        icons.setFlow(QListView::LeftToRight);
        icons.setWrapping(true);
        break;
    case TViewStyle::vsSmallIcon:
        icons.setViewMode(QListView::ListMode);
        icons.setFlow(QListView::LeftToRight);
        icons.setWrapping(true);
        break;
    case TViewStyle::vsList:
        icons.setViewMode(QListView::ListMode);
        icons.setFlow(QListView::TopToBottom);
        icons.setWrapping(true);
        break;
    case TViewStyle::vsReport:
        break;
    }
    const bool report = m_viewStyle == TViewStyle::vsReport;
    m_report->setVisible(report);
    m_icons->setVisible(!report);
    m_host.setFocusProxy(report ? m_report : m_icons);
    // The images change with the view; the selection stays.
    if (m_items->Count() > 0)
        emit m_model->dataChanged(m_model->index(0, 0), m_model->index(m_items->Count() - 1, 0));
}

void TCustomListView::SetCheckboxes(bool value) {
    m_checkboxes = value;
    InvalidateView();
}

void TCustomListView::SetRowSelect(bool value) {
    m_rowSelect = value;
    static_cast<QTreeView&>(*m_report).setAllColumnsShowFocus(value);
    m_report->setSelectionBehavior(value ? QAbstractItemView::SelectRows
                                         : QAbstractItemView::SelectItems);
}

void TCustomListView::SetMultiSelect(bool value) {
    m_multiSelect = value;
    const auto mode =
        value ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection;
    m_report->setSelectionMode(mode);
    m_icons->setSelectionMode(mode);
}

void TCustomListView::SetSmallImages(TCustomImageList* images) {
    m_smallLink.SetImages(images);
    InvalidateView();
}

void TCustomListView::SetLargeImages(TCustomImageList* images) {
    m_largeLink.SetImages(images);
    InvalidateView();
}

TListItem* TCustomListView::Selected() const {
    const std::vector<int> rows = SelectedRows();
    return rows.empty() ? nullptr : m_items->Item(rows.front());
}

void TCustomListView::SetSelected(TListItem* item) {
    View().selectionModel()->clearSelection();
    if (item) {
        item->SetSelected(true);
        item->SetFocused(true);
    }
}

int TCustomListView::SelCount() const {
    return int(SelectedRows().size());
}

// Rows with their first column selected, in order.
std::vector<int> TCustomListView::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : View().selectionModel()->selectedIndexes())
        if (i.column() == 0)
            rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

TListItem* TCustomListView::ItemFocused() const {
    const QModelIndex i = View().currentIndex();
    return i.isValid() ? m_items->Item(i.row()) : nullptr;
}

void TCustomListView::SetItemFocused(TListItem* item) {
    if (item)
        item->SetFocused(true);
    else
        View().selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
}

TListItem* TCustomListView::GetItemAt(int x, int y) const {
    const QModelIndex i = View().indexAt(QPoint(x, y));
    return i.isValid() ? m_items->Item(i.row()) : nullptr;
}

bool TCustomListView::IsEditing() const {
    const auto* view = dynamic_cast<const TEditingState*>(&View());
    return view && view->Editing();
}

void TCustomListView::CustomSort(const TLVCompare& compare) {
    if (!compare)
        return;
    std::vector<TListItem*> selected;
    for (const auto& item : m_items->m_items)
        if (item->Selected())
            selected.push_back(item.get());
    TListItem* focused = ItemFocused();
    emit m_model->layoutAboutToBeChanged();
    std::stable_sort(m_items->m_items.begin(), m_items->m_items.end(),
                     [&](const auto& a, const auto& b) { return compare(*a, *b) < 0; });
    emit m_model->layoutChanged();
    View().selectionModel()->clearSelection();
    for (TListItem* item : selected)
        item->SetSelected(true);
    if (focused)
        focused->SetFocused(true);
}

int TCustomListView::ViewClientWidth() const {
    const QScrollBar* bar = View().verticalScrollBar();
    return m_bounds.Width() - (bar->isVisible() ? ScrollBarWidth() : 0);
}

int TCustomListView::ScrollBarWidth() const {
    return m_host.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &m_host);
}

void TCustomListView::ItemChanged(TListItem* item) {
    if (m_items->UpdateCount() > 0)
        return;
    const int row = m_items->IndexOf(item);
    if (row >= 0)
        m_model->RowChanged(row);
}

void TCustomListView::InvalidateView() {
    if (m_items->UpdateCount() > 0)
        return;
    for (QAbstractItemView* v : {m_report, m_icons}) {
        QPalette palette = v->palette();
        palette.setColor(QPalette::Base, ToQColor(ViewColor()));
        v->setPalette(palette);
        v->viewport()->update();
    }
}

void TCustomListView::InvalidateHeader() {
    m_header->viewport()->update();
}

void TCustomListView::ColClick(int column) {
    if (OnColumnClick)
        OnColumnClick(Sender(), column);
}

bool TCustomListView::CanChangeCheck(TListItem*, bool) {
    return true;
}

void TCustomListView::CheckChanged(TListItem*) {}

bool TCustomListView::CanEdit(TListItem* item) {
    bool allow = !m_readOnly;
    if (allow && OnEditing)
        OnEditing(Sender(), item, allow);
    return allow;
}

bool TCustomListView::EditAllowed(TListItem* item, std::optional<TPoint> click) {
    return CanEditAt(item, click);
}

bool TCustomListView::CanEditAt(TListItem* item, std::optional<TPoint>) {
    return CanEdit(item);
}

void TCustomListView::Edit(TListItem* item, const std::optional<std::string>& text) {
    if (!text)
        return;
    std::string s = *text;
    if (OnEdited)
        OnEdited(Sender(), item, s);
    item->SetCaption(std::move(s));
}

void TCustomListView::KeyDown(int&, Qt::KeyboardModifiers) {}

QString TCustomListView::ItemDisplayText(const TListItem& item, int column) const {
    if (column == 0)
        return QString::fromLatin1(item.Caption());
    if (std::size_t(column - 1) < item.SubItems().size())
        return QString::fromLatin1(item.SubItems()[std::size_t(column - 1)]);
    return QString();
}

QString TCustomListView::EditStartText(const TListItem& item) const {
    return ItemDisplayText(item, 0);
}

std::string TCustomListView::EditedText(const TListItem&, const QString& typed) const {
    return typed.toLatin1().toStdString();
}

int TCustomListView::ItemImageIndex(const TListItem& item) const {
    return item.ImageIndex();
}

void TCustomListView::Delete(TListItem*) {}

bool TCustomListView::BeginItemDrag(TListItem*, Qt::MouseButton) {
    return false;
}

void TCustomListView::SetDropHighlight(TListItem* item) {
    if (item == m_dropHighlight)
        return;
    TListItem* old = std::exchange(m_dropHighlight, item);
    for (TListItem* changed : {old, item})
        if (const int row = changed ? m_items->IndexOf(changed) : -1; row >= 0)
            m_model->RowChanged(row);
}

void TCustomListView::DoubleClicked(TPoint) {}

bool TCustomListView::MouseWheel(int, Qt::KeyboardModifiers) {
    return false;
}

void TCustomListView::MouseMoved(TPoint) {}

void TCustomListView::Scroll(int dx, int dy) {
    QAbstractItemView& v = View();
    if (v.verticalScrollMode() == QAbstractItemView::ScrollPerItem && dy != 0) {
        // Whole rows, the nearest to dy.
        const int row = m_items->Count() > 0 ? v.visualRect(m_model->index(0, 0)).height() : 0;
        if (row <= 0)
            return;
        const int sign = dy < 0 ? -1 : 1;
        dy = sign * std::max(1, (sign * dy + row / 2) / row);
    }
    if (dx != 0)
        v.horizontalScrollBar()->setValue(v.horizontalScrollBar()->value() + dx);
    if (dy != 0)
        v.verticalScrollBar()->setValue(v.verticalScrollBar()->value() + dy);
}

void TCustomListView::RightClicked(TPoint) {}

void TCustomListView::ContextMenuRequested(std::optional<TPoint>) {}

void TCustomListView::HeaderResized() {}

TColor TCustomListView::ViewColor() const {
    return clWindow;
}

void TCustomListView::PaintHeaderSection(TCanvas& canvas, const TRect& rect, int index, bool) {
    canvas.Brush.SetColor(clBtnFace);
    canvas.FillRect(rect);
    if (index < ColumnCount())
        canvas.TextRect(rect, rect.Left + 4, rect.Top + 2, Column(index).Caption);
}

} // namespace vdx::gui
