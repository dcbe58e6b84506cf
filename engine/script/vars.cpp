// Script variables: the declared-type rules of stores and the variable list.
#include "script/vars.h"

#include "platform/gbk.h"
#include "script/error.h"
#include "script/record.h"

void TKSInterpreterVar::store(const Variant& newValue)
{
    if (TKSInterpreterRecHolder* source = recordOf(newValue)) {
        if (TKSInterpreterRecHolder* target = recordOf(value)) {
            target->assignFrom(*source);
            return;
        }
        // No record here yet: the variable gets a record of the source's type.
        value = makeRecordValue(source->clone());
        return;
    }
    const int code = typeCode & ~kstype::VarParam;
    if (code == kstype::Untyped || code == platform::varVariant || newValue.type() == code)
        value = newValue;
    else
        value = convertToType(newValue, code);
}

TKSInterpreterVar* TKSInterpreterVarList::find(int symbol)
{
    for (auto it = vars_.rbegin(); it != vars_.rend(); ++it)
        if (it->symbol == symbol)
            return &*it;
    return nullptr;
}

TKSInterpreterVar* TKSInterpreterVarList::find(std::string_view unitName, int symbol)
{
    for (auto it = vars_.rbegin(); it != vars_.rend(); ++it)
        if (it->symbol == symbol && platform::sameName(it->unitName, unitName))
            return &*it;
    return nullptr;
}

TKSInterpreterVar& TKSInterpreterVarList::add(TKSInterpreterVar var)
{
    if (find(var.unitName, var.symbol))
        throw EKSInterpreterError(kserr::Redeclared, -1, var.name);
    return push(std::move(var));
}

TKSInterpreterVar& TKSInterpreterVarList::push(TKSInterpreterVar var)
{
    vars_.push_back(std::move(var));
    return vars_.back();
}
