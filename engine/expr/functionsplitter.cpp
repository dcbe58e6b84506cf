// The function splitter: a scan of expression text that collects call texts.
#include "expr/functionsplitter.h"

#include "expr/exprtext.h"
#include "expr/variables.h"
#include "platform/gbk.h"

#include <algorithm>

namespace {

bool isSkippedByte(char c)
{
    switch (c) {
    case ' ': case '\r': case '*': case '+': case '-': case '/': case '<': case '=': case '>':
        return true;
    default:
        return false;
    }
}

} // namespace

void TKSFunctionSplitter::Split(std::string_view expression)
{
    split(expression, 0);
}

bool TKSFunctionSplitter::isListed(std::string_view token) const
{
    const std::string upper = platform::upperCase(token);
    return std::find(FunctionNames.begin(), FunctionNames.end(), upper) != FunctionNames.end();
}

bool TKSFunctionSplitter::variableText(std::string_view name, std::string& text) const
{
    if (!Variables || name.empty() || Variables->IndexOf(name) < 0)
        return false;
    const platform::Variant value = Variables->GetValue(name);
    text = value.isNull() || value.isEmpty() ? std::string() : value.toString();
    return true;
}

void TKSFunctionSplitter::split(std::string_view expression, int depth)
{
    if (depth > kMaxDepth)
        throw EKSExpressionError("Expression variables refer to each other too deeply");
    const std::string_view text = exprtext::trimmed(expression);
    if (text.empty() || text.front() == '\'')
        return;

    std::size_t p = 0;
    std::string nested;  // a variable's text; scanned before the next token
    while (p < text.size()) {
        if (text[p] == '[') {
            std::size_t close = exprtext::findMatchingBracket(text, p);
            const std::size_t end = close == exprtext::npos ? text.size() : close;
            const std::string_view part = text.substr(p + 1, end - p - 1);
            if (variableText(part, nested))
                split(nested, depth + 1);
            else
                split(part, depth + 1);
            p = end + 1;
            continue;
        }
        const std::string_view token = exprtext::readToken(text, p);
        if (p < text.size() && text[p] == '(') {
            const std::size_t start = static_cast<std::size_t>(token.data() - text.data());
            ++p;
            exprtext::CallArguments arguments;
            exprtext::scanArguments(text, p, arguments);
            for (int i = 0; i < std::min(arguments.count, 3); ++i)
                split(arguments.items[i], depth + 1);
            if (isListed(token))
                Output.emplace_back(text.substr(start, p - start));
            continue;
        }
        if (variableText(token, nested))
            split(nested, depth + 1);
        if (p < text.size() && isSkippedByte(text[p]))
            ++p;
        else if (token.empty())
            break;
    }
}
