// Published-property reflection: class descriptions, the class registry and
// property access by kind.
#include "platform/reflection.h"

#include "platform/gbk.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace platform {

namespace {

// Registry of every constructed ClassInfo, keyed by upper-case name. A later
// class of the same name replaces the earlier one (an application may
// register its own TForm1).
struct Registry {
    std::mutex mutex;
    std::map<std::string, const ClassInfo*> byName;
};

Registry& registry()
{
    static Registry r;
    return r;
}

const char* kindName(PropKind kind)
{
    switch (kind) {
    case PropKind::Integer: return "Integer";
    case PropKind::Enumeration: return "Enumeration";
    case PropKind::Char: return "Char";
    case PropKind::Float: return "Float";
    case PropKind::String: return "String";
    case PropKind::Set: return "Set";
    case PropKind::Class: return "Class";
    case PropKind::Method: return "Method";
    case PropKind::Variant: return "Variant";
    case PropKind::Int64: return "Int64";
    case PropKind::Interface: return "Interface";
    case PropKind::Binary: return "Binary";
    case PropKind::List: return "List";
    }
    return "?";
}

bool isValueKind(PropKind kind)
{
    switch (kind) {
    case PropKind::Class:
    case PropKind::Method:
    case PropKind::Binary:
    case PropKind::List:
        return false;
    default:
        return true;
    }
}

// Union of 1 shl element over a variant array of ordinals.
int maskOfArray(const Variant& array)
{
    if (array.dimCount() != 1)
        throw PropertyError("Invalid set value: a one-dimensional array is needed");
    ArrayBound bound = array.bounds(1);
    unsigned mask = 0;
    for (int i = bound.low; i <= bound.high; ++i) {
        int index[] = {i};
        int element = array.at(index).toInteger();
        if (element < 0 || element > 31)
            throw PropertyError("Invalid set element: " + std::to_string(element));
        mask |= 1u << element;
    }
    return static_cast<int>(mask);
}

} // namespace

// --- EnumType --------------------------------------------------------------

EnumType::EnumType(std::string name, std::vector<std::string> values)
    : name_(std::move(name)), values_(std::move(values))
{
}

std::optional<int> EnumType::valueOf(std::string_view name) const
{
    for (std::size_t i = 0; i < values_.size(); ++i) {
        if (sameName(values_[i], name))
            return static_cast<int>(i);
    }
    return std::nullopt;
}

std::string EnumType::nameOf(int value) const
{
    if (value < 0 || static_cast<std::size_t>(value) >= values_.size())
        return {};
    return values_[static_cast<std::size_t>(value)];
}

const EnumType& booleanType()
{
    static const EnumType type("Boolean", {"False", "True"});
    return type;
}

// --- PropInfo --------------------------------------------------------------

bool PropInfo::isBoolean() const
{
    return kind_ == PropKind::Enumeration && sameName(typeName_, "Boolean");
}

bool PropInfo::isReadOnly() const
{
    switch (kind_) {
    case PropKind::Class: return !setObject_;
    case PropKind::Method: return !setMethod_;
    case PropKind::Binary: return !setBytes_;
    case PropKind::List: return !setList_;
    default: return !setValue_;
    }
}

void PropInfo::requireKind(bool ok, const char* what) const
{
    if (!ok)
        throw PropertyError("Property " + name_ + " of kind " + kindName(kind_) + " cannot be used as " + what);
}

Variant PropInfo::get(const Object& object) const
{
    if (!isValueKind(kind_) || !getValue_)
        return Variant();
    return getValue_(object);
}

void PropInfo::set(Object& object, const Variant& value) const
{
    requireKind(isValueKind(kind_), "a value");
    if (!setValue_)
        throw PropertyError("Property " + name_ + " is read-only");
    if (kind_ == PropKind::Enumeration && value.isString() && enumType_ && !isBoolean()) {
        if (std::optional<int> ordinal = enumType_->valueOf(value.stringValue())) {
            setValue_(object, Variant(*ordinal));
            return;
        }
    }
    if (kind_ == PropKind::Set && value.isArray()) {
        setValue_(object, Variant(maskOfArray(value)));
        return;
    }
    setValue_(object, value);
}

Object* PropInfo::getObject(const Object& object) const
{
    requireKind(kind_ == PropKind::Class, "an object");
    return getObject_(object);
}

void PropInfo::setObject(Object& object, Object* value) const
{
    requireKind(kind_ == PropKind::Class, "an object");
    if (!setObject_)
        throw PropertyError("Property " + name_ + " is read-only");
    setObject_(object, value);
}

MethodValue PropInfo::getMethod(const Object& object) const
{
    requireKind(kind_ == PropKind::Method, "an event");
    return getMethod_(object);
}

void PropInfo::setMethod(Object& object, MethodValue value) const
{
    requireKind(kind_ == PropKind::Method, "an event");
    if (!setMethod_)
        throw PropertyError("Property " + name_ + " is read-only");
    setMethod_(object, std::move(value));
}

std::string PropInfo::getBytes(const Object& object) const
{
    requireKind(kind_ == PropKind::Binary, "binary data");
    return getBytes_(object);
}

void PropInfo::setBytes(Object& object, std::string bytes) const
{
    requireKind(kind_ == PropKind::Binary, "binary data");
    if (!setBytes_)
        throw PropertyError("Property " + name_ + " is read-only");
    setBytes_(object, std::move(bytes));
}

std::vector<std::string> PropInfo::getList(const Object& object) const
{
    requireKind(kind_ == PropKind::List, "a list");
    return getList_(object);
}

void PropInfo::setList(Object& object, std::vector<std::string> lines) const
{
    requireKind(kind_ == PropKind::List, "a list");
    if (!setList_)
        throw PropertyError("Property " + name_ + " is read-only");
    setList_(object, std::move(lines));
}

// --- ClassInfo -------------------------------------------------------------

ClassInfo::ClassInfo(Data&& data)
    : name_(std::move(data.name)),
      parent_(data.parent),
      own_(std::move(data.props)),
      ownForm_(std::move(data.formProps)),
      factory_(std::move(data.factory))
{
    if (parent_) {
        all_ = parent_->all_;
        allForm_ = parent_->allForm_;
        byUpperName_ = parent_->byUpperName_;
    }
    // A property redeclared by a derived class replaces the ancestor's in place.
    for (const PropInfo& p : own_) {
        byUpperName_.insert_or_assign(upperCase(p.name()), &p);
        auto slot = std::find_if(all_.begin(), all_.end(), [&](const PropInfo* q) { return sameName(q->name(), p.name()); });
        if (slot != all_.end())
            *slot = &p;
        else
            all_.push_back(&p);
    }
    for (const PropInfo& p : ownForm_)
        allForm_.push_back(&p);

    std::lock_guard lock(registry().mutex);
    registry().byName[upperCase(name_)] = this;
}

ClassInfo::~ClassInfo()
{
    std::lock_guard lock(registry().mutex);
    auto it = registry().byName.find(upperCase(name_));
    if (it != registry().byName.end() && it->second == this)
        registry().byName.erase(it);
}

bool ClassInfo::inheritsFrom(std::string_view className) const
{
    for (const ClassInfo* c = this; c; c = c->parent_) {
        if (sameName(c->name_, className))
            return true;
    }
    return false;
}

bool ClassInfo::inheritsFrom(const ClassInfo& other) const
{
    for (const ClassInfo* c = this; c; c = c->parent_) {
        if (c == &other)
            return true;
    }
    return false;
}

const PropInfo* ClassInfo::findProperty(std::string_view name) const
{
    auto it = byUpperName_.find(upperCase(name));
    return it == byUpperName_.end() ? nullptr : it->second;
}

const PropInfo* ClassInfo::findFormProperty(std::string_view name) const
{
    for (auto it = allForm_.rbegin(); it != allForm_.rend(); ++it) {
        if (sameName((*it)->name(), name))
            return *it;
    }
    return nullptr;
}

std::unique_ptr<Object> ClassInfo::create() const
{
    return factory_ ? factory_() : nullptr;
}

const ClassInfo* findClass(std::string_view name)
{
    std::lock_guard lock(registry().mutex);
    auto it = registry().byName.find(upperCase(name));
    return it == registry().byName.end() ? nullptr : it->second;
}

std::vector<const ClassInfo*> registeredClasses()
{
    std::lock_guard lock(registry().mutex);
    std::vector<const ClassInfo*> classes;
    for (const auto& [name, info] : registry().byName)
        classes.push_back(info);
    return classes;
}

// --- Object and Persistent -------------------------------------------------

const ClassInfo& Object::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<Object>("TObject", nullptr);
    return info;
}

const ClassInfo& Persistent::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<Persistent>("TPersistent", &Object::staticClassInfo());
    return info;
}

void Persistent::assign(const Persistent& source)
{
    throw PropertyError("Cannot assign a " + source.className() + " to a " + className());
}

// --- Lookups by name -------------------------------------------------------

const PropInfo* findProperty(const Object& object, std::string_view name)
{
    return object.classInfo().findProperty(name);
}

std::optional<Variant> getProperty(const Object& object, std::string_view name)
{
    const PropInfo* prop = findProperty(object, name);
    if (!prop || !isValueKind(prop->kind()))
        return std::nullopt;
    return prop->get(object);
}

bool setProperty(Object& object, std::string_view name, const Variant& value)
{
    const PropInfo* prop = findProperty(object, name);
    if (!prop || !isValueKind(prop->kind()) || prop->isReadOnly())
        return false;
    prop->set(object, value);
    return true;
}

} // namespace platform
