// Line formatting of `tabellomatics dump`: key=value fields separated by single
// blanks, values quoted with C escapes when they need it, UTF-8 output.
#pragma once

#include "platform/stream.h"

#include <ostream>
#include <string>
#include <string_view>

// One output line under construction: a record word, then fields.
class DumpLine {
public:
    explicit DumpLine(std::string_view word) : text_(word) {}
    DumpLine& field(std::string_view key, long long value);
    // GBK text, converted to UTF-8 and quoted when needed.
    DumpLine& text(std::string_view key, std::string_view gbk);
    // Written as is (numbers in a chosen format, lists like "1,2,3,4").
    DumpLine& raw(std::string_view key, std::string_view value);
    const std::string& str() const { return text_; }

private:
    std::string text_;
};

std::ostream& operator<<(std::ostream& out, const DumpLine& line);

// A UTF-8 value as written: unchanged when it is non-empty printable ASCII
// without blanks, quotes and backslashes; otherwise in double quotes with
// '"' and '\' escaped and control bytes as \n, \r, \t or \xHH; always
// quoted when asked.
std::string quoteDumpValue(std::string_view utf8, bool alwaysQuote = false);

// The template half of dump, for streams that are no prepared report;
// returns the exit status.
int dumpTemplate(platform::Stream& s, std::ostream& out);
// The prepared-report half: prints the file's lines; the exit status.
int dumpPrepared(platform::Stream& s, std::ostream& out);
