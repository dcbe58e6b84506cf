// Edit masks ("!000-0000;0;_"): formatting a text through a mask, inserting
// the mask's literal characters, as FORMATTEXT does.
#pragma once

#include <string>
#include <string_view>

namespace editmask {

// Fields of an edit mask: the mask, a save-literals flag ("0": the value holds
// only the entered characters) and the blank character. Input positions are
// L l A a C c 0 9 #; ">" and "<" switch to upper and lower case, "<>" back;
// "\" makes the next character literal; "!" is ignored; ":" and "/" are the
// locale's separators; "_" is a blank. The value is walked by whole GBK
// characters; input positions left over take the blank character.
std::string formatMaskText(std::string_view editMask, std::string_view value);

} // namespace editmask
