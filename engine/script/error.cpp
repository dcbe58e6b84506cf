// The interpreter's error table and the position treatment of its exceptions.
// Messages are English literals, exactly as the language defines them.
#include "script/error.h"

#include <algorithm>
#include <utility>

namespace {

struct ErrorText {
    int code;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {0, "Ok"},
    {1, "Unknown error"},
    {2, "Internal interpreter error: %s"},
    {3, "User break"},
    {4, "Re-raising an exception only allowed in exception handler"},
    {5, "Error in unit '%s' on line %d : %s"},
    {6, "External error in unit '%s' on line %d : %s"},
    {7, "Access denied to '%s'"},
    {8, "Expression is too complex - overflow"},
    {31, "Record '%s' not defined"},
    {52, "Stack overflow"},
    {53, "Type mistmatch"},
    {55, "Function 'main' undefined"},
    {56, "Unit '%s' not found"},
    {57, "Event '%s' not registered"},
    {58, "Dfm '%s' not found"},
    {101, "Error in remark"},
    {103, "%s expected but %s found"},
    {104, "Undeclared Identifier '%s'"},
    {105, "Type of expression must be boolean"},
    {106, "Class type required"},
    {107, " not allowed before else"},
    {108, "Type of expression must be integer"},
    {109, "Record, object or class type required"},
    {110, "Missing operator or semicolon"},
    {111, "Identifier redeclared: '%s'"},
    {171, "Array index out of bounds"},
    {172, "Too many array bounds"},
    {173, "Not enough array bounds"},
    {174, "Invalid array dimension"},
    {175, "Invalid array range"},
    {176, "Array type required"},
    {181, "Too many actual parameters"},
    {182, "Not enough parameters"},
    {183, "Incompatible types: '%s' and '%s'"},
    {184, "Error loading library '%s'"},
    {185, "Invalid type of argument in call to function '%s'"},
    {186, "Invalid type of result in call to function '%s'"},
    {187, "Can't get proc address for function '%s'"},
    {188, "Invalid type of argument in call to function '%s'"},
    {189, "Invalid type of result in call to function '%s'"},
    {190, "Invalid call convention for function '%s'"},
    {201, "Calling '%s' failed: '%s'"},
    {301, "Expression"},
    {302, "Identifier"},
    {303, "Declaration"},
    {304, "End of File"},
    {305, "Class declaration"},
    {401, "Implementation of unit not found"},
};

} // namespace

std::string_view interpreterErrorText(int code)
{
    auto it = std::find_if(std::begin(kErrorTexts), std::end(kErrorTexts),
                           [code](const ErrorText& e) { return e.code == code; });
    return it == std::end(kErrorTexts) ? std::string_view("Unknown error") : std::string_view(it->text);
}

std::string formatInterpreterText(std::string_view pattern, std::initializer_list<std::string_view> args)
{
    std::string out;
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == 's' || pattern[i + 1] == 'd')) {
            if (next != args.end())
                out += *next++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

int lineOfPosition(std::string_view source, int position)
{
    if (position < 0 || std::size_t(position) > source.size())
        return 0;
    // Carriage returns count as line breaks; a line feed counts only when it does
    // not follow one, so LF-only texts (Unix files) get true line numbers too.
    int line = 1;
    for (int i = 0; i < position; ++i) {
        if (source[i] == '\r' || (source[i] == '\n' && (i == 0 || source[i - 1] != '\r')))
            ++line;
    }
    return line;
}

EKSInterpreterError::EKSInterpreterError(int code_, int position_, std::string name1_, std::string name2_)
    : code(code_), position(position_), name1(std::move(name1_)), name2(std::move(name2_))
{
    messageWithoutPosition = formatInterpreterText(interpreterErrorText(code), {name1, name2});
    message = messageWithoutPosition;
}

void EKSInterpreterError::applyPosition(int currentPosition, std::string_view currentUnit, std::string_view source)
{
    if (positionApplied)
        return;
    positionApplied = true;
    if (position == -1)
        position = currentPosition;
    if (unitName.empty())
        unitName = currentUnit;
    if (unitName.empty())
        return;
    line = lineOfPosition(source, position);
    const int pattern = code == kserr::ExternalInUnit ? kserr::ExternalInUnit : kserr::InUnit;
    message = formatInterpreterText(interpreterErrorText(pattern),
                                    {unitName, std::to_string(line), messageWithoutPosition});
}
