#include "websearch/FeedReaders.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <sstream>

#include "tests/support/TestPaths.h"

namespace {

std::string convert(const std::string& text, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    std::string out(text.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* o = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0 && iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<size_t>(-1)) {
        *o++ = '?';  // a character the target lacks
        --outLeft;
        // Skip one UTF-8 character.
        do {
            ++in;
            --inLeft;
        } while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string ansi(const std::string& utf8) {
    return convert(utf8, "CP949", "UTF-8");
}

std::string fixture(const std::string& name) {
    std::ifstream in(testsupport::sourceDir() + "/tests/e2e/fixtures/web/" + name,
                     std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> rows(const std::vector<WebFind>& finds) {
    std::vector<std::string> out;
    for (const WebFind& f : finds) {
        out.push_back(f.name + "|" + f.type + "|" + f.target + "|" + f.location);
    }
    return out;
}

TEST(FormSiteItems, CertifiedFormsReadTenElementsFromTheFirstItem) {
    const auto finds =
        readFormSiteItems(fixture("formsite/certform.xml"), kCertifiedForms, "forms.test:81");
    const std::string p = "http://www.pelmora-forms.example/cert/";
    const std::string loc = "forms.test:81 - ";
    const auto row = [&](const char* title, const std::string& target) {
        return ansi(title) + "|doc|" + target + "|" + loc + ansi(title);
    };
    EXPECT_EQ(rows(finds), (std::vector<std::string>{
                               row("임대차 계약서", p + "1.doc"),
                               row("근로 계약서", p + "2.doc"),
                               row("위임장", "forms.test:81"),  // no LINK
                               row("사직서", p + "5.doc"),
                               // Any sibling element is read as an item.
                               row("광고", "http://www.pelmora-forms.example/ad"),
                               row("견적서", p + "7.doc"),
                               row("거래 명세서", p + "8.doc"),
                               row("차용증", ""),  // an empty LINK
                               row("내용 증명", p + "10.doc"),
                           }));
}

TEST(FormSiteItems, FreeFormsReadThreeWithTheirOwnLocation) {
    const auto finds =
        readFormSiteItems(fixture("formsite/freeform.xml"), kFreeForms, "forms.test");
    const std::string p = "http://www.pelmora-forms.example/free/";
    const std::string loc = ansi("Pelmora무료서식 - ");
    EXPECT_EQ(rows(finds),
              (std::vector<std::string>{
                  ansi("무료 회의록") + "|doc|" + p + "1.doc|" + loc + ansi("무료 회의록"),
                  ansi("무료 업무 일지") + "|doc|" + p + "2.doc|" + loc + ansi("무료 업무 일지"),
                  ansi("무료 출장 보고서") + "|doc|forms.test|" + loc + ansi("무료 출장 보고서"),
              }));
}

struct BrokenCase {
    std::string body;
    size_t finds;
};

void PrintTo(const BrokenCase& c, std::ostream* os) {
    *os << '"' << c.body << '"';
}

class FormSiteBroken : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(FormSiteBroken, GivesWhatCouldBeRead) {
    EXPECT_EQ(readFormSiteItems(GetParam().body, kCertifiedForms, "h").size(), GetParam().finds);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormSiteBroken,
    ::testing::Values(BrokenCase{"", 0}, BrokenCase{"not xml at all", 0},
                      BrokenCase{"<R><X/></R>", 0},
                      BrokenCase{"<R><ITEM><FTITLE>a</FTITLE></ITEM><ITEM><FTITLE>b", 2},
                      BrokenCase{"<R><ITEM><FTITLE><B>x</B></FTITLE></ITEM></R>", 1}));

TEST(CutTitle, CutsAtSixtyBytesWithoutSplittingACharacter) {
    const std::string thirty = ansi("대한민국정부공문서양식모음집전체파일목록정리본최신판입니다요");
    ASSERT_EQ(thirty.size(), 60u);
    EXPECT_EQ(cutTitle(thirty), thirty);
    EXPECT_EQ(cutTitle("A" + thirty), "A" + thirty.substr(0, 58) + "...");
    EXPECT_EQ(cutTitle(std::string(61, 'x')), std::string(60, 'x') + "...");
    EXPECT_EQ(cutTitle("AB" + thirty), "AB" + thirty.substr(0, 58) + "...");
}

TEST(TorrentFeed, EveryTitledItemInFeedOrder) {
    const auto toAnsi = [](const std::string& s) { return ansi(s); };
    const auto finds = readTorrentFeed(fixture("torrent/rss.xml"), toAnsi, "forms.test");
    const std::string thirty = ansi("대한민국정부공문서양식모음집전체파일목록정리본최신판입니다요");
    const std::string g = "http://www.torrentlode.example/get/";
    const auto row = [](const std::string& name, const std::string& target) {
        return name + "|torrent|" + target + "|torrent/" + name;
    };
    EXPECT_EQ(rows(finds),
              (std::vector<std::string>{
                  row(ansi("한국어 문서 모음 2026"), g + "1001.torrent"),
                  row(thirty, g + "1002.torrent"),
                  row("A" + thirty.substr(0, 58) + "...", g + "1003.torrent"),
                  row(ansi("첨부 없는 항목"), "forms.test"),
                  row(ansi("세금 & 영수증 ?"), g + "1006.torrent?name=" + ansi("세금")),
              }));
}

TEST(TorrentFeed, FeedsWithoutTheElementsGiveNothing) {
    const auto toAnsi = [](const std::string& s) { return s; };
    for (const char* body : {"", "<rss/>", "<rss><channel/></rss>",
                             "<rss><item><title>x</title>"
                             "</item></rss>"}) {
        EXPECT_TRUE(readTorrentFeed(body, toAnsi, "h").empty()) << body;
    }
}

}  // namespace
