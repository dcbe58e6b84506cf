// Bindings of group Dialogs: the message and input box functions over the
// platform's boxes, and the option, button and result constants.
#include "script/bind_format.h"
#include "script/bind_util.h"
#include "script/bindings.h"

#include "platform/dialogs.h"

namespace {

using namespace bind;

constexpr const char* kUnit = "Dialogs";

enum MsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum MsgDlgButton { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };

bool has(uint32_t buttons, MsgDlgButton b) { return (buttons >> b) & 1u; }

// The platform box offers fixed button groups: the group that holds the most
// asked-for buttons is shown (Yes to all, No to all and All have no box).
int buttonFlags(uint32_t buttons)
{
    if (has(buttons, mbAbort) || has(buttons, mbIgnore))
        return platform::MB_ABORTRETRYIGNORE;
    if (has(buttons, mbYes) || has(buttons, mbNo) || has(buttons, mbYesToAll) || has(buttons, mbNoToAll))
        return has(buttons, mbCancel) ? platform::MB_YESNOCANCEL : platform::MB_YESNO;
    if (has(buttons, mbRetry))
        return platform::MB_RETRYCANCEL;
    if (has(buttons, mbCancel))
        return platform::MB_OKCANCEL;
    return platform::MB_OK;
}

int messageDlg(const std::string& text, int type, uint32_t buttons)
{
    static const char* captions[] = {"Warning", "Error", "Information", "Confirm"};
    static const int icons[] = {platform::MB_ICONWARNING, platform::MB_ICONERROR, platform::MB_ICONINFORMATION,
                                platform::MB_ICONQUESTION};
    const bool known = type >= mtWarning && type < mtCustom;
    const std::string caption = known ? captions[type] : platform::applicationTitle();
    // Button codes IDOK.. equal the results mrOk..: 1 OK, 2 Cancel, ... 7 No.
    return platform::messageBox(text, caption, buttonFlags(buttons) | (known ? icons[type] : 0));
}

uint32_t buttonSet(const Variant& v)
{
    if (isSetValue(v))
        return setMaskOf(v);
    if (v.isArray()) {
        uint32_t mask = 0;
        const platform::ArrayBound b = v.bounds(1);
        for (int i = b.low; i <= b.high; ++i)
            mask |= 1u << (v.at(std::span<const int>(&i, 1)).toInteger() & 31);
        return mask;
    }
    return uint32_t(v.toInteger());
}

std::vector<Variant> openArray(const Variant& v)
{
    if (!v.isArray())
        return {v};
    if (v.dimCount() != 1)
        throw std::runtime_error("Sorry.For one-dimensional arrays only.");
    std::vector<Variant> items;
    const platform::ArrayBound b = v.bounds(1);
    for (int i = b.low; i <= b.high; ++i)
        items.push_back(v.at(std::span<const int>(&i, 1)));
    return items;
}

void registerFunctions(TKSInterpreterAdapter& r)
{
    function(r, kUnit, "ShowMessage", 1, [](Variant&, TKSInterpreterArgs& a) { platform::showMessage(text(a, 0)); });
    function(r, kUnit, "ShowMessageFmt", 2, [](Variant&, TKSInterpreterArgs& a) {
        platform::showMessage(formatArguments(text(a, 0), openArray(a.arg(1))));
    });
    // The platform box always opens centred; the position arguments are accepted and unused.
    function(r, kUnit, "ShowMessagePos", 3, [](Variant&, TKSInterpreterArgs& a) { platform::showMessage(text(a, 0)); });
    function(r, kUnit, "MessageDlg", 4, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(messageDlg(text(a, 0), integer(a, 1), buttonSet(a.arg(2))));
    });
    function(r, kUnit, "MessageDlgPos", 6, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(messageDlg(text(a, 0), integer(a, 1), buttonSet(a.arg(2))));
    });
    function(r, kUnit, "MessageDlgPosHelp", 7, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(messageDlg(text(a, 0), integer(a, 1), buttonSet(a.arg(2))));
    });
    function(r, kUnit, "InputBox", 3, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(platform::inputBox(text(a, 0), text(a, 1), text(a, 2)));
    });
    function(r, kUnit, "InputQuery", 3, [](Variant& v, TKSInterpreterArgs& a) {
        std::string value = text(a, 2);
        const bool ok = platform::inputQuery(text(a, 0), text(a, 1), value);
        setVar(a, 2, Variant(value));
        v = Variant(ok);
    }, {256, 256, kstype::VarParam | 256});
}

void registerConstants(TKSInterpreterAdapter& r)
{
    ordinals(r, kUnit, {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp",
                        "ofNoValidate", "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist",
                        "ofFileMustExist", "ofCreatePrompt", "ofShareAware", "ofNoReadOnlyReturn",
                        "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames", "ofOldStyleDialog",
                        "ofNoDereferenceLinks"});
    ordinals(r, kUnit, {"fsEdit", "fsComboBox"});
    ordinals(r, kUnit, {"cdFullOpen", "cdPreventFullOpen", "cdShowHelp", "cdSolidColor", "cdAnyColor"});
    ordinals(r, kUnit, {"fdAnsiOnly", "fdTrueTypeOnly", "fdEffects", "fdFixedPitchOnly", "fdForceFontExist",
                        "fdNoFaceSel", "fdNoOEMFonts", "fdNoSimulations", "fdNoSizeSel", "fdNoStyleSel",
                        "fdNoVectorFonts", "fdShowHelp", "fdWysiwyg", "fdLimitSize", "fdScalableOnly",
                        "fdApplyButton"});
    ordinals(r, kUnit, {"fdScreen", "fdPrinter", "fdBoth"});
    ordinals(r, kUnit, {"prAllPages", "prSelection", "prPageNums"});
    ordinals(r, kUnit, {"poPrintToFile", "poPageNums", "poSelection", "poWarning", "poHelp", "poDisablePrintToFile"});
    ordinals(r, kUnit, {"frDown", "frFindNext", "frHideMatchCase", "frHideWholeWord", "frHideUpDown", "frMatchCase",
                        "frDisableMatchCase", "frDisableUpDown", "frDisableWholeWord", "frReplace", "frReplaceAll",
                        "frWholeWord", "frShowHelp"});
    ordinals(r, kUnit, {"mtWarning", "mtError", "mtInformation", "mtConfirmation", "mtCustom"});
    ordinals(r, kUnit, {"mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry", "mbIgnore", "mbAll", "mbNoToAll",
                        "mbYesToAll", "mbHelp"});
    ordinals(r, kUnit, {"mrNone", "mrOk", "mrCancel", "mrAbort", "mrRetry", "mrIgnore", "mrYes", "mrNo", "mrAll",
                        "mrNoToAll", "mrYesToAll"});
}

} // namespace

void registerDialogsBindings(TKSInterpreterAdapter& registry)
{
    registerFunctions(registry);
    registerConstants(registry);
}
