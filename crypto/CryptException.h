// Failure record of the crypto classes, thrown by value.
#pragma once

#include "foundation/Error.h"
#include "foundation/StringEx.h"

#include <windows.h>

struct MCryptException : QuilloryError
{
    // 1 to 17, see Message.
    unsigned code = 0;
    // The Win32 error of the failed call (codes 1 and 9), otherwise 0.
    DWORD error = 0;

    MCryptException(unsigned code_, DWORD error_ = 0) : code(code_), error(error_) {}

    unsigned Code() const noexcept override { return code; }
    DWORD SystemError() const noexcept override { return error; }
    const char* what() const noexcept override { return "crypto"; }

    // The fixed English text of the code; for code 9 the system's text of
    // the stored error.
    MStringEx<wchar_t> Message() const;
};

// Throws {9, GetLastError()}: every failed CryptoAPI or file call.
[[noreturn]] void ThrowLastCryptError();
