// Standard functions on dates and times: parts, the current date and time,
// conversions from text, date-time patterns, English month names and the date
// in Chinese characters.
#include "expr/stdfunctions_detail.h"

#include "expr/chinesenumerals.h"

#include <cmath>

namespace stdfunctions {

namespace {

constexpr const char* kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kLongMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};

Variant monthName(Call& call, const char* const (&names)[12])
{
    int month = call.valueOrZero(1).toInteger();
    return Variant(month >= 1 && month <= 12 ? names[month - 1] : "");
}

platform::DateTimeParts partsOf(Call& call)
{
    return platform::decodeDateTime(call.valueOrZero(1).toDate());
}

Variant parseDate(Call& call, const char* what)
{
    std::string text = call.textOrEmpty(1);
    std::optional<double> value = platform::parseDateTime(text);
    if (!value)
        throw platform::VariantError(platform::VariantError::Kind::Conversion,
                                     "'" + text + "' is not a valid " + what);
    return Variant::fromDate(*value);
}

std::optional<Variant> formatDateTime(Call& call)
{
    Variant pattern = call.value(1);
    Variant value = call.value(2);
    if (pattern.isNull() || value.isNull())
        return std::nullopt;
    return Variant(platform::formatDateTime(pattern.toString(), value.toDate()));
}

} // namespace

std::optional<Variant> callDateFunction(int number, Call& call)
{
    using L = TKSStdFunctionLibrary;
    switch (number) {
    case L::fnDay:
        return Variant(partsOf(call).day);
    case L::fnMonth:
        return Variant(partsOf(call).month);
    case L::fnYear:
        return Variant(partsOf(call).year);
    case L::fnDate:
        return Variant::fromDate(platform::currentDate());
    case L::fnTime: {
        double now = platform::currentDateTime();
        return Variant::fromDate(now - std::floor(now));
    }
    case L::fnChinaDate: {
        platform::DateTimeParts parts = partsOf(call);
        return Variant(chinese::dateToChinese(parts.year, parts.month, parts.day));
    }
    case L::fnStrToDate:
        return parseDate(call, "date");
    case L::fnStrToTime:
        return parseDate(call, "time");
    case L::fnFormatDateTime:
        return formatDateTime(call);
    case L::fnMonthToEnglishShort:
        return monthName(call, kShortMonths);
    case L::fnMonthToEnglishLong:
        return monthName(call, kLongMonths);
    default:
        return std::nullopt;
    }
}

} // namespace stdfunctions
