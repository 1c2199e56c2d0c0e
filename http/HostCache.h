// Host name to IPv4 address cache shared by every client of one web source: each host is
// resolved once and kept for the life of the source; failed lookups are not kept, so the
// next request asks again.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/Sync.h"

class HostCache {
public:
    // Fills the address (network byte order) or returns false; the seam tests replace.
    using Resolver = std::function<bool(const std::string& host, uint32_t& address)>;

    HostCache();
    explicit HostCache(Resolver resolver);

    // True with the address filled, false when the resolver has no address for host.
    // An empty host fails without asking the resolver.
    bool lookup(const std::string& host, uint32_t& address);

    // Records an address without asking the resolver: points a host name at a test
    // server, or at a fixed address.
    void add(const std::string& host, uint32_t address);

    size_t size();

private:
    Resolver m_resolver;
    // The resolver runs under the lock: threads asking at once for a host not yet known
    // wait for the one lookup instead of each asking the network.
    std::map<std::string, uint32_t> m_entries;  // guarded by m_lock
    platform::CriticalSection m_lock;
};
