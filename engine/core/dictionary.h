// TKSDictionary: the report's stored name lists (variables and field aliases)
// and their block in the template stream.
#pragma once

#include "platform/stream.h"

#include <cstdint>
#include <string>
#include <vector>

class TKSDictionary {
public:
    // One stored entry; the value stays the stored text with its type word
    // so that what is read is written back unchanged.
    struct Entry {
        std::string Name;
        std::uint16_t ValueType = 256;  // a string
        std::string Value;
        bool operator==(const Entry&) const = default;
    };

    std::vector<Entry> Variables;
    std::vector<Entry> FieldAliases;

    void Clear();
    bool Empty() const { return Variables.empty() && FieldAliases.empty(); }

    // The block behind the byte 254. Returns false (dictionary left empty)
    // when the magic is wrong; StreamError for a truncated block.
    bool LoadFromStream(platform::Stream& s);
    void SaveToStream(platform::Stream& s) const;

    static constexpr std::uint16_t kVersion = 62;
};
