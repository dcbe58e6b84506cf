// The engine's own bindings: report classes by name, geometry in screen
// pixels, text and picture members, page lookup, page events and constants.
#include "script/bind_util.h"
#include "script/bindings.h"

#include "core/dataset.h"
#include "core/report.h"
#include "core/reportpage.h"
#include "objects/band.h"
#include "objects/custompage.h"
#include "objects/memo.h"
#include "objects/picture.h"
#include "objects/shape.h"
#include "objects/subreport.h"
#include "platform/gbk.h"
#include "platform/reflection_strings.h"
#include "script/event.h"

#include <cmath>
#include <filesystem>
#include <stdexcept>

namespace {

using namespace bind;

void registerClasses(TKSInterpreterAdapter& r)
{
    for (const platform::ClassInfo* c :
         {&TKSView::staticClassInfo(), &TKSMemoView::staticClassInfo(), &TKSReportView::staticClassInfo(),
          &TKSStretcheableView::staticClassInfo(), &TKSPictureView::staticClassInfo(),
          &TKSShapeView::staticClassInfo(), &TKSSubReportView::staticClassInfo(),
          &TKSCustomBandView::staticClassInfo(), &TKSBand::staticClassInfo(),
          &TKSBandReportTitle::staticClassInfo(), &TKSBandReportSummary::staticClassInfo(),
          &TKSBandPageHeader::staticClassInfo(), &TKSBandPageFooter::staticClassInfo(),
          &TKSBandColumnHeader::staticClassInfo(), &TKSBandColumnFooter::staticClassInfo(),
          &TKSBandHeader::staticClassInfo(), &TKSBandFooter::staticClassInfo(),
          &TKSBandMasterData::staticClassInfo(), &TKSBandDetailData::staticClassInfo(),
          &TKSBandGroupHeader::staticClassInfo(), &TKSBandGroupFooter::staticClassInfo(),
          &TKSBandOverlay::staticClassInfo(), &TKSBandCrossHeader::staticClassInfo(),
          &TKSBandCrossData::staticClassInfo(), &TKSBandCrossFooter::staticClassInfo(),
          &TKSCustomPage::staticClassInfo(), &TKSReportPage::staticClassInfo(),
          &TKSDialogPage::staticClassInfo(), &TKSReport::staticClassInfo()})
        r.RegisterHostClass("KS_Class", c);
    r.RegisterHostClass("KS_DataSet", &TKSDataset::staticClassInfo());
}

// Record navigation of a band's data source and of datasets.
void registerData(TKSInterpreterAdapter& r)
{
    using Move = void (TKSBandDataset::*)();
    struct Step {
        const char* name;
        Move move;
    };
    const Step steps[] = {{"Next", &TKSBandDataset::Next}, {"Prior", &TKSBandDataset::Prior},
                          {"First", &TKSBandDataset::First}};
    ClassBinder band(r, TKSBand::staticClassInfo());
    for (const Step& step : steps)
        band.get(step.name, 0, [move = step.move](Variant&, TKSInterpreterArgs& a) {
            if (TKSBandDataset* data = self<TKSBand>(a).Dataset)
                (data->*move)();
        });
    band.indexedGet("Objects", 1, [](Variant& v, TKSInterpreterArgs& a) {
        const auto& objects = self<TKSBand>(a).BandObjects;
        const int i = integer(a, 0);
        if (i < 0 || i >= static_cast<int>(objects.size()))
            throw std::out_of_range("List index out of bounds (" + std::to_string(i) + ")");
        v = makeObjectValue(objects[static_cast<std::size_t>(i)]);
    });

    ClassBinder data(r, TKSDataset::staticClassInfo());
    for (const Step& step : steps)
        data.get(step.name, 0, [move = step.move](Variant&, TKSInterpreterArgs& a) {
            TKSBandDataset& d = self<TKSDataset>(a);
            (d.*move)();
        });
    data.get("Last", 0, [](Variant&, TKSInterpreterArgs& a) { self<TKSDataset>(a).Last(); })
        .get("Eof", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<TKSDataset>(a).Eof()); })
        .get("Active", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<TKSDataset>(a).Active()); })
        .get("RecordNo", 0, [](Variant& v, TKSInterpreterArgs& a) { v = Variant(self<TKSDataset>(a).RecordNo); })
        .get("FieldValue", 1,
             [](Variant& v, TKSInterpreterArgs& a) { v = self<TKSDataset>(a).GetFieldValue(text(a, 0)); })
        // The datasets of this engine deliver values, never binary fields.
        .get("IsBlobField", 1, [](Variant& v, TKSInterpreterArgs&) { v = Variant(false); })
        // A field the dataset leaves unassigned has no value either.
        .get("FieldIsNull", 1, [](Variant& v, TKSInterpreterArgs& a) {
            const Variant value = self<TKSDataset>(a).GetFieldValue(text(a, 0));
            v = Variant(value.isNull() || value.isEmpty());
        });
}

// A page's background picture from a file, sized as the graphic asks; paper changes.
void registerPages(TKSInterpreterAdapter& r)
{
    ClassBinder(r, TKSReportPage::staticClassInfo())
        .get("LoadFromFile", 1, [](Variant&, TKSInterpreterArgs& a) {
            TKSReportPage& page = self<TKSReportPage>(a);
            const std::string path = text(a, 0);
            std::error_code error;
            page.BackPicture.reset();
            if (path.empty() || !std::filesystem::is_regular_file(platform::gbkToUtf8(path), error))
                return;
            std::shared_ptr<platform::Graphic> picture = platform::Graphic::fromFile(path);
            page.BackPictureWidth = static_cast<int>(std::lround(picture->width() * 96.0 / picture->dotsPerInchX()));
            page.BackPictureHeight =
                static_cast<int>(std::lround(picture->height() * 96.0 / picture->dotsPerInchY()));
            page.BackPicture = std::move(picture);
        })
        .get("ChangePaper", 5, [](Variant&, TKSInterpreterArgs& a) {
            // Arguments: size code, width, orientation, bin, height.
            self<TKSReportPage>(a).ChangePaper(integer(a, 0), integer(a, 1), integer(a, 4), integer(a, 3),
                                               integer(a, 2) == kspoLandscape ? kspoLandscape : kspoPortrait);
        });
}

void registerMembers(TKSInterpreterAdapter& r)
{
    using Get = int (TKSView::*)() const;
    using Set = void (TKSView::*)(int);
    struct Geometry {
        const char* name;
        Get get;
        Set set;
    };
    ClassBinder view(r, TKSView::staticClassInfo());
    for (const Geometry& g : {Geometry{"spLeft", &TKSView::spLeft, &TKSView::SetspLeft},
                              Geometry{"spTop", &TKSView::spTop, &TKSView::SetspTop},
                              Geometry{"spWidth", &TKSView::spWidth, &TKSView::SetspWidth},
                              Geometry{"spHeight", &TKSView::spHeight, &TKSView::SetspHeight}}) {
        view.get(g.name, 0, [get = g.get](Variant& v, TKSInterpreterArgs& a) { v = Variant((self<TKSView>(a).*get)()); });
        view.set(g.name, [set = g.set](Variant& v, TKSInterpreterArgs& a) { (self<TKSView>(a).*set)(v.toInteger()); });
    }

    ClassBinder(r, TKSMemoView::staticClassInfo()).get("Create", 0, [](Variant& v, TKSInterpreterArgs&) {
        v = makeObjectValue(new TKSMemoView);
    });
    ClassBinder(r, TKSPictureView::staticClassInfo())
        .get("LoadFromFile", 1, [](Variant&, TKSInterpreterArgs& a) {
            TKSPictureView& picture = self<TKSPictureView>(a);
            const std::string path = text(a, 0);
            std::error_code error;
            if (!path.empty() && std::filesystem::is_regular_file(platform::gbkToUtf8(path), error))
                picture.Picture = platform::Graphic::fromFile(path);
            else
                picture.Picture.reset();
        })
        .get("Assign", 1, [](Variant&, TKSInterpreterArgs& a) {
            TKSPictureView& target = self<TKSPictureView>(a);
            const TKSPictureView* source = objectArg<TKSPictureView>(a, 0);
            if (source == &target)
                return;
            if (!source->Picture) {
                target.Picture.reset();
                return;
            }
            auto copy = std::make_unique<platform::Graphic>(source->Picture->kind());
            copy->loadFromBytes(source->Picture->bytes());
            target.Picture = std::move(copy);
        });
    ClassBinder(r, TKSCustomPage::staticClassInfo()).get("FindObject", 1, [](Variant& v, TKSInterpreterArgs& a) {
        v = makeObjectValue(self<TKSCustomPage>(a).FindObject(text(a, 0)));
    });
}

// Page events carry only the page number; preview clicks carry a shift set.
void pageNumberEvent(TKSInterpreterEvent& event, platform::Object*, platform::EventArgs& args)
{
    event.args.clearCall();
    event.args.push(Variant(args.empty() ? 0 : args[0].toInteger()));
    event.call();
}

void previewClickEvent(TKSInterpreterEvent& event, platform::Object* sender, platform::EventArgs& args)
{
    args.resize(std::max<std::size_t>(args.size(), 3));
    event.args.clearCall();
    event.args.push(makeObjectValue(sender));
    event.args.push(Variant(args[0].toInteger()));
    event.args.push(makeSetValue(uint32_t(args[1].toInteger())));
    event.args.push(Variant(args[2].toBool()));
    event.call();
    args[2] = Variant(event.args.values[3].toBool());
}

void registerConstants(TKSInterpreterAdapter& r)
{
    constexpr const char* unit = "KS_Class";
    constants(r, unit,
              {{"clWhite", 0xFFFFFF}, {"clBlack", 0},        {"clMaroon", 0x80},     {"clGreen", 0x8000},
               {"clOlive", 0x8080},   {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000},
               {"clGray", 0x808080},  {"clSilver", 0xC0C0C0}, {"clRed", 0xFF},       {"clLime", 0xFF00},
               {"clYellow", 0xFFFF},  {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
               {"clTransparent", 0x1FFFFFFF}});
    int systemIndex = 0;
    for (const char* name : {"clScrollBar", "clBackground", "clActiveCaption", "clInactiveCaption", "clMenu",
                             "clWindow", "clWindowFrame", "clMenuText", "clWindowText", "clCaptionText",
                             "clActiveBorder", "clInactiveBorder", "clAppWorkSpace", "clHighlight", "clHighlightText",
                             "clBtnFace", "clBtnShadow", "clGrayText", "clBtnText", "clInactiveCaptionText",
                             "clBtnHighlight", "cl3DDkShadow", "cl3DLight", "clInfoText", "clInfoBk"})
        r.RegisterConstant(unit, name, Variant(int(0xFF000000u | unsigned(systemIndex++))));
    constants(r, unit, {{"clNone", 0x1FFFFFFF}});
    constants(r, unit, {{"ksgtMemo", 0}, {"ksgtPicture", 1}, {"ksgtCalcMemo", 4}, {"ksgtBand", 5}, {"gtShape", 6},
                        {"ksgtAddIn", 100}});
    ordinals(r, unit, {"kspoPortrait", "kspoLandscape"});
    constants(r, unit, {{"ksvTop", 0}, {"ksvBottom", 2}, {"ksvCenter", 1}, {"kshLeft", 0}, {"kshCenter", 1},
                        {"kshRight", 2}, {"kshTop", 3}});
    ordinals(r, unit, {"ksdmDesigning", "ksdmPrinting", "ksdmPreviewing"});
    ordinals(r, unit, {"ksdmAll", "ksdmAfterCalcHeight", "ksdmPart"});
    ordinals(r, unit, {"ksppAll", "ksppOdd", "ksppEven"});
    ordinals(r, unit, {"kscdTopBottomLeftRight", "kscdLeftRightTopBottom"});
    ordinals(r, unit, {"ksdcSum", "ksdcCount", "ksdcAvg", "ksdcMax", "ksdcMin", "ksdcUser"});
    ordinals(r, unit, {"ksrtNone", "ksrt90", "ksrt180", "ksrt270", "ksrt360"});
    ordinals(r, unit, {"ksstNone", "ksstByWidth", "ksstByHeight"});
    ordinals(r, unit, {"ksReportPerReport", "ksPagePerPage"});
    ordinals(r, unit, {"ksbaNone", "ksbaLeft", "ksbaRight", "ksbaBottom", "ksbaTop", "ksbaCenter"});
    ordinals(r, unit, {"kssmAlways", "kssmNever", "kssmWhenOverlapped"});
    ordinals(r, unit, {"ksstFixed", "ksstChild"});
    ordinals(r, unit, {"ksskRectangle", "ksskRoundRectangle", "ksskEllipse", "ksskTriangle", "ksskDiagonal1",
                       "ksskDiagonal2", "ksskSquare", "ksskRoundSquare", "ksskCircle", "ksHorLine", "ksRightAndLeft",
                       "ksTopAndBottom", "ksVertLine"});
    ordinals(r, "KS_Common", {"ksutScreenPixels", "ksutInches", "ksutMillimeters", "ksutMMThousandths"});
    ordinals(r, unit, {"ksptMetafile", "ksptBitmap"});
    ordinals(r, unit, {"kspsPicture", "kspsFileName"});
    ordinals(r, unit, {"ksbtReportTitle", "ksbtReportSummary", "ksbtPageHeader", "ksbtPageFooter", "ksbtHeader",
                       "ksbtFooter", "ksbtMasterData", "ksbtDetailData", "ksbtOverlay", "ksbtColumnHeader",
                       "ksbtColumnFooter", "ksbtGroupHeader", "ksbtGroupFooter", "ksbtCrossHeader", "ksbtCrossData",
                       "ksbtCrossFooter", "ksbtChild", "ksbtNone"});
    ordinals(r, "KS_DataSet", {"ksrbFirst", "ksrbCurrent"});
    ordinals(r, "KS_DataSet", {"ksreLast", "ksreCurrent", "ksreCount"});
}

} // namespace

void registerEngineBindings(TKSInterpreterAdapter& registry)
{
    registerClasses(registry);
    registerMembers(registry);
    registerData(registry);
    registerPages(registry);
    registry.RegisterEventHandler("KS_Class", "TKSBeginPageEvent", pageNumberEvent);
    registry.RegisterEventHandler("KS_Class", "TKSEndPageEvent", pageNumberEvent);
    registry.RegisterEventHandler("KS_Class", "TKSPreviewClickEvent", previewClickEvent);
    registerConstants(registry);
}
