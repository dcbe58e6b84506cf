// TKSSubReportView: makes another template page print inside this one, either
// built separately and merged (fixed) or inside the band that holds it (child).
#pragma once

#include "objects/view.h"

enum TKSSubReportType : std::uint8_t { ksstFixed, ksstChild };

class TKSSubReportView : public TKSReportView {
public:
    TK_CLASS_INFO
    TKSSubReportView();

    int SubPage = -1;  // 0-based template page index; outside the list: none
    TKSSubReportType SubReportType = ksstChild;
    bool SubReportReady = false;

    std::string GetViewCaption() const override { return "[SubReport]"; }
    void LoadFromStream(platform::Stream& s) override;
    void SaveToStream(platform::Stream& s) override;
    void Draw(platform::Canvas& canvas) override;
    // Links the sub-report page to this object's page before a run.
    void Prepare() override;
};
