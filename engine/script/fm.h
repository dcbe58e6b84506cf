// TKSInterpreterFm: the report's interpreter. Adds the file-based unit search
// (name.pas beside the program or along a search path) to the program form.
#pragma once

#include "script/program.h"

#include <string>

class TKSInterpreterFm : public TKSInterpreterProgram {
public:
    // When false (the default) a uses clause in an interface section loads an
    // empty unit instead of the unit's source.
    bool InterfaceUses = false;
    // Folders searched for unit files, separated by ';'.
    std::string SearchPath;

protected:
    bool unitSource(const std::string& name, std::string& source) override;
};
