// A published list of texts: editing, text form and its form-text data.
#include "platform/reflection_strings.h"

namespace platform {

const ClassInfo& Strings::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<Strings>("TStrings", &Persistent::staticClassInfo())
        .list("Strings", &Strings::lines, &Strings::setLines);
    return info;
}

const ClassInfo& StringList::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<StringList>("TStringList", &Strings::staticClassInfo());
    return info;
}

void Strings::changed()
{
    if (onChange)
        onChange();
}

void Strings::setLines(std::vector<std::string> lines)
{
    lines_ = std::move(lines);
    changed();
}

std::string Strings::line(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return lines_[static_cast<std::size_t>(index)];
}

void Strings::add(std::string line)
{
    lines_.push_back(std::move(line));
    changed();
}

void Strings::clear()
{
    lines_.clear();
    changed();
}

std::string Strings::text() const
{
    std::string out;
    for (const std::string& line : lines_) {
        out += line;
        out += "\r\n";
    }
    return out;
}

void Strings::setText(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    setLines(std::move(lines));
}

void Strings::assign(const Persistent& source)
{
    if (const auto* other = dynamic_cast<const Strings*>(&source)) {
        setLines(other->lines_);
        return;
    }
    Persistent::assign(source);
}

} // namespace platform
