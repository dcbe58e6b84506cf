// TKSInterpreterAdapter: the host registry. Name-indexed tables that map script
// names to host classes, members, functions, constants, records and events.
#pragma once

#include "platform/reflection.h"
#include "script/args.h"
#include "script/lexer.h"
#include "script/record.h"
#include "script/vars.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class TKSInterpreterExpression;
class TKSInterpreterEvent;
class TKSInterpreterFunction;
class IKSInterpreterDataType;

// A host procedure behind a registered name: reads its instance from
// args.object, its arguments from args.values and writes the result.
using TKSWrapper = std::function<void(Variant& result, TKSInterpreterArgs& args)>;
// The shape of OnGetValue / OnSetValue and of registry hooks: answers done.
using TKSGetValueHook =
    std::function<bool(TKSInterpreterExpression& sender, const std::string& identifier, Variant& value, TKSInterpreterArgs& args)>;
using TKSSetValueHook = std::function<bool(TKSInterpreterExpression& sender, const std::string& identifier,
                                           const Variant& value, TKSInterpreterArgs& args)>;

std::uint64_t nextLayoutId();

// A routine descriptor: what a routine header declares.
struct TKSInterpreterFunDesc {
    static constexpr int kMaxParams = 32;
    std::string unitName;
    std::string identifier;
    int symbol = -1;
    std::string classIdentifier;
    int paramCount = 0;
    std::vector<int> paramTypes;  // 0x4000 added for var parameters
    bool hasVarParams = false;    // some parameter type has 0x4000
    std::vector<std::string> paramNames;
    std::vector<int> paramSymbols;
    int resultType = 0;  // 0: procedure
    std::shared_ptr<const IKSInterpreterDataType> resultDataType;
    // The result's starting value when every call may share it (a simple
    // type), so that a call does not ask the type for it.
    std::optional<Variant> sharedResultStart;
    // Tells this descriptor from every other one, also from one that later
    // takes its address: frames keep the variable layout of the last routine.
    std::uint64_t layoutId = nextLayoutId();
    int startToken = 0;  // token just after the header's ';'
    int endToken = 0;    // token just after the body's 'end'
    // External routines.
    bool external = false;
    std::string library;
    std::string exportName;
    int exportIndex = -1;
};

struct TKSInterpreterSrcUnit {
    std::string name;
    int symbol = -1;
    std::string source;
    std::vector<std::string> uses;
    mutable std::shared_ptr<const TKSTokenStream> tokens;  // lexed once, on first use
    const std::shared_ptr<const TKSTokenStream>& stream() const;
};

// A registered host member (getter, setter, indexed or default indexed).
struct TKSMemberEntry {
    const platform::ClassInfo* classInfo = nullptr;
    int symbol = -1;
    std::string name;
    int paramCount = 0;  // -1: any number
    std::vector<int> paramTypes;
    int resultType = 0;
    TKSWrapper wrapper;
    std::intptr_t data = 0;
};

struct TKSFunctionEntry {
    std::string unitName;
    int symbol = -1;
    std::string name;
    int paramCount = 0;
    std::vector<int> paramTypes;
    int resultType = 0;
    TKSWrapper wrapper;
    std::intptr_t data = 0;
};

// How a registered event type calls the script: copies the host's event
// arguments into the event's argument block, calls, copies var arguments back.
using TKSEventHandler = std::function<void(TKSInterpreterEvent& event, platform::Object* sender, platform::EventArgs& args)>;
using TKSEventFactory = std::function<std::shared_ptr<TKSInterpreterEvent>()>;

struct TKSEventHandlerEntry {
    std::string unitName;
    std::string eventType;
    TKSEventHandler handler;
    TKSEventFactory factory;  // the event class; null: the plain TKSInterpreterEvent
};

class TKSInterpreterAdapter {
public:
    TKSInterpreterAdapter();
    virtual ~TKSInterpreterAdapter();
    TKSInterpreterAdapter(const TKSInterpreterAdapter&) = delete;
    TKSInterpreterAdapter& operator=(const TKSInterpreterAdapter&) = delete;

    // The process-wide registry, filled once at start-up and read-only afterwards.
    static TKSInterpreterAdapter& global();

    // --- Registration --------------------------------------------------------
    void RegisterHostUnit(const std::string& unitName);
    void RegisterSourceUnit(const std::string& unitName, const std::string& source, const std::string& usesNames);
    void RegisterHostClass(const std::string& unitName, const platform::ClassInfo* classInfo, const std::string& name = {});
    void RegisterGetter(const platform::ClassInfo* classInfo, const std::string& name, int paramCount,
                        std::vector<int> paramTypes, int resultType, TKSWrapper wrapper, std::intptr_t data = 0);
    void RegisterSetter(const platform::ClassInfo* classInfo, const std::string& name, int paramCount,
                        std::vector<int> paramTypes, TKSWrapper wrapper, std::intptr_t data = 0);
    void RegisterIndexedGetter(const platform::ClassInfo* classInfo, const std::string& name, int paramCount,
                               std::vector<int> paramTypes, TKSWrapper wrapper, std::intptr_t data = 0);
    void RegisterIndexedSetter(const platform::ClassInfo* classInfo, const std::string& name, int paramCount,
                               std::vector<int> paramTypes, TKSWrapper wrapper, std::intptr_t data = 0);
    void RegisterDefaultIndexedGetter(const platform::ClassInfo* classInfo, int paramCount,
                                      std::vector<int> paramTypes, TKSWrapper wrapper, std::intptr_t data = 0);
    void RegisterDefaultIndexedSetter(const platform::ClassInfo* classInfo, int paramCount,
                                      std::vector<int> paramTypes, TKSWrapper wrapper, std::intptr_t data = 0);
    void RegisterFunction(const std::string& unitName, const std::string& name, int paramCount,
                          std::vector<int> paramTypes, int resultType, TKSWrapper wrapper, std::intptr_t data = 0);
    void RegisterConstant(const std::string& unitName, const std::string& name, const Variant& value);
    void RegisterRecord(const std::string& unitName, const std::string& name, std::vector<TKSRecordField> fields,
                        std::size_t recordSize, std::function<void(void*)> create = {},
                        std::function<void(void*)> free = {},
                        std::function<void(void*, const void*)> copy = {});
    // A record declared by a script (every field a dynamic value); cleared with the source data.
    void RegisterScriptRecord(const std::string& unitName, const std::string& name, std::vector<TKSRecordField> fields);
    void RegisterRecordGetter(const std::string& unitName, const std::string& recordName, const std::string& name,
                              int paramCount, std::vector<int> paramTypes, TKSWrapper wrapper, std::intptr_t data = 0);
    void RegisterRecordSetter(const std::string& unitName, const std::string& recordName, const std::string& name,
                              int paramCount, std::vector<int> paramTypes, TKSWrapper wrapper, std::intptr_t data = 0);
    void RegisterExternalRoutine(std::shared_ptr<TKSInterpreterFunDesc> descriptor);
    void RegisterSourceRoutine(std::shared_ptr<TKSInterpreterFunDesc> descriptor);
    void RegisterEventHandler(const std::string& unitName, const std::string& eventType, TKSEventHandler handler,
                              TKSEventFactory eventClass = {});
    void RegisterEventProperty(const platform::ClassInfo* classInfo, const std::string& name);
    TKSInterpreterVar& RegisterVariable(TKSInterpreterVar var);
    void RegisterFormClass(const std::string& unitName, const std::string& className);
    void RegisterGetHook(TKSGetValueHook hook) { getHooks_.push_back(std::move(hook)); }
    void RegisterSetHook(TKSSetValueHook hook) { setHooks_.push_back(std::move(hook)); }

    // --- Queries and actions -------------------------------------------------
    virtual void beforeHostCall(std::intptr_t /*data*/) {}
    virtual bool GetValue(TKSInterpreterExpression& expr, int symbol, const std::string& identifier,
                          TKSInterpreterArgs& args, Variant& value);
    virtual bool SetValue(TKSInterpreterExpression& expr, int symbol, const std::string& identifier,
                          TKSInterpreterArgs& args, const Variant& value);
    virtual bool GetElement(TKSInterpreterExpression& expr, const Variant& container, TKSInterpreterArgs& args,
                            Variant& value);
    virtual bool SetElement(TKSInterpreterExpression& expr, const Variant& container, TKSInterpreterArgs& args,
                            const Variant& value);
    virtual bool createRecord(const std::string& name, Variant& value) const;
    virtual std::shared_ptr<TKSInterpreterFunDesc> findSourceRoutine(std::string_view unitName, int symbol) const;
    virtual const TKSInterpreterSrcUnit* sourceUnit(std::string_view name) const;
    virtual bool isUnitKnown(std::string_view name) const;
    virtual bool hasEventProperty(const platform::ClassInfo& classInfo, std::string_view name) const;
    // A method value calling the script routine, or an empty one when the event
    // type is not registered here.
    virtual platform::MethodValue createEventBinding(const std::string& unitName, const std::string& routineName,
                                                     const std::string& eventType, platform::Object* instance,
                                                     TKSInterpreterFunction* owner,
                                                     std::shared_ptr<TKSInterpreterEvent>* event = nullptr) const;
    virtual void addFormClass(const std::string& unitName, const std::string& className)
    {
        RegisterFormClass(unitName, className);
    }
    virtual bool findFormClass(std::string_view name, std::string* unitName = nullptr) const;
    // True when the record's type is known here (by the holder's type name).
    virtual bool bindRecord(const Variant& record) const;

    const platform::ClassInfo* findClass(int symbol) const;
    bool hasRecordType(std::string_view name) const;
    // False when no table and no hook here can answer a plain name (no object):
    // a lookup of it then falls through to the caller's own steps.
    bool mayClaimPlainName(int symbol) const { return mayKnow(symbol) || !getHooks_.empty(); }
    // Changes whenever source routines are added or cleared, so a caller may
    // keep what findSourceRoutine answered while it stays the same.
    std::uint64_t sourceRoutineGeneration() const { return routineGeneration_; }
    const TKSInterpreterSrcUnit* sourceUnitOf(const Variant& value) const;
    // Add variables through RegisterVariable only: it marks the name as known.
    TKSInterpreterVarList& variables() { return variables_; }

    // --- Maintenance ----------------------------------------------------------
    void clearSourceData();
    void clearOther();
    void clearAll();
    void copyFrom(const TKSInterpreterAdapter& other);
    // Entries are kept in lookup order as they are registered (most derived
    // class first within one name), so there is nothing left to sort.
    void sort() {}

    // Errors 181 / 182 and the var-argument marks, before every wrapper call.
    static void checkArguments(int paramCount, const std::vector<int>& paramTypes, int symbol,
                               const std::string& identifier, TKSInterpreterArgs& args);

private:
    static constexpr std::intptr_t kScriptRecord = -1;
    struct ClassEntry {
        const platform::ClassInfo* classInfo;
        std::string unitName;
        std::string name;
    };
    using MemberTable = std::unordered_map<int, std::vector<TKSMemberEntry>>;

    void markKnown(int symbol);
    bool mayKnow(int symbol) const
    {
        return std::size_t(symbol) < known_.size() && known_[std::size_t(symbol)];
    }
    void addMember(MemberTable& table, const platform::ClassInfo* cls, const std::string& name, int paramCount,
                   std::vector<int> paramTypes, int resultType, TKSWrapper wrapper, std::intptr_t data);
    const TKSMemberEntry* findMember(const MemberTable& table, int symbol, const Variant& object) const;
    bool callMember(const TKSMemberEntry& entry, TKSInterpreterArgs& args, Variant& value);
    bool getPlainName(TKSInterpreterExpression& expr, int symbol, const std::string& identifier,
                      TKSInterpreterArgs& args, Variant& value);
    bool getRecordMember(int symbol, const std::string& identifier, TKSInterpreterArgs& args, Variant& value);
    bool setRecordMember(int symbol, const std::string& identifier, TKSInterpreterArgs& args, const Variant& value);
    const TKSRecordType* recordType(std::string_view name) const;

    std::vector<int> hostUnits_;
    std::vector<std::shared_ptr<TKSInterpreterSrcUnit>> sourceUnits_;
    std::unordered_map<int, std::vector<ClassEntry>> classes_;
    MemberTable getters_, setters_, indexedGetters_, indexedSetters_;
    std::vector<TKSMemberEntry> defaultGetters_, defaultSetters_;
    std::unordered_map<int, std::vector<TKSFunctionEntry>> functions_;
    std::unordered_map<int, std::vector<std::pair<std::string, Variant>>> constants_;
    std::vector<std::shared_ptr<TKSRecordType>> records_;
    std::unordered_map<long long, std::vector<TKSMemberEntry>> recordGetters_, recordSetters_;  // (record, member)
    std::unordered_map<int, std::vector<std::shared_ptr<TKSInterpreterFunDesc>>> externalRoutines_;
    std::unordered_map<int, std::vector<std::shared_ptr<TKSInterpreterFunDesc>>> sourceRoutines_;
    std::vector<TKSEventHandlerEntry> eventHandlers_;
    std::vector<std::pair<const platform::ClassInfo*, std::string>> eventProperties_;
    TKSInterpreterVarList variables_;
    std::vector<std::pair<std::string, std::string>> formClasses_;
    std::vector<TKSGetValueHook> getHooks_;
    std::vector<TKSSetValueHook> setHooks_;
    std::vector<bool> known_;  // by symbol: some table may hold this plain name (never unmarked)
    std::uint64_t routineGeneration_ = 1;
};
