// TForm2: reads the about box from its stored form data and shows the emblem.
#include "aboutform.h"

#include "artwork.h"
#include "formdata.h"

using platform::ClassInfo;

const ClassInfo& TForm2::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<TForm2>("TForm2", &Form::staticClassInfo()).noFactory();
    return info;
}

TForm2::TForm2(platform::Component* owner) : Form(owner)
{
    platform::registerHostControls();
    platform::readForm(EmbeddedFormText("form2.dfm"), *this);
    Image1 = RequireComponent<platform::Image>(*this, "Image1");
    GroupBox1 = RequireComponent<platform::GroupBox>(*this, "GroupBox1");
    Label1 = RequireComponent<platform::Label>(*this, "Label1");
    Label2 = RequireComponent<platform::Label>(*this, "Label2");
    Label3 = RequireComponent<platform::Label>(*this, "Label3");

    platform::Picture emblem;
    emblem.setData(EmblemJpeg());
    Image1->setPicture(&emblem);
}
