// Window description format: reading values of every kind into components,
// writing them back (round trip), and clear errors for malformed texts.
#include "platform/formtext.h"

#include "platform/colors.h"
#include "platform/gbk.h"
#include "platform/reflection_font.h"
#include "platform/reflection_strings.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

const EnumType kAlign("TTestAlign", {"alNone", "alTop", "alBottom"});
const EnumType kAnchor("TTestAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"});
const SetType kAnchors{"TTestAnchors", &kAnchor};

// A control-like component: nested components in the text become its children.
class Widget : public Component {
public:
    TK_CLASS_INFO
    using Component::Component;

    int left = 0;
    std::string caption;
    double ratio = 0;
    char letter = 'a';
    long long big = 0;
    bool flag = true;
    int align = 0;
    unsigned anchors = 0b11;
    Color color = clBtnFace;
    int cursor = 0;
    FontObject font;
    StringList lines;
    Component* buddy = nullptr;
    MethodValue onClick;
    std::string data;
    Widget* parent = nullptr;
    int loadedCalls = 0;
    bool buddyKnownWhenLoaded = false;

    Component* parentComponent() const override { return parent; }
    void setParentComponent(Component* p) override { parent = dynamic_cast<Widget*>(p); }
    void loaded() override
    {
        Component::loaded();
        ++loadedCalls;
        buddyKnownWhenLoaded = buddy != nullptr;
    }
};

const ClassInfo& Widget::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<Widget>("TTestWidget", &Component::staticClassInfo())
        .prop("Left", &Widget::left)
        .prop("Caption", &Widget::caption)
        .prop("Ratio", &Widget::ratio)
        .prop("Letter", &Widget::letter).byDefault(Variant("a"))
        .prop("Big", &Widget::big).byDefault(Variant(0LL))
        .prop("Flag", &Widget::flag).byDefault(true)
        .enumeration("Align", kAlign, &Widget::align).byDefault(0)
        .set("Anchors", kAnchors, &Widget::anchors).byDefault(3)
        .prop("Color", &Widget::color).type("TColor").byDefault(clBtnFace)
        .prop("Cursor", &Widget::cursor).type("TCursor").byDefault(0)
        .object("Font", FontObject::staticClassInfo(), [](const Widget& w) { return const_cast<FontObject*>(&w.font); })
        .object("Lines", Strings::staticClassInfo(), [](const Widget& w) { return const_cast<StringList*>(&w.lines); })
        .object("Buddy", Component::staticClassInfo(), &Widget::buddy, [](Widget& w, Component* c) { w.buddy = c; })
        .event("OnClick", "TNotifyEvent", &Widget::onClick)
        .binary("Data", &Widget::data, &Widget::data);
    return info;
}

class TestForm : public Widget {
public:
    TK_CLASS_INFO
    using Widget::Widget;
};

const ClassInfo& TestForm::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TestForm>("TTestForm", &Widget::staticClassInfo());
    return info;
}

// Resolves the handler names the tests use.
std::optional<MethodValue> handlers(std::string_view name)
{
    if (name == "FormClick" || name == "ButtonClick")
        return MethodValue{[](Object*, EventArgs&) {}, nullptr, {}};
    return std::nullopt;
}

// In the writer's canonical order, so that writing gives the same text back.
const char* const kForm = R"(object Form1: TTestForm
  Left = 224
  Caption = 'It''s'#13#10'联系电话'
  Ratio = 1.5
  Letter = 'x'
  Big = 1099511627776
  Flag = False
  Align = alBottom
  Anchors = [akLeft, akRight]
  Color = clBlue
  Cursor = crHandPoint
  Font.Charset = 134
  Font.Height = -13
  Font.Name = '宋体'
  Font.Style = [fsBold, fsUnderline]
  Lines.Strings = (
    'first'
    ''
    'third')
  Buddy = Button1
  OnClick = FormClick
  Data = {
    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F
    FF}
  object Group1: TTestWidget
    Left = -8
    Data = {}
    object Button1: TTestWidget
      Left = 0
      Caption = '打印'
      OnClick = ButtonClick
      Data = {}
    end
  end
  object Plain: TTestWidget
    Left = 0
    Data = {}
  end
end
)";

TEST(FormText, ReadsEveryKindOfValue)
{
    TestForm form;
    readForm(kForm, form, handlers);
    EXPECT_EQ(form.name(), "Form1");
    EXPECT_EQ(form.left, 224);
    EXPECT_EQ(form.caption, "It's\r\n" + utf8ToGbk("联系电话"));
    EXPECT_EQ(form.ratio, 1.5);
    EXPECT_EQ(form.letter, 'x');
    EXPECT_EQ(form.big, 1LL << 40);
    EXPECT_FALSE(form.flag);
    EXPECT_EQ(form.align, 2);
    EXPECT_EQ(form.anchors, 0b101u);
    EXPECT_EQ(form.color, clBlue);
    EXPECT_EQ(form.cursor, -21);
    EXPECT_EQ(form.font.font().charset(), 134);
    EXPECT_EQ(form.font.font().height(), -13);
    EXPECT_EQ(form.font.font().name(), utf8ToGbk("宋体"));
    EXPECT_EQ(form.font.font().style(), fsBold | fsUnderline);
    EXPECT_EQ(form.lines.lines(), (std::vector<std::string>{"first", "", "third"}));
    ASSERT_TRUE(form.onClick);
    EXPECT_EQ(form.onClick.name, "FormClick");
    ASSERT_EQ(form.data.size(), 33u);
    EXPECT_EQ(form.data[10], '\x0A');
    EXPECT_EQ(form.data[32], '\xFF');

    // Nested components: owned by the root, parent = the enclosing object.
    auto* group = dynamic_cast<Widget*>(form.findComponent("Group1"));
    auto* button = dynamic_cast<Widget*>(form.findComponent("Button1"));
    auto* plain = dynamic_cast<Widget*>(form.findComponent("Plain"));
    ASSERT_TRUE(group && button && plain);
    EXPECT_EQ(form.componentCount(), 3);
    EXPECT_EQ(group->parent, &form);
    EXPECT_EQ(button->parent, group);
    EXPECT_EQ(plain->parent, &form);
    EXPECT_EQ(group->left, -8);
    EXPECT_EQ(button->caption, utf8ToGbk("打印"));
    EXPECT_EQ(form.buddy, button);

    // loaded() once per component, after references are resolved.
    EXPECT_EQ(form.loadedCalls, 1);
    EXPECT_EQ(button->loadedCalls, 1);
    EXPECT_TRUE(form.buddyKnownWhenLoaded);
    EXPECT_FALSE(form.isLoading());
    EXPECT_FALSE(button->isLoading());
}

TEST(FormText, WritesTheSameTextBack)
{
    TestForm form;
    readForm(kForm, form, handlers);
    std::string written = writeForm(form);
    EXPECT_EQ(written, kForm);

    std::unique_ptr<Component> again = readNewForm(written, handlers);
    EXPECT_EQ(again->className(), "TTestForm");
    EXPECT_EQ(writeForm(*again), written);
}

TEST(FormText, WritesDefaultsAsNothingAndOddBytesAsCodes)
{
    TestForm form;
    form.setName("F");
    form.caption = "a\tb" + utf8ToGbk("中") + "\x81\x7F'\x81";
    form.ratio = 1e22;
    EXPECT_EQ(writeForm(form), "object F: TTestForm\n"
                               "  Left = 0\n"
                               "  Caption = 'a'#9'b中'#129#127''''#129\n"
                               "  Ratio = 1e+22\n"
                               "  Data = {}\n"
                               "end\n");
    TestForm back;
    readForm(writeForm(form), back);
    EXPECT_EQ(back.caption, form.caption);
    EXPECT_EQ(back.ratio, 1e22);
}

TEST(FormText, ReadsAlternativeNotations)
{
    const char* text = "object TTestForm\n"
                       "  Left = $FF  Caption = 'one' +\n"
                       "    'two'#$41#20013\n"
                       "  Ratio = -2   Big = -9223372036854775808\n"
                       "  Flag = true  Align = ALTOP  Anchors = []\n"
                       "  Data = { 0a 0B\n 0c }\n"
                       "  object Form1Other: TTestWidget end\n"
                       "end";
    TestForm form;
    readForm(text, form);
    EXPECT_EQ(form.name(), "");
    EXPECT_EQ(form.left, 255);
    EXPECT_EQ(form.caption, "onetwoA" + utf8ToGbk("中"));
    EXPECT_EQ(form.ratio, -2.0);
    EXPECT_EQ(form.big, INT64_MIN);
    EXPECT_TRUE(form.flag);
    EXPECT_EQ(form.align, 1);
    EXPECT_EQ(form.anchors, 0u);
    EXPECT_EQ(form.data, "\x0A\x0B\x0C");
    EXPECT_NE(form.findComponent("Form1Other"), nullptr);
}

TEST(FormText, ReusesComponentsTheRootAlreadyOwns)
{
    TestForm form;
    auto* edit = new Widget(&form);
    edit->setName("Edit1");
    auto* label = new Widget(&form);
    label->setName("Label1");
    readForm("object Form1: TTestForm\n"
             "  object Edit1: TTestWidget\n    Left = 80\n  end\n"
             "  inherited Label1: TTestWidget\n    Caption = 'x'\n  end\n"
             "end\n",
             form);
    EXPECT_EQ(form.componentCount(), 2);
    EXPECT_EQ(edit->left, 80);
    EXPECT_EQ(edit->parent, &form);
    EXPECT_EQ(label->caption, "x");
    EXPECT_EQ(label->loadedCalls, 1);
    // A name owned by a component of another class is a clash.
    EXPECT_THROW(readForm("object Form1: TTestForm\n  object Edit1: TTestForm\n  end\nend\n", form), FormTextError);
}

TEST(FormText, ErrorsNameTheLineAndLeaveNothingBehind)
{
    struct Case { const char* text; int line; const char* message; };
    const Case cases[] = {
        {"", 1, "'object' expected"},
        {"object Form1: TTestForm\n  Left = 1\n", 3, "'end' expected"},
        {"object Form1: TTestForm\nend\nend", 3, "End of text expected"},
        {"object Form1: TTestWidget2\nend", 1, ""},  // unregistered header class: accepted
        {"object Form1: TTestForm\n  Nope = 1\nend", 2, "TTestForm.Nope does not exist"},
        {"object Form1: TTestForm\n  Font.Nope = 1\nend", 2, "TFont.Nope does not exist"},
        {"object Form1: TTestForm\n  Left.X = 1\nend", 2, "Left does not exist"},
        {"object Form1: TTestForm\n  Left = 'x'\nend", 2, "Invalid property value for Left"},
        {"object Form1: TTestForm\n  Left = 99999999999\nend", 2, "Error reading Left"},
        {"object Form1: TTestForm\n  Left = 99999999999999999999\nend", 2, "Invalid number"},
        {"object Form1: TTestForm\n  Caption = 12\nend", 2, "Invalid property value for Caption"},
        {"object Form1: TTestForm\n  Caption = 'open\nend", 2, "Unterminated string"},
        {"object Form1: TTestForm\n  Caption = #\nend", 2, "Invalid character code"},
        {"object Form1: TTestForm\n  Caption = #1114112\nend", 2, "Invalid character code"},
        {"object Form1: TTestForm\n  Caption = 'a' +\nend", 3, "String expected"},
        {"object Form1: TTestForm\n  Align = alLeft\nend", 2, "Invalid property value for Align"},
        {"object Form1: TTestForm\n  Anchors = [akLeft, akNope]\nend", 2, "Invalid set element akNope"},
        {"object Form1: TTestForm\n  Anchors = [akLeft akTop]\nend", 2, "',' expected"},
        {"object Form1: TTestForm\n  Color = clNoSuchColour\nend", 2, "Invalid property value for Color"},
        {"object Form1: TTestForm\n  OnClick = Missing\nend", 2, "Event handler Missing not found"},
        {"object Form1: TTestForm\n  Buddy = Missing\nend", 2, "Component Missing not found"},
        {"object Form1: TTestForm\n  Data = {0A0}\nend", 2, "odd number of hex digits"},
        {"object Form1: TTestForm\n  Data = {0A\n  0G}\nend", 3, "Invalid binary data"},
        {"object Form1: TTestForm\n  Data = {0A", 2, "Unterminated binary data"},
        {"object Form1: TTestForm\n  Data = 'x'\nend", 2, "Invalid property value for Data"},
        {"object Form1: TTestForm\n  Lines.Strings = ('a' 1)\nend", 2, "String expected"},
        {"object Form1: TTestForm\n  Items = <\n  >\nend", 2, "Collections are not supported"},
        {"object Form1: TTestForm\n  Left = ?\nend", 2, "Unexpected character '?'"},
        {"object Form1: TTestForm\n  Left = 12ab\nend", 2, "Invalid number"},
        {"object Form1: TTestForm\n  Left\nend", 3, "'=' expected"},
        {"object Form1: TTestForm\n  object A: TNoSuchClass\n  end\nend", 2, "Class TNoSuchClass not found"},
        {"object Form1: TTestForm\n  object A: TFont\n  end\nend", 2, "cannot be created as a component"},
        {"object Form1: TTestForm\n  object A: TTestWidget\n  end\n  object a: TTestWidget\n  end\nend", 4,
         "A component named a already exists"},
        {"object Form1: TTestForm\n  inherited B: TTestWidget\n  end\nend", 2, "Cannot find inherited component B"},
        {"object Form1: TTestForm\n  object A: TTestWidget\n    Left = 1\n    Nope = 2\n  end\nend", 4,
         "TTestWidget.Nope does not exist"},
        {"object Form1: TFont\nend", 1, "The form is a TFont, not a TTestForm"},
    };
    for (const Case& c : cases) {
        TestForm form;
        try {
            readForm(c.text, form, handlers);
            EXPECT_STREQ(c.message, "") << c.text;
        } catch (const FormTextError& e) {
            EXPECT_EQ(e.line(), c.line) << c.text << "\n" << e.what();
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.text << "\n" << e.what();
            EXPECT_EQ(form.componentCount(), 0) << c.text;
            EXPECT_FALSE(form.isLoading()) << c.text;
        }
    }
}

TEST(FormText, DeepNestingAndEveryTruncationFailCleanly)
{
    std::string deep = "object Form1: TTestForm\n";
    for (int i = 0; i < 200; ++i)
        deep += "object W" + std::to_string(i) + ": TTestWidget\n";
    TestForm form;
    try {
        readForm(deep, form);
        ADD_FAILURE() << "deep nesting was accepted";
    } catch (const FormTextError& e) {
        EXPECT_NE(std::string(e.what()).find("nested too deeply"), std::string::npos) << e.what();
    }
    EXPECT_EQ(form.componentCount(), 0);

    // Every prefix of a valid text, and texts with single bytes replaced,
    // either read or fail with FormTextError.
    std::string text = kForm;
    auto attempt = [](const std::string& candidate) {
        TestForm partial;
        try {
            readForm(candidate, partial, handlers);
        } catch (const FormTextError&) {
        }
    };
    for (std::size_t n = 0; n < text.size(); ++n)
        attempt(text.substr(0, n));
    const char replacements[] = {'\'', '#', '{', '}', '[', '(', '=', '.', '\n', '\0', '\xFF', '9', '$', '+', '<'};
    for (std::size_t pos = 0; pos < text.size(); pos += 3) {
        std::string mutated = text;
        mutated[pos] = replacements[pos % sizeof replacements];
        attempt(mutated);
    }
}

TEST(FormText, ReadNewFormNeedsARegisteredComponentClass)
{
    EXPECT_THROW(readNewForm("object X: TUnknownForm\nend"), FormTextError);
    EXPECT_THROW(readNewForm("object X: TFont\nend"), FormTextError);
    EXPECT_THROW(readNewForm("thing"), FormTextError);
    std::unique_ptr<Component> form = readNewForm("object X: TTestWidget\n  Left = 3\nend");
    EXPECT_EQ(dynamic_cast<Widget&>(*form).left, 3);
}

TEST(FormText, IntegerConstantsByTypeName)
{
    registerIntegerConstants("TTestModal", {{"mrOk", 1}, {"mrCancel", 2}});
    EXPECT_EQ(integerConstant("ttestmodal", "MRCANCEL"), 2);
    EXPECT_EQ(integerConstant("TTestModal", "mrYes"), std::nullopt);
    EXPECT_EQ(integerConstant("TColor", "clBtnFace"), clBtnFace);
    EXPECT_EQ(integerConstantName("TColor", clWindowText), "clWindowText");
    EXPECT_EQ(integerConstantName("TColor", 0x123456), std::nullopt);
    EXPECT_EQ(integerConstantName("TCursor", -21), "crHandPoint");
    EXPECT_EQ(integerConstantName("Integer", 0), std::nullopt);
}

} // namespace
