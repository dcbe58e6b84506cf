// zlib compression of prepared-page object streams, at once or on a
// TKSCompressThread.
#include "core/compressthread.h"
#include "core/endpages.h"
#include "core/report.h"

#include <zlib.h>

#include <limits>
#include <memory>
#include <stdexcept>

namespace {

int zlibLevel(int compressionLevel)
{
    switch (compressionLevel) {
    case kszcNone: return Z_NO_COMPRESSION;
    case kszcFastest: return Z_BEST_SPEED;
    case kszcMax: return Z_BEST_COMPRESSION;
    default: return Z_DEFAULT_COMPRESSION;
    }
}

} // namespace

namespace {

// One deflater per thread and level, reset between pages: setting zlib's
// state up afresh for every page costs more than compressing a small page
// (the allocator keeps returning and re-fetching its quarter megabyte).
class Deflater {
public:
    explicit Deflater(int level) : level_(level)
    {
        if (deflateInit(&z_, level) != Z_OK)
            throw std::runtime_error("Prepared page compression could not start");
    }
    ~Deflater() { deflateEnd(&z_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    int level() const { return level_; }

    std::string compress(std::string_view bytes)
    {
        deflateReset(&z_);
        std::string out(deflateBound(&z_, static_cast<uLong>(bytes.size())), '\0');
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        z_.avail_in = static_cast<uInt>(bytes.size());
        z_.next_out = reinterpret_cast<Bytef*>(out.data());
        z_.avail_out = static_cast<uInt>(out.size());
        const int rc = deflate(&z_, Z_FINISH);
        if (rc != Z_STREAM_END)
            throw std::runtime_error("Prepared page compression failed: " + std::string(zError(rc)));
        out.resize(z_.total_out);
        return out;
    }

private:
    z_stream z_{};
    int level_;
};

} // namespace

std::string CompressPageStream(std::string_view bytes, int compressionLevel)
{
    // deflateBound and avail_in are 32-bit: larger pages are refused (the
    // loader refuses to inflate pages of that size anyway).
    if (bytes.size() > std::numeric_limits<uInt>::max() / 2)
        throw std::runtime_error("Prepared page too large to compress");
    thread_local std::unique_ptr<Deflater> deflater;
    const int level = zlibLevel(compressionLevel);
    if (!deflater || deflater->level() != level)
        deflater = std::make_unique<Deflater>(level);
    return deflater->compress(bytes);
}

// Inflates chunk by chunk so that the output grows only with what the data
// really produces, and stops at the limit (a small stream can claim gigabytes).
std::string DecompressPageStream(std::string_view zlibBytes, std::int64_t limit)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        throw std::runtime_error("Prepared page decompression could not start");
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zlibBytes.data()));
    std::size_t inputLeft = zlibBytes.size();
    std::string out;
    char chunk[64 * 1024];
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        const uInt feed = static_cast<uInt>(std::min<std::size_t>(inputLeft, 1u << 30));
        if (z.avail_in == 0 && feed > 0) {
            z.avail_in = feed;
            inputLeft -= feed;
        }
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof chunk;
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            const std::string why = rc == Z_BUF_ERROR ? "data ends early" : (z.msg ? z.msg : zError(rc));
            inflateEnd(&z);
            throw std::runtime_error("Damaged prepared page data: " + why);
        }
        const std::size_t produced = sizeof chunk - z.avail_out;
        if (static_cast<std::int64_t>(out.size() + produced) > limit) {
            inflateEnd(&z);
            throw std::runtime_error("Prepared page data inflates beyond " + std::to_string(limit >> 20) + " MiB");
        }
        out.append(chunk, produced);
        if (rc == Z_OK && produced == 0 && z.avail_in == 0 && inputLeft == 0) {
            inflateEnd(&z);
            throw std::runtime_error("Damaged prepared page data: data ends early");
        }
    }
    inflateEnd(&z);
    return out;
}

TKSCompressThread::TKSCompressThread(std::string_view input, int compressionLevel,
                                     std::function<void(std::optional<std::string>)> onTerminate)
    : task_(
          [this, input, compressionLevel] {
              try {
                  output_ = CompressPageStream(input, compressionLevel);
              } catch (...) {
                  output_.reset();
              }
          },
          [this, onTerminate = std::move(onTerminate)] { onTerminate(std::move(output_)); })
{
}
