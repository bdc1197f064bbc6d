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

} // namespace

bool OpenDocument(const std::string& address) {
    if (Hook())
        return Hook()(address);
    const QString text = QString::fromStdString(address);
    const QUrl url = text.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(text)
                                                       : QUrl(text, QUrl::StrictMode);
    return url.isValid() && QDesktopServices::openUrl(url);
}

OpenDocumentHook::OpenDocumentHook(std::function<bool(const std::string&)> hook)
    : m_previous(std::exchange(Hook(), std::move(hook))) {}

OpenDocumentHook::~OpenDocumentHook() {
    Hook() = std::move(m_previous);
}

} // namespace vdx::gui
