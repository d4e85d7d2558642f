#include "galleries/GalleryNames.h"

#include "foundation/FolderPath.h"
#include "foundation/Registry.h"
#include "foundation/StringResources.h"
#include "foundation/WindowPlacement.h"
#include "galleries/LocalGalleryStore.h"
#include "core/HelpContexts.h"
#include "core/MessageBox.h"

#include <shlwapi.h>

#include <cwctype>

const wchar_t ForbiddenFileNameCharacters[] = L"*/:\"<>?\\|";

namespace
{
const wchar_t DeviceNames[] = L"CLOCK$*AUX*CON*NUL*PRN*COM1*COM2*COM3*COM4*COM5*COM6*COM7*COM8*COM9*LPT1*LPT2*LPT3*"
                              L"LPT4*LPT5*LPT6*LPT7*LPT8*LPT9";

MString GalleriesKeyPath() { return MString(sX::Format(), L"%s\\Local Galleries", ProgramSettingsKeyPath()); }
}

UINT CheckFileName(const MString& name, const MString& folder)
{
    if (name.IsEmpty())
        return IDS_FILE_NAME_EMPTY;
    if (name.ContainsAnyOf(ForbiddenFileNameCharacters))
        return IDS_FILE_NAME_FORBIDDEN;
    const wchar_t* text = name.GetText();
    const size_t length = static_cast<size_t>(name.GetLength());
    if (wcsspn(text, L".") == length)
        return IDS_FILE_NAME_DOTS;
    if (text[0] == L'.')
        return IDS_FILE_NAME_LEADING_DOT;
    if (text[length - 1] == L'.')
        return IDS_FILE_NAME_TRAILING_DOT;
    const MString stem = name.Left(wcscspn(text, L"."));
    for (const MString& device : SplitAtSeparator(MString(DeviceNames), MString(L"*")))
        if (EqualsIgnoringCase(device, stem))
            return IDS_FILE_NAME_DEVICE;
    if (!folder.IsEmpty())
    {
        if (name.GetLength() > MAX_PATH - (folder.GetLength() + 1))
            return IDS_FILE_NAME_TOO_LONG;
        WIN32_FIND_DATAW found = {};
        const HANDLE find = FindFirstFileW((folder + L"\\" + name).GetText(), &found);
        if (find != INVALID_HANDLE_VALUE)
        {
            FindClose(find);
            return IDS_FILE_NAME_EXISTS;
        }
    }
    return 0;
}

UINT CheckGalleryName(const MString& typed, const MString& startName)
{
    if (typed.IsEmpty())
        return IDS_NAME_EMPTY;
    for (unsigned __int64 i = 0; i < typed.GetLength(); ++i)
        if (!iswprint(typed.GetText()[i]))
            return IDS_NAME_NOT_PRINTABLE;
    if (typed.FindChar(L'\\', 0, true) != static_cast<unsigned __int64>(-1))
        return IDS_NAME_BACKSLASH;
    if (typed == startName)
        return NameUnchanged;
    if (EqualsIgnoringCase(typed, startName))
        return IDS_NAME_CASE_ONLY;
    std::vector<MString> galleries;
    ListLocalGalleries(galleries);
    for (const MString& gallery : galleries)
        if (EqualsIgnoringCase(gallery, typed))
            return IDS_NAME_EXISTS;
    return 0;
}

LONG CreateGalleryKey(const MString& name)
{
    LONG error = ERROR_SUCCESS;
    RegistryKey key;
    key.Create(HKEY_CURRENT_USER, (GalleriesKeyPath() + L"\\" + name).GetText(), KEY_ALL_ACCESS, &error);
    return error;
}

LONG RenameGalleryKey(const MString& oldName, const MString& newName, MString& failedName)
{
    LONG error = ERROR_SUCCESS;
    RegistryKey galleries;
    failedName = oldName;
    if (!galleries.Open(HKEY_CURRENT_USER, GalleriesKeyPath().GetText(), KEY_ALL_ACCESS, &error))
        return error;
    failedName = newName;
    RegistryKey created;
    if (!created.Create(galleries.Get(), newName.GetText(), KEY_ALL_ACCESS, &error))
        return error;
    error = SHCopyKeyW(galleries.Get(), oldName.GetText(), created.Get(), 0);
    if (error != ERROR_SUCCESS)
        return error;
    created.Close();
    SHDeleteKeyW(galleries.Get(), oldName.GetText());
    if (EqualsIgnoringCase(ReadSelectedLocalGallery(), oldName))
        WriteSelectedLocalGallery(nullptr, newName);
    return ERROR_SUCCESS;
}

LONG DeleteGalleryKey(const MString& name)
{
    LONG error = ERROR_SUCCESS;
    RegistryKey galleries;
    if (!galleries.Open(HKEY_CURRENT_USER, GalleriesKeyPath().GetText(), KEY_ALL_ACCESS, &error))
        return error;
    return SHDeleteKeyW(galleries.Get(), name.GetText());
}

LONG RenameGalleryEntry(const MString& gallery, const MString& oldPath, const MString& newPath)
{
    LONG error = ERROR_SUCCESS;
    RegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, (GalleriesKeyPath() + L"\\" + gallery).GetText(), KEY_ALL_ACCESS, &error))
        return error;
    for (DWORD index = 0;; ++index)
    {
        wchar_t name[64] = {}, data[MAX_PATH] = {};
        DWORD nameLength = 64, type = 0, size = sizeof(data) - sizeof(wchar_t);
        const LONG result = RegEnumValueW(key.Get(), index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &size);
        if (result == ERROR_NO_MORE_ITEMS)
            return ERROR_FILE_NOT_FOUND;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        if (!EqualsIgnoringCase(MString(data), oldPath))
            continue;
        error = key.Set(name, REG_SZ, newPath.GetText(), static_cast<DWORD>((newPath.GetLength() + 1) * 2));
        if (error != ERROR_SUCCESS)
            key.Delete(name);
        return error;
    }
}

// ---- The name dialog ----------------------------------------------------

const ATL::MessageMap<CLocalGalleryName>& CLocalGalleryName::GetMessageMap()
{
    static const ATL::MessageMap<CLocalGalleryName> map = ATL::MessageMap<CLocalGalleryName>()
        .Message(WM_INITDIALOG, &CLocalGalleryName::OnInitDialog)
        .Message(WM_CTLCOLORDLG, &CLocalGalleryName::OnColour)
        .Message(WM_CTLCOLORSTATIC, &CLocalGalleryName::OnColour)
        .Message(WM_CLOSE, &CLocalGalleryName::OnClose)
        .Command(IDOK, &CLocalGalleryName::OnOk)
        .Command(IDC_NAME_OK, &CLocalGalleryName::OnOk)
        .Command(IDCANCEL, &CLocalGalleryName::OnCancel)
        .Command(IDC_NAME_CANCEL, &CLocalGalleryName::OnCancel);
    return map;
}

LRESULT CLocalGalleryName::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
{
    ::SetWindowContextHelpId(m_hWnd, DialogHelpContext(IDD));
    const int controls[] = {IDC_NAME_PROMPT, IDC_NAME_EDIT, IDC_NAME_OK, IDC_NAME_CANCEL};
    for (int control : controls)
        ::SetWindowContextHelpId(static_cast<HWND>(GetDlgItem(control)), DialogHelpContext(control));
    ::SetWindowTextW(m_hWnd, m_caption.GetText());
    ::SetDlgItemTextW(m_hWnd, IDC_NAME_PROMPT,
                    MString(ResId(m_start.IsEmpty() ? IDS_NAME_PROMPT_NEW : IDS_NAME_PROMPT_RENAME)).GetText());
    SendDlgItemMessage(IDC_NAME_EDIT, EM_LIMITTEXT, 255);
    CenterWindowOnParent(m_hWnd);
    return TRUE;
}

LRESULT CLocalGalleryName::OnColour(UINT message, WPARAM wParam, LPARAM, BOOL&)
{
    if (message == WM_CTLCOLORSTATIC)
        SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
    return reinterpret_cast<LRESULT>(m_white);
}

LRESULT CLocalGalleryName::OnOk(WORD, WORD, HWND, BOOL&)
{
    wchar_t typed[260] = {};
    ::GetDlgItemTextW(m_hWnd, IDC_NAME_EDIT, typed, 260);
    MString name(typed);
    name.Trim();
    ::SetDlgItemTextW(m_hWnd, IDC_NAME_EDIT, name.GetText());
    const UINT fault = CheckGalleryName(name, m_start);
    if (fault == NameUnchanged)
    {
        EndDialog(0);
        return 0;
    }
    if (fault)
    {
        LocalizedMessageBox(m_hWnd, MString(ResId(fault)).GetText(), m_caption.GetText(), MB_ICONERROR);
        return 0;
    }
    m_name = name;
    EndDialog(1);
    return 0;
}

LRESULT CLocalGalleryName::OnCancel(WORD, WORD, HWND, BOOL&)
{
    EndDialog(0);
    return 0;
}

LRESULT CLocalGalleryName::OnClose(UINT, WPARAM, LPARAM, BOOL&)
{
    EndDialog(0);
    return 0;
}
