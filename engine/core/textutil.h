// Small text routines shared across the engine: the name rule, lines of a
// text, fields of a #1-separated list, quoted and numeric text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Engine names (objects, pages, variables, fields, functions) are equal when
// their byte lengths are equal and they compare equal ignoring case. No trimming.
bool namesEqual(std::string_view a, std::string_view b);

// Splits at CR LF, lone CR or lone LF; a break at the very end adds no empty line.
std::vector<std::string> splitLines(std::string_view text);
// Every line followed by CR LF.
std::string joinLines(const std::vector<std::string>& lines);

// The n-th field (1-based) of a list whose fields each end with the byte 01;
// a field without its closing separator, or n out of range, yields "".
std::string listField(std::string_view list, int n);

// The text between the quotes of a text longer than 2 bytes that starts and
// ends with a double quote; any other text unchanged.
std::string unquotedText(std::string_view text);

// A number's text cleaned for conversion: blanks trimmed, leading bytes up to
// the first '-' or digit and trailing bytes after the last digit dropped,
// every thousands separator removed.
std::string numericText(std::string_view text, char thousandsSeparator);
// The same with the thousands separator of the process-wide format settings.
std::string numericText(std::string_view text);
