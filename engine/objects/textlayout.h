// Line layout of GBK text on the measuring canvas: word wrap by whole characters with
// the full-width punctuation rule, the laid-out marker line, line pitch and text height.
#pragma once

#include "objects/memo_types.h"
#include "platform/canvas.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The one-byte line that ends a text already laid out: it is never wrapped again.
inline constexpr std::string_view kLaidOutMarker = "\x01";

// True when the last line is the marker line.
bool endsWithLaidOutMarker(const std::vector<std::string>& lines);

// Character widths of the fonts recently used on one canvas. The canvas measures a
// text as the sum of whole-pixel per-character advances plus the character extra, so
// widths add up and each distinct character needs measuring once per font; after that
// measuring allocates nothing.
class TextMeasurer {
public:
    explicit TextMeasurer(platform::Canvas& canvas);
    ~TextMeasurer();
    TextMeasurer(const TextMeasurer&) = delete;
    TextMeasurer& operator=(const TextMeasurer&) = delete;

    platform::Canvas& canvas() { return canvas_; }

    // The font (escapement ignored) and the extra pixels after every character.
    void setFont(const platform::LogicalFont& font, int characterExtra);
    const platform::LogicalFont& font() const;
    int characterExtra() const { return extra_; }

    // Advance of the character at pos (extra included); len gets its byte count.
    int charWidth(std::string_view gbk, std::size_t pos, std::size_t& len);
    // Width of the text as the canvas would measure it.
    int width(std::string_view gbk);
    // Cell height (ascent + descent) of the current font.
    int cellHeight();

private:
    struct FontTable;
    FontTable& tableFor(const platform::LogicalFont& font);

    platform::Canvas& canvas_;
    std::vector<std::unique_ptr<FontTable>> tables_;
    FontTable* current_ = nullptr;
    int extra_ = 0;
};

struct TextLayoutSettings {
    TKSRotationType rotation = ksrtNone;
    bool wordWrap = false;
    bool wordBreak = false;
    bool mangeTag = false;
    bool designMode = false;
    bool laidOut = false;  // the text carried the marker line: lines stay as they are
    int available = 0;  // pixels across the lines: width, or length for the turned modes
    int lineSpacing = 2;
    int characterSpacing = 0;
    // At 96 pixels per inch, height negative (character height); width may be set.
    platform::LogicalFont font;
};

struct TextLayoutResult {
    std::vector<std::string> lines;  // with the marker line when one was appended
    int textHeight = 0;              // lines x pitch - line spacing
    int linePitch = 0;               // font pixel height + line spacing
};

// Lays out source (the working text, without its marker line) into result. The strings
// of result are reused between calls, so steady-state layout does not allocate.
void layoutText(const std::vector<std::string>& source, const TextLayoutSettings& settings,
                TextMeasurer& measurer, TextLayoutResult& result);

// The point size at which every line fits the available width (never below 0): the
// size shrinks by 1 point while a line is wider. Font heights are at 96 pixels per inch.
int fitFontSizeToWidth(const std::vector<std::string>& source, const TextLayoutSettings& settings,
                       TextMeasurer& measurer, int pointSize);

// A character height in pixels at 96 pixels per inch for a point size, as the
// measuring canvas takes it: -round(size x 96 / 72).
int screenFontHeight(int pointSize);

// True for the full-width punctuation marks that must not start a wrapped line
// when word break is on. pos is at a double-byte character.
bool isNoLineStartPunctuation(std::string_view gbk, std::size_t pos);
