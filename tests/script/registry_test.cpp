// Tests of the host registry with a small host class: published properties,
// registered members, indexed and default properties, functions, constants,
// records, constructors, argument checks and events calling back into scripts.
#include "support.h"

#include "platform/gbk.h"
#include "script/record.h"
#include "script/symbols.h"

#include <cstring>

namespace {

const platform::EnumType kStyleEnum("TTestStyle", {"tsA", "tsB", "tsC"});
const platform::SetType kStyleSet{"TTestStyles", &kStyleEnum};

class TTestItem : public platform::Object {
public:
    TK_CLASS_INFO
    std::string caption = "cap";
    int count = 0;
    bool enabled = false;
    unsigned style = 0;
    TTestItem* link = nullptr;
    int secret = 0;  // public but not published: reached through a registered getter
    std::vector<std::string> lines{"a", "z"};
    platform::MethodValue onChange;
    platform::MethodValue onOther;
    static inline int destroyed = 0;

    TTestItem() = default;
    TTestItem(const TTestItem&) = default;
    TTestItem& operator=(const TTestItem&) = default;
    ~TTestItem() override { ++destroyed; }

    void fireChange()
    {
        platform::EventArgs args;
        onChange(this, args);
    }
};

class TTestSpecial : public TTestItem {
public:
    TK_CLASS_INFO
};

const platform::ClassInfo& TTestItem::staticClassInfo()
{
    static const platform::ClassInfo info =
        platform::ClassInfo::define<TTestItem>("TTestItem", &platform::Object::staticClassInfo())
            .prop("Caption", &TTestItem::caption)
            .prop("Count", &TTestItem::count)
            .prop("Enabled", &TTestItem::enabled)
            .set("Style", kStyleSet, &TTestItem::style)
            .object("Link", platform::Object::staticClassInfo(), &TTestItem::link,
                    [](TTestItem& o, TTestItem* v) { o.link = v; })
            .event("OnChange", "TNotifyEvent", &TTestItem::onChange)
            .event("OnOther", "TOtherEvent", &TTestItem::onOther);
    return info;
}

const platform::ClassInfo& TTestSpecial::staticClassInfo()
{
    static const platform::ClassInfo info =
        platform::ClassInfo::define<TTestSpecial>("TTestSpecial", &TTestItem::staticClassInfo());
    return info;
}

TTestItem& self(TKSInterpreterArgs& a) { return *static_cast<TTestItem*>(objectOf(a.object)); }

void registerTestHost(TKSInterpreterAdapter& r)
{
    const platform::ClassInfo* item = &TTestItem::staticClassInfo();
    const platform::ClassInfo* special = &TTestSpecial::staticClassInfo();
    r.RegisterHostClass("Test", item);
    r.RegisterHostClass("Test", special);
    r.RegisterGetter(item, "Describe", 0, {}, 256,
                     [](Variant& v, TKSInterpreterArgs& a) { v = Variant("item " + self(a).caption); });
    r.RegisterGetter(special, "Describe", 0, {}, 256, [](Variant& v, TKSInterpreterArgs&) { v = Variant("special"); });
    r.RegisterGetter(item, "Create", 0, {}, 0, [](Variant& v, TKSInterpreterArgs&) {
        v = makeObjectValue(new TTestItem);
    });
    r.RegisterGetter(item, "Secret", 0, {}, 3, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self(a).secret); });
    r.RegisterSetter(item, "Secret", 0, {},
                     [](Variant& v, TKSInterpreterArgs& a) { self(a).secret = v.toInteger() * 10; });
    r.RegisterGetter(item, "Fail", 0, {}, 0,
                     [](Variant&, TKSInterpreterArgs&) { throw std::runtime_error("host failure"); });
    r.RegisterIndexedGetter(item, "Lines", 1, {3}, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(self(a).lines.at(std::size_t(a.arg(0).toInteger())));
    });
    r.RegisterIndexedSetter(item, "Lines", 1, {3}, [](Variant& v, TKSInterpreterArgs& a) {
        self(a).lines.at(std::size_t(a.arg(0).toInteger())) = v.toString();
    });
    r.RegisterDefaultIndexedGetter(item, 1, {3}, [](Variant& v, TKSInterpreterArgs& a) {
        v = Variant(self(a).lines.at(std::size_t(a.arg(0).toInteger())));
    });
    r.RegisterDefaultIndexedSetter(item, 1, {3}, [](Variant& v, TKSInterpreterArgs& a) {
        self(a).lines.at(std::size_t(a.arg(0).toInteger())) = v.toString();
    });
    r.RegisterFunction("Test", "Twice", 1, {3}, 3,
                       [](Variant& v, TKSInterpreterArgs& a) { v = Variant(a.arg(0).toInteger() * 2); });
    r.RegisterFunction("Test", "AddTwo", 1, {kstype::VarParam | 3}, 0,
                       [](Variant&, TKSInterpreterArgs& a) { a.values[0] = Variant(a.arg(0).toInteger() + 2); });
    r.RegisterFunction("Test", "Count", -1, {}, 3, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(a.count); });
    r.RegisterConstant("Test", "cMagic", Variant(42));
    r.RegisterRecord("Test", "TPoint", {{"X", -1, 0, 3, nullptr}, {"Y", -1, 4, 3, nullptr}}, 8);
    r.RegisterFunction("Test", "Point", 2, {3, 3}, 0, [&r](Variant& v, TKSInterpreterArgs& a) {
        r.createRecord("TPoint", v);
        const int32_t xy[2] = {a.arg(0).toInteger(), a.arg(1).toInteger()};
        std::memcpy(recordOf(v)->memory(), xy, sizeof xy);
    });
    r.RegisterRecordGetter("Test", "TPoint", "Sum", 0, {}, [](Variant& v, TKSInterpreterArgs& a) {
        const auto* p = static_cast<const int32_t*>(recordOf(a.object)->memory());
        v = Variant(p[0] + p[1]);
    });
    r.RegisterEventHandler("Test", "TNotifyEvent", &TKSInterpreterEvent::standardHandler);
}

struct HostFixture : ::testing::Test {
    TTestItem item;
    TTestSpecial special;
    TKSInterpreterProgram p;

    void SetUp() override
    {
        registerTestHost(p.adapter());
        p.OnGetValue = [this](TKSInterpreterExpression&, const std::string& name, Variant& v, TKSInterpreterArgs& a) {
            if (a.hasObject())
                return false;
            if (platform::sameName(name, "Item"))
                v = makeObjectValue(&item);
            else if (platform::sameName(name, "Special"))
                v = makeObjectValue(&special);
            else
                return false;
            return true;
        };
    }
};

TEST_F(HostFixture, ReachesHostObjectsThroughTheRegistry)
{
    const struct {
        const char* body;
        Variant expected;
    } cases[] = {
        {"begin Result := Item.Caption end", Variant("cap")},
        {"begin Item.Count := '5'; Result := Item.Count end", Variant(5)},
        {"begin Item.Enabled := true; Result := Item.Enabled end", Variant(true)},
        {"begin Item.Style := [0, 2]; Result := Item.Style = [2, 0] end", Variant(true)},
        {"begin Result := Item.Describe end", Variant("item cap")},
        {"begin Result := Special.Describe end", Variant("special")},
        {"begin Result := TTestItem(Special).Describe end", Variant("special")},
        {"begin Item.Secret := 9; Result := Item.Secret end", Variant(90)},
        {"begin Item.Lines[1] := 'b'; Result := Item.Lines[1] + Item.Lines[0] end", Variant("ba")},
        {"begin Item[0] := 'q'; Result := Item[0] end", Variant("q")},
        {"begin Result := Twice(21) + cMagic end", Variant(84)},
        {"var I: Integer; begin I := 1; AddTwo(I); Result := I end", Variant(3)},
        {"begin Result := Count(1, 2, 3) end", Variant(3)},
        {"var P: TPoint; begin P := Point(1, 2); P.X := P.X + 10; Result := P.Sum end", Variant(13)},
        {"var P, Q: TPoint; begin P := Point(1, 2); Q := P; Q.X := 5; Result := P.X end", Variant(1)},
        {"var L: TObject; begin L := TTestItem.Create; L.Caption := 'new'; Result := L.Caption; L.Free end",
         Variant("new")},
        {"begin Item.Link := Special; Result := Item.Link.Describe end", Variant("special")},
        {"begin Result := Item.Link = nil end", Variant(true)},
        {"begin Result := TTestItem = TTestItem end", Variant(true)},
    };
    for (const auto& c : cases) {
        item = TTestItem();
        try {
            const Variant v = runScript(c.body, &p);
            EXPECT_TRUE(v.identicalTo(c.expected)) << c.body << " gave " << v.toString() << " of " << v.typeName();
        } catch (const std::exception& e) {
            ADD_FAILURE() << c.body << ": " << e.what();
        }
    }
}

TEST_F(HostFixture, FreeDeletesOnlyWhatTheScriptCreated)
{
    // Item belongs to the host (it is not even on the heap): the script's Free
    // must leave it alone, while an object the script constructed goes.
    const int before = TTestItem::destroyed;
    const Variant v = runScript("var A: TTestItem; begin A := TTestItem.Create; A.Free; Item.Free; Special.Free; "
                                "Result := Item.Caption + Special.Describe end",
                                &p);
    EXPECT_EQ(v.toString(), "capspecial");
    EXPECT_EQ(TTestItem::destroyed - before, 1);
}

TEST_F(HostFixture, RegistryErrors)
{
    const struct {
        const char* body;
        int code;
    } cases[] = {
        {"begin Result := Twice(1, 2) end", kserr::TooManyParams},
        {"begin Result := Twice end", kserr::NotEnoughParams},
        {"begin Result := TTestItem(Item, 1) end", kserr::TooManyParams},
        {"begin Result := TTestSpecial.Create end", kserr::Undeclared},  // constructors only on their own class
        {"begin Result := Item.Nothing end", kserr::Undeclared},
        {"begin Result := Item.Describe[1] end", kserr::Undeclared},      // a plain getter is no indexed property
        {"begin Result := Item.Caption.X end", kserr::RecordObjectClassRequired},
        {"begin Item.OnOther := Item end", kserr::Undeclared},
        {"begin Result := CreateOleObject('Word.Application') end", kserr::Undeclared},
    };
    for (const auto& c : cases) {
        auto error = scriptError(c.body, &p);
        ASSERT_TRUE(error) << c.body;
        EXPECT_EQ(error->code, c.code) << c.body << ": " << error->message;
    }
}

TEST_F(HostFixture, HostExceptionsPropagateAndAreRecordedAsError6)
{
    p.setSource("begin\r\n  Result := 1;\r\n  Result := Item.Fail\r\nend");
    try {
        p.Run();
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "host failure");
    }
    EXPECT_EQ(p.lastError().code, kserr::ExternalInUnit);
    EXPECT_EQ(p.lastError().messageWithoutPosition, "host failure");
}

TEST_F(HostFixture, EventsCallBackIntoTheScript)
{
    p.setSource("unit Report;\n"
                "var Hits: Integer;\n"
                "procedure Changed(Sender: TObject);\n"
                "begin\n"
                "  Hits := Hits + 1;\n"
                "  TTestItem(Sender).Caption := TTestItem(Sender).Caption + '!';\n"
                "end;\n"
                "procedure Main;\n"
                "begin\n"
                "  Item.OnChange := Changed;\n"
                "end;\n"
                "end.");
    p.Run();
    ASSERT_TRUE(item.onChange);
    item.fireChange();
    item.fireChange();
    EXPECT_EQ(item.caption, "cap!!");
    Variant hits;
    TKSInterpreterArgs args;
    ASSERT_TRUE(p.GetValue(internSymbol("Hits"), "Hits", hits, args));
    EXPECT_EQ(hits.toInteger(), 2);

    p.setSource("unit Report; procedure Other(Sender: TObject); begin end; "
                "procedure Main; begin Item.OnOther := Other; end; end.");
    auto error = scriptError(p.source(), &p);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kserr::EventNotRegistered);
    EXPECT_NE(error->message.find("Event 'TOtherEvent' not registered"), std::string::npos);
}

TEST_F(HostFixture, EventsOfADestroyedInterpreterDoNothing)
{
    auto owner = std::make_unique<TKSInterpreterProgram>();
    registerTestHost(owner->adapter());
    owner->OnGetValue = p.OnGetValue;
    owner->setSource("unit Report; procedure Changed(Sender: TObject); begin TTestItem(Sender).Caption := 'x' end; "
                     "procedure Main; begin Item.OnChange := Changed end; end.");
    owner->Run();
    owner.reset();
    item.fireChange();
    EXPECT_EQ(item.caption, "cap");
}

TEST(ScriptRegistry, LookupOrderPrivateThenGlobalThenHook)
{
    TKSInterpreterAdapter global;
    global.RegisterConstant("G", "Shared", Variant("global"));
    global.RegisterConstant("G", "OnlyGlobal", Variant(1));
    TKSInterpreterProgram p;
    p.setGlobalAdapter(&global);
    p.adapter().RegisterConstant("P", "Shared", Variant("private"));
    p.OnGetValue = [](TKSInterpreterExpression&, const std::string& name, Variant& v, TKSInterpreterArgs&) {
        v = Variant("hook " + name);
        return true;
    };
    EXPECT_EQ(runScript("Shared", &p).toString(), "private");
    EXPECT_EQ(runScript("OnlyGlobal", &p).toInteger(), 1);
    EXPECT_EQ(runScript("Other", &p).toString(), "hook Other");
    // A routine of the script is reached only when nobody else claims the name.
    p.setSource("unit U; function Other: string; begin Result := 'routine' end; "
                "function Go: string; begin Result := Other end; procedure Main; begin end; end.");
    p.Compile();
    EXPECT_EQ(p.callRoutine("Go", {}).toString(), "hook Other");
    p.OnGetValue = nullptr;
    EXPECT_EQ(p.callRoutine("Go", {}).toString(), "routine");
}

} // namespace
