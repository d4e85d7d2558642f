#include "galleries/LocalGalleryStore.h"

#include "foundation/Registry.h"
#include "shell/core/Language.h"

#include <windows.h>

namespace
{
const wchar_t LocalGalleriesKeyName[] = L"Local Galleries";
const wchar_t SelectedLocalGalleryValueName[] = L"Selected Local Gallery";
// Read limits of the store: gallery names in 510 bytes, entries in 520.
constexpr DWORD SelectedGalleryBytes = 510;
constexpr DWORD EntryBytes = 520;
constexpr DWORD ValueNameUnits = 32766;

MStringEx<wchar_t> GalleriesKeyPath()
{
    return MStringEx<wchar_t>(sX::Format(), L"%s\\%s", ProgramSettingsKeyPath(), LocalGalleriesKeyName);
}

// The text of size bytes of REG_SZ data, without the terminating NULs.
MStringEx<wchar_t> TextOf(const wchar_t* data, DWORD size)
{
    DWORD length = size / sizeof(wchar_t);
    for (DWORD i = 0; i < length; ++i)
        if (data[i] == 0)
        {
            length = i;
            break;
        }
    MStringEx<wchar_t> text{ElementCount(length)};
    for (DWORD i = 0; i < length; ++i)
        text[i] = data[i];
    return text;
}
}

MStringEx<wchar_t> ReadSelectedLocalGallery()
{
    RegistryKey key;
    key.Create(HKEY_CURRENT_USER, GalleriesKeyPath().GetText(), KEY_ALL_ACCESS);
    if (!key.Get())
        return MStringEx<wchar_t>();
    wchar_t data[SelectedGalleryBytes / sizeof(wchar_t)] = {};
    DWORD type = 0, size = SelectedGalleryBytes;
    const LONG result = RegQueryValueExW(key.Get(), SelectedLocalGalleryValueName, nullptr, &type,
                                         reinterpret_cast<BYTE*>(data), &size);
    if (result == ERROR_FILE_NOT_FOUND)
        return MStringEx<wchar_t>();
    if (result != ERROR_SUCCESS || type != REG_SZ)
    {
        RegDeleteValueW(key.Get(), SelectedLocalGalleryValueName);
        return MStringEx<wchar_t>();
    }
    return TextOf(data, size);
}

bool RemoveFileFromLocalGallery(const MStringEx<wchar_t>& name, const MStringEx<wchar_t>& path)
{
    RegistryKey key;
    key.Create(HKEY_CURRENT_USER,
               MStringEx<wchar_t>(sX::Format(), L"%s\\%s", GalleriesKeyPath().GetText(), name.GetText()).GetText(),
               KEY_ALL_ACCESS);
    if (!key.Get())
        return false;
    MemoryPH<wchar_t> valueName{ElementCount(ValueNameUnits + 1)};
    for (DWORD index = 0;; ++index)
    {
        DWORD nameLength = ValueNameUnits + 1, type = 0, size = EntryBytes;
        wchar_t data[EntryBytes / sizeof(wchar_t)] = {};
        const LONG result = RegEnumValueW(key.Get(), index, valueName.GetData(), &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &size);
        if (result == ERROR_NO_MORE_ITEMS)
            return false;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        if (TextOf(data, size).EqualsNoCase(path))
            return RegDeleteValueW(key.Get(), valueName.GetData()) == ERROR_SUCCESS;
    }
}
