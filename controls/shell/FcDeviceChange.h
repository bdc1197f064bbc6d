#pragma once
// The process's one forwarder of device arrivals and removals: it watches
// the kernel's mount table (POLLPRI on /proc/self/mountinfo), reads it
// again on a change and tells every registered handler, from a posted
// event on the GUI thread, of each volume that came (DBT_DEVICEARRIVAL) or
// went (DBT_DEVICEREMOVECOMPLETE).

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;

namespace vdx {

inline constexpr std::uint32_t WM_DEVICECHANGE = 537;
inline constexpr std::uint32_t WM_FCDEVICECHANGE = 0x0400 + 100;
inline constexpr std::uint32_t DBT_DEVICEARRIVAL = 0x8000;
inline constexpr std::uint32_t DBT_DEVICEREMOVECOMPLETE = 0x8004;

// The message a handler gets: WParam is the DBT_ event.
struct TFcDeviceChangeMessage {
    std::uint32_t Msg = WM_FCDEVICECHANGE;
    std::uintptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};
using TFcDeviceChangeEvent = std::function<void(QObject* sender, TFcDeviceChangeMessage& msg)>;

class TFcDeviceChangeHandler : public QObject {
public:
    TFcDeviceChangeHandler();
    ~TFcDeviceChangeHandler() override;

    // Registers handler under owner (one entry per call); the owner's
    // entries go with RemoveHandler(owner).
    void AddHandler(const void* owner, TFcDeviceChangeEvent handler);
    // Removes owner's first entry. A handler removed while the handlers run
    // is not called any more.
    void RemoveHandler(const void* owner);
    bool Active() const noexcept { return m_active; }
    void SetActive(bool value) noexcept { m_active = value; }
    std::size_t HandlerCount() const noexcept { return m_handlers.size(); }

    // Reads the mount table again and posts one message for each change
    // (what a change of the kernel's table does).
    void CheckMounts();
    // Posts a message with wParam, as the platform's broadcast does.
    void Post(std::uintptr_t wParam);

protected:
    bool event(QEvent* event) override;

private:
    struct Entry {
        std::uint64_t Id;
        const void* Owner;
        TFcDeviceChangeEvent Handler;
    };
    void Deliver(std::uintptr_t wParam);

    bool m_active = true;
    std::uint64_t m_nextId = 1;
    std::vector<Entry> m_handlers;
    int m_mountsFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// The forwarder, made on first use (GUI thread only).
TFcDeviceChangeHandler& DeviceChangeHandler();

} // namespace vdx
