// TKSFastExpressions: pure expressions (integer and Boolean literals, local
// variables, integer arithmetic and comparisons) compiled once per token.
#pragma once

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

    // The frame variable a name token stands for (null: not a frame variable);
    // the slot it was found in is remembered per token.
    TKSInterpreterVar* findLocal(TKSInterpreterVarList& locals, int token, int symbol)
    {
        if (!table_)
            return locals.find(symbol);
        if (table_->slotOf.empty())
            table_->slotOf.assign(table_->entryOf.size(), -1);
        return locals.findCached(symbol, table_->slotOf[std::size_t(token)]);
    }

private:
    // BinaryInteger and BinaryLocal are a Binary whose right operand is a
    // literal or a local, taken from the op instead of the stack.
    enum class OpKind : uint8_t { Integer, Boolean, Local, Negate, Binary, BinaryInteger, BinaryLocal };
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
    };
    struct StreamTable {
        std::shared_ptr<const TKSTokenStream> stream;  // pins the address the table is keyed by
        std::vector<int> entryOf;  // by token: kUnknown, kNotPure or an index into compiled
        std::vector<Compiled> compiled;
        std::vector<int> slotOf;   // by token: frame slot of an assigned name, or -1
    };
    static constexpr int kUnknown = -1;
    static constexpr int kNotPure = -2;
    static constexpr int kMaxStack = 16;

    int compile(int start);
    bool run(const Compiled& code, TKSInterpreterVarList& locals, platform::Variant& value) const;

    std::unordered_map<const TKSTokenStream*, StreamTable> tables_;
    StreamTable* table_ = nullptr;
};
