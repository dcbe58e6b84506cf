// A picture in memory: bitmap, metafile, icon or JPEG bytes exactly as stored,
// with the image decoded from them on first use when this platform can.
#pragma once

#include "platform/stream.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The numbers are the kinds of the stored picture record.
enum class GraphicKind : std::uint8_t { Bitmap = 1, Metafile = 2, Icon = 3, Jpeg = 4 };

// Decoding refuses pictures beyond these bounds, so damaged headers cannot
// ask for huge allocations.
inline constexpr int kMaxGraphicSide = 20000;
inline constexpr std::int64_t kMaxGraphicPixels = 100'000'000;

class Graphic {
public:
    explicit Graphic(GraphicKind kind);

    // A graphic whose kind follows the file's extension (.bmp .jpg .jpeg .ico
    // .wmf .emf), loaded from the file. Raises StreamError for another
    // extension or a file that cannot be read.
    static std::unique_ptr<Graphic> fromFile(std::string_view path);

    GraphicKind kind() const { return kind_; }

    // Takes every byte from the stream's position to its end.
    void loadFromStream(Stream& stream);
    void loadFromBytes(std::string bytes);
    void loadFromFile(std::string_view path);
    // Writes the bytes unchanged, also when they could not be decoded.
    void saveToStream(Stream& stream) const;
    void saveToFile(std::string_view path) const;

    // Replaces the bytes by the image encoded in this graphic's kind (JPEG at
    // the given quality 1..100). A metafile cannot be made from an image:
    // StreamError.
    void assignImage(const QImage& image, int jpegQuality = 90);
    void clear();

    // No bytes at all.
    bool empty() const { return bytes_.empty(); }
    // The bytes could be decoded into an image that can be drawn.
    bool drawable() const { return !image().isNull(); }
    // Size in pixels: of the decoded image, of a metafile's header frame, else 0.
    int width() const;
    int height() const;
    // Resolution stored with the picture, 96 when it gives none.
    double dotsPerInchX() const;
    double dotsPerInchY() const;
    // One bit per pixel (only bitmaps can be).
    bool monochrome() const;
    // The decoded image (null when not decodable); decoded once, on first use.
    const QImage& image() const;
    const std::string& bytes() const { return bytes_; }

private:
    void invalidate();
    void decode() const;

    GraphicKind kind_;
    std::string bytes_;
    mutable bool decoded_ = false;
    mutable QImage image_;
    mutable int metafileWidth_ = 0;
    mutable int metafileHeight_ = 0;
};

// The JPEG codec (libjpeg), used for JPEG graphics. Decoding returns a null
// image for data that is not JPEG, damaged beyond reading or too large;
// encoding raises StreamError when libjpeg fails.
QImage decodeJpeg(std::string_view bytes);
std::string encodeJpeg(const QImage& image, int quality);

} // namespace platform
