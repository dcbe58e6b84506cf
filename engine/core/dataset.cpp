// TKSDataset and TKSUserDataset: the record counter, the count range and the
// events through which a host or script delivers records and fields.
#include "core/dataset.h"

using platform::ClassInfo;
using platform::EnumType;
using platform::Variant;

namespace {

const EnumType& rangeBeginEnum()
{
    static const EnumType t("TKSRangeBegin", {"ksrbFirst", "ksrbCurrent", "ksrbDefault"});
    return t;
}

const EnumType& rangeEndEnum()
{
    static const EnumType t("TKSRangeEnd", {"ksreLast", "ksreCurrent", "ksreCount", "ksreDefault"});
    return t;
}

} // namespace

const ClassInfo& TKSDataset::staticClassInfo()
{
    using D = TKSDataset;
    static const ClassInfo info = [] {
        auto b = ClassInfo::define<D>("TKSDataset", &TKSComponent::staticClassInfo()).noFactory();
        b.prop("DictionaryKey", &D::DictionaryKey)
            .enumeration("RangeBegin", rangeBeginEnum(), [](const D& d) { return int(d.RangeBegin); },
                         [](D& d, int v) { d.RangeBegin = std::uint8_t(v); })
            .enumeration("RangeEnd", rangeEndEnum(), [](const D& d) { return int(d.RangeEnd); },
                         [](D& d, int v) { d.RangeEnd = std::uint8_t(v); })
            .prop("RangeEndCount", [](const D& d) { return d.RangeEndCount; },
                  [](D& d, int v) { d.RangeEndCount = v; });
        return b;
    }();
    return info;
}

TKSDataset::TKSDataset(platform::Component* owner) : TKSComponent(owner)
{
    RangeBegin = ksrbFirst;
    RangeEnd = ksreLast;
    RangeEndCount = 0;
}

void TKSDataset::fire(const platform::MethodValue& handler)
{
    platform::EventArgs none;
    handler(this, none);
}

void TKSDataset::Init() { fire(OnInit); }

void TKSDataset::First()
{
    RecordNo = 0;
    fire(OnFirst);
}

void TKSDataset::Next()
{
    ++RecordNo;
    if (!(RangeEnd == ksreCount && RecordNo >= RangeEndCount))
        fire(OnNext);
}

void TKSDataset::Prior()
{
    --RecordNo;
    fire(OnPrior);
}

bool TKSDataset::Eof()
{
    bool eof = RangeEnd == ksreCount && RecordNo >= RangeEndCount;
    if (OnCheckEOF) {
        platform::EventArgs args{Variant(eof)};
        OnCheckEOF(this, args);
        eof = args.at(0).toBool();
    }
    return eof;
}

const ClassInfo& TKSUserDataset::staticClassInfo()
{
    using D = TKSUserDataset;
    static const ClassInfo info = ClassInfo::define<D>("TKSUserDataset", &TKSDataset::staticClassInfo())
                                      .event("OnInit", "TNotifyEvent", &D::OnInit)
                                      .event("OnFirst", "TNotifyEvent", &D::OnFirst)
                                      .event("OnNext", "TNotifyEvent", &D::OnNext)
                                      .event("OnPrior", "TNotifyEvent", &D::OnPrior)
                                      .event("OnCheckEOF", "TKSCheckEOFEvent", &D::OnCheckEOF)
                                      .event("OnGetFieldValue", "TKSGetFieldValueEvent", &D::OnGetFieldValue)
                                      .event("OnGetFieldsList", "TKSGetFieldsListEvent", &D::OnGetFieldsList);
    return info;
}

Variant TKSUserDataset::GetFieldValue(std::string_view field)
{
    platform::EventArgs args{Variant(std::string(field)), Variant()};
    OnGetFieldValue(this, args);
    return args.at(1);
}

std::vector<std::string> TKSUserDataset::GetFieldList()
{
    platform::EventArgs args{Variant()};
    OnGetFieldsList(this, args);
    std::vector<std::string> names;
    const Variant& list = args.at(0);
    if (list.isArray() && list.dimCount() == 1) {
        const int low = list.bounds(1).low;
        for (int i = 0; i < int(list.elementCount()); ++i) {
            const int index[] = {low + i};
            names.push_back(list.at(index).toString());
        }
    }
    return names;
}
