// The Qt device draws text with the application's fonts, so a benchmark that draws on it makes
// a GUI application first (once, whichever benchmark runs first).
#pragma once

#include <QGuiApplication>

inline void EnsureGuiApp() {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app =
        QCoreApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
}
