// Components: named objects owned by another component, found by name, and
// the global list of open windows and data modules.
#pragma once

#include "platform/reflection.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Raised for component misuse, such as a duplicate name within one owner.
class ComponentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A named object in an ownership tree ("TComponent"; published Name and Tag).
// The owner deletes the components it owns; a component deleted first leaves
// its owner's list. Names are GBK and compare case-insensitively.
class Component : public Persistent {
public:
    TK_CLASS_INFO

    enum class Operation { Insert, Remove };

    explicit Component(Component* owner = nullptr);
    ~Component() override;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    const std::string& name() const { return name_; }
    // ComponentError when another component of the same owner has that name
    // (empty names may repeat).
    virtual void setName(std::string name);
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    Component* owner() const { return owner_; }
    const std::vector<Component*>& components() const { return components_; }
    int componentCount() const { return static_cast<int>(components_.size()); }
    // An owned component of that name (case-insensitive); null when none.
    Component* findComponent(std::string_view name) const;

    // Takes ownership of `component` (leaving its previous owner).
    void insertComponent(Component* component);
    // Gives up ownership without deleting.
    void removeComponent(Component* component);

    // `other` is told (notification with Remove) when this component is
    // destroyed, so that it can drop its reference; the link goes both ways.
    void freeNotification(Component* other);
    void removeFreeNotification(Component* other);

    // Set while a form reader assigns stored properties; loaded() follows once
    // the whole form has been read (components that act on their stored
    // properties as a whole, such as a report loading its template, do it there).
    bool isLoading() const { return loading_; }
    void setLoading(bool loading) { loading_ = loading; }
    virtual void loaded() { loading_ = false; }
    bool isDestroying() const { return destroying_; }

    // The component this one is nested under in form text (a control's
    // parent control); null for components that sit directly in the root.
    virtual Component* parentComponent() const { return nullptr; }
    // Called by the form reader with the enclosing component of the text.
    virtual void setParentComponent(Component* parent) { (void)parent; }

protected:
    // Told about components inserted into or removed from this one's owned
    // list, and about destroyed components this one asked to be notified of.
    virtual void notification(Component* component, Operation operation);
    // Deletes the owned components (last first); derived destructors may call
    // it early when owned components depend on their state.
    void destroyComponents();

private:
    void validateName(std::string_view name) const;
    void unlinkNotifications();

    std::string name_;
    int tag_ = 0;
    Component* owner_ = nullptr;
    std::vector<Component*> components_;
    std::vector<Component*> notified_;  // both directions of freeNotification
    bool loading_ = false;
    bool destroying_ = false;
};

// The global list of open windows and data modules ("Screen"). Windows add
// themselves on creation; a destroyed component always leaves the list.
namespace screen {
void add(Component* component);
void remove(Component* component);
// The first listed component of that name (case-insensitive); null when none.
Component* find(std::string_view name);
const std::vector<Component*>& components();
} // namespace screen

} // namespace platform
