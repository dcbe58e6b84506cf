// The JPEG codec over libjpeg(-turbo). libjpeg reports fatal errors through
// error_exit; we longjmp out of it, so every libjpeg call sits in a small
// function whose frame holds nothing with a destructor.
#include "platform/graphic.h"

#include <QSysInfo>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <jpeglib.h>

namespace platform {

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void exitWithJump(j_common_ptr info)
{
    auto* error = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

// Warnings (corrupt but readable data) are tolerated and not printed.
void ignoreMessage(j_common_ptr) {}

void installErrorManager(jpeg_common_struct* info, ErrorManager& error)
{
    info->err = jpeg_std_error(&error.pub);
    error.pub.error_exit = exitWithJump;
    error.pub.output_message = ignoreMessage;
    error.message[0] = '\0';
}

bool isCmyk(J_COLOR_SPACE space) { return space == JCS_CMYK || space == JCS_YCCK; }

bool readJpegHeader(jpeg_decompress_struct* info, ErrorManager* error, const unsigned char* data,
                    unsigned long size)
{
    if (setjmp(error->jump))
        return false;
    jpeg_create_decompress(info);
    jpeg_mem_src(info, data, size);
    jpeg_read_header(info, TRUE);
    info->out_color_space = isCmyk(info->jpeg_color_space) ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_calc_output_dimensions(info);
    return true;
}

// Adobe writes CMYK inverted; a plain multiply then gives the RGB value.
void cmykRowToRgb32(const unsigned char* cmyk, unsigned char* bgrx, JDIMENSION width)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgrx += 4) {
        const unsigned k = cmyk[3];
        bgrx[0] = static_cast<unsigned char>(cmyk[2] * k / 255);
        bgrx[1] = static_cast<unsigned char>(cmyk[1] * k / 255);
        bgrx[2] = static_cast<unsigned char>(cmyk[0] * k / 255);
        bgrx[3] = 0xFF;
    }
}

// Decodes into `pixels` (height rows of `stride` bytes). Rows a truncated
// stream does not reach are left as libjpeg fills them.
bool readJpegPixels(jpeg_decompress_struct* info, ErrorManager* error, unsigned char* pixels,
                    std::size_t stride, unsigned char* cmykRow)
{
    if (setjmp(error->jump))
        return false;
    jpeg_start_decompress(info);
    while (info->output_scanline < info->output_height) {
        unsigned char* row = pixels + stride * info->output_scanline;
        JSAMPROW target = cmykRow ? cmykRow : row;
        if (jpeg_read_scanlines(info, &target, 1) != 1)
            return false;
        if (cmykRow)
            cmykRowToRgb32(cmykRow, row, info->output_width);
    }
    jpeg_finish_decompress(info);
    return true;
}

bool sizeAllowed(JDIMENSION width, JDIMENSION height)
{
    return width > 0 && height > 0 && width <= kMaxGraphicSide && height <= kMaxGraphicSide
        && std::int64_t(width) * height <= kMaxGraphicPixels;
}

void applyDensity(const jpeg_decompress_struct& info, QImage& image)
{
    // JFIF density unit 1 is dots per inch, 2 dots per centimetre.
    if (info.X_density == 0 || info.Y_density == 0)
        return;
    const double perMetre = info.density_unit == 1 ? 10000.0 / 254 : info.density_unit == 2 ? 100.0 : 0;
    if (perMetre > 0) {
        image.setDotsPerMeterX(static_cast<int>(info.X_density * perMetre + 0.5));
        image.setDotsPerMeterY(static_cast<int>(info.Y_density * perMetre + 0.5));
    }
}

struct CompressTarget {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

bool writeJpeg(jpeg_compress_struct* info, ErrorManager* error, const QImage* image, int quality,
               CompressTarget* target)
{
    if (setjmp(error->jump))
        return false;
    jpeg_create_compress(info);
    jpeg_mem_dest(info, &target->buffer, &target->size);
    info->image_width = static_cast<JDIMENSION>(image->width());
    info->image_height = static_cast<JDIMENSION>(image->height());
    info->input_components = 4;
    info->in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, quality, TRUE);
    info->density_unit = 1;
    info->X_density = static_cast<UINT16>(image->dotsPerMeterX() * 0.0254 + 0.5);
    info->Y_density = static_cast<UINT16>(image->dotsPerMeterY() * 0.0254 + 0.5);
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image->constScanLine(static_cast<int>(info->next_scanline)));
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    return true;
}

} // namespace

QImage decodeJpeg(std::string_view bytes)
{
    static_assert(QSysInfo::ByteOrder == QSysInfo::LittleEndian, "RGB32 rows are B, G, R, X bytes");
    if (bytes.size() < 4)
        return {};
    // Zeroed so that destroying works even when creation itself failed.
    jpeg_decompress_struct info{};
    ErrorManager error;
    installErrorManager(reinterpret_cast<jpeg_common_struct*>(&info), error);
    QImage image;
    std::unique_ptr<unsigned char[]> cmykRow;
    if (readJpegHeader(&info, &error, reinterpret_cast<const unsigned char*>(bytes.data()),
                       static_cast<unsigned long>(bytes.size()))
        && sizeAllowed(info.output_width, info.output_height)) {
        image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                       QImage::Format_RGB32);
        if (isCmyk(info.jpeg_color_space) && info.output_components == 4)
            cmykRow = std::make_unique<unsigned char[]>(std::size_t(info.output_width) * 4);
        const bool cmykOk = !isCmyk(info.jpeg_color_space) || cmykRow;
        if (image.isNull() || !cmykOk
            || !readJpegPixels(&info, &error, image.bits(), static_cast<std::size_t>(image.bytesPerLine()),
                               cmykRow.get()))
            image = QImage();
        else
            applyDensity(info, image);
    }
    jpeg_destroy_decompress(&info);
    return image;
}

std::string encodeJpeg(const QImage& source, int quality)
{
    if (source.isNull())
        throw StreamError("JPEG encoding error: empty image");
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    jpeg_compress_struct info{};
    ErrorManager error;
    installErrorManager(reinterpret_cast<jpeg_common_struct*>(&info), error);
    CompressTarget target;
    const bool ok = writeJpeg(&info, &error, &image, std::clamp(quality, 1, 100), &target);
    jpeg_destroy_compress(&info);
    std::string bytes;
    if (ok)
        bytes.assign(reinterpret_cast<const char*>(target.buffer), target.size);
    std::free(target.buffer);
    if (!ok)
        throw StreamError(std::string("JPEG encoding error: ") + error.message);
    return bytes;
}

} // namespace platform
