// The object factory: report objects created from their stored type code, or by
// class name among registered add-in classes (type 100).
#pragma once

#include "objects/view.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string_view>

// Raised for type 100 with a class name nobody registered; the message is the
// class name followed by a carriage return.
class EKSClassNotFound : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using TKSViewCreator = std::function<std::unique_ptr<TKSView>()>;

// The classes of type codes this layer does not create itself (0 text, 4
// calculated text) are registered by their own layer.
void RegisterViewType(int objectType, TKSViewCreator create);
// Add-in object classes, looked up by name with the engine name rule.
void RegisterAddInObject(std::string className, TKSViewCreator create);

// A view of the stored type (class name used for type 100); null for type codes
// that create no object. EKSClassNotFound for an unregistered add-in class.
std::unique_ptr<TKSView> CreateView(int objectType, std::string_view className = {});
