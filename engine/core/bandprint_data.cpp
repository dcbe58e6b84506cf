// TKSReportPage: the data loops: master and detail bands once per record, with
// their headers and footers, groups, conditions and blank filler rows.
#include "core/report.h"
#include "core/reportpage.h"
#include "expr/parser.h"
#include "objects/band.h"

#include <algorithm>

namespace {

bool sameGroupValue(const platform::Variant& a, const platform::Variant& b)
{
    if (a.isNull() || b.isNull() || a.isEmpty() || b.isEmpty())
        return (a.isNull() || a.isEmpty()) == (b.isNull() || b.isEmpty()) && a.isNull() == b.isNull();
    return a.toString() == b.toString();
}

bool hasDetailsOf(const std::vector<TKSBand*>& details, const TKSBand& master)
{
    return std::any_of(details.begin(), details.end(), [&](const TKSBand* d) { return d->Master == &master; });
}

} // namespace

bool TKSReportPage::conditionHolds(const std::string& expression, bool nullResult)
{
    platform::Variant value = Report()->EvaluateConverted(expression);
    if (value.isNull())
        return nullResult;
    return TKSParser::IsTrue(value);
}

void TKSReportPage::queueBand(TKSBand* band)
{
    if (band)
        printQueue_.push_back(band);
}

void TKSReportPage::printQueue()
{
    std::vector<TKSBand*> queue;
    queue.swap(printQueue_);
    for (TKSBand* band : queue)
        PrintBand(band);
}

void TKSReportPage::dataLoop(int level, TKSBand* caller)
{
    TKSReport& report = *Report();
    OutlineLevel = level - 1;
    const auto& list = BandLists[level == 1 ? ksbtMasterData : ksbtDetailData];
    bool first = true;
    for (TKSBand* band : list) {
        if (report.Terminated || report.ErrorFlag)
            break;
        if (band->DetailLevel != level || (level > 1 && band->Master != caller))
            continue;
        const bool firstBand = first;
        first = false;
        TKSBandDataset* data = band->Dataset;
        if (!data)
            continue;
        data->Open();
        data->First();
        band->LineNo = band->LineThrough = 1;
        for (TKSBand* group : band->Groups)
            group->LineNo = group->LineThrough = 0;
        if (data->Eof() && !band->Flag(ksbf::PrintIfEmpty))
            continue;
        const bool keep = (level > 1 || !firstBand) && band->Flag2(ksbf2::KeepTogether) &&
                          !band->Flag(ksbf::NewPageAfter);
        if (keep)
            OpenKeepBlock();
        recordLoop(*band, level);
        if (keep)
            CloseKeepBlock();
    }
}

void TKSReportPage::recordLoop(TKSBand& band, int level)
{
    TKSReport& report = *Report();
    TKSBandDataset& data = *band.Dataset;
    for (TKSBand* group : band.Groups) {
        ++group->LineNo;
        ++group->LineThrough;
        group->CurrentColumn = 1;
        queueBand(group);
        group->GroupValue = group->PrintCondition().empty() ? platform::Variant()
                                                             : report.EvaluateConverted(group->PrintCondition());
    }
    if (band.Header) {
        band.Header->CurrentColumn = 1;
        queueBand(band.Header);
    }
    // Aggregates of the band's footer are reset here once they exist.
    const bool withDetails = level < MaxDetailLevel && hasDetailsOf(BandLists[ksbtDetailData], band);
    int processed = 0;
    bool groupChanged = false;
    while (!data.Eof() && !report.Terminated && !report.ErrorFlag) {
        ++processed;
        report.CurLine = band.LineNo;
        report.CurLineThrough = band.LineThrough;
        report.CurPosition = RowCounter;
        band.RowNo = band.LineNo;
        band.RowCount = band.LineThrough;
        bool printed = false;
        if (band.PrintCondition().empty() || conditionHolds(band.PrintCondition(), true)) {
            queueBand(&band);
            printed = true;
            if (withDetails) {
                if (band.Flag(ksbf::PrintIfSubsetEmpty))
                    printQueue();
                dataLoop(level + 1, &band);
                OutlineLevel = level - 1;
                // Calculated memos of the band are recalculated here in a first pass once they exist.
                auto self = std::find(printQueue_.begin(), printQueue_.end(), &band);
                if (self != printQueue_.end()) {
                    if (band.Flag(ksbf::PrintIfSubsetEmpty)) {
                        printQueue();
                    } else {
                        printQueue_.erase(self);
                        printed = false;
                    }
                }
            } else {
                printQueue();
            }
        }
        data.Next();
        groupChanged = checkGroups(band);
        if (!groupChanged && !band.NewPageCondition().empty() && !data.Eof() &&
            conditionHolds(band.NewPageCondition(), false)) {
            appendBlankRows(band, 0);
            printQueue();
            NewColumn(&band);
        }
        if (printed) {
            ++RowCounter;
            ++band.LineThrough;
            ++band.LineNo;
            if (!data.Eof() && band.Visible && band.Flag(ksbf::NewPageAfter))
                NewColumn(&band);
        }
    }
    if (processed > 0 && !printQueue_.empty()) {
        // Headers whose rows never printed are dropped, and with them the footer.
        printQueue_.clear();
        return;
    }
    printQueue();
    if (!groupChanged) {
        int reserve = band.Footer ? band.Footer->mmHeight : 0;
        const auto& list = BandLists[band.BandType];
        if (TKSBand* summary = FirstBand(ksbtReportSummary); summary && !list.empty() && list.back() == &band)
            reserve += summary->mmHeight;
        appendBlankRows(band, reserve);
    }
    PrintBand(band.Footer);
}

bool TKSReportPage::checkGroups(TKSBand& band)
{
    if (band.Groups.empty())
        return false;
    TKSReport& report = *Report();
    TKSBandDataset& data = *band.Dataset;
    const bool eof = data.Eof();
    std::size_t changed = band.Groups.size();
    for (std::size_t i = 0; i < band.Groups.size(); ++i) {
        TKSBand* group = band.Groups[i];
        if (eof || !sameGroupValue(report.EvaluateConverted(group->PrintCondition()), group->GroupValue)) {
            changed = i;
            break;
        }
    }
    if (changed == band.Groups.size())
        return false;
    int reserve = 0;
    for (std::size_t j = changed; j < band.Groups.size(); ++j)
        if (TKSBand* footer = band.Groups[j]->GroupFooter; footer && footer->Visible)
            reserve += footer->mmHeight;
    appendBlankRows(band, reserve);
    data.Prior();  // footers see the group's last record
    for (std::size_t j = band.Groups.size(); j-- > changed;) {
        TKSBand* footer = band.Groups[j]->GroupFooter;
        footer->LineNo = footer->LineThrough = 1;
        queueBand(footer);
    }
    printQueue();
    data.Next();
    if (eof)
        return true;
    if (band.Groups[changed]->Flag(ksbf::NewPageAfter))
        NewPage();
    for (std::size_t j = changed; j < band.Groups.size(); ++j) {
        TKSBand* group = band.Groups[j];
        ++group->LineNo;
        ++group->LineThrough;
        group->CurrentColumn = 1;
        group->GroupValue = report.EvaluateConverted(group->PrintCondition());
        queueBand(group);
    }
    band.LineNo = 1;
    return true;
}

void TKSReportPage::appendBlankRows(TKSBand& band, int reserve)
{
    if (!band.Flag(ksbf::AutoAppendBlank) || band.mmHeight <= 0 || !band.Visible)
        return;
    TKSReport& report = *Report();
    const int page = report.PreparedPageNo;
    report.SetAppendBlanking(true);
    try {
        while (!report.Terminated && report.PreparedPageNo == page) {
            const int perPage = band.LinesPerPage * (band.Flag(ksbf::PrintColumnFirst) ? std::max(band.Columns, 1) : 1);
            if (band.LinesPerPage > 0 && band.PageRows >= perPage)
                break;
            if (BottomLimit - columnFooterHeight() < CurY + band.mmHeight + reserve)
                break;
            PrintBand(&band);
        }
    } catch (...) {
        report.SetAppendBlanking(false);
        throw;
    }
    report.SetAppendBlanking(false);
}
