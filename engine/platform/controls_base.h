// Host controls, common part: a component wrapping one Qt widget, with the
// published geometry, visibility, font and colour of the platform's controls.
#pragma once

#include "platform/colors.h"
#include "platform/component.h"
#include "platform/reflection_font.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QEvent;
class QKeyEvent;

namespace platform {

// Virtual key codes of key events.
inline constexpr int VK_BACK = 8;
inline constexpr int VK_TAB = 9;
inline constexpr int VK_RETURN = 13;
inline constexpr int VK_SHIFT = 16;
inline constexpr int VK_CONTROL = 17;
inline constexpr int VK_MENU = 18;
inline constexpr int VK_ESCAPE = 27;
inline constexpr int VK_SPACE = 32;
inline constexpr int VK_PRIOR = 33;
inline constexpr int VK_NEXT = 34;
inline constexpr int VK_END = 35;
inline constexpr int VK_HOME = 36;
inline constexpr int VK_LEFT = 37;
inline constexpr int VK_UP = 38;
inline constexpr int VK_RIGHT = 39;
inline constexpr int VK_DOWN = 40;
inline constexpr int VK_INSERT = 45;
inline constexpr int VK_DELETE = 46;
inline constexpr int VK_F1 = 112;

// Shift state set (TShiftState): bit n = ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble.
inline constexpr int ssShift = 1;
inline constexpr int ssAlt = 2;
inline constexpr int ssCtrl = 4;

// The virtual key of a Qt key code (0 when it has none) and the shift state of
// Qt keyboard modifiers.
int virtualKeyOf(int qtKey);
int shiftStateOf(Qt::KeyboardModifiers modifiers);

// A picture held by its encoded bytes (JPEG, PNG, BMP...), decoded for display
// ("TPicture"; form text stores the bytes as Picture.Data).
class Picture : public Persistent {
public:
    TK_CLASS_INFO

    const std::string& data() const { return data_; }
    // Bytes that do not decode leave an empty image (nothing is shown).
    void setData(std::string bytes);
    const QImage& image() const { return image_; }
    bool empty() const { return image_.isNull(); }
    void assign(const Persistent& source) override;

    std::function<void()> onChange;

private:
    std::string data_;
    QImage image_;
};

// Base of the host controls ("TControl"). The control owns its widget; the
// widget of a parent control holds the widgets of its children. Positions are
// pixels at 96 dpi, relative to the parent's top-left corner.
//
// Events pass their arguments (EventArgs) as the event type declares them,
// after the sender: TNotifyEvent none; TKeyEvent {Key (var Integer), Shift
// (Integer set)}; TCloseEvent {Action (var Integer)}.
class Control : public Component {
public:
    TK_CLASS_INFO
    ~Control() override;

    QWidget* widget() const { return widget_; }

    Control* parent() const { return parent_; }
    virtual void setParent(Control* parent);
    const std::vector<Control*>& controls() const { return controls_; }
    Component* parentComponent() const override { return parent_; }
    void setParentComponent(Component* parent) override;

    int left() const { return left_; }
    int top() const { return top_; }
    virtual int width() const { return width_; }
    virtual int height() const { return height_; }
    void setLeft(int left) { setBounds(left, top_, width(), height()); }
    void setTop(int top) { setBounds(left_, top, width(), height()); }
    void setWidth(int width) { setBounds(left_, top_, width, height()); }
    void setHeight(int height) { setBounds(left_, top_, width(), height); }
    virtual void setBounds(int left, int top, int width, int height);

    bool visible() const { return visible_; }
    virtual void setVisible(bool visible);
    bool enabled() const;
    void setEnabled(bool enabled);
    std::string hint() const;
    void setHint(const std::string& hint);
    int cursor() const { return cursor_; }
    void setCursor(int cursor);
    Color color() const { return color_; }
    void setColor(Color color);
    FontObject* font() const { return &font_; }
    void setFont(FontObject* font) { font_.assign(*font); }

    // The form this control is on (itself for a form); null when none.
    class Form* parentForm() const;

protected:
    // Takes ownership of the widget; derived constructors create theirs.
    Control(Component* owner, QWidget* widget, Color defaultColor);

    // Events of the widget, seen before the widget handles them; answering
    // true consumes the event.
    virtual bool widgetEvent(QEvent* event);
    // Pushes stored state (geometry, colour...) to the widget.
    virtual void applyGeometry();
    virtual void applyColor();
    // Called after a click on the widget (fires OnClick where published).
    virtual void click() {}
    // Called after the font has been applied to the widget.
    virtual void fontChanged() {}
    void fire(const MethodValue& handler, EventArgs args = {});

    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;

private:
    class EventFilter;
    friend class EventFilter;
    void applyFont();

    QPointer<QWidget> widget_;
    EventFilter* filter_ = nullptr;
    Control* parent_ = nullptr;
    std::vector<Control*> controls_;
    bool visible_ = true;
    int cursor_ = 0;
    Color color_;
    bool fontAssigned_ = false;
    mutable FontObject font_;
};

// A control that takes the keyboard focus and has a place in the tab order
// ("TWinControl").
class WinControl : public Control {
public:
    TK_CLASS_INFO

    int tabOrder() const { return tabOrder_; }
    void setTabOrder(int order);
    bool tabStop() const { return tabStop_; }
    void setTabStop(bool stop);
    void setFocus();
    bool focused() const;

protected:
    WinControl(Component* owner, QWidget* widget, Color defaultColor, bool tabStop);

private:
    int tabOrder_ = -1;
    bool tabStop_;
};

// Adds the published TabOrder and TabStop to a windowed control class.
template <class T>
ClassBuilder<T> withTabProperties(ClassBuilder<T> builder)
{
    builder.prop("TabOrder", &WinControl::tabOrder, &WinControl::setTabOrder).type("TTabOrder")
        .prop("TabStop", &WinControl::tabStop, &WinControl::setTabStop);
    return builder;
}

} // namespace platform
