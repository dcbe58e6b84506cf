// Published-property reflection and components: kinds and conversions, lookups,
// dotted paths, event properties, ownership and the list of open windows.
#include "platform/component.h"
#include "platform/reflection.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

const EnumType kAlignType("TAlign", {"alNone", "alTop", "alBottom"});
const EnumType kIconType("TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize"});
const SetType kIconsType{"TBorderIcons", &kIconType};

enum class Align { None, Top, Bottom };

class Pen : public Persistent {
public:
    TK_CLASS_INFO
    std::string style = "psSolid";
    int width = 1;
    void assign(const Persistent& source) override
    {
        const auto* pen = dynamic_cast<const Pen*>(&source);
        if (!pen)
            Persistent::assign(source);
        style = pen->style;
        width = pen->width;
    }
};

const ClassInfo& Pen::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<Pen>("TTestPen", &Persistent::staticClassInfo())
        .prop("Style", &Pen::style)
        .prop("Width", &Pen::width);
    return info;
}

// One property of every kind.
class Gadget : public Component {
public:
    TK_CLASS_INFO
    using Component::Component;

    int count = 3;
    bool enabled = true;
    char letter = 'k';
    double ratio = 0.5;
    std::string caption = "cap";
    Align align = Align::Top;
    unsigned icons = 0b101;
    long long big = 1LL << 40;
    Variant anything = Variant("any");
    std::uint8_t charset = 134;
    Pen pen;
    Component* link = nullptr;
    MethodValue onKey;

    int readOnlyValue() const { return 99; }
    Align alignment() const { return align; }
    void setAlignment(Align a) { align = a; }
    Pen* penObject() const { return const_cast<Pen*>(&pen); }
    void setPen(Pen* other) { pen.assign(*other); }
};

const ClassInfo& Gadget::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<Gadget>("TTestGadget", &Component::staticClassInfo())
        .prop("Count", &Gadget::count)
        .prop("Enabled", &Gadget::enabled)
        .prop("Letter", &Gadget::letter)
        .prop("Ratio", &Gadget::ratio)
        .prop("Caption", &Gadget::caption)
        .enumeration("Align", kAlignType, &Gadget::alignment, &Gadget::setAlignment)
        .set("Icons", kIconsType, &Gadget::icons)
        .prop("Big", &Gadget::big)
        .prop("Anything", &Gadget::anything)
        .prop("Charset", &Gadget::charset).type("TFontCharset")
        .prop("Fixed", &Gadget::readOnlyValue)
        .object("Pen", Pen::staticClassInfo(), &Gadget::penObject, &Gadget::setPen)
        .object("Link", Component::staticClassInfo(), [](const Gadget& g) { return g.link; },
                [](Gadget& g, Component* c) { g.link = c; })
        .event("OnKeyDown", "TKeyEvent", &Gadget::onKey);
    return info;
}

// Redeclares Caption read-only and adds a property.
class SubGadget : public Gadget {
public:
    TK_CLASS_INFO
    using Gadget::Gadget;
    std::string extra;
};

const ClassInfo& SubGadget::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<SubGadget>("TTestSubGadget", &Gadget::staticClassInfo())
        .prop("Caption", [](const SubGadget& g) { return g.caption + "!"; })
        .prop("Extra", &SubGadget::extra);
    return info;
}

class AbstractThing : public Object {
public:
    TK_CLASS_INFO
    virtual void run() = 0;
};

const ClassInfo& AbstractThing::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<AbstractThing>("TTestAbstract", &Object::staticClassInfo());
    return info;
}

TEST(Reflection, ReadsEveryKindAsItsVariant)
{
    Gadget g;
    struct Case { const char* name; PropKind kind; const char* typeName; Variant expected; };
    const Case cases[] = {
        {"Count", PropKind::Integer, "Integer", Variant(3)},
        {"Enabled", PropKind::Enumeration, "Boolean", Variant(true)},
        {"Letter", PropKind::Char, "Char", Variant("k")},
        {"Ratio", PropKind::Float, "Double", Variant(0.5)},
        {"Caption", PropKind::String, "String", Variant("cap")},
        {"Align", PropKind::Enumeration, "TAlign", Variant(1)},
        {"Icons", PropKind::Set, "TBorderIcons", Variant(5)},
        {"Big", PropKind::Int64, "Int64", Variant(1LL << 40)},
        {"Anything", PropKind::Variant, "Variant", Variant("any")},
        {"Charset", PropKind::Integer, "TFontCharset", Variant(134)},
        {"Fixed", PropKind::Integer, "Integer", Variant(99)},
    };
    for (const Case& c : cases) {
        const PropInfo* p = findProperty(g, c.name);
        ASSERT_NE(p, nullptr) << c.name;
        EXPECT_EQ(p->kind(), c.kind) << c.name;
        EXPECT_EQ(p->typeName(), c.typeName) << c.name;
        std::optional<Variant> value = getProperty(g, c.name);
        ASSERT_TRUE(value) << c.name;
        EXPECT_TRUE(value->identicalTo(c.expected)) << c.name << ": " << value->typeName() << " " << value->toString();
    }
    EXPECT_TRUE(findProperty(g, "Enabled")->isBoolean());
    EXPECT_FALSE(findProperty(g, "Align")->isBoolean());
    EXPECT_EQ(findProperty(g, "Icons")->enumType(), &kIconType);
}

TEST(Reflection, WritesConvertByKind)
{
    struct Case { const char* name; Variant value; Variant readBack; };
    Variant elements = Variant::arrayOf({Variant(0), Variant(2)});
    const Case cases[] = {
        {"Count", Variant("42"), Variant(42)},
        {"Count", Variant(2.5), Variant(2)},        // ties to even
        {"Enabled", Variant(0), Variant(false)},
        {"Enabled", Variant("True"), Variant(true)},
        {"Letter", Variant("xyz"), Variant("x")},
        {"Letter", Variant(""), Variant(std::string(1, '\0'))},
        {"Ratio", Variant("1.25"), Variant(1.25)},
        {"Caption", Variant(12), Variant("12")},
        {"Align", Variant(2), Variant(2)},
        {"Align", Variant("ALTOP"), Variant(1)},   // a value name
        {"Icons", Variant(6), Variant(6)},
        {"Icons", elements, Variant(5)},          // element ordinals
        {"Big", Variant("1099511627777"), Variant(1099511627777LL)},
        {"Anything", Variant::null(), Variant::null()},
    };
    for (const Case& c : cases) {
        Gadget g;
        ASSERT_TRUE(setProperty(g, c.name, c.value)) << c.name;
        Variant got = *getProperty(g, c.name);
        EXPECT_TRUE(got.identicalTo(c.readBack)) << c.name << " <- " << c.value.toString() << ": got " << got.toString();
    }
}

TEST(Reflection, LookupsIgnoreCaseAndReportMissingNames)
{
    Gadget g;
    EXPECT_EQ(findProperty(g, "caption"), findProperty(g, "CAPTION"));
    EXPECT_EQ(findProperty(g, "Nope"), nullptr);
    EXPECT_FALSE(getProperty(g, "Nope"));
    EXPECT_FALSE(setProperty(g, "Nope", Variant(1)));
    // Objects and events are not values.
    EXPECT_FALSE(getProperty(g, "Pen"));
    EXPECT_FALSE(setProperty(g, "OnKeyDown", Variant(1)));
    // Read-only: setProperty declines, PropInfo::set raises.
    EXPECT_FALSE(setProperty(g, "Fixed", Variant(1)));
    EXPECT_TRUE(findProperty(g, "Fixed")->isReadOnly());
    EXPECT_THROW(findProperty(g, "Fixed")->set(g, Variant(1)), PropertyError);
    EXPECT_THROW(findProperty(g, "Pen")->set(g, Variant(1)), PropertyError);
    // A value that does not convert.
    EXPECT_THROW(setProperty(g, "Count", Variant("many")), VariantError);
    EXPECT_EQ(g.count, 3);
    // Form-only data is not a published property.
    EXPECT_EQ(findProperty(g, "Name")->kind(), PropKind::String);
    EXPECT_FALSE(findProperty(g, "Name")->isStored());
}

TEST(Reflection, ClassesInheritRegisterAndCreate)
{
    const ClassInfo& sub = SubGadget::staticClassInfo();
    EXPECT_TRUE(sub.inheritsFrom("ttestgadget"));
    EXPECT_TRUE(sub.inheritsFrom("TComponent"));
    EXPECT_TRUE(sub.inheritsFrom(Persistent::staticClassInfo()));
    EXPECT_FALSE(Gadget::staticClassInfo().inheritsFrom(sub));

    // The redeclared Caption replaces the inherited one in place.
    SubGadget s;
    EXPECT_EQ(getProperty(s, "Caption")->toString(), "cap!");
    EXPECT_TRUE(findProperty(s, "Caption")->isReadOnly());
    EXPECT_EQ(getProperty(s, "Count")->toInteger(), 3);
    std::vector<std::string> names;
    for (const PropInfo* p : sub.properties())
        names.push_back(p->name());
    ASSERT_GE(names.size(), 5u);
    EXPECT_EQ(names[0], "Name");
    EXPECT_EQ(names[2], "Count");
    EXPECT_EQ(std::count(names.begin(), names.end(), "Caption"), 1);
    EXPECT_EQ(names.back(), "Extra");

    EXPECT_EQ(findClass("TTESTSUBGADGET"), &sub);
    EXPECT_EQ(findClass("TNoSuchClass"), nullptr);
    std::unique_ptr<Object> made = findClass("TTestSubGadget")->create();
    ASSERT_TRUE(made);
    EXPECT_EQ(&made->classInfo(), &sub);
    EXPECT_EQ(made->className(), "TTestSubGadget");
    EXPECT_FALSE(AbstractThing::staticClassInfo().canCreate());
    EXPECT_EQ(AbstractThing::staticClassInfo().create(), nullptr);
}

TEST(Reflection, ObjectPropertiesAssignAndCheckTheirClass)
{
    Gadget g, other;
    other.pen.width = 7;
    const PropInfo* pen = findProperty(g, "Pen");
    EXPECT_EQ(pen->classType(), &Pen::staticClassInfo());
    EXPECT_EQ(pen->getObject(g), &g.pen);
    pen->setObject(g, &other.pen);
    EXPECT_EQ(g.pen.width, 7);
    EXPECT_THROW(pen->setObject(g, &other), PropertyError);  // a gadget is not a pen

    const PropInfo* link = findProperty(g, "Link");
    link->setObject(g, &other);
    EXPECT_EQ(g.link, &other);
    link->setObject(g, nullptr);
    EXPECT_EQ(g.link, nullptr);
    EXPECT_THROW(g.pen.assign(Persistent()), PropertyError);
}

TEST(Reflection, EventPropertiesStoreMethodValuesWithVarArguments)
{
    Gadget g, handlerObject;
    const PropInfo* event = findProperty(g, "onkeydown");
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->kind(), PropKind::Method);
    EXPECT_EQ(event->typeName(), "TKeyEvent");
    EXPECT_FALSE(event->getMethod(g));

    Object* seenSender = nullptr;
    event->setMethod(g, MethodValue{[&](Object* sender, EventArgs& args) {
                                        seenSender = sender;
                                        if (args[0].toInteger() == 13)
                                            args[0] = Variant(0);
                                    },
                                    &handlerObject});
    MethodValue stored = event->getMethod(g);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored.data, &handlerObject);
    EventArgs args{Variant(13), Variant(0)};
    g.onKey(&g, args);
    EXPECT_EQ(seenSender, &g);
    EXPECT_EQ(args[0].toInteger(), 0);

    event->setMethod(g, MethodValue{});
    EXPECT_FALSE(g.onKey);
    EventArgs none;
    g.onKey(&g, none);  // no handler: nothing happens
}

// Form1 owning Edit1 (with a pen) and GroupBox1 owning Label1.
class PathTest : public testing::Test {
protected:
    PathTest()
    {
        form.setName("Form1");
        edit->setName("Edit1");
        edit->caption = "typed";
        group->setName("GroupBox1");
        label->setName("Label1");
        form.link = edit;
    }
    Gadget form;
    Gadget* edit = new Gadget(&form);
    Gadget* group = new Gadget(&form);
    Gadget* label = new Gadget(group);
};

TEST_F(PathTest, DottedPathsWalkPropertiesAndOwnedComponents)
{
    struct Case { const char* path; std::optional<std::string> expected; };
    const Case cases[] = {
        {"Caption", "cap"},
        {"Edit1.Caption", "typed"},
        {"edit1.caption", "typed"},
        {"Pen.Style", "psSolid"},
        {"Edit1.Pen.Width", "1"},
        {"Link.Caption", "typed"},          // through an object property
        {"GroupBox1.Label1.Count", "3"},
        {"Label1.Count", std::nullopt},     // owned by the group, not the form
        {"Edit1.Nope", std::nullopt},
        {"Nope.Caption", std::nullopt},
        {"Edit1.Pen", std::nullopt},        // an object, not a value
        {"Edit1..Caption", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        std::optional<Variant> value = getPropertyPath(form, c.path);
        EXPECT_EQ(value.has_value(), c.expected.has_value()) << c.path;
        if (value && c.expected) {
            EXPECT_EQ(value->toString(), *c.expected) << c.path;
        }
    }
    EXPECT_EQ(findObjectPath(form, "GroupBox1.Label1"), label);
    EXPECT_EQ(findObjectPath(form, "Edit1.Pen"), &edit->pen);
    EXPECT_EQ(findObjectPath(form, "Edit1.Caption"), nullptr);
}

TEST_F(PathTest, DottedPathsWrite)
{
    EXPECT_TRUE(setPropertyPath(form, "GroupBox1.Label1.Caption", Variant("set")));
    EXPECT_EQ(label->caption, "set");
    EXPECT_TRUE(setPropertyPath(form, "Edit1.Pen.Width", Variant(4)));
    EXPECT_EQ(edit->pen.width, 4);
    EXPECT_FALSE(setPropertyPath(form, "Missing.Caption", Variant("x")));
    EXPECT_FALSE(setPropertyPath(form, "Edit1.Fixed", Variant(1)));
}

TEST_F(PathTest, OwnersDeleteOwnedComponentsAndLoseDeletedOnes)
{
    EXPECT_EQ(form.componentCount(), 2);
    EXPECT_EQ(form.findComponent("EDIT1"), edit);
    EXPECT_EQ(form.findComponent(""), nullptr);
    delete edit;  // leaves the owner's list
    EXPECT_EQ(form.componentCount(), 1);
    EXPECT_EQ(form.findComponent("Edit1"), nullptr);

    // Names are unique per owner, case-insensitively; empty names may repeat.
    auto* second = new Gadget(&form);
    EXPECT_THROW(second->setName("groupbox1"), ComponentError);
    EXPECT_TRUE(second->name().empty());
    new Gadget(&form);
    second->setName("Label1");  // Label1 lives one level down
    EXPECT_EQ(form.findComponent("label1"), second);

    // Moving a component between owners needs a free name; cycles are refused.
    EXPECT_THROW(form.insertComponent(label), ComponentError);
    EXPECT_EQ(label->owner(), group);
    second->setName("Second");
    form.insertComponent(label);
    EXPECT_EQ(label->owner(), &form);
    EXPECT_EQ(group->componentCount(), 0);
    EXPECT_THROW(label->insertComponent(&form), ComponentError);
    EXPECT_THROW(form.insertComponent(&form), ComponentError);
    // The form's destructor deletes the rest (checked by the leak-free run).
}

// Records the notifications it receives.
class Watcher : public Component {
public:
    using Component::Component;
    std::vector<std::pair<Component*, Operation>> seen;

protected:
    void notification(Component* component, Operation operation) override
    {
        seen.emplace_back(component, operation);
    }
};

TEST(Components, FreeNotificationsAndOwnedListChanges)
{
    Watcher watcher;
    auto* child = new Component(&watcher);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].second, Component::Operation::Insert);

    auto* referenced = new Component;
    referenced->freeNotification(&watcher);
    delete referenced;
    ASSERT_EQ(watcher.seen.size(), 2u);
    EXPECT_EQ(watcher.seen[1], std::make_pair(referenced, Component::Operation::Remove));

    // The link goes both ways: deleting the watcher first leaves no dangling peer.
    auto* peer = new Component;
    {
        Watcher shortLived;
        peer->freeNotification(&shortLived);
    }
    delete peer;

    delete child;
    EXPECT_EQ(watcher.seen.back(), std::make_pair(child, Component::Operation::Remove));
}

TEST(Components, ScreenListFindsWindowsByNameUntilDeleted)
{
    auto* window = new Component;
    window->setName("Form1");
    Component module;
    module.setName("DataModule1");
    screen::add(window);
    screen::add(window);
    screen::add(&module);
    EXPECT_EQ(screen::find("FORM1"), window);
    EXPECT_EQ(screen::find("DataModule1"), &module);
    EXPECT_EQ(screen::find(""), nullptr);
    EXPECT_EQ(std::count(screen::components().begin(), screen::components().end(), window), 1);
    delete window;
    EXPECT_EQ(screen::find("Form1"), nullptr);
    screen::remove(&module);
    EXPECT_EQ(screen::find("DataModule1"), nullptr);
}

} // namespace
