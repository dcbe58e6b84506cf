// The sticker sheet end to end through the real main window: the print
// button's texts reach the prepared page, the template stays as stored.
#include "mainform.h"
#include "startup.h"
#include "stickertemplate.h"

#include "core/endpages.h"
#include "core/reportpage.h"
#include "objects/memo.h"
#include "platform/dialogs.h"
#include "platform/gbk.h"
#include "support/captured_boxes.h"

#include <QApplication>
#include <QtTest>

namespace {

std::string gbk(const char* utf8) { return platform::utf8ToGbk(utf8); }

std::string textOf(const TKSView& view)
{
    std::string text;
    for (const std::string& line : view.Memo)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

} // namespace

class StickerSheetTest : public QObject {
    Q_OBJECT

private:
    TearvelloWindows windows_;
    std::unique_ptr<CapturedBoxes> boxes_;

    TForm1& form() { return *windows_.Form1; }
    TKSReport& report() { return *form().KSReport1; }

    void type(const char* ad, const char* address, const char* phone)
    {
        form().Edit1->setText(gbk(ad));
        form().Edit2->setText(gbk(address));
        form().Edit3->setText(gbk(phone));
    }

    // Presses print and loads the one prepared page.
    TKSReportPage& print()
    {
        boxes_->shown.clear();
        QTest::mouseClick(form().BitBtn1->widget(), Qt::LeftButton);
        if (!boxes_->shown.empty())
            qWarning("box: %s", platform::gbkToUtf8(boxes_->shown[0].text).c_str());
        if (report().EndPages.Count() != 1)
            throw std::runtime_error("expected one prepared page, got " + std::to_string(report().EndPages.Count()));
        return *report().EndPages.LoadPage(0, false);
    }

    void checkTexts(TKSReportPage& page, const std::string& ad, const std::string& address, const std::string& phone)
    {
        QCOMPARE(textOf(*page.FindObject("Memo1")), ad);
        QCOMPARE(textOf(*page.FindObject("Memo2")), address);
        QCOMPARE(textOf(*page.FindObject("Memo3")), phone);
        for (int i = 4; i <= 31; ++i) {
            const TKSView* strip = page.FindObject("Memo" + std::to_string(i));
            QVERIFY(strip);
            QCOMPARE(textOf(*strip), std::string(phone.substr(phone.find(gbk("："))
                                                              + gbk("：").size())));
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        boxes_ = std::make_unique<CapturedBoxes>();
        windows_ = StartTearvello();
        form().show();
    }

    void placeholdersWhenNothingIsTyped()
    {
        TKSReportPage& page = print();
        QVERIFY(boxes_->shown.empty());
        checkTexts(page, gbk("请写广告内容"), gbk("地址：请写地址"), gbk("联系电话：请写电话"));
    }

    void typedTextsReachTheSheet()
    {
        type("开业大酬宾", "人民路88号", "13912345678");
        TKSReportPage& page = print();
        QVERIFY(boxes_->shown.empty());
        checkTexts(page, gbk("开业大酬宾"), gbk("地址：人民路88号"), gbk("联系电话：13912345678"));
    }

    void everyObjectPrintsOneBandTopHigherAtItsLeft()
    {
        type("A", "B", "1");
        TKSReportPage& page = print();
        // The stored template, as the report restored it after preparing.
        const TKSCustomPage& stored = *report().Pages.Page(0);
        int compared = 0;
        for (const TKSView* original : stored.Objects()) {
            if (original->IsBand)
                continue;
            const TKSView* printed = page.FindObject(original->Name());
            QVERIFY2(printed, original->Name().c_str());
            QCOMPARE(printed->mmLeft, original->mmLeft);
            QCOMPARE(printed->mmTop, original->mmTop - 1058);
            QCOMPARE(printed->mmWidth, original->mmWidth);
            QCOMPARE(printed->mmHeight, original->mmHeight);
            ++compared;
        }
        QCOMPARE(compared, 35);
        QCOMPARE(static_cast<int>(page.Objects().size()), 35);
        QCOMPARE(page.FindObject("Memo4")->mmTop, 121709);
        QCOMPARE(page.FindObject("Shape1")->mmTop, 8467);
    }

    void emptyAddressKeepsTheCaption()
    {
        type("Sale", "", "555");
        TKSReportPage& page = print();
        QCOMPARE(textOf(*page.FindObject("Memo2")), gbk("地址："));
    }

    void templateIsUnchangedAfterPreparing()
    {
        type("Changed", "Elsewhere", "999");
        print();
        const TKSCustomPage& stored = *report().Pages.Page(0);
        QCOMPARE(textOf(*stored.FindObject("Memo1")), std::string("123"));
        QCOMPARE(textOf(*stored.FindObject("Memo2")), std::string("234"));
        QCOMPARE(textOf(*stored.FindObject("Memo3")), std::string("345"));
        QCOMPARE(textOf(*stored.FindObject("Memo4")), std::string(kSamplePhoneNumber));
    }

    void preparingTwiceGivesIdenticalPages()
    {
        type("Twice", "Same street", "12345");
        print();
        const std::string first = report().EndPages.Page(0)->DecompressedBytes();
        print();
        QCOMPARE(report().EndPages.Page(0)->DecompressedBytes(), first);
    }
};

QTEST_MAIN(StickerSheetTest)
#include "gui_stickersheet.moc"
