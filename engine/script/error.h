// EKSInterpreterError: the script interpreter's exception, with its code, the
// source position and the fixed table of English messages.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace kserr {
enum Code : int {
    Ok = 0,
    Unknown = 1,
    Internal = 2,
    UserBreak = 3,
    ReRaise = 4,
    InUnit = 5,
    ExternalInUnit = 6,
    AccessDenied = 7,
    TooComplex = 8,
    RecordNotDefined = 31,
    StackOverflow = 52,
    TypeMismatch = 53,
    MainUndefined = 55,
    UnitNotFound = 56,
    EventNotRegistered = 57,
    DfmNotFound = 58,
    Remark = 101,
    Expected = 103,
    Undeclared = 104,
    BooleanRequired = 105,
    ClassRequired = 106,
    NotAllowedBeforeElse = 107,
    IntegerRequired = 108,
    RecordObjectClassRequired = 109,
    MissingOperator = 110,
    Redeclared = 111,
    IndexOutOfBounds = 171,
    TooManyBounds = 172,
    NotEnoughBounds = 173,
    InvalidDimension = 174,
    InvalidRange = 175,
    ArrayRequired = 176,
    TooManyParams = 181,
    NotEnoughParams = 182,
    Incompatible = 183,
    LibraryLoad = 184,
    ArgumentType = 185,
    ResultType = 186,
    ProcAddress = 187,
    ArgumentType2 = 188,
    ResultType2 = 189,
    CallConvention = 190,
    CallFailed = 201,
    TextExpression = 301,
    TextIdentifier = 302,
    TextDeclaration = 303,
    TextEndOfFile = 304,
    TextClassDeclaration = 305,
    TextNoImplementation = 401,
};
}

// The table text of a code ("Unknown error" for codes outside the table).
std::string_view interpreterErrorText(int code);

class EKSInterpreterError : public std::exception {
public:
    EKSInterpreterError(int code, int position = -1, std::string name1 = {}, std::string name2 = {});

    const char* what() const noexcept override { return message.c_str(); }

    // Turns the message into "Error in unit ... on line ..." once: see applyPosition.
    void applyPosition(int currentPosition, std::string_view currentUnit, std::string_view source);

    int code;
    int position;              // character offset, -1 = none
    std::string name1, name2;
    std::string unitName;
    int line = -1;
    std::string messageWithoutPosition;
    std::string message;
    bool positionApplied = false;
};

// Line number (1-based) of a character offset: 1 + carriage returns before it,
// 0 when the offset lies beyond the end of the text.
int lineOfPosition(std::string_view source, int position);

// Fills %s / %d placeholders in order with the given texts.
std::string formatInterpreterText(std::string_view pattern, std::initializer_list<std::string_view> args);
