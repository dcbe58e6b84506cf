// Prepared pages drawn into PNG files as the preview shows them.
#include "render_pages.h"

#include "core/draw_graphic.h"
#include "core/endpages.h"
#include "core/report.h"
#include "core/units.h"
#include "platform/gbk.h"
#include "platform/image_canvas.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

// OUT.png for one page; OUT-1.png, OUT-2.png ... for several.
std::string pageFileName(const std::string& output, int page, int pageCount)
{
    if (pageCount == 1)
        return output;
    std::filesystem::path path(output);
    const std::string extension = path.has_extension() ? path.extension().string() : ".png";
    path.replace_extension();
    return path.string() + "-" + std::to_string(page) + extension;
}

// The page's background picture, as the preview places it.
void drawBackground(TKSEndPages& pages, const TKSEndPage& page, platform::Canvas& canvas, double factor)
{
    if (page.BackgroundIndex < 0 || page.BackgroundIndex >= pages.BackgroundCount())
        return;
    const TKSBkPicture& background = pages.Background(page.BackgroundIndex);
    if (!background.Picture || background.Picture->empty())
        return;
    const int width = background.Width >= 0 ? background.Width : background.Picture->width();
    const int height = background.Height >= 0 ? background.Height : background.Picture->height();
    const int left = roundHalfEven(background.Left * factor), top = roundHalfEven(background.Top * factor);
    drawGraphic(canvas, {left, top, left + roundHalfEven(width * factor), top + roundHalfEven(height * factor)},
                *background.Picture, false, false, false);
}

} // namespace

int RenderPreparedPages(TKSReport& report, const std::string& output, int dpi)
{
    TKSEndPages& pages = report.EndPages;
    const double factor = dpi / 96.0;
    for (int i = 0; i < pages.Count(); ++i) {
        TKSEndPage& page = *pages.Page(i);
        const int width = std::max(1, roundHalfEven(page.PageWidth / 254.0 * dpi));
        const int height = std::max(1, roundHalfEven(page.PageHeight / 254.0 * dpi));
        platform::ImageCanvas canvas(width, height);
        drawBackground(pages, page, canvas, factor);
        pages.DrawPage(i, canvas, {0, 0, width, height});
        pages.FreePage(i);
        const std::string file = pageFileName(output, i + 1, pages.Count());
        if (!platform::savePng(canvas, platform::utf8ToGbk(file))) {
            std::fprintf(stderr, "tabellomatics: cannot write '%s'\n", file.c_str());
            return 1;
        }
    }
    return 0;
}

std::unique_ptr<QApplication> MakeToolApplication()
{
    if (QApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // QApplication keeps references to both for its whole life.
    static int argc = 1;
    static char name[] = "tabellomatics";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}
