#pragma once
// Appending whole records to a file that other programs read while it grows
// (a log): outside the share emulation of winfile.h, so no open of ours with
// any share mode can refuse or delay the append.

#include <string>
#include <string_view>

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

} // namespace vdx::os
