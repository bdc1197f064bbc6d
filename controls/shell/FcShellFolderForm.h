#pragma once
// The select-folder form that the select-folder dialog creates, sets up,
// shows modally and frees on every Execute: a shell folder tree, tool
// buttons to create and delete folders, OK and Cancel, and a status bar
// with the selected folder's path shortened to fit.
//
// Sizes are the class library's: Width and Height include the sizing
// border (4 pixels a side) and the caption (19), so the client area of the
// design size 383 x 359 is 375 x 332.

#include "controls/base/FcDraw.h"
#include "controls/shell/FcShellTree.h"
#include "platform/gui/control_types.h"
#include "platform/gui/enum_set.h"
#include "platform/gui/message_box.h"

#include <QDialog>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace vdx {

namespace gui {
class TCustomImageList;
}
class TFcBitBtn;
class TFcStatusBar;
class TFcToolButton;

enum class TFcSelectFolderDialogOption : std::uint8_t {
    sfdoCreateDeleteButtons,
    sfdoContextMenus,
    sfdoReadOnly,
    sfdoIncludeNonFolders,
    sfdoOleDrag,
    sfdoOleDrop,
    sfdoCreateFolderIcon,
    sfdoDeleteFolderIcon,
    sfdoVirtualFolders,
    sfdoShowHidden
};

using TFcSelectFolderDialogOptions = gui::TOrdinalSet<TFcSelectFolderDialogOption, 10>;

// Context menus, both icons, hidden folders ($02C2).
inline constexpr TFcSelectFolderDialogOptions kDefaultSelectFolderDialogOptions =
    TFcSelectFolderDialogOptions::FromBits(0x02C2);

// The selection changed: newSel is its absolute list (valid during the call).
using TFcFolderBrowseSelChangeEvent = std::function<void(QObject* sender, const IdList& newSel)>;

// The sizing border a side and the caption the class library counts in a
// form's Width and Height.
inline constexpr int kFormBorderWidth = 4;
inline constexpr int kFormCaptionHeight = 19;

class TFcSelectFolderForm : public QDialog {
    Q_OBJECT

public:
    explicit TFcSelectFolderForm(QWidget* owner = nullptr);
    ~TFcSelectFolderForm() override;

    // The tree's options bit by bit from options, the tool buttons' looks,
    // ReadOnly.
    virtual void SetOptions(TFcSelectFolderDialogOptions options);
    // The status bar's caption (a path, shown by the file-name rule).
    void SetStatusText(const std::string& text);
    const std::string& StatusText() const noexcept { return m_statusText; }
    void SetTreeFrame(TColor frameColor, TFrameStyle frameStyle, bool frameVisible,
                      TFramingPreference framingPreference);
    void SetButtonStyle(TColor buttonColor, bool hotTrack, TColor highlightColor,
                        TColor hotTrackColor, TFcHotTrackColorType hotTrackColorType);
    // OK and Cancel get their "FCCOMMON_" glyphs when load is set.
    void SetButtonGlyphs(bool load);
    void SetToolButtonStyle(TFcGradientColorStyle gradientColorStyle, TColor selectionColorStart,
                            TColor selectionColorStop, TColor selectionFrameColor,
                            TFcVisualStyle visualStyle);

    // The class library's form geometry (outer sizes, see above).
    int FormWidth() const;
    int FormHeight() const;
    void SetFormSize(int width, int height);
    gui::TPosition Position() const noexcept { return m_position; }
    void SetPosition(gui::TPosition value) noexcept { m_position = value; }
    gui::TWindowState WindowState() const;
    void SetWindowState(gui::TWindowState value);
    // The normal (restored) bounds in outer sizes, as GetWindowPlacement.
    TRect NormalBounds() const;
    void SetFormOrigin(int left, int top);

    // Shows the form modally; its modal result.
    gui::TModalResult ShowModal();
    gui::TModalResult ModalResult() const noexcept { return m_modalResult; }

    // The components, owned by the form.
    TFcToolButton* const btnNewFolder;
    TFcToolButton* const btnDeleteFolder;
    TFcShellTree* const ShellTree;
    QWidget* const ButtonPanel;
    TFcBitBtn* const btnOk;
    TFcBitBtn* const btnCancel;
    TFcStatusBar* const FcStatusBar1;
    gui::TCustomImageList& ImageList1() const noexcept { return *m_imageList; }

    // Filled by the dialog; Sender is the form.
    TNotifyEvent OnShowEvent;
    TNotifyEvent OnCloseEvent;
    TFcFolderBrowseSelChangeEvent OnSelChange;

    // The handlers the form's design binds.
    void FormCreate();
    void FormResize();
    void ShellTreeChange(QObject* sender, TTreeNode* node);
    void CreateBtnClick(QObject* sender);
    void DeleteBtnClick(QObject* sender);

protected:
    // Captions from the resource strings ("Browse for Folder" when none).
    virtual void LoadCaptions();
    virtual void DoShow();
    virtual void DoHide();

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;
    void reject() override;

private:
    // path shortened to the status bar, as its caption shows it.
    std::string ShortenPath(const std::string& path) const;

    std::unique_ptr<gui::TCustomImageList> m_imageList;
    std::string m_statusText;
    gui::TPosition m_position = gui::TPosition::poScreenCenter;
    gui::TModalResult m_modalResult = gui::mrNone;
    std::exception_ptr m_showError; // from the show step, for ShowModal
};

} // namespace vdx
