// Chinese writing of numbers, money amounts and dates. Every character of the
// tables is two GBK bytes; the comments show them.
#include "expr/chinesenumerals.h"

#include "expr/numberformat.h"
#include "platform/variant.h"

#include <algorithm>
#include <array>

namespace chinese {

namespace {

// 零壹贰叁肆伍陆柒捌玖
constexpr std::string_view kCapitalDigits =
    "\xC1\xE3\xD2\xBC\xB7\xA1\xC8\xFE\xCB\xC1\xCE\xE9\xC2\xBD\xC6\xE2\xB0\xC6\xBE\xC1";
constexpr std::string_view kCapitalTen = "\xCA\xB0";       // 拾
constexpr std::string_view kCapitalHundred = "\xB0\xDB";   // 佰
constexpr std::string_view kCapitalThousand = "\xC7\xAA";  // 仟
constexpr std::string_view kCapitalGroupUnits[] = {
    "", "\xCD\xF2", "\xD2\xDA", "\xD5\xD7",  // 万 亿 兆
};
constexpr std::string_view kYuan = "\xD4\xAA";     // 元
constexpr std::string_view kJiao = "\xBD\xC7";     // 角
constexpr std::string_view kFen = "\xB7\xD6";      // 分
constexpr std::string_view kLi = "\xC0\xE5";       // 厘
constexpr std::string_view kMinus = "\xB8\xBA";    // 负
constexpr std::string_view kExact = "\xD5\xFB";    // 整

// 零一二三四五六七八九
constexpr std::string_view kLowerDigits =
    "\xC1\xE3\xD2\xBB\xB6\xFE\xC8\xFD\xCB\xC4\xCE\xE5\xC1\xF9\xC6\xDF\xB0\xCB\xBE\xC5";
constexpr std::string_view kLowerTen = "\xCA\xAE";  // 十
// Units of the nine whole-number places of CNUMBER: 亿 千 百 十 万 千 百 十 (none).
constexpr std::string_view kLowerPlaceUnits[9] = {
    "\xD2\xDA", "\xC7\xA7", "\xB0\xD9", "\xCA\xAE", "\xCD\xF2", "\xC7\xA7", "\xB0\xD9", "\xCA\xAE", "",
};
constexpr std::string_view kLowerTenThousand = "\xCD\xF2";  // 万
constexpr std::string_view kPoint = "\xB5\xE3";             // 点

// ０一二三四五六七八九 (a full-width zero)
constexpr std::string_view kDateDigits =
    "\xA3\xB0\xD2\xBB\xB6\xFE\xC8\xFD\xCB\xC4\xCE\xE5\xC1\xF9\xC6\xDF\xB0\xCB\xBE\xC5";
constexpr std::string_view kYear = "\xC4\xEA";   // 年
constexpr std::string_view kMonth = "\xD4\xC2";  // 月
constexpr std::string_view kDay = "\xC8\xD5";    // 日

std::string_view digitOf(std::string_view table, int digit)
{
    return table.substr(static_cast<std::size_t>(digit) * 2, 2);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The money text is built from its lowest rank upwards; characters are
// collected back to front and turned around at the end.
class ReversedText {
public:
    void push(std::string_view character) { pieces_[count_++] = character; }
    bool empty() const { return count_ == 0; }
    std::string_view last() const { return pieces_[count_ - 1]; }
    const std::string_view* begin() const { return pieces_.data(); }
    const std::string_view* end() const { return pieces_.data() + count_; }
    void appendTo(std::string& out) const
    {
        for (std::size_t i = count_; i > 0; --i)
            out.append(pieces_[i - 1]);
    }

private:
    // 19 whole digits at most, each with a unit and a zero, plus group units.
    std::array<std::string_view, 80> pieces_{};
    std::size_t count_ = 0;
};

std::string_view capitalRankUnit(int rank)
{
    switch (rank) {
    case 2: return kCapitalTen;
    case 3: return kCapitalHundred;
    case 4: return kCapitalThousand;
    default: return {};
    }
}

// The whole part in capital numerals; `unitsZero` tells whether its units digit is 0.
std::string capitalWholePart(std::uint64_t whole, bool& unitsZero)
{
    std::string reversedDigits = std::to_string(whole);
    std::reverse(reversedDigits.begin(), reversedDigits.end());
    ReversedText text;
    bool lastWasZero = true;  // carries over from one group of four to the next
    unitsZero = false;
    for (std::size_t group = 0; group * 4 < reversedDigits.size(); ++group) {
        ReversedText groupText;
        for (int rank = 1; rank <= 4; ++rank) {
            std::size_t index = group * 4 + static_cast<std::size_t>(rank) - 1;
            if (index >= reversedDigits.size())
                break;
            int digit = reversedDigits[index] - '0';
            if (digit == 0) {
                if (group == 0 && rank == 1)
                    unitsZero = true;
                if (!lastWasZero && rank != 1)
                    groupText.push(digitOf(kCapitalDigits, 0));
                lastWasZero = true;
            } else {
                if (rank > 1)
                    groupText.push(capitalRankUnit(rank));
                groupText.push(digitOf(kCapitalDigits, digit));
                lastWasZero = false;
            }
        }
        // out := group + group unit + out, in back-to-front terms.
        if (!groupText.empty()) {
            if (group > 0 && group < std::size(kCapitalGroupUnits))
                text.push(kCapitalGroupUnits[group]);
            for (std::string_view piece : groupText)
                text.push(piece);
        } else if (!text.empty() && text.last() != digitOf(kCapitalDigits, 0)) {
            text.push(digitOf(kCapitalDigits, 0));
        }
    }
    std::string out;
    text.appendTo(out);
    return out;
}

} // namespace

std::string singleDigitToBig(double x, int n)
{
    if (n == 0)
        return {};
    static const platform::FormatSettings kPointSettings;  // "." as the decimal point
    std::string text = platform::formatFloat(x, 15, kPointSettings);
    std::size_t point = text.find('.');
    long pointPos = point == std::string::npos ? static_cast<long>(text.size()) + 1 : static_cast<long>(point) + 1;
    long p = pointPos - n;
    if (p < 1 || p > static_cast<long>(text.size()) || !isDigit(text[static_cast<std::size_t>(p - 1)]))
        return {};
    return std::string(digitOf(kCapitalDigits, text[static_cast<std::size_t>(p - 1)] - '0'));
}

std::string digitsToBig(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ')
        --last;
    std::string out;
    for (std::size_t i = first; i < last; ++i) {
        if (!isDigit(text[i]))
            throw platform::VariantError(platform::VariantError::Kind::Conversion,
                                         "'" + std::string(text) + "' is not a valid integer value");
        out.append(digitOf(kCapitalDigits, text[i] - '0'));
    }
    return out;
}

std::string currencyToBig(std::int64_t tenThousandths)
{
    bool negative = tenThousandths < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(tenThousandths)
                                       : static_cast<std::uint64_t>(tenThousandths);
    bool unitsZero = false;
    std::string out = capitalWholePart(magnitude / 10000, unitsZero);
    if (!out.empty())
        out.append(kYuan);

    std::string decimals = std::to_string(magnitude % 10000 + 10000).substr(1);
    while (!decimals.empty() && decimals.back() == '0')
        decimals.pop_back();
    if (!decimals.empty()) {
        if (unitsZero)
            out.append(digitOf(kCapitalDigits, 0));
        for (std::size_t i = 0; i < decimals.size(); ++i) {
            int digit = decimals[i] - '0';
            // A zero tenths digit right after the 零 of a zero units digit
            // would write 零零 (10.05 is 壹拾元零伍分).
            if (i == 0 && digit == 0 && out.ends_with(digitOf(kCapitalDigits, 0)))
                continue;
            out.append(digitOf(kCapitalDigits, digit));
            if (i == 0 && digit != 0)
                out.append(kJiao);
            else if (i == 1)
                out.append(kFen);
            else if (i == 2)
                out.append(kLi);
        }
    }
    if (out.empty())
        out.assign(digitOf(kCapitalDigits, 0));
    if (negative)
        out.insert(0, kMinus);

    // 整 when the amount in whole hundredths (ties to even) ends in 0 fen.
    std::uint64_t hundredths = magnitude / 100;
    std::uint64_t rest = magnitude % 100;
    if (rest > 50 || (rest == 50 && hundredths % 2 == 1))
        ++hundredths;
    if (hundredths % 10 == 0)
        out.append(kExact);
    return out;
}

std::string numberToChinese(double x)
{
    std::string out;
    if (x < 0) {
        out.append(kMinus);
        x = -x;
    }
    numberformat::Decimal number = numberformat::toDecimal(x);
    numberformat::roundDecimal(number, 2);
    if (number.pointPos > 9)
        throw platform::VariantError(platform::VariantError::Kind::Overflow,
                                     "Number too large for Chinese numerals (10^9 or more)");
    // The nine whole places, right-aligned; ' ' for places in front of the number.
    std::string places(9, ' ');
    int wholeDigits = std::max(number.pointPos, 1);
    for (int i = 0; i < wholeDigits; ++i) {
        int index = number.pointPos - wholeDigits + i;
        bool inside = index >= 0 && index < static_cast<int>(number.digits.size());
        places[static_cast<std::size_t>(9 - wholeDigits + i)] = inside ? number.digits[static_cast<std::size_t>(index)] : '0';
    }
    auto decimal = [&](int i) {
        int index = number.pointPos + i;
        return index >= 0 && index < static_cast<int>(number.digits.size()) ? number.digits[static_cast<std::size_t>(index)] - '0' : 0;
    };

    const std::string_view zero = digitOf(kLowerDigits, 0);
    int zeroRun = 0;
    for (int position = 1; position <= 9; ++position) {
        char c = places[static_cast<std::size_t>(position - 1)];
        if (c == ' ')
            continue;
        int digit = c - '0';
        if (digit != 0) {
            out.append(digitOf(kLowerDigits, digit)).append(kLowerPlaceUnits[position - 1]);
            zeroRun = 0;
        } else if (position != 5) {
            if (zeroRun == 0)
                out.append(zero);
            ++zeroRun;
        } else {
            bool thousandsOfWan = false;
            for (std::size_t p = 1; p <= 3; ++p)
                thousandsOfWan = thousandsOfWan || (places[p] != ' ' && places[p] != '0');
            if (thousandsOfWan) {
                if (out.ends_with(zero))
                    out.resize(out.size() - zero.size());
                out.append(kLowerTenThousand).append(zero);
            }
            ++zeroRun;
        }
    }
    if (out.ends_with(zero))
        out.resize(out.size() - zero.size());

    int tenths = decimal(0);
    int hundredths = decimal(1);
    if (tenths == 0 && hundredths != 0)
        out.append(kPoint).append(zero).append(digitOf(kLowerDigits, hundredths));
    else if (tenths != 0) {
        out.append(kPoint).append(digitOf(kLowerDigits, tenths));
        if (hundredths != 0)
            out.append(digitOf(kLowerDigits, hundredths));
    }
    std::string oneTen = std::string(digitOf(kLowerDigits, 1)) + std::string(kLowerTen);
    if (out.starts_with(oneTen))
        out.erase(0, 2);
    return out;
}

std::string dateToChinese(int year, int month, int day)
{
    std::string out;
    for (char c : std::to_string(year))
        out.append(isDigit(c) ? digitOf(kDateDigits, c - '0') : std::string_view(&c, 1));
    out.append(kYear);
    auto twoDigits = [&](int value) {
        if (value < 10) {
            out.append(digitOf(kDateDigits, value));
            return;
        }
        if (value / 10 != 1)
            out.append(digitOf(kDateDigits, value / 10));
        out.append(kLowerTen);
        if (value % 10 != 0)
            out.append(digitOf(kDateDigits, value % 10));
    };
    twoDigits(month);
    out.append(kMonth);
    twoDigits(day);
    out.append(kDay);
    return out;
}

} // namespace chinese
