// Byte streams: the slow read path, the memory stream and the file stream
// (over QFile, so that any local path works).
#include "platform/stream.h"

#include "platform/gbk.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <limits>

namespace platform {

namespace {

std::size_t toOffset(std::int64_t position)
{
    if (position < 0)
        throw StreamError("Stream seek error: negative position " + std::to_string(position));
    if (static_cast<std::uint64_t>(position) > std::numeric_limits<std::size_t>::max() / 2)
        throw StreamError("Stream seek error: position " + std::to_string(position) + " out of range");
    return static_cast<std::size_t>(position);
}

} // namespace

// ---- Stream

std::int64_t Stream::remaining() const
{
    return std::max<std::int64_t>(0, size() - position());
}

void Stream::readExactSlow(void* buffer, std::size_t n)
{
    const std::int64_t start = position();
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t got = 0;
    if (memData_) {
        // A memory stream only gets here when it holds too few bytes: read nothing.
        got = static_cast<std::size_t>(remaining());
    } else {
        while (got < n) {
            const std::size_t chunk = read(out + got, n - got);
            if (chunk == 0)
                break;
            got += chunk;
        }
        if (got == n)
            return;
        seek(start);
    }
    throw StreamError("Stream read error: " + std::to_string(n) + " bytes expected at position "
                      + std::to_string(start) + ", " + std::to_string(got) + " available");
}

void Stream::copyFrom(Stream& source, std::int64_t count)
{
    if (count < 0 || count > source.remaining())
        throw StreamError("Stream read error: " + std::to_string(count) + " bytes expected at position "
                          + std::to_string(source.position()) + ", "
                          + std::to_string(source.remaining()) + " available");
    std::vector<unsigned char> chunk(static_cast<std::size_t>(std::min<std::int64_t>(count, 64 * 1024)));
    while (count > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(count, std::ssize(chunk)));
        source.readExact(chunk.data(), n);
        write(chunk.data(), n);
        count -= static_cast<std::int64_t>(n);
    }
}

// ---- MemoryStream

MemoryStream::MemoryStream() = default;

MemoryStream::MemoryStream(std::string_view bytes)
    : buffer_(bytes.begin(), bytes.end())
{
    memData_ = buffer_.data();
    memSize_ = buffer_.size();
}

MemoryStream::MemoryStream(std::vector<unsigned char> bytes)
    : buffer_(std::move(bytes))
{
    memData_ = buffer_.data();
    memSize_ = buffer_.size();
}

MemoryStream MemoryStream::wrap(const void* data, std::size_t size)
{
    MemoryStream stream;
    stream.memData_ = static_cast<const unsigned char*>(data);
    stream.memSize_ = size;
    stream.readOnly_ = true;
    return stream;
}

MemoryStream::MemoryStream(MemoryStream&& other) noexcept
{
    *this = std::move(other);
}

MemoryStream& MemoryStream::operator=(MemoryStream&& other) noexcept
{
    if (this != &other) {
        buffer_ = std::move(other.buffer_);
        readOnly_ = other.readOnly_;
        memData_ = readOnly_ ? other.memData_ : buffer_.data();
        memSize_ = other.memSize_;
        memPos_ = other.memPos_;
        other.buffer_.clear();
        other.memData_ = nullptr;
        other.memSize_ = other.memPos_ = 0;
        other.readOnly_ = false;
    }
    return *this;
}

std::size_t MemoryStream::read(void* buffer, std::size_t n)
{
    if (memPos_ >= memSize_)
        return 0;
    n = std::min(n, memSize_ - memPos_);
    if (n)
        std::memcpy(buffer, memData_ + memPos_, n);
    memPos_ += n;
    return n;
}

void MemoryStream::write(const void* buffer, std::size_t n)
{
    ensureWritable();
    if (n == 0)
        return;
    if (n > std::numeric_limits<std::size_t>::max() / 2 - memPos_)
        throw StreamError("Stream write error: stream too large");
    const std::size_t end = memPos_ + n;
    if (end > memSize_)
        resizeBuffer(end);
    std::memcpy(buffer_.data() + memPos_, buffer, n);
    memPos_ = end;
}

void MemoryStream::seek(std::int64_t position)
{
    memPos_ = toOffset(position);
}

void MemoryStream::setSize(std::int64_t size)
{
    ensureWritable();
    resizeBuffer(toOffset(size));
    memPos_ = std::min(memPos_, memSize_);
}

std::string_view MemoryStream::bytes() const
{
    return memSize_ ? std::string_view(reinterpret_cast<const char*>(memData_), memSize_) : std::string_view();
}

void MemoryStream::clear()
{
    buffer_.clear();
    readOnly_ = false;
    memData_ = nullptr;
    memSize_ = memPos_ = 0;
}

void MemoryStream::ensureWritable() const
{
    if (readOnly_)
        throw StreamError("Stream write error: the memory stream is read-only");
}

void MemoryStream::resizeBuffer(std::size_t size)
{
    // Grow geometrically: writers append one small primitive at a time.
    if (size > buffer_.capacity())
        buffer_.reserve(std::max(size, buffer_.capacity() * 2));
    buffer_.resize(size);
    memData_ = buffer_.data();
    memSize_ = size;
}

// ---- FileStream

struct FileStream::Impl {
    QFile file;
};

FileStream::FileStream(std::string_view path, Mode mode)
    : impl_(std::make_unique<Impl>())
    , path_(path)
{
    impl_->file.setFileName(QString::fromStdString(gbkToUtf8(path)));
    QIODevice::OpenMode flags = QIODevice::ReadOnly;
    if (mode == Mode::Create)
        flags = QIODevice::ReadWrite | QIODevice::Truncate;
    else if (mode == Mode::ReadWrite)
        flags = QIODevice::ReadWrite;
    if (!impl_->file.open(flags))
        throw StreamError("Cannot open file \"" + path_ + "\": " + impl_->file.errorString().toStdString());
}

FileStream::~FileStream() = default;

std::size_t FileStream::read(void* buffer, std::size_t n)
{
    const qint64 got = impl_->file.read(static_cast<char*>(buffer), static_cast<qint64>(n));
    if (got < 0)
        throw StreamError("Stream read error in \"" + path_ + "\": " + impl_->file.errorString().toStdString());
    return static_cast<std::size_t>(got);
}

void FileStream::write(const void* buffer, std::size_t n)
{
    if (n == 0)
        return;
    const qint64 put = impl_->file.write(static_cast<const char*>(buffer), static_cast<qint64>(n));
    if (put != static_cast<qint64>(n))
        throw StreamError("Stream write error in \"" + path_ + "\": " + impl_->file.errorString().toStdString());
}

void FileStream::seek(std::int64_t position)
{
    if (position < 0 || !impl_->file.seek(position))
        throw StreamError("Stream seek error in \"" + path_ + "\": position " + std::to_string(position));
}

std::int64_t FileStream::position() const
{
    return impl_->file.pos();
}

std::int64_t FileStream::size() const
{
    return impl_->file.size();
}

void FileStream::setSize(std::int64_t size)
{
    if (size < 0 || !impl_->file.resize(size))
        throw StreamError("Stream write error in \"" + path_ + "\": cannot set size " + std::to_string(size));
    if (position() > size)
        seek(size);
}

} // namespace platform
