// Drawing of laid-out text lines on any canvas: alignment, the five rotation modes and
// per-character advances that fit every line to its width on the measuring canvas.
#pragma once

#include "objects/memo_types.h"
#include "objects/textlayout.h"
#include "platform/canvas.h"
#include "platform/font.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct TextDrawSettings {
    platform::Rect drawRect;  // device pixels
    int gapLeft = 0;          // transformed gaps, device pixels
    int gapTop = 0;
    double scaleX = 1.0;
    double scaleY = 1.0;
    platform::Font font;      // the object's font at 96 pixels per inch
    int fontScaleWidth = 0;   // transformed average character width; 0 = the font's own
    int lineSpacing = 2;      // at 96 pixels per inch
    int characterSpacing = 0;
    int textHeight = 0;       // of the layout, at 96 pixels per inch
    TKSRotationType rotation = ksrtNone;
    TKSHAlign hAlign = kshLeft;
    TKSVAlign vAlign = ksvTop;
    bool mangeTag = false;
    bool rightToLeft = false;
    bool printing = false;    // the font keeps its point size on the device
    bool measuring = false;   // stop at the first horizontal line that does not fit
    int displayBeginLine = -1;
    int displayEndLine = -1;
};

// Receives each drawn horizontal line while exporting: position and text.
using TextExportHook = std::function<void(int x, int y, std::string_view text)>;

// Spreads d pixels over the first m advances: d / m each when |d| >= m, then one unit
// at the indexes 0, s, 2s ... (s = m / |remaining d|) until d is used up.
void spreadDifference(std::vector<int>& advances, int m, int d);

class TextPainter {
public:
    // reference measures the lines' widths at 96 pixels per inch (the measuring canvas).
    TextPainter(platform::Canvas& output, TextMeasurer& reference, const TextDrawSettings& settings);

    // Draws the lines (or the display range); returns how many were drawn.
    int draw(const std::vector<std::string>& lines, const TextExportHook& exportHook = {});

    // The output canvas font for a point size and escapement.
    platform::LogicalFont outputFont(int pointSize, int escapement) const;
    // Width of a line on the measuring canvas, scaled to the output device.
    int referenceWidth(std::string_view line);

private:
    void selectOutputFont(int pointSize, int escapement);
    int outputWidth(std::string_view line);
    void output(int x, int y, std::string_view text, const std::vector<int>* advances = nullptr);
    void drawLine(std::string_view line, int x, int y, int width);
    int drawChars(std::string_view line, int x, int y, int spacing);
    int spreadSpacing(std::string_view line, int total) const;
    int characters(std::string_view line) const;
    int lengthAcross(std::string_view line);  // sum of character heights + CSx between
    int columnWidth(std::string_view line);

    int drawHorizontal(const std::vector<std::string>& lines, int first, int last, const TextExportHook& hook);
    int drawTurned(const std::vector<std::string>& lines, int first, int last);
    int drawColumns(const std::vector<std::string>& lines, int first, int last);
    int drawRows(const std::vector<std::string>& lines, int first, int last);

    unsigned textFlags() const;

    platform::Canvas& out_;
    TextMeasurer& reference_;
    const TextDrawSettings& s_;
    int fontSize_;      // points of the object's font
    int escapement_ = 0;
    int csx_;           // character spacing in device pixels
    int pitchSpacing_;  // line spacing in device pixels (vertical scale)
};
