// A report stand-in for view tests: named values for expressions, pages to look
// objects up on, and a record of what the views asked of it.
#pragma once

#include "objects/custompage.h"
#include "objects/view.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class FakeReport : public TKSReportContext {
public:
    int mode = ksdmPreviewing;
    std::map<std::string, platform::Variant> values;
    std::vector<TKSCustomPage*> pages;
    TKSCustomBandView* band = nullptr;
    bool expanding = false;
    int expandingCalls = 0;
    std::vector<std::string> errors;

    int DocMode() const override { return mode; }
    platform::Variant EvaluateExpression(TKSReportView&, std::string_view expression) override
    {
        auto it = values.find(std::string(expression));
        return it == values.end() ? platform::Variant::null() : it->second;
    }
    void SetExpandingText(bool on) override
    {
        expanding = on;
        ++expandingCalls;
    }
    TKSCustomBandView* CurrentBand() const override { return band; }
    void SetCurrentView(TKSView*) override {}
    void FireBeforePrint(std::vector<std::string>&, TKSView&) override {}
    TKSView* FindObject(std::string_view name) const override
    {
        for (TKSCustomPage* p : pages)
            if (TKSView* v = p->FindObject(name))
                return v;
        return nullptr;
    }
    int PageCount() const override { return static_cast<int>(pages.size()); }
    TKSCustomPage* Page(int i) const override { return i >= 0 && i < PageCount() ? pages[i] : nullptr; }
    std::unique_ptr<TKSBandDataset> CreateCountDataset() override;
    void ReportError(const std::string& text) override { errors.push_back(text); }
    bool HasError() const override { return !errors.empty(); }
};

// A dataset that counts its brackets.
class FakeDataset : public TKSBandDataset {
public:
    int inits = 0, exits = 0;
    void Init() override { ++inits; }
    void Exit() override { ++exits; }
};

inline std::unique_ptr<TKSBandDataset> FakeReport::CreateCountDataset() { return std::make_unique<FakeDataset>(); }
