// The network layer under HttpClient::fetch: host lookup through the shared cache, one
// TCP connection per request with a bounded connect wait, and the receive loop that feeds
// the response parser until it is complete, the peer stops, or a wait runs out.
// IPv4 and plain TCP only: the scheme of a URL plays no part.
#pragma once

#include <cstdint>
#include <string>

#include "http/HostCache.h"
#include "http/HttpParser.h"
#include "http/Url.h"
#include "platform/Net.h"

inline constexpr const char* kErrorDnsQuery = "fail to query DNS server";
inline constexpr const char* kErrorCreateSocket = "fail to create socket";
inline constexpr const char* kErrorConnect = "fail to connect";
inline constexpr const char* kErrorSocket = "socket error!!!";
inline constexpr const char* kErrorConnectionClosed = "connection closed!!!";
inline constexpr const char* kErrorTimeout = "time out!!!";

// The address of url.host (through cache; directly when cache is null) at url.port.
// Sets errorText to kErrorDnsQuery, or kErrorConnect for a port no connection can use.
// True exactly when errorText is empty afterwards.
bool resolveAddress(HostCache* cache, const Url& url, platform::net::Endpoint& out,
                    std::string& errorText);

// A connected socket in blocking mode, or an invalid one. A failure that sets no text is
// the "did not connect in time, or refused" case the caller ends the fetch on quietly.
platform::net::Socket connectWithTimeout(const platform::net::Endpoint& to, int timeoutMs,
                                         std::string& errorText);

// Resets parser and feeds it the response read from fd. Each wait for data lasts at most
// waitMs and none goes past deadlineMs (steady clock); a transport failure sets errorText.
void receiveResponse(int fd, HttpParser& parser, int waitMs, int64_t deadlineMs,
                     std::string& errorText);
