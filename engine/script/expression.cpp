// Expression evaluation: precedence climbing over the token stream, operators,
// set constructors, identifier lookup with arguments, indexes and member chains.
#include "script/expression.h"

#include "script/array.h"
#include "script/symbols.h"

#include <pthread.h>

#include <stdexcept>

int InfixPriority(int code)
{
    switch (code) {
    case tok::Star:
    case tok::Slash:
    case tok::Div:
    case tok::Mod: return 6;
    case tok::And: return 5;
    case tok::Plus:
    case tok::Minus:
    case tok::Or: return 4;
    case tok::Equal:
    case tok::NotEqual:
    case tok::Less:
    case tok::Greater: return 3;
    case tok::LessEqual:
    case tok::GreaterEqual: return 2;
    default: return 0;
    }
}

namespace {

constexpr int kPrefixPriority = 8;

// The lowest usable stack address of this thread, with room left for error handling.
const char* nativeStackLimit()
{
    thread_local const char* limit = [] {
        pthread_attr_t attr;
        void* base = nullptr;
        std::size_t size = 0;
        if (pthread_getattr_np(pthread_self(), &attr) != 0)
            return static_cast<const char*>(nullptr);
        pthread_attr_getstack(&attr, &base, &size);
        pthread_attr_destroy(&attr);
        const std::size_t reserve = std::max<std::size_t>(size / 4, 256 * 1024);
        return static_cast<const char*>(base) + std::min(reserve, size);
    }();
    return limit;
}

// Comparison of references: empty and nil-like values count as payload 0.
bool referencesEqual(const Variant& l, const Variant& r)
{
    auto comparable = [](const Variant& v) {
        return v.isCustom() || v.isEmpty() || v.type() == platform::varDispatch || v.type() == platform::varUnknown;
    };
    if (!comparable(l) || !comparable(r))
        return false;
    return l.payload() == r.payload();
}

struct PendingOperand {
    int& count;
    explicit PendingOperand(int& c) : count(c) { ++count; }
    ~PendingOperand() { --count; }
};

} // namespace

TKSInterpreterExpression::ArgsLease::ArgsLease(TKSInterpreterExpression& owner) : owner_(owner)
{
    auto& pool = owner.argsPool_;
    if (std::size_t(owner.argsDepth_) == pool.size())
        pool.push_back(std::make_unique<TKSInterpreterArgs>());
    args_ = pool[std::size_t(owner.argsDepth_++)].get();
    args_->clearCall();
    args_->symbol = -1;
}

TKSInterpreterExpression::TKSInterpreterExpression()
    : adapter_(std::make_unique<TKSInterpreterAdapter>()), global_(&TKSInterpreterAdapter::global())
{
    useStream(TKSInterpreterParser::tokenize({}));
}

TKSInterpreterExpression::~TKSInterpreterExpression() = default;

void TKSInterpreterExpression::setSource(std::string text)
{
    source_ = std::move(text);
    useStream(TKSInterpreterParser::tokenize(source_));
}

void TKSInterpreterExpression::useStream(std::shared_ptr<const TKSTokenStream> stream)
{
    stream_ = std::move(stream);
    fast_.use(stream_);
    toks_ = stream_->tokens.data();
    tokenCount_ = int(stream_->tokens.size());
    cur_ = 0;
    tok_ = &toks_[0];
    cc_ = tok_->code;
}

void TKSInterpreterExpression::raiseTokenError() const
{
    throw EKSInterpreterError(tok_->errorCode, tok_->errorPosition, tok_->text);
}

std::string TKSInterpreterExpression::foundText() const
{
    if (cc_ == tok::EndOfText)
        return std::string(interpreterErrorText(kserr::TextEndOfFile));
    return "'" + tok_->text + "'";
}

void TKSInterpreterExpression::expected(std::string_view what) const
{
    throw EKSInterpreterError(kserr::Expected, tokenStart(), std::string(what), foundText());
}

void TKSInterpreterExpression::fail(int code, int pos, std::string name1, std::string name2) const
{
    throw EKSInterpreterError(code, pos, std::move(name1), std::move(name2));
}

void TKSInterpreterExpression::nativeStackExhausted() const
{
    fail(kserr::TooComplex, position());
}

void TKSInterpreterExpression::reset()
{
    result_ = Variant::null();
    pendingOperands_ = 0;
    argsDepth_ = 0;
    if (stream_->source != source_)
        useStream(TKSInterpreterParser::tokenize(source_));
    gotoToken(0);
    lastError_ = EKSInterpreterError(0);
    recordedHostError_ = nullptr;
    assignmentAllowed_ = true;
    nativeStackLimit_ = nativeStackLimit();  // the thread that runs the script
}

Variant TKSInterpreterExpression::Run()
{
    reset();
    return runReportingErrors([this] { result_ = expression(); });
}

void TKSInterpreterExpression::applyPosition(EKSInterpreterError& error)
{
    error.applyPosition(position(), currentUnit_, stream_->source);
}

void TKSInterpreterExpression::recordHostError(const std::exception& error)
{
    if (recordedHostError_ == &error)
        return;
    recordedHostError_ = &error;
    EKSInterpreterError recorded(kserr::ExternalInUnit, -1);
    recorded.messageWithoutPosition = recorded.message = error.what();
    applyPosition(recorded);
    lastError_ = recorded;
}

// --- Evaluation -------------------------------------------------------------

Variant TKSInterpreterExpression::expression(int callerPriority)
{
    if (callerPriority == 0 && locals_) {
        Variant value;
        int endToken = 0;
        if (fast_.evaluate(cur_, locals_, kMaxOperands - pendingOperands_, value, endToken)) {
            gotoToken(endToken);
            return value;
        }
        return impureExpression();
    }
    checkNativeStack();
    return infixTail(operand(), callerPriority);
}

Variant TKSInterpreterExpression::impureExpression()
{
    // A call first: what follows it is read as operand() would leave it.
    const int start = cur_;
    if (Variant left; locals_ && cc_ == tok::Identifier && fastCall(false, left)) {
        if (isOperandToken(cc_))
            fail(kserr::MissingOperator, position());
        Variant value;
        int endToken = 0;
        if (fast_.evaluateAfterCall(start, left, locals_, kMaxOperands - pendingOperands_, value, endToken)) {
            gotoToken(endToken);
            return value;
        }
        return infixTail(std::move(left), 0);
    }
    checkNativeStack();
    return infixTail(operand(), 0);
}

Variant TKSInterpreterExpression::infixTail(Variant left, int callerPriority)
{
    for (;;) {
        const int priority = InfixPriority(cc_);
        if (priority == 0 || priority <= callerPriority)
            return left;
        const int op = cc_;
        nextToken();
        PendingOperand pending(pendingOperands_);
        if (pendingOperands_ > kMaxOperands)
            fail(kserr::TooComplex, position());
        Variant right = expression(priority);
        left = combine(op, left, right);
    }
}

Variant TKSInterpreterExpression::operand()
{
    Variant value;
    switch (cc_) {
    case tok::IntegerLit:
    case tok::FloatLit:
    case tok::StringLit:
    case tok::True:
    case tok::False:
        value = tok_->value;
        nextToken();
        break;
    case tok::Identifier:
        if (!fastCall(false, value))
            value = identifierValue(Variant(), false, nullptr, nullptr);
        break;
    case tok::Minus:
    case tok::Plus: {
        const bool minus = cc_ == tok::Minus;
        nextToken();
        value = expression(kPrefixPriority);
        if (minus) {
            try {
                if (value.type() == platform::varInteger && value.toInteger() != INT32_MIN)
                    return Variant(-value.toInteger());
                return platform::negate(value);
            } catch (const platform::VariantError&) {
                fail(kserr::TypeMismatch, position());
            }
        }
        return value;
    }
    case tok::Not:
        nextToken();
        value = expression(kPrefixPriority);
        try {
            return platform::notValue(value);
        } catch (const platform::VariantError&) {
            fail(kserr::TypeMismatch, position());
        }
    case tok::LParen:
        nextToken();
        value = expression();
        if (cc_ != tok::RParen)
            expected("')'");
        nextToken();
        break;
    case tok::LBracket:
        value = setConstructor();
        break;
    default:
        expected(interpreterErrorText(kserr::TextExpression));
    }
    if (isOperandToken(cc_))
        fail(kserr::MissingOperator, position());
    return value;
}

Variant TKSInterpreterExpression::combine(int op, const Variant& left, const Variant& right)
{
    if (left.type() == platform::varInteger && right.type() == platform::varInteger) {
        const int32_t a = int32_t(left.integerBits()), b = int32_t(right.integerBits());
        int32_t r;
        switch (op) {
        case tok::Plus:
            if (!__builtin_add_overflow(a, b, &r))
                return Variant(int(r));
            break;
        case tok::Minus:
            if (!__builtin_sub_overflow(a, b, &r))
                return Variant(int(r));
            break;
        case tok::Star:
            if (!__builtin_mul_overflow(a, b, &r))
                return Variant(int(r));
            break;
        case tok::Div:
            if (b != 0 && !(a == INT32_MIN && b == -1))
                return Variant(int(a / b));
            break;
        case tok::Mod:
            if (b != 0 && b != -1)
                return Variant(int(a % b));
            break;
        case tok::Equal: return Variant(a == b);
        case tok::NotEqual: return Variant(a != b);
        case tok::Less: return Variant(a < b);
        case tok::Greater: return Variant(a > b);
        case tok::LessEqual: return Variant(a <= b);
        case tok::GreaterEqual: return Variant(a >= b);
        default: break;
        }
    }
    using platform::VarOp;
    using platform::VarCompare;
    try {
        switch (op) {
        case tok::Plus:
            if (isSetValue(left) && isSetValue(right))
                return makeSetValue(setMaskOf(left) | setMaskOf(right));
            return platform::binaryOp(VarOp::Add, left, right);
        case tok::Minus:
            if (isSetValue(left) && isSetValue(right))
                return makeSetValue(setMaskOf(left) & ~setMaskOf(right));
            return platform::binaryOp(VarOp::Subtract, left, right);
        case tok::Star: return platform::binaryOp(VarOp::Multiply, left, right);
        case tok::Slash: return platform::binaryOp(VarOp::Divide, left, right);
        case tok::Div: return platform::binaryOp(VarOp::IntDivide, left, right);
        case tok::Mod: return platform::binaryOp(VarOp::Modulus, left, right);
        case tok::And: return platform::binaryOp(VarOp::And, left, right);
        case tok::Or: return platform::binaryOp(VarOp::Or, left, right);
        case tok::Equal:
        case tok::NotEqual: {
            const bool references = isPayloadCompared(left) || isPayloadCompared(right) ||
                                    left.type() == platform::varUnknown || right.type() == platform::varUnknown ||
                                    left.type() == platform::varDispatch || right.type() == platform::varDispatch;
            const bool equal = references ? referencesEqual(left, right)
                                          : platform::compare(VarCompare::Equal, left, right);
            return Variant(op == tok::Equal ? equal : !equal);
        }
        case tok::Less: return Variant(platform::compare(VarCompare::Less, left, right));
        case tok::Greater: return Variant(platform::compare(VarCompare::Greater, left, right));
        case tok::LessEqual: return Variant(platform::compare(VarCompare::LessEqual, left, right));
        case tok::GreaterEqual: return Variant(platform::compare(VarCompare::GreaterEqual, left, right));
        default: break;
        }
    } catch (const platform::VariantError& e) {
        // Division by zero and overflow are arithmetic faults, not type errors:
        // they travel on as host exceptions (recorded as error 6).
        if (e.kind() == platform::VariantError::Kind::DivisionByZero ||
            e.kind() == platform::VariantError::Kind::Overflow)
            throw;
        fail(kserr::TypeMismatch, position());
    }
    fail(kserr::Internal, position(), "unknown operator");
}

Variant TKSInterpreterExpression::setConstructor()
{
    uint32_t mask = 0;
    nextToken();
    if (cc_ != tok::RBracket) {
        commaList(tok::RBracket, "']'", [&] {
            int element = 0;
            if (cc_ == tok::IntegerLit) {
                element = tok_->intValue;
                nextToken();
            } else if (cc_ == tok::Identifier) {
                Variant v = identifierValue(Variant(), false, nullptr, nullptr);
                if (v.type() != platform::varInteger)
                    fail(kserr::IntegerRequired, position());
                element = v.toInteger();
            } else {
                fail(kserr::IntegerRequired, position());
            }
            mask |= 1u << (unsigned(element) & 31u);
        });
    }
    nextToken();
    return makeSetValue(mask);
}

void TKSInterpreterExpression::readArguments(TKSInterpreterArgs& args, int closer)
{
    nextToken();
    if (cc_ == closer)
        return;
    commaList(closer, closer == tok::RParen ? "')'" : "']'", [&] {
        // The variable an argument was written as (for var parameters).
        const int after = peekCode();
        const TKSToken* name = cc_ == tok::Identifier && (after == tok::Comma || after == closer) ? tok_ : nullptr;
        Variant value;
        if (cc_ == tok::LBracket) {
            // An array literal: a variant array of the listed values.
            std::vector<Variant> items;
            nextToken();
            if (cc_ != tok::RBracket)
                commaList(tok::RBracket, "']'", [&] { items.push_back(expression()); });
            nextToken();
            value = Variant::arrayOf(std::move(items));
        } else {
            value = expression();
        }
        args.pushValue(std::move(value));
        if (name)
            args.names[std::size_t(args.count - 1)] = name->text;
    });
}

Variant TKSInterpreterExpression::identifierValue(const Variant& object, bool statementLevel, AssignTarget* target,
                                                  bool* isTarget)
{
    checkNativeStack();
    const TKSToken* name = tok_;
    const int nameIndex = cur_;
    ArgsLease args(*this);
    nextToken();
    if (cc_ == tok::LBracket)
        args->indexed = true;
    if (cc_ == tok::LParen || cc_ == tok::LBracket) {
        readArguments(*args, cc_ == tok::LParen ? tok::RParen : tok::RBracket);
        nextToken();
    }
    args->object = object;
    args->objectKind = object.isEmpty() ? 0 : int(object.type());
    if (statementLevel && cc_ == tok::Colon && assignmentAllowed_) {
        target->symbol = name->symbol;
        target->name = name->text;
        target->nameToken = nameIndex;
        target->args = *args;
        *isTarget = true;
        return Variant();
    }
    args->resultUsed = !statementLevel || cc_ == tok::Dot;
    Variant value;
    if (!GetValue(name->symbol, name->text, value, *args))
        fail(kserr::Undeclared, name->start, name->text);
    if (isRecordValue(value) && !adapter_->bindRecord(value) && !global_->bindRecord(value))
        fail(kserr::RecordNotDefined, -1, "Unknown RecordType");
    if (args->hasVarArgs)
        writeBackVarArguments(*args);
    if (args->indexed && !args->indexesConsumed) {
        Variant container = std::move(value);
        if (!GetElement(container, value, *args))
            fail(kserr::ArrayRequired);
    }
    if (cc_ != tok::Dot)
        return value;
    nextToken();
    if (cc_ != tok::Identifier)
        expected(interpreterErrorText(kserr::TextIdentifier));
    const bool member = isObjectValue(value) || isClassValue(value) || isRecordValue(value) ||
                        value.type() == platform::varDispatch || value.type() == platform::varUnknown ||
                        adapter_->sourceUnitOf(value);
    if (!member)
        fail(kserr::RecordObjectClassRequired);
    return identifierValue(value, statementLevel, target, isTarget);
}

void TKSInterpreterExpression::writeBackVarArguments(const TKSInterpreterArgs& args)
{
    for (int i = 0; i < args.count; ++i) {
        const std::string& name = args.names[std::size_t(i)];
        if (name.empty() || !(args.types[std::size_t(i)] & kstype::VarParam))
            continue;
        ArgsLease plain(*this);
        if (!SetValue(internSymbol(name), name, args.values[std::size_t(i)], *plain))
            fail(kserr::Undeclared, -1, name);
    }
}

Variant TKSInterpreterExpression::evaluateTyped(int typeCode, int errorCode, int errorPosition)
{
    const bool saved = assignmentAllowed_;
    assignmentAllowed_ = false;
    Variant value = expression();
    assignmentAllowed_ = saved;
    if (value.type() != typeCode)
        fail(errorCode, errorPosition);
    return value;
}

// --- Name resolution ------------------------------------------------------------

bool TKSInterpreterExpression::GetValue(int symbol, const std::string& identifier, Variant& value,
                                        TKSInterpreterArgs& args)
{
    if (adapter_->GetValue(*this, symbol, identifier, args, value))
        return true;
    if (global_->GetValue(*this, symbol, identifier, args, value))
        return true;
    return OnGetValue && OnGetValue(*this, identifier, value, args);
}

bool TKSInterpreterExpression::SetValue(int symbol, const std::string& identifier, const Variant& value,
                                        TKSInterpreterArgs& args)
{
    try {
        if (adapter_->SetValue(*this, symbol, identifier, args, value))
            return true;
        if (global_->SetValue(*this, symbol, identifier, args, value))
            return true;
    } catch (EKSInterpreterError& e) {
        if (e.position == -1)
            e.position = tokenStart();
        throw;
    }
    return OnSetValue && OnSetValue(*this, identifier, value, args);
}

namespace {

std::vector<int> indexList(const TKSInterpreterArgs& args)
{
    std::vector<int> indexes;
    for (int i = 0; i < args.count; ++i)
        indexes.push_back(args.values[std::size_t(i)].toInteger());
    return indexes;
}

void checkVariantArrayIndexes(const Variant& array, const std::vector<int>& indexes)
{
    if (int(indexes.size()) > array.dimCount())
        throw EKSInterpreterError(kserr::TooManyBounds);
    if (int(indexes.size()) < array.dimCount())
        throw EKSInterpreterError(kserr::NotEnoughBounds);
    for (int d = 0; d < array.dimCount(); ++d) {
        const platform::ArrayBound b = array.bounds(d + 1);
        if (indexes[std::size_t(d)] < b.low || indexes[std::size_t(d)] > b.high)
            throw EKSInterpreterError(kserr::IndexOutOfBounds);
    }
}

std::size_t stringIndex(const std::string& text, const TKSInterpreterArgs& args)
{
    if (args.count > 1)
        throw EKSInterpreterError(kserr::TooManyBounds);
    // Outside 1..length the string has no character: a range error like an empty string.
    const int index = args.values[0].toInteger();
    if (text.empty() || index < 1 || std::size_t(index) > text.size())
        throw std::out_of_range("range check error");
    return std::size_t(index - 1);
}

} // namespace

bool TKSInterpreterExpression::GetElement(const Variant& container, Variant& value, TKSInterpreterArgs& args)
{
    if (args.count < 1)
        return false;
    if (container.isString()) {
        const std::string& text = container.stringValue();
        value = Variant(std::string(1, text[stringIndex(text, args)]));
        return true;
    }
    if (TKSScriptArray* array = arrayOf(container)) {
        value = array->get(std::span<const Variant>(args.values.data(), std::size_t(args.count)));
        return true;
    }
    if (container.isArray()) {
        const std::vector<int> indexes = indexList(args);
        checkVariantArrayIndexes(container, indexes);
        value = container.at(indexes);
        return true;
    }
    if (objectOf(container) || classOf(container))
        return adapter_->GetElement(*this, container, args, value) ||
               global_->GetElement(*this, container, args, value);
    return false;
}

bool TKSInterpreterExpression::SetElement(Variant& container, const Variant& value, TKSInterpreterArgs& args)
{
    if (args.count < 1)
        return false;
    if (container.isString()) {
        std::string text = container.stringValue();
        const std::string replacement = value.toString();
        text[stringIndex(text, args)] = replacement.empty() ? '\0' : replacement[0];
        container = Variant(std::move(text));
        return true;
    }
    if (TKSScriptArray* array = arrayOf(container)) {
        array->set(std::span<const Variant>(args.values.data(), std::size_t(args.count)), value);
        return true;
    }
    if (container.isArray()) {
        const std::vector<int> indexes = indexList(args);
        checkVariantArrayIndexes(container, indexes);
        container.setAt(indexes, value);
        return true;
    }
    if (objectOf(container) || classOf(container))
        return adapter_->SetElement(*this, container, args, value) ||
               global_->SetElement(*this, container, args, value);
    return false;
}

Variant TKSInterpreterExpression::callRoutine(const std::string& name, const std::vector<Variant>& values)
{
    return callRoutine(nullptr, {}, name, nullptr, values);
}

Variant TKSInterpreterExpression::callRoutine(platform::Object*, const std::string&, const std::string& name,
                                              TKSInterpreterArgs*, const std::vector<Variant>&)
{
    throw EKSInterpreterError(kserr::Undeclared, -1, name);
}

Variant TKSInterpreterExpression::callExternalRoutine(const TKSInterpreterFunDesc& routine, TKSInterpreterArgs&)
{
    throw EKSInterpreterError(kserr::LibraryLoad, -1, routine.library);
}
