// tabellomatics render: draws the pages of a prepared-report file as PNG, or
// prepares a template stream (".ksf") and writes its pages as ".ksp" or PNG.
#include "command.h"
#include "render_pages.h"

#include "core/report.h"
#include "platform/gbk.h"
#include "platform/stream.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct RenderOptions {
    std::string input, output;
    int dpi = 96;
};

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool parseArguments(int argc, char** argv, RenderOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o" && i + 1 < argc) {
            options.output = argv[++i];
        } else if (arg == "--dpi" && i + 1 < argc) {
            char* end = nullptr;
            const long dpi = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || dpi < 10 || dpi > 1200)
                return false;
            options.dpi = static_cast<int>(dpi);
        } else if (options.input.empty() && !arg.empty() && arg[0] != '-') {
            options.input = arg;
        } else {
            return false;
        }
    }
    return !options.input.empty() && !options.output.empty();
}

// A prepared-report file starts with its own magic; anything else is taken
// for a template stream.
bool isPreparedFile(const std::string& path)
{
    platform::FileStream file(platform::utf8ToGbk(path), platform::FileStream::Mode::Read);
    static const std::string magic = "Tabellomatics Prepared Report File";
    std::string head(2 + magic.size(), '\0');
    if (file.size() < static_cast<std::int64_t>(head.size()))
        return false;
    file.readExact(head.data(), head.size());
    return head.compare(2, magic.size(), magic) == 0;
}

// Loads the template and prepares it; false (with the reason printed) on failure.
bool prepareTemplate(TKSReport& report, const std::string& path)
{
    platform::FileStream file(platform::utf8ToGbk(path), platform::FileStream::Mode::Read);
    report.ShowProgress = false;
    report.LoadFromStream(file);
    if (report.ErrorFlag) {
        std::fprintf(stderr, "tabellomatics render: %s\n", platform::gbkToUtf8(report.ErrorText).c_str());
        return false;
    }
    if (!report.PrepareReport()) {
        std::fprintf(stderr, "tabellomatics render: %s\n", platform::gbkToUtf8(report.ErrorText).c_str());
        return false;
    }
    return true;
}

int render(int argc, char** argv)
{
    RenderOptions options;
    if (!parseArguments(argc, argv, options)
        || !(endsWith(options.output, ".png") || endsWith(options.output, ".ksp"))) {
        std::fprintf(stderr, "usage: tabellomatics render FILE.ksp|FILE.ksf -o OUT.png|OUT.ksp [--dpi N]"
                             "  (N from 10 to 1200)\n");
        return 2;
    }
    if (!std::filesystem::exists(options.input)) {
        std::fprintf(stderr, "tabellomatics render: cannot read '%s'\n", options.input.c_str());
        return 1;
    }
    auto app = MakeToolApplication();
    TKSReport report;
    try {
        if (isPreparedFile(options.input)) {
            report.CompressLevel = kszcNone;
            if (!report.LoadPreparedReport(platform::utf8ToGbk(options.input)))
                return 1;
        } else if (!prepareTemplate(report, options.input)) {
            return 1;
        }
        if (endsWith(options.output, ".ksp")) {
            report.SavePreparedReport(platform::utf8ToGbk(options.output));
            return 0;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tabellomatics render: %s\n", platform::gbkToUtf8(error.what()).c_str());
        return 1;
    }
    return RenderPreparedPages(report, options.output, options.dpi);
}

const ToolCommandRegistration registration(
    {"render", "FILE.ksp|FILE.ksf -o OUT.png|OUT.ksp [--dpi N]",
     "draw prepared pages as PNG (OUT-1.png ... for several); a template is prepared first", &render});

} // namespace
