// The reverse lookup behind STAT against a resolver the test holds: a hanging
// resolver costs a bounded number of threads and one wait per address.

#include "ftpengine/VdxReverseLookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace vdx {
namespace {

using namespace std::chrono_literals;

// A resolver that answers from a table once released. Held by shared_ptr: a
// lookup thread may still be inside it when the test's objects go.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int calls = 0;
    int inside = 0;
    int peakInside = 0;
    std::map<std::string, std::string> names; // missing: throws

    void Open() {
        std::scoped_lock lock(mutex);
        open = true;
        changed.notify_all();
    }
    int Calls() {
        std::scoped_lock lock(mutex);
        return calls;
    }

    static TReverseLookup::Resolver Resolver(const std::shared_ptr<Gate>& gate) {
        return [gate](const std::string& ip) {
            std::unique_lock lock(gate->mutex);
            ++gate->calls;
            gate->peakInside = std::max(gate->peakInside, ++gate->inside);
            gate->changed.wait(lock, [&] { return gate->open; });
            --gate->inside;
            const auto found = gate->names.find(ip);
            if (found == gate->names.end())
                throw std::runtime_error("no answer");
            return found->second;
        };
    }
};

std::size_t ThreadsOfThisProcess() {
    const auto tasks = std::filesystem::directory_iterator("/proc/self/task");
    return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
}

// Lookup threads end on their own once the resolver returns; bounded wait.
bool AllLookupsEnded(const TReverseLookup& lookup) {
    for (int i = 0; i < 500 && lookup.LookupsRunning() != 0; ++i)
        std::this_thread::sleep_for(10ms);
    return lookup.LookupsRunning() == 0;
}

TEST(ReverseLookup, AnswersAndFailuresAreKeptForTheCacheTime) {
    struct Row {
        const char* ip;
        const char* expected;
    };
    const Row rows[] = {
        {"192.0.2.1", "one.example"},
        {"2001:db8::1", "six.example"},
        {"192.0.2.2", "192.0.2.2"}, // no name
        {"192.0.2.3", "192.0.2.3"}, // the resolver fails
    };
    for (const auto cacheTime : {60'000ms, 0ms}) {
        SCOPED_TRACE(cacheTime.count());
        auto gate = std::make_shared<Gate>();
        gate->open = true;
        gate->names = {
            {"192.0.2.1", "one.example"}, {"2001:db8::1", "six.example"}, {"192.0.2.2", ""}};
        TReverseLookup lookup(Gate::Resolver(gate), {.cacheTime = cacheTime});
        for (int round = 0; round < 2; ++round)
            for (const Row& row : rows)
                EXPECT_EQ(lookup.HostName(row.ip), row.expected) << row.ip;
        EXPECT_EQ(lookup.HostName("not-an-address"), "not-an-address");
        EXPECT_EQ(gate->Calls(), cacheTime == 0ms ? 8 : 4);
        EXPECT_TRUE(AllLookupsEnded(lookup));
    }
}

TEST(ReverseLookup, TimeoutGivesTheAddressAndTheLateAnswerIsKept) {
    auto gate = std::make_shared<Gate>();
    gate->names = {{"192.0.2.7", "late.example"}};
    TReverseLookup lookup(Gate::Resolver(gate), {.timeout = 100ms});
    EXPECT_EQ(lookup.HostName("192.0.2.7"), "192.0.2.7");
    EXPECT_EQ(lookup.HostName("192.0.2.7"), "192.0.2.7") << "answered from the cache";
    EXPECT_EQ(gate->Calls(), 1);
    gate->Open();
    ASSERT_TRUE(AllLookupsEnded(lookup));
    EXPECT_EQ(lookup.HostName("192.0.2.7"), "late.example");
    EXPECT_EQ(gate->Calls(), 1);
}

TEST(ReverseLookup, HangingResolverCostsBoundedThreadsAndOneLookupPerAddress) {
    auto gate = std::make_shared<Gate>();
    TReverseLookup lookup(Gate::Resolver(gate), {.timeout = 100ms, .maxLookups = 4});
    // ThreadSanitizer starts a thread of its own with the first one the
    // process makes; it must be there before the count.
    std::thread([] {}).join();
    const std::size_t threadsBefore = ThreadsOfThisProcess();
    // Many sessions asking at once, each address twice.
    std::vector<std::thread> sessions;
    std::atomic<int> wrong = 0;
    for (int i = 0; i < 64; ++i)
        sessions.emplace_back([&, i] {
            const std::string ip = "192.0.2." + std::to_string(i % 32);
            if (lookup.HostName(ip) != ip)
                ++wrong;
        });
    for (auto& session : sessions)
        session.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(lookup.LookupsRunning(), 4u);
    EXPECT_LE(ThreadsOfThisProcess(), threadsBefore + 4);
    EXPECT_EQ(gate->Calls(), 4) << "one resolver call per address, and only while a thread is free";
    EXPECT_EQ(gate->peakInside, 4);
    // With every thread stuck, a new address is answered without a lookup.
    EXPECT_EQ(lookup.HostName("192.0.2.200"), "192.0.2.200");
    EXPECT_EQ(gate->Calls(), 4);
    gate->Open();
    EXPECT_TRUE(AllLookupsEnded(lookup));
}

TEST(ReverseLookup, LookupStillRunningWhenTheOwnerGoesEndsSafely) {
    auto gate = std::make_shared<Gate>();
    {
        TReverseLookup lookup(Gate::Resolver(gate), {.timeout = 50ms});
        EXPECT_EQ(lookup.HostName("192.0.2.9"), "192.0.2.9");
    }
    gate->Open();
    // The thread finishes with the shared state and lets it go: the resolver
    // held inside it drops its copy of the gate.
    for (int i = 0; i < 500 && gate.use_count() > 1; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(gate.use_count(), 1);
}

} // namespace
} // namespace vdx
