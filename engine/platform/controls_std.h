// Host controls: edits, labels, group boxes, buttons (with glyphs), images,
// check boxes, combo boxes and memos, each a thin wrapper of one Qt widget.
#pragma once

#include "platform/controls_base.h"
#include "platform/reflection_strings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace platform {

// A single-line edit ("TEdit").
class Edit : public WinControl {
public:
    TK_CLASS_INFO
    explicit Edit(Component* owner = nullptr);

    std::string text() const;
    void setText(const std::string& text);
    int maxLength() const { return maxLength_; }
    void setMaxLength(int length);  // 0 = no limit
    bool readOnly() const;
    void setReadOnly(bool readOnly);

    MethodValue onChange;
    MethodValue onKeyDown;

protected:
    bool widgetEvent(QEvent* event) override;
    void applyColor() override;

private:
    QLineEdit* edit() const;
    int maxLength_ = 0;
};

// A text label ("TLabel"); with AutoSize it takes the size of its caption.
class Label : public Control {
public:
    TK_CLASS_INFO
    explicit Label(Component* owner = nullptr);

    std::string caption() const;
    void setCaption(const std::string& caption);
    bool autoSize() const { return autoSize_; }
    void setAutoSize(bool autoSize);
    void loaded() override;

    MethodValue onClick;

protected:
    bool widgetEvent(QEvent* event) override;
    void click() override;
    void fontChanged() override { adjustSize(); }

private:
    QLabel* label() const;
    void adjustSize();
    bool autoSize_ = true;
};

// A frame with a caption around other controls ("TGroupBox").
class GroupBox : public WinControl {
public:
    TK_CLASS_INFO
    explicit GroupBox(Component* owner = nullptr);

    std::string caption() const;
    void setCaption(const std::string& caption);

private:
    QGroupBox* box() const;
};

// A push button ("TButton"). A non-zero ModalResult is handed to its form
// when clicked; Default and Cancel buttons answer Enter and Escape in the form.
class Button : public WinControl {
public:
    TK_CLASS_INFO
    explicit Button(Component* owner = nullptr);

    std::string caption() const;
    void setCaption(const std::string& caption);
    int modalResult() const { return modalResult_; }
    void setModalResult(int result) { modalResult_ = result; }
    bool isDefault() const { return default_; }
    void setDefault(bool value);
    bool isCancel() const { return cancel_; }
    void setCancel(bool value) { cancel_ = value; }
    // Presses the button: OnClick, then the modal result.
    void press();

    MethodValue onClick;

protected:
    void click() override;
    QPushButton* button() const;

private:
    int modalResult_ = 0;
    bool default_ = false;
    bool cancel_ = false;
};

// A button with a glyph ("TBitBtn"): the glyph image holds NumGlyphs states
// side by side (normal, disabled, ...); its bottom-left pixel is transparent.
class BitBtn : public Button {
public:
    TK_CLASS_INFO
    explicit BitBtn(Component* owner = nullptr);

    Picture* glyph() const { return &glyph_; }
    void setGlyph(Picture* picture) { glyph_.assign(*picture); }
    int numGlyphs() const { return numGlyphs_; }
    void setNumGlyphs(int count);

private:
    void applyGlyph();
    mutable Picture glyph_;
    int numGlyphs_ = 1;
};

// A picture on a form ("TImage").
class Image : public Control {
public:
    TK_CLASS_INFO
    explicit Image(Component* owner = nullptr);

    Picture* picture() const { return &picture_; }
    void setPicture(Picture* picture) { picture_.assign(*picture); }
    bool stretch() const { return stretch_; }
    void setStretch(bool stretch);
    bool center() const { return center_; }
    void setCenter(bool center);

    MethodValue onClick;

protected:
    bool widgetEvent(QEvent* event) override;
    void click() override;
    void applyGeometry() override;

private:
    QLabel* label() const;
    void applyPicture();
    mutable Picture picture_;
    bool stretch_ = false;
    bool center_ = false;
};

// A check box ("TCheckBox"); OnClick follows every change of Checked.
class CheckBox : public WinControl {
public:
    TK_CLASS_INFO
    explicit CheckBox(Component* owner = nullptr);

    std::string caption() const;
    void setCaption(const std::string& caption);
    bool checked() const;
    void setChecked(bool checked);

    MethodValue onClick;

private:
    QCheckBox* box() const;
};

enum class ComboBoxStyle { DropDown, Simple, DropDownList };

// A combo box ("TComboBox") over the texts of Items.
class ComboBox : public WinControl {
public:
    TK_CLASS_INFO
    explicit ComboBox(Component* owner = nullptr);

    Strings* items() const { return &items_; }
    void setItems(Strings* items) { items_.assign(*items); }
    int itemIndex() const;
    void setItemIndex(int index);
    std::string text() const;
    void setText(const std::string& text);
    ComboBoxStyle style() const { return style_; }
    void setStyle(ComboBoxStyle style);

    MethodValue onChange;

private:
    QComboBox* combo() const;
    void applyItems();
    mutable StringList items_;
    ComboBoxStyle style_ = ComboBoxStyle::DropDown;
};

// A multi-line edit ("TMemo") whose text is the list Lines.
class Memo : public WinControl {
public:
    TK_CLASS_INFO
    explicit Memo(Component* owner = nullptr);

    Strings* lines() const { return &lines_; }
    void setLines(Strings* lines) { lines_.assign(*lines); }
    bool readOnly() const;
    void setReadOnly(bool readOnly);

    MethodValue onChange;

private:
    QPlainTextEdit* editor() const;
    mutable StringList lines_;
    bool syncing_ = false;
};

} // namespace platform
