// The published font sub-object: property table and change notification.
#include "platform/reflection_font.h"

namespace platform {

namespace {

const EnumType kFontStyle("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
const EnumType kFontPitch("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});

} // namespace

const SetType& fontStylesType()
{
    static const SetType type{"TFontStyles", &kFontStyle};
    return type;
}

template <class V>
void FontObject::change(void (Font::*setter)(V), V value)
{
    (font_.*setter)(std::move(value));
    if (onChange)
        onChange();
}

const ClassInfo& FontObject::staticClassInfo()
{
    using F = FontObject;
    static const Font defaults;
    static const ClassInfo info = ClassInfo::define<F>("TFont", &Persistent::staticClassInfo())
        .prop("Charset", [](const F& f) { return f.font_.charset(); },
              [](F& f, int v) { f.change(&Font::setCharset, v); }).type("TFontCharset").byDefault(defaults.charset())
        .prop("Color", [](const F& f) { return f.font_.color(); },
              [](F& f, int v) { f.change<Color>(&Font::setColor, v); }).type("TColor").byDefault(defaults.color())
        .prop("Height", [](const F& f) { return f.font_.height(); },
              [](F& f, int v) { f.change(&Font::setHeight, v); }).byDefault(defaults.height())
        .prop("Name", [](const F& f) { return f.font_.name(); },
              [](F& f, std::string v) { f.change(&Font::setName, std::move(v)); }).type("TFontName").byDefault(defaults.name())
        .enumeration("Pitch", kFontPitch, [](const F& f) { return f.font_.pitch(); },
                     [](F& f, FontPitch v) { f.change(&Font::setPitch, v); }).byDefault(0)
        .prop("Size", [](const F& f) { return f.font_.size(); },
              [](F& f, int v) { f.change(&Font::setSize, v); }).notStored()
        .set("Style", fontStylesType(), [](const F& f) { return f.font_.style(); },
             [](F& f, FontStyles v) { f.change(&Font::setStyle, v); }).byDefault(0);
    return info;
}

void FontObject::setFont(const Font& font)
{
    font_ = font;
    if (onChange)
        onChange();
}

void FontObject::assign(const Persistent& source)
{
    if (const auto* other = dynamic_cast<const FontObject*>(&source)) {
        font_.assign(other->font_);
        if (onChange)
            onChange();
        return;
    }
    Persistent::assign(source);
}

} // namespace platform
