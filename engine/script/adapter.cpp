// The host registry: registration, the lookup order of names and members,
// argument checking, published properties through reflection, event bindings.
#include "script/adapter.h"

#include "platform/gbk.h"
#include "script/array.h"
#include "script/datatype.h"
#include "script/error.h"
#include "script/event.h"
#include "script/expression.h"
#include "script/symbols.h"

#include <algorithm>
#include <atomic>

namespace {

int classDepth(const platform::ClassInfo* cls)
{
    int depth = 0;
    for (; cls; cls = cls->parent())
        ++depth;
    return depth;
}

// Inserts keeping entries of more derived classes first, else registration order.
template <class Entry> void insertByDepth(std::vector<Entry>& list, Entry entry)
{
    const int depth = classDepth(entry.classInfo);
    auto at = std::find_if(list.begin(), list.end(), [&](const Entry& e) { return classDepth(e.classInfo) < depth; });
    list.insert(at, std::move(entry));
}

long long recordKey(int record, int member) { return (static_cast<long long>(record) << 32) | unsigned(member); }

// An instance applies to its class and ancestors; a class reference only to itself.
bool entryApplies(const platform::ClassInfo* entryClass, const Variant& object)
{
    if (platform::Object* o = objectOf(object))
        return o->classInfo().inheritsFrom(*entryClass);
    if (const platform::ClassInfo* c = classOf(object))
        return c == entryClass;
    return false;
}

bool readPublished(platform::Object& object, const std::string& name, Variant& value)
{
    const platform::PropInfo* prop = platform::findProperty(object, name);
    if (!prop)
        return false;
    using K = platform::PropKind;
    switch (prop->kind()) {
    case K::Integer:
    case K::Enumeration:
    case K::Char:
    case K::Float:
    case K::String:
    case K::Variant:
    case K::Int64:
    case K::Interface:
        value = prop->get(object);
        if (prop->kind() == K::Integer || (prop->kind() == K::Enumeration && !prop->isBoolean()))
            value = Variant(value.toInteger());
        return true;
    case K::Set:
        value = makeSetValue(uint32_t(prop->get(object).toInteger()));
        return true;
    case K::Class:
        value = makeObjectValue(prop->getObject(object));
        return true;
    default:
        return false;
    }
}

bool writePublished(platform::Object& object, const std::string& name, const Variant& value)
{
    const platform::PropInfo* prop = platform::findProperty(object, name);
    if (!prop || prop->isReadOnly())
        return false;
    using K = platform::PropKind;
    switch (prop->kind()) {
    case K::Integer:
    case K::Enumeration:
        prop->set(object, value.isString() || value.isBoolean() ? value : Variant(convertToType(value, 3).toInteger()));
        return true;
    case K::Char:
    case K::Float:
    case K::String:
    case K::Variant:
    case K::Int64:
    case K::Interface:
        prop->set(object, value);
        return true;
    case K::Set:
        if (isSetValue(value)) {
            prop->set(object, Variant(int(setMaskOf(value))));
        } else if (value.isArray()) {
            uint32_t mask = 0;
            const platform::ArrayBound b = value.bounds(1);
            for (int i = b.low; i <= b.high; ++i)
                mask |= 1u << (value.at(std::span<const int>(&i, 1)).toInteger() & 31);
            prop->set(object, Variant(int(mask)));
        } else {
            prop->set(object, value);
        }
        return true;
    case K::Class:
        prop->setObject(object, objectOf(value));
        return true;
    default:
        return false;
    }
}

} // namespace

const std::shared_ptr<const TKSTokenStream>& TKSInterpreterSrcUnit::stream() const
{
    if (!tokens)
        tokens = TKSInterpreterParser::tokenize(source);
    return tokens;
}

std::uint64_t nextLayoutId()
{
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

TKSInterpreterAdapter::TKSInterpreterAdapter()
{
    for (const char* name : {"NIL", "NULL"})
        markKnown(internSymbol(name));
    for (const char* name : {"INTEGER", "LONGINT", "DWORD", "WORD", "SMALLINT", "BYTE", "WORDBOOL", "BOOLEAN", "BOOL",
                             "STRING", "PCHAR", "ANSISTRING", "SHORTSTRING", "CHAR", "DOUBLE", "TDATETIME", "TOBJECT"})
        markKnown(internSymbol(name));
}

TKSInterpreterAdapter::~TKSInterpreterAdapter() = default;

TKSInterpreterAdapter& TKSInterpreterAdapter::global()
{
    static TKSInterpreterAdapter registry;
    return registry;
}

void TKSInterpreterAdapter::markKnown(int symbol)
{
    if (std::size_t(symbol) >= known_.size())
        known_.resize(std::size_t(symbol) + 64, false);
    known_[std::size_t(symbol)] = true;
}

// --- Registration -----------------------------------------------------------

void TKSInterpreterAdapter::RegisterHostUnit(const std::string& unitName)
{
    hostUnits_.push_back(internSymbol(unitName));
}

void TKSInterpreterAdapter::RegisterSourceUnit(const std::string& unitName, const std::string& source,
                                               const std::string& usesNames)
{
    const int symbol = internSymbol(unitName);
    for (auto& unit : sourceUnits_) {
        if (unit->symbol == symbol) {
            if (!unit->source.empty())
                return;  // the first registration with text wins
            unit->source = source;
            unit->tokens.reset();
            return;
        }
    }
    auto unit = std::make_shared<TKSInterpreterSrcUnit>();
    unit->name = unitName;
    unit->symbol = symbol;
    unit->source = source;
    std::string name;
    for (char c : usesNames + ",") {
        if (c == ',') {
            if (!name.empty())
                unit->uses.push_back(name);
            name.clear();
        } else {
            name += c;
        }
    }
    sourceUnits_.push_back(std::move(unit));
    markKnown(symbol);
}

void TKSInterpreterAdapter::RegisterHostClass(const std::string& unitName, const platform::ClassInfo* classInfo,
                                              const std::string& name)
{
    const std::string& className = name.empty() ? classInfo->name() : name;
    const int symbol = internSymbol(className);
    classes_[symbol].push_back({classInfo, unitName, className});
    markKnown(symbol);
}

void TKSInterpreterAdapter::addMember(MemberTable& table, const platform::ClassInfo* cls, const std::string& name,
                                      int paramCount, std::vector<int> paramTypes, int resultType, TKSWrapper wrapper,
                                      std::intptr_t data)
{
    const int symbol = internSymbol(name);
    insertByDepth(table[symbol],
                  TKSMemberEntry{cls, symbol, name, paramCount, std::move(paramTypes), resultType, std::move(wrapper), data});
}

void TKSInterpreterAdapter::RegisterGetter(const platform::ClassInfo* cls, const std::string& name, int paramCount,
                                           std::vector<int> paramTypes, int resultType, TKSWrapper wrapper,
                                           std::intptr_t data)
{
    addMember(getters_, cls, name, paramCount, std::move(paramTypes), resultType, std::move(wrapper), data);
}

void TKSInterpreterAdapter::RegisterSetter(const platform::ClassInfo* cls, const std::string& name, int paramCount,
                                           std::vector<int> paramTypes, TKSWrapper wrapper, std::intptr_t data)
{
    addMember(setters_, cls, name, paramCount, std::move(paramTypes), 0, std::move(wrapper), data);
}

void TKSInterpreterAdapter::RegisterIndexedGetter(const platform::ClassInfo* cls, const std::string& name,
                                                  int paramCount, std::vector<int> paramTypes, TKSWrapper wrapper,
                                                  std::intptr_t data)
{
    addMember(indexedGetters_, cls, name, paramCount, std::move(paramTypes), 0, std::move(wrapper), data);
}

void TKSInterpreterAdapter::RegisterIndexedSetter(const platform::ClassInfo* cls, const std::string& name,
                                                  int paramCount, std::vector<int> paramTypes, TKSWrapper wrapper,
                                                  std::intptr_t data)
{
    addMember(indexedSetters_, cls, name, paramCount, std::move(paramTypes), 0, std::move(wrapper), data);
}

void TKSInterpreterAdapter::RegisterDefaultIndexedGetter(const platform::ClassInfo* cls, int paramCount,
                                                         std::vector<int> paramTypes, TKSWrapper wrapper,
                                                         std::intptr_t data)
{
    defaultGetters_.push_back({cls, -1, {}, paramCount, std::move(paramTypes), 0, std::move(wrapper), data});
}

void TKSInterpreterAdapter::RegisterDefaultIndexedSetter(const platform::ClassInfo* cls, int paramCount,
                                                         std::vector<int> paramTypes, TKSWrapper wrapper,
                                                         std::intptr_t data)
{
    defaultSetters_.push_back({cls, -1, {}, paramCount, std::move(paramTypes), 0, std::move(wrapper), data});
}

void TKSInterpreterAdapter::RegisterFunction(const std::string& unitName, const std::string& name, int paramCount,
                                             std::vector<int> paramTypes, int resultType, TKSWrapper wrapper,
                                             std::intptr_t data)
{
    const int symbol = internSymbol(name);
    functions_[symbol].push_back({unitName, symbol, name, paramCount, std::move(paramTypes), resultType,
                                  std::move(wrapper), data});
    markKnown(symbol);
}

void TKSInterpreterAdapter::RegisterConstant(const std::string& unitName, const std::string& name, const Variant& value)
{
    const int symbol = internSymbol(name);
    constants_[symbol].emplace_back(unitName, value);
    markKnown(symbol);
}

void TKSInterpreterAdapter::RegisterRecord(const std::string& unitName, const std::string& name,
                                           std::vector<TKSRecordField> fields, std::size_t recordSize,
                                           std::function<void(void*)> create, std::function<void(void*)> free,
                                           std::function<void(void*, const void*)> copy)
{
    auto type = std::make_shared<TKSRecordType>();
    type->unitName = unitName;
    type->name = name;
    type->symbol = internSymbol(name);
    type->size = recordSize;
    for (TKSRecordField& f : fields)
        f.symbol = internSymbol(f.name);
    type->fields = std::move(fields);
    type->create = std::move(create);
    type->free = std::move(free);
    type->copy = std::move(copy);
    records_.push_back(std::move(type));
}

void TKSInterpreterAdapter::RegisterScriptRecord(const std::string& unitName, const std::string& name,
                                                 std::vector<TKSRecordField> fields)
{
    RegisterRecord(unitName, name, std::move(fields), 0);
    records_.back()->data = kScriptRecord;
}

void TKSInterpreterAdapter::RegisterRecordGetter(const std::string&, const std::string& recordName,
                                                 const std::string& name, int paramCount, std::vector<int> paramTypes,
                                                 TKSWrapper wrapper, std::intptr_t data)
{
    const int member = internSymbol(name);
    recordGetters_[recordKey(internSymbol(recordName), member)].push_back(
        {nullptr, member, name, paramCount, std::move(paramTypes), 0, std::move(wrapper), data});
}

void TKSInterpreterAdapter::RegisterRecordSetter(const std::string&, const std::string& recordName,
                                                 const std::string& name, int paramCount, std::vector<int> paramTypes,
                                                 TKSWrapper wrapper, std::intptr_t data)
{
    const int member = internSymbol(name);
    recordSetters_[recordKey(internSymbol(recordName), member)].push_back(
        {nullptr, member, name, paramCount, std::move(paramTypes), 0, std::move(wrapper), data});
}

void TKSInterpreterAdapter::RegisterExternalRoutine(std::shared_ptr<TKSInterpreterFunDesc> descriptor)
{
    descriptor->external = true;
    descriptor->symbol = internSymbol(descriptor->identifier);
    markKnown(descriptor->symbol);
    externalRoutines_[descriptor->symbol].push_back(std::move(descriptor));
}

void TKSInterpreterAdapter::RegisterSourceRoutine(std::shared_ptr<TKSInterpreterFunDesc> descriptor)
{
    descriptor->symbol = internSymbol(descriptor->identifier);
    sourceRoutines_[descriptor->symbol].push_back(std::move(descriptor));
    ++routineGeneration_;
}

void TKSInterpreterAdapter::RegisterEventHandler(const std::string& unitName, const std::string& eventType,
                                                 TKSEventHandler handler, TKSEventFactory eventClass)
{
    eventHandlers_.push_back({unitName, eventType, std::move(handler), std::move(eventClass)});
}

void TKSInterpreterAdapter::RegisterEventProperty(const platform::ClassInfo* cls, const std::string& name)
{
    eventProperties_.emplace_back(cls, name);
}

TKSInterpreterVar& TKSInterpreterAdapter::RegisterVariable(TKSInterpreterVar var)
{
    if (var.symbol < 0)
        var.symbol = internSymbol(var.name);
    markKnown(var.symbol);
    return variables_.add(std::move(var));
}

void TKSInterpreterAdapter::RegisterFormClass(const std::string& unitName, const std::string& className)
{
    formClasses_.emplace_back(unitName, className);
}

// --- Lookups ------------------------------------------------------------------

void TKSInterpreterAdapter::checkArguments(int paramCount, const std::vector<int>& paramTypes, int symbol,
                                           const std::string& identifier, TKSInterpreterArgs& args)
{
    args.symbol = symbol;
    args.identifier = identifier;
    if (paramCount != -1) {
        if (args.count > paramCount)
            throw EKSInterpreterError(kserr::TooManyParams);
        if (args.count < paramCount)
            throw EKSInterpreterError(kserr::NotEnoughParams);
    }
    args.hasVarArgs = false;
    for (int i = 0; i < args.count; ++i) {
        const int type = std::size_t(i) < paramTypes.size() ? paramTypes[std::size_t(i)] : 0;
        args.types[std::size_t(i)] = type;
        if ((type & kstype::VarParam) && !args.names[std::size_t(i)].empty())
            args.hasVarArgs = true;
    }
}

const TKSMemberEntry* TKSInterpreterAdapter::findMember(const MemberTable& table, int symbol,
                                                        const Variant& object) const
{
    auto it = table.find(symbol);
    if (it == table.end())
        return nullptr;
    for (const TKSMemberEntry& e : it->second)
        if (entryApplies(e.classInfo, object))
            return &e;
    return nullptr;
}

bool TKSInterpreterAdapter::callMember(const TKSMemberEntry& entry, TKSInterpreterArgs& args, Variant& value)
{
    checkArguments(entry.paramCount, entry.paramTypes, entry.symbol, entry.name, args);
    beforeHostCall(entry.data);
    value = Variant();
    entry.wrapper(value, args);
    return true;
}

const platform::ClassInfo* TKSInterpreterAdapter::findClass(int symbol) const
{
    auto it = classes_.find(symbol);
    return it == classes_.end() || it->second.empty() ? nullptr : it->second.front().classInfo;
}

bool TKSInterpreterAdapter::GetValue(TKSInterpreterExpression& expr, int symbol, const std::string& identifier,
                                     TKSInterpreterArgs& args, Variant& value)
{
    const Variant& object = args.object;
    const bool onObject = isObjectValue(object) || isClassValue(object);
    if (onObject && args.indexed) {
        if (const TKSMemberEntry* e = findMember(indexedGetters_, symbol, object)) {
            callMember(*e, args, value);
            args.indexesConsumed = true;
            return true;
        }
    } else if (onObject) {
        if (platform::Object* o = objectOf(object); o && readPublished(*o, identifier, value))
            return true;
        if (const TKSMemberEntry* e = findMember(getters_, symbol, object)) {
            const bool constructor = isClassValue(object) && identifier.size() >= 6 &&
                                     platform::sameName(std::string_view(identifier).substr(0, 6), "Create");
            callMember(*e, args, value);
            if (constructor && isObjectValue(value) && !value.holder())
                expr.noteCreatedObject(objectOf(value));
            return true;
        }
        if (platform::Object* o = objectOf(object); o && symbol == internSymbol("FREE")) {
            // Only what the script's own constructor calls made is deleted:
            // report objects, forms, objects with another owner and objects
            // kept by a holder (a host exception in a handler) are freed by
            // their owners, so deleting them here would free them twice.
            if (!object.holder() && expr.forgetCreatedObject(o))
                delete o;
            args.object = Variant();
            args.objectKind = 0;
            value = Variant::null();
            return true;
        }
    } else if (isRecordValue(object)) {
        return getRecordMember(symbol, identifier, args, value);
    } else if (!args.hasObject()) {
        if (mayKnow(symbol) && getPlainName(expr, symbol, identifier, args, value))
            return true;
        if (TKSInterpreterVar* var = variables_.find(symbol)) {
            value = var->value;
            return true;
        }
        for (auto& unit : sourceUnits_) {
            if (unit->symbol == symbol) {
                value = makePointerValue(reinterpret_cast<std::intptr_t>(unit.get()));
                return true;
            }
        }
    }
    for (const TKSGetValueHook& hook : getHooks_)
        if (hook(expr, identifier, value, args))
            return true;
    return false;
}

bool TKSInterpreterAdapter::getPlainName(TKSInterpreterExpression& expr, int symbol, const std::string& identifier,
                                         TKSInterpreterArgs& args, Variant& value)
{
    if (auto it = classes_.find(symbol); it != classes_.end() && !it->second.empty()) {
        if (args.count > 1)
            throw EKSInterpreterError(kserr::TooManyParams);
        if (args.count == 1) {
            // A typecast: the argument's payload seen as an object reference.
            const Variant& arg = args.arg(0);
            value = arg.isCustom() ? Variant::custom(ksKinds().object, arg.payload(), arg.holder())
                                   : makeObjectValue(nullptr);
        } else {
            value = makeClassValue(it->second.front().classInfo);
        }
        return true;
    }
    static const int nilSymbol = internSymbol("NIL"), nullSymbol = internSymbol("NULL");
    if (symbol == nilSymbol) {
        value = makePointerValue(0);
        return true;
    }
    if (symbol == nullSymbol) {
        value = Variant::null();
        return true;
    }
    if (auto it = constants_.find(symbol); it != constants_.end() && !it->second.empty()) {
        value = it->second.front().second;
        return true;
    }
    if (auto it = functions_.find(symbol); it != functions_.end() && !it->second.empty()) {
        const TKSFunctionEntry& f = it->second.front();
        checkArguments(f.paramCount, f.paramTypes, symbol, f.name, args);
        beforeHostCall(f.data);
        value = Variant();
        f.wrapper(value, args);
        return true;
    }
    if (auto it = externalRoutines_.find(symbol); it != externalRoutines_.end() && !it->second.empty()) {
        const TKSInterpreterFunDesc& d = *it->second.back();
        checkArguments(d.paramCount, d.paramTypes, symbol, d.identifier, args);
        value = expr.callExternalRoutine(d, args);
        return true;
    }
    if (const int code = simpleTypeCode(identifier); code != 0 || platform::sameName(identifier, "TObject")) {
        if (args.count != 1)
            return false;
        value = convertToType(args.arg(0), code);
        return true;
    }
    return false;
}

bool TKSInterpreterAdapter::getRecordMember(int symbol, const std::string&, TKSInterpreterArgs& args, Variant& value)
{
    TKSInterpreterRecHolder* record = recordOf(args.object);
    if (!record)
        throw EKSInterpreterError(kserr::RecordObjectClassRequired);
    int index = -1;
    if (record->type().field(symbol, &index)) {
        value = record->field(std::size_t(index));
        return true;
    }
    auto it = recordGetters_.find(recordKey(record->type().symbol, symbol));
    if (it == recordGetters_.end() || it->second.empty())
        return false;
    return callMember(it->second.front(), args, value);
}

bool TKSInterpreterAdapter::setRecordMember(int symbol, const std::string&, TKSInterpreterArgs& args,
                                            const Variant& value)
{
    TKSInterpreterRecHolder* record = recordOf(args.object);
    if (!record)
        throw EKSInterpreterError(kserr::RecordObjectClassRequired);
    int index = -1;
    if (record->type().field(symbol, &index)) {
        if (TKSInterpreterRecHolder* inner = recordOf(record->field(std::size_t(index))); inner && recordOf(value))
            inner->assignFrom(*recordOf(value));
        else
            record->setField(std::size_t(index), value);
        return true;
    }
    auto it = recordSetters_.find(recordKey(record->type().symbol, symbol));
    if (it == recordSetters_.end() || it->second.empty())
        return false;
    const TKSMemberEntry& e = it->second.front();
    args.push(value);
    --args.count;  // the value travels behind the counted arguments
    checkArguments(e.paramCount, e.paramTypes, e.symbol, e.name, args);
    beforeHostCall(e.data);
    Variant ignored = value;
    e.wrapper(ignored, args);
    return true;
}

bool TKSInterpreterAdapter::SetValue(TKSInterpreterExpression& expr, int symbol, const std::string& identifier,
                                     TKSInterpreterArgs& args, const Variant& value)
{
    const Variant& object = args.object;
    const bool onObject = isObjectValue(object) || isClassValue(object);
    // Setters receive the value to store as their result slot.
    auto callSetter = [&](const TKSMemberEntry& e) {
        checkArguments(e.paramCount, e.paramTypes, e.symbol, e.name, args);
        beforeHostCall(e.data);
        Variant slot = value;
        e.wrapper(slot, args);
        return true;
    };
    if (onObject && args.indexed) {
        if (const TKSMemberEntry* e = findMember(indexedSetters_, symbol, object)) {
            args.indexesConsumed = true;
            return callSetter(*e);
        }
    } else if (onObject) {
        if (platform::Object* o = objectOf(object); o && writePublished(*o, identifier, value))
            return true;
        if (const TKSMemberEntry* e = findMember(setters_, symbol, object))
            return callSetter(*e);
    } else if (isRecordValue(object)) {
        return setRecordMember(symbol, identifier, args, value);
    } else if (!args.hasObject()) {
        if (TKSInterpreterVar* var = variables_.find(symbol)) {
            var->store(value);
            return true;
        }
    }
    for (const TKSSetValueHook& hook : setHooks_)
        if (hook(expr, identifier, value, args))
            return true;
    return false;
}

bool TKSInterpreterAdapter::GetElement(TKSInterpreterExpression&, const Variant& container, TKSInterpreterArgs& args,
                                       Variant& value)
{
    if (!objectOf(container))
        return false;
    for (const TKSMemberEntry& e : defaultGetters_) {
        if (entryApplies(e.classInfo, container)) {
            args.object = container;
            args.objectKind = container.type();
            return callMember(e, args, value);
        }
    }
    return false;
}

bool TKSInterpreterAdapter::SetElement(TKSInterpreterExpression&, const Variant& container, TKSInterpreterArgs& args,
                                       const Variant& value)
{
    if (!objectOf(container))
        return false;
    for (const TKSMemberEntry& e : defaultSetters_) {
        if (entryApplies(e.classInfo, container)) {
            args.object = container;
            args.objectKind = container.type();
            checkArguments(e.paramCount, e.paramTypes, e.symbol, e.name, args);
            beforeHostCall(e.data);
            Variant slot = value;
            e.wrapper(slot, args);
            return true;
        }
    }
    return false;
}

const TKSRecordType* TKSInterpreterAdapter::recordType(std::string_view name) const
{
    for (auto it = records_.rbegin(); it != records_.rend(); ++it)
        if (platform::sameName((*it)->name, name))
            return it->get();
    return nullptr;
}

bool TKSInterpreterAdapter::hasRecordType(std::string_view name) const { return recordType(name) != nullptr; }

bool TKSInterpreterAdapter::createRecord(const std::string& name, Variant& value) const
{
    for (auto it = records_.rbegin(); it != records_.rend(); ++it) {
        if (platform::sameName((*it)->name, name)) {
            value = makeRecordValue(std::make_shared<TKSInterpreterRecHolder>(*it));
            return true;
        }
    }
    return false;
}

bool TKSInterpreterAdapter::bindRecord(const Variant& record) const
{
    const TKSInterpreterRecHolder* holder = recordOf(record);
    return holder && recordType(holder->type().name) != nullptr;
}

std::shared_ptr<TKSInterpreterFunDesc> TKSInterpreterAdapter::findSourceRoutine(std::string_view unitName,
                                                                                int symbol) const
{
    auto it = sourceRoutines_.find(symbol);
    if (it == sourceRoutines_.end())
        return nullptr;
    const auto& list = it->second;
    if (!unitName.empty()) {
        for (auto r = list.rbegin(); r != list.rend(); ++r)
            if ((*r)->unitName == unitName || platform::sameName((*r)->unitName, unitName))
                return *r;
    }
    return list.empty() ? nullptr : list.back();
}

const TKSInterpreterSrcUnit* TKSInterpreterAdapter::sourceUnit(std::string_view name) const
{
    for (const auto& unit : sourceUnits_)
        if (platform::sameName(unit->name, name))
            return unit.get();
    return nullptr;
}

const TKSInterpreterSrcUnit* TKSInterpreterAdapter::sourceUnitOf(const Variant& value) const
{
    if (!isPointerValue(value) || value.payload() == 0)
        return nullptr;
    for (const auto& unit : sourceUnits_)
        if (reinterpret_cast<std::intptr_t>(unit.get()) == value.payload())
            return unit.get();
    return nullptr;
}

bool TKSInterpreterAdapter::isUnitKnown(std::string_view name) const
{
    if (sourceUnit(name))
        return true;
    const int symbol = internSymbol(name);
    return std::find(hostUnits_.begin(), hostUnits_.end(), symbol) != hostUnits_.end();
}

bool TKSInterpreterAdapter::hasEventProperty(const platform::ClassInfo& cls, std::string_view name) const
{
    for (const auto& [entryClass, entryName] : eventProperties_)
        if (cls.inheritsFrom(*entryClass) && platform::sameName(entryName, name))
            return true;
    return false;
}

platform::MethodValue TKSInterpreterAdapter::createEventBinding(const std::string& unitName,
                                                                const std::string& routineName,
                                                                const std::string& eventType,
                                                                platform::Object* instance,
                                                                TKSInterpreterFunction* owner,
                                                                std::shared_ptr<TKSInterpreterEvent>* created) const
{
    for (const TKSEventHandlerEntry& entry : eventHandlers_) {
        if (!platform::sameName(entry.eventType, eventType))
            continue;
        std::shared_ptr<TKSInterpreterEvent> event =
            entry.factory ? entry.factory() : std::make_shared<TKSInterpreterEvent>();
        event->owner = owner;
        event->instance = instance;
        event->unitName = unitName;
        event->routineName = routineName;
        if (created)
            *created = event;
        TKSEventHandler handler = entry.handler;
        platform::MethodValue method;
        method.data = event.get();
        method.code = [event, handler](platform::Object* sender, platform::EventArgs& args) {
            handler(*event, sender, args);
        };
        return method;
    }
    return {};
}

bool TKSInterpreterAdapter::findFormClass(std::string_view name, std::string* unitName) const
{
    for (const auto& [unit, className] : formClasses_) {
        if (platform::sameName(className, name)) {
            if (unitName)
                *unitName = unit;
            return true;
        }
    }
    return false;
}

// --- Maintenance ----------------------------------------------------------------

void TKSInterpreterAdapter::clearSourceData()
{
    sourceUnits_.clear();
    sourceRoutines_.clear();
    ++routineGeneration_;
    variables_.clear();
    formClasses_.clear();
    // Script records live with the source they came from.
    records_.erase(std::remove_if(records_.begin(), records_.end(), [](const auto& r) { return r->data == kScriptRecord; }),
                   records_.end());
}

void TKSInterpreterAdapter::clearOther()
{
    hostUnits_.clear();
    classes_.clear();
    getters_.clear();
    setters_.clear();
    indexedGetters_.clear();
    indexedSetters_.clear();
    defaultGetters_.clear();
    defaultSetters_.clear();
    functions_.clear();
    constants_.clear();
    records_.clear();
    recordGetters_.clear();
    recordSetters_.clear();
    externalRoutines_.clear();
    eventHandlers_.clear();
    eventProperties_.clear();
    getHooks_.clear();
    setHooks_.clear();
}

void TKSInterpreterAdapter::clearAll()
{
    clearSourceData();
    clearOther();
}

void TKSInterpreterAdapter::copyFrom(const TKSInterpreterAdapter& other)
{
    hostUnits_.insert(hostUnits_.end(), other.hostUnits_.begin(), other.hostUnits_.end());
    for (const auto& unit : other.sourceUnits_)
        RegisterSourceUnit(unit->name, unit->source, {});
    for (const auto& [symbol, list] : other.classes_)
        for (const ClassEntry& e : list)
            RegisterHostClass(e.unitName, e.classInfo, e.name);
    auto copyMembers = [](MemberTable& to, const MemberTable& from) {
        for (const auto& [symbol, list] : from)
            for (const TKSMemberEntry& e : list)
                insertByDepth(to[symbol], e);
    };
    copyMembers(getters_, other.getters_);
    copyMembers(setters_, other.setters_);
    copyMembers(indexedGetters_, other.indexedGetters_);
    copyMembers(indexedSetters_, other.indexedSetters_);
    defaultGetters_.insert(defaultGetters_.end(), other.defaultGetters_.begin(), other.defaultGetters_.end());
    defaultSetters_.insert(defaultSetters_.end(), other.defaultSetters_.begin(), other.defaultSetters_.end());
    for (const auto& [symbol, list] : other.functions_)
        for (const TKSFunctionEntry& f : list) {
            functions_[symbol].push_back(f);
            markKnown(symbol);
        }
    for (const auto& [symbol, list] : other.constants_)
        for (const auto& c : list) {
            constants_[symbol].push_back(c);
            markKnown(symbol);
        }
    records_.insert(records_.end(), other.records_.begin(), other.records_.end());
    for (const auto& [key, list] : other.recordGetters_)
        recordGetters_[key].insert(recordGetters_[key].end(), list.begin(), list.end());
    for (const auto& [key, list] : other.recordSetters_)
        recordSetters_[key].insert(recordSetters_[key].end(), list.begin(), list.end());
    for (const auto& [symbol, list] : other.externalRoutines_)
        for (const auto& d : list)
            RegisterExternalRoutine(std::make_shared<TKSInterpreterFunDesc>(*d));
    for (const auto& [symbol, list] : other.sourceRoutines_)
        for (const auto& d : list)
            RegisterSourceRoutine(std::make_shared<TKSInterpreterFunDesc>(*d));
    eventHandlers_.insert(eventHandlers_.end(), other.eventHandlers_.begin(), other.eventHandlers_.end());
    eventProperties_.insert(eventProperties_.end(), other.eventProperties_.begin(), other.eventProperties_.end());
    formClasses_.insert(formClasses_.end(), other.formClasses_.begin(), other.formClasses_.end());
    getHooks_.insert(getHooks_.end(), other.getHooks_.begin(), other.getHooks_.end());
    setHooks_.insert(setHooks_.end(), other.setHooks_.begin(), other.setHooks_.end());
}
