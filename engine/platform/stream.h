// Byte streams: the abstract stream every stored structure is read from and
// written to, a memory stream and a file stream.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Raised for every failed stream operation: a short read, a bad seek, a file
// that cannot be opened, a write to a read-only stream.
class StreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Stream {
public:
    virtual ~Stream() = default;

    // Reads up to n bytes; returns the number read (0 at or past the end).
    virtual std::size_t read(void* buffer, std::size_t n) = 0;
    virtual void write(const void* buffer, std::size_t n) = 0;
    // Positions are absolute; seeking past the end is allowed (a later write
    // fills the gap with zero bytes), seeking before 0 is an error.
    virtual void seek(std::int64_t position) = 0;
    virtual std::int64_t position() const = 0;
    virtual std::int64_t size() const = 0;
    virtual void setSize(std::int64_t size) = 0;

    // Reads exactly n bytes or throws StreamError without consuming anything
    // from a memory stream. Memory streams take the inline path below.
    void readExact(void* buffer, std::size_t n)
    {
        if (memData_ && memPos_ <= memSize_ && n <= memSize_ - memPos_) {
            if (n)
                std::memcpy(buffer, memData_ + memPos_, n);
            memPos_ += n;
            return;
        }
        readExactSlow(buffer, n);
    }

    // Bytes between the position and the end (0 when positioned past the end).
    std::int64_t remaining() const;
    void seekToEnd() { seek(size()); }
    // Copies count bytes from the source's position to this stream's position;
    // throws StreamError when the source holds fewer.
    void copyFrom(Stream& source, std::int64_t count);

protected:
    // A stream whose bytes live in one contiguous block publishes it here so
    // that readExact needs no virtual call. memPos_ may exceed memSize_.
    const unsigned char* memData_ = nullptr;
    std::size_t memPos_ = 0;
    std::size_t memSize_ = 0;

private:
    void readExactSlow(void* buffer, std::size_t n);
};

// Bytes in memory: growable and writable, or a read-only view of bytes
// owned by someone else (which must outlive the stream).
class MemoryStream final : public Stream {
public:
    MemoryStream();
    explicit MemoryStream(std::string_view bytes);              // copies
    explicit MemoryStream(std::vector<unsigned char> bytes);    // takes over
    static MemoryStream wrap(const void* data, std::size_t size); // read-only view

    MemoryStream(MemoryStream&& other) noexcept;
    MemoryStream& operator=(MemoryStream&& other) noexcept;
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    std::size_t read(void* buffer, std::size_t n) override;
    void write(const void* buffer, std::size_t n) override;
    void seek(std::int64_t position) override;
    std::int64_t position() const override { return static_cast<std::int64_t>(memPos_); }
    std::int64_t size() const override { return static_cast<std::int64_t>(memSize_); }
    void setSize(std::int64_t size) override;

    bool readOnly() const { return readOnly_; }
    const unsigned char* data() const { return memData_; }
    std::string_view bytes() const;
    std::string toString() const { return std::string(bytes()); }
    // Empties the stream (a wrapped view becomes an empty writable stream).
    void clear();

private:
    void ensureWritable() const;
    void resizeBuffer(std::size_t size);

    std::vector<unsigned char> buffer_;
    bool readOnly_ = false;
};

// A file on disk. The path is engine text (GBK), converted at this edge.
class FileStream final : public Stream {
public:
    enum class Mode { Read, Create, ReadWrite };

    FileStream(std::string_view path, Mode mode);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    std::size_t read(void* buffer, std::size_t n) override;
    void write(const void* buffer, std::size_t n) override;
    void seek(std::int64_t position) override;
    std::int64_t position() const override;
    std::int64_t size() const override;
    void setSize(std::int64_t size) override;

    const std::string& path() const { return path_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string path_;
};

} // namespace platform
