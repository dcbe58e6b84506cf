// TKSInterpreterArgs: the argument block of one pending call: the called name,
// the argument values with their parameter types and written names, the object.
#pragma once

#include "script/values.h"

#include <string>
#include <vector>

struct TKSInterpreterArgs {
    // Who is called.
    int symbol = -1;
    std::string identifier;
    // The object the call is made on (empty: a plain name) and its wrapper kind.
    Variant object;
    int objectKind = 0;
    // Arguments; vectors keep their capacity between calls.
    int count = 0;
    std::vector<Variant> values;
    std::vector<int> types;        // declared parameter types (0x4000: var)
    std::vector<std::string> names; // the variable an argument was written as, or empty
    bool indexed = false;           // written with square brackets
    bool indexesConsumed = false;   // an indexed property used them
    bool resultUsed = true;
    bool assignTarget = false;
    bool hasVarArgs = false;

    bool hasObject() const { return objectKind != 0; }
    const Variant& arg(int i) const { return values.at(std::size_t(i)); }

    void clearCall()
    {
        object = Variant();
        objectKind = 0;
        count = 0;
        indexed = indexesConsumed = assignTarget = hasVarArgs = false;
        resultUsed = true;
    }
    void push(Variant value, std::string name = {})
    {
        const std::size_t i = nextSlot();
        values[i] = std::move(value);
        names[i] = std::move(name);
    }
    // push() without a written name.
    void pushValue(Variant&& value)
    {
        const std::size_t i = nextSlot();
        values[i] = std::move(value);
        names[i].clear();
    }
    // The next argument's index; the slots are kept between calls so that
    // their storage is reused.
    std::size_t nextSlot()
    {
        const std::size_t i = std::size_t(count++);
        if (values.size() <= i) {
            values.resize(i + 1);
            types.resize(i + 1);
            names.resize(i + 1);
        }
        types[i] = 0;
        return i;
    }
    // Fills the block with plain values (a host calling a routine).
    void setValues(const std::vector<Variant>& items)
    {
        count = 0;
        for (const Variant& v : items)
            push(v);
    }
};
