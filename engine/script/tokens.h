// Token codes of the script lexer and the keyword table lookup.
// Codes are part of the language definition: they never change.
#pragma once

#include <string_view>

namespace tok {
enum Code : int {
    Invalid = -1,
    EndOfText = 0,
    Identifier = 10,
    IntegerLit = 11,
    FloatLit = 12,
    StringLit = 13,
    Not = 21,
    Star = 22,
    Slash = 23,
    Div = 24,
    Mod = 25,
    And = 26,
    Plus = 27,
    Minus = 28,
    Or = 29,
    Equal = 30,
    Greater = 31,
    Less = 32,
    NotEqual = 33,
    GreaterEqual = 34,
    LessEqual = 35,
    LParen = 40,
    RParen = 41,
    Comma = 42,
    Dot = 43,
    Colon = 44,
    Semicolon = 45,
    LBracket = 46,
    RBracket = 47,
    DotDot = 48,
    DoubleQuote = 49,
    False = 63,
    True = 65,
    Begin = 66,
    End = 67,
    If = 68,
    Then = 69,
    Else = 70,
    While = 71,
    Do = 72,
    Repeat = 73,
    Until = 74,
    Procedure = 75,
    Function = 76,
    For = 77,
    To = 78,
    Break = 79,
    Continue = 80,
    Var = 81,
    Try = 82,
    Finally = 83,
    Except = 84,
    On = 85,
    Raise = 86,
    External = 87,
    Unit = 88,
    Uses = 89,
    Const = 90,
    Public = 91,
    Private = 92,
    Protected = 93,
    Published = 94,
    Property = 95,
    Class = 96,
    Type = 97,
    Interface = 98,
    Implementation = 99,
    Exit = 100,
    Array = 101,
    Of = 102,
    Case = 103,
    Program = 104,
    In = 105,
    Record = 106,
    Downto = 107,
};
}

// The keyword's code when the whole text is a keyword (any letter case), else 0.
int keywordCode(std::string_view text);

// True for the tokens that are operands in an expression.
constexpr bool isOperandToken(int code)
{
    return (code >= tok::Identifier && code <= tok::StringLit) || code == tok::True || code == tok::False;
}
