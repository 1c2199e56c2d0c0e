#include "websearch/WebConfig.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "http/Url.h"

namespace {

std::mutex g_configMutex;
WebConfig g_config;  // guarded by g_configMutex

}  // namespace

WebConfig webConfigServedBy(const std::string& hostPort) {
    WebConfig config;
    config.engineHost = hostPort;
    config.engineDomains[0] = hostPort.substr(0, hostPort.rfind(':'));
    config.formSiteHost = hostPort;
    config.torrentHost = hostPort;
    return config;
}

WebConfig webConfig() {
    std::lock_guard<std::mutex> lock(g_configMutex);
    return g_config;
}

void setWebConfig(const WebConfig& config) {
    std::lock_guard<std::mutex> lock(g_configMutex);
    g_config = config;
}

void resetWebConfig() {
    setWebConfig(WebConfig{});
}

std::string webOutputDir() {
    std::string dir = webConfig().outputDir;
    if (!dir.empty()) {
        return dir;
    }
    std::error_code ec;
    std::filesystem::path tmp = std::filesystem::temp_directory_path(ec);
    return ec ? std::string("/tmp") : tmp.string();
}

bool isEngineHost(const WebConfig& config, const std::string& host) {
    for (const std::string& domain : config.engineDomains) {
        if (!domain.empty() && sameHost(host, domain)) {
            return true;
        }
    }
    return false;
}
