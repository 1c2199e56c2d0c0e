#include "websearch/BfsQ.h"

#include <gtest/gtest.h>

#include "websearch/WebConfig.h"

namespace {

std::vector<std::string> queued(BfsQ& q) {
    std::vector<std::string> out;
    for (const Url& u : q.queue) {
        out.push_back(u.compose(kPartAll) + "@" + std::to_string(u.depth));
    }
    return out;
}

class BfsQTest : public ::testing::Test {
protected:
    void SetUp() override {
        WebConfig config;
        config.engineDomains = {"engine.test", "engine.kr.test"};
        setWebConfig(config);
    }
    void TearDown() override { resetWebConfig(); }
};

TEST_F(BfsQTest, NewQueueHoldsTheSeed) {
    BfsQ q(100, Url("http://site.test/"));
    EXPECT_EQ(q.size(), 1);
    EXPECT_FALSE(q.isEmpty());
    EXPECT_EQ(q.front().compose(kPartAll), "http://site.test/");
    q.pop();
    EXPECT_TRUE(q.isEmpty());
    try {
        q.front();
        FAIL();
    } catch (const QManager::QException& e) {
        EXPECT_EQ(e.message, "Q is empty!!!");
    }
    q.pop();  // nothing to remove: no effect
    EXPECT_EQ(q.size(), 0);
}

TEST_F(BfsQTest, SeedKeepsItsDepth) {
    BfsQ q(100, Url("http://site.test/", 2));
    EXPECT_EQ(q.front().depth, 2);
}

struct FullCase {
    int32_t qlimit;
    int entries;
    bool full;
};

void PrintTo(const FullCase& c, std::ostream* os) {
    *os << "limit " << c.qlimit << ", " << c.entries << " entries";
}

class BfsQFull : public ::testing::TestWithParam<FullCase> {};

TEST_P(BfsQFull, FullOnlyPastTheLimitComparedUnsigned) {
    BfsQ q(GetParam().qlimit, Url("http://s.test/"));
    for (int i = 1; i < GetParam().entries; ++i) {
        q.push("http://s.test/" + std::to_string(i));
    }
    EXPECT_EQ(q.isFull(), GetParam().full);
}

INSTANTIATE_TEST_SUITE_P(Cases, BfsQFull,
                         ::testing::Values(FullCase{0, 1, true}, FullCase{1, 1, false},
                                           FullCase{1, 2, true}, FullCase{3, 3, false},
                                           FullCase{-1, 50, false}));

TEST_F(BfsQTest, PushAndPushFrontKeepDepths) {
    BfsQ q(100, Url("http://s.test/"));
    q.push("http://s.test/a", 2);
    q.push("http://s.test/b");
    q.pushFront("http://s.test/c", 3);
    EXPECT_EQ(queued(q), (std::vector<std::string>{"http://s.test/c@3", "http://s.test/@0",
                                                   "http://s.test/a@2", "http://s.test/b@0"}));
}

TEST_F(BfsQTest, LinksAreResolvedQueuedOnceAndOneLevelDeeper) {
    BfsQ q(100, Url("http://s.test/dir/page.html"));
    q.pop();
    Url base("http://s.test/dir/page.html", 2);
    q.addLinks(base, {"x.html", "../y.pdf", "x.html", "/dir/x.html", "page.html", "#f"});
    q.addLinks(base, {"x.html", "z/"});
    EXPECT_EQ(queued(q), (std::vector<std::string>{
                             "http://s.test/dir/x.html@3", "http://s.test/y.pdf@3",
                             "http://s.test/dir/page.html#f@3", "http://s.test/dir/z/@3"}));
}

TEST_F(BfsQTest, EnginePageQueuesOnlyUnwrappedHttpTargets) {
    BfsQ q(100, Url("http://www.engine.test/search?q=a"));
    q.pop();
    const Url base("http://www.engine.test/search?q=a");
    q.addLinks(base, {"/url?q=http://a.test/x&sa=U", "/url?q=ftp://a&x=1", "/search?q=b",
                      "/URL?q=http://b.test/y", "/url?q=http://a.test/x&sa=V",
                      "/url?q=http://last.test/z"});
    EXPECT_EQ(queued(q), (std::vector<std::string>{"http://a.test/x@1", "http://b.test/y@1",
                                                   "http://last.test/z@1"}));
    EXPECT_EQ(q.visited.count(Url("http://www.engine.test/search?q=b")), 1u);
    // An unwrapped target is a visited URL like any other: a site page linking it later
    // does not queue it again.
    q.addLinks(Url("http://a.test/", 1), {"/x"});
    EXPECT_EQ(q.size(), 3);
}

struct EngineHostCase {
    const char* host;
    bool engine;
};

void PrintTo(const EngineHostCase& c, std::ostream* os) {
    *os << c.host;
}

class BfsQEngineHost : public BfsQTest, public ::testing::WithParamInterface<EngineHostCase> {};

TEST_P(BfsQEngineHost, EnginePagesAreRecognisedBySameHost) {
    BfsQ q(100, Url("http://seed.test/"));
    q.pop();
    q.addLinks(Url(std::string("http://") + GetParam().host + "/search"),
               {"/url?q=http://a.test/x"});
    ASSERT_EQ(q.size(), 1);
    EXPECT_EQ(q.front().compose(kPartAll),
              GetParam().engine
                  ? std::string("http://a.test/x")
                  : std::string("http://") + GetParam().host + "/url?q=http://a.test/x");
}

INSTANTIATE_TEST_SUITE_P(Cases, BfsQEngineHost,
                         ::testing::Values(EngineHostCase{"engine.test", true},
                                           EngineHostCase{"www.engine.test", true},
                                           EngineHostCase{"www.engine.kr.test", true},
                                           EngineHostCase{"news.engine.test", false},
                                           EngineHostCase{"other.test", false}));

TEST_F(BfsQTest, LinkToTheSeedIsNeverQueued) {
    BfsQ q(100, Url("http://s.test/"));
    q.pop();
    q.addLinks(Url("http://s.test/"), {"/", "http://S.TEST/", "./"});
    EXPECT_TRUE(q.isEmpty());
}

TEST_F(BfsQTest, VisitedSetIsBounded) {
    BfsQ q(-1, Url("http://s.test/"));
    q.visitedLimit = 5;
    std::vector<std::string> links;
    for (int i = 0; i < 20; ++i) {
        links.push_back("/p" + std::to_string(i));
    }
    q.addLinks(Url("http://s.test/"), links);
    EXPECT_EQ(q.visited.size(), 5u);
    EXPECT_EQ(q.size(), 5);  // the seed and four links
}

}  // namespace
