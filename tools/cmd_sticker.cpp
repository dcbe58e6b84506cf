// tabellomatics sticker: the program's sticker sheet from the command line —
// its stored template, or (with the texts) the sheet the print button prepares.
#include "command.h"

#include "mainform.h"
#include "startup.h"
#include "stickertemplate.h"

#include "core/report.h"
#include "platform/stream.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

bool endsWith(const std::string& text, const char* suffix)
{
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

bool writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

// The main window wants a widget application; without a display it runs offscreen.
std::unique_ptr<QApplication> makeApplication()
{
    if (QApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tabellomatics";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

// Replaces the stored ReportData of a form text by the sheet described in code
// (for developers: keeps resources/app/form1.dfm in step with the description).
int updateForm(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t key = text.find("ReportData = {");
    const std::size_t close = key == std::string::npos ? key : text.find('}', key);
    if (close == std::string::npos) {
        std::fprintf(stderr, "sticker: %s has no ReportData property\n", path.c_str());
        return 1;
    }
    const std::size_t lineStart = text.rfind('\n', key) + 1;
    const std::string indent(key - lineStart + 2, ' ');
    const std::string body = StickerTemplateStream();
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((body.size() >> (8 * i)) & 0xFF);
    bytes += body;
    static const char digits[] = "0123456789ABCDEF";
    std::string value = "ReportData = {";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 32 == 0)
            value += "\n" + indent;
        value += digits[static_cast<unsigned char>(bytes[i]) >> 4];
        value += digits[static_cast<unsigned char>(bytes[i]) & 15];
    }
    value += '}';
    text.replace(key, close + 1 - key, value);
    if (!writeFile(path, text)) {
        std::fprintf(stderr, "sticker: cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("%s: ReportData holds %zu template bytes\n", path.c_str(), body.size());
    return 0;
}

int run(int argc, char** argv)
{
    std::string out, form;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o" && i + 1 < argc)
            out = argv[++i];
        else if (arg == "--update-form" && i + 1 < argc)
            form = argv[++i];
        else {
            std::fprintf(stderr, "sticker: unexpected argument '%s'\n", argv[i]);
            return 2;
        }
    }
    if (!form.empty())
        return updateForm(form);
    if (out.empty() || !endsWith(out, ".ksf")) {
        std::fprintf(stderr, "sticker: give -o FILE.ksf\n");
        return 2;
    }
    auto app = makeApplication();
    TearvelloWindows windows = StartTearvello();
    platform::MemoryStream template_;
    windows.Form1->KSReport1->SaveToStream(template_);
    if (!writeFile(out, template_.toString())) {
        std::fprintf(stderr, "sticker: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

const ToolCommandRegistration registration({"sticker", "-o FILE.ksf | --update-form FORM.dfm",
                                            "write the program's stored sticker template", run});

} // namespace
