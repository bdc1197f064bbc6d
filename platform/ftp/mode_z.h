#pragma once
// MODE Z: one zlib stream (RFC 1950) per data connection, for files and listings alike.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vdx::ftp {

inline constexpr int kModeZDefaultLevel = 6;

// The compressor the server offers MODE Z with; without one the server refuses MODE Z.
class TIdCompressorZLibEx {
public:
    // Level of a new connection until OPTS MODE Z LEVEL changes it (0 to 9).
    int DefaultLevel = kModeZDefaultLevel;
};

// Compresses one data connection's bytes into a zlib stream.
class Deflater {
public:
    explicit Deflater(int level); // throws std::runtime_error when zlib cannot start
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;
    ~Deflater();

    // Compresses input and appends what zlib produces to out; finish ends the stream (then no
    // further call). out grows by at most about input.size() plus a few hundred bytes.
    void Compress(std::string_view input, bool finish, std::string& out);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Decompresses one data connection's zlib stream in bounded pieces.
class Inflater {
public:
    // Each piece handed to the sink holds at most chunkSize bytes, so a small input that expands
    // enormously never sits in memory whole.
    explicit Inflater(std::size_t chunkSize);
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    ~Inflater();

    using Sink = std::function<void(const char* data, std::size_t size)>;
    // Feeds input; sink receives the output. Throws std::runtime_error on damaged data or on
    // bytes after the end of the stream.
    void Feed(std::string_view input, const Sink& sink);
    // True once the stream's end was seen.
    bool Finished() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace vdx::ftp
