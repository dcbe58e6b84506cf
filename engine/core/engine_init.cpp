// Engine initialisation: one global settings object, function and script
// registrations, and the hidden dialog parent window.
#include "core/engine_init.h"

#include "expr/stdfunctions.h"
#include "platform/controls.h"
#include "platform/qtext.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>

#include <memory>

using platform::ClassInfo;

namespace {

std::unique_ptr<TKSApplication>& applicationSlot()
{
    static std::unique_ptr<TKSApplication> application;
    return application;
}

// Owned here; a window closed by someone else clears the pointer itself.
platform::Form*& dialogFormSlot()
{
    static platform::Form* form = nullptr;
    return form;
}

// The place where the interpreter's host bindings are registered once they exist.
void registerScriptBindings() {}

void createDialogForm()
{
    if (dialogFormSlot() || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    platform::registerHostControls();
    auto* form = new platform::Form();
    form->setName("KSDialogForm");
    form->setBorderStyle(platform::BorderStyle::None);
    form->setBounds(-1000, -1000, 1, 1);
    dialogFormSlot() = form;
}

} // namespace

const ClassInfo& TKSApplication::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TKSApplication>("TKSApplication", &Component::staticClassInfo())
        .prop("KSExtendFormPath", &TKSApplication::KSExtendFormPath)
        .prop("KSLocalizedPropertyNames", &TKSApplication::KSLocalizedPropertyNames).byDefault(false);
    return info;
}

TKSApplication::TKSApplication() : KSExtendFormPath(ApplicationPath()) {}

std::string ApplicationPath()
{
    QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return platform::fromQString(QDir::toNativeSeparators(dir)) + "\\";
}

TKSApplication& KSApplication()
{
    auto& slot = applicationSlot();
    if (!slot)
        slot = std::make_unique<TKSApplication>();
    return *slot;
}

platform::Form* KSDialogForm()
{
    createDialogForm();
    return dialogFormSlot();
}

void InitTabellomatics()
{
    static bool done = false;
    if (!done) {
        done = true;
        KSApplication();
        registerScriptBindings();
        RegisterStdFunctionLibrary();
    }
    createDialogForm();
}
