// Measuring, drawing and placing of text objects: the line layout on the measuring
// canvas, CalcHeight and MinHeight, Draw with fitted lines, PlaceOnEndPage with merging.
#include "objects/memo.h"

#include "core/textutil.h"
#include "core/units.h"
#include "objects/textlayout_draw.h"
#include "platform/image_canvas.h"

#include <cmath>

namespace {

struct MeasuringState {
    std::unique_ptr<platform::ImageCanvas> own;
    platform::Canvas* replacement = nullptr;
    std::unique_ptr<TextMeasurer> measurer;
    platform::Canvas* measurerCanvas = nullptr;
};

MeasuringState& measuringState()
{
    thread_local MeasuringState state;
    return state;
}

int pixelsOf(int mm) { return toScreenPixels(mm, ksutMMThousandths); }

} // namespace

platform::Canvas& MeasuringCanvas()
{
    MeasuringState& state = measuringState();
    if (state.replacement)
        return *state.replacement;
    if (!state.own)
        state.own = platform::ImageCanvas::createMeasuringCanvas();
    return *state.own;
}

TextMeasurer& MeasuringMeasurer()
{
    MeasuringState& state = measuringState();
    platform::Canvas& canvas = MeasuringCanvas();
    if (!state.measurer || state.measurerCanvas != &canvas) {
        state.measurer = std::make_unique<TextMeasurer>(canvas);
        state.measurerCanvas = &canvas;
    }
    return *state.measurer;
}

void SetMeasuringCanvas(platform::Canvas* canvas)
{
    MeasuringState& state = measuringState();
    state.replacement = canvas;
    state.measurer.reset();
    state.measurerCanvas = nullptr;
}

void TKSCustomMemoView::ScaleExtra(double scaleX)
{
    savedFontScaleWidth_ = FontScaleWidth;
    FontScaleWidth = roundHalfEven(FontScaleWidth * scaleX);
}

void TKSCustomMemoView::RestoreExtra() { FontScaleWidth = savedFontScaleWidth_; }

int TKSCustomMemoView::PixelsToMM(int pixels) const { return toMMThousandths(pixels, ksutScreenPixels); }

int TKSCustomMemoView::AvailableWidth() const
{
    return spWidth() - 2 * pixelsOf(mmGapLeft) - HorizontalFrameInset();
}

int TKSCustomMemoView::AvailableLength() const
{
    return spHeight() - 2 * pixelsOf(mmGapTop) - VerticalFrameInset();
}

// ---------------------------------------------------------------- layout

void TKSCustomMemoView::WrapMemo(bool laidOut)
{
    TextMeasurer& measurer = MeasuringMeasurer();
    TextLayoutSettings settings;
    settings.rotation = RotationType;
    settings.wordWrap = Flag(ksf::WordWrap);
    settings.wordBreak = Flag(ksf::WordBreak);
    settings.mangeTag = Flag(ksf::MangeTag);
    settings.designMode = Designing();
    settings.laidOut = laidOut;
    settings.lineSpacing = ClampedLineSpacing();
    settings.characterSpacing = ClampedCharacterSpacing();
    settings.font = Font.logical();
    settings.font.height = screenFontHeight(Font.size());

    if (ScaleFontType == ksstByWidth && !Designing()) {
        settings.available = AvailableWidth();
        if (settings.available > 9) {
            Font.setSize(fitFontSizeToWidth(Memo1, settings, measurer, Font.size()));
            settings.font.height = screenFontHeight(Font.size());
        }
    }
    bool horizontal = RotationType == ksrtNone || RotationType == ksrt360;
    settings.available = horizontal ? AvailableWidth() : AvailableLength();
    if (horizontal && FontScaleWidth > 0)
        settings.font.width = FontScaleWidth;
    layoutText(Memo1, settings, measurer, layout_);
    WrappedLines = layout_.lines;
    TextHeight = layout_.textHeight;
    LinePitch = layout_.linePitch;
}

namespace {

void trimTrailingBlanks(std::vector<std::string>& lines)
{
    for (std::string& line : lines)
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
}

} // namespace

bool TKSCustomMemoView::HighlightActive()
{
    if (Highlight.Condition.empty() || !ParentReport || ParentReport->AppendBlanking())
        return false;
    try {
        platform::Variant value = ParentReport->EvaluateExpression(*this, Highlight.Condition);
        return !value.isNull() && !value.isEmpty() && value.toDouble() != 0;
    } catch (const std::exception& error) {
        ParentReport->ReportError(error.what());  // the normal font and fill stay
        return false;
    }
}

int TKSCustomMemoView::CalcHeight()
{
    if (!Visible)
        return 0;
    BeginDraw();
    struct EndDrawGuard {
        TKSCustomMemoView& view;
        platform::Font font;
        ~EndDrawGuard()
        {
            view.Font = font;
            view.EndDraw();
        }
    } guard{*this, Font};
    DrawMode = ksdmAll;
    CalcText();
    DrawMode = ksdmAfterCalcHeight;
    if (HighlightActive())
        Font = Highlight.Font;
    int height = 0;
    if (!Memo1.empty()) {
        WrapMemo(false);
        Memo1 = WrappedLines;
        if (Flag(ksf::WordWrap))
            trimTrailingBlanks(Memo1);
        height = PixelsToMM(2 * pixelsOf(mmGapTop) + TextHeight + VerticalFrameInset());
    }
    CalculatedHeight = height;
    return height;
}

int TKSCustomMemoView::MinHeight()
{
    int lines = int(Memo1.size()) - (endsWithLaidOutMarker(Memo1) ? 1 : 0);
    MinimumHeight = PixelsToMM(lines * LinePitch) + PixelsToMM(2 * pixelsOf(mmGapTop) + VerticalFrameInset());
    return MinimumHeight;
}

// ---------------------------------------------------------------- drawing

void TKSCustomMemoView::SetAutoWidth(platform::Canvas& canvas)
{
    std::string text;
    for (std::size_t i = 0; i < Memo.size(); ++i) {
        if (i)
            text += "\r\n";
        text += Memo[i];
    }
    TextDrawSettings settings;
    settings.font = Font;
    settings.scaleX = ScaleX;
    settings.scaleY = ScaleY;
    settings.printing = DocMode() == ksdmPrinting;
    TextPainter painter(canvas, MeasuringMeasurer(), settings);
    canvas.selectFont(painter.outputFont(Font.size(), 0));
    canvas.setTextCharacterExtra(roundHalfEven(ClampedCharacterSpacing() * ScaleX));
    int measured = canvas.textExtent(text).cx;
    canvas.setTextCharacterExtra(0);
    SetspWidth(roundHalfEven(2 * pixelsOf(mmGapLeft) + measured / ScaleX + HorizontalFrameInset()
                             - 2 * ClampedCharacterSpacing()));
}

void TKSCustomMemoView::DrawRuling(platform::Canvas& canvas)
{
    platform::Pen pen;
    pen.color = TopFrame.Color;
    pen.width = roundHalfEven(ScaleY);
    canvas.setPen(pen);
    int fontHeight = std::abs(canvas.logicalFont().height);
    int pitch = roundHalfEven(ClampedLineSpacing() * ScaleY) + fontHeight;
    if (pitch <= 0)
        return;
    int left = spLeft(), top = spTop(), width = spWidth(), height = spHeight();
    for (int k = 0; k < height / pitch; ++k) {
        int y = top + pixelsOf(mmGapTop) + roundHalfEven(2 * ScaleY) + k * pitch + fontHeight;
        canvas.moveTo(left, y);
        canvas.lineTo(left + width - 1, y);
    }
}

void TKSCustomMemoView::DrawText(platform::Canvas& canvas)
{
    TextDrawSettings settings;
    settings.drawRect = DrawRect;
    settings.gapLeft = pixelsOf(mmGapLeft);
    settings.gapTop = pixelsOf(mmGapTop);
    settings.scaleX = ScaleX;
    settings.scaleY = ScaleY;
    settings.font = Font;
    settings.fontScaleWidth = FontScaleWidth;
    settings.lineSpacing = ClampedLineSpacing();
    settings.characterSpacing = ClampedCharacterSpacing();
    settings.textHeight = TextHeight;
    settings.rotation = RotationType;
    settings.hAlign = HAlign;
    settings.vAlign = VAlign;
    settings.mangeTag = Flag(ksf::MangeTag);
    settings.rightToLeft = Flag(ksf::RightToLeft);
    settings.printing = DocMode() == ksdmPrinting;
    settings.measuring = Measuring;
    settings.displayBeginLine = DisplayBeginLine;
    settings.displayEndLine = DisplayEndLine;
    TextExportHook hook;
    if (Exporting && ExportHook)
        hook = [this](int x, int y, std::string_view text) { ExportHook(DrawRect, x, y, text); };
    TextPainter painter(canvas, MeasuringMeasurer(), settings);
    LinesDrawn = painter.draw(Memo1, hook);
}

void TKSCustomMemoView::Draw(platform::Canvas& canvas)
{
    Canvas = &canvas;
    Measuring = false;
    if (Flag(ksf::AutoWidth) && !Designing())
        SetAutoWidth(canvas);
    AlignInBand(&canvas);
    Memo1 = Memo;
    if (!Memo1.empty()) {
        bool laidOut = endsWithLaidOutMarker(Memo1);
        if (laidOut)
            Memo1.pop_back();
        double scaleX = ScaleX, scaleY = ScaleY;
        ScaleX = ScaleY = 1.0;
        BeginDraw();
        WrapMemo(laidOut);
        bool running = DocMode() == ksdmPrinting || DocMode() == ksdmPreviewing;
        while (running && ScaleFontType == ksstByHeight && Font.size() >= 5
               && std::abs(DrawRect.height() - 2 * pixelsOf(mmGapTop)) < TextHeight) {
            Font.setSize(Font.size() - 1);
            WrapMemo(laidOut);
        }
        if (endsWithLaidOutMarker(WrappedLines))
            WrappedLines.pop_back();
        Memo1 = WrappedLines;
        EndDraw();
        ScaleX = scaleX;
        ScaleY = scaleY;
    }
    BeginDraw();
    ShowBackground();
    ShowFrame();
    if (Flag(ksf::Underlines)) {
        TextDrawSettings settings;
        settings.font = Font;
        settings.scaleY = ScaleY;
        settings.printing = DocMode() == ksdmPrinting;
        canvas.selectFont(TextPainter(canvas, MeasuringMeasurer(), settings).outputFont(Font.size(), 0));
        DrawRuling(canvas);
    }
    if (!Memo1.empty())
        DrawText(canvas);
    canvas.setTextCharacterExtra(0);
    EndDraw();
}

void TKSCustomMemoView::ExportData()
{
    Exporting = true;
    try {
        Draw(MeasuringCanvas());
    } catch (...) {
        Exporting = false;
        throw;
    }
    Exporting = false;
}

// ---------------------------------------------------------------- placing

bool TKSCustomMemoView::MergesWithPrevious() const
{
    bool blanking = ParentReport && ParentReport->AppendBlanking();
    int pageNo = CurrentPageNo ? CurrentPageNo() : 0;
    return !(blanking && !Flag(ksf::PrintAtAppendBlank)) && RepeatedOptions.SuppressRepeated
        && RepeatedOptions.MergeRepeated && pageNo == LastPageNo && joinLines(Memo1) == LastValue
        && (!MasterMemo || !MasterMemo->ValueChanged);
}

void TKSCustomMemoView::PlaceOnEndPage(platform::Stream& s)
{
    Measuring = true;
    platform::Canvas& measuring = MeasuringCanvas();
    AlignInBand(&measuring);
    bool scripted = ParentReport != nullptr;  // a report may always have bound handlers
    if (Visible || OnBeforePrint || scripted)
        CalcText();
    if (!Visible) {
        DrawMode = ksdmAll;
        Measuring = false;
        return;
    }
    platform::Font savedFont = Font;
    platform::Color savedFill = FillColor;
    struct Restore {
        TKSCustomMemoView& view;
        platform::Font font;
        platform::Color fill;
        ~Restore()
        {
            view.Font = font;
            view.FillColor = fill;
            view.DrawMode = ksdmAll;
            view.Measuring = false;
        }
    } restore{*this, savedFont, savedFill};
    if (HighlightActive()) {
        Font = Highlight.Font;
        FillColor = Highlight.Color;
    }
    if (DrawMode == ksdmPart) {
        BeginDraw();
        if (Flag(ksf::WordWrap))
            trimTrailingBlanks(Memo1);
        std::vector<std::string> lines = Memo1;
        if (endsWithLaidOutMarker(lines))
            lines.pop_back();
        std::swap(Memo1, lines);
        DrawText(measuring);
        std::swap(Memo1, lines);
        WrappedLines = Memo1;
        if (LinesDrawn < int(Memo1.size()))
            Memo1.resize(std::size_t(LinesDrawn));
        EndDraw();
    }
    std::string text = joinLines(Memo1);
    bool repeat = false;
    if (RepeatedOptions.SuppressRepeated && !RepeatedOptions.MergeRepeated && text == LastValue) {
        Memo1.clear();
        repeat = true;
    }
    if (MergesWithPrevious()) {
        ValueChanged = false;
        std::int64_t position = s.position();
        int height = mmHeight, top = mmTop;
        s.seek(MergeStreamPos);
        mmHeight = height + top - MergeTop;
        mmTop = MergeTop;
        Memo1 = splitLines(LastPrintedText);
        WriteObjectRecord(s);
        s.seek(position);
        mmHeight = height;
        mmTop = top;
    } else {
        ValueChanged = true;
        MergeStreamPos = s.position();
        MergeTop = mmTop;
        WriteObjectRecord(s);
        if (RepeatedOptions.SuppressRepeated && !repeat) {
            LastValue = text;
            LastPrintedText = text;
            LastPageNo = CurrentPageNo ? CurrentPageNo() : 0;
        }
    }
    if (DrawMode == ksdmPart) {
        std::size_t drawn = std::min(WrappedLines.size(), std::size_t(std::max(LinesDrawn, 0)));
        Memo1.assign(WrappedLines.begin() + std::ptrdiff_t(drawn), WrappedLines.end());
    }
}
