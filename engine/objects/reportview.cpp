// TKSReportView and TKSStretcheableView: the common stream record in both forms,
// placing on a prepared page and the common drawing of a plain report view.
#include "objects/view.h"

#include "core/streamio.h"
#include "core/textutil.h"
#include "platform/variant_format.h"

using platform::ClassInfo;

const ClassInfo& TKSReportView::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TKSReportView>("TKSReportView", &TKSView::staticClassInfo())
        .prop("Visible", &TKSReportView::Visible)
        .prop("Left", &TKSReportView::Left, &TKSReportView::SetLeft)
        .prop("Top", &TKSReportView::Top, &TKSReportView::SetTop)
        .prop("Width", &TKSReportView::Width, &TKSReportView::SetWidth)
        .prop("Height", &TKSReportView::Height, &TKSReportView::SetHeight)
        .event("OnBeforePrint", "TNotifyEvent", &TKSReportView::OnBeforePrint);
    return info;
}

const ClassInfo& TKSStretcheableView::staticClassInfo()
{
    static ClassInfo const info = [] {
        auto b = ClassInfo::define<TKSStretcheableView>("TKSStretcheableView", &TKSReportView::staticClassInfo());
        addFlagProperty<TKSStretcheableView>(b, "Stretched", ksf::Stretched);
        addFlagProperty<TKSStretcheableView>(b, "StretchedMax", ksf::StretchedMax);
        return b;
    }();
    return info;
}

TKSReportView::TKSReportView()
{
    mmGapLeft = mmGapTop = 529;  // two screen pixels
    Flags |= ksf::PrintFrame | ksf::Printable;
    FormatSeparator = platform::formatSettings().DecimalSeparator;
}

TKSStretcheableView::TKSStretcheableView() { Flags |= ksf::StretchedMax; }

void TKSReportView::SetShiftWith(std::string value)
{
    if (!value.empty())
        stretchWith_.clear();
    shiftWith_ = std::move(value);
}

void TKSReportView::SetStretchWith(std::string value)
{
    if (!value.empty())
        shiftWith_.clear();
    stretchWith_ = std::move(value);
}

namespace {

void readFrame(platform::Stream& s, TKSFrameLine& f, unsigned version)
{
    f.Visible = readBoolean(s);
    std::uint8_t style = readByte(s);
    f.Color = readColour(s);
    f.mmWidth = readInteger(s);
    if (version >= 1) {
        f.Style = static_cast<platform::PenStyle>(style);
        f.DoubleFrame = readBoolean(s);
    } else {
        // The oldest records coded a double frame as style 7 and up.
        f.DoubleFrame = style >= 7;
        f.Style = f.DoubleFrame ? platform::PenStyle::Solid : static_cast<platform::PenStyle>(style);
    }
}

void writeFrame(platform::Stream& s, const TKSFrameLine& f)
{
    writeBoolean(s, f.Visible);
    writeByte(s, static_cast<std::uint8_t>(f.Style));
    writeColour(s, f.Color);
    writeInteger(s, f.mmWidth);
    writeBoolean(s, f.DoubleFrame);
}

} // namespace

void TKSReportView::LoadFromStream(platform::Stream& s)
{
    unsigned v = readWord(s);
    SetName(readString(s));
    mmLeft = readInteger(s);
    mmTop = readInteger(s);
    mmWidth = readInteger(s);
    mmHeight = readInteger(s);
    mmGapLeft = readInteger(s);
    mmGapTop = readInteger(s);
    Flags = readLongWord(s);
    FillColor = readColour(s);
    BandAlign = static_cast<TKSBandAlign>(readByte(s));
    Restrictions = readByte(s);
    for (int side = 0; side < 4; ++side)
        readFrame(s, Frame(side), v);
    DiagonalLines = readWord(s);
    Visible = readBoolean(s);
    if (!PreparedForm) {
        ReservedWord = readWord(s);
        DisplayFormat = readString(s);
        Memo = readTextBlock(s);
        shiftWith_ = readString(s);
        stretchWith_ = readString(s);
        FormatKind = readByte(s);
        FormatIndex = readByte(s);
        FormatDecimals = readByte(s);
        FormatSeparator = static_cast<char>(readByte(s));
        if (v >= 2)
            ReadEventBindings(s);
        if (v >= 3)
            ExtraFlag = readBoolean(s);
        if (v >= 5) {
            BrushStyle = static_cast<platform::BrushStyle>(readByte(s));
            ReservedInt = readInteger(s);
            ReservedStr1 = readString(s);
            Url = readString(s);
            ReservedStr2 = readString(s);
            ReservedStr3 = readString(s);
        }
        if (v >= 6) {
            Cursor = static_cast<std::int16_t>(readInteger(s));
            ExpressionDelimiters = readString(s);
        }
    } else {
        Memo = readTextBlock(s);
        if (v >= 5)
            BrushStyle = static_cast<platform::BrushStyle>(readByte(s));
        if (v >= 6) {
            Cursor = static_cast<std::int16_t>(readInteger(s));
            std::string routine = readString(s);
            if (!routine.empty())
                SetEventBinding("OnPreviewClick", std::move(routine));
        }
        if (v >= 7)
            Url = readString(s);
    }
    if (v <= 3)
        SetFlag(ksf::StretchedMax, true);
}

void TKSReportView::SaveToStream(platform::Stream& s)
{
    writeWord(s, kRecordVersion);
    writeString(s, Name());
    for (int value : {mmLeft, mmTop, mmWidth, mmHeight, mmGapLeft, mmGapTop})
        writeInteger(s, value);
    writeLongWord(s, Flags);
    writeColour(s, FillColor);
    writeByte(s, BandAlign);
    writeByte(s, Restrictions);
    for (int side = 0; side < 4; ++side)
        writeFrame(s, Frame(side));
    writeWord(s, DiagonalLines);
    writeBoolean(s, Visible);
    if (!PreparedForm) {
        writeWord(s, ReservedWord);
        writeString(s, DisplayFormat);
        writeTextBlock(s, Memo);
        writeString(s, shiftWith_);
        writeString(s, stretchWith_);
        for (std::uint8_t b : {FormatKind, FormatIndex, FormatDecimals, static_cast<std::uint8_t>(FormatSeparator)})
            writeByte(s, b);
        WriteEventBindings(s);
        writeBoolean(s, ExtraFlag);
        writeByte(s, static_cast<std::uint8_t>(BrushStyle));
        writeInteger(s, ReservedInt);
        writeString(s, ReservedStr1);
        writeString(s, Url);
        writeString(s, ReservedStr2);
        writeString(s, ReservedStr3);
        writeInteger(s, Cursor);
        writeString(s, ExpressionDelimiters);
    } else {
        writeTextBlock(s, Memo1);
        writeByte(s, static_cast<std::uint8_t>(BrushStyle));
        writeInteger(s, Cursor);
        writeString(s, EventBinding("OnPreviewClick"));
        writeString(s, Url);
    }
}

void TKSReportView::WriteObjectRecord(platform::Stream& s)
{
    writeByte(s, ObjectType);
    if (ObjectType == ksgtAddIn)
        writeString(s, className());
    bool form = PreparedForm;
    PreparedForm = true;
    try {
        SaveToStream(s);
    } catch (...) {
        PreparedForm = form;
        throw;
    }
    PreparedForm = form;
}

void TKSReportView::ExpandMemoLines()
{
    Memo1.clear();
    if (ParentReport && ParentReport->AppendBlanking())
        return;
    AppendExpandedLines();
}

void TKSReportView::AppendExpandedLines()
{
    for (const std::string& line : Memo) {
        if (line.empty()) {
            Memo1.emplace_back();
            continue;
        }
        std::vector<std::string> lines = splitLines(Flag(ksf::TextOnly) ? line : ExpandText(line));
        if (lines.empty())
            lines.emplace_back();
        Memo1.insert(Memo1.end(), lines.begin(), lines.end());
    }
}

void TKSReportView::PlaceOnEndPage(platform::Stream& s)
{
    AlignInBand(ParentReport ? ParentReport->DrawingCanvas() : Canvas);
    Memo1 = Memo;
    platform::EventArgs none;
    OnBeforePrint(this, none);
    ExpandMemoLines();
    if (BoundField && BoundField->IsBinary())
        GetBlob();
    if (ParentReport)
        ParentReport->FireBeforePrint(Memo1, *this);
    if (!Visible)
        return;
    WriteObjectRecord(s);
}

void TKSReportView::Draw(platform::Canvas& canvas)
{
    AlignInBand(&canvas);
    BeginDraw();
    ShowBackground();
    ShowFrame();
    EndDraw();
}
