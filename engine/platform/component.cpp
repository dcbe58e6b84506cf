// Components: ownership, names, free notifications and the list of open
// windows and data modules.
#include "platform/component.h"

#include "platform/gbk.h"

#include <algorithm>

namespace platform {

namespace {

void erase(std::vector<Component*>& list, Component* item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

std::vector<Component*>& screenList()
{
    static std::vector<Component*> list;
    return list;
}

} // namespace

const ClassInfo& Component::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<Component>("TComponent", &Persistent::staticClassInfo())
        .prop("Name", &Component::name, &Component::setName).type("TComponentName").notStored()
        .prop("Tag", &Component::tag, &Component::setTag).byDefault(0);
    return info;
}

Component::Component(Component* owner)
{
    if (owner)
        owner->insertComponent(this);
}

Component::~Component()
{
    destroying_ = true;
    unlinkNotifications();
    destroyComponents();
    if (owner_)
        owner_->removeComponent(this);
    screen::remove(this);
}

void Component::validateName(std::string_view name) const
{
    if (name.empty() || !owner_)
        return;
    Component* other = owner_->findComponent(name);
    if (other && other != this)
        throw ComponentError("A component named " + std::string(name) + " already exists");
}

void Component::setName(std::string name)
{
    validateName(name);
    name_ = std::move(name);
}

Component* Component::findComponent(std::string_view name) const
{
    if (name.empty())
        return nullptr;
    for (Component* c : components_) {
        if (sameName(c->name_, name))
            return c;
    }
    return nullptr;
}

void Component::insertComponent(Component* component)
{
    if (!component || component->owner_ == this)
        return;
    for (const Component* c = this; c; c = c->owner_) {
        if (c == component)
            throw ComponentError("A component cannot own itself or its owner");
    }
    if (!component->name_.empty() && findComponent(component->name_))
        throw ComponentError("A component named " + component->name_ + " already exists");
    if (component->owner_)
        component->owner_->removeComponent(component);
    components_.push_back(component);
    component->owner_ = this;
    notification(component, Operation::Insert);
}

void Component::removeComponent(Component* component)
{
    if (!component || component->owner_ != this)
        return;
    notification(component, Operation::Remove);
    erase(components_, component);
    component->owner_ = nullptr;
}

void Component::freeNotification(Component* other)
{
    if (!other || other == this)
        return;
    if (std::find(notified_.begin(), notified_.end(), other) == notified_.end())
        notified_.push_back(other);
    if (std::find(other->notified_.begin(), other->notified_.end(), this) == other->notified_.end())
        other->notified_.push_back(this);
}

void Component::removeFreeNotification(Component* other)
{
    if (!other)
        return;
    erase(notified_, other);
    erase(other->notified_, this);
}

void Component::unlinkNotifications()
{
    std::vector<Component*> peers;
    peers.swap(notified_);
    for (Component* peer : peers) {
        erase(peer->notified_, this);
        peer->notification(this, Operation::Remove);
    }
}

void Component::notification(Component*, Operation) {}

void Component::destroyComponents()
{
    while (!components_.empty()) {
        Component* last = components_.back();
        components_.pop_back();
        last->owner_ = nullptr;
        delete last;
    }
}

namespace screen {

void add(Component* component)
{
    auto& list = screenList();
    if (component && std::find(list.begin(), list.end(), component) == list.end())
        list.push_back(component);
}

void remove(Component* component)
{
    erase(screenList(), component);
}

Component* find(std::string_view name)
{
    if (name.empty())
        return nullptr;
    for (Component* c : screenList()) {
        if (sameName(c->name(), name))
            return c;
    }
    return nullptr;
}

const std::vector<Component*>& components()
{
    return screenList();
}

} // namespace screen

} // namespace platform
