// Statements, loops, exceptions, declarations and routine frames. Statements run
// while they are parsed; branches not taken are skipped token by token.
#include "script/function.h"

#include "platform/gbk.h"
#include "script/array.h"
#include "script/datatype.h"
#include "script/hostexception.h"
#include "script/symbols.h"

namespace {

bool endsStatement(int code)
{
    return code == tok::Semicolon || code == tok::End || code == tok::Else || code == tok::Until ||
           code == tok::Finally || code == tok::Except;
}

bool opensBlock(int code) { return code == tok::Begin || code == tok::Try || code == tok::Case; }

const int resultSymbol = internSymbol("RESULT");
const std::string resultName = "Result";
const Variant kMissingArgument;

// Whether a pending exception belongs to `cls`; sets `object` to what the
// handler's name will hold: the raised object, or for a host exception a
// script-visible copy of it (matched by class name along its class chain).
bool exceptionMatches(const std::exception_ptr& error, const platform::ClassInfo& cls, Variant& object)
{
    try {
        std::rethrow_exception(error);
    } catch (const TKSScriptException& e) {
        object = e.object;
        platform::Object* o = objectOf(e.object);
        return o && o->classInfo().inheritsFrom(cls);
    } catch (...) {
    }
    std::shared_ptr<Exception> host = hostExceptionFor(error);
    const bool matches = host->classInfo().inheritsFrom(cls.name());
    object = makeObjectValue(host.get(), host);
    return matches;
}

} // namespace

TKSInterpreterFunction::TKSInterpreterFunction() = default;

TKSInterpreterFunction::~TKSInterpreterFunction()
{
    for (auto& event : events_)
        event->owner = nullptr;  // bound host properties outlive us: their events go quiet
}

void TKSInterpreterFunction::reset()
{
    TKSInterpreterExpression::reset();
    breakFlag_ = continueFlag_ = exitFlag_ = false;
    frameDepth_ = 0;
    locals_ = nullptr;
    states_.clear();
    setCurrentUnit({});
    currentInstance_ = nullptr;
    sameUnitCalls_ = 0;
    inHandler_ = false;
}

Variant TKSInterpreterFunction::Run()
{
    reset();
    return runReportingErrors([this] { runBody(nullptr, {}, &ownArgs_); });
}

// --- Frames and routines ------------------------------------------------------

void TKSInterpreterFunction::pushState(bool pinStream)
{
    if (states_.size() >= std::size_t(kMaxStates))
        fail(kserr::Internal, -1, "stack overflow");
    if (pinStream)
        states_.push_back({stream_, cur_, assignmentAllowed_});
    else
        states_.push_back({nullptr, cur_, assignmentAllowed_});
}

void TKSInterpreterFunction::popState()
{
    SavedState& saved = states_.back();
    if (saved.stream && saved.stream != stream_)
        useStream(std::move(saved.stream));
    gotoToken(saved.token);
    assignmentAllowed_ = saved.assignmentAllowed;
    states_.pop_back();
}

TKSInterpreterFunction::Frame& TKSInterpreterFunction::openFrame(const TKSInterpreterFunDesc* routine)
{
    if (std::size_t(frameDepth_) == frames_.size())
        frames_.push_back(std::make_unique<Frame>());
    Frame& f = *frames_[std::size_t(frameDepth_++)];
    f.vars.clear();
    f.routine = routine;
    locals_ = &f.vars;
    return f;
}

void TKSInterpreterFunction::switchToUnit(const std::string& unitName)
{
    setCurrentUnit(unitName);
    if (const TKSInterpreterSrcUnit* unit = adapter().sourceUnit(unitName))
        useStream(unit->stream());
}

Variant TKSInterpreterFunction::executeRoutine(const TKSInterpreterFunDesc& routine, TKSInterpreterArgs* callerArgs)
{
    runRoutine(routine, argumentValues(callerArgs), callerArgs, runsInOtherUnit(routine));
    return result_;
}

bool TKSInterpreterFunction::runsInOtherUnit(const TKSInterpreterFunDesc& routine) const
{
    return !routine.unitName.empty() && routine.unitName != currentUnit_ &&
           !platform::sameName(routine.unitName, currentUnit_);
}

std::span<const Variant> TKSInterpreterFunction::argumentValues(const TKSInterpreterArgs* args)
{
    return args ? std::span<const Variant>(args->values.data(), std::size_t(args->count)) : std::span<const Variant>();
}

void TKSInterpreterFunction::runRoutine(const TKSInterpreterFunDesc& routine, std::span<const Variant> values,
                                        TKSInterpreterArgs* callerArgs, bool switched)
{
    if (!switched) {
        // Within the current unit only the token and the assignment mode come
        // back afterwards: kept here rather than in a saved state.
        if (states_.size() + std::size_t(sameUnitCalls_) >= std::size_t(kMaxStates))
            fail(kserr::Internal, -1, "stack overflow");
        struct Restore {
            TKSInterpreterFunction& self;
            int token;
            bool assignmentAllowed;
            ~Restore()
            {
                --self.sameUnitCalls_;
                self.returnToToken(token);
                self.assignmentAllowed_ = assignmentAllowed;
            }
        } restore{*this, cur_, assignmentAllowed_};
        ++sameUnitCalls_;
        assignmentAllowed_ = true;
        try {
            gotoToken(routine.startToken);
            runBody(&routine, values, callerArgs);
        } catch (EKSInterpreterError& e) {
            applyPosition(e);
            throw;
        } catch (std::exception& e) {
            recordHostError(e);
            throw;
        }
        return;
    }
    pushState(switched);
    assignmentAllowed_ = true;
    const std::string savedUnit = switched ? currentUnit_ : std::string();
    try {
        if (switched)
            switchToUnit(routine.unitName);
        gotoToken(routine.startToken);
        runBody(&routine, values, callerArgs);
    } catch (EKSInterpreterError& e) {
        applyPosition(e);
        if (switched)
            setCurrentUnit(savedUnit);
        popState();
        throw;
    } catch (std::exception& e) {
        recordHostError(e);
        if (switched)
            setCurrentUnit(savedUnit);
        popState();
        throw;
    }
    if (switched)
        setCurrentUnit(savedUnit);
    popState();
}

void TKSInterpreterFunction::runBody(const TKSInterpreterFunDesc* routine, std::span<const Variant> values,
                                     TKSInterpreterArgs* callerArgs)
{
    struct FrameGuard {
        TKSInterpreterFunction& self;
        ~FrameGuard() { self.closeFrame(); }
    };
    Frame& f = openFrame(routine);
    FrameGuard guard{*this};
    const bool hasResult = !routine || routine->resultType != 0;
    const int paramCount = routine ? routine->paramCount : 0;
    if (!f.vars.reopenLayout(routine ? routine->layoutId : 0)) {
        f.vars.dropLayout();
        f.vars.clear();
        for (int i = 0; i < paramCount; ++i)
            f.vars.addLocal(routine->paramSymbols[std::size_t(i)], routine->paramNames[std::size_t(i)],
                            routine->paramTypes[std::size_t(i)]);
        if (hasResult)
            f.vars.addLocal(resultSymbol, resultName, routine ? routine->resultType : int(platform::varVariant));
        if (routine)
            f.vars.keepLayout(routine->layoutId);
    }
    for (int i = 0; i < paramCount; ++i) {
        TKSInterpreterVar& var = f.vars[std::size_t(i)];
        const Variant& arg = std::size_t(i) < values.size() ? values[std::size_t(i)] : kMissingArgument;
        if ((var.typeCode & kstype::VarParam) && (isRecordValue(arg) || isArrayValue(arg)))
            var.value = arg;  // a var argument shares the caller's record or array
        else
            var.store(arg);  // a value argument copies a record's fields
    }
    const std::size_t resultIndex = std::size_t(paramCount);  // variables are only added while the body runs
    if (hasResult) {
        TKSInterpreterVar& result = f.vars[resultIndex];
        if (routine && routine->sharedResultStart)
            result.value = *routine->sharedResultStart;
        else if (routine)
            result.value = routine->resultDataType ? routine->resultDataType->initialValue() : Variant();
        else
            result.value = Variant::null();
    }
    if (cc_ != tok::Begin)
        declarations(false);
    compound();
    if (routine && cc_ != tok::Semicolon && !exitFlag_)
        expected("';'");
    if (routine && routine->hasVarParams && callerArgs) {
        for (int i = 0; i < routine->paramCount && i < callerArgs->count; ++i)
            if (routine->paramTypes[std::size_t(i)] & kstype::VarParam)
                callerArgs->values[std::size_t(i)] = f.vars.find(routine->paramSymbols[std::size_t(i)])->value;
    }
    if (hasResult)
        result_ = f.vars[resultIndex].value;
    else
        result_ = Variant::null();
    exitFlag_ = false;
}

bool TKSInterpreterFunction::GetValue(int symbol, const std::string& identifier, Variant& value,
                                      TKSInterpreterArgs& args)
{
    if (!args.hasObject() && frameDepth_ > 0) {
        if (TKSInterpreterVar* var = frame()->vars.find(symbol)) {
            value = var->value;
            return true;
        }
    }
    return TKSInterpreterExpression::GetValue(symbol, identifier, value, args);
}

bool TKSInterpreterFunction::SetValue(int symbol, const std::string& identifier, const Variant& value,
                                      TKSInterpreterArgs& args)
{
    if (!args.hasObject() && storeLocal(symbol, value))
        return true;
    return TKSInterpreterExpression::SetValue(symbol, identifier, value, args);
}

bool TKSInterpreterFunction::storeLocal(int symbol, const Variant& value)
{
    return storeInto(locals_ ? locals_->find(symbol) : nullptr, value);
}

bool TKSInterpreterFunction::storeLocalAt(int nameToken, int symbol, const Variant& value)
{
    return storeInto(locals_ ? fast_.findLocal(*locals_, nameToken, symbol) : nullptr, value);
}

bool TKSInterpreterFunction::storeInto(TKSInterpreterVar* var, const Variant& value)
{
    if (!var)
        return false;
    try {
        var->store(value);
    } catch (const platform::VariantError&) {
        fail(kserr::TypeMismatch, position());
    }
    return true;
}

// --- Declarations ----------------------------------------------------------------

TKSInterpreterFunction::DeclaredType TKSInterpreterFunction::typeOfName(const std::string& name)
{
    DeclaredType type{name, simpleTypeCode(name), nullptr};
    if (type.code != 0) {
        type.dataType = simpleDataType(type.code);
    } else if (adapter().hasRecordType(name) || globalAdapter().hasRecordType(name)) {
        const TKSInterpreterAdapter* owner = adapter().hasRecordType(name) ? &adapter() : &globalAdapter();
        type.dataType = std::make_shared<TKSInterpreterRecordDataType>(owner, name);
        type.code = ksKinds().record;
    } else {
        type.dataType = simpleDataType(0);
    }
    return type;
}

TKSInterpreterFunction::DeclaredType TKSInterpreterFunction::readType()
{
    if (cc_ != tok::Array) {
        if (cc_ != tok::Identifier)
            expected(interpreterErrorText(kserr::TextIdentifier));
        DeclaredType type = typeOfName(tok_->text);
        nextToken();
        return type;
    }
    nextToken();
    std::vector<std::pair<int, int>> bounds;
    if (cc_ == tok::LBracket) {
        auto readBound = [this] {
            const bool negative = cc_ == tok::Minus;
            if (negative)
                nextToken();
            if (cc_ != tok::IntegerLit)
                expected("'..'");
            const int value = tok_->intValue;
            nextToken();
            return negative ? -value : value;
        };
        nextToken();
        commaList(tok::RBracket, "']'", [&] {
            const int low = readBound();
            if (cc_ != tok::DotDot)
                expected("'..'");
            nextToken();
            const int high = readBound();
            if (high < low)
                fail(kserr::InvalidRange, position());
            bounds.emplace_back(low, high);
            if (bounds.size() > std::size_t(TKSScriptArray::kMaxDimensions))
                fail(kserr::InvalidDimension, position());
        });
        nextToken();
        if (cc_ != tok::Of)
            expected("'of'");
    } else if (cc_ != tok::Of) {
        expected("'[' or 'Of'");
    } else {
        bounds.emplace_back(0, -1);
    }
    nextToken();
    if (cc_ != tok::Identifier)
        expected(interpreterErrorText(kserr::TextIdentifier));
    const DeclaredType element = typeOfName(tok_->text);
    nextToken();
    return {"array", ksKinds().array,
            std::make_shared<TKSInterpreterArrayDataType>(std::move(bounds), element.code, element.dataType)};
}

void TKSInterpreterFunction::addVariable(TKSInterpreterVar var, bool unitLevel)
{
    if (unitLevel) {
        var.unitName = currentUnit_;
        adapter().RegisterVariable(std::move(var));
    } else {
        frame()->vars.add(std::move(var));
    }
}

std::vector<const TKSToken*> TKSInterpreterFunction::namesAndType(DeclaredType& type)
{
    std::vector<const TKSToken*> names{tok_};
    nextToken();
    while (cc_ == tok::Comma) {
        nextToken();
        if (cc_ != tok::Identifier)
            expected(interpreterErrorText(kserr::TextIdentifier));
        names.push_back(tok_);
        nextToken();
    }
    if (cc_ != tok::Colon)
        expected("':'");
    nextToken();
    type = readType();
    if (cc_ != tok::Semicolon)
        expected("';'");
    nextToken();
    return names;
}

void TKSInterpreterFunction::varSection(bool unitLevel)
{
    nextToken();
    while (cc_ == tok::Identifier) {
        DeclaredType type;
        const std::vector<const TKSToken*> names = namesAndType(type);
        for (const TKSToken* name : names) {
            TKSInterpreterVar var;
            var.symbol = name->symbol;
            var.name = name->text;
            var.typeName = type.name;
            var.typeCode = type.code;
            var.dataType = type.dataType;
            var.value = type.dataType ? type.dataType->initialValue() : Variant();
            addVariable(std::move(var), unitLevel);
        }
    }
}

void TKSInterpreterFunction::constSection(bool unitLevel)
{
    nextToken();
    while (cc_ == tok::Identifier) {
        const TKSToken* name = tok_;
        nextToken();
        if (cc_ != tok::Equal)
            expected("=");
        nextToken();
        TKSInterpreterVar var;
        var.symbol = name->symbol;
        var.name = name->text;
        var.value = expression();
        var.typeCode = var.value.type();
        if (cc_ != tok::Semicolon)
            expected("';'");
        nextToken();
        addVariable(std::move(var), unitLevel);
    }
}

void TKSInterpreterFunction::declarations(bool unitLevel)
{
    for (;;) {
        if (cc_ == tok::Var)
            varSection(unitLevel);
        else if (cc_ == tok::Const)
            constSection(unitLevel);
        else if (cc_ == tok::Begin)
            return;
        else
            expected("'begin'");
    }
}

// --- Statements -------------------------------------------------------------------

void TKSInterpreterFunction::statement()
{
    checkNativeStack();
    statementHook();
    switch (cc_) {
    case tok::Identifier: assignmentOrCall(); break;
    case tok::Begin: compound(); break;
    case tok::If: ifStatement(); break;
    case tok::While: whileStatement(); break;
    case tok::Repeat: repeatStatement(); break;
    case tok::For: forStatement(); break;
    case tok::Case: caseStatement(); break;
    case tok::Try: tryStatement(); break;
    case tok::Raise: raiseStatement(); break;
    case tok::Break:
        breakFlag_ = true;
        nextToken();
        break;
    case tok::Continue:
        continueFlag_ = true;
        nextToken();
        break;
    case tok::Exit:
        exitFlag_ = true;
        nextToken();
        break;
    default: break;  // an empty statement
    }
}

void TKSInterpreterFunction::assignmentOrCall()
{
    if (peekCode() == tok::Colon) {
        // A plain variable target: no argument block, no object.
        const TKSToken* name = tok_;
        const int nameToken = cur_;
        if (appendAssignment(nameToken)) {
            if (!endsStatement(cc_))
                expected("';'");
            return;
        }
        Variant value;
        int endToken = 0;
        bool impure = false, stored = false;
        if (TKSInterpreterVar* target = locals_ ? fast_.assignment(nameToken, *locals_, kMaxOperands - pendingOperands_,
                                                                  value, endToken, impure, stored)
                                                : nullptr) {
            gotoToken(endToken);
            if (!stored)
                storeInto(target, value);
        } else {
            if (impure) {
                gotoToken(nameToken + 3);  // ':' and '=' were seen clean
            } else {
                nextToken();
                nextToken();
                if (cc_ != tok::Equal)
                    expected("'='");
                nextToken();
            }
            value = impure ? impureExpression() : expression();
            if (!storeLocalAt(nameToken, name->symbol, value)) {
                ArgsLease plain(*this);
                if (!SetValue(name->symbol, name->text, value, *plain))
                    fail(kserr::Undeclared, name->start, name->text);
            }
        }
        if (!endsStatement(cc_))
            expected("';'");
        return;
    }
    if (Variant ignored; fastCall(true, ignored)) {
        if (!endsStatement(cc_))
            expected("';'");
        return;
    }
    AssignTarget target;
    bool isTarget = false;
    identifierValue(Variant(), true, &target, &isTarget);
    if (isTarget) {
        nextToken();
        if (cc_ != tok::Equal)
            expected("'='");
        nextToken();
        assign(target);
    }
    if (!endsStatement(cc_))
        expected("';'");
}

bool TKSInterpreterFunction::appendToVariable(int nameToken)
{
    // `s := s + piece` with s a String variable of this frame: every token up
    // to '+' is clean and reading them has no effect but to yield s's value.
    const TKSToken* t = toks_ + nameToken;
    if (!locals_ || t[1].errorCode || t[2].errorCode || t[3].errorCode || t[4].errorCode || t[2].code != tok::Equal)
        return false;
    TKSInterpreterVar* var = fast_.findLocal(*locals_, nameToken, t[0].symbol);
    const int code = var ? var->typeCode & ~kstype::VarParam : -1;
    if (!var || var->value.type() != platform::varString ||
        (code != platform::varString && code != platform::varVariant && code != kstype::Untyped))
        return false;
    // From here on as the ordinary reading: the left operand, '+', the right
    // operand at the priority of '+', then whatever operators follow.
    checkNativeStack();
    Variant left = var->value;
    gotoToken(nameToken + 5);
    Variant right;
    {
        struct Pending {
            int& count;
            ~Pending() { --count; }
        } pending{++pendingOperands_};
        if (pendingOperands_ > kMaxOperands)
            fail(kserr::TooComplex, position());
        right = expression(InfixPriority(tok::Plus));
    }
    // The piece joins the variable's own text when the expression ends here,
    // both are texts and the variable still holds the text read as the left
    // operand (the right operand may have called routines).
    if (InfixPriority(cc_) == 0 && right.type() == platform::varString) {
        TKSInterpreterVar* target = fast_.findLocal(*locals_, nameToken, t[0].symbol);
        if (target && target->value.sharesStorageWith(left)) {
            left = Variant();
            if (target->value.appendToSoleString(right.stringValue()))
                return true;
            left = target->value;
        }
    }
    const Variant value = infixTail(combine(tok::Plus, left, right), 0);
    if (!storeLocalAt(nameToken, t[0].symbol, value)) {
        ArgsLease plain(*this);
        if (!SetValue(t[0].symbol, t[0].text, value, *plain))
            fail(kserr::Undeclared, t[0].start, t[0].text);
    }
    return true;
}

bool TKSInterpreterFunction::tryEventAssignment(AssignTarget& target)
{
    platform::Object* object = objectOf(target.args.object);
    if (!object || cc_ != tok::Identifier || !endsStatement(peekCode()))
        return false;
    auto routine = adapter().findSourceRoutine(currentUnit_, tok_->symbol);
    if (!routine || !platform::sameName(routine->unitName, currentUnit_))
        return false;
    const platform::PropInfo* prop = platform::findProperty(*object, target.name);
    if (prop && prop->kind() == platform::PropKind::Method) {
        std::shared_ptr<TKSInterpreterEvent> event;
        platform::MethodValue method = adapter().createEventBinding(currentUnit_, routine->identifier,
                                                                    prop->typeName(), currentInstance_, this, &event);
        if (!method)
            method = globalAdapter().createEventBinding(currentUnit_, routine->identifier, prop->typeName(),
                                                        currentInstance_, this, &event);
        if (!method)
            fail(kserr::EventNotRegistered, -1, prop->typeName());
        prop->setMethod(*object, std::move(method));
        events_.push_back(std::move(event));
        nextToken();
        return true;
    }
    if (adapter().hasEventProperty(object->classInfo(), target.name) ||
        globalAdapter().hasEventProperty(object->classInfo(), target.name)) {
        if (!SetValue(target.symbol, target.name, Variant(routine->identifier), target.args))
            fail(kserr::Undeclared, toks_[target.nameToken].start, target.name);
        nextToken();
        return true;
    }
    return false;
}

void TKSInterpreterFunction::assign(AssignTarget& target)
{
    if (target.args.hasObject() && tryEventAssignment(target))
        return;
    const Variant value = expression();
    const int nameStart = toks_[target.nameToken].start;
    if (!target.args.indexed) {
        if (!SetValue(target.symbol, target.name, value, target.args))
            fail(kserr::Undeclared, nameStart, target.name);
        return;
    }
    if (target.args.hasObject()) {
        ArgsLease indexed(*this);
        *indexed = target.args;
        if (SetValue(target.symbol, target.name, value, *indexed) && indexed->indexesConsumed)
            return;
    }
    // The container is read, updated element-wise and, for strings and variant
    // arrays (which are values, not references), stored back.
    ArgsLease plain(*this);
    plain->object = target.args.object;
    plain->objectKind = target.args.objectKind;
    Variant container;
    if (!GetValue(target.symbol, target.name, container, *plain))
        fail(kserr::Undeclared, nameStart, target.name);
    try {
        if (!SetElement(container, value, target.args))
            fail(kserr::ArrayRequired);
    } catch (const platform::VariantError&) {
        fail(kserr::TypeMismatch, position());
    }
    if (container.isString() || container.isArray()) {
        plain->clearCall();
        plain->object = target.args.object;
        plain->objectKind = target.args.objectKind;
        if (!SetValue(target.symbol, target.name, container, *plain))
            fail(kserr::Undeclared, nameStart, target.name);
    }
}

void TKSInterpreterFunction::runStatementList()
{
    for (;;) {
        statement();
        if (flagsSet()) {
            skipToMatchingEnd();
            return;
        }
        if (cc_ == tok::Semicolon) {
            statementHook();
            nextToken();
            continue;
        }
        if (cc_ == tok::End) {
            nextToken();
            return;
        }
        if (cc_ == tok::Else || cc_ == tok::Do)
            expected("statement");
        expected("'end'");
    }
}

void TKSInterpreterFunction::ifStatement()
{
    nextToken();
    const bool condition = evaluateTyped(platform::varBoolean, kserr::BooleanRequired).toBool();
    if (cc_ != tok::Then)
        expected("'then'");
    nextToken();
    if (condition) {
        statement();
        if (cc_ == tok::Else) {
            nextToken();
            skipStatement();
        }
    } else {
        skipStatement();
        if (cc_ == tok::Else) {
            nextToken();
            statement();
        }
    }
}

void TKSInterpreterFunction::whileStatement()
{
    const int afterWhile = position();
    pushState();
    struct Pop {
        std::vector<SavedState>& states;
        bool done = false;
        ~Pop()
        {
            if (!done)
                states.pop_back();
        }
    } pop{states_};
    nextToken();
    const int conditionToken = cur_;
    for (;;) {
        const bool condition = evaluateTyped(platform::varBoolean, kserr::BooleanRequired, afterWhile).toBool();
        if (cc_ != tok::Do)
            expected("'do'");
        if (!condition)
            break;
        nextToken();
        breakFlag_ = continueFlag_ = false;
        statement();
        if (breakFlag_ || exitFlag_)
            break;
        gotoToken(conditionToken);
    }
    pop.done = true;
    popState();  // back at 'while': the loop is skipped once to leave the lexer after it
    skipStatement();
    breakFlag_ = continueFlag_ = false;
}

void TKSInterpreterFunction::repeatStatement()
{
    const int repeatToken = cur_;
    nextToken();
    const int bodyToken = cur_;
    for (;;) {
        gotoToken(bodyToken);
        for (;;) {
            breakFlag_ = continueFlag_ = false;
            if (cc_ == tok::Until)
                break;
            statement();
            if (flagsSet())
                break;
            if (cc_ == tok::Semicolon) {
                statementHook();
                nextToken();
                continue;
            }
            if (cc_ == tok::Until)
                break;
            if (cc_ == tok::Else || cc_ == tok::Do)
                expected("statement");
            expected("'until'");
        }
        if (breakFlag_ || exitFlag_)
            break;
        if (continueFlag_) {
            continueFlag_ = false;
            skipUntil(tok::Until, "'until'");
        }
        nextToken();
        if (evaluateTyped(platform::varBoolean, kserr::BooleanRequired).toBool())
            break;
    }
    gotoToken(repeatToken);
    skipStatement();
    breakFlag_ = continueFlag_ = false;
}

void TKSInterpreterFunction::forStatement()
{
    const int forToken = cur_;
    nextToken();
    if (cc_ != tok::Identifier)
        expected(interpreterErrorText(kserr::TextIdentifier));
    const TKSToken* var = tok_;
    nextToken();
    if (cc_ != tok::Colon)
        expected("':'");
    nextToken();
    if (cc_ != tok::Equal)
        expected("'='");
    nextToken();
    const long long first = evaluateTyped(platform::varInteger, kserr::IntegerRequired).toInteger();
    if (cc_ != tok::To && cc_ != tok::Downto)
        expected("'to' or 'downto'");
    const bool down = cc_ == tok::Downto;
    nextToken();
    const long long last = evaluateTyped(platform::varInteger, kserr::IntegerRequired).toInteger();
    if (cc_ != tok::Do)
        expected("'do'");
    nextToken();
    const int bodyToken = cur_;
    ArgsLease plain(*this);
    for (long long v = first; down ? v >= last : v <= last; v += down ? -1 : 1) {
        gotoToken(bodyToken);
        // An Integer variable takes the value in place, as store() would.
        TKSInterpreterVar* counter = locals_ ? fast_.findLocal(*locals_, forToken + 1, var->symbol) : nullptr;
        if (counter && counter->typeCode == platform::varInteger && counter->value.type() == platform::varInteger)
            counter->value.setInteger(int(v));
        else if (!storeInto(counter, Variant(int(v)))) {
            plain->clearCall();
            if (!SetValue(var->symbol, var->text, Variant(int(v)), *plain))
                fail(kserr::Undeclared, var->start, var->text);
        }
        breakFlag_ = continueFlag_ = false;
        statement();
        if (breakFlag_ || exitFlag_)
            break;
    }
    gotoToken(forToken);
    skipStatement();
    breakFlag_ = continueFlag_ = false;
}

void TKSInterpreterFunction::caseStatement()
{
    nextToken();
    const int selector = evaluateTyped(platform::varInteger, kserr::IntegerRequired).toInteger();
    if (cc_ != tok::Of)
        expected("'of'");
    nextToken();
    for (;;) {
        if (cc_ == tok::End) {
            nextToken();
            return;
        }
        if (cc_ == tok::Else) {
            nextToken();
            statement();
            skipToMatchingEnd();
            return;
        }
        if (cc_ != tok::Identifier && cc_ != tok::IntegerLit)
            expected("'end'");
        bool hit = false;
        commaList(tok::Colon, "':'", [&] {
            const int low = evaluateTyped(platform::varInteger, kserr::IntegerRequired).toInteger();
            int high = low;
            if (cc_ == tok::DotDot) {
                nextToken();
                high = evaluateTyped(platform::varInteger, kserr::IntegerRequired).toInteger();
            }
            hit = hit || (selector >= low && selector <= high);
        });
        nextToken();
        if (hit) {
            statement();
            skipToMatchingEnd();
            return;
        }
        skipStatement();
        if (cc_ == tok::Semicolon)
            nextToken();
    }
}

int TKSInterpreterFunction::findHandlerStart(int tryToken)
{
    int depth = 0;
    for (int i = tryToken + 1; i < tokenCount_; ++i) {
        const TKSToken& t = toks_[i];
        if (t.errorCode || t.code == tok::EndOfText) {
            gotoToken(i);
            expected("'end'");
        }
        if (opensBlock(t.code))
            ++depth;
        else if (t.code == tok::End && --depth < 0) {
            gotoToken(i);
            expected("'finally'");
        } else if (depth == 0 && (t.code == tok::Finally || t.code == tok::Except))
            return i;
    }
    gotoToken(tokenCount_ - 1);
    expected("'end'");
}

void TKSInterpreterFunction::tryStatement()
{
    const int tryToken = cur_;
    nextToken();
    std::exception_ptr pending;
    try {
        for (;;) {
            if (cc_ == tok::Finally || cc_ == tok::Except)
                break;
            statement();
            if (flagsSet()) {
                gotoToken(findHandlerStart(tryToken));
                break;
            }
            if (cc_ == tok::Semicolon) {
                statementHook();
                nextToken();
                continue;
            }
            if (cc_ == tok::Finally || cc_ == tok::Except)
                break;
            expected("'finally'");
        }
    } catch (...) {
        pending = std::current_exception();
        gotoToken(findHandlerStart(tryToken));
    }
    if (cc_ == tok::Finally) {
        nextToken();
        const bool savedBreak = breakFlag_, savedContinue = continueFlag_, savedExit = exitFlag_;
        breakFlag_ = continueFlag_ = exitFlag_ = false;
        runStatementList();
        breakFlag_ = breakFlag_ || savedBreak;
        continueFlag_ = continueFlag_ || savedContinue;
        exitFlag_ = exitFlag_ || savedExit;
        if (pending)
            std::rethrow_exception(pending);
        return;
    }
    nextToken();
    if (!pending) {
        skipToMatchingEnd();
        return;
    }
    exceptPart(pending);
}

void TKSInterpreterFunction::exceptPart(std::exception_ptr pending)
{
    // The token after the whole try statement, where every handler path ends.
    const int handlerStart = cur_;
    skipToMatchingEnd();
    const int tryEnd = cur_;
    gotoToken(handlerStart);

    bool handled = false, reraise = false;
    auto runHandler = [&](auto&& body) {
        handled = true;
        try {
            body();
        } catch (const EKSInterpreterError& e) {
            if (e.code == kserr::ReRaise)
                reraise = true;  // a bare raise: the handled exception goes on after the handler
        }
    };
    if (cc_ != tok::On) {
        runHandler([&] { runStatementList(); });
    } else {
        for (;;) {
            if (cc_ == tok::On) {
                nextToken();
                const TKSToken* name = nullptr;
                if (cc_ == tok::Identifier && peekCode() == tok::Colon) {
                    name = tok_;
                    nextToken();
                    nextToken();
                }
                if (cc_ != tok::Identifier)
                    fail(kserr::ClassRequired, tokenStart());
                const Variant classValue = identifierValue(Variant(), false, nullptr, nullptr);
                const platform::ClassInfo* cls = classOf(classValue);
                if (!cls)
                    fail(kserr::ClassRequired, position());
                if (cc_ != tok::Do)
                    expected("'do'");
                nextToken();
                Variant exceptionObject;
                if (exceptionMatches(pending, *cls, exceptionObject)) {
                    runHandler([&] {
                        if (!name || frameDepth_ == 0) {
                            statement();
                            return;
                        }
                        TKSInterpreterVar var;
                        var.symbol = name->symbol;
                        var.name = name->text;
                        var.value = exceptionObject;
                        frame()->vars.push(std::move(var));
                        struct Remove {
                            TKSInterpreterFunction& self;
                            ~Remove() { self.frame()->vars.removeNewest(); }
                        } remove{*this};
                        statement();
                    });
                    break;
                }
                skipStatement();
                if (cc_ == tok::Semicolon)
                    nextToken();
                continue;
            }
            if (cc_ == tok::Else) {
                nextToken();
                runHandler([&] { statement(); });
                break;
            }
            if (cc_ == tok::End)
                break;
            expected("'end'");
        }
    }
    gotoToken(tryEnd);
    if (!handled || reraise)
        std::rethrow_exception(pending);
}

void TKSInterpreterFunction::raiseStatement()
{
    nextToken();
    switch (cc_) {
    case tok::Semicolon:
    case tok::Begin:
    case tok::End:
    case tok::Else:
    case tok::Finally:
    case tok::Except:
    case tok::EndOfText: fail(kserr::ReRaise);
    default: break;
    }
    if (cc_ == tok::Identifier) {
        const int start = cur_;
        lastCreated_ = nullptr;
        Variant object = identifierValue(Variant(), false, nullptr, nullptr);
        if (isObjectValue(object)) {
            adoptRaisedObject(object, start);
            throw TKSScriptException(std::move(object));
        }
    }
    fail(kserr::ClassRequired, position());
}

void TKSInterpreterFunction::adoptRaisedObject(Variant& object, int start)
{
    // `raise Class.Create...(...)`: the constructor's object has no other
    // reference, so the exception owns it and it goes with the last handler
    // name that holds it. An object raised from a variable stays the
    // script's: another name may still use it after the handler.
    platform::Object* o = objectOf(object);
    if (!o || o != lastCreated_ || object.holder() || start + 2 >= tokenCount_ ||
        toks_[start + 1].code != tok::Dot || toks_[start + 2].code != tok::Identifier)
        return;
    const TKSFastExpressions::CallShape* call = fast_.callShape(start + 2);
    if (!call || call->after != cur_)
        return;
    forgetCreatedObject(o);
    object = makeObjectValue(o, std::shared_ptr<platform::Object>(o));
}

// --- Skipping ---------------------------------------------------------------------

void TKSInterpreterFunction::skipToMatchingEnd()
{
    int depth = 1;
    for (;;) {
        if (cc_ == tok::EndOfText)
            expected("'end'");
        if (opensBlock(cc_)) {
            ++depth;
        } else if (cc_ == tok::End && --depth == 0) {
            nextToken();
            return;
        }
        nextToken();
    }
}

void TKSInterpreterFunction::skipUntil(int code, std::string_view expectedText)
{
    while (cc_ != code) {
        if (cc_ == tok::EndOfText)
            expected(expectedText);
        const int before = cur_;
        if (cc_ == tok::Semicolon)
            nextToken();
        else
            skipStatement();
        if (cur_ == before)
            nextToken();
    }
}

void TKSInterpreterFunction::skipExpression()
{
    for (;;) {
        switch (cc_) {
        case tok::Identifier:
        case tok::IntegerLit:
        case tok::FloatLit:
        case tok::StringLit:
        case tok::True:
        case tok::False:
        case tok::Not:
        case tok::Star:
        case tok::Slash:
        case tok::Div:
        case tok::Mod:
        case tok::And:
        case tok::Plus:
        case tok::Minus:
        case tok::Or:
        case tok::Equal:
        case tok::Greater:
        case tok::Less:
        case tok::NotEqual:
        case tok::GreaterEqual:
        case tok::LessEqual:
        case tok::LParen:
        case tok::RParen:
        case tok::Comma:
        case tok::Dot:
        case tok::Colon:
        case tok::LBracket:
        case tok::RBracket:
        case tok::DotDot:
            nextToken();
            break;
        case tok::EndOfText: expected("'end'");
        default: return;
        }
    }
}

void TKSInterpreterFunction::skipStatement()
{
    checkNativeStack();
    switch (cc_) {
    case tok::Begin:
    case tok::Try:
    case tok::Case:
        nextToken();
        skipToMatchingEnd();
        return;
    case tok::If:
        nextToken();
        skipExpression();
        if (cc_ != tok::Then)
            expected("'then'");
        nextToken();
        skipStatement();
        if (cc_ == tok::Else) {
            nextToken();
            skipStatement();
        }
        return;
    case tok::While:
    case tok::For:
        while (cc_ != tok::Do) {
            if (cc_ == tok::EndOfText)
                expected("'end'");
            nextToken();
        }
        nextToken();
        skipStatement();
        return;
    case tok::Repeat:
        nextToken();
        skipUntil(tok::Until, "'until'");
        nextToken();
        skipExpression();
        return;
    case tok::Raise:
    case tok::Break:
    case tok::Continue:
    case tok::Exit:
        nextToken();
        skipExpression();
        return;
    case tok::EndOfText: expected("'end'");
    default: skipExpression(); return;
    }
}
