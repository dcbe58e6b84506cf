// tabellomatics: command-line access to the report engine (UTF-8 in and out).
#include "platform/version.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

void printHelp()
{
    std::printf(
        "Usage: tabellomatics [--help] [--version]\n"
        "\n"
        "Command-line access to the Tabellomatics report engine.\n"
        "\n"
        "Options:\n"
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
    if (arg == "--help" || arg == "-h") {
        printHelp();
        return 0;
    }
    if (arg == "--version") {
        std::printf("%s %s\n", platform::kProductName, platform::kVersion);
        return 0;
    }
    std::fprintf(stderr, "tabellomatics: unknown command '%s' (try --help)\n", argv[1]);
    return 2;
}
