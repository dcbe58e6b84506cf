// tabellomatics run: compiles the unit in a script file with the engine's global
// registry and runs its Main; script errors go to standard error with status 1.
#include "command.h"

#include "platform/dialogs.h"
#include "platform/gbk.h"
#include "script/bindings.h"
#include "script/fm.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

// A UTF-8 text file as GBK lines joined by CR LF (the line breaks that error
// line numbers count); false when the file cannot be read.
bool readScriptFile(const std::filesystem::path& file, std::string& text)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    text.clear();
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        text += (first ? "" : "\r\n") + platform::utf8ToGbk(line);
        first = false;
    }
    return true;
}

// An error before the unit's header has no unit and so no line of its own:
// the line is then counted in the file itself.
void printError(const EKSInterpreterError& e, const std::string& source, const std::filesystem::path& file)
{
    const int line = e.line >= 0 || e.position < 0 ? e.line : lineOfPosition(source, e.position);
    const std::string where = e.unitName.empty() ? "file " + file.filename().string()
                                                 : "unit " + platform::gbkToUtf8(e.unitName);
    std::fprintf(stderr, "Script error %d: %s\n  %s, line %d, position %d\n", e.code,
                 platform::gbkToUtf8(e.message).c_str(), where.c_str(), line, e.position);
}

int runScriptFile(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tabellomatics run FILE.pas [ARG]...\n");
        return 2;
    }
    const std::filesystem::path file = argv[1];
    std::string source;
    if (!readScriptFile(file, source)) {
        std::fprintf(stderr, "tabellomatics run: cannot read '%s'\n", argv[1]);
        return 1;
    }
    platform::setDialogMode(platform::DialogMode::Console);
    // ParamStr(0) is the script file, then the arguments after it (as GBK).
    std::vector<std::string> params;
    for (int i = 1; i < argc; ++i)
        params.push_back(platform::utf8ToGbk(argv[i]));
    SetScriptParams(std::move(params));

    TKSInterpreterFm interpreter;
    const std::filesystem::path folder = file.parent_path();
    // Units named in uses clauses: unit name + ".pas" next to the script file.
    interpreter.OnGetUnitSource = [folder](TKSInterpreterUnit&, const std::string& unitName, std::string& text) {
        return readScriptFile(folder / (platform::gbkToUtf8(unitName) + ".pas"), text);
    };
    interpreter.setSource(source);
    try {
        interpreter.Compile();
        interpreter.Run();
    } catch (const EKSInterpreterError& e) {
        printError(e, source, file);
        return 1;
    } catch (const std::exception& e) {
        const EKSInterpreterError& last = interpreter.lastError();
        if (last.code != 0)
            printError(last, source, file);
        else
            std::fprintf(stderr, "Script error: %s\n", e.what());
        return 1;
    }
    return 0;
}

const ToolCommandRegistration registration({"run", "FILE.pas [ARG]...",
                                            "compile the unit in FILE.pas and run its Main; script errors exit with 1",
                                            &runScriptFile});

} // namespace
