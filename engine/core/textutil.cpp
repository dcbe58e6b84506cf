// Small text routines shared across the engine. All work on bytes: GBK trail
// bytes are never CR, LF, 01, a digit, '-' or a quote, so byte scans are safe.
#include "core/textutil.h"

#include "platform/gbk.h"
#include "platform/variant_format.h"

#include <algorithm>

bool namesEqual(std::string_view a, std::string_view b)
{
    return platform::sameName(a, b);
}

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
        lines.emplace_back(text.substr(pos, end - pos));
        pos = end;
        if (pos < text.size() && text[pos] == '\r')
            ++pos;
        if (pos < text.size() && text[pos] == '\n')
            ++pos;
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::size_t total = 0;
    for (const auto& line : lines)
        total += line.size() + 2;
    std::string text;
    text.reserve(total);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string listField(std::string_view list, int n)
{
    std::size_t start = 0;
    for (int field = 1; start <= list.size(); ++field) {
        const std::size_t end = list.find('\x01', start);
        if (end == std::string_view::npos)
            break;
        if (field == n)
            return std::string(list.substr(start, end - start));
        start = end + 1;
    }
    return {};
}

std::string unquotedText(std::string_view text)
{
    if (text.size() > 2 && text.front() == '"' && text.back() == '"')
        return std::string(text.substr(1, text.size() - 2));
    return std::string(text);
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

} // namespace

std::string numericText(std::string_view text, char thousandsSeparator)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    while (!text.empty() && text.front() != '-' && !isDigit(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && !isDigit(text.back()))
        text.remove_suffix(1);
    std::string result(text);
    std::erase(result, thousandsSeparator);
    return result;
}

std::string numericText(std::string_view text)
{
    return numericText(text, platform::formatSettings().ThousandSeparator);
}
