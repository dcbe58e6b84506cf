// TKSReport: the report component. Owns one template, its prepared pages and
// the entry points that prepare, show and print them.
#pragma once

#include "core/dictionary.h"
#include "core/pages.h"
#include "core/report_options.h"
#include "expr/parser.h"
#include "expr/variables.h"
#include "objects/persistent.h"
#include "objects/reportcontext.h"
#include "platform/component.h"
#include "platform/settings.h"
#include "platform/stream.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TKSInterpreterFm;
class TKSInterpreterExpression;
struct TKSInterpreterArgs;
class TKSProgressForm;

// Base of engine components reached by the script bridge ("get/set a named
// value"); the base handles nothing.
class TKSComponent : public platform::Component {
public:
    TK_CLASS_INFO
    explicit TKSComponent(platform::Component* owner = nullptr) : Component(owner) {}
    virtual bool GetNamedValue(std::string_view name, const TKSPropArgs& args, platform::Variant& value);
    virtual bool SetNamedValue(std::string_view name, const platform::Variant& value);
};

class TKSCustomReport : public TKSComponent {
public:
    TK_CLASS_INFO
    using TKSComponent::TKSComponent;
    // Stops building and printing at the next check.
    bool Terminated = false;
};

enum TKSReportType : int { ksrtSimple, ksrtMultiple };
enum TKSCompressionLevel : int { kszcNone, kszcFastest, kszcDefault, kszcMax };
enum TKSPageOrder : int { ksReportPerReport, ksPagePerPage };
enum TKSPrintParity : int { ksppAll, ksppOdd, ksppEven };
// DocMode after a print job.
inline constexpr int ksdmPrinted = 3;

struct TKSReportInfo {
    std::string ReportTitle, ReportInfo2, ReportInfo3, ReportInfo4, ReportInfo5;
};

class TKSReport : public TKSCustomReport, public TKSReportContext, public TKSParserOwner {
public:
    TK_CLASS_INFO
    explicit TKSReport(platform::Component* owner = nullptr);
    ~TKSReport() override;

    // --- Published properties
    platform::Component* DataDictionary = nullptr;
    bool ModifyPrepared = false;
    TKSPreviewZoom InitialZoom = pzDefault;
    unsigned PreviewButtons = ksPreviewButtonsDefault;
    bool ModalPreview = true;
    bool MDIPreview = false;
    bool ShowProgress = true;
    std::string PreviewInitialDir;
    int DefaultCopies = 1;
    bool DefaultCollate = true;
    bool ShowPrintDialog = true;
    TKSSaveReportOptions* SaveReportOptions() const { return &saveOptions_; }
    void SetSaveReportOptions(TKSSaveReportOptions* options) { saveOptions_.assign(*options); }
    platform::Component* Preview = nullptr;
    TKSPreviewOptions* PreviewOptions() const { return &previewOptions_; }
    void SetPreviewOptions(TKSPreviewOptions* options) { previewOptions_.assign(*options); }
    platform::Component* Dataset = nullptr;
    bool StoreInDFM = false;
    TKSReportType ReportType = ksrtSimple;
    TKSCompressionLevel CompressLevel = kszcFastest;
    bool CompressThread = false;

    void SetDataDictionary(platform::Component* c) { setReference(DataDictionary, c); }
    void SetPreview(platform::Component* c) { setReference(Preview, c); }
    void SetDataset(platform::Component* c) { setReference(Dataset, c); }

    // --- Published events (arguments after the sender, as listed per event)
    platform::MethodValue OnBeginDoc, OnEndDoc;                 // -
    platform::MethodValue OnBeginPage, OnEndPage;               // page number
    platform::MethodValue OnBeginBand, OnEndBand;               // band
    platform::MethodValue OnBeforePrintBand;                    // band, var print
    platform::MethodValue OnBeginColumn;                        // band
    platform::MethodValue OnPrintColumn;                        // column, var width
    platform::MethodValue OnManualBuild;                        // page
    platform::MethodValue OnBeforePrint;                        // lines, object
    platform::MethodValue OnAfterPrint;                         // object
    platform::MethodValue OnProgress;                           // n
    platform::MethodValue OnUserFunction;                       // name, args, var result, var found
    platform::MethodValue OnGetValue;                           // name, var value
    platform::MethodValue OnLoadReportSetting, OnSaveReportSetting;  // -
    platform::MethodValue OnPrintReportEvent;                   // -
    platform::MethodValue OnEndPrintPage;                       // var page number
    platform::MethodValue OnScriptBeginReport, OnScriptEndReport;  // -
    platform::MethodValue OnScriptGetValue;                     // identifier, var value, args, var done
    platform::MethodValue OnScriptSetValue;                     // identifier, value, args, var done
    platform::MethodValue OnObjectClick;                        // object, button, shift, var modified

    // --- Stored template settings
    TKSReportInfo ReportInfo;
    bool ColorPrint = true;
    int mmPrintOffsetTop = 0;
    int mmPrintOffsetLeft = 0;
    TKSPageOrder PageOrder = ksReportPerReport;
    bool Taoda = false;
    std::string PrinterName = "Default Printer";
    std::vector<std::string> Script;
    std::uint16_t ReportFlags = 0;
    TKSDictionary Dictionary;
    // Only a template built into the program (read from its form data) may
    // declare external routines in its script: they load any shared library.
    // Loading a template from a stream or a prepared-report file clears it.
    bool TemplateTrusted = false;
    // The printer name as templates store it.
    std::string StoredPrinterName() const;
    bool DoublePass() const override { return doublePass_; }
    void SetDoublePass(bool on) { doublePass_ = on; }
    bool StrictNulls() const override { return strictNulls_; }
    void SetStrictNulls(bool on) { strictNulls_ = on; }

    // --- Run-time state
    TKSPages Pages;
    TKSEndPages EndPages{this};
    TKSVariables Variables;
    std::string FileName;
    TKSCustomPage* CurPage = nullptr;
    TKSCustomBandView* CurBand = nullptr;
    int PreparedPageNo = 0;
    int TotalPages = 0;
    bool StopPages = false;
    bool ErrorFlag = false;
    std::string ErrorText;
    int PrintScale = 100;
    int PaperOverride = -1;
    int PrinterIndex = 0;
    // The date, the time and both, taken when a prepare starts (day numbers).
    double StartDate = 0, StartTime = 0, StartDateTime = 0;
    // Set while bracketed expressions of a text are expanded: unknown names
    // then stay as "[name]"; and while the dictionary resolves a field.
    bool KeepUnknownNames = false;
    bool NamesAsText = false;
    // Counters of the band and page being built ("_KS_Line"...), kept by the
    // page builder.
    int CurLine = 0, CurLineThrough = 0, CurColumn = 0, CurPosition = 0;
    // The value being formatted for an object ("Value").
    platform::Variant CurrentValue;
    bool IsBuilding() const { return building_; }
    bool IsPreparing() const { return preparing_; }
    TKSParser& Parser() { return parser_; }
    TKSInterpreterFm& Interpreter() { return *interpreter_; }
    TKSProgressForm* ProgressForm() const { return progress_.get(); }
    void SetDocMode(int mode) { docMode_ = mode; }
    void SetPrintBackground(bool on) { printBackground_ = on; }

    // --- Page builder state (report_pass.cpp and the page builder)
    // The next template page continues on the last prepared page at the saved position.
    bool PageContinues = false;
    int SavedCurY = 0, SavedBottom = 0;
    // Objects are written into prepared pages in the first pass of a double pass too.
    bool WriteInFirstPass = false;
    // Objects told about every memo written to a prepared page.
    std::vector<TKSView*> PassObjects;
    TKSView* CurrentView() const { return currentView_; }
    void SetAppendBlanking(bool on) { appendBlanking_ = on; }
    // Fires a report event; false when it has no handler.
    bool FireEvent(const platform::MethodValue& handler, platform::EventArgs& args) { return fire(handler, args); }
    // A band expression (condition, outline text) in the report's context.
    platform::Variant EvaluateText(std::string_view expression);
    // The page builder's script functions ("NEWPAGE", "NEWCOLUMN", "SHOWBAND",
    // "CurY", "FreeSpace", "PAGEHEIGHT", "PAGEWIDTH"); false for other names.
    bool BuilderFunction(std::string_view name, const std::vector<platform::Variant>& args, platform::Variant& value);
    // Assigning "CurY" (screen pixels) while a page builds; false otherwise.
    bool SetBuilderY(const platform::Variant& value);
    // A band condition or outline text kept in the parser's converted form.
    platform::Variant EvaluateConverted(std::string_view converted);
    // "_KS_Page": PreparedPageNo + 1, counted from the page's start on a ResetPageNo page.
    int PageNumber() const;

    // --- Entry points
    void ShowReport();
    bool PrepareReport();
    void BuildReport(bool firstRun, bool finalPass);
    void ShowPreparedReport();
    // Pages, copies and collation are handed to the print job; false when
    // nothing was printed (no prepared pages, a job running, no printer yet).
    bool PrintPreparedReport(std::string_view pageNumbers, int copies, bool collate, TKSPrintParity parity);
    bool DesignReport() { return false; }
    bool EditPreparedReport(int /*pageIndex*/) { return false; }
    void LoadFromStream(platform::Stream& s);
    void SaveToStream(platform::Stream& s) const;
    void SelectPrinter(std::string_view name);
    // The prepared-report file (".ksp"). Loading does nothing for a missing
    // file and shows message 47501 for a file of another kind (false then).
    void SavePreparedReport(const std::string& fileName);
    bool LoadPreparedReport(const std::string& fileName);
    // The same on streams; append keeps the pages already there.
    void SavePreparedToStream(platform::Stream& s);
    bool LoadPreparedFromStream(platform::Stream& s, bool append = false);
    // Load progress of a prepared-report file: page number, page count.
    std::function<void(int page, int count)> OnLoadProgress;
    // The report's and the template page's OnBeginPage with PreparedPageNo.
    void FireBeginPage(TKSCustomPage* templatePage);
    // Binds the script events of a loaded prepared page's objects.
    // A handler calling the compiled script's routine of that name; empty
    // when the script has no such routine.
    platform::MethodValue ScriptHandler(const std::string& routine);
    void BindPreparedPageEvents(TKSCustomPage& page);
    // Per-report print settings in the settings store.
    void LoadReportSetting();
    void SaveReportSetting();
    // Progress after page n (see PrepareReport).
    void ShowProgressPage(int n);
    // The caption of the preview window.
    std::string PreviewCaption() const;

    // --- Name lookups
    // The parser's value callback.
    void GetValue(std::string_view name, platform::Variant& value);
    // The parser's function callback.
    void CallFunction(std::string_view name, TKSArguments& arguments, bool& handled, platform::Variant& value);
    // A built-in variable; nothing when the name is not one.
    std::optional<platform::Variant> BuiltInVariable(std::string_view name) const;
    // A dotted object path ("Memo1.Memo"); nothing when a part is missing.
    std::optional<platform::Variant> ObjectPathValue(std::string_view path);
    // The first part of a dotted path or a plain script name as an object.
    platform::Object* FindNamedObject(std::string_view name);
    // The report's script functions; false when the name is not one.
    bool ReportFunction(std::string_view name, const std::vector<platform::Variant>& args, platform::Variant& value);
    // The interpreter's value and assignment hooks.
    bool ScriptGetValue(const std::string& identifier, platform::Variant& value, TKSInterpreterArgs& args);
    bool ScriptSetValue(const std::string& identifier, const platform::Variant& value, TKSInterpreterArgs& args);
    // The source of a script unit the script names: KSExtendFormPath + unit
    // + ".pas"; always found, empty when the file does not exist.
    static bool UnitSource(const std::string& unit, std::string& source);
    // Named values of the report object ("SPPRINTOFFSETLEFT"...).
    bool GetNamedValue(std::string_view name, const TKSPropArgs& args, platform::Variant& value) override;
    bool SetNamedValue(std::string_view name, const platform::Variant& value) override;

    // --- Form data ("ReportData")
    std::string ReportDataBytes() const;
    void SetReportDataBytes(std::string bytes);
    void loaded() override;

    // --- TKSReportContext
    int DocMode() const override { return docMode_; }
    bool PrintBackground() const override { return printBackground_; }
    bool AppendBlanking() const override { return appendBlanking_; }
    bool FinalPass() const override { return finalPass_; }
    platform::Variant EvaluateExpression(TKSReportView& view, std::string_view expression) override;
    void SetExpandingText(bool on) override { KeepUnknownNames = on; }
    TKSCustomBandView* CurrentBand() const override { return CurBand; }
    void SetCurrentView(TKSView* view) override { currentView_ = view; }
    void FireBeforePrint(std::vector<std::string>& memo1, TKSView& view) override;
    TKSView* FindObject(std::string_view name) const override;
    int PageCount() const override { return Pages.Count(); }
    TKSCustomPage* Page(int index) const override { return Pages.Page(index); }
    std::string ConvertExpression(std::string_view expression) override { return parser_.Convert(expression); }
    TKSBandDataset* FindDataset(std::string_view name) const override;
    TKSBandDataset* ReportDataset() const override;
    std::unique_ptr<TKSBandDataset> CreateCountDataset() override;
    void ReportError(const std::string& text) override;
    bool HasError() const override { return ErrorFlag; }
    platform::Component* ComponentOwner() const override { return owner(); }

protected:
    // The page loop of one pass: builds the visible template pages into EndPages.
    virtual void RunPageLoop();
    // Hands the prepared pages to the preview window; nothing until the
    // preview window exists.
    virtual void OpenPreview(const std::string& caption);
    // The print job over the selected pages; nothing until printing exists.
    virtual bool RunPrintJob(const std::vector<int>& pages, int copies, bool collate, TKSPrintParity parity);
    void notification(platform::Component* component, Operation operation) override;

private:
    // The dictionary's answers (fields, aliases, variables); none until the
    // report has a dictionary.
    bool dictionaryValue(std::string_view name, platform::Variant& value);
    bool dictionaryVariable(std::string_view name, platform::Variant& value);
    bool setDictionaryVariable(std::string_view name, const platform::Variant& value);
    bool reportName(std::string_view name, const platform::Variant& value);
    bool userFunction(std::string_view name, const TKSArguments& arguments, platform::Variant& value);
    void setReference(platform::Component*& field, platform::Component* value);
    void runPass(bool firstRun, bool finalPass);
    // Template loading steps; readTemplateBody is false when object classes were missing.
    void clearTemplate();
    void addPage(std::unique_ptr<TKSCustomPage> page);
    bool readTemplateBody(platform::Stream& s);
    void readPageRecord(platform::Stream& s, std::uint16_t version);
    void readObjectRecord(platform::Stream& s, std::uint8_t type, std::string& missing);
    void afterTemplateLoad();
    void runScript();
    // Steps of the page loop (report_pass.cpp).
    void showDialogPages();
    void linkSubReports();
    void buildTemplatePages();
    void endTemplatePage(int index);
    void finishLastPage();
    void handlePassError(const std::exception* error);
    void createProgress();
    void freeProgress();
    void reorderPages();
    void readPreparedPage(platform::Stream& s, int version, bool fileCompressed, bool wantCompressed);
    void compilePreparedScript();
    std::string progressCaption() const;
    bool fire(const platform::MethodValue& handler);
    // Var arguments come back in `args`.
    bool fire(const platform::MethodValue& handler, platform::EventArgs& args);
    std::string settingsSection() const;
    struct SettingsPlace {
        platform::Settings store;
        std::string key;
    };
    std::optional<SettingsPlace> settingsPlace() const;

    mutable TKSSaveReportOptions saveOptions_;
    mutable TKSPreviewOptions previewOptions_;
    TKSParser parser_;
    std::unique_ptr<TKSInterpreterFm> interpreter_;
    std::unique_ptr<TKSProgressForm> progress_;
    std::unique_ptr<platform::MemoryStream> storedData_;  // read from the form, loaded once
    TKSView* currentView_ = nullptr;
    std::string resolving_;  // recursion guard of GetValue
    std::string progressPrefix_;
    int docMode_ = ksdmDesigning;
    bool doublePass_ = false;
    bool strictNulls_ = false;
    bool finalPass_ = false;
    bool printBackground_ = true;
    bool appendBlanking_ = false;
    bool building_ = false;
    bool preparing_ = false;  // re-entrancy flag of PrepareReport
    bool printing_ = false;
};

// The report currently preparing, showing or printing; null when none.
extern TKSReport* CurReport;

// Page numbers of a page-list text ("1,3,5-7", "8-"): blanks are ignored,
// an empty text means all pages, a trailing "-" runs to the last page, a
// range whose end is below its start adds nothing, duplicates stay. Ranges
// stop at the last page. std::invalid_argument for a part that is no number.
std::vector<int> ParsePageList(std::string_view text, int pageCount);
