// Event objects: the bridge from a host event property to a script routine.
#include "script/event.h"

#include "script/function.h"

Variant TKSInterpreterEvent::call()
{
    if (!owner)
        return Variant();
    return owner->callRoutine(instance, unitName, routineName, &args, {});
}

void TKSInterpreterEvent::standardHandler(TKSInterpreterEvent& event, platform::Object* sender,
                                          platform::EventArgs& args)
{
    event.args.clearCall();
    event.args.push(makeObjectValue(sender));
    for (const Variant& value : args)
        event.args.push(value);
    event.call();
    for (std::size_t i = 0; i < args.size() && int(i + 1) < event.args.count; ++i)
        args[i] = event.args.values[i + 1];
}
