// Calls of routines in shared libraries: loaded with the system's dynamic
// loader at each call, arguments passed as machine words in declaration order.
#include "script/unit.h"

#include <dlfcn.h>

#include <cerrno>
#include <cstdint>

namespace {

using Word = std::intptr_t;

Word callWords(void* address, const std::vector<Word>& a)
{
    switch (a.size()) {
    case 0: return reinterpret_cast<Word (*)()>(address)();
    case 1: return reinterpret_cast<Word (*)(Word)>(address)(a[0]);
    case 2: return reinterpret_cast<Word (*)(Word, Word)>(address)(a[0], a[1]);
    case 3: return reinterpret_cast<Word (*)(Word, Word, Word)>(address)(a[0], a[1], a[2]);
    case 4: return reinterpret_cast<Word (*)(Word, Word, Word, Word)>(address)(a[0], a[1], a[2], a[3]);
    case 5: return reinterpret_cast<Word (*)(Word, Word, Word, Word, Word)>(address)(a[0], a[1], a[2], a[3], a[4]);
    case 6:
        return reinterpret_cast<Word (*)(Word, Word, Word, Word, Word, Word)>(address)(a[0], a[1], a[2], a[3], a[4],
                                                                                      a[5]);
    default: return 0;
    }
}

struct Library {
    void* handle;
    ~Library()
    {
        const int saved = errno;  // the caller may want the routine's error value
        dlclose(handle);
        errno = saved;
    }
};

} // namespace

Variant TKSInterpreterUnit::callExternalRoutine(const TKSInterpreterFunDesc& routine, TKSInterpreterArgs& args)
{
    constexpr int kMaxWords = 6;
    if (!AllowExternalRoutines)
        throw EKSInterpreterError(kserr::AccessDenied, -1, "external routine " + routine.identifier);
    void* handle = dlopen(routine.library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw EKSInterpreterError(kserr::LibraryLoad, -1, routine.library);
    Library library{handle};
    void* address = dlsym(handle, routine.exportName.c_str());
    if (!address)
        throw EKSInterpreterError(kserr::ProcAddress, -1, routine.identifier);

    const int resultType = routine.resultType;
    if (resultType != 0 && resultType != platform::varSmallint && resultType != platform::varInteger &&
        resultType != platform::varBoolean)
        throw EKSInterpreterError(kserr::ResultType, -1, routine.identifier);
    std::vector<std::string> texts(std::size_t(args.count));
    std::vector<int32_t> cells(std::size_t(args.count));
    std::vector<Word> words;
    if (args.count > kMaxWords)
        throw EKSInterpreterError(kserr::ArgumentType, -1, routine.identifier);
    for (int i = 0; i < args.count; ++i) {
        const std::size_t k = std::size_t(i);
        const int type = routine.paramTypes[k];
        const int base = type & ~kstype::VarParam;
        const Variant& value = args.values[k];
        if (base != platform::varSmallint && base != platform::varInteger && base != platform::varBoolean &&
            !(base == platform::varString && !(type & kstype::VarParam)))
            throw EKSInterpreterError(kserr::ArgumentType, -1, routine.identifier);
        if (base == platform::varString) {
            texts[k] = value.toString();
            words.push_back(reinterpret_cast<Word>(texts[k].c_str()));
            continue;
        }
        cells[k] = base == platform::varBoolean ? int32_t(value.toBool()) : convertToType(value, 3).toInteger();
        words.push_back((type & kstype::VarParam) ? reinterpret_cast<Word>(&cells[k]) : Word(cells[k]));
    }
    const Word raw = callWords(address, words);
    for (int i = 0; i < args.count; ++i) {
        const int type = routine.paramTypes[std::size_t(i)];
        if (type & kstype::VarParam)
            args.values[std::size_t(i)] = (type & ~kstype::VarParam) == platform::varBoolean
                                              ? Variant(cells[std::size_t(i)] != 0)
                                              : Variant(int(cells[std::size_t(i)]));
    }
    switch (resultType) {
    case platform::varSmallint: return Variant::fromSmallint(int16_t(raw));
    case platform::varInteger: return Variant(int(int32_t(raw)));
    case platform::varBoolean: return Variant((raw & 0xFF) != 0);
    default: return Variant::null();
    }
}
