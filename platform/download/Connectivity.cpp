#include "platform/download/Connectivity.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace platform {

namespace {

constexpr unsigned long kRouteUp = 0x1;
constexpr unsigned long kRouteReject = 0x200;

std::vector<std::string> fields(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    std::string f;
    while (in >> f) {
        out.push_back(f);
    }
    return out;
}

bool usable(const std::string& iface, const std::string& flagsHex,
            const std::function<bool(const std::string&)>& interfaceUp) {
    const unsigned long flags = std::strtoul(flagsHex.c_str(), nullptr, 16);
    return iface != "lo" && (flags & kRouteUp) != 0 && (flags & kRouteReject) == 0 &&
           interfaceUp(iface);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream buf;
    buf << in.rdbuf();
    return buf.str();
}

}  // namespace

bool hasDefaultRoute(std::string_view ipv4Routes, std::string_view ipv6Routes,
                     const std::function<bool(const std::string&)>& interfaceUp) {
    // /proc/net/route: Iface Destination Gateway Flags RefCnt Use Metric Mask ...
    std::istringstream v4{std::string(ipv4Routes)};
    std::string line;
    while (std::getline(v4, line)) {
        const auto f = fields(line);
        if (f.size() >= 8 && f[1] == "00000000" && f[7] == "00000000" &&
            usable(f[0], f[3], interfaceUp)) {
            return true;
        }
    }
    // /proc/net/ipv6_route: dest plen src splen nexthop metric refcnt use flags iface
    std::istringstream v6{std::string(ipv6Routes)};
    while (std::getline(v6, line)) {
        const auto f = fields(line);
        if (f.size() >= 10 && f[0] == std::string(32, '0') && f[1] == "00" &&
            usable(f[9], f[8], interfaceUp)) {
            return true;
        }
    }
    return false;
}

bool isConnected() {
    auto up = [](const std::string& iface) {
        if (iface.find('/') != std::string::npos || iface.find("..") != std::string::npos) {
            return false;
        }
        const std::string base = "/sys/class/net/" + iface + "/";
        const unsigned long flags = std::strtoul(readFile(base + "flags").c_str(), nullptr, 16);
        std::string state = readFile(base + "operstate");
        while (!state.empty() && (state.back() == '\n' || state.back() == ' ')) {
            state.pop_back();
        }
        return (flags & 0x1) != 0 && state != "down" && state != "lowerlayerdown";
    };
    return hasDefaultRoute(readFile("/proc/net/route"), readFile("/proc/net/ipv6_route"), up);
}

}  // namespace platform
