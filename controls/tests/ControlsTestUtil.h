// Helpers of the controls' tests: waiting for a condition while the event loop runs,
// and saving screenshots under the build tree.
#pragma once

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QWidget>
#include <string>

#include "platform/Clock.h"
#include "tests/support/TestPaths.h"

namespace controlstest {

// Runs the event loop until cond() holds or the deadline passes.
template <class Cond>
bool waitUntil(Cond cond, int64_t timeoutMs = 10000) {
    const int64_t deadline = platform::steadyMs() + timeoutMs;
    while (!cond()) {
        if (platform::steadyMs() > deadline) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        platform::sleepMs(1);
    }
    return true;
}

// Saves the widget's look as <build>/screenshots/<name>.png and returns it.
inline QImage screenshot(QWidget& widget, const std::string& name) {
    const QImage shot = widget.grab().toImage();
    const QString dir = QString::fromStdString(testsupport::binaryDir()) + "/screenshots";
    QDir().mkpath(dir);
    shot.save(dir + "/" + QString::fromStdString(name) + ".png");
    return shot;
}

inline QRgb rgbAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0x00FFFFFFu;
}

}  // namespace controlstest
