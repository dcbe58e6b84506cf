// Option objects of the report component: the preview's options (with its
// border pen) and where per-report print settings are kept.
#pragma once

#include "core/units.h"
#include "platform/colors.h"
#include "platform/reflection.h"

#include <string>

// Preview zoom the preview opens with, and the preview's buttons (a set).
enum TKSPreviewZoom : int { pzDefault, pzPageWidth, pzOnePage, pzTwoPages };
enum TKSPreviewButton : int { pbZoom, pbLoad, pbSave, pbPrint, pbFind, pbPageSetup, pbExit, pbDesign, pbSaveToXLS };
inline constexpr unsigned ksPreviewButtonsDefault = 383;  // all but pbDesign

// Pen styles stored in a pen (TPenStyle).
enum TKSPenStyle : int { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

const platform::EnumType& previewZoomType();
const platform::SetType& previewButtonsType();
const platform::EnumType& unitTypeType();

// A pen as the preview draws its page border with it ("TPen").
class TKSPen : public platform::Persistent {
public:
    TK_CLASS_INFO
    platform::Color Color = 0;
    int Style = psSolid;
    int Width = 1;
    void assign(const platform::Persistent& source) override;
};

class TKSPreviewOptions : public platform::Persistent {
public:
    TK_CLASS_INFO
    TKSPreviewOptions();

    TKSUnitType RulerUnit = ksutScreenPixels;
    bool RulerVisible = false;
    bool DrawBorder = false;
    TKSPen* BorderPen() const { return &borderPen_; }
    void SetBorderPen(TKSPen* pen) { borderPen_.assign(*pen); }

    // Copies all four options.
    void assign(const platform::Persistent& source) override;

private:
    mutable TKSPen borderPen_;
};

class TKSSaveReportOptions : public platform::Persistent {
public:
    TK_CLASS_INFO
    bool AutoLoadSaveSetting = false;
    bool UseRegistry = true;
    std::string IniFileName;
    std::string RegistryPath = "Tabellomatics\\ReportSettings\\";
    void assign(const platform::Persistent& source) override;
};
