// Stored form data of the program's windows, embedded as resources.
#pragma once

#include "platform/formtext.h"

#include <string>
#include <string_view>

// The text of an embedded form (":/app/<name>"); empty when missing.
std::string EmbeddedFormText(std::string_view name);

// A component of `root` of that name and class; FormTextError when the stored
// form does not provide it.
template <class T>
T* RequireComponent(platform::Component& root, std::string_view name)
{
    auto* component = dynamic_cast<T*>(root.findComponent(name));
    if (!component)
        throw platform::FormTextError(0, "Stored form of " + root.name() + " lacks " + std::string(name));
    return component;
}
