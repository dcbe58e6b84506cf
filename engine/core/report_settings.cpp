// TKSReport: per-report print settings (offsets, flags, page margins) in the
// settings store or an INI file, under a section named after the report.
#include "core/report.h"

#include "platform/settings.h"

#include <algorithm>

namespace {

const char* const kMarginNames[] = {"_LeftMargin", "_TopMargin", "_RightMargin", "_BottomMargin"};

int* marginOf(TKSCustomPage& page, int side)
{
    int* margins[] = {&page.MarginLeft, &page.MarginTop, &page.MarginRight, &page.MarginBottom};
    return margins[side];
}

// Dialog pages keep no print settings; none exists yet.
bool isDialogPage(const TKSCustomPage&) { return false; }

} // namespace

std::string TKSReport::settingsSection() const
{
    return ReportInfo.ReportTitle.empty() ? FileName : ReportInfo.ReportTitle;
}

static std::string joinKey(std::string path, const std::string& section)
{
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path + section;
}

// Where this report's print settings live: the user's store under RegistryPath
// or the INI file, with the report's section; nothing when saving is off.
std::optional<TKSReport::SettingsPlace> TKSReport::settingsPlace() const
{
    const TKSSaveReportOptions& options = saveOptions_;
    const std::string section = settingsSection();
    if (!options.AutoLoadSaveSetting || section.empty())
        return std::nullopt;
    if (options.UseRegistry)
        return SettingsPlace{platform::Settings::userStore(), joinKey(options.RegistryPath, section)};
    return SettingsPlace{platform::Settings::iniFile(options.IniFileName), section};
}

void TKSReport::LoadReportSetting()
{
    if (fire(OnLoadReportSetting))
        return;
    std::optional<SettingsPlace> place = settingsPlace();
    if (!place)
        return;
    platform::Settings& store = place->store;
    const std::string& key = place->key;
    if (!store.keyExists(key))
        return;
    Taoda = store.readBool(key, "taoda", Taoda);
    mmPrintOffsetTop = store.readInteger(key, "mmPrintOffsetTop", 0);
    mmPrintOffsetLeft = store.readInteger(key, "mmPrintOffsetLeft", 0);
    ColorPrint = store.readBool(key, "ColorPrint", ColorPrint);
    doublePass_ = store.readBool(key, "DoublePass", doublePass_);
    const int last = std::min(store.readInteger(key, "PageCount", -1), Pages.Count() - 1);
    for (int n = 0; n <= last; ++n) {
        TKSCustomPage& page = *Pages.Page(n);
        if (isDialogPage(page))
            continue;
        for (int side = 0; side < 4; ++side)
            *marginOf(page, side) = store.readInteger(key, "Page_" + std::to_string(n) + kMarginNames[side], 0);
    }
}

void TKSReport::SaveReportSetting()
{
    if (fire(OnSaveReportSetting))
        return;
    std::optional<SettingsPlace> place = settingsPlace();
    if (!place)
        return;
    platform::Settings& store = place->store;
    const std::string& key = place->key;
    store.writeBool(key, "taoda", Taoda);
    store.writeInteger(key, "mmPrintOffsetTop", mmPrintOffsetTop);
    store.writeInteger(key, "mmPrintOffsetLeft", mmPrintOffsetLeft);
    store.writeBool(key, "ColorPrint", ColorPrint);
    store.writeBool(key, "DoublePass", doublePass_);
    store.writeBool(key, "NewFlag", true);
    // The count of pages, so that loading reads every page's margins.
    store.writeInteger(key, "PageCount", Pages.Count());
    for (int n = 0; n < Pages.Count(); ++n) {
        TKSCustomPage& page = *Pages.Page(n);
        if (isDialogPage(page))
            continue;
        for (int side = 0; side < 4; ++side)
            store.writeInteger(key, "Page_" + std::to_string(n) + kMarginNames[side], *marginOf(page, side));
    }
    store.flush();
}
