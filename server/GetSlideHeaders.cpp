#include "server/GetSlideHeaders.h"

#include "foundation/ShellHelpers.h"
#include "foundation/SystemUtilities.h"

#include <shlwapi.h>

const wchar_t PrivateGalleryViewHeader[] = L"Velmora-LV-CDPAC-D329E58D-87BE-497F-AC5B-706BF6F5D999";

namespace
{
constexpr unsigned __int64 PrivateViewBytes = 2000;

// RtlGetVersion's answer; all zero when ntdll does not give it.
RTL_OSVERSIONINFOEXW SystemVersion()
{
    RTL_OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    using RtlGetVersionCall = LONG(WINAPI*)(RTL_OSVERSIONINFOEXW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto call = ntdll ? reinterpret_cast<RtlGetVersionCall>(
                            reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                      : nullptr;
    if (!call || call(&version) != 0)
    {
        version = {};
        version.dwOSVersionInfoSize = sizeof(version);
    }
    return version;
}

MStringEx<wchar_t> Decimal(unsigned __int64 value) { return MStringEx<wchar_t>(false, value); }

void AddEntry(HeaderList& headers, const HeaderList::Entry& entry) { headers.Add(entry.first, entry.second); }

// Compares names by their UTF-16 code units.
int CompareNames(const MStringEx<wchar_t>& a, const MStringEx<wchar_t>& b)
{
    const wchar_t* x = a.GetText();
    const wchar_t* y = b.GetText();
    for (;; ++x, ++y)
    {
        if (*x != *y)
            return *x < *y ? -1 : 1;
        if (!*x)
            return 0;
    }
}
} // namespace

MStringEx<wchar_t> HexOfText(const MStringEx<wchar_t>& text)
{
    return HexHeaderValue(ShellMemory<unsigned char>(reinterpret_cast<unsigned char*>(text.GetData()),
                                                     text.GetLength() * sizeof(wchar_t)));
}

bool HasElements(const MAtom<unsigned char>& atom) { return !atom.IsEmpty(); }

HeaderList::Entry MakeGalleryNameHeader(const MStringEx<wchar_t>& galleryName)
{
    return HeaderList::Entry(L"Velmora-LV-Gallery-Name", HexOfText(galleryName));
}

HeaderList::Entry MakeGalleryLanguageHeader(DWORD galleryLanguage)
{
    return HeaderList::Entry(L"Velmora-LV-Gallery-Language", Decimal(galleryLanguage));
}

HeaderList BuildGetSlideHeaders(const OnlineSlideRecord& record, const MStringEx<wchar_t>& clientKeyValue,
                                HeaderList& sessionHeaders, bool advertDue, const MStringEx<wchar_t>& desktopFolder)
{
    const RTL_OSVERSIONINFOEXW os = SystemVersion();
    HeaderList headers;
    headers.Add(L"Velmora-LV-Internet-Get-Slide-Version", L"5");
    headers.Add(L"Velmora-LV-Client-PC-PK", clientKeyValue);
    headers.Add(L"Velmora-LV-Client-OS-Major-Version", Decimal(os.dwMajorVersion));
    headers.Add(L"Velmora-LV-Client-OS-Minor-Version", Decimal(os.dwMinorVersion));
    headers.Add(L"Velmora-LV-Client-OS-Build-Number", Decimal(os.dwBuildNumber));
    headers.Add(L"Velmora-LV-Client-OS-Platform-Id", Decimal(os.dwPlatformId));
    headers.Add(L"Velmora-LV-Client-OS-Service-Pack-Major", Decimal(os.wServicePackMajor));
    headers.Add(L"Velmora-LV-Client-OS-Service-Pack-Minor", Decimal(os.wServicePackMinor));
    headers.Add(L"Velmora-LV-Product-Name", HexOfText(ProductName));
    headers.Add(L"Velmora-LV-Product-Version", HexOfText(MStringEx<wchar_t>(L"ProductVersion", nullptr)));
    headers.Add(L"Velmora-LV-UI-Language", Decimal(UiLanguage));
    headers.Add(L"Velmora-LV-Content-Type", advertDue ? L"Advert" : L"Information");
    headers.Add(L"Velmora-LV-Item-Enumeration-Session-Start", record.sessionStart ? L"TRUE" : L"FALSE");
    headers.Add(L"Velmora-LV-Item-Enumeration-Forward-Level", MStringEx<wchar_t>::FromInt64(record.forwardLevel));
    headers.Add(L"Velmora-LV-Item-Enumeration-Type",
                record.displayOrder == DisplayOrderOrdered ? L"ordered" : L"random");
    if (!record.galleryName.IsEmpty())
    {
        AddEntry(headers, MakeGalleryNameHeader(record.galleryName));
        AddEntry(headers, MakeGalleryLanguageHeader(record.galleryLanguage));
    }
    while (!sessionHeaders.IsEmpty())
    {
        HeaderList::Entry* pair = sessionHeaders.RemoveAt(0);
        try
        {
            headers.Dictionary::Add(pair);
        }
        catch (...)
        {
            delete pair;
            throw;
        }
    }
    AddPrivateGalleryViewHeader(headers, desktopFolder);
    return headers;
}

void AddPrivateGalleryViewHeader(HeaderList& headers, const MStringEx<wchar_t>& desktopFolder)
{
    try
    {
        const MStringEx<wchar_t> folder = desktopFolder.IsEmpty() ? GetDesktopFolderPath() : desktopFolder;
        if (folder.IsEmpty())
            return;
        const MStringEx<wchar_t> path(sX::Format(), L"%s\\%s - private gallery view secret.txt", folder.GetText(),
                                      ProductName);
        if (!PathFileExistsW(path.GetText()))
            return;
        MemoryPH<unsigned char> bytes;
        bytes.ReadFile(path.GetText(), PrivateViewBytes, nullptr);
        if (bytes.IsEmpty())
            return;
        unsigned __int64 length = 0;
        while (length < bytes.GetCount() && bytes[length] != 0)
            ++length;
        MStringEx<char> text(ShellMemory<char>(reinterpret_cast<char*>(bytes.GetData()), length), false);
        text.Trim();
        const MStringEx<wchar_t> name(PrivateGalleryViewHeader);
        for (unsigned __int64 i = 0; i < headers.GetCount(); ++i)
            if (CompareNames(headers.GetAt(i)->first, name) == 0)
                return;
        const MStringEx<wchar_t> value =
            HexHeaderValue(ShellMemory<unsigned char>(reinterpret_cast<unsigned char*>(text.GetData()),
                                                      text.GetLength()));
        // Descending order of names: before the first smaller name.
        unsigned __int64 position = headers.GetCount();
        if (!headers.IsEmpty() && CompareNames(name, headers.GetAt(headers.GetCount() - 1)->first) > 0)
            for (position = 0; position < headers.GetCount(); ++position)
                if (CompareNames(headers.GetAt(position)->first, name) < 0)
                    break;
        headers.InsertAt(new HeaderList::Entry(name, value), position);
    }
    catch (...)
    {
        // The private-view file is the user's own: without it nothing is sent.
    }
}
