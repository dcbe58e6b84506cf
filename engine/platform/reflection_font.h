// The published font sub-object ("TFont") around platform::Font, so that a
// font is reached by name (Font.Name, Font.Style) in scripts and form text.
#pragma once

#include "platform/font.h"
#include "platform/reflection.h"

#include <functional>

namespace platform {

// Font styles as a set type (bit n = fsBold, fsItalic, fsUnderline, fsStrikeOut).
const SetType& fontStylesType();

class FontObject : public Persistent {
public:
    TK_CLASS_INFO

    FontObject() = default;
    explicit FontObject(Font font) : font_(std::move(font)) {}

    const Font& font() const { return font_; }
    void setFont(const Font& font);
    void assign(const Persistent& source) override;

    // Called after every change (the owner re-applies the font).
    std::function<void()> onChange;

private:
    template <class V> void change(void (Font::*setter)(V), V value);

    Font font_;
};

} // namespace platform
