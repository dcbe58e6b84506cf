// TKSReport: the datasets its bands see: named components of the report's
// owner or of an open window, its own master dataset, and record counts.
#include "core/dataset.h"
#include "core/report.h"
#include "platform/component.h"

namespace {

// "Form1.Table1.Sub": the window named before the first dot, then each further
// part among the previous one's components.
platform::Component* findDotted(std::string_view name)
{
    std::size_t dot = name.find('.');
    platform::Component* found = platform::screen::find(name.substr(0, dot));
    while (found && dot != std::string_view::npos) {
        const std::size_t next = name.find('.', dot + 1);
        found = found->findComponent(name.substr(dot + 1, next == std::string_view::npos ? next : next - dot - 1));
        dot = next;
    }
    return found;
}

} // namespace

TKSBandDataset* TKSReport::FindDataset(std::string_view name) const
{
    if (name.empty())
        return nullptr;
    platform::Component* found = nullptr;
    if (name.find('.') != std::string_view::npos)
        found = findDotted(name);
    else if (owner())
        found = owner()->findComponent(name);
    return dynamic_cast<TKSDataset*>(found);
}

TKSBandDataset* TKSReport::ReportDataset() const { return dynamic_cast<TKSDataset*>(Dataset); }

std::unique_ptr<TKSBandDataset> TKSReport::CreateCountDataset()
{
    auto dataset = std::make_unique<TKSUserDataset>();
    dataset->RangeEnd = ksreCount;
    return dataset;
}
