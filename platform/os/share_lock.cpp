// Windows share modes between our own opens, as open-file-description locks.

#include "platform/os/winfile_internal.h"

#include <cerrno>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>
#include <utility>

namespace vdx::os::detail {

namespace {

// Far past any data a file of ours can hold, so the locks never meet the
// byte-range locks of programs that lock real data.
constexpr off_t kSlotBase = 0x7FFF'FFFF'FFFF'FF00;

enum Slot : off_t { HasRead = 0, HasWrite = 1, DeniesRead = 2, DeniesWrite = 3, kSlotCount = 4 };

bool Reads(Access a) {
    return a != Access::Write;
}
bool Writes(Access a) {
    return a != Access::Read;
}
bool SharesRead(Share s) {
    return s != Share::None;
}
bool SharesWrite(Share s) {
    return s == Share::ReadWrite;
}

struct flock Range(short type, off_t start, off_t len) {
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = kSlotBase + start;
    fl.l_len = len;
    fl.l_pid = 0;
    return fl;
}

// Another open description holds a lock somewhere in the range; errno on failure.
int Probe(int fd, off_t start, off_t len, bool& held) {
    struct flock fl = Range(F_WRLCK, start, len);
    if (::fcntl(fd, F_OFD_GETLK, &fl) != 0)
        return errno;
    held = fl.l_type != F_UNLCK;
    return 0;
}

bool NoLocksHere(int error) {
    return error == EINVAL || error == ENOLCK || error == EOPNOTSUPP;
}

} // namespace

int AcquireShareLocks(int fd, bool canHold, Access access, Share share) {
    if (canHold) {
        const std::initializer_list<std::pair<bool, Slot>> holds = {
            {Reads(access), HasRead},
            {Writes(access), HasWrite},
            {!SharesRead(share), DeniesRead},
            {!SharesWrite(share), DeniesWrite}};
        for (const auto& [want, slot] : holds) {
            if (!want)
                continue;
            struct flock fl = Range(F_RDLCK, slot, 1);
            if (::fcntl(fd, F_OFD_SETLK, &fl) != 0) {
                const int error = errno;
                if (NoLocksHere(error))
                    return 0; // a file system without locks: no share modes there
                return error == EAGAIN || error == EACCES ? EBUSY : error;
            }
        }
    }
    // Probe after holding: of two conflicting opens at least one sees the other.
    const std::initializer_list<std::pair<bool, Slot>> probes = {{Reads(access), DeniesRead},
                                                                 {Writes(access), DeniesWrite},
                                                                 {!SharesRead(share), HasRead},
                                                                 {!SharesWrite(share), HasWrite}};
    for (const auto& [want, slot] : probes) {
        if (!want)
            continue;
        bool held = false;
        if (const int error = Probe(fd, slot, 1, held); error != 0)
            return NoLocksHere(error) ? 0 : error;
        if (held)
            return EBUSY;
    }
    return 0;
}

} // namespace vdx::os::detail
