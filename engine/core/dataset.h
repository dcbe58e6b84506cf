// Datasets the data bands iterate: TKSDataset (record counter, range, navigation
// events) and TKSUserDataset, whose records and fields come from event handlers.
#pragma once

#include "core/report.h"
#include "objects/band.h"

#include <string>
#include <vector>

class TKSDataset : public TKSComponent, public TKSBandDataset {
public:
    TK_CLASS_INFO
    explicit TKSDataset(platform::Component* owner = nullptr);

    std::string DictionaryKey;
    int RecordNo = 0;  // 0-based
    platform::MethodValue OnInit, OnFirst, OnNext, OnPrior;  // sender
    platform::MethodValue OnCheckEOF;                        // sender, var EOF

    void Open() override {}
    void Init() override;
    void Exit() override {}
    void First() override;
    virtual void Last() {}
    void Next() override;
    void Prior() override;
    bool Eof() override;
    virtual bool Active() = 0;
    virtual platform::Variant GetFieldValue(std::string_view field) = 0;
    virtual std::vector<std::string> GetFieldList() = 0;

protected:
    void fire(const platform::MethodValue& handler);
};

class TKSUserDataset : public TKSDataset {
public:
    TK_CLASS_INFO
    using TKSDataset::TKSDataset;

    platform::MethodValue OnGetFieldValue;  // dataset, field name, var value
    platform::MethodValue OnGetFieldsList;  // dataset, var list (array of names)

    bool Active() override { return true; }
    platform::Variant GetFieldValue(std::string_view field) override;
    std::vector<std::string> GetFieldList() override;
};
