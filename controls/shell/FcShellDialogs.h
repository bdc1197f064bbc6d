#pragma once
// The select-folder dialog: a component that lets the user pick a folder of
// the shell namespace in a modal select-folder form. TFcShellDialog is what
// every shell dialog shares (the form's placement and title, the looks of
// its tree and buttons, three notifications, Execute with its guard);
// TFcCustomSelectFolderDialog runs the select-folder form and keeps the
// base folder, the selected folder and the options; TFcSelectFolderDialog
// adds nothing.

#include "controls/shell/FcShellFolderForm.h"
#include "controls/shell/FcShellLocator.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vdx {

// A design-time entry without data.
struct TFcAboutInfo {};

class TFcShellDialog : public QObject {
    Q_OBJECT

public:
    explicit TFcShellDialog(QObject* owner = nullptr);
    ~TFcShellDialog() override;

    // True when the user closed the form with OK. Throws
    // std::runtime_error "<class name> already executing" while it runs.
    bool Execute();

    gui::TPosition FormPosition = gui::TPosition::poScreenCenter;
    int FormLeft = -1; // applied with poDesigned only
    int FormTop = -1;
    int FormWidth = -1; // applied when greater than 0
    int FormHeight = -1;
    gui::TWindowState FormWindowState = gui::TWindowState::wsNormal;
    std::string Title;          // empty: "Browse for Folder"
    TNotifyEvent OnInitialized; // Sender: the dialog
    TNotifyEvent OnFormShow;    // Sender: the form
    TNotifyEvent OnFormClose;   // Sender: the form
    TColor FrameColor = gui::clBtnShadow;
    TFrameStyle FrameStyle = TFrameStyleEx::fsFlat;
    bool FrameVisible = false;
    TFramingPreference FramingPreference = TFramingPreference::fpXPThemes;
    TColor ButtonColor = gui::clBtnFace;
    bool ShowButtonGlyphs = false;
    TColor HighlightColor = gui::clHighlight;
    bool HotTrack = false;
    TColor HotTrackColor{0x00149BF0};
    TFcHotTrackColorType HotTrackColorType = TFcHotTrackColorType::htctActual;
    TFcGradientColorStyle ToolBtnGradientColorStyle = TFcGradientColorStyle::gcsSystem;
    TColor ToolBtnSelectionColorStart = gui::clBtnFace;
    TColor ToolBtnSelectionColorStop = gui::clBtnShadow;
    TColor ToolBtnSelectionFrameColor = gui::cl3DDkShadow;
    TFcVisualStyle ToolBtnVisualStyle = TFcVisualStyle::vsWinXP;
    TFcAboutInfo About;

    bool Executing() const noexcept { return m_executing; }

    // The placement: FormLeft, FormTop, FormWidth, FormHeight (32 bits
    // little-endian each), FormWindowState, FormPosition (a byte each).
    // Reading needs all 18 bytes; fewer leave the placement as it was.
    virtual void ReadFormPlacement(std::span<const std::uint8_t> stream);
    virtual void WriteFormPlacement(std::vector<std::uint8_t>& stream) const;

protected:
    virtual void DoInitialized(); // fires OnInitialized
    virtual bool DoExecute() = 0;
    // The name the "already executing" message gives.
    virtual std::string ClassName() const { return "TFcShellDialog"; }

private:
    bool m_executing = false;
};

class TFcCustomSelectFolderDialog : public TFcShellDialog {
    Q_OBJECT

public:
    explicit TFcCustomSelectFolderDialog(QObject* owner = nullptr);
    ~TFcCustomSelectFolderDialog() override;

    // The root of the form's tree; copied (the dialog keeps its own).
    TFcShellLocator& BaseFolder() noexcept { return m_baseFolder; }
    void SetBaseFolder(const TFcShellLocator& value) { m_baseFolder.Assign(&value); }
    // The folder the tree selects first and, after OK, the one chosen.
    TFcShellLocator& SelectedFolder() noexcept { return m_selectedFolder; }
    TFcSelectFolderDialogOptions Options = kDefaultSelectFolderDialogOptions;
    TFcShAddItemEvent OnAddItem;               // handed to the form's tree
    TFcFolderBrowseSelChangeEvent OnSelChange; // Sender: the form
    std::string StatusText;

    // A path that cannot be parsed leaves SelectedFolder empty.
    void SetSelectedPath(const std::string& path);
    // SelectedFolder's path; "" for a virtual folder.
    std::string GetSelectedPath();
    // Throws std::runtime_error "TFcSelectFolderDialog form already active"
    // while a form runs.
    void CheckFormInactive() const;
    // The running form (nullptr when none).
    TFcSelectFolderForm* Form() const noexcept { return m_form.get(); }

protected:
    bool DoExecute() override;
    virtual std::unique_ptr<TFcSelectFolderForm> CreateForm();
    virtual void SetupForm(TFcSelectFolderForm& form);
    virtual void ReadBackForm(TFcSelectFolderForm& form);
    std::string ClassName() const override { return "TFcSelectFolderDialog"; }

private:
    std::unique_ptr<TFcSelectFolderForm> m_form;
    TFcShellLocator m_baseFolder;
    TFcShellLocator m_selectedFolder;
};

class TFcSelectFolderDialog : public TFcCustomSelectFolderDialog {
    Q_OBJECT

public:
    using TFcCustomSelectFolderDialog::TFcCustomSelectFolderDialog;
};

} // namespace vdx
