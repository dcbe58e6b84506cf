// Start-up of the program in its fixed order: engine initialisation, title,
// main window (its form data loads the report), hidden about box.
#include "startup.h"

#include "aboutform.h"
#include "core/engine_init.h"
#include "mainform.h"
#include "platform/dialogs.h"

#include <QApplication>

TearvelloWindows::TearvelloWindows() = default;
TearvelloWindows::TearvelloWindows(TearvelloWindows&&) noexcept = default;
TearvelloWindows& TearvelloWindows::operator=(TearvelloWindows&&) noexcept = default;
TearvelloWindows::~TearvelloWindows()
{
    // The about box may be shown from the main window: destroy it first.
    Form2.reset();
    Form1.reset();
}

TearvelloWindows StartTearvello()
{
    InitTabellomatics();
    platform::setApplicationTitle("Tearvello");
    QApplication::setApplicationDisplayName(QStringLiteral("Tearvello"));
    TearvelloWindows windows;
    windows.Form1 = std::make_unique<TForm1>();
    windows.Form2 = std::make_unique<TForm2>();
    return windows;
}
