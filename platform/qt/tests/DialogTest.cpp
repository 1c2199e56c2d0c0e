#include "platform/qt/Dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <thread>
#include <vector>

#include "platform/qt/ListView.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/Shell.h"
#include "platform/qt/tests/QtTestApp.h"

namespace {

using namespace platform;

DialogTemplate testTemplate() {
    return parseLayout(
               "dialog 50 200 100 \"Test\" \"NanumGothic\" 9\n"
               "control 10 edit 4 4 100 12 \"start\" visible tabstop\n"
               "control 11 button 110 4 40 12 \"Go\" visible tabstop default\n"
               "control 12 listview 4 20 190 60 \"\" border tabstop report\n"
               "control 13 static 4 84 100 10 \"label\" visible\n"
               "control 14 checkbox 110 84 60 10 \"check\" visible tabstop\n")
        .at(0);
}

class RecordingDialog : public CDialogBase {
public:
    RecordingDialog() : CDialogBase(testTemplate()) {}
    std::vector<std::pair<uint32_t, int64_t>> messages;
    std::vector<std::thread::id> threads;
    std::vector<int> commands;
    std::vector<int> doubleClicks;
    bool initRan = false;

protected:
    bool OnInitDialog() override {
        initRan = true;
        return true;
    }
    void OnMessage(uint32_t m, uint64_t, int64_t l) override {
        messages.emplace_back(m, l);
        threads.push_back(std::this_thread::get_id());
    }
    void OnCommand(int id) override {
        commands.push_back(id);
        CDialogBase::OnCommand(id);
    }
    void OnListDoubleClick(int, int row) override { doubleClicks.push_back(row); }
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { testApp(); }
};

TEST_F(DialogTest, BuildsControlsByIdKindAndPixelPosition) {
    RecordingDialog d;
    ASSERT_TRUE(d.Create());
    EXPECT_TRUE(d.initRan);
    EXPECT_EQ(d.size(), QSize(350, 175));
    auto* edit = d.Item<QLineEdit>(10);
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->text(), "start");
    EXPECT_EQ(edit->geometry(), QRect(7, 7, 175, 21));
    EXPECT_TRUE(d.Item<QPushButton>(11)->isDefault());
    EXPECT_TRUE(d.Item<CListView>(12));
    EXPECT_FALSE(d.GetDlgItem(12)->isVisibleTo(&d));  // no "visible": hidden
    EXPECT_TRUE(d.Item<QCheckBox>(14));
    EXPECT_EQ(d.GetDlgItem(99), nullptr);

    d.SetDlgItemText(13, "new");
    EXPECT_EQ(d.GetDlgItemText(13), "new");
    d.MoveControl(10, QPoint(3, 4));
    EXPECT_EQ(edit->geometry(), QRect(3, 4, 175, 21));
    EXPECT_EQ(d.ControlOuterWidth(10), 175);
}

TEST_F(DialogTest, PostedMessagesArriveInOrderOnTheDialogsThread) {
    RecordingDialog d;
    ASSERT_TRUE(d.Create());
    const WindowHandle h = d.Handle();
    std::thread poster([h] {
        for (int i = 0; i < 100; ++i) {
            EXPECT_TRUE(h.PostMessage(2025, 1, i));
        }
    });
    poster.join();
    ASSERT_TRUE(processUntil([&] { return d.messages.size() == 100; }));
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(d.messages[i].second, i);
        EXPECT_EQ(d.threads[i], std::this_thread::get_id());
    }
}

TEST_F(DialogTest, PostingToAGoneWindowFailsQuietly) {
    WindowHandle h;
    EXPECT_FALSE(h.PostMessage(1, 0, 0));
    {
        RecordingDialog d;
        ASSERT_TRUE(d.Create());
        h = d.Handle();
        EXPECT_TRUE(h.IsWindow());
        EXPECT_TRUE(h.PostMessage(2025, 0, 0));  // still queued when it dies
    }
    EXPECT_FALSE(h.IsWindow());
    EXPECT_FALSE(h.PostMessage(2025, 0, 0));
    QCoreApplication::processEvents();
}

TEST_F(DialogTest, ButtonsEnterAndEscapeReachOnCommand) {
    RecordingDialog d;
    ASSERT_TRUE(d.Create());
    d.show();
    d.Item<QPushButton>(11)->click();
    d.Item<QLineEdit>(10)->setFocus();
    QTest::keyClick(d.Item<QLineEdit>(10), Qt::Key_Return);  // the default button
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_EQ(d.commands, (std::vector<int>{11, 11, 2}));
    EXPECT_FALSE(d.isVisible());
}

TEST_F(DialogTest, ListViewInReportViewWithItemDataAndDoubleClicks) {
    RecordingDialog d;
    ASSERT_TRUE(d.Create());
    d.show();
    auto* list = d.Item<CListView>(12);
    list->show();
    list->InsertColumn(0, "A", 100);
    list->InsertColumn(1, "B", 50);
    list->SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (int i = 0; i < 2; ++i) {
        const int row = list->InsertItem(list->GetItemCount(), QString("r%1").arg(i));
        list->SetItemData(row, 40 + i);
        list->SetItemText(row, 1, "b");
    }
    EXPECT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(list->GetItemData(1), 41);
    EXPECT_EQ(list->GetItemText(1, 0), "r1");
    EXPECT_TRUE(list->showGrid());

    const QRect first = list->visualItemRect(list->item(0, 0));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                       QPoint(10, list->viewport()->height() - 3));  // below the rows
    EXPECT_EQ(d.doubleClicks, (std::vector<int>{0, -1}));
    list->DeleteAllItems();
    EXPECT_EQ(list->GetItemCount(), 0);
}

TEST_F(DialogTest, MessageBoxesGoThroughTheSeam) {
    std::vector<MessageBoxRequest> seen;
    setMessageBoxHandler([&](const MessageBoxRequest& r) {
        seen.push_back(r);
        return IDCANCEL;
    });
    EXPECT_EQ(MessageBox(nullptr, "text", "title", MessageBoxButtons::OkCancel), IDCANCEL);
    setMessageBoxHandler(nullptr);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, "text");
    EXPECT_EQ(seen[0].title, "title");
    EXPECT_EQ(seen[0].buttons, MessageBoxButtons::OkCancel);
}

TEST_F(DialogTest, ShellOpensUrlsAndPathsThroughTheSeam) {
    std::vector<QUrl> opened;
    setShellOpenHandler([&](const QUrl& u) {
        opened.push_back(u);
        return true;
    });
    EXPECT_TRUE(ShellOpen(shellUrlFor("http://example.invalid/a b.doc")));
    EXPECT_TRUE(ShellOpen(shellUrlFor("/home/user/report.doc")));
    EXPECT_TRUE(ShellOpen(shellUrlForExactPath("/tmp/bad\xFFname")));
    setShellOpenHandler(nullptr);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0].scheme(), "http");
    EXPECT_EQ(opened[1], QUrl::fromLocalFile("/home/user/report.doc"));
    // The byte that is not UTF-8 stays in the URL as it is on disk.
    EXPECT_EQ(opened[2].toEncoded(), QByteArray("file:///tmp/bad%FFname"));
}

}  // namespace
