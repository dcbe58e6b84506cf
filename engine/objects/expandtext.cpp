// Bracket expansion of view texts: "[" expression "]" replaced by its value's
// text; brackets nest, quotes protect brackets, GBK characters are never split.
#include "objects/view.h"

#include "platform/gbk.h"

namespace {

// Sets the report's expression-evaluation flag for the lifetime of the guard.
class ExpandingGuard {
public:
    explicit ExpandingGuard(TKSReportContext* report) : report_(report)
    {
        if (report_)
            report_->SetExpandingText(true);
    }
    ~ExpandingGuard()
    {
        if (report_)
            report_->SetExpandingText(false);
    }
    ExpandingGuard(const ExpandingGuard&) = delete;
    ExpandingGuard& operator=(const ExpandingGuard&) = delete;

private:
    TKSReportContext* report_;
};

// Position of the first "[" at or after p, stepping over whole characters; npos when none.
std::size_t findOpening(const std::string& text, std::size_t p)
{
    while (p < text.size()) {
        if (text[p] == '[')
            return p;
        p += platform::charLength(text, p);
    }
    return std::string::npos;
}

// Position of the bracket closing the one at `open`; npos when the text ends first.
std::size_t findClosing(const std::string& text, std::size_t open)
{
    int depth = 0;
    bool inDouble = false, inSingle = false;
    for (std::size_t i = open; i < text.size(); i += platform::charLength(text, i)) {
        char c = text[i];
        if (platform::charLength(text, i) == 2)
            continue;
        if (c == '"' && !inSingle) {
            inDouble = !inDouble;
        } else if (c == '\'' && !inDouble) {
            inSingle = !inSingle;
        } else if (!inDouble && !inSingle) {
            if (c == '[') {
                ++depth;
            } else if (c == ']' && --depth == 0) {
                return i;
            }
        }
    }
    return std::string::npos;
}

// Drops the last character (a whole double-byte pair when it is one).
std::string withoutLastCharacter(std::string_view text)
{
    std::size_t last = 0;
    for (std::size_t i = 0; i < text.size(); i += platform::charLength(text, i))
        last = i;
    return std::string(text.substr(0, text.empty() ? 0 : last));
}

} // namespace

std::string TKSReportView::ExpressionValueText(std::string_view expression)
{
    if (!ParentReport)
        return {};
    platform::Variant value = ParentReport->EvaluateExpression(*this, expression);
    if (value.isNull() || value.isEmpty())
        return {};
    return value.toString();
}

std::string TKSReportView::ExpandText(std::string_view source)
{
    ExpandingGuard guard(ParentReport);
    std::string text(source);
    std::size_t p = 0;
    for (;;) {
        std::size_t open = findOpening(text, p);
        if (open == std::string::npos)
            break;
        std::size_t close = findClosing(text, open);
        std::size_t end;
        std::string expression;
        if (close != std::string::npos) {
            expression = text.substr(open + 1, close - open - 1);
            end = close + 1;
        } else {
            // Unclosed: the bracketed part runs to the end, less its last character.
            expression = withoutLastCharacter(std::string_view(text).substr(open + 1));
            end = text.size();
        }
        text.erase(open, end - open);
        std::string value = ExpressionValueText(expression);
        text.insert(open, value);
        p = open + value.size();  // results are never scanned again
    }
    return text;
}
