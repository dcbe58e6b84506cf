// TKSInterpreterEvent: one binding of a host event property to a script routine.
// The host calls it through a method value; it calls the routine by name.
#pragma once

#include "platform/reflection.h"
#include "script/args.h"

#include <memory>
#include <string>

class TKSInterpreterFunction;

class TKSInterpreterEvent : public platform::Object {
public:
    virtual ~TKSInterpreterEvent() = default;

    // Null once the interpreter is gone: the event then does nothing.
    TKSInterpreterFunction* owner = nullptr;
    platform::Object* instance = nullptr;
    std::string unitName;
    std::string routineName;
    TKSInterpreterArgs args;  // reused by every call

    // Calls the routine with the arguments in `args`; the routine's result.
    Variant call();

    // The handler of ordinary event types: the sender as an object wrapper,
    // then every argument in order; all arguments are copied back afterwards
    // so that var parameters reach the host.
    static void standardHandler(TKSInterpreterEvent& event, platform::Object* sender, platform::EventArgs& args);
};
