// Host exceptions as scripts see them: `Exception` and the subclasses the
// interpreter raises, plus the object an `on E: Class do` handler receives.
#pragma once

#include "platform/reflection.h"

#include <exception>
#include <memory>
#include <string>

// The base of script-visible exceptions ("Exception"). Host code may throw
// these directly; a handler then sees the thrown class and message.
class Exception : public platform::Object, public std::exception {
public:
    TK_CLASS_INFO
    Exception() = default;
    explicit Exception(std::string message) : message_(std::move(message)) {}

    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& message() const { return message_; }
    void setMessage(std::string message) { message_ = std::move(message); }
    int helpContext() const { return helpContext_; }
    void setHelpContext(int context) { helpContext_ = context; }

private:
    std::string message_;
    int helpContext_ = 0;
};

// An error of the script interpreter itself ("EKSInterpreterError").
class EScriptError : public Exception {
public:
    TK_CLASS_INFO
    using Exception::Exception;
};

class EConvertError : public Exception {
public:
    TK_CLASS_INFO
    using Exception::Exception;
};

class EVariantError : public Exception {
public:
    TK_CLASS_INFO
    using Exception::Exception;
};

class EIntError : public Exception {
public:
    TK_CLASS_INFO
    using Exception::Exception;
};

class EDivByZero : public EIntError {
public:
    TK_CLASS_INFO
    using EIntError::EIntError;
};

class ERangeError : public EIntError {
public:
    TK_CLASS_INFO
    using EIntError::EIntError;
};

class EIntOverflow : public EIntError {
public:
    TK_CLASS_INFO
    using EIntError::EIntError;
};

class EMathError : public Exception {
public:
    TK_CLASS_INFO
    using Exception::Exception;
};

class EZeroDivide : public EMathError {
public:
    TK_CLASS_INFO
    using EMathError::EMathError;
};

// The script-visible object for a caught exception that no script raised:
// a thrown Exception keeps its class and message; the interpreter's own
// errors, variant faults and range errors map to the classes above; anything
// else is a plain Exception with the error's text. Never null.
std::shared_ptr<Exception> hostExceptionFor(const std::exception_ptr& error);
