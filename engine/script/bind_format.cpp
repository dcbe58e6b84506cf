// Format: parses each specifier and renders the matching argument; numbers go
// through the number-pattern formatter so rounding matches FormatFloat.
#include "script/bind_format.h"

#include "expr/numberformat.h"
#include "platform/variant_format.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace {

struct Spec {
    bool leftAlign = false;
    int width = -1;
    int precision = -1;
    char type = 0;
};

class Formatter {
public:
    Formatter(std::string_view format, std::span<const Variant> args) : format_(format), args_(args) {}

    std::string run()
    {
        std::string out;
        std::size_t i = 0;
        while (i < format_.size()) {
            const char c = format_[i++];
            if (c != '%') {
                out += c;
                continue;
            }
            if (i < format_.size() && format_[i] == '%') {
                out += '%';
                ++i;
                continue;
            }
            Spec spec = parseSpec(i);
            out += pad(render(spec), spec);
        }
        return out;
    }

private:
    [[noreturn]] void invalid() const
    {
        throw std::runtime_error("Format '" + std::string(format_) + "' invalid or incompatible with argument");
    }

    const Variant& nextArg()
    {
        if (next_ >= args_.size())
            invalid();
        return args_[next_++];
    }

    // Digits or "*"; -1 when neither is there.
    int readNumber(std::size_t& i)
    {
        if (i < format_.size() && format_[i] == '*') {
            ++i;
            const Variant& v = nextArg();
            if (!v.isInteger())
                invalid();
            return v.toInteger();
        }
        if (i >= format_.size() || format_[i] < '0' || format_[i] > '9')
            return -1;
        long long n = 0;
        while (i < format_.size() && format_[i] >= '0' && format_[i] <= '9') {
            n = n * 10 + (format_[i++] - '0');
            if (n > 1000000)  // no sane field is this wide; refuse instead of allocating it
                invalid();
        }
        return int(n);
    }

    Spec parseSpec(std::size_t& i)
    {
        Spec spec;
        int n = readNumber(i);
        if (i < format_.size() && format_[i] == ':') {  // an argument index
            ++i;
            if (n < 0)
                n = 0;
            next_ = std::size_t(n);
            n = -1;
        }
        if (n < 0) {
            if (i < format_.size() && format_[i] == '-') {
                spec.leftAlign = true;
                ++i;
            }
            n = readNumber(i);
        }
        spec.width = n;
        if (i < format_.size() && format_[i] == '.') {
            ++i;
            spec.precision = readNumber(i);
            if (spec.precision < 0)
                spec.precision = 0;
        }
        if (i >= format_.size())
            invalid();
        spec.type = char(format_[i++] | 0x20);
        return spec;
    }

    std::string pad(std::string text, const Spec& spec) const
    {
        if (spec.width > 0 && text.size() < std::size_t(spec.width)) {
            const std::string fill(std::size_t(spec.width) - text.size(), ' ');
            text = spec.leftAlign ? text + fill : fill + text;
        }
        return text;
    }

    static std::string withMinimumDigits(std::string digits, int precision, bool negative)
    {
        if (precision > 0 && digits.size() < std::size_t(precision))
            digits.insert(0, std::size_t(precision) - digits.size(), '0');
        return negative ? "-" + digits : digits;
    }

    double floatArg()
    {
        const Variant& v = nextArg();
        if (!v.isNumeric() && !v.isDate())
            invalid();
        return v.toDouble();
    }

    std::string render(const Spec& spec)
    {
        switch (spec.type) {
        case 'd': {
            const Variant& v = nextArg();
            if (!v.isInteger())
                invalid();
            const long long n = v.toInt64();
            const unsigned long long magnitude = n < 0 ? 0ull - static_cast<unsigned long long>(n) : n;
            return withMinimumDigits(std::to_string(magnitude), spec.precision, n < 0);
        }
        case 'u': {
            const Variant& v = nextArg();
            if (!v.isInteger())
                invalid();
            return withMinimumDigits(std::to_string(uint32_t(v.toInt64())), spec.precision, false);
        }
        case 'x': {
            const Variant& v = nextArg();
            if (!v.isInteger())
                invalid();
            char buffer[32];
            const long long n = v.toInt64();
            if (n >= INT32_MIN && n <= UINT32_MAX)
                std::snprintf(buffer, sizeof buffer, "%X", unsigned(uint32_t(n)));
            else
                std::snprintf(buffer, sizeof buffer, "%llX", static_cast<unsigned long long>(n));
            return withMinimumDigits(buffer, spec.precision, false);
        }
        case 'p': {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%08llX", static_cast<unsigned long long>(nextArg().payload()));
            return buffer;
        }
        case 's': {
            std::string s = nextArg().toString();
            if (spec.precision >= 0 && s.size() > std::size_t(spec.precision))
                s.resize(std::size_t(spec.precision));
            return s;
        }
        case 'f': return fixed(floatArg(), spec.precision < 0 ? 2 : spec.precision, false);
        case 'n':
        case 'm': return fixed(floatArg(), spec.precision < 0 ? 2 : spec.precision, true);
        case 'e': return scientific(floatArg(), spec.precision < 0 ? 15 : spec.precision);
        case 'g': return platform::formatFloat(floatArg(), spec.precision <= 0 || spec.precision > 18 ? 15 : spec.precision);
        default: invalid();
        }
    }

    static std::string fixed(double value, int decimals, bool grouped)
    {
        decimals = std::min(decimals, 18);
        std::string pattern = grouped ? "#,##0" : "0";
        if (decimals > 0)
            pattern.append(".").append(std::size_t(decimals), '0');
        return numberformat::formatNumber(pattern, value);
    }

    // d.dddE+ddd with `digits` significant digits and at least three exponent digits.
    static std::string scientific(double value, int digits)
    {
        digits = std::clamp(digits, 1, 18);
        std::string pattern = "0";
        if (digits > 1)
            pattern.append(".").append(std::size_t(digits - 1), '0');
        return numberformat::formatNumber(pattern + "E+000", value);
    }

    std::string_view format_;
    std::span<const Variant> args_;
    std::size_t next_ = 0;
};

} // namespace

std::string formatArguments(std::string_view format, std::span<const Variant> args)
{
    return Formatter(format, args).run();
}
