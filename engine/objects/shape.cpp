// TKSShapeView: stream part and drawing of the thirteen figures.
#include "objects/shape.h"

#include "core/streamio.h"
#include "core/units.h"

using platform::ClassInfo;

namespace {
const platform::EnumType& shapeTypeType()
{
    static const platform::EnumType t("TKSShapeType",
        {"ksskRectangle", "ksskRoundRectangle", "ksskEllipse", "ksskTriangle", "ksskDiagonal1", "ksskDiagonal2",
         "ksskSquare", "ksskRoundSquare", "ksskCircle", "ksHorLine", "ksRightAndLeft", "ksTopAndBottom", "ksVertLine"});
    return t;
}
} // namespace

const ClassInfo& TKSShapeView::staticClassInfo()
{
    static const ClassInfo info = [] {
        auto b = ClassInfo::define<TKSShapeView>("TKSShapeView", &TKSReportView::staticClassInfo());
        b.enumeration("Shape", shapeTypeType(), &TKSShapeView::Shape);
        addFlagProperty<TKSShapeView>(b, "ReprintOnOverFlow", ksf::ReprintOnOverFlow);
        addFlagProperty<TKSShapeView>(b, "Printable", ksf::Printable);
        addCommonViewProperties<TKSShapeView>(b);
        return b;
    }();
    return info;
}

TKSShapeView::TKSShapeView()
{
    ObjectType = gtShape;
    BaseName = "Shape";
    Pen = {platform::clBlack, 1, platform::PenStyle::Solid, platform::PenMode::Copy, platform::PenCap::Flat};
    Brush = {platform::clWhite, platform::BrushStyle::Solid};
}

void TKSShapeView::LoadFromStream(platform::Stream& s)
{
    TKSReportView::LoadFromStream(s);
    (void)readWord(s);  // every part version reads alike
    Shape = static_cast<TKSShapeType>(readByte(s));
    Pen.color = readColour(s);
    Pen.mode = static_cast<platform::PenMode>(readByte(s));
    Pen.style = static_cast<platform::PenStyle>(readByte(s));
    Pen.width = readInteger(s);
    Brush.color = readColour(s);
    Brush.style = static_cast<platform::BrushStyle>(readByte(s));
}

void TKSShapeView::SaveToStream(platform::Stream& s)
{
    TKSReportView::SaveToStream(s);
    writeWord(s, 0);
    writeByte(s, Shape);
    writeColour(s, Pen.color);
    writeByte(s, static_cast<std::uint8_t>(Pen.mode));
    writeByte(s, static_cast<std::uint8_t>(Pen.style));
    writeInteger(s, Pen.width);
    writeColour(s, Brush.color);
    writeByte(s, static_cast<std::uint8_t>(Brush.style));
}

void TKSShapeView::Draw(platform::Canvas& canvas)
{
    AlignInBand(&canvas);
    Memo1 = Memo;
    BeginDraw();
    platform::Color fill = FillColor;
    FillColor = platform::clNone;  // a shape paints no background of its own
    ShowBackground();
    FillColor = fill;

    platform::Pen oldPen = canvas.pen();
    platform::Brush oldBrush = canvas.brush();
    auto oldMode = canvas.backgroundMode();
    platform::Pen pen = Pen;
    pen.width = std::max(1, roundHalfEven(Pen.width * ScaleX));
    pen.cap = platform::PenCap::Square;
    pen.mode = platform::PenMode::Copy;
    if (pen.style > platform::PenStyle::InsideFrame)
        pen.style = platform::PenStyle::Solid;  // unknown stored styles
    canvas.setPen(pen);
    canvas.setBrush(Brush);
    canvas.setBackgroundMode(platform::BackgroundMode::Opaque);
    DrawFigure(canvas);
    canvas.setPen(oldPen);
    canvas.setBrush(oldBrush);
    canvas.setBackgroundMode(oldMode);
    EndDraw();
}

void TKSShapeView::DrawFigure(platform::Canvas& c) const
{
    auto pix = [](int mm) { return roundHalfEven(fromMMThousandths(mm, ksutScreenPixels)); };
    int x1 = pix(mmLeft), y1 = pix(mmTop), x2 = pix(mmLeft + mmWidth), y2 = pix(mmTop + mmHeight);
    int w = pix(mmWidth), h = pix(mmHeight), m = std::min(w, h);
    auto line = [&c](int ax, int ay, int bx, int by) {
        c.moveTo(ax, ay);
        c.lineTo(bx, by);
    };
    switch (Shape) {
    case ksskRectangle: c.rectangle(x1, y1, x2 + 1, y2 + 1); break;
    case ksskRoundRectangle: c.roundRect(x1, y1, x2 + 1, y2 + 1, m / 4, m / 4); break;
    case ksskEllipse: c.ellipse(x1, y1, x2 + 1, y2 + 1); break;
    case ksskTriangle: {
        int xm = x1 + (x2 - x1) / 2;
        c.moveTo(x2, y2);
        c.lineTo(x1, y2);
        c.lineTo(xm, y1);
        c.lineTo(x2, y2);
        // Keyed on clNone, which matches no pixel: the interior stays as it is.
        c.floodFill(xm, y1 + (y2 - y1) / 2, platform::clNone, platform::FloodFillMode::Surface);
        break;
    }
    case ksskDiagonal1: line(x1, y2, x2, y1); break;
    case ksskDiagonal2: line(x1, y1, x2, y2); break;
    case ksskSquare: c.rectangle(x1, y1, x1 + m, y1 + m); break;
    case ksskRoundSquare: c.roundRect(x1, y1, x1 + m, y1 + m, m / 4, m / 4); break;
    case ksskCircle: c.ellipse(x1, y1, x1 + m, y1 + m); break;
    case ksHorLine: line(x1, y1 + h / 2, x2, y1 + h / 2); break;
    case ksRightAndLeft: line(x1, y1, x1, y2), line(x2 - 1, y1, x2 - 1, y2); break;
    case ksTopAndBottom: line(x1, y1, x2, y1), line(x1, y2 - 1, x2, y2 - 1); break;
    case ksVertLine: line(x1 + w / 2, y1, x1 + w / 2, y2); break;
    default: break;
    }
}
