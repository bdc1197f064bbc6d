#pragma once
// The change-notification thread of a shell tree or list: it watches folders
// (platform/shell/change_watch.h) and hands each change (message number,
// WParam = the watch's slot) to its owner through a hand-over. The one for a
// control's window is in FcChangeHandler.h; this file has no Qt, so that the
// thread can be tested on its own.

#include "platform/shell/change_watch.h"

#include <cstdint>
#include <memory>
#include <string>

class QObject;

namespace vdx {

// How the reports reach the owner.
class TChangeHandOver {
public:
    virtual ~TChangeHandOver() = default;
    // On the watcher's thread: a change touched slot.
    virtual void Post(std::uint32_t msg, int slot) = 0;
};

class TChangeHandlerThread {
public:
    // Made on the GUI thread; reports reach ownerWindow (may be null: no
    // reports then) as a TFcShellChangeEvent on the GUI thread.
    TChangeHandlerThread(QObject* ownerWindow, std::uint32_t messageNumber);
    TChangeHandlerThread(std::unique_ptr<TChangeHandOver> handOver, std::uint32_t messageNumber);
    // Stops and joins the thread and closes its descriptors before the
    // hand-over goes, so nothing is handed over afterwards.
    ~TChangeHandlerThread();
    TChangeHandlerThread(const TChangeHandlerThread&) = delete;
    TChangeHandlerThread& operator=(const TChangeHandlerThread&) = delete;

    bool AddWatch(const std::string& path, std::uint32_t notifyFilter, int& index,
                  bool watchSubtree);
    // A folder below a subtree watch's own, as the owner loads it.
    bool AddSubtreeFolder(int index, const std::string& path);
    void RemoveAllWatches();

private:
    std::unique_ptr<TChangeHandOver> m_handOver;
    std::uint32_t m_msg;
    shell::ChangeWatcher m_watcher;
};

} // namespace vdx
