// Page-list texts of the print dialog ("1,3,5-7", "8-") as page numbers.
#include "core/report.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace {

int pageNumber(std::string_view token, std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (token.empty() || error != std::errc() || end != token.data() + token.size())
        throw std::invalid_argument("'" + std::string(token) + "' is not a valid page number in '" + std::string(text) +
                                    "'");
    return value;
}

} // namespace

std::vector<int> ParsePageList(std::string_view text, int pageCount)
{
    std::string list;
    for (char c : text)
        if (c != ' ')
            list += c;
    std::vector<int> pages;
    if (list.empty()) {
        for (int page = 1; page <= pageCount; ++page)
            pages.push_back(page);
        return pages;
    }
    if (list.back() == '-')
        list += std::to_string(pageCount);
    list += ',';

    std::size_t start = 0;
    bool pendingRange = false;
    int first = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == '-') {
            first = pageNumber(std::string_view(list).substr(start, i - start), text);
            pendingRange = true;
            start = i + 1;
        } else if (list[i] == ',') {
            const int n = pageNumber(std::string_view(list).substr(start, i - start), text);
            if (!pendingRange) {
                pages.push_back(n);
            } else {
                // Pages past the last one do not exist; stopping there also
                // keeps a huge range from allocating without bound.
                for (int page = first, last = std::min(n, pageCount); page <= last; ++page)
                    pages.push_back(page);
            }
            pendingRange = false;
            start = i + 1;
        }
    }
    return pages;
}
