// The Picture primitive. The end position is patched in after the data so
// that readers can skip kinds and data they do not understand.
#include "core/picture_record.h"

#include "core/streamio.h"

#include <string>

void writePicture(platform::Stream& s, const platform::Graphic* graphic)
{
    writeByte(s, graphic ? static_cast<std::uint8_t>(graphic->kind()) : 0);
    const std::int64_t endAt = writeEndPositionPlaceholder(s);
    if (graphic)
        graphic->saveToStream(s);
    patchEndPosition(s, endAt);
}

namespace {

bool knownKind(std::uint8_t kind)
{
    return kind >= static_cast<std::uint8_t>(platform::GraphicKind::Bitmap)
        && kind <= static_cast<std::uint8_t>(platform::GraphicKind::Jpeg);
}

} // namespace

std::unique_ptr<platform::Graphic> readPicture(platform::Stream& s)
{
    const std::uint8_t kind = readByte(s);
    const std::int32_t end = readInteger(s);
    const std::int64_t start = s.position();
    if (end < start || end > s.size())
        throw platform::StreamError("Stream read error: picture end position " + std::to_string(end)
                                    + " outside " + std::to_string(start) + ".."
                                    + std::to_string(s.size()));
    std::unique_ptr<platform::Graphic> graphic;
    if (knownKind(kind)) {
        std::string bytes(static_cast<std::size_t>(end - start), '\0');
        s.readExact(bytes.data(), bytes.size());
        graphic = std::make_unique<platform::Graphic>(static_cast<platform::GraphicKind>(kind));
        graphic->loadFromBytes(std::move(bytes));
    }
    s.seek(end);
    return graphic;
}
