// TKSParser: conversion of expressions into postfix form and its evaluation
// on a stack of variant values.
//
// Converted form: operands are written as their source text and one blank
// (numbers, 'literals', [bracketed parts], names, name[index]); a function
// call is written whole, "NAME(args)", without the blank; every operator is a
// single byte (the Op values below).
#include "expr/parser.h"

#include "platform/gbk.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

using platform::Variant;

namespace {

// Operator bytes of the converted form.
enum Op : unsigned char {
    opGreaterEqual = 1,
    opLessEqual = 2,
    opNotEqual = 3,
    opOr = 4,
    opAnd = 5,
    opInt = 6,
    opFrac = 7,
    opNegate = 9,
    opUnaryPlus = 10,
    opStr = 11,
    opNot = 12,
    opMod = 13,
    opRound = 14,
    opOpen = '(',
    opMultiply = '*',
    opAdd = '+',
    opSubtract = '-',
    opDivide = '/',
    opLess = '<',
    opEqual = '=',
    opGreater = '>',
};

// A smaller priority binds tighter; "(" is only ever on the conversion stack.
int priority(unsigned char op)
{
    switch (op) {
    case opInt: case opFrac: case opRound: case opStr:
        return 0;
    case opOr: case opAnd: case opMod: case opMultiply: case opDivide: case opNot:
        return 1;
    case opAdd: case opSubtract: case opNegate: case opUnaryPlus:
        return 2;
    case opGreaterEqual: case opLessEqual: case opNotEqual: case opLess: case opEqual: case opGreater:
        return 3;
    default:
        return 5;
    }
}

bool isUnary(unsigned char op)
{
    return op == opNegate || op == opUnaryPlus || op == opNot || op == opInt || op == opFrac
        || op == opRound || op == opStr;
}

struct Keyword {
    const char* text;
    Op op;
};
constexpr Keyword kKeywords[] = {
    {"INT", opInt}, {"FRAC", opFrac}, {"ROUND", opRound}, {"OR", opOr},
    {"AND", opAnd}, {"NOT", opNot}, {"STR", opStr}, {"MOD", opMod},
};

int keywordOperator(std::string_view text)
{
    for (const Keyword& keyword : kKeywords) {
        if (platform::sameName(text, keyword.text))
            return keyword.op;
    }
    return -1;
}

bool startsNumber(char c)
{
    return c == ',' || c == '.' || (c >= '0' && c <= '9');
}

// Bytes that can only be a mistyped operator where an operand is expected.
bool isForeignOperator(char c)
{
    return std::string_view("!&|^~?\\]{}`").find(c) != std::string_view::npos;
}

std::string quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

// Postfix conversion of one expression (shunting yard with the table's priorities).
class Converter {
public:
    explicit Converter(std::string_view source) : source_(source) {}

    std::string run()
    {
        while (pos_ < source_.size()) {
            char c = source_[pos_];
            if (c == '\r' || c == ' ') {
                ++pos_;
            } else if (c == '(') {
                stack_.push_back(char(opOpen));
                operand_ = false;
                afterOperator_ = false;
                ++pos_;
            } else if (c == ')') {
                closeParenthesis();
                ++pos_;
            } else if (c == ';') {
                break;
            } else if (std::string_view("*+-/<=>").find(c) != std::string_view::npos) {
                handleOperator(readOperator());
            } else {
                readOperand();
            }
        }
        if (afterOperator_)
            throw EKSExpressionError("Expression ends with an operator: " + quoted(source_));
        while (!stack_.empty()) {
            if (static_cast<unsigned char>(stack_.back()) == opOpen)
                throw EKSExpressionError("Missing ')' in expression " + quoted(source_));
            output_.push_back(stack_.back());
            stack_.pop_back();
        }
        return std::move(output_);
    }

private:
    unsigned char readOperator()
    {
        char c = source_[pos_++];
        char next = pos_ < source_.size() ? source_[pos_] : '\0';
        if (c == '<' && next == '>') {
            ++pos_;
            return opNotEqual;
        }
        if (c == '>' && next == '=') {
            ++pos_;
            return opGreaterEqual;
        }
        if (c == '<' && next == '=') {
            ++pos_;
            return opLessEqual;
        }
        return static_cast<unsigned char>(c);
    }

    void handleOperator(unsigned char op)
    {
        if (!operand_) {
            if (op == opSubtract)
                op = opNegate;
            else if (op == opAdd)
                op = opUnaryPlus;
            else if (!isUnary(op))
                throw EKSExpressionError("Operator without left operand in " + quoted(source_));
        }
        // A prefix operator has no left operand, so nothing on the stack can
        // be complete yet: popping here would turn "2 * -3" into nonsense.
        if (!isUnary(op) && !stack_.empty()
            && priority(op) >= priority(static_cast<unsigned char>(stack_.back()))) {
            while (!stack_.empty() && priority(op) >= priority(static_cast<unsigned char>(stack_.back()))) {
                output_.push_back(stack_.back());
                stack_.pop_back();
            }
        }
        stack_.push_back(static_cast<char>(op));
        operand_ = false;
        afterOperator_ = true;
    }

    void closeParenthesis()
    {
        if (afterOperator_)
            throw EKSExpressionError("Operator without right operand in " + quoted(source_));
        while (!stack_.empty() && static_cast<unsigned char>(stack_.back()) != opOpen) {
            output_.push_back(stack_.back());
            stack_.pop_back();
        }
        if (stack_.empty())
            throw EKSExpressionError("Unbalanced ')' in expression " + quoted(source_));
        stack_.pop_back();
    }

    void readOperand()
    {
        std::size_t prefixLength = source_[pos_] == '%' ? std::min<std::size_t>(2, source_.size() - pos_) : 0;
        std::string text(source_.substr(pos_, prefixLength));
        pos_ += prefixLength;
        bool isToken = false;
        if (pos_ < source_.size() && source_[pos_] == '\'') {
            std::size_t end = exprtext::findQuoteEnd(source_, pos_);
            if (end == exprtext::npos)
                throw EKSExpressionError("Unterminated string in expression " + quoted(source_));
            text.append(source_.substr(pos_, end + 1 - pos_));
            pos_ = end + 1;
        } else if (pos_ < source_.size() && source_[pos_] == '[') {
            text.append(bracketedPart());
        } else {
            std::string_view token = exprtext::readToken(source_, pos_);
            if (std::count(token.begin(), token.end(), '"') % 2 != 0)
                throw EKSExpressionError("Unterminated double quote in expression " + quoted(source_));
            text.append(token);
            if (pos_ < source_.size() && source_[pos_] == '[')
                text.append(bracketedPart());
            isToken = true;
        }
        if (text.empty())
            return;  // only control bytes: nothing to convert
        if (startsNumber(text[0])) {
            appendOperand(text);
            return;
        }
        if (int op = keywordOperator(text); op >= 0) {
            handleOperator(static_cast<unsigned char>(op));
            return;
        }
        if (isForeignOperator(text[0]))
            throw EKSExpressionError("Unknown operator '" + std::string(1, text[0]) + "' in expression "
                                     + quoted(source_));
        if (isToken && pos_ < source_.size() && source_[pos_] == '(') {
            std::size_t open = pos_;
            exprtext::CallArguments arguments;
            ++pos_;
            exprtext::scanArguments(source_, pos_, arguments);
            output_.append(text).append(source_.substr(open, pos_ - open));
            operand_ = true;
            afterOperator_ = false;
            return;
        }
        appendOperand(text);
    }

    std::string_view bracketedPart()
    {
        std::size_t end = exprtext::findMatchingBracket(source_, pos_);
        if (end == exprtext::npos)
            throw EKSExpressionError("Missing ']' in expression " + quoted(source_));
        std::string_view part = source_.substr(pos_, end + 1 - pos_);
        pos_ = end + 1;
        return part;
    }

    void appendOperand(std::string_view text)
    {
        output_.append(text).push_back(' ');
        operand_ = true;
        afterOperator_ = false;
    }

    std::string_view source_;
    std::size_t pos_ = 0;
    std::string output_;
    std::string stack_;  // operator bytes; the top is the last byte
    bool operand_ = false;
    bool afterOperator_ = false;
};

// "1,5" and "1.5" are the same number whatever the locale says.
double parseNumber(std::string_view token)
{
    char buffer[64];
    if (token.size() < sizeof buffer) {
        for (std::size_t i = 0; i < token.size(); ++i)
            buffer[i] = token[i] == ',' ? '.' : token[i];
        double value = 0;
        auto [end, error] = std::from_chars(buffer, buffer + token.size(), value);
        if (error == std::errc() && end == buffer + token.size() && std::isfinite(value))
            return value;
    }
    throw platform::VariantError(platform::VariantError::Kind::Conversion,
                                 quoted(token) + " is not a valid floating point value");
}

void upperInto(std::string& out, std::string_view text)
{
    out.assign(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (platform::isLeadByte(static_cast<unsigned char>(out[i])))
            ++i;  // the trail byte stays as it is
        else if (out[i] >= 'a' && out[i] <= 'z')
            out[i] = static_cast<char>(out[i] - 'a' + 'A');
    }
}

std::string unquoted(std::string_view literal)
{
    std::string text;
    text.reserve(literal.size());
    for (std::size_t i = 1; i + 1 < literal.size(); ++i) {
        text.push_back(literal[i]);
        if (literal[i] == '\'' && literal[i + 1] == '\'')
            ++i;
    }
    return text;
}

// Double with Double or Integer: the variant rules give a Double, so the
// arithmetic can be done here without the general dispatch.
bool plainDoubles(const Variant& a, const Variant& b)
{
    auto simple = [](platform::VarType t) { return t == platform::varDouble || t == platform::varInteger; };
    return simple(a.type()) && simple(b.type())
        && (a.type() == platform::varDouble || b.type() == platform::varDouble);
}

bool isZero(const Variant& value)
{
    if (value.type() == platform::varDouble || value.type() == platform::varInteger)
        return value.toDouble() == 0;
    return platform::compare(platform::VarCompare::Equal, value, Variant(0));
}

Variant roundToInteger(double value)
{
    double rounded = std::nearbyint(value);
    if (!(std::fabs(rounded) < 9.2e18))
        throw platform::VariantError(platform::VariantError::Kind::Overflow, "Arithmetic overflow");
    if (rounded >= std::numeric_limits<int>::min() && rounded <= std::numeric_limits<int>::max())
        return Variant(static_cast<int>(rounded));
    return Variant(static_cast<long long>(rounded));
}

// Values within 1e-10 of a whole number count as that number for INT and FRAC.
double snappedToWhole(double value)
{
    double rounded = std::nearbyint(value);
    return std::fabs(rounded - value) < 1e-10 ? rounded : value;
}

} // namespace

// Per-nesting-level storage of one Calc: the value stack, the name buffer and
// the argument array stay allocated between evaluations.
class TKSParser::Evaluation {
public:
    std::vector<Variant> stack = std::vector<Variant>(16);
    std::size_t count = 0;
    std::string name;
    TKSArguments arguments;

    Variant& push()
    {
        if (count == stack.size())
            stack.resize(stack.size() * 2);
        return stack[count++];
    }
};

namespace {

class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

} // namespace

TKSParser::TKSParser() = default;
TKSParser::~TKSParser() = default;

std::string TKSParser::Convert(std::string_view expression) const
{
    return Converter(expression).run();
}

Variant TKSParser::Evaluate(std::string_view expression)
{
    return Calc(Convert(expression));
}

Variant TKSParser::CalcArgument(const Variant& argument)
{
    if (ArgumentsAreValues)
        return argument;
    if (argument.isString())
        return Evaluate(argument.stringValue());
    return Evaluate(argument.toString());
}

bool TKSParser::IsTrue(const Variant& value)
{
    if (value.isNull() || value.isEmpty())
        return false;
    return platform::compare(platform::VarCompare::NotEqual, value, Variant(0));
}

bool TKSParser::CalcCondition(std::string_view expression)
{
    return IsTrue(Evaluate(expression));
}

bool TKSParser::IsPlainForm(std::string_view name, std::string_view converted)
{
    return converted == name
        || (converted.size() == name.size() + 1 && converted.back() == ' ' && converted.starts_with(name));
}

Variant TKSParser::Calc(std::string_view form)
{
    if (depth_ >= kMaxNesting)
        throw EKSExpressionError("Expression nested too deeply (more than 200 levels)");
    std::size_t level = static_cast<std::size_t>(depth_);
    DepthGuard guard(depth_);
    if (workspaces_.size() <= level)
        workspaces_.push_back(std::make_unique<Evaluation>());
    Evaluation& work = *workspaces_[level];
    std::vector<Variant>& stack = work.stack;
    stack[0] = Variant(0);
    work.count = 0;
    const platform::Nulls nulls = strictNulls() ? platform::Nulls::Strict : platform::Nulls::Lenient;

    auto binary = [&]() -> std::pair<Variant&, Variant&> {
        if (work.count < 2)
            throw EKSExpressionError("Missing operand in expression");
        Variant& left = stack[work.count - 2];
        Variant& right = stack[work.count - 1];
        if (nulls == platform::Nulls::Lenient && (left.isNull() || right.isNull()))
            platform::relaxNullOperands(left, right);
        --work.count;
        return {left, right};
    };
    auto unary = [&]() -> Variant& {
        if (work.count < 1)
            throw EKSExpressionError("Missing operand in expression");
        return stack[work.count - 1];
    };
    auto arithmetic = [&](platform::VarOp op) {
        auto [left, right] = binary();
        if (plainDoubles(left, right) && op != platform::VarOp::Modulus) {
            double a = left.toDouble();
            double b = right.toDouble();
            left = Variant(op == platform::VarOp::Add ? a + b : op == platform::VarOp::Subtract ? a - b : a * b);
            return;
        }
        left = platform::binaryOp(op, left, right);
    };
    auto comparison = [&](platform::VarCompare op) {
        auto [left, right] = binary();
        left = Variant(platform::compare(op, left, right) ? 1 : 0);
    };

    std::size_t i = 0;
    while (i < form.size()) {
        unsigned char c = static_cast<unsigned char>(form[i]);
        switch (c) {
        case opGreaterEqual: comparison(platform::VarCompare::GreaterEqual); ++i; continue;
        case opLessEqual: comparison(platform::VarCompare::LessEqual); ++i; continue;
        case opNotEqual: comparison(platform::VarCompare::NotEqual); ++i; continue;
        case opLess: comparison(platform::VarCompare::Less); ++i; continue;
        case opEqual: comparison(platform::VarCompare::Equal); ++i; continue;
        case opGreater: comparison(platform::VarCompare::Greater); ++i; continue;
        case opAdd: case opOr: arithmetic(platform::VarOp::Add); ++i; continue;
        case opMultiply: case opAnd: arithmetic(platform::VarOp::Multiply); ++i; continue;
        case opSubtract: arithmetic(platform::VarOp::Subtract); ++i; continue;
        case opMod: arithmetic(platform::VarOp::Modulus); ++i; continue;
        case opDivide: {
            auto [left, right] = binary();
            if (isZero(right))
                left = Variant(0);
            else if (plainDoubles(left, right))
                left = Variant(left.toDouble() / right.toDouble());
            else
                left = platform::binaryOp(platform::VarOp::Divide, left, right);
            ++i;
            continue;
        }
        case opNegate: {
            Variant& value = unary();
            value = value.isNull() ? Variant(0) : platform::negate(value);
            ++i;
            continue;
        }
        case opNot: {
            Variant& value = unary();
            value = Variant(value.isNull() || isZero(value) ? 1 : 0);
            ++i;
            continue;
        }
        case opRound: {
            Variant& value = unary();
            value = value.isNull() ? Variant(0) : roundToInteger(value.toDouble());
            ++i;
            continue;
        }
        case opInt: {
            Variant& value = unary();
            value = Variant(std::trunc(snappedToWhole(value.toDouble())));
            ++i;
            continue;
        }
        case opFrac: {
            Variant& value = unary();
            double x = snappedToWhole(value.toDouble());
            value = Variant(x - std::trunc(x));
            ++i;
            continue;
        }
        case opStr: {
            Variant& value = unary();
            value = value.isNull() ? Variant(std::string()) : Variant(value.toString());
            ++i;
            continue;
        }
        default:
            break;
        }
        if (c <= ' ' || c == opUnaryPlus) {
            ++i;
        } else if (c == '\'') {
            std::size_t end = exprtext::findQuoteEnd(form, i);
            if (end == exprtext::npos)
                throw EKSExpressionError("Unterminated string in expression");
            work.push() = Variant(unquoted(form.substr(i, end + 1 - i)));
            i = end + 1;
        } else if (c == '[') {
            std::size_t end = exprtext::findMatchingBracket(form, i);
            if (end == exprtext::npos)
                throw EKSExpressionError("Missing ']' in expression");
            Variant& slot = work.push();
            if (OnGetValue)
                OnGetValue(form.substr(i + 1, end - i - 1), slot);
            i = end + 1;
        } else {
            i = pushToken(work, form, i);
        }
    }
    return stack[0];
}

std::size_t TKSParser::pushToken(Evaluation& work, std::string_view form, std::size_t pos)
{
    std::string_view token = exprtext::readToken(form, pos);
    if (token.empty())
        throw EKSExpressionError("Malformed expression near " + quoted(form.substr(pos, 20)));
    if (startsNumber(token[0])) {
        work.push() = Variant(parseNumber(token));
        return pos;
    }
    if (platform::sameName(token, "TRUE") || platform::sameName(token, "FALSE")) {
        work.push() = Variant(platform::sameName(token, "TRUE") ? 1 : 0);
        return pos;
    }
    if (pos < form.size() && form[pos] == '[') {
        std::size_t end = exprtext::findMatchingBracket(form, pos);
        if (end == exprtext::npos)
            throw EKSExpressionError("Missing ']' in expression");
        std::string call = "GETARRAY(" + std::string(token) + ", "
                         + std::string(form.substr(pos + 1, end - pos - 1)) + ")";
        Variant value = Evaluate(call);
        work.push() = std::move(value);
        return end + 1;
    }
    if (pos < form.size() && form[pos] == '(') {
        exprtext::CallArguments texts;
        ++pos;
        exprtext::scanArguments(form, pos, texts);
        upperInto(work.name, token);
        for (int k = 0; k < exprtext::CallArguments::kMax; ++k)
            work.arguments[k] = Variant(std::string(texts.items[k]));
        Variant& slot = work.push();
        bool handled = false;
        if (OnFunction)
            OnFunction(work.name, work.arguments, handled, slot);
        return pos;
    }
    upperInto(work.name, token);
    Variant& slot = work.push();
    if (OnGetValue)
        OnGetValue(work.name, slot);
    return pos;
}
