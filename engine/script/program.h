// TKSInterpreterProgram: a unit interpreter whose source is a list of lines,
// with the 'program' form and the OnStatement hook (how a host stops a script).
#pragma once

#include "script/unit.h"

#include <functional>
#include <string>
#include <vector>

class TKSInterpreterProgram : public TKSInterpreterUnit {
public:
    using StatementHook = std::function<void(TKSInterpreterProgram& sender)>;

    // The source as lines; setting them sets the source text (joined by CR LF).
    const std::vector<std::string>& Pas() const { return pas_; }
    void setPas(std::vector<std::string> lines);

    // A text that starts with "program " runs as a program, else as a unit text.
    Variant Run() override;

    // Fired before every statement and at every ';' of a statement list; a host
    // stops a running script by raising an exception from it.
    StatementHook OnStatement;
    void statementHook() override
    {
        if (OnStatement)
            OnStatement(*this);
    }

private:
    void runProgram();

    std::vector<std::string> pas_;
};
