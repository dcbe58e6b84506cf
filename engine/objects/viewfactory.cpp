// The object factory and its registries of text-object and add-in classes.
#include "objects/viewfactory.h"

#include "core/textutil.h"
#include "objects/band.h"
#include "objects/outline.h"
#include "objects/picture.h"
#include "objects/shape.h"
#include "objects/subreport.h"

#include <map>
#include <vector>

namespace {

std::map<int, TKSViewCreator>& typeCreators()
{
    static std::map<int, TKSViewCreator> creators;
    return creators;
}

std::vector<std::pair<std::string, TKSViewCreator>>& addIns()
{
    static std::vector<std::pair<std::string, TKSViewCreator>> classes;
    return classes;
}

// Band type of a band object type code (50..66); -1 otherwise.
int bandTypeOfCode(int code)
{
    for (int type = ksbtReportTitle; type < ksbtNone; ++type)
        if (BandObjectType(type) == code)
            return type;
    return -1;
}

// A registered creator of a text-object class, or its class by name in the reflection registry.
std::unique_ptr<TKSView> createRegistered(int type, const char* className)
{
    if (auto it = typeCreators().find(type); it != typeCreators().end() && it->second)
        return it->second();
    if (const platform::ClassInfo* info = platform::findClass(className); info && info->canCreate()) {
        std::unique_ptr<platform::Object> object = info->create();
        if (auto* view = dynamic_cast<TKSView*>(object.get())) {
            (void)object.release();
            return std::unique_ptr<TKSView>(view);
        }
    }
    return nullptr;
}

} // namespace

void RegisterViewType(int objectType, TKSViewCreator create) { typeCreators()[objectType] = std::move(create); }

void RegisterAddInObject(std::string className, TKSViewCreator create)
{
    for (auto& [name, creator] : addIns())
        if (namesEqual(name, className)) {
            creator = std::move(create);
            return;
        }
    addIns().emplace_back(std::move(className), std::move(create));
}

std::unique_ptr<TKSView> CreateView(int objectType, std::string_view className)
{
    switch (objectType) {
    case ksgtMemo: return createRegistered(ksgtMemo, "TKSMemoView");
    case ksgtCalcMemo: return createRegistered(ksgtCalcMemo, "TKSCalcMemoView");
    case ksgtPicture: return std::make_unique<TKSPictureView>();
    case ksgtSubReport: return std::make_unique<TKSSubReportView>();
    case gtShape: return std::make_unique<TKSShapeView>();
    case ksgtOutline: return std::make_unique<TKSOutlineView>();
    case ksgtAddIn:
        for (auto& [name, creator] : addIns())
            if (namesEqual(name, className))
                return creator();
        throw EKSClassNotFound(std::string(className) + "\r");
    default:
        break;
    }
    if (int bandType = bandTypeOfCode(objectType); bandType >= 0)
        return CreateBand(bandType);
    return nullptr;
}
