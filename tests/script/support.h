// Shared helpers of the script tests: running a text and catching its error.
#pragma once

#include "script/program.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

// Runs a text with a fresh interpreter (unit text, routine body or expression).
inline Variant runScript(const std::string& source, TKSInterpreterProgram* interpreter = nullptr)
{
    TKSInterpreterProgram local;
    TKSInterpreterProgram& p = interpreter ? *interpreter : local;
    p.setSource(source);
    return p.Run();
}

// The interpreter error of a text, or nothing when it runs.
inline std::optional<EKSInterpreterError> scriptError(const std::string& source,
                                                      TKSInterpreterProgram* interpreter = nullptr)
{
    try {
        runScript(source, interpreter);
    } catch (const EKSInterpreterError& e) {
        return e;
    }
    return std::nullopt;
}
