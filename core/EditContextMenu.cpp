#include "core/EditContextMenu.h"

#include "core/CrashReport.h"
#include "core/HelpContexts.h"

#include "resources/languages/LanguageIds.h"

namespace
{
struct EditMenuEntry
{
    UINT command;
    unsigned label;
    unsigned shortcut;
    int icon;
};

// The entries' icons among the program's own icon resources (a missing icon
// leaves its entry without one).
constexpr int EditIconCut = 118;
constexpr int EditIconCopy = 119;
constexpr int EditIconPaste = 120;
constexpr int EditIconDelete = 121;
constexpr int EditIconUndo = 122;
constexpr int EditIconSelectAll = 123;

const EditMenuEntry Entries[] = {
    {EditMenuUndo, IDS_EDIT_UNDO, IDS_EDIT_UNDO_SHORTCUT, EditIconUndo},
    {0, 0, 0, 0},
    {EditMenuCut, IDS_EDIT_CUT, IDS_EDIT_CUT_SHORTCUT, EditIconCut},
    {EditMenuCopy, IDS_EDIT_COPY, IDS_EDIT_COPY_SHORTCUT, EditIconCopy},
    {EditMenuPaste, IDS_EDIT_PASTE, IDS_EDIT_PASTE_SHORTCUT, EditIconPaste},
    {EditMenuDelete, IDS_EDIT_DELETE, IDS_EDIT_DELETE_SHORTCUT, EditIconDelete},
    {0, 0, 0, 0},
    {EditMenuSelectAll, IDS_EDIT_SELECT_ALL, IDS_EDIT_SELECT_ALL_SHORTCUT, EditIconSelectAll},
};


bool IsEntryEnabled(HWND control, UINT command)
{
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    const bool readOnly = (style & ES_READONLY) != 0;
    const bool password = (style & ES_PASSWORD) != 0;
    DWORD start = 0, end = 0;
    SendMessageW(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const bool selection = start != end;
    switch (command)
    {
    case EditMenuUndo:
        return !readOnly && SendMessageW(control, EM_CANUNDO, 0, 0) != 0;
    case EditMenuCut:
        return !password && !readOnly && selection;
    case EditMenuCopy:
        return !password && selection;
    case EditMenuPaste:
        return IsWindowEnabled(control) && !readOnly && IsClipboardFormatAvailable(CF_TEXT);
    case EditMenuDelete:
        return !readOnly && selection;
    default:
        return true;
    }
}

void ShowEditContextMenu(HWND control, LPARAM lParam)
{
    if (GetFocus() != control)
        SetFocus(control);
    const POINT point = EditContextMenuPoint(control, lParam);
    OwnerDrawMenu menu;
    if (!menu.Create())
        return;
    {
        OwnerDrawMenuItem::Storage items;
        BuildEditContextMenu(control, menu, items);
        TrackPopupMenu(menu.menu, 0, point.x, point.y, 0, control, nullptr);
        // The entries (and their icons) go before the menu.
    }
}
}

void BuildEditContextMenu(HWND control, OwnerDrawMenu& menu, OwnerDrawMenuItem::Storage& items)
{
    SetMenuContextHelpId(menu.menu, EditMenuHelpContext);
    for (const EditMenuEntry& entry : Entries)
    {
        if (entry.command == 0)
        {
            OwnerDrawMenuItem::CreateSeparator(items, menu);
            continue;
        }
        const UINT flags = IsEntryEnabled(control, entry.command) ? 0u : MF_GRAYED | MF_DISABLED;
        const MStringEx<wchar_t> label{ResId(entry.label)};
        const MStringEx<wchar_t> shortcut{ResId(entry.shortcut)};
        OwnerDrawMenuItem::CreateWithShortcut(items, menu, flags, entry.command, GetModuleHandleW(nullptr), entry.icon,
                                              2, label.GetText(), shortcut.GetText());
    }
}

POINT EditContextMenuPoint(HWND control, LPARAM lParam)
{
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (point.x == -1 && point.y == -1)
    {
        RECT rect = {0, 0, 0, 0};
        GetWindowRect(control, &rect);
        point.x = rect.left + (rect.right - rect.left) / 2;
        point.y = rect.top + (3 * (rect.bottom - rect.top)) / 4;
    }
    return point;
}

bool HandleEditContextMenu(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (message)
    {
    case WM_CONTEXTMENU:
        if (!IsIconic(GetParent(window)))
            ShowEditContextMenu(window, lParam);
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) != 0)
            return false;
        switch (LOWORD(wParam))
        {
        case EditMenuUndo:
            SendMessageW(window, EM_UNDO, 0, 0);
            return true;
        case EditMenuCut:
            SendMessageW(window, WM_CUT, 0, 0);
            return true;
        case EditMenuCopy:
            SendMessageW(window, WM_COPY, 0, 0);
            return true;
        case EditMenuPaste:
            SendMessageW(window, WM_PASTE, 0, 0);
            return true;
        case EditMenuDelete:
            SendMessageW(window, WM_CLEAR, 0, 0);
            return true;
        case EditMenuSelectAll:
            SendMessageW(window, EM_SETSEL, 0, -1);
            return true;
        default:
            return false;
        }
    case WM_KEYDOWN:
        if (wParam != 'A' || GetKeyState(VK_CONTROL) >= 0)
            return false;
        SendMessageW(window, EM_SETSEL, 0, -1);
        return true;
    case WM_MEASUREITEM:
    {
        MEASUREITEMSTRUCT* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (wParam != 0 || measure->CtlType != ODT_MENU)
            return false;
        OwnerDrawMenuItem::OnMeasureItem(reinterpret_cast<OwnerDrawMenuItem*>(measure->itemData), *measure, window);
        result = 1;
        return true;
    }
    case WM_DRAWITEM:
    {
        const DRAWITEMSTRUCT* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (wParam != 0 || draw->CtlType != ODT_MENU)
            return false;
        OwnerDrawMenuItem::OnDrawItem(reinterpret_cast<OwnerDrawMenuItem*>(draw->itemData), *draw);
        result = 1;
        return true;
    }
    case WM_MENUCHAR:
        if (!OwnerDrawMenuItem::OnMenuChar(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam), result))
            result = LOWORD(wParam) == 27 ? MNC_CLOSE << 16 : 0;
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK EditContextMenuSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The menu loads texts and allocates: no failure may cross into the
    // system's window procedure dispatch. A failed message counts as handled:
    // passed on, WM_CONTEXTMENU would open the control's own menu instead,
    // whose modal loop then runs in place of ours.
    LRESULT result = 0;
    if (NoThrow(true, [&] { return HandleEditContextMenu(window, message, wParam, lParam, result); }))
        return result;
    const WNDPROC previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return previous ? CallWindowProcW(previous, window, message, wParam, lParam)
                    : DefWindowProcW(window, message, wParam, lParam);
}
