// Record holders: native fields live in the record's memory at their offsets,
// all other fields as dynamic values beside it.
#include "script/record.h"

#include "script/datatype.h"
#include "script/error.h"

#include <cstring>

const TKSRecordField* TKSRecordType::field(int wanted, int* index) const
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].symbol == wanted) {
            if (index)
                *index = int(i);
            return &fields[i];
        }
    }
    return nullptr;
}

bool TKSInterpreterRecHolder::isNative(int code)
{
    return code == platform::varSmallint || code == platform::varInteger || code == platform::varBoolean;
}

TKSInterpreterRecHolder::TKSInterpreterRecHolder(std::shared_ptr<const TKSRecordType> type)
    : type_(std::move(type)), memory_(type_->size), values_(type_->fields.size())
{
    for (std::size_t i = 0; i < type_->fields.size(); ++i) {
        const TKSRecordField& f = type_->fields[i];
        if (isNative(f.typeCode) && std::size_t(f.offset) + 4 > memory_.size())
            throw EKSInterpreterError(kserr::Internal, -1, "record field '" + f.name + "' lies outside its record");
        if (!isNative(f.typeCode))
            values_[i] = f.dataType ? f.dataType->initialValue() : zeroValueOf(f.typeCode);
    }
    if (type_->create)
        type_->create(memory_.data());
}

TKSInterpreterRecHolder::~TKSInterpreterRecHolder()
{
    if (type_->free)
        type_->free(memory_.data());
}

Variant TKSInterpreterRecHolder::field(std::size_t index) const
{
    const TKSRecordField& f = type_->fields.at(index);
    const std::byte* at = memory_.data() + f.offset;
    switch (isNative(f.typeCode) ? f.typeCode : 0) {
    case platform::varSmallint: {
        int16_t v;
        std::memcpy(&v, at, sizeof v);
        return Variant::fromSmallint(v);
    }
    case platform::varInteger: {
        int32_t v;
        std::memcpy(&v, at, sizeof v);
        return Variant(int(v));
    }
    case platform::varBoolean: {
        int32_t v;
        std::memcpy(&v, at, sizeof v);
        return Variant(v != 0);
    }
    default:
        return values_[index];
    }
}

void TKSInterpreterRecHolder::setField(std::size_t index, const Variant& value)
{
    const TKSRecordField& f = type_->fields.at(index);
    std::byte* at = memory_.data() + f.offset;
    switch (isNative(f.typeCode) ? f.typeCode : 0) {
    case platform::varSmallint: {
        const int16_t v = int16_t(convertToType(value, platform::varInteger).toInteger());
        std::memcpy(at, &v, sizeof v);
        break;
    }
    case platform::varInteger:
    case platform::varBoolean: {
        const Variant c = convertToType(value, f.typeCode);
        const int32_t v = f.typeCode == platform::varBoolean ? int32_t(c.toBool()) : c.toInteger();
        std::memcpy(at, &v, sizeof v);
        break;
    }
    default:
        values_[index] = f.typeCode == 0 ? value : convertToType(value, f.typeCode);
    }
}

void TKSInterpreterRecHolder::assignFrom(const TKSInterpreterRecHolder& source)
{
    if (&source == this)
        return;
    if (source.type_.get() != type_.get() && source.type_->name != type_->name)
        throw EKSInterpreterError(kserr::TypeMismatch);
    if (type_->copy)
        type_->copy(memory_.data(), source.memory_.data());
    else if (!memory_.empty() && !source.memory_.empty())
        std::memcpy(memory_.data(), source.memory_.data(), std::min(memory_.size(), source.memory_.size()));
    for (std::size_t i = 0; i < type_->fields.size() && i < source.type_->fields.size(); ++i)
        setField(i, source.field(i));
}

std::shared_ptr<TKSInterpreterRecHolder> TKSInterpreterRecHolder::clone() const
{
    auto copy = std::make_shared<TKSInterpreterRecHolder>(type_);
    copy->assignFrom(*this);
    return copy;
}
