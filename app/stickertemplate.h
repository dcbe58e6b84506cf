// The program's one template: the tear-off sticker sheet, described in code and
// stored in the main window's form data.
#pragma once

#include <string>
#include <string_view>

class TKSReport;

// The digit string the strips hold in the stored template; the script
// replaces it before anything is printed.
inline constexpr std::string_view kSamplePhoneNumber = "13800000000";

// Replaces the report's template by the sticker sheet.
void BuildStickerTemplate(TKSReport& report);

// The sheet's template stream (what SaveToStream writes for it).
std::string StickerTemplateStream();
