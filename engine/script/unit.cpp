// Units: headers, declarations, uses clauses with loading of other units,
// routine registration, running main and calling routines by name.
#include "script/unit.h"

#include "platform/gbk.h"
#include "script/datatype.h"
#include "script/symbols.h"

#include <memory>

TKSInterpreterUnit::TKSInterpreterUnit() = default;

void TKSInterpreterUnit::reset()
{
    TKSInterpreterFunction::reset();
    if (clearOnReset)
        adapter().clearSourceData();
    retiredRoutines_.clear();
    sectionMode_ = 0;
}

void TKSInterpreterUnit::Compile()
{
    reset();
    runReportingErrors([this] {
        if (cc_ != tok::Unit)
            expected("'unit'");
        readUnit();
        compiled_ = true;
    });
}

Variant TKSInterpreterUnit::Run()
{
    reset();
    return runReportingErrors([this] {
        switch (cc_) {
        case tok::Unit: {
            readUnit();
            compiled_ = true;
            auto main = adapter().findSourceRoutine(currentUnit_, internSymbol("main"));
            if (!main || !platform::sameName(main->unitName, currentUnit_))
                fail(kserr::MainUndefined);
            ownArgs_.clearCall();
            executeRoutine(*main, &ownArgs_);
            break;
        }
        case tok::Begin:
        case tok::Var:
            runBody(nullptr, {}, &ownArgs_);
            break;
        case tok::Procedure:
        case tok::Function:
            readRoutineDeclaration();
            break;
        default:
            result_ = expression();
        }
    });
}

void TKSInterpreterUnit::readHeaderName()
{
    nextToken();
    if (cc_ != tok::Identifier)
        expected(interpreterErrorText(kserr::TextIdentifier));
    setCurrentUnit(tok_->text);
    nextToken();
    if (cc_ != tok::Semicolon)
        expected("';'");
    nextToken();
}

void TKSInterpreterUnit::readUnit()
{
    readHeaderName();
    std::vector<std::string> usesNames;
    while (cc_ != tok::End) {
        if (!readUnitDeclaration(usesNames)) {
            if (cc_ == tok::EndOfText)
                expected("'end'");
            expected(interpreterErrorText(kserr::TextDeclaration));
        }
    }
    nextToken();
    if (cc_ != tok::Dot)
        expected("'.'");
    std::string joined;
    for (const std::string& name : usesNames)
        joined += (joined.empty() ? "" : ",") + name;
    adapter().RegisterSourceUnit(currentUnit_, stream_->source, joined);
    if (const TKSInterpreterSrcUnit* unit = adapter().sourceUnit(currentUnit_); unit && unit->source == stream_->source)
        unit->tokens = stream_;  // no second lexing when its routines run
}

bool TKSInterpreterUnit::readUnitDeclaration(std::vector<std::string>& usesNames)
{
    switch (cc_) {
    case tok::Procedure:
    case tok::Function:
        readRoutineDeclaration();
        if (cc_ != tok::Semicolon)
            expected("';'");
        nextToken();
        return true;
    case tok::Var: varSection(true); return true;
    case tok::Const: constSection(true); return true;
    case tok::Uses: readUses(usesNames); return true;
    case tok::Type: typeDeclaration(); return true;
    case tok::Interface:
        sectionMode_ = 1;
        nextToken();
        return true;
    case tok::Implementation:
        sectionMode_ = 2;
        nextToken();
        return true;
    default: return false;
    }
}

void TKSInterpreterUnit::readRoutineDeclaration()
{
    auto routine = std::make_shared<TKSInterpreterFunDesc>();
    const bool isFunction = cc_ == tok::Function;
    routine->unitName = currentUnit_;
    nextToken();
    if (cc_ != tok::Identifier)
        expected(interpreterErrorText(kserr::TextIdentifier));
    routine->identifier = tok_->text;
    nextToken();
    if (cc_ == tok::Dot) {
        nextToken();
        if (cc_ != tok::Identifier)
            expected(interpreterErrorText(kserr::TextIdentifier));
        routine->classIdentifier = routine->identifier;
        routine->identifier = tok_->text;
        nextToken();
    }
    if (cc_ == tok::LParen) {
        nextToken();
        while (cc_ != tok::RParen) {
            const bool byReference = cc_ == tok::Var;
            if (cc_ == tok::Var || cc_ == tok::Const)
                nextToken();
            std::vector<const TKSToken*> names;
            for (;;) {
                if (cc_ != tok::Identifier)
                    expected(interpreterErrorText(kserr::TextIdentifier));
                names.push_back(tok_);
                nextToken();
                if (cc_ != tok::Comma)
                    break;
                nextToken();
            }
            if (cc_ != tok::Colon)
                expected("':'");
            nextToken();
            if (cc_ != tok::Identifier)
                expected(interpreterErrorText(kserr::TextIdentifier));
            const int code = typeOfName(tok_->text).code | (byReference ? kstype::VarParam : 0);
            nextToken();
            while (cc_ != tok::Semicolon && cc_ != tok::RParen) {  // default values and the like
                if (cc_ == tok::EndOfText)
                    expected("')'");
                nextToken();
            }
            for (const TKSToken* name : names) {
                if (routine->paramCount == TKSInterpreterFunDesc::kMaxParams)
                    fail(kserr::TooManyParams, name->start);
                routine->paramNames.push_back(name->text);
                routine->paramSymbols.push_back(name->symbol);
                routine->paramTypes.push_back(code);
                routine->hasVarParams = routine->hasVarParams || byReference;
                ++routine->paramCount;
            }
            if (cc_ == tok::Semicolon)
                nextToken();
        }
        nextToken();
    }
    if (isFunction) {
        if (cc_ != tok::Colon)
            expected("':'");
        nextToken();
        if (cc_ != tok::Identifier)
            expected(interpreterErrorText(kserr::TextIdentifier));
        DeclaredType type = typeOfName(tok_->text);
        routine->resultType = type.code ? type.code : platform::varVariant;
        routine->resultDataType = type.dataType;
        if (type.dataType && type.dataType->initialValueShared())
            routine->sharedResultStart = type.dataType->initialValue();
        nextToken();
    }
    if (cc_ != tok::Semicolon)
        expected("';'");
    const int semicolon = cur_;
    nextToken();
    routine->startToken = cur_;
    if (cc_ == tok::External) {
        readExternal(*routine);
        return;
    }
    if (sectionMode_ == 1) {
        gotoToken(semicolon);  // an interface header only announces the routine
        return;
    }
    while (cc_ != tok::Begin) {
        if (cc_ == tok::EndOfText)
            expected("'begin'");
        nextToken();
    }
    nextToken();
    skipToMatchingEnd();
    routine->endToken = cur_;
    adapter().RegisterSourceRoutine(std::move(routine));
}

void TKSInterpreterUnit::readExternal(TKSInterpreterFunDesc& routine)
{
    if (!AllowExternalRoutines)
        fail(kserr::AccessDenied, tokenStart(), "external routine " + routine.identifier);
    nextToken();
    if (cc_ == tok::StringLit) {
        routine.library = tok_->stringValue;
    } else if (cc_ == tok::Identifier) {
        Variant value;
        ArgsLease args(*this);
        if (!GetValue(tok_->symbol, tok_->text, value, *args))
            fail(kserr::Undeclared, tokenStart(), tok_->text);
        if (!value.isString())
            expected("'string constant'");
        routine.library = value.stringValue();
    } else {
        expected("'string constant'");
    }
    nextToken();
    if (cc_ == tok::Identifier && platform::sameName(tok_->text, "name")) {
        nextToken();
        if (cc_ != tok::StringLit)
            expected("'string constant'");
        routine.exportName = tok_->stringValue;
    } else if (cc_ == tok::Identifier && platform::sameName(tok_->text, "index")) {
        nextToken();
        if (cc_ != tok::IntegerLit)
            expected("'integer constant'");
        routine.exportIndex = tok_->intValue;
    } else {
        expected("'name' or 'index'");
    }
    nextToken();
    adapter().RegisterExternalRoutine(std::make_shared<TKSInterpreterFunDesc>(routine));
}

void TKSInterpreterUnit::readUses(std::vector<std::string>& names)
{
    nextToken();
    commaList(tok::Semicolon, "','", [&] {
        if (cc_ != tok::Identifier && cc_ != tok::StringLit)
            expected(interpreterErrorText(kserr::TextIdentifier));
        const std::string name = cc_ == tok::Identifier ? tok_->text : tok_->stringValue;
        const int nameStart = tokenStart();
        nextToken();
        if (cc_ == tok::In) {  // a file name of the unit: not used
            nextToken();
            nextToken();
        }
        names.push_back(name);
        loadUnit(name, nameStart);
    });
    nextToken();
}

void TKSInterpreterUnit::loadUnit(const std::string& name, int nameStart)
{
    if (adapter().isUnitKnown(name) || globalAdapter().isUnitKnown(name))
        return;
    if (!adapter().sourceUnit(currentUnit_))
        adapter().RegisterSourceUnit(currentUnit_, {}, {});
    std::string source;
    if (!unitSource(name, source))
        fail(kserr::UnitNotFound, nameStart, name);
    pushState();
    const std::string savedUnit = currentUnit_;
    const int savedMode = sectionMode_;
    auto restore = [&] {
        setCurrentUnit(savedUnit);
        sectionMode_ = savedMode;
        popState();
    };
    try {
        setCurrentUnit(name);
        sectionMode_ = 0;
        useStream(TKSInterpreterParser::tokenize(std::move(source)));
        gotoToken(0);
        if (cc_ != tok::Unit)
            expected("'unit'");
        readUnit();
    } catch (EKSInterpreterError& e) {
        applyPosition(e);
        restore();
        throw;
    } catch (std::exception& e) {
        recordHostError(e);
        restore();
        throw;
    }
    restore();
}

bool TKSInterpreterUnit::unitSource(const std::string& name, std::string& source)
{
    return OnGetUnitSource && OnGetUnitSource(*this, name, source);
}

void TKSInterpreterUnit::typeDeclaration()
{
    nextToken();
    while (cc_ == tok::Identifier) {
        const std::string name = tok_->text;
        nextToken();
        if (cc_ != tok::Equal)
            expected("'='");
        nextToken();
        if (cc_ == tok::Class) {
            while (cc_ != tok::End) {
                if (cc_ == tok::EndOfText)
                    expected("'end'");
                nextToken();
            }
            adapter().addFormClass(currentUnit_, name);
        } else if (cc_ == tok::Record) {
            nextToken();
            std::vector<TKSRecordField> fields;
            while (cc_ == tok::Identifier) {
                DeclaredType type;
                for (const TKSToken* fieldName : namesAndType(type)) {
                    TKSRecordField field;
                    field.name = fieldName->text;
                    field.typeCode = 0;  // every field of a script record holds one dynamic value
                    field.dataType = type.dataType;
                    fields.push_back(std::move(field));
                }
            }
            if (cc_ != tok::End)
                expected("'end'");
            adapter().RegisterScriptRecord(currentUnit_, name, std::move(fields));
        } else {
            expected(interpreterErrorText(kserr::TextClassDeclaration));
        }
        nextToken();  // past 'end'
        if (cc_ != tok::Semicolon)
            expected("';'");
        nextToken();
    }
}

std::shared_ptr<TKSInterpreterFunDesc> TKSInterpreterUnit::findRoutine(std::string_view unitName, std::string_view name)
{
    return adapter().findSourceRoutine(unitName, internSymbol(name));
}

bool TKSInterpreterUnit::GetValue(int symbol, const std::string& identifier, Variant& value, TKSInterpreterArgs& args)
{
    if (!args.hasObject() && !registriesMayClaim(symbol) && !(frameDepth_ > 0 && frame()->vars.find(symbol))) {
        // The frame and the registries cannot answer this name: of the full
        // order only OnGetValue is left before the routines (a script call).
        if (OnGetValue && OnGetValue(*this, identifier, value, args))
            return true;
        return callSourceRoutine(currentUnitRoutine(symbol).routine, symbol, identifier, value, args);
    }
    if (TKSInterpreterFunction::GetValue(symbol, identifier, value, args))
        return true;
    if (!args.hasObject())
        return callSourceRoutine(currentUnitRoutine(symbol).routine, symbol, identifier, value, args);
    const TKSInterpreterSrcUnit* unit = adapter().sourceUnitOf(args.object);
    if (!unit)
        return false;
    return callSourceRoutine(adapter().findSourceRoutine(unit->name, symbol).get(), symbol, identifier, value, args);
}

TKSInterpreterUnit::CurrentUnitRoutine TKSInterpreterUnit::findCurrentUnitRoutine(int symbol)
{
    if (symbol < 0)
        return {};  // routines are registered by interned name only
    if (std::size_t(symbol) >= routineCache_.size())
        routineCache_.resize(std::size_t(symbol) + 64);
    CachedRoutine& cached = routineCache_[std::size_t(symbol)];
    const std::uint64_t generation = adapter().sourceRoutineGeneration();
    if (cached.generation != generation || cached.unitSerial != unitSerial_) {
        std::shared_ptr<TKSInterpreterFunDesc> found = adapter().findSourceRoutine(currentUnit_, symbol);
        // Only a changed table may have dropped the routine kept here, which
        // may still be running: then it stays alive until the next reset.
        if (cached.generation != generation && cached.routine && cached.routine != found)
            retiredRoutines_.push_back(std::move(cached.routine));
        cached.routine = std::move(found);
        cached.otherUnit = cached.routine && runsInOtherUnit(*cached.routine);
        cached.unitSerial = unitSerial_;
        cached.generation = generation;
    }
    return {cached.routine.get(), cached.otherUnit};
}

bool TKSInterpreterUnit::callSourceRoutine(const TKSInterpreterFunDesc* routine, int symbol,
                                           const std::string& identifier, Variant& value, TKSInterpreterArgs& args)
{
    if (!routine)
        return false;
    TKSInterpreterAdapter::checkArguments(routine->paramCount, routine->paramTypes, symbol, identifier, args);
    value = executeRoutine(*routine, &args);
    return true;
}

void TKSInterpreterUnit::resetRun()
{
    pendingOperands_ = 0;
    argsDepth_ = 0;
    breakFlag_ = continueFlag_ = exitFlag_ = false;
    lastError_ = EKSInterpreterError(0);
    recordedHostError_ = nullptr;
}

Variant TKSInterpreterUnit::callRoutine(platform::Object* instance, const std::string& unitName,
                                        const std::string& name, TKSInterpreterArgs* args,
                                        const std::vector<Variant>& values)
{
    if (!compiled_)
        Compile();
    // A call from the host while the script itself runs (an event fired by a
    // script statement) must leave the running script's state alone.
    const bool nested = !states_.empty() || frameDepth_ > 0;
    if (!nested)
        resetRun();
    platform::Object* savedInstance = currentInstance_;
    currentInstance_ = instance;
    struct RestoreInstance {
        TKSInterpreterUnit& self;
        platform::Object* saved;
        ~RestoreInstance() { self.currentInstance_ = saved; }
    } restore{*this, savedInstance};
    auto routine = adapter().findSourceRoutine(unitName, internSymbol(name));
    if (!routine)
        throw EKSInterpreterError(kserr::Undeclared, -1, name);
    TKSInterpreterArgs* block = args;
    if (!block) {
        ownArgs_.clearCall();
        ownArgs_.setValues(values);
        block = &ownArgs_;
    }
    breakFlag_ = continueFlag_ = false;
    try {
        return executeRoutine(*routine, block);
    } catch (EKSInterpreterError& e) {
        lastError_ = e;
        throw;
    }
}

bool TKSInterpreterUnit::fastCall(bool /*statementLevel*/, Variant& value)
{
    // The same answer as GetValue gives for a plain name that neither the
    // frame, the registries nor a hook can claim: the current unit's routine.
    const int symbol = tok_->symbol;
    if (!locals_ || OnGetValue || symbol < 0 || registriesMayClaim(symbol))
        return false;
    const int nameToken = cur_;
    const TKSFastExpressions::CallShape* shape = fast_.callShape(nameToken);
    if (!shape || fast_.findLocal(*locals_, nameToken, symbol))
        return false;
    const CurrentUnitRoutine found = currentUnitRoutine(symbol);
    const TKSInterpreterFunDesc* routine = found.routine;
    if (!routine || routine->paramCount != int(shape->arguments.size()))
        return false;  // the ordinary reading reports a wrong count
    if (routine->hasVarParams)
        return false;  // var arguments are written back by name
    // Arguments go straight to the routine's parameters: no argument block
    // (nothing of it is read without var parameters).
    constexpr std::size_t kRoom = 6;
    const std::size_t count = shape->arguments.size();
    if (count > kRoom)
        return false;
    checkNativeStack();
    // Only the values in use are constructed: this runs for every call.
    alignas(Variant) unsigned char storage[kRoom * sizeof(Variant)];
    Variant* values = std::uninitialized_value_construct_n(reinterpret_cast<Variant*>(storage), count) - count;
    struct Destroy {
        Variant* values;
        std::size_t count;
        ~Destroy() { std::destroy_n(values, count); }
    } destroy{values, count};
    if (!fast_.evaluateArguments(*shape, nameToken, *locals_, kMaxOperands - pendingOperands_, values))
        return false;
    gotoToken(shape->after);
    runRoutine(*routine, std::span<const Variant>(values, count), nullptr, found.otherUnit);
    value = std::move(result_);  // nothing reads result_ before the caller's body ends and sets it again
    if (isRecordValue(value) && !adapter_->bindRecord(value) && !global_->bindRecord(value))
        fail(kserr::RecordNotDefined, -1, "Unknown RecordType");
    return true;
}
