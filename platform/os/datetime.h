#pragma once
// Date-time values as the programs use them (days since 1899-12-30, the
// fraction is the time of day), Windows file times and the DOS date-time form.

#include <cstdint>
#include <ctime>
#include <optional>

namespace vdx::os {

// Days since 1899-12-30 00:00; the fraction is the time of day. Before that
// day the value is negative and the fraction still counts forward from
// midnight (-1.25 is 1899-12-29 06:00), as the Windows programs have it.
using TDateTime = double;
// 100-nanosecond intervals since 1601-01-01 00:00 UTC, as stored by the file system.
using FileTime = std::int64_t;

struct DateTimeParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
};

// nullopt for parts out of range (month 13, 30 February, hour 24, year 0 ...).
std::optional<TDateTime> TryEncodeDateTime(const DateTimeParts& parts);
// Throws std::invalid_argument for parts out of range.
TDateTime EncodeDateTime(const DateTimeParts& parts);
// Rounded to the millisecond.
DateTimeParts DecodeDateTime(TDateTime value);
// Current local time.
TDateTime Now();

FileTime TimespecToFileTime(const timespec& ts);
timespec FileTimeToTimespec(FileTime ft);

// DOS form: date in the high 16 bits ((year - 1980) << 9 | month << 5 | day),
// time in the low 16 (hour << 11 | minute << 5 | second / 2): odd seconds go
// down to the even second below. The conversions do no time-zone shift: a
// file time's UTC fields are used as they are. Out of 1980..2107: nullopt.
std::optional<std::uint32_t> FileTimeToDosDateTime(FileTime ft);
// 0 for a DOS value with fields out of range (0 itself included).
FileTime DosDateTimeToFileTime(std::uint32_t dos);
// 0 for values outside 1980..2107.
std::uint32_t DateTimeToDosDateTime(TDateTime value);
// 0 for a DOS value with fields out of range.
TDateTime DosDateTimeToDateTime(std::uint32_t dos);

// The nearest valid DOS stamp for any file time (clamped to 1980-01-01 00:00:00
// or 2107-12-31 23:59:58); for listings that must not fail on one odd entry.
std::uint32_t ClampedDosDateTime(FileTime ft);

} // namespace vdx::os
