// Reflective sub-objects kept in step with the plain fields they stand for.
#include "objects/published.h"

platform::Strings* TKSLinesMirror::get(std::vector<std::string>& field)
{
    if (!object_)
        object_ = std::make_unique<platform::StringList>();
    object_->onChange = nullptr;
    object_->setLines(field);
    platform::StringList* list = object_.get();
    object_->onChange = [&field, list] { field = list->lines(); };
    return object_.get();
}

void TKSLinesMirror::set(std::vector<std::string>& field, const platform::Strings* source)
{
    field = source ? source->lines() : std::vector<std::string>{};
}

platform::FontObject* TKSFontMirror::get(platform::Font& field)
{
    if (!object_)
        object_ = std::make_unique<platform::FontObject>();
    object_->onChange = nullptr;
    object_->setFont(field);
    platform::FontObject* font = object_.get();
    object_->onChange = [&field, font] { field = font->font(); };
    return object_.get();
}

void TKSFontMirror::set(platform::Font& field, const platform::FontObject* source)
{
    if (source)
        field.assign(source->font());
}
