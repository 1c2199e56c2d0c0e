// A whole search in the Trawlix dialog, offscreen: the term typed, the button pressed, all
// four workers for real (a fixture folder as the only drive; nginx as the engine, the
// form site and the torrent index, and the fixture site behind the engine's results),
// the rows they add and the summary read back from the window.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <fstream>

#include "app/TrawlixDlg.h"
#include "platform/Drives.h"
#include "platform/Text.h"
#include "platform/qt/ListView.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/Shell.h"
#include "platform/qt/tests/QtTestApp.h"
#include "tests/e2e/fixtures/web/WebFixture.h"
#include "websearch/WebConfig.h"

namespace {

QString qs(const std::string& utf8) {
    return QString::fromUtf8(utf8.c_str());
}

class SearchDialogWeb : public ::testing::Test {
protected:
    void SetUp() override {
        testApp();
        InitTrawlixResources();
        site = webfixture::siteServer("127.0.0.2");
        ASSERT_TRUE(site->start()) << site->lastError();
        siteHost = "127.0.0.2:" + std::to_string(site->port());
        services = webfixture::servicesServer("127.0.0.1", siteHost, "search-dialog-services");
        ASSERT_TRUE(services->start()) << services->lastError();
        servicesHost = "127.0.0.1:" + std::to_string(services->port());
        WebConfig config = webConfigServedBy(servicesHost);
        config.formWaitMs = 200;
        config.enginePageWaitMs = 50;
        setWebConfig(config);

        root = testsupport::scratchDir("SearchDialogWeb");
        mkdir((root + "/문서 보관함").c_str(), 0755);
        std::ofstream(root + "/문서 보관함/회의 문서.hwp") << "x";
        std::ofstream(root + "/other.txt") << "x";
        platform::setDriveSource([this] {
            platform::DriveSet s;
            s.roots = {root};
            s.fences = {root};
            return s;
        });
        platform::setMessageBoxHandler([this](const platform::MessageBoxRequest& r) {
            boxes.push_back(r.text);
            return platform::IDOK;
        });
        platform::setShellOpenHandler([this](const QUrl& u) {
            opened.push_back(u);
            return true;
        });
        dlg = std::make_unique<CTrawlixDlg>();
        ASSERT_TRUE(dlg->Create());
        dlg->show();
    }
    void TearDown() override {
        dlg.reset();
        platform::setDriveSource(nullptr);
        platform::setMessageBoxHandler(nullptr);
        platform::setShellOpenHandler(nullptr);
        resetWebConfig();
    }

    platform::CListView* list() { return dlg->Item<platform::CListView>(IDC_LIST_RESULTS); }

    // Column 2 (location) and column 0 (name) of every row, in UTF-8.
    std::vector<std::string> rows() {
        std::vector<std::string> out;
        for (int r = 0; r < list()->GetItemCount(); ++r) {
            out.push_back(list()->GetItemText(r, 2).toStdString() + " | " +
                          list()->GetItemText(r, 0).toStdString() + " | " +
                          list()->GetItemText(r, 1).toStdString());
        }
        return out;
    }

    size_t countRows(const std::function<bool(const std::string&)>& match) {
        const auto all = rows();
        return static_cast<size_t>(std::count_if(all.begin(), all.end(), match));
    }

    std::unique_ptr<testsupport::NginxServer> site, services;
    std::string siteHost, servicesHost, root;
    std::unique_ptr<CTrawlixDlg> dlg;
    std::vector<QString> boxes;
    std::vector<QUrl> opened;
};

TEST_F(SearchDialogWeb, OneSearchFillsTheListFromAllFourWorkersAndEndsWithTheSummary) {
    dlg->Item<QLineEdit>(IDC_EDIT_TERM)->setText(qs("문서"));
    // Enter in the search box: the search button is the default button.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(dlg->Item<QLineEdit>(IDC_EDIT_TERM), &press);
    QCoreApplication::sendEvent(dlg->Item<QLineEdit>(IDC_EDIT_TERM), &release);
    EXPECT_EQ(dlg->GetDlgItemText(IDC_BTN_SEARCH), qs("검색중지"));
    // Every worker has ended and every row its results asked for is in the list.
    ASSERT_TRUE(processUntil(
        [&] {
            platform::ScopedLock lock(g_searchLock);
            return !g_engineRunning && !g_localRunning && !g_torrentRunning && !g_formRunning &&
                   list()->GetItemCount() == static_cast<int>(dlg->State()->m_results.size());
        },
        60000));
    QCoreApplication::processEvents();
    ASSERT_TRUE(dlg->GetDlgItem(IDC_STC_SUMMARY)->isVisible());
    EXPECT_EQ(dlg->GetDlgItemText(IDC_BTN_SEARCH), qs("검색"));
    EXPECT_TRUE(boxes.empty());

    const auto starts = [](const std::string& prefix) {
        return [prefix](const std::string& row) { return row.rfind(prefix, 0) == 0; };
    };
    // The local worker: the folder and the file whose names hold the term.
    EXPECT_EQ(countRows([&](const std::string& r) {
                  return r.find("| 회의 문서.hwp |") != std::string::npos;
              }),
              1u);
    EXPECT_EQ(countRows([&](const std::string& r) {
                  return r.find("| 문서 보관함 |") != std::string::npos;
              }),
              1u);
    // The engine: three free forms, then the crawl's ten documents behind the results.
    EXPECT_EQ(countRows(starts("Pelmora무료서식 - ")), 3u);
    EXPECT_EQ(countRows(starts("127.0.0.2 | ")), 10u);
    EXPECT_EQ(countRows([](const std::string& r) { return r == "127.0.0.2 | report.hwp | hwp"; }),
              1u);
    // The form site's certified forms and the torrent feed.
    EXPECT_EQ(countRows(starts(servicesHost + " - ")), 9u);
    EXPECT_EQ(countRows(starts("torrent/")), 5u);
    EXPECT_EQ(countRows([](const std::string& r) {
                  return r == "torrent/첨부 없는 항목 | 첨부 없는 항목 | torrent";
              }),
              1u);

    const int total = list()->GetItemCount();
    EXPECT_EQ(total, 2 + 3 + 10 + 9 + 5);
    EXPECT_EQ(dlg->GetDlgItemText(IDC_STC_SUMMARY),
              qs("[문서]에 대하여 총 " + std::to_string(total) +
                 " 건의 검색 결과가 있습니다\n검색 결과의 항목을 더블클릭하면 파일을 다운로드 받을 "
                 "수 있습니다"));

    // A crawled document opens its URL in the browser.
    int row = -1;
    for (int r = 0; r < total && row < 0; ++r) {
        row = list()->GetItemText(r, 0) == "landed.pdf" ? r : -1;
    }
    ASSERT_GE(row, 0);
    list()->scrollToItem(list()->item(row, 0));
    const QRect rect = list()->visualItemRect(list()->item(row, 0));
    const QPointF at = rect.center();
    QMouseEvent click(QEvent::MouseButtonDblClick, at, list()->viewport()->mapToGlobal(at),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list()->viewport(), &click);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString().toStdString(), "http://" + siteHost + "/landed.pdf");

    const QString dir = QString::fromStdString(testsupport::binaryDir()) + "/artifacts";
    QDir().mkpath(dir);
    EXPECT_TRUE(dlg->grab().save(dir + "/trawlix-web-search.png"));
}

}  // namespace
