// Function libraries and their process-wide registry (one instance per class
// name, in registration order; user-interface thread only).
#include "expr/functionlibrary.h"

#include "platform/gbk.h"

#include <algorithm>

bool TKSCustomFunctionLibrary::OnFunction(TKSParser& parser, std::string_view name, TKSArguments& arguments,
                                          platform::Variant& result)
{
    int number = IndexOf(name);
    if (number < 0)
        return false;
    DoFunction(parser, number, arguments, result);
    return true;
}

int TKSCustomFunctionLibrary::IndexOf(std::string_view name) const
{
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (platform::sameName(names_[i], name))
            return static_cast<int>(i);
    }
    return -1;
}

void TKSCustomFunctionLibrary::AddFunctionDesc(std::string name, std::string category, std::string parameters,
                                               std::string description)
{
    descs_.push_back({std::move(name), std::move(category), std::move(description), std::move(parameters)});
}

namespace {

struct Registration {
    std::string className;
    const TKSFunctionLibraryClass* libraryClass;
    std::unique_ptr<TKSCustomFunctionLibrary> instance;
};

std::vector<Registration>& registry()
{
    static std::vector<Registration> registrations;
    return registrations;
}

std::vector<Registration>::iterator findRegistration(std::string_view className)
{
    auto& registrations = registry();
    return std::find_if(registrations.begin(), registrations.end(),
                        [&](const Registration& r) { return r.className == className; });
}

} // namespace

void RegisterFunctionLibrary(const TKSFunctionLibraryClass& libraryClass)
{
    if (findRegistration(libraryClass.ClassName) != registry().end())
        return;
    registry().push_back({std::string(libraryClass.ClassName), &libraryClass, libraryClass.Create()});
}

void UnRegisterFunctionLibrary(const TKSFunctionLibraryClass& libraryClass)
{
    auto found = findRegistration(libraryClass.ClassName);
    if (found != registry().end())
        registry().erase(found);
}

void RefreshFunctionLibraries()
{
    std::size_t count = registry().size();
    for (std::size_t i = 0; i < count && !registry().empty(); ++i) {
        const TKSFunctionLibraryClass& libraryClass = *registry().front().libraryClass;
        UnRegisterFunctionLibrary(libraryClass);
        RegisterFunctionLibrary(libraryClass);
    }
}

std::vector<TKSCustomFunctionLibrary*> FunctionLibraries()
{
    std::vector<TKSCustomFunctionLibrary*> libraries;
    for (const Registration& registration : registry())
        libraries.push_back(registration.instance.get());
    return libraries;
}

bool CallFunctionLibraries(TKSParser& parser, std::string_view name, TKSArguments& arguments,
                           platform::Variant& result)
{
    // Index-based: a function may (un)register libraries while it runs.
    for (std::size_t i = 0; i < registry().size(); ++i) {
        if (registry()[i].instance->OnFunction(parser, name, arguments, result))
            return true;
    }
    return false;
}
