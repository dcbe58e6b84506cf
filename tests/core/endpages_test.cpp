// Prepared pages: compression at every level and on the thread, the page list
// operations and events, loading and writing back objects, drawing a page.
#include "endpages_support.h"

#include "platform/image_canvas.h"

#include <gtest/gtest.h>

#include <QRegion>

using namespace endpages_test;

namespace {

const std::vector<MemoSpec> kTwoMemos = {
    {"Memo1", 10000, 5000, 60000, 8000, {"Hello", "second line"}},
    {"Memo2", 20000, 40000, 50000, 10000, {"\xC4\xE3\xBA\xC3"}},  // GBK
};

class EndPagesTest : public ::testing::Test {
protected:
    void SetUp() override { setUpEngine(); }
    TKSReport report;
    TKSReportPage paper;
};

std::vector<std::string> texts(const TKSReportPage& page)
{
    std::vector<std::string> out;
    for (TKSView* view : page.Objects())
        for (const std::string& line : view->Memo)
            out.push_back(view->Name() + ":" + line);
    return out;
}

bool sameImage(const platform::ImageCanvas& a, const platform::ImageCanvas& b) { return a.image() == b.image(); }

int inkPixels(const platform::ImageCanvas& c)
{
    int ink = 0;
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            if (c.pixel(x, y) != 0xFFFFFF)
                ++ink;
    return ink;
}

} // namespace

// --- zlib streams -----------------------------------------------------------

TEST(PageCompression, EveryLevelRoundTripsAsAStandardZlibStream)
{
    std::string data;
    for (int i = 0; i < 5000; ++i)
        data += "object " + std::to_string(i % 37) + '\x01';
    for (int level : {kszcNone, kszcFastest, kszcDefault, kszcMax}) {
        SCOPED_TRACE(level);
        const std::string packed = CompressPageStream(data, level);
        ASSERT_GE(packed.size(), 2u);
        EXPECT_EQ(static_cast<unsigned char>(packed[0]) & 0x0F, 8) << "deflate with a zlib header";
        EXPECT_EQ(((static_cast<unsigned char>(packed[0]) << 8) | static_cast<unsigned char>(packed[1])) % 31, 0);
        EXPECT_EQ(DecompressPageStream(packed), data);
        if (level == kszcNone)
            EXPECT_GT(packed.size(), data.size()) << "level 0 stores";
        else
            EXPECT_LT(packed.size(), data.size() / 4);
    }
    EXPECT_EQ(DecompressPageStream(CompressPageStream("", kszcDefault)), "");
}

TEST(PageCompression, DamagedDataAndBombsAreRefusedWithAMessage)
{
    const std::string packed = CompressPageStream(std::string(100000, 'x'), kszcMax);
    struct Case {
        const char* what;
        std::string bytes;
        std::int64_t limit;
        const char* message;
    } cases[] = {
        {"truncated", packed.substr(0, packed.size() / 2), kMaxPageStreamBytes, "ends early"},
        {"no zlib header", "not zlib at all", kMaxPageStreamBytes, "Damaged"},
        {"empty", "", kMaxPageStreamBytes, "ends early"},
        {"checksum", packed.substr(0, packed.size() - 1) + char(packed.back() ^ 1), kMaxPageStreamBytes, "Damaged"},
        {"bomb", packed, 4096, "inflates beyond"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            DecompressPageStream(c.bytes, c.limit);
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

// --- the page list ------------------------------------------------------------

TEST_F(EndPagesTest, AddCopiesThePaperAndFinishesThePreviousPage)
{
    paper.ChangePaper(8, 2970, 4200, 7, kspoLandscape);
    paper.MarginLeft = 1000;
    paper.MarginTop = 2000;
    paper.MarginRight = 3000;
    paper.MarginBottom = 4000;
    paper.Duplex = ksdpVertical;
    report.EndPages.AddBackground({});
    report.EndPages.AddBackground({});

    TKSEndPage& first = addPage(report.EndPages, paper, kTwoMemos, 3);
    EXPECT_EQ(first.PageSize, 8);
    EXPECT_EQ(first.PageWidth, 2970);
    EXPECT_EQ(first.PageHeight, 4200);
    EXPECT_EQ(first.PageOrientation, kspoLandscape);
    EXPECT_EQ(first.PageBin, 7);
    EXPECT_EQ(first.MarginLeft, 1000);
    EXPECT_EQ(first.MarginTop, 2000);
    EXPECT_EQ(first.MarginRight, 3000);
    EXPECT_EQ(first.MarginBottom, 4000);
    EXPECT_EQ(first.Duplex, ksdpVertical);
    EXPECT_EQ(first.TemplatePageNo, 3);
    EXPECT_EQ(first.PrintMetrics, paper.PrintMetrics);
    EXPECT_EQ(first.BackgroundIndex, 1) << "the last background";
    EXPECT_FALSE(first.IsCompressed()) << "the page being built stays open";

    paper.ShowBackPicture = false;
    TKSEndPage& second = report.EndPages.Add(paper, 3);
    EXPECT_EQ(second.BackgroundIndex, 0);
    EXPECT_TRUE(first.IsCompressed());
    EXPECT_FALSE(second.IsCompressed());
    ASSERT_TRUE(report.EndPages.LoadPage(0, false));
    EXPECT_EQ(texts(*report.EndPages.Page(0)->LoadedPage()),
              (std::vector<std::string>{"Memo1:Hello", "Memo1:second line", "Memo2:\xC4\xE3\xBA\xC3"}));
}

TEST_F(EndPagesTest, AddFiresReportAndPageBeginPageWithThePreparedPageNumber)
{
    std::vector<std::string> fired;
    report.OnBeginPage.code = [&](platform::Object*, platform::EventArgs& args) {
        fired.push_back("report " + std::to_string(args.at(0).toInt64()));
    };
    paper.OnBeginPage.code = [&](platform::Object*, platform::EventArgs& args) {
        fired.push_back("page " + std::to_string(args.at(0).toInt64()));
    };
    report.PreparedPageNo = 4;
    report.EndPages.Add(paper, 1);
    EXPECT_EQ(fired, (std::vector<std::string>{"report 4", "page 4"}));
}

TEST_F(EndPagesTest, InsertDeleteExchangeAndIndexesOutsideTheList)
{
    TKSEndPages& pages = report.EndPages;
    pages.Compressed = false;
    for (int n : {1, 2, 3})
        pages.Add(paper, n);
    pages.Insert(1, paper, 9);
    pages.Insert(99, paper, 8);  // clamped to the end
    auto order = [&] {
        std::vector<int> out;
        for (int i = 0; i < pages.Count(); ++i)
            out.push_back(pages.Page(i)->TemplatePageNo);
        return out;
    };
    EXPECT_EQ(order(), (std::vector<int>{1, 9, 2, 3, 8}));
    pages.Delete(0);
    pages.Delete(-1);
    pages.Delete(42);
    pages.Exchange(0, 3);
    EXPECT_EQ(order(), (std::vector<int>{8, 2, 3, 9}));
    EXPECT_EQ(pages.Page(-1), nullptr);
    EXPECT_EQ(pages.Page(4), nullptr);
    EXPECT_THROW(pages.Exchange(0, 4), std::out_of_range);
    EXPECT_THROW(pages.Background(0), std::out_of_range);
    EXPECT_EQ(pages.LoadPage(7, false), nullptr);
    pages.Outline.push_back("x");
    pages.AddBackground({});
    pages.Clear();
    EXPECT_EQ(pages.Count(), 0);
    EXPECT_EQ(pages.BackgroundCount(), 0);
    EXPECT_TRUE(pages.Outline.empty());
}

TEST_F(EndPagesTest, NothingIsCompressedWhenTheListIsNot)
{
    report.EndPages.Compressed = false;
    addPage(report.EndPages, paper, kTwoMemos);
    addPage(report.EndPages, paper, kTwoMemos);
    report.EndPages.FinishPage(1);
    for (int i = 0; i < 2; ++i)
        EXPECT_FALSE(report.EndPages.Page(i)->IsCompressed());
}

// Every level, with and without the thread, keeps the same objects.
TEST_F(EndPagesTest, LevelsAndThreadGiveTheSameDecompressedContent)
{
    TKSReport plainReport;
    plainReport.EndPages.Compressed = false;
    addPage(plainReport.EndPages, paper, kTwoMemos);
    const std::string expected = plainReport.EndPages.Page(0)->DecompressedBytes();
    ASSERT_FALSE(expected.empty());

    for (bool thread : {false, true})
        for (TKSCompressionLevel level : {kszcNone, kszcFastest, kszcDefault, kszcMax}) {
            SCOPED_TRACE(::testing::Message() << "thread " << thread << " level " << level);
            TKSReport r;
            r.CompressLevel = level;
            r.CompressThread = thread;
            for (int i = 0; i < 3; ++i)
                addPage(r.EndPages, paper, kTwoMemos);
            r.EndPages.FinishPage(2);
            for (int i = 0; i < 3; ++i) {
                TKSEndPage& page = *r.EndPages.Page(i);
                EXPECT_TRUE(page.IsCompressed());
                EXPECT_EQ(page.DecompressedBytes(), expected);
                EXPECT_TRUE(page.CompressionDone());
                EXPECT_EQ(DecompressPageStream(page.Stream().bytes()), expected) << "stream swapped in";
            }
        }
}

TEST_F(EndPagesTest, PagesFreedWhileTheThreadCompressesDoNotCrash)
{
    report.CompressThread = true;
    for (int i = 0; i < 20; ++i)
        addPage(report.EndPages, paper, kTwoMemos);
    report.EndPages.Clear();
    EXPECT_EQ(report.EndPages.Count(), 0);
}

// --- loading, writing back, freeing ------------------------------------------

TEST_F(EndPagesTest, LoadedObjectsHaveThePagePaperAndTheirPreparedGeometry)
{
    paper.MarginLeft = 12000;
    addPage(report.EndPages, paper, kTwoMemos);
    report.EndPages.FinishPage(0);
    TKSReportPage* loaded = report.EndPages.LoadPage(0, false);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->MarginLeft, 12000);
    EXPECT_EQ(loaded->PageWidth, paper.PageWidth);
    ASSERT_EQ(loaded->Objects().size(), 2u);
    TKSView& memo = *loaded->Objects()[1];
    EXPECT_EQ(memo.Name(), "Memo2");
    EXPECT_EQ(memo.ObjectType, ksgtMemo);
    EXPECT_EQ(memo.mmLeft, 20000);
    EXPECT_EQ(memo.mmTop, 40000);
    EXPECT_EQ(memo.mmWidth, 50000);
    EXPECT_EQ(memo.mmHeight, 10000);
    EXPECT_TRUE(memo.PreparedForm);
    EXPECT_EQ(memo.ParentReport, &report);
    EXPECT_EQ(memo.ParentPage, loaded);
}

TEST_F(EndPagesTest, DamagedObjectStreamsShowTheObjectsBeforeTheDamage)
{
    struct Case {
        const char* what;
        std::string tail;
    } cases[] = {
        {"type above 100 ends the page", std::string("\x65") + "garbage behind"},
        {"unknown add-in class", std::string("\x64\x05\x00NoSuchClass")},
        {"truncated record", std::string("\x00\x07\x00", 3)},
        {"type without an object", std::string("\x03junk")},
    };
    report.EndPages.Compressed = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        report.EndPages.Clear();
        TKSEndPage& page = addPage(report.EndPages, paper, {kTwoMemos[0]});
        page.Stream().write(c.tail.data(), c.tail.size());
        TKSReportPage* loaded = report.EndPages.LoadPage(0, false);
        ASSERT_NE(loaded, nullptr);
        ASSERT_EQ(loaded->Objects().size(), 1u);
        EXPECT_EQ(loaded->Objects()[0]->Name(), "Memo1");
    }
}

TEST_F(EndPagesTest, WriteBackStoresEditedObjectsAndCompressesAgain)
{
    addPage(report.EndPages, paper, kTwoMemos);
    report.EndPages.FinishPage(0);
    TKSReportPage* loaded = report.EndPages.LoadPage(0, false);
    ASSERT_NE(loaded, nullptr);
    loaded->Objects()[0]->mmLeft += 1234;
    loaded->Objects()[1]->Memo = {"changed"};
    report.EndPages.WriteBack(0);
    EXPECT_TRUE(report.EndPages.Page(0)->IsCompressed());
    report.EndPages.FreePage(0);
    EXPECT_EQ(report.EndPages.Page(0)->LoadedPage(), nullptr);

    loaded = report.EndPages.LoadPage(0, false);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Objects()[0]->mmLeft, 11234);
    EXPECT_EQ(texts(*loaded),
              (std::vector<std::string>{"Memo1:Hello", "Memo1:second line", "Memo2:changed"}));
}

TEST_F(EndPagesTest, FreeingTheDrawnPageClearsTheReportsCurrentPage)
{
    addPage(report.EndPages, paper, kTwoMemos);
    platform::ImageCanvas canvas(200, 280);
    report.EndPages.DrawPage(0, canvas, {0, 0, 200, 280});
    EXPECT_EQ(report.CurPage, report.EndPages.Page(0)->LoadedPage());
    report.EndPages.FreePage(0);
    EXPECT_EQ(report.CurPage, nullptr);
    report.EndPages.DrawPage(0, canvas, {0, 0, 200, 280});
    report.EndPages.Clear();
    EXPECT_EQ(report.CurPage, nullptr);
}

// --- drawing --------------------------------------------------------------------

TEST_F(EndPagesTest, DrawingAPageTwiceGivesTheSameOutput)
{
    addPage(report.EndPages, paper, kTwoMemos);
    report.EndPages.FinishPage(0);
    const int w = paper.PaperWidthInPixels(), h = paper.PaperHeightInPixels();
    platform::ImageCanvas first(w, h), second(w, h), third(w, h);
    report.EndPages.DrawPage(0, first, {0, 0, w, h});
    report.EndPages.FreePage(0);
    report.EndPages.DrawPage(0, second, {0, 0, w, h});
    report.EndPages.DrawPage(0, third, {0, 0, w, h});  // still loaded
    EXPECT_GT(inkPixels(first), 100);
    EXPECT_TRUE(sameImage(first, second));
    EXPECT_TRUE(sameImage(first, third));
}

TEST_F(EndPagesTest, DrawingScalesIntoTheRectangleInsideTheMargins)
{
    paper.MarginLeft = paper.MarginTop = 10000;
    // A frame at the printable area's top-left corner: its first ink is at
    // the margin (37.8 pixels at 100 %) scaled, plus the rectangle's origin.
    addPage(report.EndPages, paper, {{"Memo1", 0, 0, 20000, 20000, {}}});
    const int w = paper.PaperWidthInPixels(), h = paper.PaperHeightInPixels();
    struct Case {
        platform::Rect r;
        int left, top;
    } cases[] = {
        {{0, 0, w, h}, 38, 38},
        {{0, 0, w / 2, h / 2}, 19, 19},
        {{30, 50, 30 + w, 50 + h}, 68, 88},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.r.left);
        platform::ImageCanvas canvas(w + 40, h + 60);
        report.EndPages.DrawPage(0, canvas, c.r);
        int firstX = -1, firstY = -1;
        for (int x = 0; x < canvas.width() && firstX < 0; ++x)
            for (int y = 0; y < canvas.height(); ++y)
                if (canvas.pixel(x, y) != 0xFFFFFF) {
                    firstX = x;
                    break;
                }
        for (int y = 0; y < canvas.height() && firstY < 0; ++y)
            for (int x = 0; x < canvas.width(); ++x)
                if (canvas.pixel(x, y) != 0xFFFFFF) {
                    firstY = y;
                    break;
                }
        EXPECT_NEAR(firstX, c.left, 1);
        EXPECT_NEAR(firstY, c.top, 1);
    }
}

TEST_F(EndPagesTest, ObjectsOutsideTheClipAndNonPrintableOnesAreLeftOut)
{
    // Memo1 at the top, Memo2 (not printable) far below it.
    addPage(report.EndPages, paper,
            {{"Memo1", 0, 0, 40000, 10000, {"top"}}, {"Memo2", 0, 200000, 40000, 10000, {"low"}, false}});
    const int w = paper.PaperWidthInPixels(), h = paper.PaperHeightInPixels();
    const int split = h / 2;
    auto inkBelow = [&](const platform::ImageCanvas& c) {
        int ink = 0;
        for (int y = split; y < c.height(); ++y)
            for (int x = 0; x < c.width(); ++x)
                ink += c.pixel(x, y) != 0xFFFFFF;
        return ink;
    };
    platform::ImageCanvas all(w, h);
    report.EndPages.DrawPage(0, all, {0, 0, w, h});
    ASSERT_GT(inkBelow(all), 0);

    platform::ImageCanvas clipped(w, h);
    clipped.selectClipRegion(QRegion(0, 0, w, split));
    report.EndPages.DrawPage(0, clipped, {0, 0, w, h});
    clipped.selectClipRegion(std::nullopt);
    EXPECT_EQ(inkBelow(clipped), 0);
    EXPECT_GT(inkPixels(clipped), 0) << "the visible object is drawn";

    struct Case {
        bool printBackground;
        bool lowDrawn;
    } cases[] = {{true, true}, {false, false}};
    for (const Case& c : cases) {
        platform::ImageCanvas printed(w, h);
        report.SetPrintBackground(c.printBackground);
        report.EndPages.DrawPage(0, printed, {0, 0, w, h}, true);
        EXPECT_EQ(inkBelow(printed) > 0, c.lowDrawn) << "print background " << c.printBackground;
        EXPECT_EQ(report.DocMode(), ksdmPrinting);
    }
    report.PrintScale = 50;
    platform::ImageCanvas scaled(w, h);
    report.EndPages.DrawPage(0, scaled, {0, 0, w, h}, true);
    EXPECT_EQ(report.DocMode(), ksdmPreviewing) << "scaled printing";
}

TEST_F(EndPagesTest, UndecodablePageDataDrawsNothing)
{
    report.EndPages.Compressed = false;
    TKSEndPage& page = report.EndPages.Add(paper, 1);
    page.SetStream(platform::MemoryStream(std::string_view("\x78\x9C garbage")), true);
    platform::ImageCanvas canvas(100, 100);
    EXPECT_NO_THROW(report.EndPages.DrawPage(0, canvas, {0, 0, 100, 100}));
    EXPECT_EQ(inkPixels(canvas), 0);
    EXPECT_THROW(report.EndPages.LoadPage(0, false), std::runtime_error);
}
