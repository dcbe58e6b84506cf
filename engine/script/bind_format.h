// Format's text formatting of an argument list: %[index:][-][width][.precision]
// followed by d, u, x, e, f, g, n, m, p or s ("%%" is a percent sign).
#pragma once

#include "script/values.h"

#include <span>
#include <string>
#include <string_view>

// Width and precision may be "*" (taken from the next argument). A specifier
// without a matching argument, or with an argument of the wrong kind, raises
// std::runtime_error "Format '<format>' invalid or incompatible with argument".
std::string formatArguments(std::string_view format, std::span<const Variant> args);
