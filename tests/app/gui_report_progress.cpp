// The report's progress window while preparing: caption, line texts of a
// single and a double pass, cancel stopping the run, freed afterwards.
#include "core/report.h"
#include "platform/dialogs.h"
#include "platform/gbk.h"
#include "preview/progress.h"

#include <QtTest>

#include <functional>

namespace {

std::string gbk(const char* utf8) { return platform::utf8ToGbk(utf8); }

class PagedReport : public TKSReport {
public:
    int pagesPerPass = 3;
    std::vector<std::string> lines;  // the progress window's first line after each page
    std::string caption;
    std::function<void(PagedReport&)> afterPage;
    TKSReportPage paper;

protected:
    void RunPageLoop() override
    {
        for (int i = 0; i < pagesPerPass && !Terminated; ++i) {
            EndPages.Add(paper, 1);
            ++PreparedPageNo;
            ShowProgressPage(PreparedPageNo);
            if (ProgressForm()) {
                lines.push_back(ProgressForm()->Line1());
                caption = ProgressForm()->caption();
            }
            if (afterPage)
                afterPage(*this);
        }
    }
};

} // namespace

class ReportProgressTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void singlePassLines()
    {
        platform::ScopedDialogHook hook([](const platform::DialogRequest&) { return platform::DialogAnswer{}; });
        PagedReport report;
        report.ReportInfo.ReportTitle = "Sheet";
        QVERIFY(report.PrepareReport());
        const std::string prefix = gbk("正在处理页:");
        QCOMPARE(report.lines, (std::vector<std::string>{prefix + "  1", prefix + "  2", prefix + "  3"}));
        QCOMPARE(report.caption, gbk("正在准备报表") + " - Sheet");
        QVERIFY(report.ProgressForm() == nullptr);
    }

    void doublePassLines()
    {
        platform::ScopedDialogHook hook([](const platform::DialogRequest&) { return platform::DialogAnswer{}; });
        PagedReport report;
        report.SetDoublePass(true);
        report.pagesPerPass = 2;
        QVERIFY(report.PrepareReport());
        const std::string first = gbk("进行第一次处理:");
        const std::string final = gbk("正在处理页:");
        const std::string of = " " + gbk("从") + " 2";
        QCOMPARE(report.lines, (std::vector<std::string>{first + "  1", first + "  2", final + "  1" + of,
                                                         final + "  2" + of}));
        QCOMPARE(report.caption, gbk("正在准备报表"));
    }

    void cancelStopsTheRun()
    {
        platform::ScopedDialogHook hook([](const platform::DialogRequest&) { return platform::DialogAnswer{}; });
        PagedReport report;
        report.pagesPerPass = 5;
        report.afterPage = [](PagedReport& r) {
            if (r.PreparedPageNo == 2)
                QTest::mouseClick(r.ProgressForm()->btnCancel->widget(), Qt::LeftButton);
        };
        QVERIFY(report.PrepareReport());
        QVERIFY(report.Terminated);
        QCOMPARE(report.EndPages.Count(), 2);
    }

    void noWindowWithOnProgressOrWithoutShowProgress()
    {
        PagedReport report;
        report.ShowProgress = false;
        QVERIFY(report.PrepareReport());
        QVERIFY(report.lines.empty());
        report.ShowProgress = true;
        std::vector<int> pages;
        report.OnProgress.code = [&](platform::Object*, platform::EventArgs& args) { pages.push_back(args[0].toInteger()); };
        QVERIFY(report.PrepareReport());
        QVERIFY(report.lines.empty());
        QCOMPARE(pages, (std::vector<int>{1, 2, 3}));
    }
};

QTEST_MAIN(ReportProgressTest)
#include "gui_report_progress.moc"
