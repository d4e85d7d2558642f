// Failure record of the string family, thrown by value.
#pragma once

#include <windows.h>

struct MStringException
{
    // 10001 to 10007.
    unsigned code = 0;
    // The Win32 error of the failed call, or 0.
    DWORD error = 0;

    MStringException(unsigned code_, DWORD error_ = 0) : code(code_), error(error_) {}
};
