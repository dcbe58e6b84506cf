// Interned script names: every identifier gets a process-wide number that is
// the same for all letter cases, so name lookups compare integers.
#pragma once

#include <string>
#include <string_view>

// The number of a name (case-insensitive); names are interned on first use.
int internSymbol(std::string_view name);

// The upper-case spelling of an interned name.
const std::string& symbolName(int symbol);
