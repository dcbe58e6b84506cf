// Host controls driven as real widgets (offscreen): a main window read from
// form text, key events, modal loops, buttons, glyphs, pictures and lists.
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/formtext.h"
#include "platform/gbk.h"
#include "platform/graphic.h"
#include "platform/qtext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

using namespace platform;

namespace {

std::string gbk(const char* utf8) { return utf8ToGbk(utf8); }

const char* const kMainForm = R"(object Form1: TForm1
  Left = 224
  Top = 241
  BorderIcons = [biSystemMenu]
  BorderStyle = bsSingle
  Caption = 'Tearvello'
  Width = 312
  Height = 258
  Position = poScreenCenter
  OnShow = FormShow
  object Label4: TLabel
    Left = 224
    Top = 10
    Width = 73
    Height = 13
    Cursor = crHandPoint
    Font.Charset = 134
    Font.Color = clBlue
    Font.Height = -13
    Font.Name = '宋体'
    Font.Style = [fsBold, fsUnderline]
    AutoSize = False
    Caption = '关于本软件'
    OnClick = Label4Click
  end
  object GroupBox1: TGroupBox
    Left = 8
    Top = 32
    Width = 289
    Height = 121
    TabOrder = 0
    object Edit2: TEdit
      Left = 80
      Top = 52
      Width = 185
      Height = 21
      TabOrder = 1
      OnKeyDown = EditKeyDown
    end
    object Edit1: TEdit
      Left = 80
      Top = 19
      Width = 185
      Height = 21
      TabOrder = 0
      OnKeyDown = EditKeyDown
    end
  end
  object BitBtn1: TBitBtn
    Left = 64
    Top = 168
    Width = 75
    Height = 25
    TabOrder = 1
    Caption = '打印'
    OnClick = PrintClick
    NumGlyphs = 2
  end
  object Edit4: TEdit
    Left = 24
    Top = 176
    Width = 121
    Height = 21
    TabOrder = 3
    Visible = False
  end
end
)";

} // namespace

class ControlsTest : public QObject {
    Q_OBJECT

private:
    // Handlers of the main form, found by name like a form's methods.
    std::optional<MethodValue> handler(std::string_view name)
    {
        if (name == "FormShow")
            return MethodValue{[this](Object*, EventArgs&) { ++shows; }};
        if (name == "Label4Click")
            return MethodValue{[this](Object*, EventArgs&) { ++aboutClicks; }};
        if (name == "PrintClick")
            return MethodValue{[this](Object*, EventArgs&) { ++prints; }};
        if (name == "EditKeyDown") {
            return MethodValue{[this](Object* sender, EventArgs& args) {
                keys.push_back(args.at(0).toInteger());
                auto* form = static_cast<Component*>(sender)->owner();
                if (args[0].toInteger() == VK_RETURN && sender == form->findComponent("Edit1"))
                    static_cast<WinControl*>(form->findComponent("Edit2"))->setFocus();
                if (args[0].toInteger() == 'X')
                    args[0] = Variant(0);  // swallowed
            }};
        }
        return std::nullopt;
    }

    std::unique_ptr<Form> readMainForm()
    {
        auto form = std::make_unique<Form>();
        readForm(kMainForm, *form, [this](std::string_view name) { return handler(name); });
        return form;
    }

    template <class T> static T* find(Form& form, const char* name)
    {
        return dynamic_cast<T*>(form.findComponent(name));
    }

    int shows = 0;
    int aboutClicks = 0;
    int prints = 0;
    std::vector<int> keys;

private Q_SLOTS:
    void initTestCase() { registerHostControls(); }
    void init()
    {
        shows = aboutClicks = prints = 0;
        keys.clear();
    }

    void mainFormReadsIntoWidgets()
    {
        std::unique_ptr<Form> form = readMainForm();
        QCOMPARE(form->caption(), std::string("Tearvello"));
        QCOMPARE(form->widget()->windowTitle(), QString("Tearvello"));
        QCOMPARE(form->width(), 312);
        QCOMPARE(form->height(), 258);
        QCOMPARE(form->clientWidth(), 312 - 2 * form->frameWidth());
        QCOMPARE(form->widget()->size(), QSize(form->clientWidth(), form->clientHeight()));
        QVERIFY(form->widget()->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(form->widget()->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(form->widget()->windowFlags() & Qt::WindowMaximizeButtonHint));

        auto* group = find<GroupBox>(*form, "GroupBox1");
        auto* edit1 = find<Edit>(*form, "Edit1");
        auto* label = find<Label>(*form, "Label4");
        QVERIFY(group && edit1 && label);
        QCOMPARE(edit1->parent(), group);
        QCOMPARE(edit1->widget()->parentWidget(), group->widget());
        QCOMPARE(edit1->widget()->geometry(), QRect(80, 19, 185, 21));  // relative to the group
        QCOMPARE(label->widget()->geometry(), QRect(224, 10, 73, 13));  // no auto-size
        QCOMPARE(label->widget()->cursor().shape(), Qt::PointingHandCursor);
        QFont font = label->widget()->font();
        QVERIFY(font.bold());
        QVERIFY(font.underline());
        QCOMPARE(font.pixelSize(), 13);
        QCOMPARE(label->widget()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(label->caption(), gbk("关于本软件"));

        // Hidden fields stay hidden when the window shows; OnShow runs; centred.
        form->show();
        QCOMPARE(shows, 1);
        QVERIFY(!find<Edit>(*form, "Edit4")->widget()->isVisible());
        QVERIFY(edit1->widget()->isVisible());
        QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(form->left(), screen.left() + (screen.width() - 312) / 2);
        form->hide();
    }

    void scriptPathsReachTheWindowsFields()
    {
        std::unique_ptr<Form> form = readMainForm();
        find<Edit>(*form, "Edit1")->setText(gbk("请写广告内容"));
        Component* window = screen::find("form1");
        QCOMPARE(window, form.get());
        std::optional<Variant> text = getPropertyPath(*window, "Edit1.Text");
        QVERIFY(text);
        QCOMPARE(text->toString(), gbk("请写广告内容"));
        QVERIFY(setPropertyPath(*window, "Edit4.Text", Variant(gbk("地址：") + gbk("请写地址"))));
        QCOMPARE(find<Edit>(*form, "Edit4")->widget()->property("text").toString(), QString("地址：请写地址"));
        QCOMPARE(getPropertyPath(*window, "Label4.Font.Name")->toString(), gbk("宋体"));
        QCOMPARE(getPropertyPath(*window, "Edit4.Visible")->toBool(), false);
        form.reset();
        QCOMPARE(screen::find("Form1"), nullptr);
    }

    void enterMovesFocusWithoutConsumingTheKey()
    {
        std::unique_ptr<Form> form = readMainForm();
        form->show();
        auto* edit1 = find<Edit>(*form, "Edit1");
        auto* edit2 = find<Edit>(*form, "Edit2");
        edit1->setFocus();
        QTest::keyClick(edit1->widget(), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(keys, (std::vector<int>{VK_SHIFT, VK_RETURN}));
        QCOMPARE(form->widget()->focusWidget(), edit2->widget());
        QCOMPARE(prints, 0);  // Enter does not press the print button

        // A handler that clears Key swallows it; other keys reach the edit.
        QTest::keyClicks(edit2->widget(), "aXb");
        QCOMPARE(edit2->text(), std::string("ab"));
        QCOMPARE(keys, (std::vector<int>{VK_SHIFT, VK_RETURN, 'A', 'X', 'B'}));

        // Tab order follows TabOrder, not creation order.
        edit1->setFocus();
        QTest::keyClick(edit1->widget(), Qt::Key_Tab);
        QCOMPARE(form->widget()->focusWidget(), edit2->widget());
        form->hide();
    }

    void editTextAndChangeEvents()
    {
        Edit edit;
        int changes = 0;
        edit.onChange = MethodValue{[&](Object* sender, EventArgs&) {
            QCOMPARE(sender, &edit);
            ++changes;
        }};
        platform::setProperty(edit, "Text", Variant(gbk("联系电话")));
        QCOMPARE(static_cast<QLineEdit*>(edit.widget())->text(), QString("联系电话"));
        QCOMPARE(changes, 1);
        platform::setProperty(edit, "MaxLength", Variant(3));
        QCOMPARE(static_cast<QLineEdit*>(edit.widget())->maxLength(), 3);
        platform::setProperty(edit, "ReadOnly", Variant(true));
        QVERIFY(static_cast<QLineEdit*>(edit.widget())->isReadOnly());
        QCOMPARE(findProperty(edit, "OnKeyDown")->typeName(), std::string("TKeyEvent"));
    }

    void showModalEndsWithTheButtonsResult()
    {
        Form form;
        auto* ok = new Button(&form);
        ok->setParent(&form);
        ok->setModalResult(mrOk);
        int clicks = 0;
        ok->onClick = MethodValue{[&](Object*, EventArgs&) {
            QCOMPARE(form.modalResult(), mrOk);  // set before OnClick runs
            ++clicks;
        }};
        QTimer::singleShot(0, [ok] { static_cast<QPushButton*>(ok->widget())->click(); });
        QCOMPARE(form.showModal(), mrOk);
        QCOMPARE(clicks, 1);
        QVERIFY(!form.widget()->isVisible());
        QVERIFY(!form.isModal());
    }

    void closingAModalWindowAnswersCancelUnlessOnCloseRefuses()
    {
        Form form;
        int closes = 0;
        form.onClose = MethodValue{[&](Object*, EventArgs& args) {
            QCOMPARE(args.at(0).toInteger(), caHide);
            if (++closes == 1)
                args[0] = Variant(caNone);  // the first close is refused
        }};
        QTimer::singleShot(0, [&] {
            form.close();
            QVERIFY(form.widget()->isVisible());
            form.close();
        });
        QCOMPARE(form.showModal(), mrCancel);
        QCOMPARE(closes, 2);

        // A result set by the show handler ends the loop at once.
        form.onShow = MethodValue{[&](Object*, EventArgs&) { form.setModalResult(mrYes); }};
        QCOMPARE(form.showModal(), mrYes);
    }

    void defaultAndCancelButtonsAnswerEnterAndEscape()
    {
        Form form;
        auto* edit = new Edit(&form);
        edit->setParent(&form);
        auto* yes = new Button(&form);
        yes->setParent(&form);
        yes->setDefault(true);
        yes->setModalResult(mrYes);
        auto* no = new Button(&form);
        no->setParent(&form);
        no->setCancel(true);
        no->setModalResult(mrNo);

        QTimer::singleShot(0, [edit] { QTest::keyClick(edit->widget(), Qt::Key_Return); });
        QCOMPARE(form.showModal(), mrYes);
        QTimer::singleShot(0, [edit] { QTest::keyClick(edit->widget(), Qt::Key_Escape); });
        QCOMPARE(form.showModal(), mrNo);
    }

    void labelClicksAndAutoSize()
    {
        Form form;
        auto* label = new Label(&form);
        label->setParent(&form);
        int clicks = 0;
        label->onClick = MethodValue{[&](Object*, EventArgs&) { ++clicks; }};
        label->setCaption("A rather long caption");
        int wide = label->width();
        label->setCaption("A");
        QVERIFY(label->width() < wide);
        QCOMPARE(label->widget()->width(), label->width());
        form.show();
        QTest::mouseClick(label->widget(), Qt::LeftButton);
        QTest::mouseClick(label->widget(), Qt::RightButton);
        QCOMPARE(clicks, 1);
        form.hide();
    }

    void bitBtnGlyphHasANormalAndADisabledState()
    {
        // 32x16: left half red (normal), right half blue (disabled), with a
        // white bottom-left pixel marking the transparent colour.
        QImage image(32, 16, QImage::Format_RGB32);
        image.fill(Qt::red);
        for (int y = 0; y < 16; ++y)
            for (int x = 16; x < 32; ++x)
                image.setPixelColor(x, y, Qt::blue);
        image.setPixelColor(0, 15, Qt::white);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");

        BitBtn button;
        button.glyph()->setData(png.toStdString());
        platform::setProperty(button, "NumGlyphs", Variant(2));
        QIcon icon = static_cast<QPushButton*>(button.widget())->icon();
        QVERIFY(!icon.isNull());
        QImage normal = icon.pixmap(QSize(16, 16), QIcon::Normal).toImage();
        QImage disabled = icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage();
        QCOMPARE(normal.pixelColor(8, 8), QColor(Qt::red));
        QCOMPARE(disabled.pixelColor(8, 8), QColor(Qt::blue));
        QCOMPARE(normal.pixelColor(0, 15).alpha(), 0);
        QCOMPARE(static_cast<QPushButton*>(button.widget())->iconSize(), QSize(16, 16));
    }

    void imageShowsAJpegPicture()
    {
        QImage source(40, 20, QImage::Format_RGB32);
        source.fill(QColor(0, 128, 0));
        Image image;
        readForm("object Image1: TImage\n  Picture.Data = {" +
                     QByteArray::fromStdString(encodeJpeg(source, 90)).toHex().toStdString() +
                     "}\n  Stretch = True\n  Width = 80\n  Height = 60\nend\n",
                 image);
        QCOMPARE(image.picture()->image().size(), QSize(40, 20));
        QPixmap shown = static_cast<QLabel*>(image.widget())->pixmap();
        QCOMPARE(shown.size(), QSize(80, 60));
        QColor middle = shown.toImage().pixelColor(40, 30);
        QVERIFY(middle.green() > 100 && middle.red() < 40);

        image.picture()->setData("not a picture");
        QVERIFY(image.picture()->empty());
        QVERIFY(static_cast<QLabel*>(image.widget())->pixmap().isNull());
    }

    void listsAndCheckBoxes()
    {
        ComboBox combo;
        combo.items()->setLines({"one", "two", gbk("三")});
        platform::setProperty(combo, "ItemIndex", Variant(2));
        QCOMPARE(combo.text(), gbk("三"));
        platform::setProperty(combo, "ItemIndex", Variant(7));
        QCOMPARE(combo.itemIndex(), -1);
        platform::setProperty(combo, "Style", Variant("csDropDownList"));
        combo.setText("two");
        QCOMPARE(combo.itemIndex(), 1);

        Memo memo;
        memo.lines()->setLines({"a", "b"});
        auto* editor = static_cast<QPlainTextEdit*>(memo.widget());
        QCOMPARE(editor->toPlainText(), QString("a\nb"));
        editor->setPlainText(QString("x\ny\nz"));
        QCOMPARE(memo.lines()->lines(), (std::vector<std::string>{"x", "y", "z"}));

        CheckBox box;
        int clicks = 0;
        box.onClick = MethodValue{[&](Object*, EventArgs&) { ++clicks; }};
        platform::setProperty(box, "Checked", Variant(true));
        QVERIFY(box.checked());
        QCOMPARE(clicks, 1);
    }

    void formTextRoundTripsThroughRealControls()
    {
        std::unique_ptr<Form> form = readMainForm();
        std::string written = writeForm(*form);
        Form again;
        readForm(written, again, [this](std::string_view name) { return handler(name); });
        QCOMPARE(writeForm(again), written);
        QVERIFY(written.find("OnKeyDown = EditKeyDown") != std::string::npos);
        QVERIFY(written.find("Font.Name = '宋体'") != std::string::npos);
        QVERIFY(written.find("BorderIcons = [biSystemMenu]") != std::string::npos);
        QCOMPARE(again.findComponent("Edit1")->parentComponent(), again.findComponent("GroupBox1"));
    }

    void qtMessageBoxesMapFlagsAndButtons()
    {
        setDialogMode(DialogMode::Qt);
        struct Case { int flags; QMessageBox::Icon icon; int buttons; QMessageBox::StandardButton press; int expected; };
        const Case cases[] = {
            {MB_YESNOCANCEL | MB_DEFBUTTON2 | MB_ICONQUESTION, QMessageBox::Question, 3, QMessageBox::Cancel, IDCANCEL},
            {MB_ABORTRETRYIGNORE | MB_ICONERROR, QMessageBox::Critical, 3, QMessageBox::Retry, IDRETRY},
            {MB_OKCANCEL | MB_ICONWARNING, QMessageBox::Warning, 2, QMessageBox::Ok, IDOK},
            {MB_OK | MB_ICONINFORMATION, QMessageBox::Information, 1, QMessageBox::NoButton, IDOK},  // closed
        };
        for (const Case& c : cases) {
            QString title, text;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            int buttons = 0;
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                title = box->windowTitle();
                text = box->text();
                icon = box->icon();
                buttons = int(box->buttons().size());
                defaultButton = box->standardButton(box->defaultButton());
                if (c.press == QMessageBox::NoButton)
                    box->close();
                else
                    box->button(c.press)->click();
            });
            int answer = messageBox(gbk("所选打印机错误"), gbk("错误"), c.flags);
            QCOMPARE(answer, c.expected);
            QCOMPARE(title, QString("错误"));
            QCOMPARE(text, QString("所选打印机错误"));
            QCOMPARE(icon, c.icon);
            QCOMPARE(buttons, c.buttons);
            if (c.flags & MB_DEFBUTTON2)
                QCOMPARE(defaultButton, QMessageBox::No);
        }
    }

    void qtInputBoxesAnswerTheTextOrTheDefault()
    {
        setDialogMode(DialogMode::Qt);
        QString prompt, shown;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            prompt = dialog->labelText();
            shown = dialog->textValue();
            dialog->setTextValue("电话");
            dialog->accept();
        });
        QCOMPARE(inputBox("", gbk("请写电话"), "123"), gbk("电话"));
        QCOMPARE(prompt, QString("请写电话"));
        QCOMPARE(shown, QString("123"));

        QTimer::singleShot(0, [] { qobject_cast<QInputDialog*>(QApplication::activeModalWidget())->reject(); });
        std::string value = "kept";
        QVERIFY(!inputQuery("c", "p", value));
        QCOMPARE(value, std::string("kept"));
    }

    void deletingAParentKeepsChildControlsSafe()
    {
        Form form;
        auto* group = new GroupBox(&form);
        group->setParent(&form);
        auto* edit = new Edit(&form);
        edit->setParent(group);
        delete group;  // takes the edit's widget along
        QCOMPARE(edit->parent(), nullptr);
        QVERIFY(edit->widget() == nullptr);
        edit->setText("ignored");
        QCOMPARE(edit->text(), std::string());
        QVERIFY(!getPropertyPath(form, "Edit1.Text"));
    }
};

QTEST_MAIN(ControlsTest)
#include "gui_controls.moc"
