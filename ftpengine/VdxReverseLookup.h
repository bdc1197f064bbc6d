#pragma once
// The host name behind a client's address, for STAT: bounded in threads,
// waiting time and memory whatever the resolver does.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace vdx {

// Longest wait for one answer: a resolver that hangs must not hold the
// connection.
inline constexpr std::chrono::milliseconds kReverseLookupTimeout{2000};
// Lookups running at once; a request beyond them gets the address at once.
inline constexpr std::size_t kMaxReverseLookups = 4;
// How long an answer, a failure or a timeout is reused.
inline constexpr std::chrono::milliseconds kReverseLookupCacheTime{60'000};
// Addresses remembered; the oldest answers go first.
inline constexpr std::size_t kMaxCachedReverseLookups = 1024;

// Defined outside the class: its defaults are then complete where a
// constructor takes it as a default argument.
struct TReverseLookupLimits {
    std::chrono::milliseconds timeout = kReverseLookupTimeout;
    std::size_t maxLookups = kMaxReverseLookups;
    std::chrono::milliseconds cacheTime = kReverseLookupCacheTime;
};

class TReverseLookup {
public:
    // The host name of a numeric address, empty when it has none. May block
    // for as long as it likes; it runs on a lookup thread.
    using Resolver = std::function<std::string(const std::string& ip)>;

    using Limits = TReverseLookupLimits;

    // resolver defaults to getnameinfo with NI_NAMEREQD.
    explicit TReverseLookup(Resolver resolver = SystemResolver, Limits limits = {});
    // A lookup still running when this object goes keeps its state alive and
    // ends on its own; nothing waits for it.
    ~TReverseLookup();
    TReverseLookup(const TReverseLookup&) = delete;
    TReverseLookup& operator=(const TReverseLookup&) = delete;

    // The host name of ip, or ip itself when it is no numeric address, has no
    // name, the lookup fails, gives no answer within the timeout, or every
    // lookup thread is busy with other addresses. A request for an address
    // already being looked up waits for that lookup instead of starting one.
    // Thread-safe.
    std::string HostName(const std::string& ip);

    // Lookups whose resolver call has not returned yet.
    std::size_t LookupsRunning() const;

    static std::string SystemResolver(const std::string& ip);

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace vdx
