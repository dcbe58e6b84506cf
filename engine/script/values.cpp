// The wrapper kinds of script values and the typed conversion rules.
// Object, class, set and pointer wrappers compare by their payload.
#include "script/values.h"

#include "script/array.h"
#include "script/record.h"

#include <array>

namespace {

// Comparison by payload; sets and pointers also convert to and from integers.
class PayloadWrapper : public platform::CustomVariantType {
public:
    explicit PayloadWrapper(bool numeric) : numeric_(numeric) {}

    std::optional<int> compare(const Variant& self, const Variant& other) const override
    {
        if (!other.isCustom() && !(numeric_ && other.isInteger()))
            return std::nullopt;
        const std::intptr_t a = self.payload(), b = other.payload();
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    std::optional<Variant> castTo(const Variant& self, VarType target) const override
    {
        if (!numeric_)
            return std::nullopt;
        if (target == platform::varInteger)
            return Variant(int(int32_t(uint32_t(self.payload()))));
        return Variant(int(int32_t(uint32_t(self.payload())))).castTo(target);
    }
    std::optional<Variant> castFrom(const Variant& source, VarType code) const override
    {
        if (!numeric_ || !(source.isInteger() || source.isBoolean()))
            return std::nullopt;
        return Variant::custom(code, std::intptr_t(uint32_t(source.toInteger())));
    }

private:
    bool numeric_;
};

} // namespace

const TKSWrapperKinds& ksKinds()
{
    static const TKSWrapperKinds kinds = [] {
        auto byReference = std::make_shared<PayloadWrapper>(false);
        auto numeric = std::make_shared<PayloadWrapper>(true);
        TKSWrapperKinds k{};
        k.object = platform::registerCustomType("Object", byReference);
        k.klass = platform::registerCustomType("Class", byReference);
        k.record = platform::registerCustomType("Record", byReference);
        k.pointer = platform::registerCustomType("Pointer", numeric);
        k.set = platform::registerCustomType("Set", numeric);
        k.array = platform::registerCustomType("Array", byReference);
        return k;
    }();
    return kinds;
}

Variant makeObjectValue(platform::Object* object, std::shared_ptr<void> holder)
{
    return Variant::custom(ksKinds().object, reinterpret_cast<std::intptr_t>(object), std::move(holder));
}

Variant makeClassValue(const platform::ClassInfo* classInfo)
{
    return Variant::custom(ksKinds().klass, reinterpret_cast<std::intptr_t>(classInfo));
}

Variant makeSetValue(uint32_t mask) { return Variant::custom(ksKinds().set, std::intptr_t(mask)); }
Variant makePointerValue(std::intptr_t pointer) { return Variant::custom(ksKinds().pointer, pointer); }

Variant makeArrayValue(std::shared_ptr<TKSScriptArray> array)
{
    auto raw = reinterpret_cast<std::intptr_t>(array.get());
    return Variant::custom(ksKinds().array, raw, std::move(array));
}

Variant makeRecordValue(std::shared_ptr<TKSInterpreterRecHolder> record)
{
    auto raw = reinterpret_cast<std::intptr_t>(record.get());
    return Variant::custom(ksKinds().record, raw, std::move(record));
}

bool isObjectValue(const Variant& v) { return v.type() == ksKinds().object; }
bool isClassValue(const Variant& v) { return v.type() == ksKinds().klass; }
bool isSetValue(const Variant& v) { return v.type() == ksKinds().set; }
bool isPointerValue(const Variant& v) { return v.type() == ksKinds().pointer; }

bool isPayloadCompared(const Variant& v)
{
    const TKSWrapperKinds& k = ksKinds();
    const VarType t = v.type();
    return t == k.object || t == k.klass || t == k.set || t == k.pointer;
}

platform::Object* objectOf(const Variant& v)
{
    return isObjectValue(v) ? reinterpret_cast<platform::Object*>(v.payload()) : nullptr;
}

const platform::ClassInfo* classOf(const Variant& v)
{
    return isClassValue(v) ? reinterpret_cast<const platform::ClassInfo*>(v.payload()) : nullptr;
}

TKSScriptArray* arrayOf(const Variant& v)
{
    return isArrayValue(v) ? static_cast<TKSScriptArray*>(v.holder().get()) : nullptr;
}

TKSInterpreterRecHolder* recordOf(const Variant& v)
{
    return isRecordValue(v) ? static_cast<TKSInterpreterRecHolder*>(v.holder().get()) : nullptr;
}

uint32_t setMaskOf(const Variant& v) { return uint32_t(v.payload()); }

int simpleTypeCode(std::string_view typeName)
{
    struct Name {
        const char* text;
        int code;
    };
    static const Name kNames[] = {
        {"INTEGER", platform::varInteger},  {"LONGINT", platform::varInteger}, {"DWORD", platform::varInteger},
        {"WORD", platform::varSmallint},    {"SMALLINT", platform::varSmallint}, {"BYTE", platform::varByte},
        {"WORDBOOL", platform::varBoolean}, {"BOOLEAN", platform::varBoolean}, {"BOOL", platform::varBoolean},
        {"STRING", platform::varString},    {"PCHAR", platform::varString},    {"ANSISTRING", platform::varString},
        {"SHORTSTRING", platform::varString}, {"CHAR", platform::varString},   {"DOUBLE", platform::varDouble},
        {"TDATETIME", platform::varDate},
    };
    std::string upper(typeName);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    if (upper == "TOBJECT")
        return ksKinds().object;
    for (const Name& n : kNames)
        if (upper == n.text)
            return n.code;
    return kstype::Untyped;
}

Variant zeroValueOf(int code)
{
    switch (code & ~kstype::VarParam) {
    case platform::varSmallint: return Variant::fromSmallint(0);
    case platform::varInteger: return Variant(0);
    case platform::varByte: return Variant::fromByte(0);
    case platform::varSingle: return Variant::fromSingle(0);
    case platform::varDouble: return Variant(0.0);
    case platform::varCurrency: return Variant(platform::Currency{});
    case platform::varDate: return Variant::fromDate(0);
    case platform::varString: return Variant(std::string());
    case platform::varOleStr: return Variant::fromOleStr({});
    case platform::varBoolean: return Variant(false);
    case platform::varVariant: return Variant::null();
    default: return Variant();
    }
}

Variant convertToType(const Variant& value, int code)
{
    code &= ~kstype::VarParam;
    if (code == kstype::Untyped || code == platform::varVariant || value.type() == code)
        return value;
    if (value.isEmpty() || value.isNull())
        return zeroValueOf(code);
    if (code == platform::varInteger && value.isBoolean())
        return Variant(value.toBool() ? 1 : 0);
    const VarType target = VarType(code);
    if (value.isCustom() && platform::isCustomType(target))
        return Variant::custom(target, value.payload(), value.holder());  // a retag keeps the payload
    return value.castTo(target);
}
