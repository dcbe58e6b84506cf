// The function splitter: which call texts it finds, and where it must stop.
#include "expr/exprtext.h"
#include "expr/functionsplitter.h"
#include "expr/variables.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> splitWith(std::string_view expression, const TKSVariables* variables = nullptr)
{
    TKSFunctionSplitter splitter;
    splitter.FunctionNames = {"AVG", "COUNT", "MAX", "MIN", "SUM"};
    splitter.Variables = variables;
    splitter.Split(expression);
    return splitter.Output;
}

} // namespace

TEST(FunctionSplitter, FindsListedCallsInOrderOfDiscovery)
{
    struct Case {
        const char* expression;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"SUM(Price)", {"SUM(Price)"}},
        {"sum(Price) + Count(Band1)", {"sum(Price)", "Count(Band1)"}},
        {"[SUM(A)] * 2", {"SUM(A)"}},
        {"IF(MAX(A) > 3, MIN(B), 0)", {"MAX(A)", "MIN(B)"}},
        {"SUM(MAX(A))", {"MAX(A)", "SUM(MAX(A))"}},              // inner call found first
        {"IIF(1, 2, 3, SUM(D))", {}},                             // only the first three arguments
        {"'SUM(A)'", {}},                                         // a literal is not scanned
        {"SUMMARY(A)", {}},                                       // whole names only
        {"A + B", {}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitWith(c.expression), c.calls) << c.expression;
}

TEST(FunctionSplitter, ScansTheTextsOfExpressionVariables)
{
    TKSVariables variables;
    variables.SetValue("Total", "SUM(Amount)");
    variables.SetValue("Both", "[Total] + AVG(Price)");
    EXPECT_EQ(splitWith("Total * 2", &variables), (std::vector<std::string>{"SUM(Amount)"}));
    EXPECT_EQ(splitWith("[Both]", &variables), (std::vector<std::string>{"SUM(Amount)", "AVG(Price)"}));
}

TEST(FunctionSplitter, VariablesReferringToEachOtherEndInAnError)
{
    TKSVariables variables;
    variables.SetValue("A", "[B] + 1");
    variables.SetValue("B", "A * 2");
    EXPECT_THROW(splitWith("[A]", &variables), EKSExpressionError);
}

TEST(FunctionSplitter, UnbalancedArgumentListIsAnError)
{
    EXPECT_THROW(splitWith("SUM(A"), EKSExpressionError);
    EXPECT_NO_THROW(splitWith("[SUM(A)"));  // an unclosed bracket takes the rest of the text
}
