// Failure record of the string family, thrown by value.
#pragma once

#include "foundation/Error.h"

#include <windows.h>

struct MStringException : QuilloryError
{
    enum Code : unsigned
    {
        // LoadResource of a string-table block failed, the module has no
        // version information, GetFileVersionInfoW failed, or no translation
        // of the version resource has the entry.
        LoadFailed = 10001,
        // FindResourceW found no string-table block.
        BlockNotFound = 10002,
        // LockResource gave no data.
        LockFailed = 10003,
        // The walk to the entry left the string-table block.
        EntryOutsideBlock = 10004,
        // The version resource has no translation table.
        NoTranslationTable = 10005,
        // A character is no digit of the string's radix.
        InvalidDigit = 10006,
        // The string's radix is not 2, 8, 10 or 16.
        InvalidRadix = 10007
    };

    // One of Code.
    unsigned code = 0;
    // The Win32 error of the failed call, or 0.
    DWORD error = 0;

    MStringException(unsigned code_, DWORD error_ = 0) : code(code_), error(error_) {}

    unsigned Code() const noexcept override { return code; }
    DWORD SystemError() const noexcept override { return error; }
    const char* what() const noexcept override { return "string"; }
};
