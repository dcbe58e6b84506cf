// The program's own artwork: a printer, an exit arrow and a tear-off sheet
// emblem, painted with QPainter and encoded as the buttons and image expect.
#include "artwork.h"

#include "platform/graphic.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

namespace {

// The glyphs' background; a glyph's bottom-left pixel marks the transparent colour.
const QColor kGlyphBackground(0, 128, 128);

std::string pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

void drawPrinter(QPainter& p, int x, const QColor& ink, const QColor& paper)
{
    p.setPen(ink);
    p.setBrush(paper);
    p.drawRect(x + 4, 1, 7, 5);    // sheet going in
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(x + 1, 6, 13, 6);   // body
    p.setBrush(paper);
    p.drawRect(x + 4, 10, 7, 4);   // sheet coming out
    p.drawPoint(x + 12, 8);        // lamp
}

} // namespace

std::string PrintGlyphPng()
{
    QImage image(32, 16, QImage::Format_RGB32);
    image.fill(kGlyphBackground);
    QPainter painter(&image);
    drawPrinter(painter, 0, Qt::black, Qt::white);
    drawPrinter(painter, 16, QColor(128, 128, 128), QColor(192, 192, 192));
    painter.end();
    return pngBytes(image);
}

std::string ExitGlyphPng()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(kGlyphBackground);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(160, 82, 45));
    painter.drawRect(2, 1, 7, 13);  // door
    painter.setBrush(Qt::red);
    const QPoint arrow[] = {{9, 5}, {12, 5}, {12, 3}, {15, 7}, {12, 11}, {12, 9}, {9, 9}};
    painter.drawPolygon(arrow, 7);
    painter.end();
    return pngBytes(image);
}

std::string EmblemJpeg()
{
    QImage image(129, 129, QImage::Format_RGB32);
    image.fill(QColor(250, 246, 232));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // A sheet with a headline and a fringe of tear-off strips.
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.setBrush(Qt::white);
    painter.drawRect(14, 10, 100, 108);
    painter.fillRect(24, 22, 80, 14, QColor(200, 40, 40));
    painter.fillRect(24, 44, 60, 6, QColor(90, 90, 90));
    painter.fillRect(24, 56, 70, 6, QColor(90, 90, 90));
    painter.setPen(QPen(QColor(40, 40, 40), 1, Qt::DashLine));
    painter.drawLine(14, 76, 114, 76);
    for (int x = 24; x < 114; x += 10) {
        painter.drawLine(x, 76, x, 118);
        painter.fillRect(x - 6, 84, 3, 26, QColor(30, 60, 160));
    }
    painter.end();
    return platform::encodeJpeg(image, 90);
}
