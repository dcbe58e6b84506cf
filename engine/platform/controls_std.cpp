// Host controls: the standard controls over their Qt widgets.
#include "platform/controls_std.h"

#include "platform/controls_form.h"
#include "platform/qtext.h"

#include <QBitmap>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace platform {

namespace {

const EnumType kComboStyleType("TComboBoxStyle", {"csDropDown", "csSimple", "csDropDownList"});

// A left-button release inside the widget: a click.
bool isClick(QEvent* event, const QWidget* widget)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    return mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint());
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += '\n';
        text += lines[i];
    }
    return text;
}

} // namespace

// --- Edit ------------------------------------------------------------------

const ClassInfo& Edit::staticClassInfo()
{
    static const ClassInfo info = withTabProperties(ClassInfo::define<Edit>("TEdit", &WinControl::staticClassInfo()))
        .prop("Color", &Edit::color, &Edit::setColor).type("TColor").byDefault(clWindow)
        .prop("MaxLength", &Edit::maxLength, &Edit::setMaxLength).byDefault(0)
        .prop("ReadOnly", &Edit::readOnly, &Edit::setReadOnly).byDefault(false)
        .prop("Text", &Edit::text, &Edit::setText).type("TCaption")
        .event("OnChange", "TNotifyEvent", &Edit::onChange)
        .event("OnKeyDown", "TKeyEvent", &Edit::onKeyDown);
    return info;
}

Edit::Edit(Component* owner) : WinControl(owner, new QLineEdit, clWindow, true)
{
    setBounds(0, 0, 121, 21);
    QObject::connect(edit(), &QLineEdit::textChanged, edit(), [this] { fire(onChange); });
}

QLineEdit* Edit::edit() const { return static_cast<QLineEdit*>(widget()); }

std::string Edit::text() const { return edit() ? fromQString(edit()->text()) : std::string(); }

void Edit::setText(const std::string& text)
{
    if (edit())
        edit()->setText(toQString(text));
}

void Edit::setMaxLength(int length)
{
    maxLength_ = std::max(length, 0);
    if (edit())
        edit()->setMaxLength(maxLength_ == 0 ? 32767 : maxLength_);
}

bool Edit::readOnly() const { return edit() && edit()->isReadOnly(); }

void Edit::setReadOnly(bool readOnly)
{
    if (edit())
        edit()->setReadOnly(readOnly);
}

void Edit::applyColor()
{
    if (!edit() || !isRgbColor(color()))
        return;
    QPalette palette = edit()->palette();
    palette.setColor(QPalette::Base, toQColor(color()));
    edit()->setPalette(palette);
}

// Key-down goes to OnKeyDown first; a handler that clears Key consumes it.
bool Edit::widgetEvent(QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !onKeyDown)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    int vk = virtualKeyOf(key->key());
    if (vk == 0)
        return false;
    EventArgs args{Variant(vk), Variant(shiftStateOf(key->modifiers()))};
    onKeyDown(this, args);
    return !args.empty() && args[0].toInteger() == 0;
}

// --- Label -----------------------------------------------------------------

const ClassInfo& Label::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<Label>("TLabel", &Control::staticClassInfo())
        .prop("AutoSize", &Label::autoSize, &Label::setAutoSize).byDefault(true)
        .prop("Caption", &Label::caption, &Label::setCaption).type("TCaption")
        .event("OnClick", "TNotifyEvent", &Label::onClick);
    return info;
}

Label::Label(Component* owner) : Control(owner, new QLabel, clBtnFace)
{
    label()->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBounds(0, 0, 32, 13);
}

QLabel* Label::label() const { return static_cast<QLabel*>(widget()); }

std::string Label::caption() const { return label() ? fromQString(label()->text()) : std::string(); }

void Label::setCaption(const std::string& caption)
{
    if (label())
        label()->setText(toQString(caption));
    adjustSize();
}

void Label::setAutoSize(bool autoSize)
{
    autoSize_ = autoSize;
    adjustSize();
}

// While a stored form is read, sizing waits until all properties are known.
void Label::adjustSize()
{
    if (autoSize_ && label() && !isLoading()) {
        QSize size = label()->sizeHint();
        setBounds(left_, top_, size.width(), size.height());
    }
}

bool Label::widgetEvent(QEvent* event)
{
    if (isClick(event, widget()))
        click();
    return false;
}

void Label::loaded()
{
    Control::loaded();
    adjustSize();
}

void Label::click() { fire(onClick); }

// --- GroupBox --------------------------------------------------------------

const ClassInfo& GroupBox::staticClassInfo()
{
    static const ClassInfo info =
        withTabProperties(ClassInfo::define<GroupBox>("TGroupBox", &WinControl::staticClassInfo()))
            .prop("Caption", &GroupBox::caption, &GroupBox::setCaption).type("TCaption");
    return info;
}

GroupBox::GroupBox(Component* owner) : WinControl(owner, new QGroupBox, clBtnFace, false)
{
    setBounds(0, 0, 185, 105);
}

QGroupBox* GroupBox::box() const { return static_cast<QGroupBox*>(widget()); }

std::string GroupBox::caption() const { return box() ? fromQString(box()->title()) : std::string(); }

void GroupBox::setCaption(const std::string& caption)
{
    if (box())
        box()->setTitle(toQString(caption));
}

// --- Button ----------------------------------------------------------------

const ClassInfo& Button::staticClassInfo()
{
    static const ClassInfo info = withTabProperties(ClassInfo::define<Button>("TButton", &WinControl::staticClassInfo()))
        .prop("Cancel", &Button::isCancel, &Button::setCancel).byDefault(false)
        .prop("Caption", &Button::caption, &Button::setCaption).type("TCaption")
        .prop("Default", &Button::isDefault, &Button::setDefault).byDefault(false)
        .prop("ModalResult", &Button::modalResult, &Button::setModalResult).type("TModalResult").byDefault(0)
        .event("OnClick", "TNotifyEvent", &Button::onClick);
    return info;
}

Button::Button(Component* owner) : WinControl(owner, new QPushButton, clBtnFace, true)
{
    button()->setAutoDefault(true);
    setBounds(0, 0, 75, 25);
    QObject::connect(button(), &QPushButton::clicked, button(), [this] { click(); });
}

QPushButton* Button::button() const { return static_cast<QPushButton*>(widget()); }

std::string Button::caption() const { return button() ? fromQString(button()->text()) : std::string(); }

void Button::setCaption(const std::string& caption)
{
    if (button())
        button()->setText(toQString(caption));
}

void Button::setDefault(bool value)
{
    default_ = value;
    if (button())
        button()->setDefault(value);
}

void Button::press()
{
    if (button() && button()->isEnabled())
        button()->click();
}

// The form takes the modal result before OnClick runs.
void Button::click()
{
    if (Form* form = parentForm(); form && modalResult_ != 0)
        form->setModalResult(modalResult_);
    fire(onClick);
}

// --- BitBtn ----------------------------------------------------------------

const ClassInfo& BitBtn::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<BitBtn>("TBitBtn", &Button::staticClassInfo())
        .object("Glyph", Picture::staticClassInfo(), &BitBtn::glyph, &BitBtn::setGlyph)
        .prop("NumGlyphs", &BitBtn::numGlyphs, &BitBtn::setNumGlyphs).type("TNumGlyphs").byDefault(1);
    return info;
}

BitBtn::BitBtn(Component* owner) : Button(owner)
{
    glyph_.onChange = [this] { applyGlyph(); };
}

void BitBtn::setNumGlyphs(int count)
{
    numGlyphs_ = std::clamp(count, 1, 4);
    applyGlyph();
}

// State n of the glyph is its n-th equal slice; the bottom-left pixel's
// colour is transparent.
void BitBtn::applyGlyph()
{
    if (!button())
        return;
    const QImage& image = glyph_.image();
    if (image.isNull()) {
        button()->setIcon(QIcon());
        return;
    }
    int slice = std::max(image.width() / numGlyphs_, 1);
    auto state = [&](int n) {
        QPixmap pixmap = QPixmap::fromImage(image.copy(n * slice, 0, slice, image.height()));
        QColor transparent = image.pixelColor(0, image.height() - 1);
        pixmap.setMask(pixmap.createMaskFromColor(transparent, Qt::MaskInColor));
        return pixmap;
    };
    QIcon icon;
    icon.addPixmap(state(0), QIcon::Normal);
    if (numGlyphs_ >= 2 && image.width() >= 2 * slice)
        icon.addPixmap(state(1), QIcon::Disabled);
    button()->setIcon(icon);
    button()->setIconSize(QSize(slice, image.height()));
}

// --- Image -----------------------------------------------------------------

const ClassInfo& Image::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<Image>("TImage", &Control::staticClassInfo())
        .prop("Center", &Image::center, &Image::setCenter).byDefault(false)
        .object("Picture", Picture::staticClassInfo(), &Image::picture, &Image::setPicture)
        .prop("Stretch", &Image::stretch, &Image::setStretch).byDefault(false)
        .event("OnClick", "TNotifyEvent", &Image::onClick);
    return info;
}

Image::Image(Component* owner) : Control(owner, new QLabel, clBtnFace)
{
    picture_.onChange = [this] { applyPicture(); };
    label()->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBounds(0, 0, 105, 105);
}

QLabel* Image::label() const { return static_cast<QLabel*>(widget()); }

void Image::setStretch(bool stretch)
{
    stretch_ = stretch;
    applyPicture();
}

void Image::setCenter(bool center)
{
    center_ = center;
    if (label())
        label()->setAlignment(center ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignTop);
}

void Image::applyGeometry()
{
    Control::applyGeometry();
    applyPicture();
}

void Image::applyPicture()
{
    if (!label())
        return;
    const QImage& image = picture_.image();
    if (image.isNull()) {
        label()->clear();
        return;
    }
    QImage shown = stretch_ && width_ > 0 && height_ > 0
                       ? image.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       : image;
    label()->setPixmap(QPixmap::fromImage(shown));
}

bool Image::widgetEvent(QEvent* event)
{
    if (isClick(event, widget()))
        click();
    return false;
}

void Image::click() { fire(onClick); }

// --- CheckBox --------------------------------------------------------------

const ClassInfo& CheckBox::staticClassInfo()
{
    static const ClassInfo info =
        withTabProperties(ClassInfo::define<CheckBox>("TCheckBox", &WinControl::staticClassInfo()))
            .prop("Caption", &CheckBox::caption, &CheckBox::setCaption).type("TCaption")
            .prop("Checked", &CheckBox::checked, &CheckBox::setChecked).byDefault(false)
            .event("OnClick", "TNotifyEvent", &CheckBox::onClick);
    return info;
}

CheckBox::CheckBox(Component* owner) : WinControl(owner, new QCheckBox, clBtnFace, true)
{
    setBounds(0, 0, 97, 17);
    QObject::connect(box(), &QCheckBox::toggled, box(), [this] { fire(onClick); });
}

QCheckBox* CheckBox::box() const { return static_cast<QCheckBox*>(widget()); }

std::string CheckBox::caption() const { return box() ? fromQString(box()->text()) : std::string(); }

void CheckBox::setCaption(const std::string& caption)
{
    if (box())
        box()->setText(toQString(caption));
}

bool CheckBox::checked() const { return box() && box()->isChecked(); }

void CheckBox::setChecked(bool checked)
{
    if (box())
        box()->setChecked(checked);
}

// --- ComboBox --------------------------------------------------------------

const ClassInfo& ComboBox::staticClassInfo()
{
    static const ClassInfo info =
        withTabProperties(ClassInfo::define<ComboBox>("TComboBox", &WinControl::staticClassInfo()))
            .prop("Color", &ComboBox::color, &ComboBox::setColor).type("TColor").byDefault(clWindow)
            .object("Items", Strings::staticClassInfo(), &ComboBox::items, &ComboBox::setItems)
            .prop("ItemIndex", &ComboBox::itemIndex, &ComboBox::setItemIndex).notStored()
            .enumeration("Style", kComboStyleType, &ComboBox::style, &ComboBox::setStyle).byDefault(0)
            .prop("Text", &ComboBox::text, &ComboBox::setText).type("TCaption")
            .event("OnChange", "TNotifyEvent", &ComboBox::onChange);
    return info;
}

ComboBox::ComboBox(Component* owner) : WinControl(owner, new QComboBox, clWindow, true)
{
    combo()->setEditable(true);
    combo()->setInsertPolicy(QComboBox::NoInsert);
    items_.onChange = [this] { applyItems(); };
    setBounds(0, 0, 145, 21);
    QObject::connect(combo(), &QComboBox::currentTextChanged, combo(), [this] { fire(onChange); });
}

QComboBox* ComboBox::combo() const { return static_cast<QComboBox*>(widget()); }

void ComboBox::applyItems()
{
    if (!combo())
        return;
    QString text = combo()->currentText();
    combo()->clear();
    for (const std::string& item : items_.lines())
        combo()->addItem(toQString(item));
    if (combo()->isEditable()) {
        combo()->setCurrentIndex(-1);
        combo()->setEditText(text);
    }
}

int ComboBox::itemIndex() const { return combo() ? combo()->currentIndex() : -1; }

void ComboBox::setItemIndex(int index)
{
    if (combo())
        combo()->setCurrentIndex(index >= 0 && index < combo()->count() ? index : -1);
}

std::string ComboBox::text() const { return combo() ? fromQString(combo()->currentText()) : std::string(); }

// An editable box takes any text; a list box selects the matching item.
void ComboBox::setText(const std::string& text)
{
    if (!combo())
        return;
    if (combo()->isEditable())
        combo()->setEditText(toQString(text));
    else
        combo()->setCurrentIndex(combo()->findText(toQString(text)));
}

void ComboBox::setStyle(ComboBoxStyle style)
{
    style_ = style;
    if (combo())
        combo()->setEditable(style != ComboBoxStyle::DropDownList);
}

// --- Memo ------------------------------------------------------------------

const ClassInfo& Memo::staticClassInfo()
{
    static const ClassInfo info = withTabProperties(ClassInfo::define<Memo>("TMemo", &WinControl::staticClassInfo()))
        .prop("Color", &Memo::color, &Memo::setColor).type("TColor").byDefault(clWindow)
        .object("Lines", Strings::staticClassInfo(), &Memo::lines, &Memo::setLines)
        .prop("ReadOnly", &Memo::readOnly, &Memo::setReadOnly).byDefault(false)
        .event("OnChange", "TNotifyEvent", &Memo::onChange);
    return info;
}

Memo::Memo(Component* owner) : WinControl(owner, new QPlainTextEdit, clWindow, true)
{
    setBounds(0, 0, 185, 89);
    lines_.onChange = [this] {
        if (syncing_ || !editor())
            return;
        syncing_ = true;
        editor()->setPlainText(toQString(joinLines(lines_.lines())));
        syncing_ = false;
        fire(onChange);
    };
    QObject::connect(editor(), &QPlainTextEdit::textChanged, editor(), [this] {
        if (syncing_)
            return;
        syncing_ = true;
        lines_.setText(fromQString(editor()->toPlainText()));
        syncing_ = false;
        fire(onChange);
    });
}

QPlainTextEdit* Memo::editor() const { return static_cast<QPlainTextEdit*>(widget()); }

bool Memo::readOnly() const { return editor() && editor()->isReadOnly(); }

void Memo::setReadOnly(bool readOnly)
{
    if (editor())
        editor()->setReadOnly(readOnly);
}

} // namespace platform
