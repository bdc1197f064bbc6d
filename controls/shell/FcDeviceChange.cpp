#include "controls/shell/FcDeviceChange.h"

#include "platform/gui/exception_guard.h"
#include "platform/shell/mounts.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSocketNotifier>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace vdx {

namespace {

// The posted form of the platform's device broadcast.
class TDeviceChangeEvent final : public QEvent {
public:
    explicit TDeviceChangeEvent(std::uintptr_t wParam) : QEvent(Type()), WParam(wParam) {}
    static QEvent::Type Type() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    std::uintptr_t WParam;
};

} // namespace

TFcDeviceChangeHandler::TFcDeviceChangeHandler() {
    // The kernel marks its mount table with POLLPRI when a mount comes or
    // goes; reading the poll result clears the mark.
    m_mountsFd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (m_mountsFd >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_mountsFd, QSocketNotifier::Exception);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this,
                         gui::Guarded([this] { CheckMounts(); }));
    }
}

TFcDeviceChangeHandler::~TFcDeviceChangeHandler() {
    m_notifier.reset();
    if (m_mountsFd >= 0)
        ::close(m_mountsFd);
}

void TFcDeviceChangeHandler::AddHandler(const void* owner, TFcDeviceChangeEvent handler) {
    m_handlers.push_back({m_nextId++, owner, std::move(handler)});
}

void TFcDeviceChangeHandler::RemoveHandler(const void* owner) {
    const auto it = std::find_if(m_handlers.begin(), m_handlers.end(),
                                 [owner](const Entry& e) { return e.Owner == owner; });
    if (it != m_handlers.end())
        m_handlers.erase(it);
}

void TFcDeviceChangeHandler::CheckMounts() {
    const shell::VolumeChanges changes = shell::RefreshVolumes();
    for (std::size_t i = 0; i < changes.Arrived.size(); ++i)
        Post(DBT_DEVICEARRIVAL);
    for (std::size_t i = 0; i < changes.Removed.size(); ++i)
        Post(DBT_DEVICEREMOVECOMPLETE);
}

void TFcDeviceChangeHandler::Post(std::uintptr_t wParam) {
    QCoreApplication::postEvent(this, new TDeviceChangeEvent(wParam));
}

bool TFcDeviceChangeHandler::event(QEvent* event) {
    if (event->type() != TDeviceChangeEvent::Type())
        return QObject::event(event);
    if (m_active)
        Deliver(static_cast<TDeviceChangeEvent*>(event)->WParam);
    return true;
}

void TFcDeviceChangeHandler::Deliver(std::uintptr_t wParam) {
    // By id, so that a handler removed (or added) by another one while they
    // run is left out.
    std::vector<std::uint64_t> ids;
    for (const Entry& e : m_handlers)
        ids.push_back(e.Id);
    for (const std::uint64_t id : ids) {
        const auto it = std::find_if(m_handlers.begin(), m_handlers.end(),
                                     [id](const Entry& e) { return e.Id == id; });
        if (it == m_handlers.end())
            continue;
        TFcDeviceChangeEvent handler = it->Handler; // the entry may go while it runs
        TFcDeviceChangeMessage msg;
        msg.WParam = wParam;
        gui::Guard([&] { handler(this, msg); });
    }
}

TFcDeviceChangeHandler& DeviceChangeHandler() {
    // Made on first use and kept: its notifier must not outlive the
    // application object in a static destructor.
    static TFcDeviceChangeHandler* const handler = new TFcDeviceChangeHandler;
    return *handler;
}

} // namespace vdx
