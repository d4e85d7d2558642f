#include "foundation/StringEx.h"

#include <objbase.h>

#include <cstdio>
#include <cwchar>

namespace StringDetail
{
// The Microsoft C runtime's printf family: wide "%s" takes a wide string and
// "I64" selects a 64-bit argument (the build keeps __USE_MINGW_ANSI_STDIO=0).
int CountFormatted(const wchar_t* format, va_list args) { return _vscwprintf(format, args); }
int CountFormatted(const char* format, va_list args) { return _vscprintf(format, args); }
void PrintFormatted(wchar_t* buffer, size_t count, const wchar_t* format, va_list args)
{
    _vsnwprintf(buffer, count, format, args);
}
void PrintFormatted(char* buffer, size_t count, const char* format, va_list args)
{
    _vsnprintf(buffer, count, format, args);
}
size_t TextLength(const wchar_t* text) { return std::wcslen(text); }
size_t TextLength(const char* text) { return std::strlen(text); }

// Conversions run in chunks of at most 1 GiB of source. A chunk boundary is
// moved back so that it never splits a UTF-8 sequence or a surrogate pair.
unsigned __int64 Utf8ToUtf16(const char* source, unsigned __int64 bytes, wchar_t* target, unsigned __int64 room)
{
    unsigned __int64 produced = 0;
    while (bytes > 0)
    {
        unsigned __int64 chunk = bytes < AtomDetail::TransferChunk ? bytes : AtomDetail::TransferChunk;
        if (chunk < bytes)
            for (int back = 0; back < 3 && (static_cast<unsigned char>(source[chunk]) & 0xC0) == 0x80; ++back)
                --chunk;
        const int units = MultiByteToWideChar(CP_UTF8, 0, source, static_cast<int>(chunk),
                                              target ? target + produced : nullptr,
                                              target ? static_cast<int>(room - produced) : 0);
        if (units <= 0)
            break;
        produced += static_cast<unsigned __int64>(units);
        source += chunk;
        bytes -= chunk;
    }
    return produced;
}

unsigned __int64 Utf16ToUtf8(const wchar_t* source, unsigned __int64 units, char* target, unsigned __int64 room)
{
    const unsigned __int64 chunkUnits = AtomDetail::TransferChunk / 2;
    unsigned __int64 produced = 0;
    while (units > 0)
    {
        unsigned __int64 chunk = units < chunkUnits ? units : chunkUnits;
        if (chunk < units && IS_HIGH_SURROGATE(source[chunk - 1]))
            --chunk;
        const unsigned __int64 left = room - produced;
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, source, static_cast<int>(chunk),
                                              target ? target + produced : nullptr,
                                              target ? static_cast<int>(left < 0x7FFFFFFF ? left : 0x7FFFFFFF) : 0,
                                              nullptr, nullptr);
        if (bytes <= 0)
            break;
        produced += static_cast<unsigned __int64>(bytes);
        source += chunk;
        units -= chunk;
    }
    return produced;
}
}

MStringEx<wchar_t> NewGuidString()
{
    GUID guid;
    if (FAILED(CoCreateGuid(&guid)))
        return MStringEx<wchar_t>();
    wchar_t* text = nullptr;
    if (FAILED(StringFromCLSID(guid, &text)) || !text)
        return MStringEx<wchar_t>();
    MStringEx<wchar_t> result(text);
    CoTaskMemFree(text);
    return result;
}

MStringEx<wchar_t> GetWindowTextString(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 100, &length))
        return MStringEx<wchar_t>();
    MStringEx<wchar_t> text{ElementCount(length)};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, static_cast<WPARAM>(text.GetCount()),
                             reinterpret_cast<LPARAM>(text.GetData()), SMTO_ABORTIFHUNG, 100, &copied))
        return MStringEx<wchar_t>();
    // The text may have become shorter between the two questions.
    if (copied < length)
        return MStringEx<wchar_t>(text.GetData());
    return text;
}

MStringEx<char> WideToUtf8String(const MStringEx<wchar_t>& text)
{
    const MStringEx<char> utf8 = text.ToUtf8();
    return MStringEx<char>(utf8, true);
}

MStringEx<wchar_t> Utf8ToWideString(const MAtom<unsigned char>& utf8)
{
    return MStringEx<wchar_t>(utf8.Utf8ToWide(), true);
}

MStringEx<wchar_t> Utf8ToWideString(const MAtom<char>& utf8)
{
    return MStringEx<wchar_t>(utf8.Utf8ToWide(), true);
}

template class MemoryPH<unsigned char>;
template class MemoryPH<char>;
template class MemoryPH<wchar_t>;
template class MStringEx<wchar_t>;
template class MStringEx<char>;
