// Form reader: parses the window description format and applies it to a
// root component, creating the nested components by class name.
#include "platform/formtext.h"

#include "platform/formtext_lexer.h"
#include "platform/gbk.h"

#include <algorithm>
#include <charconv>

namespace platform {

using formtext::Lexer;
using formtext::Token;

namespace {

constexpr int kMaxNesting = 64;

// One parsed property value.
struct Value {
    enum class Kind { Integer, Float, String, Identifier, Set, List, Binary } kind = Kind::Integer;
    long long integer = 0;
    double number = 0;
    std::string text;                // string, identifier (possibly dotted) or bytes
    std::vector<std::string> items;  // set element names or list texts
    int line = 0;
};

bool isObjectKeyword(const Token& t)
{
    return t.kind == Token::Kind::Identifier &&
           (sameName(t.text, "object") || sameName(t.text, "inherited") || sameName(t.text, "inline"));
}

class FormReader {
public:
    FormReader(std::string_view text, Component& root, const MethodResolver& resolve)
        : lex_(text), root_(root), resolve_(resolve)
    {
    }

    void read();

private:
    struct Fixup {
        Object* target;
        const PropInfo* prop;
        std::string name;
        int line;
    };

    [[noreturn]] void fail(int line, const std::string& message) { throw FormTextError(line, message); }
    Token expect(Token::Kind kind, const char* what);
    void expectSymbol(char c);

    void readRootHeader();
    void readBody(Component& component, int depth);
    void readChild(Component& parent, int depth);
    Component* childFor(bool inherited, const std::string& name, const std::string& className, int line);
    void readProperty(Component& component);

    Value readValue();
    std::string readDottedIdentifier(Token first);
    void readStringContinuation(std::string& text);

    void apply(Object& target, const std::string& path, const Value& value);
    void applyProperty(Object& target, const PropInfo& prop, const Value& value);
    Variant scalarOf(const PropInfo& prop, const Value& value);
    void resolveFixups();

    Lexer lex_;
    Component& root_;
    const MethodResolver& resolve_;
    std::vector<Component*> created_;
    std::vector<Component*> read_;  // root and every component read, in order
    std::vector<Fixup> fixups_;
};

Token FormReader::expect(Token::Kind kind, const char* what)
{
    if (lex_.peek().kind != kind)
        fail(lex_.line(), std::string(what) + " expected");
    return lex_.next();
}

void FormReader::expectSymbol(char c)
{
    if (!lex_.peek().isSymbol(c))
        fail(lex_.line(), std::string("'").append(1, c).append("' expected"));  // appended: GCC 12 -Wrestrict
    lex_.next();
}

void FormReader::read()
{
    try {
        readRootHeader();
        readBody(root_, 1);
        if (lex_.peek().kind != Token::Kind::End)
            fail(lex_.line(), "End of text expected");
        resolveFixups();
    } catch (...) {
        for (Component* c : read_)
            c->setLoading(false);
        for (auto it = created_.rbegin(); it != created_.rend(); ++it)
            delete *it;
        throw;
    }
    for (Component* c : read_)
        c->loaded();
}

void FormReader::readRootHeader()
{
    Token keyword = lex_.next();
    if (!isObjectKeyword(keyword))
        fail(keyword.line, "'object' expected");
    Token first = expect(Token::Kind::Identifier, "Name");
    std::string name, className = first.text;
    if (lex_.peek().isSymbol(':')) {
        lex_.next();
        name = first.text;
        className = expect(Token::Kind::Identifier, "Class name").text;
    }
    const ClassInfo* declared = findClass(className);
    if (declared && !root_.classInfo().inheritsFrom(*declared))
        fail(first.line, "The form is a " + className + ", not a " + root_.className());
    try {
        if (!name.empty())
            root_.setName(name);
    } catch (const std::exception& e) {
        fail(first.line, e.what());
    }
    root_.setLoading(true);
    read_.push_back(&root_);
}

void FormReader::readBody(Component& component, int depth)
{
    while (true) {
        const Token& t = lex_.peek();
        if (t.kind == Token::Kind::End)
            fail(t.line, "'end' expected");
        if (t.kind != Token::Kind::Identifier)
            fail(t.line, "Property name expected");
        if (sameName(t.text, "end")) {
            lex_.next();
            return;
        }
        if (isObjectKeyword(t))
            readChild(component, depth);
        else
            readProperty(component);
    }
}

void FormReader::readChild(Component& parent, int depth)
{
    Token keyword = lex_.next();
    if (depth >= kMaxNesting)
        fail(keyword.line, "Objects are nested too deeply");
    Token first = expect(Token::Kind::Identifier, "Name");
    std::string name, className = first.text;
    if (lex_.peek().isSymbol(':')) {
        lex_.next();
        name = first.text;
        className = expect(Token::Kind::Identifier, "Class name").text;
    }
    Component* child = childFor(sameName(keyword.text, "inherited"), name, className, first.line);
    child->setLoading(true);
    read_.push_back(child);
    try {
        child->setParentComponent(&parent);
    } catch (const std::exception& e) {
        fail(first.line, e.what());
    }
    readBody(*child, depth + 1);
}

Component* FormReader::childFor(bool inherited, const std::string& name, const std::string& className, int line)
{
    Component* existing = name.empty() ? nullptr : root_.findComponent(name);
    if (existing) {
        bool readBefore = std::find(read_.begin(), read_.end(), existing) != read_.end();
        if (readBefore || !existing->inheritsFrom(className))
            fail(line, "A component named " + name + " already exists");
        return existing;
    }
    if (inherited)
        fail(line, "Cannot find inherited component " + name);
    const ClassInfo* info = findClass(className);
    if (!info)
        fail(line, "Class " + className + " not found");
    std::unique_ptr<Object> object = info->create();
    auto* component = dynamic_cast<Component*>(object.get());
    if (!component)
        fail(line, "Class " + className + " cannot be created as a component");
    object.release();
    created_.push_back(component);
    try {
        root_.insertComponent(component);
        component->setName(name);
    } catch (const std::exception& e) {
        fail(line, e.what());
    }
    return component;
}

void FormReader::readProperty(Component& component)
{
    Token first = lex_.next();
    std::string path = readDottedIdentifier(first);
    expectSymbol('=');
    Value value = readValue();
    apply(component, path, value);
}

std::string FormReader::readDottedIdentifier(Token first)
{
    std::string path = first.text;
    while (lex_.peek().isSymbol('.')) {
        lex_.next();
        path += '.';
        path += expect(Token::Kind::Identifier, "Identifier").text;
    }
    return path;
}

void FormReader::readStringContinuation(std::string& text)
{
    while (lex_.peek().isSymbol('+')) {
        lex_.next();
        text += expect(Token::Kind::String, "String").text;
    }
}

Value FormReader::readValue()
{
    Token t = lex_.next();
    Value v;
    v.line = t.line;
    switch (t.kind) {
    case Token::Kind::Integer: {
        v.kind = Value::Kind::Integer;
        std::string_view digits = t.text;
        int base = 10;
        bool negative = false;
        if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
            negative = digits[0] == '-';
            digits.remove_prefix(1);
        }
        if (!digits.empty() && digits[0] == '$') {
            base = 16;
            digits.remove_prefix(1);
        }
        unsigned long long magnitude = 0;
        auto [end, err] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
        if (err != std::errc() || end != digits.data() + digits.size() ||
            magnitude > (negative ? 0x8000000000000000ULL : 0x7FFFFFFFFFFFFFFFULL))
            fail(t.line, "Invalid number " + t.text);
        v.integer = negative ? static_cast<long long>(0 - magnitude) : static_cast<long long>(magnitude);
        return v;
    }
    case Token::Kind::Float: {
        v.kind = Value::Kind::Float;
        std::string_view digits = t.text;
        if (!digits.empty() && digits[0] == '+')
            digits.remove_prefix(1);
        auto [end, err] = std::from_chars(digits.data(), digits.data() + digits.size(), v.number);
        if (err != std::errc() || end != digits.data() + digits.size())
            fail(t.line, "Invalid number " + t.text);
        return v;
    }
    case Token::Kind::String:
        v.kind = Value::Kind::String;
        v.text = t.text;
        readStringContinuation(v.text);
        return v;
    case Token::Kind::Identifier:
        v.kind = Value::Kind::Identifier;
        v.text = readDottedIdentifier(t);
        return v;
    case Token::Kind::Binary:
        v.kind = Value::Kind::Binary;
        v.text = std::move(t.text);
        return v;
    case Token::Kind::Symbol:
        if (t.isSymbol('[')) {
            v.kind = Value::Kind::Set;
            while (!lex_.peek().isSymbol(']')) {
                if (!v.items.empty())
                    expectSymbol(',');
                v.items.push_back(expect(Token::Kind::Identifier, "Set element").text);
            }
            lex_.next();
            return v;
        }
        if (t.isSymbol('(')) {
            v.kind = Value::Kind::List;
            while (!lex_.peek().isSymbol(')')) {
                std::string item = expect(Token::Kind::String, "String").text;
                readStringContinuation(item);
                v.items.push_back(std::move(item));
            }
            lex_.next();
            return v;
        }
        if (t.isSymbol('<'))
            fail(t.line, "Collections are not supported");
        break;
    case Token::Kind::End:
        break;
    }
    fail(t.line, "Property value expected");
}

void FormReader::apply(Object& target, const std::string& path, const Value& value)
{
    Object* object = &target;
    std::string_view rest = path;
    std::size_t dot;
    while ((dot = rest.find('.')) != std::string_view::npos) {
        std::string part(rest.substr(0, dot));
        const PropInfo* prop = findProperty(*object, part);
        if (!prop || prop->kind() != PropKind::Class)
            fail(value.line, "Property " + object->className() + "." + part + " does not exist");
        object = prop->getObject(*object);
        if (!object)
            fail(value.line, "Property " + part + " holds no object");
        rest.remove_prefix(dot + 1);
    }
    std::string last(rest);
    const PropInfo* prop = findProperty(*object, last);
    if (!prop)
        prop = object->classInfo().findFormProperty(last);
    if (!prop)
        fail(value.line, "Property " + object->className() + "." + last + " does not exist");
    try {
        applyProperty(*object, *prop, value);
    } catch (const FormTextError&) {
        throw;
    } catch (const std::exception& e) {
        fail(value.line, "Error reading " + path + ": " + e.what());
    }
}

void FormReader::applyProperty(Object& target, const PropInfo& prop, const Value& value)
{
    auto invalid = [&]() { fail(value.line, "Invalid property value for " + prop.name()); };
    switch (prop.kind()) {
    case PropKind::Class:
        if (value.kind != Value::Kind::Identifier || prop.isReadOnly())
            invalid();
        fixups_.push_back({&target, &prop, value.text, value.line});
        return;
    case PropKind::Method: {
        if (value.kind != Value::Kind::Identifier)
            invalid();
        std::optional<MethodValue> method = resolve_ ? resolve_(value.text) : std::nullopt;
        if (!method)
            fail(value.line, "Event handler " + value.text + " not found");
        if (method->name.empty())
            method->name = value.text;
        prop.setMethod(target, std::move(*method));
        return;
    }
    case PropKind::Binary:
        if (value.kind != Value::Kind::Binary)
            invalid();
        prop.setBytes(target, value.text);
        return;
    case PropKind::List:
        if (value.kind != Value::Kind::List)
            invalid();
        prop.setList(target, value.items);
        return;
    default:
        if (prop.isReadOnly())
            fail(value.line, "Property " + prop.name() + " is read-only");
        prop.set(target, scalarOf(prop, value));
        return;
    }
}

// The value of a literal for a value-kind property, checked against its kind.
Variant FormReader::scalarOf(const PropInfo& prop, const Value& value)
{
    auto invalid = [&]() -> Variant { fail(value.line, "Invalid property value for " + prop.name()); };
    auto integerVariant = [](long long n) {
        return n >= INT32_MIN && n <= INT32_MAX ? Variant(static_cast<int>(n)) : Variant(n);
    };
    const bool isIdent = value.kind == Value::Kind::Identifier;
    switch (prop.kind()) {
    case PropKind::Integer:
        if (value.kind == Value::Kind::Integer)
            return integerVariant(value.integer);
        if (isIdent) {
            if (std::optional<int> constant = integerConstant(prop.typeName(), value.text))
                return Variant(*constant);
        }
        return invalid();
    case PropKind::Int64:
        return value.kind == Value::Kind::Integer ? Variant(value.integer) : invalid();
    case PropKind::Float:
        if (value.kind == Value::Kind::Integer)
            return Variant(static_cast<double>(value.integer));
        return value.kind == Value::Kind::Float ? Variant(value.number) : invalid();
    case PropKind::String:
    case PropKind::Char:
        return value.kind == Value::Kind::String ? Variant(value.text) : invalid();
    case PropKind::Enumeration: {
        const EnumType& type = prop.isBoolean() ? booleanType() : *prop.enumType();
        if (isIdent) {
            if (std::optional<int> ordinal = type.valueOf(value.text))
                return prop.isBoolean() ? Variant(*ordinal != 0) : Variant(*ordinal);
        }
        return invalid();
    }
    case PropKind::Set: {
        if (value.kind != Value::Kind::Set || !prop.enumType())
            return invalid();
        unsigned mask = 0;
        for (const std::string& element : value.items) {
            std::optional<int> ordinal = prop.enumType()->valueOf(element);
            if (!ordinal || *ordinal > 31)
                fail(value.line, "Invalid set element " + element + " for " + prop.name());
            mask |= 1u << *ordinal;
        }
        return Variant(static_cast<int>(mask));
    }
    case PropKind::Variant:
        switch (value.kind) {
        case Value::Kind::Integer: return integerVariant(value.integer);
        case Value::Kind::Float: return Variant(value.number);
        case Value::Kind::String: return Variant(value.text);
        case Value::Kind::Identifier:
            if (std::optional<int> b = booleanType().valueOf(value.text))
                return Variant(*b != 0);
            return invalid();
        default: return invalid();
        }
    default:
        return invalid();
    }
}

void FormReader::resolveFixups()
{
    for (const Fixup& f : fixups_) {
        std::string_view name = f.name;
        Component* found = nullptr;
        std::size_t dot = name.find('.');
        if (dot == std::string_view::npos) {
            found = sameName(name, root_.name()) ? &root_ : root_.findComponent(name);
        } else if (Component* window = screen::find(name.substr(0, dot))) {
            Object* object = findObjectPath(*window, name.substr(dot + 1));
            found = dynamic_cast<Component*>(object);
        }
        if (!found)
            fail(f.line, "Component " + f.name + " not found");
        try {
            f.prop->setObject(*f.target, found);
        } catch (const std::exception& e) {
            fail(f.line, "Error reading " + f.prop->name() + ": " + e.what());
        }
    }
}

// The class named in the header of a description.
std::string headerClass(std::string_view text)
{
    Lexer lex(text);
    Token keyword = lex.next();
    if (!isObjectKeyword(keyword))
        throw FormTextError(keyword.line, "'object' expected");
    Token first = lex.next();
    if (first.kind != Token::Kind::Identifier)
        throw FormTextError(first.line, "Name expected");
    if (!lex.peek().isSymbol(':'))
        return first.text;
    lex.next();
    Token className = lex.next();
    if (className.kind != Token::Kind::Identifier)
        throw FormTextError(className.line, "Class name expected");
    return className.text;
}

} // namespace

void readForm(std::string_view text, Component& root, const MethodResolver& resolveMethod)
{
    FormReader(text, root, resolveMethod).read();
}

std::unique_ptr<Component> readNewForm(std::string_view text, const MethodResolver& resolveMethod)
{
    std::string className = headerClass(text);
    const ClassInfo* info = findClass(className);
    if (!info)
        throw FormTextError(1, "Class " + className + " not found");
    std::unique_ptr<Object> object = info->create();
    auto* component = dynamic_cast<Component*>(object.get());
    if (!component)
        throw FormTextError(1, "Class " + className + " cannot be created as a component");
    object.release();
    std::unique_ptr<Component> root(component);
    readForm(text, *root, resolveMethod);
    return root;
}

} // namespace platform
