#include "http/Url.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

namespace {

struct ParseCase {
    std::string text;
    std::string scheme, host, path, params, query, fragment;
    int32_t port;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class UrlParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(UrlParse, SplitsIntoParts) {
    const ParseCase& c = GetParam();
    Url u(c.text);
    EXPECT_EQ(u.scheme, c.scheme);
    EXPECT_EQ(u.host, c.host);
    EXPECT_EQ(u.path, c.path);
    EXPECT_EQ(u.params, c.params);
    EXPECT_EQ(u.query, c.query);
    EXPECT_EQ(u.fragment, c.fragment);
    EXPECT_EQ(u.port, c.port);
    EXPECT_EQ(u.depth, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlParse,
    ::testing::Values(ParseCase{"http://WWW.Host:8080/a/b.html;p?x=1#top", "http", "www.host",
                                "/a/b.html", "p", "x=1", "top", 8080},
                      ParseCase{"HTTP://HOST", "http", "host", "/", "", "", "", 80},
                      // '?' is split off before ':' is looked for.
                      ParseCase{"http://h/p?u=http://x", "http", "h", "/p", "", "u=http://x", "",
                                80},
                      ParseCase{"www.host/x", "", "", "www.host/x", "", "", "", 80},
                      ParseCase{"www.host:8080/x", "www.host", "", "8080/x", "", "", "", 80},
                      ParseCase{"urn:x", "urn", "", "x", "", "", "", 80},
                      ParseCase{"http://:8080/x", "http", "", "/x", "", "", "", 8080},
                      ParseCase{"http://h:/x", "http", "h", "/x", "", "", "", 0},
                      ParseCase{"http://h:abc/x", "http", "h", "/x", "", "", "", 0},
                      ParseCase{"http://h:81x/x", "http", "h", "/x", "", "", "", 81},
                      // A port that does not fit 1-65535 must not wrap onto another port.
                      ParseCase{"http://h:65535/", "http", "h", "/", "", "", "", 65535},
                      ParseCase{"http://h:65536/", "http", "h", "/", "", "", "", 0},
                      ParseCase{"http://h:4294967376/", "http", "h", "/", "", "", "", 0},
                      ParseCase{"http://h:-80/", "http", "h", "/", "", "", "", 0},
                      ParseCase{"/Dir/Page.HTML", "", "", "/Dir/Page.HTML", "", "", "", 80},
                      ParseCase{"//Other/x", "", "other", "/x", "", "", "", 80},
                      ParseCase{"?q=1", "", "", "", "", "q=1", "", 80},
                      ParseCase{";p?q#f", "", "", "", "p", "q", "f", 80},
                      ParseCase{"a#b?c;d:e", "", "", "a", "", "", "b?c;d:e", 80},
                      ParseCase{"", "", "", "", "", "", "", 80},
                      // Only ASCII letters fold; CP949 bytes stay as they are.
                      ParseCase{"HTTP://\xC7\xD1\xB1\xDB.KR/\xB9\xAE", "http",
                                "\xC7\xD1\xB1\xDB.kr", "/\xB9\xAE", "", "", "", 80}));

TEST(Url, DefaultIsEmpty) {
    Url u;
    EXPECT_TRUE(u.scheme.empty() && u.host.empty() && u.path.empty() && u.params.empty() &&
                u.query.empty() && u.fragment.empty());
    EXPECT_EQ(u.port, 80);
    EXPECT_EQ(u.depth, 0);
    EXPECT_EQ(u.compose(kPartAll), "");
}

TEST(Url, ParseHoldsNulBytes) {
    Url u(std::string("http://h/a\0b?q\0", 15));
    EXPECT_EQ(u.path, std::string("/a\0b", 4));
    EXPECT_EQ(u.query, std::string("q\0", 2));
}

TEST(Url, ParseReplacesEveryPart) {
    Url u("http://h:81/a;p?q#f");
    u.parse("x");
    EXPECT_EQ(u.compose(kPartAll), "x");
    EXPECT_EQ(u.port, 80);
}

struct ComposeCase {
    std::string text;
    unsigned mask;
    std::string expected;
};

void PrintTo(const ComposeCase& c, std::ostream* os) {
    *os << '"' << c.text << "\" " << c.mask;
}

class UrlCompose : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(UrlCompose, WritesSelectedParts) {
    EXPECT_EQ(Url(GetParam().text).compose(GetParam().mask), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UrlCompose,
    ::testing::Values(ComposeCase{"http://WWW.Host:8080/a/b.html;p?x=1#top", kPartAll,
                                  "http://www.host:8080/a/b.html;p?x=1#top"},
                      ComposeCase{"http://WWW.Host:8080/a/b.html;p?x=1#top", kPartRequestTarget,
                                  "/a/b.html;p?x=1"},
                      ComposeCase{"http://h:8080/a", kPartScheme | kPartHost, "http://h:8080"},
                      ComposeCase{"http://h:80/a", kPartHost, "//h"},
                      ComposeCase{"http://h/a#f", kPartFragment, "#f"},
                      ComposeCase{"HTTP://HOST", kPartAll, "http://host/"},
                      ComposeCase{"/doc.d/", kPartPath, "/doc.d"},
                      ComposeCase{"/a/b.html/", kPartPath, "/a/b.html"},
                      ComposeCase{"/dir/", kPartPath, "/dir/"}, ComposeCase{"/", kPartPath, "/"},
                      ComposeCase{"./", kPartPath, "."},
                      ComposeCase{"/doc.d/;p?q", kPartAll, "/doc.d;p?q"},
                      // The port suffix follows the bit, not the host.
                      ComposeCase{"http://:8080/x", kPartAll, "http::8080/x"},
                      ComposeCase{"http://h:99999/x", kPartAll, "http://h:0/x"},
                      ComposeCase{"http://h/x", 0, ""}));

struct ResolveCase {
    std::string base, relative, expected;
};

void PrintTo(const ResolveCase& c, std::ostream* os) {
    *os << '"' << c.relative << "\" against \"" << c.base << '"';
}

class UrlResolve : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(UrlResolve, GivesTarget) {
    const ResolveCase& c = GetParam();
    EXPECT_EQ(resolveUrl(Url(c.base), Url(c.relative)).compose(kPartAll), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, UrlResolve,
    ::testing::Values(
        ResolveCase{"http://h:8080/dir/page.html", "x.html", "http://h:8080/dir/x.html"},
        ResolveCase{"http://h:8080/dir/page.html", "../x.html", "http://h:8080/x.html"},
        ResolveCase{"http://h:8080/dir/page.html", "sub/", "http://h:8080/dir/sub/"},
        ResolveCase{"http://h:8080/dir/page.html", "sub", "http://h:8080/dir/sub/"},
        ResolveCase{"http://h:8080/dir/page.html", "/abs", "http://h:8080/abs"},
        ResolveCase{"http://h:8080/dir/page.html", "?q=1", "http://h:8080/dir/page.html?q=1"},
        ResolveCase{"http://h:8080/dir/page.html", "#f", "http://h:8080/dir/page.html#f"},
        ResolveCase{"http://h:8080/dir/page.html", "//other/x", "http://other/x"},
        ResolveCase{"http://h:8080/dir/page.html", "ftp://o/x", "ftp://o/x"},
        ResolveCase{"http://h/a?x=1", ";p", "http://h/a;p"},
        ResolveCase{"http://h/a/b", "../../../x", "http://h/x/"}));

// Every merge rule, each in isolation where it can be.
INSTANTIATE_TEST_SUITE_P(
    MergeRules, UrlResolve,
    ::testing::Values(
        // Base directory: a path ending in '/' keeps its last segment, otherwise it goes.
        ResolveCase{"http://h/a/b/", "c", "http://h/a/b/c/"},
        ResolveCase{"http://h/a/b", "c", "http://h/a/c/"},
        ResolveCase{"http://h/", "c.html", "http://h/c.html"},
        // Empty segments are kept.
        ResolveCase{"http://h/a//b", "c", "http://h/a//c/"},
        ResolveCase{"http://h/a/b", "c//d", "http://h/a/c//d/"},
        // "." segments go, wherever they are.
        ResolveCase{"http://h/a/b", "./c", "http://h/a/c/"},
        ResolveCase{"http://h/a/b", "c/./d/.", "http://h/a/c/d/"},
        ResolveCase{"http://h/a/b", ".", "http://h/a/"},
        ResolveCase{"http://h/a/./b", "c", "http://h/a/c/"},
        // ".." removes the segment before it; at the front it goes alone.
        ResolveCase{"http://h/a/b/c", "..", "http://h/a/"},
        ResolveCase{"http://h/a/b/c", "../..", "http://h/"},
        ResolveCase{"http://h/a/b/c", "d/../e", "http://h/a/b/e/"},
        ResolveCase{"http://h/a/b", "../../..", "http://h/"},
        ResolveCase{"http://h/a/../b/", "c", "http://h/b/c/"},
        // Segments like "..." or ".x" are names.
        ResolveCase{"http://h/a/b", ".../.x", "http://h/a/.../.x"},
        // The trailing-slash rule after a final segment with a '.'.
        ResolveCase{"http://h/a.d/b", "c", "http://h/a.d/c"},
        // Query and params are taken from the reference; the fragment is never inherited.
        ResolveCase{"http://h/a/b?x=1#f", "c?y=2#g", "http://h/a/c/?y=2#g"},
        ResolveCase{"http://h/a/b;p?x=1#f", "", "http://h/a/b;p?x=1"},
        ResolveCase{"http://h/a/b;p?x=1", "?y", "http://h/a/b;p?y"},
        ResolveCase{"http://h/a/b;p?x=1", ";q", "http://h/a/b;q"},
        // A host in the reference keeps its own path and port.
        ResolveCase{"http://h:81/a/b", "//o", "http://o/"},
        // Any ':' marks a scheme, so a reference with a port is taken as absolute.
        ResolveCase{"http://h:81/a/b", "//o:82/c", "//o:82/c"},
        // A base with no path or no '/' leaves nothing to drop.
        ResolveCase{"http:", "x", "http:/x/"}, ResolveCase{"http:a", "x", "http:/x/"},
        ResolveCase{"?q", "x", "/x/"},
        // An empty base returns the reference as it is.
        ResolveCase{"", "x/../y", "x/../y"}));

TEST(Url, ResolveCarriesDepthOnlyWhenNotReparsed) {
    EXPECT_EQ(resolveUrl(Url("http://h/"), Url("a", 3)).depth, 0);
    EXPECT_EQ(resolveUrl(Url("http://h/"), Url("ftp://o/", 3)).depth, 3);
    EXPECT_EQ(resolveUrl(Url(), Url("a", 3)).depth, 3);
}

struct MergeCase {
    std::string base, relative, expected;
};

class UrlMerge : public ::testing::TestWithParam<MergeCase> {};

TEST_P(UrlMerge, Merges) {
    EXPECT_EQ(mergePaths(GetParam().base, GetParam().relative), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, UrlMerge,
                         ::testing::Values(MergeCase{"", "x", "/x/"}, MergeCase{"", "..", "/"},
                                           MergeCase{"a", "b", "/b/"}, MergeCase{"/", "..", "/"},
                                           MergeCase{"a/b/", "c", "/a/b/c/"},
                                           MergeCase{"/a/b", "../../../../x/..", "/"},
                                           MergeCase{"//", "x", "//x/"}));

TEST(Url, SameHost) {
    EXPECT_TRUE(sameHost("host", "www.host"));
    EXPECT_TRUE(sameHost("www.host", "host"));
    EXPECT_TRUE(sameHost("host", "host"));
    EXPECT_TRUE(sameHost("", ""));
    EXPECT_TRUE(sameHost("", "www."));
    EXPECT_FALSE(sameHost("Host", "host"));
    EXPECT_FALSE(sameHost("a.host", "host"));
    EXPECT_FALSE(sameHost("www.www.host", "host"));
    EXPECT_FALSE(sameHost("wwwxhost", "host"));
}

struct QueryCase {
    std::string query, name, expected;
};

class UrlQueryValue : public ::testing::TestWithParam<QueryCase> {};

TEST_P(UrlQueryValue, Finds) {
    Url u;
    u.query = GetParam().query;
    EXPECT_EQ(u.queryValue(GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, UrlQueryValue,
                         ::testing::Values(QueryCase{"q=http://x/&sa=U", "q=", "http://x/"},
                                           // The first occurrence counts, also inside a name.
                                           QueryCase{"aq=1&q=2&z", "q=", "1"},
                                           // The last parameter runs to the end.
                                           QueryCase{"sa=U&q=http://x/", "q=", "http://x/"},
                                           QueryCase{"q=", "q=", ""}, QueryCase{"a=1", "q=", ""},
                                           QueryCase{"", "q=", ""},
                                           // A name holding '&' never yields a reversed range.
                                           QueryCase{"x&q=1&y", "x&q=", "1"}));

TEST(Url, OrderIsByComposedTextUnsigned) {
    Url a("http://h/a"), b("http://h/b"), hi("http://h/\xC0"), prefix("http://h/a/x");
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_TRUE(b < hi);  // 0xC0 sorts after ASCII
    EXPECT_TRUE(a < prefix);
    // Different texts that compose the same are one entry; depth does not count.
    std::set<Url> visited{Url("HTTP://H/a", 1), Url("http://h:80/a", 2), Url("http://h/a", 3)};
    EXPECT_EQ(visited.size(), 1u);
    EXPECT_EQ(visited.begin()->depth, 1);
}

TEST(Url, CopiesCarryDepth) {
    Url source("http://h/", 2);
    Url target("x", 7);
    target = source;
    EXPECT_EQ(target.depth, 2);
    Url copy(source);
    EXPECT_EQ(copy.depth, 2);
    Url other("y", 5);
    std::swap(copy, other);
    EXPECT_EQ(copy.depth, 5);
    EXPECT_EQ(other.depth, 2);
}

}  // namespace
