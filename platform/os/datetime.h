#pragma once
// Date-time values as the programs use them (days since 1899-12-30, the
// fraction is the time of day), Windows file times and the DOS date-time form.

#include <cstdint>
#include <optional>
#include <ctime>

namespace vdx::os {

using TDateTime = double;
// 100-nanosecond intervals since 1601-01-01 00:00 UTC, as stored by the file system.
using FileTime = std::int64_t;

struct DateTimeParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
};

TDateTime EncodeDateTime(const DateTimeParts& parts);
DateTimeParts DecodeDateTime(TDateTime value);
// Current local time.
TDateTime Now();

FileTime TimespecToFileTime(const timespec& ts);
timespec FileTimeToTimespec(FileTime ft);

// DOS form: date in the high 16 bits, time (2-second resolution) in the low 16.
// The conversions do no time-zone shift. Out of 1980..2107: nullopt.
std::optional<std::uint32_t> FileTimeToDosDateTime(FileTime ft);
FileTime DosDateTimeToFileTime(std::uint32_t dos);
// 0 for values outside 1980..2107.
std::uint32_t DateTimeToDosDateTime(TDateTime value);
TDateTime DosDateTimeToDateTime(std::uint32_t dos);

// The nearest valid DOS stamp for any file time (clamped to 1980-01-01 00:00:00
// or 2107-12-31 23:59:58); for listings that must not fail on one odd entry.
std::uint32_t ClampedDosDateTime(FileTime ft);

} // namespace vdx::os
