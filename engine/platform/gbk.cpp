// GBK byte-string helpers: character boundaries, conversion to and from UTF-8
// through iconv, ASCII-only case mapping and the engine's name comparison.
#include "platform/gbk.h"

#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD";  // U+FFFD

bool isTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

bool isAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// One iconv descriptor per direction and thread, opened on first use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; on return `in` points behind what was consumed.
    // Returns false at a byte sequence that does not convert (errno tells why).
    bool convert(const char*& in, std::size_t& inLeft, std::string& out)
    {
        char buffer[1024];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            char* inPtr = const_cast<char*>(in);
            std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            int error = errno;
            in = inPtr;
            out.append(buffer, std::size_t(outPtr - buffer));
            if (rc == std::size_t(-1) && error != E2BIG) {
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
                errno = error;
                return false;
            }
        }
        return true;
    }

private:
    iconv_t cd_;
};

Converter& gbkDecoder()
{
    thread_local Converter converter("UTF-8", "GBK");
    return converter;
}

Converter& gbkEncoder()
{
    thread_local Converter converter("GBK", "UTF-8");
    return converter;
}

// Bytes to skip at an unconvertible GBK position: a lead byte with a proper
// trail byte is one unmapped character; anything else is one stray byte.
std::size_t badGbkLength(const char* at, std::size_t left)
{
    auto lead = static_cast<unsigned char>(at[0]);
    if (left >= 2 && isLeadByte(lead) && isTrailByte(static_cast<unsigned char>(at[1])))
        return 2;
    return 1;
}

// Bytes of the UTF-8 character starting at `at`; a truncated sequence counts
// as one character (its lead byte and the continuation bytes present).
std::size_t badUtf8Length(const char* at, std::size_t left)
{
    auto lead = static_cast<unsigned char>(at[0]);
    std::size_t length = lead >= 0xF5 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
    std::size_t n = 1;
    while (n < length && n < left && (static_cast<unsigned char>(at[n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

template <class SkipLength>
std::string convertAll(Converter& converter, std::string_view text, std::string_view replacement, SkipLength skipLength)
{
    std::string out;
    out.reserve(text.size() * 3 / 2);
    const char* in = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        if (converter.valid() && converter.convert(in, left, out))
            break;
        if (left == 0)
            break;
        std::size_t skip = converter.valid() ? skipLength(in, left) : left;
        out.append(replacement);
        in += skip;
        left -= skip;
    }
    return out;
}

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

template <class MapChar>
std::string mapSingleBytes(std::string_view gbk, MapChar map)
{
    std::string out(gbk);
    for (std::size_t i = 0; i < out.size(); i += charLength(out, i))
        if (charLength(out, i) == 1)
            out[i] = map(out[i]);
    return out;
}

} // namespace

std::size_t charLength(std::string_view text, std::size_t pos)
{
    if (pos < text.size() && isLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size())
        return 2;
    return 1;
}

std::string gbkToUtf8(std::string_view gbk)
{
    if (isAscii(gbk))
        return std::string(gbk);
    return convertAll(gbkDecoder(), gbk, kReplacementUtf8, badGbkLength);
}

std::string utf8ToGbk(std::string_view utf8)
{
    if (isAscii(utf8))
        return std::string(utf8);
    return convertAll(gbkEncoder(), utf8, "?", badUtf8Length);
}

std::string upperCase(std::string_view gbk) { return mapSingleBytes(gbk, upperAscii); }
std::string lowerCase(std::string_view gbk) { return mapSingleBytes(gbk, lowerAscii); }

int compareTextIgnoreCase(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    while (i < a.size() && i < b.size()) {
        std::size_t lengthA = charLength(a, i);
        // Single-byte letters fold to upper case; bytes of double-byte
        // characters (trail bytes included) compare as they are.
        auto ca = static_cast<unsigned char>(lengthA == 1 ? upperAscii(a[i]) : a[i]);
        auto cb = static_cast<unsigned char>(charLength(b, i) == 1 ? upperAscii(b[i]) : b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (lengthA == 2 && charLength(b, i) == 2) {
            auto ta = static_cast<unsigned char>(a[i + 1]);
            auto tb = static_cast<unsigned char>(b[i + 1]);
            if (ta != tb)
                return ta < tb ? -1 : 1;
        }
        i += lengthA;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && compareTextIgnoreCase(a, b) == 0;
}

} // namespace platform
