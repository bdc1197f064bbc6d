#include "platform/os/host.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace vdx::os;

namespace {

// Whether /etc/hosts names host, so that looking it up sends nothing to a name server.
bool InHostsFile(const std::string& host) {
    std::ifstream in("/etc/hosts");
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string word;
        words >> word; // the address
        while (words >> word)
            if (word == host)
                return true;
    }
    return false;
}

} // namespace

TEST(Host, NameAndAddresses) {
    char expected[HOST_NAME_MAX + 1] = {};
    ASSERT_EQ(::gethostname(expected, sizeof expected - 1), 0);
    EXPECT_EQ(LocalHostName(), expected);

    EXPECT_EQ(FirstIPv4Address("localhost"), "127.0.0.1");
    EXPECT_EQ(FirstIPv4Address("127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(FirstIPv4Address("::1"), "") << "no IPv4 address";
    // A label longer than 63 bytes cannot be asked for, so no name server is queried.
    EXPECT_EQ(FirstIPv4Address(std::string(70, 'x') + ".invalid"), "");
    if (InHostsFile(LocalHostName())) {
        EXPECT_EQ(FirstIPv4Address(""), FirstIPv4Address(LocalHostName()));
        EXPECT_NE(FirstIPv4Address(""), "");
    }
}
