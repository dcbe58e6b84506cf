// Pictures in memory: the stored bytes are the truth and are written back
// unchanged; decoding (Qt for bitmaps and icons, libjpeg for JPEG) is lazy.
#include "platform/graphic.h"

#include "platform/gbk.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

std::int32_t littleEndian32(std::string_view bytes, std::size_t at)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    return static_cast<std::int32_t>(std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8)
                                     | (std::uint32_t(b[2]) << 16) | (std::uint32_t(b[3]) << 24));
}

std::int16_t littleEndian16(std::string_view bytes, std::size_t at)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
    return static_cast<std::int16_t>(b[0] | (b[1] << 8));
}

int clampedSide(std::int64_t side)
{
    return static_cast<int>(std::clamp<std::int64_t>(side, 0, kMaxGraphicSide));
}

// Size in screen pixels (96 per inch) from the header of an enhanced metafile
// (frame in hundredths of a millimetre) or a placeable metafile (box in
// units of 1/inch). Other metafiles have no size of their own.
void metafileSize(std::string_view bytes, int& width, int& height)
{
    width = height = 0;
    if (bytes.size() >= 44 && littleEndian32(bytes, 0) == 1 && bytes.substr(40, 4) == " EMF") {
        width = clampedSide((std::int64_t(littleEndian32(bytes, 32)) - littleEndian32(bytes, 24)) * 96 / 2540);
        height = clampedSide((std::int64_t(littleEndian32(bytes, 36)) - littleEndian32(bytes, 28)) * 96 / 2540);
    } else if (bytes.size() >= 22 && bytes.substr(0, 4) == "\xD7\xCD\xC6\x9A") {
        const auto inch = static_cast<std::uint16_t>(littleEndian16(bytes, 14));
        if (inch == 0)
            return;
        width = clampedSide((littleEndian16(bytes, 10) - littleEndian16(bytes, 6)) * 96 / inch);
        height = clampedSide((littleEndian16(bytes, 12) - littleEndian16(bytes, 8)) * 96 / inch);
    }
}

QImage decodeWithQt(const std::string& bytes, const char* format)
{
    QImage image = QImage::fromData(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                    format);
    // fromRawData shares our buffer: detach so the image never points into it.
    image.detach();
    return image;
}

bool withinBounds(const QImage& image)
{
    return image.width() <= kMaxGraphicSide && image.height() <= kMaxGraphicSide
        && std::int64_t(image.width()) * image.height() <= kMaxGraphicPixels;
}

std::string encodeWithQt(const QImage& image, const char* format)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, format))
        throw StreamError(std::string("Cannot encode the image as ") + format);
    return data.toStdString();
}

std::string lowerExtension(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return lowerCase(path.substr(dot));
}

double dotsPerInch(int dotsPerMetre)
{
    return dotsPerMetre > 0 ? dotsPerMetre * 0.0254 : 96.0;
}

} // namespace

Graphic::Graphic(GraphicKind kind)
    : kind_(kind)
{
}

std::unique_ptr<Graphic> Graphic::fromFile(std::string_view path)
{
    const std::string extension = lowerExtension(path);
    GraphicKind kind;
    if (extension == ".bmp")
        kind = GraphicKind::Bitmap;
    else if (extension == ".jpg" || extension == ".jpeg")
        kind = GraphicKind::Jpeg;
    else if (extension == ".ico")
        kind = GraphicKind::Icon;
    else if (extension == ".wmf" || extension == ".emf")
        kind = GraphicKind::Metafile;
    else
        throw StreamError("Unknown picture file extension (" + extension + ")");
    auto graphic = std::make_unique<Graphic>(kind);
    graphic->loadFromFile(path);
    return graphic;
}

void Graphic::loadFromStream(Stream& stream)
{
    std::string bytes(static_cast<std::size_t>(stream.remaining()), '\0');
    stream.readExact(bytes.data(), bytes.size());
    loadFromBytes(std::move(bytes));
}

void Graphic::loadFromBytes(std::string bytes)
{
    bytes_ = std::move(bytes);
    invalidate();
}

void Graphic::loadFromFile(std::string_view path)
{
    FileStream file(path, FileStream::Mode::Read);
    loadFromStream(file);
}

void Graphic::saveToStream(Stream& stream) const
{
    stream.write(bytes_.data(), bytes_.size());
}

void Graphic::saveToFile(std::string_view path) const
{
    FileStream file(path, FileStream::Mode::Create);
    saveToStream(file);
}

void Graphic::assignImage(const QImage& image, int jpegQuality)
{
    switch (kind_) {
    case GraphicKind::Bitmap:
        bytes_ = encodeWithQt(image, "BMP");
        break;
    case GraphicKind::Icon:
        bytes_ = encodeWithQt(image, "ICO");
        break;
    case GraphicKind::Jpeg:
        bytes_ = encodeJpeg(image, jpegQuality);
        break;
    case GraphicKind::Metafile:
        throw StreamError("A metafile cannot be made from an image");
    }
    invalidate();
}

void Graphic::clear()
{
    bytes_.clear();
    invalidate();
}

int Graphic::width() const
{
    decode();
    return kind_ == GraphicKind::Metafile ? metafileWidth_ : image_.width() < 0 ? 0 : image_.width();
}

int Graphic::height() const
{
    decode();
    return kind_ == GraphicKind::Metafile ? metafileHeight_ : image_.height() < 0 ? 0 : image_.height();
}

double Graphic::dotsPerInchX() const
{
    return image().isNull() ? 96.0 : dotsPerInch(image_.dotsPerMeterX());
}

double Graphic::dotsPerInchY() const
{
    return image().isNull() ? 96.0 : dotsPerInch(image_.dotsPerMeterY());
}

bool Graphic::monochrome() const
{
    const QImage::Format format = image().format();
    return kind_ == GraphicKind::Bitmap && (format == QImage::Format_Mono || format == QImage::Format_MonoLSB);
}

const QImage& Graphic::image() const
{
    decode();
    return image_;
}

void Graphic::invalidate()
{
    decoded_ = false;
    image_ = QImage();
    metafileWidth_ = metafileHeight_ = 0;
}

void Graphic::decode() const
{
    if (decoded_)
        return;
    decoded_ = true;
    if (bytes_.empty())
        return;
    switch (kind_) {
    case GraphicKind::Bitmap:
        image_ = decodeWithQt(bytes_, "BMP");
        break;
    case GraphicKind::Icon:
        image_ = decodeWithQt(bytes_, "ICO");
        break;
    case GraphicKind::Jpeg:
        image_ = decodeJpeg(bytes_);
        break;
    case GraphicKind::Metafile:
        metafileSize(bytes_, metafileWidth_, metafileHeight_);
        break;
    }
    if (!withinBounds(image_))
        image_ = QImage();
}

} // namespace platform
