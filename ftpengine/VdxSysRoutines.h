#pragma once
// System routines only the FTP server links: the log timestamp, a file's
// date stamp, this machine's name and address, and the autostart value.

#include "platform/os/datetime.h"

#include <cstdint>
#include <string>

namespace vdx {

// "2024-03-05 07:04:09": local date and time, no fraction of a second.
std::string DateTimeToLogStr(os::TDateTime value);

// Last-write time of the first entry matching fileName (wildcards allowed),
// in local time as a DOS stamp (date in the high 16 bits); -1 when nothing
// matches or the time lies outside 1980 to 2107.
std::int32_t GetFileDate(const std::string& fileName);

// This machine's name; empty on failure or when it is longer than 15 characters.
std::string GetLocalComputerName();

// First IPv4 address of hostName as dotted text (this machine's for an empty
// name); empty on any failure.
std::string GetHostIPAddress(const std::string& hostName);

// Writes (non-empty command) or deletes (empty command) the autostart value
// name. False when the autostart key cannot be opened for writing; with an
// empty command, whether the value existed. A failed write throws
// vdx::os::ERegistryException.
bool SetAutoRun(const std::string& name, const std::string& command, bool localMachine);
// Whether the autostart value name holds command, without regard to ASCII case.
bool IsAutoRunSet(const std::string& name, const std::string& command, bool localMachine);

} // namespace vdx
