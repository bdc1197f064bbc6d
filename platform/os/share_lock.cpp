// Windows share modes between our own opens, as open-file-description locks.

#include "platform/os/winfile_internal.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

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

unsigned Bit(Slot slot) {
    return 1u << slot;
}

// Calls fn(start, length) for each run of neighbouring slots in mask, in order, until one
// gives a non-zero result: a run takes one call where its slots one by one would take several.
template <class Fn> int ForEachRun(unsigned mask, Fn&& fn) {
    for (off_t slot = 0; slot < kSlotCount;) {
        if ((mask & (1u << slot)) == 0) {
            ++slot;
            continue;
        }
        off_t end = slot + 1;
        while (end < kSlotCount && (mask & (1u << end)) != 0)
            ++end;
        if (const int result = fn(slot, end - slot); result != 0)
            return result;
        slot = end;
    }
    return 0;
}

} // namespace

int AcquireShareLocks(int fd, bool canHold, Access access, Share share) {
    // What is held: -1 stops with success (a file system without locks), else the errno.
    constexpr int kNoLocks = -1;
    if (canHold) {
        const unsigned holds = (Reads(access) ? Bit(HasRead) : 0) |
                               (Writes(access) ? Bit(HasWrite) : 0) |
                               (!SharesRead(share) ? Bit(DeniesRead) : 0) |
                               (!SharesWrite(share) ? Bit(DeniesWrite) : 0);
        const int error = ForEachRun(holds, [fd](off_t start, off_t len) {
            struct flock fl = Range(F_RDLCK, start, len);
            if (::fcntl(fd, F_OFD_SETLK, &fl) == 0)
                return 0;
            const int e = errno;
            if (NoLocksHere(e))
                return kNoLocks;
            return e == EAGAIN || e == EACCES ? EBUSY : e;
        });
        if (error != 0)
            return error == kNoLocks ? 0 : error;
    }
    // Probe after holding: of two conflicting opens at least one sees the other.
    const unsigned probes =
        (Reads(access) ? Bit(DeniesRead) : 0) | (Writes(access) ? Bit(DeniesWrite) : 0) |
        (!SharesRead(share) ? Bit(HasRead) : 0) | (!SharesWrite(share) ? Bit(HasWrite) : 0);
    const int error = ForEachRun(probes, [fd](off_t start, off_t len) {
        bool held = false;
        if (const int e = Probe(fd, start, len, held); e != 0)
            return NoLocksHere(e) ? kNoLocks : e;
        return held ? EBUSY : 0;
    });
    return error == kNoLocks ? 0 : error;
}

} // namespace vdx::os::detail
