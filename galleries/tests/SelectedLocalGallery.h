// A local gallery stored as the gallery dialog stores it and chosen as the
// slide show's source: where the main-window and tray tests start from.
#pragma once

#include "filter/MediaSource.h"
#include "foundation/Registry.h"
#include "foundation/StringEx.h"
#include "galleries/LocalGalleryStore.h"

#include <windows.h>

#include <string>
#include <vector>

namespace GalleryTest
{
// Stores entries (files or folders) as the gallery's entries, then selects
// the gallery and the local source. False when any of it is not stored.
inline bool StoreSelectedLocalGallery(const wchar_t* name, const std::vector<std::wstring>& entries)
{
    RegistryKey gallery;
    const MString key(sX::Format(), L"%s\\Local Galleries\\%s", ProgramSettingsKeyPath(), name);
    if (!gallery.Create(HKEY_CURRENT_USER, key.GetText(), KEY_SET_VALUE))
        return false;
    int n = 0;
    for (const std::wstring& entry : entries)
    {
        const MString value(sX::Format(), L"{6C0CA1D4-5E51-4C1B-9F7E-0D6F1A3B2C%02d}", ++n);
        if (gallery.Set(value.GetText(), REG_SZ, entry.c_str(),
                        static_cast<DWORD>((entry.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
            return false;
    }
    if (!WriteSelectedLocalGallery(nullptr, MString(name)))
        return false;
    WriteMediaSource(true);
    return true;
}
} // namespace GalleryTest
