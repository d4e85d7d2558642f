// The hot keys in the controller: the table of allowed keys, the stored keys
// registered at the start (and a conflict with another program), and
// WM_HOTKEY turned into the commands of the tray menu at the right moment.
#include "RunningController.h"

#include "settings/HotKeysRecord.h"
#include "shell/HotKeys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace RunningControllerTest;

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

// Ctrl + Alt + Shift with F13 to F19 for hot keys 2 to 8.
constexpr UINT Modifiers = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
constexpr BYTE FirstKey = 0x7C;

void StoreHotKeys()
{
    const BYTE record[9] = {1, 0xE0, FirstKey, FirstKey + 1, FirstKey + 2, FirstKey + 3,
                            FirstKey + 4, FirstKey + 5, FirstKey + 6};
    RegSetKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), HotKeysBlob, REG_BINARY, record, sizeof(record));
}

bool IsFree(UINT key)
{
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const bool free = RegisterHotKey(probe, 99, Modifiers, key) != FALSE;
    if (free)
        UnregisterHotKey(probe, 99);
    DestroyWindow(probe);
    return free;
}

// A dialog of the program that stands open: its mutex exists.
struct OpenDialog
{
    explicit OpenDialog(const wchar_t* key) : mutex(CreateMutexW(nullptr, TRUE, DialogMutexName(key).GetText())) {}
    ~OpenDialog() { CloseHandle(mutex); }
    HANDLE mutex;
};

class ControllerHotKeys : public ::testing::Test
{
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmora"); }

    // Presses hot key id and answers the commands the controller posted
    // itself in answer.
    static std::vector<WPARAM> Press(RunningController& running, int id)
    {
        MessageLog::Instance().Clear();
        PostMessageW(running.ControllerWindow(), WM_HOTKEY, static_cast<WPARAM>(id),
                     MAKELPARAM(Modifiers, FirstKey + id - 2));
        running.Settle();
        std::vector<WPARAM> commands;
        for (const Received& r : running.ControllerReceived(WM_COMMAND))
            commands.push_back(LOWORD(r.wParam));
        return commands;
    }

    LanguageModuleScope m_language{LanguageEnglish};
};
}

TEST_F(ControllerHotKeys, TheAllowedKeysInTheirOrder)
{
    AllowedKeyTable table;
    BuildAllowedKeys(table);
    ASSERT_EQ(table.GetCount(), 131u);
    const struct
    {
        unsigned __int64 position;
        unsigned char key;
        const wchar_t* name;
    } rows[] = {
        {0, 0, L"(none)"},         {1, '0', L"0"},         {36, 'Z', L"Z"},          {37, VK_ESCAPE, L"Esc"},
        {38, VK_F1, L"F1"},        {61, VK_F24, L"F24"},   {62, VK_SNAPSHOT, L"Print Screen"},
        {70, VK_NEXT, L"Page Down"}, {71, VK_RIGHT, L"Right arrow"}, {74, VK_DOWN, L"Down arrow"},
        {75, VK_NUMLOCK, L"Num Lock"}, {76, VK_NUMPAD0, L"Num 0"}, {86, VK_DIVIDE, L"Num /"},
        {91, 0xBB, L"+"},          {101, 0xDE, L"'\""},    {102, 0xDF, L"OEM 8"},    {107, VK_PRINT, L"Print"},
        {108, VK_SELECT, L"Select"}, {112, VK_APPS, L"Menu"}, {113, VK_BROWSER_BACK, L"Browser back"},
        {130, VK_LAUNCH_APP2, L"Start application 2"},
    };
    for (const auto& r : rows)
    {
        EXPECT_EQ(table.GetAt(r.position)->first, r.key) << r.position;
        EXPECT_EQ(Text(table.GetAt(r.position)->second), r.name) << r.position;
    }
}

TEST_F(ControllerHotKeys, StoredKeysAreRegisteredAndPressesBecomeCommands)
{
    StoreHotKeys();
    RunningController running;
    ASSERT_TRUE(running.Start());
    // Registered: another program cannot take the combinations.
    for (int id = 2; id <= 8; ++id)
        EXPECT_FALSE(IsFree(FirstKey + id - 2)) << id;
    ASSERT_TRUE(IsWindowVisible(running.MainWindow()));

    EXPECT_EQ(Press(running, 2), (std::vector<WPARAM>{ID_REOPEN_VIEWER}));
    EXPECT_EQ(Press(running, 3), (std::vector<WPARAM>{ID_SLIDE_PROPERTIES}));
    EXPECT_EQ(Press(running, 4), (std::vector<WPARAM>{ID_SLIDE_ADVERT}));
    // No gallery is selected and no other slide was shown: the main window
    // says so instead of a slide change.
    const auto noticed = [&](LPARAM text) {
        for (const Received& r : running.MainReceived(WM_NOTICE))
            if (r.wParam == IDS_NOTICE_COMMAND_TITLE && r.lParam == text)
                return true;
        return false;
    };
    EXPECT_TRUE(Press(running, 5).empty());
    EXPECT_TRUE(noticed(IDS_NOTICE_NO_GALLERY));
    EXPECT_TRUE(Press(running, 6).empty());
    EXPECT_TRUE(noticed(IDS_NOTICE_NO_OTHER_SLIDES));
    MessageLog::Instance().Clear();
    EXPECT_TRUE(Press(running, 8).empty());
    EXPECT_EQ(running.MainReceived(WM_FLASH_OPAQUE).size(), 1u);

    {
        // A viewer is open: hot key 2 closes it; the slide's link and the
        // opaque flash wait.
        OpenDialog viewer(L"VIEWER_CShowLargePhotoDlg");
        EXPECT_EQ(Press(running, 2), (std::vector<WPARAM>{ID_CLOSE_VIEWER}));
        EXPECT_TRUE(Press(running, 4).empty());
        EXPECT_TRUE(Press(running, 5).empty());
        EXPECT_TRUE(Press(running, 8).empty());
        EXPECT_TRUE(running.MainReceived(WM_FLASH_OPAQUE).empty());
    }
    {
        OpenDialog properties(L"CSlidePropsDlg");
        EXPECT_EQ(Press(running, 3), (std::vector<WPARAM>{ID_CLOSE_SLIDE_PROPERTIES}));
    }
    {
        // A program dialog is open: none of the slide's hot keys acts.
        OpenDialog settings(L"CSettingsDlg");
        for (int id : {2, 3, 4, 5, 6})
            EXPECT_TRUE(Press(running, id).empty()) << id;
    }
    {
        // Before the first slide is shown, a hot key only shows the wait window.
        HANDLE ready = running.Controller().Events().MainWindowReadyEvent;
        ResetEvent(ready);
        EXPECT_TRUE(Press(running, 5).empty());
        SetEvent(ready);
    }

    // Hot key 7 hides the window once the tray icon is there to bring it back.
    const bool trayIcon = WaitForSingleObject(running.Controller().Events().TrayIconReadyEvent, 0) == WAIT_OBJECT_0;
    const std::vector<WPARAM> hide = Press(running, 7);
    if (trayIcon)
        EXPECT_EQ(hide, (std::vector<WPARAM>{ID_HIDE_MAIN_WINDOW}));
    else
        EXPECT_TRUE(hide.empty());

    running.Quit();
    // The controller window's end frees the combinations.
    for (int id = 2; id <= 8; ++id)
        EXPECT_TRUE(IsFree(FirstKey + id - 2)) << id;
}

// Another program holds the combination of hot key 3 at the start: none of
// the seven stays registered.
TEST_F(ControllerHotKeys, AConflictAtTheStartRegistersNone)
{
    StoreHotKeys();
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(other, 1, Modifiers, FirstKey + 1));
    {
        RunningController running;
        ASSERT_TRUE(running.Start());
        EXPECT_TRUE(IsFree(FirstKey));
        for (int id = 4; id <= 8; ++id)
            EXPECT_TRUE(IsFree(FirstKey + id - 2)) << id;
    }
    UnregisterHotKey(other, 1);
    DestroyWindow(other);
}
