// Edit masks: formatting a text through a mask (FormatMaskText).
#include "expr/editmask.h"

#include "platform/gbk.h"
#include "platform/variant_format.h"

namespace editmask {

namespace {

bool isInputPosition(char c)
{
    switch (c) {
    case 'L': case 'l': case 'A': case 'a': case 'C': case 'c': case '0': case '9': case '#':
        return true;
    default:
        return false;
    }
}

struct MaskFields {
    std::string_view mask;
    bool saveLiterals = true;
    char blank = '_';
};

// The mask ends at the first ";" that is not escaped; the next two fields
// follow it.
MaskFields splitFields(std::string_view editMask)
{
    MaskFields fields;
    std::size_t i = 0;
    while (i < editMask.size() && editMask[i] != ';')
        i += editMask[i] == '\\' ? 2 : platform::charLength(editMask, i);
    i = std::min(i, editMask.size());
    fields.mask = editMask.substr(0, i);
    if (i >= editMask.size())
        return fields;
    std::string_view rest = editMask.substr(i + 1);
    std::size_t semicolon = rest.find(';');
    fields.saveLiterals = !rest.starts_with('0');
    if (semicolon != std::string_view::npos && semicolon + 1 < rest.size())
        fields.blank = rest[semicolon + 1];
    return fields;
}

class MaskWriter {
public:
    MaskWriter(const MaskFields& fields, std::string_view value) : fields_(fields), value_(value) {}

    std::string run()
    {
        std::string_view mask = fields_.mask;
        for (std::size_t i = 0; i < mask.size();) {
            char c = mask[i];
            if (c == '\\' && i + 1 < mask.size()) {
                std::size_t length = platform::charLength(mask, i + 1);
                literal(mask.substr(i + 1, length));
                i += 1 + length;
            } else if (c == '<' && i + 1 < mask.size() && mask[i + 1] == '>') {
                caseMode_ = 0;
                i += 2;
            } else if (c == '>' || c == '<') {
                caseMode_ = c == '>' ? 1 : -1;
                ++i;
            } else if (c == '!') {
                ++i;
            } else if (isInputPosition(c)) {
                input();
                ++i;
            } else {
                std::size_t length = platform::charLength(mask, i);
                literal(translated(mask.substr(i, length)));
                i += length;
            }
        }
        return std::move(out_);
    }

private:
    std::string translated(std::string_view character) const
    {
        const platform::FormatSettings& settings = platform::formatSettings();
        if (character == ":")
            return std::string(1, settings.TimeSeparator);
        if (character == "/")
            return std::string(1, settings.DateSeparator);
        if (character == "_")
            return " ";
        return std::string(character);
    }

    void literal(std::string_view text)
    {
        out_.append(text);
        if (fields_.saveLiterals)
            skipValueCharacter();
    }

    void input()
    {
        if (pos_ >= value_.size()) {
            out_.push_back(fields_.blank);
            return;
        }
        std::size_t length = platform::charLength(value_, pos_);
        std::string character(value_.substr(pos_, length));
        pos_ += length;
        if (caseMode_ > 0)
            character = platform::upperCase(character);
        else if (caseMode_ < 0)
            character = platform::lowerCase(character);
        out_.append(character);
    }

    void skipValueCharacter()
    {
        if (pos_ < value_.size())
            pos_ += platform::charLength(value_, pos_);
    }

    const MaskFields& fields_;
    std::string_view value_;
    std::size_t pos_ = 0;
    int caseMode_ = 0;  // 1 upper, -1 lower, 0 as entered
    std::string out_;
};

} // namespace

std::string formatMaskText(std::string_view editMask, std::string_view value)
{
    MaskFields fields = splitFields(editMask);
    if (fields.mask.empty())
        return std::string(value);
    return MaskWriter(fields, value).run();
}

} // namespace editmask
