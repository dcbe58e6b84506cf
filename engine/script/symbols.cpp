// The process-wide table of interned script names.
// Interning is guarded by a mutex; reading a number is free once it is known.
#include "script/symbols.h"

#include <deque>
#include <mutex>
#include <unordered_map>

namespace {

struct SymbolTable {
    std::mutex mutex;
    std::unordered_map<std::string, int> numbers;
    std::deque<std::string> names;  // deque: references stay valid while it grows
};

SymbolTable& table()
{
    static SymbolTable instance;
    return instance;
}

} // namespace

int internSymbol(std::string_view name)
{
    // Only single-byte letters change case: a GBK trail byte never is a letter
    // here because script names are ASCII; host names are ASCII too.
    std::string upper(name);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    SymbolTable& t = table();
    std::lock_guard lock(t.mutex);
    auto [it, inserted] = t.numbers.try_emplace(upper, int(t.names.size()));
    if (inserted)
        t.names.push_back(std::move(upper));
    return it->second;
}

const std::string& symbolName(int symbol)
{
    SymbolTable& t = table();
    std::lock_guard lock(t.mutex);
    return t.names.at(std::size_t(symbol));
}
