// Helpers shared by the variant conversion and operator files (not for other
// layers): the standard error messages and checked numeric narrowing.
#pragma once

#include "platform/variant.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform::detail {

[[noreturn]] void throwConversion(VarType from, VarType to);        // "Could not convert variant of type (..) into type (..)"
[[noreturn]] void throwConversionOverflow(VarType from, VarType to); // "Overflow while converting variant ..."
[[noreturn]] void throwArithmeticOverflow();                         // "Arithmetic overflow"
[[noreturn]] void throwDivisionByZero();                             // "Division by zero"
[[noreturn]] void throwInvalidOperation();                           // "Invalid variant operation"

// Round to nearest, ties to even; nullopt for NaN or a value outside Int64.
std::optional<std::int64_t> roundToInt64(double value);

// Currency (scaled by 10000) to a whole number, ties to even.
std::int64_t roundCurrency(std::int64_t scaled);

// "True" / "False" in any letter case, blanks around allowed.
std::optional<bool> parseBoolText(std::string_view text);

} // namespace platform::detail
