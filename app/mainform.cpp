// TForm1: reads the main window from its stored form data, wires its
// handlers by name, and fills the hidden fields before printing.
#include "mainform.h"

#include "artwork.h"
#include "formdata.h"

#include "platform/gbk.h"

using platform::ClassInfo;
using platform::utf8ToGbk;
using platform::EventArgs;
using platform::MethodValue;

const ClassInfo& TForm1::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TForm1>("TForm1", &Form::staticClassInfo()).noFactory();
    return info;
}

TForm1::TForm1(platform::Component* owner) : Form(owner)
{
    platform::registerHostControls();
    TKSReport::staticClassInfo();
    // The handlers the stored form names, by name.
    auto resolve = [this](std::string_view name) -> std::optional<MethodValue> {
        using Handler = std::function<void(EventArgs&)>;
        auto key = [](EventArgs& args) { return args.empty() ? 0 : args[0].toInteger(); };
        const std::pair<const char*, Handler> handlers[] = {
            {"FormShow", [this](EventArgs&) { FormShow(); }},
            {"Edit1KeyDown", [this, key](EventArgs& a) { Edit1KeyDown(key(a)); }},
            {"Edit2KeyDown", [this, key](EventArgs& a) { Edit2KeyDown(key(a)); }},
            {"Edit3KeyDown", [this, key](EventArgs& a) { Edit3KeyDown(key(a)); }},
            {"BitBtn1Click", [this](EventArgs&) { BitBtn1Click(); }},
            {"BitBtn2Click", [this](EventArgs&) { BitBtn2Click(); }},
            {"Label4Click", [this](EventArgs&) { Label4Click(); }},
        };
        for (const auto& [handlerName, handler] : handlers)
            if (name == handlerName)
                return MethodValue{[handler](platform::Object*, EventArgs& args) { handler(args); }, this,
                                   handlerName};
        return std::nullopt;
    };
    platform::readForm(EmbeddedFormText("form1.dfm"), *this, resolve);

    Label1 = RequireComponent<platform::Label>(*this, "Label1");
    Label2 = RequireComponent<platform::Label>(*this, "Label2");
    Label3 = RequireComponent<platform::Label>(*this, "Label3");
    Label4 = RequireComponent<platform::Label>(*this, "Label4");
    GroupBox1 = RequireComponent<platform::GroupBox>(*this, "GroupBox1");
    Edit1 = RequireComponent<platform::Edit>(*this, "Edit1");
    Edit2 = RequireComponent<platform::Edit>(*this, "Edit2");
    Edit3 = RequireComponent<platform::Edit>(*this, "Edit3");
    Edit4 = RequireComponent<platform::Edit>(*this, "Edit4");
    Edit5 = RequireComponent<platform::Edit>(*this, "Edit5");
    BitBtn1 = RequireComponent<platform::BitBtn>(*this, "BitBtn1");
    BitBtn2 = RequireComponent<platform::BitBtn>(*this, "BitBtn2");
    KSReport1 = RequireComponent<TKSReport>(*this, "KSReport1");

    platform::Picture glyph;
    glyph.setData(PrintGlyphPng());
    BitBtn1->setGlyph(&glyph);
    glyph.setData(ExitGlyphPng());
    BitBtn2->setGlyph(&glyph);
}

void TForm1::FormShow()
{
    Edit1->setText(utf8ToGbk("请写广告内容"));
    Edit2->setText(utf8ToGbk("请写地址"));
    Edit3->setText(utf8ToGbk("请写电话"));
    fillHiddenFields();
}

void TForm1::fillHiddenFields()
{
    Edit4->setText(utf8ToGbk("地址：") + Edit2->text());
    Edit5->setText(utf8ToGbk("联系电话：") + Edit3->text());
}

// Enter walks Edit1 -> Edit2 -> Edit3 -> print button without pressing it.
void TForm1::Edit1KeyDown(int key)
{
    if (key == platform::VK_RETURN)
        Edit2->setFocus();
}

void TForm1::Edit2KeyDown(int key)
{
    if (key == platform::VK_RETURN)
        Edit3->setFocus();
}

void TForm1::Edit3KeyDown(int key)
{
    if (key == platform::VK_RETURN)
        BitBtn1->setFocus();
}

void TForm1::BitBtn1Click()
{
    fillHiddenFields();
    KSReport1->ShowReport();
}

bool TForm1::PrepareSheet()
{
    fillHiddenFields();
    return KSReport1->PrepareReport();
}

void TForm1::BitBtn2Click()
{
    close();
}

void TForm1::Label4Click()
{
    if (auto* about = dynamic_cast<platform::Form*>(platform::screen::find("Form2")))
        about->showModal();
}
