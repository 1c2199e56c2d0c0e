#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <memory>
#include <mutex>

#include "controls/CPictureEx.h"
#include "controls/gif/tests/GifBuilder.h"
#include "controls/tests/ControlsTestUtil.h"

using controlstest::rgbAt;
using controlstest::screenshot;
using controlstest::waitUntil;
using giftest::GifBuilder;

namespace {

constexpr QRgb kBlack = 0x000000, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

QByteArray bytesOf(const GifBuilder& b) {
    return QByteArray(reinterpret_cast<const char*>(b.bytes().data()), qsizetype(b.size()));
}

QRgb sysButton() {
    return QApplication::palette().color(QPalette::Button).rgb() & 0xFFFFFF;
}

// Eight 32 x 32 frames of 10 hundredths, each clearing the picture: a dot going round.
QByteArray busyGif() {
    GifBuilder b;
    b.header(32, 32).application();
    const QPoint spots[8] = {{12, 0},  {20, 4}, {24, 12}, {20, 20},
                             {12, 24}, {4, 20}, {0, 12},  {4, 4}};
    for (const QPoint& spot : spots) {
        std::vector<uint8_t> pixels(32 * 32, 0);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                pixels[size_t((spot.y() + y) * 32 + spot.x() + x)] = 1;
            }
        }
        b.control(10, 2).image(0, 0, 32, 32, pixels);
    }
    b.trailer();
    return bytesOf(b);
}

// Snapshots of the canvas taken by the animation thread right after each frame is shown.
struct Snapshots {
    std::mutex mutex;
    std::vector<QImage> images;  // guarded by mutex

    size_t count() {
        std::lock_guard<std::mutex> lock(mutex);
        return images.size();
    }
    QImage at(size_t i) {
        std::lock_guard<std::mutex> lock(mutex);
        return images.at(i);
    }
};

void recordFrames(CPictureEx& picture, const std::shared_ptr<Snapshots>& shots) {
    picture.SetFrameWaiter([&picture, shots](uint32_t, platform::Event& stop) {
        {
            std::lock_guard<std::mutex> lock(shots->mutex);
            shots->images.push_back(picture.CanvasCopy());
        }
        stop.wait(1);
    });
}

TEST(CPictureEx, OneFrameIsDrawnOnceWithoutAThread) {
    GifBuilder b;
    b.header(6, 5).control(10, 2).image(0, 0, 6, 5, 1).trailer();
    CPictureEx picture;
    ASSERT_TRUE(picture.Load(bytesOf(b)));
    EXPECT_TRUE(picture.IsGif());
    EXPECT_TRUE(picture.IsReady());
    EXPECT_EQ(QSize(6, 5), picture.GetSize());
    EXPECT_EQ(QSize(6, 5), picture.size());
    EXPECT_EQ(1, picture.GetFrameCount());
    EXPECT_TRUE(picture.Draw());
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_EQ(kRed, rgbAt(picture.CanvasCopy(), 3, 3));
    EXPECT_EQ(kRed, rgbAt(picture.grab().toImage(), 5, 4));
}

TEST(CPictureEx, OtherPicturesAreShownStillAtTheirPixelSize) {
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 255));
    for (const char* format : {"PNG", "BMP"}) {
        SCOPED_TRACE(format);
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(image.save(&buffer, format));
        CPictureEx picture;
        ASSERT_TRUE(picture.Load(data));
        EXPECT_FALSE(picture.IsGif());
        EXPECT_EQ(QSize(20, 10), picture.GetSize());
        EXPECT_TRUE(picture.Draw());
        EXPECT_FALSE(picture.IsPlaying());
        EXPECT_EQ(kBlue, rgbAt(picture.CanvasCopy(), 19, 9));
    }
}

TEST(CPictureEx, FramesAreComposedWithTheirOffsetsAndDisposals) {
    GifBuilder b;
    b.header(4, 4);
    b.control(0, 1).image(0, 0, 4, 4, 1);  // red, left in place
    b.control(0, 3).image(0, 0, 2, 2, 3);  // blue corner, then the red under it comes back
    b.control(5, 2).image(2, 2, 2, 2, 2);  // green corner, then the background
    b.trailer();
    CPictureEx picture;
    ASSERT_TRUE(picture.Load(bytesOf(b)));
    EXPECT_EQ(3, picture.GetFrameCount());
    auto shots = std::make_shared<Snapshots>();
    recordFrames(picture, shots);
    ASSERT_TRUE(picture.Draw());
    EXPECT_TRUE(picture.IsPlaying());
    ASSERT_TRUE(waitUntil([&] { return shots->count() >= 4; }));
    EXPECT_TRUE(picture.Stop());
    EXPECT_FALSE(picture.IsPlaying());

    struct Expect {
        size_t shot;
        int x, y;
        QRgb color;
    };
    for (const Expect& e : {Expect{0, 0, 0, kRed}, Expect{0, 3, 3, kRed}, Expect{1, 0, 0, kBlue},
                            Expect{1, 2, 2, kRed}, Expect{2, 0, 0, kRed}, Expect{2, 3, 3, kGreen},
                            Expect{3, 0, 0, kRed}, Expect{3, 3, 3, kRed}}) {
        EXPECT_EQ(e.color, rgbAt(shots->at(e.shot), e.x, e.y))
            << "shot " << e.shot << " at " << e.x << "," << e.y;
    }
    // After the last frame the canvas is cleared to the background before frame 0.
    EXPECT_EQ(sysButton(), picture.GetBackColor().rgb() & 0xFFFFFF);
}

TEST(CPictureEx, BusyIndicatorTurnsAndStopsWithinTheLimit) {
    QWidget dialog;
    dialog.resize(80, 50);
    CPictureEx picture(&dialog);
    picture.move(7, 7);
    ASSERT_TRUE(picture.Load(busyGif()));
    EXPECT_EQ(8, picture.GetFrameCount());
    EXPECT_EQ(QSize(32, 32), picture.size());
    EXPECT_EQ(QPoint(7, 7), picture.pos());
    dialog.show();
    ASSERT_TRUE(picture.Draw());
    // Real delays: the frames move on by themselves.
    ASSERT_TRUE(waitUntil([&] { return picture.GetCurrentFrame() >= 2; }));
    const QImage shot = screenshot(dialog, "busy_running");
    EXPECT_EQ(QSize(80, 50), shot.size());
    EXPECT_TRUE(picture.Stop());
    EXPECT_FALSE(picture.IsPlaying());
    // Hiding does not stop it; drawing again starts it again.
    ASSERT_TRUE(picture.Draw());
    picture.hide();
    const int from = picture.GetCurrentFrame();
    ASSERT_TRUE(waitUntil([&] { return picture.GetCurrentFrame() != from; }));
    EXPECT_TRUE(picture.Stop());
}

TEST(CPictureEx, StopWakesAFrameOfAnyLength) {
    GifBuilder b;
    b.header(4, 4).control(65535, 0).image(0, 0, 4, 4, 1).control(65535, 0).image(0, 0, 4, 4, 2);
    b.trailer();
    CPictureEx picture;
    ASSERT_TRUE(picture.Load(bytesOf(b)));
    ASSERT_TRUE(picture.Draw());
    ASSERT_TRUE(waitUntil([&] { return rgbAt(picture.CanvasCopy(), 0, 0) == kRed; }));
    EXPECT_TRUE(picture.Stop());  // true: ended within the wait, not after it ran out
}

TEST(CPictureEx, StopThatRunsOutFreesNothingTheThreadUses) {
    auto gate = std::make_shared<platform::Event>(true, false);
    auto waiting = std::make_shared<platform::Event>(true, false);
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> watch = token;
    {
        QWidget dialog;
        auto* picture = new CPictureEx(&dialog);
        ASSERT_TRUE(picture->Load(busyGif()));
        // A thread stuck in its wait, deaf to the stop event.
        picture->SetFrameWaiter([gate, waiting, token](uint32_t, platform::Event&) {
            waiting->set();
            gate->wait();
        });
        token.reset();
        picture->SetStopTimeoutMs(50);
        ASSERT_TRUE(picture->Draw());
        ASSERT_TRUE(waiting->wait(10000));
        EXPECT_FALSE(picture->Stop());
        EXPECT_FALSE(picture->IsPlaying());
        // The control carries on with its own copy of the canvas.
        EXPECT_EQ(QSize(32, 32), picture->CanvasCopy().size());
        picture->update();
        QApplication::processEvents();
        delete picture;
    }
    EXPECT_FALSE(watch.expired());  // the stuck thread still holds its state
    gate->set();
    EXPECT_TRUE(waitUntil([&] { return watch.expired(); }));
    QApplication::processEvents();
}

struct BadCase {
    const char* name;
    QByteArray data;
};

std::vector<BadCase> badCases() {
    GifBuilder good;
    good.header(4, 4).control(1, 0).image(0, 0, 4, 4, 1).control(1, 0).image(0, 0, 4, 4, 2);
    good.trailer();
    const QByteArray all = bytesOf(good);
    GifBuilder unknown;
    unknown.header(4, 4).control(1, 0).raw({0x99}).image(0, 0, 4, 4, 1).trailer();
    GifBuilder noFrame;
    noFrame.header(4, 4).comment("nothing").trailer();
    GifBuilder huge;
    huge.header(65535, 65535).control(1, 0).image(0, 0, 4, 4, 1).control(1, 0);
    huge.image(0, 0, 4, 4, 2).trailer();
    return {
        {"empty", QByteArray()},
        {"headerOnly", all.left(10)},
        {"tableCut", all.left(16)},
        {"truncatedImage", all.left(all.size() - 4)},
        {"unknownBlock", bytesOf(unknown)},
        {"noFrame", bytesOf(noFrame)},
        {"hugeScreen", bytesOf(huge)},
        {"notAPicture", QByteArray("plain text, not a picture")},
    };
}

class BadPicture : public testing::TestWithParam<BadCase> {};

TEST_P(BadPicture, FailsToLoadAndLeavesNothingLoaded) {
    CPictureEx picture;
    ASSERT_TRUE(picture.Load(busyGif()));
    EXPECT_FALSE(picture.Load(GetParam().data));
    EXPECT_FALSE(picture.IsReady());
    EXPECT_FALSE(picture.IsGif());
    EXPECT_EQ(0, picture.GetFrameCount());
    EXPECT_FALSE(picture.Draw());
    EXPECT_EQ(QColor(Qt::white), picture.GetBackColor());
}

INSTANTIATE_TEST_SUITE_P(Cases, BadPicture, testing::ValuesIn(badCases()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(CPictureEx, ZeroScreenTakesTheFramesExtent) {
    GifBuilder b;
    b.header(0, 0).control(1, 0).image(0, 0, 5, 3, 1).control(1, 0).image(1, 1, 6, 2, 2);
    b.trailer();
    CPictureEx picture;
    ASSERT_TRUE(picture.Load(bytesOf(b)));
    EXPECT_EQ(QSize(7, 3), picture.GetSize());
}

TEST(CPictureEx, LoadsFromTheResourceLocatorAndUnloads) {
    CPictureEx::SetResourceLocator([](int id, const QString& type) {
        return id == 130 && type == QStringLiteral("GIF") ? busyGif() : QByteArray();
    });
    CPictureEx picture;
    EXPECT_FALSE(picture.LoadFromResource(131, QStringLiteral("GIF")));
    ASSERT_TRUE(picture.LoadFromResource(130, QStringLiteral("GIF")));
    ASSERT_TRUE(picture.Draw());
    picture.Unload();
    EXPECT_FALSE(picture.IsPlaying());
    EXPECT_FALSE(picture.IsReady());
    EXPECT_EQ(QSize(), picture.GetSize());
    EXPECT_EQ(QColor(Qt::white), picture.GetBackColor());
    EXPECT_FALSE(picture.Draw());
    CPictureEx::SetResourceLocator(nullptr);
    EXPECT_FALSE(picture.LoadFromResource(130, QStringLiteral("GIF")));
}

TEST(CPictureEx, ScreenshotOfEveryBusyFrame) {
    CPictureEx picture;
    ASSERT_TRUE(picture.Load(busyGif()));
    auto shots = std::make_shared<Snapshots>();
    recordFrames(picture, shots);
    ASSERT_TRUE(picture.Draw());
    ASSERT_TRUE(waitUntil([&] { return shots->count() >= 8; }));
    EXPECT_TRUE(picture.Stop());
    QImage strip(8 * 34, 32, QImage::Format_RGB32);
    strip.fill(Qt::gray);
    QPainter p(&strip);
    for (size_t i = 0; i < 8; ++i) {
        const QImage frame = shots->at(i);
        p.drawImage(int(i) * 34, 0, frame);
    }
    p.end();
    strip.save(QString::fromStdString(testsupport::binaryDir()) + "/screenshots/busy_frames.png");
    EXPECT_EQ(kRed, rgbAt(shots->at(0), 15, 3));    // the dot at the top in frame 0
    EXPECT_EQ(kBlack, rgbAt(shots->at(1), 15, 3));  // gone in frame 1
    EXPECT_EQ(kRed, rgbAt(shots->at(1), 23, 7));
}

}  // namespace
