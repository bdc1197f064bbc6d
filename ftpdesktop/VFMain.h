#pragma once
// The main window of VdxFtpServer: the machine's name and address, the last
// 100 log lines, the menu, and the server object it owns. The server is
// switched on when the window is first shown and stops when it is destroyed.

#include <QMainWindow>

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class QAction;

namespace vdx {

class TFcFormState;
class TFcLabel;
class TFcPanel;
class TFcRegIniFile;
class TFcTabbedListBox;
class TFFTPServer;
class TFGlobals;
class TVersionInfo;

// The on-screen log keeps this many lines.
inline constexpr int kMaxLogLines = 100;

class TFMain : public QMainWindow {
    Q_OBJECT
public:
    // Creates the server object (off) and fills the labels. A server object
    // that cannot be created is reported when the window is first shown.
    TFMain(TFGlobals& globals, const TVersionInfo& versionInfo, QWidget* parent = nullptr);
    // Frees the server object: the FTP component stops (every connection thread
    // joined) and "Stopped" is logged, also into the list.
    ~TFMain() override;
    // The server's threads hold this object's address.
    TFMain(const TFMain&) = delete;
    TFMain& operator=(const TFMain&) = delete;

    // Components, owned through Qt's parent tree.
    TFcPanel* const FcPanel1;
    TFcLabel* const ServerNameLabel;
    TFcLabel* const ServerIPLabel;
    TFcTabbedListBox* const LogTabbedListBox;
    TFcRegIniFile* const RegIniFile;
    TFcFormState* const FormState;
    QAction* OpenLogfileMenuItem = nullptr;
    QAction* ExitMenuItem = nullptr;
    QAction* SettingsMenuItem = nullptr;
    QAction* UsersMenuItem = nullptr;
    QAction* About1 = nullptr;

    // The server object; nullptr when it could not be created.
    TFFTPServer* Server() const noexcept { return m_server.get(); }

    // Adds a log line at the end of the list, keeping the last 100 and the
    // newest in view. Safe on any thread: lines from other threads are
    // handed to the GUI thread and added there in their order of arrival;
    // lines still on their way when the window goes are added as it goes.
    void AddLogLine(const std::string& line);
    // Deletes the first line when the list holds more than 100.
    void TrimLogList();
    // Scrolls so that the newest line is the last one shown.
    void ScrollToLastLine();
    // Brings the window to the front, restored if minimised, or its open
    // modal dialog when there is one (a later instance asks for this).
    void BringToFront();

    // The menu commands.
    void OpenLogfileMenuItemClick();
    void ExitMenuItemClick();
    // The settings dialog on a copy of the live settings. OK saves the copy
    // and only then makes it live, with the restart notice when a value the
    // FTP component took at its start changed. A failed save leaves the
    // live settings and the file as they were.
    void SettingsMenuItemClick();
    void UsersMenuItemClick();
    void About1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildMenu();
    void FormCreate();
    // Switches the server on (first showing only).
    void FormShow();
    void FormDestroy();
    // The error box naming the port, then the two-field line in the list
    // only (not in the log file).
    void ReportActivationError(const std::string& message);
    void AppendLine(const std::string& line);
    void DrainQueuedLines();

    TFGlobals& m_globals;
    const TVersionInfo& m_versionInfo;
    std::unique_ptr<TFFTPServer> m_server;
    std::optional<std::string> m_createError; // why there is no server object
    bool m_shown = false;

    // Lines from connection threads on their way to the GUI thread.
    std::mutex m_queueMutex;
    std::deque<std::string> m_queuedLines;
    bool m_drainPosted = false;
};

} // namespace vdx
