// Failure record of the internet requests, thrown by value, and the short
// code by which a failed step is shown to the user.
#pragma once

#include "foundation/Error.h"
#include "foundation/StringEx.h"

struct InternetException : QuilloryError
{
    // 0 when a system call failed; otherwise a program code: 1 cancelled,
    // 3 reply larger than the caller's limit, 4 a read delivered fewer or more
    // bytes than announced.
    unsigned code = 0;
    // GetLastError right after the failing call (0 for program codes).
    unsigned systemError = 0;
    // 0 for a system failure, 0xFFFFFFFF for a program code.
    unsigned kind = 0;
    // Where the failing step was raised, and which step it was.
    unsigned line = 0;
    unsigned step = 0;

    InternetException(unsigned code_, unsigned systemError_, unsigned kind_, unsigned line_, unsigned step_)
        : code(code_), systemError(systemError_), kind(kind_), line(line_), step(step_)
    {
    }

    unsigned Code() const noexcept override { return code; }
    DWORD SystemError() const noexcept override { return systemError; }
    const char* what() const noexcept override { return "internet"; }
};

inline InternetException MakeInternetError(unsigned systemError, unsigned line, unsigned step)
{
    return InternetException(0, systemError, 0, line, step);
}

inline InternetException MakeInternetFailure(unsigned code, unsigned line, unsigned step)
{
    return InternetException(code, 0, 0xFFFFFFFF, line, step);
}

// "UE<code>.L<line>.F<step>" for a program code, otherwise
// "CE<error>.F<kind>.L<line>.F<step>".
MStringEx<wchar_t> ErrorLocationText(const InternetException& failure);
