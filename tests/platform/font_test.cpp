// Font object (size/height through the resolution, assignment across devices, logical
// description) and face-name resolution to the installed fonts.
#include "platform/font.h"
#include "platform/font_resolver.h"
#include "platform/image_canvas.h"

#include "support/gui_app.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>

using namespace platform;

namespace {


const char kSongti[] = "\xCB\xCE\xCC\xE5";               // 宋体
const char kNewSongti[] = "\xD0\xC2\xCB\xCE\xCC\xE5";    // 新宋体
const char kHeiti[] = "\xBA\xDA\xCC\xE5";                // 黑体

} // namespace

TEST(MulDiv, RoundsHalfAwayFromZero)
{
    struct Case {
        int a, b, c, result;
    };
    const Case cases[] = {
        {-11, 72, 96, -8}, {-13, 72, 96, -10}, {10, 96, 72, 13}, {5, 1, 2, 3}, {-5, 1, 2, -3},
        {5, 1, -2, -3},    {7, 3, 0, -1},      {2000000000, 3, 4, 1500000000},
    };
    for (const Case& tc : cases)
        EXPECT_EQ(mulDiv(tc.a, tc.b, tc.c), tc.result) << tc.a << "*" << tc.b << "/" << tc.c;
}

TEST(Font, Defaults)
{
    Font f;
    EXPECT_EQ(f.name(), "MS Sans Serif");
    EXPECT_EQ(f.height(), -11);
    EXPECT_EQ(f.size(), 8);
    EXPECT_EQ(f.color(), clWindowText);
    EXPECT_EQ(f.charset(), kDefaultCharset);
    EXPECT_EQ(f.style(), 0);
    EXPECT_EQ(f.pixelsPerInch(), 96);
}

TEST(Font, SizeAndHeightAreOneValue)
{
    struct Case {
        int height, ppi, size;
    };
    const Case fromHeight[] = {{-11, 96, 8}, {-12, 96, 9}, {-13, 96, 10}, {-16, 96, 12},
                               {-83, 600, 10}, {20, 96, -15}, {0, 96, 0}};
    for (const Case& tc : fromHeight) {
        Font f;
        f.setPixelsPerInch(tc.ppi);
        f.setHeight(tc.height);
        EXPECT_EQ(f.size(), tc.size) << tc.height << " at " << tc.ppi;
    }
    const Case fromSize[] = {{-11, 96, 8}, {-12, 96, 9}, {-13, 96, 10}, {-96, 96, 72}, {-83, 600, 10}};
    for (const Case& tc : fromSize) {
        Font f;
        f.setPixelsPerInch(tc.ppi);
        f.setSize(tc.size);
        EXPECT_EQ(f.height(), tc.height) << tc.size << " points at " << tc.ppi;
    }
}

TEST(Font, AssignKeepsThePointSizeAcrossResolutions)
{
    Font screen;
    screen.setName(kSongti);
    screen.setSize(9);
    screen.setStyle(fsBold | fsUnderline);
    screen.setColor(clRed);
    screen.setCharset(kGbkCharset);

    Font sameDevice;
    sameDevice.assign(screen);
    EXPECT_EQ(sameDevice, screen);

    Font printer;
    printer.setPixelsPerInch(600);
    printer.assign(screen);
    EXPECT_EQ(printer.pixelsPerInch(), 600);
    EXPECT_EQ(printer.size(), 9);
    EXPECT_EQ(printer.height(), -75);
    EXPECT_EQ(printer.name(), kSongti);
    EXPECT_EQ(printer.style(), fsBold | fsUnderline);
    EXPECT_EQ(printer.color(), clRed);
    EXPECT_EQ(printer.charset(), kGbkCharset);
}

TEST(Font, LogicalDescription)
{
    Font f;
    f.setName("Arial");
    f.setHeight(-13);
    f.setStyle(fsBold | fsItalic | fsStrikeOut | 0xF0);  // bits beyond the set are dropped
    f.setCharset(kGbkCharset);
    EXPECT_EQ(f.style(), fsBold | fsItalic | fsStrikeOut);

    LogicalFont lf = f.logical();
    EXPECT_EQ(lf.faceName, "Arial");
    EXPECT_EQ(lf.height, -13);
    EXPECT_EQ(lf.weight, kFontWeightBold);
    EXPECT_TRUE(lf.italic);
    EXPECT_FALSE(lf.underline);
    EXPECT_TRUE(lf.strikeOut);
    EXPECT_EQ(lf.charset, kGbkCharset);
    EXPECT_EQ(lf.escapement, 0);
    EXPECT_EQ(lf.width, 0);

    EXPECT_EQ(f.logical(96).height, -13);
    EXPECT_EQ(f.logical(600).height, -83);  // 10 points on the printer
    f.setHeight(20);                        // a cell height scales and stays a cell height
    EXPECT_EQ(f.logical(600).height, 125);
    f.setStyle(0);
    EXPECT_EQ(f.logical().weight, kFontWeightNormal);
}

class FontResolver : public ::testing::Test {
protected:
    void SetUp() override { ensureGuiApp(); }
};

TEST_F(FontResolver, TemplateFacesMapToInstalledFonts)
{
    struct Case {
        const char* face;
        const char* family;
    };
    const Case cases[] = {
        {kSongti, "AR PL UMing CN"},
        {kNewSongti, "AR PL UMing CN"},
        {"SimSun", "AR PL UMing CN"},
        {"simsun", "AR PL UMing CN"},
        {kHeiti, "WenQuanYi Zen Hei"},
        {"SimHei", "WenQuanYi Zen Hei"},
        {"MS Sans Serif", "Liberation Sans"},
        {"Arial", "Liberation Sans"},
        {"Tahoma", "Liberation Sans"},
        {"Verdana", "Liberation Sans"},
        {"Times New Roman", "Liberation Serif"},
        {"Courier New", "Liberation Mono"},
        {"DejaVu Sans", "DejaVu Sans"},
    };
    for (const Case& tc : cases)
        EXPECT_EQ(resolveFontFamily(tc.face), QString::fromLatin1(tc.family)) << tc.face;

    QString fallback = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    EXPECT_FALSE(fallback.isEmpty());
    EXPECT_EQ(resolveFontFamily("No Such Face 123"), fallback);
    EXPECT_EQ(resolveFontFamily(""), fallback);
    EXPECT_EQ(resolveFontFamily("\xFE\xFE\x81"), fallback);  // undecodable bytes
}

TEST_F(FontResolver, QFontTakesHeightWeightAndStyle)
{
    LogicalFont lf;
    lf.faceName = "Arial";
    lf.height = -21;
    lf.weight = kFontWeightBold;
    lf.italic = true;
    lf.underline = true;
    QFont f = makeQFont(lf);
    EXPECT_EQ(f.pixelSize(), 21);
    EXPECT_EQ(f.weight(), QFont::Bold);
    EXPECT_TRUE(f.italic());
    EXPECT_TRUE(f.underline());
    EXPECT_FALSE(f.strikeOut());
    EXPECT_EQ(QFontInfo(f).family(), "Liberation Sans");

    lf.height = 0;
    EXPECT_EQ(makeQFont(lf).pixelSize(), 12);
    lf.weight = 0;
    EXPECT_EQ(makeQFont(lf).weight(), QFont::Normal);
}

TEST_F(FontResolver, PositiveHeightIsTheCellHeight)
{
    for (int cell : {10, 17, 29, 60}) {
        LogicalFont lf;
        lf.faceName = "Arial";
        lf.height = cell;
        QFont f = makeQFont(lf);
        QFontMetricsF fm(f);
        EXPECT_LE(std::lround(fm.ascent()) + std::lround(fm.descent()), cell) << cell;
        f.setPixelSize(f.pixelSize() + 2);
        QFontMetricsF larger(f);
        EXPECT_GT(std::lround(larger.ascent()) + std::lround(larger.descent()), cell) << cell;
    }
}

TEST_F(FontResolver, WidthStretchesTheCharacters)
{
    LogicalFont lf;
    lf.faceName = "Arial";
    lf.height = -20;
    double natural = QFontMetricsF(makeQFont(lf)).horizontalAdvance("abcdefgh");
    double average = QFontMetricsF(makeQFont(lf)).averageCharWidth();
    lf.width = int(std::lround(2 * average));
    double wide = QFontMetricsF(makeQFont(lf)).horizontalAdvance("abcdefgh");
    EXPECT_NEAR(wide / natural, 2.0, 0.15);
}

TEST_F(FontResolver, GbkCharsetFallsBackToAChineseFace)
{
    LogicalFont lf;
    lf.faceName = "Arial";
    lf.height = -24;
    lf.charset = kGbkCharset;
    EXPECT_EQ(makeQFont(lf).families(), QStringList({"Liberation Sans", "AR PL UMing CN"}));
    lf.faceName = kHeiti;
    EXPECT_EQ(makeQFont(lf).families(), QStringList({"WenQuanYi Zen Hei"}));

    lf.faceName = "Arial";
    ImageCanvas canvas(40, 40);
    canvas.selectFont(lf);
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    canvas.textOut(4, 4, "\xC1\xAA");  // 联
    int ink = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ink += canvas.pixel(x, y) != clWhite;
    EXPECT_GT(ink, 40);
    EXPECT_GE(canvas.textExtent("\xC1\xAA").cx, 20);  // a full-width character, not a missing-glyph box
}
