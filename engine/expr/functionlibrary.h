// Function libraries: the base class of a library of expression functions and
// the process-wide registry through which the report offers calls to them.
#pragma once

#include "expr/parser.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One entry of a function picker: display name, category, help text and one
// letter per parameter ("N" number, "S" text, "D" date...).
struct TKSFunctionDesc {
    std::string FuncName;
    std::string Category;
    std::string Description;
    std::string FuncPara;
};

class TKSCustomFunctionLibrary {
public:
    virtual ~TKSCustomFunctionLibrary() = default;

    // Runs the call when the name is in the name list (any letter case).
    virtual bool OnFunction(TKSParser& parser, std::string_view name, TKSArguments& arguments,
                            platform::Variant& result);
    // Runs function number `number` (its position in the name list).
    virtual void DoFunction(TKSParser& parser, int number, TKSArguments& arguments,
                            platform::Variant& result) = 0;

    // Function number of a name; -1 when the library does not have it.
    int IndexOf(std::string_view name) const;
    const std::vector<std::string>& FunctionNames() const { return names_; }
    const std::vector<TKSFunctionDesc>& FunctionDescs() const { return descs_; }

protected:
    void AddFunctionName(std::string upperCaseName) { names_.push_back(std::move(upperCaseName)); }
    void AddFunctionDesc(std::string name, std::string category, std::string parameters, std::string description);

private:
    std::vector<std::string> names_;
    std::vector<TKSFunctionDesc> descs_;
};

// The base of concrete libraries.
class TKSFunctionLibrary : public TKSCustomFunctionLibrary {};

// A library class as the registry knows it: its name and how to create one.
struct TKSFunctionLibraryClass {
    std::string_view ClassName;
    std::unique_ptr<TKSCustomFunctionLibrary> (*Create)();
};

// Appends a new instance unless one of that class name is registered.
void RegisterFunctionLibrary(const TKSFunctionLibraryClass& libraryClass);
// Frees and removes the instance of that class name, if any.
void UnRegisterFunctionLibrary(const TKSFunctionLibraryClass& libraryClass);
// Re-creates every instance in turn, keeping the order (after the numbered
// texts are loaded, so that descriptors pick them up).
void RefreshFunctionLibraries();
// The registered instances in registration order.
std::vector<TKSCustomFunctionLibrary*> FunctionLibraries();
// Offers a call to the registered libraries in order; false when none has it.
bool CallFunctionLibraries(TKSParser& parser, std::string_view name, TKSArguments& arguments,
                           platform::Variant& result);
