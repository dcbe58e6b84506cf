// Bands: defaults per type, setters with behaviour, older part versions and the
// dataset binding of Prepare/Unprepare.
#include "objects/band.h"
#include "view_fake_report.h"

#include "core/streamio.h"

#include <gtest/gtest.h>

TEST(Band, TypesCodesAndDefaults)
{
    const int codes[] = {50, 51, 52, 53, 56, 57, 60, 61, 66, 54, 55, 58, 59, 63, 64, 65, 62};
    for (int type = 0; type < ksbtNone; ++type) {
        SCOPED_TRACE(type);
        auto band = CreateBand(type);
        ASSERT_TRUE(band);
        EXPECT_EQ(band->BandType, type);
        EXPECT_EQ(band->ObjectType, codes[type]);
        EXPECT_TRUE(band->IsBand);
        EXPECT_EQ(band->IsVertical, type >= 13 && type <= 15);
        EXPECT_TRUE(band->Flag(ksf::Printable) && band->Flag(ksf::PrintFrame) && band->Flag(ksbf::PrintColumnFirst));
        EXPECT_EQ(band->mmColumnWidth, 52917);
        EXPECT_EQ(band->mmColumnGap, 5292);
        EXPECT_EQ(band->Flag(ksbf::PageBreaked), type == ksbtReportSummary);
        EXPECT_EQ(band->Flag(ksbf::PrintOnFirstPage), type == ksbtPageHeader || type == ksbtPageFooter);
    }
    EXPECT_EQ(CreateBand(ksbtNone), nullptr);
    EXPECT_EQ(CreateBand(ksbtMasterData)->BaseName, "MasterData");
    platform::Variant v;
    TKSBandMasterData data;
    ASSERT_TRUE(data.GetPropValue("ROWCOUNT", {}, v));
    EXPECT_EQ(v.toInteger(), 1);
}

TEST(Band, PublishedPropertiesByClass)
{
    TKSBandGroupHeader group;
    ASSERT_TRUE(platform::setProperty(group, "GroupCondition", platform::Variant("  [a] ")));
    EXPECT_EQ(group.PrintCondition(), "[a]");
    ASSERT_TRUE(platform::setProperty(group, "KeepTogether", platform::Variant(true)));
    EXPECT_TRUE(group.Flag2(ksbf2::KeepTogether));
    EXPECT_EQ(platform::findProperty(group, "DataSetName"), nullptr);
    TKSBandDetailData detail;
    EXPECT_NE(platform::findProperty(detail, "DataSetName"), nullptr);
    EXPECT_NE(platform::findProperty(detail, "MasterBandName"), nullptr);
    TKSBandGroupFooter footer;
    ASSERT_TRUE(platform::setProperty(footer, "GroupHeaderBandName", platform::Variant("GH1 ")));
    EXPECT_EQ(footer.MasterBandName(), "GH1");
}

TEST(Band, DataSetNameSetter)
{
    struct Case {
        const char* text;
        const char* stored;
        bool isCount;
    };
    const Case cases[] = {
        {" 5 ", "5", true}, {"0", "0", false}, {"-3", "Customers", false}, {"12x", "Customers", false},
        {"Orders", "Orders", false}, {"", "", false},
    };
    for (const Case& c : cases) {
        TKSBandMasterData band;
        band.SetDataSetName("Customers");
        band.SetDataSetName(c.text);
        EXPECT_EQ(band.DataSetName(), c.stored) << c.text;
        EXPECT_EQ(band.DataSetIsCount, c.isCount) << c.text;
    }
    TKSBandMasterData band;
    band.SetCrossDataSetName(" 4");
    EXPECT_FALSE(band.CrossDataSetIsCount);
    band.SetCrossDataSetName("4");
    EXPECT_TRUE(band.CrossDataSetIsCount);
}

TEST(Band, OlderPartVersions)
{
    for (unsigned version : {0u, 1u, 2u, 3u, 4u, 5u}) {
        SCOPED_TRACE(version);
        for (int type : {ksbtMasterData, ksbtReportTitle}) {
            auto band = CreateBand(type);
            band->mmColumnOffset = 99;
            band->SetChildBand("Child1");
            band->Flags2 = 7;
            band->SetDataBandName("D");
            band->SetOutlineText("outline");
            band->SetPrintCondition("cond");
            platform::MemoryStream s;
            band->TKSReportView::SaveToStream(s);
            writeWord(s, static_cast<std::uint16_t>(version));
            writeString(s, "3");
            writeString(s, "");
            writeBoolean(s, false);
            writeFont(s, band->Font);
            for (int v : {0}) writeInteger(s, v);
            writeString(s, "");
            writeString(s, "");
            writeByte(s, 2), writeByte(s, 3);
            writeInteger(s, 0);
            writeInteger(s, 5292), writeInteger(s, 1), writeInteger(s, 52917);
            writeString(s, "cond");
            if (version >= 1) writeInteger(s, 99);
            if (version >= 2) writeString(s, "Child1");
            if (version >= 3) writeLongWord(s, 7), writeString(s, "D");
            if (version >= 5) writeString(s, "outline");
            auto back = CreateBand(type);
            s.seek(0);
            back->LoadFromStream(s);
            EXPECT_EQ(s.position(), s.size());
            EXPECT_EQ(back->DataSetName(), "3");
            EXPECT_TRUE(back->DataSetIsCount);
            EXPECT_EQ(back->mmColumnOffset, version >= 1 ? 99 : 0);
            EXPECT_EQ(back->ChildBand(), version >= 2 ? "Child1" : "");
            EXPECT_EQ(back->Flags2, version >= 3 ? 7u : 0u);
            EXPECT_EQ(back->OutlineText(), version >= 5 ? "outline" : "");
            bool conditionKept = version >= 4 || type != ksbtMasterData;
            EXPECT_EQ(back->PrintCondition(), conditionKept ? "cond" : "");
        }
    }
}

TEST(Band, PrepareBindsDatasetsAndUnprepareRestoresThem)
{
    FakeReport report;
    report.mode = ksdmPreviewing;
    TKSBandMasterData counted;
    counted.ParentReport = &report;
    counted.SetDataSetName("5");
    counted.Prepare();
    ASSERT_NE(counted.Dataset, nullptr);
    EXPECT_EQ(counted.Dataset->RangeEnd, ksreCount);
    EXPECT_EQ(counted.Dataset->RangeEndCount, 5);
    EXPECT_EQ(static_cast<FakeDataset*>(counted.Dataset)->inits, 1);
    counted.Unprepare();
    EXPECT_EQ(counted.Dataset, nullptr);

    struct WithDataset : FakeReport {
        FakeDataset named;
        TKSBandDataset* FindDataset(std::string_view name) const override
        {
            return name == "Orders" ? const_cast<FakeDataset*>(&named) : nullptr;
        }
    } withDataset;
    withDataset.named.RangeBegin = ksrbFirst;
    withDataset.named.RangeEnd = ksreLast;
    withDataset.named.RangeEndCount = 0;
    TKSBandMasterData band;
    band.ParentReport = &withDataset;
    band.SetDataSetName("Orders");
    band.RangeBegin = ksrbCurrent;
    band.RangeEnd = ksreCount;
    band.SetRangeEndCount(9);
    band.Prepare();
    EXPECT_EQ(band.Dataset, &withDataset.named);
    EXPECT_EQ(withDataset.named.RangeBegin, ksrbCurrent);
    EXPECT_EQ(withDataset.named.RangeEnd, ksreCount);
    EXPECT_EQ(withDataset.named.RangeEndCount, 9);
    band.Unprepare();
    EXPECT_EQ(withDataset.named.RangeBegin, ksrbFirst);
    EXPECT_EQ(withDataset.named.RangeEnd, ksreLast);
    EXPECT_EQ(withDataset.named.RangeEndCount, 0);
    EXPECT_EQ(withDataset.named.inits, 1);
    EXPECT_EQ(withDataset.named.exits, 1);

    TKSBandMasterData unknown;
    unknown.ParentReport = &withDataset;
    unknown.SetDataSetName("Nothing");
    unknown.Prepare();
    EXPECT_EQ(unknown.Dataset, nullptr);
    unknown.Unprepare();
}
