// The command-line tool as a user runs it: the sticker sheet from typed texts,
// its stored template, and dump/render over what it writes.
#include <gtest/gtest.h>

#include <QImage>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <string>

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

ToolRun tool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(TK_BINARY_DIR "/bin/tabellomatics"), arguments);
    ToolRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

std::size_t occurrences(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class ToolTest : public ::testing::Test {
protected:
    QString file(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(ToolTest, StickerSheetAsPreparedFileHoldsTheTypedTexts)
{
    const ToolRun made = tool({"sticker", "--ad", "开业大酬宾", "--address", "人民路88号", "--phone", "13912345678", "-o",
                           file("sheet.ksp")});
    ASSERT_EQ(made.status, 0) << made.err;
    const ToolRun dump = tool({"dump", file("sheet.ksp")});
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out.rfind("prepared version=62 pages=1 compressed=1 title=\"Tearvello\"\n", 0), 0u) << dump.out;
    EXPECT_EQ(occurrences(dump.out, "  text \"13912345678\"\n"), 28u);
    EXPECT_EQ(occurrences(dump.out, "  text \"开业大酬宾\"\n"), 1u);
    EXPECT_EQ(occurrences(dump.out, "  text \"地址：人民路88号\"\n"), 1u);
    EXPECT_EQ(occurrences(dump.out, "  text \"联系电话：13912345678\"\n"), 1u);
    EXPECT_NE(dump.out.find("name=Memo4 left=1058 top=121709 width=9525 height=54504"), std::string::npos);
}

TEST_F(ToolTest, StickerSheetAsPngIsALandscapeA4Page)
{
    const ToolRun made = tool({"sticker", "--phone", "555", "-o", file("sheet.png")});
    ASSERT_EQ(made.status, 0) << made.err;
    const QImage image(file("sheet.png"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 1123);
    EXPECT_EQ(image.height(), 794);
    // Ink inside the upper frame (the advertisement) and on the strips' frames.
    int dark = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            dark += qGray(image.pixel(x, y)) < 128;
    EXPECT_GT(dark, 2000);
}

TEST_F(ToolTest, StoredTemplateDumpsAndRendersThroughATemplateStream)
{
    ASSERT_EQ(tool({"sticker", "-o", file("sticker.ksf")}).status, 0);
    const ToolRun dump = tool({"dump", file("sticker.ksf")});
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out.rfind("template version=62 title=\"Tearvello\" pages=1 objects=36 script_lines=42 "
                             "strict_nulls=0 report_flags=0\n"
                             "page index=0 class=TKSReportPage name=Page1 size=9 width=2970 height=2100 "
                             "orientation=1 margins=14000,15000,14000,15000 bin=65535 columns=1\n"
                             "object page=0 type=50 class=TKSBandReportTitle name=ReportTitle1 left=0 top=1058 "
                             "width=269082 height=176213 flags=0x18000200\n",
                             0),
              0u)
        << dump.out;
    EXPECT_EQ(occurrences(dump.out, "  text \"123\"\n"), 1u);

    // Without the main window the script cannot find Form1: preparing ends
    // with the script error, reported and not crashed.
    const ToolRun render = tool({"render", file("sticker.ksf"), "-o", file("out.ksp")});
    EXPECT_EQ(render.status, 1);
    EXPECT_NE(render.out.find("Script Error"), std::string::npos) << render.out << render.err;
}

TEST_F(ToolTest, BadInputGivesAClearErrorAndStatus)
{
    QFile junk(file("junk.ksp"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(200, 'x'));
    junk.close();
    struct Case {
        QStringList arguments;
        int status;
    } const cases[] = {
        {{"sticker", "-o", file("x.txt")}, 2},
        {{"render", file("missing.ksp"), "-o", file("x.png")}, 1},
        {{"render", file("junk.ksp"), "-o", file("x.png")}, 1},
        {{"dump", file("missing.ksf")}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        EXPECT_EQ(tool(c.arguments).status, c.status);
    }
}

TEST_F(ToolTest, RunExecutesAScriptFileAndReportsItsErrors)
{
    auto write = [&](const char* name, const char* text) {
        QFile f(file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return file(name);
    };
    // Message boxes go to standard output as UTF-8; arguments arrive as ParamStr.
    const ToolRun hello = tool({"run",
                                write("hello.pas", "unit Hello;\nprocedure Main;\nbegin\n"
                                                   "  ShowMessage('\xe4\xbd\xa0\xe5\xa5\xbd ' + ParamStr(1));\n"
                                                   "end;\nend.\n"),
                                "\xe4\xb8\x96\xe7\x95\x8c"});
    EXPECT_EQ(hello.status, 0) << hello.err;
    EXPECT_NE(hello.out.find("\xe4\xbd\xa0\xe5\xa5\xbd \xe4\xb8\x96\xe7\x95\x8c"), std::string::npos) << hello.out;

    const ToolRun undeclared =
        tool({"run", write("bad.pas", "unit Bad;\nprocedure Main;\nbegin\n  x := 1;\nend;\nend.\n")});
    EXPECT_EQ(undeclared.status, 1);
    EXPECT_NE(undeclared.err.find("Script error 104: Error in unit 'Bad' on line 4 : Undeclared Identifier 'x'"),
              std::string::npos)
        << undeclared.err;
    EXPECT_NE(undeclared.err.find("unit Bad, line 4, position"), std::string::npos) << undeclared.err;

    // Before the unit header there is no unit: the line is the file's own.
    const ToolRun headless = tool({"run", write("headless.pas", "\nvar i: Integer;\nbegin\nend\n")});
    EXPECT_EQ(headless.status, 1);
    EXPECT_NE(headless.err.find("file headless.pas, line 2, position"), std::string::npos) << headless.err;
}
