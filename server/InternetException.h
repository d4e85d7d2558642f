// Failure record of the internet requests, thrown by value.
#pragma once

struct InternetException
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
};

inline InternetException MakeInternetError(unsigned systemError, unsigned line, unsigned step)
{
    return InternetException{0, systemError, 0, line, step};
}

inline InternetException MakeInternetFailure(unsigned code, unsigned line, unsigned step)
{
    return InternetException{code, 0, 0xFFFFFFFF, line, step};
}
