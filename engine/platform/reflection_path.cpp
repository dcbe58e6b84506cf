// Dotted property paths ("Form1.Edit1.Text"): each inner part an object-valued
// published property or an owned component, the last part a property.
#include "platform/component.h"
#include "platform/reflection.h"

namespace platform {

namespace {

// The object one part further down, or null.
Object* step(Object& current, std::string_view part)
{
    if (const PropInfo* prop = findProperty(current, part); prop && prop->kind() == PropKind::Class)
        return prop->getObject(current);
    if (auto* component = dynamic_cast<Component*>(&current))
        return component->findComponent(part);
    return nullptr;
}

} // namespace

Object* resolvePathOwner(Object& root, std::string_view path, std::string_view& lastPart)
{
    Object* current = &root;
    std::size_t dot;
    while ((dot = path.find('.')) != std::string_view::npos) {
        current = step(*current, path.substr(0, dot));
        if (!current)
            return nullptr;
        path.remove_prefix(dot + 1);
    }
    lastPart = path;
    return current;
}

Object* findObjectPath(Object& root, std::string_view path)
{
    std::string_view last;
    Object* owner = resolvePathOwner(root, path, last);
    return owner ? step(*owner, last) : nullptr;
}

std::optional<Variant> getPropertyPath(Object& root, std::string_view path)
{
    std::string_view last;
    Object* owner = resolvePathOwner(root, path, last);
    return owner ? getProperty(*owner, last) : std::nullopt;
}

bool setPropertyPath(Object& root, std::string_view path, const Variant& value)
{
    std::string_view last;
    Object* owner = resolvePathOwner(root, path, last);
    return owner && setProperty(*owner, last, value);
}

} // namespace platform
