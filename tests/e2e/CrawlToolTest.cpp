// trawlix-crawl against the fixture site on a real server: the exact documents it finds,
// in the order it finds them, and its exit codes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/Clock.h"
#include "tests/support/LoopbackServer.h"

#include "tests/e2e/fixtures/web/WebFixture.h"
#include "tests/support/TestPaths.h"

namespace {

struct CrawlRun {
    int exitCode = -1;
    std::string out, err;
};

CrawlRun runCrawler(const std::string& args, const std::string& scratchName) {
    const std::string dir = testsupport::scratchDir(scratchName);
    // The crawl of a finite site ends by itself; the time limit only keeps a broken
    // build from hanging the suite.
    const std::string command = "timeout 120 " + testsupport::programDir() + "/trawlix-crawl " +
                                args + " >" + dir + "/out 2>" + dir + "/err";
    const int status = std::system(command.c_str());
    CrawlRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = webfixture::readFile(dir + "/out");
    run.err = webfixture::readFile(dir + "/err");
    return run;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

TEST(CrawlTool, FindsExactlyTheFixtureSitesDocumentsInBreadthFirstOrder) {
    auto site = webfixture::siteServer("127.0.0.2");
    ASSERT_TRUE(site->start()) << site->lastError();
    const std::string h = "127.0.0.2:" + std::to_string(site->port());
    const CrawlRun run = runCrawler("-seed:" + h + "/ -qlimit:1000", "crawl-tool-site");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto doc = [&](const std::string& path, const std::string& name,
                         const std::string& type) {
        return "http://" + h + path + "\t" + name + "\t" + type + "\t127.0.0.2";
    };
    // Depth 1: the root's own documents; the 404, the upper-case PDF, the commented and
    // scripted links and the host nobody listens on give nothing. Depth 2 and 3 follow;
    // level3's links (depth 4) are never queued, and many.html's 320 links add none.
    EXPECT_EQ(lines(run.out), (std::vector<std::string>{
                                  doc("/docs/report.hwp", "report.hwp", "hwp"),
                                  doc("/docs/slides.ppt", "slides.ppt", "ppt"),
                                  doc("/docs/sheet.xls", "sheet.xls", "xls"),
                                  doc("/files/notes.txt", "notes.txt", "txt"),
                                  doc("/escape.zip", "escape.zip", "zip"),
                                  doc("/get.doc/123", "123", "123"),
                                  doc("/report.docx", "report.docx", "docx"),
                                  doc("/sub/x.doc", "x.doc", "doc"),
                                  doc("/landed.pdf", "landed.pdf", "pdf"),
                                  doc("/files/from299.txt", "from299.txt", "txt"),
                                  doc("/level2/archive.rar", "archive.rar", "rar"),
                                  doc("/level2/pack.alz", "pack.alz", "alz"),
                                  doc("/level3/list.torrent", "list.torrent", "torrent"),
                              }));
    // The status line names every page fetched, in UTF-8.
    EXPECT_NE(run.err.find("[\xEC\x9B\xB9] http://" + h + "/level3/page.html\n"),
              std::string::npos);
    EXPECT_EQ(run.err.find("/level4/"), std::string::npos);
}

TEST(CrawlTool, ASeedThatCannotBeFetchedEndsAtOnce) {
    const CrawlRun run = runCrawler("-seed:http://127.0.0.9:9/", "crawl-tool-dead");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
}

TEST(CrawlTool, CtrlCEndsTheCrawlAfterTheCycleInProgress) {
    // Fifty documents, each answered slowly: the crawl takes seconds unless interrupted.
    testsupport::LoopbackServer server("127.0.0.1");
    std::string page = "<html>";
    for (int i = 0; i < 50; ++i) {
        page += "<a href=\"d" + std::to_string(i) + ".pdf\">d</a>";
    }
    const std::string index = testsupport::httpResponse(200, "OK", {}, page);
    const std::string doc = testsupport::httpResponse(200, "OK", {}, "x");
    server.setHandler([&](const std::string& request) {
        testsupport::Script script;
        return script.pause(100).send(request.rfind("GET / ", 0) == 0 ? index : doc);
    });
    ASSERT_TRUE(server.start());

    const std::string dir = testsupport::scratchDir("crawl-tool-interrupt");
    const std::string out = dir + "/out";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const std::string program = testsupport::programDir() + "/trawlix-crawl";
    const std::string seed = "-seed:" + server.url("/");
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(seed.c_str()), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    // Interrupt once the first document was printed.
    const int64_t deadline = platform::steadyMs() + 20000;
    while (webfixture::readFile(out).empty() && platform::steadyMs() < deadline) {
        platform::sleepMs(10);
    }
    ASSERT_FALSE(webfixture::readFile(out).empty());
    kill(pid, SIGINT);
    int status = 0;
    pid_t ended = 0;
    while ((ended = waitpid(pid, &status, WNOHANG)) == 0 && platform::steadyMs() < deadline) {
        platform::sleepMs(10);
    }
    if (ended == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "trawlix-crawl did not end on Ctrl-C";
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_LT(server.connectionCount(), 10u);
}

struct BadArgCase {
    const char* args;
    const char* message;
};

void PrintTo(const BadArgCase& c, std::ostream* os) {
    *os << c.args;
}

class CrawlToolArguments : public ::testing::TestWithParam<BadArgCase> {};

TEST_P(CrawlToolArguments, AnArgumentErrorPrintsItsTextAndExitsTwo) {
    const CrawlRun run = runCrawler(GetParam().args, "crawl-tool-args");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, std::string(GetParam().message) + "\n");
    EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CrawlToolArguments,
    ::testing::Values(BadArgCase{"-x:1", "Unknown argument: -x:1"},
                      BadArgCase{"seed:h", "Invalid argument syntax(-<arg>:<value>): seed:h"},
                      BadArgCase{"-output:/proc/none/x",
                                 "fail to open output directory: /proc/none/x"},
                      BadArgCase{"-sock:0", "fail to create semaphore"}));

}  // namespace
