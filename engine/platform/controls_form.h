// Host controls: the top-level window ("TForm"), shown modally or not, with
// its position rules, border style and icons, and its show/close events.
#pragma once

#include "platform/controls_base.h"

class QEventLoop;

namespace platform {

// Modal results (TModalResult) and close actions (TCloseAction).
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrAbort = 3;
inline constexpr int mrRetry = 4;
inline constexpr int mrIgnore = 5;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;
inline constexpr int mrAll = 8;
inline constexpr int mrNoToAll = 9;
inline constexpr int mrYesToAll = 10;

inline constexpr int caNone = 0;
inline constexpr int caHide = 1;
inline constexpr int caFree = 2;
inline constexpr int caMinimize = 3;

enum class FormPosition { Designed, Default, DefaultPosOnly, DefaultSizeOnly, ScreenCenter, DesktopCenter, MainFormCenter, OwnerFormCenter };
enum class BorderStyle { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };
// Border icons set: bit n = biSystemMenu, biMinimize, biMaximize, biHelp.
inline constexpr unsigned biSystemMenu = 1;
inline constexpr unsigned biMinimize = 2;
inline constexpr unsigned biMaximize = 4;
inline constexpr unsigned biHelp = 8;

// A top-level window. Width and Height are the outer size including the
// frame; ClientWidth and ClientHeight the inside, which is what the widget
// measures. Forms enter the list of open windows on creation.
class Form : public WinControl {
public:
    TK_CLASS_INFO

    explicit Form(Component* owner = nullptr);
    ~Form() override;

    std::string caption() const;
    void setCaption(const std::string& caption);

    int width() const override;
    int height() const override;
    void setBounds(int left, int top, int width, int height) override;
    int clientWidth() const;
    int clientHeight() const;
    void setClientWidth(int width);
    void setClientHeight(int height);
    // Frame thickness (each side) and caption height of the border style.
    int frameWidth() const;
    int captionHeight() const;

    FormPosition position() const { return position_; }
    void setPosition(FormPosition position) { position_ = position; }
    BorderStyle borderStyle() const { return borderStyle_; }
    void setBorderStyle(BorderStyle style);
    unsigned borderIcons() const { return borderIcons_; }
    void setBorderIcons(unsigned icons);

    void setVisible(bool visible) override;
    void show() { setVisible(true); }
    void hide() { setVisible(false); }
    // Asks the window to close: OnClose decides (caNone keeps it open).
    void close();
    // Shows the window modally until ModalResult becomes non-zero or the
    // window is closed (then mrCancel); hides it and answers the result.
    int showModal();
    bool isModal() const { return loop_ != nullptr; }
    int modalResult() const { return modalResult_; }
    void setModalResult(int result);

    // Chains the focus order of all windowed controls by their TabOrder.
    void updateTabOrder();

    // Fires OnCreate once the stored form has been read.
    void loaded() override;

    MethodValue onCreate;
    MethodValue onShow;
    MethodValue onClose;

protected:
    bool widgetEvent(QEvent* event) override;
    void applyGeometry() override;
    void applyColor() override;

private:
    void applyWindowFlags();
    void placeOnScreen();
    bool handleKey(QKeyEvent* event);
    bool handleClose(QEvent* event);

    int clientWidth_ = 0;
    int clientHeight_ = 0;
    FormPosition position_ = FormPosition::Designed;
    BorderStyle borderStyle_ = BorderStyle::Sizeable;
    unsigned borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    int modalResult_ = mrNone;
    QEventLoop* loop_ = nullptr;
    bool* destroyedFlag_ = nullptr;  // set while showModal runs
};

} // namespace platform
