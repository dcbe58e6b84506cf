// TKSOutlineView: an entry of the preview's outline carried inside a prepared page;
// never part of a template, drawn as nothing.
#pragma once

#include "objects/view.h"

class TKSOutlineView : public TKSReportView {
public:
    TK_CLASS_INFO
    TKSOutlineView();

    std::string OutlineCaption;
    int OutlinePage = 0;
    int OutlineLevel = 0;

    // Its whole record is its own body (no common view record).
    void LoadFromStream(platform::Stream& s) override;
    void SaveToStream(platform::Stream& s) override;
    void Draw(platform::Canvas&) override {}
    void PlaceOnEndPage(platform::Stream& s) override;
    void Prepare() override {}

    // Caption 01 page 01 top-in-pixels 01 level.
    std::string OutlineEntryText() const;
};
