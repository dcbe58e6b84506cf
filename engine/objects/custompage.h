// TKSCustomPage: the base of template and prepared pages as report objects see it: a
// named list of owned views in z-order, the report, and the layout the views align to.
#pragma once

#include "objects/persistent.h"
#include "platform/font.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TKSView;
class TKSReportContext;
class TKSSubReportView;

class TKSCustomPage : public TKSPersistent {
public:
    TK_CLASS_INFO
    TKSCustomPage();
    ~TKSCustomPage() override;
    TKSCustomPage(const TKSCustomPage&) = delete;
    TKSCustomPage& operator=(const TKSCustomPage&) = delete;

    TKSReportContext* ParentReport = nullptr;
    bool Visible = true;
    bool PrintToPrevPage = false;
    // Default font of new objects.
    platform::Font Font;
    // Report pages: evaluated at each build into the page's outline entry.
    const std::string& OutlineText() const { return outlineText_; }
    void SetOutlineText(std::string_view text);
    platform::MethodValue OnActivate;
    platform::MethodValue OnBeginPage, OnEndPage;  // page number

    // The stored page record (after the class name); each page class writes
    // its own, the base has none.
    virtual void LoadFromStream(platform::Stream& /*s*/) {}
    virtual void SaveToStream(platform::Stream& /*s*/) const {}
    // Run after a whole template has loaded.
    virtual void AfterLoad() {}

    // Margins, thousandths of a millimetre; paper in tenths of a millimetre.
    int MarginLeft = 0, MarginTop = 0, MarginRight = 0, MarginBottom = 0;
    int PageWidth = 2100, PageHeight = 2970;

    // Sub-report state set by a sub-report object's Prepare.
    bool IsSubReportPage = false;
    TKSCustomPage* ParentPage = nullptr;
    TKSSubReportView* SubReport = nullptr;
    std::vector<TKSCustomPage*> ParentChain;  // nearest first, outermost last
    int SubPageNumber = 0;  // 1-based index of a fixed sub-report page
    int XOffset = 0, YOffset = 0;
    int OriginX = 0, OriginY = 0;
    int PaperWidthPixels = 0, PaperHeightPixels = 0;

    // Paper width less the side margins, in screen pixels.
    virtual int PrintableWidthPixels() const;

    // Hands a new view to this page as SetParentPage does (parent report,
    // automatic name) and returns it, still typed.
    template <class View> View& Adopt(std::unique_ptr<View> view)
    {
        View& adopted = *view;
        view.release()->SetParentPage(this);
        return adopted;
    }

    const std::vector<TKSView*>& Objects() const { return objects_; }
    // Takes ownership, appending at the top of the z-order.
    void AddObject(std::unique_ptr<TKSView> view);
    // Gives up ownership (null when the view is not on this page).
    std::unique_ptr<TKSView> RemoveObject(TKSView* view);
    void ClearObjects();
    TKSView* FindObject(std::string_view name) const;

private:
    std::vector<TKSView*> objects_;  // owned
    std::string outlineText_;
};
