// tabellomatics sticker: the program's sticker sheet from the command line —
// its stored template, or (with the texts) the sheet the print button prepares.
#include "command.h"
#include "render_pages.h"

#include "mainform.h"
#include "startup.h"
#include "stickertemplate.h"

#include "core/report.h"
#include "platform/gbk.h"
#include "platform/stream.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <cstdlib>
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

struct Options {
    std::string out, form;
    std::optional<std::string> ad, address, phone;  // UTF-8
    int dpi = 96;
};

bool parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "-o" && hasValue)
            o.out = argv[++i];
        else if (arg == "--update-form" && hasValue)
            o.form = argv[++i];
        else if (arg == "--ad" && hasValue)
            o.ad = argv[++i];
        else if (arg == "--address" && hasValue)
            o.address = argv[++i];
        else if (arg == "--phone" && hasValue)
            o.phone = argv[++i];
        else if (arg == "--dpi" && hasValue)
            o.dpi = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "sticker: unexpected argument '%s'\n", argv[i]);
            return false;
        }
    }
    return true;
}

// What the print button does, without the preview: the typed texts into the
// window's fields, the hidden fields filled, the sheet prepared.
int prepareAndWrite(TForm1& form, const Options& o)
{
    if (o.ad)
        form.Edit1->setText(platform::utf8ToGbk(*o.ad));
    if (o.address)
        form.Edit2->setText(platform::utf8ToGbk(*o.address));
    if (o.phone)
        form.Edit3->setText(platform::utf8ToGbk(*o.phone));
    TKSReport& report = *form.KSReport1;
    if (!form.PrepareSheet()) {
        std::fprintf(stderr, "sticker: %s\n", platform::gbkToUtf8(report.ErrorText).c_str());
        return 1;
    }
    if (endsWith(o.out, ".ksp")) {
        report.SavePreparedReport(o.out);
        return 0;
    }
    return RenderPreparedPages(report, o.out, o.dpi);
}

int run(int argc, char** argv)
{
    Options o;
    if (!parse(argc, argv, o))
        return 2;
    if (!o.form.empty())
        return updateForm(o.form);
    const bool known = endsWith(o.out, ".ksf") || endsWith(o.out, ".ksp") || endsWith(o.out, ".png");
    if (!known || o.dpi < 10 || o.dpi > 1200) {
        std::fprintf(stderr, "sticker: give -o FILE.ksf, FILE.ksp or FILE.png (--dpi from 10 to 1200)\n");
        return 2;
    }
    auto app = MakeToolApplication();
    TearvelloWindows windows = StartTearvello();
    if (!endsWith(o.out, ".ksf"))
        return prepareAndWrite(*windows.Form1, o);
    platform::MemoryStream template_;
    windows.Form1->KSReport1->SaveToStream(template_);
    if (!writeFile(o.out, template_.toString())) {
        std::fprintf(stderr, "sticker: cannot write %s\n", o.out.c_str());
        return 1;
    }
    return 0;
}

const ToolCommandRegistration registration(
    {"sticker", "[--ad TEXT] [--address TEXT] [--phone TEXT] -o OUT.ksp|OUT.png|OUT.ksf [--dpi N]",
     "prepare the sticker sheet as the print button does (.ksf: the stored template)", run});

} // namespace
