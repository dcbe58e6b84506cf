// The registration routine of the global registry, and the process-wide list
// of command-line arguments that ParamStr and ParamCount read.
#include "script/bindings.h"

#include "script/adapter.h"

namespace {

std::vector<std::string>& params()
{
    static std::vector<std::string> list;
    return list;
}

} // namespace

void RegisterScriptBindings()
{
    static int registrations = 0;
    if (registrations++ > 0)
        return;
    TKSInterpreterAdapter& registry = TKSInterpreterAdapter::global();
    registerSystemBindings(registry);
    registerSysUtilsBindings(registry);
    registerClassesBindings(registry);
    registerDialogsBindings(registry);
    registerEngineBindings(registry);
}

void SetScriptParams(std::vector<std::string> list) { params() = std::move(list); }

const std::vector<std::string>& ScriptParams() { return params(); }
