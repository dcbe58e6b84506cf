// Host controls: the top-level window, its modal loop, placement on the
// screen, window decorations, default and cancel buttons, and tab order.
#include "platform/controls_form.h"

#include "platform/controls_std.h"
#include "platform/qtext.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace platform {

namespace {

const EnumType kPositionType("TPosition", {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                           "poScreenCenter", "poDesktopCenter", "poMainFormCenter",
                                           "poOwnerFormCenter"});
const EnumType kBorderStyleType("TFormBorderStyle",
                                {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"});
const EnumType kBorderIconType("TBorderIcon", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"});
const SetType kBorderIconsType{"TBorderIcons", &kBorderIconType};

// Frame metrics of a bordered window on a 96-dpi desktop.
constexpr int kFrame = 3;
constexpr int kCaption = 22;
constexpr int kToolCaption = 16;

// Windowed controls in tab order: each container's children sorted by
// TabOrder (stable), a container's own children right after it.
void collectTabChain(const Control& container, std::vector<QWidget*>& chain)
{
    std::vector<WinControl*> children;
    for (Control* c : container.controls()) {
        if (auto* w = dynamic_cast<WinControl*>(c))
            children.push_back(w);
    }
    std::stable_sort(children.begin(), children.end(),
                     [](const WinControl* a, const WinControl* b) { return a->tabOrder() < b->tabOrder(); });
    for (WinControl* child : children) {
        if (child->widget())
            chain.push_back(child->widget());
        collectTabChain(*child, chain);
    }
}

// The button of the form (at any depth) marked Default or Cancel.
Button* findButton(const Control& container, bool wantDefault)
{
    for (Control* c : container.controls()) {
        if (auto* b = dynamic_cast<Button*>(c); b && (wantDefault ? b->isDefault() : b->isCancel()))
            return b;
        if (Button* nested = findButton(*c, wantDefault))
            return nested;
    }
    return nullptr;
}

} // namespace

const ClassInfo& Form::staticClassInfo()
{
    static const ClassInfo info = ClassInfo::define<Form>("TForm", &WinControl::staticClassInfo())
        .set("BorderIcons", kBorderIconsType, &Form::borderIcons, &Form::setBorderIcons)
        .byDefault(static_cast<int>(biSystemMenu | biMinimize | biMaximize))
        .enumeration("BorderStyle", kBorderStyleType, &Form::borderStyle, &Form::setBorderStyle)
        .byDefault(static_cast<int>(BorderStyle::Sizeable))
        .prop("Caption", &Form::caption, &Form::setCaption).type("TCaption")
        .prop("ClientHeight", &Form::clientHeight, &Form::setClientHeight).notStored()
        .prop("ClientWidth", &Form::clientWidth, &Form::setClientWidth).notStored()
        .enumeration("Position", kPositionType, &Form::position, &Form::setPosition)
        .byDefault(static_cast<int>(FormPosition::Designed))
        .prop("Visible", &Form::visible, &Form::setVisible).byDefault(false)
        .event("OnClose", "TCloseEvent", &Form::onClose)
        .event("OnCreate", "TNotifyEvent", &Form::onCreate)
        .event("OnShow", "TNotifyEvent", &Form::onShow);
    return info;
}

Form::Form(Component* owner) : WinControl(owner, new QWidget, clBtnFace, false)
{
    setVisible(false);
    applyWindowFlags();
    setBounds(0, 0, 320, 240);
    screen::add(this);
}

Form::~Form()
{
    if (destroyedFlag_)
        *destroyedFlag_ = true;
    if (loop_)
        loop_->quit();
    // Owned controls go first, while the window still exists.
    destroyComponents();
}

std::string Form::caption() const
{
    return widget() ? fromQString(widget()->windowTitle()) : std::string();
}

void Form::setCaption(const std::string& caption)
{
    if (widget())
        widget()->setWindowTitle(toQString(caption));
}

int Form::frameWidth() const
{
    return borderStyle_ == BorderStyle::None ? 0 : kFrame;
}

int Form::captionHeight() const
{
    switch (borderStyle_) {
    case BorderStyle::None: return 0;
    case BorderStyle::ToolWindow:
    case BorderStyle::SizeToolWin: return kToolCaption;
    default: return kCaption;
    }
}

int Form::width() const { return clientWidth_ + 2 * frameWidth(); }
int Form::height() const { return clientHeight_ + 2 * frameWidth() + captionHeight(); }
int Form::clientWidth() const { return clientWidth_; }
int Form::clientHeight() const { return clientHeight_; }

void Form::setBounds(int left, int top, int width, int height)
{
    left_ = left;
    top_ = top;
    clientWidth_ = std::max(width - 2 * frameWidth(), 0);
    clientHeight_ = std::max(height - 2 * frameWidth() - captionHeight(), 0);
    applyGeometry();
}

void Form::setClientWidth(int width)
{
    clientWidth_ = std::max(width, 0);
    applyGeometry();
}

void Form::setClientHeight(int height)
{
    clientHeight_ = std::max(height, 0);
    applyGeometry();
}

void Form::applyGeometry()
{
    QWidget* w = widget();
    if (!w)
        return;
    if (borderStyle_ == BorderStyle::Sizeable || borderStyle_ == BorderStyle::SizeToolWin) {
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        w->resize(clientWidth_, clientHeight_);
    } else {
        w->setFixedSize(clientWidth_, clientHeight_);
    }
    w->move(left_, top_);
}

void Form::applyColor()
{
    Control::applyColor();
    if (widget())
        widget()->setAutoFillBackground(true);
}

void Form::setBorderStyle(BorderStyle style)
{
    borderStyle_ = style;
    applyWindowFlags();
    applyGeometry();
}

void Form::setBorderIcons(unsigned icons)
{
    borderIcons_ = icons & (biSystemMenu | biMinimize | biMaximize | biHelp);
    applyWindowFlags();
}

void Form::applyWindowFlags()
{
    QWidget* w = widget();
    if (!w)
        return;
    Qt::WindowFlags flags = Qt::Window;
    switch (borderStyle_) {
    case BorderStyle::None: flags |= Qt::FramelessWindowHint; break;
    case BorderStyle::Dialog: flags = Qt::Dialog; break;
    case BorderStyle::ToolWindow:
    case BorderStyle::SizeToolWin: flags = Qt::Tool; break;
    default: break;
    }
    if (borderStyle_ != BorderStyle::None) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (borderIcons_ & biSystemMenu)
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        // Dialog borders have no minimise or maximise box, whatever the icons say.
        bool dialog = borderStyle_ == BorderStyle::Dialog;
        if ((borderIcons_ & biMinimize) && !dialog)
            flags |= Qt::WindowMinimizeButtonHint;
        if ((borderIcons_ & biMaximize) && !dialog)
            flags |= Qt::WindowMaximizeButtonHint;
        if (borderIcons_ & biHelp)
            flags |= Qt::WindowContextHelpButtonHint;
    }
    bool shown = w->isVisible();
    w->setWindowFlags(flags);
    if (shown)
        w->show();
}

void Form::placeOnScreen()
{
    QWidget* w = widget();
    QRect area;
    if (position_ == FormPosition::ScreenCenter || position_ == FormPosition::DesktopCenter) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            area = screen->availableGeometry();
    } else if (position_ == FormPosition::MainFormCenter || position_ == FormPosition::OwnerFormCenter) {
        auto* ownerForm = dynamic_cast<Form*>(owner());
        if (ownerForm && ownerForm->widget() && ownerForm->widget()->isVisible())
            area = ownerForm->widget()->frameGeometry();
        else if (QScreen* screen = QGuiApplication::primaryScreen())
            area = screen->availableGeometry();
    } else if (position_ == FormPosition::Designed) {
        w->move(left_, top_);
        return;
    }
    if (area.isValid()) {
        left_ = area.left() + (area.width() - width()) / 2;
        top_ = area.top() + (area.height() - height()) / 2;
        w->move(left_, top_);
    }
}

void Form::setVisible(bool visible)
{
    QWidget* w = widget();
    if (!w)
        return;
    if (visible && !w->isVisible()) {
        updateTabOrder();
        placeOnScreen();
    }
    w->setVisible(visible);
    Control::setVisible(visible);
}

void Form::close()
{
    if (widget())
        widget()->close();
}

void Form::setModalResult(int result)
{
    modalResult_ = result;
    if (loop_ && result != mrNone)
        loop_->quit();
}

int Form::showModal()
{
    QWidget* w = widget();
    if (!w || loop_)
        return mrNone;
    modalResult_ = mrNone;
    w->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    bool destroyed = false;
    loop_ = &loop;
    destroyedFlag_ = &destroyed;
    show();
    if (!destroyed && modalResult_ == mrNone && w->isVisible())
        loop.exec();
    if (destroyed)  // a handler freed the form while it was shown
        return mrCancel;
    loop_ = nullptr;
    destroyedFlag_ = nullptr;
    int result = modalResult_;
    hide();
    w->setWindowModality(Qt::NonModal);
    return result;
}

void Form::updateTabOrder()
{
    std::vector<QWidget*> chain;
    collectTabChain(*this, chain);
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void Form::loaded()
{
    WinControl::loaded();
    fire(onCreate);
}

bool Form::widgetEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
        fire(onShow);
        return false;
    case QEvent::Close:
        return handleClose(event);
    case QEvent::KeyPress:
        return handleKey(static_cast<QKeyEvent*>(event));
    default:
        return false;
    }
}

// Enter and Escape that no control took press the default and cancel buttons.
bool Form::handleKey(QKeyEvent* event)
{
    bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter && event->key() != Qt::Key_Escape)
        return false;
    Button* button = findButton(*this, enter);
    if (!button || !button->visible() || !button->enabled())
        return false;
    button->press();
    return true;
}

bool Form::handleClose(QEvent* event)
{
    EventArgs args{Variant(caHide)};
    onClose(this, args);
    int action = args.empty() ? caHide : args[0].toInteger();
    if (action == caNone) {
        event->ignore();
        return true;
    }
    if (loop_ && modalResult_ == mrNone)
        setModalResult(mrCancel);
    Control::setVisible(false);
    if (action == caMinimize) {
        widget()->showMinimized();
        event->ignore();
        return true;
    }
    if (action == caFree) {
        // Freed once control is back in the event loop, unless already gone
        // (the widget dies with the form).
        QPointer<QWidget> alive = widget();
        QTimer::singleShot(0, [alive, this] {
            if (alive)
                delete this;
        });
    }
    return false;
}

} // namespace platform
