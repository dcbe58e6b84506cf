// Host controls, common part: the widget wrapper, its published properties,
// pictures, and the key codes of key events.
#include "platform/controls_base.h"

#include "platform/controls_form.h"
#include "platform/font_resolver.h"
#include "platform/graphic.h"
#include "platform/qtext.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace platform {

// Routes the widget's events to its control while both exist.
class Control::EventFilter : public QObject {
public:
    EventFilter(Control* control, QWidget* widget) : QObject(widget), control_(control) {}
    void detach() { control_ = nullptr; }
    bool eventFilter(QObject*, QEvent* event) override { return control_ && control_->widgetEvent(event); }

private:
    Control* control_;
};

namespace {

const Qt::CursorShape* cursorShape(int cursor)
{
    struct Entry { int cursor; Qt::CursorShape shape; };
    static const Entry table[] = {
        {-1, Qt::BlankCursor}, {-2, Qt::ArrowCursor}, {-3, Qt::CrossCursor}, {-4, Qt::IBeamCursor},
        {-6, Qt::SizeBDiagCursor}, {-7, Qt::SizeVerCursor}, {-8, Qt::SizeFDiagCursor}, {-9, Qt::SizeHorCursor},
        {-10, Qt::UpArrowCursor}, {-11, Qt::WaitCursor}, {-12, Qt::DragMoveCursor}, {-13, Qt::ForbiddenCursor},
        {-14, Qt::SplitHCursor}, {-15, Qt::SplitVCursor}, {-16, Qt::DragCopyCursor}, {-17, Qt::WaitCursor},
        {-18, Qt::ForbiddenCursor}, {-19, Qt::BusyCursor}, {-20, Qt::WhatsThisCursor}, {-21, Qt::PointingHandCursor},
        {-22, Qt::SizeAllCursor},
    };
    for (const Entry& e : table) {
        if (e.cursor == cursor)
            return &e.shape;
    }
    return nullptr;
}

} // namespace

int virtualKeyOf(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;  // the same codes as upper-case ASCII and the digits
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VK_F1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
    }
}

int shiftStateOf(Qt::KeyboardModifiers modifiers)
{
    int state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= ssShift;
    if (modifiers & Qt::AltModifier)
        state |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        state |= ssCtrl;
    return state;
}

// --- Picture ---------------------------------------------------------------

const ClassInfo& Picture::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<Picture>("TPicture", &Persistent::staticClassInfo())
        .prop("Width", [](const Picture& p) { return p.image_.width(); })
        .prop("Height", [](const Picture& p) { return p.image_.height(); })
        .binary("Data", &Picture::data, &Picture::setData);
    return info;
}

void Picture::setData(std::string bytes)
{
    data_ = std::move(bytes);
    bool jpeg = data_.size() >= 2 && data_[0] == '\xFF' && data_[1] == '\xD8';
    image_ = jpeg ? decodeJpeg(data_)
                  : QImage::fromData(reinterpret_cast<const uchar*>(data_.data()), static_cast<int>(data_.size()));
    if (onChange)
        onChange();
}

void Picture::assign(const Persistent& source)
{
    if (const auto* other = dynamic_cast<const Picture*>(&source)) {
        data_ = other->data_;
        image_ = other->image_;
        if (onChange)
            onChange();
        return;
    }
    Persistent::assign(source);
}

// --- Control ---------------------------------------------------------------

const ClassInfo& Control::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<Control>("TControl", &Component::staticClassInfo())
        .object("Parent", "TWinControl", &WinControl::staticClassInfo, &Control::parent,
                [](Control& c, Control* p) { c.setParent(p); }).notStored()
        .prop("Left", &Control::left, &Control::setLeft)
        .prop("Top", &Control::top, &Control::setTop)
        .prop("Width", &Control::width, &Control::setWidth)
        .prop("Height", &Control::height, &Control::setHeight)
        .prop("Cursor", &Control::cursor, &Control::setCursor).type("TCursor").byDefault(0)
        .prop("Hint", &Control::hint, &Control::setHint)
        .prop("Color", &Control::color, &Control::setColor).type("TColor").byDefault(clBtnFace)
        .object("Font", FontObject::staticClassInfo(), &Control::font, &Control::setFont)
        .prop("Enabled", &Control::enabled, &Control::setEnabled).byDefault(true)
        .prop("Visible", &Control::visible, &Control::setVisible).byDefault(true)
        .noFactory();
    return info;
}

Control::Control(Component* owner, QWidget* widget, Color defaultColor)
    : Component(owner), widget_(widget), color_(defaultColor)
{
    filter_ = new EventFilter(this, widget);
    widget->installEventFilter(filter_);
    font_.onChange = [this] {
        fontAssigned_ = true;
        applyFont();
    };
}

Control::~Control()
{
    for (Control* child : controls_)
        child->parent_ = nullptr;
    controls_.clear();
    if (parent_)
        std::erase(parent_->controls_, this);
    if (widget_) {
        filter_->detach();
        widget_->disconnect();
        delete widget_;
    }
}

void Control::setParent(Control* parent)
{
    if (parent == parent_)
        return;
    for (const Control* p = parent; p; p = p->parent_) {
        if (p == this)
            throw ComponentError("A control cannot be its own parent");
    }
    if (parent_)
        std::erase(parent_->controls_, this);
    parent_ = parent;
    if (parent_)
        parent_->controls_.push_back(this);
    if (!widget_)
        return;
    widget_->setParent(parent_ ? parent_->widget() : nullptr);
    applyGeometry();
    if (parent_)
        widget_->setVisible(visible_);
}

void Control::setParentComponent(Component* parent)
{
    if (auto* control = dynamic_cast<Control*>(parent))
        setParent(control);
}

void Control::setBounds(int left, int top, int width, int height)
{
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    applyGeometry();
}

void Control::applyGeometry()
{
    if (widget_)
        widget_->setGeometry(left_, top_, width_, height_);
}

void Control::setVisible(bool visible)
{
    visible_ = visible;
    if (widget_ && (parent_ || !visible))
        widget_->setVisible(visible);
}

bool Control::enabled() const
{
    return widget_ && !widget_->testAttribute(Qt::WA_ForceDisabled);
}

void Control::setEnabled(bool enabled)
{
    if (widget_)
        widget_->setEnabled(enabled);
}

std::string Control::hint() const
{
    return widget_ ? fromQString(widget_->toolTip()) : std::string();
}

void Control::setHint(const std::string& hint)
{
    if (widget_)
        widget_->setToolTip(toQString(hint));
}

void Control::setCursor(int cursor)
{
    cursor_ = cursor;
    if (!widget_)
        return;
    if (const Qt::CursorShape* shape = cursorShape(cursor))
        widget_->setCursor(*shape);
    else
        widget_->unsetCursor();
}

void Control::setColor(Color color)
{
    color_ = color;
    applyColor();
}

void Control::applyColor()
{
    if (!widget_ || !isRgbColor(color_))
        return;
    QPalette palette = widget_->palette();
    palette.setColor(QPalette::Window, toQColor(color_));
    widget_->setPalette(palette);
}

void Control::applyFont()
{
    if (!widget_)
        return;
    QFont font = makeQFont(font_.font().logical());
    font.setHintingPreference(QFont::PreferDefaultHinting);
    widget_->setFont(font);
    QPalette palette = widget_->palette();
    if (isRgbColor(font_.font().color()))
        palette.setColor(QPalette::WindowText, toQColor(font_.font().color()));
    widget_->setPalette(palette);
    fontChanged();
}

Form* Control::parentForm() const
{
    for (const Control* c = this; c; c = c->parent_) {
        if (auto* form = dynamic_cast<Form*>(const_cast<Control*>(c)))
            return form;
    }
    return nullptr;
}

bool Control::widgetEvent(QEvent*)
{
    return false;
}

void Control::fire(const MethodValue& handler, EventArgs args)
{
    handler(this, args);
}

// --- WinControl ------------------------------------------------------------

const ClassInfo& WinControl::staticClassInfo()
{
    static const ClassInfo info =
        ClassInfo::define<WinControl>("TWinControl", &Control::staticClassInfo()).noFactory();
    return info;
}

WinControl::WinControl(Component* owner, QWidget* widget, Color defaultColor, bool tabStop)
    : Control(owner, widget, defaultColor), tabStop_(tabStop)
{
    widget->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

void WinControl::setTabOrder(int order)
{
    tabOrder_ = order;
    if (Form* form = parentForm(); form && form->visible())
        form->updateTabOrder();
}

void WinControl::setTabStop(bool stop)
{
    tabStop_ = stop;
    if (widget())
        widget()->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
}

void WinControl::setFocus()
{
    if (widget())
        widget()->setFocus(Qt::OtherFocusReason);
}

bool WinControl::focused() const
{
    return widget() && widget()->hasFocus();
}

} // namespace platform
