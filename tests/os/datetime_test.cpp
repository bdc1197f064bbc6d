#include "platform/os/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace vdx::os;

namespace {

FileTime UtcFileTime(int y, int mo, int d, int h, int mi, int s) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    return TimespecToFileTime(timespec{::timegm(&tm), 0});
}

std::uint32_t Dos(int y, int mo, int d, int h, int mi, int s) {
    return static_cast<std::uint32_t>(((y - 1980) << 25) | (mo << 21) | (d << 16) | (h << 11) |
                                      (mi << 5) | (s / 2));
}

} // namespace

TEST(DateTime, EncodesDaysSince1899AndDecodesBack) {
    struct Row {
        const char* name;
        DateTimeParts parts;
        TDateTime value;
    };
    const Row rows[] = {
        {"zero day", {1899, 12, 30, 0, 0, 0, 0}, 0.0},
        {"noon of the zero day", {1899, 12, 30, 12, 0, 0, 0}, 0.5},
        {"1900-01-01", {1900, 1, 1, 0, 0, 0, 0}, 2.0},
        {"log example", {2024, 3, 5, 7, 4, 9, 0}, 45356.0 + (7 * 3600 + 4 * 60 + 9) / 86400.0},
        {"leap day", {2000, 2, 29, 18, 0, 0, 0}, 36585.75},
        {"before 1899 the time still counts forward", {1899, 12, 29, 6, 0, 0, 0}, -1.25},
        {"first file-time day", {1601, 1, 1, 0, 0, 0, 0}, -109205.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(EncodeDateTime(row.parts), row.value, 1e-9);
        const DateTimeParts p = DecodeDateTime(row.value);
        EXPECT_EQ(p.year, row.parts.year);
        EXPECT_EQ(p.month, row.parts.month);
        EXPECT_EQ(p.day, row.parts.day);
        EXPECT_EQ(p.hour, row.parts.hour);
        EXPECT_EQ(p.minute, row.parts.minute);
        EXPECT_EQ(p.second, row.parts.second);
        EXPECT_EQ(p.msec, row.parts.msec);
    }
}

TEST(DateTime, RejectsInvalidPartsAndRoundsToTheMillisecond) {
    const DateTimeParts invalid[] = {{2023, 2, 29, 0, 0, 0, 0}, {2024, 13, 1, 0, 0, 0, 0},
                                     {2024, 1, 0, 0, 0, 0, 0},  {2024, 1, 1, 24, 0, 0, 0},
                                     {2024, 1, 1, 0, 60, 0, 0}, {2024, 1, 1, 0, 0, 0, 1000},
                                     {0, 1, 1, 0, 0, 0, 0}};
    for (const auto& parts : invalid) {
        EXPECT_FALSE(TryEncodeDateTime(parts));
        EXPECT_THROW(EncodeDateTime(parts), std::invalid_argument);
    }
    // 23:59:59.9996 is the next midnight once rounded.
    const DateTimeParts p = DecodeDateTime(EncodeDateTime({2024, 12, 31, 0, 0, 0, 0}) +
                                           (86'400'000 - 0.4) / 86'400'000);
    EXPECT_EQ(p.year, 2025);
    EXPECT_EQ(p.month, 1);
    EXPECT_EQ(p.day, 1);
    EXPECT_EQ(p.hour + p.minute + p.second + p.msec, 0);
    EXPECT_NO_THROW(DecodeDateTime(std::nan("")));
    EXPECT_NO_THROW(DecodeDateTime(1e300));
}

TEST(DateTime, FileTimesCountFrom1601) {
    EXPECT_EQ(TimespecToFileTime(timespec{0, 0}), 116'444'736'000'000'000LL);
    EXPECT_EQ(UtcFileTime(1601, 1, 1, 0, 0, 0), 0);
    const timespec before1970{-1, 500'000'000};
    const timespec back = FileTimeToTimespec(TimespecToFileTime(before1970));
    EXPECT_EQ(back.tv_sec, -1);
    EXPECT_EQ(back.tv_nsec, 500'000'000);
    const timespec later{1'700'000'000, 123'456'700};
    EXPECT_EQ(FileTimeToTimespec(TimespecToFileTime(later)).tv_nsec, later.tv_nsec);
}

TEST(DateTime, DosFormTable) {
    struct Row {
        const char* name;
        int y, mo, d, h, mi, s;
        std::optional<std::uint32_t> dos;
    };
    const Row rows[] = {
        {"lowest", 1980, 1, 1, 0, 0, 0, 0x0021'0000u},
        {"odd second goes down", 1980, 1, 1, 0, 0, 1, 0x0021'0000u},
        {"highest", 2107, 12, 31, 23, 59, 59, 0xFF9F'BF7Du},
        {"ordinary", 2024, 3, 5, 7, 4, 9, 0x5865'3884u},
        {"leap day", 2024, 2, 29, 12, 30, 58, Dos(2024, 2, 29, 12, 30, 58)},
        {"before 1980", 1979, 12, 31, 23, 59, 59, std::nullopt},
        {"after 2107", 2108, 1, 1, 0, 0, 0, std::nullopt},
        {"unix epoch", 1970, 1, 1, 0, 0, 0, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const FileTime ft = UtcFileTime(row.y, row.mo, row.d, row.h, row.mi, row.s);
        EXPECT_EQ(FileTimeToDosDateTime(ft), row.dos);
        const TDateTime value = EncodeDateTime({row.y, row.mo, row.d, row.h, row.mi, row.s, 0});
        EXPECT_EQ(DateTimeToDosDateTime(value), row.dos.value_or(0));
        if (!row.dos) {
            EXPECT_EQ(ClampedDosDateTime(ft), row.y < 1980 ? 0x0021'0000u : 0xFF9F'BF7Du);
            continue;
        }
        const int even = row.s / 2 * 2;
        EXPECT_EQ(ClampedDosDateTime(ft), *row.dos);
        EXPECT_EQ(DosDateTimeToFileTime(*row.dos),
                  UtcFileTime(row.y, row.mo, row.d, row.h, row.mi, even));
        EXPECT_NEAR(DosDateTimeToDateTime(*row.dos),
                    EncodeDateTime({row.y, row.mo, row.d, row.h, row.mi, even, 0}), 1e-9);
    }
}

TEST(DateTime, DosValuesWithImpossibleFieldsGiveZero) {
    const std::uint32_t rows[] = {
        0,                              // month and day 0
        Dos(2024, 13, 1, 0, 0, 0),      // month 13
        Dos(2023, 2, 29, 0, 0, 0),      // no leap year
        Dos(2024, 4, 31, 0, 0, 0),      // April has 30 days
        Dos(2024, 1, 1, 24, 0, 0),      // hour 24
        Dos(2024, 1, 1, 0, 60, 0),      // minute 60
        Dos(2024, 1, 1, 0, 0, 0) | 30u, // 60 seconds
    };
    for (const std::uint32_t dos : rows) {
        EXPECT_EQ(DosDateTimeToFileTime(dos), 0) << std::hex << dos;
        EXPECT_EQ(DosDateTimeToDateTime(dos), 0.0) << std::hex << dos;
    }
}

TEST(DateTime, NowIsLocalTime) {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    const TDateTime expected = EncodeDateTime(
        {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 0});
    EXPECT_NEAR(Now(), expected, 3.0 / 86400);
}
