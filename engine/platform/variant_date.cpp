// Date-time day numbers: encoding and decoding, the clock, and the
// FormatDateTime pattern language and date-time text parsing.
#include "platform/variant_date.h"

#include "platform/gbk.h"
#include "platform/variant.h"

#include <QDateTime>

#include <array>
#include <cmath>

namespace platform {

namespace {

constexpr std::int64_t kMsecPerDay = 86400000;
constexpr std::int64_t kDateDelta = 693594;       // days from 0001-01-01 to 1899-12-30
constexpr double kMinDate = -693593.0;            // 0001-01-01
constexpr double kMaxDateExclusive = 2958466.0;   // the day after 9999-12-31

constexpr std::array<int, 12> kMonthDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

int daysInMonth(int year, int month)
{
    return month == 2 && isLeapYear(year) ? 29 : kMonthDays[std::size_t(month - 1)];
}

[[noreturn]] void throwDateRange()
{
    throw VariantError(VariantError::Kind::Overflow, "Invalid date-time value");
}

struct SplitDateTime {
    std::int64_t day;   // whole days, toward zero
    std::int64_t msec;  // milliseconds of the day, 0..kMsecPerDay-1
};

// The time part counts from midnight also for negative day numbers
// (-1.25 is 29 Dec 1899, 06:00), as the day number's sign only applies to the date.
SplitDateTime splitDateTime(double dateTime)
{
    if (!(dateTime >= kMinDate - 1 && dateTime < kMaxDateExclusive))
        throwDateRange();
    std::int64_t total = std::llround(dateTime * double(kMsecPerDay));
    SplitDateTime split{total / kMsecPerDay, (total < 0 ? -total : total) % kMsecPerDay};
    if (split.day < std::int64_t(kMinDate) || split.day >= std::int64_t(kMaxDateExclusive))
        throwDateRange();
    return split;
}

void decodeDayNumber(std::int64_t dayNumber, DateTimeParts& parts)
{
    // Civil-from-days over 400-year cycles, counted from 0001-01-01.
    std::int64_t days = dayNumber + kDateDelta - 1;
    std::int64_t year = 1;
    year += 400 * (days / 146097);
    days %= 146097;
    std::int64_t centuries = std::min<std::int64_t>(days / 36524, 3);
    year += 100 * centuries;
    days -= centuries * 36524;
    year += 4 * (days / 1461);
    days %= 1461;
    std::int64_t years = std::min<std::int64_t>(days / 365, 3);
    year += years;
    days -= years * 365;
    parts.year = int(year);
    parts.month = 1;
    while (days >= daysInMonth(parts.year, parts.month)) {
        days -= daysInMonth(parts.year, parts.month);
        ++parts.month;
    }
    parts.day = int(days) + 1;
}

} // namespace

bool isLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

std::optional<double> tryEncodeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return std::nullopt;
    std::int64_t days = day;
    for (int m = 1; m < month; ++m)
        days += daysInMonth(year, m);
    std::int64_t y = year - 1;
    return double(y * 365 + y / 4 - y / 100 + y / 400 + days - kDateDelta);
}

std::optional<double> tryEncodeTime(int hour, int minute, int second, int msec)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        return std::nullopt;
    return double(((hour * 60 + minute) * 60 + second) * 1000 + msec) / double(kMsecPerDay);
}

double encodeDate(int year, int month, int day)
{
    if (auto date = tryEncodeDate(year, month, day))
        return *date;
    throw VariantError(VariantError::Kind::Conversion, "Invalid argument to date encode");
}

double encodeTime(int hour, int minute, int second, int msec)
{
    if (auto time = tryEncodeTime(hour, minute, second, msec))
        return *time;
    throw VariantError(VariantError::Kind::Conversion, "Invalid argument to time encode");
}

double encodeDateTime(const DateTimeParts& parts)
{
    double date = encodeDate(parts.year, parts.month, parts.day);
    double time = encodeTime(parts.hour, parts.minute, parts.second, parts.msec);
    return date < 0 ? date - time : date + time;
}

DateTimeParts decodeDateTime(double dateTime)
{
    SplitDateTime split = splitDateTime(dateTime);
    DateTimeParts parts;
    decodeDayNumber(split.day, parts);
    parts.hour = int(split.msec / 3600000);
    parts.minute = int(split.msec / 60000 % 60);
    parts.second = int(split.msec / 1000 % 60);
    parts.msec = int(split.msec % 1000);
    return parts;
}

int dayOfWeek(double dateTime)
{
    std::int64_t stamp = splitDateTime(dateTime).day + kDateDelta;  // 0001-01-01 is day 1, a Monday
    return int(stamp % 7) + 1;
}

double currentDateTime()
{
    QDateTime now = QDateTime::currentDateTime();
    QDate d = now.date();
    QTime t = now.time();
    return encodeDateTime({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()});
}

double currentDate()
{
    return std::trunc(currentDateTime());
}

// ---- text --------------------------------------------------------------------

namespace {

struct LocaleNames {
    std::array<std::string, 12> shortMonths, longMonths;
    std::array<std::string, 7> shortDays, longDays;  // Sunday first
};

// Month and weekday names of the Simplified Chinese locale, as GBK.
const LocaleNames& localeNames()
{
    static const LocaleNames names = [] {
        static const char* const digits[] = {"一", "二", "三", "四", "五", "六", "七", "八", "九", "十", "十一", "十二"};
        static const char* const weekdays[] = {"日", "一", "二", "三", "四", "五", "六"};
        LocaleNames n;
        for (std::size_t i = 0; i < 12; ++i) {
            n.shortMonths[i] = utf8ToGbk(std::to_string(i + 1) + "月");
            n.longMonths[i] = utf8ToGbk(std::string(digits[i]) + "月");
        }
        for (std::size_t i = 0; i < 7; ++i) {
            n.shortDays[i] = utf8ToGbk(std::string("周") + weekdays[i]);
            n.longDays[i] = utf8ToGbk(std::string("星期") + weekdays[i]);
        }
        return n;
    }();
    return names;
}

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; }

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (upperAscii(text[i]) != upperAscii(prefix[i]))
            return false;
    return true;
}

std::string padded(int value, int width)
{
    std::string text = std::to_string(value);
    if (int(text.size()) < width)
        text.insert(0, std::size_t(width) - text.size(), '0');
    return text;
}

// True when the pattern holds an am/pm marker outside quotes (12-hour clock).
bool usesTwelveHourClock(std::string_view pattern)
{
    char quote = 0;
    for (std::size_t i = 0; i < pattern.size(); i += charLength(pattern, i)) {
        char c = pattern[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (startsWithIgnoreCase(pattern.substr(i), "am/pm") || startsWithIgnoreCase(pattern.substr(i), "a/p")
                   || startsWithIgnoreCase(pattern.substr(i), "ampm")) {
            return true;
        }
    }
    return false;
}

class DateTimeWriter {
public:
    DateTimeWriter(double dateTime, const FormatSettings& settings)
        : dateTime_(dateTime), parts_(decodeDateTime(dateTime)), settings_(settings) {}

    std::string run(std::string_view pattern)
    {
        append(pattern, 0);
        return std::move(out_);
    }

private:
    // Nested patterns (c, ddddd, t) go one level deep; deeper ones are copied,
    // so a settings format that names itself cannot recurse forever.
    void append(std::string_view pattern, int depth)
    {
        bool twelveHour = usesTwelveHourClock(pattern);
        char lastToken = 0;
        std::size_t i = 0;
        while (i < pattern.size()) {
            std::size_t length = charLength(pattern, i);
            if (length == 2) {
                out_.append(pattern.substr(i, 2));
                i += 2;
                continue;
            }
            char token = upperAscii(pattern[i]);
            if (token >= 'A' && token <= 'Z') {
                if (token == 'M' && lastToken == 'H')
                    token = 'N';
                lastToken = token;
            }
            i = appendToken(pattern, i, token, twelveHour, depth);
        }
    }

    std::size_t runLength(std::string_view pattern, std::size_t i) const
    {
        std::size_t n = 1;
        while (i + n < pattern.size() && upperAscii(pattern[i + n]) == upperAscii(pattern[i]))
            ++n;
        return n;
    }

    void appendNested(std::string_view pattern, int depth)
    {
        if (depth < 2)
            append(pattern, depth + 1);
    }

    bool midnight() const { return parts_.hour == 0 && parts_.minute == 0 && parts_.second == 0 && parts_.msec == 0; }

    std::size_t appendToken(std::string_view pattern, std::size_t i, char token, bool twelveHour, int depth)
    {
        std::size_t n = runLength(pattern, i);
        switch (token) {
        case 'Y':
            out_ += n <= 2 ? padded(parts_.year % 100, 2) : padded(parts_.year, 4);
            return i + n;
        case 'M':
            if (n <= 2)
                out_ += padded(parts_.month, int(n));
            else
                out_ += n == 3 ? localeNames().shortMonths[std::size_t(parts_.month - 1)]
                               : localeNames().longMonths[std::size_t(parts_.month - 1)];
            return i + n;
        case 'D':
            appendDay(n, depth);
            return i + n;
        case 'H': {
            int hour = parts_.hour;
            if (twelveHour)
                hour = hour % 12 == 0 ? 12 : hour % 12;
            n = std::min<std::size_t>(n, 2);
            out_ += padded(hour, int(n));
            return i + n;
        }
        case 'N':
            n = std::min<std::size_t>(n, 2);
            out_ += padded(parts_.minute, int(n));
            return i + n;
        case 'S':
            n = std::min<std::size_t>(n, 2);
            out_ += padded(parts_.second, int(n));
            return i + n;
        case 'Z':
            out_ += padded(parts_.msec, n >= 3 ? 3 : 1);
            return i + (n >= 3 ? 3 : n);
        case 'T':
            appendNested(n == 1 ? settings_.ShortTimeFormat : settings_.LongTimeFormat, depth);
            return i + std::min<std::size_t>(n, 2);
        case 'C':
            appendNested(settings_.ShortDateFormat, depth);
            if (!midnight()) {
                out_ += ' ';
                appendNested(settings_.LongTimeFormat, depth);
            }
            return i + 1;
        case 'A':
            return appendAmPm(pattern, i);
        default:
            break;
        }
        char c = pattern[i];
        if (c == '\'' || c == '"') {
            std::size_t close = pattern.find(c, i + 1);
            std::size_t end = close == std::string_view::npos ? pattern.size() : close;
            out_.append(pattern.substr(i + 1, end - i - 1));
            return close == std::string_view::npos ? end : close + 1;
        }
        if (c == '/')
            out_ += settings_.DateSeparator;
        else if (c == ':')
            out_ += settings_.TimeSeparator;
        else
            out_ += c;
        return i + 1;
    }

    void appendDay(std::size_t n, int depth)
    {
        std::size_t weekday = std::size_t(dayOfWeek(dateTime_) - 1);
        if (n <= 2)
            out_ += padded(parts_.day, int(n));
        else if (n == 3)
            out_ += localeNames().shortDays[weekday];
        else if (n == 4)
            out_ += localeNames().longDays[weekday];
        else if (n == 5)
            appendNested(settings_.ShortDateFormat, depth);
        else
            appendNested(settings_.LongDateFormat, depth);
    }

    std::size_t appendAmPm(std::string_view pattern, std::size_t i)
    {
        bool pm = parts_.hour >= 12;
        std::string_view rest = pattern.substr(i);
        if (startsWithIgnoreCase(rest, "am/pm")) {
            std::string_view marker = rest.substr(pm ? 3 : 0, 2);
            out_.append(marker);
            return i + 5;
        }
        if (startsWithIgnoreCase(rest, "a/p")) {
            out_ += rest[pm ? 2 : 0];
            return i + 3;
        }
        if (startsWithIgnoreCase(rest, "ampm")) {
            out_ += pm ? settings_.TimePMString : settings_.TimeAMString;
            return i + 4;
        }
        out_ += pattern[i];
        return i + 1;
    }

    double dateTime_;
    DateTimeParts parts_;
    const FormatSettings& settings_;
    std::string out_;
};

// Cursor over date-time text: unsigned numbers and single separators.
struct TextCursor {
    std::string_view text;
    std::size_t pos = 0;

    bool atEnd() const { return pos >= text.size(); }
    std::optional<int> number(std::size_t maxDigits = 4)
    {
        std::size_t start = pos;
        int value = 0;
        while (pos < text.size() && pos - start < maxDigits && text[pos] >= '0' && text[pos] <= '9')
            value = value * 10 + (text[pos++] - '0');
        if (pos == start)
            return std::nullopt;
        return value;
    }
    bool skip(char c)
    {
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    }
    void skipBlanks()
    {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
    }
};

// Order of year, month and day in the short date format ("ymd", "dmy", ...).
std::string dateFieldOrder(const FormatSettings& settings)
{
    std::string order;
    for (char c : settings.ShortDateFormat) {
        char u = upperAscii(c);
        char f = u == 'Y' ? 'y' : u == 'M' ? 'm' : u == 'D' ? 'd' : 0;
        if (f && order.find(f) == std::string::npos)
            order += f;
    }
    return order.size() == 3 ? order : "ymd";
}

bool isDateSeparator(char c, const FormatSettings& settings)
{
    return c == settings.DateSeparator || c == '-' || c == '/';
}

std::optional<double> parseDatePart(TextCursor& in, const FormatSettings& settings)
{
    std::array<int, 3> fields{};
    int count = 0;
    while (count < 3) {
        auto value = in.number();
        if (!value)
            return std::nullopt;
        fields[std::size_t(count++)] = *value;
        if (in.atEnd() || !isDateSeparator(in.text[in.pos], settings))
            break;
        ++in.pos;
    }
    if (count < 2)
        return std::nullopt;
    std::string order = dateFieldOrder(settings);
    int year = 0, month = 0, day = 0;
    if (count == 2) {
        // Month and day of the current year, in the order of the short format.
        order.erase(order.find('y'), 1);
        year = decodeDateTime(currentDate()).year;
    }
    for (std::size_t k = 0; k < std::size_t(count); ++k) {
        int& target = order[k] == 'y' ? year : order[k] == 'm' ? month : day;
        target = fields[k];
    }
    if (count == 3 && year < 100)
        year += year < 50 ? 2000 : 1900;
    return tryEncodeDate(year, month, day);
}

std::optional<double> parseTimePart(TextCursor& in, const FormatSettings& settings)
{
    auto separator = [&] { return in.skip(settings.TimeSeparator) || in.skip(':'); };
    auto hour = in.number(2);
    if (!hour || !separator())
        return std::nullopt;
    auto minute = in.number(2);
    if (!minute)
        return std::nullopt;
    std::optional<int> second = 0, msec = 0;
    if (separator()) {
        second = in.number(2);
        if (second && in.skip('.'))
            msec = in.number(3);
        if (!second || !msec)
            return std::nullopt;
    }
    in.skipBlanks();
    std::string_view rest = in.text.substr(in.pos);
    for (const std::string* marker : {&settings.TimeAMString, &settings.TimePMString}) {
        if (!marker->empty() && startsWithIgnoreCase(rest, *marker) && *hour >= 1 && *hour <= 12) {
            bool pm = marker == &settings.TimePMString;
            *hour = *hour % 12 + (pm ? 12 : 0);
            in.pos += marker->size();
            break;
        }
    }
    return tryEncodeTime(*hour, *minute, *second, *msec);
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string formatDateTime(std::string_view pattern, double dateTime, const FormatSettings& settings)
{
    if (pattern.empty())
        pattern = "c";
    return DateTimeWriter(dateTime, settings).run(pattern);
}

std::string dateTimeToString(double dateTime, const FormatSettings& settings)
{
    return formatDateTime("c", dateTime, settings);
}

std::optional<double> parseDateTime(std::string_view text, const FormatSettings& settings)
{
    text = trimmed(text);
    // A time alone: its first separator is a time separator.
    TextCursor timeOnly{text};
    if (auto time = parseTimePart(timeOnly, settings); time && timeOnly.atEnd())
        return time;

    TextCursor in{text};
    auto date = parseDatePart(in, settings);
    if (!date)
        return std::nullopt;
    if (in.atEnd())
        return date;
    if (!in.skip(' '))
        return std::nullopt;
    in.skipBlanks();
    auto time = parseTimePart(in, settings);
    if (!time || !in.atEnd())
        return std::nullopt;
    return *date < 0 ? *date - *time : *date + *time;
}

} // namespace platform
