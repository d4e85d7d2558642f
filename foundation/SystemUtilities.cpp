#include "foundation/SystemUtilities.h"

#include <knownfolders.h>
#include <shlobj.h>

LANGID UiLanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

MStringEx<wchar_t> AppDataFolderPath(bool common)
{
    wchar_t* known = nullptr;
    if (FAILED(SHGetKnownFolderPath(common ? FOLDERID_ProgramData : FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr,
                                    &known)) ||
        !known)
    {
        CoTaskMemFree(known);
        return MStringEx<wchar_t>();
    }
    MStringEx<wchar_t> folder(known);
    CoTaskMemFree(known);
    folder.TrimRight(L'\\');
    return MStringEx<wchar_t>(sX::Format(), L"%s\\%s\\%s\\%d", folder.GetText(), MakerWord, ProductName,
                              ProductMajorVersion);
}

// Errors that say the language has no messages, rather than the code.
static bool IsMissingLanguage(DWORD error)
{
    return error == ERROR_RESOURCE_LANG_NOT_FOUND || error == ERROR_MR_MID_NOT_FOUND ||
           (error >= 15100 && error <= 15199);
}

static DWORD SystemMessage(DWORD code, LANGID language, wchar_t** text)
{
    return FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                          nullptr, code, language, reinterpret_cast<wchar_t*>(text), 0, nullptr);
}

MStringEx<wchar_t> FormatSystemError(DWORD code)
{
    wchar_t* text = nullptr;
    DWORD length = SystemMessage(code, UiLanguage, &text);
    if (length == 0 && IsMissingLanguage(GetLastError()))
        length = SystemMessage(code, 0, &text);
    if (length == 0 || !text)
    {
        if (text)
            LocalFree(text);
        return MStringEx<wchar_t>(sX::Format(), L"Unknown error code - %d.", static_cast<int>(code));
    }
    MStringEx<wchar_t> message(text);
    LocalFree(text);
    message.Trim();
    return message;
}
