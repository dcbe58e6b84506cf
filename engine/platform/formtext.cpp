// Window description format: its error type and the named integer constants
// (colours, cursors) that property values may use.
#include "platform/formtext.h"

#include "platform/colors.h"
#include "platform/gbk.h"

#include <map>
#include <mutex>

namespace platform {

FormTextError::FormTextError(int line, const std::string& message)
    : std::runtime_error("Line " + std::to_string(line) + ": " + message), line_(line)
{
}

namespace {

using ConstantList = std::vector<std::pair<std::string, int>>;

ConstantList colorConstants()
{
    return {
        {"clBlack", clBlack}, {"clMaroon", clMaroon}, {"clGreen", clGreen}, {"clOlive", clOlive},
        {"clNavy", clNavy}, {"clPurple", clPurple}, {"clTeal", clTeal}, {"clGray", clGray},
        {"clSilver", clSilver}, {"clRed", clRed}, {"clLime", clLime}, {"clYellow", clYellow},
        {"clBlue", clBlue}, {"clFuchsia", clFuchsia}, {"clAqua", clAqua}, {"clWhite", clWhite},
        {"clMoneyGreen", clMoneyGreen}, {"clSkyBlue", clSkyBlue}, {"clCream", clCream},
        {"clMedGray", clMedGray}, {"clNone", clNone}, {"clDefault", clDefault},
        {"clScrollBar", clScrollBar}, {"clBackground", clBackground}, {"clActiveCaption", clActiveCaption},
        {"clInactiveCaption", clInactiveCaption}, {"clMenu", clMenu}, {"clWindow", clWindow},
        {"clWindowFrame", clWindowFrame}, {"clMenuText", clMenuText}, {"clWindowText", clWindowText},
        {"clCaptionText", clCaptionText}, {"clActiveBorder", clActiveBorder},
        {"clInactiveBorder", clInactiveBorder}, {"clAppWorkSpace", clAppWorkSpace},
        {"clHighlight", clHighlight}, {"clHighlightText", clHighlightText}, {"clBtnFace", clBtnFace},
        {"clBtnShadow", clBtnShadow}, {"clGrayText", clGrayText}, {"clBtnText", clBtnText},
        {"clInactiveCaptionText", clInactiveCaptionText}, {"clBtnHighlight", clBtnHighlight},
        {"cl3DDkShadow", cl3DDkShadow}, {"cl3DLight", cl3DLight}, {"clInfoText", clInfoText},
        {"clInfoBk", clInfoBk}, {"clHotLight", clHotLight},
        {"clGradientActiveCaption", clGradientActiveCaption},
        {"clGradientInactiveCaption", clGradientInactiveCaption}, {"clMenuHighlight", clMenuHighlight},
        {"clMenuBar", clMenuBar},
    };
}

ConstantList cursorConstants()
{
    return {
        {"crDefault", 0}, {"crNone", -1}, {"crArrow", -2}, {"crCross", -3}, {"crIBeam", -4},
        {"crSizeNESW", -6}, {"crSizeNS", -7}, {"crSizeNWSE", -8}, {"crSizeWE", -9}, {"crUpArrow", -10},
        {"crHourGlass", -11}, {"crDrag", -12}, {"crNoDrop", -13}, {"crHSplit", -14}, {"crVSplit", -15},
        {"crMultiDrag", -16}, {"crSQLWait", -17}, {"crNo", -18}, {"crAppStart", -19}, {"crHelp", -20},
        {"crHandPoint", -21}, {"crSizeAll", -22},
    };
}

struct ConstantTables {
    std::mutex mutex;
    std::map<std::string, ConstantList> byType;  // upper-case type name
    ConstantTables()
    {
        byType["TCOLOR"] = colorConstants();
        byType["TCURSOR"] = cursorConstants();
    }
};

ConstantTables& tables()
{
    static ConstantTables t;
    return t;
}

} // namespace

void registerIntegerConstants(std::string typeName, std::vector<std::pair<std::string, int>> constants)
{
    std::lock_guard lock(tables().mutex);
    ConstantList& list = tables().byType[upperCase(typeName)];
    list.insert(list.end(), constants.begin(), constants.end());
}

std::optional<int> integerConstant(std::string_view typeName, std::string_view name)
{
    std::lock_guard lock(tables().mutex);
    auto it = tables().byType.find(upperCase(typeName));
    if (it == tables().byType.end())
        return std::nullopt;
    for (const auto& [constant, value] : it->second) {
        if (sameName(constant, name))
            return value;
    }
    return std::nullopt;
}

std::optional<std::string> integerConstantName(std::string_view typeName, int value)
{
    std::lock_guard lock(tables().mutex);
    auto it = tables().byType.find(upperCase(typeName));
    if (it == tables().byType.end())
        return std::nullopt;
    for (const auto& [constant, v] : it->second) {
        if (v == value)
            return constant;
    }
    return std::nullopt;
}

} // namespace platform
