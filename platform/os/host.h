#pragma once

#include <string>

namespace vdx::os {

// This machine's host name (gethostname); empty on failure.
std::string LocalHostName();
// First IPv4 address of host as dotted text (getaddrinfo, AF_INET); for an
// empty host, of this machine's own name. Empty on any failure.
std::string FirstIPv4Address(const std::string& host);

} // namespace vdx::os
