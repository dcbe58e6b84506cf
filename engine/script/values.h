// Script values: the six wrapper kinds registered as custom variant kinds,
// constructors and accessors for them, declared type names and typed conversion.
#pragma once

#include "platform/variant.h"

#include <cstdint>
#include <memory>
#include <string_view>

class TKSScriptArray;
class TKSInterpreterRecHolder;
namespace platform {
class Object;
class ClassInfo;
}

using platform::Variant;
using platform::VarType;

// Type codes used by declarations and parameters (the platform's codes).
namespace kstype {
constexpr int Untyped = 0;
constexpr int VarParam = 0x4000;
}

// The codes of the six wrapper kinds, registered once on first use.
struct TKSWrapperKinds {
    VarType object;   // TKSObjectVariantType: platform::Object*
    VarType klass;    // TKSClassVariantType: const platform::ClassInfo*
    VarType record;   // TKSRecordVariantType: TKSInterpreterRecHolder
    VarType pointer;  // TKSPointerVariantType: untyped pointer (nil = 0)
    VarType set;      // TKSSetVariantType: 32-bit mask
    VarType array;    // TKSArrayVariantType: TKSScriptArray
};
const TKSWrapperKinds& ksKinds();

Variant makeObjectValue(platform::Object* object, std::shared_ptr<void> holder = {});
Variant makeClassValue(const platform::ClassInfo* classInfo);
Variant makeSetValue(uint32_t mask);
Variant makePointerValue(std::intptr_t pointer);
Variant makeArrayValue(std::shared_ptr<TKSScriptArray> array);
Variant makeRecordValue(std::shared_ptr<TKSInterpreterRecHolder> record);

bool isObjectValue(const Variant& v);
bool isClassValue(const Variant& v);
bool isSetValue(const Variant& v);
bool isPointerValue(const Variant& v);
// Custom kinds are numbered from varFirstCustom up, so the first
// comparison settles the common values without the kinds table.
inline bool isArrayValue(const Variant& v) { return v.type() >= platform::varFirstCustom && v.type() == ksKinds().array; }
inline bool isRecordValue(const Variant& v) { return v.type() >= platform::varFirstCustom && v.type() == ksKinds().record; }
// Object, class, set and pointer wrappers: compared by payload.
bool isPayloadCompared(const Variant& v);

platform::Object* objectOf(const Variant& v);            // null unless an object wrapper
const platform::ClassInfo* classOf(const Variant& v);     // null unless a class wrapper
TKSScriptArray* arrayOf(const Variant& v);                // null unless a script array
TKSInterpreterRecHolder* recordOf(const Variant& v);      // null unless a record
uint32_t setMaskOf(const Variant& v);

// The type code of a declaration type name ("integer" -> 3, "tobject" -> the
// object kind, ...); 0 for names that are not simple type names.
int simpleTypeCode(std::string_view typeName);

// The zero value of a type code (0, 0.0, "", false; 12: null; others empty).
Variant zeroValueOf(int code);

// Typed conversion: stores of a value into a typed variable, parameter or element.
Variant convertToType(const Variant& value, int code);
