// Published-property reflection: classes describe their published properties
// once (ClassInfo), and the engine reads and writes them by name at run time.
#pragma once

#include "platform/variant.h"

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace platform {

class ClassInfo;
class Object;

// Raised for misuse of a property (writing a read-only one, a value of the
// wrong kind); conversions of values raise VariantError instead.
class PropertyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Kinds of published properties. Binary and List are form-only data (see
// ClassBuilder::binary and ::list): they are never found by name lookups.
enum class PropKind { Integer, Enumeration, Char, Float, String, Set, Class, Method, Variant, Int64, Interface, Binary, List };

// An enumeration type: its name and the names of its values 0, 1, 2...
class EnumType {
public:
    EnumType(std::string name, std::vector<std::string> values);
    const std::string& name() const { return name_; }
    const std::vector<std::string>& values() const { return values_; }
    // Ordinal of a value name (case-insensitive); nothing when unknown.
    std::optional<int> valueOf(std::string_view name) const;
    // Name of an ordinal; empty when out of range.
    std::string nameOf(int value) const;

private:
    std::string name_;
    std::vector<std::string> values_;
};

// The type "Boolean" (False, True): properties of this type read as Booleans.
const EnumType& booleanType();

// A set type: bit n of the mask holds element n of the enumeration.
struct SetType {
    std::string name{};
    const EnumType* element = nullptr;
};

// Arguments of an event (all but the sender), in the order the event type
// declares them. A handler may write back the var arguments (e.g. Key).
using EventArgs = std::vector<Variant>;

// A method value stored in an event property: the handler code plus the
// object it is called on. Empty code means "no handler". The name is the
// handler's name in form text ("Edit1KeyDown"), when it has one.
struct MethodValue {
    std::function<void(Object* sender, EventArgs& args)> code;
    Object* data = nullptr;
    std::string name{};

    explicit operator bool() const noexcept { return static_cast<bool>(code); }
    // Calls the handler when there is one.
    void operator()(Object* sender, EventArgs& args) const
    {
        if (code)
            code(sender, args);
    }
};

// One published (or form-only) property of a class.
class PropInfo {
public:
    const std::string& name() const { return name_; }
    PropKind kind() const { return kind_; }
    // "Integer", "Boolean", "String", "TColor", "TNotifyEvent", "TFont"...
    const std::string& typeName() const { return typeName_; }
    bool isBoolean() const;
    bool isReadOnly() const;
    // Enumeration: its type; Set: the element type; otherwise null.
    const EnumType* enumType() const { return enumType_; }
    // Class: the declared class.
    const ClassInfo* classType() const { return classType_ ? classType_ : classTypeOf_ ? &classTypeOf_() : nullptr; }
    // The value that is not written to forms (nothing: always written, except
    // empty strings, zero floats, absent objects and empty handlers).
    const std::optional<Variant>& defaultValue() const { return default_; }
    bool isStored() const { return stored_; }

    // Value kinds (Integer, Enumeration, Char, Float, String, Set, Variant,
    // Int64, Interface): integers and enumerations read as Integer, Booleans as
    // Boolean, chars as one-character strings, sets as an Integer bit mask.
    // Other kinds read as Empty.
    Variant get(const Object& object) const;
    // Writes a value kind, converting: Integer/Enumeration take the value as an
    // integer (an enumeration also takes a value name), Boolean its truth,
    // Char the first byte of its text, Set an integer mask or a variant array
    // of element ordinals. PropertyError when read-only or not a value kind;
    // VariantError when the value does not convert.
    void set(Object& object, const Variant& value) const;

    Object* getObject(const Object& object) const;            // Class kind
    void setObject(Object& object, Object* value) const;
    MethodValue getMethod(const Object& object) const;         // Method kind
    void setMethod(Object& object, MethodValue value) const;
    std::string getBytes(const Object& object) const;          // Binary kind
    void setBytes(Object& object, std::string bytes) const;
    std::vector<std::string> getList(const Object& object) const;  // List kind
    void setList(Object& object, std::vector<std::string> lines) const;

private:
    template <class T> friend class ClassBuilder;
    friend class ClassInfo;

    void requireKind(bool ok, const char* what) const;

    std::string name_;
    PropKind kind_ = PropKind::Integer;
    std::string typeName_;
    const EnumType* enumType_ = nullptr;
    const ClassInfo* classType_ = nullptr;
    const ClassInfo& (*classTypeOf_)() = nullptr;  // declared class, looked up on use
    std::optional<Variant> default_;
    bool stored_ = true;

    // Type-erased accessors; the object passed is of the declaring class.
    std::function<Variant(const Object&)> getValue_;
    std::function<void(Object&, const Variant&)> setValue_;
    std::function<Object*(const Object&)> getObject_;
    std::function<void(Object&, Object*)> setObject_;
    std::function<MethodValue(const Object&)> getMethod_;
    std::function<void(Object&, MethodValue)> setMethod_;
    std::function<std::string(const Object&)> getBytes_;
    std::function<void(Object&, std::string)> setBytes_;
    std::function<std::vector<std::string>(const Object&)> getList_;
    std::function<void(Object&, std::vector<std::string>)> setList_;
};

template <class T> class ClassBuilder;

// The description of one class: name, parent, published properties, factory.
// A ClassInfo lives for the whole program (a function-local static) and adds
// itself to the global class registry when constructed.
class ClassInfo {
public:
    using Factory = std::function<std::unique_ptr<Object>()>;

    // Starts the description of class T; finish by initialising a ClassInfo:
    //   static const ClassInfo info = ClassInfo::define<TEdit>("TEdit", &TWinControl::staticClassInfo())
    //       .prop("Text", &TEdit::text, &TEdit::setText)
    //       .event("OnChange", "TNotifyEvent", &TEdit::onChange);
    template <class T> static ClassBuilder<T> define(std::string name, const ClassInfo* parent);

    template <class T> ClassInfo(ClassBuilder<T>& builder) : ClassInfo(std::move(builder.info_)) {}
    template <class T> ClassInfo(ClassBuilder<T>&& builder) : ClassInfo(std::move(builder.info_)) {}
    ClassInfo(const ClassInfo&) = delete;
    ClassInfo& operator=(const ClassInfo&) = delete;
    ~ClassInfo();

    const std::string& name() const { return name_; }
    const ClassInfo* parent() const { return parent_; }
    // This class or an ancestor has that name (case-insensitive) / is `other`.
    bool inheritsFrom(std::string_view className) const;
    bool inheritsFrom(const ClassInfo& other) const;

    // A published property of this class or an ancestor (case-insensitive);
    // null when there is none.
    const PropInfo* findProperty(std::string_view name) const;
    // Published properties, ancestors' first, each in declaration order.
    const std::vector<const PropInfo*>& properties() const { return all_; }
    // Form-only properties (Binary, List), ancestors' first.
    const std::vector<const PropInfo*>& formProperties() const { return allForm_; }
    const PropInfo* findFormProperty(std::string_view name) const;

    bool canCreate() const { return static_cast<bool>(factory_); }
    // A new instance, or null when the class has no factory.
    std::unique_ptr<Object> create() const;

private:
    template <class T> friend class ClassBuilder;
    struct Data {
        std::string name;
        const ClassInfo* parent = nullptr;
        std::vector<PropInfo> props;
        std::vector<PropInfo> formProps;
        Factory factory;
    };
    explicit ClassInfo(Data&& data);

    std::string name_;
    const ClassInfo* parent_;
    std::vector<PropInfo> own_;
    std::vector<PropInfo> ownForm_;
    std::vector<const PropInfo*> all_;
    std::vector<const PropInfo*> allForm_;
    std::unordered_map<std::string, const PropInfo*> byUpperName_;
    Factory factory_;
};

// The class registry: every ClassInfo constructed so far, by name.
const ClassInfo* findClass(std::string_view name);  // case-insensitive; null when unknown
std::vector<const ClassInfo*> registeredClasses();

// Declares staticClassInfo() and the classInfo() override in a class body
// (public section); staticClassInfo() is defined in the class's .cpp file.
#define TK_CLASS_INFO                                        \
    static const ::platform::ClassInfo& staticClassInfo();   \
    const ::platform::ClassInfo& classInfo() const override { return staticClassInfo(); }

// Base of every reflective class ("TObject").
class Object {
public:
    virtual ~Object() = default;
    static const ClassInfo& staticClassInfo();
    virtual const ClassInfo& classInfo() const { return staticClassInfo(); }
    const std::string& className() const { return classInfo().name(); }
    bool inheritsFrom(std::string_view className) const { return classInfo().inheritsFrom(className); }
};

// An object that can copy another of a compatible class ("TPersistent").
class Persistent : public Object {
public:
    TK_CLASS_INFO
    // Copies `source`; the base raises PropertyError "Cannot assign a X to a Y".
    virtual void assign(const Persistent& source);
};

// --- Lookups by name -------------------------------------------------------
// None of these throws for a name that is not found; writing a value that does
// not convert raises VariantError.

const PropInfo* findProperty(const Object& object, std::string_view name);
std::optional<Variant> getProperty(const Object& object, std::string_view name);
// False when there is no such value property or it is read-only.
bool setProperty(Object& object, std::string_view name, const Variant& value);

// Dotted paths ("Memo1.Font.Name"): every part but the last names an
// object-valued published property or else a component owned by the object
// reached so far; the last part is read or written through its kind.
Object* findObjectPath(Object& root, std::string_view path);  // all parts are objects
std::optional<Variant> getPropertyPath(Object& root, std::string_view path);
bool setPropertyPath(Object& root, std::string_view path, const Variant& value);
// The object holding the last part of a path and that part's name; null when
// an earlier part is not found.
Object* resolvePathOwner(Object& root, std::string_view path, std::string_view& lastPart);

// --- Builder ---------------------------------------------------------------

namespace detail {

template <class V> struct ValueTraits;  // C++ type <-> Variant of a value property
template <> struct ValueTraits<bool> {
    static constexpr PropKind kind = PropKind::Enumeration;
    static const char* typeName() { return "Boolean"; }
    static Variant toVariant(bool v) { return Variant(v); }
    static bool fromVariant(const Variant& v) { return v.toBool(); }
};
template <> struct ValueTraits<char> {
    static constexpr PropKind kind = PropKind::Char;
    static const char* typeName() { return "Char"; }
    static Variant toVariant(char v) { return Variant(std::string(1, v)); }
    static char fromVariant(const Variant& v)
    {
        std::string text = v.toString();
        return text.empty() ? '\0' : text.front();
    }
};
template <> struct ValueTraits<double> {
    static constexpr PropKind kind = PropKind::Float;
    static const char* typeName() { return "Double"; }
    static Variant toVariant(double v) { return Variant(v); }
    static double fromVariant(const Variant& v) { return v.toDouble(); }
};
template <> struct ValueTraits<float> {
    static constexpr PropKind kind = PropKind::Float;
    static const char* typeName() { return "Single"; }
    static Variant toVariant(float v) { return Variant(static_cast<double>(v)); }
    static float fromVariant(const Variant& v) { return static_cast<float>(v.toDouble()); }
};
template <> struct ValueTraits<std::string> {
    static constexpr PropKind kind = PropKind::String;
    static const char* typeName() { return "String"; }
    static Variant toVariant(const std::string& v) { return Variant(v); }
    static std::string fromVariant(const Variant& v) { return v.toString(); }
};
template <> struct ValueTraits<Variant> {
    static constexpr PropKind kind = PropKind::Variant;
    static const char* typeName() { return "Variant"; }
    static Variant toVariant(const Variant& v) { return v; }
    static Variant fromVariant(const Variant& v) { return v; }
};
template <class V>
    requires(std::is_integral_v<V> && !std::is_same_v<V, bool> && !std::is_same_v<V, char>)
struct ValueTraits<V> {
    static constexpr PropKind kind = sizeof(V) > 4 ? PropKind::Int64 : PropKind::Integer;
    static const char* typeName()
    {
        if constexpr (sizeof(V) > 4) return "Int64";
        else if constexpr (std::is_unsigned_v<V> && sizeof(V) == 4) return "Cardinal";
        else if constexpr (std::is_unsigned_v<V> && sizeof(V) == 2) return "Word";
        else if constexpr (std::is_unsigned_v<V> && sizeof(V) == 1) return "Byte";
        else if constexpr (sizeof(V) == 2) return "Smallint";
        else if constexpr (sizeof(V) == 1) return "Shortint";
        else return "Integer";
    }
    static Variant toVariant(V v)
    {
        if constexpr (sizeof(V) > 4) return Variant(static_cast<long long>(v));
        else if constexpr (sizeof(V) == 4 && std::is_unsigned_v<V>) return Variant(static_cast<unsigned>(v));
        else return Variant(static_cast<int>(v));
    }
    static V fromVariant(const Variant& v)
    {
        if constexpr (sizeof(V) >= 4 && !(sizeof(V) == 4 && std::is_signed_v<V>)) return static_cast<V>(v.toInt64());
        else return static_cast<V>(v.toInteger());
    }
};

template <class T> const T& as(const Object& o) { return static_cast<const T&>(o); }
template <class T> T& as(Object& o) { return static_cast<T&>(o); }

template <class T, class G> using GetResult = std::remove_cvref_t<std::invoke_result_t<G, const T&>>;

} // namespace detail

// Fluent description of class T's published properties. Accessors may be
// member functions (getter `V (T::*)() const`, setter `void (T::*)(V)`),
// data members (`V T::*`, both read and written) or lambdas taking `const T&`
// / `T&, V`. Passing nullptr as setter makes the property read-only.
template <class T>
class ClassBuilder {
public:
    ClassBuilder(std::string name, const ClassInfo* parent)
    {
        info_.name = std::move(name);
        info_.parent = parent;
        if constexpr (std::is_default_constructible_v<T> && !std::is_abstract_v<T>)
            info_.factory = [] { return std::unique_ptr<Object>(std::make_unique<T>()); };
    }

    // A value property; kind and type name follow the getter's result type:
    // bool → Enumeration "Boolean"; char → Char; integers → Integer (64-bit:
    // Int64); float/double → Float; std::string → String; Variant → Variant.
    template <class G, class S = std::nullptr_t>
    ClassBuilder& prop(std::string name, G getter, S setter = nullptr)
    {
        using V = detail::GetResult<T, G>;
        using Traits = detail::ValueTraits<V>;
        PropInfo& p = add(std::move(name), Traits::kind, Traits::typeName());
        p.getValue_ = [getter](const Object& o) { return Traits::toVariant(std::invoke(getter, detail::as<T>(o))); };
        p.setValue_ = valueSetter<V>(getter, setter, [](const Variant& v) { return Traits::fromVariant(v); });
        return *this;
    }

    // An enumeration property; the accessors use an enum type or an integer.
    template <class G, class S = std::nullptr_t>
    ClassBuilder& enumeration(std::string name, const EnumType& type, G getter, S setter = nullptr)
    {
        using V = detail::GetResult<T, G>;
        PropInfo& p = add(std::move(name), PropKind::Enumeration, type.name());
        p.enumType_ = &type;
        p.getValue_ = [getter](const Object& o) { return Variant(static_cast<int>(std::invoke(getter, detail::as<T>(o)))); };
        p.setValue_ = valueSetter<V>(getter, setter, [](const Variant& v) { return static_cast<V>(v.toInteger()); });
        return *this;
    }

    // A set property; the accessors use an unsigned or integer bit mask.
    template <class G, class S = std::nullptr_t>
    ClassBuilder& set(std::string name, const SetType& type, G getter, S setter = nullptr)
    {
        using V = detail::GetResult<T, G>;
        PropInfo& p = add(std::move(name), PropKind::Set, type.name);
        p.enumType_ = type.element;
        p.getValue_ = [getter](const Object& o) { return Variant(static_cast<int>(std::invoke(getter, detail::as<T>(o)))); };
        p.setValue_ = valueSetter<V>(getter, setter, [](const Variant& v) { return static_cast<V>(v.toInteger()); });
        return *this;
    }

    // An object-valued property (a sub-object such as Font, or a reference to
    // a component); the getter returns a pointer to an Object subclass, the
    // setter takes one. Values not of the declared class are refused.
    template <class G, class S = std::nullptr_t>
    ClassBuilder& object(std::string name, const ClassInfo& type, G getter, S setter = nullptr)
    {
        objectProp(std::move(name), type.name(), &type, nullptr, getter, setter);
        return *this;
    }
    // The same with the declared class given by its staticClassInfo function,
    // for classes not yet described (a control's Parent is a TWinControl).
    template <class G, class S = std::nullptr_t>
    ClassBuilder& object(std::string name, std::string typeName, const ClassInfo& (*type)(), G getter, S setter = nullptr)
    {
        objectProp(std::move(name), std::move(typeName), nullptr, type, getter, setter);
        return *this;
    }

    // An event property held in a MethodValue data member.
    ClassBuilder& event(std::string name, std::string typeName, MethodValue T::*field)
    {
        return event(std::move(name), std::move(typeName), field, field);
    }
    template <class G, class S>
    ClassBuilder& event(std::string name, std::string typeName, G getter, S setter)
    {
        PropInfo& p = add(std::move(name), PropKind::Method, std::move(typeName));
        p.getMethod_ = [getter](const Object& o) -> MethodValue { return std::invoke(getter, detail::as<T>(o)); };
        p.setMethod_ = [setter](Object& o, MethodValue value) { assignThrough(setter, detail::as<T>(o), std::move(value)); };
        return *this;
    }

    // Form-only binary data ("ReportData"): bytes written in hex by the form
    // writer and handed to the setter by the reader.
    template <class G, class S>
    ClassBuilder& binary(std::string name, G getter, S setter)
    {
        PropInfo& p = addForm(std::move(name), PropKind::Binary);
        p.getBytes_ = [getter](const Object& o) -> std::string { return std::invoke(getter, detail::as<T>(o)); };
        p.setBytes_ = [setter](Object& o, std::string bytes) { assignThrough(setter, detail::as<T>(o), std::move(bytes)); };
        return *this;
    }

    // Form-only list of texts ("Strings" of a string list).
    template <class G, class S>
    ClassBuilder& list(std::string name, G getter, S setter)
    {
        PropInfo& p = addForm(std::move(name), PropKind::List);
        p.getList_ = [getter](const Object& o) -> std::vector<std::string> { return std::invoke(getter, detail::as<T>(o)); };
        p.setList_ = [setter](Object& o, std::vector<std::string> lines) { assignThrough(setter, detail::as<T>(o), std::move(lines)); };
        return *this;
    }

    // Modifiers of the property added last.
    ClassBuilder& type(std::string typeName) { last().typeName_ = std::move(typeName); return *this; }
    ClassBuilder& byDefault(Variant value) { last().default_ = std::move(value); return *this; }
    ClassBuilder& notStored() { last().stored_ = false; return *this; }

    ClassBuilder& factory(ClassInfo::Factory make) { info_.factory = std::move(make); return *this; }
    ClassBuilder& noFactory() { info_.factory = nullptr; return *this; }

private:
    friend class ClassInfo;

    PropInfo& add(std::string name, PropKind kind, std::string typeName)
    {
        PropInfo& p = info_.props.emplace_back();
        p.name_ = std::move(name);
        p.kind_ = kind;
        p.typeName_ = std::move(typeName);
        lastIsForm_ = false;
        return p;
    }
    PropInfo& addForm(std::string name, PropKind kind)
    {
        PropInfo& p = info_.formProps.emplace_back();
        p.name_ = std::move(name);
        p.kind_ = kind;
        p.typeName_ = kind == PropKind::Binary ? "Binary" : "TStrings";
        lastIsForm_ = true;
        return p;
    }
    PropInfo& last() { return lastIsForm_ ? info_.formProps.back() : info_.props.back(); }

    template <class G, class S>
    void objectProp(std::string name, std::string typeName, const ClassInfo* type, const ClassInfo& (*typeOf)(),
                    const G& getter, const S& setter)
    {
        PropInfo& p = add(std::move(name), PropKind::Class, std::move(typeName));
        p.classType_ = type;
        p.classTypeOf_ = typeOf;
        p.getObject_ = [getter](const Object& o) -> Object* { return std::invoke(getter, detail::as<T>(o)); };
        if constexpr (!std::is_null_pointer_v<S>) {
            using Arg = std::remove_pointer_t<std::remove_cvref_t<detail::GetResult<T, G>>>;
            p.setObject_ = [setter, type, typeOf](Object& o, Object* value) {
                const ClassInfo* declared = type ? type : &typeOf();
                if (value && !value->classInfo().inheritsFrom(*declared))
                    throw PropertyError("Invalid property value: " + value->className() + " is not a " + declared->name());
                assignThrough(setter, detail::as<T>(o), static_cast<Arg*>(value));
            };
        }
    }

    // Calls a setter, or assigns through a data-member pointer.
    template <class S, class V>
    static void assignThrough(const S& set, T& object, V&& value)
    {
        if constexpr (std::is_member_object_pointer_v<S>)
            object.*set = std::forward<V>(value);
        else
            std::invoke(set, object, std::forward<V>(value));
    }

    template <class V, class G, class S, class Convert>
    static std::function<void(Object&, const Variant&)> valueSetter(const G& get, const S& set, Convert convert)
    {
        if constexpr (std::is_null_pointer_v<S>) {
            // A data member given as getter is writable too.
            if constexpr (std::is_member_object_pointer_v<G>)
                return [get, convert](Object& o, const Variant& v) { detail::as<T>(o).*get = convert(v); };
            else
                return nullptr;
        } else {
            return [set, convert](Object& o, const Variant& v) { assignThrough(set, detail::as<T>(o), convert(v)); };
        }
    }

    ClassInfo::Data info_;
    bool lastIsForm_ = false;
};

template <class T>
ClassBuilder<T> ClassInfo::define(std::string name, const ClassInfo* parent)
{
    static_assert(std::is_base_of_v<Object, T>, "reflective classes derive from platform::Object");
    return ClassBuilder<T>(std::move(name), parent);
}

} // namespace platform
