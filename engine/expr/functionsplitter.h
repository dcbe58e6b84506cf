// Finds the calls of chosen functions inside an expression, also inside the
// arguments of other calls and inside the texts of referenced expression variables.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TKSVariables;

class TKSFunctionSplitter {
public:
    // Upper-case names to look for, matched exactly after upper-casing a token.
    std::vector<std::string> FunctionNames;
    // Expression variables (name -> expression text); may be null.
    const TKSVariables* Variables = nullptr;
    // The full text of every call found, in order of discovery.
    std::vector<std::string> Output;

    // Appends the calls found in `expression` to Output. Raises
    // EKSExpressionError for an unbalanced argument list, and when expression
    // variables refer to each other deeper than kMaxDepth (a cycle would
    // otherwise never end).
    void Split(std::string_view expression);

    static constexpr int kMaxDepth = 64;

private:
    void split(std::string_view expression, int depth);
    bool isListed(std::string_view token) const;
    // The expression text of a variable of that name, or nothing.
    bool variableText(std::string_view name, std::string& text) const;
};
