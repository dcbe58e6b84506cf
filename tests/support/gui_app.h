// Tests that measure or draw text need a GUI application (offscreen unless the
// environment chooses a platform); it is created once and lives for the run.
#pragma once

#include <QGuiApplication>

inline void ensureGuiApp()
{
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tabellomatics_test";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}
