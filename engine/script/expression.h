// TKSInterpreterExpression: evaluates script expressions directly from the
// token stream, resolves names through frames, registries and hooks.
#pragma once

#include "script/adapter.h"
#include "script/args.h"
#include "script/error.h"
#include "script/fastexpr.h"
#include "script/lexer.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <typeinfo>
#include <unordered_set>
#include <vector>

// An object raised by the script statement `raise`.
// Priority of an infix operator token (higher binds tighter); 0 for other tokens.
int InfixPriority(int code);

class TKSScriptException : public std::exception {
public:
    explicit TKSScriptException(Variant object) : object(std::move(object)) {}
    const char* what() const noexcept override { return "Script exception"; }
    Variant object;
};

class TKSInterpreterExpression {
public:
    TKSInterpreterExpression();
    virtual ~TKSInterpreterExpression();
    TKSInterpreterExpression(const TKSInterpreterExpression&) = delete;
    TKSInterpreterExpression& operator=(const TKSInterpreterExpression&) = delete;

    void setSource(std::string text);
    const std::string& source() const { return source_; }

    // Evaluates the source as one expression; the value is also kept as result().
    virtual Variant Run();
    virtual void reset();

    // Calls a script routine by name (units, Part of the unit interpreter).
    virtual Variant callRoutine(const std::string& name, const std::vector<Variant>& values);
    virtual Variant callRoutine(platform::Object* instance, const std::string& unitName, const std::string& name,
                                TKSInterpreterArgs* args, const std::vector<Variant>& values);

    virtual bool GetValue(int symbol, const std::string& identifier, Variant& value, TKSInterpreterArgs& args);
    virtual bool SetValue(int symbol, const std::string& identifier, const Variant& value, TKSInterpreterArgs& args);
    virtual bool GetElement(const Variant& container, Variant& value, TKSInterpreterArgs& args);
    virtual bool SetElement(Variant& container, const Variant& value, TKSInterpreterArgs& args);
    // Routines in shared libraries; the base refuses them.
    virtual Variant callExternalRoutine(const TKSInterpreterFunDesc& routine, TKSInterpreterArgs& args);

    // Last resorts of name lookup and assignment.
    TKSGetValueHook OnGetValue;
    TKSSetValueHook OnSetValue;

    TKSInterpreterAdapter& adapter() { return *adapter_; }
    TKSInterpreterAdapter& globalAdapter() { return *global_; }
    void setGlobalAdapter(TKSInterpreterAdapter* registry)
    {
        global_ = registry ? registry : &TKSInterpreterAdapter::global();
        plainGlobal_ = typeid(*global_) == typeid(TKSInterpreterAdapter);
    }

    const Variant& result() const { return result_; }

    // Objects made by the script's constructor calls and not freed yet: the
    // only objects the script's Free deletes.
    void noteCreatedObject(const platform::Object* object)
    {
        createdObjects_.insert(object);
        lastCreated_ = object;
    }
    bool forgetCreatedObject(const platform::Object* object) { return createdObjects_.erase(object) > 0; }
    // The last error; code 0 when none. Host exceptions are recorded here as code 6.
    const EKSInterpreterError& lastError() const { return lastError_; }

    static constexpr int kMaxOperands = 200;

protected:
    struct AssignTarget {
        int symbol = -1;
        std::string name;
        int nameToken = 0;
        TKSInterpreterArgs args;
    };

    void setCurrentUnit(std::string name)
    {
        currentUnit_ = std::move(name);
        ++unitSerial_;
    }

    // --- Token stream ---
    void useStream(std::shared_ptr<const TKSTokenStream> stream);
    // Inlined everywhere: every statement moves the lexer several times.
    [[gnu::always_inline]] void gotoToken(int index)
    {
        cur_ = std::clamp(index, 0, tokenCount_ - 1);
        tok_ = &toks_[cur_];
        cc_ = tok_->code;
        if (tok_->errorCode)
            raiseTokenError();
    }
    [[gnu::always_inline]] void nextToken()
    {
        if (cur_ + 1 < tokenCount_)
            ++cur_;
        tok_ = &toks_[cur_];
        cc_ = tok_->code;
        if (tok_->errorCode)
            raiseTokenError();
    }
    // Back to a token the reading has already passed (so it holds no error).
    void returnToToken(int index)
    {
        cur_ = index;
        tok_ = &toks_[cur_];
        cc_ = tok_->code;
    }
    int peekCode() const { return cur_ + 1 < tokenCount_ ? toks_[cur_ + 1].code : tok::EndOfText; }
    int position() const { return tok_->end; }
    int tokenStart() const { return tok_->start; }
    [[noreturn]] void raiseTokenError() const;
    [[noreturn]] void expected(std::string_view what) const;
    [[noreturn]] void fail(int code, int position = -1, std::string name1 = {}, std::string name2 = {}) const;
    std::string foundText() const;

    // Items separated by ',' up to `closer`, which stays the current token;
    // any other token after an item is error 103 expecting `closerText`.
    template <class ReadItem> void commaList(int closer, std::string_view closerText, ReadItem&& readItem)
    {
        for (;;) {
            readItem();
            if (cc_ == tok::Comma) {
                nextToken();
                continue;
            }
            if (cc_ != closer)
                expected(closerText);
            return;
        }
    }

    // --- Evaluation ---
    Variant expression(int callerPriority = 0);
    // expression() at the top level once the expression is known not to be
    // a pure one.
    Variant impureExpression();
    // The infix operators after a first operand already read.
    Variant infixTail(Variant left, int callerPriority);
    Variant operand();
    // Resolves the identifier at the current token (and its member chain). At
    // statement level an identifier followed by ':' is an assignment target:
    // then `target` is filled and nothing is evaluated.
    Variant identifierValue(const Variant& object, bool statementLevel, AssignTarget* target, bool* isTarget);
    void readArguments(TKSInterpreterArgs& args, int closer);
    // Calls the script routine named at the current token, when the name can
    // only mean that routine and every argument is a pure expression, without
    // the general lookup; false, with nothing evaluated, when the ordinary
    // reading must run.
    virtual bool fastCall(bool /*statementLevel*/, Variant& /*value*/) { return false; }
    Variant setConstructor();
    Variant combine(int op, const Variant& left, const Variant& right);
    void writeBackVarArguments(const TKSInterpreterArgs& args);
    Variant evaluateTyped(int typeCode, int errorCode, int errorPosition = -1);

    // Argument blocks of nested calls, reused between calls.
    class ArgsLease {
    public:
        explicit ArgsLease(TKSInterpreterExpression& owner);
        ~ArgsLease() { --owner_.argsDepth_; }
        TKSInterpreterArgs& operator*() { return *args_; }
        TKSInterpreterArgs* operator->() { return args_; }

    private:
        TKSInterpreterExpression& owner_;
        TKSInterpreterArgs* args_;
    };

    // --- Errors ---
    // Runs `body` as a top-level run: script errors get their position and are
    // kept as the last error, host errors are recorded; both propagate.
    template <class Body> Variant runReportingErrors(Body&& body)
    {
        try {
            body();
        } catch (EKSInterpreterError& e) {
            applyPosition(e);
            lastError_ = e;
            throw;
        } catch (std::exception& e) {
            recordHostError(e);
            throw;
        }
        return result_;
    }
    void applyPosition(EKSInterpreterError& error);
    void recordHostError(const std::exception& error);
    void checkNativeStack() const
    {
        char here;
        if (&here < nativeStackLimit_)
            nativeStackExhausted();
    }
    [[noreturn]] void nativeStackExhausted() const;
    // False only when neither registry can answer the plain name: both look it
    // up by their tables alone (no overridden lookup) and hold nothing for it.
    bool registriesMayClaim(int symbol) const
    {
        return !plainGlobal_ || adapter_->mayClaimPlainName(symbol) || global_->mayClaimPlainName(symbol);
    }

    std::string source_;
    // Written only through setCurrentUnit, so that unitSerial_ tells whether
    // it may have changed since something was looked up for it.
    std::string currentUnit_;
    std::uint64_t unitSerial_ = 0;
    std::shared_ptr<const TKSTokenStream> stream_;
    const TKSToken* toks_ = nullptr;
    const TKSToken* tok_ = nullptr;
    int tokenCount_ = 0;
    int cur_ = 0;
    int cc_ = tok::EndOfText;

    bool assignmentAllowed_ = true;
    int pendingOperands_ = 0;
    std::vector<std::unique_ptr<TKSInterpreterArgs>> argsPool_;
    int argsDepth_ = 0;
    TKSInterpreterArgs ownArgs_;
    Variant result_;
    EKSInterpreterError lastError_{0};
    const void* recordedHostError_ = nullptr;
    // Variables of the innermost routine frame (null outside routines). They
    // come first in every plain-name lookup, so pure expressions and plain
    // assignments read and write them directly.
    TKSInterpreterVarList* locals_ = nullptr;
    TKSFastExpressions fast_;
    std::unordered_set<const platform::Object*> createdObjects_;
    const platform::Object* lastCreated_ = nullptr;  // the newest of them
    std::unique_ptr<TKSInterpreterAdapter> adapter_;
    TKSInterpreterAdapter* global_;
    bool plainGlobal_ = true;
    const char* nativeStackLimit_ = nullptr;
};
