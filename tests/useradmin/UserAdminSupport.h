#pragma once
// Helpers of the user administration window tests: an install root as the
// program sees it, mouse input sent as the platform delivers it, and the
// modal dialog of the next command.

#include "shared/VardexUsersXML.h"

#include "InstallRoot.h"
#include "TempDir.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>

namespace vdx::test {

// The program's folder beside the FTP server's and the teletext server's.
class AdminInstall : public InstallRoot {
public:
    AdminInstall() {
        std::filesystem::create_directories(Root() + "VdxUserAdmin");
        std::filesystem::create_directories(Root() + "VdxTxtServer/users");
        std::filesystem::create_directories(Root() + "VdxTxtServer/transfer");
    }
    std::string Program() const { return Root() + "VdxUserAdmin/VdxUserAdmin"; }
    std::string IniPath() const { return Root() + "VdxTxtServer/users/users.ini"; }
    std::string Transfer() const { return Root() + "VdxTxtServer/transfer/"; }

    // The FTP server's settings as far as these tests need them; port 0 lets
    // the test host choose one.
    void WriteSwitches(bool useVdxText, bool useVdxInfo, int port = 0) const {
        const auto flag = [](bool on) { return on ? "true" : "false"; };
        WriteFileBytes(SettingsPath(),
                       std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Vardex>"
                                   "<Settings><Port>") +
                           std::to_string(port) + "</Port><UseVdxInfo>" + flag(useVdxInfo) +
                           "</UseVdxInfo><UseVdxText>" + flag(useVdxText) +
                           "</UseVdxText></Settings></Vardex>\r\n");
    }
};

inline TUserXML AdminUser(std::string name, bool txt, bool webTxt = false) {
    TUserXML u = MakeUser(std::move(name), "pw");
    u.TXT = txt;
    u.WebTXT = webTxt;
    return u;
}

inline void SendMouse(QWidget& w, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::MouseButtons(Qt::NoButton) : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), QPointF(w.mapToGlobal(at)), Qt::LeftButton, held,
                  Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

// Press, release, the platform's second press as a double click, release.
inline void DoubleClickAt(QWidget& w, QPoint at) {
    SendMouse(w, QEvent::MouseButtonPress, at);
    SendMouse(w, QEvent::MouseButtonRelease, at);
    SendMouse(w, QEvent::MouseButtonDblClick, at);
    SendMouse(w, QEvent::MouseButtonRelease, at);
}

// Runs act on the modal dialog the next command opens (nullptr when none
// is open once the command waits in its event loop); act closes it. Returns
// a flag telling whether act ran.
inline std::shared_ptr<bool> OnNextModal(std::function<void(QWidget*)> act) {
    auto ran = std::make_shared<bool>(false);
    QTimer::singleShot(0, [act = std::move(act), ran] {
        *ran = true;
        act(QApplication::activeModalWidget());
    });
    return ran;
}

} // namespace vdx::test
