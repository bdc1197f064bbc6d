#include "platform/os/host.h"

#include <arpa/inet.h>
#include <climits>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vdx::os {

std::string LocalHostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

std::string FirstIPv4Address(const std::string& host) {
    const std::string name = host.empty() ? LocalHostName() : host;
    if (name.empty())
        return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM; // one entry per address
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return {};
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owned(found, &::freeaddrinfo);
    const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    char text[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) == nullptr)
        return {};
    return text;
}

} // namespace vdx::os
