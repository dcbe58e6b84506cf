// Standard functions on texts. Lengths and positions count bytes (a GBK
// character counts 2), but no function splits or matches inside a character.
#include "expr/stdfunctions_detail.h"

#include "expr/displayformat.h"
#include "expr/editmask.h"
#include "expr/exprtext.h"
#include "platform/gbk.h"

namespace stdfunctions {

namespace {

// The folder part including its final delimiter ("\", "/" or a drive's ":").
std::string extractFilePath(std::string_view path)
{
    std::size_t end = 0;
    for (std::size_t i = 0; i < path.size(); i += platform::charLength(path, i)) {
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':')
            end = i + 1;
    }
    return std::string(path.substr(0, end));
}

// n copies of the first character of the text (a whole GBK character).
std::string stringOfChar(std::string_view text, int count)
{
    if (text.empty() || count <= 0)
        return {};
    if (count > TKSStdFunctionLibrary::kMaxRepeat)
        throw EKSExpressionError("STRINGOFCHAR: count " + std::to_string(count) + " is too large");
    std::string_view character = text.substr(0, platform::charLength(text, 0));
    std::string out;
    out.reserve(character.size() * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        out.append(character);
    return out;
}

std::string nameCase(std::string text)
{
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z' && platform::charLength(text, 0) == 1)
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

// 1-based byte position of the first occurrence starting on a character
// boundary; 0 when absent or when sub is empty.
int position(std::string_view sub, std::string_view text)
{
    if (sub.empty())
        return 0;
    for (std::size_t i = 0; i + sub.size() <= text.size(); i += platform::charLength(text, i)) {
        if (text.compare(i, sub.size(), sub) == 0)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

// count bytes from the 1-based byte position from (clipped to the text).
std::string copy(std::string_view text, int from, int count)
{
    if (from < 1)
        from = 1;
    if (count <= 0 || static_cast<std::size_t>(from) > text.size())
        return {};
    return std::string(text.substr(static_cast<std::size_t>(from) - 1, static_cast<std::size_t>(count)));
}

std::string ksFormat(const Variant& value, std::string_view formatText)
{
    TKSDisplayFormat format{0, 0, 0, '\0'};
    std::string pattern;
    DeriveDisplayFormat(formatText, format, pattern);
    return FormatDisplayValue(value, format, pattern);
}

} // namespace

std::optional<Variant> callTextFunction(int number, Call& call)
{
    using L = TKSStdFunctionLibrary;
    switch (number) {
    case L::fnExtractFilePath:
        return Variant(extractFilePath(call.value(1).toString()));
    case L::fnStringOfChar: {
        int count = call.value(2).toInteger();
        return Variant(stringOfChar(call.value(1).toString(), count));
    }
    case L::fnFormatText: {
        std::string mask = call.textOrEmpty(1);
        return Variant(editmask::formatMaskText(mask + ";0; ", call.valueOrZero(2).toString()));
    }
    case L::fnLength:
        return Variant(static_cast<int>(call.textOrEmpty(1).size()));
    case L::fnLowerCase:
        return Variant(platform::lowerCase(call.textOrEmpty(1)));
    case L::fnUpperCase:
        return Variant(platform::upperCase(call.textOrEmpty(1)));
    case L::fnNameCase:
        return Variant(nameCase(call.textOrEmpty(1)));
    case L::fnTrim:
        return Variant(std::string(exprtext::trimmed(call.textOrEmpty(1))));
    case L::fnPos: {
        std::string sub = call.textOrEmpty(1);
        return Variant(position(sub, call.textOrEmpty(2)));
    }
    case L::fnCopy: {
        std::string text = call.textOrEmpty(1);
        int from = call.valueOrZero(2).toInteger();
        return Variant(copy(text, from, call.valueOrZero(3).toInteger()));
    }
    case L::fnKSFormat: {
        Variant value = call.value(1);
        return Variant(ksFormat(value, call.textOrEmpty(2)));
    }
    default:
        return std::nullopt;
    }
}

} // namespace stdfunctions
