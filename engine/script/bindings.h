// The script vocabulary of the global registry: one registration routine per
// binding group, and the routine that runs them all once at start-up.
#pragma once

#include <string>
#include <vector>

class TKSInterpreterAdapter;

// Fills TKSInterpreterAdapter::global() with every binding group, in order.
// Later calls do nothing.
void RegisterScriptBindings();

void registerSystemBindings(TKSInterpreterAdapter& registry);
void registerSysUtilsBindings(TKSInterpreterAdapter& registry);
// The file routines and TSearchRec of group SysUtils (run by the above).
void registerSysUtilsFileBindings(TKSInterpreterAdapter& registry);
void registerClassesBindings(TKSInterpreterAdapter& registry);
void registerDialogsBindings(TKSInterpreterAdapter& registry);
void registerEngineBindings(TKSInterpreterAdapter& registry);

// The command-line arguments scripts see through ParamStr / ParamCount;
// element 0 is the program (or script) itself. Set by the host at start-up.
void SetScriptParams(std::vector<std::string> params);
const std::vector<std::string>& ScriptParams();
