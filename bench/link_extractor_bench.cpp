// Link scanning in MB/s over pages of the kinds a crawl fetches: a search-result page full
// of long links, an article with scripts and comments, a bulletin-board list with heavily
// attributed table rows.
#include <benchmark/benchmark.h>

#include <string>

#include "http/LinkExtractor.h"

namespace {

std::string resultPage() {
    std::string html =
        "<!DOCTYPE html><html><head><meta charset=\"euc-kr\"><title>\xB0\xCB\xBB\xF6 "
        "\xB0\xE1\xB0\xFA</title>\n<script>window.g={kEI:'x',kBL:'y'};function "
        "s(a,b){return a<b&&b>0}</script></head><body>\n";
    for (int i = 0; i < 120; ++i) {
        std::string n = std::to_string(i);
        html += "<div class=\"g\"><h3 class=\"r\"><a href=\"/url?q=http://site" + n +
                ".example.co.kr/board/view.php%3Fid%3D" + n +
                "&amp;sa=U&amp;ved=0ahUKEwiR4e&amp;usg=AFQjCNH\" onmousedown=\"return "
                "rwt(this,'','','','" +
                n + "')\">\xB9\xAE\xBC\xAD \xBE\xE7\xBD\xC4 " + n +
                "</a></h3><div class=\"s\"><cite>site" + n +
                ".example.co.kr/board/</cite><span class=\"st\">\xBB\xE7\xBE\xF7 "
                "\xB0\xE8\xC8\xB9\xBC\xAD \xBE\xE7\xBD\xC4\xC0\xBB <b>\xB3\xBB\xB7\xC1</b> "
                "\xB9\xDE\xC0\xB8\xBC\xBC\xBF\xE4. 2026.12.01 ...</span></div></div>\n";
    }
    html += "<table id=\"nav\"><tr>";
    for (int p = 1; p <= 10; ++p) {
        html += "<td><a href=\"/search?q=form&amp;start=" + std::to_string(p * 10) +
                "\" class=\"fl\">" + std::to_string(p) + "</a></td>";
    }
    return html + "</tr></table></body></html>\n";
}

std::string articlePage() {
    std::string html = "<html><head><style>p{margin:0} a>b{color:red}</style>\n";
    html +=
        "<script type=\"text/javascript\">\nvar html = '<div><a href=\"/in-script\">x</a></div>';"
        "\nfor (var i = 0; i < 10; i++) { if (i > 3 && i < 8) document.write('</div>'); }"
        "\n</script>\n</head><body>\n";
    for (int i = 0; i < 200; ++i) {
        html += "<!-- section " + std::to_string(i) +
                " <a href=\"/commented\"> -->\n<p>\xBA\xBB\xB9\xAE \xB3\xBB\xBF\xEB\xC0\xCC "
                "\xB0\xE8\xBC\xD3\xB5\xCB\xB4\xCF\xB4\xD9. The quarterly figures show 3 < 5 "
                "and 7 > 2; see the attached sheet for the details of each department.</p>\n";
        if (i % 10 == 0) {
            html += "<p><a href=\"attach/file" + std::to_string(i) +
                    ".hwp\" target=\"_blank\">\xC3\xB7\xBA\xCE\xC6\xC4\xC0\xCF</a> "
                    "<img src=\"img/icon.gif\" alt=\"\"></p>\n";
        }
        if (i % 50 == 0) {
            html +=
                "<script>var ad" + std::to_string(i) + " = \"<a href='/ad'>ad</a>\";</script>\n";
        }
    }
    return html + "</body></html>\n";
}

std::string boardPage() {
    std::string html = "<html><body><table class=\"board_list\" summary=\"list\">\n";
    for (int i = 0; i < 300; ++i) {
        std::string n = std::to_string(10000 - i);
        html +=
            "<tr class=\"row\" onmouseover=\"this.style.backgroundColor='#F5F5F5'\" "
            "onmouseout=\"this.style.backgroundColor=''\"><td class=\"num\">" +
            n + "</td><td class=\"subject\" align=\"left\"><a class=\"title\" title=\"" + n +
            "\" href='./board.php?bo_table=free&amp;wr_id=" + n +
            "&amp;page=1'>\xC0\xDA\xB7\xE1\xBD\xC7 \xB0\xD4\xBD\xC3\xB9\xB0 " + n +
            "</a> <span class=cmt>[3]</span></td><td class=\"name\"><span "
            "class='member'>\xC8\xAB\xB1\xE6\xB5\xBF</span></td><td "
            "class=\"date\">12-11</td></tr>\n";
    }
    return html + "</table></body></html>\n";
}

void run(benchmark::State& state, const std::string& page) {
    LinkExtractor x;
    for (auto _ : state) {
        x.extract(page.data(), page.size());
        benchmark::DoNotOptimize(x.links.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(page.size()));
    state.counters["links"] = double(x.links.size());
    state.counters["page_bytes"] = double(page.size());
}

void BM_ResultPage(benchmark::State& s) {
    run(s, resultPage());
}
void BM_ArticlePage(benchmark::State& s) {
    run(s, articlePage());
}
void BM_BoardPage(benchmark::State& s) {
    run(s, boardPage());
}

BENCHMARK(BM_ResultPage);
BENCHMARK(BM_ArticlePage);
BENCHMARK(BM_BoardPage);

}  // namespace

BENCHMARK_MAIN();
