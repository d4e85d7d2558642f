// File positions and the byte range of the crypto file operations.
#pragma once

#include "crypto/CryptException.h"

#include <windows.h>

#include <algorithm>

namespace CryptFiles
{
inline bool GetPosition(HANDLE file, unsigned __int64& position)
{
    LARGE_INTEGER zero, at;
    zero.QuadPart = 0;
    if (!SetFilePointerEx(file, zero, &at, FILE_CURRENT))
        return false;
    position = static_cast<unsigned __int64>(at.QuadPart);
    return true;
}

inline bool SetPosition(HANDLE file, unsigned __int64 position)
{
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != FALSE;
}

// The range [min(from, size), min(to, size)) of the input, with the input
// moved to its start, and where both files stood before.
struct FileRange
{
    unsigned __int64 inputKept = 0;
    unsigned __int64 outputKept = 0;
    unsigned __int64 start = 0;
    unsigned __int64 length = 0;

    FileRange(HANDLE input, HANDLE output, unsigned __int64 from, unsigned __int64 to)
    {
        LARGE_INTEGER size;
        if (!GetPosition(input, inputKept) || !GetPosition(output, outputKept) || !GetFileSizeEx(input, &size))
            ThrowLastCryptError();
        const unsigned __int64 total = static_cast<unsigned __int64>(size.QuadPart);
        start = std::min(from, total);
        const unsigned __int64 end = std::min(to, total);
        length = end > start ? end - start : 0;
        if (!SetPosition(input, start))
            ThrowLastCryptError();
    }

    // After a stop: both files back where they were.
    void RestoreBoth(HANDLE input, HANDLE output) const
    {
        SetPosition(input, inputKept);
        SetPosition(output, outputKept);
    }
    // After success: the input back where it was, the output after the data.
    void RestoreInput(HANDLE input) const
    {
        if (!SetPosition(input, inputKept))
            ThrowLastCryptError();
    }
};
}
