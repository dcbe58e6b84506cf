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

private:
    enum class OpKind : uint8_t { Integer, Boolean, Local, Negate, Binary };
    struct Op {
        OpKind kind;
        int value;              // literal, token code of a binary operator, or symbol of a local
        mutable int slot = -1;  // Local: where the name was found last in the frame
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
    };
    static constexpr int kUnknown = -1;
    static constexpr int kNotPure = -2;
    static constexpr int kMaxStack = 16;

    int compile(int start);
    bool run(const Compiled& code, TKSInterpreterVarList& locals, platform::Variant& value) const;

    std::unordered_map<const TKSTokenStream*, StreamTable> tables_;
    StreamTable* table_ = nullptr;
};
