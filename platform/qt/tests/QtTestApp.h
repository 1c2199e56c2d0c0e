// One QApplication for a whole test binary, made on first use on the main thread.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>

inline QApplication& testApp() {
    static int argc = 1;
    static char name[] = "platform_qt_tests";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs the event loop until done() holds or the deadline passes.
template <class Done>
bool processUntil(Done done, int timeoutMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
