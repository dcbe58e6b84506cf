// The template page list of a report: pages owned in order, found by name
// or position.
#include "core/pages.h"

#include "platform/gbk.h"

#include <utility>

TKSCustomPage* TKSPages::Page(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return pages_[static_cast<std::size_t>(index)].get();
}

void TKSPages::Add(std::unique_ptr<TKSCustomPage> page)
{
    if (page)
        pages_.push_back(std::move(page));
}

TKSCustomPage* TKSPages::FindPage(std::string_view name) const
{
    for (const auto& page : pages_)
        if (platform::sameName(page->Name(), name))
            return page.get();
    return nullptr;
}

int TKSPages::IndexOf(const TKSCustomPage* page) const
{
    for (int i = 0; i < Count(); ++i)
        if (pages_[static_cast<std::size_t>(i)].get() == page)
            return i;
    return -1;
}
