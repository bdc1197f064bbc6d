#include "platform/shell/change_watch.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace vdx::shell {

namespace {

// Names coming and going; IN_ISDIR tells files and folders apart.
constexpr std::uint32_t kWatchMask =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR;

bool Wanted(std::uint32_t filter, std::uint32_t mask) {
    if ((mask & kWatchMask) == 0)
        return false;
    return (mask & IN_ISDIR) ? (filter & FILE_NOTIFY_CHANGE_DIR_NAME) != 0
                             : (filter & FILE_NOTIFY_CHANGE_FILE_NAME) != 0;
}

} // namespace

ChangeWatcher::ChangeWatcher(PostFn post) : m_post(std::move(post)) {
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    m_wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_inotify < 0 || m_wake < 0) {
        Stop();
        return;
    }
    m_thread = std::thread([this] { Run(); });
}

ChangeWatcher::~ChangeWatcher() {
    Stop();
}

void ChangeWatcher::Stop() {
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        while (::write(m_wake, &one, sizeof one) < 0 && errno == EINTR) {
        }
        m_thread.join();
    }
    std::lock_guard lock(m_mutex);
    for (int* fd : {&m_inotify, &m_wake}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    m_slots = {};
    m_slotsOfWatch.clear();
}

bool ChangeWatcher::AddWatch(const std::string& path, std::uint32_t notifyFilter, int& index,
                             bool watchSubtree) {
    index = -1;
    if (path.empty())
        return false;
    std::lock_guard lock(m_mutex);
    if (m_inotify < 0)
        return false;
    // The free slot is found before the kernel's watch is made: a full table
    // must not leave a watch behind, nor remove one another slot shares.
    const auto free =
        std::find_if(m_slots.begin(), m_slots.end(), [](const Slot& s) { return !s.Used; });
    if (free == m_slots.end())
        return false;
    const int wd = ::inotify_add_watch(m_inotify, path.c_str(), kWatchMask);
    if (wd < 0)
        return false;
    *free = Slot{true, watchSubtree, notifyFilter, wd, {wd}};
    index = static_cast<int>(free - m_slots.begin());
    m_slotsOfWatch[wd].push_back(index);
    return true;
}

bool ChangeWatcher::AddSubtreeFolder(int index, const std::string& path) {
    if (path.empty() || index < 0 || index >= kChangeWatchSlots)
        return false;
    std::lock_guard lock(m_mutex);
    Slot& slot = m_slots[static_cast<std::size_t>(index)];
    if (m_inotify < 0 || !slot.Used || !slot.Subtree)
        return false;
    const int wd = ::inotify_add_watch(m_inotify, path.c_str(), kWatchMask);
    if (wd < 0)
        return false;
    if (std::find(slot.Watches.begin(), slot.Watches.end(), wd) == slot.Watches.end()) {
        slot.Watches.push_back(wd);
        m_slotsOfWatch[wd].push_back(index);
    }
    return true;
}

void ChangeWatcher::RemoveAllWatches() {
    std::lock_guard lock(m_mutex);
    if (m_inotify >= 0)
        for (const auto& [wd, slots] : m_slotsOfWatch)
            ::inotify_rm_watch(m_inotify, wd);
    m_slots = {};
    m_slotsOfWatch.clear();
}

// Takes slot off the kernel's watch wd; the watch goes when no slot is left.
void ChangeWatcher::DropWatch(int wd, int slot) {
    const auto it = m_slotsOfWatch.find(wd);
    if (it == m_slotsOfWatch.end())
        return;
    std::erase(it->second, slot);
    if (it->second.empty()) {
        ::inotify_rm_watch(m_inotify, wd);
        m_slotsOfWatch.erase(it);
    }
}

void ChangeWatcher::FreeSlot(int slot) {
    Slot& s = m_slots[static_cast<std::size_t>(slot)];
    for (const int wd : s.Watches)
        DropWatch(wd, slot);
    s = Slot{};
}

void ChangeWatcher::Run() {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        pollfd fds[2] = {{m_wake, POLLIN, 0}, {m_inotify, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents != 0)
            return;
        if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL))
            return;
        if ((fds[1].revents & POLLIN) == 0)
            continue;
        const ssize_t got = ::read(m_inotify, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            return;
        }
        Dispatch(buffer, static_cast<std::size_t>(got));
    }
}

void ChangeWatcher::Dispatch(const char* buffer, std::size_t size) {
    std::lock_guard lock(m_mutex);
    std::vector<int> touched;
    const auto touch = [&touched](int slot) {
        if (std::find(touched.begin(), touched.end(), slot) == touched.end())
            touched.push_back(slot);
    };
    std::vector<int> freed;
    for (std::size_t at = 0; at + sizeof(inotify_event) <= size;) {
        const auto* ev = reinterpret_cast<const inotify_event*>(buffer + at);
        at += sizeof(inotify_event) + ev->len;
        if (ev->mask & IN_Q_OVERFLOW) {
            // Changes were lost: every slot looks again.
            for (int i = 0; i < kChangeWatchSlots; ++i)
                if (m_slots[static_cast<std::size_t>(i)].Used)
                    touch(i);
            continue;
        }
        const auto it = m_slotsOfWatch.find(ev->wd);
        if (it == m_slotsOfWatch.end())
            continue;
        if (ev->mask & IN_IGNORED) {
            // The folder went: the kernel dropped the watch already. A slot
            // whose own folder it was gets a last report and is freed.
            const std::vector<int> slots = it->second;
            m_slotsOfWatch.erase(it);
            for (const int slot : slots) {
                Slot& s = m_slots[static_cast<std::size_t>(slot)];
                std::erase(s.Watches, ev->wd);
                touch(slot);
                if (s.OwnWatch == ev->wd)
                    freed.push_back(slot);
            }
            continue;
        }
        for (const int slot : it->second)
            if (Wanted(m_slots[static_cast<std::size_t>(slot)].Filter, ev->mask))
                touch(slot);
    }
    for (const int slot : freed)
        FreeSlot(slot);
    if (m_post)
        for (const int slot : touched)
            m_post(slot);
}

} // namespace vdx::shell
