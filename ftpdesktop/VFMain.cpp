#include "ftpdesktop/VFMain.h"

#include "controls/labels/FcLabel.h"
#include "controls/lists/FcTabbedListBox.h"
#include "controls/panels/FcPanel.h"
#include "controls/storage/FcForms.h"
#include "controls/storage/FcRegIniFile.h"
#include "ftpdesktop/VFAboutDlg.h"
#include "ftpdesktop/VFSettingsDlg.h"
#include "ftpdesktop/VFViewLogDlg.h"
#include "ftpengine/VFFTPServer.h"
#include "ftpengine/VFGlobals.h"
#include "ftpengine/VdxSysRoutines.h"
#include "platform/gui/color.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/font.h"
#include "platform/gui/message_box.h"
#include "platform/gui/program.h"
#include "platform/os/datetime.h"
#include "platform/os/paths.h"

#include <QMenuBar>
#include <QMetaObject>
#include <QShowEvent>
#include <QThread>
#include <QVBoxLayout>

#include <exception>
#include <utility>

namespace vdx {

namespace {

constexpr int kClientWidth = 643;
constexpr int kClientHeight = 504;
constexpr int kPanelHeight = 33;
constexpr int kListMargin = 8;
constexpr int kItemHeight = 13;

gui::TFont Tahoma() {
    gui::TFont font;
    font.Name = "Tahoma";
    font.Height = -11;
    return font;
}

TFcLabel* MakeLabel(QWidget* panel, const char* name, int left) {
    auto* label = new TFcLabel(panel);
    label->setObjectName(QString::fromLatin1(name));
    label->BeginLoading();
    label->SetFont(Tahoma());
    label->SetCaption(name);
    label->move(left, 16);
    label->Loaded();
    return label;
}

} // namespace

TFMain::TFMain(TFGlobals& globals, const TVersionInfo& versionInfo, QWidget* parent)
    : QMainWindow(parent), FcPanel1(new TFcPanel(this)),
      ServerNameLabel(MakeLabel(FcPanel1, "ServerNameLabel", 16)),
      ServerIPLabel(MakeLabel(FcPanel1, "ServerIPLabel", 200)),
      LogTabbedListBox(new TFcTabbedListBox(this)), RegIniFile(new TFcRegIniFile(this)),
      FormState(new TFcFormState(this)), m_globals(globals), m_versionInfo(versionInfo) {
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(QStringLiteral("Vardex FTP Server"));
    setFont(gui::ToQFont(Tahoma()));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, gui::ToQColor(gui::clBtnFace));
    setPalette(pal);
    BuildMenu();

    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    FcPanel1->setObjectName(QStringLiteral("FcPanel1"));
    FcPanel1->BeginLoading();
    FcPanel1->SetAlign(TAlign::alTop);
    FcPanel1->SetBorderOuter(TFrameStyleEx::fsNone);
    FcPanel1->SetCaption({});
    FcPanel1->SetFont(Tahoma());
    FcPanel1->setFixedHeight(kPanelHeight);
    FcPanel1->Loaded();
    layout->addWidget(FcPanel1);
    LogTabbedListBox->setObjectName(QStringLiteral("LogTabbedListBox"));
    LogTabbedListBox->BeginLoading();
    LogTabbedListBox->SetFont(Tahoma());
    LogTabbedListBox->SetTabStopsMode(TFcTabStopsMode::tsmAutomatic);
    LogTabbedListBox->SetItemHeight(kItemHeight);
    LogTabbedListBox->Loaded();
    auto* listLayout = new QVBoxLayout;
    listLayout->setContentsMargins(kListMargin, kListMargin, kListMargin, kListMargin);
    listLayout->addWidget(LogTabbedListBox);
    layout->addLayout(listLayout, 1);
    setCentralWidget(client);
    // The bar is not laid out yet; its size hint can be a pixel short of the
    // height it gets at the window's width.
    resize(kClientWidth, kClientHeight + menuBar()->heightForWidth(kClientWidth));

    RegIniFile->setObjectName(QStringLiteral("RegIniFile"));
    RegIniFile->SetPath("Software\\Vardex\\VdxFtpserver");
    RegIniFile->SetPathType(TFcPathType::ptRegistry);
    RegIniFile->SetRegKey(TFcRegKey::hkeyCurrentUser);
    FormState->setObjectName(QStringLiteral("FormState"));
    FormState->SetRegIniFile(RegIniFile);

    FormCreate();
    FormState->Loaded();
}

TFMain::~TFMain() {
    FormDestroy();
}

void TFMain::BuildMenu() {
    QMenuBar* mainMenu = menuBar();
    mainMenu->setObjectName(QStringLiteral("MainMenu"));
    QMenu* file1 = mainMenu->addMenu(QStringLiteral("File"));
    file1->setObjectName(QStringLiteral("File1"));
    OpenLogfileMenuItem = file1->addAction(QStringLiteral("Open Logfile"));
    ExitMenuItem = file1->addAction(QStringLiteral("Exit"));
    QMenu* options1 = mainMenu->addMenu(QStringLiteral("Options"));
    options1->setObjectName(QStringLiteral("Options1"));
    SettingsMenuItem = options1->addAction(QStringLiteral("Settings"));
    UsersMenuItem = options1->addAction(QStringLiteral("Users"));
    About1 = mainMenu->addAction(QStringLiteral("About"));

    OpenLogfileMenuItem->setObjectName(QStringLiteral("OpenLogfileMenuItem"));
    ExitMenuItem->setObjectName(QStringLiteral("ExitMenuItem"));
    SettingsMenuItem->setObjectName(QStringLiteral("SettingsMenuItem"));
    UsersMenuItem->setObjectName(QStringLiteral("UsersMenuItem"));
    About1->setObjectName(QStringLiteral("About1"));

    const auto command = [this](void (TFMain::*handler)()) {
        return [this, handler] { gui::Guard([this, handler] { (this->*handler)(); }); };
    };
    connect(OpenLogfileMenuItem, &QAction::triggered, this,
            command(&TFMain::OpenLogfileMenuItemClick));
    connect(ExitMenuItem, &QAction::triggered, this, command(&TFMain::ExitMenuItemClick));
    connect(SettingsMenuItem, &QAction::triggered, this, command(&TFMain::SettingsMenuItemClick));
    connect(UsersMenuItem, &QAction::triggered, this, command(&TFMain::UsersMenuItemClick));
    connect(About1, &QAction::triggered, this, command(&TFMain::About1Click));
}

void TFMain::FormCreate() {
    try {
        m_server = std::make_unique<TFFTPServer>(
            m_globals, [this](const std::string& line) { AddLogLine(line); });
    } catch (const std::exception& e) {
        m_server.reset();
        m_createError = e.what();
    }
    const std::string name = GetLocalComputerName();
    ServerNameLabel->SetCaption("Server name: " + name);
    ServerIPLabel->SetCaption("Server IP address: " + GetHostIPAddress(name));
}

void TFMain::FormShow() {
    if (!m_server) {
        if (m_createError)
            ReportActivationError(*m_createError);
        return;
    }
    std::string error;
    try {
        m_server->SetActive(true);
        return;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "Unknown exception";
    }
    ReportActivationError(error);
}

void TFMain::FormDestroy() {
    // No connection thread is left once the server object is gone, so
    // nothing can queue a line for this window afterwards. Its last lines
    // (Stopped among them) came from its log writer thread and still wait.
    m_server.reset();
    DrainQueuedLines();
}

void TFMain::ReportActivationError(const std::string& message) {
    const std::string text = message + "\rMaybe there is another FTP-server active on port " +
                             std::to_string(m_globals.Settings().Port) +
                             " or you started VDxFTPServer twice!\r" +
                             "Please select another port number or close other FTP-server.";
    gui::MessageDlg(text, gui::TMsgDlgType::mtError, gui::TMsgDlgBtn::mbOK, this);
    AddLogLine(DateTimeToLogStr(os::Now()) + '\t' + message);
}

void TFMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Qt shows the window again when it is restored from minimised; the
    // server is switched on at the first showing only. The error box of a
    // failed start waits until the window is on screen.
    if (std::exchange(m_shown, true))
        return;
    QMetaObject::invokeMethod(
        this, [this] { gui::Guard([this] { FormShow(); }); }, Qt::QueuedConnection);
}

void TFMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ScrollToLastLine();
}

void TFMain::AddLogLine(const std::string& line) {
    if (QThread::currentThread() == thread()) {
        DrainQueuedLines();
        AppendLine(line);
        return;
    }
    bool post = false;
    {
        std::scoped_lock lock(m_queueMutex);
        m_queuedLines.push_back(line);
        post = !std::exchange(m_drainPosted, true);
    }
    // Delivered only while this window exists.
    if (post)
        QMetaObject::invokeMethod(
            this, [this] { DrainQueuedLines(); }, Qt::QueuedConnection);
}

void TFMain::DrainQueuedLines() {
    std::deque<std::string> lines;
    {
        std::scoped_lock lock(m_queueMutex);
        lines.swap(m_queuedLines);
        m_drainPosted = false;
    }
    if (lines.size() <= 1) {
        for (const std::string& line : lines)
            AppendLine(line);
        return;
    }
    // A burst from busy connections: only its newest 100 lines can stay, and
    // the columns are fitted once at the end instead of after every line.
    // The list ends exactly as if the lines had come one by one.
    if (lines.size() > std::size_t(kMaxLogLines))
        lines.erase(lines.begin(), lines.end() - kMaxLogLines);
    TFcListBoxStrings& items = LogTabbedListBox->Items();
    items.BeginUpdate();
    try {
        for (const std::string& line : lines) {
            items.Add(line);
            TrimLogList();
        }
    } catch (...) {
        items.EndUpdate();
        throw;
    }
    items.EndUpdate();
    LogTabbedListBox->CalcAutomaticTabStops();
    ScrollToLastLine();
}

void TFMain::AppendLine(const std::string& line) {
    LogTabbedListBox->Items().Add(line);
    TrimLogList();
    ScrollToLastLine();
}

void TFMain::TrimLogList() {
    if (LogTabbedListBox->Items().Count() > kMaxLogLines)
        LogTabbedListBox->Items().Delete(0);
}

void TFMain::ScrollToLastLine() {
    const int visible = LogTabbedListBox->ClientHeight() / LogTabbedListBox->ItemHeight();
    const int count = LogTabbedListBox->Items().Count();
    if (visible < count)
        LogTabbedListBox->SetTopIndex(count - visible);
}

void TFMain::BringToFront() {
    gui::BringToFront(*this);
}

void TFMain::OpenLogfileMenuItemClick() {
    // The file shows every line logged before the click, also those still queued.
    if (m_server)
        m_server->FlushLog();
    TFViewLogDlg dialog(this, m_globals);
    dialog.ShowModal();
}

void TFMain::ExitMenuItemClick() {
    close();
}

void TFMain::SettingsMenuItemClick() {
    TFSettingsDlg dialog(this, m_globals);
    dialog.Settings = m_globals.Settings();
    if (dialog.ShowModal() != gui::mrOk)
        return;
    const TSettings live = m_globals.Settings();
    const TSettings& edited = dialog.Settings;
    // The FTP component took these when the server object was made.
    const bool restart =
        edited.Port != live.Port || edited.UseCustomPortRange != live.UseCustomPortRange ||
        edited.PasvMinPort != live.PasvMinPort || edited.PasvMaxPort != live.PasvMaxPort ||
        edited.UsePasvIP != live.UsePasvIP || edited.PasvIP != live.PasvIP;
    // Written first: settings in force must be the ones the file holds. A
    // failed write throws past this to the error box.
    m_globals.SaveSettings(edited);
    m_globals.SetSettings(edited);
    if (restart)
        gui::MessageDlg("Restart the VdxFTPserver before changes will take effect.",
                        gui::TMsgDlgType::mtInformation, gui::TMsgDlgBtn::mbOK, this);
}

void TFMain::UsersMenuItemClick() {
    gui::MessageDlg("Use the program \"VdxUserAdmin\" for adding and editing user properties.",
                    gui::TMsgDlgType::mtInformation, gui::TMsgDlgBtn::mbOK, this);
}

void TFMain::About1Click() {
    TFAboutDlg dialog(this, m_versionInfo, os::ProgramPath());
    dialog.exec();
}

} // namespace vdx
