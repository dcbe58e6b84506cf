// Script arrays: bounds checks, row-major addressing and typed element storage.
// Stored values are converted to the element type.
#include "script/array.h"

#include "script/datatype.h"
#include "script/error.h"

#include <stdexcept>

namespace {

constexpr std::size_t kMaxElements = std::size_t(1) << 26;  // keeps declarations from exhausting memory

template <class T> void resizeTo(std::vector<T>& v, std::size_t n, const T& init) { v.resize(n, init); }

} // namespace

TKSScriptArray::TKSScriptArray(std::span<const std::pair<int, int>> bounds, int elementType,
                               std::shared_ptr<const IKSInterpreterDataType> elementDataType)
    : elementType_(elementType & ~kstype::VarParam), elementDataType_(std::move(elementDataType))
{
    if (bounds.empty() || bounds.size() > kMaxDimensions)
        throw EKSInterpreterError(kserr::InvalidDimension);
    dims_ = int(bounds.size());
    count_ = 1;
    for (int d = 0; d < dims_; ++d) {
        low_[d] = bounds[d].first;
        high_[d] = bounds[d].second;
        const long long extent = (long long)high_[d] - low_[d] + 1;
        if (extent < 0 || (extent > 0 && count_ > kMaxElements / std::size_t(extent)))
            throw EKSInterpreterError(kserr::InvalidRange);
        count_ *= std::size_t(extent);
    }
    switch (elementType_) {
    case platform::varInteger: storage_ = std::vector<int32_t>(count_, 0); break;
    case platform::varSmallint: storage_ = std::vector<int16_t>(count_, 0); break;
    case platform::varByte: storage_ = std::vector<uint8_t>(count_, 0); break;
    case platform::varDouble:
    case platform::varDate: storage_ = std::vector<double>(count_, 0.0); break;
    case platform::varString: storage_ = std::vector<std::string>(count_); break;
    default:
        if (elementType_ == ksKinds().object) {
            storage_ = std::vector<std::intptr_t>(count_, 0);
        } else {
            std::vector<Variant> values(count_);
            for (Variant& v : values)
                v = initialElement();
            storage_ = std::move(values);
        }
    }
}

Variant TKSScriptArray::initialElement() const
{
    return elementDataType_ ? elementDataType_->initialValue() : zeroValueOf(elementType_);
}

std::size_t TKSScriptArray::offsetOf(std::span<const Variant> indexes) const
{
    if (int(indexes.size()) > dims_)
        throw EKSInterpreterError(kserr::TooManyBounds);
    if (int(indexes.size()) < dims_)
        throw EKSInterpreterError(kserr::NotEnoughBounds);
    std::size_t offset = 0, stride = 1;
    for (int d = 0; d < dims_; ++d) {
        const int index = indexes[d].toInteger();
        if (index < low_[d] || index > high_[d])
            throw EKSInterpreterError(kserr::IndexOutOfBounds);
        offset += std::size_t(index - low_[d]) * stride;
        stride *= std::size_t(high_[d] - low_[d] + 1);
    }
    return offset;
}

Variant TKSScriptArray::get(std::span<const Variant> indexes) const { return at(offsetOf(indexes)); }

void TKSScriptArray::set(std::span<const Variant> indexes, const Variant& value)
{
    setAt(offsetOf(indexes), value);
}

Variant TKSScriptArray::at(std::size_t offset) const
{
    if (offset >= count_)
        throw EKSInterpreterError(kserr::IndexOutOfBounds);
    return std::visit(
        [&](const auto& v) -> Variant {
            using T = typename std::decay_t<decltype(v)>::value_type;
            if constexpr (std::is_same_v<T, int32_t>)
                return Variant(int(v[offset]));
            else if constexpr (std::is_same_v<T, int16_t>)
                return Variant::fromSmallint(v[offset]);
            else if constexpr (std::is_same_v<T, uint8_t>)
                return Variant::fromByte(v[offset]);
            else if constexpr (std::is_same_v<T, double>)
                return elementType_ == platform::varDate ? Variant::fromDate(v[offset]) : Variant(v[offset]);
            else if constexpr (std::is_same_v<T, std::intptr_t>)
                return makeObjectValue(reinterpret_cast<platform::Object*>(v[offset]));
            else if constexpr (std::is_same_v<T, std::string>)
                return Variant(v[offset]);
            else
                return v[offset];
        },
        storage_);
}

void TKSScriptArray::setAt(std::size_t offset, const Variant& value)
{
    if (offset >= count_)
        throw EKSInterpreterError(kserr::IndexOutOfBounds);
    const Variant converted = convertToType(value, elementType_);
    std::visit(
        [&](auto& v) {
            using T = typename std::decay_t<decltype(v)>::value_type;
            if constexpr (std::is_same_v<T, int32_t>)
                v[offset] = converted.toInteger();
            else if constexpr (std::is_same_v<T, int16_t>)
                v[offset] = int16_t(converted.toInteger());
            else if constexpr (std::is_same_v<T, uint8_t>)
                v[offset] = uint8_t(converted.toInteger());
            else if constexpr (std::is_same_v<T, double>)
                v[offset] = converted.toDouble();
            else if constexpr (std::is_same_v<T, std::intptr_t>)
                v[offset] = converted.payload();
            else if constexpr (std::is_same_v<T, std::string>)
                v[offset] = converted.toString();
            else
                v[offset] = converted;
        },
        storage_);
}

void TKSScriptArray::resize(std::size_t count)
{
    if (dims_ != 1)
        throw std::runtime_error("Sorry. Dynamic arrays support is made for one-dimensional arrays only.");
    if (count > kMaxElements)
        throw EKSInterpreterError(kserr::InvalidRange);
    const Variant init = initialElement();
    std::visit(
        [&](auto& v) {
            using T = typename std::decay_t<decltype(v)>::value_type;
            if constexpr (std::is_same_v<T, Variant>)
                resizeTo(v, count, init);
            else
                resizeTo(v, count, T{});
        },
        storage_);
    count_ = count;
    high_[0] = low_[0] + int(count) - 1;
}

void TKSScriptArray::erase(std::size_t offset)
{
    if (dims_ != 1)
        throw std::runtime_error("Sorry. For one-dimensional arrays only.");
    if (offset >= count_)
        throw EKSInterpreterError(kserr::IndexOutOfBounds);
    std::visit([&](auto& v) { v.erase(v.begin() + std::ptrdiff_t(offset)); }, storage_);
    --count_;
    --high_[0];
}

void TKSScriptArray::insert(std::size_t offset, const Variant& value)
{
    if (dims_ != 1)
        throw std::runtime_error("Sorry. For one-dimensional arrays only.");
    if (offset > count_ || count_ + 1 > kMaxElements)
        throw EKSInterpreterError(kserr::IndexOutOfBounds);
    std::visit(
        [&](auto& v) {
            using T = typename std::decay_t<decltype(v)>::value_type;
            v.insert(v.begin() + std::ptrdiff_t(offset), T{});
        },
        storage_);
    ++count_;
    ++high_[0];
    setAt(offset, value);
}
