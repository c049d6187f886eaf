// Text drawing needs a QGuiApplication; tests create one on first use.
#pragma once

#include <QGuiApplication>

inline void EnsureGuiApp() {
    static int argc = 1;
    static char name[] = "test_raster";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app =
        QCoreApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
}
