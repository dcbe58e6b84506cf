// The keyword table: a perfect hash over the 49 keywords, keyed by the length
// plus weights of the first three and the last letter, then one full comparison.
#include "script/tokens.h"

#include <array>
#include <cstdint>

namespace {

struct Keyword {
    const char* text;
    int code;
};

constexpr Keyword kKeywords[] = {
    {"TRUE", tok::True}, {"FALSE", tok::False}, {"OR", tok::Or}, {"AND", tok::And}, {"NOT", tok::Not},
    {"DIV", tok::Div}, {"MOD", tok::Mod}, {"BEGIN", tok::Begin}, {"END", tok::End}, {"IF", tok::If},
    {"THEN", tok::Then}, {"ELSE", tok::Else}, {"WHILE", tok::While}, {"DO", tok::Do},
    {"REPEAT", tok::Repeat}, {"UNTIL", tok::Until}, {"PROCEDURE", tok::Procedure},
    {"FUNCTION", tok::Function}, {"FOR", tok::For}, {"TO", tok::To}, {"BREAK", tok::Break},
    {"CONTINUE", tok::Continue}, {"VAR", tok::Var}, {"TRY", tok::Try}, {"FINALLY", tok::Finally},
    {"EXCEPT", tok::Except}, {"ON", tok::On}, {"RAISE", tok::Raise}, {"EXTERNAL", tok::External},
    {"UNIT", tok::Unit}, {"USES", tok::Uses}, {"CONST", tok::Const}, {"PUBLIC", tok::Public},
    {"PRIVATE", tok::Private}, {"PROTECTED", tok::Protected}, {"PUBLISHED", tok::Published},
    {"PROPERTY", tok::Property}, {"CLASS", tok::Class}, {"TYPE", tok::Type},
    {"INTERFACE", tok::Interface}, {"IMPLEMENTATION", tok::Implementation}, {"EXIT", tok::Exit},
    {"ARRAY", tok::Array}, {"OF", tok::Of}, {"CASE", tok::Case}, {"PROGRAM", tok::Program},
    {"IN", tok::In}, {"RECORD", tok::Record}, {"DOWNTO", tok::Downto},
};

constexpr char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Letter weights are chosen at compile time below so that every keyword lands
// in its own slot; the hash reads only four letters and the length.
constexpr std::size_t kSlots = 512;

constexpr unsigned weightOf(char c, unsigned seed)
{
    unsigned u = static_cast<unsigned char>(upperAscii(c));
    return (u * 2654435761u ^ seed) >> 7;
}

constexpr unsigned hashOf(std::string_view s, unsigned seed)
{
    return unsigned(s.size()) + weightOf(s[0], seed) + 3 * weightOf(s[1], seed + 1) +
           (s.size() > 2 ? 5 * weightOf(s[2], seed + 2) : 0u) + 7 * weightOf(s.back(), seed + 3);
}

struct Table {
    std::array<int8_t, kSlots> slot{};
    unsigned seed = 0;
};

constexpr bool tryBuild(Table& table, unsigned seed)
{
    table.slot.fill(-1);
    table.seed = seed;
    for (std::size_t i = 0; i < std::size(kKeywords); ++i) {
        unsigned h = hashOf(kKeywords[i].text, seed) % kSlots;
        if (table.slot[h] >= 0)
            return false;
        table.slot[h] = int8_t(i);
    }
    return true;
}

constexpr Table buildTable()
{
    Table table;
    for (unsigned seed = 1;; ++seed) {
        if (tryBuild(table, seed))
            return table;
    }
}

constexpr Table kTable = buildTable();

} // namespace

int keywordCode(std::string_view text)
{
    if (text.size() < 2 || text.size() > 14)
        return 0;
    const int8_t index = kTable.slot[hashOf(text, kTable.seed) % kSlots];
    if (index < 0)
        return 0;
    std::string_view word = kKeywords[index].text;
    if (word.size() != text.size())
        return 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (upperAscii(text[i]) != word[i])
            return 0;
    }
    return kKeywords[index].code;
}
