// Host exceptions as scripts see them: class descriptions and the mapping from
// a caught C++ exception to the object a script handler receives.
#include "script/hostexception.h"

#include "platform/variant.h"
#include "script/error.h"

#include <stdexcept>
#include <string_view>

namespace {

template <class T> std::shared_ptr<Exception> make(const char* message)
{
    return std::make_shared<T>(std::string(message));
}

// A copy of a thrown Exception of the same class (the thrown object itself
// dies with the exception).
std::shared_ptr<Exception> copyOf(const Exception& thrown)
{
    std::unique_ptr<platform::Object> object = thrown.classInfo().create();
    std::shared_ptr<Exception> copy(static_cast<Exception*>(object.release()));
    if (!copy)
        copy = std::make_shared<Exception>();
    copy->setMessage(thrown.message());
    copy->setHelpContext(thrown.helpContext());
    return copy;
}

std::shared_ptr<Exception> fromVariantError(const platform::VariantError& e)
{
    if (e.kind() == platform::VariantError::Kind::DivisionByZero) {
        // Real division and integer division fail with different texts.
        if (std::string_view(e.what()).starts_with("Floating"))
            return make<EZeroDivide>(e.what());
        return make<EDivByZero>(e.what());
    }
    return make<EVariantError>(e.what());
}

} // namespace

#define TK_EXCEPTION_CLASS(Type, Name, Parent)                                                        \
    const platform::ClassInfo& Type::staticClassInfo()                                               \
    {                                                                                                \
        static const platform::ClassInfo info = platform::ClassInfo::define<Type>(Name, &Parent::staticClassInfo()); \
        return info;                                                                                 \
    }

const platform::ClassInfo& Exception::staticClassInfo()
{
    static const platform::ClassInfo info =
        platform::ClassInfo::define<Exception>("Exception", &platform::Object::staticClassInfo())
            .prop("Message", &Exception::message, &Exception::setMessage)
            .prop("HelpContext", &Exception::helpContext, &Exception::setHelpContext);
    return info;
}

TK_EXCEPTION_CLASS(EScriptError, "EKSInterpreterError", Exception)
TK_EXCEPTION_CLASS(EConvertError, "EConvertError", Exception)
TK_EXCEPTION_CLASS(EVariantError, "EVariantError", Exception)
TK_EXCEPTION_CLASS(EIntError, "EIntError", Exception)
TK_EXCEPTION_CLASS(EDivByZero, "EDivByZero", EIntError)
TK_EXCEPTION_CLASS(ERangeError, "ERangeError", EIntError)
TK_EXCEPTION_CLASS(EIntOverflow, "EIntOverflow", EIntError)
TK_EXCEPTION_CLASS(EMathError, "EMathError", Exception)
TK_EXCEPTION_CLASS(EZeroDivide, "EZeroDivide", EMathError)

std::shared_ptr<Exception> hostExceptionFor(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return copyOf(e);
    } catch (const EKSInterpreterError& e) {
        return make<EScriptError>(e.what());
    } catch (const platform::VariantError& e) {
        return fromVariantError(e);
    } catch (const std::out_of_range& e) {
        return make<ERangeError>(e.what());
    } catch (const std::exception& e) {
        return make<Exception>(e.what());
    } catch (...) {
        return make<Exception>("Unknown exception");
    }
}
