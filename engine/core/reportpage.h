// TKSReportPage and TKSDialogPage: the two kinds of template page, with their
// stored records and the paper a report page prints on.
#pragma once

#include "objects/custompage.h"
#include "platform/graphic.h"

#include <cstdint>
#include <memory>
#include <string>

enum TKSPageOrientation : std::uint8_t { kspoPortrait, kspoLandscape };
enum TKSDuplex : std::uint8_t { ksdpNone, ksdpHorizontal, ksdpVertical };

inline constexpr int kCustomPaperSize = 256;
inline constexpr int kDefaultPaperBin = 65535;

// What the printer reports for one paper: paper size in printer pixels, page
// size in screen pixels, physical offsets in printer pixels.
struct TKSPrintMetrics {
    int PaperWidth = 0, PaperHeight = 0;
    int PageWidthPixels = 0, PageHeightPixels = 0;
    int OffsetLeft = 0, OffsetTop = 0;
    bool operator==(const TKSPrintMetrics&) const = default;
};

class TKSReportPage : public TKSCustomPage {
public:
    TK_CLASS_INFO
    // Takes the current paper of the printer layer (A4 portrait, default bin,
    // until a printer is selected) and 15 mm margins.
    TKSReportPage();
    TKSReportPage(int paperSize, int paperWidth, int paperHeight, int bin, TKSPageOrientation orientation);
    ~TKSReportPage() override;

    int PageSize = 9;
    TKSPageOrientation PageOrientation = kspoPortrait;
    int PageBin = kDefaultPaperBin;
    bool ResetPageNo = false;
    bool NewPrintJob = false;
    std::shared_ptr<platform::Graphic> BackPicture;  // null: none
    int BackPictureLeft = 0, BackPictureTop = 0;     // thousandths of a millimetre
    int BackPictureWidth = -1, BackPictureHeight = -1;
    TKSDuplex Duplex = ksdpNone;
    bool AutoVCenter = false, AutoHCenter = false;
    std::uint16_t Reserved = 0;
    bool ShowBackPicture = true;  // not stored
    int ColumnCount() const { return columnCount_; }
    // Values below 1 are ignored.
    void SetColumnCount(int count);
    int ColumnGap = 0;  // thousandths of a millimetre
    TKSPrintMetrics PrintMetrics;

    // Selects the paper on the printer layer and copies back what it took
    // (the bin only when a bin other than the default was asked for).
    void ChangePaper(int paperSize, int paperWidth, int paperHeight, int bin, TKSPageOrientation orientation);
    // Paper in screen pixels at 96 per inch, from the page size in tenths of a millimetre.
    int PaperWidthInPixels() const;
    int PaperHeightInPixels() const;

    void LoadFromStream(platform::Stream& s) override;
    void SaveToStream(platform::Stream& s) const override;

    bool GetPropValue(std::string_view name, const TKSPropArgs& args, platform::Variant& value) override;
    bool SetPropValue(std::string_view name, const platform::Variant& value) override;

    static constexpr std::uint16_t kRecordVersion = 4;

private:
    void updateMetrics();
    int columnCount_ = 1;
};

class TKSDialogPage : public TKSCustomPage {
public:
    TK_CLASS_INFO
    TKSDialogPage();

    std::string Caption = "Form";
    int Left = 220, Top = 180, Width = 380, Height = 300;
    std::int32_t Color;         // the button-face colour
    std::int32_t BorderStyle;   // dialog
    std::int32_t Position;      // screen centre

    void LoadFromStream(platform::Stream& s) override;
    void SaveToStream(platform::Stream& s) const override;

    static constexpr std::uint16_t kRecordVersion = 1;
};

// A new template page of the class stored under `className` (engine name rule);
// null for any other name.
std::unique_ptr<TKSCustomPage> CreatePage(std::string_view className);
