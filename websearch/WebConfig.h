// The outside services the web search talks to, and the waits it keeps before asking
// them. The shipped values are constants; a test points the sources at loopback servers
// in-process through setWebConfig (never through the environment).
#pragma once

#include <array>
#include <cstdint>
#include <string>

// The search engine's Korean site: its result page is the crawl seed.
inline constexpr const char* kEngineHost = "www.findora.co.kr.example";
// The engine's global domain, then its Korean national domain.
inline constexpr std::array<const char*, 2> kEngineDomains = {"findora.example",
                                                              "findora.co.kr.example"};
// The engine's home host, the default crawl seed when no seed option is given.
inline constexpr const char* kEngineHomeHost = "www.findora.example";
inline constexpr const char* kFormSiteHost = "www.pelmora-forms.example";
inline constexpr const char* kTorrentHost = "www.torrentlode.example";

// Every host may carry ":port" (a test's loopback server); engineDomains are compared
// with sameHost, which never looks at a port.
struct WebConfig {
    std::string engineHost = kEngineHost;
    std::array<std::string, 2> engineDomains = {kEngineDomains[0], kEngineDomains[1]};
    std::string engineHomeHost = kEngineHomeHost;
    std::string formSiteHost = kFormSiteHost;
    std::string torrentHost = kTorrentHost;
    // The form-site source waits this long before its request.
    uint32_t formWaitMs = 5000;
    // A crawl worker waits this long before any page of the engine's domains.
    uint32_t enginePageWaitMs = 1000;
    // The sources' output directory; empty means the platform's temporary directory.
    std::string outputDir;
};

// Every outside service (engine, form site, torrent index) answered by one server at
// hostPort ("address:port"), the engine's own domain being that address: how tests
// point the sources at a loopback server. Waits and the output directory stay shipped.
WebConfig webConfigServedBy(const std::string& hostPort);

// A copy of the configuration in force; safe from any thread.
WebConfig webConfig();
// Replaces the configuration for the searches that start afterwards.
void setWebConfig(const WebConfig& config);
// Back to the shipped values.
void resetWebConfig();

// The directory the sources name in their output option.
std::string webOutputDir();

// host names one of the engine's domains (sameHost, first domain then second).
bool isEngineHost(const WebConfig& config, const std::string& host);
