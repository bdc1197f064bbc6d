#include "platform/ftp/ftp_time.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace vdx::ftp {

namespace {

using namespace std::chrono;

// Days from 1899-12-30, the zero of date-time values, to 1970-01-01.
constexpr std::int64_t kUnixEpochDays = 25569;
constexpr std::int64_t kMsPerDay = 86'400'000;

bool Digits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view text) {
    int value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    return value;
}

} // namespace

std::optional<vdx::os::TDateTime> ParseFtpTimestamp(std::string_view text) {
    std::string_view fraction;
    if (text.size() > 14) {
        if (text[14] != '.' || text.size() < 16 || text.size() > 18)
            return std::nullopt;
        fraction = text.substr(15);
        text = text.substr(0, 14);
    }
    if (text.size() != 14 || !Digits(text) || !Digits(fraction))
        return std::nullopt;
    const year_month_day date{year(Number(text.substr(0, 4))),
                              month(static_cast<unsigned>(Number(text.substr(4, 2)))),
                              day(static_cast<unsigned>(Number(text.substr(6, 2))))};
    const int hour = Number(text.substr(8, 2));
    const int minute = Number(text.substr(10, 2));
    const int second = Number(text.substr(12, 2));
    if (!date.ok() || int(date.year()) < 1 || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    int ms = Number(fraction);
    for (std::size_t i = fraction.size(); i < 3; ++i)
        ms *= 10;
    const std::int64_t days = sys_days(date).time_since_epoch().count() + kUnixEpochDays;
    const std::int64_t msOfDay = ((hour * 60LL + minute) * 60 + second) * 1000 + ms;
    return static_cast<double>(days) + static_cast<double>(msOfDay) / kMsPerDay;
}

std::string FormatFtpTimestamp(vdx::os::TDateTime value) {
    // Clamp to 0001-01-01 .. 9999-12-31 23:59:59 before converting.
    constexpr double kMin = -693593.0;
    constexpr double kMax = 2958466.0 - 1.0 / 86400.0;
    if (!std::isfinite(value))
        value = 0;
    value = std::clamp(value, kMin, kMax);
    const auto totalMs = static_cast<std::int64_t>(std::llround(value * kMsPerDay));
    std::int64_t days = totalMs / kMsPerDay;
    std::int64_t msOfDay = totalMs % kMsPerDay;
    if (msOfDay < 0) {
        msOfDay += kMsPerDay;
        --days;
    }
    const year_month_day date{sys_days(std::chrono::days(days - kUnixEpochDays))};
    const std::int64_t seconds = msOfDay / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02u%02u%02d%02d%02d", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(seconds / 3600),
                  int(seconds / 60 % 60), int(seconds % 60));
    return text;
}

vdx::os::TDateTime NowUtc() {
    // Finer than a millisecond: a file written a moment ago must not lie in the future, where a
    // listing would show its year instead of its time.
    const auto us = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<double>(kUnixEpochDays) + static_cast<double>(us) / (kMsPerDay * 1000.0);
}

} // namespace vdx::ftp
