// Sub-commands of the tabellomatics tool: each command file registers itself
// with a static ToolCommandRegistration object, so adding a command touches no other file.
#pragma once

#include <string_view>
#include <vector>

struct ToolCommand {
    const char* name;      // "run", "eval", ...
    const char* usage;     // one line: arguments after the name
    const char* summary;   // one line: what it does
    int (*run)(int argc, char** argv);  // argv[0] is the command name; returns the exit status
};

std::vector<ToolCommand>& toolCommands();

struct ToolCommandRegistration {
    explicit ToolCommandRegistration(const ToolCommand& command) { toolCommands().push_back(command); }
};
