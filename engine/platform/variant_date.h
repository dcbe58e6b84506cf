// Date-time values: day numbers counted from 30 Dec 1899 (the fraction is the
// time of day), their parts, the current time, and date-time text in both directions.
#pragma once

#include "platform/variant_format.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct DateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, msec = 0;
};

// Day number of a calendar date (years 1..9999); nullopt for an invalid date.
std::optional<double> tryEncodeDate(int year, int month, int day);
// Fraction of a day (hour 0..23, minute/second 0..59, msec 0..999); nullopt when invalid.
std::optional<double> tryEncodeTime(int hour, int minute, int second, int msec);
// Throwing forms (VariantError "Invalid argument to date encode" / "... time encode").
double encodeDate(int year, int month, int day);
double encodeTime(int hour, int minute, int second, int msec = 0);
double encodeDateTime(const DateTimeParts& parts);

// Parts of a day number, the time rounded to the nearest millisecond. Values
// outside years 1..9999 throw VariantError.
DateTimeParts decodeDateTime(double dateTime);

// 1 = Sunday .. 7 = Saturday.
int dayOfWeek(double dateTime);
bool isLeapYear(int year);

// The local date and time now, and today's date (time 0).
double currentDateTime();
double currentDate();

// DateTimeToStr: the short date format, followed by a blank and the long time
// format unless the time is exactly midnight.
std::string dateTimeToString(double dateTime, const FormatSettings& settings = formatSettings());

// FormatDateTime pattern language: y yy yyyy, m mm, mmm mmmm (month numbers in
// this locale's short/long form, e.g. 1月), d dd, ddd dddd (weekday name), h hh,
// n nn, s ss, z zzz, am/pm, a/p, ampm, "/" date and ":" time separator, c (the
// DateTimeToStr form), quoted literal text in ' or ". An "h" followed by "m" makes
// that "m" minutes. Other bytes (and GBK characters) are copied.
std::string formatDateTime(std::string_view pattern, double dateTime,
                           const FormatSettings& settings = formatSettings());

// StrToDateTime: a date in year-month-day order (the locale's date separator,
// "-", "/" or "."), a time h:n[:s[.z]], or a date followed by a blank and a time.
std::optional<double> parseDateTime(std::string_view text,
                                    const FormatSettings& settings = formatSettings());

} // namespace platform
