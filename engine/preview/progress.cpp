// TKSProgressForm: two centred lines and a cancel button; built in code, as
// it has no stored form.
#include "preview/progress.h"

#include "core/report.h"
#include "platform/uitexts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>

using platform::ClassInfo;

const ClassInfo& TKSProgressForm::staticClassInfo()
{
    static const ClassInfo info =
        ClassInfo::define<TKSProgressForm>("TKSProgressForm", &platform::Form::staticClassInfo());
    return info;
}

TKSProgressForm::TKSProgressForm(platform::Component* owner) : platform::Form(owner)
{
    platform::registerHostControls();
    setBorderStyle(platform::BorderStyle::Dialog);
    setBorderIcons(0);
    setPosition(platform::FormPosition::ScreenCenter);
    setClientWidth(288);
    setClientHeight(97);

    auto centredLabel = [this](const char* name, int top) {
        auto* label = new platform::Label(this);
        label->setName(name);
        label->setParent(this);
        label->setAutoSize(false);
        label->setBounds(8, top, 272, 13);
        if (auto* widget = qobject_cast<QLabel*>(label->widget()))
            widget->setAlignment(Qt::AlignCenter);
        return label;
    };
    Label1 = centredLabel("Label1", 12);
    Label2 = centredLabel("Label2", 32);
    Label1->setCaption({});
    Label2->setCaption({});

    btnCancel = new platform::Button(this);
    btnCancel->setName("btnCancel");
    btnCancel->setParent(this);
    btnCancel->setBounds(106, 60, 75, 25);
    const std::string cancel = platform::loadText(47001);
    btnCancel->setCaption(cancel.empty() ? std::string("Cancel") : cancel);
    btnCancel->onClick.code = [this](platform::Object*, platform::EventArgs&) { Cancel(); };
}

void TKSProgressForm::SetReport(TKSCustomReport* report)
{
    report_ = report;
    Label2->setCaption({});
}

void TKSProgressForm::Cancel()
{
    if (report_)
        report_->Terminated = true;
    setModalResult(platform::mrCancel);
}

void ProcessPendingMessages()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

bool CanShowWindows()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}
