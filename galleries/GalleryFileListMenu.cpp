// The gallery dialog's file list: its context menu and the shell verbs and
// the explorer window it opens on the selected files.
// The list-view macros call the system, not a window's own SendMessage.
#define SNDMSG ::SendMessageW
#include "galleries/GalleryFileList.h"

#include "foundation/FolderPath.h"
#include "foundation/ShellHelpers.h"
#include "foundation/StringResources.h"
#include "foundation/SystemUtilities.h"
#include "galleries/GalleryDialogIds.h"
#include "resources/languages/LanguageIds.h"
#include "resources/window/ProgramResourceIds.h"
#include "core/MessageBox.h"
#include "core/OwnerDrawMenu.h"

#include <shellapi.h>

namespace
{
constexpr size_t MostLinesListed = 15;
constexpr size_t LinesListed = 10;
constexpr size_t AskAbove = 10;

MString Text(UINT id) { return MString(ResId(id)); }
MString Number(unsigned __int64 n) { return MString(true, n); }
}

// Moved from CSelectedFiles to the list it works on.
void GalleryFileList::RunShellVerb(ShellVerbCode verb)
{
    const std::vector<int> selected = SelectedItems();
    if (selected.size() > AskAbove &&
        LocalizedMessageBox(m_dialog, MString(sX::Format(), IDS_VERB_QUESTION, Number(selected.size()).GetText(),
                                            ShellVerbName(verb)).GetText(),
                            m_caption.GetText(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    std::vector<MString> lines;
    for (size_t i = 0; i < selected.size(); ++i)
    {
        const MString path = GetItemPath(selected[i]);
        if (GetFileAttributesW(path.GetText()) == INVALID_FILE_ATTRIBUTES)
        {
            lines.emplace_back(sX::Format(), IDS_VERB_MISSING, path.GetText());
            continue;
        }
        SHELLEXECUTEINFOW execute = {};
        execute.cbSize = sizeof(execute);
        execute.fMask = verb == ShellVerbCode::Properties ? SEE_MASK_INVOKEIDLIST : 0;
        execute.hwnd = m_dialog;
        execute.lpVerb = ShellVerbName(verb);
        execute.lpFile = path.GetText();
        execute.nShow = SW_SHOWNORMAL;
        if (ShellExecuteExW(&execute))
            continue;
        const MString error = FormatSystemError(GetLastError());
        const bool last = i + 1 == selected.size();
        const int answer = LocalizedMessageBox(
            m_dialog, MString(sX::Format(), last ? IDS_VERB_FAILED_LAST : IDS_VERB_FAILED, ShellVerbName(verb), path.GetText(),
                            error.GetText()).GetText(),
            m_caption.GetText(), last ? MB_ICONERROR : MB_ICONERROR | MB_YESNO);
        if (!last && answer == IDNO)
            break;
    }
    if (lines.empty())
        return;
    MString report = Text(IDS_VERB_REPORT);
    const size_t listed = lines.size() > MostLinesListed ? LinesListed : lines.size();
    for (size_t i = 0; i < listed; ++i)
        report += MString(L"\r\n") + lines[i];
    if (listed < lines.size())
        report += MString(L"\r\n") + MString(sX::Format(), IDS_VERB_REPORT_OTHERS, Number(lines.size() - listed).GetText());
    ShowMessage(report, MB_ICONERROR);
}

// Moved from CSelectedFiles to the list it works on.
void GalleryFileList::ShowInExplorer()
{
    const std::vector<int> selected = SelectedItems();
    if (selected.size() > AskAbove &&
        LocalizedMessageBox(m_dialog, MString(sX::Format(), IDS_EXPLORER_QUESTION, Number(selected.size()).GetText())
                                        .GetText(),
                            m_caption.GetText(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    for (int item : selected)
    {
        const MString path = GetItemPath(item);
        MString command;
        if (GetFileAttributesW(path.GetText()) != INVALID_FILE_ATTRIBUTES)
            command = MString(sX::Format(), L"Explorer /select,\"%s\"", path.GetText());
        else
        {
            MString folder = path;
            folder.TrimRight(L'\\');
            folder = folder.BeforeLast(L'\\', false);
            ShowMessage(MString(sX::Format(), L"%s\r\n%s", Text(IDS_STATUS_MISSING).GetText(), path.GetText()),
                        MB_ICONERROR);
            if (folder.IsEmpty() || GetFileAttributesW(folder.GetText()) == INVALID_FILE_ATTRIBUTES)
                continue;
            command = MString(sX::Format(), L"Explorer /open,\"%s\"", folder.GetText());
        }
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        std::vector<wchar_t> line(command.GetText(), command.GetText() + command.GetLength() + 1);
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        else
            ShowMessage(MString(sX::Format(), IDS_EXPLORER_FAILED, m_caption.GetText(), path.GetText(),
                                FormatSystemError(GetLastError()).GetText()),
                        MB_ICONERROR);
    }
}

// ---- The context menu -------------------------------------------------------

LRESULT GalleryFileList::OnMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    if (message == WM_MEASUREITEM && wParam == 0)
    {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        OwnerDrawMenuItem::OnMeasureItem(reinterpret_cast<OwnerDrawMenuItem*>(measure->itemData), *measure, m_dialog);
        return TRUE;
    }
    if (message == WM_DRAWITEM && wParam == 0)
    {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        OwnerDrawMenuItem::OnDrawItem(reinterpret_cast<OwnerDrawMenuItem*>(draw->itemData), *draw);
        return TRUE;
    }
    if (message == WM_MENUCHAR)
    {
        LRESULT result = 0;
        if (OwnerDrawMenuItem::OnMenuChar(static_cast<wchar_t>(LOWORD(wParam)), HIWORD(wParam),
                                          reinterpret_cast<HMENU>(lParam), result))
            return result;
        return MAKELRESULT(0, LOWORD(wParam) == VK_ESCAPE ? MNC_CLOSE : MNC_IGNORE);
    }
    handled = FALSE;
    return 0;
}

// Moved from CSelectedFiles to the list it works on.
void GalleryFileList::ShowContextMenu()
{
    SemaphoreGuard popup(m_menuGuard, SemaphoreGuard::Take::Try);
    if (!popup.IsHeld())
        return;
    const std::vector<int> selected = SelectedItems();
    const int count = ListView_GetItemCount(m_list);
    const MString picture = Text(IDS_KIND_PICTURE), media = Text(IDS_KIND_MEDIA), document = Text(IDS_KIND_DOCUMENT);
    int kinds = 0; // bits: picture, media, document, folder, other
    bool open = !selected.empty(), play = selected.size() == 1, edit = !selected.empty();
    for (int item : selected)
    {
        const MString kind = ItemText(item, ColumnKind);
        const MString path = GetItemPath(item);
        const DWORD attributes = GetFileAttributesW(path.GetText());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        kinds |= kind == picture ? 1 : kind == media ? 2 : kind == document ? 4 : folder ? 8 : 16;
        bool itemOpen = false, itemPlay = false, itemEdit = false, explore = false, print = false;
        if (!folder)
            QueryShellVerbs(ExtensionOf(path), kind == picture ? VerbsForPicture : kind == media ? VerbsForMedia : kind == document ? VerbsForDocument : VerbsForOther, itemOpen, itemPlay, itemEdit, explore, print);
        open = open && (itemOpen || folder);
        play = play && itemPlay;
        edit = edit && itemEdit;
    }
    const bool oneKind = kinds == 1 || kinds == 2 || kinds == 4 || kinds == 8;
    const UINT none = selected.empty() ? MF_GRAYED : 0;
    const HMODULE art = GetModuleHandleW(nullptr);
    OwnerDrawMenu menu, rotations;
    OwnerDrawMenuItem::Storage items;
    if (!menu.Create() || !rotations.Create())
        return;
    auto add = [&](OwnerDrawMenu& into, UINT flags, UINT_PTR id, int icon, UINT text, UINT shortcut) {
        OwnerDrawMenuItem::CreateWithShortcut(items, into, flags, id, art, icon, 2, Text(text).GetText(),
                                              shortcut ? Text(shortcut).GetText() : nullptr);
    };
    add(menu, 0, CmdAddFiles, IDI_ADD_FILES, IDS_MENU_ADD_FILES, 0);
    add(menu, 0, CmdAddFolder, IDI_ADD_FOLDER, IDS_MENU_ADD_FOLDER, 0);
    add(menu, none, CmdRemoveFiles, IDI_REMOVE_FILES, IDS_MENU_REMOVE, IDS_EDIT_DELETE_SHORTCUT);
    OwnerDrawMenuItem::CreateSeparator(items, menu);
    add(menu, none, CmdCopyFiles, IDI_COPY_FILES, IDS_EDIT_COPY, IDS_EDIT_COPY_SHORTCUT);
    add(menu, m_host.CanPaste() ? 0 : MF_GRAYED, CmdPasteFiles, IDI_PASTE_FILES, IDS_EDIT_PASTE, IDS_EDIT_PASTE_SHORTCUT);
    OwnerDrawMenuItem::CreateSeparator(items, menu);
    add(menu, edit && oneKind ? 0 : MF_GRAYED, CmdEdit, IDI_EDIT_FILES, IDS_MENU_EDIT, 0);
    add(menu, open && oneKind ? 0 : MF_GRAYED, CmdOpen, IDI_OPEN_FILES, IDS_LIST_MENU_OPEN, 0);
    add(menu, play && oneKind ? 0 : MF_GRAYED, CmdPlay, IDI_PLAY_FILE, IDS_MENU_PLAY, 0);
    for (const auto& rotation : {std::make_pair(CmdRotate90, IDS_MENU_ROTATE_RIGHT), {CmdRotate180, IDS_MENU_ROTATE_HALF},
                                 {CmdRotate270, IDS_MENU_ROTATE_LEFT}})
        add(rotations, none, rotation.first, IDI_ROTATE_90 + (rotation.first - CmdRotate90), rotation.second, 0);
    OwnerDrawMenuItem::CreateSeparator(items, rotations);
    for (const auto& rotation : {std::make_pair(CmdRotate270, IDS_MENU_TURN_LEFT), {CmdRotate180, IDS_MENU_TURN_HALF},
                                 {CmdRotate90, IDS_MENU_TURN_RIGHT}})
        add(rotations, none, rotation.first, IDI_ROTATE_LEFT + (CmdRotate270 - rotation.first), rotation.second, 0);
    OwnerDrawMenuItem::CreateSeparator(items, rotations);
    add(rotations, 0, CmdRotationHelp, IDI_ROTATE_HELP, IDS_MENU_ROTATION_HELP, 0);
    add(menu, MF_POPUP | (kinds == 1 ? 0 : MF_GRAYED), reinterpret_cast<UINT_PTR>(rotations.menu), IDI_ROTATE,
        IDS_LIST_MENU_ROTATE, 0);
    add(menu, selected.size() == 1 && !m_host.IsScanning() ? 0 : MF_GRAYED, CmdRename, IDI_RENAME_FILE, IDS_MENU_RENAME,
        IDS_MENU_RENAME_SHORTCUT);
    add(menu, none, CmdShowInExplorer, IDI_SHOW_IN_EXPLORER, IDS_MENU_SHOW_IN_EXPLORER, 0);
    add(menu, none, CmdProperties, IDI_FILE_PROPERTIES, IDS_MENU_PROPERTIES, 0);
    OwnerDrawMenuItem::CreateSeparator(items, menu);
    add(menu, count ? 0 : MF_GRAYED, CmdInvertSelection, IDI_SELECT_FILES,
        selected.empty() ? IDS_MENU_SELECT_ALL : static_cast<int>(selected.size()) == count ? IDS_MENU_SELECT_NONE
                                                                                          : IDS_MENU_INVERT,
        0);
    OwnerDrawMenuItem::CreateSeparator(items, menu);
    add(menu, count && !m_host.IsScanning() ? 0 : MF_GRAYED, CmdRefresh, IDI_REFRESH_FILES, IDS_MENU_REFRESH,
        IDS_MENU_REFRESH_SHORTCUT);
    POINT at = {};
    GetCursorPos(&at);
    TrackPopupMenu(menu.menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_dialog, nullptr);
    // The submenu belongs to the menu now; its own record must not destroy it.
    rotations.menu = nullptr;
}
