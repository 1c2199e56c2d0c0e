#include "websearch/WebConfig.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "http/Url.h"

namespace {

TEST(WebConfig, ShippedValuesAreTheConstants) {
    resetWebConfig();
    const WebConfig config = webConfig();
    EXPECT_EQ(config.engineHost, kEngineHost);
    EXPECT_EQ(config.engineDomains[0], kEngineDomains[0]);
    EXPECT_EQ(config.engineDomains[1], kEngineDomains[1]);
    EXPECT_EQ(config.engineHomeHost, kEngineHomeHost);
    EXPECT_EQ(config.formSiteHost, kFormSiteHost);
    EXPECT_EQ(config.torrentHost, kTorrentHost);
    EXPECT_EQ(config.formWaitMs, 5000u);
    EXPECT_EQ(config.enginePageWaitMs, 1000u);
    // The engine's result page counts as an engine page, and so does its home page.
    EXPECT_TRUE(isEngineHost(config, kEngineHost));
    EXPECT_TRUE(isEngineHost(config, kEngineHomeHost));
    EXPECT_FALSE(isEngineHost(config, kFormSiteHost));
}

TEST(WebConfig, OutputDirectoryIsThePlatformsTemporaryDirectoryUnlessSet) {
    resetWebConfig();
    EXPECT_EQ(webOutputDir(), std::filesystem::temp_directory_path().string());
    WebConfig config;
    config.outputDir = "/some/where";
    setWebConfig(config);
    EXPECT_EQ(webOutputDir(), "/some/where");
    resetWebConfig();
}

TEST(WebConfig, EmptyEngineDomainMatchesNothing) {
    WebConfig config;
    config.engineDomains = {"", "engine.test"};
    EXPECT_FALSE(isEngineHost(config, ""));
    EXPECT_FALSE(isEngineHost(config, "www."));
    EXPECT_TRUE(isEngineHost(config, "www.engine.test"));
}

}  // namespace
