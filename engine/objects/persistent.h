// TKSPersistent and TKSCustomView: the named, script-reachable bases of pages and
// report objects, with their stored event bindings (event property -> script routine).
#pragma once

#include "platform/reflection.h"
#include "platform/stream.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Arguments of a named property read ("SETSPBOUNDS"(l, t, w, h)).
using TKSPropArgs = std::vector<platform::Variant>;

class TKSPersistent : public platform::Persistent {
public:
    TK_CLASS_INFO
    using Binding = std::pair<std::string, std::string>;  // event property, script routine

    TKSPersistent() = default;

    const std::string& Name() const { return name_; }
    virtual void SetName(std::string name) { name_ = std::move(name); }

    // Named value for the script and expressions; names arrive upper-case. The base
    // reads published properties (dotted paths walk object-valued ones).
    virtual bool GetPropValue(std::string_view name, const TKSPropArgs& args, platform::Variant& value);
    // The base answers that it did not handle the name.
    virtual bool SetPropValue(std::string_view name, const platform::Variant& value);
    // Object-valued named properties ("PARENTPAGE", "DATASET"...); null when none.
    virtual platform::Object* GetPropObject(std::string_view name);

    const std::vector<Binding>& EventBindings() const { return bindings_; }
    // Empty routine name removes the binding.
    void SetEventBinding(std::string_view event, std::string routine);
    std::string EventBinding(std::string_view event) const;  // empty when unbound
    void ClearEventBindings() { bindings_.clear(); }

    // Word count, then count pairs of Strings.
    void ReadEventBindings(platform::Stream& s);
    void WriteEventBindings(platform::Stream& s) const;
    // Assigns to every bound event property the handler the script gives for its
    // routine; bindings whose property is not an event of this class are skipped.
    void BindEvents(const std::function<platform::MethodValue(const std::string& routine)>& handlerFor);

private:
    std::string name_;
    std::vector<Binding> bindings_;
};

class TKSCustomView : public TKSPersistent {
public:
    TK_CLASS_INFO
    virtual bool DesignerQuery() const { return true; }
    // Size of a new object in the designer, in screen pixels.
    virtual void GetDefaultSize(int& width, int& height) const
    {
        width = 96;
        height = 18;
    }
};
