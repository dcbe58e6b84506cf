// Line formatting of `tabellomatics dump`, and the template half until it
// is written.
#include "dump_format.h"

#include "platform/gbk.h"

#include <cstdio>

DumpLine& DumpLine::field(std::string_view key, long long value)
{
    return raw(key, std::to_string(value));
}

DumpLine& DumpLine::text(std::string_view key, std::string_view gbk)
{
    return raw(key, quoteDumpValue(platform::gbkToUtf8(gbk)));
}

DumpLine& DumpLine::raw(std::string_view key, std::string_view value)
{
    text_ += ' ';
    text_ += key;
    text_ += '=';
    text_ += value;
    return *this;
}

std::ostream& operator<<(std::ostream& out, const DumpLine& line)
{
    return out << line.str() << '\n';
}

std::string quoteDumpValue(std::string_view utf8, bool alwaysQuote)
{
    bool plain = !utf8.empty() && !alwaysQuote;
    for (unsigned char c : utf8)
        if (c <= ' ' || c >= 0x7F || c == '"' || c == '\\')
            plain = false;
    if (plain)
        return std::string(utf8);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < ' ' || c == 0x7F) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + '"';
}
