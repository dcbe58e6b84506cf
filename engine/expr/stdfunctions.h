// TKSStdFunctionLibrary: the standard functions of report expressions (text,
// numbers, dates, choice, boxes, aggregates, Chinese numerals and money).
#pragma once

#include "expr/functionlibrary.h"

class TKSStdFunctionLibrary : public TKSFunctionLibrary {
public:
    // Function numbers: positions in the name list.
    enum Function {
        fnStrToFloat, fnParamStr, fnExtractFilePath, fnStringOfChar, fnMonthToEnglishShort,
        fnMonthToEnglishLong, fnSingNumToBig, fnSmallToBig, fnCurrToBigNum, fnKSRound,
        fnStrToInt, fnAbs, fnGetControlPropValue, fnFormatDateTime, fnFormatFloat,
        fnFormatText, fnLength, fnLowerCase, fnNameCase, fnPos,
        fnTrim, fnUpperCase, fnDiv, fnMaxNum, fnMinNum,
        fnDay, fnMonth, fnYear, fnInput, fnMessageBox,
        fnShowMessage, fnDate, fnTime, fnFieldIsNull, fnChinaDate,
        fnIIf, fnKSFormat, fnStrToDate, fnStrToTime, fnCNumber,
        fnCopy, fnIf, fnAvg, fnCount, fnMax,
        fnMin, fnSum,
    };

    // Longest text STRINGOFCHAR builds; a larger count is an error.
    static constexpr int kMaxRepeat = 1 << 20;

    TKSStdFunctionLibrary();

    static const TKSFunctionLibraryClass& Class();

    void DoFunction(TKSParser& parser, int number, TKSArguments& arguments, platform::Variant& result) override;
};

// Registers the standard library (once) and refreshes the registry: what the
// engine does at start-up after its numbered texts are available.
void RegisterStdFunctionLibrary();
