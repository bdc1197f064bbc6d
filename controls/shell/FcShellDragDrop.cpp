#include "controls/shell/FcShellDragDrop.h"

#include "controls/shell/FcShellTree.h"
#include "platform/gui/class_errors.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/shell_boxes.h"
#include "platform/shell/file_transfer.h"
#include "platform/shell/shell_data.h"

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

#include <new>
#include <string_view>
#include <utility>

namespace vdx {

namespace {

constexpr std::uint32_t kAllEffects =
    shell::DROPEFFECT_COPY | shell::DROPEFFECT_MOVE | shell::DROPEFFECT_LINK;
constexpr std::uint32_t kAllButtons = shell::MK_LBUTTON | shell::MK_RBUTTON | shell::MK_MBUTTON;

QByteArray ToByteArray(std::span<const std::uint8_t> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

std::span<const std::uint8_t> BytesOf(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

std::optional<shell::IdListArray> IdListArrayOf(const QMimeData& data) {
    return shell::ParseIdListArray(
        BytesOf(data.data(QString::fromLatin1(shell::kIdListArrayMime))));
}

} // namespace

std::uint16_t ShellIdListArrayFormat() {
    // The first number the platform gives a registered format.
    static const std::uint16_t format = 0xC000;
    return format;
}

QString MimeTypeOfFormat(std::uint16_t format) {
    if (format == ShellIdListArrayFormat())
        return QString::fromLatin1(shell::kIdListArrayMime);
    if (format == CF_HDROP)
        return QString::fromLatin1(shell::kUriListMime);
    return {};
}

// Formats.

TFcFormatEtcList_IEnumFormatEtc::TFcFormatEtcList_IEnumFormatEtc(std::vector<TFormatEtc> entries)
    : m_entries(std::make_shared<const std::vector<TFormatEtc>>(std::move(entries))) {}

HRESULT TFcFormatEtcList_IEnumFormatEtc::Next(std::uint32_t count, std::vector<TFormatEtc>& items,
                                              std::uint32_t* fetched) {
    std::uint32_t copied = 0;
    while (copied < count && m_index < m_entries->size()) {
        items.push_back((*m_entries)[m_index++]);
        ++copied;
    }
    if (fetched)
        *fetched = copied;
    return copied == count ? shell::S_OK : shell::S_FALSE;
}

HRESULT TFcFormatEtcList_IEnumFormatEtc::Skip(std::uint32_t count) {
    if (m_entries->size() - m_index < count) {
        m_index = m_entries->size();
        return shell::S_FALSE;
    }
    m_index += count;
    return shell::S_OK;
}

HRESULT TFcFormatEtcList_IEnumFormatEtc::Reset() {
    m_index = 0;
    return shell::S_OK;
}

HRESULT
TFcFormatEtcList_IEnumFormatEtc::Clone(
    std::unique_ptr<TFcFormatEtcList_IEnumFormatEtc>& clone) const {
    clone = std::make_unique<TFcFormatEtcList_IEnumFormatEtc>(*this);
    return shell::S_OK;
}

const TFormatEtc& TFcFormatEtcList::Items(int index) const {
    if (index < 0 || index >= Count())
        throw gui::EListError("List index out of bounds (" + std::to_string(index) + ")");
    return m_entries[static_cast<std::size_t>(index)];
}

void TFcFormatEtcList::AddFormats(std::span<const std::uint16_t> formats) {
    for (const std::uint16_t f : formats)
        m_entries.push_back({f, {}, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
}

HRESULT TFcFormatEtcList::QueryFormat(const TFormatEtc& format) const {
    if (format.dwAspect != DVASPECT_CONTENT)
        return DV_E_FORMATETC;
    HRESULT result = DV_E_FORMATETC;
    for (const TFormatEtc& e : m_entries) {
        if (e.cfFormat != format.cfFormat)
            continue;
        if (e.tymed & format.tymed)
            return shell::S_OK;
        result = DV_E_TYMED;
    }
    return result;
}

TFcFormatEtcList_IEnumFormatEtc TFcFormatEtcList::CreateEnumerator() const {
    return TFcFormatEtcList_IEnumFormatEtc(m_entries);
}

// The drop source.

TDropSource_shlvtv::TDropSource_shlvtv(Qt::MouseButton button) noexcept
    : m_mask(button == Qt::RightButton    ? shell::MK_RBUTTON
             : button == Qt::MiddleButton ? shell::MK_MBUTTON
                                          : shell::MK_LBUTTON) {}

HRESULT TDropSource_shlvtv::QueryContinueDrag(bool escapePressed,
                                              std::uint32_t keyState) const noexcept {
    if (escapePressed || (keyState & (m_mask ^ kAllButtons)) != 0)
        return DRAGDROP_S_CANCEL;
    return (keyState & m_mask) ? shell::S_OK : DRAGDROP_S_DROP;
}

HRESULT TDropSource_shlvtv::GiveFeedback(std::uint32_t) const noexcept {
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

// Data objects.

HRESULT BuildShellIdListArray(const IdList& parent, std::span<const IdList> items,
                              std::vector<std::uint8_t>& block) {
    block.clear();
    try {
        block = shell::BuildIdListArray(parent, items);
    } catch (const std::bad_alloc&) {
        return shell::E_OUTOFMEMORY;
    }
    return shell::S_OK;
}

void TFcShellDataObject::Build(const IdList& folder, std::span<const IdList> items) {
    if (items.empty())
        return;
    std::vector<std::uint8_t> block;
    if (shell::Failed(BuildShellIdListArray(folder, items, block)))
        return;
    m_idListArray = std::move(block);
    for (const IdList& item : items)
        if (std::string path = shell::PathOfIdList(folder + item); !path.empty())
            m_paths.push_back(std::move(path));
    std::vector<std::uint16_t> formats{ShellIdListArrayFormat()};
    if (!m_paths.empty()) {
        m_uriList = shell::BuildUriList(m_paths);
        formats.push_back(CF_HDROP);
    }
    m_formats.AddFormats(formats);
}

HRESULT TFcShellDataObject::GetData(const TFormatEtc& format,
                                    std::vector<std::uint8_t>& medium) const {
    if (const HRESULT hr = QueryGetData(format); shell::Failed(hr))
        return hr;
    if (format.cfFormat == ShellIdListArrayFormat() && m_idListArray) {
        medium = *m_idListArray;
        return shell::S_OK;
    }
    if (format.cfFormat == CF_HDROP && m_uriList) {
        medium.assign(m_uriList->begin(), m_uriList->end());
        return shell::S_OK;
    }
    return DV_E_FORMATETC;
}

HRESULT TFcShellDataObject::EnumFormatEtc(
    std::uint32_t direction, std::unique_ptr<TFcFormatEtcList_IEnumFormatEtc>& enumerator) const {
    enumerator.reset();
    if (direction != DATADIR_GET)
        return shell::E_NOTIMPL;
    enumerator = std::make_unique<TFcFormatEtcList_IEnumFormatEtc>(m_formats.CreateEnumerator());
    return shell::S_OK;
}

std::unique_ptr<QMimeData> TFcShellDataObject::MimeData() const {
    auto data = std::make_unique<QMimeData>();
    if (m_idListArray)
        data->setData(QString::fromLatin1(shell::kIdListArrayMime), ToByteArray(*m_idListArray));
    if (m_uriList)
        data->setData(QString::fromLatin1(shell::kUriListMime),
                      QByteArray(m_uriList->data(), static_cast<qsizetype>(m_uriList->size())));
    return data;
}

TDataObject_shtv::TDataObject_shtv(TFcCustomShellTree& tree, gui::TTreeNode* node) {
    TFcShellTreeData* data = tree.NodeData(node);
    if (!data)
        return;
    if (TFcShellTreeData* parent = data->ParentData()) {
        const IdList item = data->RelativeIdList();
        Build(parent->AbsoluteIdList(), {&item, 1});
        return;
    }
    // The root's relative list is not relative to anything it has.
    const IdList& absolute = data->AbsoluteIdList();
    if (absolute.Empty())
        return;
    const IdList item = absolute.Last();
    Build(absolute.WithoutLast(), {&item, 1});
}

TDataObject_shlv::TDataObject_shlv(const IdList& folder, std::span<const IdList> selected) {
    Build(folder, selected);
}

// Foreign data.

std::uint32_t AllowedDropEffects(const QMimeData& data) {
    if (!data.hasFormat(QString::fromLatin1(shell::kIdListArrayMime)))
        return kAllEffects;
    const std::optional<shell::IdListArray> array = IdListArrayOf(data);
    if (!array)
        return 0;
    ShellFolderPtr folder;
    OleCheck(GetIdListFolder(&array->Parent, folder));
    if (!folder)
        OleCheck(shell::E_FAIL);
    std::uint32_t attributes = kAllEffects;
    OleCheck(folder->GetAttributesOf(array->Items, attributes));
    return kAllEffects & attributes;
}

std::optional<shell::DropData> DecodeDropData(const QMimeData& data) {
    shell::DropData drop;
    if (data.hasFormat(QString::fromLatin1(shell::kIdListArrayMime))) {
        const std::optional<shell::IdListArray> array = IdListArrayOf(data);
        if (!array)
            return std::nullopt;
        drop.FromIdListArray = true;
        for (const IdList& item : array->Items)
            if (std::string path = shell::PathOfIdList(array->Parent + item); !path.empty())
                drop.Paths.push_back(std::move(path));
        return drop;
    }
    if (data.hasFormat(QString::fromLatin1(shell::kUriListMime))) {
        const QByteArray text = data.data(QString::fromLatin1(shell::kUriListMime));
        drop.Paths =
            shell::ParseUriList(std::string_view(text.constData(), std::size_t(text.size())));
    }
    return drop;
}

std::uint32_t KeyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    std::uint32_t state = 0;
    if (buttons & Qt::LeftButton)
        state |= shell::MK_LBUTTON;
    if (buttons & Qt::RightButton)
        state |= shell::MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        state |= shell::MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        state |= shell::MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        state |= shell::MK_CONTROL;
    if (modifiers & Qt::AltModifier)
        state |= shell::MK_ALT;
    return state;
}

std::uint32_t DropEffectsOf(Qt::DropActions actions) {
    std::uint32_t effects = 0;
    if (actions & Qt::CopyAction)
        effects |= shell::DROPEFFECT_COPY;
    if (actions & Qt::MoveAction)
        effects |= shell::DROPEFFECT_MOVE;
    if (actions & Qt::LinkAction)
        effects |= shell::DROPEFFECT_LINK;
    return effects;
}

Qt::DropActions DropActionsOf(std::uint32_t effects) {
    Qt::DropActions actions;
    if (effects & shell::DROPEFFECT_COPY)
        actions |= Qt::CopyAction;
    if (effects & shell::DROPEFFECT_MOVE)
        actions |= Qt::MoveAction;
    if (effects & shell::DROPEFFECT_LINK)
        actions |= Qt::LinkAction;
    return actions;
}

Qt::DropAction DropActionOf(std::uint32_t effect) {
    if (effect & shell::DROPEFFECT_COPY)
        return Qt::CopyAction;
    if (effect & shell::DROPEFFECT_MOVE)
        return Qt::MoveAction;
    if (effect & shell::DROPEFFECT_LINK)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

// The drop target.

TFcShellDropTarget::TFcShellDropTarget(TFcDropSink& sink, QWidget& view)
    : m_sink(sink), m_view(&view) {
    m_repeat.setInterval(50);
    QObject::connect(&m_repeat, &QTimer::timeout, this, [this] { Repeat(); });
    view.setAcceptDrops(true);
    view.installEventFilter(this);
}

TFcShellDropTarget::~TFcShellDropTarget() {
    if (m_view) {
        m_view->removeEventFilter(this);
        m_view->setAcceptDrops(false);
    }
}

void TFcShellDropTarget::Answer(QDropEvent& event, std::uint32_t effect) {
    const Qt::DropAction action = DropActionOf(effect);
    m_answered = action;
    event.setDropAction(action);
    // An entry is always taken, or Qt would send this view no more moves:
    // its action tells that nothing may be dropped here yet.
    event.setAccepted(action != Qt::IgnoreAction || event.type() == QEvent::DragEnter);
}

void TFcShellDropTarget::Repeat() {
    std::uint32_t effect = m_allowed;
    if (!gui::Guard([&] { m_sink.DragOver(m_keyState, m_point, effect); }))
        m_repeat.stop(); // a fault shown once, not every 50 ms
}

bool TFcShellDropTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_view)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto& e = static_cast<QDragMoveEvent&>(*event);
        m_allowed = DropEffectsOf(e.possibleActions());
        m_keyState = KeyStateOf(e.buttons(), e.modifiers());
        m_point = {e.position().toPoint().x(), e.position().toPoint().y()};
        std::uint32_t effect = m_allowed;
        bool done = false;
        if (event->type() == QEvent::DragEnter) {
            if (const QMimeData* data = e.mimeData())
                done = gui::Guard([&] { m_sink.DragEnter(*data, m_keyState, m_point, effect); });
        } else {
            done = gui::Guard([&] { m_sink.DragOver(m_keyState, m_point, effect); });
        }
        Answer(e, done ? effect : 0);
        m_repeat.start();
        return true;
    }
    case QEvent::DragLeave:
        m_repeat.stop();
        gui::Guard([&] { m_sink.DragLeave(); });
        event->accept();
        return true;
    case QEvent::Drop: {
        m_repeat.stop();
        auto& e = static_cast<QDropEvent&>(*event);
        if (m_answered == Qt::IgnoreAction) {
            // Refused where the mouse was: the drop ends as a leave.
            gui::Guard([&] { m_sink.DragLeave(); });
            e.setDropAction(Qt::IgnoreAction);
            e.ignore();
            return true;
        }
        std::uint32_t effect = DropEffectsOf(e.possibleActions());
        const std::uint32_t keyState = KeyStateOf(e.buttons(), e.modifiers());
        const TPoint pt{e.position().toPoint().x(), e.position().toPoint().y()};
        bool done = false;
        if (const QMimeData* data = e.mimeData())
            done = gui::Guard([&] { m_sink.Drop(*data, keyState, pt, effect); });
        Answer(e, done ? effect : 0);
        m_answered = Qt::IgnoreAction;
        return true;
    }
    default:
        return false;
    }
}

Qt::DropAction ExecShellDrag(QWidget& view, std::unique_ptr<QMimeData> data,
                             std::uint32_t allowed) {
    // Qt deletes the drag once its loop ends.
    auto* drag = new QDrag(&view);
    drag->setMimeData(data.release());
    return drag->exec(DropActionsOf(allowed));
}

HRESULT ProbeDropTarget(shell::DropTarget& target, const shell::DropData& data,
                        std::uint32_t keyState, std::uint32_t& effect) {
    target.DragEnter(data, keyState, effect);
    const HRESULT hr = target.DragOver(keyState, effect);
    target.DragLeave();
    return hr;
}

bool DragEdgeScroll(QAbstractScrollArea& view, TPoint pt) {
    const QWidget& area = *view.viewport();
    bool moved = false;
    if (pt.X < kDragEdgeZoneX)
        moved |= ScrollByLine(view, SB_HORZ, SB_LINEUP);
    else if (pt.X >= area.width() - kDragEdgeZoneX)
        moved |= ScrollByLine(view, SB_HORZ, SB_LINEDOWN);
    if (pt.Y < kDragEdgeZoneY)
        moved |= ScrollByLine(view, SB_VERT, SB_LINEUP);
    else if (pt.Y >= area.height() - kDragEdgeZoneY)
        moved |= ScrollByLine(view, SB_VERT, SB_LINEDOWN);
    return moved;
}

HRESULT DropOnShellTarget(shell::DropTarget& target, const shell::DropData& dropData,
                          const QMimeData& data, std::uint32_t keyState,
                          std::uint32_t entryKeyState, std::uint32_t& effect, std::uint32_t refused,
                          QWidget* owner) {
    keyState |= entryKeyState & (shell::MK_LBUTTON | shell::MK_RBUTTON);
    std::uint32_t scratch = effect;
    target.DragEnter(dropData, keyState, scratch);
    target.DragOver(keyState, scratch);
    effect &= AllowedDropEffects(data) & ~refused;
    const TFcHourglass hourglass;
    gui::TShellBoxes ui(owner);
    return target.Drop(dropData, keyState, effect, ui);
}

} // namespace vdx
