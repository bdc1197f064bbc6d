#include "platform/os/datetime.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace vdx::os {

namespace {

constexpr std::int64_t kMsecPerDay = 86'400'000;
constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kTicksPerDay = kTicksPerSecond * 86'400;
// Day numbers relative to 1970-01-01.
constexpr std::int64_t kDateTimeEpochDay = -25'569;  // 1899-12-30
constexpr std::int64_t kFileTimeEpochDay = -134'774; // 1601-01-01
constexpr std::int64_t kFileTimeEpochSeconds = -kFileTimeEpochDay * 86'400;

constexpr std::uint32_t kDosMin = (0u << 25) | (1u << 21) | (1u << 16);
constexpr std::uint32_t kDosMax =
    (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;

struct Civil {
    std::int64_t year;
    int month, day;
};

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Proleptic Gregorian day number relative to 1970-01-01.
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = FloorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146'097 + doe - 719'468;
}

Civil CivilFromDays(std::int64_t z) {
    z += 719'468;
    const std::int64_t era = FloorDiv(z, 146'097);
    const std::int64_t doe = z - era * 146'097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

bool IsLeapYear(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(std::int64_t y, int m) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

bool ValidDate(std::int64_t y, int m, int d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

struct DosFields {
    int year, month, day, hour, minute, second;
};

std::optional<DosFields> SplitDos(std::uint32_t dos) {
    const DosFields f{static_cast<int>(1980 + (dos >> 25)), static_cast<int>((dos >> 21) & 0x0F),
                      static_cast<int>((dos >> 16) & 0x1F), static_cast<int>((dos >> 11) & 0x1F),
                      static_cast<int>((dos >> 5) & 0x3F),  static_cast<int>((dos & 0x1F) * 2)};
    if (!ValidDate(f.year, f.month, f.day) || f.hour > 23 || f.minute > 59 || f.second > 59)
        return std::nullopt;
    return f;
}

std::optional<std::uint32_t> PackDos(std::int64_t year, int month, int day, int hour, int minute,
                                     int second) {
    if (year < 1980 || year > 2107)
        return std::nullopt;
    return static_cast<std::uint32_t>(((year - 1980) << 25) | (month << 21) | (day << 16) |
                                      (hour << 11) | (minute << 5) | (second / 2));
}

} // namespace

std::optional<TDateTime> TryEncodeDateTime(const DateTimeParts& p) {
    if (!ValidDate(p.year, p.month, p.day) || p.hour < 0 || p.hour > 23 || p.minute < 0 ||
        p.minute > 59 || p.second < 0 || p.second > 59 || p.msec < 0 || p.msec > 999)
        return std::nullopt;
    const double days =
        static_cast<double>(DaysFromCivil(p.year, p.month, p.day) - kDateTimeEpochDay);
    const double time =
        static_cast<double>(((p.hour * 60 + p.minute) * 60 + p.second) * 1000 + p.msec) /
        static_cast<double>(kMsecPerDay);
    return days >= 0 ? days + time : days - time;
}

TDateTime EncodeDateTime(const DateTimeParts& parts) {
    if (const auto value = TryEncodeDateTime(parts))
        return *value;
    throw std::invalid_argument("Invalid argument to date encode");
}

DateTimeParts DecodeDateTime(TDateTime value) {
    // Keep far-off values inside years 1..9999 so the arithmetic stays defined.
    if (std::isnan(value))
        value = 0;
    value = std::fmax(-693'593.0, std::fmin(value, 2'958'465.99999));
    const auto ms = static_cast<std::int64_t>(std::llround(value * kMsecPerDay));
    // Before 1899-12-30 the whole days count backwards but the time of day forwards.
    const std::int64_t day = ms >= 0 ? ms / kMsecPerDay : -((-ms) / kMsecPerDay);
    const std::int64_t time = (ms >= 0 ? ms : -ms) % kMsecPerDay;
    const Civil c = CivilFromDays(day + kDateTimeEpochDay);
    DateTimeParts p;
    p.year = static_cast<int>(c.year);
    p.month = c.month;
    p.day = c.day;
    p.hour = static_cast<int>(time / 3'600'000);
    p.minute = static_cast<int>(time / 60'000 % 60);
    p.second = static_cast<int>(time / 1000 % 60);
    p.msec = static_cast<int>(time % 1000);
    return p;
}

TDateTime Now() {
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm{};
    ::localtime_r(&ts.tv_sec, &tm);
    DateTimeParts p;
    p.year = tm.tm_year + 1900;
    p.month = tm.tm_mon + 1;
    p.day = tm.tm_mday;
    p.hour = tm.tm_hour;
    p.minute = tm.tm_min;
    p.second = tm.tm_sec > 59 ? 59 : tm.tm_sec; // a leap second
    p.msec = static_cast<int>(ts.tv_nsec / 1'000'000);
    return TryEncodeDateTime(p).value_or(0);
}

FileTime TimespecToFileTime(const timespec& ts) {
    constexpr std::int64_t kMaxSeconds =
        std::numeric_limits<FileTime>::max() / kTicksPerSecond - kFileTimeEpochSeconds - 1;
    constexpr std::int64_t kMinSeconds =
        -kFileTimeEpochSeconds - std::numeric_limits<FileTime>::max() / kTicksPerSecond + 1;
    std::int64_t sec = ts.tv_sec;
    if (sec > kMaxSeconds)
        sec = kMaxSeconds;
    if (sec < kMinSeconds)
        sec = kMinSeconds;
    return (sec + kFileTimeEpochSeconds) * kTicksPerSecond + ts.tv_nsec / 100;
}

timespec FileTimeToTimespec(FileTime ft) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(FloorDiv(ft, kTicksPerSecond) - kFileTimeEpochSeconds);
    ts.tv_nsec = static_cast<long>((ft - FloorDiv(ft, kTicksPerSecond) * kTicksPerSecond) * 100);
    return ts;
}

std::optional<std::uint32_t> FileTimeToDosDateTime(FileTime ft) {
    const std::int64_t days = FloorDiv(ft, kTicksPerDay);
    const std::int64_t secs = (ft - days * kTicksPerDay) / kTicksPerSecond;
    const Civil c = CivilFromDays(days + kFileTimeEpochDay);
    return PackDos(c.year, c.month, c.day, static_cast<int>(secs / 3600),
                   static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60));
}

FileTime DosDateTimeToFileTime(std::uint32_t dos) {
    const auto f = SplitDos(dos);
    if (!f)
        return 0;
    const std::int64_t days = DaysFromCivil(f->year, f->month, f->day) - kFileTimeEpochDay;
    return days * kTicksPerDay + ((f->hour * 60 + f->minute) * 60 + f->second) * kTicksPerSecond;
}

std::uint32_t DateTimeToDosDateTime(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    return PackDos(p.year, p.month, p.day, p.hour, p.minute, p.second).value_or(0);
}

TDateTime DosDateTimeToDateTime(std::uint32_t dos) {
    const auto f = SplitDos(dos);
    if (!f)
        return 0;
    return EncodeDateTime({f->year, f->month, f->day, f->hour, f->minute, f->second, 0});
}

std::uint32_t ClampedDosDateTime(FileTime ft) {
    if (const auto dos = FileTimeToDosDateTime(ft))
        return *dos;
    return ft < DosDateTimeToFileTime(kDosMin) ? kDosMin : kDosMax;
}

} // namespace vdx::os
