// Numbered user-interface texts: parsing of the string table and the cached
// table behind loadText.
#include "platform/uitexts.h"

#include "platform/gbk.h"

#include <QFile>

#include <charconv>
#include <stdexcept>

namespace platform {

namespace {

constexpr const char* kTablePath = ":/strings/uitexts.txt";

std::string unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (char next = text[++i]) {
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        default: out += '\\'; out += next; break;
        }
    }
    return out;
}

[[noreturn]] void badLine(int lineNo, const char* why)
{
    throw std::runtime_error("string table line " + std::to_string(lineNo) + ": " + why);
}

void parseLine(std::string_view line, int lineNo, std::map<int, std::string>& table)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.empty() || line.front() == '#')
        return;
    std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos)
        badLine(lineNo, "no tab after the number");
    int id = 0;
    auto [end, err] = std::from_chars(line.data(), line.data() + tab, id);
    if (err != std::errc() || end != line.data() + tab)
        badLine(lineNo, "the number is malformed");
    if (!table.emplace(id, cutGbk(utf8ToGbk(unescape(line.substr(tab + 1))), kMaxTextBytes)).second)
        badLine(lineNo, "the number appears twice");
}

std::map<int, std::string> loadTable()
{
    QFile file(kTablePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    return parseTextTable(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

} // namespace

std::string cutGbk(std::string gbk, std::size_t maxBytes)
{
    if (gbk.size() <= maxBytes)
        return gbk;
    std::size_t pos = 0;
    while (pos < gbk.size()) {
        std::size_t len = charLength(gbk, pos);
        if (pos + len > maxBytes)
            break;
        pos += len;
    }
    gbk.resize(pos);
    return gbk;
}

std::map<int, std::string> parseTextTable(std::string_view utf8)
{
    std::map<int, std::string> table;
    int lineNo = 0;
    while (!utf8.empty()) {
        std::size_t nl = utf8.find('\n');
        std::string_view line = utf8.substr(0, nl);
        parseLine(line, ++lineNo, table);
        utf8.remove_prefix(nl == std::string_view::npos ? utf8.size() : nl + 1);
    }
    return table;
}

std::string loadText(int id)
{
    // A function-local static is initialised once, also under concurrent first calls.
    static const std::map<int, std::string> table = loadTable();
    auto it = table.find(id);
    return it == table.end() ? std::string() : it->second;
}

} // namespace platform
