#pragma once
// The FTP time-stamp form YYYYMMDDHHMMSS[.sss] (RFC 3659) for date-time values, which the FTP
// component takes as UTC unchanged.

#include "platform/os/datetime.h"

#include <optional>
#include <string>
#include <string_view>

namespace vdx::ftp {

// nullopt unless text is exactly 14 digits of a valid date and time (years 1 to 9999, seconds
// 0 to 59), optionally followed by "." and 1 to 3 digits of fractions of a second.
std::optional<vdx::os::TDateTime> ParseFtpTimestamp(std::string_view text);

// YYYYMMDDHHMMSS of value, rounded to the millisecond first and then cut to the second (so a
// stored even second never prints as the second before); years are clamped to 1..9999.
std::string FormatFtpTimestamp(vdx::os::TDateTime value);

// The current time as a date-time value in UTC.
vdx::os::TDateTime NowUtc();

} // namespace vdx::ftp
