// TKSCustomPage: the owned object list of a page and its printable width.
#include "objects/custompage.h"

#include "core/textutil.h"
#include "core/units.h"
#include "expr/exprtext.h"
#include "objects/view.h"

#include <algorithm>

const platform::ClassInfo& TKSCustomPage::staticClassInfo()
{
    static const platform::ClassInfo info =
        platform::ClassInfo::define<TKSCustomPage>("TKSCustomPage", &TKSPersistent::staticClassInfo())
            .prop("Visible", &TKSCustomPage::Visible)
            .prop("PrintToPrevPage", &TKSCustomPage::PrintToPrevPage)
            .prop("OutlineText", [](const TKSCustomPage& p) { return p.OutlineText(); },
                  [](TKSCustomPage& p, const std::string& t) { p.SetOutlineText(t); })
            .event("OnActivate", "TNotifyEvent", &TKSCustomPage::OnActivate)
            .event("OnBeginPage", "TKSBeginPageEvent", &TKSCustomPage::OnBeginPage)
            .event("OnEndPage", "TKSEndPageEvent", &TKSCustomPage::OnEndPage);
    return info;
}

TKSCustomPage::TKSCustomPage() = default;

TKSCustomPage::~TKSCustomPage() { ClearObjects(); }

void TKSCustomPage::SetOutlineText(std::string_view text) { outlineText_ = std::string(exprtext::trimmed(text)); }

int TKSCustomPage::PrintableWidthPixels() const
{
    int mm = PageWidth * 100 - MarginLeft - MarginRight;
    return toScreenPixels(mm, ksutMMThousandths);
}

void TKSCustomPage::AddObject(std::unique_ptr<TKSView> view)
{
    if (!view)
        return;
    view->ParentPage = this;
    objects_.push_back(view.release());
}

std::unique_ptr<TKSView> TKSCustomPage::RemoveObject(TKSView* view)
{
    auto it = std::find(objects_.begin(), objects_.end(), view);
    if (it == objects_.end())
        return nullptr;
    objects_.erase(it);
    view->ParentPage = nullptr;
    return std::unique_ptr<TKSView>(view);
}

void TKSCustomPage::ClearObjects()
{
    // Last first, like any owner; the list is detached first so views see no page.
    std::vector<TKSView*> doomed;
    doomed.swap(objects_);
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
        delete *it;
}

TKSView* TKSCustomPage::FindObject(std::string_view name) const
{
    for (TKSView* v : objects_)
        if (namesEqual(v->Name(), name))
            return v;
    return nullptr;
}
