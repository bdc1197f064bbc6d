#pragma once
// Appending whole records to a file that other programs read while it grows
// (a log): outside the share emulation of winfile.h, so no open of ours with
// any share mode can refuse or delay the append.

#include "platform/os/unique_fd.h"

#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace vdx::os {

// Appends record to the file at path (resolved without regard to case,
// created when missing), in one write where the system takes it whole. The
// record starts a line of its own: a file whose last byte is not LF (a line
// torn by a crash) first gets CR LF. Whole or not at all: a short write (a
// full disk, a file-size limit) cuts the file back to where the record began.
// Refuses, as File does, folders, FIFOs, devices and sockets (EACCES, never
// waiting on a FIFO) and a file with the read-only attribute (EACCES).
// Returns false with errno set. Another process appending at the very moment
// of a cut-back may lose the bytes it appended after ours.
bool AppendRecord(const std::string& path, std::string_view record);

// AppendRecord for a writer that appends to one path again and again (a log
// writer): the file stays open between appends, so an append costs a look at
// the name instead of an open. Each append goes to the file the name stands
// for at that moment, as AppendRecord's would: a file deleted, renamed or
// replaced meanwhile is let go and the name opened again. Holds no share
// locks, so it keeps nobody from opening, deleting or renaming the file.
class AppendFile {
public:
    explicit AppendFile(std::string path) : m_path(std::move(path)) {}

    // As AppendRecord(path, record).
    bool Append(std::string_view record);

private:
    // Opens the name as AppendRecord does; false with errno set.
    bool Open(struct stat& st);

    std::string m_path;
    UniqueFd m_fd; // a regular file, once opened
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

} // namespace vdx::os
