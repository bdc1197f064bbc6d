#include "controls/shell/FcChangeHandler.h"

#include <QCoreApplication>
#include <QPointer>

#include <memory>

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

// Lives on the GUI thread; hands each report to the owner while it exists.
class TSink final : public QObject {
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

// The thread's hand-over to a window: through the sink's event queue.
class TWindowHandOver final : public TChangeHandOver {
public:
    TWindowHandOver(QObject* owner, std::uint32_t msg)
        : m_sink(std::make_unique<TSink>(owner, msg)) {}
    // The thread is joined before this goes, so no report is posted to a
    // deleted sink; deleting the sink removes what is still queued.
    ~TWindowHandOver() override {
        if (m_sink->Delivering()) {
            // Destroyed from the owner's own handler: the sink is still on
            // the stack and goes once it has returned.
            QCoreApplication::removePostedEvents(m_sink.get());
            m_sink->Disown();
            m_sink.release()->deleteLater();
        }
    }
    void Post(std::uint32_t, int slot) override { m_sink->Post(slot); }

private:
    std::unique_ptr<TSink> m_sink;
};

} // namespace

QEvent::Type TFcShellChangeEvent::Type() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

TChangeHandlerThread::TChangeHandlerThread(QObject* ownerWindow, std::uint32_t messageNumber)
    : TChangeHandlerThread(std::make_unique<TWindowHandOver>(ownerWindow, messageNumber),
                           messageNumber) {}

} // namespace vdx
