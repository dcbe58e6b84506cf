// Streams as objects scripts can hold ("TStream", "TFileStream",
// "TMemoryStream", "TStringStream"): each owns one platform stream.
#pragma once

#include "platform/reflection.h"
#include "platform/stream.h"

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class StreamObject : public Object {
public:
    TK_CLASS_INFO
    Stream& stream() const { return *stream_; }

    // Reads up to count bytes (fewer at the end).
    std::string read(std::int64_t count);
    void write(std::string_view bytes) { stream_->write(bytes.data(), bytes.size()); }
    // Origin 0 beginning, 1 current position, 2 end; answers the new position.
    std::int64_t seek(std::int64_t offset, int origin);
    // Copies count bytes from the source's position (0: the whole source from
    // its start); answers the bytes copied.
    std::int64_t copyFrom(StreamObject& source, std::int64_t count);

protected:
    explicit StreamObject(std::unique_ptr<Stream> stream) : stream_(std::move(stream)) {}

private:
    std::unique_ptr<Stream> stream_;
};

class FileStreamObject : public StreamObject {
public:
    TK_CLASS_INFO
    // Mode as the runtime numbers it: 0xFFFF creates, low bits 0 read, 1 write, 2 both.
    FileStreamObject(std::string_view path, int mode);
    static constexpr int fmCreate = 0xFFFF;
};

class MemoryStreamObject : public StreamObject {
public:
    TK_CLASS_INFO
    MemoryStreamObject() : MemoryStreamObject(std::string_view()) {}
    explicit MemoryStreamObject(std::string_view bytes);
    std::string bytes() const { return static_cast<MemoryStream&>(stream()).toString(); }
};

class StringStreamObject : public MemoryStreamObject {
public:
    TK_CLASS_INFO
    explicit StringStreamObject(std::string_view text = {}) : MemoryStreamObject(text) {}
};

} // namespace platform
