#include "platform/ftp/checksums.h"

#include "platform/ftp/limits.h"

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

#ifdef VDX_HAVE_OPENSSL
#include <openssl/evp.h>
#endif

namespace vdx::ftp {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

std::string Hex(const unsigned char* bytes, std::size_t count) {
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

// Calls consume for every piece of the range, read through one bounded buffer.
template <typename Consume>
void ReadRange(TStream& stream, std::int64_t start, std::optional<std::int64_t> end,
               const std::function<bool()>& stopRequested, Consume&& consume) {
    const std::int64_t size = stream.Size();
    if (start < 0 || start > size)
        throw std::out_of_range("Start position beyond the end of the file");
    std::int64_t left = std::min(end.value_or(size), size) - start;
    if (left <= 0)
        return;
    stream.Seek(start, TSeekOrigin::soBeginning);
    auto buffer = std::make_unique_for_overwrite<unsigned char[]>(kTransferBufferSize);
    while (left > 0) {
        if (stopRequested && stopRequested())
            throw ChecksumStopped();
        const auto want = static_cast<std::size_t>(
            std::min<std::int64_t>(left, static_cast<std::int64_t>(kTransferBufferSize)));
        const std::size_t got = stream.Read(buffer.get(), want);
        if (got == 0)
            break;
        consume(buffer.get(), got);
        left -= static_cast<std::int64_t>(got);
    }
}

#ifdef VDX_HAVE_OPENSSL
const EVP_MD* Digest(ChecksumKind kind) {
    switch (kind) {
    case ChecksumKind::Md5:
        return EVP_md5();
    case ChecksumKind::Sha1:
        return EVP_sha1();
    case ChecksumKind::Sha256:
        return EVP_sha256();
    case ChecksumKind::Sha512:
        return EVP_sha512();
    case ChecksumKind::Crc32:
        break;
    }
    return nullptr;
}

struct MdCtxFree {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};
#endif

} // namespace

bool ChecksumAvailable(ChecksumKind kind) {
#ifdef VDX_HAVE_OPENSSL
    return kind == ChecksumKind::Crc32 || Digest(kind) != nullptr;
#else
    return kind == ChecksumKind::Crc32;
#endif
}

std::optional<std::string> ComputeChecksum(ChecksumKind kind, TStream& stream, std::int64_t start,
                                           std::optional<std::int64_t> end,
                                           const std::function<bool()>& stopRequested) {
    if (kind == ChecksumKind::Crc32) {
        uLong crc = crc32(0L, Z_NULL, 0);
        ReadRange(stream, start, end, stopRequested, [&](const unsigned char* data, std::size_t n) {
            crc = crc32(crc, data, static_cast<uInt>(n));
        });
        const unsigned char bytes[4] = {
            static_cast<unsigned char>(crc >> 24), static_cast<unsigned char>(crc >> 16),
            static_cast<unsigned char>(crc >> 8), static_cast<unsigned char>(crc)};
        return Hex(bytes, 4);
    }
#ifdef VDX_HAVE_OPENSSL
    const EVP_MD* md = Digest(kind);
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx(EVP_MD_CTX_new());
    if (!md || !ctx || EVP_DigestInit_ex(ctx.get(), md, nullptr) != 1)
        return std::nullopt;
    ReadRange(stream, start, end, stopRequested, [&](const unsigned char* data, std::size_t n) {
        EVP_DigestUpdate(ctx.get(), data, n);
    });
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(ctx.get(), digest, &length) != 1)
        return std::nullopt;
    return Hex(digest, length);
#else
    (void)stream;
    (void)start;
    (void)end;
    (void)stopRequested;
    return std::nullopt;
#endif
}

} // namespace vdx::ftp
