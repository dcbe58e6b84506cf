// TKSCustomBandView and TKSBand: fields, setters, the band's stream part, script
// names and the dataset binding around a report run.
#include "objects/band.h"

#include "core/streamio.h"
#include "objects/custompage.h"

#include <charconv>

using platform::Variant;

namespace {

std::string trimmed(std::string text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

// A whole number filling the text, or nothing.
std::optional<long long> wholeNumber(std::string_view text)
{
    long long n = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return n;
}

bool startsWithDigit1to9(std::string_view text) { return !text.empty() && text[0] >= '1' && text[0] <= '9'; }

} // namespace

TKSCustomBandView::TKSCustomBandView()
{
    IsBand = true;
    ObjectType = ksgtBandFirst;
    BaseName = "BandView";
    SetFlag(ksbf::PrintColumnFirst, true);
}

std::string TKSCustomBandView::Converted(std::string text) const
{
    if (!Building() || text.empty())
        return text;
    return ParentReport->ConvertExpression(text);
}

void TKSCustomBandView::SetDataSetName(std::string value)
{
    value = trimmed(std::move(value));
    if (!value.empty() && (value[0] == '-' || startsWithDigit1to9(value))) {
        // A record count; an invalid one leaves name and kind as they were.
        auto n = wholeNumber(value);
        if (!n || *n <= 0 || *n > 0x7FFFFFFF)
            return;
        DataSetIsCount = true;
    } else {
        DataSetIsCount = false;
    }
    dataSetName_ = std::move(value);
}

void TKSCustomBandView::SetCrossDataSetName(std::string value)
{
    CrossDataSetIsCount = startsWithDigit1to9(value);
    crossDataSetName_ = std::move(value);
}

void TKSCustomBandView::SetNewPageCondition(std::string value) { newPageCondition_ = Converted(trimmed(std::move(value))); }
void TKSCustomBandView::SetPrintCondition(std::string value) { printCondition_ = Converted(trimmed(std::move(value))); }
void TKSCustomBandView::SetOutlineText(std::string value) { outlineText_ = Converted(trimmed(std::move(value))); }
void TKSCustomBandView::SetChildBand(std::string value) { childBand_ = trimmed(std::move(value)); }
void TKSCustomBandView::SetMasterBandName(std::string value) { masterBandName_ = trimmed(std::move(value)); }
void TKSCustomBandView::SetDataBandName(std::string value) { dataBandName_ = trimmed(std::move(value)); }
void TKSCustomBandView::SetRangeEndCount(int value) { rangeEndCount_ = value; }

void TKSCustomBandView::LoadFromStream(platform::Stream& s)
{
    TKSReportView::LoadFromStream(s);
    unsigned w = readWord(s);
    SetDataSetName(readString(s));
    SetCrossDataSetName(readString(s));
    (void)readBoolean(s);
    readFont(s, Font);
    LinesPerPage = readInteger(s);
    newPageCondition_ = readString(s);
    masterBandName_ = readString(s);
    RangeBegin = static_cast<TKSRangeBegin>(readByte(s));
    RangeEnd = static_cast<TKSRangeEnd>(readByte(s));
    rangeEndCount_ = readInteger(s);
    mmColumnGap = readInteger(s);
    Columns = readInteger(s);
    mmColumnWidth = readInteger(s);
    printCondition_ = readString(s);
    mmColumnOffset = w >= 1 ? readInteger(s) : 0;
    childBand_ = w >= 2 ? readString(s) : std::string();
    Flags2 = 0;
    dataBandName_.clear();
    if (w >= 3) {
        Flags2 = readLongWord(s);
        dataBandName_ = readString(s);
    }
    outlineText_ = w >= 5 ? readString(s) : std::string();
    if (w < 4 && (BandType == ksbtMasterData || BandType == ksbtDetailData))
        printCondition_.clear();
}

void TKSCustomBandView::SaveToStream(platform::Stream& s)
{
    TKSReportView::SaveToStream(s);
    writeWord(s, kPartVersion);
    writeString(s, dataSetName_);
    writeString(s, crossDataSetName_);
    writeBoolean(s, false);
    writeFont(s, Font);
    writeInteger(s, LinesPerPage);
    writeString(s, newPageCondition_);
    writeString(s, masterBandName_);
    writeByte(s, RangeBegin);
    writeByte(s, RangeEnd);
    writeInteger(s, rangeEndCount_);
    writeInteger(s, mmColumnGap);
    writeInteger(s, Columns);
    writeInteger(s, mmColumnWidth);
    writeString(s, printCondition_);
    writeInteger(s, mmColumnOffset);
    writeString(s, childBand_);
    writeLongWord(s, Flags2);
    writeString(s, dataBandName_);
    writeString(s, outlineText_);
}

// --- TKSBand -------------------------------------------------------------------

TKSBand::TKSBand() { Visible = true; }

TKSBand::~TKSBand() = default;

void TKSBand::ResetArrangement()
{
    BandObjects.clear();
    ChildSubReports.clear();
    ResolvedChild = nullptr;
    Header = Footer = Master = GroupFooter = GroupHeader = nullptr;
    DetailLevel = GroupLevel = 0;
    FirstGroup = false;
    Groups.clear();
    GroupValue = platform::Variant();
    LastPageIndex = -1;
    PageRows = 0;
    LineNo = LineThrough = 1;
    KeepOpened = Reprint = Splitting = false;
}

void TKSBand::SetChildBand(std::string value)
{
    TKSCustomBandView::SetChildBand(std::move(value));
    ResolvedChild = nullptr;
    if (Building() && ParentPage)
        ResolvedChild = dynamic_cast<TKSBandChild*>(ParentPage->FindObject(childBand_));
}

void TKSBand::SetRangeEndCount(int value)
{
    if (value == rangeEndCount_)
        return;
    rangeEndCount_ = value;
    if (Building() && (RangeEnd != ksreDefault || DataSetIsCount) && value > 0 && Dataset)
        Dataset->RangeEndCount = value;
}

bool TKSBand::GetPropValue(std::string_view name, const TKSPropArgs& args, Variant& value)
{
    if (name == "ROWNO")
        value = RowNo;
    else if (name == "ROWCOUNT")
        value = RowCount;
    else if (name == "CURRENTCOLUMN")
        value = CurrentColumn;
    else if (name == "COLUMNS")
        value = Columns;
    else
        return TKSCustomBandView::GetPropValue(name, args, value);
    return true;
}

platform::Object* TKSBand::GetPropObject(std::string_view name)
{
    if (name == "DATASET")
        return dynamic_cast<platform::Object*>(Dataset);
    return TKSCustomBandView::GetPropObject(name);
}

namespace {

// A dataset for a band: a new count dataset, or the named one of the report.
TKSBandDataset* resolve(TKSReportContext& report, const std::string& name, bool isCount,
                        std::unique_ptr<TKSBandDataset>& own)
{
    own.reset();
    if (isCount) {
        own = report.CreateCountDataset();
        if (own) {
            own->RangeEnd = ksreCount;
            own->RangeEndCount = static_cast<int>(wholeNumber(trimmed(name)).value_or(0));
        }
        return own.get();
    }
    return name.empty() ? nullptr : report.FindDataset(name);
}

} // namespace

void TKSBand::Prepare()
{
    newPageCondition_ = ParentReport && !newPageCondition_.empty() ? ParentReport->ConvertExpression(newPageCondition_)
                                                                   : newPageCondition_;
    CurrentColumn = 1;
    PassCounter = 0;
    if (!ParentReport)
        return;
    TKSReportContext& report = *ParentReport;
    SetDataSetName(report.TranslateAlias(dataSetName_));
    SetCrossDataSetName(report.TranslateAlias(crossDataSetName_));
    // Conditions and the outline text are evaluated once per row: convert them once.
    if (!printCondition_.empty())
        printCondition_ = report.ConvertExpression(printCondition_);
    if (!outlineText_.empty())
        outlineText_ = report.ConvertExpression(outlineText_);
    if (BandType == ksbtGroupHeader)
        return;
    ResolveDataset();
    if (report.HasError())
        return;
    if (BandType == ksbtMasterData && !Dataset) {
        Dataset = report.ReportDataset();
        try {
            if (Dataset)
                Dataset->Init();
        } catch (const std::exception& e) {
            report.ReportError(e.what());
        }
    }
    ApplyRange();
}

void TKSBand::ResolveDataset()
{
    try {
        Dataset = resolve(*ParentReport, dataSetName_, DataSetIsCount, ownDataset_);
        if (Dataset)
            Dataset->Init();
    } catch (const std::exception& e) {
        ParentReport->ReportError(e.what());
    }
}

void TKSBand::ApplyRange()
{
    rangeChanged_ = false;
    if (!Dataset)
        return;
    savedRangeBegin_ = Dataset->RangeBegin;
    savedRangeEnd_ = Dataset->RangeEnd;
    savedRangeEndCount_ = Dataset->RangeEndCount;
    rangeChanged_ = true;
    if (RangeBegin != ksrbDefault)
        Dataset->RangeBegin = RangeBegin;
    if (RangeEnd != ksreDefault && !DataSetIsCount)
        Dataset->RangeEnd = RangeEnd;
    if (rangeEndCount_ > 0)
        Dataset->RangeEndCount = rangeEndCount_;
}

void TKSBand::PrepareCrossDataset()
{
    if (!ParentReport)
        return;
    try {
        CrossDataset = resolve(*ParentReport, crossDataSetName_, CrossDataSetIsCount, ownCrossDataset_);
        if (CrossDataset)
            CrossDataset->Init();
    } catch (const std::exception& e) {
        ParentReport->ReportError(e.what());
    }
}

void TKSBand::Unprepare()
{
    if (Dataset && rangeChanged_) {
        Dataset->RangeBegin = savedRangeBegin_;
        Dataset->RangeEnd = savedRangeEnd_;
        Dataset->RangeEndCount = savedRangeEndCount_;
    }
    rangeChanged_ = false;
    ReleaseDatasets();
}

void TKSBand::ReleaseDatasets()
{
    if (Dataset)
        Dataset->Exit();
    if (CrossDataset)
        CrossDataset->Exit();
    Dataset = CrossDataset = nullptr;
    ownDataset_.reset();
    ownCrossDataset_.reset();
}
