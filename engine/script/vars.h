// TKSInterpreterVar and TKSInterpreterVarList: named, typed script variables of
// routine frames and units; lookups are by interned name, newest first.
#pragma once

#include "script/values.h"

#include <cstdint>
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
    void store(const Variant& newValue)
    {
        const int code = typeCode & ~kstype::VarParam;
        if (newValue.type() == code && (code == platform::varInteger || code == platform::varBoolean ||
                                        code == platform::varDouble || code == platform::varString))
            value = newValue;  // the common case: no record, nothing to convert
        else
            storeConverted(newValue);
    }

private:
    void storeConverted(const Variant& newValue);
};

class TKSInterpreterVarList {
public:
    TKSInterpreterVar* find(int symbol);
    TKSInterpreterVar* find(std::string_view unitName, int symbol);
    // find() through a remembered index, kept by the caller per name occurrence:
    // the index is trusted while it still holds the name and no name of this
    // list hides an older one of the same name.
    TKSInterpreterVar* findCached(int symbol, int& slot)
    {
        if (std::size_t(slot) < count_ && vars_[std::size_t(slot)].symbol == symbol && !shadowing_)
            return &vars_[std::size_t(slot)];
        TKSInterpreterVar* var = find(symbol);
        if (var)
            slot = int(var - vars_.data());
        return var;
    }
    // Raises 111 when the list already holds the name for the same unit.
    TKSInterpreterVar& add(TKSInterpreterVar var);
    // A frame variable (no unit name), built in place; raises 111 as add does.
    TKSInterpreterVar& addLocal(int symbol, const std::string& name, int typeCode);
    // Adds without the redeclaration check (exception variables of handlers).
    TKSInterpreterVar& push(TKSInterpreterVar var);
    void removeNewest()
    {
        release(vars_[--count_]);
        if (count_ < layoutCount_)
            dropLayout();
    }
    // Keeps the variables' storage for the next frame; releases their values.
    // The slots of a kept layout keep their names and types.
    void clear()
    {
        while (count_ > layoutCount_)
            release(vars_[--count_]);
        while (count_ > 0) {
            // A layout slot is written again before it is read; only what its
            // value keeps alive is let go now.
            Variant& value = vars_[--count_].value;
            if (value.holder())
                value = Variant();
        }
        shadowing_ = false;
    }
    // A routine's parameters and Result stay in the first slots between its
    // calls in the same frame: calling it again only stores the values.
    // keepLayout marks the variables present now (no name hides another) as
    // the layout of `id`; reopenLayout brings them back on an empty list.
    void keepLayout(std::uint64_t id)
    {
        layoutId_ = shadowing_ ? 0 : id;
        layoutCount_ = shadowing_ ? 0 : count_;
    }
    bool reopenLayout(std::uint64_t id)
    {
        if (id == 0 || id != layoutId_ || count_ != 0)
            return false;
        count_ = layoutCount_;
        return true;
    }
    void dropLayout()
    {
        for (std::size_t i = count_; i < layoutCount_; ++i)
            release(vars_[i]);
        layoutId_ = 0;
        layoutCount_ = 0;
    }
    bool empty() const { return count_ == 0; }
    std::size_t size() const { return count_; }
    // Oldest first.
    TKSInterpreterVar& operator[](std::size_t i) { return vars_[i]; }

private:
    TKSInterpreterVar& nextSlot();
    static void release(TKSInterpreterVar& var);

    // The first count_ entries are in use, newest at the back; the rest are
    // released entries whose strings keep their capacity for reuse.
    std::vector<TKSInterpreterVar> vars_;
    std::size_t count_ = 0;
    bool shadowing_ = false;               // some name was pushed over an older one
    std::uint64_t layoutId_ = 0;
    std::size_t layoutCount_ = 0;          // the first slots named by the layout
};
