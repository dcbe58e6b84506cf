// TKSFastExpressions: pure expressions (integer and Boolean literals, local
// variables, integer arithmetic and comparisons) compiled once per token.
#pragma once

#include "script/args.h"
#include "script/lexer.h"
#include "script/vars.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

// Evaluating such an expression reads the token stream no further and has no
// side effects, so whenever a value falls outside the fast cases (not an
// Integer, an overflow, a division by zero, a name that is not a local) the
// caller simply evaluates the same tokens the ordinary way; values, errors and
// their positions therefore stay those of the ordinary evaluator.
class TKSFastExpressions {
public:
    // Switches to the tables of a token stream (kept while the stream is in use).
    void use(const std::shared_ptr<const TKSTokenStream>& stream);
    void clear();

    // Evaluates the expression that starts at `start` when it is a pure one
    // whose nested operands fit in `pendingRoom`; true with the value and the
    // token after the expression, false when the ordinary evaluator must run.
    bool evaluate(int start, TKSInterpreterVarList* locals, int pendingRoom, platform::Variant& value,
                  int& endToken);

    // `name := expression` at `nameToken` (the caller has seen the ':'): when
    // the name is a frame variable and the expression is pure, the variable,
    // the value to store in it and the token after the expression; else null,
    // with `impure` set when the expression is known to need the ordinary reading.
    // `stored`: an Integer or Boolean variable took a value of its own type in
    // place (what storing it would do), so there is nothing left to store.
    TKSInterpreterVar* assignment(int nameToken, TKSInterpreterVarList& locals, int pendingRoom,
                                  platform::Variant& value, int& endToken, bool& impure, bool& stored);

    // Evaluates the expression at `start` whose first operand is a call the
    // caller has just made (its value `leading`), as evaluate does the rest.
    bool evaluateAfterCall(int start, const platform::Variant& leading, TKSInterpreterVarList* locals,
                           int pendingRoom, platform::Variant& value, int& endToken);

    // Where a call written at a name token has its arguments: the ',' or ')'
    // ending each one, and the token after the call. Only plain calls have a
    // shape: a name followed by an index, a member, ':' or an error token has none.
    struct CallShape {
        struct Argument {
            int end;            // the ',' or ')' after it
            int symbol;         // a lone name: its symbol, else -1
            mutable int slot;   // a lone name: where it was found last in the frame
        };
        std::vector<Argument> arguments;
        int after = 0;
    };
    const CallShape* callShape(int nameToken)
    {
        if (!table_)
            return nullptr;
        int& entry = table_->byToken[std::size_t(nameToken)].call;
        if (entry == kUnknown)
            entry = shapeCall(nameToken);
        return entry == kNotPure ? nullptr : &table_->calls[std::size_t(entry)];
    }
    // Evaluates every argument of the call as a pure expression into `values`
    // (room for all of them); false when one of them is not pure.
    bool evaluateArguments(const CallShape& shape, int nameToken, TKSInterpreterVarList& locals, int pendingRoom,
                           platform::Variant* values);

    // The frame variable a name token stands for (null: not a frame variable);
    // the slot it was found in is remembered per token.
    TKSInterpreterVar* findLocal(TKSInterpreterVarList& locals, int token, int symbol)
    {
        if (!table_)
            return locals.find(symbol);
        return locals.findCached(symbol, table_->byToken[std::size_t(token)].slot);
    }

    // A value on the evaluation stack.
    struct Scalar {
        int32_t v;
        bool boolean;
    };

private:
    // BinaryInteger and BinaryLocal are a Binary whose right operand is a
    // literal or a local, taken from the op instead of the stack.
    // Leading stands for the value of a call made before the code runs.
    enum class OpKind : uint8_t { Integer, Boolean, Local, Negate, Binary, BinaryInteger, BinaryLocal, Leading };
    struct Op {
        OpKind kind;
        int value;              // literal, token code of a binary operator, or symbol of a local
        mutable int slot = -1;  // Local: where the name was found last in the frame
        int op = 0;             // BinaryInteger, BinaryLocal: token code of the operator
    };
    struct Compiled {
        std::vector<Op> ops;  // postfix
        int endToken = 0;
        int maxPending = 0;
        int maxStack = 0;
        // A first operand followed by operators whose right operand is in the
        // op itself: it runs on one accumulator (runChain).
        bool chain = false;
    };
    // What is known of the token at the same index.
    struct TokenEntry {
        int expression;  // kUnknown, kNotPure or an index into compiled
        int afterCall;   // as expression, for an expression led by a call
        int call;        // kUnknown, kNotPure or an index into calls
        int slot;        // frame slot of the name found here last, or -1
    };
    struct StreamTable {
        std::shared_ptr<const TKSTokenStream> stream;  // pins the address the table is keyed by
        std::vector<TokenEntry> byToken;
        std::vector<Compiled> compiled;
        std::vector<CallShape> calls;
    };
    static constexpr int kUnknown = -1;
    static constexpr int kNotPure = -2;
    static constexpr int kMaxStack = 16;

    // leadingCall: the first operand is the call at `start`, compiled as Leading.
    int compile(int start, bool leadingCall);
    int shapeCall(int nameToken);
    bool run(const Compiled& code, TKSInterpreterVarList& locals, const platform::Variant* leading,
             platform::Variant& value) const;
    bool runScalar(const Compiled& code, TKSInterpreterVarList& locals, const platform::Variant* leading,
                   Scalar& result) const;
    bool runChain(const Compiled& code, TKSInterpreterVarList& locals, const platform::Variant* leading,
                  Scalar& result) const;
    // The compiled expression at `start`, or null when it is not pure.
    const Compiled* compiledAt(int start)
    {
        int& entry = table_->byToken[std::size_t(start)].expression;
        if (entry == kUnknown)
            entry = compile(start, false);
        return entry == kNotPure ? nullptr : &table_->compiled[std::size_t(entry)];
    }

    std::unordered_map<const TKSTokenStream*, StreamTable> tables_;
    StreamTable* table_ = nullptr;
};
