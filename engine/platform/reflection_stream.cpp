// Stream objects: reading, writing, seeking and copying on the owned stream.
#include "platform/reflection_stream.h"

#include <algorithm>

namespace platform {

namespace {

// A script asking for more than this in one call is refused, not allocated.
constexpr std::int64_t kMaxTransfer = std::int64_t(256) << 20;

FileStream::Mode fileMode(int mode)
{
    if (mode == FileStreamObject::fmCreate)
        return FileStream::Mode::Create;
    return (mode & 3) == 0 ? FileStream::Mode::Read : FileStream::Mode::ReadWrite;
}

} // namespace

const ClassInfo& StreamObject::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<StreamObject>("TStream", &Object::staticClassInfo());
    return info;
}

const ClassInfo& FileStreamObject::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<FileStreamObject>("TFileStream", &StreamObject::staticClassInfo());
    return info;
}

const ClassInfo& MemoryStreamObject::staticClassInfo()
{
    static const ClassInfo info =
        ClassInfo::define<MemoryStreamObject>("TMemoryStream", &StreamObject::staticClassInfo());
    return info;
}

const ClassInfo& StringStreamObject::staticClassInfo()
{
    static const ClassInfo info =
        ClassInfo::define<StringStreamObject>("TStringStream", &MemoryStreamObject::staticClassInfo());
    return info;
}

std::string StreamObject::read(std::int64_t count)
{
    count = std::clamp<std::int64_t>(count, 0, std::min(kMaxTransfer, std::max<std::int64_t>(0, stream_->remaining())));
    std::string bytes(static_cast<std::size_t>(count), '\0');
    bytes.resize(stream_->read(bytes.data(), bytes.size()));
    return bytes;
}

std::int64_t StreamObject::seek(std::int64_t offset, int origin)
{
    const std::int64_t base = origin == 1 ? stream_->position() : origin == 2 ? stream_->size() : 0;
    stream_->seek(base + offset);
    return stream_->position();
}

std::int64_t StreamObject::copyFrom(StreamObject& source, std::int64_t count)
{
    if (count == 0) {
        source.stream().seek(0);
        count = source.stream().size();
    }
    if (count < 0 || count > kMaxTransfer)
        throw StreamError("Stream read error");
    stream_->copyFrom(source.stream(), count);
    return count;
}

FileStreamObject::FileStreamObject(std::string_view path, int mode)
    : StreamObject(std::make_unique<FileStream>(path, fileMode(mode)))
{
}

MemoryStreamObject::MemoryStreamObject(std::string_view bytes) : StreamObject(std::make_unique<MemoryStream>(bytes)) {}

} // namespace platform
