// The controller and the main window running in this process: commands and
// private messages go to the real windows, and the hooks of RunningController
// show what the other side received.
#include "RunningController.h"

#include "filter/MediaSource.h"
#include "foundation/Registry.h"
#include "resources/languages/LanguageIds.h"
#include "core/Help.h"
#include "core/Language.h"
#include "core/ProgramObjects.h"
#include "slideshow/SettingsRegistry.h"
#include "upgrade/ReleaseCheck.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace RunningControllerTest;

namespace
{
std::wstring Text(const MString& s) { return std::wstring(s.GetText(), static_cast<size_t>(s.GetLength())); }

std::vector<BYTE> ReadBinary(const wchar_t* name)
{
    BYTE data[64] = {};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), name, RRF_RT_REG_BINARY, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return {};
    return std::vector<BYTE>(data, data + size);
}

DWORD Word(const std::vector<BYTE>& bytes, size_t index)
{
    DWORD word = 0;
    memcpy(&word, bytes.data() + index * 4, 4);
    return word;
}

std::wstring HelpCommandLine;
void RecordHelp(const MString&, const MString& commandLine) { HelpCommandLine = Text(commandLine); }

class ControllerMessages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Clean();
        m_previousHelp = SetHelpLauncher(&RecordHelp);
    }
    void TearDown() override
    {
        SetHelpLauncher(m_previousHelp);
        Clean();
    }
    static void Clean()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmora");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, RunKeyPath, RunValueName);
    }

    // The main window received message with these values (wParam and lParam
    // compared in their low 32 bits).
    static bool Received(const std::vector<RunningControllerTest::Received>& list, WPARAM wParam, LPARAM lParam)
    {
        for (const auto& r : list)
            if (static_cast<DWORD>(r.wParam) == static_cast<DWORD>(wParam) &&
                static_cast<DWORD>(r.lParam) == static_cast<DWORD>(lParam))
                return true;
        return false;
    }

    LanguageModuleScope m_language{LanguageEnglish};
    HelpLauncher m_previousHelp = nullptr;
};

// The main window's tracking tooltip: visible, and its text (Wine's tooltip
// does not give its title back).
struct ToolTipState
{
    bool visible = false;
    std::wstring text;
};

ToolTipState ReadToolTip(const RunningController& running)
{
    ToolTipState state;
    HWND toolTip = nullptr;
    EnumThreadWindows(
        running.MainThread(),
        [](HWND window, LPARAM lParam) -> BOOL {
            wchar_t className[32] = {};
            GetClassNameW(window, className, 32);
            if (lstrcmpiW(className, TOOLTIPS_CLASSW) != 0)
                return TRUE;
            *reinterpret_cast<HWND*>(lParam) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&toolTip));
    if (!toolTip)
        return state;
    state.visible = IsWindowVisible(toolTip) != FALSE;
    wchar_t text[512] = {};
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = running.MainWindow();
    tool.uId = reinterpret_cast<UINT_PTR>(running.MainWindow());
    tool.lpszText = text;
    SendMessageW(toolTip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    state.text = text;
    return state;
}

using UiTest::Click;
}

// A Run value that names another path, after the first start: the hidden
// parent corrects it before the main window reads it, so the main window
// finds it its own and leaves it (read the other way round, the value would
// be deleted and start with Windows lost).
TEST_F(ControllerMessages, ARunValueOfAnotherPathIsCorrectedBeforeTheMainWindowReadsIt)
{
    const DWORD one = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), AutoStartFirstTimeValueName, REG_DWORD,
                              &one, sizeof(one)),
              ERROR_SUCCESS);
    const wchar_t other[] = L"\"C:\\Elsewhere\\Quillory Window.exe\"";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, RunKeyPath, RunValueName, REG_SZ, other, sizeof(other)),
              ERROR_SUCCESS);
    {
        RunningController running;
        ASSERT_TRUE(running.Start());
        running.Settle();
    }
    wchar_t run[1024] = {};
    DWORD size = sizeof(run);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, RunKeyPath, RunValueName, RRF_RT_REG_SZ, nullptr, run, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(run), Text(QuotedModulePath()));
}

TEST_F(ControllerMessages, WithTheTrayIconOffNoIconIsAddedAndTheReleaseCheckDoesNotWaitForIt)
{
    // "Performance Data" with the tray-icon flag (bit 30 of word 1) clear.
    const BYTE record[] = {1, 0, 0, 0, 0, 0, 0x18, 0x81, 0x08, 0x07, 0, 0, 0x3C, 0, 0, 0, 2, 0, 0, 0,
                           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x2C, 1, 0, 0};
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), L"Performance Data", REG_BINARY, record,
                              sizeof(record)),
              ERROR_SUCCESS);
    RunningController running;
    ASSERT_TRUE(running.Start());
    running.Settle();
    EXPECT_EQ(WaitForSingleObject(running.Controller().Events().TrayIconReadyEvent, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = running.ControllerWindow();
    data.uID = TrayIconId;
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &data));
}

TEST_F(ControllerMessages, TheStartStoresTheSettingsRecordAndRegistersTheStartWithWindows)
{
    RunningController running;
    ASSERT_TRUE(running.Start());

    // A missing record is replaced by the defaults.
    const std::vector<BYTE> settings = ReadBinary(L"Performance Data");
    ASSERT_EQ(settings.size(), 36u);
    EXPECT_EQ(Word(settings, 0), 1u);
    EXPECT_EQ(Word(settings, 1), 0xC1180000u);
    EXPECT_EQ(Word(settings, 2), 1800u);
    EXPECT_EQ(Word(settings, 8), 300u);
    EXPECT_EQ(ReadBinary(L"Display Area").size(), 16u);

    // The first start registers the program to start with Windows.
    wchar_t run[1024] = {};
    DWORD size = sizeof(run);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, RunKeyPath, RunValueName, RRF_RT_REG_SZ, nullptr, run, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(run), Text(QuotedModulePath()));
    DWORD firstTime = 0;
    size = sizeof(firstTime);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), AutoStartFirstTimeValueName, RRF_RT_REG_DWORD,
                           nullptr, &firstTime, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(firstTime, 1u);

    // Online galleries (no "Media Source") and none chosen: the card that
    // says so, its text in the tray icon's tooltip.
    const std::wstring title = Text(running.Controller().SlideTitle());
    EXPECT_EQ(title.rfind(L"Status: No online gallery is selected", 0), 0u) << title;
}

TEST_F(ControllerMessages, TheLocalSourceWithoutAGalleryShowsItsCard)
{
    WriteMediaSource(true);
    RunningController running;
    ASSERT_TRUE(running.Start());
    EXPECT_EQ(Text(running.Controller().SlideTitle()),
              L"Status: No gallery is selected. Choose a gallery to start the slide show.");

    // The next slide, asked for from the menu: the window is shown (sent),
    // then the step is asked for (posted); the card is the same one.
    running.Command(ID_NEXT_SLIDE);
    running.Settle();
    EXPECT_TRUE(Received(running.MainReceived(WM_SHOW_HIDE), 0x11, 0));
    EXPECT_TRUE(Received(running.MainReceived(WM_NEXT_SLIDE), 3, 1));
}

TEST_F(ControllerMessages, CommandsReachTheMainWindow)
{
    RunningController running;
    ASSERT_TRUE(running.Start());
    const struct
    {
        WORD command;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } cases[] = {
        {ID_PAUSE, WM_PAUSE_RESUME, 0, 2},
        {ID_RESUME, WM_PAUSE_RESUME, 0, 1},
        {ID_SHOW_MAIN_WINDOW, WM_SHOW_HIDE, 0x11, 1},
        {ID_NEXT_LOCAL_SLIDE, WM_SHOW_HIDE, 0x11, 0},
        {ID_NEXT_LOCAL_SLIDE, WM_NEXT_SLIDE, 3, 0},
        {ID_CLOSE_VIEWER, WM_CLOSE_VIEWER, 0, 1},
        {ID_CLOSE_SLIDE_PROPERTIES, WM_CLOSE_SLIDE_PROPERTIES, 0, 0},
        {ID_HIDE_MAIN_WINDOW, WM_SHOW_HIDE, 0x10, 2},
    };
    for (const auto& c : cases)
    {
        MessageLog::Instance().Clear();
        running.Command(c.command);
        running.Settle();
        EXPECT_TRUE(Received(running.MainReceived(c.message), c.wParam, c.lParam)) << c.command;
    }

    // No command of the controller, Enter, Escape and WM_CLOSE: nothing
    // reaches the main window and the controller runs on.
    MessageLog::Instance().Clear();
    for (int id : {121, 142, IDOK, IDCANCEL})
        running.Command(static_cast<WORD>(id));
    PostMessageW(running.ControllerWindow(), WM_CLOSE, 0, 0);
    running.Settle();
    for (UINT message : {WM_SHOW_HIDE, WM_NEXT_SLIDE, WM_PAUSE_RESUME, WM_CLOSE_VIEWER})
        EXPECT_TRUE(running.MainReceived(message).empty()) << message;
    EXPECT_FALSE(running.HasEnded());
    EXPECT_TRUE(IsWindow(running.ControllerWindow()));
}

TEST_F(ControllerMessages, CancelledSettingsLeaveTheMainWindowAsItWas)
{
    RunningController running;
    ASSERT_TRUE(running.Start());
    running.Settle();
    const std::vector<BYTE> storedArea = ReadBinary(L"Display Area");
    const std::vector<BYTE> storedRecord = ReadBinary(L"Performance Data");
    RECT before = {};
    GetWindowRect(running.MainWindow(), &before);

    running.Command(ID_SETTINGS);
    HWND settings = WaitForDialog(running.ControllerThread(), L"Quillory Settings");
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(MutexExists(L"CSettingsDlg"));
    EXPECT_EQ(running.Controller().Dialogs().OpenWindow(), settings);
    running.Settle();
    EXPECT_TRUE(Received(running.MainReceived(WM_SHOW_HIDE), 0x11, 0x80000010));

    // One of the controller's dialogs at a time: the others stay shut, and
    // the main window hears of none of them.
    for (WORD id : {ID_GALLERIES, ID_ABOUT, ID_CHECK_FOR_NEW_RELEASE, ID_SETTINGS})
        running.Command(id);
    running.Settle();
    EXPECT_EQ(running.MainReceived(WM_SHOW_HIDE).size(), 1u);
    for (const wchar_t* caption : {L"Quillory Galleries", L"About Quillory", L"Quillory - New release"})
        EXPECT_EQ(FindDialog(running.ControllerThread(), caption), nullptr) << caption;

    // The dialog's live preview moves the window...
    SendMessageW(running.MainWindow(), WM_SET_SIDE, 300, 0);
    RECT preview = {};
    GetWindowRect(running.MainWindow(), &preview);
    EXPECT_EQ(preview.right - preview.left, 300);

    // ...and Cancel puts it back, whatever was entered.
    SetDlgItemTextW(settings, IDC_SET_TRANSPARENCY, L"30");
    Click(settings, IDC_SET_CANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); }));
    running.Settle();
    const auto closed = running.MainReceived(WM_DIALOG_CLOSED);
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(static_cast<DWORD>(closed[0].wParam) & 0x7FFFFFFF, 1u);
    EXPECT_EQ(static_cast<DWORD>(closed[0].lParam), 0x1000000u);
    RECT after = {};
    GetWindowRect(running.MainWindow(), &after);
    EXPECT_TRUE(EqualRect(&before, &after)) << after.left << "," << after.top << " " << after.right - after.left;
    EXPECT_EQ(ReadBinary(L"Display Area"), storedArea);
    EXPECT_EQ(ReadBinary(L"Performance Data"), storedRecord);
    EXPECT_FALSE(MutexExists(L"CSettingsDlg"));
    EXPECT_EQ(running.Controller().Dialogs().OpenWindow(), nullptr);

    // Saved: the new size stays.
    running.Command(ID_SETTINGS);
    settings = WaitForDialog(running.ControllerThread(), L"Quillory Settings");
    ASSERT_NE(settings, nullptr);
    SendMessageW(running.MainWindow(), WM_SET_SIDE, 300, 0);
    SetDlgItemTextW(settings, IDC_SET_TRANSPARENCY, L"30");
    SendDlgItemMessageW(settings, IDC_SET_AUTO_START, BM_SETCHECK, BST_UNCHECKED, 0);
    MessageLog::Instance().Clear();
    Click(settings, IDC_SET_OK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); }));
    running.Settle();
    const auto saved = running.MainReceived(WM_DIALOG_CLOSED);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(static_cast<DWORD>(saved[0].wParam) & 0x7FFFFFFF, 0u);
    // The saved copy went back to the main window.
    EXPECT_EQ(running.MainReceived(WM_APPLY_SETTINGS).size(), 1u);
    GetWindowRect(running.MainWindow(), &after);
    EXPECT_EQ(after.right - after.left, 300);
    // The main window stored the saved record, and the Run value follows
    // the start-with-Windows box.
    const std::vector<BYTE> record = ReadBinary(L"Performance Data");
    ASSERT_EQ(record.size(), 36u);
    EXPECT_EQ(Word(record, 6), 30u);
    EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, RunKeyPath, RunValueName, RRF_RT_REG_SZ, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
}

TEST_F(ControllerMessages, HidingTheWindowClosesTheOpenDialog)
{
    RunningController running;
    ASSERT_TRUE(running.Start());
    running.Command(ID_SETTINGS);
    HWND settings = WaitForDialog(running.ControllerThread(), L"Quillory Settings");
    ASSERT_NE(settings, nullptr);
    running.Settle();
    MessageLog::Instance().Clear();

    running.Command(ID_HIDE_MAIN_WINDOW);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(settings); }));
    running.Settle();
    // Closed by the program: code 2, and the main window hides.
    const auto closed = running.MainReceived(WM_DIALOG_CLOSED);
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(static_cast<DWORD>(closed[0].wParam) & 3, 2u);
    EXPECT_TRUE(Received(running.MainReceived(WM_SHOW_HIDE), 0x10, 2));
}

// Points the program's server requests at a port where nothing listens,
// whether or not a stand-in server runs, for as long as it lives.
class NoServer
{
public:
    NoServer() : m_kept(ServerBaseAddress()) { ServerBaseAddress() = L"http://127.0.0.1:1"; }
    NoServer(const NoServer&) = delete;
    NoServer& operator=(const NoServer&) = delete;
    ~NoServer() { ServerBaseAddress() = m_kept; }

private:
    MString m_kept;
};

// The gallery dialog on its online side asks the server for the list of
// online galleries as it opens; with no server it says so once it is up.
void AnswerOnlineListFailure(RunningController& running, HWND gallery)
{
    HWND box = UiTest::WaitForDialog(running.ControllerThread(), gallery);
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
}

TEST_F(ControllerMessages, TheGalleryAboutAndReleaseDialogsReportTheirEnd)
{
    const NoServer noServer;
    RunningController running;
    ASSERT_TRUE(running.Start());
    const struct
    {
        WORD command;
        const wchar_t* caption;
        DWORD reason;
        int button;
        UINT message;
        DWORD lParam;
        bool localSource;
    } cases[] = {
        // Cancel in the gallery dialog with the online source (result 0): code 1, no WM_SELECTION_CHANGED.
        {ID_GALLERIES, L"Quillory Galleries", 0x80000020, IDC_SELECTION_CANCEL, WM_DIALOG_CLOSED, 0x1000000, false},
        // With the local source and no gallery in use, Cancel reports a new selection
        // (result 1): WM_SELECTION_CHANGED, after which the main window closes the dialog itself.
        {ID_GALLERIES, L"Quillory Galleries", 0x80000020, IDC_SELECTION_CANCEL, WM_SELECTION_CHANGED, 0x80000001, true},
        {ID_ABOUT, L"About Quillory", 0x80000030, IDCANCEL, WM_DIALOG_CLOSED, 0x1000000, false},
        {ID_CHECK_FOR_NEW_RELEASE, L"Quillory - New release", 0x80000050, IDC_RELEASE_CANCEL, WM_DIALOG_CLOSED,
         0x1000000, false},
    };
    for (const auto& c : cases)
    {
        MessageLog::Instance().Clear();
        if (c.localSource)
            WriteMediaSource(true);
        else
            DeleteProductValue(MediaSourceValueName);
        running.Command(c.command);
        HWND dialog = WaitForDialog(running.ControllerThread(), c.caption);
        ASSERT_NE(dialog, nullptr) << c.caption;
        if (c.command == ID_GALLERIES && !c.localSource)
            AnswerOnlineListFailure(running, dialog);
        running.Settle();
        EXPECT_TRUE(Received(running.MainReceived(WM_SHOW_HIDE), 0x11, c.reason)) << c.caption;
        Click(dialog, c.button);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
        running.Settle();
        const UINT other = c.message == WM_DIALOG_CLOSED ? WM_SELECTION_CHANGED : WM_DIALOG_CLOSED;
        const auto end = running.MainReceived(c.message);
        ASSERT_EQ(end.size(), 1u) << c.caption;
        EXPECT_EQ(static_cast<DWORD>(end[0].lParam), c.lParam) << c.caption;
        if (c.message == WM_DIALOG_CLOSED)
        {
            EXPECT_EQ(static_cast<DWORD>(end[0].wParam) & 0x7FFFFFFF, 1u) << c.caption;
        }
        // The gallery dialog's own WM_SELECTION_CHANGED leads the main window to post WM_DIALOG_CLOSED
        // to itself only when it asks for it (bit 30 of wParam).
        if (!c.localSource)
        {
            EXPECT_TRUE(running.MainReceived(other).empty()) << c.caption;
        }
    }

    // WM_OPEN_SELECTED_FILES opens the gallery dialog with a file; taken while another dialog
    // is open, the request is dropped.
    PostOpenSelectedFiles(running.ControllerWindow(), std::make_unique<MString>(L"C:\\Pictures\\Sea.jpg"));
    HWND gallery = WaitForDialog(running.ControllerThread(), L"Quillory Galleries");
    ASSERT_NE(gallery, nullptr);
    PostOpenSelectedFiles(running.ControllerWindow(), std::make_unique<MString>(L"C:\\Pictures\\Hills.jpg"));
    running.Settle();
    AnswerOnlineListFailure(running, gallery);
    Click(gallery, IDC_SELECTION_CANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(gallery); }));
    running.Settle();
    EXPECT_EQ(FindDialog(running.ControllerThread(), L"Quillory Galleries"), nullptr);
}

TEST_F(ControllerMessages, MessageBoxesForOtherThreadsComeOneAtATime)
{
    RunningController running;
    ASSERT_TRUE(running.Start());
    const auto boxWithText = [&](const std::wstring& text) -> HWND {
        HWND box = FindDialog(running.ControllerThread(), L"Quillory");
        return box && UiTest::DialogItemText(box, 0xFFFF) == text ? box : nullptr;
    };
    PostMessageBoxRequest(running.ControllerWindow(), std::make_unique<MString>(L"First"), MB_OK);
    HWND first = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (first = boxWithText(L"First")) != nullptr; }));
    // Delivered by the box's own loop while it is open: dropped.
    PostMessageBoxRequest(running.ControllerWindow(), std::make_unique<MString>(L"Second"), MB_OK);
    running.Settle();
    EXPECT_EQ(boxWithText(L"Second"), nullptr);
    Click(first, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(first); }));
    running.Settle();
    EXPECT_EQ(boxWithText(L"Second"), nullptr);

    PostMessageBoxRequest(running.ControllerWindow(), std::make_unique<MString>(L"Third"), MB_OK);
    HWND third = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (third = boxWithText(L"Third")) != nullptr; }));
    Click(third, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(third); }));
}

TEST_F(ControllerMessages, TheReleaseRecordFollowsEveryCheck)
{
    RunningController running;
    ASSERT_TRUE(running.Start());
    CWindowBase& controller = running.Controller();

    const ReleaseState& release = controller.Release();

    auto* info = new ReleaseInfo();
    info->record.version = L"3.2.0";
    info->record.notes = L"Faster slides.";
    info->record.notes.radix = 16;
    info->record.links.first = L"https://example.invalid/quillory.msi";
    info->record.links.second = L"https://example.invalid/download";
    info->state = 1;
    SendMessageW(running.ControllerWindow(), WM_RELEASE_CHECK_RESULT, 0, reinterpret_cast<LPARAM>(info));
    EXPECT_EQ(Text(release.Record().version), L"3.2.0");
    EXPECT_EQ(Text(release.Record().notes), L"Faster slides.");
    EXPECT_EQ(release.Record().notes.radix, 16u);
    EXPECT_EQ(Text(release.Record().links.first), L"https://example.invalid/quillory.msi");
    EXPECT_EQ(Text(release.Record().links.second), L"https://example.invalid/download");
    EXPECT_EQ(release.State(), 1);

    // A failed check empties the texts and keeps the state.
    SendMessageW(running.ControllerWindow(), WM_RELEASE_CHECK_RESULT, 0, 0);
    EXPECT_TRUE(release.Record().version.IsEmpty());
    EXPECT_TRUE(release.Record().notes.IsEmpty());
    EXPECT_TRUE(release.Record().links.first.IsEmpty());
    EXPECT_TRUE(release.Record().links.second.IsEmpty());
    EXPECT_EQ(release.State(), 1);

    // While the release dialog reads the record, a result is dropped.
    running.Command(ID_CHECK_FOR_NEW_RELEASE);
    HWND dialog = WaitForDialog(running.ControllerThread(), L"Quillory - New release");
    ASSERT_NE(dialog, nullptr);
    auto* late = new ReleaseInfo();
    late->record.version = L"9.9.9";
    SendMessageW(running.ControllerWindow(), WM_RELEASE_CHECK_RESULT, 0, reinterpret_cast<LPARAM>(late));
    EXPECT_TRUE(release.Record().version.IsEmpty());
    Click(dialog, IDC_RELEASE_CANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

TEST_F(ControllerMessages, HelpOnMenuEntriesAndTheController)
{
    RunningController running;
    ASSERT_TRUE(running.Start());
    const struct
    {
        int type;
        int id;
        DWORD context;
        const wchar_t* expected;
    } cases[] = {
        {HELPINFO_MENUITEM, ID_QUIT, 0, L"-mapid 65674 "},
        {HELPINFO_MENUITEM, 200, 0, L"-mapid 131174 "},
        {HELPINFO_WINDOW, 0, 4242, L"-mapid 4242 "},
    };
    for (const auto& c : cases)
    {
        HelpCommandLine.clear();
        HELPINFO info = {};
        info.cbSize = sizeof(info);
        info.iContextType = c.type;
        info.iCtrlId = c.id;
        info.dwContextId = c.context;
        SendMessageW(running.ControllerWindow(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_NE(HelpCommandLine.find(c.expected), std::wstring::npos) << HelpCommandLine;
    }
    HelpCommandLine.clear();
    SendMessageW(running.ControllerWindow(), WM_SYSCOMMAND, 0x20, 0);
    EXPECT_NE(HelpCommandLine.find(L"-mapid 131175 "), std::wstring::npos) << HelpCommandLine;
    HelpCommandLine.clear();
    running.Command(ID_HELP);
    running.Settle();
    EXPECT_NE(HelpCommandLine.find(L"-mapid 131175 "), std::wstring::npos) << HelpCommandLine;
}

TEST_F(ControllerMessages, NoticesInTheMainWindowsTooltip)
{
    RunningController running;
    ASSERT_TRUE(running.Start());
    HWND main = running.MainWindow();

    PostMessageW(main, WM_NOTICE, IDS_NOTICE_TITLE_377, IDS_NOTICE_378);
    running.Settle();
    ToolTipState state = ReadToolTip(running);
    EXPECT_TRUE(state.visible);
    EXPECT_EQ(state.text, L"The picture is read-only and was not rotated.");

    PostMessageW(main, WM_NOTICE, 0, 0);
    running.Settle();
    EXPECT_FALSE(ReadToolTip(running).visible);

    // A pair that is not in the table does nothing.
    PostMessageW(main, WM_NOTICE, IDS_NOTICE_TITLE_377, 380);
    running.Settle();
    EXPECT_FALSE(ReadToolTip(running).visible);

    // The busy notice takes the product name; a heap record brings its own
    // texts (and belongs to the window); a null record is dropped.
    PostMessageW(main, WM_NOTICE, IDS_NOTICE_BUSY_TITLE, 0);
    running.Settle();
    state = ReadToolTip(running);
    EXPECT_EQ(state.text, L"Quillory Window is busy. Please try again in a moment.");
    PostNoticeRecord(main, std::make_unique<Pair<MString, MString>>(L"News", L"A new gallery is online."));
    PostNoticeRecord(main, nullptr);
    running.Settle();
    state = ReadToolTip(running);
    EXPECT_TRUE(state.visible);
    EXPECT_EQ(state.text, L"A new gallery is online.");
    EXPECT_TRUE(IsWindow(main));

    // Timer 110 hides it after 2.5 s.
    EXPECT_TRUE(WaitUntil([&] { return !ReadToolTip(running).visible; }, 6000));
}

TEST_F(ControllerMessages, ClicksOnTheSlideShowNoNotice)
{
    RunningController running;
    ASSERT_TRUE(running.Start());
    HWND main = running.MainWindow();
    // A notice has been shown and has gone: its texts stay in the tooltip.
    PostMessageW(main, WM_NOTICE, IDS_NOTICE_TITLE_377, IDS_NOTICE_378);
    running.Settle();
    ASSERT_TRUE(ReadToolTip(running).visible);
    PostMessageW(main, WM_NOTICE, 0, 0);
    running.Settle();
    ASSERT_FALSE(ReadToolTip(running).visible);

    // The cursor comes over the slide and clicks it, as the user's hand does.
    RECT window = {};
    GetWindowRect(main, &window);
    SetCursorPos((window.left + window.right) / 2, (window.top + window.bottom) / 2);
    MessageLog::Instance().Clear();
    INPUT inputs[3] = {};
    for (INPUT& input : inputs)
        input.type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE;
    inputs[0].mi.dx = 1;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(3u, SendInput(3, inputs, sizeof(INPUT)));
    ASSERT_TRUE(WaitUntil([&] { return !running.MainReceived(WM_LBUTTONUP).empty(); }));
    // Long past the tooltip's own delays: the main window's topmost watch
    // has ticked for over three seconds.
    constexpr UINT_PTR TopmostWatchTimer = 115;
    EXPECT_TRUE(running.WaitForMainTimerTicks(TopmostWatchTimer, 12));
    EXPECT_FALSE(ReadToolTip(running).visible);
    EXPECT_TRUE(running.MainReceived(WM_NOTICE).empty());
}

TEST_F(ControllerMessages, TheQuitEndsTheOpenDialogTheMainWindowAndTheController)
{
    RunningController running;
    ASSERT_TRUE(running.Start());
    running.Command(ID_ABOUT);
    HWND about = WaitForDialog(running.ControllerThread(), L"About Quillory");
    ASSERT_NE(about, nullptr);
    HWND main = running.MainWindow();

    running.Command(ID_QUIT);
    ASSERT_TRUE(WaitUntil([&] { return running.HasEnded(); }, 30000));
    EXPECT_EQ(running.Result(), 0);
    EXPECT_FALSE(IsWindow(about));
    EXPECT_FALSE(IsWindow(main));
    EXPECT_NE(DialogCloseToken.wParamToken.load() | DialogCloseToken.lParamToken.load(), 0u);
    // The main window kept the time shown of its slide.
    EXPECT_EQ(ReadBinary(L"Elapsed Time").size(), 8u);
}

TEST_F(ControllerMessages, AChangedSelectionStepsAndReportsTheGalleryDialogsEnd)
{
    WriteMediaSource(true);
    RunningController running;
    ASSERT_TRUE(running.Start());
    // As the controller posts it after the gallery dialog changed the local
    // selection while the window was visible: the main window steps and
    // then hands itself the dialog's end, without bit 30.
    PostMessageW(running.MainWindow(), WM_SELECTION_CHANGED, static_cast<WPARAM>(static_cast<LONG_PTR>(-0x3FFFFFFF)),
                 static_cast<LPARAM>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000001u))));
    running.Settle();
    const auto closed = running.MainReceived(WM_DIALOG_CLOSED);
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(static_cast<DWORD>(closed[0].wParam), 0x80000001u);
    EXPECT_EQ(static_cast<DWORD>(closed[0].lParam), 0x1000000u);

    // Nothing changed (0x40000000), or no change bits at all: no WM_DIALOG_CLOSED.
    MessageLog::Instance().Clear();
    PostMessageW(running.MainWindow(), WM_SELECTION_CHANGED, 0, SelectionUnchanged);
    PostMessageW(running.MainWindow(), WM_SELECTION_CHANGED, 0x40000001, 0);
    running.Settle();
    EXPECT_TRUE(running.MainReceived(WM_DIALOG_CLOSED).empty());
}
