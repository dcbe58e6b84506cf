// The prepared-report file: round trips, every stored version, compression
// matched to the report's setting, the wrong-magic message, and a fuzzed loader.
#include "endpages_support.h"

#include "core/picture_record.h"
#include "platform/dialogs.h"
#include "platform/image_canvas.h"
#include "platform/uitexts.h"
#include "script/fm.h"
#include "support/captured_boxes.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <zlib.h>

#include <chrono>
#include <random>

using namespace endpages_test;

namespace {

const std::string kMagic = std::string("Tabellomatics Prepared Report File") + '\x1A';

std::string plainPage(const std::string& text)
{
    platform::MemoryStream s;
    writeMemo(s, {"Memo1", 1000, 2000, 30000, 5000, {text}});
    writeMemo(s, {"Memo2", 1000, 9000, 30000, 5000, {text + " 2"}});
    return s.toString();
}

// A prepared-report file of any version, written field by field as that
// version stored it.
struct OldFile {
    int version = 62;
    bool compressed = false;
    std::vector<std::string> plainPages;
    bool pagesAsIs = false;  // plainPages hold the stored bytes already
    // Where bytes() put the counts and the first page's end position.
    mutable std::size_t backgroundCountAt = 0, pageCountAt = 0;

    std::string bytes() const
    {
        platform::MemoryStream s;
        writeString(s, kMagic);
        writeByte(s, static_cast<std::uint8_t>(version));
        if (version >= 54) {
            writeBoolean(s, compressed);
            writeByte(s, 1);
        }
        backgroundCountAt = static_cast<std::size_t>(s.position());
        writeInteger(s, 1);
        for (int value : {5, 6, 7, 8})
            writeInteger(s, value);
        writePicture(s, nullptr);
        writeString(s, "Virtual Printer");
        if (version > 55)
            for (const char* text : {"Title", "I2", "I3", "I4", "I5"})
                writeString(s, text);
        if (version > 56) {
            writeInteger(s, 0);
            writeTextBlock(s, {"begin", "end."});
            writeTextBlock(s, {"Entry\x01" "0\x01" "12\x01" "0"});
        }
        pageCountAt = static_cast<std::size_t>(s.position());
        writeInteger(s, static_cast<std::int32_t>(plainPages.size()));
        for (const std::string& plain : plainPages) {
            const std::int64_t at = writeEndPositionPlaceholder(s);
            writeWord(s, 256);
            writeInteger(s, 2000);
            writeInteger(s, 1500);
            writeByte(s, 1);
            writeInteger(s, 15);
            for (int margin : {1000, 2000, 3000, 4000})
                writeInteger(s, margin);
            writeByte(s, 2);
            if (version >= 55)
                writeBoolean(s, true);
            if (version > 61)
                writeInteger(s, 3);
            const std::string data =
                version >= 54 && compressed && !pagesAsIs ? CompressPageStream(plain, kszcMax) : plain;
            s.write(data.data(), data.size());
            patchEndPosition(s, at);
        }
        return s.toString();
    }
};

class PreparedFileTest : public ::testing::Test {
protected:
    void SetUp() override { setUpEngine(); }

    // Two pages of two text objects and a background picture whose bytes no
    // decoder understands (kept unchanged).
    void buildPages(TKSReport& report)
    {
        TKSBkPicture background{3, 4, 50, 60, std::make_shared<platform::Graphic>(platform::GraphicKind::Jpeg)};
        background.Picture->loadFromBytes("not really a jpeg");
        report.EndPages.AddBackground(background);
        paper.ChangePaper(9, 2100, 2970, 65535, kspoPortrait);
        paper.NewPrintJob = true;
        for (const char* text : {"first", "second"}) {
            TKSEndPage& page = report.EndPages.Add(paper, 1);
            const std::string plain = plainPage(text);
            page.Stream().write(plain.data(), plain.size());
        }
        report.EndPages.Page(1)->NewPrintJob = true;
        report.EndPages.FinishPage(1);
        report.EndPages.Outline = {"Top\x01" "0\x01" "0\x01" "0", "Two\x01" "1\x01" "5\x01" "1"};
        report.ReportInfo = {"Title", "Two", "Three", "Four", "Five"};
        report.Script = {"begin", "end."};
        report.PrinterName = "Virtual Printer";
    }

    static std::string saved(TKSReport& report)
    {
        platform::MemoryStream s;
        report.SavePreparedToStream(s);
        return s.toString();
    }

    static void load(TKSReport& report, const std::string& bytes)
    {
        platform::MemoryStream s{std::string_view(bytes)};
        ASSERT_TRUE(report.LoadPreparedFromStream(s));
    }

    TKSReportPage paper;
};

} // namespace

TEST_F(PreparedFileTest, RoundTripKeepsPagesBackgroundsOutlineAndDescription)
{
    TKSReport source;
    buildPages(source);
    const std::string bytes = saved(source);

    TKSReport target;
    load(target, bytes);
    TKSEndPages& pages = target.EndPages;
    ASSERT_EQ(pages.Count(), 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const TKSEndPage& a = *source.EndPages.Page(i);
        TKSEndPage& b = *pages.Page(i);
        EXPECT_EQ(b.PageSize, a.PageSize);
        EXPECT_EQ(b.PageWidth, a.PageWidth);
        EXPECT_EQ(b.PageHeight, a.PageHeight);
        EXPECT_EQ(b.PageOrientation, a.PageOrientation);
        EXPECT_EQ(b.PageBin, a.PageBin);
        EXPECT_EQ(b.MarginLeft, a.MarginLeft);
        EXPECT_EQ(b.MarginBottom, a.MarginBottom);
        EXPECT_EQ(b.NewPrintJob, i == 1);
        EXPECT_EQ(b.PrintMetrics, a.PrintMetrics);
        EXPECT_TRUE(b.IsCompressed());
        EXPECT_EQ(b.DecompressedBytes(), plainPage(i == 0 ? "first" : "second"));
    }
    ASSERT_EQ(pages.BackgroundCount(), 1);
    EXPECT_EQ(pages.Background(0).Left, 3);
    EXPECT_EQ(pages.Background(0).Height, 60);
    ASSERT_TRUE(pages.Background(0).Picture);
    EXPECT_EQ(pages.Background(0).Picture->bytes(), "not really a jpeg");
    EXPECT_EQ(pages.Outline, source.EndPages.Outline);
    EXPECT_EQ(target.ReportInfo.ReportInfo5, "Five");
    EXPECT_EQ(target.Script, source.Script);
    EXPECT_EQ(target.PrinterName, "Virtual Printer");
    EXPECT_EQ(saved(target), bytes) << "saving what was loaded gives the same file";
}

TEST_F(PreparedFileTest, FileAndMemoryCompressionFollowTheReportsSetting)
{
    struct Case {
        TKSCompressionLevel saveLevel, loadLevel;
        bool fileFlag, heldCompressed;
    } cases[] = {
        {kszcNone, kszcNone, false, false},
        {kszcNone, kszcDefault, false, true},
        {kszcMax, kszcNone, true, false},
        {kszcFastest, kszcMax, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.saveLevel << " -> " << c.loadLevel);
        TKSReport source;
        source.CompressLevel = c.saveLevel;
        source.EndPages.Compressed = c.saveLevel != kszcNone;
        buildPages(source);
        const std::string bytes = saved(source);
        const std::size_t flagAt = 2 + kMagic.size() + 1;
        EXPECT_EQ(bytes.at(flagAt), c.fileFlag ? 1 : 0);

        TKSReport target;
        target.CompressLevel = c.loadLevel;
        load(target, bytes);
        EXPECT_EQ(target.EndPages.Compressed, c.heldCompressed);
        for (int i = 0; i < target.EndPages.Count(); ++i) {
            TKSEndPage& page = *target.EndPages.Page(i);
            EXPECT_EQ(page.IsCompressed(), c.heldCompressed);
            EXPECT_EQ(page.DecompressedBytes(), plainPage(i == 0 ? "first" : "second"));
        }
    }
}

TEST_F(PreparedFileTest, EveryStoredVersionReadsItsOwnFields)
{
    struct Case {
        int version;
        bool compressed;      // as written (versions below 54 cannot say so)
        bool hasDescription;  // > 55
        bool hasScript;       // > 56
        bool newPrintJob;     // >= 55
        int backgroundIndex;  // > 61
    } cases[] = {
        {53, false, false, false, false, 0}, {54, true, false, false, false, 0},
        {55, true, false, false, true, 0},   {56, false, true, false, true, 0},
        {57, true, true, true, true, 0},     {61, true, true, true, true, 0},
        {62, true, true, true, true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        OldFile file{c.version, c.compressed, {plainPage("a"), plainPage("b")}};
        TKSReport report;
        report.EndPages.Flag2 = false;
        report.CompressLevel = kszcNone;
        report.ReportInfo.ReportTitle = "kept";
        report.Script = {"kept"};
        load(report, file.bytes());
        ASSERT_EQ(report.EndPages.Count(), 2);
        EXPECT_EQ(report.EndPages.Flag2, c.version >= 54) << "below 54 the report's value stays";
        EXPECT_EQ(report.ReportInfo.ReportTitle, c.hasDescription ? "Title" : "kept");
        const std::vector<std::string> script = c.hasScript ? std::vector<std::string>{"begin", "end."}
                                                            : std::vector<std::string>{"kept"};
        EXPECT_EQ(report.Script, script);
        EXPECT_EQ(report.EndPages.Outline.size(), c.hasScript ? 1u : 0u);
        ASSERT_EQ(report.EndPages.BackgroundCount(), 1);
        EXPECT_EQ(report.EndPages.Background(0).Width, 7);
        EXPECT_EQ(report.PrinterName, "Virtual Printer");
        for (int i = 0; i < 2; ++i) {
            TKSEndPage& page = *report.EndPages.Page(i);
            EXPECT_EQ(page.PageSize, 256);
            EXPECT_EQ(page.PageWidth, 2000);
            EXPECT_EQ(page.PageHeight, 1500);
            EXPECT_EQ(page.PageOrientation, 1);
            EXPECT_EQ(page.PageBin, 15);
            EXPECT_EQ(page.MarginTop, 2000);
            EXPECT_EQ(page.MarginRight, 3000);
            EXPECT_EQ(page.Duplex, 2);
            EXPECT_EQ(page.NewPrintJob, c.newPrintJob);
            EXPECT_EQ(page.BackgroundIndex, c.backgroundIndex);
            EXPECT_FALSE(page.IsCompressed());
            EXPECT_EQ(page.DecompressedBytes(), plainPage(i == 0 ? "a" : "b"));
            EXPECT_EQ(page.PrintMetrics.PageWidthPixels, 756) << "metrics of the page's own paper";
        }
    }
}

TEST_F(PreparedFileTest, WrongMagicShowsTheMessageAndLoadsNothing)
{
    for (std::string bytes : {std::string("Tabellomatics Report File 3.0 is a template"), std::string(""),
                              std::string("\x30\x00", 2), kMagic.substr(0, 10)}) {
        CapturedBoxes capture;
        TKSReport report;
        report.EndPages.Add(paper, 1);  // cleared by the load
        platform::MemoryStream s{std::string_view(bytes)};
        EXPECT_FALSE(report.LoadPreparedFromStream(s));
        EXPECT_EQ(report.EndPages.Count(), 0);
        ASSERT_EQ(capture.shown.size(), 1u);
        EXPECT_EQ(capture.shown[0].text, platform::loadText(47501));
        EXPECT_EQ(capture.shown[0].caption, platform::loadText(47206));
        EXPECT_EQ(capture.shown[0].flags & platform::MB_ICONMASK, platform::MB_ICONERROR);
    }
}

TEST_F(PreparedFileTest, FilesOnDiskAndAMissingFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath("report.ksp").toStdString();
    TKSReport source;
    buildPages(source);
    source.SavePreparedReport(path);

    CapturedBoxes capture;
    TKSReport target;
    std::vector<std::pair<int, int>> progress;
    target.OnLoadProgress = [&](int page, int count) { progress.emplace_back(page, count); };
    EXPECT_TRUE(target.LoadPreparedReport(path));
    EXPECT_EQ(target.EndPages.Count(), 2);
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
    EXPECT_FALSE(target.LoadPreparedReport(dir.filePath("missing.ksp").toStdString()));
    EXPECT_EQ(target.EndPages.Count(), 2) << "a missing file changes nothing";
    EXPECT_TRUE(capture.shown.empty());
}

TEST_F(PreparedFileTest, ScriptsFromAFileMayNotCallExternalRoutines)
{
    TKSReport report;
    report.Interpreter().AllowExternalRoutines = true;
    load(report, OldFile{62, false, {plainPage("x")}}.bytes());
    EXPECT_FALSE(report.Interpreter().AllowExternalRoutines);
}

TEST_F(PreparedFileTest, SavingWhileBuildingFinishesTheOpenPage)
{
    TKSReport report;
    buildPages(report);
    TKSEndPage& open = report.EndPages.Add(paper, 1);
    const std::string plain = plainPage("open");
    open.Stream().write(plain.data(), plain.size());
    ASSERT_FALSE(open.IsCompressed());
    TKSReport target;
    load(target, saved(report));
    ASSERT_EQ(target.EndPages.Count(), 3);
    EXPECT_EQ(target.EndPages.Page(2)->DecompressedBytes(), plain);
}

// --- damaged files -----------------------------------------------------------

namespace {

std::string zlibBomb(std::size_t inflatedBytes)
{
    z_stream z{};
    deflateInit(&z, Z_BEST_COMPRESSION);
    std::vector<unsigned char> zeros(1 << 20, 0);
    std::string out;
    unsigned char buffer[1 << 16];
    for (std::size_t done = 0; done < inflatedBytes; done += zeros.size()) {
        z.next_in = zeros.data();
        z.avail_in = static_cast<uInt>(zeros.size());
        const int flush = done + zeros.size() >= inflatedBytes ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = buffer;
            z.avail_out = sizeof buffer;
            deflate(&z, flush);
            out.append(reinterpret_cast<char*>(buffer), sizeof buffer - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

void patchInteger(std::string& bytes, std::size_t at, std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF);
}

} // namespace

TEST_F(PreparedFileTest, DamagedFilesRaiseClearErrors)
{
    const OldFile file{62, true, {plainPage("a")}};
    const std::string good = file.bytes();
    const std::size_t backgroundCountAt = file.backgroundCountAt;
    const std::size_t pageCountAt = file.pageCountAt;
    const std::size_t endPositionAt = pageCountAt + 4;
    OldFile bombFile{62, true, {zlibBomb(std::size_t(300) << 20)}};
    bombFile.pagesAsIs = true;
    const std::string bomb = bombFile.bytes();

    struct Case {
        const char* what;
        std::string bytes;
        TKSCompressionLevel level;
        const char* message;
    } cases[] = {
        {"huge background count", [&] { auto b = good; patchInteger(b, backgroundCountAt, 0x7FFFFFFF); return b; }(),
         kszcFastest, "background picture count"},
        {"negative page count", [&] { auto b = good; patchInteger(b, pageCountAt, -1); return b; }(), kszcFastest,
         "page count"},
        {"end position backwards", [&] { auto b = good; patchInteger(b, endPositionAt, 3); return b; }(),
         kszcFastest, "end position"},
        {"end position past the end", [&] { auto b = good; patchInteger(b, endPositionAt, 1 << 30); return b; }(),
         kszcFastest, "end position"},
        {"truncated", good.substr(0, good.size() - 7), kszcNone, "Damaged"},
        {"newer version", [&] { auto b = good; b[2 + kMagic.size()] = 63; return b; }(), kszcFastest, "version 63"},
        {"decompression bomb", bomb, kszcNone, "inflates beyond 256 MiB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TKSReport report;
        report.CompressLevel = c.level;
        platform::MemoryStream s{std::string_view(c.bytes)};
        try {
            report.LoadPreparedFromStream(s);
            ADD_FAILURE() << "no error";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        EXPECT_EQ(report.EndPages.Count(), 0) << "nothing half-loaded";
    }
}

// Random damage to valid files: every load ends with pages or a clear error,
// and the pages that load can be drawn.
TEST_F(PreparedFileTest, FuzzedFilesNeverCrashOrHang)
{
    TKSReport source;
    buildPages(source);
    std::vector<std::string> seeds = {saved(source), OldFile{53, false, {plainPage("a")}}.bytes(),
                                      OldFile{62, false, {plainPage("b"), plainPage("c")}}.bytes()};
    std::mt19937 random(20240611);
    auto pick = [&](std::size_t n) { return n ? std::uniform_int_distribution<std::size_t>(0, n - 1)(random) : 0; };
    const std::int32_t nasty[] = {-1, -100, 0, 1, 0x7FFFFFFF, std::int32_t(0x80000000), 1 << 28, 65535};

    CapturedBoxes capture;
    const auto stopAt = std::chrono::steady_clock::now() + std::chrono::seconds(6);
    int loads = 0, failures = 0;
    for (int round = 0; round < 3000 && std::chrono::steady_clock::now() < stopAt; ++round) {
        std::string bytes = seeds[pick(seeds.size())];
        const int edits = 1 + static_cast<int>(pick(4));
        for (int e = 0; e < edits && !bytes.empty(); ++e) {
            switch (pick(4)) {
            case 0: bytes.resize(pick(bytes.size())); break;
            case 1: bytes[pick(bytes.size())] ^= static_cast<char>(1 << pick(8)); break;
            case 2:
                if (bytes.size() > 4)
                    patchInteger(bytes, pick(bytes.size() - 3), nasty[pick(std::size(nasty))]);
                break;
            default: bytes.insert(pick(bytes.size()), 1, static_cast<char>(pick(256))); break;
            }
        }
        TKSReport report;
        report.CompressLevel = round % 2 ? kszcNone : kszcFastest;
        platform::MemoryStream s{std::string_view(bytes)};
        try {
            if (report.LoadPreparedFromStream(s)) {
                ++loads;
                for (int i = 0; i < report.EndPages.Count(); ++i) {
                    platform::ImageCanvas canvas(120, 90);
                    report.EndPages.DrawPage(i, canvas, {0, 0, 120, 90});
                    report.EndPages.FreePage(i);
                }
            }
        } catch (const std::exception& e) {
            ++failures;
            EXPECT_STRNE(e.what(), "");
        }
    }
    EXPECT_GT(loads, 0);
    EXPECT_GT(failures, 0);
}
