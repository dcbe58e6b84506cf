// TKSReport: construction, published properties and events, references to
// other components, and the template carried in the host window's form data.
#include "core/report.h"

#include "core/streamio.h"
#include "expr/functionlibrary.h"
#include "objects/view.h"
#include "platform/uitexts.h"
#include "preview/progress.h"
#include "script/fm.h"
#include "script/values.h"

#include <cstring>

using platform::ClassInfo;
using platform::Component;
using platform::EnumType;
using platform::Variant;

TKSReport* CurReport = nullptr;

const ClassInfo& TKSComponent::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TKSComponent>("TKSComponent", &Component::staticClassInfo());
    return info;
}

bool TKSComponent::GetNamedValue(std::string_view, const TKSPropArgs&, Variant&) { return false; }
bool TKSComponent::SetNamedValue(std::string_view, const Variant&) { return false; }

const ClassInfo& TKSCustomReport::staticClassInfo()
{
    static const ClassInfo info =
        ClassInfo::define<TKSCustomReport>("TKSCustomReport", &TKSComponent::staticClassInfo()).noFactory();
    return info;
}

static const EnumType& reportTypeType()
{
    static const EnumType type("TKSReportType", {"ksrtSimple", "ksrtMultiple"});
    return type;
}

static const EnumType& compressionLevelType()
{
    static const EnumType type("TKSCompressionLevel", {"kszcNone", "kszcFastest", "kszcDefault", "kszcMax"});
    return type;
}

const ClassInfo& TKSReport::staticClassInfo()
{
    using R = TKSReport;
    static const ClassInfo info = [] {
        auto b = ClassInfo::define<R>("TKSReport", &TKSCustomReport::staticClassInfo());
        b.object("DataDictionary", Component::staticClassInfo(), &R::DataDictionary, &R::SetDataDictionary)
            .type("TKSDataDictionary")
            .prop("ModifyPrepared", &R::ModifyPrepared).byDefault(false)
            .enumeration("InitialZoom", previewZoomType(), &R::InitialZoom, &R::InitialZoom).byDefault(0)
            .set("PreviewButtons", previewButtonsType(), &R::PreviewButtons, &R::PreviewButtons)
            .byDefault(int(ksPreviewButtonsDefault))
            .prop("ModalPreview", &R::ModalPreview).byDefault(true)
            .prop("MDIPreview", &R::MDIPreview).byDefault(false)
            .prop("ShowProgress", &R::ShowProgress).byDefault(true)
            .prop("PreviewInitialDir", &R::PreviewInitialDir)
            .prop("DefaultCopies", &R::DefaultCopies).byDefault(1)
            .prop("DefaultCollate", &R::DefaultCollate).byDefault(true)
            .prop("ShowPrintDialog", &R::ShowPrintDialog).byDefault(true)
            .object("SaveReportOptions", TKSSaveReportOptions::staticClassInfo(), &R::SaveReportOptions,
                    &R::SetSaveReportOptions)
            .object("Preview", Component::staticClassInfo(), &R::Preview, &R::SetPreview).type("TKSCustomPreview")
            .object("PreviewOptions", TKSPreviewOptions::staticClassInfo(), &R::PreviewOptions, &R::SetPreviewOptions)
            .object("Dataset", Component::staticClassInfo(), &R::Dataset, &R::SetDataset).type("TKSDataset")
            .prop("StoreInDFM", &R::StoreInDFM).byDefault(false)
            .enumeration("ReportType", reportTypeType(), &R::ReportType, &R::ReportType).byDefault(0)
            .enumeration("CompressLevel", compressionLevelType(), &R::CompressLevel, &R::CompressLevel).byDefault(1)
            .prop("CompressThread", &R::CompressThread).byDefault(false);
        b.event("OnBeginDoc", "TNotifyEvent", &R::OnBeginDoc)
            .event("OnEndDoc", "TNotifyEvent", &R::OnEndDoc)
            .event("OnBeginPage", "TKSBeginPageEvent", &R::OnBeginPage)
            .event("OnEndPage", "TKSEndPageEvent", &R::OnEndPage)
            .event("OnBeginBand", "TKSBandEvent", &R::OnBeginBand)
            .event("OnEndBand", "TKSBandEvent", &R::OnEndBand)
            .event("OnBeforePrintBand", "TKSBeforePrintBandEvent", &R::OnBeforePrintBand)
            .event("OnBeginColumn", "TKSBandEvent", &R::OnBeginColumn)
            .event("OnPrintColumn", "TKSPrintColumnEvent", &R::OnPrintColumn)
            .event("OnManualBuild", "TKSManualBuildEvent", &R::OnManualBuild)
            .event("OnBeforePrint", "TKSEnterRectEvent", &R::OnBeforePrint)
            .event("OnAfterPrint", "TKSViewEvent", &R::OnAfterPrint)
            .event("OnProgress", "TKSProgressEvent", &R::OnProgress)
            .event("OnUserFunction", "TKSFunctionEvent", &R::OnUserFunction)
            .event("OnGetValue", "TKSGetValueEvent", &R::OnGetValue)
            .event("OnLoadReportSetting", "TKSReportSettingEvent", &R::OnLoadReportSetting)
            .event("OnSaveReportSetting", "TKSReportSettingEvent", &R::OnSaveReportSetting)
            .event("OnPrintReportEvent", "TNotifyEvent", &R::OnPrintReportEvent)
            .event("OnEndPrintPage", "TKSEndPrintPageEvent", &R::OnEndPrintPage)
            .event("OnScriptBeginReport", "TNotifyEvent", &R::OnScriptBeginReport)
            .event("OnScriptEndReport", "TNotifyEvent", &R::OnScriptEndReport)
            .event("OnScriptGetValue", "TKSScriptGetValueEvent", &R::OnScriptGetValue)
            .event("OnScriptSetValue", "TKSScriptSetValueEvent", &R::OnScriptSetValue)
            .event("OnObjectClick", "TKSObjectClickEvent", &R::OnObjectClick);
        b.binary("ReportData", &R::ReportDataBytes, &R::SetReportDataBytes);
        return b;
    }();
    return info;
}

TKSReport::TKSReport(Component* owner)
    : TKSCustomReport(owner), interpreter_(std::make_unique<TKSInterpreterFm>())
{
    FileName = platform::loadText(47209);
    parser_.Owner = this;
    parser_.OnGetValue = [this](std::string_view name, Variant& value) { GetValue(name, value); };
    parser_.OnFunction = [this](std::string_view name, TKSArguments& arguments, bool& handled, Variant& value) {
        CallFunction(name, arguments, handled, value);
    };
    interpreter_->OnGetValue = [this](TKSInterpreterExpression&, const std::string& id, Variant& value,
                                      TKSInterpreterArgs& args) { return ScriptGetValue(id, value, args); };
    interpreter_->OnSetValue = [this](TKSInterpreterExpression&, const std::string& id, const Variant& value,
                                      TKSInterpreterArgs& args) { return ScriptSetValue(id, value, args); };
    interpreter_->OnGetUnitSource = [](TKSInterpreterUnit&, const std::string& unit, std::string& source) {
        return TKSReport::UnitSource(unit, source);
    };
}

TKSReport::~TKSReport()
{
    if (CurReport == this)
        CurReport = nullptr;
    progress_.reset();
    Pages.Clear();
    Script.clear();
}

void TKSReport::setReference(Component*& field, Component* value)
{
    if (field == value)
        return;
    if (field)
        field->removeFreeNotification(this);
    field = value;
    if (value)
        value->freeNotification(this);
}

void TKSReport::notification(Component* component, Operation operation)
{
    TKSCustomReport::notification(component, operation);
    if (operation != Operation::Remove)
        return;
    for (Component** field : {&DataDictionary, &Preview, &Dataset})
        if (*field == component)
            *field = nullptr;
}

// "ReportData": a 32-bit count and the template's bytes; empty without StoreInDFM.
std::string TKSReport::ReportDataBytes() const
{
    if (!StoreInDFM)
        return {};
    platform::MemoryStream body;
    SaveToStream(body);
    platform::MemoryStream data;
    writeInteger(data, static_cast<std::int32_t>(body.size()));
    data.write(body.data(), static_cast<std::size_t>(body.size()));
    return data.toString();
}

// Keeps the bytes until the window has loaded; StoreInDFM is read before
// this property, so a report that does not store its template ignores them.
void TKSReport::SetReportDataBytes(std::string bytes)
{
    if (!StoreInDFM)
        return;
    platform::MemoryStream data(bytes);
    const std::int32_t count = bytes.empty() ? 0 : readInteger(data);
    if (count < 0 || count > data.size() - data.position())
        throw platform::StreamError("ReportData: the byte count exceeds the stored data");
    storedData_ = std::make_unique<platform::MemoryStream>(
        std::string_view(bytes).substr(static_cast<std::size_t>(data.position()), static_cast<std::size_t>(count)));
}

void TKSReport::loaded()
{
    TKSCustomReport::loaded();
    std::unique_ptr<platform::MemoryStream> data = std::move(storedData_);
    // An empty template (count 0) leaves the report empty.
    if (data && StoreInDFM && data->size() > 0) {
        data->seek(0);
        LoadFromStream(*data);
        // A template stored with the program's own windows came with the program.
        TemplateTrusted = !ErrorFlag;
    }
}

void TKSReport::FireBeforePrint(std::vector<std::string>& memo1, TKSView& view)
{
    if (!OnBeforePrint)
        return;
    std::string text;
    for (const std::string& line : memo1)
        text += line + "\r\n";
    platform::EventArgs args{Variant(text), makeObjectValue(&view)};
    OnBeforePrint(this, args);
}

bool TKSReport::fire(const platform::MethodValue& handler)
{
    platform::EventArgs none;
    return fire(handler, none);
}

bool TKSReport::fire(const platform::MethodValue& handler, platform::EventArgs& args)
{
    if (!handler)
        return false;
    handler(this, args);
    return true;
}
