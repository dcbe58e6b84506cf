// TKSVariables: the engine's ordered name -> value list (report variables,
// global variables, event bindings, dictionary entries, aggregate stores).
#pragma once

#include "platform/variant.h"

#include <string>
#include <string_view>
#include <vector>

class TKSVariables {
public:
    void Clear();
    // Clears, then copies every name, value and assigned flag in order.
    void Assign(const TKSVariables& other);

    // Adds the name when missing, else replaces its value; marks it assigned.
    void SetValue(std::string_view name, platform::Variant value);
    // The value of a name; Null when missing.
    platform::Variant GetValue(std::string_view name) const;
    // The stored value, or null when missing (no copy).
    const platform::Variant* Find(std::string_view name) const;

    // Position of a name (engine name rule, any letter case); -1 when missing.
    int IndexOf(std::string_view name) const;
    int Count() const { return static_cast<int>(entries_.size()); }

    // Access by position; out-of-range positions read as an empty name or
    // Integer 0 and are ignored when written or deleted.
    std::string Name(int index) const;
    platform::Variant GetValueByIndex(int index) const;
    void SetValueByIndex(int index, platform::Variant value);
    bool IsAssigned(int index) const;
    void Delete(int index);

private:
    struct Entry {
        std::string name;
        platform::Variant value;
        bool assigned = false;
    };

    bool inRange(int index) const { return index >= 0 && index < Count(); }

    std::vector<Entry> entries_;
};
