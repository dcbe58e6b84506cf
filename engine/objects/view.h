// The report object hierarchy's base: TKSView (geometry, frames, fill, text lists,
// option bits, drawing transform), TKSReportView and TKSStretcheableView.
#pragma once

#include "objects/persistent.h"
#include "objects/published.h"
#include "objects/reportcontext.h"
#include "platform/canvas.h"
#include "platform/font.h"
#include "platform/stream.h"

#include <QRegion>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TKSCustomPage;
class TKSCustomBandView;
class TKSView;

// Option bits of TKSView::Flags; several classes give a bit different meanings.
namespace ksf {
inline constexpr std::uint32_t WordWrap = 1, PictureCenter = 1, ReprintLastPage = 1;
inline constexpr std::uint32_t WordBreak = 2, PictureRatio = 2;
inline constexpr std::uint32_t AutoWidth = 4, PictureStretched = 4;
inline constexpr std::uint32_t DBFieldOnly = 8, DirectDraw = 8;
inline constexpr std::uint32_t SuppressRepeated = 16;
inline constexpr std::uint32_t HideZeros = 32;
inline constexpr std::uint32_t Underlines = 64;
inline constexpr std::uint32_t RightToLeft = 128;
inline constexpr std::uint32_t MergeRepeated = 256;
inline constexpr std::uint32_t TotalCalc = 512;
inline constexpr std::uint32_t CalcNoVisible = 1024;
inline constexpr std::uint32_t MangeTag = 2048;
inline constexpr std::uint32_t ExportAsNumber = 4096;
inline constexpr std::uint32_t OutBigNum = 8192;
inline constexpr std::uint32_t IsCurrency = 16384;
inline constexpr std::uint32_t StretchedMax = 65536;
inline constexpr std::uint32_t ParentWidth = 524288;
inline constexpr std::uint32_t Transparent = 1048576;
inline constexpr std::uint32_t ReprintOnOverFlow = 2097152;
inline constexpr std::uint32_t TextOnly = 4194304;
inline constexpr std::uint32_t PrintAtAppendBlank = 16777216;
inline constexpr std::uint32_t Printable = 134217728;
inline constexpr std::uint32_t PrintFrame = 268435456;
inline constexpr std::uint32_t ParentHeight = 536870912;
inline constexpr std::uint32_t Stretched = 2147483648u;
} // namespace ksf

// Stored object type codes.
enum TKSObjectType : std::uint8_t {
    ksgtMemo = 0, ksgtPicture = 1, ksgtSubReport = 2, ksgtCalcMemo = 4, ksgtBand = 5, gtShape = 6,
    ksgtOutline = 7, ksgtBandFirst = 50, ksgtBandLast = 66, ksgtAddIn = 100
};

enum TKSRestriction : std::uint8_t {
    ksrtDontModify = 1, ksrtDontSize = 2, ksrtDontMove = 4, ksrtDontDelete = 8, ksrtDontEditMemo = 16
};

enum TKSBandAlign : std::uint8_t { ksbaNone, ksbaLeft, ksbaRight, ksbaBottom, ksbaTop, ksbaCenter };

// One frame side. Width in thousandths of a millimetre (published as Width in the design unit).
class TKSFrameLine : public platform::Persistent {
public:
    TK_CLASS_INFO
    static constexpr int kDefaultWidth = 265;  // one screen pixel

    explicit TKSFrameLine(TKSView* owner = nullptr) : View(owner) {}

    bool Visible = false;
    platform::PenStyle Style = platform::PenStyle::Solid;
    platform::Color Color = platform::clBlack;
    int mmWidth = kDefaultWidth;
    TKSView* View;  // not owned
    bool DoubleFrame = false;

    double Width() const;
    void SetWidth(double value);
    // Copies visibility, style, colour, width and the double flag.
    void assign(const platform::Persistent& source) override;
};

// Conditional font and fill of a text object.
class TKSHighlight : public platform::Persistent {
public:
    TK_CLASS_INFO
    TKSHighlight();

    platform::Color Color = platform::clNone;
    platform::Font Font;
    std::string Condition;

    // Copies font and colour, not the condition.
    void assign(const platform::Persistent& source) override;
};

class TKSView : public TKSCustomView {
public:
    TK_CLASS_INFO
    TKSView();
    ~TKSView() override;
    TKSView(const TKSView&) = delete;
    TKSView& operator=(const TKSView&) = delete;

    // --- Fields (lengths are thousandths of a millimetre)
    bool ExtraFlag = true;
    bool IsBand = false;
    bool IsVertical = false;
    TKSCustomPage* ParentPage = nullptr;        // not owned
    TKSReportContext* ParentReport = nullptr;   // not owned
    int mmLeft = 0, mmTop = 0, mmWidth = 0, mmHeight = 0;
    int mmGapLeft = 0, mmGapTop = 0;
    bool Visible = true;
    std::vector<std::string> Memo;   // design text
    std::vector<std::string> Memo1;  // working text
    std::uint8_t Restrictions = 0;
    bool IsTextValue = false;
    TKSFrameLine LeftFrame{this}, TopFrame{this}, RightFrame{this}, BottomFrame{this};
    std::uint16_t DiagonalLines = 0;
    platform::Color FillColor = platform::clNone;
    platform::BrushStyle BrushStyle = platform::BrushStyle::Solid;
    std::int32_t ReservedInt = 0;
    std::string ReservedStr1;
    std::string Url;
    std::string ReservedStr2, ReservedStr3;
    std::int16_t Cursor = 0;
    std::string ExpressionDelimiters = "[;]";
    std::uint8_t ObjectType = ksgtAddIn;
    std::string BaseName = "View";
    platform::Canvas* Canvas = nullptr;  // of the current drawing call; not owned
    bool PreparedForm = false;
    std::uint32_t Flags = 0;
    TKSCustomBandView* ParentBand = nullptr;  // not owned
    std::uint16_t ReservedWord = 0;
    bool DrawingToPrinter = false;
    platform::Rect DrawRect;
    double ScaleX = 1.0, ScaleY = 1.0;
    int OffsetX = 0, OffsetY = 0;
    bool AutoName = true;

    // Memo as the published string list ("Memo.Text" in scripts).
    platform::Strings* MemoObject() { return memoMirror_.get(Memo); }
    void SetMemoObject(const platform::Strings* lines) { memoMirror_.set(Memo, lines); }

    bool Flag(std::uint32_t bit) const { return (Flags & bit) != 0; }
    void SetFlag(std::uint32_t bit, bool on) { Flags = on ? (Flags | bit) : (Flags & ~bit); }
    TKSFrameLine& Frame(int side);  // 0 left, 1 top, 2 right, 3 bottom

    // --- Virtual operations
    void SetName(std::string name) override;
    bool GetPropValue(std::string_view name, const TKSPropArgs& args, platform::Variant& value) override;
    bool SetPropValue(std::string_view name, const platform::Variant& value) override;
    platform::Object* GetPropObject(std::string_view name) override;
    virtual void ClearContents() { Memo.clear(); }
    virtual void NotifyChanged() {}
    virtual void ObjectWritten(TKSView& /*view*/) {}
    virtual void AfterLoad() {}
    virtual void BeginDraw();
    virtual void EndDraw();
    virtual void ShowBackground();
    virtual void Prepare() {}
    virtual void Unprepare() {}
    virtual std::string GetViewCaption() const { return {}; }
    virtual void SetParentPage(TKSCustomPage* page);
    virtual bool NoCompression() const { return false; }
    virtual void ShowEditor() {}
    virtual QRegion GetClipRgn(bool extended) const;
    virtual void LoadFromStream(platform::Stream& s) = 0;
    virtual void SaveToStream(platform::Stream& s) = 0;
    virtual void Draw(platform::Canvas& canvas) = 0;

    // --- Other operations
    // Copies the source through the template form, then takes its name.
    void AssignView(TKSView& source);
    // BaseName + the smallest n >= 1 not used by any object of the report.
    void SetAutoName();
    int DocMode() const;
    bool Designing() const { return DocMode() == ksdmDesigning; }

    // Geometry in whole screen pixels (script properties spLeft...).
    int spLeft() const;
    int spTop() const;
    int spWidth() const;
    int spHeight() const;
    int spRight() const { return spLeft() + spWidth(); }
    int spBottom() const { return spTop() + spHeight(); }
    virtual void SetspLeft(int pixels);
    virtual void SetspTop(int pixels);
    virtual void SetspWidth(int pixels);
    virtual void SetspHeight(int pixels);

    // Published floating-point geometry: design unit while designing with a report,
    // else screen pixels. Writes honour Restrictions while the designer switch is on.
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void SetLeft(double value);
    void SetTop(double value);
    void SetWidth(double value);
    void SetHeight(double value);
    double GapLeft() const;
    double GapTop() const;
    void SetGapLeft(double value);
    void SetGapTop(double value);
    // Internal units <-> the published floating-point unit.
    double ToPublished(int mm) const;
    int FromPublished(double value) const;

    // Pixel sizes of the frame lines after BeginDraw (unrounded).
    double FramePixels(int side) const;
    // Pixels a side's frame takes from the text area (round(w/2), + round(2w) when double).
    int FrameInset(int side) const;
    int HorizontalFrameInset() const { return FrameInset(0) + FrameInset(2); }
    int VerticalFrameInset() const { return FrameInset(1) + FrameInset(3); }

    // The view's value for "VALUE": first line of Memo1 without bytes 01.
    platform::Variant ViewValue() const;

protected:
    // Untransformed geometry saved by BeginDraw; FontScaleWidth of text objects too.
    struct SavedGeometry {
        int left, top, width, height, gapLeft, gapTop;
        int frames[4];
    };
    SavedGeometry saved_{};
    bool drawing_ = false;
    // Text objects scale and restore their FontScaleWidth with the transform.
    virtual void ScaleExtra(double /*scaleX*/) {}
    virtual void RestoreExtra() {}
    // Common record of both forms; written by TKSReportView.
    const SavedGeometry& Untransformed() const { return saved_; }

private:
    void clampGeometry();
    TKSLinesMirror memoMirror_;
};

class TKSReportView : public TKSView {
public:
    TK_CLASS_INFO
    static constexpr int kRecordVersion = 7;

    TKSReportView();

    TKSBandAlign BandAlign = ksbaNone;
    platform::MethodValue OnBeforePrint, OnBeforeCalc, OnAfterCalc, OnPreviewClick;
    std::string DisplayFormat;
    std::uint8_t FormatKind = 0, FormatIndex = 0, FormatDecimals = 2;
    char FormatSeparator = '.';
    // Set by the page builder when the whole text is one dataset field (not owned).
    TKSDataFieldLink* BoundField = nullptr;

    const std::string& ShiftWith() const { return shiftWith_; }
    const std::string& StretchWith() const { return stretchWith_; }
    // Setting one to a non-empty text empties the other.
    void SetShiftWith(std::string value);
    void SetStretchWith(std::string value);

    // --- Virtual operations added by report views
    virtual void ShowFrame();
    virtual void PlaceOnEndPage(platform::Stream& s);
    virtual void GetBlob() {}
    virtual void ExportData() {}

    void LoadFromStream(platform::Stream& s) override;
    void SaveToStream(platform::Stream& s) override;
    // The common steps: background and frame.
    void Draw(platform::Canvas& canvas) override;

    // Band alignment, ParentWidth and ParentHeight; stores the canvas and
    // registers the view as the report's current one.
    void AlignInBand(platform::Canvas* canvas);
    // Expands every bracketed expression of text (nested brackets, quotes, GBK).
    std::string ExpandText(std::string_view text);
    // Writes Byte ObjectType, the class name for type 100, then the prepared form.
    void WriteObjectRecord(platform::Stream& s);

protected:
    // Text of one bracketed expression's value; text objects override to format it.
    virtual std::string ExpressionValueText(std::string_view expression);
    // Turns a positive font height into the negative one (text objects).
    virtual void MakeFontHeightNegative() {}
    // The band used by AlignInBand (current band, or in design mode the band under the view).
    TKSCustomBandView* AlignmentBand() const;
    // Memo1 := expansion of Memo (TextOnly and append-blanking respected).
    void ExpandMemoLines();
    // Appends each design line to Memo1, brackets expanded unless TextOnly;
    // an empty line stays one empty line.
    void AppendExpandedLines();

private:
    std::string shiftWith_, stretchWith_;
};

enum TKSDrawMode : std::uint8_t { ksdmAll = 0, ksdmAfterCalcHeight = 1, ksdmPart = 2 };

class TKSStretcheableView : public TKSReportView {
public:
    TK_CLASS_INFO
    TKSStretcheableView();

    TKSDrawMode DrawMode = ksdmAll;
    int CalculatedHeight = 0;
    int MinimumHeight = 0;
};

// Adds a published Boolean property that reads and writes one Flags bit.
template <class T, class Builder>
void addFlagProperty(Builder& builder, std::string name, std::uint32_t bit)
{
    builder.prop(std::move(name), [bit](const T& v) { return v.Flag(bit); },
                 [bit](T& v, bool on) { v.SetFlag(bit, on); });
}

// Enumeration types of published view properties.
const platform::EnumType& brushStyleType();
const platform::EnumType& penStyleType();
const platform::EnumType& bandAlignType();

// Publishes the properties most report-view classes share (frames, fill, links).
template <class T, class Builder>
void addCommonViewProperties(Builder& b)
{
    auto frame = [](TKSFrameLine T::*line) {
        return [line](const T& v) -> platform::Object* { return const_cast<TKSFrameLine*>(&(v.*line)); };
    };
    b.object("LeftFrame", TKSFrameLine::staticClassInfo(), frame(&T::LeftFrame))
        .object("TopFrame", TKSFrameLine::staticClassInfo(), frame(&T::TopFrame))
        .object("RightFrame", TKSFrameLine::staticClassInfo(), frame(&T::RightFrame))
        .object("BottomFrame", TKSFrameLine::staticClassInfo(), frame(&T::BottomFrame))
        .prop("FillColor", [](const T& v) { return static_cast<int>(v.FillColor); },
              [](T& v, int c) { v.FillColor = c; }).type("TColor")
        .enumeration("BrushStyle", brushStyleType(), &T::BrushStyle)
        .prop("ShiftWith", &T::ShiftWith, &T::SetShiftWith)
        .prop("StretchWith", &T::StretchWith, &T::SetStretchWith)
        .enumeration("BandAlign", bandAlignType(), &T::BandAlign)
        .prop("Url", &T::Url)
        .prop("Cursor", [](const T& v) { return static_cast<int>(v.Cursor); },
              [](T& v, int c) { v.Cursor = static_cast<std::int16_t>(c); }).type("TCursor")
        .prop("ExpressionDelimiters", &T::ExpressionDelimiters);
}
