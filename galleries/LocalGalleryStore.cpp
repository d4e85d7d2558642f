#include "galleries/LocalGalleryStore.h"

#include "foundation/FolderPath.h"
#include "foundation/Registry.h"
#include "foundation/StringResources.h"
#include "foundation/SystemUtilities.h"
#include "galleries/GalleryEntryCheck.h"
#include "resources/languages/LanguageIds.h"
#include "core/MessageBox.h"

#include <objbase.h>

#include <algorithm>
#include <cwchar>

namespace
{
const wchar_t LocalGalleriesKeyName[] = L"Local Galleries";
const wchar_t SelectedLocalGalleryValueName[] = L"Selected Local Gallery";
// Read limits of the store. "Selected Local Gallery" gets 512 bytes, so that
// a name of 255 characters (the longest the name dialog accepts) with its
// NUL fits and stays selected.
constexpr DWORD SelectedGalleryBytes = 512;
constexpr DWORD EntryBytes = 520;
constexpr DWORD ValueNameUnits = 32766;
constexpr DWORD GalleryNameUnits = 510;

void ShowStoreMessage(HWND owner, const MString& text)
{
    LocalizedMessageBox(owner, text.GetText(), MString(ResId(IDS_PRODUCT_CAPTION)).GetText(), MB_ICONERROR);
}

GalleryStoreReporter g_reporter = &ShowStoreMessage;

MString GalleriesKeyPath()
{
    return MString(sX::Format(), L"%s\\%s", ProgramSettingsKeyPath(), LocalGalleriesKeyName);
}

MString GalleryKeyPath(const MString& name)
{
    return MString(sX::Format(), L"%s\\%s", GalleriesKeyPath().GetText(), name.GetText());
}

// The text of size bytes of REG_SZ data, up to its first NUL.
MString TextOf(const wchar_t* data, DWORD size)
{
    DWORD length = size / sizeof(wchar_t);
    for (DWORD i = 0; i < length; ++i)
        if (data[i] == 0)
        {
            length = i;
            break;
        }
    MString text{ElementCount(length)};
    for (DWORD i = 0; i < length; ++i)
        text[i] = data[i];
    return text;
}

void ReportFailure(HWND owner, const MString& name, LONG error)
{
    g_reporter(owner, MString(sX::Format(), IDS_GALLERY_SAVE_FAILED, name.GetText(),
                              FormatSystemError(static_cast<DWORD>(error)).GetText()));
}

LONG WriteText(const RegistryKey& key, const wchar_t* valueName, const MString& text)
{
    return key.Set(valueName, REG_SZ, text.GetText(), static_cast<DWORD>((text.GetLength() + 1) * sizeof(wchar_t)));
}

// One value of a gallery key as the enumeration finds it.
struct GalleryValue
{
    MString name;
    bool usable = false; // REG_SZ within the entry limit
    MString path;
};

// Every value of the key, in enumeration order.
std::vector<GalleryValue> EnumerateValues(const RegistryKey& key)
{
    std::vector<GalleryValue> values;
    std::vector<wchar_t> valueName(ValueNameUnits + 1);
    for (DWORD index = 0;; ++index)
    {
        DWORD nameLength = ValueNameUnits + 1, type = 0, size = EntryBytes;
        wchar_t data[EntryBytes / sizeof(wchar_t)] = {};
        const LONG result = RegEnumValueW(key.Get(), index, valueName.data(), &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &size);
        if (result == ERROR_MORE_DATA)
        {
            // The data does not fit the entry limit: unreadable. The name
            // is asked again without the data.
            nameLength = ValueNameUnits + 1;
            if (RegEnumValueW(key.Get(), index, valueName.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            values.push_back({MString(valueName.data()), false, MString()});
            continue;
        }
        if (result != ERROR_SUCCESS)
            break;
        GalleryValue value{MString(valueName.data()), type == REG_SZ, MString()};
        if (value.usable)
            value.path = TextOf(data, size);
        values.push_back(std::move(value));
    }
    return values;
}

bool LessIgnoringCase(const MString& a, const MString& b)
{
    return _wcsicmp(a.GetText(), b.GetText()) < 0;
}

MString NewValueName()
{
    GUID guid = {};
    if (FAILED(CoCreateGuid(&guid)))
        return MString();
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return MString(text);
}
}

void SetGalleryStoreReporter(GalleryStoreReporter reporter)
{
    g_reporter = reporter ? reporter : &ShowStoreMessage;
}

void ListLocalGalleries(std::vector<MString>& names)
{
    names.clear();
    RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, GalleriesKeyPath().GetText(), KEY_READ))
        return;
    std::vector<wchar_t> name(GalleryNameUnits + 1);
    for (DWORD index = 0;; ++index)
    {
        DWORD length = GalleryNameUnits + 1;
        if (RegEnumKeyExW(key.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        MString text(name.data());
        const auto at = std::upper_bound(names.begin(), names.end(), text, [](const MString& a, const MString& b) {
            return wcscmp(a.GetText(), b.GetText()) < 0;
        });
        names.insert(at, std::move(text));
    }
}

MString ReadSelectedLocalGallery()
{
    RegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, GalleriesKeyPath().GetText(), KEY_QUERY_VALUE | KEY_SET_VALUE))
        return MString();
    wchar_t data[SelectedGalleryBytes / sizeof(wchar_t)] = {};
    DWORD type = 0, size = SelectedGalleryBytes;
    const LONG result = key.Query(SelectedLocalGalleryValueName, type, data, size);
    if (result == ERROR_FILE_NOT_FOUND)
        return MString();
    if (result != ERROR_SUCCESS || type != REG_SZ)
    {
        key.Delete(SelectedLocalGalleryValueName);
        return MString();
    }
    return TextOf(data, size);
}

bool WriteSelectedLocalGallery(HWND owner, const MString& name)
{
    if (name.IsEmpty())
        return false;
    RegistryKey key;
    LONG error = ERROR_SUCCESS;
    if (!key.Create(HKEY_CURRENT_USER, GalleriesKeyPath().GetText(), KEY_SET_VALUE, &error))
    {
        ReportFailure(owner, name, error);
        return false;
    }
    error = WriteText(key, SelectedLocalGalleryValueName, name);
    if (error != ERROR_SUCCESS)
    {
        ReportFailure(owner, name, error);
        return false;
    }
    return true;
}

void ClearSelectedLocalGallery()
{
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, GalleriesKeyPath().GetText(), KEY_SET_VALUE))
        key.Delete(SelectedLocalGalleryValueName);
}

void LoadLocalGalleryFiles(const MString& name, std::vector<MString>& paths)
{
    const std::vector<ProtectedFolder> protectedFolders = ProtectedFolderList();
    RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, GalleryKeyPath(name).GetText(), KEY_ALL_ACCESS))
        return;

    // Taken entries: (normalised path, value name), ascending ignoring case.
    std::vector<std::pair<MString, MString>> taken;
    std::vector<MString> doomed;
    for (GalleryValue& value : EnumerateValues(key))
    {
        if (!value.usable)
        {
            doomed.push_back(value.name);
            continue;
        }
        const MString path = NormalizeFolderPath(value.path);
        const bool refused =
            path.IsEmpty() || FindProtectedFolder(protectedFolders, path) ||
            std::any_of(taken.begin(), taken.end(), [&](const std::pair<MString, MString>& entry) {
                return EqualsIgnoringCase(entry.first, path) || IsStrictSubPath(entry.first, path);
            });
        if (refused)
        {
            doomed.push_back(value.name);
            continue;
        }
        // A folder entry covers the entries below it.
        for (auto it = taken.begin(); it != taken.end();)
            if (IsStrictSubPath(path, it->first))
            {
                doomed.push_back(it->second);
                it = taken.erase(it);
            }
            else
                ++it;
        const auto at = std::upper_bound(taken.begin(), taken.end(), path,
                                         [](const MString& p, const std::pair<MString, MString>& entry) {
                                             return LessIgnoringCase(p, entry.first);
                                         });
        taken.insert(at, {path, value.name});
    }

    paths.clear();
    for (const auto& entry : taken)
        paths.push_back(entry.first);
    for (const MString& valueName : doomed)
        key.Delete(valueName.GetText());
}

GallerySave SaveLocalGalleryFiles(HWND owner, const MString& name, const std::vector<MString>& paths,
                                  bool showErrors, const GalleryEntryCheck& check)
{
    GallerySave outcome;
    if (name.IsEmpty())
    {
        if (showErrors)
            g_reporter(owner, MString(ResId(IDS_GALLERY_NO_NAME)));
        return outcome;
    }
    if (paths.empty())
    {
        if (showErrors)
            g_reporter(owner, MString(sX::Format(), IDS_GALLERY_EMPTY, name.GetText()));
        return outcome;
    }

    size_t failures = 0;
    for (size_t i = 0; i < paths.size(); ++i)
        if (check.Check(paths[i]) != 0)
        {
            if (failures++ == 0)
                outcome.firstFailure = static_cast<ptrdiff_t>(i);
        }
    if (failures)
    {
        if (showErrors)
        {
            const UINT message = paths.size() == 1        ? IDS_GALLERY_ONLY_ENTRY_FAILED
                                 : failures == paths.size() ? IDS_GALLERY_ALL_ENTRIES_FAILED
                                 : failures == 1            ? IDS_GALLERY_ONE_ENTRY_FAILED
                                                            : IDS_GALLERY_SOME_ENTRIES_FAILED;
            g_reporter(owner, MString(sX::Format(), message, name.GetText()));
        }
        return outcome;
    }

    // The user must not believe a gallery saved that was not: a key that
    // cannot be opened or a value that cannot be written is reported.
    RegistryKey key;
    LONG error = ERROR_SUCCESS;
    if (!key.Create(HKEY_CURRENT_USER, GalleryKeyPath(name).GetText(), KEY_ALL_ACCESS, &error))
    {
        ReportFailure(owner, name, error);
        return outcome;
    }

    std::vector<MString> collected = paths;
    std::vector<MString> doomed;
    for (const GalleryValue& value : EnumerateValues(key))
    {
        const auto kept = !value.usable ? collected.end()
                                        : std::find_if(collected.begin(), collected.end(), [&](const MString& path) {
                                              return EqualsIgnoringCase(path, value.path);
                                          });
        if (kept == collected.end())
            doomed.push_back(value.name);
        else
            collected.erase(kept);
    }
    for (const MString& valueName : doomed)
        key.Delete(valueName.GetText());

    for (const MString& path : collected)
    {
        const MString valueName = NewValueName();
        error = valueName.IsEmpty() ? static_cast<LONG>(ERROR_INVALID_DATA) : WriteText(key, valueName.GetText(), path);
        if (error != ERROR_SUCCESS)
        {
            if (!valueName.IsEmpty())
                key.Delete(valueName.GetText());
            ReportFailure(owner, name, error);
            return outcome;
        }
    }
    outcome.saved = true;
    return outcome;
}

bool RemoveFileFromLocalGallery(const MString& name, const MString& path)
{
    RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, GalleryKeyPath(name).GetText(), KEY_ALL_ACCESS))
        return false;
    for (const GalleryValue& value : EnumerateValues(key))
        if (value.usable && EqualsIgnoringCase(value.path, path))
            return key.Delete(value.name.GetText()) == ERROR_SUCCESS;
    return false;
}
