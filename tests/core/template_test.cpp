// The template stream: round trips, older versions, and every reaction to
// damaged data (messages, skipped records, errors passed to the caller).
#include "core/engine_init.h"
#include "core/report.h"
#include "core/reportpage.h"
#include "core/streamio.h"
#include "objects/band.h"
#include "objects/memo.h"
#include "objects/shape.h"
#include "platform/dialogs.h"
#include "platform/uitexts.h"
#include "support/captured_boxes.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const std::string kMagic = std::string("Tabellomatics Report File 3.0") + '\x1A';

// Records every message box; answers OK.
class TemplateTest : public ::testing::Test {
protected:
    void SetUp() override { InitTabellomatics(); }

    static std::string save(const TKSReport& report)
    {
        platform::MemoryStream s;
        report.SaveToStream(s);
        return s.toString();
    }

    static void load(TKSReport& report, const std::string& bytes)
    {
        platform::MemoryStream s(bytes);
        report.LoadFromStream(s);
    }

    // A template with both page kinds, several object kinds on both report
    // pages, event bindings and dictionary entries.
    static void fill(TKSReport& report)
    {
        report.ReportInfo = {"Title", "two", "three", "", "five"};
        report.Script = {"unit Report;", "", "end."};
        report.ReportFlags = 1;
        report.PageOrder = ksPagePerPage;
        auto page = std::make_unique<TKSReportPage>(9, 2970, 2100, 7, kspoLandscape);
        page->SetName("Page1");
        page->AutoHCenter = true;
        page->SetColumnCount(3);
        page->ColumnGap = 1234;
        page->SetEventBinding("OnBeginPage", "PageStarts");
        page->SetOutlineText("Outline");
        TKSReportPage& p1 = *page;
        page->ParentReport = &report;
        report.Pages.Add(std::move(page));
        auto dialog = std::make_unique<TKSDialogPage>();
        dialog->SetName("Dialog1");
        dialog->Caption = "Ask";
        dialog->ParentReport = &report;
        report.Pages.Add(std::move(dialog));
        auto second = std::make_unique<TKSReportPage>();
        second->SetName("Page2");
        TKSReportPage& p2 = *second;
        second->ParentReport = &report;
        report.Pages.Add(std::move(second));

        auto band = std::make_unique<TKSBandMasterData>();
        band->mmTop = 1000;
        band->mmHeight = 20000;
        band->SetDataSetName("3");
        p1.Adopt(std::move(band));
        auto memo = std::make_unique<TKSMemoView>();
        memo->mmLeft = 500;
        memo->mmTop = 2000;
        memo->mmWidth = 30000;
        memo->mmHeight = 5000;
        memo->Memo = {"[Line]", "second"};
        memo->SetEventBinding("OnBeforePrint", "MemoPrints");
        p1.Adopt(std::move(memo));
        auto shape = std::make_unique<TKSShapeView>();
        shape->Shape = ksskEllipse;
        p2.Adopt(std::move(shape));
        report.Dictionary.Variables = {{"Total", 5, "1.5"}, {"Name", 256, "Data.Name"}};
        report.Dictionary.FieldAliases = {{"Data", 256, "Table1"}};
    }
};

// Writes a template header of any version by hand, the way older writers did.
struct HeaderWriter {
    std::uint16_t version = 62;
    std::string extraHeaderBytes;
    int offsetTop = 0, offsetLeft = 0;
    std::uint16_t flags = 0;
    bool strictNulls = false;

    std::string write() const
    {
        platform::MemoryStream s;
        writeString(s, kMagic);
        writeWord(s, version);
        std::int64_t end = -1;
        if (version >= 52) {
            writeWord(s, 0);
            end = writeEndPositionPlaceholder(s);
        }
        for (const char* text : {"Old", "", "", "", ""})
            writeString(s, text);
        writeBoolean(s, true);
        writeInteger(s, offsetTop);
        writeInteger(s, offsetLeft);
        writeByte(s, 0);
        writeBoolean(s, false);
        writeBoolean(s, false);
        writeString(s, "Default Printer");
        writeTextBlock(s, {});
        if (version >= 52) {
            writeWord(s, flags);
            if (version >= 57)
                writeBoolean(s, strictNulls);
            s.write(extraHeaderBytes.data(), extraHeaderBytes.size());
            patchEndPosition(s, end);
        }
        return s.toString();
    }
};

// `at`: where the record will stand in the stream (the picture's end position is absolute).
std::string reportPageRecord(std::size_t at, std::uint16_t recordVersion, const char* name)
{
    platform::MemoryStream s;
    writeByte(s, 255);
    writeString(s, "TKSReportPage");
    writeWord(s, recordVersion);
    writeString(s, name);
    writeBoolean(s, true);
    for (int v : {9, 2100, 2970, 10000, 10000, 10000, 10000})
        writeInteger(s, v);
    writeByte(s, 0);
    writeBoolean(s, false);
    writeInteger(s, 65535);
    writeBoolean(s, false);
    writeBoolean(s, false);
    writeByte(s, 0);  // no picture
    writeInteger(s, static_cast<std::int32_t>(at + s.size() + 4));
    for (int v : {0, 0, -1, -1})
        writeInteger(s, v);
    writeByte(s, 0);
    if (recordVersion >= 1) {
        writeBoolean(s, true);
        writeBoolean(s, true);
        writeWord(s, 0);
    }
    if (recordVersion >= 2) {
        writeInteger(s, 0);  // a stored column count of 0 reads as 1
        writeInteger(s, 0);
    }
    if (recordVersion >= 3)
        writeWord(s, 0);  // no event bindings
    if (recordVersion >= 4)
        writeString(s, "");
    return s.toString();
}

// An object record whose body is `body`, framed by its end position.
std::string objectRecord(std::size_t at, std::uint8_t type, const std::string& className, const std::string& body,
                         std::uint8_t page = 0)
{
    platform::MemoryStream s;
    writeByte(s, type);
    writeString(s, className);
    const std::int64_t end = static_cast<std::int64_t>(at + s.size() + 4 + 1 + body.size());
    writeInteger(s, static_cast<std::int32_t>(end));
    writeByte(s, page);
    s.write(body.data(), body.size());
    return s.toString();
}

std::string memoBody(const char* name, const char* text)
{
    TKSMemoView memo;
    memo.SetName(name);
    memo.Memo = {text};
    platform::MemoryStream s;
    memo.SaveToStream(s);
    return s.toString();
}

std::string emptyDictionary()
{
    platform::MemoryStream s;
    writeByte(s, 254);
    TKSDictionary().SaveToStream(s);
    return s.toString();
}

} // namespace

TEST_F(TemplateTest, RoundTripGivesIdenticalBytesAndObjects)
{
    TKSReport report;
    fill(report);
    const std::string first = save(report);

    TKSReport copy;
    CapturedBoxes boxes;
    load(copy, first);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_FALSE(copy.ErrorFlag) << copy.ErrorText;
    EXPECT_EQ(save(copy), first);

    ASSERT_EQ(copy.Pages.Count(), 3);
    auto* p1 = dynamic_cast<TKSReportPage*>(copy.Pages.Page(0));
    ASSERT_NE(p1, nullptr);
    EXPECT_EQ(p1->Name(), "Page1");
    EXPECT_EQ(p1->PageOrientation, kspoLandscape);
    EXPECT_EQ(p1->PageBin, 7);
    EXPECT_EQ(p1->ColumnCount(), 3);
    EXPECT_EQ(p1->ColumnGap, 1234);
    EXPECT_TRUE(p1->AutoHCenter);
    EXPECT_EQ(p1->EventBinding("OnBeginPage"), "PageStarts");
    EXPECT_EQ(p1->OutlineText(), "Outline");
    auto* dialog = dynamic_cast<TKSDialogPage*>(copy.Pages.Page(1));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Caption, "Ask");
    ASSERT_EQ(p1->Objects().size(), 2u);
    auto* memo = dynamic_cast<TKSMemoView*>(p1->Objects()[1]);
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Memo, (std::vector<std::string>{"[Line]", "second"}));
    EXPECT_EQ(memo->mmTop, 2000);
    EXPECT_EQ(memo->ParentReport, &copy);
    EXPECT_EQ(memo->EventBinding("OnBeforePrint"), "MemoPrints");
    ASSERT_EQ(copy.Pages.Page(2)->Objects().size(), 1u);
    EXPECT_EQ(copy.Dictionary.Variables, report.Dictionary.Variables);
    EXPECT_EQ(copy.ReportFlags, 1);
    EXPECT_EQ(copy.PageOrder, ksPagePerPage);
}

TEST_F(TemplateTest, HeaderEndIsPatchedBehindTheLastHeaderField)
{
    TKSReport report;
    report.ReportInfo.ReportTitle = "T";
    const std::string bytes = save(report);
    platform::MemoryStream s(bytes);
    readString(s);
    EXPECT_EQ(readWord(s), 62);
    EXPECT_EQ(readWord(s), 0);
    const std::int32_t headerEnd = readInteger(s);
    // Empty template: the dictionary record follows the header at once.
    EXPECT_EQ(static_cast<std::uint8_t>(bytes.at(static_cast<std::size_t>(headerEnd))), 254);
}

TEST_F(TemplateTest, OlderHeadersLoadWithTheirDefaults)
{
    struct Case {
        const char* what;
        HeaderWriter header;
        std::uint16_t flags;
        bool strictNulls;
    };
    HeaderWriter v51;
    v51.version = 51;
    HeaderWriter v56;
    v56.version = 56;
    v56.flags = 1;
    HeaderWriter extra;
    extra.extraHeaderBytes = "future fields";
    extra.flags = 1;
    HeaderWriter offsets;
    offsets.offsetTop = 5000;
    offsets.offsetLeft = -300;
    const Case cases[] = {
        {"version 51: no flags, strict nulls", v51, 0, true},
        {"version 56: flags, no StrictNulls field", v56, 1, true},
        {"unknown header fields are skipped", extra, 1, false},
        {"stored printer offsets are not used", offsets, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string header = c.header.write();
        std::string bytes = header + reportPageRecord(header.size(), 4, "P");
        bytes += objectRecord(bytes.size(), 0, "TKSMemoView", memoBody("Memo1", "after the header"));
        TKSReport report;
        report.mmPrintOffsetTop = 1;
        CapturedBoxes boxes;
        load(report, bytes);
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_EQ(report.ReportInfo.ReportTitle, "Old");
        EXPECT_EQ(report.ReportFlags, c.flags);
        EXPECT_EQ(report.StrictNulls(), c.strictNulls);
        EXPECT_EQ(report.mmPrintOffsetTop, 0);
        EXPECT_EQ(report.mmPrintOffsetLeft, 0);
        ASSERT_EQ(report.Pages.Count(), 1);
        ASSERT_EQ(report.Pages.Page(0)->Objects().size(), 1u);
        EXPECT_EQ(report.Pages.Page(0)->Objects()[0]->Memo.at(0), "after the header");
    }
}

TEST_F(TemplateTest, PageRecordVersionsAndTheOneByteClassForm)
{
    for (std::uint16_t recordVersion : {0, 1, 2}) {
        SCOPED_TRACE(recordVersion);
        TKSReport report;
        const std::string header = HeaderWriter{}.write();
        load(report, header + reportPageRecord(header.size(), recordVersion, "Old"));
        auto* page = dynamic_cast<TKSReportPage*>(report.Pages.Page(0));
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->AutoHCenter, recordVersion >= 1);
        EXPECT_EQ(page->AutoVCenter, recordVersion >= 1);
        EXPECT_EQ(page->ColumnCount(), 1);
        EXPECT_EQ(page->MarginLeft, 10000);
    }

    // Version 50 and older: one byte instead of the class name.
    HeaderWriter v50;
    v50.version = 50;
    std::string bytes = v50.write();
    std::string page = reportPageRecord(bytes.size() - 14, 0, "ByByte");
    page.replace(1, 2 + 13, "\x01");
    std::string dialogPage;
    {
        platform::MemoryStream s;
        writeByte(s, 255);
        writeByte(s, 0);
        TKSDialogPage d;
        d.SetName("Dialog");
        d.SaveToStream(s);
        dialogPage = s.toString();
    }
    TKSReport report;
    load(report, bytes + page + dialogPage);
    ASSERT_EQ(report.Pages.Count(), 2);
    EXPECT_NE(dynamic_cast<TKSReportPage*>(report.Pages.Page(0)), nullptr);
    EXPECT_EQ(report.Pages.Page(0)->Name(), "ByByte");
    EXPECT_NE(dynamic_cast<TKSDialogPage*>(report.Pages.Page(1)), nullptr);
}

TEST_F(TemplateTest, ShortStreamLeavesTheTemplateEmptyWithoutMessage)
{
    TKSReport report;
    fill(report);
    CapturedBoxes boxes;
    load(report, "123456789");
    EXPECT_EQ(report.Pages.Count(), 0);
    EXPECT_TRUE(report.Script.empty());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TemplateTest, WrongMagicShowsTheMessageAndLeavesOneEmptyPage)
{
    TKSReport report;
    fill(report);
    CapturedBoxes boxes;
    load(report, std::string("\x1E\x00", 2) + "Not a report file at all......" + std::string(20, '\0'));
    EXPECT_TRUE(report.ErrorFlag);
    EXPECT_EQ(report.ErrorText, "Not Tabellomatics Report File!");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, platform::loadText(47499));
    EXPECT_EQ(boxes.shown[0].caption, platform::loadText(47206));
    EXPECT_EQ(boxes.shown[0].flags & platform::MB_ICONERROR, platform::MB_ICONERROR);
    ASSERT_EQ(report.Pages.Count(), 1);
    EXPECT_NE(dynamic_cast<TKSReportPage*>(report.Pages.Page(0)), nullptr);
    EXPECT_TRUE(report.Pages.Page(0)->Objects().empty());
}

TEST_F(TemplateTest, UnregisteredClassesAreListedAndTheRestIsKept)
{
    std::string bytes = HeaderWriter{}.write();
    bytes += reportPageRecord(bytes.size(), 4, "P");
    bytes += objectRecord(bytes.size(), 100, "TMissingView", "opaque body");
    bytes += objectRecord(bytes.size(), 0, "TKSMemoView", memoBody("Memo1", "kept"));
    bytes += objectRecord(bytes.size(), 100, "TOtherView", "");
    bytes += emptyDictionary();
    TKSReport report;
    CapturedBoxes boxes;
    load(report, bytes);
    EXPECT_TRUE(report.ErrorFlag);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Opened report contains the following non-plugged components:\rTMissingView\rTOtherView\r"
              "Use appropriate component from KS component palette");
    EXPECT_EQ(boxes.shown[0].caption, platform::loadText(47206));
    ASSERT_EQ(report.Pages.Page(0)->Objects().size(), 1u);
    EXPECT_EQ(report.Pages.Page(0)->Objects()[0]->Name(), "Memo1");
}

TEST_F(TemplateTest, DamagedBodiesAndSkippedTypesResumeAtTheEndPosition)
{
    std::string bytes = HeaderWriter{}.write();
    bytes += reportPageRecord(bytes.size(), 4, "P");
    // A memo body cut short: the memo keeps what it read.
    std::string cut = memoBody("Cut", "never read");
    cut.resize(cut.size() / 2);
    bytes += objectRecord(bytes.size(), 0, "TKSMemoView", cut);
    // Types that create no object are skipped whole.
    bytes += objectRecord(bytes.size(), 3, "TSomething", "whatever is inside");
    bytes += objectRecord(bytes.size(), 75, "", std::string(40, '\xFF'));
    // An object on a page that does not exist is skipped too.
    bytes += objectRecord(bytes.size(), 0, "TKSMemoView", memoBody("Lost", "x"), 9);
    bytes += objectRecord(bytes.size(), 0, "TKSMemoView", memoBody("Memo2", "read"));
    TKSReport report;
    CapturedBoxes boxes;
    load(report, bytes);
    EXPECT_FALSE(report.ErrorFlag);
    const auto& objects = report.Pages.Page(0)->Objects();
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[1]->Name(), "Memo2");
    EXPECT_EQ(objects[1]->Memo.at(0), "read");
}

TEST_F(TemplateTest, ErrorsPassedToTheCaller)
{
    std::string start = HeaderWriter{}.write();
    start += reportPageRecord(start.size(), 4, "P");
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::string backwards = start;
    {
        platform::MemoryStream s;
        writeByte(s, 0);
        writeString(s, "TKSMemoView");
        writeInteger(s, 3);  // before the record itself
        writeByte(s, 0);
        backwards += s.toString();
    }
    std::string pastEnd = start + objectRecord(start.size(), 0, "TKSMemoView", memoBody("M", "x"));
    pastEnd[start.size() + 1 + 2 + 11] = '\x7F';  // end position's low byte
    pastEnd[start.size() + 1 + 2 + 11 + 3] = '\x7F';
    std::string badPage = start;
    {
        platform::MemoryStream s;
        writeByte(s, 255);
        writeString(s, "TKSStrangePage");
        badPage += s.toString();
    }
    const Case cases[] = {
        {"type byte above 100", start + std::string(1, '\xC8') + "rest"},
        {"end position pointing backwards", backwards},
        {"end position past the end", pastEnd},
        {"unknown page class", badPage},
        {"truncated header", HeaderWriter{}.write().substr(0, 60)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TKSReport report;
        CapturedBoxes boxes;
        EXPECT_THROW(load(report, c.bytes), std::exception);
    }
}

TEST_F(TemplateTest, WrongDictionaryMagicShowsTheMessage)
{
    std::string bytes = HeaderWriter{}.write();
    bytes += reportPageRecord(bytes.size(), 4, "P");
    platform::MemoryStream s;
    writeByte(s, 254);
    writeWord(s, 62);
    writeString(s, "Some other dictionary format!!!");
    writeInteger(s, 0);
    writeInteger(s, 0);
    TKSReport report;
    CapturedBoxes boxes;
    load(report, bytes + s.toString());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, platform::loadText(47500));
    EXPECT_TRUE(report.Dictionary.Empty());
    EXPECT_EQ(report.Pages.Count(), 1);
}

TEST_F(TemplateTest, OldDictionaryEntriesHaveNoTypeWord)
{
    std::string bytes = HeaderWriter{}.write();
    platform::MemoryStream s;
    writeByte(s, 254);
    writeWord(s, 60);
    writeString(s, std::string("Tabellomatics Dictionary File 30") + '\x1A');
    writeInteger(s, 1);
    writeString(s, "Name");
    writeString(s, "Value");
    writeInteger(s, 0);
    TKSReport report;
    load(report, bytes + s.toString());
    ASSERT_EQ(report.Dictionary.Variables.size(), 1u);
    EXPECT_EQ(report.Dictionary.Variables[0].Name, "Name");
    EXPECT_EQ(report.Dictionary.Variables[0].Value, "Value");
}

// Random damage of a valid template: loading either succeeds or raises an
// exception; it never crashes, hangs or reads past the end (the sanitizers
// watch the reads); what loads can be prepared.
TEST_F(TemplateTest, RandomDamageNeverCrashes)
{
    TKSReport source;
    fill(source);
    const std::string good = save(source);
    std::mt19937 random(20261210);
    CapturedBoxes boxes;
    for (int round = 0; round < 1500; ++round) {
        std::string bytes = good;
        const int edits = 1 + static_cast<int>(random() % 6);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % bytes.size();
            switch (random() % 4) {
            case 0: bytes[at] = static_cast<char>(random()); break;
            case 1: bytes.resize(at); break;
            case 2: bytes[at] = '\xFF'; break;
            default: bytes.insert(at, 1, static_cast<char>(random())); break;
            }
            if (bytes.size() < 2)
                break;
        }
        TKSReport report;
        report.ShowProgress = false;
        try {
            load(report, bytes);
        } catch (const std::exception&) {
            continue;
        }
        if (round % 5 == 0)
            report.PrepareReport();  // errors end in a message box, never an escape
    }
}
