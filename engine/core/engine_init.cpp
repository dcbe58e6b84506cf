// Engine initialisation: one global settings object, function and script
// registrations, and the hidden dialog parent window.
#include "core/engine_init.h"

#include "core/report.h"
#include "expr/stdfunctions.h"
#include "objects/memo.h"
#include "platform/controls.h"
#include "platform/qtext.h"
#include "script/bindings.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>

#include <memory>

using platform::ClassInfo;

namespace {

// Lives until the process ends: windows may still name it while the
// program's statics are torn down, so it is never destroyed.
TKSApplication*& applicationSlot()
{
    static TKSApplication* application = nullptr;
    return application;
}

platform::Form*& dialogFormSlot()
{
    static platform::Form* form = nullptr;
    return form;
}

// Runs while the widget application is being torn down, before its widgets go.
void freeDialogForm()
{
    delete dialogFormSlot();
    dialogFormSlot() = nullptr;
}

// The script vocabulary of the global registry (runs once).
void registerScriptBindings() { RegisterScriptBindings(); }

// Engine classes that stored forms create by name.
void registerEngineClasses()
{
    TKSReport::staticClassInfo();
    TKSPreviewOptions::staticClassInfo();
    TKSSaveReportOptions::staticClassInfo();
    // Text objects are created by type code when templates and prepared pages load.
    RegisterMemoView();
}

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
    qAddPostRoutine(freeDialogForm);
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
    TKSApplication*& slot = applicationSlot();
    if (!slot)
        slot = new TKSApplication();
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
        registerEngineClasses();
        registerScriptBindings();
        RegisterStdFunctionLibrary();
    }
    createDialogForm();
}
