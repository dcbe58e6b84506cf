// Pure expressions compiled once per token into postfix code and run on a
// small stack of Integers and Booleans; anything else is left to the caller.
#include "script/fastexpr.h"

#include "script/expression.h"
#include "script/record.h"

#include <algorithm>
#include <climits>
#include <functional>

using platform::Variant;

namespace {

constexpr int kPrefixPriority = 8;
constexpr int kMaxNesting = 16;

using Slot = TKSFastExpressions::Scalar;

// Integer op Integer as the ordinary evaluator computes it without leaving
// 32 bits; false for every case it hands on to the general variant rules.
[[gnu::always_inline]] inline bool integerOp(int op, int32_t a, int32_t b, Slot& out)
{
    out.boolean = false;
    switch (op) {
    case tok::Plus: return !__builtin_add_overflow(a, b, &out.v);
    case tok::Minus: return !__builtin_sub_overflow(a, b, &out.v);
    case tok::Star: return !__builtin_mul_overflow(a, b, &out.v);
    case tok::Div:
        if (b == 0 || (a == INT32_MIN && b == -1))
            return false;
        out.v = a / b;
        return true;
    case tok::Mod:
        if (b == 0 || b == -1)
            return false;
        out.v = a % b;
        return true;
    default: break;
    }
    out.boolean = true;
    switch (op) {
    case tok::Equal: out.v = a == b; return true;
    case tok::NotEqual: out.v = a != b; return true;
    case tok::Less: out.v = a < b; return true;
    case tok::Greater: out.v = a > b; return true;
    case tok::LessEqual: out.v = a <= b; return true;
    case tok::GreaterEqual: out.v = a >= b; return true;
    default: return false;
    }
}

} // namespace

void TKSFastExpressions::use(const std::shared_ptr<const TKSTokenStream>& stream)
{
    if (table_ && table_->stream == stream)
        return;
    if (tables_.size() > 32 && !tables_.count(stream.get()))
        clear();  // streams of sources set again and again: start afresh
    StreamTable& table = tables_[stream.get()];
    if (!table.stream) {
        table.stream = stream;
        table.byToken.assign(stream->tokens.size(), {kUnknown, kUnknown, kUnknown, -1});
    }
    table_ = &table;
}

void TKSFastExpressions::clear()
{
    tables_.clear();
    table_ = nullptr;
}

bool TKSFastExpressions::evaluate(int start, TKSInterpreterVarList* locals, int pendingRoom, Variant& value,
                                  int& endToken)
{
    if (!locals || !table_)
        return false;
    const Compiled* compiled = compiledAt(start);
    if (!compiled)
        return false;
    const Compiled& code = *compiled;
    if (code.ops.size() == 1 && code.ops[0].kind == OpKind::Local) {
        // A lone name (an argument, say): the variable's value as it is; a
        // record is left to the ordinary reading, which checks its type.
        const TKSInterpreterVar* var = locals->findCached(code.ops[0].value, code.ops[0].slot);
        if (!var || isRecordValue(var->value))
            return false;
        value = var->value;
    } else if (code.maxPending > pendingRoom || !run(code, *locals, nullptr, value)) {
        return false;
    }
    endToken = code.endToken;
    return true;
}

TKSInterpreterVar* TKSFastExpressions::assignment(int nameToken, TKSInterpreterVarList& locals, int pendingRoom,
                                                  Variant& value, int& endToken, bool& impure, bool& stored)
{
    impure = stored = false;
    if (!table_)
        return nullptr;
    const std::vector<TKSToken>& toks = table_->stream->tokens;
    const std::size_t start = std::size_t(nameToken) + 3;
    if (start >= toks.size())
        return nullptr;
    // The ordinary reading steps on ':' and '=' before the expression checks its own tokens.
    const TKSToken& colon = toks[start - 2];
    const TKSToken& equal = toks[start - 1];
    if (colon.errorCode || equal.errorCode || equal.code != tok::Equal)
        return nullptr;
    TKSInterpreterVar* target = findLocal(locals, nameToken, toks[std::size_t(nameToken)].symbol);
    if (!target)
        return nullptr;
    const Compiled* code = compiledAt(int(start));
    if (!code) {
        impure = true;
        return nullptr;
    }
    const int type = target->typeCode & ~kstype::VarParam;
    Slot result;
    if ((type == platform::varInteger || type == platform::varBoolean) && code->ops.size() > 1 &&
        code->maxPending <= pendingRoom) {
        if (!runScalar(*code, locals, nullptr, result))
            return nullptr;
        endToken = code->endToken;
        stored = result.boolean == (type == platform::varBoolean);
        if (!stored)
            value = result.boolean ? Variant(result.v != 0) : Variant(int(result.v));
        else if (result.boolean)
            target->value.setBoolean(result.v != 0);
        else
            target->value.setInteger(result.v);
        return target;
    }
    if (!evaluate(int(start), &locals, pendingRoom, value, endToken))
        return nullptr;
    return target;
}

bool TKSFastExpressions::evaluateAfterCall(int start, const Variant& leading, TKSInterpreterVarList* locals,
                                           int pendingRoom, Variant& value, int& endToken)
{
    if (!locals || !table_)
        return false;
    int& entry = table_->byToken[std::size_t(start)].afterCall;
    if (entry == kUnknown)
        entry = compile(start, true);
    if (entry == kNotPure)
        return false;
    const Compiled& code = table_->compiled[std::size_t(entry)];
    if (code.maxPending > pendingRoom || !run(code, *locals, &leading, value))
        return false;
    endToken = code.endToken;
    return true;
}

// Mirrors the ordinary evaluator's expression and operand reading; gives up
// on every construct it does not cover, on error tokens and on deep nesting.
int TKSFastExpressions::compile(int start, bool leadingCall)
{
    const std::vector<TKSToken>& toks = table_->stream->tokens;
    const int last = int(toks.size()) - 1;
    Compiled out;
    int pos = start, pending = 0, depth = 0, nesting = 0;
    auto code = [&] { return toks[std::size_t(pos)].code; };
    auto advance = [&] {
        if (pos >= last)
            return false;
        ++pos;
        return toks[std::size_t(pos)].errorCode == 0;
    };
    auto push = [&](OpKind kind, int v) {
        out.ops.push_back({kind, v});
        if (kind == OpKind::Binary)
            --depth;
        else if (kind != OpKind::Negate)
            out.maxStack = std::max(out.maxStack, ++depth);
    };
    std::function<bool(int)> expression;
    auto operand = [&]() -> bool {
        const TKSToken& t = toks[std::size_t(pos)];
        if (leadingCall && pos == start) {
            const CallShape* call = callShape(start);
            if (!call)
                return false;
            push(OpKind::Leading, 0);
            pos = call->after;
            return !isOperandToken(code());
        }
        switch (t.code) {
        case tok::IntegerLit:
            if (t.value.type() != platform::varInteger)
                return false;
            push(OpKind::Integer, int(t.value.toInteger()));
            break;
        case tok::True:
        case tok::False: push(OpKind::Boolean, t.code == tok::True); break;
        case tok::Identifier: {
            const int after = pos < last ? toks[std::size_t(pos + 1)].code : tok::EndOfText;
            if (after == tok::LParen || after == tok::LBracket || after == tok::Dot)
                return false;
            push(OpKind::Local, t.symbol);
            break;
        }
        case tok::Minus:
        case tok::Plus: {
            const bool minus = t.code == tok::Minus;
            if (!advance() || !expression(kPrefixPriority))
                return false;
            if (minus)
                push(OpKind::Negate, 0);
            return true;  // as the ordinary reader: no operand check after a prefix
        }
        case tok::LParen:
            if (++nesting > kMaxNesting || !advance() || !expression(0) || code() != tok::RParen)
                return false;
            --nesting;
            break;
        default: return false;
        }
        return advance() && !isOperandToken(code());
    };
    expression = [&](int callerPriority) -> bool {
        if (!operand())
            return false;
        for (;;) {
            const int priority = InfixPriority(code());
            if (priority == 0 || priority <= callerPriority)
                return true;
            const int op = code();
            if (!advance())
                return false;
            out.maxPending = std::max(out.maxPending, ++pending);
            const std::size_t rightStart = out.ops.size();
            if (!expression(priority))
                return false;
            --pending;
            Op& right = out.ops.back();
            if (out.ops.size() == rightStart + 1 && (right.kind == OpKind::Integer || right.kind == OpKind::Local)) {
                right.kind = right.kind == OpKind::Integer ? OpKind::BinaryInteger : OpKind::BinaryLocal;
                right.op = op;
                --depth;  // the right operand no longer stays on the stack
            } else {
                push(OpKind::Binary, op);
            }
        }
    };
    if (toks[std::size_t(start)].errorCode != 0 || !expression(0) || out.maxStack > kMaxStack)
        return kNotPure;
    out.endToken = pos;
    out.chain = std::all_of(out.ops.begin() + 1, out.ops.end(), [](const Op& op) {
        return op.kind == OpKind::BinaryInteger || op.kind == OpKind::BinaryLocal || op.kind == OpKind::Negate;
    });
    table_->compiled.push_back(std::move(out));
    return int(table_->compiled.size()) - 1;
}

int TKSFastExpressions::shapeCall(int nameToken)
{
    const std::vector<TKSToken>& toks = table_->stream->tokens;
    const int last = int(toks.size()) - 1;
    auto clean = [&](int pos) { return pos <= last && toks[std::size_t(pos)].errorCode == 0; };
    CallShape shape;
    int pos = nameToken + 1;
    if (!clean(pos))
        return kNotPure;
    if (toks[std::size_t(pos)].code == tok::LParen) {
        ++pos;
        if (clean(pos) && toks[std::size_t(pos)].code == tok::RParen) {
            ++pos;
        } else {
            for (int depth = 0;; ++pos) {
                if (!clean(pos))
                    return kNotPure;
                const int code = toks[std::size_t(pos)].code;
                if (code == tok::EndOfText)
                    return kNotPure;
                if (code == tok::LParen || code == tok::LBracket) {
                    ++depth;
                } else if (code == tok::RParen || code == tok::RBracket) {
                    if (depth-- > 0)
                        continue;
                    if (code != tok::RParen)
                        return kNotPure;
                    shape.arguments.push_back({pos++, -1, -1});
                    break;
                } else if (code == tok::Comma && depth == 0) {
                    shape.arguments.push_back({pos, -1, -1});
                }
            }
        }
    }
    if (!clean(pos))
        return kNotPure;
    const int after = toks[std::size_t(pos)].code;
    if (after == tok::Dot || after == tok::Colon || after == tok::LBracket || after == tok::LParen)
        return kNotPure;
    shape.after = pos;
    int start = nameToken + 2;
    for (CallShape::Argument& argument : shape.arguments) {
        if (argument.end == start + 1 && toks[std::size_t(start)].code == tok::Identifier)
            argument.symbol = toks[std::size_t(start)].symbol;
        start = argument.end + 1;
    }
    table_->calls.push_back(std::move(shape));
    return int(table_->calls.size()) - 1;
}

bool TKSFastExpressions::evaluateArguments(const CallShape& shape, int nameToken, TKSInterpreterVarList& locals,
                                           int pendingRoom, Variant* values)
{
    int start = nameToken + 2;
    for (const CallShape::Argument& argument : shape.arguments) {
        if (argument.symbol >= 0) {
            // A lone name, read as evaluate reads it.
            const TKSInterpreterVar* var = locals.findCached(argument.symbol, argument.slot);
            if (!var || isRecordValue(var->value))
                return false;
            *values = var->value;
        } else {
            int endToken = 0;
            if (!evaluate(start, &locals, pendingRoom, *values, endToken) || endToken != argument.end)
                return false;
        }
        ++values;
        start = argument.end + 1;
    }
    return true;
}

namespace {

// An Integer or Boolean frame variable as a stack slot; false for anything else.
[[gnu::always_inline]] inline bool readLocal(TKSInterpreterVarList& locals, int symbol, int& slot, Slot& out)
{
    const TKSInterpreterVar* var = locals.findCached(symbol, slot);
    if (!var)
        return false;
    const platform::VarType type = var->value.type();
    if (type != platform::varInteger && type != platform::varBoolean)
        return false;
    out = {int32_t(var->value.integerBits()), type == platform::varBoolean};
    return true;
}

} // namespace

bool TKSFastExpressions::run(const Compiled& code, TKSInterpreterVarList& locals, const Variant* leading,
                             Variant& value) const
{
    Slot result;
    if (!runScalar(code, locals, leading, result))
        return false;
    if (result.boolean)
        value.setBoolean(result.v != 0);
    else
        value.setInteger(result.v);
    return true;
}

bool TKSFastExpressions::runChain(const Compiled& code, TKSInterpreterVarList& locals, const Variant* leading,
                                  Slot& acc) const
{
    const Op* op = code.ops.data();
    const Op* const end = op + code.ops.size();
    switch (op->kind) {
    case OpKind::Leading: {
        const platform::VarType type = leading->type();
        if (type != platform::varInteger && type != platform::varBoolean)
            return false;
        acc = {int32_t(leading->integerBits()), type == platform::varBoolean};
        break;
    }
    case OpKind::Integer: acc = {op->value, false}; break;
    case OpKind::Boolean: acc = {op->value, true}; break;
    case OpKind::Local:
        if (!readLocal(locals, op->value, op->slot, acc))
            return false;
        break;
    default: return false;
    }
    while (++op != end) {
        if (acc.boolean)
            return false;  // every chained operator wants an Integer on its left
        int32_t right;
        switch (op->kind) {
        case OpKind::BinaryInteger: right = op->value; break;
        case OpKind::BinaryLocal: {
            Slot local;
            if (!readLocal(locals, op->value, op->slot, local) || local.boolean)
                return false;
            right = local.v;
            break;
        }
        case OpKind::Negate:
            if (acc.v == INT32_MIN)
                return false;
            acc.v = -acc.v;
            continue;
        default: return false;
        }
        if (!integerOp(op->op, acc.v, right, acc))
            return false;
    }
    return true;
}

bool TKSFastExpressions::runScalar(const Compiled& code, TKSInterpreterVarList& locals, const Variant* leading,
                                   Slot& result) const
{
    if (code.chain)
        return runChain(code, locals, leading, result);
    Slot stack[kMaxStack];
    int top = -1;
    for (const Op& op : code.ops) {
        switch (op.kind) {
        case OpKind::Leading: {
            const platform::VarType type = leading->type();
            if (type != platform::varInteger && type != platform::varBoolean)
                return false;
            stack[++top] = {int32_t(leading->integerBits()), type == platform::varBoolean};
            break;
        }
        case OpKind::Integer: stack[++top] = {op.value, false}; break;
        case OpKind::Boolean: stack[++top] = {op.value, true}; break;
        case OpKind::Local:
            if (!readLocal(locals, op.value, op.slot, stack[++top]))
                return false;
            break;
        case OpKind::BinaryInteger:
            if (stack[top].boolean || !integerOp(op.op, stack[top].v, op.value, stack[top]))
                return false;
            break;
        case OpKind::BinaryLocal: {
            Slot right;
            if (!readLocal(locals, op.value, op.slot, right) || stack[top].boolean || right.boolean ||
                !integerOp(op.op, stack[top].v, right.v, stack[top]))
                return false;
            break;
        }
        case OpKind::Negate:
            if (stack[top].boolean || stack[top].v == INT32_MIN)
                return false;
            stack[top].v = -stack[top].v;
            break;
        case OpKind::Binary:
            if (stack[top].boolean || stack[top - 1].boolean)
                return false;
            if (!integerOp(op.value, stack[top - 1].v, stack[top].v, stack[top - 1]))
                return false;
            --top;
            break;
        }
    }
    result = stack[0];
    return true;
}
