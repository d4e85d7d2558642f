// The gallery dialog's file list: renaming a file in place, and the balloon
// that says why a name did not do.
// The list-view macros call the system, not a window's own SendMessage.
#define SNDMSG ::SendMessageW
#include "galleries/GalleryFileList.h"

#include "foundation/FolderPath.h"
#include "foundation/StringResources.h"
#include "foundation/SystemUtilities.h"
#include "galleries/GalleryDialogIds.h"
#include "galleries/GalleryNames.h"
#include "resources/languages/LanguageIds.h"
#include "core/MessageBox.h"

#include <algorithm>

namespace
{
constexpr UINT NameBalloonTimeout = 100;

MString Text(UINT id) { return MString(ResId(id)); }
}

void GalleryFileList::BeginLabelEdit(int item)
{
    HWND control = ListView_GetEditControl(m_list);
    const MString folder = ItemText(item, ColumnFolder);
    ::SendMessageW(control, EM_LIMITTEXT, static_cast<WPARAM>(std::max<__int64>(1, 259 - static_cast<__int64>(folder.GetLength()))), 0);
    const MString name = ItemText(item, ColumnName);
    const unsigned __int64 dot = name.FindChar(L'.', 0, true) == static_cast<unsigned __int64>(-1)
                                     ? name.GetLength()
                                     : name.BeforeLast(L'.', true).GetLength();
    ::PostMessageW(control, EM_SETSEL, 0, static_cast<LPARAM>(dot));
}

// Moved from CSelectedFiles to the list it works on.
bool GalleryFileList::RenameGalleryFile(int item, const MString& newName)
{
    const MString oldName = ItemText(item, ColumnName);
    if (newName.IsEmpty() || EqualsIgnoringCase(newName, oldName))
        return false;
    const MString folder = ItemText(item, ColumnFolder);
    if (const UINT fault = CheckFileName(newName, folder))
    {
        PostRestartRename(m_dialog, item,
                          std::make_unique<MString>(sX::Format(), IDS_FILE_NAME_HINT, Text(fault).GetText(),
                                                    newName.GetText()));
        return false;
    }
    const MString oldExtension = ExtensionOf(oldName), newExtension = ExtensionOf(newName);
    if (!EqualsIgnoringCase(oldExtension, newExtension) &&
        LocalizedMessageBox(m_dialog, Text(IDS_FILE_EXTENSION_CHANGE).GetText(), m_caption.GetText(),
                            MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return false;
    const MString oldPath = GetItemPath(item);
    const MString newPath = oldPath.BeforeLast(L'\\', false) + L"\\" + newName;
    if (!MoveFileW(oldPath.GetText(), newPath.GetText()))
    {
        PostRestartRename(m_dialog, item,
                          std::make_unique<MString>(sX::Format(), IDS_FILE_RENAME_FAILED, oldPath.GetText(),
                                                    FormatSystemError(GetLastError()).GetText(), newName.GetText()));
        return false;
    }
    SemaphoreGuard guard(m_listGuard, SemaphoreGuard::Take::Wait);
    const auto held = FindGalleryPath(oldPath);
    if (held == m_paths.end())
    {
        guard.Release();
        m_host.RefreshList();
        return false;
    }
    *held = newPath;
    const LONG error = RenameGalleryEntry(m_host.GetComboGalleryName(), oldPath, newPath);
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
    {
        PostShowMessage(m_dialog,
                        std::make_unique<MString>(sX::Format(), IDS_FILE_RENAME_STORE_FAILED, oldPath.GetText(),
                                                  newPath.GetText(),
                                                  FormatSystemError(static_cast<DWORD>(error)).GetText()),
                        MB_ICONERROR);
        ListView_DeleteItem(m_list, item);
        m_paths.erase(held);
        m_modified = true;
        return false;
    }
    return true;
}

LRESULT GalleryFileList::OnRestartRename(WPARAM item, LPARAM text)
{
    const std::unique_ptr<MString> hint = TakeRestartRename(text);
    HWND edit = ListView_EditLabel(m_list, static_cast<int>(item));
    if (edit && hint)
        ShowNameBalloon(edit, *hint);
    else
        MessageBeep(MB_ICONERROR);
    return 0;
}

// Says beside the label being edited again why the name did not do; the
// text typed goes back without the characters no name may hold.
// Moved from CSelectedFiles to the list it works on.
void GalleryFileList::ShowNameBalloon(HWND edit, const MString& text)
{
    MessageBeep(MB_ICONERROR);
    wchar_t typed[MAX_PATH] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(edit, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(typed), SMTO_ABORTIFHUNG,
                        NameBalloonTimeout, &copied);
    MString clean(typed);
    for (const wchar_t* c = ForbiddenFileNameCharacters; *c; ++c)
        clean.Remove(*c);
    ::SetWindowTextW(edit, clean.GetText());

    HideNameBalloon();
    m_nameBalloon = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                    WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_dialog, nullptr, nullptr, nullptr);
    if (!m_nameBalloon)
        return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = m_dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(edit);
    tool.lpszText = const_cast<wchar_t*>(text.GetText());
    ::SendMessageW(m_nameBalloon, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(m_nameBalloon, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    RECT at = {};
    ::GetWindowRect(edit, &at);
    ::SendMessageW(m_nameBalloon, TTM_TRACKPOSITION, 0, MAKELPARAM(at.right + 3, (at.top + at.bottom) / 2));
}

// Moved from CSelectedFiles to the list it works on.
void GalleryFileList::HideNameBalloon()
{
    if (!m_nameBalloon)
        return;
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    if (::SendMessageW(m_nameBalloon, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)))
    {
        ::SendMessageW(m_nameBalloon, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
        ::SendMessageW(m_nameBalloon, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    ::DestroyWindow(m_nameBalloon);
    m_nameBalloon = nullptr;
}
