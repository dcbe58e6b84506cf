// Bands: TKSCustomBandView and TKSBand with their eighteen types, option bits,
// stream part, script names, and the dataset binding of a report run.
#pragma once

#include "objects/view.h"

#include <memory>
#include <string>
#include <vector>

enum TKSBandType : std::uint8_t {
    ksbtReportTitle, ksbtReportSummary, ksbtPageHeader, ksbtPageFooter, ksbtHeader, ksbtFooter,
    ksbtMasterData, ksbtDetailData, ksbtOverlay, ksbtColumnHeader, ksbtColumnFooter, ksbtGroupHeader,
    ksbtGroupFooter, ksbtCrossHeader, ksbtCrossData, ksbtCrossFooter, ksbtChild, ksbtNone
};

enum TKSRangeBegin : std::uint8_t { ksrbFirst, ksrbCurrent, ksrbDefault };
enum TKSRangeEnd : std::uint8_t { ksreLast, ksreCurrent, ksreCount, ksreDefault };

// Band bits of Flags.
namespace ksbf {
inline constexpr std::uint32_t NewPageAfter = 1, PrintIfSubsetEmpty = 2, PageBreaked = 4, PrintOnFirstPage = 8,
    PrintOnLastPage = 16, ReprintOnNewPage = 32, AutoAppendBlank = 128, PrintColumnFirst = 512,
    ReprintOnNewColumn = 1024, PrintIfEmpty = 2048, PrintAtDesignPos = 4096, HideIfEmpty = 8192,
    PrintBeforeSummaryBand = 131072, PrintChildIfInvisible = 262144, AlignToBottom = 524288,
    Stretched = 2147483648u;
}
// Bits of Flags2.
namespace ksbf2 {
inline constexpr std::uint32_t KeepChild = 1, KeepFooter = 2, KeepTogether = 4, AdjustColumns = 8;
}

class TKSCustomBandView : public TKSReportView {
public:
    TK_CLASS_INFO
    static constexpr int kPartVersion = 5;

    TKSCustomBandView();

    platform::Font Font;
    TKSBandType BandType = ksbtNone;
    bool DataSetIsCount = false;
    bool CrossDataSetIsCount = false;
    int LinesPerPage = 0;
    TKSRangeBegin RangeBegin = ksrbDefault;
    TKSRangeEnd RangeEnd = ksreDefault;
    int mmColumnGap = 5292;     // 20 pixels
    int Columns = 1;
    int mmColumnWidth = 52917;  // 200 pixels
    int mmColumnOffset = 0;
    platform::MethodValue OnAfterPrint;
    std::uint32_t Flags2 = 0;

    bool Flag2(std::uint32_t bit) const { return (Flags2 & bit) != 0; }
    void SetFlag2(std::uint32_t bit, bool on) { Flags2 = on ? (Flags2 | bit) : (Flags2 & ~bit); }
    bool IsCross() const { return BandType >= ksbtCrossHeader && BandType <= ksbtCrossFooter; }

    const std::string& DataSetName() const { return dataSetName_; }
    const std::string& CrossDataSetName() const { return crossDataSetName_; }
    const std::string& NewPageCondition() const { return newPageCondition_; }
    const std::string& PrintCondition() const { return printCondition_; }
    const std::string& ChildBand() const { return childBand_; }
    const std::string& MasterBandName() const { return masterBandName_; }
    const std::string& DataBandName() const { return dataBandName_; }
    const std::string& OutlineText() const { return outlineText_; }
    int RangeEndCount() const { return rangeEndCount_; }
    // Setters with the behaviour of the band's published properties.
    void SetDataSetName(std::string value);
    void SetCrossDataSetName(std::string value);
    void SetNewPageCondition(std::string value);
    void SetPrintCondition(std::string value);
    virtual void SetChildBand(std::string value);
    void SetMasterBandName(std::string value);
    void SetDataBandName(std::string value);
    void SetOutlineText(std::string value);
    virtual void SetRangeEndCount(int value);

    double ColumnGap() const { return ToPublished(mmColumnGap); }
    double ColumnWidth() const { return ToPublished(mmColumnWidth); }
    double ColumnOffset() const { return ToPublished(mmColumnOffset); }
    void SetColumnGap(double v) { mmColumnGap = FromPublished(v); }
    void SetColumnWidth(double v) { mmColumnWidth = FromPublished(v); }
    void SetColumnOffset(double v) { mmColumnOffset = FromPublished(v); }

    void LoadFromStream(platform::Stream& s) override;
    void SaveToStream(platform::Stream& s) override;
    bool DesignerQuery() const override { return false; }
    // Bands are drawn only by a template designer, which this system does not contain.
    void Draw(platform::Canvas&) override {}

protected:
    bool Building() const { return ParentReport && ParentReport->DocMode() == ksdmPreviewing; }
    // Converted form of an expression while building, else the text.
    std::string Converted(std::string text) const;

    std::string dataSetName_, crossDataSetName_, newPageCondition_, printCondition_;
    std::string childBand_, masterBandName_, dataBandName_, outlineText_;
    int rangeEndCount_ = 0;
};

class TKSBandChild;

// A band with the run-time state the page builder uses.
class TKSBand : public TKSCustomBandView {
public:
    TK_CLASS_INFO
    TKSBand();
    ~TKSBand() override;

    // --- Run-time state (page builder)
    int RowNo = 0;
    int RowCount = 1;
    int RowCounter = 1;      // companion counter of RowCount
    int CurrentColumn = 1;
    int PassCounter = 0;
    std::vector<TKSView*> BandObjects;        // not owned
    std::vector<TKSView*> ChildSubReports;    // not owned
    TKSBandChild* ResolvedChild = nullptr;
    TKSBandDataset* Dataset = nullptr;        // resolved from DataSetName
    TKSBandDataset* CrossDataset = nullptr;   // resolved by the page (cross bands)

    // --- Printing state (the band's top is overwritten with the print position
    // while it prints and restored afterwards)
    int CalcHeight = 0;          // height of this print
    int LineNo = 1;              // "_KS_Line"
    int LineThrough = 1;         // "_KS_LineThough"
    int PageRows = 0;            // rows printed on the current page
    int ColumnX = 0, ColumnY = 0, MaxColumnY = 0;
    int StartY = 0;              // Y at which the band started on the page
    int LastPageIndex = -1;      // prepared page it last printed on
    bool Reprint = false, FirstPart = false, Splitting = false, Advance = true;
    bool KeepOpened = false;
    // Links set by the page's arrangement (not owned).
    TKSBand* Header = nullptr;
    TKSBand* Footer = nullptr;
    TKSBand* Master = nullptr;
    TKSBand* GroupFooter = nullptr;   // of a group header
    TKSBand* GroupHeader = nullptr;   // of a group footer
    int DetailLevel = 0;
    int GroupLevel = 0;
    bool FirstGroup = false;
    std::vector<TKSBand*> Groups;     // of a master-data band: its group headers, outer to inner
    platform::Variant GroupValue;     // GroupCondition at the last group change
    // Clears the links and counters of the arrangement.
    void ResetArrangement();
    bool IsDataBand() const { return BandType == ksbtMasterData || BandType == ksbtDetailData; }
    bool IsMultiColumn() const { return Columns > 1; }

    void SetChildBand(std::string value) override;
    void SetRangeEndCount(int value) override;

    bool GetPropValue(std::string_view name, const TKSPropArgs& args, platform::Variant& value) override;
    platform::Object* GetPropObject(std::string_view name) override;

    void Prepare() override;
    void Unprepare() override;
    // Resolves the cross dataset (called by the page when it has a cross-data band).
    void PrepareCrossDataset();

private:
    void ResolveDataset();
    void ApplyRange();
    void ReleaseDatasets();

    std::unique_ptr<TKSBandDataset> ownDataset_;       // created for a record count
    std::unique_ptr<TKSBandDataset> ownCrossDataset_;
    bool rangeChanged_ = false;
    std::uint8_t savedRangeBegin_ = 0, savedRangeEnd_ = 0;
    int savedRangeEndCount_ = 0;
};

#define TKS_DECLARE_BAND(Class, Base)   \
    class Class : public Base {         \
    public:                             \
        TK_CLASS_INFO                   \
        Class();                        \
    };

TKS_DECLARE_BAND(TKSBandReportTitle, TKSBand)
TKS_DECLARE_BAND(TKSBandReportSummary, TKSBand)
TKS_DECLARE_BAND(TKSBandPageHeader, TKSBand)
TKS_DECLARE_BAND(TKSBandPageFooter, TKSBand)
TKS_DECLARE_BAND(TKSBandHeader, TKSBand)
TKS_DECLARE_BAND(TKSBandFooter, TKSBand)
TKS_DECLARE_BAND(TKSBandMasterData, TKSBand)
TKS_DECLARE_BAND(TKSBandDetailData, TKSBandMasterData)
TKS_DECLARE_BAND(TKSBandOverlay, TKSBand)
TKS_DECLARE_BAND(TKSBandColumnHeader, TKSBand)
TKS_DECLARE_BAND(TKSBandColumnFooter, TKSBand)
TKS_DECLARE_BAND(TKSBandGroupHeader, TKSBand)
TKS_DECLARE_BAND(TKSBandGroupFooter, TKSBand)
TKS_DECLARE_BAND(TKSBandCrossHeader, TKSBand)
TKS_DECLARE_BAND(TKSBandCrossFooter, TKSBand)
TKS_DECLARE_BAND(TKSBandChild, TKSBand)

class TKSBandCrossData : public TKSBand {
public:
    TK_CLASS_INFO
    TKSBandCrossData();
    std::string DataSource;  // published, not stored
};

#undef TKS_DECLARE_BAND

// A band of the given type (0..16); null for ksbtNone and unknown types.
std::unique_ptr<TKSBand> CreateBand(int bandType);
// Object type code (50..66) of a band type; 0 for none.
int BandObjectType(int bandType);
