#include "http/CookieJar.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

namespace {

constexpr int64_t kNow = 1700000000;  // 2023-11-14T22:13:20Z

CookieJar fixedJar() {
    return CookieJar([] { return kNow; });
}

TEST(CookieAttribute, FindsKeysAsPlainCaseSensitiveText) {
    EXPECT_EQ(cookieAttribute("SID=abc; path=/; domain=.host", "path"), "/");
    EXPECT_EQ(cookieAttribute("SID=abc; path=/; domain=.host", "domain"), ".host");
    EXPECT_EQ(cookieAttribute("SID=abc; path=/; domain=.host", "SID"), "abc");
    EXPECT_EQ(cookieAttribute("SID=abc; Path=/", "path"), "");
    EXPECT_EQ(cookieAttribute("xpath=abc; a=b", "path"), "abc");
    EXPECT_EQ(cookieAttribute("secure", "secure"), "");
    EXPECT_EQ(cookieAttribute("a=b; expires=Thu, 01-Jan-1970 00:00:01 GMT", "expires"),
              "Thu, 01-Jan-1970 00:00:01 GMT");
}

TEST(CookieJar, StoresWithAttributesOrDefaults) {
    struct Case {
        const char* text;
        const char* url;
        const char* path;
        const char* domain;
    };
    const Case cases[] = {
        {"SID=abc; path=/; domain=.host", "http://www.host/x", "/", ".host"},
        {"SID=abc", "http://h/a/b.html", "/a", "h"},
        {"SID=abc; Path=/", "http://h/a/b.html", "/a", "h"},
        {"SID=abc", "http://h/index.html", "", "h"},
        {"SID=abc", "http://h/a/b/", "/a/b/", "h"},
    };
    for (const Case& c : cases) {
        CookieJar jar = fixedJar();
        jar.store(c.text, Url(c.url));
        auto all = jar.cookies();
        ASSERT_EQ(all.size(), 1u) << c.text;
        EXPECT_EQ(all[0].first, "SID");
        EXPECT_EQ(all[0].second.value, "abc");
        EXPECT_EQ(all[0].second.path, c.path) << c.text << " from " << c.url;
        EXPECT_EQ(all[0].second.domain, c.domain) << c.text << " from " << c.url;
    }
}

TEST(CookieJar, IgnoresMalformedTexts) {
    for (const char* text : {"", "novalue", "secure; a=b", "a=b\r\nX: y", "a=b\nc", "a=b\rc"}) {
        CookieJar jar = fixedJar();
        jar.store(text, Url("http://h/"));
        EXPECT_TRUE(jar.cookies().empty()) << text;
    }
    CookieJar jar = fixedJar();
    jar.store(std::string("a=b\0c", 5), Url("http://h/"));
    EXPECT_TRUE(jar.cookies().empty());
}

TEST(CookieJar, EmptyNameIsStoredAndSent) {
    CookieJar jar = fixedJar();
    jar.store("=v; path=/", Url("http://h/"));
    EXPECT_EQ(jar.headerFor(Url("http://h/x")), "=v");
}

TEST(CookieJar, SameNamePathAndSiteReplacesTheValue) {
    CookieJar jar = fixedJar();
    jar.store("a=1; path=/", Url("http://h/"));
    jar.store("a=2; path=/", Url("http://h/"));
    auto all = jar.cookies();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].second.value, "2");

    CookieJar www = fixedJar();
    www.store("a=1; path=/", Url("http://www.host/"));
    www.store("a=2; path=/", Url("http://host/"));
    all = www.cookies();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].second.value, "2");
    EXPECT_EQ(all[0].second.domain, "www.host");
}

TEST(CookieJar, SameNameOtherPathIsASecondEntryInAdditionOrder) {
    CookieJar jar = fixedJar();
    jar.store("a=1; path=/x", Url("http://h/"));
    jar.store("a=2; path=/", Url("http://h/"));
    EXPECT_EQ(jar.headerFor(Url("http://h/x/y")), "a=1; a=2");
}

TEST(CookieJar, HeaderListsNamesInByteOrder) {
    CookieJar jar = fixedJar();
    jar.store("b=2; path=/", Url("http://h/"));
    jar.store("a=1; path=/", Url("http://h/"));
    EXPECT_EQ(jar.headerFor(Url("http://h/")), "a=1; b=2");
    EXPECT_EQ(jar.headerFor(Url()), "");
}

struct DomainCase {
    const char* setBy;
    const char* text;
    const char* requestUrl;
    bool sent;
};

class CookieDomain : public ::testing::TestWithParam<DomainCase> {};

TEST_P(CookieDomain, SendsOnlyToMatchingHosts) {
    const DomainCase& c = GetParam();
    CookieJar jar = fixedJar();
    jar.store(c.text, Url(c.setBy));
    EXPECT_EQ(jar.headerFor(Url(c.requestUrl)), c.sent ? "SID=abc" : "")
        << c.text << " set by " << c.setBy << ", asked for " << c.requestUrl;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CookieDomain,
    ::testing::Values(
        DomainCase{"http://www.host/x", "SID=abc; path=/; domain=.host", "http://www.host/any",
                   true},
        DomainCase{"http://www.host/x", "SID=abc; path=/; domain=.host", "http://a.www.host/",
                   true},
        DomainCase{"http://www.host/x", "SID=abc; path=/; domain=.host", "http://host/", false},
        DomainCase{"http://www.host/x", "SID=abc; path=/; domain=.host", "http://xhost/", false},
        // A host's own cookie never reaches a host that merely contains its name.
        DomainCase{"http://h/", "SID=abc; path=/", "http://shop.com/", false},
        DomainCase{"http://host/", "SID=abc; path=/", "http://www.host/", true},
        DomainCase{"http://www.host/", "SID=abc; path=/", "http://host/", true},
        DomainCase{"http://host/", "SID=abc; path=/", "http://a.host/", false},
        // A host may not set a cookie for a site it does not belong to.
        DomainCase{"http://evil.com/", "SID=abc; path=/; domain=bank.com", "http://bank.com/",
                   false},
        DomainCase{"http://evil.com/", "SID=abc; path=/; domain=.bank.com", "http://www.bank.com/",
                   false},
        DomainCase{"http://www.host/", "SID=abc; path=/; domain=host", "http://www.host/", true},
        // Neither the scheme nor the port plays a part.
        DomainCase{"http://h/", "SID=abc; path=/", "https://h:8080/", true}));

struct PathCase {
    const char* cookiePath;
    const char* requestPath;
    bool sent;
};

class CookiePath : public ::testing::TestWithParam<PathCase> {};

TEST_P(CookiePath, MatchesAnywhereInThePath) {
    const PathCase& c = GetParam();
    CookieJar jar = fixedJar();
    jar.store(std::string("SID=abc; path=") + c.cookiePath, Url("http://h/"));
    EXPECT_EQ(jar.headerFor(Url(std::string("http://h") + c.requestPath)), c.sent ? "SID=abc" : "")
        << c.cookiePath << " for " << c.requestPath;
}

INSTANTIATE_TEST_SUITE_P(Cases, CookiePath,
                         ::testing::Values(PathCase{"/a", "/a/b", true},
                                           PathCase{"/a", "/x/a/y", true},
                                           PathCase{"/a/b", "/a", false},
                                           PathCase{"/", "/anything", true}));

TEST(CookieJar, ExpiredCookieIsDroppedWhenAMatchingHeaderIsBuilt) {
    CookieJar jar = fixedJar();
    jar.store("old=1; path=/; expires=Thu, 01-Jan-1970 00:00:01 GMT", Url("http://h/"));
    jar.store("other=1; path=/; expires=Thu, 01-Jan-1970 00:00:01 GMT", Url("http://g/"));
    jar.store("new=1; path=/; expires=Fri, 01-Jan-2100 00:00:00 GMT", Url("http://h/"));
    jar.store("odd=1; path=/; expires=Wed, 9 Jun 2021 10:18:14 GMT", Url("http://h/"));
    EXPECT_EQ(jar.headerFor(Url("http://h/")), "new=1; odd=1");
    auto all = jar.cookies();
    ASSERT_EQ(all.size(), 3u);  // the unmatched expired cookie of g stays
    EXPECT_EQ(all[0].first, "new");
    EXPECT_EQ(all[1].first, "odd");
    EXPECT_EQ(all[2].first, "other");
}

struct ExpiryCase {
    const char* text;
    int64_t expected;  // -1: the current time
};

class CookieExpiry : public ::testing::TestWithParam<ExpiryCase> {};

TEST_P(CookieExpiry, ReadsFixedOffsetsAsUtc) {
    const ExpiryCase& c = GetParam();
    EXPECT_EQ(parseCookieExpiry(c.text, kNow), c.expected < 0 ? kNow : c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CookieExpiry,
    ::testing::Values(ExpiryCase{"Thu, 01-Jan-1970 00:00:01 GMT", 1},
                      ExpiryCase{"Wed, 09 Jun 2021 10:18:14 GMT", 1623233894},
                      ExpiryCase{"Wed, 09-jun-2021 10:18:14 GMT", 1623233894},
                      ExpiryCase{"Thu, 29 Feb 2024 23:59:59 GMT", 1709251199},
                      ExpiryCase{"Fri, 31 Dec 1999 23:59:60 GMT", 946684800},
                      ExpiryCase{"Tue, 19 Jan 2038 03:14:08 GMT", 2147483648},
                      ExpiryCase{"Sat, 01 Jan 2500 00:00:00 GMT", 16725225600},
                      // Out-of-range fields carry over: day 32 of January is 1 February.
                      ExpiryCase{"Thu, 32 Jan 2020 00:00:00 GMT", 1580515200},
                      ExpiryCase{"Thu, 00 Mar 2020 00:00:00 GMT", 1582934400},
                      ExpiryCase{"Wed, 9 Jun 2021 10:18:14 GMT", -1},
                      ExpiryCase{"Wed, 09 Jux 2021 10:18:14 GMT", -1},
                      ExpiryCase{"01 Jan 1970", -1}, ExpiryCase{"", -1},
                      ExpiryCase{"no digits at all, but long enough", -1},
                      // Long digit runs are cut, never overflow.
                      ExpiryCase{"01 Jan 9999999999999999999 00:00:00", 31560549901241139}));

TEST(CookieExpiry, DoesNotDependOnTheMachineZone) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    const int64_t expected = parseCookieExpiry("Wed, 09 Jun 2021 10:18:14 GMT", kNow);
    for (const char* zone : {"UTC", "Asia/Seoul", "America/New_York", "Pacific/Chatham"}) {
        setenv("TZ", zone, 1);
        tzset();
        EXPECT_EQ(parseCookieExpiry("Wed, 09 Jun 2021 10:18:14 GMT", kNow), expected) << zone;
    }
    if (old) {
        setenv("TZ", saved.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

TEST(CookieJar, ThreadsShareOneJar) {
    CookieJar jar;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&jar, t] {
            for (int i = 0; i < 200; ++i) {
                jar.store("c" + std::to_string(t) + "=" + std::to_string(i) + "; path=/",
                          Url("http://h/"));
                jar.headerFor(Url("http://h/p"));
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    EXPECT_EQ(jar.headerFor(Url("http://h/")), "c0=199; c1=199; c2=199; c3=199");
}

}  // namespace
