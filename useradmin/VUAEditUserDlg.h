#pragma once
// The user dialog: name, password and the five flags of one user, for New
// and Edit of the main window. OK refuses a name that is empty, taken or
// not usable as a folder name below the upload folder.

#include "shared/VardexUsersXML.h"
#include "shared/gui/VdxButtonDlg.h"

#include <optional>
#include <string>

namespace vdx {

class TFcCheckBox;
class TFcGroupBox;
class TFcLabel;
class TUAGlobals;
namespace gui {
class TLabeledEdit;
}

inline constexpr const char* kNoUserNameWarning = "No Username filled in!";
inline constexpr const char* kUserNameCharactersWarning =
    "Username may not contain the following characters: \r/\\:*?\"><| and may not contain "
    "spaces!";

// The warning OK shows for a trimmed name, nullopt for a usable one: empty,
// taken (exists), or holding a blank, a control byte or one of / \ : * ? " >
// < |, or being "." or "..", which would name no folder of its own.
std::optional<std::string> UserNameWarning(const std::string& name, bool exists);

class TFEditUserDlg : public TVdButtonDlg {
    Q_OBJECT
public:
    // globals gives the two product switches and the help file; it must
    // outlive the dialog.
    TFEditUserDlg(QWidget* owner, const TUAGlobals& globals);

    // Set by the caller before showing.
    bool IsNew = false; // "New User", else "Edit User"
    TUserXML User;      // in: the user shown; out, after OK: the edited user
    TUsersXML Users;    // the whole table, for the duplicate check
    int EditIndex = -1; // the edited user's index in Users; -1 for a new one

    // Components, owned through Qt's parent tree.
    TFcGroupBox* const FcGroupBox1;
    gui::TLabeledEdit* const NameEdit;
    gui::TLabeledEdit* const PasswordEdit;
    TFcCheckBox* const TxtCheckBox;
    TFcCheckBox* const SkipWebTxtPagesCheckBox;
    TFcCheckBox* const WebTxtCheckBox;
    TFcCheckBox* const InfoCheckBox;
    TFcCheckBox* const AdminCheckBox;
    TFcLabel* const FcLabel1;

    // Web-teletext and skip only for a teletext user while the server has
    // teletext on; no teletext clears web-teletext.
    void UpdateChecks();
    void TxtCheckBoxClick();
    // Another user (not EditIndex) has name, without regard to case.
    bool NameExists(const std::string& name) const;
    // Trims the name, then warns and keeps the dialog open, or takes the
    // values into User, all of them or, when it throws, none.
    void BtnOKClick();
    void BtnHelpClick();

protected:
    void FormShow() override;
    // OK checks the values first: a refused name, or an error the guard
    // shows, keeps the dialog open.
    void done(int result) override;

private:
    void FormCreate();

    const TUAGlobals& m_globals;
};

} // namespace vdx
