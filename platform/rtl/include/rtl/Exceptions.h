// The error classes every layer raises. Errors are exceptions; the text is what the user sees.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace rtl {

// The base of every error the engine raises; its message is the text shown.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }
    std::string Message;
};

// A text that does not read as a number or a date.
class EConvertError : public Exception {
    using Exception::Exception;
};

// A file that cannot be opened, read or written.
class EInOutError : public Exception {
public:
    EInOutError(std::string message, int errorCode = 0)
        : Exception(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};

// A failed COM call; ErrorCode is the HRESULT.
class EOleSysError : public Exception {
public:
    EOleSysError(std::string message, int32_t errorCode)
        : Exception(std::move(message)), ErrorCode(errorCode) {}
    int32_t ErrorCode;
};

// A failed COM call whose caller gave its own text.
class EOleError : public Exception {
    using Exception::Exception;
};

// An index outside a list.
class EListError : public Exception {
    using Exception::Exception;
};

// A drawing operation was asked of something that cannot do it.
class EInvalidGraphicOperation : public Exception {
    using Exception::Exception;
};

// An internal check that failed; the text names the source file and line.
class EAssertionFailed : public Exception {
    using Exception::Exception;
};

} // namespace rtl
