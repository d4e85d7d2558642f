#include "foundation/StringResources.h"

#include <cwchar>

namespace StringDetail
{
ShellMemory<wchar_t> FindStringTableEntry(HMODULE module, unsigned id)
{
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW((id >> 4) + 1), RT_STRING);
    if (!info)
        throw MStringException(MStringException::BlockNotFound, GetLastError());
    const DWORD size = SizeofResource(module, info);
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded)
        throw MStringException(MStringException::LoadFailed, GetLastError());
    const wchar_t* block = static_cast<const wchar_t*>(LockResource(loaded));
    if (!block)
        throw MStringException(MStringException::LockFailed);

    // Each entry is a length unit followed by that many units. Every step,
    // and the entry itself, must stay inside the block: the lengths come from
    // a file beside the program.
    const size_t units = size / sizeof(wchar_t);
    size_t position = 0;
    for (unsigned entry = 0; entry < (id & 15); ++entry)
    {
        position += 1 + static_cast<unsigned short>(block[position]);
        if (position >= units)
            throw MStringException(MStringException::EntryOutsideBlock);
    }
    if (position >= units)
        throw MStringException(MStringException::EntryOutsideBlock);
    const size_t length = static_cast<unsigned short>(block[position]);
    if (length > units - position - 1)
        throw MStringException(MStringException::EntryOutsideBlock);
    return ShellMemory<wchar_t>(const_cast<wchar_t*>(block + position + 1), length);
}

MemoryPH<wchar_t> ReadVersionValue(const wchar_t* entryName, HMODULE module)
{
    const DWORD nameRoom = 40000;
    MemoryPH<wchar_t> fileName(nameRoom);
    const DWORD nameLength = GetModuleFileNameW(module, fileName.GetData(), nameRoom);
    fileName[nameLength < nameRoom ? nameLength : nameRoom - 1] = 0;

    DWORD ignored = 0;
    const DWORD infoSize = GetFileVersionInfoSizeW(fileName.GetData(), &ignored);
    if (infoSize == 0)
        throw MStringException(MStringException::LoadFailed, GetLastError());
    MemoryPH<unsigned char> info(infoSize);
    if (!GetFileVersionInfoW(fileName.GetData(), 0, infoSize, info.GetData()))
        throw MStringException(MStringException::LoadFailed, GetLastError());

    const WORD* translations = nullptr;
    UINT tableBytes = 0;
    if (!VerQueryValueW(info.GetData(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(const_cast<WORD**>(&translations)), &tableBytes) ||
        !translations)
        throw MStringException(MStringException::NoTranslationTable);

    for (UINT pair = 0; pair < tableBytes / 4; ++pair)
    {
        // "\StringFileInfo\" and eight digits leave room to spare in 32.
        MemoryPH<wchar_t> path(32 + std::wcslen(entryName));
        _snwprintf(path.GetData(), static_cast<size_t>(path.GetCount()), L"\\StringFileInfo\\%04x%04x\\%s",
                   translations[2 * pair], translations[2 * pair + 1], entryName);
        path[path.GetCount() - 1] = 0;

        const wchar_t* value = nullptr;
        UINT valueLength = 0;
        if (VerQueryValueW(info.GetData(), path.GetData(), reinterpret_cast<void**>(const_cast<wchar_t**>(&value)),
                           &valueLength) &&
            value)
        {
            const size_t length = wcsnlen(value, valueLength);
            MemoryPH<wchar_t> text(length + 1);
            std::wmemcpy(text.GetData(), value, length);
            text[length] = 0;
            return text;
        }
    }
    throw MStringException(MStringException::LoadFailed, 0);
}
}
