// Variant storage: construction, type names, the custom-kind registry and
// variant arrays (shared storage, copied before the first write).
#include "platform/variant.h"

#include <array>
#include <atomic>
#include <mutex>
#include <ostream>

namespace platform {

namespace {

// Variant arrays larger than this are refused rather than allocated.
constexpr std::size_t kMaxArrayElements = std::size_t(1) << 22;
constexpr int kMaxArrayDims = 64;
constexpr int kMaxCustomTypes = 64;

struct CustomKind {
    std::string name;
    std::shared_ptr<const CustomVariantType> handler;
};

// Registered kinds by (code - varFirstCustom). Written at start-up under the
// mutex; `registeredCount` only grows, so readers need no lock.
struct CustomRegistry {
    std::mutex mutex;
    std::array<CustomKind, kMaxCustomTypes> kinds;
    std::atomic<int> registeredCount{0};
};

CustomRegistry& customRegistry()
{
    static CustomRegistry registry;
    return registry;
}

const CustomKind* findCustomKind(VarType code) noexcept
{
    int slot = int(code) - int(varFirstCustom);
    CustomRegistry& registry = customRegistry();
    if (slot < 0 || slot >= registry.registeredCount.load(std::memory_order_acquire))
        return nullptr;
    return &registry.kinds[std::size_t(slot)];
}

std::string simpleTypeName(VarType code)
{
    switch (code) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSmallint: return "Smallint";
    case varInteger: return "Integer";
    case varSingle: return "Single";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varOleStr: return "OleStr";
    case varDispatch: return "Dispatch";
    case varError: return "Error";
    case varBoolean: return "Boolean";
    case varVariant: return "Variant";
    case varUnknown: return "Unknown";
    case varShortInt: return "ShortInt";
    case varByte: return "Byte";
    case varWord: return "Word";
    case varLongWord: return "LongWord";
    case varInt64: return "Int64";
    case varString: return "String";
    default: break;
    }
    if (const CustomKind* kind = findCustomKind(code))
        return kind->name;
    return "Unknown type " + std::to_string(unsigned(code));
}

} // namespace

CustomVariantType::~CustomVariantType() = default;
std::optional<int> CustomVariantType::compare(const Variant&, const Variant&) const { return std::nullopt; }
std::optional<std::string> CustomVariantType::toString(const Variant&) const { return std::nullopt; }
std::optional<Variant> CustomVariantType::castTo(const Variant&, VarType) const { return std::nullopt; }
std::optional<Variant> CustomVariantType::castFrom(const Variant&, VarType) const { return std::nullopt; }

VarType registerCustomType(std::string name, std::shared_ptr<const CustomVariantType> handler)
{
    CustomRegistry& registry = customRegistry();
    std::lock_guard lock(registry.mutex);
    int slot = registry.registeredCount.load(std::memory_order_relaxed);
    if (slot >= kMaxCustomTypes)
        throw VariantError(VariantError::Kind::InvalidOperation, "Too many custom variant types");
    registry.kinds[std::size_t(slot)] = CustomKind{std::move(name), std::move(handler)};
    registry.registeredCount.store(slot + 1, std::memory_order_release);
    return VarType(int(varFirstCustom) + slot);
}

bool isCustomType(VarType code) noexcept { return findCustomKind(code) != nullptr; }

const CustomVariantType* customTypeHandler(VarType code) noexcept
{
    const CustomKind* kind = findCustomKind(code);
    return kind ? kind->handler.get() : nullptr;
}

std::string typeName(VarType code)
{
    std::string prefix;
    if (code & varByRef)
        prefix += "ByRef ";
    if (code & varArray)
        prefix += "Array ";
    return prefix + simpleTypeName(code & varTypeMask);
}

// ---- construction ----------------------------------------------------------

struct Variant::ArrayData {
    std::vector<ArrayBound> bounds;
    VarType elementType = varVariant;
    std::vector<Variant> items;
};

Variant::Variant(std::string gbk) : type_(varString), ref_(std::make_shared<std::string>(std::move(gbk))) {}

Variant Variant::null() noexcept
{
    Variant v;
    v.type_ = varNull;
    return v;
}

Variant Variant::fromSmallint(std::int16_t value) noexcept { Variant v(int{value}); v.type_ = varSmallint; return v; }
Variant Variant::fromShortInt(std::int8_t value) noexcept { Variant v(int{value}); v.type_ = varShortInt; return v; }
Variant Variant::fromByte(std::uint8_t value) noexcept { Variant v(int{value}); v.type_ = varByte; return v; }
Variant Variant::fromWord(std::uint16_t value) noexcept { Variant v(int{value}); v.type_ = varWord; return v; }
Variant Variant::fromLongWord(std::uint32_t value) noexcept { return Variant(unsigned{value}); }
Variant Variant::fromError(std::int32_t code) noexcept { Variant v(int{code}); v.type_ = varError; return v; }

Variant Variant::fromSingle(float value) noexcept
{
    Variant v;
    v.type_ = varSingle;
    v.value_.f = value;
    return v;
}

Variant Variant::fromDate(double dayNumber) noexcept
{
    Variant v(dayNumber);
    v.type_ = varDate;
    return v;
}

Variant Variant::fromOleStr(std::string gbk)
{
    Variant v(std::move(gbk));
    v.type_ = varOleStr;
    return v;
}

Variant Variant::custom(VarType code, std::intptr_t payload, std::shared_ptr<void> holder)
{
    if (code != varDispatch && code != varUnknown && !isCustomType(code))
        throw VariantError(VariantError::Kind::InvalidOperation, "Invalid variant type");
    Variant v;
    v.type_ = code;
    v.value_.i = payload;
    v.ref_ = std::move(holder);
    return v;
}

bool Variant::isInteger() const noexcept
{
    switch (type_) {
    case varSmallint: case varInteger: case varShortInt: case varByte:
    case varWord: case varLongWord: case varInt64:
        return true;
    default:
        return false;
    }
}

bool Variant::appendToSoleString(std::string_view tail)
{
    if (type_ != varString || !ref_ || ref_.use_count() != 1)
        return false;
    static_cast<std::string*>(ref_.get())->append(tail);
    return true;
}

const std::string& Variant::stringValue() const
{
    if (!isString())
        throw VariantError(VariantError::Kind::Conversion,
                           "Variant of type (" + typeName() + ") holds no string");
    return *static_cast<const std::string*>(ref_.get());
}

std::intptr_t Variant::payload() const noexcept
{
    if (type_ == varBoolean)
        return value_.b ? 1 : 0;
    if (isInteger() || type_ == varDispatch || type_ == varUnknown || isCustom())
        return static_cast<std::intptr_t>(value_.i);
    return 0;
}

// ---- arrays -----------------------------------------------------------------

namespace {

[[noreturn]] void throwArrayCreate()
{
    throw VariantError(VariantError::Kind::ArrayCreate, "Error creating variant or safe array");
}

[[noreturn]] void throwBounds()
{
    throw VariantError(VariantError::Kind::ArrayBounds, "Variant or safe array index out of bounds");
}

std::size_t countElements(const std::vector<ArrayBound>& bounds)
{
    if (bounds.empty() || int(bounds.size()) > kMaxArrayDims)
        throwArrayCreate();
    std::size_t count = 1;
    for (ArrayBound b : bounds) {
        std::int64_t length = std::int64_t(b.high) - b.low + 1;
        if (length < 0)
            throwArrayCreate();
        if (length == 0)
            return 0;
        if (std::uint64_t(length) > kMaxArrayElements / count)
            throwArrayCreate();
        count *= std::size_t(length);
    }
    return count;
}

Variant zeroValueOf(VarType elementType)
{
    if (elementType == varVariant)
        return Variant();
    return Variant().castTo(elementType);
}

} // namespace

Variant Variant::array(std::vector<ArrayBound> bounds, VarType elementType)
{
    std::size_t count = countElements(bounds);
    if (elementType & (varArray | varByRef))
        throwArrayCreate();
    auto data = std::make_shared<ArrayData>();
    data->bounds = std::move(bounds);
    data->elementType = elementType;
    data->items.assign(count, zeroValueOf(elementType));
    Variant v;
    v.type_ = varArray | elementType;
    v.ref_ = std::move(data);
    return v;
}

Variant Variant::arrayOf(std::vector<Variant> items)
{
    if (items.size() > kMaxArrayElements)
        throwArrayCreate();
    auto data = std::make_shared<ArrayData>();
    data->bounds = {ArrayBound{0, int(items.size()) - 1}};
    data->items = std::move(items);
    Variant v;
    v.type_ = varArray | varVariant;
    v.ref_ = std::move(data);
    return v;
}

const Variant::ArrayData& Variant::arrayData() const
{
    if (!isArray())
        throw VariantError(VariantError::Kind::InvalidOperation, "Variant is not an array");
    return *static_cast<const ArrayData*>(ref_.get());
}

int Variant::dimCount() const noexcept
{
    return isArray() ? int(static_cast<const ArrayData*>(ref_.get())->bounds.size()) : 0;
}

ArrayBound Variant::bounds(int dim) const
{
    const ArrayData& data = arrayData();
    if (dim < 1 || dim > int(data.bounds.size()))
        throw VariantError(VariantError::Kind::ArrayBounds, "Variant array dimension out of range");
    return data.bounds[std::size_t(dim - 1)];
}

std::size_t Variant::elementCount() const noexcept
{
    return isArray() ? static_cast<const ArrayData*>(ref_.get())->items.size() : 0;
}

VarType Variant::elementType() const noexcept
{
    return isArray() ? static_cast<const ArrayData*>(ref_.get())->elementType : varEmpty;
}

namespace {

// The first dimension varies fastest: offset = sum of (index - low) * stride,
// stride 1 for the first dimension.
std::size_t elementOffset(const std::vector<ArrayBound>& bounds, std::span<const int> indexes)
{
    if (indexes.size() != bounds.size())
        throwBounds();
    std::size_t offset = 0, stride = 1;
    for (std::size_t d = 0; d < bounds.size(); ++d) {
        if (indexes[d] < bounds[d].low || indexes[d] > bounds[d].high)
            throwBounds();
        offset += std::size_t(std::int64_t(indexes[d]) - bounds[d].low) * stride;
        stride *= std::size_t(std::int64_t(bounds[d].high) - bounds[d].low + 1);
    }
    return offset;
}

} // namespace

const Variant& Variant::at(std::span<const int> indexes) const
{
    const ArrayData& data = arrayData();
    return data.items[elementOffset(data.bounds, indexes)];
}

void Variant::setAt(std::span<const int> indexes, Variant value)
{
    const ArrayData& shared = arrayData();
    std::size_t offset = elementOffset(shared.bounds, indexes);
    if (shared.elementType != varVariant && value.type() != shared.elementType)
        value = value.castTo(shared.elementType);
    if (ref_.use_count() > 1)
        ref_ = std::make_shared<ArrayData>(shared);  // detach: other copies keep the old values
    static_cast<ArrayData*>(ref_.get())->items[offset] = std::move(value);
}

// ---- identity and printing ----------------------------------------------------

bool Variant::identicalTo(const Variant& other) const
{
    if (type_ != other.type_)
        return false;
    if (isString())
        return stringValue() == other.stringValue();
    if (isArray()) {
        const ArrayData& a = arrayData();
        const ArrayData& b = other.arrayData();
        if (a.bounds != b.bounds)
            return false;
        for (std::size_t i = 0; i < a.items.size(); ++i)
            if (!a.items[i].identicalTo(b.items[i]))
                return false;
        return true;
    }
    switch (type_) {
    case varEmpty: case varNull: return true;
    case varBoolean: return value_.b == other.value_.b;
    case varSingle: return value_.f == other.value_.f;
    case varDouble: case varDate: return value_.d == other.value_.d;
    default: return value_.i == other.value_.i;
    }
}

void PrintTo(const Variant& value, std::ostream* os)
{
    *os << value.typeName();
    if (value.isEmpty() || value.isNull() || value.isArray())
        return;
    try {
        *os << "(" << value.toString() << ")";
    } catch (const VariantError&) {
        *os << "(payload " << value.payload() << ")";
    }
}

} // namespace platform
