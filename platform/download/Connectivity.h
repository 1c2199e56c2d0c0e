// The connectivity test: the machine counts as connected when a network interface
// other than loopback is up and carries a default route (IPv4 or IPv6).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

bool isConnected();

// The rule itself, on the texts of /proc/net/route and /proc/net/ipv6_route and a test
// of whether an interface is up.
bool hasDefaultRoute(std::string_view ipv4Routes, std::string_view ipv6Routes,
                     const std::function<bool(const std::string&)>& interfaceUp);

}  // namespace platform
