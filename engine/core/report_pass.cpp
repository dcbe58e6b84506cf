// TKSReport: the page loop of one pass: dialog pages, preparing the report
// pages, building each visible page (per record of a multiple report), and
// finishing, fitting and centring the last prepared page.
#include "core/dataset.h"
#include "core/report.h"
#include "core/reportpage.h"
#include "core/textutil.h"
#include "core/units.h"
#include "objects/band.h"
#include "platform/gbk.h"
#include "script/error.h"

using platform::Variant;

namespace {

// The error text of an exception raised while an object was evaluated or written.
std::string evaluationErrorText(const std::string& reportName, const TKSView* view, const std::string& message)
{
    std::string text = platform::utf8ToGbk("计算时发生错误");
    if (view)
        for (const std::string& line : view->Memo)
            text += "\r" + line;
    text += "\r\r" + platform::utf8ToGbk("报表:") + " " + reportName + "\r";
    if (view)
        text += platform::utf8ToGbk("对象:") + " " + view->Name() + "\r";
    return text + "\r" + message;
}

} // namespace

Variant TKSReport::EvaluateText(std::string_view expression) { return parser_.Evaluate(expression); }

Variant TKSReport::EvaluateConverted(std::string_view converted) { return parser_.Calc(converted); }

bool TKSReport::SetBuilderY(const Variant& value)
{
    auto* page = dynamic_cast<TKSReportPage*>(CurPage);
    if (!page || !building_)
        return false;
    page->CurY = toMMThousandths(value.toDouble(), ksutScreenPixels);
    return true;
}

int TKSReport::PageNumber() const
{
    auto* page = dynamic_cast<const TKSReportPage*>(CurPage);
    if (page && page->ResetPageNo)
        return PreparedPageNo + 1 - page->FirstPageIndex;
    return PreparedPageNo + 1;
}

void TKSReport::RunPageLoop()
{
    auto* master = ReportType == ksrtMultiple ? dynamic_cast<TKSDataset*>(Dataset) : nullptr;
    if (!doublePass_ || !finalPass_) {
        PassObjects.clear();
        StopPages = false;
        WriteInFirstPass = false;
    }
    PageContinues = false;
    // The final pass of a double pass keeps the first pass's sub-report links.
    const bool relink = !doublePass_ || !finalPass_;
    for (int i = 0; i < Pages.Count(); ++i) {
        TKSCustomPage* page = Pages.Page(i);
        if (relink) {
            page->IsSubReportPage = false;
            page->ParentPage = nullptr;
            page->SubReport = nullptr;
        }
        if (auto* report = dynamic_cast<TKSReportPage*>(page)) {
            report->TemplatePageNo = i + 1;
            report->BuiltAsSubReport = false;
        }
    }
    auto unprepare = [&] {
        for (int i = 0; i < Pages.Count(); ++i)
            if (auto* page = dynamic_cast<TKSReportPage*>(Pages.Page(i)))
                page->UnpreparePage();
        if (master)
            master->Exit();
    };
    try {
        if (master) {
            master->Init();
            master->First();
        }
        showDialogPages();
        if (!StopPages) {
            linkSubReports();
            for (int i = 0; i < Pages.Count() && !ErrorFlag; ++i)
                if (auto* page = dynamic_cast<TKSReportPage*>(Pages.Page(i)))
                    page->PreparePage();
            // Field bindings and expression forms of the objects are set up here
            // once the dictionary binds fields.
            while (!ErrorFlag) {
                ShowProgressPage(PreparedPageNo + 1);
                buildTemplatePages();
                if (!master)
                    break;
                master->Next();
                if (Terminated || master->Eof())
                    break;
            }
            if (EndPages.Count() > 0 && !ErrorFlag)
                finishLastPage();
        }
    } catch (const EKSInterpreterError&) {
        unprepare();
        throw;
    } catch (const std::exception& error) {
        const TKSView* view = CurrentView();
        ErrorText = view && !view->IsBand ? evaluationErrorText(name(), view, error.what()) : error.what();
        unprepare();
        throw;
    } catch (...) {
        unprepare();
        throw;
    }
    unprepare();
}

// Sub-report links settle over as many rounds as there are pages, since a
// page's chain of parents is read from its parent's link.
void TKSReport::linkSubReports()
{
    if (doublePass_ && finalPass_)
        return;
    for (int round = 0; round < Pages.Count(); ++round)
        for (int i = 0; i < Pages.Count(); ++i)
            if (auto* page = dynamic_cast<TKSReportPage*>(Pages.Page(i)))
                page->LinkSubReports();
    // A page reached again by following its parents is its own sub-report.
    for (int i = 0; i < Pages.Count(); ++i) {
        TKSCustomPage* page = Pages.Page(i);
        TKSCustomPage* parent = page->ParentPage;
        for (int steps = 0; parent && steps < Pages.Count(); ++steps, parent = parent->ParentPage)
            if (parent == page)
                throw std::runtime_error("Page " + page->Name() + " is its own sub-report");
    }
}

// Dialog pages have no controls in this system: each only fires OnActivate.
void TKSReport::showDialogPages()
{
    if (doublePass_ && finalPass_)
        return;
    for (int i = 0; i < Pages.Count() && !StopPages; ++i)
        if (auto* dialog = dynamic_cast<TKSDialogPage*>(Pages.Page(i))) {
            platform::EventArgs none;
            dialog->OnActivate(dialog, none);
        }
}

void TKSReport::buildTemplatePages()
{
    for (int j = 0; j < Pages.Count() && !Terminated && !ErrorFlag; ++j) {
        TKSCustomPage* page = Pages.Page(j);
        CurPage = page;
        auto* report = dynamic_cast<TKSReportPage*>(page);
        if (report)
            report->PageNoBase = PreparedPageNo;
        if (!page->Visible && page->OnActivate) {
            platform::EventArgs none;
            page->OnActivate(page, none);
        }
        // Sub-report pages print where their sub-report objects put them.
        if (!page->Visible || !report || report->BuiltAsSubReport || report->IsSubReportPage)
            continue;
        TKSBkPicture background;
        background.Left = toScreenPixels(report->BackPictureLeft, ksutMMThousandths);
        background.Top = toScreenPixels(report->BackPictureTop, ksutMMThousandths);
        background.Width = report->BackPictureWidth;
        background.Height = report->BackPictureHeight;
        background.Picture = report->BackPicture;
        EndPages.AddBackground(std::move(background));
        report->FirstPageIndex = PreparedPageNo;
        report->BuildPage();
        endTemplatePage(j);
        ShowProgressPage(PreparedPageNo);
    }
}

// A following page with PrintToPrevPage keeps the last prepared page open.
void TKSReport::endTemplatePage(int index)
{
    for (int i = index + 1; i < Pages.Count(); ++i)
        if (auto* next = dynamic_cast<TKSReportPage*>(Pages.Page(i))) {
            if (next->PrintToPrevPage && PreparedPageNo > 0) {
                --PreparedPageNo;
                PageContinues = true;
                return;
            }
            break;
        }
    PageContinues = false;
    PreparedPageNo = EndPages.Count();
}

void TKSReport::finishLastPage()
{
    const int last = EndPages.Count() - 1;
    EndPages.FinishPage(last);
    TKSReportPage* lastTemplate = nullptr;
    for (int i = 0; i < Pages.Count(); ++i)
        if (auto* page = dynamic_cast<TKSReportPage*>(Pages.Page(i)))
            lastTemplate = page;
    if (!lastTemplate)
        return;
    if (ReportFlags & 1)
        lastTemplate->FitPreparedPage(last);
    if ((lastTemplate->AutoHCenter || lastTemplate->AutoVCenter) && finalPass_)
        lastTemplate->CenterPreparedPage(last);
}

bool TKSReport::BuilderFunction(std::string_view name, const std::vector<Variant>& args, Variant& value)
{
    auto* page = dynamic_cast<TKSReportPage*>(CurPage);
    auto px = [](int mm) { return Variant(toScreenPixels(mm, ksutMMThousandths)); };
    auto is = [name](const char* what) { return namesEqual(name, what); };
    if (!page || !building_)
        return false;
    if (is("NEWPAGE"))
        page->NewPage();
    else if (is("NEWCOLUMN"))
        page->NewColumn(dynamic_cast<TKSBand*>(CurBand));
    else if (is("SHOWBAND"))
        page->ShowBand(args.empty() ? std::string() : args[0].toString());
    else if (is("CurY"))
        value = px(page->CurY);
    else if (is("FreeSpace"))
        value = px(page->BottomLimit - page->CurY);
    else if (is("PAGEHEIGHT"))
        value = px(page->BottomLimit);
    else if (is("PAGEWIDTH"))
        value = Variant(page->PaperWidthPixels);
    else
        return false;
    return true;
}
