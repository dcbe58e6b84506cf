// TKSReport: the events the prepared-page list raises (a page begins) and the
// script bindings of objects loaded from prepared pages.
#include "core/report.h"

#include "objects/view.h"
#include "script/fm.h"

void TKSReport::FireBeginPage(TKSCustomPage* templatePage)
{
    platform::EventArgs args{platform::Variant(PreparedPageNo)};
    fire(OnBeginPage, args);
    if (templatePage && templatePage->OnBeginPage) {
        platform::EventArgs pageArgs{platform::Variant(PreparedPageNo)};
        templatePage->OnBeginPage(templatePage, pageArgs);
    }
}

platform::MethodValue TKSReport::ScriptHandler(const std::string& routine)
{
    TKSInterpreterFm& script = *interpreter_;
    if (!script.findRoutine("Report", routine) && !script.findRoutine({}, routine))
        return {};
    platform::MethodValue method;
    method.name = routine;
    method.code = [&script, routine](platform::Object*, platform::EventArgs& args) { script.callRoutine(routine, args); };
    return method;
}

// Preview click handlers of prepared objects name routines of the script
// compiled for the report (or read with a prepared-report file).
void TKSReport::BindPreparedPageEvents(TKSCustomPage& page)
{
    for (TKSView* view : page.Objects())
        view->BindEvents([this](const std::string& routine) { return ScriptHandler(routine); });
}
