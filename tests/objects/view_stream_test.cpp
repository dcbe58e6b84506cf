// Stream records of report objects: both forms, every class, older record
// versions built byte by byte, and damaged records.
#include "objects/band.h"
#include "objects/outline.h"
#include "objects/picture.h"
#include "objects/shape.h"
#include "objects/subreport.h"
#include "objects/viewfactory.h"

#include "core/streamio.h"

#include <gtest/gtest.h>

using platform::MemoryStream;

namespace {

std::string saved(TKSView& v)
{
    MemoryStream s;
    v.SaveToStream(s);
    return s.toString();
}

void load(TKSView& v, const std::string& bytes)
{
    MemoryStream s(bytes);
    v.LoadFromStream(s);
}

// A common record of the given version in the template form, as older writers made it.
std::string oldRecord(unsigned version, std::uint8_t frameStyle, std::uint32_t flags)
{
    MemoryStream s;
    writeWord(s, static_cast<std::uint16_t>(version));
    writeString(s, "Old1");
    for (int v : {1000, 2000, 3000, 4000, 529, 529})
        writeInteger(s, v);
    writeLongWord(s, flags);
    writeColour(s, platform::clNone);
    writeByte(s, 0);
    writeByte(s, 0);
    for (int side = 0; side < 4; ++side) {
        writeBoolean(s, true);
        writeByte(s, frameStyle);
        writeColour(s, platform::clRed);
        writeInteger(s, 265);
        if (version >= 1)
            writeBoolean(s, false);
    }
    writeWord(s, 0);
    writeBoolean(s, true);
    writeWord(s, 0);
    writeString(s, "");
    writeTextBlock(s, {"text"});
    writeString(s, "");
    writeString(s, "");
    for (int i = 0; i < 4; ++i)
        writeByte(s, 0);
    if (version >= 2) {
        writeWord(s, 1);
        writeString(s, "OnBeforePrint");
        writeString(s, "Memo1OnBeforePrint");
    }
    if (version >= 3)
        writeBoolean(s, false);
    return s.toString();
}

} // namespace

TEST(ViewStream, DefaultReportViewRoundTripsWithVersionSevenAndDefaults)
{
    TKSReportView v;
    std::string bytes = saved(v);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 7);
    EXPECT_EQ(bytes[1], 0);

    TKSReportView back;
    back.mmGapLeft = back.mmGapTop = 0;
    load(back, bytes);
    EXPECT_EQ(back.mmGapLeft, 529);
    EXPECT_EQ(back.mmGapTop, 529);
    for (int side = 0; side < 4; ++side)
        EXPECT_EQ(back.Frame(side).mmWidth, 265);
    EXPECT_EQ(saved(back), bytes);
}

TEST(ViewStream, TemplateFormCarriesEveryField)
{
    TKSReportView v;
    v.SetName("Box1");
    v.mmLeft = 11, v.mmTop = 22, v.mmWidth = 33, v.mmHeight = 44;
    v.Flags = 0x12345678;
    v.FillColor = platform::clYellow;
    v.BandAlign = ksbaCenter;
    v.Restrictions = ksrtDontMove;
    v.BottomFrame.Visible = true;
    v.BottomFrame.DoubleFrame = true;
    v.BottomFrame.Style = platform::PenStyle::DashDot;
    v.DiagonalLines = 5;
    v.Memo = {"a [x] b", ""};
    v.DisplayFormat = "N0.00";
    v.SetStretchWith("Memo2");
    v.FormatKind = 1;
    v.SetEventBinding("OnBeforePrint", "Box1BeforePrint");
    v.ExtraFlag = false;
    v.BrushStyle = platform::BrushStyle::Cross;
    v.ReservedInt = -5;
    v.ReservedStr1 = "r1", v.ReservedStr2 = "r2", v.ReservedStr3 = "r3";
    v.Url = "http://x";
    v.Cursor = -21;
    v.ExpressionDelimiters = "<;>";
    v.ReservedWord = 77;

    TKSReportView back;
    load(back, saved(v));
    EXPECT_EQ(back.Name(), "Box1");
    EXPECT_EQ(back.mmHeight, 44);
    EXPECT_EQ(back.Flags, 0x12345678u);
    EXPECT_EQ(back.FillColor, platform::clYellow);
    EXPECT_EQ(back.BandAlign, ksbaCenter);
    EXPECT_EQ(back.Restrictions, ksrtDontMove);
    EXPECT_TRUE(back.BottomFrame.DoubleFrame);
    EXPECT_EQ(back.BottomFrame.Style, platform::PenStyle::DashDot);
    EXPECT_EQ(back.DiagonalLines, 5);
    EXPECT_EQ(back.Memo, v.Memo);
    EXPECT_EQ(back.DisplayFormat, "N0.00");
    EXPECT_EQ(back.StretchWith(), "Memo2");
    EXPECT_EQ(back.EventBinding("OnBeforePrint"), "Box1BeforePrint");
    EXPECT_FALSE(back.ExtraFlag);
    EXPECT_EQ(back.BrushStyle, platform::BrushStyle::Cross);
    EXPECT_EQ(back.ReservedInt, -5);
    EXPECT_EQ(back.ReservedStr3, "r3");
    EXPECT_EQ(back.Url, "http://x");
    EXPECT_EQ(back.Cursor, -21);
    EXPECT_EQ(back.ExpressionDelimiters, "<;>");
    EXPECT_EQ(back.ReservedWord, 77);
}

TEST(ViewStream, PreparedFormWritesWorkingTextAndReadsItIntoMemo)
{
    TKSReportView v;
    v.PreparedForm = true;
    v.Memo = {"[expr]"};
    v.Memo1 = {"5", "six"};
    v.Url = "link";
    v.SetEventBinding("OnPreviewClick", "ClickIt");
    TKSReportView back;
    back.PreparedForm = true;
    load(back, saved(v));
    EXPECT_EQ(back.Memo, (std::vector<std::string>{"5", "six"}));
    EXPECT_TRUE(back.Memo1.empty());
    EXPECT_EQ(back.Url, "link");
    EXPECT_EQ(back.EventBinding("OnPreviewClick"), "ClickIt");
}

TEST(ViewStream, OlderCommonRecordVersions)
{
    struct Case {
        unsigned version;
        std::uint8_t style;
        bool doubleFrame;
        platform::PenStyle readStyle;
        bool bindings;
    };
    const Case cases[] = {
        {0, 8, true, platform::PenStyle::Solid, false},
        {0, 7, true, platform::PenStyle::Solid, false},
        {0, 2, false, platform::PenStyle::Dot, false},
        {1, 2, false, platform::PenStyle::Dot, false},
        {2, 1, false, platform::PenStyle::Dash, true},
        {3, 0, false, platform::PenStyle::Solid, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        TKSReportView v;
        v.Url = "kept";
        load(v, oldRecord(c.version, c.style, 0));
        EXPECT_EQ(v.Name(), "Old1");
        EXPECT_EQ(v.mmHeight, 4000);
        EXPECT_TRUE(v.RightFrame.Visible);
        EXPECT_EQ(v.RightFrame.DoubleFrame, c.doubleFrame);
        EXPECT_EQ(v.RightFrame.Style, c.readStyle);
        EXPECT_EQ(v.Memo, std::vector<std::string>{"text"});
        EXPECT_EQ(!v.EventBinding("OnBeforePrint").empty(), c.bindings);
        EXPECT_TRUE(v.Flag(ksf::StretchedMax)) << "set after any record up to version 3";
        EXPECT_EQ(v.Url, "kept") << "no version-5 fields before version 5";
    }
}

TEST(ViewStream, StretchedMaxIsNotForcedFromVersionFourOn)
{
    TKSReportView v;
    v.SetFlag(ksf::StretchedMax, false);
    std::string bytes = saved(v);
    TKSReportView back;
    back.SetFlag(ksf::StretchedMax, true);
    load(back, bytes);
    EXPECT_FALSE(back.Flag(ksf::StretchedMax));
}

TEST(ViewStream, DamagedRecordsRaiseAndKeepWhatWasRead)
{
    TKSReportView v;
    v.SetName("Named");
    v.mmLeft = 123;
    v.Memo = {"some text"};
    std::string bytes = saved(v);
    for (std::size_t cut : {std::size_t(1), std::size_t(5), bytes.size() / 2, bytes.size() - 1}) {
        SCOPED_TRACE(cut);
        TKSReportView back;
        EXPECT_THROW(load(back, bytes.substr(0, cut)), platform::StreamError);
        if (cut > 16) {
            EXPECT_EQ(back.mmLeft, 123);
        }
    }
    // A text block whose count runs past the end.
    std::string bad = oldRecord(3, 0, 0);
    std::size_t at = bad.find("text") - 4;
    bad[at + 3] = 0x40;
    TKSReportView back;
    EXPECT_THROW(load(back, bad), platform::StreamError);
    EXPECT_EQ(back.Name(), "Old1");
}

TEST(ViewStream, EveryClassRoundTripsInBothForms)
{
    auto picture = std::make_unique<TKSPictureView>();
    picture->BlobType = ksbtJPEG;
    picture->PictureFormat = kspfAuto;
    picture->PictureSource = kspsFileName;
    auto shape = std::make_unique<TKSShapeView>();
    shape->Shape = ksRightAndLeft;
    shape->Pen = {platform::clRed, 3, platform::PenStyle::DashDot, platform::PenMode::Xor, platform::PenCap::Flat};
    shape->Brush = {platform::clBlue, platform::BrushStyle::Cross};
    auto sub = std::make_unique<TKSSubReportView>();
    sub->SubPage = 3;
    sub->SubReportType = ksstFixed;
    std::vector<std::unique_ptr<TKSView>> views;
    views.push_back(std::move(picture));
    views.push_back(std::move(shape));
    views.push_back(std::move(sub));
    for (int type = ksbtReportTitle; type < ksbtNone; ++type)
        views.push_back(CreateBand(type));
    for (bool prepared : {false, true}) {
        for (auto& v : views) {
            SCOPED_TRACE(v->className());
            v->PreparedForm = prepared;
            v->mmLeft = 4321;
            std::string bytes = saved(*v);
            std::unique_ptr<TKSView> back = CreateView(v->ObjectType, v->className());
            ASSERT_TRUE(back);
            EXPECT_EQ(back->className(), v->className());
            back->PreparedForm = prepared;
            MemoryStream s(bytes);
            back->LoadFromStream(s);
            EXPECT_EQ(s.position(), s.size()) << "reads exactly its record";
            EXPECT_EQ(back->mmLeft, 4321);
            EXPECT_EQ(saved(*back), bytes);
        }
    }
}

TEST(ViewStream, SubReportPageMinusOneComesBackAs65535)
{
    TKSSubReportView v;
    TKSSubReportView back;
    load(back, saved(v));
    EXPECT_EQ(back.SubPage, 65535);
}

TEST(ViewStream, OutlineObjectHasOnlyItsOwnBody)
{
    TKSOutlineView v;
    v.OutlineCaption = "Chapter";
    v.OutlinePage = 4;
    v.OutlineLevel = 2;
    v.mmTop = 26458;  // 100 pixels
    MemoryStream s;
    v.PlaceOnEndPage(s);
    std::string bytes = s.toString();
    ASSERT_EQ(bytes[0], 7);
    TKSOutlineView back;
    load(back, bytes.substr(1));
    EXPECT_EQ(back.OutlineCaption, "Chapter");
    EXPECT_EQ(back.OutlinePage, 4);
    EXPECT_EQ(back.OutlineLevel, 2);
    EXPECT_EQ(back.mmTop, 26458);
    EXPECT_EQ(back.OutlineEntryText(), "Chapter\x01" "4\x01" "100\x01" "2");
}

TEST(ViewStream, PictureVersionZeroLeavesBlobDefaults)
{
    TKSPictureView v;
    v.BlobType = ksbtIcon;
    std::string bytes = saved(v);
    // Turn the part into version 0: its Word and the two trailing bytes go.
    TKSReportView common;
    std::size_t commonSize = saved(common).size();
    bytes[commonSize] = 0;
    bytes.resize(bytes.size() - 2);
    TKSPictureView back;
    back.BlobType = ksbtBitmap;
    back.PictureFormat = kspfAuto;
    load(back, bytes);
    EXPECT_EQ(back.BlobType, ksbtAuto);
    EXPECT_EQ(back.PictureFormat, kspfBorland);
}

TEST(ViewFactory, TypeCodesAndAddIns)
{
    EXPECT_EQ(CreateView(ksgtPicture)->className(), "TKSPictureView");
    EXPECT_EQ(CreateView(60)->className(), "TKSBandMasterData");
    EXPECT_EQ(CreateView(66)->className(), "TKSBandOverlay");
    for (int none : {3, 5, 8, 49, 67, 99})
        EXPECT_EQ(CreateView(none), nullptr) << none;
    try {
        (void)CreateView(ksgtAddIn, "TNoSuchObject");
        ADD_FAILURE() << "no error";
    } catch (const EKSClassNotFound& e) {
        EXPECT_STREQ(e.what(), "TNoSuchObject\r");
    }
    RegisterAddInObject("TMyShape", [] { return std::make_unique<TKSShapeView>(); });
    EXPECT_NE(CreateView(ksgtAddIn, "tmyshape"), nullptr);
}
