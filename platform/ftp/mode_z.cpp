#include "platform/ftp/mode_z.h"

#include <zlib.h>

#include <stdexcept>
#include <vector>

namespace vdx::ftp {

namespace {

std::runtime_error ZlibError(const z_stream& z, const char* what) {
    return std::runtime_error(std::string(what) + (z.msg ? std::string(": ") + z.msg : ""));
}

} // namespace

struct Deflater::State {
    z_stream z{};
};

Deflater::Deflater(int level) : m_state(std::make_unique<State>()) {
    if (deflateInit(&m_state->z, level) != Z_OK)
        throw ZlibError(m_state->z, "Cannot start compression");
}

Deflater::~Deflater() {
    deflateEnd(&m_state->z);
}

void Deflater::Compress(std::string_view input, bool finish, std::string& out) {
    z_stream& z = m_state->z;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    z.avail_in = static_cast<uInt>(input.size());
    const int flush = finish ? Z_FINISH : Z_NO_FLUSH;
    for (;;) {
        const std::size_t before = out.size();
        const std::size_t room = deflateBound(&z, z.avail_in) + 64;
        out.resize(before + room);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + before);
        z.avail_out = static_cast<uInt>(room);
        const int rc = deflate(&z, flush);
        out.resize(before + (room - z.avail_out));
        if (rc == Z_STREAM_END)
            return;
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            throw ZlibError(z, "Compression failed");
        if (z.avail_in == 0 && !finish && z.avail_out != 0)
            return;
    }
}

struct Inflater::State {
    z_stream z{};
    std::vector<char> chunk;
    bool finished = false;
};

Inflater::Inflater(std::size_t chunkSize) : m_state(std::make_unique<State>()) {
    m_state->chunk.resize(chunkSize);
    if (inflateInit(&m_state->z) != Z_OK)
        throw ZlibError(m_state->z, "Cannot start decompression");
}

Inflater::~Inflater() {
    inflateEnd(&m_state->z);
}

bool Inflater::Finished() const {
    return m_state->finished;
}

void Inflater::Feed(std::string_view input, const Sink& sink) {
    State& s = *m_state;
    if (input.empty())
        return;
    if (s.finished)
        throw std::runtime_error("Data after the end of the compressed stream");
    s.z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    s.z.avail_in = static_cast<uInt>(input.size());
    while (s.z.avail_in > 0 && !s.finished) {
        s.z.next_out = reinterpret_cast<Bytef*>(s.chunk.data());
        s.z.avail_out = static_cast<uInt>(s.chunk.size());
        const int rc = inflate(&s.z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END)
            throw ZlibError(s.z, "Damaged compressed data");
        const std::size_t produced = s.chunk.size() - s.z.avail_out;
        if (produced > 0)
            sink(s.chunk.data(), produced);
        if (rc == Z_STREAM_END)
            s.finished = true;
    }
    // inflate may hold output back while input is consumed; drain it.
    while (!s.finished) {
        s.z.next_out = reinterpret_cast<Bytef*>(s.chunk.data());
        s.z.avail_out = static_cast<uInt>(s.chunk.size());
        const int rc = inflate(&s.z, Z_NO_FLUSH);
        if (rc == Z_BUF_ERROR)
            break;
        if (rc != Z_OK && rc != Z_STREAM_END)
            throw ZlibError(s.z, "Damaged compressed data");
        const std::size_t produced = s.chunk.size() - s.z.avail_out;
        if (produced > 0)
            sink(s.chunk.data(), produced);
        if (rc == Z_STREAM_END)
            s.finished = true;
        if (produced == 0)
            break;
    }
    if (s.finished && s.z.avail_in > 0)
        throw std::runtime_error("Data after the end of the compressed stream");
}

} // namespace vdx::ftp
