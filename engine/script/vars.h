// TKSInterpreterVar and TKSInterpreterVarList: named, typed script variables of
// routine frames and units; lookups are by interned name, newest first.
#pragma once

#include "script/values.h"

#include <memory>
#include <string>
#include <vector>

class IKSInterpreterDataType;

struct TKSInterpreterVar {
    std::string unitName;
    int symbol = -1;
    std::string name;
    std::string typeName;
    int typeCode = 0;  // 0x4000 marks a var parameter
    std::shared_ptr<const IKSInterpreterDataType> dataType;
    Variant value;

    // Stores by the declared-type rules; records are copied field by field
    // into the record the variable already holds.
    void store(const Variant& newValue);
};

class TKSInterpreterVarList {
public:
    TKSInterpreterVar* find(int symbol);
    TKSInterpreterVar* find(std::string_view unitName, int symbol);
    // Raises 111 when the list already holds the name for the same unit.
    TKSInterpreterVar& add(TKSInterpreterVar var);
    // Adds without the redeclaration check (exception variables of handlers).
    TKSInterpreterVar& push(TKSInterpreterVar var);
    void removeNewest() { vars_.pop_back(); }
    void clear() { vars_.clear(); }
    bool empty() const { return vars_.empty(); }
    std::size_t size() const { return vars_.size(); }
    // Oldest first.
    TKSInterpreterVar& operator[](std::size_t i) { return vars_[i]; }

private:
    std::vector<TKSInterpreterVar> vars_;  // newest at the back
};
