// TKSInterpreterFunction: statements executed while they are parsed, loops that
// re-read their bodies, routine frames with local variables, event bindings.
#pragma once

#include "script/event.h"
#include "script/expression.h"
#include "script/vars.h"

#include <exception>
#include <memory>
#include <span>
#include <vector>

class TKSInterpreterFunction : public TKSInterpreterExpression {
public:
    TKSInterpreterFunction();
    ~TKSInterpreterFunction() override;

    // Executes the source as one routine body (declarations, begin ... end).
    Variant Run() override;
    void reset() override;

    bool GetValue(int symbol, const std::string& identifier, Variant& value, TKSInterpreterArgs& args) override;
    bool SetValue(int symbol, const std::string& identifier, const Variant& value, TKSInterpreterArgs& args) override;

    // Called before every statement and at every ';' of a statement list.
    virtual void statementHook() {}

    // Runs a routine by descriptor with the caller's argument block; the
    // routine's result (null for procedures).
    Variant executeRoutine(const TKSInterpreterFunDesc& routine, TKSInterpreterArgs* callerArgs);
    // The same with the argument values apart, for a caller that knows
    // whether the routine's unit is another one than the current
    // (runsInOtherUnit); the result is left in result_ and var arguments are
    // written back to `callerArgs` when there is one.
    void runRoutine(const TKSInterpreterFunDesc& routine, std::span<const Variant> values,
                    TKSInterpreterArgs* callerArgs, bool switched);
    bool runsInOtherUnit(const TKSInterpreterFunDesc& routine) const;

    platform::Object* currentInstance() const { return currentInstance_; }
    const std::string& currentUnit() const { return currentUnit_; }

    static constexpr int kMaxStates = 200;

protected:
    struct Frame {
        TKSInterpreterVarList vars;
        const TKSInterpreterFunDesc* routine = nullptr;
    };
    // A saved lexer state: the stream, the token and the unit it belongs to.
    struct SavedState {
        std::shared_ptr<const TKSTokenStream> stream;
        int token = 0;
        bool assignmentAllowed = true;
    };

    // pinStream false: the caller comes back to the current stream itself
    // (a call within it), so the state need not keep the stream alive.
    void pushState(bool pinStream = true);
    void popState();
    Frame* frame() { return frameDepth_ > 0 ? frames_[std::size_t(frameDepth_ - 1)].get() : nullptr; }
    Frame& openFrame(const TKSInterpreterFunDesc* routine);
    void closeFrame()
    {
        --frameDepth_;
        locals_ = frameDepth_ > 0 ? &frames_[std::size_t(frameDepth_ - 1)]->vars : nullptr;
    }
    // Stores into a frame variable as SetValue does (null: not a frame variable).
    bool storeLocal(int symbol, const Variant& value);
    // The same for the name at token `nameToken` of the current stream.
    bool storeLocalAt(int nameToken, int symbol, const Variant& value);
    // False when there is no such variable; a value of the wrong type is error 'type mismatch'.
    bool storeInto(TKSInterpreterVar* var, const Variant& value);
    bool flagsSet() const { return breakFlag_ || continueFlag_ || exitFlag_; }
    void runBody(const TKSInterpreterFunDesc* routine, std::span<const Variant> values, TKSInterpreterArgs* callerArgs);
    static std::span<const Variant> argumentValues(const TKSInterpreterArgs* args);
    void switchToUnit(const std::string& unitName);

    // --- Statements ---
    void statement();
    void assignmentOrCall();
    void assign(AssignTarget& target);
    bool tryEventAssignment(AssignTarget& target);
    // `s := s + piece` on a String variable of the frame, appending in place
    // where the result is the same; false (nothing read) for other statements.
    // The shape is checked here so that other assignments pay a few compares.
    bool appendAssignment(int nameToken)
    {
        if (nameToken + 5 >= tokenCount_)
            return false;
        const TKSToken* t = toks_ + nameToken;
        return t[3].code == tok::Identifier && t[3].symbol == t[0].symbol && t[4].code == tok::Plus &&
               appendToVariable(nameToken);
    }
    [[gnu::noinline]] bool appendToVariable(int nameToken);
    void compound()
    {
        if (cc_ != tok::Begin)
            expected("'begin'");
        nextToken();
        runStatementList();
    }
    void ifStatement();
    void whileStatement();
    void repeatStatement();
    void forStatement();
    void caseStatement();
    void tryStatement();
    void raiseStatement();
    void adoptRaisedObject(Variant& object, int start);
    // Statements up to and including the matching 'end'.
    void runStatementList();
    void exceptPart(std::exception_ptr pending);

    // --- Declarations ---
    // Unit-level declarations go to the private registry, others to the frame.
    void declarations(bool unitLevel);
    void varSection(bool unitLevel);
    void constSection(bool unitLevel);
    void addVariable(TKSInterpreterVar var, bool unitLevel);
    struct DeclaredType {
        std::string name;
        int code = 0;
        std::shared_ptr<const IKSInterpreterDataType> dataType;
    };
    DeclaredType readType();
    // "a, b, c: Type;" from the first name on: the name tokens, the type in `type`.
    std::vector<const TKSToken*> namesAndType(DeclaredType& type);
    DeclaredType typeOfName(const std::string& name);

    // --- Skipping ---
    void skipStatement();
    void skipExpression();
    void skipToMatchingEnd();   // from inside a block to just after its 'end'
    void skipUntil(int code, std::string_view expectedText);
    int findHandlerStart(int tryToken);

    bool breakFlag_ = false;
    bool continueFlag_ = false;
    bool exitFlag_ = false;
    std::vector<std::unique_ptr<Frame>> frames_;
    int frameDepth_ = 0;
    std::vector<SavedState> states_;
    platform::Object* currentInstance_ = nullptr;
    int sameUnitCalls_ = 0;  // routine calls running without a saved state
    std::vector<std::shared_ptr<TKSInterpreterEvent>> events_;
    bool inHandler_ = false;
};
