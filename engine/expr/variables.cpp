// TKSVariables: an ordered name -> value list. Names keep insertion order and
// are found with the engine name rule (equal length, any letter case).
#include "expr/variables.h"

#include "platform/gbk.h"

void TKSVariables::Clear()
{
    entries_.clear();
}

void TKSVariables::Assign(const TKSVariables& other)
{
    if (&other != this)
        entries_ = other.entries_;
}

void TKSVariables::SetValue(std::string_view name, platform::Variant value)
{
    int index = IndexOf(name);
    if (index < 0) {
        entries_.push_back({std::string(name), std::move(value), true});
        return;
    }
    entries_[index].value = std::move(value);
    entries_[index].assigned = true;
}

platform::Variant TKSVariables::GetValue(std::string_view name) const
{
    const platform::Variant* value = Find(name);
    return value ? *value : platform::Variant::null();
}

const platform::Variant* TKSVariables::Find(std::string_view name) const
{
    int index = IndexOf(name);
    return index < 0 ? nullptr : &entries_[index].value;
}

int TKSVariables::IndexOf(std::string_view name) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].name.size() == name.size() && platform::sameName(entries_[i].name, name))
            return static_cast<int>(i);
    }
    return -1;
}

std::string TKSVariables::Name(int index) const
{
    return inRange(index) ? entries_[index].name : std::string();
}

platform::Variant TKSVariables::GetValueByIndex(int index) const
{
    return inRange(index) ? entries_[index].value : platform::Variant(0);
}

void TKSVariables::SetValueByIndex(int index, platform::Variant value)
{
    if (!inRange(index))
        return;
    entries_[index].value = std::move(value);
    entries_[index].assigned = true;
}

bool TKSVariables::IsAssigned(int index) const
{
    return inRange(index) && entries_[index].assigned;
}

void TKSVariables::Delete(int index)
{
    if (inRange(index))
        entries_.erase(entries_.begin() + index);
}
