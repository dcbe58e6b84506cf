// TKSCustomMemoView and TKSMemoView: construction, published and named properties,
// the stream part of both forms, and turning Memo into Memo1 (values and formats).
#include "objects/memo.h"

#include "core/streamio.h"
#include "core/textutil.h"
#include "expr/displayformat.h"
#include "objects/band.h"
#include "objects/viewfactory.h"

using platform::ClassInfo;
using platform::Variant;

namespace {

const platform::EnumType& rotationTypeType()
{
    static const platform::EnumType t("TKSRotationType", {"ksrtNone", "ksrt90", "ksrt180", "ksrt270", "ksrt360"});
    return t;
}
const platform::EnumType& scaleFontTypeType()
{
    static const platform::EnumType t("TKSScaleFontType", {"ksstNone", "ksstByWidth", "ksstByHeight"});
    return t;
}
const platform::EnumType& hAlignType()
{
    static const platform::EnumType t("TKSHAlign", {"kshLeft", "kshCenter", "kshRight", "kshEuqal"});
    return t;
}
const platform::EnumType& vAlignType()
{
    static const platform::EnumType t("TKSVAlign", {"ksvTop", "ksvCenter", "ksvBottom"});
    return t;
}

// The text without its final line break, for "LASTVALUE".
std::string withoutFinalBreak(const std::string& text)
{
    return text.size() >= 2 ? text.substr(0, text.size() - 2) : std::string();
}

} // namespace

const ClassInfo& TKSRepeatedOptions::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TKSRepeatedOptions>("TKSRepeatedOptions",
                                                                        &platform::Persistent::staticClassInfo())
        .prop("MasterMemoView", &TKSRepeatedOptions::MasterMemoView)
        .prop("SuppressRepeated", &TKSRepeatedOptions::SuppressRepeated)
        .prop("MergeRepeated", &TKSRepeatedOptions::MergeRepeated)
        .prop("MergeStretchedHeight", &TKSRepeatedOptions::MergeStretchedHeight);
    return info;
}

void TKSRepeatedOptions::assign(const platform::Persistent& source)
{
    auto* other = dynamic_cast<const TKSRepeatedOptions*>(&source);
    if (!other) {
        platform::Persistent::assign(source);
        return;
    }
    MasterMemoView = other->MasterMemoView;
    SuppressRepeated = other->SuppressRepeated;
    MergeRepeated = other->MergeRepeated;
    MergeStretchedHeight = other->MergeStretchedHeight;
}

const ClassInfo& TKSCustomMemoView::staticClassInfo()
{
    static const ClassInfo info = [] {
        using M = TKSCustomMemoView;
        auto b = ClassInfo::define<M>("TKSCustomMemoView", &TKSStretcheableView::staticClassInfo());
        b.object("Highlight", TKSHighlight::staticClassInfo(),
                 [](const M& m) -> platform::Object* { return const_cast<TKSHighlight*>(&m.Highlight); });
        b.object("Font", platform::FontObject::staticClassInfo(),
                 [](const M& m) -> platform::Object* { return const_cast<M&>(m).FontObject(); },
                 [](M& m, platform::Object* font) { m.SetFontObject(dynamic_cast<const platform::FontObject*>(font)); });
        addCommonViewProperties<M>(b);
        addFlagProperty<M>(b, "PrintFrame", ksf::PrintFrame);
        addFlagProperty<M>(b, "Printable", ksf::Printable);
        addFlagProperty<M>(b, "HideZeros", ksf::HideZeros);
        addFlagProperty<M>(b, "MangeTag", ksf::MangeTag);
        addFlagProperty<M>(b, "TextOnly", ksf::TextOnly);
        addFlagProperty<M>(b, "ParentHeight", ksf::ParentHeight);
        addFlagProperty<M>(b, "ParentWidth", ksf::ParentWidth);
        addFlagProperty<M>(b, "DBFieldOnly", ksf::DBFieldOnly);
        addFlagProperty<M>(b, "Underlines", ksf::Underlines);
        b.prop("GapLeft", &M::GapLeft, &M::SetGapLeft)
            .prop("GapTop", &M::GapTop, &M::SetGapTop)
            .prop("LineSpacing", &M::LineSpacing)
            .prop("CharacterSpacing", &M::CharacterSpacing)
            .enumeration("HAlign", hAlignType(), &M::HAlign)
            .enumeration("VAlign", vAlignType(), &M::VAlign)
            .prop("DisplayFormat", [](const M& m) { return m.DisplayFormat; }, &M::SetDisplayFormat)
            .prop("DisplayBeginLine", &M::DisplayBeginLine)
            .prop("DisplayEndLine", &M::DisplayEndLine)
            .event("OnBeforeCalc", "TNotifyEvent", &M::OnBeforeCalc)
            .event("OnAfterCalc", "TNotifyEvent", &M::OnAfterCalc)
            .event("OnPreviewClick", "TKSPreviewClickEvent", &M::OnPreviewClick);
        return b;
    }();
    return info;
}

const ClassInfo& TKSMemoView::staticClassInfo()
{
    static const ClassInfo info = [] {
        using M = TKSMemoView;
        auto b = ClassInfo::define<M>("TKSMemoView", &TKSCustomMemoView::staticClassInfo());
        b.enumeration("RotationType", rotationTypeType(), &M::RotationType)
            .enumeration("ScaleFontType", scaleFontTypeType(), &M::ScaleFontType)
            .prop("FontScaleWidth", &M::FontScaleWidth)
            .object("RepeatedOptions", TKSRepeatedOptions::staticClassInfo(),
                    [](const M& m) -> platform::Object* { return const_cast<TKSRepeatedOptions*>(&m.RepeatedOptions); });
        addFlagProperty<M>(b, "WordWrap", ksf::WordWrap);
        addFlagProperty<M>(b, "WordBreak", ksf::WordBreak);
        addFlagProperty<M>(b, "AutoWidth", ksf::AutoWidth);
        addFlagProperty<M>(b, "PrintAtAppendBlank", ksf::PrintAtAppendBlank);
        addFlagProperty<M>(b, "ExportAsNumber", ksf::ExportAsNumber);
        b.prop("DataField", [](const M& m) { return m.Memo.empty() ? std::string() : m.Memo.front(); },
               [](M& m, std::string text) { m.Memo = splitLines(text); });
        return b;
    }();
    return info;
}

TKSCustomMemoView::TKSCustomMemoView()
{
    ObjectType = ksgtMemo;
    BaseName = "Memo";
    Font.setName("Arial");
    Font.setSize(10);
    Font.setColor(platform::clBlack);
    Font.setCharset(platform::kGbkCharset);
    Flags |= ksf::HideZeros;
    Flags &= ~(ksf::Stretched | ksf::WordWrap);
}

void TKSCustomMemoView::SetDisplayFormat(std::string text)
{
    TKSDisplayFormat format{FormatKind, FormatIndex, FormatDecimals, FormatSeparator};
    std::string pattern;
    DeriveDisplayFormat(text, format, pattern);
    FormatKind = format.FormatKind;
    FormatIndex = format.FormatIndex;
    FormatDecimals = format.FormatDecimals;
    FormatSeparator = format.FormatSeparator;
    DisplayFormat = std::move(text);
}

bool TKSCustomMemoView::GetPropValue(std::string_view name, const TKSPropArgs& args, Variant& value)
{
    if (name == "LASTVALUE") {
        value = LastValue.empty() ? std::string() : withoutFinalBreak(LastValue);
        return true;
    }
    if (name == "VALUECHANGED" || name == "LASTVALUECHANGED") {
        value = ValueChanged;
        return true;
    }
    return TKSStretcheableView::GetPropValue(name, args, value);
}

bool TKSCustomMemoView::SetPropValue(std::string_view name, const Variant& value)
{
    if (name == "LASTVALUE") {
        LastValue = value.toString();
        return true;
    }
    if (name == "VALUECHANGED" || name == "LASTVALUECHANGED") {
        ValueChanged = value.toBool();
        return true;
    }
    return TKSStretcheableView::SetPropValue(name, value);
}

void TKSCustomMemoView::Prepare()
{
    ValueChanged = false;
    if (ParentReport && ParentReport->DoublePass() && ParentReport->FinalPass())
        return;
    MakeFontHeightNegative();
    MasterMemo = nullptr;
    if (RepeatedOptions.MergeRepeated && ParentReport && !RepeatedOptions.MasterMemoView.empty()) {
        auto* master = dynamic_cast<TKSCustomMemoView*>(ParentReport->FindObject(RepeatedOptions.MasterMemoView));
        if (master != this)
            MasterMemo = master;
    }
}

void TKSCustomMemoView::MakeFontHeightNegative()
{
    if (Font.height() > 0)
        Font.setHeight(-Font.height());
}

// ---------------------------------------------------------------- stream part

void TKSCustomMemoView::LoadFromStream(platform::Stream& s)
{
    TKSStretcheableView::LoadFromStream(s);
    unsigned version = readWord(s);
    readFont(s, Font);
    HAlign = static_cast<TKSHAlign>(readByte(s));
    VAlign = static_cast<TKSVAlign>(readByte(s));
    LineSpacing = readInteger(s);
    CharacterSpacing = readInteger(s);
    RepeatedOptions.MasterMemoView = readString(s);
    RepeatedOptions.MergeRepeated = Flag(ksf::MergeRepeated);
    RepeatedOptions.SuppressRepeated = Flag(ksf::SuppressRepeated);
    RotationType = static_cast<TKSRotationType>(readByte(s));
    ScaleFontType = static_cast<TKSScaleFontType>(readByte(s));
    FontScaleWidth = readInteger(s);
    if (!PreparedForm) {
        Highlight.Color = readColour(s);
        Highlight.Condition = readString(s);
        readFont(s, Highlight.Font);
        if (version > 2)
            RepeatedOptions.MergeStretchedHeight = readBoolean(s);
    } else if (version == 0) {
        readInteger(s);
        std::int32_t count = readInteger(s);
        if (count < 0 || std::int64_t(count) * 4 > s.size() - s.position())
            throw platform::StreamError("Stream read error");
        for (std::int32_t i = 0; i < count; ++i)
            readInteger(s);
    }
    if (version >= 2) {
        DisplayBeginLine = readInteger(s);
        DisplayEndLine = readInteger(s);
    } else {
        DisplayBeginLine = DisplayEndLine = -1;
    }
}

void TKSCustomMemoView::SaveToStream(platform::Stream& s)
{
    SetFlag(ksf::MergeRepeated, RepeatedOptions.MergeRepeated);
    SetFlag(ksf::SuppressRepeated, RepeatedOptions.SuppressRepeated);
    TKSStretcheableView::SaveToStream(s);
    writeWord(s, kStreamVersion);
    writeFont(s, Font);
    writeByte(s, HAlign);
    writeByte(s, VAlign);
    writeInteger(s, LineSpacing);
    writeInteger(s, CharacterSpacing);
    writeString(s, RepeatedOptions.MasterMemoView);
    writeByte(s, RotationType);
    writeByte(s, ScaleFontType);
    writeInteger(s, FontScaleWidth);
    if (!PreparedForm) {
        writeColour(s, Highlight.Color);
        writeString(s, Highlight.Condition);
        writeFont(s, Highlight.Font);
        writeBoolean(s, RepeatedOptions.MergeStretchedHeight);
    }
    writeInteger(s, DisplayBeginLine);
    writeInteger(s, DisplayEndLine);
}

// ---------------------------------------------------------------- expansion

std::string TKSCustomMemoView::ExpressionValueText(std::string_view expression)
{
    if (!ParentReport)
        return {};
    TKSDisplayFormat format{FormatKind, FormatIndex, FormatDecimals, FormatSeparator};
    std::string pattern;
    DeriveDisplayFormat(DisplayFormat, format, pattern);
    std::size_t inlineAt = expression.find(" #");
    if (inlineAt == std::string_view::npos)
        inlineAt = expression.find(" :");
    if (inlineAt != std::string_view::npos) {
        DeriveDisplayFormat(expression.substr(inlineAt + 2), format, pattern);
        expression = expression.substr(0, inlineAt);
    }
    if (ParentReport->AppendBlanking())
        return {};
    IsTextValue = true;
    Variant value = ParentReport->EvaluateExpression(*this, expression);
    if (Flag(ksf::HideZeros)) {
        if (value.isString()) {
            if (value.toString() == "0")
                value = std::string();
        } else {
            try {
                if (!value.isNull() && !value.isEmpty() && platform::compare(platform::VarCompare::Equal, value, Variant(0))) {
                    value = std::string();
                    IsTextValue = false;
                }
            } catch (const std::exception&) {
                // a value that does not compare with a number is simply not a zero
            }
        }
    }
    return FormatDisplayValue(value, format, pattern);
}

void TKSCustomMemoView::CalcText()
{
    if (DrawMode != ksdmAll)
        return;
    platform::EventArgs none;
    OnBeforeCalc(this, none);
    bool expand = true;
    if (OnBeforePrint) {
        std::vector<std::string> remembered = Memo;
        OnBeforePrint(this, none);
        if (Memo != remembered) {
            Memo1 = Memo;
            Memo = std::move(remembered);
            expand = false;
        }
    }
    if (expand && ParentReport) {
        Memo1 = Memo;
        if (BoundField && BoundField->IsBinary())
            GetBlob();
        std::vector<std::string> before = Memo1;
        ParentReport->FireBeforePrint(Memo1, *this);
        expand = Memo1 == before;
    }
    if (expand)
        ExpandMemo();
    OnAfterCalc(this, none);
}

void TKSCustomMemoView::ExpandMemo()
{
    Memo1.clear();
    bool blanking = ParentReport && ParentReport->AppendBlanking();
    bool dataBand = ParentBand && (ParentBand->BandType == ksbtMasterData || ParentBand->BandType == ksbtDetailData);
    if (blanking && dataBand && !Flag(ksf::PrintAtAppendBlank))
        return;
    if (Flag(ksf::DBFieldOnly) && BoundField) {
        Variant value = BoundField->IsNull() ? Variant() : Variant(BoundField->Text());
        if (Flag(ksf::HideZeros) && value.isString() && value.toString() == "0")
            value = std::string();
        TKSDisplayFormat format{FormatKind, FormatIndex, FormatDecimals, FormatSeparator};
        std::string pattern;
        DeriveDisplayFormat(DisplayFormat, format, pattern);
        Memo1 = splitLines(FormatDisplayValue(value, format, pattern));
    } else {
        AppendExpandedLines();
    }
    if (Memo1.size() == 1 && Memo1.front().empty())
        Memo1.clear();
}

void TKSCustomMemoView::GetBlob()
{
    if (BoundField && !(ParentReport && ParentReport->AppendBlanking()))
        Memo1 = splitLines(BoundField->Text());
}

void RegisterMemoView()
{
    RegisterViewType(ksgtMemo, [] { return std::make_unique<TKSMemoView>(); });
}
