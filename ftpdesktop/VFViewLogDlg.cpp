#include "ftpdesktop/VFViewLogDlg.h"

#include "controls/lists/FcTabbedListBox.h"
#include "ftpengine/VFGlobals.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace vdx {

namespace {

constexpr int kClientWidth = 598;
constexpr int kClientHeight = 502;
constexpr int kMargin = 8;
constexpr int kItemHeight = 13;

} // namespace

TFViewLogDlg::TFViewLogDlg(QWidget* owner, const TFGlobals& globals)
    : TVdButtonDlg(owner), LogTabbedListBox(new TFcTabbedListBox(ClientArea())),
      m_globals(globals) {
    setObjectName(QStringLiteral("FViewLogDlg"));
    setWindowTitle(QStringLiteral("FViewLogDlg"));
    setFixedSize(kClientWidth, kClientHeight);

    LogTabbedListBox->setObjectName(QStringLiteral("LogTabbedListBox"));
    LogTabbedListBox->BeginLoading();
    LogTabbedListBox->SetTabStopsMode(TFcTabStopsMode::tsmAutomatic);
    LogTabbedListBox->SetItemHeight(kItemHeight);
    LogTabbedListBox->Loaded();
    auto* layout = new QVBoxLayout(ClientArea());
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->addWidget(LogTabbedListBox);
    setTabOrder(LogTabbedListBox, BtnHelp);

    FormCreate();
}

void TFViewLogDlg::FormCreate() {
    SetCloseOnly(true);
    SetShowHelp(false);
    setWindowTitle(QStringLiteral("View Logfile"));
}

void TFViewLogDlg::FormShow() {
    TVdButtonDlg::FormShow();
    LogTabbedListBox->Items().LoadFromFile(m_globals.GetLogFileName());
    // A load in one update leaves the stops as they were (none): fit them to
    // the fields once, so the columns line up as in the main window.
    LogTabbedListBox->CalcAutomaticTabStops();
}

} // namespace vdx
