// TList: a growable list of values with the index checks of the runtime list.
#include "platform/reflection_list.h"

#include <algorithm>
#include <string>

namespace platform {

namespace {

constexpr int kMaxItems = 1 << 24;

// The identity an item is compared by: the referent for references, else the value.
bool sameItem(const Variant& a, const Variant& b)
{
    if (a.isCustom() || b.isCustom())
        return a.payload() == b.payload();
    return a.identicalTo(b);
}

bool isNil(const Variant& v) { return v.isEmpty() || ((v.isCustom() || v.isInteger()) && v.payload() == 0); }

} // namespace

const ClassInfo& List::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<List>("TList", &Object::staticClassInfo());
    return info;
}

void List::checkIndex(int index, int count)
{
    if (index < 0 || index >= count)
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

void List::setCount(int count)
{
    if (count < 0 || count > kMaxItems)
        throw std::out_of_range("List count out of bounds (" + std::to_string(count) + ")");
    items_.resize(static_cast<std::size_t>(count));
}

void List::setCapacity(int capacity)
{
    if (capacity < count() || capacity > kMaxItems)
        throw std::out_of_range("List capacity out of bounds (" + std::to_string(capacity) + ")");
    items_.reserve(static_cast<std::size_t>(capacity));
}

const Variant& List::item(int index) const
{
    checkIndex(index, count());
    return items_[static_cast<std::size_t>(index)];
}

void List::setItem(int index, Variant value)
{
    checkIndex(index, count());
    items_[static_cast<std::size_t>(index)] = std::move(value);
}

int List::add(Variant value)
{
    insert(count(), std::move(value));
    return count() - 1;
}

void List::insert(int index, Variant value)
{
    checkIndex(index, count() + 1);
    if (count() >= kMaxItems)
        throw std::out_of_range("List count out of bounds (" + std::to_string(count() + 1) + ")");
    items_.insert(items_.begin() + index, std::move(value));
}

void List::remove(int index)
{
    checkIndex(index, count());
    items_.erase(items_.begin() + index);
}

void List::exchange(int a, int b)
{
    checkIndex(a, count());
    checkIndex(b, count());
    std::swap(items_[static_cast<std::size_t>(a)], items_[static_cast<std::size_t>(b)]);
}

void List::move(int from, int to)
{
    if (from == to)
        return;
    checkIndex(to, count());
    Variant value = item(from);
    remove(from);
    insert(to, std::move(value));
}

int List::indexOf(const Variant& value) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (sameItem(items_[i], value))
            return static_cast<int>(i);
    return -1;
}

void List::pack() { std::erase_if(items_, isNil); }

} // namespace platform
