// Option objects of the report component: published properties and copying.
#include "core/report_options.h"

#include <stdexcept>

using platform::ClassInfo;
using platform::EnumType;
using platform::SetType;

const EnumType& previewZoomType()
{
    static const EnumType type("TKSPreviewZoom", {"pzDefault", "pzPageWidth", "pzOnePage", "pzTwoPages"});
    return type;
}

const SetType& previewButtonsType()
{
    static const EnumType element("TKSPreviewButton", {"pbZoom", "pbLoad", "pbSave", "pbPrint", "pbFind",
                                                       "pbPageSetup", "pbExit", "pbDesign", "pbSaveToXLS"});
    static const SetType type{"TKSPreviewButtons", &element};
    return type;
}

const EnumType& unitTypeType()
{
    static const EnumType type("TKSUnitType", {"ksutScreenPixels", "ksutInches", "ksutMillimeters", "ksutMMThousandths"});
    return type;
}

static const EnumType& penStyleType()
{
    static const EnumType type("TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
                                             "psInsideFrame"});
    return type;
}

const ClassInfo& TKSPen::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TKSPen>("TPen", &Persistent::staticClassInfo())
        .prop("Color", &TKSPen::Color).type("TColor").byDefault(0)
        .enumeration("Style", penStyleType(), &TKSPen::Style, &TKSPen::Style).byDefault(0)
        .prop("Width", &TKSPen::Width).byDefault(1);
    return info;
}

void TKSPen::assign(const platform::Persistent& source)
{
    auto* pen = dynamic_cast<const TKSPen*>(&source);
    if (!pen)
        return Persistent::assign(source);
    Color = pen->Color;
    Style = pen->Style;
    Width = pen->Width;
}

TKSPreviewOptions::TKSPreviewOptions()
{
    borderPen_.Color = platform::Color(16711680);  // blue
    borderPen_.Style = psDash;
}

const ClassInfo& TKSPreviewOptions::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TKSPreviewOptions>("TKSPreviewOptions", &Persistent::staticClassInfo())
        .enumeration("RulerUnit", unitTypeType(), &TKSPreviewOptions::RulerUnit, &TKSPreviewOptions::RulerUnit)
        .byDefault(0)
        .prop("RulerVisible", &TKSPreviewOptions::RulerVisible).byDefault(false)
        .prop("DrawBorder", &TKSPreviewOptions::DrawBorder).byDefault(false)
        .object("BorderPen", TKSPen::staticClassInfo(), &TKSPreviewOptions::BorderPen, &TKSPreviewOptions::SetBorderPen);
    return info;
}

void TKSPreviewOptions::assign(const platform::Persistent& source)
{
    auto* options = dynamic_cast<const TKSPreviewOptions*>(&source);
    if (!options)
        return Persistent::assign(source);
    RulerUnit = options->RulerUnit;
    RulerVisible = options->RulerVisible;
    DrawBorder = options->DrawBorder;
    borderPen_.assign(options->borderPen_);
}

const ClassInfo& TKSSaveReportOptions::staticClassInfo()
{
    static const ClassInfo info =
        ClassInfo::define<TKSSaveReportOptions>("TKSSaveReportOptions", &Persistent::staticClassInfo())
            .prop("AutoLoadSaveSetting", &TKSSaveReportOptions::AutoLoadSaveSetting).byDefault(false)
            .prop("UseRegistry", &TKSSaveReportOptions::UseRegistry).byDefault(true)
            .prop("IniFileName", &TKSSaveReportOptions::IniFileName)
            .prop("RegistryPath", &TKSSaveReportOptions::RegistryPath)
            .byDefault(std::string("Tabellomatics\\ReportSettings\\"));
    return info;
}

void TKSSaveReportOptions::assign(const platform::Persistent& source)
{
    auto* options = dynamic_cast<const TKSSaveReportOptions*>(&source);
    if (!options)
        return Persistent::assign(source);
    AutoLoadSaveSetting = options->AutoLoadSaveSetting;
    UseRegistry = options->UseRegistry;
    IniFileName = options->IniFileName;
    RegistryPath = options->RegistryPath;
}
