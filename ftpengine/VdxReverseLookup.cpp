#include "ftpengine/VdxReverseLookup.h"

#include <algorithm>
#include <arpa/inet.h>
#include <condition_variable>
#include <map>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <utility>

namespace vdx {

namespace {

using Clock = std::chrono::steady_clock;

bool IsNumericAddress(const std::string& ip) {
    in6_addr address{};
    return ::inet_pton(AF_INET, ip.c_str(), &address) == 1 ||
           ::inet_pton(AF_INET6, ip.c_str(), &address) == 1;
}

} // namespace

// Shared with the lookup threads, which may outlive the owner.
struct TReverseLookup::State {
    struct Answer {
        std::string name; // empty: none, failed or timed out
        Clock::time_point expires;
    };
    struct Running {
        bool finished = false;
        std::string name;
    };

    State(Resolver r, Limits l) : resolver(std::move(r)), limits(l) {}

    // Keeps the cache within its bound: expired answers go, then the oldest.
    void Remember(const std::string& ip, std::string name, Clock::time_point now) {
        if (cache.size() >= kMaxCachedReverseLookups && !cache.contains(ip)) {
            std::erase_if(cache, [now](const auto& entry) { return entry.second.expires <= now; });
            if (cache.size() >= kMaxCachedReverseLookups)
                cache.erase(
                    std::min_element(cache.begin(), cache.end(), [](const auto& a, const auto& b) {
                        return a.second.expires < b.second.expires;
                    }));
        }
        cache[ip] = Answer{std::move(name), now + limits.cacheTime};
    }

    const Resolver resolver;
    const Limits limits;
    std::mutex mutex;
    std::condition_variable finished;
    std::map<std::string, Answer> cache;
    std::map<std::string, std::shared_ptr<Running>> running;
};

TReverseLookup::TReverseLookup(Resolver resolver, Limits limits)
    : m_state(std::make_shared<State>(std::move(resolver), limits)) {}

TReverseLookup::~TReverseLookup() = default;

std::string TReverseLookup::HostName(const std::string& ip) {
    if (!IsNumericAddress(ip))
        return ip;
    State& state = *m_state;
    const auto deadline = Clock::now() + state.limits.timeout;
    std::unique_lock lock(state.mutex);
    if (const auto cached = state.cache.find(ip);
        cached != state.cache.end() && Clock::now() < cached->second.expires)
        return cached->second.name.empty() ? ip : cached->second.name;

    std::shared_ptr<State::Running> lookup;
    if (const auto found = state.running.find(ip); found != state.running.end()) {
        lookup = found->second;
    } else {
        if (state.running.size() >= state.limits.maxLookups)
            return ip;
        lookup = std::make_shared<State::Running>();
        try {
            std::thread([shared = m_state, ip, lookup] {
                std::string name;
                try {
                    name = shared->resolver(ip);
                } catch (...) {
                    // A failed lookup is an address without a name.
                }
                std::scoped_lock done(shared->mutex);
                lookup->finished = true;
                lookup->name = name;
                shared->running.erase(ip);
                shared->Remember(ip, std::move(name), Clock::now());
                shared->finished.notify_all();
            }).detach();
        } catch (const std::system_error&) {
            return ip;
        }
        state.running.emplace(ip, lookup);
    }

    if (!state.finished.wait_until(lock, deadline, [&] { return lookup->finished; })) {
        // Later requests get the address at once until the answer comes.
        state.Remember(ip, {}, Clock::now());
        return ip;
    }
    return lookup->name.empty() ? ip : lookup->name;
}

std::size_t TReverseLookup::LookupsRunning() const {
    std::scoped_lock lock(m_state->mutex);
    return m_state->running.size();
}

std::string TReverseLookup::SystemResolver(const std::string& ip) {
    sockaddr_storage address{};
    socklen_t length = 0;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (::inet_pton(AF_INET, ip.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        length = sizeof(sockaddr_in);
    } else if (::inet_pton(AF_INET6, ip.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        length = sizeof(sockaddr_in6);
    } else {
        return {};
    }
    char host[NI_MAXHOST];
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host, sizeof host,
                      nullptr, 0, NI_NAMEREQD) != 0)
        return {};
    return host;
}

} // namespace vdx
