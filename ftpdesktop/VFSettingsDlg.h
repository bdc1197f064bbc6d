#pragma once
// The settings dialog of VdxFtpServer: control port, passive mode, the two
// product switches, the admin root folder and autostart. It edits a copy of
// the settings that the caller puts in before showing and takes back after
// OK; autostart is applied by the dialog itself when OK is taken.

#include "shared/VdxSettingsXML.h"
#include "shared/gui/VdxButtonDlg.h"

#include <string>

class QCheckBox;

namespace vdx {

class TFcButtonEdit;
class TFcCheckBox;
class TFcEdit;
class TFcGroupBox;
class TFcLabel;
class TFcNumericEdit;
class TFcSelectFolderDialog;
class TFGlobals;

// The warnings of a refused OK (the folder is refused without one).
inline constexpr const char* kPortWarning = "Port must be between 1 and 65535.";
inline constexpr const char* kPasvIPWarning = "External IP must be an IPv4 address.";
inline constexpr const char* kPortRangeWarning =
    "Custom port range: the lowest port must be 1 or higher and below the highest.";

// The autostart boxes.
inline constexpr const char* kAutoRunSet = "Auto run succesful set.";
inline constexpr const char* kAutoRunSetError = "Error setting auto run.";
inline constexpr const char* kAutoRunCleared = "Auto run succesful cleared.";
inline constexpr const char* kAutoRunClearError = "Error clearing auto run.";

class TFSettingsDlg : public TVdButtonDlg {
    Q_OBJECT
public:
    // globals gives the program's name and path for autostart; it must
    // outlive the dialog.
    TFSettingsDlg(QWidget* owner, const TFGlobals& globals);
    ~TFSettingsDlg() override;

    // In: the settings shown; out, after OK: the edited settings.
    TSettings Settings;

    // Components, owned through Qt's parent tree.
    TFcGroupBox* const FcGroupBox1;
    TFcLabel* const FcLabel3;
    TFcNumericEdit* const PortNumericEdit;
    TFcGroupBox* const PassiveGroupBox;
    TFcCheckBox* const PasvIPCheckBox;
    TFcLabel* const FcLabel5;
    TFcEdit* const PasvIPEdit;
    TFcCheckBox* const UseCustomPortRangeCheckBox;
    TFcLabel* const FcLabel6;
    TFcNumericEdit* const PasvMinPortEdit;
    TFcLabel* const FcLabel2;
    TFcNumericEdit* const PasvMaxPortEdit;
    TFcLabel* const FcLabel1;
    TFcCheckBox* const UseVdxTextCheckBox;
    TFcCheckBox* const UseVdxInfoCheckBox;
    QCheckBox* const AutoRunCheckBox;
    TFcGroupBox* const FcGroupBox2;
    TFcLabel* const FcLabel4;
    TFcButtonEdit* const AdminButtonEdit;
    TFcSelectFolderDialog* const SelectFolderDialog;

    // Each passive editor is enabled exactly while its box is checked (and
    // the passive group is enabled).
    void UpdateControls();
    void PassiveCheckBoxClick();
    void UseVdxInfoCheckBoxClick();
    void UseVdxTextCheckBoxClick();
    // The picker on the edit's folder; OK on a folder with a path puts that
    // path into the edit.
    void AdminButtonEditButtonClick();
    // An absolute path of an existing folder, found without regard to case
    // as the FTP handlers find paths.
    static bool IsValidFolder(const std::string& path);
    // Checks every field first: a refused one gets its warning (the folder
    // none) and the focus, and nothing is taken. Otherwise takes every value
    // into Settings. True when the dialog may close.
    bool BtnOKClick();
    // Brings the autostart entry in line with AutoRunCheckBox, with a box
    // where it changed or failed to change.
    void ApplyAutoRun();

    // The folder edit's text as file-name bytes (unedited: as shown).
    std::string AdminFolderText() const;
    void SetAdminFolderText(const std::string& bytes);

protected:
    void FormShow() override;
    // OK checks and takes the values first: a refusal keeps the dialog open.
    void done(int result) override;

private:
    void FormCreate();
    // The editor's value after its range clamp, shown so, truncated.
    static int ClampedValue(TFcNumericEdit& edit);
    std::string AutoRunName() const;
    std::string AutoRunCommand() const;

    const TFGlobals& m_globals;
    std::string m_folderBytes; // the bytes behind the folder edit's text
};

} // namespace vdx
