// Interim page lists of a report: the template pages it owns and its prepared
// pages. The page builder and the prepared-page store replace their insides.
#pragma once

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

// One prepared page as far as the report sees it: the 1-based number of the
// template page that produced it, and its stored form.
struct TKSEndPage {
    int TemplatePageNo = 1;
    std::string Data;
};

// The prepared pages of a report, in output order.
class TKSEndPages {
public:
    int Count() const { return static_cast<int>(pages_.size()); }
    void Clear() { pages_.clear(); }
    void Add(TKSEndPage page) { pages_.push_back(std::move(page)); }
    const TKSEndPage& Page(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    void Exchange(int a, int b);

    // Set by the report before each prepare.
    bool Compress = true;
    bool Flag2 = true;

private:
    std::vector<TKSEndPage> pages_;
};
