// TKSDictionary: reading and writing the stored dictionary block.
#include "core/dictionary.h"

#include "core/streamio.h"

namespace {

const std::string& dictionaryMagic()
{
    static const std::string magic = std::string("Tabellomatics Dictionary File 30") + '\x1A';
    return magic;
}

// Entries before version 61 have no type word.
constexpr std::uint16_t kFirstTypedVersion = 61;

// Each entry takes at least two bytes, so a count beyond half of what is
// left cannot be genuine and is refused before anything is reserved.
std::vector<TKSDictionary::Entry> readList(platform::Stream& s, std::uint16_t version)
{
    const std::int32_t count = readInteger(s);
    const std::int64_t left = s.size() - s.position();
    if (count < 0 || count > left / 2)
        throw platform::StreamError("Damaged dictionary: entry count out of range");
    std::vector<TKSDictionary::Entry> list;
    for (std::int32_t i = 0; i < count; ++i) {
        TKSDictionary::Entry e;
        e.Name = readString(s);
        if (version >= kFirstTypedVersion)
            e.ValueType = readWord(s);
        e.Value = readString(s);
        list.push_back(std::move(e));
    }
    return list;
}

void writeList(platform::Stream& s, const std::vector<TKSDictionary::Entry>& list)
{
    writeInteger(s, static_cast<std::int32_t>(list.size()));
    for (const TKSDictionary::Entry& e : list) {
        writeString(s, e.Name);
        writeWord(s, e.ValueType);
        writeString(s, e.Value);
    }
}

} // namespace

void TKSDictionary::Clear()
{
    Variables.clear();
    FieldAliases.clear();
}

bool TKSDictionary::LoadFromStream(platform::Stream& s)
{
    Clear();
    const std::uint16_t version = readWord(s);
    if (readString(s) != dictionaryMagic())
        return false;
    auto variables = readList(s, version);
    auto aliases = readList(s, version);
    Variables = std::move(variables);
    FieldAliases = std::move(aliases);
    return true;
}

void TKSDictionary::SaveToStream(platform::Stream& s) const
{
    writeWord(s, kVersion);
    writeString(s, dictionaryMagic());
    writeList(s, Variables);
    writeList(s, FieldAliases);
}
