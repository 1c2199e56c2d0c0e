// The controls together, placed as the main dialog places them (1.75 pixels per dialog
// unit) over a background picture, in the start-page and the searching arrangement.
#include <gtest/gtest.h>

#include <QDialog>
#include <QEnterEvent>
#include <QLabel>
#include <QPainter>
#include <QTest>

#include "controls/CButtonST.h"
#include "controls/CEditTrans.h"
#include "controls/CNoFlickerStatic.h"
#include "controls/CPictureEx.h"
#include "controls/CWinXPButtonST.h"
#include "controls/gif/tests/GifBuilder.h"
#include "controls/tests/ControlsTestUtil.h"

using controlstest::rgbAt;
using controlstest::screenshot;

namespace {

QRect du(double x, double y, double w, double h) {
    return QRect(int(x * 1.75), int(y * 1.75), int(w * 1.75), int(h * 1.75));
}

QRgb backgroundAt(int x, int y) {
    return qRgb(230 - y / 10, 236 - y / 12, 245 - x / 40);
}

class MockDialog : public QDialog {
public:
    MockDialog() {
        setFixedSize(800, 600);
        QFont text(QStringLiteral("NanumGothic"));
        text.setPixelSize(22);

        frame = new QLabel(this);
        frame->setGeometry(du(42, 126, 372, 23));
        frame->setAutoFillBackground(true);
        QPalette orange = frame->palette();
        orange.setColor(QPalette::Window, QColor(255, 128, 0));
        frame->setPalette(orange);

        edit = new CEditTrans(this);
        edit->setGeometry(du(46, 130, 364, 15));
        edit->setFont(text);

        search =
            new CWinXPButtonST(QStringLiteral("검색"), this, CButtonST::Kind::DefaultPushButton);
        search->setGeometry(du(194, 161, 69, 23));
        search->setFont(text);
        search->SetFlatStyle(true);
        search->SetStateColor(CButtonST::CLR_BK_NORMAL, QColor(255, 128, 0));
        search->SetStateColor(CButtonST::CLR_BK_FOCUS, QColor(255, 128, 0));
        search->SetStateColor(CButtonST::CLR_FG_NORMAL, Qt::white);
        search->SetStateColor(CButtonST::CLR_FG_FOCUS, Qt::white);
        search->BrightenHoverColor();

        close = new CButtonST(this);
        const QRect closeRect = du(407, 313, 47, 23);
        close->setGeometry(closeRect.x(), closeRect.y(), 67, 34);
        QImage face(67, 34, QImage::Format_RGB32);
        face.fill(qRgb(0, 255, 0));
        {
            QPainter p(&face);
            p.setRenderHint(QPainter::Antialiasing);
            p.setBrush(QColor(70, 70, 90));
            p.setPen(Qt::NoPen);
            p.drawRoundedRect(QRect(2, 2, 63, 30), 8, 8);
            p.setPen(Qt::white);
            p.setFont(QFont(QStringLiteral("NanumGothic"), 10));
            p.drawText(face.rect(), Qt::AlignCenter, QStringLiteral("닫기"));
        }
        close->SetFaceBitmaps(face, QColor(0, 255, 0), CButtonST::FACE_AUTO_DARKER,
                              QColor(0, 255, 0));
        close->SetFlatStyle(true);

        check =
            new CButtonST(QStringLiteral("내 PC에서 찾기 제외"), this, CButtonST::Kind::CheckBox);
        check->setGeometry(du(333, 226, 79, 10));
        check->SetFaceIcons(box(true), box(false));
        check->SetTransparent();

        inquiry = new CWinXPButtonST(QStringLiteral("사용문의 (&H)"), this);
        inquiry->setGeometry(du(3, 319, 50, 14));
        inquiry->SetFlatStyle(true);
        inquiry->SetStateColor(CButtonST::CLR_BK_NORMAL, QColor(61, 58, 83));
        inquiry->SetStateColor(CButtonST::CLR_BK_FOCUS, QColor(61, 58, 83));
        inquiry->SetStateColor(CButtonST::CLR_FG_NORMAL, Qt::white);
        inquiry->SetStateColor(CButtonST::CLR_FG_FOCUS, Qt::white);
        inquiry->BrightenHoverColor();

        busy = new CPictureEx(this);
        busy->setGeometry(du(7, 34, 21, 21));
        status = new CNoFlickerStatic(this);
        status->setGeometry(du(77, 45, 283, 9));
        status->hide();
        busy->hide();
    }

    static QImage box(bool checked) {
        QImage icon(14, 14, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        QPainter p(&icon);
        p.fillRect(QRect(0, 0, 14, 14), QColor(90, 90, 90));
        p.fillRect(QRect(1, 1, 12, 12), Qt::white);
        if (checked) {
            p.fillRect(QRect(3, 3, 8, 8), QColor(255, 128, 0));
        }
        return icon;
    }

    // The searching arrangement: band, box and button to the top, the check box below.
    void arrangeForSearch() {
        frame->move(4, 4);
        edit->move(10, 10);
        const int w = frame->width();
        search->move(w + 6, 4);
        check->move(w, 50);
        search->setText(QStringLiteral("검색중지"));
        busy->show();
        status->show();
    }

    QLabel* frame;
    CEditTrans* edit;
    CWinXPButtonST* search;
    CButtonST* close;
    CButtonST* check;
    CWinXPButtonST* inquiry;
    CPictureEx* busy;
    CNoFlickerStatic* status;

protected:
    void paintEvent(QPaintEvent*) override {
        QImage image(size(), QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                image.setPixel(x, y, backgroundAt(x, y));
            }
        }
        QPainter(this).drawImage(0, 0, image);
    }
};

QByteArray spinner() {
    giftest::GifBuilder b;
    b.header(32, 32).application();
    for (int i = 0; i < 8; ++i) {
        std::vector<uint8_t> pixels(32 * 32, 0);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const int band = (x / 4 + i) % 8;
                pixels[size_t(y * 32 + x)] = band < 2 ? 1 : (band < 4 ? 3 : 0);
            }
        }
        b.control(10, 2).image(0, 0, 32, 32, pixels);
    }
    b.trailer();
    return QByteArray(reinterpret_cast<const char*>(b.bytes().data()), qsizetype(b.size()));
}

TEST(Arrangement, StartPageHoverAndSearchingDisplay) {
    MockDialog dialog;
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.edit->setFocus();
    dialog.edit->setText(QStringLiteral("사업계획서"));
    ASSERT_TRUE(dialog.busy->Load(spinner()));
    ASSERT_TRUE(dialog.busy->Draw());

    const QImage idle = screenshot(dialog, "arrangement_idle");
    const QPoint checkCorner = dialog.check->geometry().bottomRight() - QPoint(2, 2);
    EXPECT_EQ(backgroundAt(checkCorner.x(), checkCorner.y()) & 0xFFFFFF,
              rgbAt(idle, checkCorner.x(), checkCorner.y()));

    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(dialog.search, &enter);
    QApplication::sendEvent(dialog.close, &enter);
    screenshot(dialog, "arrangement_hover");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(dialog.search, &leave);
    QApplication::sendEvent(dialog.close, &leave);

    dialog.check->SetCheck(1);
    dialog.arrangeForSearch();
    dialog.status->SetText(QStringLiteral("/home/user/문서/사업계획서_2026.hwp"));
    ASSERT_TRUE(controlstest::waitUntil([&] { return dialog.busy->GetCurrentFrame() >= 1; }));
    const QImage searching = screenshot(dialog, "arrangement_searching");
    const QPoint moved = dialog.check->geometry().bottomRight() - QPoint(2, 2);
    EXPECT_EQ(backgroundAt(moved.x(), moved.y()) & 0xFFFFFF,
              rgbAt(searching, moved.x(), moved.y()));
    EXPECT_TRUE(dialog.busy->Stop());
}

}  // namespace
