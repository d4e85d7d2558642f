// The one family of failures the program throws. Every failure record
// derives from QuilloryError, so that the window layer and the crash report
// can describe any of them with one catch.
#pragma once

#include <windows.h>

#include <exception>

class QuilloryError : public std::exception
{
public:
    // The record's numeric code; 0 when the record has none.
    virtual unsigned Code() const noexcept = 0;
    // The Win32 error behind the failure, or 0.
    virtual DWORD SystemError() const noexcept { return 0; }
    // The name of the record's family, such as "string" or "crypto".
    const char* what() const noexcept override = 0;
};
