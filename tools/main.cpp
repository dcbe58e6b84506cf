// tabellomatics: command-line access to the report engine (UTF-8 in and out).
#include "command.h"
#include "core/engine_init.h"
#include "platform/dialogs.h"
#include "platform/version.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

std::vector<ToolCommand>& toolCommands()
{
    static std::vector<ToolCommand> commands;
    return commands;
}

namespace {

void printHelp()
{
    std::printf("Usage: tabellomatics COMMAND [ARGUMENTS]\n"
                "       tabellomatics --help | --version\n"
                "\n"
                "Command-line access to the Tabellomatics report engine.\n"
                "Texts are read and printed as UTF-8.\n");
    auto commands = toolCommands();
    std::sort(commands.begin(), commands.end(),
              [](const ToolCommand& a, const ToolCommand& b) { return std::string_view(a.name) < b.name; });
    if (!commands.empty())
        std::printf("\nCommands:\n");
    for (const ToolCommand& command : commands)
        std::printf("  %s %s\n      %s\n", command.name, command.usage, command.summary);
    std::printf("\nOptions:\n"
                "  --help      show this text and exit\n"
                "  --version   show the engine version and exit\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        printHelp();
        return 0;
    }
    std::string_view arg = argv[1];
    if (arg == "--help" || arg == "-h" || arg == "help") {
        printHelp();
        return 0;
    }
    if (arg == "--version") {
        std::printf("%s %s\n", platform::kProductName, platform::kVersion);
        return 0;
    }
    for (const ToolCommand& command : toolCommands()) {
        if (arg == command.name) {
            // The same engine initialisation as the program; boxes print instead of opening.
            platform::setDialogMode(platform::DialogMode::Console);
            InitTabellomatics();
            return command.run(argc - 1, argv + 1);
        }
    }
    std::fprintf(stderr, "tabellomatics: unknown command '%s' (try --help)\n", argv[1]);
    return 2;
}
