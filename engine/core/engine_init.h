// Engine initialisation: the global settings object, the registrations of
// scripts and functions, and the hidden parent window of dialog controls.
#pragma once

#include "expr/variables.h"
#include "platform/component.h"

#include <string>

namespace platform {
class Form;
}

// The engine's global settings ("KSApplication").
class TKSApplication : public platform::Component {
public:
    TK_CLASS_INFO
    TKSApplication();

    // Folder searched for script units and forms, ending in "\".
    std::string KSExtendFormPath;
    bool KSLocalizedPropertyNames = false;
    // The global variables expressions and scripts see; assigning copies.
    TKSVariables& KSVariables() { return variables_; }
    void SetKSVariables(const TKSVariables& variables) { variables_.Assign(variables); }

private:
    TKSVariables variables_;
};

// Runs once per process, before any report exists: creates the settings
// object, registers the script bindings and the standard function library,
// and, when a widget application exists, the hidden "KSDialogForm" window.
// Repeated calls do nothing.
void InitTabellomatics();

// The global settings object (created by InitTabellomatics, or on first use).
TKSApplication& KSApplication();
// The hidden 1 x 1 window at -1000, -1000 that parents dialog-page controls;
// null until a widget application exists.
platform::Form* KSDialogForm();
// The program's folder followed by "\" (the engine's path form).
std::string ApplicationPath();
