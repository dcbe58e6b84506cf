// Numbers, money amounts and dates written in Chinese characters (GBK): the
// capital numerals of invoices and receipts and the lower-case numerals.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace chinese {

// One capital digit of x: n = 1 the units digit, 2 the tens digit...; n = -1
// the tenths, -2 the hundredths. Empty for n = 0 and for positions outside the
// number (the blank cells in front of an amount on a printed form).
std::string singleDigitToBig(double x, int n);

// Every digit of the trimmed text as a capital digit; VariantError for any
// byte that is not a decimal digit.
std::string digitsToBig(std::string_view text);

// A money amount (in ten-thousandths) in capital numerals: 壹仟贰佰叁拾肆元伍角陆分,
// 壹佰元整, 负伍元整.
std::string currencyToBig(std::int64_t tenThousandths);

// A number below 10^9 in lower-case numerals with two decimals at most:
// 一千二百三十四, 十万零五, 十二点五, 点零五. VariantError for larger values.
std::string numberToChinese(double x);

// A date as 二０二四年十月二十日.
std::string dateToChinese(int year, int month, int day);

} // namespace chinese
