// Shared shapes of binding wrappers: reading the instance and the arguments,
// and short registration helpers for members, functions and constant lists.
#pragma once

#include "script/adapter.h"

#include <initializer_list>
#include <stdexcept>
#include <string>

namespace bind {

// Raised when a wrapper gets an object of the wrong class (or none at all,
// e.g. an instance member called on a class reference).
inline void invalidCast() { throw std::runtime_error("Invalid class typecast"); }

// The instance a member wrapper runs on.
template <class T> T& self(TKSInterpreterArgs& args)
{
    T* object = dynamic_cast<T*>(objectOf(args.object));
    if (!object)
        invalidCast();
    return *object;
}

// An object argument of class T; nil gives null when allowed.
template <class T> T* objectArg(const TKSInterpreterArgs& args, int i, bool allowNil = false)
{
    const Variant& value = args.arg(i);
    if (allowNil && (isPointerValue(value) || value.isEmpty() || value.isNull()) && value.payload() == 0)
        return nullptr;
    platform::Object* object = objectOf(value);
    if (!object && allowNil && isObjectValue(value))
        return nullptr;
    T* typed = dynamic_cast<T*>(object);
    if (!typed)
        invalidCast();
    return typed;
}

inline std::string text(const TKSInterpreterArgs& args, int i) { return args.arg(i).toString(); }
inline int integer(const TKSInterpreterArgs& args, int i) { return args.arg(i).toInteger(); }
inline double number(const TKSInterpreterArgs& args, int i) { return args.arg(i).toDouble(); }
inline bool boolean(const TKSInterpreterArgs& args, int i) { return args.arg(i).toBool(); }

// Writes a var argument back (the caller copies it into the script variable).
inline void setVar(TKSInterpreterArgs& args, int i, Variant value) { args.values.at(std::size_t(i)) = std::move(value); }

// Registration on one class: getters (properties and methods), setters, indexed.
class ClassBinder {
public:
    ClassBinder(TKSInterpreterAdapter& registry, const platform::ClassInfo& cls) : r_(registry), cls_(&cls) {}

    ClassBinder& get(const std::string& name, int params, TKSWrapper wrapper, std::vector<int> types = {})
    {
        r_.RegisterGetter(cls_, name, params, std::move(types), 0, std::move(wrapper));
        return *this;
    }
    ClassBinder& set(const std::string& name, TKSWrapper wrapper)
    {
        r_.RegisterSetter(cls_, name, 0, {}, std::move(wrapper));
        return *this;
    }
    ClassBinder& indexedGet(const std::string& name, int params, TKSWrapper wrapper)
    {
        r_.RegisterIndexedGetter(cls_, name, params, {}, std::move(wrapper));
        return *this;
    }
    ClassBinder& indexedSet(const std::string& name, int params, TKSWrapper wrapper)
    {
        r_.RegisterIndexedSetter(cls_, name, params, {}, std::move(wrapper));
        return *this;
    }
    ClassBinder& defaultGet(int params, TKSWrapper wrapper)
    {
        r_.RegisterDefaultIndexedGetter(cls_, params, {}, std::move(wrapper));
        return *this;
    }
    ClassBinder& defaultSet(int params, TKSWrapper wrapper)
    {
        r_.RegisterDefaultIndexedSetter(cls_, params, {}, std::move(wrapper));
        return *this;
    }

private:
    TKSInterpreterAdapter& r_;
    const platform::ClassInfo* cls_;
};

inline void function(TKSInterpreterAdapter& r, const std::string& unit, const std::string& name, int params,
                     TKSWrapper wrapper, std::vector<int> types = {})
{
    r.RegisterFunction(unit, name, params, std::move(types), 0, std::move(wrapper));
}

// Constants numbered first, first + 1, ... in the order given (the ordinals
// of an enumeration type).
inline void ordinals(TKSInterpreterAdapter& r, const std::string& unit, std::initializer_list<const char*> names,
                     int first = 0)
{
    int value = first;
    for (const char* name : names)
        r.RegisterConstant(unit, name, Variant(value++));
}

struct NamedValue {
    const char* name;
    long long value;
};

inline void constants(TKSInterpreterAdapter& r, const std::string& unit, std::initializer_list<NamedValue> values)
{
    for (const NamedValue& v : values)
        r.RegisterConstant(unit, v.name, Variant(int(static_cast<unsigned>(v.value))));
}

} // namespace bind
