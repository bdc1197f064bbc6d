#include "controls/shell/FcChangeHandler.h"

#include <QCoreApplication>

namespace vdx {

namespace {

// A report on its way from the watcher's thread to the sink.
class TSlotEvent final : public QEvent {
public:
    explicit TSlotEvent(int slot) : QEvent(Type()), Slot(slot) {}
    static QEvent::Type Type() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    int Slot;
};

} // namespace

QEvent::Type TFcShellChangeEvent::Type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// Lives on the GUI thread; hands each report to the owner while it exists.
class TChangeHandlerThread::TSink final : public QObject {
public:
    TSink(QObject* owner, std::uint32_t msg) : m_owner(owner), m_msg(msg) {}

    void Post(int slot) { QCoreApplication::postEvent(this, new TSlotEvent(slot)); }
    bool Delivering() const noexcept { return m_delivering; }
    void Disown() noexcept { m_owner = nullptr; }

protected:
    bool event(QEvent* event) override {
        if (event->type() != TSlotEvent::Type())
            return QObject::event(event);
        if (m_owner) {
            TFcShellChangeEvent change(
                m_msg, static_cast<std::uintptr_t>(static_cast<TSlotEvent*>(event)->Slot));
            m_delivering = true;
            const QPointer<TSink> self(this);
            QCoreApplication::sendEvent(m_owner, &change);
            if (self)
                m_delivering = false;
        }
        return true;
    }

private:
    QPointer<QObject> m_owner;
    std::uint32_t m_msg;
    bool m_delivering = false;
};

TChangeHandlerThread::TChangeHandlerThread(QObject* ownerWindow, std::uint32_t messageNumber)
    : m_sink(std::make_unique<TSink>(ownerWindow, messageNumber)),
      m_watcher([sink = m_sink.get()](int slot) { sink->Post(slot); }) {}

TChangeHandlerThread::~TChangeHandlerThread() {
    // The thread is joined before the sink goes, so no report is posted to
    // a deleted object; deleting the sink removes what is still queued.
    m_watcher.Stop();
    if (m_sink->Delivering()) {
        // Destroyed from the owner's own handler: the sink is still on the
        // stack and goes once it has returned.
        QCoreApplication::removePostedEvents(m_sink.get());
        m_sink->Disown();
        m_sink.release()->deleteLater();
    }
}

bool TChangeHandlerThread::AddWatch(const std::string& path, std::uint32_t notifyFilter, int& index,
                                    bool watchSubtree) {
    return m_watcher.AddWatch(path, notifyFilter, index, watchSubtree);
}

bool TChangeHandlerThread::AddSubtreeFolder(int index, const std::string& path) {
    return m_watcher.AddSubtreeFolder(index, path);
}

void TChangeHandlerThread::RemoveAllWatches() {
    m_watcher.RemoveAllWatches();
}

} // namespace vdx
