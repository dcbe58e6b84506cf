// Drawing of laid-out text lines on any canvas: alignment, the five rotation modes and
// per-character advances that fit every line to its width on the measuring canvas.
#include "objects/textlayout_draw.h"

#include "core/units.h"
#include "platform/gbk.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

using platform::charLength;

namespace {

constexpr int kScreenPpi = 96;

int escapementOf(TKSRotationType rotation)
{
    switch (rotation) {
    case ksrt90:
    case ksrt360: return 900;
    case ksrt270: return -900;
    default: return 0;
    }
}

bool isSizeMarker(char c) { return c == '~' || c == '_' || c == '|'; }

} // namespace

void spreadDifference(std::vector<int>& advances, int m, int d)
{
    if (m <= 0 || d == 0)
        return;
    if (std::abs(d) >= m) {
        int each = d / m;
        for (int i = 0; i < m; ++i)
            advances[std::size_t(i)] += each;
        d -= each * m;
    }
    if (d == 0)
        return;
    int unit = d > 0 ? 1 : -1;
    int step = m / std::abs(d);
    for (int index = 0; d != 0; index += step, d -= unit)
        advances[std::size_t(index)] += unit;
}

TextPainter::TextPainter(platform::Canvas& output, TextMeasurer& reference, const TextDrawSettings& settings)
    : out_(output), reference_(reference), s_(settings), fontSize_(settings.font.size()),
      csx_(roundHalfEven(settings.characterSpacing * settings.scaleX)),
      pitchSpacing_(roundHalfEven(settings.lineSpacing * settings.scaleY))
{
}

platform::LogicalFont TextPainter::outputFont(int pointSize, int escapement) const
{
    platform::Font font = s_.font;
    font.setSize(pointSize);
    platform::LogicalFont lf;
    if (s_.printing) {
        lf = font.logical(out_.deviceMetrics().dpiY);
    } else {
        lf = font.logical();
        double pixels = pointSize * 96.0 / 72.0;
        lf.height = s_.scaleY == 1.0 ? -roundHalfEven(pixels) : -int(std::trunc(pixels * s_.scaleY));
    }
    lf.width = s_.fontScaleWidth > 0 ? s_.fontScaleWidth : 0;
    lf.escapement = lf.orientation = escapement;
    return lf;
}

void TextPainter::selectOutputFont(int pointSize, int escapement)
{
    out_.selectFont(outputFont(pointSize, escapement));
}

int TextPainter::referenceWidth(std::string_view line)
{
    platform::LogicalFont lf = s_.font.logical();
    lf.height = screenFontHeight(fontSize_);
    lf.width = s_.fontScaleWidth > 0 ? roundHalfEven(s_.fontScaleWidth / s_.scaleX) : 0;
    if (!s_.mangeTag || s_.rotation == ksrt90) {
        reference_.setFont(lf, s_.characterSpacing);
        return roundHalfEven(reference_.width(line) * s_.scaleX * 96.0 / kScreenPpi);
    }
    // Character by character: the markers switch the size and take no room.
    platform::LogicalFont half = lf;
    half.height = screenFontHeight(std::max(fontSize_ / 2, 6));
    reference_.setFont(lf, s_.characterSpacing);
    int total = 0;
    std::size_t len = 0;
    for (std::size_t pos = 0; pos < line.size(); pos += len) {
        len = charLength(line, pos);
        if (isSizeMarker(line[pos])) {
            reference_.setFont(line[pos] == '|' ? lf : half, s_.characterSpacing);
            continue;
        }
        total += reference_.charWidth(line, pos, len);
    }
    return roundHalfEven(total * s_.scaleX * 96.0 / kScreenPpi);
}

int TextPainter::outputWidth(std::string_view line)
{
    selectOutputFont(fontSize_, escapement_);
    return out_.textExtent(line).cx;
}

// Chinese Windows faces have a character cell as tall as their em; the free faces that
// stand in for them have taller cells. The lines were placed for an em-tall cell, so
// the substitute's cell is centred on that slot (across the line's direction).
void TextPainter::output(int x, int y, std::string_view text, const std::vector<int>* advances)
{
    if (s_.font.charset() == platform::kGbkCharset && s_.rotation != ksrt180) {
        platform::TextMetrics metrics = out_.textMetrics();
        int shift = (metrics.height - std::abs(out_.logicalFont().height)) / 2;
        if (shift > 0) {
            if (s_.rotation == ksrtNone)
                y -= shift;
            else if (s_.rotation == ksrt270)
                x += shift;
            else
                x -= shift;
        }
    }
    out_.extTextOut(x, y, textFlags(), &s_.drawRect, text, advances);
}

unsigned TextPainter::textFlags() const
{
    return platform::etoClipped | (s_.rightToLeft ? platform::etoRtlReading : 0u);
}

void TextPainter::drawLine(std::string_view line, int x, int y, int width)
{
    selectOutputFont(fontSize_, escapement_);
    if (width <= 0 || line.size() < 2) {
        output(x, y, line);
        return;
    }
    platform::TextFit fit = out_.textExtentFit(line, INT_MAX);
    if (fit.extent.cx == width) {
        output(x, y, line);
        return;
    }
    // Per-byte advances (a pair's trail byte has none), fitted, then summed per character.
    std::vector<int> bytes(line.size(), 0);
    int previous = 0;
    std::size_t index = 0;
    for (std::size_t pos = 0; pos < line.size() && index < fit.positions.size(); pos += charLength(line, pos)) {
        bytes[pos] = fit.positions[index] - previous;
        previous = fit.positions[index++];
    }
    spreadDifference(bytes, int(line.size()) - 1, width - fit.extent.cx);
    std::vector<int> advances;
    advances.reserve(fit.positions.size());
    for (std::size_t pos = 0; pos < line.size();) {
        std::size_t len = charLength(line, pos);
        advances.push_back(bytes[pos] + (len == 2 ? bytes[pos + 1] : 0));
        pos += len;
    }
    out_.setTextCharacterExtra(0);
    output(x, y, line, &advances);
    out_.setTextCharacterExtra(csx_);
}

int TextPainter::characters(std::string_view line) const
{
    int n = 0;
    for (std::size_t pos = 0; pos < line.size(); pos += charLength(line, pos))
        if (!(s_.mangeTag && isSizeMarker(line[pos])))
            ++n;
    return n;
}

int TextPainter::spreadSpacing(std::string_view line, int total) const
{
    int n = characters(line);
    return n > 1 ? int(std::trunc(double(total) / (n - 1))) : 0;
}

int TextPainter::drawChars(std::string_view line, int x, int y, int spacing)
{
    spacing = std::max(spacing, 0);
    const int full = fontSize_;
    const int half = std::max(full / 2, 6);
    const int startY = y;
    int size = full;
    int extra = 0;
    int columnAdvance = 0;
    int lineGap = roundHalfEven(s_.lineSpacing * s_.scaleX);
    selectOutputFont(size, escapement_);
    std::size_t len = 0;
    for (std::size_t pos = 0; pos < line.size(); pos += len) {
        len = charLength(line, pos);
        char c = line[pos];
        if (s_.mangeTag && isSizeMarker(c)) {
            if (c == '|') {
                size = full;
                extra = 0;
                y = startY;
            } else {
                size = half;
                extra = spacing != 0 ? full - half : 0;
                if (c == '_')
                    y += (full - half / 2) * (out_.deviceMetrics().dpiY / kScreenPpi);
            }
            selectOutputFont(size, escapement_);
            continue;
        }
        std::string_view ch = line.substr(pos, len);
        platform::Size extent = out_.textExtent(ch);
        switch (s_.rotation) {
        case ksrt180: output(x - extent.cx, y, ch); break;
        case ksrt360: output(x, y + extent.cx, ch); break;
        default: output(x, y, ch); break;
        }
        int step = extra + spacing;
        switch (s_.rotation) {
        case ksrtNone: x += extent.cx + step; break;
        case ksrt90: y -= extent.cx + step; break;
        case ksrt270: y += extent.cx + step; break;
        case ksrt180:
            y += extent.cy + step + csx_;
            columnAdvance = std::max(columnAdvance, extent.cx + lineGap - csx_);
            break;
        case ksrt360: x += extent.cy + step + csx_; break;
        }
    }
    return columnAdvance;
}

int TextPainter::lengthAcross(std::string_view line)
{
    int total = 0;
    int count = 0;
    std::size_t len = 0;
    selectOutputFont(fontSize_, escapement_);
    for (std::size_t pos = 0; pos < line.size(); pos += len) {
        len = charLength(line, pos);
        if (s_.mangeTag && isSizeMarker(line[pos])) {
            selectOutputFont(line[pos] == '|' ? fontSize_ : std::max(fontSize_ / 2, 6), escapement_);
            continue;
        }
        total += out_.textExtent(line.substr(pos, len)).cy;
        ++count;
    }
    selectOutputFont(fontSize_, escapement_);
    return total + std::max(count - 1, 0) * csx_;
}

int TextPainter::columnWidth(std::string_view line)
{
    int widest = 0;
    std::size_t len = 0;
    selectOutputFont(fontSize_, escapement_);
    for (std::size_t pos = 0; pos < line.size(); pos += len) {
        len = charLength(line, pos);
        widest = std::max(widest, out_.textExtent(line.substr(pos, len)).cx - csx_);
    }
    return widest;
}

int TextPainter::draw(const std::vector<std::string>& lines, const TextExportHook& exportHook)
{
    int count = int(lines.size());
    int first = 0;
    int last = count - 1;
    if (s_.displayBeginLine >= 0 && s_.displayEndLine >= 0) {
        first = s_.displayBeginLine;
        last = std::min(s_.displayEndLine, count - 1);
    }
    if (first > last)
        return 0;
    escapement_ = escapementOf(s_.rotation);
    out_.setBackgroundMode(platform::BackgroundMode::Transparent);
    out_.setTextColor(s_.font.color());
    out_.setTextCharacterExtra(csx_);
    switch (s_.rotation) {
    case ksrtNone: return drawHorizontal(lines, first, last, exportHook);
    case ksrt90:
    case ksrt270: return drawTurned(lines, first, last);
    case ksrt180: return drawColumns(lines, first, last);
    case ksrt360: return drawRows(lines, first, last);
    }
    return 0;
}

int TextPainter::drawHorizontal(const std::vector<std::string>& lines, int first, int last,
                                const TextExportHook& hook)
{
    const auto [L, T, R, B] = s_.drawRect;
    const int gL = s_.gapLeft, gT = s_.gapTop;
    const int h = roundHalfEven(s_.textHeight * s_.scaleY);
    const int fontPart = roundHalfEven(std::abs(s_.font.height()) * s_.scaleY);
    const int pitch = fontPart + pitchSpacing_;
    int y = s_.vAlign == ksvTop ? T + gT : s_.vAlign == ksvCenter ? T + (B - T - h - 1) / 2 : B - h - gT - 1;
    int drawn = 0;
    for (int i = first; i <= last; ++i, y += pitch) {
        const std::string& line = lines[std::size_t(i)];
        if (s_.measuring && y + fontPart > B)
            break;
        int width = referenceWidth(line);
        int x = L + gL;
        if (s_.hAlign == kshRight)
            x = R + csx_ - gL - width;
        else if (s_.hAlign == kshCenter)
            x = roundHalfEven(s_.characterSpacing * s_.scaleX / 2) + L + (R - L - width) / 2;
        if (s_.hAlign == kshEuqal)
            drawChars(line, L + gL, y, spreadSpacing(line, csx_ + R - L - outputWidth(line) - 2 * gL));
        else if (s_.mangeTag)
            drawChars(line, x, y, 0);
        else
            drawLine(line, x, y, width);
        if (hook)
            hook(x, y, line);
        ++drawn;
    }
    return drawn;
}

int TextPainter::drawTurned(const std::vector<std::string>& lines, int first, int last)
{
    const auto [L, T, R, B] = s_.drawRect;
    const int gL = s_.gapLeft, gT = s_.gapTop;
    const int h = roundHalfEven(s_.textHeight * s_.scaleY);
    selectOutputFont(fontSize_, escapement_);
    const int pitch = pitchSpacing_ + std::abs(out_.logicalFont().height);
    const bool up = s_.rotation == ksrt90;
    int x;
    if (up)
        x = s_.vAlign == ksvTop ? L + gL : s_.vAlign == ksvCenter ? L + (R - L - h) / 2 : R - h - gL;
    else
        x = s_.vAlign == ksvTop ? R - gL : s_.vAlign == ksvCenter ? R - (R - L - h) / 2 : L + gL + h;
    int drawn = 0;
    for (int i = first; i <= last; ++i, x += up ? pitch : -pitch) {
        const std::string& line = lines[std::size_t(i)];
        int width = referenceWidth(line);
        int tw = outputWidth(line);
        if (s_.hAlign == kshEuqal) {
            drawChars(line, x, up ? B - gT : T + gT, spreadSpacing(line, csx_ + B - T - tw - 2 * gT));
        } else {
            int y;
            if (up) {
                if (s_.hAlign == kshLeft)
                    y = B - gT;
                else if (s_.hAlign == kshRight)
                    y = s_.characterSpacing != 0 ? T + gT + tw - csx_ : T + gT + width;
                else
                    y = s_.characterSpacing != 0 ? B - (B - T - tw) / 2 : B - (B - T - width) / 2;
            } else {
                if (s_.hAlign == kshLeft)
                    y = T + gT;
                else if (s_.hAlign == kshRight)
                    y = B + csx_ - tw - gT;
                else
                    y = T + (B - T - tw + csx_) / 2;
            }
            drawLine(line, x, y, width);
        }
        ++drawn;
    }
    return drawn;
}

int TextPainter::drawColumns(const std::vector<std::string>& lines, int first, int last)
{
    const auto [L, T, R, B] = s_.drawRect;
    const int gL = s_.gapLeft, gT = s_.gapTop;
    const int lineGap = roundHalfEven(s_.lineSpacing * s_.scaleX);
    int extent = 0;
    for (int i = first; i <= last; ++i)
        extent += columnWidth(lines[std::size_t(i)]);
    extent += (last - first) * lineGap;
    int right = s_.vAlign == ksvTop ? R - gL : s_.vAlign == ksvCenter ? L + (R - L + extent) / 2 : gL + L + extent;
    right += csx_;
    int drawn = 0;
    for (int i = first; i <= last; ++i) {
        const std::string& line = lines[std::size_t(i)];
        int length = lengthAcross(line);
        int y = T + gT;
        int spacing = 0;
        if (s_.hAlign == kshRight)
            y = B - length - gT;
        else if (s_.hAlign == kshCenter)
            y = T + (B - T - length - 2 * gT) / 2;
        else if (s_.hAlign == kshEuqal)
            spacing = spreadSpacing(line, B - T - length - 2 * gT);
        right -= drawChars(line, right, y, spacing);
        ++drawn;
    }
    return drawn;
}

int TextPainter::drawRows(const std::vector<std::string>& lines, int first, int last)
{
    const auto [L, T, R, B] = s_.drawRect;
    const int gL = s_.gapLeft, gT = s_.gapTop;
    const int h = roundHalfEven(s_.textHeight * s_.scaleY);
    selectOutputFont(fontSize_, escapement_);
    const int pitch = pitchSpacing_ + std::abs(out_.logicalFont().height);
    int y = s_.vAlign == ksvTop ? gT + T : s_.vAlign == ksvCenter ? T + (B - T - h) / 2 : B - gT - h;
    y -= csx_;
    int drawn = 0;
    for (int i = first; i <= last; ++i, y += pitch) {
        const std::string& line = lines[std::size_t(i)];
        int length = lengthAcross(line);
        int x = L + gL;
        if (s_.hAlign == kshRight)
            x = R - length - gL;
        else if (s_.hAlign == kshCenter)
            x = L + (R - L - length) / 2;
        drawChars(line, x, y, s_.hAlign == kshEuqal ? spreadSpacing(line, R - L - length) : 0);
        ++drawn;
    }
    return drawn;
}
