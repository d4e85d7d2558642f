#include "core/EditContextMenu.h"
#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
HWND MakeEdit(DWORD style, const wchar_t* text)
{
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 200, 200, 300, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND edit = CreateWindowExW(0, L"EDIT", text, WS_CHILD | WS_VISIBLE | style, 10, 10, 200, 40, parent, nullptr,
                                nullptr, nullptr);
    SetWindowLongPtrW(edit, GWLP_USERDATA, GetWindowLongPtrW(edit, GWLP_WNDPROC));
    SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditContextMenuSubclassProc));
    return edit;
}

void DestroyEdit(HWND edit) { DestroyWindow(GetParent(edit)); }

void PutTextOnClipboard(const wchar_t* text)
{
    OpenClipboard(nullptr);
    EmptyClipboard();
    if (text)
    {
        const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        CopyMemory(GlobalLock(memory), text, bytes);
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
    }
    CloseClipboard();
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
    {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

// The enabled commands of the menu built for the control, as a word.
std::wstring EnabledCommands(HWND edit)
{
    OwnerDrawMenu menu;
    menu.Create();
    std::wstring enabled;
    {
        OwnerDrawMenuItem::Storage items;
        BuildEditContextMenu(edit, menu, items);
        EXPECT_EQ(8, GetMenuItemCount(menu.menu));
        EXPECT_EQ(16u, GetMenuContextHelpId(menu.menu));
        const wchar_t* names = L"UXCPDA";
        for (UINT command = EditMenuUndo; command <= EditMenuSelectAll; ++command)
            if (!(GetMenuState(menu.menu, command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)))
                enabled += names[command - EditMenuUndo];
    }
    return enabled;
}

HWND g_menuOwner = nullptr;
RECT g_menuRect = {0, 0, 0, 0};
std::vector<WPARAM> g_keys;

// The chosen command arrives posted, after the menu has closed.
void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Runs inside the menu's modal loop: notes where the menu opened, then types.
void CALLBACK TypeIntoMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu)
        GetWindowRect(menu, &g_menuRect);
    for (WPARAM key : g_keys)
    {
        PostMessageW(g_menuOwner, WM_KEYDOWN, key, 0);
        PostMessageW(g_menuOwner, WM_CHAR, key, 0);
    }
}
}

TEST(EditContextMenu, EnablingRulesFollowTheControl)
{
    LanguageModuleScope language(LanguageEnglish);
    PutTextOnClipboard(L"pasted");
    struct Case
    {
        const wchar_t* name;
        DWORD style;
        bool select;
        bool disable;
        const wchar_t* expected;
    } cases[] = {
        {L"plain, nothing selected", 0, false, false, L"PA"},
        {L"plain, text selected", 0, true, false, L"XCPDA"},
        {L"read-only, text selected", ES_READONLY, true, false, L"CA"},
        {L"password, text selected", ES_PASSWORD, true, false, L"PDA"},
        {L"disabled, text selected", 0, true, true, L"XCDA"},
    };
    for (const Case& c : cases)
    {
        HWND edit = MakeEdit(c.style, L"some text");
        if (c.select)
            SendMessageW(edit, EM_SETSEL, 0, 4);
        if (c.disable)
            EnableWindow(edit, FALSE);
        EXPECT_EQ(c.expected, EnabledCommands(edit)) << c.name;
        DestroyEdit(edit);
    }

    // Undo once there is something to undo; Paste only with text on the clipboard.
    HWND edit = MakeEdit(0, L"abc");
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"xyz"));
    PutTextOnClipboard(nullptr);
    EXPECT_EQ(L"UA", EnabledCommands(edit));
    DestroyEdit(edit);
}

TEST(EditContextMenu, CommandsAndKeysActOnTheControl)
{
    LanguageModuleScope language(LanguageEnglish);
    HWND edit = MakeEdit(0, L"hello world");
    LRESULT result = 1;
    EXPECT_TRUE(HandleEditContextMenu(edit, WM_COMMAND, EditMenuSelectAll, 0, result));
    EXPECT_EQ(0, result);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(11u, end);
    SendMessageW(edit, WM_COMMAND, EditMenuDelete, 0);
    EXPECT_EQ(L"", UiTest::WindowText(edit));
    // Not ours: a notification code, another command.
    EXPECT_FALSE(HandleEditContextMenu(edit, WM_COMMAND, MAKEWPARAM(EditMenuCopy, 1), 0, result));
    EXPECT_FALSE(HandleEditContextMenu(edit, WM_COMMAND, 186, 0, result));

    // Ctrl+A selects everything; A alone is the control's.
    SetWindowTextW(edit, L"abc");
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    EXPECT_TRUE(HandleEditContextMenu(edit, WM_KEYDOWN, 'A', 0, result));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_FALSE(HandleEditContextMenu(edit, WM_KEYDOWN, 'A', 0, result));
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(3u, end);

    // Escape closes the menu; other unmarked keys are ignored.
    EXPECT_TRUE(HandleEditContextMenu(edit, WM_MENUCHAR, MAKEWPARAM(27, MF_POPUP), 0, result));
    EXPECT_EQ(MNC_CLOSE << 16, result);
    DestroyEdit(edit);
}

TEST(EditContextMenu, KeyboardMenuOpensBelowTheMiddleAndRunsTheMarkedCommand)
{
    LanguageModuleScope language(LanguageEnglish);
    HWND edit = MakeEdit(0, L"copy me");
    RECT rect;
    GetWindowRect(edit, &rect);
    const POINT point = EditContextMenuPoint(edit, MAKELPARAM(-1, -1));
    EXPECT_EQ(rect.left + (rect.right - rect.left) / 2, point.x);
    EXPECT_EQ(rect.top + 3 * (rect.bottom - rect.top) / 4, point.y);
    const POINT mouse = EditContextMenuPoint(edit, MAKELPARAM(-5, 300));
    EXPECT_EQ(-5, mouse.x);
    EXPECT_EQ(300, mouse.y);

    PutTextOnClipboard(nullptr);
    SendMessageW(edit, EM_SETSEL, 0, 4);
    g_menuOwner = edit;
    g_keys = {'c'};
    g_menuRect = RECT{0, 0, 0, 0};
    SetTimer(nullptr, 0, 200, &TypeIntoMenu);
    SendMessageW(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(-1, -1));
    PumpMessages();
    EXPECT_EQ(L"copy", ClipboardText());
    EXPECT_EQ(point.x, g_menuRect.left);
    EXPECT_EQ(point.y, g_menuRect.top);
    // The owner-drawn entries were measured with their labels.
    EXPECT_GT(g_menuRect.right - g_menuRect.left, 60);

    // Escape closes the menu without a command.
    g_keys = {VK_ESCAPE};
    SetTimer(nullptr, 0, 200, &TypeIntoMenu);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(250, 250));
    PumpMessages();
    EXPECT_EQ(L"copy me", UiTest::WindowText(edit));
    EXPECT_EQ(L"copy", ClipboardText());
    DestroyEdit(edit);
}

TEST(EditContextMenu, AMenuThatCannotBeBuiltLeavesTheControlWorking)
{
    // A language module without the menu's texts: building the menu fails
    // inside the subclass procedure, which must keep the failure there.
    LanguageModuleScope english(LanguageEnglish);
    const HMODULE empty = LoadLibraryW(GetModuleFolder(nullptr, L"EmptyLanguageModule.dll").GetText());
    ASSERT_NE(empty, nullptr);
    const HMODULE previous = LanguageModule;
    LanguageModule = empty;
    ATL::CAtlModule atl;
    atl.SetResourceInstance(empty);

    HWND edit = MakeEdit(0, L"kept");
    g_menuOwner = edit;
    g_keys = {VK_ESCAPE};
    g_menuRect = RECT{0, 0, 0, 0};
    // Should any menu open, Escape closes it.
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, &TypeIntoMenu);
    SendMessageW(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(-1, -1));
    KillTimer(nullptr, timer);
    PumpMessages();
    // Neither our menu nor the control's own opened in its place.
    EXPECT_EQ(0, g_menuRect.right - g_menuRect.left);
    EXPECT_EQ(L"kept", UiTest::WindowText(edit));
    DestroyEdit(edit);

    atl.SetResourceInstance(english.Get());
    LanguageModule = previous;
    FreeLibrary(empty);
}
