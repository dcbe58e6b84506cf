// TKSReportPage and TKSDialogPage: the two kinds of template page, with their
// stored records and the paper a report page prints on.
#pragma once

#include "objects/custompage.h"
#include "platform/graphic.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TKSReport;
class TKSEndPages;
class TKSBand;
class TKSView;
class TKSSubReportView;

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

    // --- Building (run time; lengths in thousandths of a millimetre from the
    // top-left corner of the printable area)
    int CurX = 0, CurY = 0;
    int BottomLimit = 0;       // lowest position available to bands
    int ColumnTop = 0;         // CurY at which the current page column started
    int PageColumnWidth = 0;
    int CurColumn = 0;         // 0-based page column
    TKSBand* LastBand = nullptr;
    int RowCounter = 1;        // "_KS_Current"
    int CrossColumnCounter = 1;  // "_KS_Column"
    int FirstPageIndex = 0;    // prepared-page index where this page's output started
    int PageNoBase = 0;        // base of "CURPAGENO"
    int TemplatePageNo = 1;    // 1-based position among the template pages
    bool Finishing = false;    // summary and final footers are printing
    bool Reprinting = false;   // a page or column header is being repeated
    bool InNewPage = false;
    bool BuiltAsSubReport = false;
    int OutlineLevel = 0;
    int MaxDetailLevel = 0;
    std::array<std::vector<TKSBand*>, 18> BandLists;  // per band type, in top order
    std::vector<TKSSubReportView*> FixedSubReports;

    // The prepared-page list this page writes into: a fixed sub-report's own
    // list while it is built; null means the report's.
    TKSEndPages* Output = nullptr;
    TKSEndPages& OutputPages() const;

    // Links the page's sub-report objects to their pages; std::runtime_error
    // for a sub-report naming no report page.
    void LinkSubReports();
    // Once per pass, around the builds of the pass.
    void PreparePage();
    void UnpreparePage();
    // Builds this page into the report's prepared pages.
    void BuildPage();
    void NewPage();
    void NewColumn(TKSBand* caller = nullptr);
    // Prints the band of that name now (types 0 to 17 in list order); false when none.
    bool ShowBand(std::string_view name);
    // OnBeforePrintBand, then the band unless the handler cleared the flag. Null is ignored.
    void PrintBand(TKSBand* band);
    TKSBand* FirstBand(int type) const;
    // Paper less the top and bottom margins (and the page footer when printing one).
    int PageBottom() const;
    TKSReport* Report() const;

    // Centres the objects of prepared page `index` (AutoHCenter/AutoVCenter).
    void CenterPreparedPage(int index);
    // Shrinks prepared page `index` to the height of its content.
    void FitPreparedPage(int index);

    // Keep-together blocks: open, cut out of a closing page, re-emit, close.
    void OpenKeepBlock();
    void CloseKeepBlock();

private:
    void updateMetrics();
    // Arrangement (pagebuilder_arrange.cpp).
    void arrangeBands();
    void attachObjects(TKSBand& band, std::vector<bool>& attached);
    void pairHeadersAndFooters();
    void pairGroups();
    void assignDetailLevels();
    void bindObjectFields();
    // Pages and columns (pagebuilder_build.cpp, pagebuilder_keep.cpp).
    void startPreparedPage();
    void printPageFooter(bool final);
    void printColumnFooter();
    void writePageOutline();
    void cutKeepBlock();
    void reemitKeepBlock();
    void reprintAfterBreak(TKSBand* caller);
    bool continuesOnNextPage() const;
    platform::Stream& pageStream();
    // Printing one band (bandprint_place.cpp, bandprint_split.cpp).
    void printBandNow(TKSBand& band);
    void placeBand(TKSBand& band);
    bool fits(TKSBand& band, int height, bool tryNextColumn);
    void advanceBandColumn(TKSBand& band);
    void repeatColumnHeaders(TKSBand& band);
    bool keepChecksBreak(TKSBand& band, int height);
    void breakFor(TKSBand& band);
    void stretchBand(TKSBand& band);
    void writeBand(TKSBand& band, int height);
    void writeBandObjects(TKSBand& band);
    void writeObject(TKSBand& band, TKSView& view);
    void writeBandOutline(TKSBand& band);
    void splitBand(TKSBand& band);
    int columnFooterHeight() const;
    // Data loops (bandprint_data.cpp).
    void dataLoop(int level, TKSBand* caller);
    void recordLoop(TKSBand& band, int level);
    bool checkGroups(TKSBand& band);
    void queueBand(TKSBand* band);
    void printQueue();
    void appendBlankRows(TKSBand& band, int reserve);
    bool conditionHolds(const std::string& expression, bool nullResult);
    void evaluationFailed(const std::exception& error);
    // Sub-reports (pagebuilder_subreport.cpp).
    TKSReportPage& subReportPage(const TKSSubReportView& view) const;
    void buildFixedSubReports();
    void mergeSubReportPages(int index);
    bool subReportPagesPending() const;
    void finishSubReportPages();
    void buildChildSubReports(TKSBand& band, int height);
    void buildAsChild(TKSReportPage& parent, int x, int y);
    bool isChildSubReport() const;

    // Cross columns (bandprint_cross.cpp).
    void arrangeCrossBands();
    bool hasCrossObjects(const TKSBand& band) const;
    void printCrossColumns(TKSBand& band);
    void writeCrossObjects(TKSBand& row, const TKSBand* cross, int x);
    void startCrossPage(int index);
    void finishReopenedPages();
    std::unordered_map<TKSView*, TKSBand*> crossBandOf_;  // objects standing in a cross band

    struct SubReportBuild {
        TKSSubReportView* view = nullptr;
        std::unique_ptr<TKSEndPages> pages;
        int outlineTaken = 0;
    };
    std::vector<SubReportBuild> subBuilds_;
    bool inBuild_ = false;  // cycle guard: a page met again while it builds is its own sub-report
    TKSReportPage* childParent_ = nullptr;  // the page a child sub-report is built inside

    std::vector<TKSBand*> printQueue_;
    int newPageDepth_ = 0;
    int columnCount_ = 1;
    std::vector<std::unique_ptr<TKSBand>> ownBands_;  // the no-band band and invisible group footers

    struct KeepBlock {
        int depth = 0;
        std::int64_t streamPos = 0;
        int pageIndex = -1;
        int x = 0, y = 0;
        std::string cut;     // object records cut from a closing page
        std::size_t outlineFrom = 0;  // outline entries made inside the block start here
        bool pending = false;
    } keep_;
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
