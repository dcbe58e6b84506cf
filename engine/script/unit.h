// TKSInterpreterUnit: reads unit texts (uses, variables, constants, types,
// routine headers and bodies, external routines) and calls routines by name.
#pragma once

#include "script/function.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TKSInterpreterUnit : public TKSInterpreterFunction {
public:
    using UnitSourceHook = std::function<bool(TKSInterpreterUnit& sender, const std::string& unitName, std::string& source)>;

    TKSInterpreterUnit();

    // Reads the unit in the source (it must start with 'unit').
    void Compile();
    // 'unit': compiles and runs its routine main; 'begin'/'var': a routine body;
    // 'procedure'/'function': reads one declaration; else: one expression.
    Variant Run() override;
    void reset() override;

    using TKSInterpreterExpression::callRoutine;
    Variant callRoutine(platform::Object* instance, const std::string& unitName, const std::string& name,
                        TKSInterpreterArgs* args, const std::vector<Variant>& values) override;
    std::shared_ptr<TKSInterpreterFunDesc> findRoutine(std::string_view unitName, std::string_view name);

    bool GetValue(int symbol, const std::string& identifier, Variant& value, TKSInterpreterArgs& args) override;
    // The routine branch of GetValue taken directly: a class that overrides
    // GetValue must override this too (returning false is always correct).
    bool fastCall(bool statementLevel, Variant& value) override;
    Variant callExternalRoutine(const TKSInterpreterFunDesc& routine, TKSInterpreterArgs& args) override;

    bool compiled() const { return compiled_; }
    bool clearOnReset = true;
    // Routines in shared libraries may be declared only when this is set
    // (templates built into the program); scripts from files opened by the
    // user must not load arbitrary libraries.
    bool AllowExternalRoutines = false;
    UnitSourceHook OnGetUnitSource;

protected:
    // After "unit" or "program": the name and its ";"; the name becomes the current unit.
    void readHeaderName();
    void readUnit();
    void readRoutineDeclaration();
    void readExternal(TKSInterpreterFunDesc& routine);
    void readUses(std::vector<std::string>& names);
    void loadUnit(const std::string& name, int nameStart);
    void typeDeclaration();
    bool readUnitDeclaration(std::vector<std::string>& usesNames);
    // The text of a unit by name; false when there is none.
    virtual bool unitSource(const std::string& name, std::string& source);
    void resetRun();
    // findSourceRoutine for the current unit, remembered per name while the
    // routine table and the current unit stay the same. The routine stays
    // alive until the next reset, also when the table drops it meanwhile.
    struct CurrentUnitRoutine {
        const TKSInterpreterFunDesc* routine = nullptr;
        bool otherUnit = false;  // runsInOtherUnit(*routine)
    };
    CurrentUnitRoutine currentUnitRoutine(int symbol)
    {
        if (std::size_t(symbol) < routineCache_.size()) {
            const CachedRoutine& cached = routineCache_[std::size_t(symbol)];
            if (cached.generation == adapter().sourceRoutineGeneration() && cached.unitSerial == unitSerial_)
                return {cached.routine.get(), cached.otherUnit};
        }
        return findCurrentUnitRoutine(symbol);
    }
    CurrentUnitRoutine findCurrentUnitRoutine(int symbol);
    bool callSourceRoutine(const TKSInterpreterFunDesc* routine, int symbol, const std::string& identifier,
                           Variant& value, TKSInterpreterArgs& args);

    int sectionMode_ = 0;  // 0 none, 1 interface, 2 implementation
    bool compiled_ = false;

private:
    struct CachedRoutine {
        std::uint64_t generation = 0;  // the registry's routine generation when found; 0: nothing kept
        std::uint64_t unitSerial = 0;  // unitSerial_ when found
        std::shared_ptr<TKSInterpreterFunDesc> routine;
        bool otherUnit = false;
    };
    std::vector<CachedRoutine> routineCache_;  // by symbol
    // Routines replaced in the cache while one of them may still be running.
    std::vector<std::shared_ptr<TKSInterpreterFunDesc>> retiredRoutines_;
};
