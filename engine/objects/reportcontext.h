// What report objects need of their report and of a bound dataset field: small
// abstract seams that the report component implements (and tests replace by fakes).
#pragma once

#include "platform/canvas.h"
#include "platform/variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TKSView;
class TKSReportView;
class TKSCustomBandView;
class TKSCustomPage;
class TKSBandDataset;

// Document modes of a report; any mode but ksdmDesigning counts as running.
enum TKSDocMode : int { ksdmDesigning = 0, ksdmPrinting = 1, ksdmPreviewing = 2 };

class TKSReportContext {
public:
    virtual ~TKSReportContext() = default;

    virtual int DocMode() const = 0;
    // The designer switch: geometry writes honour Restrictions only while it is on.
    virtual bool DesignerOn() const { return false; }
    // Off only while printing onto pre-printed forms.
    virtual bool PrintBackground() const { return true; }
    // True while the page builder appends blank data rows.
    virtual bool AppendBlanking() const { return false; }
    virtual bool DoublePass() const { return false; }
    virtual bool FinalPass() const { return false; }

    // Value of one bracketed expression of `view`'s text (Null for unknown names).
    virtual platform::Variant EvaluateExpression(TKSReportView& view, std::string_view expression) = 0;
    // The expression-evaluation flag, set while a view expands its brackets.
    virtual void SetExpandingText(bool on) = 0;

    // The band being printed while the report runs (null when none).
    virtual TKSCustomBandView* CurrentBand() const { return nullptr; }
    virtual void SetCurrentView(TKSView* view) = 0;
    // The canvas objects are laid out on while placing (may be null).
    virtual platform::Canvas* DrawingCanvas() { return nullptr; }

    // The report's OnBeforePrint event with a view's working text.
    virtual void FireBeforePrint(std::vector<std::string>& memo1, TKSView& view) = 0;

    // An object of any template page with that name (engine name rule), or null.
    virtual TKSView* FindObject(std::string_view name) const = 0;
    // Template pages by index (null outside the list).
    virtual int PageCount() const { return 0; }
    virtual TKSCustomPage* Page(int /*index*/) const { return nullptr; }

    // --- Bands and their data (datasets live with the page builder)
    // A dataset name translated through the dictionary's alias table.
    virtual std::string TranslateAlias(std::string_view name) const { return std::string(name); }
    // The dataset of that name from the report's owner; null when none.
    virtual TKSBandDataset* FindDataset(std::string_view /*name*/) const { return nullptr; }
    // The report's own master dataset (null when none).
    virtual TKSBandDataset* ReportDataset() const { return nullptr; }
    // A new event-driven dataset for bands that print a record count.
    virtual std::unique_ptr<TKSBandDataset> CreateCountDataset() = 0;
    // The parser's converted form of an expression.
    virtual std::string ConvertExpression(std::string_view expression) { return std::string(expression); }
    // Hands an error to the report's error handling; HasError: one was recorded this run.
    virtual void ReportError(const std::string& text) = 0;
    virtual bool HasError() const { return false; }
};

// What a band needs of a dataset: its record range, the open/close bracket of a
// run and the navigation of the data loops. Navigation defaults to an empty set.
class TKSBandDataset {
public:
    virtual ~TKSBandDataset() = default;
    virtual void Init() = 0;
    virtual void Exit() = 0;
    virtual void Open() {}
    virtual void First() {}
    virtual void Next() {}
    virtual void Prior() {}
    virtual bool Eof() { return true; }
    std::uint8_t RangeBegin = 0;     // TKSRangeBegin
    std::uint8_t RangeEnd = 0;       // TKSRangeEnd
    int RangeEndCount = 0;
};

// A dataset field bound to a view by the page builder (the whole text is one field).
class TKSDataFieldLink {
public:
    virtual ~TKSDataFieldLink() = default;
    virtual bool IsBinary() const = 0;
    virtual bool IsNull() const = 0;
    virtual std::string Bytes() const = 0;   // raw contents
    virtual std::string Text() const = 0;    // display text
};
