// The real main window and about box, driven offscreen: texts on show, Enter
// moving the focus, the print and exit buttons, the modal about box.
#include "aboutform.h"
#include "mainform.h"
#include "startup.h"

#include "platform/dialogs.h"
#include "platform/gbk.h"
#include "support/captured_boxes.h"

#include <QApplication>
#include <QTimer>
#include <QtTest>

namespace {

std::string gbk(const char* utf8) { return platform::utf8ToGbk(utf8); }

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT

private:
    TearvelloWindows windows_;
    std::unique_ptr<CapturedBoxes> boxes_;
    int prepares_ = 0;

    TForm1& form() { return *windows_.Form1; }

private Q_SLOTS:
    void initTestCase()
    {
        boxes_ = std::make_unique<CapturedBoxes>();
        windows_ = StartTearvello();
        form().KSReport1->OnBeginDoc.code = [this](platform::Object*, platform::EventArgs&) { ++prepares_; };
        form().show();
        QApplication::setActiveWindow(form().widget());
        QVERIFY(QTest::qWaitForWindowActive(form().widget()));
    }

    void layoutAndStoredReport()
    {
        QCOMPARE(form().caption(), std::string("Tearvello"));
        QCOMPARE(form().width(), 312);
        QCOMPARE(form().height(), 258);
        QCOMPARE(form().borderIcons(), platform::biSystemMenu);
        QCOMPARE(form().Edit1->parent(), static_cast<platform::Control*>(form().GroupBox1));
        QVERIFY(!form().Edit4->visible());
        QVERIFY(!form().Edit5->visible());
        QCOMPARE(form().Label4->caption(), gbk("关于本软件"));
        QVERIFY(!form().BitBtn1->glyph()->empty());
        QCOMPARE(form().BitBtn1->numGlyphs(), 2);
        TKSReport& report = *form().KSReport1;
        QVERIFY(report.StoreInDFM);
        QVERIFY(!report.DefaultCollate);
        QCOMPARE(report.PreviewButtons, ksPreviewButtonsDefault);
        QCOMPARE(report.SaveReportOptions()->RegistryPath, std::string("Tabellomatics\\ReportSettings\\"));
        QCOMPARE(report.PreviewOptions()->BorderPen()->Style, int(psDash));
        QVERIFY(!windows_.Form2->visible());
        QCOMPARE(windows_.Form2->clientWidth(), 348);
        QCOMPARE(windows_.Form2->Image1->picture()->image().size(), QSize(129, 129));
    }

    void textsOnShow()
    {
        QCOMPARE(form().Edit1->text(), gbk("请写广告内容"));
        QCOMPARE(form().Edit2->text(), gbk("请写地址"));
        QCOMPARE(form().Edit3->text(), gbk("请写电话"));
        QCOMPARE(form().Edit4->text(), gbk("地址：请写地址"));
        QCOMPARE(form().Edit5->text(), gbk("联系电话：请写电话"));
    }

    void enterMovesFocusWithoutPrinting()
    {
        const int before = prepares_;
        form().Edit1->setFocus();
        QTRY_VERIFY(form().Edit1->focused());
        QTest::keyClick(form().Edit1->widget(), Qt::Key_Return);
        QTRY_VERIFY(form().Edit2->focused());
        QTest::keyClick(form().Edit2->widget(), Qt::Key_Enter, Qt::ShiftModifier);
        QTRY_VERIFY(form().Edit3->focused());
        QTest::keyClick(form().Edit3->widget(), Qt::Key_Return);
        QTRY_VERIFY(form().BitBtn1->focused());
        QCOMPARE(prepares_, before);
        // Other keys do nothing to the focus.
        form().Edit1->setFocus();
        QTRY_VERIFY(form().Edit1->focused());
        QTest::keyClick(form().Edit1->widget(), Qt::Key_A);
        QVERIFY(form().Edit1->focused());
    }

    void printRefillsHiddenFieldsAndPrepares()
    {
        boxes_->shown.clear();
        const int before = prepares_;
        form().Edit2->setText("");
        form().Edit3->setText("13800138000");
        form().BitBtn1->press();
        QCOMPARE(form().Edit4->text(), gbk("地址："));
        QCOMPARE(form().Edit5->text(), gbk("联系电话：") + "13800138000");
        QCOMPARE(prepares_, before + 1);
        QVERIFY2(boxes_->shown.empty(), boxes_->shown.empty() ? "" : boxes_->shown[0].text.c_str());
        QCOMPARE(form().KSReport1->EndPages.Count(), 1);
    }

    void scriptReadsTheWindowsFields()
    {
        TKSReport& report = *form().KSReport1;
        report.Script = {"unit Report;", "", "interface", "", "implementation", "", "procedure Main;", "begin",
                         "  Captured := Form1.Edit4.Text;", "end;", "", "end."};
        std::string captured;
        report.OnScriptSetValue.code = [&](platform::Object*, platform::EventArgs& args) {
            if (platform::sameName(args[0].toString(), "Captured")) {
                captured = args[1].toString();
                args[3] = platform::Variant(true);
            }
        };
        boxes_->shown.clear();
        form().Edit2->setText("Main Street 1");
        form().BitBtn1Click();
        report.OnScriptSetValue = {};
        QVERIFY2(boxes_->shown.empty(), boxes_->shown.empty() ? "" : boxes_->shown[0].text.c_str());
        QCOMPARE(captured, gbk("地址：") + "Main Street 1");
    }

    void aboutBoxOpensModally()
    {
        bool sawModal = false;
        QTimer::singleShot(50, [&] {
            sawModal = windows_.Form2->isModal() && windows_.Form2->widget()->isVisible();
            windows_.Form2->close();
        });
        QTest::mouseClick(form().Label4->widget(), Qt::LeftButton);
        QVERIFY(sawModal);
        QVERIFY(!windows_.Form2->widget()->isVisible());
    }

    void exitClosesTheWindow()
    {
        QVERIFY(form().widget()->isVisible());
        form().BitBtn2->press();
        QTRY_VERIFY(!form().widget()->isVisible());
    }

    void cleanupTestCase()
    {
        windows_.Form2.reset();
        windows_.Form1.reset();
        boxes_.reset();
    }
};

QTEST_MAIN(MainFormTest)
#include "gui_mainform.moc"
