// TKSView, TKSFrameLine, TKSHighlight: construction, published properties,
// named values for the script, pixel geometry, pages and automatic names.
#include "objects/view.h"

#include "core/textutil.h"
#include "core/units.h"
#include "objects/custompage.h"

#include <charconv>

using platform::ClassInfo;
using platform::Variant;

const platform::EnumType& brushStyleType()
{
    static const platform::EnumType t("TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical",
                                                      "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"});
    return t;
}

const platform::EnumType& penStyleType()
{
    static const platform::EnumType t("TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot",
                                                    "psClear", "psInsideFrame"});
    return t;
}

const platform::EnumType& bandAlignType()
{
    static const platform::EnumType t("TKSBandAlign",
                                      {"ksbaNone", "ksbaLeft", "ksbaRight", "ksbaBottom", "ksbaTop", "ksbaCenter"});
    return t;
}

// --- TKSFrameLine ------------------------------------------------------------

const ClassInfo& TKSFrameLine::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TKSFrameLine>("TKSFrameLine", &platform::Persistent::staticClassInfo())
        .prop("Visible", &TKSFrameLine::Visible)
        .enumeration("Style", penStyleType(), &TKSFrameLine::Style)
        .prop("Color", [](const TKSFrameLine& f) { return static_cast<int>(f.Color); },
              [](TKSFrameLine& f, int c) { f.Color = c; }).type("TColor")
        .prop("Width", &TKSFrameLine::Width, &TKSFrameLine::SetWidth)
        .prop("DoubleFrame", &TKSFrameLine::DoubleFrame);
    return info;
}

double TKSFrameLine::Width() const { return View ? View->ToPublished(mmWidth) : fromMMThousandths(mmWidth, ksutScreenPixels); }

void TKSFrameLine::SetWidth(double value)
{
    mmWidth = View ? View->FromPublished(value) : toMMThousandths(value, ksutScreenPixels);
}

void TKSFrameLine::assign(const platform::Persistent& source)
{
    auto* other = dynamic_cast<const TKSFrameLine*>(&source);
    if (!other)
        return platform::Persistent::assign(source);
    Visible = other->Visible;
    Style = other->Style;
    Color = other->Color;
    mmWidth = other->mmWidth;
    DoubleFrame = other->DoubleFrame;
}

// --- TKSHighlight ------------------------------------------------------------

const ClassInfo& TKSHighlight::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TKSHighlight>("TKSHighlight", &platform::Persistent::staticClassInfo())
        .prop("Color", [](const TKSHighlight& h) { return static_cast<int>(h.Color); },
              [](TKSHighlight& h, int c) { h.Color = c; }).type("TColor")
        .prop("Condition", &TKSHighlight::Condition);
    return info;
}

TKSHighlight::TKSHighlight()
{
    Font.setColor(platform::clBlack);
    Font.setStyle(platform::fsBold);
}

void TKSHighlight::assign(const platform::Persistent& source)
{
    auto* other = dynamic_cast<const TKSHighlight*>(&source);
    if (!other)
        return platform::Persistent::assign(source);
    Font.assign(other->Font);
    Color = other->Color;
}

// --- TKSView -------------------------------------------------------------------

const ClassInfo& TKSView::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TKSView>("TKSView", &TKSCustomView::staticClassInfo())
        .object("Memo", platform::Strings::staticClassInfo(),
                [](const TKSView& v) -> platform::Object* { return const_cast<TKSView&>(v).MemoObject(); },
                [](TKSView& v, platform::Object* lines) {
                    v.SetMemoObject(dynamic_cast<const platform::Strings*>(lines));
                })
        .prop("Restrictions", [](const TKSView& v) { return static_cast<int>(v.Restrictions); },
              [](TKSView& v, int r) { v.Restrictions = static_cast<std::uint8_t>(r); }).type("TKSRestrictions");
    return info;
}

TKSView::TKSView() = default;
TKSView::~TKSView() = default;

TKSFrameLine& TKSView::Frame(int side)
{
    switch (side) {
    case 0: return LeftFrame;
    case 1: return TopFrame;
    case 2: return RightFrame;
    default: return BottomFrame;
    }
}

void TKSView::SetName(std::string name)
{
    TKSCustomView::SetName(std::move(name));
    NotifyChanged();
}

// Without a report a view counts as running: it is being drawn or placed by a caller.
int TKSView::DocMode() const { return ParentReport ? ParentReport->DocMode() : ksdmPreviewing; }

namespace {

std::string joinedWithoutLastBreak(const std::vector<std::string>& lines)
{
    std::string text = joinLines(lines);
    if (text.size() >= 2)
        text.resize(text.size() - 2);
    return text;
}

int pixels(int mm) { return toScreenPixels(mm, ksutMMThousandths); }
int fromPixels(int px) { return toMMThousandths(px, ksutScreenPixels); }

} // namespace

int TKSView::spLeft() const { return pixels(mmLeft); }
int TKSView::spTop() const { return pixels(mmTop); }
int TKSView::spWidth() const { return pixels(mmWidth); }
int TKSView::spHeight() const { return pixels(mmHeight); }
void TKSView::SetspLeft(int px) { mmLeft = fromPixels(px); }
void TKSView::SetspTop(int px) { mmTop = fromPixels(px); }
void TKSView::SetspWidth(int px) { mmWidth = fromPixels(px); }
void TKSView::SetspHeight(int px) { mmHeight = fromPixels(px); }

double TKSView::ToPublished(int mm) const
{
    TKSUnitType unit = ParentReport && Designing() ? designUnit() : ksutScreenPixels;
    return fromMMThousandths(mm, unit);
}

int TKSView::FromPublished(double value) const
{
    TKSUnitType unit = ParentReport && Designing() ? designUnit() : ksutScreenPixels;
    return toMMThousandths(value, unit);
}

namespace {
bool refused(const TKSView& v, std::uint8_t restriction)
{
    return v.ParentReport && v.ParentReport->DesignerOn() && (v.Restrictions & (ksrtDontModify | restriction));
}
} // namespace

double TKSView::Left() const { return ToPublished(mmLeft); }
double TKSView::Top() const { return ToPublished(mmTop); }
double TKSView::Width() const { return ToPublished(mmWidth); }
double TKSView::Height() const { return ToPublished(mmHeight); }
double TKSView::GapLeft() const { return ToPublished(mmGapLeft); }
double TKSView::GapTop() const { return ToPublished(mmGapTop); }
void TKSView::SetGapLeft(double value) { mmGapLeft = FromPublished(value); }
void TKSView::SetGapTop(double value) { mmGapTop = FromPublished(value); }

void TKSView::SetLeft(double value)
{
    if (!refused(*this, ksrtDontMove))
        mmLeft = FromPublished(value);
}

void TKSView::SetTop(double value)
{
    if (!refused(*this, ksrtDontMove))
        mmTop = FromPublished(value);
}

void TKSView::SetWidth(double value)
{
    if (!refused(*this, ksrtDontSize))
        mmWidth = FromPublished(value);
}

void TKSView::SetHeight(double value)
{
    if (!refused(*this, ksrtDontSize))
        mmHeight = FromPublished(value);
}

Variant TKSView::ViewValue() const
{
    if (Memo1.empty())
        return IsTextValue ? Variant(std::string()) : Variant(0);
    std::string line = Memo1.front();
    std::erase(line, '\x01');
    if (!IsTextValue && line.empty())
        return Variant(0);
    return Variant(std::move(line));
}

bool TKSView::GetPropValue(std::string_view name, const TKSPropArgs& args, Variant& value)
{
    if (name == "MEMO") {
        value = joinedWithoutLastBreak(Memo);
    } else if (name == "MEMO1") {
        value = joinedWithoutLastBreak(Memo1);
    } else if (name == "ASSTRING" || name == "TEXT") {
        value = joinedWithoutLastBreak(Memo1);
    } else if (name == "VALUE" || name == "CALCVALUE") {
        value = ViewValue();
    } else if (name == "ASFLOAT" || name == "ASNUMBER" || name == "ASDATE" || name == "ASTIME" || name == "ASDATETIME") {
        value = ViewValue().toDouble();
    } else if (name == "ASINTEGER") {
        value = ViewValue().toInteger();
    } else if (name == "ASBOOLEAN") {
        value = ViewValue().toBool();
    } else if (name == "SPLEFT" || name == "SPTOP" || name == "SPWIDTH" || name == "SPHEIGHT") {
        value = name == "SPLEFT" ? spLeft() : name == "SPTOP" ? spTop() : name == "SPWIDTH" ? spWidth() : spHeight();
    } else if (name == "SETSPBOUNDS") {
        void (TKSView::*setters[])(int) = {&TKSView::SetspLeft, &TKSView::SetspTop, &TKSView::SetspWidth,
                                           &TKSView::SetspHeight};
        for (std::size_t i = 0; i < args.size() && i < 4; ++i)
            (this->*setters[i])(args[i].toInteger());
        value = Variant();
    } else if (name == "SETFRAMEVISIBLE") {
        bool on = !args.empty() && args[0].toBool();
        for (int side = 0; side < 4; ++side)
            Frame(side).Visible = on;
        value = Variant();
    } else {
        return TKSCustomView::GetPropValue(name, args, value);
    }
    return true;
}

bool TKSView::SetPropValue(std::string_view name, const Variant& value)
{
    if (name == "MEMO" || name == "ASSTRING" || name == "TEXT" || name == "ASFLOAT" || name == "ASNUMBER"
        || name == "ASDATE" || name == "ASTIME" || name == "ASDATETIME" || name == "ASINTEGER" || name == "ASBOOLEAN") {
        Memo = splitLines(value.toString());
    } else if (name == "MEMO1") {
        Memo1 = splitLines(value.toString());
    } else if (name == "SPLEFT") {
        SetspLeft(value.toInteger());
    } else if (name == "SPTOP") {
        SetspTop(value.toInteger());
    } else if (name == "SPWIDTH") {
        SetspWidth(value.toInteger());
    } else if (name == "SPHEIGHT") {
        SetspHeight(value.toInteger());
    } else {
        return TKSCustomView::SetPropValue(name, value);
    }
    return true;
}

platform::Object* TKSView::GetPropObject(std::string_view name)
{
    if (name == "PARENTPAGE")
        return ParentPage;
    return TKSCustomView::GetPropObject(name);
}

void TKSView::SetParentPage(TKSCustomPage* page)
{
    if (page == ParentPage)
        return;
    // A view on no page is adopted: its creator hands over ownership with this call.
    std::unique_ptr<TKSView> self = ParentPage ? ParentPage->RemoveObject(this) : std::unique_ptr<TKSView>(this);
    if (!page) {
        (void)self.release();  // detached: the caller owns it again
        return;
    }
    page->AddObject(std::move(self));
    ParentReport = page->ParentReport;
    if (AutoName && !PreparedForm)
        SetAutoName();
}

void TKSView::SetAutoName()
{
    auto taken = [this](const std::string& name) {
        if (ParentReport)
            return ParentReport->FindObject(name) != nullptr;
        return ParentPage && ParentPage->FindObject(name) != nullptr;
    };
    for (int n = 1;; ++n) {
        std::string name = BaseName + std::to_string(n);
        if (!taken(name)) {
            TKSCustomView::SetName(std::move(name));
            break;
        }
    }
    NotifyChanged();
}

void TKSView::AssignView(TKSView& source)
{
    ObjectType = source.ObjectType;
    source.PreparedForm = false;
    PreparedForm = false;
    platform::MemoryStream buffer;
    source.SaveToStream(buffer);
    buffer.seek(0);
    LoadFromStream(buffer);
    SetName(source.Name());
}

QRegion TKSView::GetClipRgn(bool) const { return QRegion(spLeft(), spTop(), spWidth(), spHeight()); }

double TKSView::FramePixels(int side) const
{
    return fromMMThousandths(const_cast<TKSView*>(this)->Frame(side).mmWidth, ksutScreenPixels);
}

int TKSView::FrameInset(int side) const
{
    const TKSFrameLine& f = const_cast<TKSView*>(this)->Frame(side);
    if (!f.Visible)
        return 0;
    double w = FramePixels(side);
    int inset = roundHalfEven(w / 2);
    if (f.DoubleFrame)
        inset += roundHalfEven(2 * w);
    return inset;
}
