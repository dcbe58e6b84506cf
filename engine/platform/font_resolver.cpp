// Face-name substitution for the fonts installed with the program, and the QFont
// built for a logical font (pixel size, stretch, weight, CJK fallback).
#include "platform/font_resolver.h"

#include "platform/gbk.h"

#include <QFontDatabase>
#include <QFontMetricsF>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <initializer_list>

namespace platform {
namespace {

constexpr const char* kUming = "AR PL UMing CN";
constexpr const char* kZenHei = "WenQuanYi Zen Hei";
constexpr const char* kSans = "Liberation Sans";
constexpr const char* kSerif = "Liberation Serif";
constexpr const char* kMono = "Liberation Mono";

// Chinese faces are spelled in GBK, as templates store them.
struct FaceAlias {
    const char* face;
    std::initializer_list<const char*> families;  // first installed one wins
};

const FaceAlias kAliases[] = {
    {"\xCB\xCE\xCC\xE5", {kUming, kZenHei}},                      // 宋体
    {"\xD0\xC2\xCB\xCE\xCC\xE5", {kUming, kZenHei}},              // 新宋体
    {"SimSun", {kUming, kZenHei}},
    {"NSimSun", {kUming, kZenHei}},
    {"\xB7\xC2\xCB\xCE", {kUming, kZenHei}},                      // 仿宋
    {"\xBF\xAC\xCC\xE5", {kUming, kZenHei}},                      // 楷体
    {"\xBA\xDA\xCC\xE5", {kZenHei, kUming}},                      // 黑体
    {"SimHei", {kZenHei, kUming}},
    {"\xCE\xA2\xC8\xED\xD1\xC5\xBA\xDA", {kZenHei, kUming}},      // 微软雅黑
    {"Microsoft YaHei", {kZenHei, kUming}},
    {"MS Sans Serif", {kSans, "DejaVu Sans"}},
    {"Microsoft Sans Serif", {kSans, "DejaVu Sans"}},
    {"Arial", {kSans, "DejaVu Sans"}},
    {"Tahoma", {kSans, "DejaVu Sans"}},
    {"Verdana", {kSans, "DejaVu Sans"}},
    {"Times New Roman", {kSerif, "DejaVu Serif"}},
    {"Courier New", {kMono, "DejaVu Sans Mono"}},
    {"Courier", {kMono, "DejaVu Sans Mono"}},
};

bool sameFace(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

QString defaultFamily()
{
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

bool isCjkFamily(const QString& family)
{
    return family == QLatin1String(kUming) || family == QLatin1String(kZenHei);
}

constexpr int kDefaultEmHeight = 12;
// Damaged templates may hold absurd heights; glyphs beyond this are never useful.
constexpr int kMaxPixelHeight = 16384;
constexpr int kReferencePixelSize = 256;

// Character height whose cell (ascent + descent) is at most cellHeight pixels.
int emHeightForCell(QFont font, int cellHeight)
{
    font.setPixelSize(kReferencePixelSize);
    QFontMetricsF reference(font);
    double cell = reference.ascent() + reference.descent();
    int em = cell > 0 ? std::max(1, int(std::lround(cellHeight * kReferencePixelSize / cell))) : cellHeight;
    for (; em > 1; --em) {
        font.setPixelSize(em);
        QFontMetricsF fm(font);
        if (std::lround(fm.ascent()) + std::lround(fm.descent()) <= cellHeight)
            break;
    }
    return em;
}

} // namespace

QString resolveFontFamily(std::string_view gbkFaceName)
{
    for (const FaceAlias& alias : kAliases) {
        if (!sameFace(gbkFaceName, alias.face))
            continue;
        for (const char* family : alias.families)
            if (QFontDatabase::hasFamily(QString::fromLatin1(family)))
                return QString::fromLatin1(family);
        break;
    }
    QString name = QString::fromUtf8(gbkToUtf8(gbkFaceName));
    if (!name.isEmpty() && QFontDatabase::hasFamily(name))
        return name;
    return defaultFamily();
}

QString cjkFallbackFamily()
{
    return QFontDatabase::hasFamily(QString::fromLatin1(kUming)) ? QString::fromLatin1(kUming)
                                                                  : QString::fromLatin1(kZenHei);
}

QFont makeQFont(const LogicalFont& lf)
{
    QString family = resolveFontFamily(lf.faceName);
    QFont font;
    if (lf.charset == kGbkCharset && !isCjkFamily(family))
        font.setFamilies({family, cjkFallbackFamily()});
    else
        font.setFamilies({family});
    font.setWeight(QFont::Weight(std::clamp(lf.weight > 0 ? lf.weight : kFontWeightNormal, 1, 1000)));
    font.setItalic(lf.italic);
    font.setUnderline(lf.underline);
    font.setStrikeOut(lf.strikeOut);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    if (lf.pitch == FontPitch::Fixed)
        font.setFixedPitch(true);

    long long height = std::clamp<long long>(lf.height, -kMaxPixelHeight, kMaxPixelHeight);
    int em = height < 0 ? int(-height) : height > 0 ? emHeightForCell(font, int(height)) : kDefaultEmHeight;
    font.setPixelSize(std::max(1, em));

    if (lf.width > 0) {
        QFontMetricsF natural(font);
        double average = natural.averageCharWidth();
        if (average > 0)
            font.setStretch(std::clamp(int(std::lround(lf.width * 100.0 / average)), 1, 4000));
    }
    return font;
}

} // namespace platform
