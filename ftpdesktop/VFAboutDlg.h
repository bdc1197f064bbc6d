#pragma once
// The About box: program name, version and build from the version
// information, the program file's date and the maker's rights notice.

#include "platform/os/datetime.h"

#include <QDialog>

#include <optional>
#include <string>

class QLabel;
class QPushButton;

namespace vdx {

class TVersionInfo;

class TFAboutDlg : public QDialog {
    Q_OBJECT
public:
    // programPath: the program file whose date is shown.
    TFAboutDlg(QWidget* owner, const TVersionInfo& versionInfo, const std::string& programPath);

    // Qt parent-owned components, named as in the form.
    QWidget* const Panel1;
    QWidget* const GrbVardex;
    QLabel* const Image1;
    QLabel* const Label6;
    QLabel* const la_program;
    QLabel* const VersionLabel;
    QLabel* const NoticeLabel;
    QPushButton* const CloseButton;

    // "Version <short> build <build>" + three blanks + the date (nothing
    // after the blanks when the date is unknown).
    static std::string VersionText(const TVersionInfo& versionInfo,
                                   std::optional<os::TDateTime> fileDate);
    // The rights notice, ending in the year range up to year.
    static std::string NoticeText(int year);
    // The date in the system's short date format.
    static std::string FormatShortDate(os::TDateTime value);
    // The program file's last-write date; nullopt when it cannot be read.
    static std::optional<os::TDateTime> ProgramFileDate(const std::string& programPath);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate(const TVersionInfo& versionInfo, const std::string& programPath);
    void FormShow();
};

} // namespace vdx
