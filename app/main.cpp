// Tearvello start-up: application object, engine and windows, message loop.
#include "mainform.h"
#include "startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Qt needs its application object before any window, including the
    // engine's hidden dialog parent, so it comes first.
    QApplication app(argc, argv);
    TearvelloWindows windows = StartTearvello();
    windows.Form1->show();
    return app.exec();
}
