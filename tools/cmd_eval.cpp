// tabellomatics eval: evaluates report expressions with the engine's lookups
// and function libraries and prints each value's text, one per line.
#include "command.h"

#include "expr/evalcontext.h"
#include "expr/stdfunctions.h"
#include "platform/dialogs.h"
#include "platform/gbk.h"
#include "platform/variant.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct EvalOptions {
    std::vector<std::pair<std::string, std::string>> variables;  // UTF-8
    std::vector<std::string> expressions;                        // UTF-8
};

bool parseOptions(int argc, char** argv, EvalOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view definition;
        if (arg == "--var") {
            if (++i >= argc)
                return false;
            definition = argv[i];
        } else if (arg.starts_with("--var=")) {
            definition = arg.substr(6);
        } else {
            options.expressions.emplace_back(arg);
            continue;
        }
        std::size_t equals = definition.find('=');
        if (equals == std::string_view::npos || equals == 0)
            return false;
        options.variables.emplace_back(definition.substr(0, equals), definition.substr(equals + 1));
    }
    return !options.expressions.empty();
}

// A number when the text reads as one (with "." as the decimal point), else text.
platform::Variant variableValue(const std::string& gbk)
{
    static const platform::FormatSettings kPointSettings;
    if (std::optional<double> number = platform::parseFloat(gbk, kPointSettings))
        return platform::Variant(*number);
    return platform::Variant(gbk);
}

std::string textOf(const platform::Variant& value)
{
    if (value.isNull() || value.isEmpty())
        return {};
    return platform::gbkToUtf8(value.toString());
}

int runEval(int argc, char** argv)
{
    EvalOptions options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: tabellomatics eval [--var NAME=VALUE]... EXPR...\n");
        return 2;
    }
    platform::setDialogMode(platform::DialogMode::Console);

    TKSEvalContext context;
    for (const auto& [name, value] : options.variables)
        context.Variables.SetValue(platform::utf8ToGbk(name), variableValue(platform::utf8ToGbk(value)));
    for (const std::string& expression : options.expressions) {
        try {
            std::string text = textOf(context.Evaluate(platform::utf8ToGbk(expression)));
            std::printf("%s\n", text.c_str());
        } catch (const std::exception& error) {
            std::fflush(stdout);
            std::fprintf(stderr, "%s\n", platform::gbkToUtf8(error.what()).c_str());
            return 1;
        }
    }
    return 0;
}

const ToolCommandRegistration registration({
    "eval",
    "[--var NAME=VALUE]... EXPR...",
    "evaluate report expressions and print each value (a --var value is a number when it reads as one)",
    runEval,
});

} // namespace
