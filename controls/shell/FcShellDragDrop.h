#pragma once
// The objects through which the shell tree and the shell list join in
// drag and drop: the offered formats with their enumerator, the drop
// source's rules, the data objects of a dragged tree node and of the list's
// selected items, the drop target that turns a control's drag events into
// its DragEnter, DragOver, DragLeave and Drop, the effects the items of a
// foreign data object allow, and the decoding of dropped data.
//
// A data object travels as QMimeData with two formats: the item-ID list
// array ("Shell IDList Array", shell::kIdListArrayMime) and "text/uri-list"
// (the items' file URIs, where the platform's file-drop block held names of
// at most 259 bytes; a URI list has no such limit). Data from outside is
// checked before use: an ID list array that fails the checks refuses the
// drop.

#include "controls/shell/FcShellUtils.h"
#include "platform/gui/geometry.h"
#include "platform/shell/drop_target.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <Qt>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QAbstractScrollArea;
class QDropEvent;
class QMimeData;
class QWidget;

namespace vdx {

class TFcCustomShellTree;
using gui::TPoint;
namespace gui {
class TTreeNode;
}

// Clipboard formats.
inline constexpr std::uint16_t CF_TEXT = 1;
inline constexpr std::uint16_t CF_HDROP = 15;
// The number this process gives the "Shell IDList Array" format (one per
// process, above the predefined ones).
std::uint16_t ShellIdListArrayFormat();
// The mime type that carries a format; empty for one no data object offers.
QString MimeTypeOfFormat(std::uint16_t format);
// The "Shell IDList Array" block of items (lists relative to parent), as
// shell::BuildIdListArray lays it out: S_OK, or E_OUTOFMEMORY with block
// left empty.
HRESULT BuildShellIdListArray(const IdList& parent, std::span<const IdList> items,
                              std::vector<std::uint8_t>& block);

// Aspects (DVASPECT_), storage media (TYMED_) and directions (DATADIR_).
inline constexpr std::uint32_t DVASPECT_CONTENT = 1;
inline constexpr std::uint32_t DVASPECT_ICON = 4;
inline constexpr std::uint32_t TYMED_HGLOBAL = 1;
inline constexpr std::uint32_t TYMED_FILE = 2;
inline constexpr std::uint32_t TYMED_ISTREAM = 4;
inline constexpr std::uint32_t DATADIR_GET = 1;

inline constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064u);
inline constexpr HRESULT DV_E_TYMED = static_cast<HRESULT>(0x80040069u);
inline constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
inline constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
inline constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;

// One offered format (FORMATETC). ptd is the target device's blob (its
// first 32-bit word its size), empty for none; copies own theirs.
struct TFormatEtc {
    std::uint16_t cfFormat = 0;
    std::vector<std::uint8_t> ptd;
    std::uint32_t dwAspect = DVASPECT_CONTENT;
    std::int32_t lindex = -1;
    std::uint32_t tymed = TYMED_HGLOBAL;
    friend bool operator==(const TFormatEtc&, const TFormatEtc&) = default;
};

// Walks the entries a format list had when the walk was made
// (IEnumFORMATETC), so it may outlive the list.
class TFcFormatEtcList_IEnumFormatEtc {
public:
    explicit TFcFormatEtcList_IEnumFormatEtc(std::vector<TFormatEtc> entries);

    // Appends up to count entries from the current one to items and moves
    // on; fetched gets their number. S_OK when count were had, else S_FALSE.
    HRESULT Next(std::uint32_t count, std::vector<TFormatEtc>& items,
                 std::uint32_t* fetched = nullptr);
    // S_FALSE (and the end) when fewer than count remain.
    HRESULT Skip(std::uint32_t count);
    HRESULT Reset();
    // A walk of the same entries from the current one.
    HRESULT Clone(std::unique_ptr<TFcFormatEtcList_IEnumFormatEtc>& clone) const;

private:
    std::shared_ptr<const std::vector<TFormatEtc>> m_entries;
    std::size_t m_index = 0;
};

class TFcFormatEtcList {
public:
    // Throws gui::EListError out of range.
    const TFormatEtc& Items(int index) const;
    int Count() const noexcept { return static_cast<int>(m_entries.size()); }
    void Add(TFormatEtc entry) { m_entries.push_back(std::move(entry)); }
    // One entry per format: no device, content, lindex -1, TYMED_HGLOBAL.
    void AddFormats(std::span<const std::uint16_t> formats);
    void Clear() noexcept { m_entries.clear(); }
    // S_OK for an entry of the format whose media share a bit with the
    // request's; DV_E_TYMED when the format is there on other media only;
    // DV_E_FORMATETC for another format or an aspect other than content.
    HRESULT QueryFormat(const TFormatEtc& format) const;
    TFcFormatEtcList_IEnumFormatEtc CreateEnumerator() const;

private:
    std::vector<TFormatEtc> m_entries;
};

// The rules of the drop source shared by tree and list (IDropSource); Qt
// runs the drag loop itself.
class TDropSource_shlvtv {
public:
    // The button that started the drag.
    explicit TDropSource_shlvtv(Qt::MouseButton button) noexcept;
    // Cancel on Escape or when another button goes down, drop when the
    // dragging button is released, else go on (S_OK).
    HRESULT QueryContinueDrag(bool escapePressed, std::uint32_t keyState) const noexcept;
    HRESULT GiveFeedback(std::uint32_t effect) const noexcept;
    std::uint32_t ButtonMask() const noexcept { return m_mask; }

private:
    std::uint32_t m_mask;
};

// What tree and list data objects share: items of one folder, the ID list
// array block and the URI list, built once (IDataObject).
class TFcShellDataObject {
public:
    const TFcFormatEtcList& Formats() const noexcept { return m_formats; }
    HRESULT QueryGetData(const TFormatEtc& format) const { return m_formats.QueryFormat(format); }
    // A copy of the block of an offered format (the URI list for CF_HDROP);
    // QueryGetData's failure otherwise.
    HRESULT GetData(const TFormatEtc& format, std::vector<std::uint8_t>& medium) const;
    // The offered formats for DATADIR_GET; E_NOTIMPL for other directions.
    HRESULT EnumFormatEtc(std::uint32_t direction,
                          std::unique_ptr<TFcFormatEtcList_IEnumFormatEtc>& enumerator) const;
    // The items' file-system paths (items without one are left out).
    const std::vector<std::string>& Paths() const noexcept { return m_paths; }
    // A new QMimeData with every offered format, for QDrag or the clipboard.
    std::unique_ptr<QMimeData> MimeData() const;

protected:
    TFcShellDataObject() = default;
    // folder: the folder's absolute list; items: relative lists in it.
    void Build(const IdList& folder, std::span<const IdList> items);

private:
    TFcFormatEtcList m_formats;
    std::optional<std::vector<std::uint8_t>> m_idListArray;
    std::optional<std::string> m_uriList;
    std::vector<std::string> m_paths;
};

// The data object of one dragged tree node: no format for a node without
// shell data.
class TDataObject_shtv : public TFcShellDataObject {
public:
    TDataObject_shtv(TFcCustomShellTree& tree, gui::TTreeNode* node);
};

// The data object of the list's selected items (relative lists of the shown
// folder, in selection order): no format without items.
class TDataObject_shlv : public TFcShellDataObject {
public:
    TDataObject_shlv(const IdList& folder, std::span<const IdList> selected);
};

// The effects all items of data's ID list array allow (SFGAO_CANCOPY,
// CANMOVE, CANLINK asked of their folder); 7 without one, 0 for one that
// fails the checks. Throws EOleSysError when the folder cannot be bound or
// refuses the question.
std::uint32_t AllowedDropEffects(const QMimeData& data);
// What a drop hands to the shell: the ID list array's items' paths when
// data has one, else the URI list's; nullopt for an ID list array that
// fails the checks.
std::optional<shell::DropData> DecodeDropData(const QMimeData& data);

// MK_ key state of an event's buttons and modifiers.
std::uint32_t KeyStateOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
// DROPEFFECT_ bits and Qt's drop actions.
std::uint32_t DropEffectsOf(Qt::DropActions actions);
Qt::DropActions DropActionsOf(std::uint32_t effects);
// The one action of an effect (copy, then move, then link);
// Qt::IgnoreAction for none.
Qt::DropAction DropActionOf(std::uint32_t effect);

// Runs Qt's drag loop for data from view with the allowed effects.
Qt::DropAction ExecShellDrag(QWidget& view, std::unique_ptr<QMimeData> data, std::uint32_t allowed);
// One complete probe of a shell drop target: enter, over, leave; the
// answer of over.
HRESULT ProbeDropTarget(shell::DropTarget& target, const shell::DropData& data,
                        std::uint32_t keyState, std::uint32_t& effect);
// One step of view towards the edge pt (viewport coordinates) lies near;
// whether anything moved.
bool DragEdgeScroll(QAbstractScrollArea& view, TPoint pt);
// A drop on a shell drop target: the buttons held on entry join keyState
// (they are up by now), the target sees enter and over, effect keeps what
// the dropped items allow less refused, then the drop runs with the
// hourglass, its boxes owned by owner.
HRESULT DropOnShellTarget(shell::DropTarget& target, const shell::DropData& dropData,
                          const QMimeData& data, std::uint32_t keyState,
                          std::uint32_t entryKeyState, std::uint32_t& effect, std::uint32_t refused,
                          QWidget* owner);

// What a control does with the drag events over it (the tree and the
// list). Points are in the control's view coordinates; effect is in: what
// the source allows, out: what the control offers or did.
class TFcDropSink {
public:
    virtual HRESULT DragEnter(const QMimeData& data, std::uint32_t keyState, TPoint pt,
                              std::uint32_t& effect) = 0;
    virtual HRESULT DragOver(std::uint32_t keyState, TPoint pt, std::uint32_t& effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(const QMimeData& data, std::uint32_t keyState, TPoint pt,
                         std::uint32_t& effect) = 0;

protected:
    ~TFcDropSink() = default;
};

// A control's drop target (IDropTarget): while it lives, view accepts drops
// and its drag events go to sink, each answered with the effect sink chose;
// while the mouse rests in a drag, DragOver repeats every 50 ms (edge
// scrolling and hover expansion need no mouse move).
class TFcShellDropTarget final : public QObject {
public:
    TFcShellDropTarget(TFcDropSink& sink, QWidget& view);
    ~TFcShellDropTarget() override;
    // The view and sink are captured.
    TFcShellDropTarget(const TFcShellDropTarget&) = delete;
    TFcShellDropTarget& operator=(const TFcShellDropTarget&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Repeat();
    void Answer(QDropEvent& event, std::uint32_t effect);

    TFcDropSink& m_sink;
    QPointer<QWidget> m_view;
    QTimer m_repeat;
    std::uint32_t m_keyState = 0;
    std::uint32_t m_allowed = 0;
    TPoint m_point;
    Qt::DropAction m_answered = Qt::IgnoreAction; // what the last event was told
};

using TDropTarget_shtv = TFcShellDropTarget;
using TDropTarget_shlv = TFcShellDropTarget;

} // namespace vdx
