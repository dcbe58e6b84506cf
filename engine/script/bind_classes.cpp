// Bindings of group Classes: TList, TPersistent, TStrings / TStringList,
// the streams, TComponent, their constants and the notify and help events.
#include "script/bind_util.h"
#include "script/bindings.h"

#include "platform/component.h"
#include "platform/gbk.h"
#include "platform/reflection_list.h"
#include "platform/reflection_stream.h"
#include "platform/reflection_strings.h"
#include "script/event.h"

#include <algorithm>

namespace {

using namespace bind;
using platform::List;
using platform::Strings;

constexpr const char* kUnit = "Classes";

// --- TList ----------------------------------------------------------------------------

void registerList(TKSInterpreterAdapter& r)
{
    const platform::ClassInfo& cls = List::staticClassInfo();
    r.RegisterHostClass(kUnit, &cls);
    auto item = [](Variant& v, TKSInterpreterArgs& a) { v = self<List>(a).item(integer(a, 0)); };
    auto setItem = [](Variant& v, TKSInterpreterArgs& a) { self<List>(a).setItem(integer(a, 0), v); };
    ClassBinder(r, cls)
        .get("Create", 0, [](Variant& v, TKSInterpreterArgs&) { v = makeObjectValue(new List); })
        .get("Add", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<List>(a).add(a.arg(0))); })
        .get("Clear", 0, [](Variant&, TKSInterpreterArgs& a) { self<List>(a).clear(); })
        .get("Delete", 1, [](Variant&, TKSInterpreterArgs& a) { self<List>(a).remove(integer(a, 0)); })
        .get("Exchange", 2, [](Variant&, TKSInterpreterArgs& a) { self<List>(a).exchange(integer(a, 0), integer(a, 1)); })
        .get("Expand", 0, [](Variant& v, TKSInterpreterArgs& a) {
            List& list = self<List>(a);
            if (list.count() == list.capacity())
                list.setCapacity(list.capacity() + (list.capacity() > 8 ? 16 : 4));
            v = objectOf(a.object) ? a.object : Variant();
        })
        .get("First", 0, [](Variant& v, TKSInterpreterArgs& a) { v = self<List>(a).item(0); })
        .get("Last", 0, [](Variant& v, TKSInterpreterArgs& a) { v = self<List>(a).item(self<List>(a).count() - 1); })
        .get("IndexOf", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<List>(a).indexOf(a.arg(0))); })
        .get("Insert", 2, [](Variant&, TKSInterpreterArgs& a) { self<List>(a).insert(integer(a, 0), a.arg(1)); })
        .get("Move", 2, [](Variant&, TKSInterpreterArgs& a) { self<List>(a).move(integer(a, 0), integer(a, 1)); })
        .get("Remove", 1, [](Variant& v, TKSInterpreterArgs& a) {
            List& list = self<List>(a);
            const int index = list.indexOf(a.arg(0));
            if (index >= 0)
                list.remove(index);
            v = Variant(index);
        })
        .get("Pack", 0, [](Variant&, TKSInterpreterArgs& a) { self<List>(a).pack(); })
        .get("Capacity", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<List>(a).capacity()); })
        .set("Capacity", [](Variant& v, TKSInterpreterArgs& a) { self<List>(a).setCapacity(v.toInteger()); })
        .get("Count", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<List>(a).count()); })
        .set("Count", [](Variant& v, TKSInterpreterArgs& a) { self<List>(a).setCount(v.toInteger()); })
        .indexedGet("Items", 1, item)
        .indexedSet("Items", 1, setItem)
        .defaultGet(1, item)
        .defaultSet(1, setItem);
}

// --- TPersistent and TStrings ------------------------------------------------------------

void setLine(Strings& s, int index, std::string text)
{
    List::checkIndex(index, s.count());
    std::vector<std::string> lines = s.lines();
    lines[std::size_t(index)] = std::move(text);
    s.setLines(std::move(lines));
}

void insertLine(Strings& s, int index, std::string text)
{
    List::checkIndex(index, s.count() + 1);
    std::vector<std::string> lines = s.lines();
    lines.insert(lines.begin() + index, std::move(text));
    s.setLines(std::move(lines));
}

void deleteLine(Strings& s, int index)
{
    List::checkIndex(index, s.count());
    std::vector<std::string> lines = s.lines();
    lines.erase(lines.begin() + index);
    s.setLines(std::move(lines));
}

int indexOf(const Strings& s, std::string_view text)
{
    for (int i = 0; i < s.count(); ++i)
        if (platform::compareTextIgnoreCase(s.lines()[std::size_t(i)], text) == 0)
            return i;
    return -1;
}

std::string nameOf(std::string_view line)
{
    const std::size_t eq = line.find('=');
    return eq == std::string_view::npos ? std::string() : std::string(line.substr(0, eq));
}

int indexOfName(const Strings& s, std::string_view name)
{
    for (int i = 0; i < s.count(); ++i) {
        const std::string& line = s.lines()[std::size_t(i)];
        if (line.find('=') != std::string::npos && platform::compareTextIgnoreCase(nameOf(line), name) == 0)
            return i;
    }
    return -1;
}

std::string valueOf(const Strings& s, std::string_view name)
{
    const int i = indexOfName(s, name);
    if (i < 0)
        return {};
    const std::string& line = s.lines()[std::size_t(i)];
    return line.substr(line.find('=') + 1);
}

// Values[Name] := '' removes the entry; otherwise it is replaced or appended.
void setValueOf(Strings& s, const std::string& name, const std::string& value)
{
    const int i = indexOfName(s, name);
    if (value.empty()) {
        if (i >= 0)
            deleteLine(s, i);
    } else if (i >= 0) {
        setLine(s, i, name + "=" + value);
    } else {
        s.add(name + "=" + value);
    }
}

// Items with blanks, commas or quotes are double-quoted, quotes doubled.
std::string commaText(const Strings& s)
{
    std::string out;
    for (const std::string& line : s.lines()) {
        if (!out.empty())
            out += ',';
        const bool quote = line.empty() || line.find_first_of(" ,\"") != std::string::npos
                           || std::any_of(line.begin(), line.end(), [](char c) { return c > 0 && c < ' '; });
        if (!quote) {
            out += line;
            continue;
        }
        out += '"';
        for (char c : line)
            out += c == '"' ? std::string("\"\"") : std::string(1, c);
        out += '"';
    }
    return out;
}

// Commas and blanks separate items; quoted items keep them.
void setCommaText(Strings& s, std::string_view text)
{
    std::vector<std::string> items;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ')
            ++i;
    };
    skipBlanks();
    while (i < text.size()) {
        std::string item;
        if (text[i] == '"') {
            ++i;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < text.size() && text[i] != ',' && static_cast<unsigned char>(text[i]) > ' ')
                item += text[i++];
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (i < text.size() && text[i] == ',') {
            ++i;
            skipBlanks();
            if (i == text.size())
                items.emplace_back();
        }
    }
    s.setLines(std::move(items));
}

void loadFromFile(Strings& s, const std::string& path)
{
    platform::FileStream file(path, platform::FileStream::Mode::Read);
    std::string bytes(std::size_t(file.size()), '\0');
    file.readExact(bytes.data(), bytes.size());
    s.setText(bytes);
}

void saveToFile(const Strings& s, const std::string& path)
{
    platform::FileStream file(path, platform::FileStream::Mode::Create);
    const std::string text = s.text();
    file.write(text.data(), text.size());
}

void registerPersistent(TKSInterpreterAdapter& r)
{
    ClassBinder(r, platform::Persistent::staticClassInfo())
        .get("Assign", 1, [](Variant&, TKSInterpreterArgs& a) {
            self<platform::Persistent>(a).assign(*objectArg<platform::Persistent>(a, 0));
        })
        .get("GetNamePath", 0, [](Variant& v, TKSInterpreterArgs& a) {
            auto& o = self<platform::Persistent>(a);
            const auto* component = dynamic_cast<const platform::Component*>(&o);
            v = Variant(component && !component->name().empty() ? component->name() : o.className());
        });
}

void registerStrings(TKSInterpreterAdapter& r)
{
    r.RegisterHostClass(kUnit, &Strings::staticClassInfo());
    r.RegisterHostClass(kUnit, &platform::StringList::staticClassInfo());
    auto line = [](Variant& v, TKSInterpreterArgs& a) {
        Strings& s = self<Strings>(a);
        List::checkIndex(integer(a, 0), s.count());
        v = Variant(s.line(integer(a, 0)));
    };
    auto storeLine = [](Variant& v, TKSInterpreterArgs& a) { setLine(self<Strings>(a), integer(a, 0), v.toString()); };
    auto add = [](Variant& v, TKSInterpreterArgs& a) {
        Strings& s = self<Strings>(a);
        s.add(text(a, 0));
        v = Variant(s.count() - 1);
    };
    auto noChangeBatching = [](Variant&, TKSInterpreterArgs& a) { self<Strings>(a); };
    ClassBinder(r, Strings::staticClassInfo())
        .get("Add", 1, add)
        .get("Append", 1, add)
        .get("AddStrings", 1, [](Variant&, TKSInterpreterArgs& a) {
            Strings& s = self<Strings>(a);
            std::vector<std::string> lines = s.lines();
            const std::vector<std::string>& more = objectArg<Strings>(a, 0)->lines();
            lines.insert(lines.end(), more.begin(), more.end());
            s.setLines(std::move(lines));
        })
        // Changes are not batched here: every change already updates its owner at once.
        .get("BeginUpdate", 0, noChangeBatching)
        .get("EndUpdate", 0, noChangeBatching)
        .get("Clear", 0, [](Variant&, TKSInterpreterArgs& a) { self<Strings>(a).clear(); })
        .get("Delete", 1, [](Variant&, TKSInterpreterArgs& a) { deleteLine(self<Strings>(a), integer(a, 0)); })
        .get("Equals", 1, [](Variant& v, TKSInterpreterArgs& a) {
            v = Variant(self<Strings>(a).lines() == objectArg<Strings>(a, 0)->lines());
        })
        .get("Exchange", 2, [](Variant&, TKSInterpreterArgs& a) {
            Strings& s = self<Strings>(a);
            List::checkIndex(integer(a, 0), s.count());
            List::checkIndex(integer(a, 1), s.count());
            std::vector<std::string> lines = s.lines();
            std::swap(lines[std::size_t(integer(a, 0))], lines[std::size_t(integer(a, 1))]);
            s.setLines(std::move(lines));
        })
        .get("IndexOf", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(indexOf(self<Strings>(a), text(a, 0))); })
        .get("IndexOfName", 1, [](Variant& v, TKSInterpreterArgs& a) {
            v = Variant(indexOfName(self<Strings>(a), text(a, 0)));
        })
        .get("Insert", 2, [](Variant&, TKSInterpreterArgs& a) { insertLine(self<Strings>(a), integer(a, 0), text(a, 1)); })
        .get("Move", 2, [](Variant&, TKSInterpreterArgs& a) {
            Strings& s = self<Strings>(a);
            const int from = integer(a, 0), to = integer(a, 1);
            List::checkIndex(from, s.count());
            List::checkIndex(to, s.count());
            std::string moved = s.line(from);
            deleteLine(s, from);
            insertLine(s, to, std::move(moved));
        })
        .get("LoadFromFile", 1, [](Variant&, TKSInterpreterArgs& a) { loadFromFile(self<Strings>(a), text(a, 0)); })
        .get("SaveToFile", 1, [](Variant&, TKSInterpreterArgs& a) { saveToFile(self<Strings>(a), text(a, 0)); })
        .get("LoadFromStream", 1, [](Variant&, TKSInterpreterArgs& a) {
            platform::StreamObject* stream = objectArg<platform::StreamObject>(a, 0);
            self<Strings>(a).setText(stream->read(stream->stream().remaining()));
        })
        .get("SaveToStream", 1, [](Variant&, TKSInterpreterArgs& a) {
            objectArg<platform::StreamObject>(a, 0)->write(self<Strings>(a).text());
        })
        .get("CommaText", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(commaText(self<Strings>(a))); })
        .set("CommaText", [](Variant& v, TKSInterpreterArgs& a) { setCommaText(self<Strings>(a), v.toString()); })
        .get("Count", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<Strings>(a).count()); })
        .indexedGet("Names", 1, [](Variant& v, TKSInterpreterArgs& a) {
            Strings& s = self<Strings>(a);
            List::checkIndex(integer(a, 0), s.count());
            v = Variant(nameOf(s.line(integer(a, 0))));
        })
        .indexedGet("Values", 1, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(valueOf(self<Strings>(a), text(a, 0))); })
        .indexedSet("Values", 1, [](Variant& v, TKSInterpreterArgs& a) {
            setValueOf(self<Strings>(a), text(a, 0), v.toString());
        })
        .indexedGet("Strings", 1, line)
        .indexedSet("Strings", 1, storeLine)
        .defaultGet(1, line)
        .defaultSet(1, storeLine)
        .get("Text", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<Strings>(a).text()); })
        .set("Text", [](Variant& v, TKSInterpreterArgs& a) { self<Strings>(a).setText(v.toString()); });

    auto byText = [](const std::string& x, const std::string& y) { return platform::compareTextIgnoreCase(x, y) < 0; };
    ClassBinder(r, platform::StringList::staticClassInfo())
        .get("Create", 0, [](Variant& v, TKSInterpreterArgs&) { v = makeObjectValue(new platform::StringList); })
        .get("Sort", 0, [byText](Variant&, TKSInterpreterArgs& a) {
            Strings& s = self<Strings>(a);
            std::vector<std::string> lines = s.lines();
            std::stable_sort(lines.begin(), lines.end(), byText);
            s.setLines(std::move(lines));
        })
        // Find on a sorted list: true when found; Index is the match or the insertion point.
        .get("Find", 2, [byText](Variant& v, TKSInterpreterArgs& a) {
            const std::vector<std::string>& lines = self<Strings>(a).lines();
            const std::string wanted = text(a, 0);
            auto at = std::lower_bound(lines.begin(), lines.end(), wanted, byText);
            v = Variant(at != lines.end() && platform::compareTextIgnoreCase(*at, wanted) == 0);
            setVar(a, 1, Variant(int(at - lines.begin())));
        }, {256, kstype::VarParam | 3});
}

// --- Streams -------------------------------------------------------------------------

void registerStreams(TKSInterpreterAdapter& r)
{
    using platform::StreamObject;
    for (const platform::ClassInfo* c :
         {&StreamObject::staticClassInfo(), &platform::FileStreamObject::staticClassInfo(),
          &platform::MemoryStreamObject::staticClassInfo(), &platform::StringStreamObject::staticClassInfo()})
        r.RegisterHostClass(kUnit, c);
    const int var = kstype::VarParam;
    auto read = [](Variant& v, TKSInterpreterArgs& a) {
        const std::string bytes = self<StreamObject>(a).read(a.arg(1).toInt64());
        v = Variant(int(bytes.size()));
        setVar(a, 0, Variant(bytes));
    };
    auto write = [](Variant& v, TKSInterpreterArgs& a) {
        const std::string bytes = text(a, 0);
        const std::size_t n = std::min(bytes.size(), std::size_t(std::max(0, integer(a, 1))));
        self<StreamObject>(a).write(std::string_view(bytes).substr(0, n));
        v = Variant(int(n));
    };
    ClassBinder(r, StreamObject::staticClassInfo())
        .get("Read", 2, read, {var, 3})
        .get("Write", 2, write)
        .get("ReadBuffer", 2, [read](Variant& v, TKSInterpreterArgs& a) {
            read(v, a);
            if (v.toInteger() != integer(a, 1))
                throw platform::StreamError("Stream read error");
        }, {var, 3})
        .get("WriteBuffer", 2, [write](Variant& v, TKSInterpreterArgs& a) {
            write(v, a);
            if (v.toInteger() != integer(a, 1))
                throw platform::StreamError("Stream write error");
        })
        .get("Seek", 2, [](Variant& v, TKSInterpreterArgs& a) {
            v = Variant((long long)self<StreamObject>(a).seek(a.arg(0).toInt64(), integer(a, 1)));
        })
        .get("CopyFrom", 2, [](Variant& v, TKSInterpreterArgs& a) {
            v = Variant((long long)self<StreamObject>(a).copyFrom(*objectArg<StreamObject>(a, 0), a.arg(1).toInt64()));
        })
        .get("Position", 0, [](Variant& v, TKSInterpreterArgs& a) {
            v = Variant((long long)self<StreamObject>(a).stream().position());
        })
        .set("Position", [](Variant& v, TKSInterpreterArgs& a) { self<StreamObject>(a).stream().seek(v.toInt64()); })
        .get("Size", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant((long long)self<StreamObject>(a).stream().size()); })
        .set("Size", [](Variant& v, TKSInterpreterArgs& a) { self<StreamObject>(a).stream().setSize(v.toInt64()); });
    ClassBinder(r, platform::FileStreamObject::staticClassInfo())
        .get("Create", 2, [](Variant& v, TKSInterpreterArgs& a) {
            v = makeObjectValue(new platform::FileStreamObject(text(a, 0), integer(a, 1)));
        });
    ClassBinder(r, platform::MemoryStreamObject::staticClassInfo())
        .get("Create", 0, [](Variant& v, TKSInterpreterArgs&) { v = makeObjectValue(new platform::MemoryStreamObject); });
    ClassBinder(r, platform::StringStreamObject::staticClassInfo())
        .get("Create", 1, [](Variant& v, TKSInterpreterArgs& a) {
            v = makeObjectValue(new platform::StringStreamObject(text(a, 0)));
        })
        .get("ReadString", 1, [](Variant& v, TKSInterpreterArgs& a) {
            v = Variant(self<StreamObject>(a).read(a.arg(0).toInt64()));
        })
        .get("WriteString", 1, [](Variant&, TKSInterpreterArgs& a) { self<StreamObject>(a).write(text(a, 0)); })
        .get("DataString", 0, [](Variant& v, TKSInterpreterArgs& a) {
            v = Variant(self<platform::StringStreamObject>(a).bytes());
        });
    r.RegisterConstant(kUnit, "fmCreate", Variant(platform::FileStreamObject::fmCreate));
}

// --- TComponent -------------------------------------------------------------------------

void registerComponent(TKSInterpreterAdapter& r)
{
    using platform::Component;
    const platform::ClassInfo& cls = Component::staticClassInfo();
    r.RegisterHostClass(kUnit, &cls);
    auto indexIn = [](const Component& c) {
        if (!c.owner())
            return -1;
        const auto& list = c.owner()->components();
        return int(std::find(list.begin(), list.end(), &c) - list.begin());
    };
    ClassBinder(r, cls)
        .get("Create", 1, [](Variant& v, TKSInterpreterArgs& a) {
            v = makeObjectValue(new Component(objectArg<Component>(a, 0, true)));
        })
        .get("Destroying", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<Component>(a).isDestroying()); })
        .get("FindComponent", 1, [](Variant& v, TKSInterpreterArgs& a) {
            v = makeObjectValue(self<Component>(a).findComponent(text(a, 0)));
        })
        .get("FreeNotification", 1, [](Variant&, TKSInterpreterArgs& a) {
            self<Component>(a).freeNotification(objectArg<Component>(a, 0));
        })
        .get("GetParentComponent", 0, [](Variant& v, TKSInterpreterArgs& a) {
            v = makeObjectValue(self<Component>(a).parentComponent());
        })
        .get("HasParent", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<Component>(a).parentComponent() != nullptr); })
        .get("InsertComponent", 1, [](Variant&, TKSInterpreterArgs& a) {
            self<Component>(a).insertComponent(objectArg<Component>(a, 0));
        })
        .get("RemoveComponent", 1, [](Variant&, TKSInterpreterArgs& a) {
            self<Component>(a).removeComponent(objectArg<Component>(a, 0));
        })
        .indexedGet("Components", 1, [](Variant& v, TKSInterpreterArgs& a) {
            const Component& c = self<Component>(a);
            List::checkIndex(integer(a, 0), c.componentCount());
            v = makeObjectValue(c.components()[std::size_t(integer(a, 0))]);
        })
        .get("ComponentCount", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<Component>(a).componentCount()); })
        .get("ComponentIndex", 0, [indexIn](Variant& v, TKSInterpreterArgs& a) { v = Variant(indexIn(self<Component>(a))); })
        .get("ComponentState", 0, [](Variant& v, TKSInterpreterArgs& a) {
            const Component& c = self<Component>(a);
            v = makeSetValue((c.isLoading() ? 1u : 0u) | (c.isDestroying() ? 8u : 0u));  // csLoading, csDestroying
        })
        .get("Owner", 0, [](Variant& v, TKSInterpreterArgs& a) { v = makeObjectValue(self<Component>(a).owner()); })
        .get("Name", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<Component>(a).name()); })
        .set("Name", [](Variant& v, TKSInterpreterArgs& a) { self<Component>(a).setName(v.toString()); })
        .get("Tag", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<Component>(a).tag()); })
        .set("Tag", [](Variant& v, TKSInterpreterArgs& a) { self<Component>(a).setTag(v.toInteger()); });
}

// --- Events and constants -----------------------------------------------------------------

// THelpEvent has no sender: (Command, Data, var CallHelp) and a Boolean result,
// which the host finds behind the three arguments.
void helpEvent(TKSInterpreterEvent& event, platform::Object*, platform::EventArgs& args)
{
    args.resize(std::max<std::size_t>(args.size(), 4));
    event.args.clearCall();
    event.args.push(Variant::fromSmallint(std::int16_t(args[0].toInteger())));
    event.args.push(Variant(args[1].toInteger()));
    event.args.push(Variant(args[2].toBool()));
    const Variant result = event.call();
    args[2] = Variant(event.args.values[2].toBool());
    args[3] = Variant(!result.isNull() && !result.isEmpty() && result.toBool());
}

void registerConstantsAndEvents(TKSInterpreterAdapter& r)
{
    ordinals(r, kUnit, {"taLeftJustify", "taRightJustify", "taCenter"});
    ordinals(r, kUnit, {"ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle", "ssDouble"});
    ordinals(r, kUnit, {"dupIgnore", "dupAccept", "dupError"});
    ordinals(r, kUnit, {"csLoading", "csReading", "csWriting", "csDestroying", "csDesigning", "csAncestor",
                        "csUpdating", "csFixups"});
    ordinals(r, kUnit, {"csInheritable", "csCheckPropAvail"});
    r.RegisterEventHandler(kUnit, "TNotifyEvent", &TKSInterpreterEvent::standardHandler);
    r.RegisterEventHandler(kUnit, "THelpEvent", helpEvent);
}

} // namespace

void registerClassesBindings(TKSInterpreterAdapter& registry)
{
    registerList(registry);
    registerPersistent(registry);
    registerStrings(registry);
    registerStreams(registry);
    registerComponent(registry);
    registerConstantsAndEvents(registry);
}
