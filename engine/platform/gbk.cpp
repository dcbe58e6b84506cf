// GBK byte-string helpers (placeholder bodies are replaced by the GBK work).
#include "platform/gbk.h"

namespace platform {

std::size_t charLength(std::string_view text, std::size_t pos)
{
    if (pos < text.size() && isLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size())
        return 2;
    return 1;
}

} // namespace platform
