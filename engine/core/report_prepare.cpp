// TKSReport: the prepare sequence (passes, script, progress, error report),
// and the hand-over of prepared pages to the preview and the printer.
#include "core/report.h"

#include "objects/view.h"
#include "platform/dialogs.h"
#include "platform/gbk.h"
#include "platform/uitexts.h"
#include "platform/variant_date.h"
#include "preview/progress.h"
#include "script/error.h"
#include "script/fm.h"

#include <cmath>

using platform::Variant;

namespace {

// Clears a flag when leaving a scope, also by an exception.
struct FlagGuard {
    bool& flag;
    ~FlagGuard() { flag = false; }
};

bool containsText(const std::string& upperText, const char* what)
{
    return upperText.find(what) != std::string::npos;
}

} // namespace

void TKSReport::ShowReport()
{
    CurReport = this;
    PrepareReport();
    ShowPreparedReport();
}

bool TKSReport::PrepareReport()
{
    if (preparing_)
        return false;
    preparing_ = true;
    FlagGuard reentry{preparing_};
    const TKSCompressionLevel savedLevel = CompressLevel;
    CurReport = this;
    CurPage = nullptr;
    CurBand = nullptr;
    ErrorFlag = false;
    ErrorText.clear();
    Terminated = false;
    printBackground_ = true;
    appendBlanking_ = false;
    parser_.ScriptCall = false;

    platform::MemoryStream savedTemplate;
    bool saved = false;
    std::exception_ptr failure;
    try {
        StartDate = platform::currentDate();
        StartDateTime = platform::currentDateTime();
        StartTime = StartDateTime - std::floor(StartDateTime);
        SelectPrinter(PrinterName);
        StopPages = false;
        PreparedPageNo = 0;
        EndPages.Clear();
        createProgress();
        SaveToStream(savedTemplate);
        saved = true;
        bool noCompression = CompressLevel == kszcNone;
        for (int i = 0; i < Pages.Count() && !noCompression; ++i)
            for (TKSView* view : Pages.Page(i)->Objects())
                if (view->NoCompression() || view->IsVertical)
                    noCompression = true;
        if (noCompression)
            CompressLevel = kszcNone;
        EndPages.Compressed = CompressLevel != kszcNone;
        EndPages.Flag2 = true;
        fire(OnBeginDoc);
        const int passes = doublePass_ ? 2 : 1;
        PreparedPageNo = 0;
        ErrorFlag = false;
        for (int pass = 1; pass <= passes && !Terminated && !ErrorFlag; ++pass) {
            EndPages.Clear();
            finalPass_ = doublePass_ ? pass == 2 : true;
            BuildReport(pass == 1, finalPass_);
        }
        fire(OnEndDoc);
    } catch (...) {
        failure = std::current_exception();
    }

    // Clean-up runs whatever happened above.
    freeProgress();
    if (saved) {
        const bool errorFlag = ErrorFlag;
        const std::string errorText = ErrorText;
        const bool trusted = TemplateTrusted;
        savedTemplate.seek(0);
        try {
            LoadFromStream(savedTemplate);
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
        ErrorFlag = errorFlag;
        ErrorText = errorText;
        TemplateTrusted = trusted;  // the same template came back
    }
    CurPage = nullptr;
    CurBand = nullptr;
    CompressLevel = savedLevel;

    if (ErrorFlag) {
        EndPages.Clear();
        platform::messageBox(ErrorText, platform::loadText(47206), platform::MB_ICONERROR);
    } else if (PageOrder == ksPagePerPage && EndPages.Count() > 0 && Pages.Count() > 1) {
        reorderPages();
    }
    if (failure)
        std::rethrow_exception(failure);
    return !ErrorFlag;
}

void TKSReport::BuildReport(bool firstRun, bool finalPass)
{
    CurReport = this;
    appendBlanking_ = false;
    CurBand = nullptr;
    CurPage = nullptr;
    OnScriptBeginReport = {};
    OnScriptEndReport = {};
    try {
        interpreter_->setPas(Script);
        if (firstRun)
            runScript();
        runPass(firstRun, finalPass);
    } catch (const std::exception& error) {
        handlePassError(&error);
    } catch (...) {
        handlePassError(nullptr);
    }
    OnScriptBeginReport = {};
    OnScriptEndReport = {};
    building_ = false;
}

// Compiles the script and runs its Main; the event bindings are bound before
// Main unless the script creates objects in its own creation events.
void TKSReport::runScript()
{
    const bool hasProgram = Script.size() > 1;
    if (hasProgram) {
        interpreter_->AllowExternalRoutines = TemplateTrusted;
        interpreter_->Compile();
    }
    std::string upper;
    for (const std::string& line : Script)
        upper += platform::upperCase(line) + "\r\n";
    const bool runFirst = containsText(upper, ".ONBEFORECREATEOBJECTS") || containsText(upper, ".ONAFTERCREATEOBJECTS");
    auto bindAll = [this, hasProgram] {
        if (!hasProgram)
            return;
        auto handlerFor = [this](const std::string& routine) { return ScriptHandler(routine); };
        for (int i = 0; i < Pages.Count(); ++i) {
            TKSCustomPage* page = Pages.Page(i);
            for (TKSView* view : page->Objects())
                view->BindEvents(handlerFor);
            page->BindEvents(handlerFor);
        }
    };
    if (runFirst) {
        if (hasProgram)
            interpreter_->callRoutine("Main", {});
        bindAll();
    } else {
        bindAll();
        if (hasProgram)
            interpreter_->callRoutine("Main", {});
    }
}

void TKSReport::runPass(bool /*firstRun*/, bool finalPass)
{
    StopPages = false;
    CurBand = nullptr;
    CurPage = nullptr;
    ProcessPendingMessages();
    building_ = true;
    docMode_ = ksdmPreviewing;
    finalPass_ = finalPass;
    EndPages.Clear();
    PreparedPageNo = 0;
    fire(OnScriptBeginReport);
    if (progress_) {
        progress_->setCaption(progressCaption());
        progressPrefix_ = platform::loadText(finalPass_ ? 47205 : 47204);
        progress_->SetLine1(progressPrefix_ + "  1");
        progress_->show();
    }
    RunPageLoop();
    EndPages.FinishPage(EndPages.Count() - 1);
    TotalPages = EndPages.Count();
    if (fire(OnScriptEndReport))
        OnScriptEndReport = {};
}

void TKSReport::handlePassError(const std::exception* error)
{
    if (auto* scriptError = dynamic_cast<const EKSInterpreterError*>(error)) {
        ErrorText = "Script Error:\r\n" + std::to_string(scriptError->code) + ": " + scriptError->message;
        if (scriptError->position >= 0)
            ErrorText += "\r\nat Postion:" + std::to_string(scriptError->position);
    } else if (interpreter_->lastError().code > 0) {
        ErrorText = "Script Error:\r\n" + interpreter_->lastError().message;
    }
    Terminated = true;
    ErrorFlag = true;
}

void TKSReport::ReportError(const std::string& text)
{
    ErrorText = text;
    ErrorFlag = true;
    Terminated = true;
}

std::string TKSReport::progressCaption() const
{
    std::string caption = platform::loadText(47203);
    if (!ReportInfo.ReportTitle.empty())
        caption += " - " + ReportInfo.ReportTitle;
    return caption;
}

void TKSReport::createProgress()
{
    if (OnProgress || !ShowProgress || !CanShowWindows())
        return;
    progress_ = std::make_unique<TKSProgressForm>();
    progress_->SetReport(this);
}

void TKSReport::freeProgress()
{
    progress_.reset();
}

void TKSReport::ShowProgressPage(int n)
{
    if (OnProgress) {
        platform::EventArgs args{Variant(n)};
        fire(OnProgress, args);
    } else if (ShowProgress && progress_) {
        std::string line = progressPrefix_ + "  " + std::to_string(n);
        if (doublePass_ && finalPass_)
            line.append(" ").append(platform::loadText(47199)).append(" ").append(std::to_string(TotalPages));
        progress_->SetLine1(line);
    }
    ProcessPendingMessages();
}

// Interleaves the output of several template pages page by page.
void TKSReport::reorderPages()
{
    int runStart = 0;
    int previous = 0;
    for (int k = 0; k < EndPages.Count(); ++k) {
        const int c = EndPages.Page(k)->TemplatePageNo;
        if (c > 1) {
            if (c != previous)
                runStart = k;
            const long long target = c + static_cast<long long>(Pages.Count()) * (k - runStart) - 1;
            if (target >= 0 && target < EndPages.Count())
                EndPages.Exchange(k, static_cast<int>(target));
        }
        previous = c;
    }
}

std::string TKSReport::PreviewCaption() const
{
    std::string title = ReportInfo.ReportTitle;
    if (title.empty())
        title = FileName.empty() ? platform::loadText(47209) : FileName;
    return platform::loadText(47207) + " - " + title;
}

void TKSReport::ShowPreparedReport()
{
    CurReport = this;
    printBackground_ = true;
    if (EndPages.Count() == 0)
        return;
    CurPage = nullptr;
    CurBand = nullptr;
    docMode_ = ksdmPreviewing;
    OpenPreview(PreviewCaption());
    ProcessPendingMessages();
}

void TKSReport::OpenPreview(const std::string& /*caption*/) {}

bool TKSReport::PrintPreparedReport(std::string_view pageNumbers, int copies, bool collate, TKSPrintParity parity)
{
    CurReport = this;
    if (EndPages.Count() == 0 || printing_)
        return false;
    printing_ = true;
    FlagGuard job{printing_};
    const std::vector<int> pages = ParsePageList(pageNumbers, EndPages.Count());
    bool printed = false;
    try {
        if (ShowProgress && CanShowWindows()) {
            progress_ = std::make_unique<TKSProgressForm>();
            progress_->SetReport(this);
            progress_->setCaption(progressCaption());
            progressPrefix_ = platform::loadText(47208);
            progress_->SetLine1(progressPrefix_);
            progress_->show();
        }
        printed = RunPrintJob(pages, copies, collate, parity);
    } catch (...) {
        freeProgress();
        printBackground_ = true;
        PrintScale = 100;
        PaperOverride = -1;
        docMode_ = ksdmPrinted;
        throw;
    }
    freeProgress();
    printBackground_ = true;
    PrintScale = 100;
    PaperOverride = -1;
    docMode_ = ksdmPrinted;
    return printed;
}

bool TKSReport::RunPrintJob(const std::vector<int>&, int, bool, TKSPrintParity) { return false; }

void TKSReport::SelectPrinter(std::string_view name)
{
    PrinterName = std::string(name);
    if (name.empty() || name == "Default Printer")
        PrinterIndex = 0;
    else if (name == "Virtual Printer")
        PrinterIndex = 1;
    else
        PrinterIndex = 0;  // the printer list looks the name up once it exists
}
