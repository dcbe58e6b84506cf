// Form writer: the window description format of a root component and the
// components nested under it.
#include "platform/formtext.h"

#include "platform/gbk.h"

#include <charconv>
#include <cmath>

namespace platform {

namespace {

constexpr int kMaxSubObjectDepth = 8;
constexpr std::size_t kHexPerLine = 64;

bool isControlByte(unsigned char c) { return c < 32 || c == 127; }

// A GBK text as a literal: printable characters quoted (as UTF-8), control
// bytes and bytes that are no GBK character as #NNN.
std::string quote(std::string_view gbk)
{
    std::string out;
    bool open = false;
    auto code = [&](unsigned char byte) {
        if (open)
            out += '\'';
        open = false;
        out += '#';
        out += std::to_string(byte);
    };
    auto text = [&](std::string_view utf8) {
        if (!open)
            out += '\'';
        open = true;
        out += utf8;
    };
    for (std::size_t pos = 0; pos < gbk.size();) {
        std::size_t len = charLength(gbk, pos);
        auto byte = static_cast<unsigned char>(gbk[pos]);
        if (len == 1) {
            if (isControlByte(byte) || byte >= 0x80)
                code(byte);
            else
                text(byte == '\'' ? std::string_view("''") : gbk.substr(pos, 1));
        } else {
            std::string utf8 = gbkToUtf8(gbk.substr(pos, 2));
            if (utf8.find("\xEF\xBF\xBD") != std::string::npos) {
                code(byte);
                code(static_cast<unsigned char>(gbk[pos + 1]));
            } else {
                text(utf8);
            }
        }
        pos += len;
    }
    if (open)
        out += '\'';
    return out.empty() ? "''" : out;
}

std::string floatText(double value)
{
    char buffer[64];
    auto [end, err] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, end);
    if (text.find_first_of(".eE") == std::string::npos)
        text += ".0";
    return text;
}

std::string hexText(std::string_view bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

bool equalValues(const Variant& a, const Variant& b)
{
    try {
        return a.identicalTo(b) || compare(VarCompare::Equal, a, b);
    } catch (const VariantError&) {
        return false;
    }
}

class FormWriter {
public:
    explicit FormWriter(const Component& root) : root_(root) {}

    std::string write()
    {
        writeObject(root_, 0);
        return std::move(out_);
    }

private:
    void line(int indent, const std::string& text)
    {
        out_.append(static_cast<std::size_t>(indent) * 2, ' ');
        out_ += text;
        out_ += '\n';
    }

    void writeObject(const Component& component, int indent);
    void writeProperties(const Object& object, const std::string& prefix, int indent, int depth);
    void writeValue(const Object& object, const PropInfo& prop, const std::string& name, int indent);
    std::optional<std::string> valueText(const PropInfo& prop, const Variant& value) const;
    std::optional<std::string> referenceName(const Component& component) const;
    void writeBinary(const std::string& name, std::string_view bytes, int indent);
    void writeList(const std::string& name, const std::vector<std::string>& items, int indent);

    const Component& root_;
    std::string out_;
};

void FormWriter::writeObject(const Component& component, int indent)
{
    line(indent, "object " + (component.name().empty() ? component.className()
                                                       : component.name() + ": " + component.className()));
    writeProperties(component, "", indent + 1, 0);
    for (Component* child : root_.components()) {
        Component* parent = child->parentComponent();
        bool nestedHere = &component == &root_ ? (!parent || parent == &root_) : parent == &component;
        if (nestedHere)
            writeObject(*child, indent + 1);
    }
    line(indent, "end");
}

void FormWriter::writeProperties(const Object& object, const std::string& prefix, int indent, int depth)
{
    for (const PropInfo* prop : object.classInfo().properties()) {
        if (!prop->isStored())
            continue;
        std::string name = prefix + prop->name();
        switch (prop->kind()) {
        case PropKind::Class: {
            Object* value = prop->getObject(object);
            if (!value)
                break;
            if (const auto* component = dynamic_cast<const Component*>(value)) {
                std::optional<std::string> ref = referenceName(*component);
                if (ref && !prop->isReadOnly())
                    line(indent, name + " = " + *ref);
            } else if (depth < kMaxSubObjectDepth) {
                writeProperties(*value, name + ".", indent, depth + 1);
            }
            break;
        }
        case PropKind::Method: {
            MethodValue method = prop->getMethod(object);
            if (method && !method.name.empty())
                line(indent, name + " = " + method.name);
            break;
        }
        default:
            if (!prop->isReadOnly())
                writeValue(object, *prop, name, indent);
            break;
        }
    }
    for (const PropInfo* prop : object.classInfo().formProperties()) {
        std::string name = prefix + prop->name();
        if (prop->kind() == PropKind::Binary)
            writeBinary(name, prop->getBytes(object), indent);
        else if (prop->kind() == PropKind::List)
            writeList(name, prop->getList(object), indent);
    }
}

void FormWriter::writeValue(const Object& object, const PropInfo& prop, const std::string& name, int indent)
{
    Variant value = prop.get(object);
    if (prop.defaultValue()) {
        if (equalValues(value, *prop.defaultValue()))
            return;
    } else if ((prop.kind() == PropKind::String && value.toString().empty()) ||
               (prop.kind() == PropKind::Float && value.toDouble() == 0)) {
        return;
    }
    if (std::optional<std::string> text = valueText(prop, value))
        line(indent, name + " = " + *text);
}

std::optional<std::string> FormWriter::valueText(const PropInfo& prop, const Variant& value) const
{
    switch (prop.kind()) {
    case PropKind::Integer:
        if (std::optional<std::string> constant = integerConstantName(prop.typeName(), value.toInteger()))
            return constant;
        return std::to_string(value.toInt64());
    case PropKind::Int64:
        return std::to_string(value.toInt64());
    case PropKind::Enumeration: {
        if (prop.isBoolean())
            return value.toBool() ? "True" : "False";
        std::string name = prop.enumType() ? prop.enumType()->nameOf(value.toInteger()) : std::string();
        return name.empty() ? std::to_string(value.toInteger()) : name;
    }
    case PropKind::Set: {
        auto mask = static_cast<unsigned>(value.toInteger());
        std::string text = "[";
        for (int bit = 0; bit < 32; ++bit) {
            std::string element = prop.enumType() ? prop.enumType()->nameOf(bit) : std::string();
            if (!(mask & (1u << bit)) || element.empty())
                continue;
            if (text.size() > 1)
                text += ", ";
            text += element;
        }
        return text + "]";
    }
    case PropKind::Float:
        if (!std::isfinite(value.toDouble()))
            return std::nullopt;
        return floatText(value.toDouble());
    case PropKind::Char:
    case PropKind::String:
        return quote(value.toString());
    case PropKind::Variant:
        if (value.isBoolean())
            return value.toBool() ? "True" : "False";
        if (value.isInteger())
            return std::to_string(value.toInt64());
        if (value.isFloat() && std::isfinite(value.toDouble()))
            return floatText(value.toDouble());
        if (value.isString())
            return quote(value.stringValue());
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<std::string> FormWriter::referenceName(const Component& component) const
{
    if (component.name().empty())
        return std::nullopt;
    if (&component == &root_ || component.owner() == &root_)
        return component.name();
    const Component* owner = component.owner();
    if (owner && !owner->name().empty())
        return owner->name() + "." + component.name();
    return std::nullopt;
}

void FormWriter::writeBinary(const std::string& name, std::string_view bytes, int indent)
{
    if (bytes.empty()) {
        line(indent, name + " = {}");
        return;
    }
    line(indent, name + " = {");
    std::string hex = hexText(bytes);
    for (std::size_t pos = 0; pos < hex.size(); pos += kHexPerLine) {
        std::string chunk = hex.substr(pos, kHexPerLine);
        if (pos + kHexPerLine >= hex.size())
            chunk += '}';
        line(indent + 1, chunk);
    }
}

void FormWriter::writeList(const std::string& name, const std::vector<std::string>& items, int indent)
{
    if (items.empty())
        return;
    line(indent, name + " = (");
    for (std::size_t i = 0; i < items.size(); ++i)
        line(indent + 1, quote(items[i]) + (i + 1 == items.size() ? ")" : ""));
}

} // namespace

std::string writeForm(const Component& root)
{
    return FormWriter(root).write();
}

} // namespace platform
