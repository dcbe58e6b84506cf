// Picture records and graphics: end positions, unknown and damaged data,
// JPEG and bitmap round trips, metafile sizes, loading by file extension, and
// the graphic drawing routine.
#include "core/draw_graphic.h"
#include "core/picture_record.h"
#include "core/streamio.h"

#include <QColor>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

using platform::Graphic;
using platform::GraphicKind;
using platform::MemoryStream;
using platform::StreamError;

namespace {

// Four coloured quadrants: enough to see a picture turned, mirrored or shifted.
QImage quadrants(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            image.setPixel(x, y, !bottom ? (right ? qRgb(220, 30, 30) : qRgb(30, 200, 40))
                                         : (right ? qRgb(20, 40, 210) : qRgb(250, 250, 250)));
        }
    return image;
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
        && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// A record of the given kind and data followed by a marker byte.
std::string record(std::uint8_t kind, const std::string& data)
{
    MemoryStream s;
    writeByte(s, kind);
    writeInteger(s, static_cast<std::int32_t>(5 + data.size()));
    s.write(data.data(), data.size());
    writeByte(s, 0x5A);
    return s.toString();
}

std::string sampleJpeg()
{
    return platform::encodeJpeg(quadrants(40, 30), 95);
}

} // namespace

TEST(PictureRecord, KindZeroAndUnknownKindsAreSkippedToTheEndPosition)
{
    for (std::uint8_t kind : {0, 5, 99, 255}) {
        MemoryStream in(record(kind, "some bytes"));
        EXPECT_EQ(readPicture(in), nullptr) << int(kind);
        EXPECT_EQ(readByte(in), 0x5A) << int(kind);
    }
}

TEST(PictureRecord, WriterPatchesEndPositionAndReturnsToTheEnd)
{
    Graphic graphic(GraphicKind::Metafile);
    graphic.loadFromBytes("metafile bytes");
    MemoryStream s;
    writeString(s, "before");
    writePicture(s, &graphic);
    writeByte(s, 0x5A);
    writePicture(s, nullptr);

    s.seek(0);
    readString(s);
    EXPECT_EQ(readByte(s), 2);
    EXPECT_EQ(readInteger(s), 8 + 5 + 14);
    s.seek(8);
    const auto back = readPicture(s);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->kind(), GraphicKind::Metafile);
    EXPECT_EQ(back->bytes(), "metafile bytes");
    EXPECT_EQ(readByte(s), 0x5A);
    const std::int64_t nonePos = s.position();
    EXPECT_EQ(readPicture(s), nullptr);
    EXPECT_EQ(s.position(), nonePos + 5);
    EXPECT_EQ(s.remaining(), 0);
}

TEST(PictureRecord, EndPositionOutsideTheStreamIsAnError)
{
    for (std::int32_t end : {0, 4, 1000, -1}) {
        MemoryStream s;
        writeByte(s, 4);
        writeInteger(s, end);
        s.write("jpeg", 4);
        s.seek(0);
        EXPECT_THROW(readPicture(s), StreamError) << end;
    }
}

TEST(PictureRecord, DamagedJpegIsKeptUndrawnAndWrittenBackUnchanged)
{
    std::string halfJpeg = sampleJpeg();
    halfJpeg.resize(halfJpeg.size() / 2);
    const std::string damaged[] = {
        "\xFF\xD8\xFF\xE0 garbage after the start marker",
        "not a jpeg at all",
        halfJpeg,
    };
    for (const auto& data : damaged) {
        const std::string bytes = record(4, data);
        MemoryStream in(bytes);
        const auto graphic = readPicture(in);
        ASSERT_NE(graphic, nullptr);
        EXPECT_EQ(readByte(in), 0x5A);
        EXPECT_EQ(graphic->bytes(), data);
        if (data != halfJpeg) {  // a truncated JPEG may decode partly; it must just not crash
            EXPECT_FALSE(graphic->drawable());
        }
        (void)graphic->width();
        MemoryStream out;
        writePicture(out, graphic.get());
        writeByte(out, 0x5A);
        EXPECT_EQ(out.toString(), bytes);
    }
}

TEST(Graphic, JpegRoundTripKeepsSizeAndColours)
{
    Graphic graphic(GraphicKind::Jpeg);
    graphic.assignImage(quadrants(40, 30), 95);
    MemoryStream s;
    writePicture(s, &graphic);
    s.seek(0);
    const auto back = readPicture(s);
    ASSERT_NE(back, nullptr);
    ASSERT_TRUE(back->drawable());
    EXPECT_EQ(back->width(), 40);
    EXPECT_EQ(back->height(), 30);
    const QImage& image = back->image();
    EXPECT_TRUE(near(image.pixel(5, 5), qRgb(30, 200, 40), 12));
    EXPECT_TRUE(near(image.pixel(35, 5), qRgb(220, 30, 30), 12));
    EXPECT_TRUE(near(image.pixel(5, 25), qRgb(250, 250, 250), 12));
    EXPECT_TRUE(near(image.pixel(35, 25), qRgb(20, 40, 210), 12));
}

TEST(Graphic, JpegDecodesGreyscaleAndKeepsDensity)
{
    QImage grey(16, 8, QImage::Format_Grayscale8);
    grey.fill(128);
    grey.setDotsPerMeterX(11811);  // 300 dpi
    grey.setDotsPerMeterY(11811);
    const QImage back = platform::decodeJpeg(platform::encodeJpeg(grey, 90));
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.size(), QSize(16, 8));
    EXPECT_TRUE(near(back.pixel(3, 3), qRgb(128, 128, 128), 3));
    Graphic graphic(GraphicKind::Jpeg);
    graphic.loadFromBytes(platform::encodeJpeg(grey, 90));
    EXPECT_NEAR(graphic.dotsPerInchX(), 300, 0.5);
}

namespace {

// A CMYK JPEG as Adobe software writes it (inverted values, Adobe marker);
// our own encoder only writes RGB.
std::string cmykJpeg(const unsigned char pixel[4], int width, int height)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(std::size_t(width) * 4);
    for (int x = 0; x < width; ++x)
        std::copy(pixel, pixel + 4, row.begin() + 4 * x);
    while (info.next_scanline < info.image_height) {
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

} // namespace

TEST(Graphic, JpegDecodesInvertedCmyk)
{
    struct Case {
        unsigned char cmyk[4];
        QRgb rgb;
    } cases[] = {
        {{255, 0, 0, 255}, qRgb(255, 0, 0)},      // no cyan, full magenta and yellow: red
        {{255, 255, 255, 255}, qRgb(255, 255, 255)},
        {{255, 255, 255, 0}, qRgb(0, 0, 0)},      // full black
        {{0, 255, 255, 255}, qRgb(0, 255, 255)},
    };
    for (const auto& c : cases) {
        const QImage image = platform::decodeJpeg(cmykJpeg(c.cmyk, 6, 3));
        ASSERT_EQ(image.size(), QSize(6, 3));
        EXPECT_TRUE(near(image.pixel(2, 1), c.rgb, 4)) << std::hex << image.pixel(2, 1);
    }
}

TEST(Graphic, JpegWithHugeDimensionsIsRefused)
{
    std::string bytes = sampleJpeg();
    // Rewrite the frame header (SOF0: FF C0, length, precision, height, width).
    const std::size_t sof = bytes.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    bytes[sof + 5] = bytes[sof + 7] = '\xFF';
    bytes[sof + 6] = bytes[sof + 8] = '\xF0';
    Graphic graphic(GraphicKind::Jpeg);
    graphic.loadFromBytes(bytes);
    EXPECT_FALSE(graphic.drawable());
    EXPECT_EQ(graphic.width(), 0);
}

TEST(Graphic, BitmapRoundTripIsExactAndDetectsMonochrome)
{
    Graphic colour(GraphicKind::Bitmap);
    colour.assignImage(quadrants(10, 6));
    Graphic back(GraphicKind::Bitmap);
    back.loadFromBytes(colour.bytes());
    ASSERT_TRUE(back.drawable());
    EXPECT_EQ(back.image().pixel(9, 0), qRgb(220, 30, 30));
    EXPECT_FALSE(back.monochrome());

    QImage mono(8, 8, QImage::Format_Mono);
    mono.fill(1);
    Graphic bits(GraphicKind::Bitmap);
    bits.assignImage(mono);
    EXPECT_TRUE(bits.monochrome());
}

TEST(Graphic, MetafileKeepsBytesAndTakesItsSizeFromTheHeader)
{
    auto le32 = [](std::int32_t v) {
        std::string b(4, '\0');
        for (int i = 0; i < 4; ++i)
            b[i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
        return b;
    };
    // Enhanced metafile: frame 0,0 .. 2540,1270 hundredths of a millimetre.
    std::string emf = le32(1) + le32(108) + std::string(16, '\0') + le32(0) + le32(0) + le32(2540) + le32(1270)
                    + " EMF" + std::string(64, '\0');
    // Placeable metafile: box 0,0 .. 1440,720 at 1440 units per inch.
    std::string wmf = std::string("\xD7\xCD\xC6\x9A\0\0\0\0\0\0\xA0\x05\xD0\x02\xA0\x05", 16) + std::string(6, '\0');
    struct Case {
        std::string bytes;
        int width, height;
    } cases[] = {{emf, 96, 48}, {wmf, 96, 48}, {"no header", 0, 0}};
    for (const auto& c : cases) {
        Graphic graphic(GraphicKind::Metafile);
        graphic.loadFromBytes(c.bytes);
        EXPECT_EQ(graphic.width(), c.width);
        EXPECT_EQ(graphic.height(), c.height);
        EXPECT_FALSE(graphic.drawable());
        EXPECT_EQ(graphic.bytes(), c.bytes);
    }
    Graphic graphic(GraphicKind::Metafile);
    EXPECT_THROW(graphic.assignImage(quadrants(2, 2)), StreamError);
}

TEST(Graphic, FileKindFollowsTheExtension)
{
    QTemporaryDir dir;
    const auto path = [&](const char* name) { return QDir(dir.path()).filePath(name).toStdString(); };
    Graphic jpeg(GraphicKind::Jpeg);
    jpeg.assignImage(quadrants(8, 8));
    jpeg.saveToFile(path("photo.JPEG"));
    jpeg.saveToFile(path("photo.png"));
    Graphic icon(GraphicKind::Icon);
    icon.assignImage(quadrants(16, 16));
    icon.saveToFile(path("small.ico"));

    const auto loaded = Graphic::fromFile(path("photo.JPEG"));
    EXPECT_EQ(loaded->kind(), GraphicKind::Jpeg);
    EXPECT_EQ(loaded->bytes(), jpeg.bytes());
    EXPECT_EQ(loaded->width(), 8);
    const auto ico = Graphic::fromFile(path("small.ico"));
    EXPECT_EQ(ico->kind(), GraphicKind::Icon);
    EXPECT_EQ(ico->width(), 16);
    EXPECT_THROW(Graphic::fromFile(path("photo.png")), StreamError);
    EXPECT_THROW(Graphic::fromFile(path("missing.bmp")), StreamError);
}

namespace {

using platform::CopyMode;

// Records what reaches the destination: the image size tells whether the
// graphic came directly or through the off-screen surface.
class RecordingCanvas : public platform::ImageCanvas {
public:
    RecordingCanvas()
        : ImageCanvas(40, 20)
    {
        setBrush({platform::clGray, platform::BrushStyle::Solid});
        fillRect({0, 0, 40, 20});
    }
    void drawImage(const platform::Rect& dest, const QImage& image, CopyMode mode) override
    {
        calls.push_back({image.size(), mode});
        ImageCanvas::drawImage(dest, image, mode);
    }
    struct Call {
        QSize size;
        CopyMode mode;
    };
    std::vector<Call> calls;
};

// Black left half, white right half, 8 x 4 pixels.
QImage blackAndWhite(QImage::Format format)
{
    QImage image(8, 4, format);
    if (format == QImage::Format_Mono) {
        image.setColorCount(2);
        image.setColor(0, qRgb(0, 0, 0));
        image.setColor(1, qRgb(255, 255, 255));
    }
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            if (format == QImage::Format_Mono)
                image.setPixel(x, y, x < 4 ? 0 : 1);
            else
                image.setPixel(x, y, x < 4 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    return image;
}

std::unique_ptr<Graphic> blackAndWhiteGraphic(GraphicKind kind, bool mono = false)
{
    auto graphic = std::make_unique<Graphic>(kind);
    graphic->assignImage(blackAndWhite(mono ? QImage::Format_Mono : QImage::Format_RGB32), 95);
    return graphic;
}

} // namespace

TEST(DrawGraphic, ChoosesDirectOrOffScreenDrawingAndKeepsTheColours)
{
    const QSize own(8, 4), offScreen(20, 10);
    struct Case {
        const char* name;
        GraphicKind kind;
        bool mono, deviceExact, direct, transparent;
        QSize drawn;
        CopyMode mode;
    } cases[] = {
        {"bitmap on screen", GraphicKind::Bitmap, false, false, false, false, own, CopyMode::Copy},
        {"bitmap on screen, transparent", GraphicKind::Bitmap, false, false, false, true, own, CopyMode::SourceAnd},
        {"bitmap exact", GraphicKind::Bitmap, false, true, false, false, offScreen, CopyMode::Copy},
        {"colour bitmap exact, direct", GraphicKind::Bitmap, false, true, true, false, offScreen, CopyMode::Copy},
        {"bitmap exact, transparent", GraphicKind::Bitmap, false, true, false, true, offScreen,
         CopyMode::TransparentWhite},
        {"mono bitmap exact, direct", GraphicKind::Bitmap, true, true, true, false, own, CopyMode::Copy},
        {"mono bitmap exact", GraphicKind::Bitmap, true, true, false, false, offScreen, CopyMode::Copy},
        {"icon exact", GraphicKind::Icon, false, true, false, false, own, CopyMode::Copy},
        {"jpeg exact, direct", GraphicKind::Jpeg, false, true, true, false, own, CopyMode::Copy},
        {"jpeg exact, direct, transparent", GraphicKind::Jpeg, false, true, true, true, own, CopyMode::SourceAnd},
        {"jpeg exact", GraphicKind::Jpeg, false, true, false, false, offScreen, CopyMode::Copy},
        {"jpeg on screen", GraphicKind::Jpeg, false, false, false, false, own, CopyMode::Copy},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto graphic = blackAndWhiteGraphic(c.kind, c.mono);
        ASSERT_EQ(graphic->monochrome(), c.mono);
        RecordingCanvas canvas;
        drawGraphic(canvas, {10, 5, 30, 15}, *graphic, c.deviceExact, c.direct, c.transparent);
        ASSERT_EQ(canvas.calls.size(), 1u);
        EXPECT_EQ(canvas.calls[0].size, c.drawn);
        EXPECT_EQ(canvas.calls[0].mode, c.mode);
        const QImage result = canvas.image();
        EXPECT_TRUE(near(result.pixel(12, 10), qRgb(0, 0, 0), 8));
        EXPECT_TRUE(near(result.pixel(27, 10), c.transparent ? qRgb(128, 128, 128) : qRgb(255, 255, 255), 8));
        EXPECT_EQ(result.pixel(5, 2), qRgb(128, 128, 128));   // outside the rectangle
        EXPECT_EQ(result.pixel(30, 15), qRgb(128, 128, 128)); // right and bottom edges excluded
    }
}

TEST(DrawGraphic, DrawsNothingForEmptyUndecodableOrMetafileGraphics)
{
    Graphic empty(GraphicKind::Bitmap);
    Graphic damaged(GraphicKind::Jpeg);
    damaged.loadFromBytes("\xFF\xD8 broken");
    Graphic metafile(GraphicKind::Metafile);
    metafile.loadFromBytes("not drawable here");
    const auto good = blackAndWhiteGraphic(GraphicKind::Bitmap);
    struct Case {
        const Graphic* graphic;
        platform::Rect rect;
    } cases[] = {
        {&empty, {10, 5, 30, 15}},   {&damaged, {10, 5, 30, 15}}, {&metafile, {10, 5, 30, 15}},
        {good.get(), {10, 5, 10, 15}}, {good.get(), {30, 5, 10, 15}},
    };
    for (const auto& c : cases)
        for (bool exact : {false, true}) {
            RecordingCanvas canvas;
            drawGraphic(canvas, c.rect, *c.graphic, exact, false, false);
            EXPECT_TRUE(canvas.calls.empty());
        }
}
