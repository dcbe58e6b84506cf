// The text objects TKSCustomMemoView and TKSMemoView: fields, stream part, expansion
// of the design text, measuring for stretching, drawing and placing on prepared pages.
#pragma once

#include <algorithm>

#include "objects/memo_types.h"
#include "objects/textlayout.h"
#include "objects/view.h"
#include "platform/font.h"

#include <functional>
#include <string>
#include <vector>

// Repeated-value handling of a text object.
class TKSRepeatedOptions : public platform::Persistent {
public:
    TK_CLASS_INFO
    std::string MasterMemoView;
    bool SuppressRepeated = false;
    bool MergeRepeated = false;
    bool MergeStretchedHeight = false;

    void assign(const platform::Persistent& source) override;
};

class TKSCustomMemoView : public TKSStretcheableView {
public:
    TK_CLASS_INFO
    static constexpr int kStreamVersion = 3;

    TKSCustomMemoView();

    int DisplayBeginLine = -1;
    int DisplayEndLine = -1;
    TKSCustomMemoView* MasterMemo = nullptr;  // resolved by Prepare; not owned
    std::vector<std::string> WrappedLines;
    platform::Font Font;
    TKSHighlight Highlight;
    int LineSpacing = 2;
    int CharacterSpacing = 0;
    // The spacings as layout uses them: stored values are kept as read, but
    // no text is laid out with more than this many pixels between lines or
    // characters, so damaged values cannot overflow the arithmetic.
    static constexpr int kMaxSpacing = 10000;
    int ClampedLineSpacing() const { return std::clamp(LineSpacing, -kMaxSpacing, kMaxSpacing); }
    int ClampedCharacterSpacing() const { return std::clamp(CharacterSpacing, -kMaxSpacing, kMaxSpacing); }
    TKSRotationType RotationType = ksrtNone;
    TKSScaleFontType ScaleFontType = ksstNone;
    TKSRepeatedOptions RepeatedOptions;
    TKSHAlign HAlign = kshLeft;
    TKSVAlign VAlign = ksvTop;
    int FontScaleWidth = 0;
    std::string LastValue;
    std::string LastPrintedText;
    int LastPageNo = -1;
    bool ValueChanged = false;
    int TextHeight = 0;
    std::int64_t MergeStreamPos = 0;
    int MergeTop = 0;
    int LinesDrawn = 0;
    int LinePitch = 0;
    bool Measuring = false;
    bool Exporting = false;

    // Setting copies the given object.
    void SetFont(const platform::Font& font) { Font.assign(font); }
    // Font as the published "TFont" object.
    platform::FontObject* FontObject() { return fontMirror_.get(Font); }
    void SetFontObject(const platform::FontObject* font) { fontMirror_.set(Font, font); }
    void SetRepeatedOptions(const TKSRepeatedOptions& options) { RepeatedOptions.assign(options); }
    // Also derives the format record.
    void SetDisplayFormat(std::string text);

    // --- Virtual operations
    bool GetPropValue(std::string_view name, const TKSPropArgs& args, platform::Variant& value) override;
    bool SetPropValue(std::string_view name, const platform::Variant& value) override;
    void Prepare() override;
    void LoadFromStream(platform::Stream& s) override;
    void SaveToStream(platform::Stream& s) override;
    void Draw(platform::Canvas& canvas) override;
    void PlaceOnEndPage(platform::Stream& s) override;
    void GetBlob() override;
    void ExportData() override;
    virtual int CalcHeight();
    virtual int MinHeight();
    virtual void CalcText();
    virtual void ExpandMemo();

    // Line layout of Memo1 into WrappedLines, TextHeight and LinePitch on the
    // measuring canvas; laidOut: Memo1 carried the marker line (already removed).
    void WrapMemo(bool laidOut);

    // The report's prepared-page number for merging (no report: 0).
    std::function<int()> CurrentPageNo;
    // Receives the drawn lines while exporting.
    std::function<void(const platform::Rect&, int x, int y, std::string_view text)> ExportHook;

protected:
    std::string ExpressionValueText(std::string_view expression) override;
    void MakeFontHeightNegative() override;
    void ScaleExtra(double scaleX) override;
    void RestoreExtra() override;

private:
    int AvailableWidth() const;
    int AvailableLength() const;
    bool HighlightActive();
    bool MergesWithPrevious() const;
    void DrawText(platform::Canvas& canvas);
    void DrawRuling(platform::Canvas& canvas);
    void SetAutoWidth(platform::Canvas& canvas);
    int PixelsToMM(int pixels) const;

    int savedFontScaleWidth_ = 0;
    TextLayoutResult layout_;

private:
    TKSFontMirror fontMirror_;
};

class TKSMemoView : public TKSCustomMemoView {
public:
    TK_CLASS_INFO
};

// The 8 x 8 canvas at 96 pixels per inch all text is laid out on, with its width
// cache. One per thread, created on first use; tests may put another in its place.
platform::Canvas& MeasuringCanvas();
TextMeasurer& MeasuringMeasurer();
void SetMeasuringCanvas(platform::Canvas* canvas);  // null: back to the built-in one

// Registers TKSMemoView with the object factory for type code 0.
void RegisterMemoView();
