#pragma once
// The page-rights editor: for one user, which teletext pages of the eight
// magazines he may publish. Each magazine is a tab with a 10 x 10 board of
// page cells, green where the page is granted; row and all-pages buttons set
// or clear many at once; a ninth tab shows the user's facts read-only. It
// works on the user's eight page-rights strings, parsed when shown and
// formatted again on OK.

#include "shared/VdxTxtUtils.h"
#include "shared/gui/VdxButtonDlg.h"

#include <array>
#include <string>
#include <vector>

class QGroupBox;
class QLabel;
class QTabBar;
class QToolButton;

namespace vdx {

class TFcPanel;
namespace gui {
class TLabeledEdit;
}

// The maker's description of the control files an administrator may upload.
inline constexpr const char* kControlFileDocument =
    "https://www.vardex.nl/documentation/vdxtxtserver-control-dat.html";

class TTxtUserPagesDlg : public TVdButtonDlg {
    Q_OBJECT
public:
    explicit TTxtUserPagesDlg(QWidget* owner = nullptr);

    // In: set before showing; AllowStrings is also out, after OK.
    int Magazine = 1; // start magazine 1 to 8; then the one on the board
    TAllowStrings AllowStrings;
    bool IsAdmin = false;
    std::string UserName;
    std::string UserPassWord;
    bool IsTxt = false;
    bool IsWebTxt = false;
    bool IsSkipWebTxtPages = false;

    // The working flags: PageFlags[m - 1][p] for page m * 100 + p.
    std::array<TPageFlags, 8> PageFlags{};

    // The board, made when shown: cell row * 10 + column; buttons 0 to 9 act
    // on their row, 10 on all rows.
    std::vector<TFcPanel*> Cells;
    std::vector<QToolButton*> SetButtons;
    std::vector<QToolButton*> ClrButtons;
    QLabel* AllPagesOfMagazineLabel = nullptr;

    // Form parts, Qt parent-owned.
    QWidget* const TabControl;
    QTabBar* const Tabs; // "Mag 1" to "Mag 8", "User"
    QGroupBox* const ButtonGroupBox;
    QGroupBox* const PasswordGroupBox;
    gui::TLabeledEdit* const UserIdLabeledEdit;
    gui::TLabeledEdit* const PassWordLabeledEdit;
    gui::TLabeledEdit* const IsAdminLabeledEdit;
    gui::TLabeledEdit* const IsTxtLabeledEdit;
    gui::TLabeledEdit* const IsSkipWebTxtPagesLabeledEdit;
    gui::TLabeledEdit* const IsWebTxtLabeledEdit;
    QLabel* const Label3;
    QLabel* const Label1; // the link to kControlFileDocument
    QToolButton* const SetSpeedButton;
    QToolButton* const ClrSpeedButton;
    QLabel* const AllPagesLabel;
    QLabel* const Label2;

    static std::string YesNoText(bool flag) { return flag ? "Yes" : "No"; }
    void ShowMagazine();
    void StoreMagazine();
    static void PaintCell(TFcPanel& cell, bool granted);
    static bool Granted(const TFcPanel& cell);
    void SetRow(int row);
    void ClearRow(int row);
    void RowSetClick(int tag);
    void RowClrClick(int tag);
    void SetSpeedButtonClick();
    void ClrSpeedButtonClick();
    void TabControlChange();
    void BtnOKClick();
    void Label1Click();

protected:
    void FormShow() override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void BuildPageGrid();
    void FreePageGrid(); // the close frees what the show made
    void CellClick(TFcPanel& cell);
    void ShowPanelButtons(bool visible);
    std::string GroupCaption(int magazine) const;
};

} // namespace vdx
