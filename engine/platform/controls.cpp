// Host controls: registration of the control classes and their named constants.
#include "platform/controls.h"

#include "platform/formtext.h"

#include <mutex>

namespace platform {

void registerHostControls()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (const ClassInfo* info : {&Control::staticClassInfo(), &WinControl::staticClassInfo(),
                                      &Form::staticClassInfo(), &Edit::staticClassInfo(), &Label::staticClassInfo(),
                                      &GroupBox::staticClassInfo(), &Button::staticClassInfo(),
                                      &BitBtn::staticClassInfo(), &Image::staticClassInfo(),
                                      &CheckBox::staticClassInfo(), &ComboBox::staticClassInfo(),
                                      &Memo::staticClassInfo(), &Picture::staticClassInfo(),
                                      &FontObject::staticClassInfo(), &Strings::staticClassInfo(),
                                      &StringList::staticClassInfo()})
            (void)info;
        registerIntegerConstants("TModalResult", {{"mrNone", mrNone}, {"mrOk", mrOk}, {"mrCancel", mrCancel},
                                                  {"mrAbort", mrAbort}, {"mrRetry", mrRetry}, {"mrIgnore", mrIgnore},
                                                  {"mrYes", mrYes}, {"mrNo", mrNo}, {"mrAll", mrAll},
                                                  {"mrNoToAll", mrNoToAll}, {"mrYesToAll", mrYesToAll}});
    });
}

} // namespace platform
