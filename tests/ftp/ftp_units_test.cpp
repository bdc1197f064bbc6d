// Pieces of the FTP component that need no connection: time stamps, MODE Z streams, checksums.

#include "platform/ftp/checksums.h"
#include "platform/ftp/ftp_time.h"
#include "platform/ftp/mode_z.h"
#include "platform/ftp/stream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

namespace vdx::ftp {
namespace {

TEST(FtpTimestamp, ParsesOnlyValidStampsAndFormatsWithoutLosingASecond) {
    const struct {
        const char* text;
        bool valid;
        const char* formatted;
    } cases[] = {
        {"20240305070409", true, "20240305070409"},
        {"20240229235959", true, "20240229235959"},
        {"19800101000000", true, "19800101000000"},
        {"20240305070409.5", true, "20240305070409"},
        {"20240305070409.999", true, "20240305070409"},
        {"20230229000000", false, ""}, // no leap day
        {"20241301000000", false, ""},
        {"20240305240000", false, ""},
        {"20240305070460", false, ""},
        {"00000101000000", false, ""},
        {"2024030507040", false, ""},
        {"202403050704090", false, ""},
        {"20240305070409.", false, ""},
        {"20240305070409.1234", false, ""},
        {"2024-3-05070409", false, ""},
    };
    for (const auto& row : cases) {
        const auto value = ParseFtpTimestamp(row.text);
        EXPECT_EQ(value.has_value(), row.valid) << row.text;
        if (value) {
            EXPECT_EQ(FormatFtpTimestamp(*value), row.formatted) << row.text;
        }
    }
    // Days since 1899-12-30, the fraction the time of day.
    EXPECT_DOUBLE_EQ(*ParseFtpTimestamp("18991230120000"), 0.5);
    EXPECT_DOUBLE_EQ(*ParseFtpTimestamp("19700101000000"), 25569.0);
    // A value a hair below a whole second still prints that second.
    EXPECT_EQ(FormatFtpTimestamp(25569.0 + 2.0 / 86400.0 - 1e-12), "19700101000002");
    EXPECT_EQ(FormatFtpTimestamp(-1e300), "00010101000000");
    EXPECT_EQ(FormatFtpTimestamp(1e300), "99991231235959");
}

TEST(ModeZ, DeflateAndInflateRoundTripInBoundedPieces) {
    std::string input(5 * 1024 * 1024, '\0');
    std::mt19937 random(7);
    for (std::size_t i = 0; i < input.size(); i += 1000)
        input[i] = static_cast<char>(random());
    Deflater deflater(6);
    std::string compressed;
    for (std::size_t at = 0; at < input.size(); at += 300000)
        deflater.Compress(std::string_view(input).substr(at, 300000), false, compressed);
    deflater.Compress({}, true, compressed);
    ASSERT_LT(compressed.size(), input.size() / 10);

    // Standard zlib reads what the deflater wrote.
    std::string check(input.size(), '\0');
    uLongf size = check.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(check.data()), &size,
                         reinterpret_cast<const Bytef*>(compressed.data()), compressed.size()),
              Z_OK);
    EXPECT_TRUE(check == input);

    // Fed in odd-sized slices, the inflater never hands out more than its chunk at once.
    Inflater inflater(64 * 1024);
    std::string output;
    std::size_t largest = 0;
    for (std::size_t at = 0; at < compressed.size(); at += 777)
        inflater.Feed(std::string_view(compressed).substr(at, 777),
                      [&](const char* data, std::size_t n) {
                          largest = std::max(largest, n);
                          output.append(data, n);
                      });
    EXPECT_TRUE(inflater.Finished());
    EXPECT_TRUE(output == input);
    EXPECT_LE(largest, 64u * 1024);
}

TEST(ModeZ, DamagedOrTrailingDataIsAnError) {
    auto sink = [](const char*, std::size_t) {};
    Inflater damaged(1024);
    EXPECT_THROW(damaged.Feed("definitely not a zlib stream", sink), std::runtime_error);

    Deflater deflater(1);
    std::string compressed;
    deflater.Compress("abc", true, compressed);
    Inflater trailing(1024);
    EXPECT_THROW(trailing.Feed(compressed + "junk", sink), std::runtime_error);

    Inflater cut(1024);
    cut.Feed(std::string_view(compressed).substr(0, compressed.size() - 2), sink);
    EXPECT_FALSE(cut.Finished());
}

TEST(Checksums, RangesOfAStream) {
    TMemoryStream stream("hello world");
    const struct {
        ChecksumKind kind;
        std::int64_t start;
        std::optional<std::int64_t> end;
        const char* expected;
    } cases[] = {
        {ChecksumKind::Crc32, 0, std::nullopt, "0D4A1185"},
        {ChecksumKind::Crc32, 0, 5, "3610A686"},
        {ChecksumKind::Crc32, 6, 100, "3A771143"}, // "world": the end is clamped
        {ChecksumKind::Crc32, 11, std::nullopt, "00000000"},
        {ChecksumKind::Md5, 0, std::nullopt, "5EB63BBBE01EEED093CB22BB8F5ACDC3"},
        {ChecksumKind::Sha1, 0, std::nullopt, "2AAE6C35C94FCFB415DBE95F408B9CE91EE846ED"},
    };
    for (const auto& row : cases) {
        if (!ChecksumAvailable(row.kind))
            continue;
        EXPECT_EQ(ComputeChecksum(row.kind, stream, row.start, row.end), row.expected) << row.start;
    }
    EXPECT_THROW(ComputeChecksum(ChecksumKind::Crc32, stream, 12, std::nullopt), std::out_of_range);
}

TEST(MemoryStream, ReadsWritesSeeksAndResizes) {
    TMemoryStream stream;
    stream.Write("abcdef", 6);
    EXPECT_EQ(stream.Position(), 6);
    stream.Seek(2, TSeekOrigin::soBeginning);
    char buffer[8] = {};
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 4u);
    EXPECT_EQ(std::string(buffer, 4), "cdef");
    stream.SetSize(3);
    EXPECT_EQ(stream.Bytes(), "abc");
    EXPECT_EQ(stream.Position(), 3);
    stream.Seek(-1, TSeekOrigin::soEnd);
    stream.Write("XY", 2);
    EXPECT_EQ(stream.Bytes(), "abXY");
    EXPECT_THROW(stream.Seek(-10, TSeekOrigin::soCurrent), std::out_of_range);
}

} // namespace
} // namespace vdx::ftp
