// TKSProgressForm: the small window that shows which page a report is
// building or printing, with a cancel button that stops the run.
#pragma once

#include "platform/controls.h"

#include <string>

class TKSCustomReport;

class TKSProgressForm : public platform::Form {
public:
    TK_CLASS_INFO
    explicit TKSProgressForm(platform::Component* owner = nullptr);

    platform::Label* Label1 = nullptr;
    platform::Label* Label2 = nullptr;
    platform::Button* btnCancel = nullptr;

    // Binds the form to the report its cancel button stops; clears Label2.
    void SetReport(TKSCustomReport* report);
    TKSCustomReport* Report() const { return report_; }
    void SetLine1(const std::string& text) { Label1->setCaption(text); }
    void SetLine2(const std::string& text) { Label2->setCaption(text); }
    std::string Line1() const { return Label1->caption(); }
    std::string Line2() const { return Label2->caption(); }
    // What the cancel button does.
    void Cancel();

private:
    TKSCustomReport* report_ = nullptr;
};

// Lets the window system handle pending events (input, paint, timers), so
// that a long loop stays responsive and sees its cancel button.
void ProcessPendingMessages();
// Whether windows can be created (a widget application exists).
bool CanShowWindows();
