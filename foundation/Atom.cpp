#include "foundation/StringEx.h"

#include <atomic>

HMODULE LanguageModule = nullptr;

namespace AtomDetail
{
namespace
{
std::atomic<WipeObserver> wipeObserver{nullptr};
}

void SecureZero(void* data, unsigned __int64 bytes)
{
    // volatile stores: the compiler may not drop a wipe of memory that is
    // about to be released.
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    for (unsigned __int64 i = 0; p && i < bytes; ++i)
        p[i] = 0;
    if (const WipeObserver observer = wipeObserver.load(); observer && data && bytes)
        observer(data, bytes);
}

WipeObserver SetWipeObserver(WipeObserver observer) { return wipeObserver.exchange(observer); }

bool IsFileHandle(HANDLE file) { return file != nullptr && file != INVALID_HANDLE_VALUE; }

bool WriteChunks(HANDLE file, const void* data, unsigned __int64 bytes, DWORD* error)
{
    DWORD ignored = 0;
    DWORD& result = error ? *error : ignored;
    const unsigned char* next = static_cast<const unsigned char*>(data);
    while (bytes > 0)
    {
        const DWORD chunk = static_cast<DWORD>(bytes < TransferChunk ? bytes : TransferChunk);
        DWORD written = 0;
        if (!::WriteFile(file, next, chunk, &written, nullptr))
        {
            result = GetLastError();
            return false;
        }
        if (written != chunk)
        {
            result = ERROR_WRITE_FAULT;
            return false;
        }
        next += chunk;
        bytes -= chunk;
    }
    result = 0;
    return true;
}

bool ReadChunks(HANDLE file, void* data, unsigned __int64 bytes)
{
    unsigned char* next = static_cast<unsigned char*>(data);
    while (bytes > 0)
    {
        const DWORD chunk = static_cast<DWORD>(bytes < TransferChunk ? bytes : TransferChunk);
        DWORD read = 0;
        if (!::ReadFile(file, next, chunk, &read, nullptr) || read != chunk)
            return false;
        next += chunk;
        bytes -= chunk;
    }
    return true;
}

bool FindResourceBytes(HMODULE module, const wchar_t* type, unsigned id, const void** bytes, DWORD* size)
{
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id & 0xFFFF), type);
    if (!info)
        return false;
    *size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded)
        return false;
    *bytes = LockResource(loaded);
    return *bytes != nullptr || *size == 0;
}

double Checksum(const void* data, unsigned __int64 bytes)
{
    const unsigned char* b = static_cast<const unsigned char*>(data);
    double sum = 0.0;
    for (unsigned __int64 i = 0; i < bytes; ++i)
        sum += (static_cast<double>(b[i]) + static_cast<double>(i)) / (static_cast<double>(i) + 256.0);
    return sum;
}
}

static const char HexDigits[] = "0123456789ABCDEF";

MemoryPH<char> BytesToHexText(const MAtom<unsigned char>& bytes)
{
    MemoryPH<char> text(bytes.GetCount() * 2);
    for (unsigned __int64 i = 0; i < bytes.GetCount(); ++i)
    {
        text[2 * i] = HexDigits[bytes[i] >> 4];
        text[2 * i + 1] = HexDigits[bytes[i] & 0x0F];
    }
    return text;
}

MemoryPH<char> BytesToHexText(const MAtom<wchar_t>& wide)
{
    return BytesToHexText(static_cast<const MAtom<unsigned char>&>(wide.AsBytes()));
}

static int HexDigitValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool HexTextToBytes(MAtom<unsigned char>& text)
{
    const unsigned __int64 count = text.GetCount();
    if (count % 2 != 0)
        return false;
    for (unsigned __int64 i = 0; i < count; ++i)
        if (HexDigitValue(text[i]) < 0)
            return false;
    for (unsigned __int64 i = 0; i < count; i += 2)
        text[i / 2] = static_cast<unsigned char>(HexDigitValue(text[i]) << 4 | HexDigitValue(text[i + 1]));
    text.SetCount(count / 2);
    return true;
}
