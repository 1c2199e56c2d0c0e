#include "app/TrawlixDlg.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "app/TrawlixTexts.h"
#include "controls/CButtonST.h"
#include "controls/CNoFlickerStatic.h"
#include "controls/CPictureEx.h"
#include "localsearch/LocalSearch.h"
#include "platform/Clock.h"
#include "platform/Drives.h"
#include "platform/Text.h"
#include "platform/qt/ListView.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/Resources.h"
#include "platform/qt/Shell.h"
#include "platform/qt/tests/QtTestApp.h"
#include "tests/support/TestPaths.h"

namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// An engine worker that holds the searching display until released or stopped.
struct HeldEngine {
    std::shared_ptr<platform::Event> release = std::make_shared<platform::Event>(true, false);
    WorkerProc proc() const {
        auto r = release;
        return [r](SearchHandle h) -> uint32_t {
            while (h.isRunning() && !r->wait(2)) {
            }
            h.finish();
            return 0;
        };
    }
};

uint32_t endAtOnce(SearchHandle h) {
    h.finish();
    return 0;
}

class TrawlixDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApp();
        InitTrawlixResources();
        root = testsupport::scratchDir("TrawlixDlgTest");
        mkdir((root + "/보고서 폴더").c_str(), 0755);
        std::ofstream(root + "/보고서 폴더/연간 보고서.hwp") << "x";
        std::ofstream(root + "/report.doc") << "x";
        std::ofstream(root + "/README") << "x";
        platform::setDriveSource([this] {
            platform::DriveSet s;
            s.roots = {root};
            s.fences = {root};
            return s;
        });
        platform::setMessageBoxHandler([this](const platform::MessageBoxRequest& r) {
            boxes.push_back(r.text);
            return boxAnswer;
        });
        platform::setShellOpenHandler([this](const QUrl& u) {
            opened.push_back(u);
            return true;
        });
        dlg = std::make_unique<CTrawlixDlg>();
        dlg->SetWorkerProcs({engine.proc(), LocalSearchProc, endAtOnce, endAtOnce});
        ASSERT_TRUE(dlg->Create());
        dlg->show();
    }
    void TearDown() override {
        engine.release->set();
        dlg.reset();
        platform::setDriveSource(nullptr);
        platform::setMessageBoxHandler(nullptr);
        platform::setShellOpenHandler(nullptr);
    }

    QWidget* item(int id) { return dlg->GetDlgItem(id); }
    platform::CListView* list() { return dlg->Item<platform::CListView>(IDC_LIST_RESULTS); }
    void search(const QString& term) {
        dlg->Item<QLineEdit>(IDC_EDIT_TERM)->setText(term);
        dlg->Item<QPushButton>(IDC_BTN_SEARCH)->click();
    }
    bool waitLocalDone() {
        return processUntil([] {
            platform::ScopedLock lock(g_searchLock);
            return !g_localRunning;
        });
    }
    void saveShot(const char* name) {
        const QString dir = QString::fromStdString(testsupport::binaryDir()) + "/artifacts";
        QDir().mkpath(dir);
        EXPECT_TRUE(dlg->grab().save(dir + "/" + name));
    }

    std::string root;
    HeldEngine engine;
    std::unique_ptr<CTrawlixDlg> dlg;
    std::vector<QString> boxes;
    int boxAnswer = platform::IDOK;
    std::vector<QUrl> opened;
};

TEST_F(TrawlixDlgTest, StartPageShowsTheTemplatesControls) {
    EXPECT_EQ(dlg->windowTitle(), qs("트롤릭스"));
    EXPECT_EQ(dlg->size(), QSize(800, 600));
    for (int id : {IDC_EDIT_TERM, IDC_BTN_SEARCH, IDC_STC_LOGO, IDC_STC_INTRO,
                   IDC_CHK_EXCLUDE_LOCAL, IDC_STC_FRAME, IDC_BTN_CLOSE, IDC_BTN_INQUIRY}) {
        EXPECT_TRUE(item(id)->isVisible()) << id;
    }
    for (int id : {IDC_LIST_RESULTS, IDC_PIC_BUSY, IDC_STC_BUSY, IDC_STC_LOCAL_STATUS,
                   IDC_STC_WEB_STATUS, IDC_STC_SUMMARY}) {
        EXPECT_FALSE(item(id)->isVisible()) << id;
    }
    EXPECT_EQ(
        dlg->GetDlgItemText(IDC_STC_INTRO),
        qs("내 컴퓨터와 웹 상의 모든 문서를 찾습니다\n검색어를 입력하고 검색 버튼을 클릭하세요"));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_BTN_SEARCH), qs("검색"));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_CHK_EXCLUDE_LOCAL), qs("내 PC에서 찾기 제외"));
    EXPECT_EQ(item(IDC_BTN_CLOSE)->size(), QSize(67, 34));
    EXPECT_EQ(item(IDC_STC_LOGO)->size(), QSize(356, 82));
    EXPECT_EQ(list()->horizontalHeaderItem(0)->text(), qs("이름"));
    EXPECT_EQ(list()->horizontalHeaderItem(2)->text(), qs("위치"));
    EXPECT_EQ(list()->columnWidth(0), 400);
    EXPECT_TRUE(item(IDC_EDIT_TERM)->hasFocus() || !dlg->isActiveWindow());
    saveShot("trawlix-start.png");
}

TEST_F(TrawlixDlgTest, ASearchShowsRowsThenTheSummary) {
    search(qs("보고서"));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_BTN_SEARCH), qs("검색중지"));
    EXPECT_TRUE(item(IDC_LIST_RESULTS)->isVisible());
    EXPECT_TRUE(item(IDC_STC_BUSY)->isVisible());
    EXPECT_FALSE(item(IDC_STC_LOGO)->isVisible());
    EXPECT_EQ(item(IDC_STC_FRAME)->pos(), QPoint(4, 4));
    EXPECT_EQ(item(IDC_EDIT_TERM)->pos(), QPoint(10, 10));
    const int w = item(IDC_STC_FRAME)->width();
    EXPECT_EQ(item(IDC_BTN_SEARCH)->pos(), QPoint(w + 6, 4));
    EXPECT_EQ(item(IDC_CHK_EXCLUDE_LOCAL)->pos(), QPoint(w, 50));

    ASSERT_TRUE(waitLocalDone());
    ASSERT_TRUE(processUntil([&] { return list()->GetItemCount() == 2; }));
    const QString rootQ = QString::fromStdString(root);
    std::set<std::tuple<QString, QString, QString>> rows;
    for (int r = 0; r < list()->GetItemCount(); ++r) {
        rows.emplace(list()->GetItemText(r, 0), list()->GetItemText(r, 1),
                     list()->GetItemText(r, 2));
        EXPECT_EQ(list()->GetItemData(r), r);
    }
    EXPECT_EQ(rows,
              (std::set<std::tuple<QString, QString, QString>>{
                  {qs("보고서 폴더"), qs("파일 폴더"), rootQ + qs("/보고서 폴더")},
                  {qs("연간 보고서.hwp"), "hwp", rootQ + qs("/보고서 폴더/연간 보고서.hwp")}}));
    EXPECT_TRUE(dlg->GetDlgItemText(IDC_STC_LOCAL_STATUS).startsWith(qs("[내컴퓨터] ")));
    // Mid-search: the engine worker still holds the searching display.
    EXPECT_EQ(dlg->GetDlgItemText(IDC_BTN_SEARCH), qs("검색중지"));
    saveShot("trawlix-searching.png");

    engine.release->set();
    ASSERT_TRUE(processUntil([&] { return item(IDC_STC_SUMMARY)->isVisible(); }));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_STC_SUMMARY),
              qs("[보고서]에 대하여 총 2 건의 검색 결과가 있습니다\n"
                 "검색 결과의 항목을 더블클릭하면 파일을 다운로드 받을 수 있습니다"));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_BTN_SEARCH), qs("검색"));
    EXPECT_FALSE(item(IDC_STC_BUSY)->isVisible());
    EXPECT_TRUE(item(IDC_LIST_RESULTS)->isVisible());
    EXPECT_EQ(item(IDC_EDIT_TERM)->pos(), QPoint(10, 10));  // positions are not restored
    saveShot("trawlix-finished.png");
}

// The pixel of the dialog's picture at a client position.
QRgb rgbAt(const QImage& shot, QPoint at) {
    return shot.pixel(at) & 0xFFFFFFu;
}

TEST_F(TrawlixDlgTest, SearchButtonLightsUpUnderThePointer) {
    auto* button = dlg->Item<CButtonST>(IDC_BTN_SEARCH);
    ASSERT_TRUE(button);
    // A spot of the button's fill, clear of its centred text.
    const QPoint spot = button->geometry().topLeft() + QPoint(3, 3);
    EXPECT_EQ(rgbAt(dlg->grab().toImage(), spot), 0xFF8000u);
    QTest::mouseMove(button, button->rect().center());
    ASSERT_TRUE(processUntil([&] { return button->IsHovered(); }));
    const QRgb hovered = rgbAt(dlg->grab().toImage(), spot);
    const QColor expected = button->GetStateColor(CButtonST::CLR_BK_HOVER);
    EXPECT_EQ(hovered, expected.rgb() & 0xFFFFFFu);
    EXPECT_NE(hovered, 0xFF8000u);
    saveShot("trawlix-hover.png");
    // The pointer leaves (what the window system tells the button when it goes).
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    ASSERT_FALSE(button->IsHovered());
    EXPECT_EQ(rgbAt(dlg->grab().toImage(), spot), 0xFF8000u);
}

TEST_F(TrawlixDlgTest, ButtonsKeepTheDialogsColoursAfterASystemColourChange) {
    auto* search = dlg->Item<CButtonST>(IDC_BTN_SEARCH);
    auto* inquiry = dlg->Item<CButtonST>(IDC_BTN_INQUIRY);
    ASSERT_TRUE(search && inquiry);
    const QPalette before = QApplication::palette();
    QPalette changed = before;
    changed.setColor(QPalette::Button, QColor(200, 40, 40));
    QApplication::setPalette(changed);
    // The hover colour follows the new system colour; the dialog's own colours return.
    const bool settled = processUntil([&] {
        return search->GetStateColor(CButtonST::CLR_BK_NORMAL) == QColor(255, 128, 0) &&
               inquiry->GetStateColor(CButtonST::CLR_BK_NORMAL) == QColor(61, 58, 83) &&
               search->GetStateColor(CButtonST::CLR_BK_HOVER) == QColor(230, 70, 70);
    });
    QApplication::setPalette(before);
    EXPECT_TRUE(settled);
    EXPECT_EQ(search->GetStateColor(CButtonST::CLR_FG_NORMAL), QColor(Qt::white));
}

TEST_F(TrawlixDlgTest, CloseFaceKeepsItsKeyColourOutAndDarkensAtRest) {
    auto* close = dlg->Item<CButtonST>(IDC_BTN_CLOSE);
    ASSERT_TRUE(close);
    const QImage face = platform::LoadBitmap(IDB_CLOSE).toImage();
    ASSERT_EQ(face.size(), QSize(67, 34));
    // No pixel of the green key colour reaches the screen, and at rest the face is
    // darker than the bitmap.
    const QImage rest = close->grab().toImage();
    int darker = 0;
    for (int y = 0; y < rest.height(); ++y) {
        for (int x = 0; x < rest.width(); ++x) {
            ASSERT_NE(rgbAt(rest, {x, y}), 0x00FF00u) << x << "," << y;
            const QRgb f = face.pixel(x, y) & 0xFFFFFFu;
            if (f != 0x00FF00u && qGray(rest.pixel(x, y)) < qGray(f)) {
                ++darker;
            }
        }
    }
    EXPECT_GT(darker, 0);
    QTest::mouseMove(close, close->rect().center());
    ASSERT_TRUE(processUntil([&] { return close->IsHovered(); }));
    const QImage hovered = close->grab().toImage();
    const QPoint middle(33, 17);
    EXPECT_EQ(rgbAt(hovered, middle), face.pixel(middle) & 0xFFFFFFu);
}

TEST_F(TrawlixDlgTest, CheckBoxShowsTheBackgroundAtItsNewPlace) {
    auto* check = dlg->Item<CButtonST>(IDC_CHK_EXCLUDE_LOCAL);
    ASSERT_TRUE(check);
    const QImage background = platform::LoadBitmap(IDB_BACKGROUND).toImage();
    ASSERT_FALSE(background.isNull());
    // The far right end of the box: no icon and no text there.
    auto edgeMatchesBackground = [&] {
        const QImage shot = dlg->grab().toImage();
        const QPoint at = check->geometry().topRight() + QPoint(-1, 1);
        return rgbAt(shot, at) == (background.pixel(at) & 0xFFFFFFu);
    };
    EXPECT_TRUE(edgeMatchesBackground());
    search("report");
    ASSERT_EQ(check->pos(), QPoint(item(IDC_STC_FRAME)->width(), 50));
    EXPECT_TRUE(edgeMatchesBackground());
}

TEST_F(TrawlixDlgTest, BusyPicturePlaysWhileShownAndStopsWhenTheWindowGoes) {
    auto* busy = dlg->Item<CPictureEx>(IDC_PIC_BUSY);
    ASSERT_TRUE(busy);
    EXPECT_EQ(busy->GetSize(), QSize(32, 32));
    EXPECT_EQ(busy->size(), QSize(32, 32));
    EXPECT_EQ(busy->GetFrameCount(), 8);
    EXPECT_TRUE(busy->IsPlaying());  // started once, at initialisation
    search("report");
    ASSERT_TRUE(busy->isVisible());
    const int first = busy->GetCurrentFrame();
    ASSERT_TRUE(processUntil([&] { return busy->GetCurrentFrame() != first; }, 5000));
    saveShot("trawlix-busy.png");

    engine.release->set();
    ASSERT_TRUE(processUntil([&] { return item(IDC_STC_SUMMARY)->isVisible(); }));
    EXPECT_FALSE(busy->isVisible());
    EXPECT_TRUE(busy->IsPlaying());  // hidden, not stopped

    const int64_t start = platform::steadyMs();
    dlg->DestroyWindow();
    EXPECT_LE(platform::steadyMs() - start, 5000);
    EXPECT_FALSE(busy->IsPlaying());
}

TEST_F(TrawlixDlgTest, LocalStatusLineTakesEveryStatusMessage) {
    auto* line = dlg->Item<CNoFlickerStatic>(IDC_STC_LOCAL_STATUS);
    ASSERT_TRUE(line);
    {
        platform::ScopedLock lock(g_searchLock);
        dlg->State()->m_localStatus = platform::toAnsi(u"[내컴퓨터] /tmp/보고서.hwp");
    }
    dlg->PostMessage(UM_SEARCH_EVENT, SEARCH_EVENT_LOCAL_STATUS, 0);
    ASSERT_TRUE(processUntil([&] { return !line->GetText().isEmpty(); }));
    EXPECT_EQ(line->GetText(), qs("[내컴퓨터] /tmp/보고서.hwp"));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_STC_LOCAL_STATUS), line->GetText());
}

TEST_F(TrawlixDlgTest, EmptyTermAsksForOneAndBlanksAreSearched) {
    search("");
    EXPECT_EQ(boxes, std::vector<QString>{qs("검색어를 입력하세요")});
    EXPECT_FALSE(AnyWorkerRunning());
    EXPECT_FALSE(item(IDC_LIST_RESULTS)->isVisible());

    engine.release->set();
    search("  ");
    ASSERT_TRUE(processUntil([&] { return item(IDC_STC_SUMMARY)->isVisible(); }));
    EXPECT_TRUE(dlg->GetDlgItemText(IDC_STC_SUMMARY).startsWith(qs("[  ]에 대하여 총 0 건")));
}

TEST_F(TrawlixDlgTest, EnterInTheBoxStartsTheSearch) {
    engine.release->set();
    auto* edit = dlg->Item<QLineEdit>(IDC_EDIT_TERM);
    edit->setText("README");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_TRUE(processUntil([&] { return item(IDC_STC_SUMMARY)->isVisible(); }));
    EXPECT_EQ(list()->GetItemCount(), 1);
}

TEST_F(TrawlixDlgTest, StopAsksFirstAndReturnsOnceTheWorkersEnd) {
    search("report");
    ASSERT_TRUE(AnyWorkerRunning());
    boxAnswer = platform::IDCANCEL;
    dlg->Item<QPushButton>(IDC_BTN_SEARCH)->click();
    EXPECT_EQ(boxes, std::vector<QString>{qs("검색중 입니다. 작업을 중지하시겠습니까?")});
    EXPECT_TRUE(AnyWorkerRunning());  // Cancel changes nothing

    boxAnswer = platform::IDOK;
    const int64_t start = platform::steadyMs();
    dlg->Item<QPushButton>(IDC_BTN_SEARCH)->click();
    // The held engine polls its flag, so no 10 s wait runs out.
    EXPECT_LT(platform::steadyMs() - start, static_cast<int64_t>(kStopWaitMs));
    EXPECT_FALSE(AnyWorkerRunning());
    ASSERT_TRUE(processUntil([&] { return item(IDC_STC_SUMMARY)->isVisible(); }));
    EXPECT_EQ(dlg->GetDlgItemText(IDC_BTN_SEARCH), qs("검색"));
}

TEST_F(TrawlixDlgTest, ClosingDuringASearchStopsTheWorkersFirst) {
    search("report");
    ASSERT_TRUE(AnyWorkerRunning());
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_FALSE(AnyWorkerRunning());
    EXPECT_FALSE(g_engineThread || g_localThread || g_torrentThread || g_formThread);
    const platform::WindowHandle h = dlg->Handle();
    dlg->DestroyWindow();
    EXPECT_FALSE(h.PostMessage(UM_SEARCH_EVENT, SEARCH_EVENT_DONE, 0));
}

TEST_F(TrawlixDlgTest, ExcludedLocalSearchStillShowsBothStatusLines) {
    auto* check = dlg->Item<CButtonST>(IDC_CHK_EXCLUDE_LOCAL);
    ASSERT_TRUE(check);
    QTest::mouseClick(check, Qt::LeftButton);
    ASSERT_EQ(check->GetCheck(), 1);
    search("report");
    saveShot("trawlix-excluded.png");
    EXPECT_TRUE(item(IDC_STC_LOCAL_STATUS)->isVisible());
    EXPECT_TRUE(item(IDC_STC_WEB_STATUS)->isVisible());
    {
        platform::ScopedLock lock(g_searchLock);
        EXPECT_FALSE(g_localRunning);
    }
    engine.release->set();
    ASSERT_TRUE(processUntil([&] { return item(IDC_STC_SUMMARY)->isVisible(); }));
    EXPECT_EQ(list()->GetItemCount(), 0);
}

TEST_F(TrawlixDlgTest, DoubleClickOpensTheRowsTargetAndBelowTheRowsNothing) {
    engine.release->set();
    search("report");
    ASSERT_TRUE(processUntil([&] { return item(IDC_STC_SUMMARY)->isVisible(); }));
    ASSERT_EQ(list()->GetItemCount(), 1);
    const QRect r = list()->visualItemRect(list()->item(0, 0));
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {},
                       QPoint(5, list()->viewport()->height() - 2));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(root + "/report.doc")));

    dlg->Item<QPushButton>(IDC_BTN_INQUIRY)->click();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].path(), "/software");
    EXPECT_EQ(opened[1].scheme(), "http");
}

TEST_F(TrawlixDlgTest, ANameThatIsNotUtf8IsListedWithSubstitutesAndStillOpens) {
    std::ofstream(root +
                  "/odd\xFF"
                  "name.doc")
        << "x";
    engine.release->set();
    search("odd");
    ASSERT_TRUE(processUntil([&] { return item(IDC_STC_SUMMARY)->isVisible(); }));
    ASSERT_EQ(list()->GetItemCount(), 1);
    EXPECT_EQ(list()->GetItemText(0, 0), "odd?name.doc");
    const QRect r = list()->visualItemRect(list()->item(0, 0));
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].toEncoded().endsWith("/odd%FFname.doc"))
        << opened[0].toString().toStdString();
}

TEST_F(TrawlixDlgTest, StaleAndUnknownEventsChangeNothing) {
    engine.release->set();
    search("report");
    ASSERT_TRUE(processUntil([&] { return item(IDC_STC_SUMMARY)->isVisible(); }));
    ASSERT_EQ(list()->GetItemCount(), 1);
    const uint32_t gen = dlg->State()->generation();
    const QString summary = dlg->GetDlgItemText(IDC_STC_SUMMARY);
    // Key 0 exists, but in the current search: an event tagged with the earlier
    // generation adds no row; a key that isn't there adds none either.
    dlg->PostMessage(UM_SEARCH_EVENT, SEARCH_EVENT_RESULT, ResultEventParam(gen - 1, 0));
    dlg->PostMessage(UM_SEARCH_EVENT, SEARCH_EVENT_RESULT, ResultEventParam(gen, 7));
    dlg->PostMessage(UM_SEARCH_EVENT, 0, 0);
    dlg->PostMessage(UM_SEARCH_EVENT, 5, 0);
    bool marker = false;
    QMetaObject::invokeMethod(
        dlg.get(), [&] { marker = true; }, Qt::QueuedConnection);
    ASSERT_TRUE(processUntil([&] { return marker; }));
    EXPECT_EQ(list()->GetItemCount(), 1);
    EXPECT_EQ(dlg->GetDlgItemText(IDC_STC_SUMMARY), summary);
}

TEST_F(TrawlixDlgTest, ASearchWithNoResultsSummarisesTheTermAsTyped) {
    engine.release->set();
    // Placeholders inside the term stay as typed; the count still lands in its place.
    search(qs("%1 %2 없음"));
    ASSERT_TRUE(processUntil([&] { return item(IDC_STC_SUMMARY)->isVisible(); }));
    EXPECT_EQ(list()->GetItemCount(), 0);
    EXPECT_EQ(dlg->GetDlgItemText(IDC_STC_SUMMARY),
              qs("[%1 %2 없음]에 대하여 총 0 건의 검색 결과가 있습니다\n"
                 "검색 결과의 항목을 더블클릭하면 파일을 다운로드 받을 수 있습니다"));
}

TEST_F(TrawlixDlgTest, ASecondSearchEmptiesTheListFirst) {
    engine.release->set();
    search("report");
    ASSERT_TRUE(processUntil([&] { return item(IDC_STC_SUMMARY)->isVisible(); }));
    search("README");
    ASSERT_TRUE(
        processUntil([&] { return item(IDC_STC_SUMMARY)->isVisible() && !AnyWorkerRunning(); }));
    ASSERT_EQ(list()->GetItemCount(), 1);
    EXPECT_EQ(list()->GetItemText(0, 0), "README");
    EXPECT_EQ(list()->GetItemData(0), 0);
}

}  // namespace
