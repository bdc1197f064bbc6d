#pragma once
// The change-notification thread of a shell tree or list: it watches folders
// (platform/shell/change_watch.h) and tells its owner of each change with a
// TFcShellChangeEvent (message number, WParam = the watch's slot) sent on
// the GUI thread. Reports pass through a sink the thread object owns, so
// destroying the object drops whatever is still queued, and a gone owner
// gets nothing.

#include "platform/shell/change_watch.h"

#include <QEvent>
#include <QPointer>

#include <cstdint>
#include <memory>
#include <string>

namespace vdx {

inline constexpr std::uint32_t WM_FCSHELLCHANGE = 0x0400 + 101;

class TFcShellChangeEvent final : public QEvent {
public:
    TFcShellChangeEvent(std::uint32_t msg, std::uintptr_t wParam)
        : QEvent(Type()), Msg(msg), WParam(wParam) {}
    static QEvent::Type Type();

    std::uint32_t Msg;
    std::uintptr_t WParam;
    std::intptr_t LParam = 0;
};

class TChangeHandlerThread {
public:
    // Made on the GUI thread; ownerWindow may be null (no reports then).
    TChangeHandlerThread(QObject* ownerWindow, std::uint32_t messageNumber);
    // Stops and joins the thread, closes its descriptors and drops the
    // reports not yet delivered.
    ~TChangeHandlerThread();
    TChangeHandlerThread(const TChangeHandlerThread&) = delete;
    TChangeHandlerThread& operator=(const TChangeHandlerThread&) = delete;

    bool AddWatch(const std::string& path, std::uint32_t notifyFilter, int& index,
                  bool watchSubtree);
    // A folder below a subtree watch's own, as the owner loads it.
    bool AddSubtreeFolder(int index, const std::string& path);
    void RemoveAllWatches();

private:
    class TSink;

    std::unique_ptr<TSink> m_sink;
    shell::ChangeWatcher m_watcher;
};

} // namespace vdx
