// Start-up of the program: engine, application title, the two windows and
// the message loop.
#pragma once

#include <memory>

class QApplication;
class TForm1;
class TForm2;

// The program's windows; both live until the program ends.
struct TearvelloWindows {
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TForm2> Form2;
    TearvelloWindows();
    TearvelloWindows(TearvelloWindows&&) noexcept;
    TearvelloWindows& operator=(TearvelloWindows&&) noexcept;
    ~TearvelloWindows();
};

// Initialises the engine and the application title, then creates the main
// window and the hidden about box (the widget application must exist).
TearvelloWindows StartTearvello();
