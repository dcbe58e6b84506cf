// The text object: stream part in both forms and old versions, damaged records,
// measuring (CalcHeight, MinHeight), values with hidden zeros, drawing of prepared
// text, named properties and the merging of repeated values.
#include "objects/memo.h"
#include "textlayout_recording_canvas.h"

#include "core/streamio.h"
#include "core/units.h"
#include "platform/stream.h"

#include <gtest/gtest.h>

#include <map>

using testing_text::gbk;
using testing_text::RecordingCanvas;

namespace {

class FakeReport : public TKSReportContext {
public:
    int mode = ksdmPreviewing;
    std::map<std::string, platform::Variant> values;
    std::map<std::string, TKSView*> objects;

    int DocMode() const override { return mode; }
    platform::Variant EvaluateExpression(TKSReportView&, std::string_view expression) override
    {
        auto it = values.find(std::string(expression));
        return it == values.end() ? platform::Variant() : it->second;
    }
    void SetExpandingText(bool) override {}
    void SetCurrentView(TKSView*) override {}
    void FireBeforePrint(std::vector<std::string>&, TKSView&) override {}
    std::unique_ptr<TKSBandDataset> CreateCountDataset() override { return nullptr; }
    void ReportError(const std::string&) override {}
    TKSView* FindObject(std::string_view name) const override
    {
        auto it = objects.find(std::string(name));
        return it == objects.end() ? nullptr : it->second;
    }
};

// Memos measured on the recording canvas: a 12-point font has em 16 and pitch 18.
class MemoTest : public ::testing::Test {
protected:
    void SetUp() override { SetMeasuringCanvas(&measuring); }
    void TearDown() override { SetMeasuringCanvas(nullptr); }

    static void setTestFont(TKSCustomMemoView& memo)
    {
        memo.Font.setName("Test");
        memo.Font.setHeight(-16);
    }

    RecordingCanvas measuring;
    FakeReport report;
};

int mm(int pixels) { return toMMThousandths(pixels, ksutScreenPixels); }

TEST_F(MemoTest, DefaultsOfANewTextObject)
{
    TKSMemoView memo;
    EXPECT_EQ(memo.ObjectType, ksgtMemo);
    EXPECT_EQ(memo.BaseName, "Memo");
    EXPECT_EQ(memo.Font.name(), "Arial");
    EXPECT_EQ(memo.Font.size(), 10);
    EXPECT_EQ(memo.Font.charset(), 134);
    EXPECT_TRUE(memo.Flag(ksf::HideZeros));
    EXPECT_FALSE(memo.Flag(ksf::Stretched));
    EXPECT_FALSE(memo.Flag(ksf::WordWrap));
    EXPECT_EQ(memo.LineSpacing, 2);
    EXPECT_EQ(memo.DisplayBeginLine, -1);
}

TEST_F(MemoTest, StreamRoundTripInBothForms)
{
    for (bool prepared : {false, true}) {
        TKSMemoView a;
        a.PreparedForm = prepared;
        a.Memo = {"text"};
        a.Memo1 = {"line 1", "line 2"};
        a.Font.setName(gbk("黑体"));
        a.Font.setHeight(-29);
        a.HAlign = kshCenter;
        a.VAlign = ksvBottom;
        a.LineSpacing = 5;
        a.CharacterSpacing = 1;
        a.RotationType = ksrt270;
        a.ScaleFontType = ksstByHeight;
        a.FontScaleWidth = 7;
        a.RepeatedOptions.MasterMemoView = "Memo9";
        a.RepeatedOptions.SuppressRepeated = true;
        a.RepeatedOptions.MergeRepeated = true;
        a.RepeatedOptions.MergeStretchedHeight = true;
        a.Highlight.Condition = "[x] > 1";
        a.Highlight.Color = platform::clRed;
        a.DisplayBeginLine = 1;
        a.DisplayEndLine = 3;
        platform::MemoryStream s;
        a.SaveToStream(s);
        s.seek(0);
        TKSMemoView b;
        b.PreparedForm = prepared;
        b.LoadFromStream(s);
        EXPECT_EQ(s.position(), s.size());
        EXPECT_EQ(b.Memo, prepared ? a.Memo1 : a.Memo);
        EXPECT_EQ(b.Font.name(), a.Font.name());
        EXPECT_EQ(b.Font.height(), -29);
        EXPECT_EQ(b.HAlign, kshCenter);
        EXPECT_EQ(b.VAlign, ksvBottom);
        EXPECT_EQ(b.LineSpacing, 5);
        EXPECT_EQ(b.CharacterSpacing, 1);
        EXPECT_EQ(b.RotationType, ksrt270);
        EXPECT_EQ(b.ScaleFontType, ksstByHeight);
        EXPECT_EQ(b.FontScaleWidth, 7);
        EXPECT_EQ(b.RepeatedOptions.MasterMemoView, "Memo9");
        EXPECT_TRUE(b.RepeatedOptions.SuppressRepeated);
        EXPECT_TRUE(b.RepeatedOptions.MergeRepeated);
        EXPECT_TRUE(b.Flag(ksf::SuppressRepeated) && b.Flag(ksf::MergeRepeated));
        EXPECT_EQ(b.RepeatedOptions.MergeStretchedHeight, !prepared);
        EXPECT_EQ(b.Highlight.Condition, prepared ? "" : "[x] > 1");
        EXPECT_EQ(b.DisplayBeginLine, 1);
        EXPECT_EQ(b.DisplayEndLine, 3);
    }
}

// The base record of a memo followed by a text part of the given version.
std::string recordWithPartVersion(bool prepared, int version, bool withSkipList)
{
    TKSMemoView base;
    base.PreparedForm = prepared;
    platform::MemoryStream s;
    base.TKSStretcheableView::SaveToStream(s);
    writeWord(s, std::uint16_t(version));
    writeFont(s, base.Font);
    writeByte(s, kshRight);
    writeByte(s, ksvCenter);
    writeInteger(s, 4);
    writeInteger(s, 0);
    writeString(s, "");
    writeByte(s, ksrt90);
    writeByte(s, ksstNone);
    writeInteger(s, 0);
    if (!prepared) {
        writeColour(s, platform::clNone);
        writeString(s, "");
        writeFont(s, base.Highlight.Font);
    } else if (withSkipList) {
        writeInteger(s, 77);
        writeInteger(s, 2);
        writeInteger(s, 1);
        writeInteger(s, 2);
    }
    if (version >= 2) {
        writeInteger(s, 0);
        writeInteger(s, 0);
    }
    writeInteger(s, 0x5A5A5A5A);  // whatever follows the record
    return std::string(s.bytes());
}

TEST_F(MemoTest, ReadsOlderPartVersions)
{
    struct Case {
        bool prepared;
        int version;
        bool skipList;
        int begin;
    } cases[] = {{false, 1, false, -1}, {false, 2, false, 0}, {true, 0, true, -1}, {true, 1, false, -1},
                 {true, 2, false, 0}};
    for (const Case& c : cases) {
        platform::MemoryStream s(recordWithPartVersion(c.prepared, c.version, c.skipList));
        TKSMemoView memo;
        memo.PreparedForm = c.prepared;
        memo.LoadFromStream(s);
        EXPECT_EQ(memo.HAlign, kshRight) << c.version;
        EXPECT_EQ(memo.LineSpacing, 4);
        EXPECT_EQ(memo.RotationType, ksrt90);
        EXPECT_EQ(memo.DisplayBeginLine, c.begin);
        EXPECT_EQ(readInteger(s), 0x5A5A5A5A) << "record not read to its end, version " << c.version;
    }
}

TEST_F(MemoTest, DamagedRecordsRaiseStreamErrors)
{
    std::string whole = recordWithPartVersion(true, 0, true);
    // A skip list whose count reaches far beyond the stream.
    std::string huge = whole;
    std::size_t countAt = whole.size() - 4 - 12;
    huge[countAt + 3] = 0x7F;
    for (const std::string& bytes : {whole.substr(0, whole.size() - 10), huge}) {
        platform::MemoryStream s(bytes);
        TKSMemoView memo;
        memo.PreparedForm = true;
        EXPECT_THROW(memo.LoadFromStream(s), platform::StreamError);
    }
}

TEST_F(MemoTest, CalcHeightWrapsAfterTheBlankAndTrimsIt)
{
    // 100 px wide, gaps 2: 96 available; "mmmmmm " is 52 px and "nnnnnn" 48.
    TKSMemoView memo;
    setTestFont(memo);
    memo.SetspWidth(100);
    memo.SetspHeight(20);
    memo.SetFlag(ksf::WordWrap, true);
    memo.Memo = {"mmmmmm nnnnnn"};
    EXPECT_EQ(memo.CalcHeight(), mm(2 * 2 + 2 * 18 - 2));
    EXPECT_EQ(memo.Memo1, (std::vector<std::string>{"mmmmmm", "nnnnnn", "\x01"}));
    EXPECT_EQ(memo.DrawMode, ksdmAfterCalcHeight);
    EXPECT_EQ(memo.MinHeight(), mm(2 * 18) + mm(4));
}

TEST_F(MemoTest, CalcHeightOfEmptyAndInvisibleText)
{
    TKSMemoView memo;
    setTestFont(memo);
    memo.SetspWidth(100);
    memo.Memo = {""};  // one empty line expands to an empty text: no height
    EXPECT_EQ(memo.CalcHeight(), 0);
    EXPECT_TRUE(memo.Memo1.empty());
    memo.Memo = {"a", "", "b"};
    memo.DrawMode = ksdmAll;
    EXPECT_EQ(memo.CalcHeight(), mm(4 + 3 * 18 - 2));
    memo.Visible = false;
    EXPECT_EQ(memo.CalcHeight(), 0);
}

TEST_F(MemoTest, HiddenZerosAndInlineFormats)
{
    struct Case {
        platform::Variant value;
        const char* text;
        bool hideZeros;
        const char* expected;
    } cases[] = {
        {platform::Variant(0), "[v]", true, ""},
        {platform::Variant(0.0), "a[v]b", true, "ab"},
        {platform::Variant("0"), "[v]", true, ""},
        {platform::Variant("0.00"), "[v]", true, "0.00"},
        {platform::Variant(0), "[v]", false, "0"},
        {platform::Variant(1234.5), "[v #N0.00]", true, "1234.50"},
        {platform::Variant(true), "[v #B]", true, ""},  // the pattern text of an empty custom boolean
    };
    for (const Case& c : cases) {
        TKSMemoView memo;
        memo.ParentReport = &report;
        memo.SetFlag(ksf::HideZeros, c.hideZeros);
        report.values["v"] = c.value;
        memo.Memo = {c.text};
        memo.CalcText();
        std::string got = memo.Memo1.empty() ? "" : memo.Memo1.front();
        EXPECT_EQ(got, c.expected) << c.text << " " << c.value.toString();
    }
}

TEST_F(MemoTest, DrawingPreparedTextDoesNotWrapAgain)
{
    TKSMemoView memo;
    setTestFont(memo);
    memo.SetspWidth(40);
    memo.SetspHeight(100);
    memo.SetFlag(ksf::WordWrap, true);
    memo.Memo = {"hello world", "x", "\x01"};  // as a prepared page stores it
    RecordingCanvas out;
    memo.Draw(out);
    ASSERT_EQ(out.outputs.size(), 2u);
    EXPECT_EQ(out.outputs[0].text, "hello world");
    EXPECT_EQ(out.outputs[1].text, "x");

    memo.Memo = {"hello world"};  // a template text is wrapped
    out.outputs.clear();
    memo.Draw(out);
    EXPECT_GT(out.outputs.size(), 1u);
}

TEST_F(MemoTest, NamedProperties)
{
    TKSMemoView memo;
    platform::Variant value;
    memo.LastValue = "abc\r\n";
    ASSERT_TRUE(memo.GetPropValue("LASTVALUE", {}, value));
    EXPECT_EQ(value.toString(), "abc");
    ASSERT_TRUE(memo.SetPropValue("LASTVALUECHANGED", platform::Variant(true)));
    ASSERT_TRUE(memo.GetPropValue("VALUECHANGED", {}, value));
    EXPECT_TRUE(value.toBool());
    memo.LastValue.clear();
    ASSERT_TRUE(memo.GetPropValue("LASTVALUE", {}, value));
    EXPECT_EQ(value.toString(), "");
}

TEST_F(MemoTest, MergedRepeatsBecomeOneRecordSpanningThem)
{
    TKSMemoView memo;
    setTestFont(memo);
    memo.ParentReport = &report;
    memo.SetspWidth(100);
    memo.SetspHeight(20);
    memo.RepeatedOptions.SuppressRepeated = true;
    memo.RepeatedOptions.MergeRepeated = true;
    int page = 0;
    memo.CurrentPageNo = [&page] { return page; };
    memo.Memo = {"same"};
    platform::MemoryStream s;
    std::vector<std::int64_t> ends;
    for (int row = 0; row < 3; ++row) {
        memo.SetspTop(20 * row);
        memo.PlaceOnEndPage(s);
        ends.push_back(s.size());
    }
    EXPECT_EQ(ends[0], ends[2]) << "repeats must not add records";
    s.seek(1);
    TKSMemoView merged;
    merged.PreparedForm = true;
    merged.LoadFromStream(s);
    EXPECT_EQ(merged.mmTop, 0);
    EXPECT_EQ(merged.spHeight(), 60);
    EXPECT_EQ(merged.Memo, (std::vector<std::string>{"same"}));

    page = 1;  // a new page prints the value again
    memo.PlaceOnEndPage(s);
    EXPECT_GT(s.size(), ends[2]);
    EXPECT_TRUE(memo.ValueChanged);
}

} // namespace
