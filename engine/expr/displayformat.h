// Display formats of text objects and KSFORMAT: the four-byte format record,
// its preset patterns, deriving a record from a format text, formatting a value.
#pragma once

#include "platform/variant.h"

#include <cstdint>
#include <string>
#include <string_view>

// Kinds of the format record.
enum TKSFormatKind : std::uint8_t {
    ksfkText = 0,
    ksfkNumber = 1,
    ksfkDate = 2,
    ksfkTime = 3,
    ksfkBoolean = 4,
};

// The record as stored with every report view. FormatIndex chooses a preset;
// the last index of each kind stands for the pattern text.
struct TKSDisplayFormat {
    std::uint8_t FormatKind = ksfkText;
    std::uint8_t FormatIndex = 0;
    std::uint8_t FormatDecimals = 2;
    char FormatSeparator = '.';  // decimal separator of numbers
};

// Index of the pattern-text entry of a kind (number 4, date 7, time 4, boolean 4).
int CustomFormatIndex(std::uint8_t kind);

// The preset pattern of a date, time or boolean index (the engine's numbered
// texts, loaded once); empty for other kinds and out-of-range indexes.
std::string DisplayFormatPreset(std::uint8_t kind, int index);

// Derives the record and the pattern text from a format text: "" resets to
// text; a first character N/n or a digit, B/b, D/d, T/t chooses number, boolean,
// date or time with the rest as the pattern (255 bytes at most). Any other
// first character leaves both unchanged and answers false.
bool DeriveDisplayFormat(std::string_view formatText, TKSDisplayFormat& format, std::string& pattern);

// The value's text under the record and pattern. Null and Empty give "";
// a failing conversion gives the value's plain text.
std::string FormatDisplayValue(const platform::Variant& value, const TKSDisplayFormat& format,
                               std::string_view pattern);
