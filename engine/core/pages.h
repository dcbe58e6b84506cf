// The template pages of a report; its prepared pages are in endpages.h.
// Included by the report for both lists.
#pragma once

#include "core/endpages.h"
#include "objects/custompage.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The template pages of a report in order; owns them.
class TKSPages {
public:
    int Count() const { return static_cast<int>(pages_.size()); }
    // Null outside the list.
    TKSCustomPage* Page(int index) const;
    void Add(std::unique_ptr<TKSCustomPage> page);
    void Clear() { pages_.clear(); }
    // A page of that name (engine name rule); null when none.
    TKSCustomPage* FindPage(std::string_view name) const;
    // 0-based position of a page; -1 when it is not in the list.
    int IndexOf(const TKSCustomPage* page) const;

private:
    std::vector<std::unique_ptr<TKSCustomPage>> pages_;
};
