// The seventeen band classes: type codes, base names, defaults and the
// published properties of each, plus creation by band type.
#include "objects/band.h"

#include <array>
#include <initializer_list>
#include <string_view>

using platform::ClassInfo;

namespace {

struct BandKind {
    std::uint8_t objectType;
    const char* baseName;
};

// Indexed by band type.
constexpr std::array<BandKind, 17> kBandKinds = {{
    {50, "ReportTitle"}, {51, "ReportSummary"}, {52, "PageHeader"}, {53, "PageFooter"}, {56, "Header"},
    {57, "Footer"}, {60, "MasterData"}, {61, "DetailData"}, {66, "Overlay"}, {54, "ColumnHeader"},
    {55, "ColumnFooter"}, {58, "GroupHeader"}, {59, "GroupFooter"}, {63, "CrossHeader"}, {64, "CrossData"},
    {65, "CrossFooter"}, {62, "Child"},
}};

const platform::EnumType& rangeBeginType()
{
    static const platform::EnumType t("TKSRangeBegin", {"ksrbFirst", "ksrbCurrent", "ksrbDefault"});
    return t;
}

const platform::EnumType& rangeEndType()
{
    static const platform::EnumType t("TKSRangeEnd", {"ksreLast", "ksreCurrent", "ksreCount", "ksreDefault"});
    return t;
}

struct FlagName {
    std::string_view name;
    std::uint32_t bit;
    bool second;  // a Flags2 bit
};

constexpr FlagName kFlagNames[] = {
    {"NewPageAfter", ksbf::NewPageAfter, false}, {"PrintIfSubsetEmpty", ksbf::PrintIfSubsetEmpty, false},
    {"PageBreaked", ksbf::PageBreaked, false}, {"PrintOnFirstPage", ksbf::PrintOnFirstPage, false},
    {"PrintOnLastPage", ksbf::PrintOnLastPage, false}, {"ReprintOnNewPage", ksbf::ReprintOnNewPage, false},
    {"AutoAppendBlank", ksbf::AutoAppendBlank, false}, {"PrintColumnFirst", ksbf::PrintColumnFirst, false},
    {"ReprintOnNewColumn", ksbf::ReprintOnNewColumn, false}, {"PrintIfEmpty", ksbf::PrintIfEmpty, false},
    {"PrintAtDesignPos", ksbf::PrintAtDesignPos, false}, {"HideIfEmpty", ksbf::HideIfEmpty, false},
    {"PrintBeforeSummaryBand", ksbf::PrintBeforeSummaryBand, false},
    {"PrintChildIfInvisible", ksbf::PrintChildIfInvisible, false}, {"AlignToBottom", ksbf::AlignToBottom, false},
    {"Stretched", ksbf::Stretched, false}, {"KeepChild", ksbf2::KeepChild, true},
    {"KeepFooter", ksbf2::KeepFooter, true}, {"KeepTogether", ksbf2::KeepTogether, true},
    {"AdjustColumns", ksbf2::AdjustColumns, true},
};

using Band = TKSCustomBandView;

// Adds one published band property by name.
template <class T>
void addBandProperty(platform::ClassBuilder<T>& b, std::string_view name)
{
    for (const FlagName& f : kFlagNames) {
        if (f.name != name)
            continue;
        std::uint32_t bit = f.bit;
        if (f.second)
            b.prop(std::string(name), [bit](const Band& v) { return v.Flag2(bit); },
                   [bit](Band& v, bool on) { v.SetFlag2(bit, on); });
        else
            addFlagProperty<T>(b, std::string(name), bit);
        return;
    }
    std::string n(name);
    if (name == "ChildBand") b.prop(n, &Band::ChildBand, &Band::SetChildBand);
    else if (name == "OutlineText") b.prop(n, &Band::OutlineText, &Band::SetOutlineText);
    else if (name == "DataBandName") b.prop(n, &Band::DataBandName, &Band::SetDataBandName);
    else if (name == "DataSetName") b.prop(n, &Band::DataSetName, &Band::SetDataSetName);
    else if (name == "NewPageCondition") b.prop(n, &Band::NewPageCondition, &Band::SetNewPageCondition);
    else if (name == "MasterBandName" || name == "GroupHeaderBandName") b.prop(n, &Band::MasterBandName, &Band::SetMasterBandName);
    else if (name == "PrintCondition" || name == "GroupCondition") b.prop(n, &Band::PrintCondition, &Band::SetPrintCondition);
    else if (name == "ColumnGap") b.prop(n, &Band::ColumnGap, &Band::SetColumnGap);
    else if (name == "ColumnWidth") b.prop(n, &Band::ColumnWidth, &Band::SetColumnWidth);
    else if (name == "ColumnOffset") b.prop(n, &Band::ColumnOffset, &Band::SetColumnOffset);
    else if (name == "Columns") b.prop(n, [](const Band& v) { return v.Columns; }, [](Band& v, int c) { v.Columns = c; });
    else if (name == "LinesPerPage") b.prop(n, [](const Band& v) { return v.LinesPerPage; }, [](Band& v, int c) { v.LinesPerPage = c; });
    else if (name == "RangeEndCount") b.prop(n, &Band::RangeEndCount, &Band::SetRangeEndCount);
    else if (name == "RangeBegin") b.enumeration(n, rangeBeginType(), &Band::RangeBegin);
    else if (name == "RangeEnd") b.enumeration(n, rangeEndType(), &Band::RangeEnd);
}

template <class T>
ClassInfo bandInfo(const char* className, const ClassInfo& parent, std::initializer_list<std::string_view> names)
{
    auto b = ClassInfo::define<T>(className, &parent);
    for (std::string_view name : names)
        addBandProperty<T>(b, name);
    return ClassInfo(std::move(b));
}

} // namespace

const ClassInfo& TKSCustomBandView::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TKSCustomBandView>("TKSCustomBandView", &TKSReportView::staticClassInfo())
        .event("OnAfterPrint", "TNotifyEvent", &TKSCustomBandView::OnAfterPrint);
    return info;
}

const ClassInfo& TKSBand::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TKSBand>("TKSBand", &TKSCustomBandView::staticClassInfo());
    return info;
}

namespace {
// Defaults of particular band types beyond type, code and name.
void applyTypeDefaults(TKSBand& band)
{
    if (band.BandType == ksbtReportSummary)
        band.SetFlag(ksbf::PageBreaked, true);
    if (band.BandType == ksbtPageHeader || band.BandType == ksbtPageFooter)
        band.Flags |= ksbf::PrintOnFirstPage | ksbf::PrintOnLastPage;
    band.IsVertical = band.IsCross();
    band.ObjectType = kBandKinds[band.BandType].objectType;
    band.BaseName = kBandKinds[band.BandType].baseName;
}
} // namespace

#define TKS_BAND_INFO(Class, Parent, ...)                                                     \
    const ClassInfo& Class::staticClassInfo()                                                 \
    {                                                                                         \
        static const ClassInfo info = bandInfo<Class>(#Class, Parent::staticClassInfo(), {__VA_ARGS__}); \
        return info;                                                                          \
    }
#define TKS_BAND_CLASS(Class, Parent, type, ...) \
    TKS_BAND_INFO(Class, Parent, __VA_ARGS__)    \
    Class::Class()                               \
    {                                            \
        BandType = type;                         \
        applyTypeDefaults(*this);                \
    }

TKS_BAND_CLASS(TKSBandReportTitle, TKSBand, ksbtReportTitle, "HideIfEmpty", "Stretched", "PageBreaked", "ChildBand",
               "KeepChild", "PrintChildIfInvisible", "OutlineText")
TKS_BAND_CLASS(TKSBandReportSummary, TKSBand, ksbtReportSummary, "HideIfEmpty", "Stretched", "ChildBand", "KeepChild",
               "PrintChildIfInvisible", "AlignToBottom", "OutlineText")
TKS_BAND_CLASS(TKSBandPageHeader, TKSBand, ksbtPageHeader, "HideIfEmpty", "Stretched", "PageBreaked",
               "PrintOnFirstPage", "PrintOnLastPage", "PrintChildIfInvisible", "OutlineText")
TKS_BAND_CLASS(TKSBandPageFooter, TKSBand, ksbtPageFooter, "HideIfEmpty", "PrintOnFirstPage", "PrintOnLastPage",
               "PrintChildIfInvisible", "OutlineText")
TKS_BAND_CLASS(TKSBandColumnHeader, TKSBand, ksbtColumnHeader, "HideIfEmpty", "Stretched", "PageBreaked",
               "ReprintOnNewColumn", "PrintChildIfInvisible", "OutlineText")
TKS_BAND_CLASS(TKSBandColumnFooter, TKSBand, ksbtColumnFooter, "HideIfEmpty", "PrintBeforeSummaryBand",
               "PrintChildIfInvisible", "OutlineText")
TKS_BAND_CLASS(TKSBandHeader, TKSBand, ksbtHeader, "HideIfEmpty", "NewPageAfter", "Stretched", "PageBreaked",
               "ReprintOnNewPage", "ReprintOnNewColumn", "ChildBand", "KeepChild", "PrintChildIfInvisible",
               "DataBandName", "OutlineText")
TKS_BAND_CLASS(TKSBandFooter, TKSBand, ksbtFooter, "HideIfEmpty", "NewPageAfter", "Stretched", "PageBreaked",
               "ChildBand", "KeepChild", "PrintChildIfInvisible", "DataBandName", "OutlineText")
TKS_BAND_CLASS(TKSBandMasterData, TKSBand, ksbtMasterData, "PrintCondition", "HideIfEmpty", "NewPageAfter",
               "Stretched", "PageBreaked", "ColumnGap", "Columns", "ColumnWidth", "ColumnOffset", "DataSetName",
               "PrintIfSubsetEmpty", "PrintColumnFirst", "LinesPerPage", "AutoAppendBlank", "RangeBegin", "RangeEnd",
               "RangeEndCount", "PrintChildIfInvisible", "PrintIfEmpty", "NewPageCondition", "OutlineText",
               "AdjustColumns", "ChildBand", "KeepChild", "KeepFooter", "KeepTogether")
TKS_BAND_CLASS(TKSBandDetailData, TKSBandMasterData, ksbtDetailData, "MasterBandName")
TKS_BAND_CLASS(TKSBandGroupHeader, TKSBand, ksbtGroupHeader, "HideIfEmpty", "NewPageAfter", "Stretched",
               "PageBreaked", "GroupCondition", "ReprintOnNewPage", "ReprintOnNewColumn", "MasterBandName",
               "PrintChildIfInvisible", "OutlineText", "ChildBand", "KeepChild", "KeepTogether", "KeepFooter")
TKS_BAND_CLASS(TKSBandGroupFooter, TKSBand, ksbtGroupFooter, "NewPageAfter", "HideIfEmpty", "Stretched",
               "PageBreaked", "PrintChildIfInvisible", "GroupHeaderBandName", "ChildBand", "KeepChild", "OutlineText")
TKS_BAND_CLASS(TKSBandCrossHeader, TKSBand, ksbtCrossHeader, "ReprintOnNewPage", "Stretched", "PrintAtDesignPos")
TKS_BAND_CLASS(TKSBandCrossFooter, TKSBand, ksbtCrossFooter, "PrintAtDesignPos")
TKS_BAND_CLASS(TKSBandOverlay, TKSBand, ksbtOverlay, "PrintChildIfInvisible")
TKS_BAND_CLASS(TKSBandChild, TKSBand, ksbtChild, "NewPageAfter", "PrintChildIfInvisible", "ChildBand", "KeepChild",
               "OutlineText")

const ClassInfo& TKSBandCrossData::staticClassInfo()
{
    static const ClassInfo info = [] {
        auto b = ClassInfo::define<TKSBandCrossData>("TKSBandCrossData", &TKSBand::staticClassInfo());
        b.prop("DataSource", &TKSBandCrossData::DataSource).notStored();
        for (std::string_view name : {"PrintAtDesignPos", "AutoAppendBlank", "ColumnGap", "Columns"})
            addBandProperty<TKSBandCrossData>(b, name);
        return b;
    }();
    return info;
}

TKSBandCrossData::TKSBandCrossData()
{
    BandType = ksbtCrossData;
    applyTypeDefaults(*this);
}

std::unique_ptr<TKSBand> CreateBand(int bandType)
{
    switch (bandType) {
    case ksbtReportTitle: return std::make_unique<TKSBandReportTitle>();
    case ksbtReportSummary: return std::make_unique<TKSBandReportSummary>();
    case ksbtPageHeader: return std::make_unique<TKSBandPageHeader>();
    case ksbtPageFooter: return std::make_unique<TKSBandPageFooter>();
    case ksbtHeader: return std::make_unique<TKSBandHeader>();
    case ksbtFooter: return std::make_unique<TKSBandFooter>();
    case ksbtMasterData: return std::make_unique<TKSBandMasterData>();
    case ksbtDetailData: return std::make_unique<TKSBandDetailData>();
    case ksbtOverlay: return std::make_unique<TKSBandOverlay>();
    case ksbtColumnHeader: return std::make_unique<TKSBandColumnHeader>();
    case ksbtColumnFooter: return std::make_unique<TKSBandColumnFooter>();
    case ksbtGroupHeader: return std::make_unique<TKSBandGroupHeader>();
    case ksbtGroupFooter: return std::make_unique<TKSBandGroupFooter>();
    case ksbtCrossHeader: return std::make_unique<TKSBandCrossHeader>();
    case ksbtCrossData: return std::make_unique<TKSBandCrossData>();
    case ksbtCrossFooter: return std::make_unique<TKSBandCrossFooter>();
    case ksbtChild: return std::make_unique<TKSBandChild>();
    default: return nullptr;
    }
}

int BandObjectType(int bandType)
{
    return bandType >= 0 && bandType < static_cast<int>(kBandKinds.size()) ? kBandKinds[bandType].objectType : 0;
}
