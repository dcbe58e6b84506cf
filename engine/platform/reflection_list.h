// A list of script values ("TList"): items are kept as the values scripts put
// in (object references, pointers or numbers) and compared by their payload.
#pragma once

#include "platform/reflection.h"

#include <vector>

namespace platform {

class List : public Object {
public:
    TK_CLASS_INFO

    // Raised for an index outside 0 .. Count - 1: "List index out of bounds (n)".
    static void checkIndex(int index, int count);

    int count() const { return static_cast<int>(items_.size()); }
    // Growing fills with nil pointers; the size is limited to keep bad input cheap.
    void setCount(int count);
    int capacity() const { return static_cast<int>(items_.capacity()); }
    void setCapacity(int capacity);

    const Variant& item(int index) const;
    void setItem(int index, Variant value);
    int add(Variant value);
    void insert(int index, Variant value);
    void remove(int index);
    void exchange(int a, int b);
    void move(int from, int to);
    // First index whose payload equals the value's; -1 when none.
    int indexOf(const Variant& value) const;
    void clear() { items_.clear(); }
    // Drops every nil item.
    void pack();

private:
    std::vector<Variant> items_;
};

} // namespace platform
