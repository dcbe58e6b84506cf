// Reflective sub-objects ("TStrings", "TFont") over plain fields of a report
// object, so scripts and property paths reach Memo.Text or Font.Size while
// the engine keeps working on the plain values.
#pragma once

#include "platform/font.h"
#include "platform/reflection_font.h"
#include "platform/reflection_strings.h"

#include <memory>
#include <string>
#include <vector>

// The object is owned by the holder of the field and created on first use;
// every read refreshes it from the field and every change writes the field,
// so neither side goes stale. The field must outlive the mirror (both live
// in the same report object).
class TKSLinesMirror {
public:
    platform::Strings* get(std::vector<std::string>& field);
    void set(std::vector<std::string>& field, const platform::Strings* source);

private:
    std::unique_ptr<platform::StringList> object_;
};

class TKSFontMirror {
public:
    platform::FontObject* get(platform::Font& field);
    void set(platform::Font& field, const platform::FontObject* source);

private:
    std::unique_ptr<platform::FontObject> object_;
};
