#include "http/LinkExtractor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;
using Links = std::vector<std::string>;

struct PageCase {
    std::string name;
    std::string html;
    Links links;
};

class LinkExtractorPage : public ::testing::TestWithParam<PageCase> {};

TEST_P(LinkExtractorPage, CollectsLinks) {
    const std::string& html = GetParam().html;
    LinkExtractor x;
    EXPECT_TRUE(x.extract(html.data(), html.size()));
    EXPECT_EQ(x.links, GetParam().links);
}

// Every link is a non-empty piece of the page, whatever is cut off at its end.
TEST_P(LinkExtractorPage, EveryPrefixYieldsSubstrings) {
    const std::string& html = GetParam().html;
    LinkExtractor x;
    for (size_t n = 0; n <= html.size(); ++n) {
        // A copy of exactly n bytes, so reading past them shows under a sanitiser.
        std::vector<char> prefix(html.begin(), html.begin() + n);
        x.extract(prefix.data(), prefix.size());
        for (const std::string& link : x.links) {
            EXPECT_FALSE(link.empty());
            EXPECT_NE(html.substr(0, n).find(link), std::string::npos) << link;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkExtractorPage,
    ::testing::Values(
        PageCase{"SingleQuotes", "<a href='x.html'>", {"x.html"}},
        PageCase{"DoubleQuotes", "<a href=\"x.html\">", {"x.html"}},
        PageCase{"UpperCase", "<A HREF='x.html'>", {"x.html"}},
        PageCase{"Unquoted", "<a class=c href=x.html>", {"x.html"}},
        PageCase{"Area", "<area href='m.html'>", {"m.html"}},
        PageCase{"LinkAndIframe", "<link href='s.css'><iframe src='f.html'>", {}},
        PageCase{"EmptyHref", "<a href=''>", {}}, PageCase{"NameOnly", "<a name='top'>", {}},
        PageCase{"NoDecoding", "<a href='a.php?x=1&amp;y=2'>", {"a.php?x=1&amp;y=2"}},
        PageCase{"Comment", "<!-- <a href='c'> --><a href='d'>", {"d"}},
        PageCase{"ShortComment", "<!--><a href='c'>--><a href='d'>", {"d"}},
        PageCase{
            "Script", "<script>x='<a href=\"s\">'</script><a href='t'><a href='u'>", {"t", "u"}},
        PageCase{"ScriptsPrefix", "<scripts><a href='s'></SCRIPTS><a href='t'>", {"t"}},
        PageCase{"ScriptEndWithBlank", "<script><a href='s'></script ><a href='t'>", {}},
        PageCase{"ScriptEndTagsOfOthers",
                 "<script type=x>a</a></b></ </script-x></script><a href='t'>",
                 {"t"}},
        PageCase{"ScriptLtBeforeClose", "<script a<a href='t'>", {}},
        PageCase{"ScriptLtInAttribute", "<script src='<'><a href='t'>", {"t"}},
        PageCase{"UnclosedScript", "<script><a href='s'>", {}},
        PageCase{"AttributeWithoutValue", "<a download href='x'>", {}},
        PageCase{"HrefWithoutValue", "<a href class=x>", {"class=x"}},
        PageCase{"StrayLt", "1 < 2 <a href='y'> <a href='z'>", {"z"}},
        PageCase{"LtInsideName", "<b<a href='y'>", {"y"}},
        PageCase{"FirstHrefOnly", "<a href='1' href='2'>", {"1"}},
        PageCase{"EmptyFirstHref", "<a href='' href='2'>", {}},
        PageCase{"Hreflang", "<a hreflang=ko href='x'>", {"ko"}},
        PageCase{"SrcIgnored", "<a src='s' href='h'>", {"h"}},
        PageCase{"BlanksAroundEquals", "<a\thref \r\n=\n 'x y'>", {"x y"}},
        PageCase{"GtEndsTag", "<a href='x>y'>", {"x"}},
        PageCase{"UnclosedQuote", "<a href='x", {"x"}}, PageCase{"NameToEnd", "<a", {}},
        PageCase{"Empty", "", {}}, PageCase{"Duplicates", "<a href=x><a href=x>", {"x", "x"}},
        PageCase{"SlashName", "<a/ href=x>", {"x"}}, PageCase{"Abbr", "<abbr href=x>", {"x"}},
        PageCase{"Frame", "<frame src=f><body><a href=b></body>", {"b"}},
        PageCase{"Nul", "<a href='a\0b'>\0<a href=c>"s, {"a\0b"s, "c"}},
        PageCase{"Cp949", "<a href='/\xB9\xAE\xBC\xAD.hwp'>\xC7\xD1", {"/\xB9\xAE\xBC\xAD.hwp"}}),
    [](const auto& info) { return info.param.name; });

TEST(LinkExtractor, ReuseClearsLinksAndState) {
    LinkExtractor x;
    std::string first = "<a href=1><!--";
    x.extract(first.data(), first.size());
    EXPECT_EQ(x.links, Links{"1"});
    EXPECT_EQ(x.state, 2);
    std::string second = "<a href=2>";
    x.extract(second.data(), second.size());
    EXPECT_EQ(x.links, Links{"2"});
    EXPECT_EQ(x.state, 0);
}

TEST(LinkExtractor, StateAfterScan) {
    LinkExtractor x;
    x.extract("text <", 6);
    EXPECT_EQ(x.state, 1);
    x.extract("<!-- x --", 9);
    EXPECT_EQ(x.state, 2);
    x.extract("<a>", 3);
    EXPECT_EQ(x.state, 0);
}

}  // namespace
