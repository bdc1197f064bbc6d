#pragma once
// The main window of VdxUserAdmin: every user in a grid (name, password, the
// five flags, the pages per magazine), the buttons that add, edit and delete
// users and edit their page rights, and the save chain that writes each
// confirmed change through at once.

#include "controls/grids/FcGrids.h"
#include "shared/VardexUsersXML.h"

#include <QWidget>

#include <string>

namespace vdx {

class TFcButton;
class TFcPanel;
class TUAGlobals;

// The grid's columns: name, password, five flags, then "Mag 1" to "Mag 8".
inline constexpr int kUserGridColumns = 15;
inline constexpr int kFirstFlagColumn = 2;
inline constexpr int kLastFlagColumn = 6;
inline constexpr int kFirstMagazineColumn = 7;

class TUAMainForm : public QWidget {
    Q_OBJECT
public:
    // The grid shows a copy of globals.Users; globals must outlive the form.
    explicit TUAMainForm(TUAGlobals& globals, QWidget* parent = nullptr);
    ~TUAMainForm() override;
    TUAMainForm(const TUAMainForm&) = delete;
    TUAMainForm& operator=(const TUAMainForm&) = delete;

    // Components, owned through Qt's parent tree.
    TFcPanel* const FcPanel1; // bottom: Help and Close
    TFcPanel* const FcPanel4;
    TFcButton* const HelpButton;
    TFcButton* const CloseButton;
    TFcPanel* const FcPanel3; // right: the user buttons
    TFcButton* const NewUserButton;
    TFcButton* const EditUserButton;
    TFcButton* const EditTxtPageNumbersButton;
    TFcButton* const DeleteUserButton;
    TFcPanel* const FcPanel2; // the rest: the grid
    TFcStringGrid* const UsersStringGrid;

    // The working copy of the users table: source of the grid, of
    // "users.ini" and of the upload folders.
    const TUsersXML& Users() const noexcept { return m_users; }
    // The grid cell under the last mouse press; -1 outside the cells.
    int MouseRow() const noexcept { return m_mouseRow; }
    int MouseCol() const noexcept { return m_mouseCol; }

    // Header cell and width of a column; sum grows by the width and the
    // grid line.
    void AddColumn(int index, int width, int& sum, const std::string& caption);
    // Edit, Delete and "Edit TXT Page Numbers" only while there are users.
    void UpdateButtons();
    // One row per user under the header; no users: one empty row.
    void FillGrid();

    void NewUserButtonClick();
    void EditUserButtonClick();
    void DeleteUserButtonClick();
    void EditTxtPageNumbersButtonClick();
    // The page-rights editor on magazine for the current row's user.
    void EditPages(int magazine);
    void HelpButtonClick();
    void CloseButtonClick();
    // Some user has that name, without regard to case.
    bool UserExists(const std::string& name) const;

    // A cell's text as the grid shows it.
    static std::string CellText(const TUserXML& user, int col);

    void UsersStringGridMouseDown(QObject* sender, Qt::MouseButton button,
                                  Qt::KeyboardModifiers shift, int x, int y);
    void UsersStringGridDblClick(QObject* sender);
    void UsersStringGridDrawCell(QObject* sender, TCanvas& canvas, int col, int row, TRect rect,
                                 TGridDrawState state);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    // After a confirmed New, Edit or Delete: "Users.xml", "users.ini" and
    // the folders; a failure shows its box. Grid and buttons are refreshed
    // in every case; the working copy keeps the change.
    void SaveChain();
    // After the page-rights editor: "users.ini" and the folders, or the
    // whole chain while an earlier change has not reached both files.
    void SavePagesChain();

    TUAGlobals& m_globals;
    int m_mouseRow = -1;
    int m_mouseCol = -1;
    TUsersXML m_users;
    // The last chain failed: "Users.xml" or "users.ini" may lack a change of
    // m_users, so no save may write one file without the other.
    bool m_chainPending = false;
    bool m_placed = false; // centred on the screen at the first showing
};

} // namespace vdx
