// TKSPictureView: stream part, placing (files and binary fields) and drawing.
#include "objects/picture.h"

#include "core/draw_graphic.h"
#include "core/picture_record.h"
#include "core/streamio.h"
#include "core/units.h"


using platform::ClassInfo;

namespace {
const platform::EnumType& pictureSourceType()
{
    static const platform::EnumType t("TKSPictureSource", {"kspsPicture", "kspsFileName"});
    return t;
}
const platform::EnumType& blobTypeType()
{
    static const platform::EnumType t("TKSBlobType", {"ksbtBitmap", "ksbtMetafile", "ksbtIcon", "ksbtJPEG", "ksbtGIF", "ksbtAuto"});
    return t;
}
const platform::EnumType& pictureFormatType()
{
    static const platform::EnumType t("TKSPictureFormat", {"kspfBorland", "kspfMicrosoft", "kspfAuto"});
    return t;
}
} // namespace

const ClassInfo& TKSPictureView::staticClassInfo()
{
    static const ClassInfo info = [] {
        using P = TKSPictureView;
        auto b = ClassInfo::define<P>("TKSPictureView", &TKSReportView::staticClassInfo());
        b.enumeration("PictureSource", pictureSourceType(), &P::PictureSource)
            .enumeration("PictureFormat", pictureFormatType(), &P::PictureFormat)
            .enumeration("BlobType", blobTypeType(), &P::BlobType)
            .prop("DataField", [](const P& v) { return v.Memo.empty() ? std::string() : v.Memo.front(); },
                  [](P& v, std::string text) { v.Memo = {std::move(text)}; });
        addFlagProperty<P>(b, "PictureCenter", ksf::PictureCenter);
        addFlagProperty<P>(b, "PictureRatio", ksf::PictureRatio);
        addFlagProperty<P>(b, "PictureStretched", ksf::PictureStretched);
        addFlagProperty<P>(b, "Transparent", ksf::Transparent);
        addFlagProperty<P>(b, "DirectDraw", ksf::DirectDraw);
        addFlagProperty<P>(b, "ReprintOnOverFlow", ksf::ReprintOnOverFlow);
        addCommonViewProperties<P>(b);
        return b;
    }();
    return info;
}

TKSPictureView::TKSPictureView()
{
    ObjectType = ksgtPicture;
    BaseName = "Picture";
    Flags |= ksf::PictureStretched | ksf::PictureRatio;
}

void TKSPictureView::ClearContents()
{
    Picture.reset();
    TKSReportView::ClearContents();
}

void TKSPictureView::LoadFromStream(platform::Stream& s)
{
    TKSReportView::LoadFromStream(s);
    unsigned version = readWord(s);
    PictureSource = static_cast<TKSPictureSource>(readByte(s));
    Picture = readPicture(s);
    BlobType = ksbtAuto;
    PictureFormat = kspfBorland;
    if (version >= 1) {
        BlobType = static_cast<TKSBlobType>(readByte(s));
        PictureFormat = static_cast<TKSPictureFormat>(readByte(s));
    }
}

void TKSPictureView::SaveToStream(platform::Stream& s)
{
    TKSReportView::SaveToStream(s);
    writeWord(s, kPartVersion);
    writeByte(s, PictureSource);
    writePicture(s, Picture.get());
    writeByte(s, BlobType);
    writeByte(s, PictureFormat);
}

platform::Rect TKSPictureView::TargetRect(int pw, int ph) const
{
    const platform::Rect& d = DrawRect;
    int dw = d.width(), dh = d.height();
    platform::Rect r;
    bool stretched = Flag(ksf::PictureStretched), ratio = Flag(ksf::PictureRatio);
    if (stretched && ratio) {
        double kx = double(dw) / pw, ky = double(dh) / ph;
        if (kx >= ky)
            r = {d.left, d.top, d.left + roundHalfEven(pw * ky), d.bottom};
        else
            r = {d.left, d.top, d.right, d.top + roundHalfEven(ph * kx)};
    } else if (stretched) {
        return d;
    } else {
        r = {d.left, d.top, d.left + roundHalfEven(pw * ScaleX), d.top + roundHalfEven(ph * ScaleY)};
    }
    if (Flag(ksf::PictureCenter)) {
        int dx = (dw - r.width()) / 2, dy = (dh - r.height()) / 2;
        r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    }
    return r;
}

void TKSPictureView::Draw(platform::Canvas& canvas)
{
    AlignInBand(&canvas);
    BeginDraw();
    auto pix = [](int mm) { return roundHalfEven(fromMMThousandths(mm, ksutScreenPixels)); };
    int x1 = pix(mmLeft), y1 = pix(mmTop), x2 = pix(mmLeft + mmWidth), y2 = pix(mmTop + mmHeight);
    int w[4];
    for (int side = 0; side < 4; ++side)
        w[side] = roundHalfEven(FramePixels(side));
    canvas.intersectClipRect({x1 - w[0], y1 - w[1], x2 + w[2] / 2 + 1, y2 + w[3] / 2 + 1});

    if (DrawRect.right >= DrawRect.left && DrawRect.bottom >= DrawRect.top) {
        ShowBackground();
        const platform::Graphic* g = Picture.get();
        if (g && !g->empty() && g->width() > 0 && g->height() > 0)
            drawGraphic(canvas, TargetRect(g->width(), g->height()), *g, DrawingToPrinter, Flag(ksf::DirectDraw),
                        Flag(ksf::Transparent));
    }
    canvas.selectClipRegion(std::nullopt);
    ShowFrame();
    EndDraw();
}

void TKSPictureView::PlaceOnEndPage(platform::Stream& s)
{
    AlignInBand(Canvas);
    Memo1 = Memo;
    if (BoundField && BoundField->IsBinary())
        GetBlob();
    if (ParentReport)
        ParentReport->FireBeforePrint(Memo1, *this);
    if (!Visible)
        return;
    if (PictureSource == kspsFileName && !Memo1.empty()) {
        std::string path = ExpandText(Memo1.front());
        Picture.reset();
        try {
            if (!path.empty())
                Picture = platform::Graphic::fromFile(path);
        } catch (const std::exception&) {
            Picture.reset();  // a missing or unreadable file leaves the picture empty
        }
    }
    WriteObjectRecord(s);
}

TKSBlobType TKSPictureView::DetectKind(std::string_view b)
{
    auto starts = [&](std::string_view prefix) { return b.substr(0, prefix.size()) == prefix; };
    for (std::string_view two : {"BM", "BA", "CI", "CP", "IC", "PT"})
        if (starts(two))
            return ksbtBitmap;
    if (starts("GIF"))
        return ksbtBitmap;
    if (starts("\xFF\xD8") && b.size() > 4 && b.substr(b.size() - 2) == "\xFF\xD9")
        return ksbtJPEG;
    if (starts(std::string_view("\x00\x00\x01\x00", 4)))
        return ksbtIcon;
    if (starts("\xD7\xCD\xC6\x9A") || starts(std::string_view("\x01\x00\x00\x00\x78\x00", 6)))
        return ksbtMetafile;
    return ksbtBitmap;
}

namespace {
std::uint32_t le32(std::string_view b, std::size_t at)
{
    return std::uint8_t(b[at]) | (std::uint32_t(std::uint8_t(b[at + 1])) << 8)
         | (std::uint32_t(std::uint8_t(b[at + 2])) << 16) | (std::uint32_t(std::uint8_t(b[at + 3])) << 24);
}
void put32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(v >> (8 * i)));
}
} // namespace

std::string TKSPictureView::Unwrap(std::string_view b)
{
    // Every offset is checked: damaged wrappers keep the bytes as they are.
    if (b.size() < 20)
        return std::string(b);
    std::size_t h = std::uint8_t(b[2]) | (std::size_t(std::uint8_t(b[3])) << 8);
    std::uint32_t objectType = le32(b, 4);
    std::size_t nameAt = h + 12;
    if (nameAt >= b.size())
        return std::string(b);
    std::size_t nameEnd = b.find('\0', nameAt);
    if (nameEnd == std::string_view::npos)
        return std::string(b);
    std::string_view className = b.substr(nameAt, nameEnd - nameAt);
    std::size_t L = className.size();
    if (h + 25 + L > b.size())
        return std::string(b);
    std::uint32_t n = le32(b, h + 21 + L);
    std::string data(b.substr(h + 25 + L, std::min<std::size_t>(n, b.size() - (h + 25 + L))));
    if (objectType == 3 && className == "DIB") {
        std::string header = "BM";
        put32(header, static_cast<std::uint32_t>(data.size() + 14));
        header.append(8, '\0');
        data = header + data;
    } else if (objectType == 3 && className == "METAFILEPICT") {
        // The old-style metafile behind the 8-byte header is kept as it is: this
        // platform has no converter to enhanced metafiles.
        data = data.size() > 8 ? data.substr(8) : std::string();
    }
    if (data.size() >= 10 && data.compare(0, 4, std::string_view("\x01\x00\x00\x01", 4)) == 0
        && data.compare(8, 2, "BM") == 0)
        data.erase(0, 8);
    return data;
}

void TKSPictureView::GetBlob()
{
    if ((ParentReport && ParentReport->AppendBlanking()) || !BoundField || BoundField->IsNull()) {
        Picture.reset();
        return;
    }
    if (PictureFormat == kspfBorland && BlobType == ksbtBitmap) {
        LoadBlob(BoundField->Bytes(), ksbtBitmap);
        return;
    }
    std::string bytes = BoundField->Bytes();
    if ((PictureFormat == kspfMicrosoft || PictureFormat == kspfAuto) && bytes.size() >= 2 && bytes[0] == '\x15'
        && bytes[1] == '\x1C') {
        bytes = Unwrap(bytes);
    }
    TKSBlobType kind = BlobType == ksbtAuto ? DetectKind(bytes) : BlobType;
    try {
        LoadBlob(bytes, kind);
    } catch (const std::exception&) {
        if (kind == ksbtBitmap)
            return;
        LoadBlob(std::move(bytes), ksbtBitmap);  // a second failure reaches the caller
    }
}

void TKSPictureView::LoadBlob(std::string bytes, TKSBlobType kind)
{
    using K = platform::GraphicKind;
    K graphicKind;
    switch (kind) {
    case ksbtBitmap: graphicKind = K::Bitmap; break;
    case ksbtMetafile: graphicKind = K::Metafile; break;
    case ksbtIcon: graphicKind = K::Icon; break;
    case ksbtJPEG: graphicKind = K::Jpeg; break;
    default: Picture.reset(); return;  // GIF has no graphic class here
    }
    auto g = std::make_unique<platform::Graphic>(graphicKind);
    g->loadFromBytes(std::move(bytes));
    Picture = std::move(g);
}
