#include "http/HostCache.h"

#include "platform/Net.h"

HostCache::HostCache() : HostCache(&platform::net::resolveIPv4) {}

HostCache::HostCache(Resolver resolver) : m_resolver(std::move(resolver)) {}

bool HostCache::lookup(const std::string& host, uint32_t& address) {
    if (host.empty()) {
        return false;
    }
    platform::ScopedLock hold(m_lock);
    auto it = m_entries.find(host);
    if (it != m_entries.end()) {
        address = it->second;
        return true;
    }
    uint32_t found = 0;
    if (!m_resolver || !m_resolver(host, found)) {
        return false;
    }
    m_entries.emplace(host, found);
    address = found;
    return true;
}

void HostCache::add(const std::string& host, uint32_t address) {
    platform::ScopedLock hold(m_lock);
    m_entries[host] = address;
}

size_t HostCache::size() {
    platform::ScopedLock hold(m_lock);
    return m_entries.size();
}
