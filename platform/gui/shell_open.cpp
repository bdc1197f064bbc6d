#include "platform/gui/shell_open.h"

#include <QDesktopServices>
#include <QUrl>

#include <utility>

namespace vdx::gui {

namespace {

std::function<bool(const std::string&)>& Hook() {
    static std::function<bool(const std::string&)> hook;
    return hook;
}

// The file URL of a path with its bytes percent-encoded as they are, so a
// name that is no UTF-8 still names its file.
QUrl FileUrl(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray encoded("file://");
    for (unsigned char c : path) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '/' || c == '-' || c == '.' || c == '_' ||
                           c == '~';
        if (plain) {
            encoded += char(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        }
    }
    return QUrl::fromEncoded(encoded);
}

} // namespace

bool OpenDocument(const std::string& address) {
    if (Hook())
        return Hook()(address);
    const QUrl url = !address.empty() && address.front() == '/'
                         ? FileUrl(address)
                         : QUrl(QString::fromStdString(address), QUrl::StrictMode);
    return url.isValid() && QDesktopServices::openUrl(url);
}

OpenDocumentHook::OpenDocumentHook(std::function<bool(const std::string&)> hook)
    : m_previous(std::exchange(Hook(), std::move(hook))) {}

OpenDocumentHook::~OpenDocumentHook() {
    Hook() = std::move(m_previous);
}

} // namespace vdx::gui
