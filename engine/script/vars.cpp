// Script variables: the declared-type rules of stores and the variable list.
#include "script/vars.h"

#include "platform/gbk.h"
#include "script/error.h"
#include "script/record.h"

void TKSInterpreterVar::storeConverted(const Variant& newValue)
{
    const int code = typeCode & ~kstype::VarParam;
    if (TKSInterpreterRecHolder* source = recordOf(newValue)) {
        if (TKSInterpreterRecHolder* target = recordOf(value)) {
            target->assignFrom(*source);
            return;
        }
        // No record here yet: the variable gets a record of the source's type.
        value = makeRecordValue(source->clone());
        return;
    }
    if (code == kstype::Untyped || code == platform::varVariant || newValue.type() == code)
        value = newValue;
    else
        value = convertToType(newValue, code);
}

TKSInterpreterVar* TKSInterpreterVarList::find(int symbol)
{
    for (std::size_t i = count_; i-- > 0;)
        if (vars_[i].symbol == symbol)
            return &vars_[i];
    return nullptr;
}

TKSInterpreterVar* TKSInterpreterVarList::find(std::string_view unitName, int symbol)
{
    for (std::size_t i = count_; i-- > 0;)
        if (vars_[i].symbol == symbol && platform::sameName(vars_[i].unitName, unitName))
            return &vars_[i];
    return nullptr;
}

TKSInterpreterVar& TKSInterpreterVarList::addLocal(int symbol, const std::string& name, int typeCode)
{
    if (find(symbol))
        throw EKSInterpreterError(kserr::Redeclared, -1, name);
    TKSInterpreterVar& var = nextSlot();
    var.symbol = symbol;
    if (var.name != name)  // a frame slot mostly holds the same name call after call
        var.name = name;
    var.typeCode = typeCode;
    return var;
}

TKSInterpreterVar& TKSInterpreterVarList::add(TKSInterpreterVar var)
{
    if (find(var.unitName, var.symbol))
        throw EKSInterpreterError(kserr::Redeclared, -1, var.name);
    return push(std::move(var));
}

TKSInterpreterVar& TKSInterpreterVarList::push(TKSInterpreterVar var)
{
    if (find(var.symbol))
        shadowing_ = true;
    TKSInterpreterVar& slot = nextSlot();
    slot = std::move(var);
    return slot;
}

TKSInterpreterVar& TKSInterpreterVarList::nextSlot()
{
    if (count_ == vars_.size())
        vars_.emplace_back();
    return vars_[count_++];
}

void TKSInterpreterVarList::release(TKSInterpreterVar& var)
{
    var.symbol = -1;
    var.unitName.clear();
    var.typeName.clear();  // the name stays for the next addLocal; no lookup reads a released entry
    var.typeCode = 0;
    var.dataType.reset();
    var.value = Variant();
}
