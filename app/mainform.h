// TForm1: the main window: three input fields, the print and exit buttons,
// the about link, and the report component that prints the sheet.
#pragma once

#include "core/report.h"
#include "platform/controls.h"

class TForm1 : public platform::Form {
public:
    TK_CLASS_INFO
    // Reads the window from its stored form data.
    explicit TForm1(platform::Component* owner = nullptr);

    platform::Label* Label1 = nullptr;
    platform::Label* Label2 = nullptr;
    platform::Label* Label3 = nullptr;
    platform::Label* Label4 = nullptr;
    platform::GroupBox* GroupBox1 = nullptr;
    platform::Edit* Edit1 = nullptr;
    platform::Edit* Edit2 = nullptr;
    platform::Edit* Edit3 = nullptr;
    platform::Edit* Edit4 = nullptr;
    platform::Edit* Edit5 = nullptr;
    platform::BitBtn* BitBtn1 = nullptr;
    platform::BitBtn* BitBtn2 = nullptr;
    TKSReport* KSReport1 = nullptr;

    // Handlers named by the form data.
    void FormShow();
    void Edit1KeyDown(int key);
    void Edit2KeyDown(int key);
    void Edit3KeyDown(int key);
    void BitBtn1Click();
    void BitBtn2Click();
    void Label4Click();

    // The print button's work without the preview: fills the hidden fields
    // from the typed texts and prepares the sheet; false on an error.
    bool PrepareSheet();

private:
    // Copies the captioned address and phone into the hidden fields the
    // report script reads.
    void fillHiddenFields();
};
