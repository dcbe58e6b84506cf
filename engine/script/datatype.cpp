// Initial values of declared types: zero values, fresh arrays, fresh records.
#include "script/datatype.h"

#include "script/adapter.h"
#include "script/array.h"
#include "script/error.h"

Variant TKSInterpreterArrayDataType::initialValue() const
{
    return makeArrayValue(std::make_shared<TKSScriptArray>(bounds_, elementType_, elementDataType_));
}

Variant TKSInterpreterRecordDataType::initialValue() const
{
    Variant value;
    if (!registry_ || !registry_->createRecord(name_, value))
        throw EKSInterpreterError(kserr::RecordNotDefined, -1, name_);
    return value;
}

std::shared_ptr<const IKSInterpreterDataType> simpleDataType(int code)
{
    return std::make_shared<TKSInterpreterSimpleDataType>(code);
}
