// Line layout of GBK text on the measuring canvas: word wrap by whole characters with
// the full-width punctuation rule, the laid-out marker line, line pitch and text height.
#include "objects/textlayout.h"

#include "platform/font.h"
#include "platform/gbk.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

using platform::charLength;
using platform::isLeadByte;

constexpr std::size_t kMaxCachedFonts = 8;
constexpr std::size_t kCharCodes = 65536;

// Key of the character at pos: the byte, or lead byte x 256 + trail byte (>= 0x8100,
// so the two ranges never meet).
unsigned charCode(std::string_view gbk, std::size_t pos, std::size_t len)
{
    auto b0 = static_cast<unsigned char>(gbk[pos]);
    return len == 1 ? b0 : (unsigned(b0) << 8) | static_cast<unsigned char>(gbk[pos + 1]);
}

bool isDoubleByteAt(std::string_view gbk, std::size_t pos)
{
    return pos < gbk.size() && charLength(gbk, pos) == 2;
}

std::vector<unsigned> punctuationCodes()
{
    static const char* const marks[] = {"。", "，", "、", "；", "：", "？", "！", "…", "—", "·", "ˉ",
                                        "‘", "’", "“", "”", "～", "∶", "＂", "＇", "｀", "｜", "〔",
                                        "〕", "〈", "〉", "《", "》", "「", "」", "『", "』", "．",
                                        "〖", "〗", "【", "】", "（", "）", "［", "］", "｛", "｝"};
    std::vector<unsigned> codes;
    for (const char* mark : marks) {
        std::string gbk = platform::utf8ToGbk(mark);
        if (gbk.size() == 2)
            codes.push_back(charCode(gbk, 0, 2));
    }
    std::sort(codes.begin(), codes.end());
    return codes;
}

} // namespace

bool endsWithLaidOutMarker(const std::vector<std::string>& lines)
{
    return !lines.empty() && lines.back() == kLaidOutMarker;
}

bool isNoLineStartPunctuation(std::string_view gbk, std::size_t pos)
{
    static const std::vector<unsigned> codes = punctuationCodes();
    if (!isDoubleByteAt(gbk, pos))
        return false;
    return std::binary_search(codes.begin(), codes.end(), charCode(gbk, pos, 2));
}

int screenFontHeight(int pointSize)
{
    return -int(std::lrint(pointSize * 96.0 / 72.0));
}

// ---------------------------------------------------------------- measuring

struct TextMeasurer::FontTable {
    platform::LogicalFont font;
    std::unique_ptr<std::int16_t[]> advances;  // -1: not measured yet
    int cellHeight = -1;
};

TextMeasurer::TextMeasurer(platform::Canvas& canvas) : canvas_(canvas) {}
TextMeasurer::~TextMeasurer() = default;

TextMeasurer::FontTable& TextMeasurer::tableFor(const platform::LogicalFont& font)
{
    for (auto& table : tables_)
        if (table->font == font)
            return *table;
    if (tables_.size() >= kMaxCachedFonts)
        tables_.erase(tables_.begin());
    auto table = std::make_unique<FontTable>();
    table->font = font;
    table->font.escapement = table->font.orientation = 0;
    table->advances = std::make_unique<std::int16_t[]>(kCharCodes);
    std::fill_n(table->advances.get(), kCharCodes, std::int16_t(-1));
    tables_.push_back(std::move(table));
    return *tables_.back();
}

void TextMeasurer::setFont(const platform::LogicalFont& font, int characterExtra)
{
    platform::LogicalFont upright = font;
    upright.escapement = upright.orientation = 0;
    if (!current_ || !(current_->font == upright))
        current_ = &tableFor(upright);
    extra_ = characterExtra;
}

const platform::LogicalFont& TextMeasurer::font() const
{
    static const platform::LogicalFont none;
    return current_ ? current_->font : none;
}

int TextMeasurer::charWidth(std::string_view gbk, std::size_t pos, std::size_t& len)
{
    len = charLength(gbk, pos);
    std::int16_t& advance = current_->advances[charCode(gbk, pos, len)];
    if (advance < 0) {
        canvas_.selectFont(current_->font);
        int saved = canvas_.textCharacterExtra();
        canvas_.setTextCharacterExtra(0);
        advance = std::int16_t(std::clamp(canvas_.textExtent(gbk.substr(pos, len)).cx, 0, 32767));
        canvas_.setTextCharacterExtra(saved);
    }
    return advance + extra_;
}

int TextMeasurer::width(std::string_view gbk)
{
    int total = 0;
    std::size_t len = 0;
    for (std::size_t pos = 0; pos < gbk.size(); pos += len)
        total += charWidth(gbk, pos, len);
    return total;
}

int TextMeasurer::cellHeight()
{
    if (current_->cellHeight < 0) {
        canvas_.selectFont(current_->font);
        current_->cellHeight = canvas_.textMetrics().height;
    }
    return current_->cellHeight;
}

// ---------------------------------------------------------------- wrapping

namespace {

class LineWrapper {
public:
    LineWrapper(const TextLayoutSettings& settings, TextMeasurer& measurer, TextLayoutResult& result)
        : s_(settings), m_(measurer), r_(result)
    {
        m_.setFont(s_.font, s_.characterSpacing);
        fontPixelHeight_ = std::abs(s_.font.height);
        r_.linePitch = s_.lineSpacing + fontPixelHeight_;
        if (s_.rotation == ksrt180) {
            fullCell_ = m_.cellHeight();
            if (s_.mangeTag) {
                halfFont_ = s_.font;
                int size = platform::mulDiv(fontPixelHeight_, 72, 96);
                halfFont_.height = screenFontHeight(std::max(size / 2, 6));
                m_.setFont(halfFont_, s_.characterSpacing);
                halfCell_ = m_.cellHeight();
                m_.setFont(s_.font, s_.characterSpacing);
            }
        }
    }

    void run(const std::vector<std::string>& source);
    int count() const { return count_; }

private:
    bool horizontal() const { return s_.rotation == ksrtNone || s_.rotation == ksrt360; }
    bool splitsAtBackquote() const { return s_.mangeTag && (horizontal() || s_.rotation == ksrt180); }

    int measure(std::string_view text);
    void output(std::string_view line, bool addsHeight = true);
    void flush();
    void wrapLine(std::string_view line);
    void wrapPiece(std::string_view piece);
    std::size_t wordEnd(std::size_t pos) const;
    void addWord(std::size_t begin, std::size_t end);
    void outputSplitAtBackquotes(std::string_view line);

    const TextLayoutSettings& s_;
    TextMeasurer& m_;
    TextLayoutResult& r_;
    int count_ = 0;
    int fontPixelHeight_ = 0;
    int fullCell_ = 0;
    int halfCell_ = 0;
    platform::LogicalFont halfFont_;
    std::string scratch_;  // a source line without its line feeds

    std::string_view piece_;
    std::size_t outBegin_ = 0;  // the output line is piece_[outBegin_, outEnd_)
    std::size_t outEnd_ = 0;
    bool justFlushed_ = false;
};

// Canvas width; for upright columns the sum of the character cell heights, where the
// markers "_" and "~" switch to the half size and "|" back, not counting themselves.
int LineWrapper::measure(std::string_view text)
{
    if (s_.rotation != ksrt180)
        return m_.width(text);
    int total = 0;
    int cell = fullCell_;
    for (std::size_t pos = 0; pos < text.size(); pos += charLength(text, pos)) {
        char c = text[pos];
        if (s_.mangeTag && (c == '_' || c == '~')) {
            cell = halfCell_;
            continue;
        }
        if (s_.mangeTag && c == '|') {
            cell = fullCell_;
            continue;
        }
        total += cell;
    }
    return total;
}

// Strings already in result are overwritten in place, keeping their capacity.
void LineWrapper::output(std::string_view line, bool addsHeight)
{
    auto index = std::size_t(count_++);
    if (index < r_.lines.size())
        r_.lines[index].assign(line);
    else
        r_.lines.emplace_back(line);
    if (addsHeight)
        r_.textHeight += r_.linePitch;
}

void LineWrapper::flush()
{
    output(piece_.substr(outBegin_, outEnd_ - outBegin_));
    outBegin_ = outEnd_;
    justFlushed_ = true;
}

// A word is one double-byte character, or a run of single bytes ending just after a
// blank, CR or "-", or just before a double-byte character, or at the end.
std::size_t LineWrapper::wordEnd(std::size_t pos) const
{
    if (isDoubleByteAt(piece_, pos))
        return pos + 2;
    while (pos < piece_.size() && !isDoubleByteAt(piece_, pos)) {
        char c = piece_[pos++];
        if (c == ' ' || c == '\r' || c == '-')
            break;
    }
    return pos;
}

void LineWrapper::addWord(std::size_t begin, std::size_t end)
{
    while (begin < end) {
        std::size_t lineStart = outBegin_;
        if (measure(piece_.substr(lineStart, end - lineStart)) <= s_.available) {
            outEnd_ = end;
            justFlushed_ = false;
            return;
        }
        if (outEnd_ == outBegin_) {
            // A word wider than a line: as many characters as stay below the width, at least one.
            std::size_t q = begin + charLength(piece_, begin);
            while (q < end) {
                std::size_t next = q + charLength(piece_, q);
                if (measure(piece_.substr(lineStart, next - lineStart)) >= s_.available)
                    break;
                q = next;
            }
            outEnd_ = q;
            begin = q;
        }
        flush();
    }
}

void LineWrapper::wrapPiece(std::string_view piece)
{
    piece_ = piece;
    outBegin_ = outEnd_ = 0;
    justFlushed_ = false;
    std::size_t pos = 0;
    while (pos < piece_.size()) {
        std::size_t end = wordEnd(pos);
        if (s_.wordBreak && piece_.size() - end > 1 && outEnd_ > outBegin_ && isNoLineStartPunctuation(piece_, end)
            && measure(piece_.substr(outBegin_, end + 2 - outBegin_)) > s_.available)
            flush();  // the word goes to the next line together with the punctuation
        addWord(pos, end);
        pos = end;
    }
    if (!justFlushed_)
        flush();
}

void LineWrapper::wrapLine(std::string_view line)
{
    if (line.find('\n') != std::string_view::npos) {
        scratch_.assign(line);
        std::erase(scratch_, '\n');
        line = scratch_;
    }
    auto separates = [&](char c) { return c == '\r' || (s_.mangeTag && c == '`'); };
    std::size_t start = 0;
    for (std::size_t pos = 0; pos <= line.size(); pos += pos < line.size() ? charLength(line, pos) : 1) {
        if (pos == line.size() || separates(line[pos])) {
            wrapPiece(line.substr(start, pos - start));
            start = pos + 1;
        }
    }
}

void LineWrapper::outputSplitAtBackquotes(std::string_view line)
{
    std::size_t start = 0;
    for (std::size_t pos = 0; pos <= line.size(); pos += pos < line.size() ? charLength(line, pos) : 1) {
        if (pos == line.size() || line[pos] == '`') {
            output(line.substr(start, pos - start));
            start = pos + 1;
        }
    }
}

void LineWrapper::run(const std::vector<std::string>& source)
{
    bool upright = s_.rotation == ksrt180;
    if ((horizontal() || upright) && s_.designMode && source.size() == 1 && !source[0].empty()
        && source[0][0] == '[' && measure(source[0]) > s_.available) {
        output(source[0]);
        return;
    }
    if (s_.laidOut) {
        for (const std::string& line : source)
            output(line);
        return;
    }
    for (const std::string& line : source) {
        if (s_.wordWrap)
            wrapLine(line);
        else if (splitsAtBackquote())
            outputSplitAtBackquotes(line);
        else
            output(line);
    }
    if (horizontal())
        output(kLaidOutMarker, false);
}

} // namespace

void layoutText(const std::vector<std::string>& source, const TextLayoutSettings& settings,
                TextMeasurer& measurer, TextLayoutResult& result)
{
    result.textHeight = 0;
    LineWrapper wrapper(settings, measurer, result);
    wrapper.run(source);
    result.lines.resize(std::size_t(wrapper.count()));
    result.textHeight -= settings.lineSpacing;
    measurer.canvas().setTextCharacterExtra(0);
}

int fitFontSizeToWidth(const std::vector<std::string>& source, const TextLayoutSettings& settings,
                       TextMeasurer& measurer, int pointSize)
{
    platform::LogicalFont font = settings.font;
    font.height = screenFontHeight(pointSize);
    measurer.setFont(font, settings.characterSpacing);
    for (const std::string& line : source) {
        while (pointSize > 0 && measurer.width(line) > settings.available) {
            font.height = screenFontHeight(--pointSize);
            measurer.setFont(font, settings.characterSpacing);
        }
    }
    return pointSize;
}
