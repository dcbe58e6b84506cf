// Standard functions on numbers: conversions, rounding, number patterns,
// Chinese numerals and money writing, and the lazy choice IF/IIF.
#include "expr/stdfunctions_detail.h"

#include "expr/chinesenumerals.h"
#include "expr/numberformat.h"

#include <cmath>
#include <limits>

namespace stdfunctions {

namespace {

using platform::VariantError;

[[noreturn]] void notA(const std::string& text, const char* what)
{
    throw VariantError(VariantError::Kind::Conversion, "'" + text + "' is not a valid " + what + " value");
}

Variant strToFloat(Call& call)
{
    Variant v = call.value(1);
    if (isEmptyText(v))
        return Variant(0);
    std::string text = v.toString();
    std::optional<double> number = platform::parseFloat(text);
    if (!number)
        notA(text, "floating point");
    return Variant(*number);
}

Variant strToInt(Call& call)
{
    Variant v = call.value(1);
    if (isEmptyText(v))
        return Variant(0);
    std::string text = v.toString();
    std::optional<std::int64_t> number = platform::parseInteger(text);
    if (!number || *number < std::numeric_limits<int>::min() || *number > std::numeric_limits<int>::max())
        notA(text, "integer");
    return Variant(static_cast<int>(*number));
}

double ksRound(double x, int decimals)
{
    if (decimals == 0)
        return std::nearbyint(x);
    return numberformat::roundHalfAway(x, decimals);
}

Variant currToBigNum(Call& call)
{
    Variant v = call.value(1);
    platform::Currency amount = isEmptyText(v) ? platform::Currency{} : v.toCurrency();
    return Variant(chinese::currencyToBig(amount.scaled));
}

Variant cNumber(Call& call)
{
    std::string text = call.textOrEmpty(1);
    std::optional<double> number = platform::parseFloat(text);
    if (!number)
        notA(text, "floating point");
    return Variant(chinese::numberToChinese(*number));
}

Variant choose(Call& call)
{
    Variant condition = call.value(1);
    bool chosen = !condition.isNull() && condition.toBool();
    return call.value(chosen ? 2 : 3);
}

Variant greaterOrLess(Call& call, platform::VarCompare replaceWhen)
{
    Variant a = call.value(1);
    Variant b = call.value(2);
    return platform::compare(replaceWhen, b, a) ? b : a;
}

} // namespace

std::optional<Variant> callNumberFunction(int number, Call& call)
{
    using L = TKSStdFunctionLibrary;
    switch (number) {
    case L::fnStrToFloat:
        return strToFloat(call);
    case L::fnStrToInt:
        return strToInt(call);
    case L::fnSingNumToBig: {
        double x = call.valueOrZero(1).toDouble();
        return Variant(chinese::singleDigitToBig(x, call.value(2).toInteger()));
    }
    case L::fnSmallToBig:
        return Variant(chinese::digitsToBig(call.textOrEmpty(1)));
    case L::fnCurrToBigNum:
        return currToBigNum(call);
    case L::fnCNumber:
        return cNumber(call);
    case L::fnKSRound: {
        double x = call.valueOrZero(1).toDouble();
        return Variant(ksRound(x, call.value(2).toInteger()));
    }
    case L::fnAbs:
        return Variant(std::fabs(call.valueOrZero(1).toDouble()));
    case L::fnFormatFloat: {
        std::string pattern = call.textOrEmpty(1);
        return Variant(numberformat::formatNumber(pattern, call.valueOrZero(2).toDouble()));
    }
    case L::fnDiv: {
        Variant a = call.valueOrZero(1);
        Variant b = call.value(2);
        b.toInt64();  // a null divisor fails here as a conversion
        return platform::binaryOp(platform::VarOp::IntDivide, a, b);
    }
    case L::fnMaxNum:
        return greaterOrLess(call, platform::VarCompare::Greater);
    case L::fnMinNum:
        return greaterOrLess(call, platform::VarCompare::Less);
    case L::fnIIf:
    case L::fnIf:
        return choose(call);
    default:
        return std::nullopt;
    }
}

} // namespace stdfunctions
