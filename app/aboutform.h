// TForm2: the about box: the emblem, the program's title and two lines.
#pragma once

#include "platform/controls.h"

class TForm2 : public platform::Form {
public:
    TK_CLASS_INFO
    // Reads the window from its stored form data.
    explicit TForm2(platform::Component* owner = nullptr);

    platform::Image* Image1 = nullptr;
    platform::GroupBox* GroupBox1 = nullptr;
    platform::Label* Label1 = nullptr;
    platform::Label* Label2 = nullptr;
    platform::Label* Label3 = nullptr;
};
