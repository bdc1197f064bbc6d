#pragma once
// Folder change watching for the shell controls: one thread waits in poll on
// an inotify descriptor and an eventfd that stops it, and reports each change
// as the number of the watch slot it touched. Watches are added and removed
// on the caller's thread under the table's mutex, so an add is complete when
// AddWatch returns. inotify is not recursive: a subtree watch covers its
// folder and the folders registered for it with AddSubtreeFolder.

#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace vdx::shell {

inline constexpr std::uint32_t FILE_NOTIFY_CHANGE_FILE_NAME = 0x1;
inline constexpr std::uint32_t FILE_NOTIFY_CHANGE_DIR_NAME = 0x2;
inline constexpr int kChangeWatchSlots = 63;

class ChangeWatcher {
public:
    // Called on the watcher's thread with the slot a change touched: once
    // per slot for everything one read of the kernel's queue brought.
    using PostFn = std::function<void(int slot)>;

    explicit ChangeWatcher(PostFn post);
    ~ChangeWatcher();
    ChangeWatcher(const ChangeWatcher&) = delete;
    ChangeWatcher& operator=(const ChangeWatcher&) = delete;

    // Watches the folder path for the names the filter asks for (files,
    // folders or both) in the first free slot, which index receives. False
    // for an empty path, one that is no folder, or a full table.
    bool AddWatch(const std::string& path, std::uint32_t notifyFilter, int& index,
                  bool watchSubtree);
    // Adds a folder below a subtree slot's own one to that slot.
    bool AddSubtreeFolder(int index, const std::string& path);
    void RemoveAllWatches();
    // Wakes the thread, joins it and closes the descriptors; afterwards no
    // report is made. Done by the destructor too.
    void Stop();

private:
    struct Slot {
        bool Used = false;
        bool Subtree = false;
        std::uint32_t Filter = 0;
        int OwnWatch = -1;
        std::vector<int> Watches;
    };

    void Run();
    void Dispatch(const char* buffer, std::size_t size);
    void FreeSlot(int slot);
    void DropWatch(int wd, int slot);

    PostFn m_post;
    std::mutex m_mutex;
    std::array<Slot, kChangeWatchSlots> m_slots;
    std::unordered_map<int, std::vector<int>> m_slotsOfWatch;
    int m_inotify = -1;
    int m_wake = -1;
    std::thread m_thread;
};

} // namespace vdx::shell
