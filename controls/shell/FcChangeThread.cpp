#include "controls/shell/FcChangeThread.h"

#include <utility>

namespace vdx {

TChangeHandlerThread::TChangeHandlerThread(std::unique_ptr<TChangeHandOver> handOver,
                                           std::uint32_t messageNumber)
    : m_handOver(std::move(handOver)), m_msg(messageNumber),
      m_watcher([this](int slot) { m_handOver->Post(m_msg, slot); }) {}

TChangeHandlerThread::~TChangeHandlerThread() {
    m_watcher.Stop();
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
