// TKSPersistent: names, event bindings and the reflective named-value fallback.
#include "objects/persistent.h"

#include "core/streamio.h"
#include "core/textutil.h"

using platform::ClassInfo;
using platform::Variant;

const ClassInfo& TKSPersistent::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TKSPersistent>("TKSPersistent", &platform::Persistent::staticClassInfo())
        .prop("Name", &TKSPersistent::Name, &TKSPersistent::SetName);
    return info;
}

const ClassInfo& TKSCustomView::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TKSCustomView>("TKSCustomView", &TKSPersistent::staticClassInfo());
    return info;
}

bool TKSPersistent::GetPropValue(std::string_view name, const TKSPropArgs&, Variant& value)
{
    auto found = platform::getPropertyPath(*this, name);
    if (!found)
        return false;
    value = std::move(*found);
    return true;
}

bool TKSPersistent::SetPropValue(std::string_view, const Variant&) { return false; }

platform::Object* TKSPersistent::GetPropObject(std::string_view name)
{
    return platform::findObjectPath(*this, name);
}

void TKSPersistent::SetEventBinding(std::string_view event, std::string routine)
{
    for (auto it = bindings_.begin(); it != bindings_.end(); ++it) {
        if (!namesEqual(it->first, event))
            continue;
        if (routine.empty())
            bindings_.erase(it);
        else
            it->second = std::move(routine);
        return;
    }
    if (!routine.empty())
        bindings_.emplace_back(std::string(event), std::move(routine));
}

std::string TKSPersistent::EventBinding(std::string_view event) const
{
    for (const auto& [e, routine] : bindings_)
        if (namesEqual(e, event))
            return routine;
    return {};
}

void TKSPersistent::ReadEventBindings(platform::Stream& s)
{
    bindings_.clear();
    unsigned count = readWord(s);
    for (unsigned i = 0; i < count; ++i) {
        std::string event = readString(s);
        std::string routine = readString(s);
        SetEventBinding(event, std::move(routine));
    }
}

void TKSPersistent::WriteEventBindings(platform::Stream& s) const
{
    auto count = static_cast<std::uint16_t>(std::min<std::size_t>(bindings_.size(), 0xFFFF));
    writeWord(s, count);
    for (std::size_t i = 0; i < count; ++i) {
        writeString(s, bindings_[i].first);
        writeString(s, bindings_[i].second);
    }
}

void TKSPersistent::BindEvents(const std::function<platform::MethodValue(const std::string&)>& handlerFor)
{
    for (const auto& [event, routine] : bindings_) {
        const platform::PropInfo* prop = platform::findProperty(*this, event);
        if (prop && prop->kind() == platform::PropKind::Method)
            prop->setMethod(*this, handlerFor(routine));
    }
}
