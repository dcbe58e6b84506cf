// Programs: 'program' Name ';' declarations 'begin' statements 'end' '.'.
#include "script/program.h"

#include "platform/gbk.h"

void TKSInterpreterProgram::setPas(std::vector<std::string> lines)
{
    pas_ = std::move(lines);
    std::string text;
    for (std::size_t i = 0; i < pas_.size(); ++i)
        text += (i ? "\r\n" : "") + pas_[i];
    setSource(std::move(text));
}

Variant TKSInterpreterProgram::Run()
{
    if (source().size() < 8 || !platform::sameName(std::string_view(source()).substr(0, 8), "program "))
        return TKSInterpreterUnit::Run();
    reset();
    return runReportingErrors([this] { runProgram(); });
}

void TKSInterpreterProgram::runProgram()
{
    readHeaderName();
    std::vector<std::string> usesNames;
    while (cc_ != tok::Begin && cc_ != tok::End) {
        if (!readUnitDeclaration(usesNames))
            expected("'end'");
    }
    adapter().RegisterSourceUnit(currentUnit_, stream_->source, {});
    if (cc_ == tok::Begin)
        compound();
    else
        nextToken();
    if (cc_ != tok::Dot)
        expected("'.'");
    compiled_ = true;
}
