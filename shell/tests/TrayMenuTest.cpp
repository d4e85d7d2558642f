// The tray menu of the real controller over the real main window, which
// shows a local gallery of real pictures: the popup is tracked, read and
// driven by keys under Xvfb, and its commands act on the files.
#include "RunningController.h"

#include "filter/MediaSource.h"
#include "foundation/Registry.h"
#include "galleries/LocalGalleryStore.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "galleries/tests/SelectedLocalGallery.h"
#include "shell/FileCommands.h"
#include "core/OwnerDrawMenu.h"
#include "core/ProgramObjects.h"
#include "slideshow/PerformanceData.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace RunningControllerTest;

namespace
{
const wchar_t GalleryName[] = L"Menu";

// One entry of a popup as the menu holds it.
struct MenuEntry
{
    UINT id = 0;
    std::wstring label;
    bool greyed = false;
    HMENU submenu = nullptr;
};

std::vector<MenuEntry> ReadMenu(HMENU menu)
{
    std::vector<MenuEntry> entries;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
    {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_DATA | MIIM_SUBMENU | MIIM_FTYPE;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        MenuEntry entry;
        entry.id = info.wID;
        entry.greyed = (info.fState & MFS_GRAYED) != 0;
        entry.submenu = info.hSubMenu;
        if (const auto* item = reinterpret_cast<const OwnerDrawMenuItem*>(info.dwItemData))
            entry.label = item->GetLabel().GetText();
        entries.push_back(entry);
    }
    return entries;
}

// The entry with that label (separators have none); null when missing.
const MenuEntry* Find(const std::vector<MenuEntry>& entries, const std::wstring& label)
{
    for (const MenuEntry& entry : entries)
        if (entry.label == label)
            return &entry;
    return nullptr;
}

class TrayMenu : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Clean();
        // Two pictures, each an entry of the selected gallery.
        for (const wchar_t* name : {L"a.png", L"b.png"})
        {
            files.push_back(tree.At(name));
            ASSERT_TRUE(GalleryTest::WritePicture(files.back(), 120, 60));
        }
        ASSERT_TRUE(GalleryTest::StoreSelectedLocalGallery(GalleryName, files));
        StartProgram();
    }
    // The controller and the main window, up with a picture on screen.
    void StartProgram()
    {
        m_running = std::make_unique<RunningController>();
        ASSERT_TRUE(Running().Start());
        ASSERT_TRUE(WaitForShownFile());
    }
    RunningController& Running() const { return *m_running; }
    void TearDown() override
    {
        // A failed check can leave the menu open, and the program cannot end
        // while its menu loop runs.
        if (m_running && IsWindowVisible(FindWindowW(L"#32768", nullptr)))
        {
            PostMessageW(Running().ControllerWindow(), WM_CANCELMODE, 0, 0);
            WaitForMenuClosed();
        }
        m_running.reset();
        for (const std::wstring& file : files)
            SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        Clean();
    }
    static void Clean() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmora"); }

    // The file on screen once a picture is shown and no cross-fade runs.
    // The main window publishes the slide before its cross-fade starts: the
    // step has ended once the window has taken a marker posted after it.
    bool WaitForShownFile(const std::wstring& other = L"")
    {
        const MainWindowSnapshot& state = Running().Controller().MainWindowState();
        if (!WaitUntil(
                [&] {
                    return state.shown.kind == static_cast<LONG>(0x80000001u) && ShownPath() != other &&
                           !ShownPath().empty();
                },
                30000))
            return false;
        Running().Settle();
        return WaitUntil([&] { return !state.crossFading; }, 30000);
    }
    std::wstring ShownPath() const
    {
        const MainWindowSnapshot& state = Running().Controller().MainWindowState();
        return state.shown.path.GetText();
    }

    // Opens the menu from the icon and waits for its popup: its menu.
    HMENU OpenMenu()
    {
        PostMessageW(Running().ControllerWindow(), WM_TRAY_CALLBACK, 0, WM_RBUTTONDOWN);
        return WaitForPopup(1);
    }
    // The menu of the popup window at that depth: 1 the top menu, 2 the
    // submenu open in it.
    HMENU WaitForPopup(size_t depth)
    {
        std::vector<HWND> popups;
        WaitUntil(
            [&] {
                popups.clear();
                EnumThreadWindows(
                    Running().ControllerThread(),
                    [](HWND window, LPARAM lParam) -> BOOL {
                        wchar_t name[16] = {};
                        GetClassNameW(window, name, 16);
                        if (lstrcmpW(name, L"#32768") == 0 && IsWindowVisible(window))
                            reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(window);
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&popups));
                return popups.size() >= depth;
            },
            10000);
        for (HWND popup : popups)
        {
            HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
            if (depth == 1 && popups.size() == 1)
                return m_top = menu;
            if (depth == 2 && popups.size() >= 2 && menu != m_top)
                return menu;
        }
        return nullptr;
    }
    // Types a key into the open menu (its accelerator or a navigation key).
    void Type(wchar_t key) const
    {
        const WPARAM virtualKey = key >= L'a' && key <= L'z' ? key - L'a' + L'A' : key;
        PostMessageW(Running().ControllerWindow(), WM_KEYDOWN, virtualKey, 0);
        if (key >= L'a' && key <= L'z')
            PostMessageW(Running().ControllerWindow(), WM_CHAR, key, 0);
    }
    bool WaitForMenuClosed() const
    {
        return WaitUntil([] { return !IsWindowVisible(FindWindowW(L"#32768", nullptr)); }, 10000);
    }
    // Opens the menu and closes it: the slide on screen is the command target.
    void CaptureTarget()
    {
        ASSERT_NE(nullptr, OpenMenu());
        Type(VK_ESCAPE);
        ASSERT_TRUE(WaitForMenuClosed());
        Running().Settle();
    }
    // Sends a command on the current file and waits for its end. A command
    // that runs a worker answers its thread's messages meanwhile, so the
    // markers of Settle can pass while it still works; it holds the slide
    // lock to its end, and what it posted is handled by the Settle after.
    void RunFileCommand(WORD id)
    {
        Running().Command(id);
        Running().Settle();
        ASSERT_TRUE(WaitUntil(
            [&] {
                const TryLock slide(Running().Controller().SlideLock());
                return slide.IsHeld();
            },
            30000));
        Running().Settle();
    }
    bool NoticeOfTexts() const
    {
        for (const Received& r : Running().MainReceived(WM_NOTICE))
            if (r.wParam == static_cast<WPARAM>(-1))
                return true;
        return false;
    }
    bool GalleryHolds(const std::wstring& file) const
    {
        std::vector<MString> entries;
        LoadLocalGalleryFiles(MString(GalleryName), entries);
        for (const MString& entry : entries)
            if (_wcsicmp(entry.GetText(), file.c_str()) == 0)
                return true;
        return false;
    }

    LanguageModuleScope language{LanguageEnglish};
    GalleryTest::GdiplusScope gdiplus;
    GalleryTest::TempTree tree;
    std::vector<std::wstring> files;
    std::unique_ptr<RunningController> m_running;
    HMENU m_top = nullptr;
};
}

TEST_F(TrayMenu, TheMenuFromTheIconOffersTheShowTheFileAndTheDialogs)
{
    HMENU top = OpenMenu();
    ASSERT_NE(nullptr, top);
    const std::vector<MenuEntry> entries = ReadMenu(top);
    // The window is visible: no title line; the site entry at the top.
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(ID_VISIT_SITE, entries.front().id);
    EXPECT_EQ(ID_QUIT, entries.back().id);
    EXPECT_EQ(L"E&xit", entries.back().label);
    for (const wchar_t* label :
         {L"&Open in the viewer", L"&Next slide", L"&Galleries...", L"&Settings...", L"&About...", L"&Help"})
    {
        const MenuEntry* entry = Find(entries, label);
        ASSERT_NE(nullptr, entry) << std::string(label, label + wcslen(label));
        EXPECT_FALSE(entry->greyed) << std::string(label, label + wcslen(label));
    }
    // The first slide of the run: no other shown slide to go back to.
    const MenuEntry* back = Find(entries, L"Next &local slide");
    ASSERT_NE(nullptr, back);
    EXPECT_TRUE(back->greyed);
    // The file on screen: its submenu with the rotation, the deletions and
    // the shell's commands; the picture can be rotated.
    const MenuEntry* file = Find(entries, L"Current &file");
    ASSERT_NE(nullptr, file);
    ASSERT_NE(nullptr, file->submenu);
    const std::vector<MenuEntry> fileEntries = ReadMenu(file->submenu);
    EXPECT_EQ(nullptr, Find(fileEntries, L"Clear &read-only"));
    const MenuEntry* rotate = Find(fileEntries, L"Ro&tate");
    ASSERT_NE(nullptr, rotate);
    EXPECT_FALSE(rotate->greyed);
    const std::vector<MenuEntry> rotations = ReadMenu(rotate->submenu);
    std::vector<UINT> ids;
    for (const MenuEntry& entry : rotations)
        if (!entry.label.empty())
            ids.push_back(entry.id);
    EXPECT_EQ((std::vector<UINT>{143, 144, 145, 145, 144, 143, 147}), ids);
    for (const wchar_t* label : {L"&Delete", L"&Open", L"&Send", L"Open &with...", L"Propert&ies"})
        EXPECT_NE(nullptr, Find(fileEntries, label));

    // A key chooses the next slide: the main window is asked for it.
    Type(L'n');
    ASSERT_TRUE(WaitForMenuClosed());
    Running().Settle();
    bool asked = false;
    for (const Received& r : Running().MainReceived(WM_NEXT_SLIDE))
        asked = asked || (r.wParam == 3 && r.lParam == 1);
    EXPECT_TRUE(asked);
    // The command target is the file that was on screen.
    EXPECT_EQ(static_cast<LONG>(0x80000001u), Running().Controller().Target().Kind());
}

TEST_F(TrayMenu, AReadOnlyPictureIsOfferedClearReadOnlyAndNoRotation)
{
    const std::wstring shown = ShownPath();
    SetFileAttributesW(shown.c_str(), FILE_ATTRIBUTE_READONLY);
    HMENU top = OpenMenu();
    ASSERT_NE(nullptr, top);
    const MenuEntry* file = Find(ReadMenu(top), L"Current &file");
    ASSERT_NE(nullptr, file);
    const std::vector<MenuEntry> fileEntries = ReadMenu(file->submenu);
    ASSERT_FALSE(fileEntries.empty());
    EXPECT_EQ(ID_CLEAR_READ_ONLY, fileEntries.front().id);
    const MenuEntry* rotate = Find(fileEntries, L"Ro&tate");
    ASSERT_NE(nullptr, rotate);
    EXPECT_TRUE(rotate->greyed);

    // Into the submenu, then clear read-only, all by keys.
    Type(L'f');
    ASSERT_NE(nullptr, WaitForPopup(2));
    Type(L'r');
    ASSERT_TRUE(WaitForMenuClosed());
    Running().Settle();
    EXPECT_EQ(0u, GetFileAttributesW(shown.c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(TrayMenu, ExitInTheMenuEndsTheProgramInEveryWindowMode)
{
    ASSERT_NE(nullptr, OpenMenu());
    Type(L'x');
    EXPECT_TRUE(WaitUntil([&] { return Running().HasEnded(); }, 30000));

    for (DWORD mode : {0x1000000u, 0x2000000u, 0x3000000u, 0x4000000u, 0x5000000u})
    {
        SCOPED_TRACE(testing::Message() << std::hex << mode);
        // Timer on, intervals 30 and 1 minutes, the tray icon, border 2.
        const DWORD words[9] = {1, (0xC1180000u & ~0x7000000u) | mode, 1800, 60, 2, 0, 0, 0, 300};
        RegistryKey settings;
        ASSERT_TRUE(settings.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_SET_VALUE));
        ASSERT_EQ(ERROR_SUCCESS, settings.Set(PerformanceDataValueName, REG_BINARY, words, sizeof(words)));
        StartProgram();
        ASSERT_EQ(mode, Running().Controller().MainWindowState().operationMode.load());
        ASSERT_NE(nullptr, OpenMenu());
        Type(L'x');
        EXPECT_TRUE(WaitUntil([&] { return Running().HasEnded(); }, 30000));
    }
}

TEST_F(TrayMenu, ACommandDoesNotTouchASlideThatReplacedTheTarget)
{
    const std::wstring first = ShownPath();
    CaptureTarget();
    // The show moves on before the command arrives.
    PostMessageW(Running().MainWindow(), WM_NEXT_SLIDE, 3, 0);
    ASSERT_TRUE(WaitForShownFile(first));
    const std::wstring second = ShownPath();
    MessageLog::Instance().Clear();
    for (WORD id : {ID_RECYCLE_FILE, ID_WIPE_FILE, ID_ROTATE_90})
        Running().Command(id);
    Running().Settle();
    for (const std::wstring& file : {first, second})
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(file.c_str()));
    EXPECT_TRUE(NoticeOfTexts());
    EXPECT_TRUE(GalleryHolds(first));
}

TEST_F(TrayMenu, RecycleAndSecureDeletionRemoveTheFileAndItsGalleryEntry)
{
    for (WORD id : {ID_RECYCLE_FILE, ID_WIPE_FILE})
    {
        // The window shows the next file after each deletion.
        const std::wstring shown = ShownPath();
        CaptureTarget();
        MessageLog::Instance().Clear();
        RunFileCommand(id);
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(shown.c_str())) << id;
        EXPECT_FALSE(GalleryHolds(shown)) << id;
        EXPECT_FALSE(Running().MainReceived(WM_GALLERY_CHANGED).empty()) << id;
        if (id == ID_RECYCLE_FILE)
        {
            ASSERT_TRUE(WaitForShownFile(shown));
        }
    }
}

TEST_F(TrayMenu, RotationRendersTheFileAgain)
{
    const std::wstring shown = ShownPath();
    CaptureTarget();
    MessageLog::Instance().Clear();
    RunFileCommand(ID_ROTATE_90);
    EXPECT_FALSE(Running().MainReceived(WM_SHOW_SLIDE_FILE_AGAIN).empty());
    Gdiplus::Bitmap rotated(shown.c_str());
    EXPECT_EQ(60u, rotated.GetWidth());
    EXPECT_EQ(120u, rotated.GetHeight());
    // A read-only picture is refused and left as it is (once the slide is
    // on screen again).
    ASSERT_TRUE(WaitForShownFile());
    SetFileAttributesW(shown.c_str(), FILE_ATTRIBUTE_READONLY);
    MessageLog::Instance().Clear();
    RunFileCommand(ID_ROTATE_90);
    bool refused = false;
    for (const Received& r : Running().MainReceived(WM_NOTICE))
        refused = refused || (r.wParam == IDS_NOTICE_TITLE_377 && r.lParam == IDS_NOTICE_378);
    EXPECT_TRUE(refused);
}

namespace
{
std::wstring LastVerb, LastFile;
BOOL WINAPI FailingShellExecute(SHELLEXECUTEINFOW* info)
{
    LastVerb = info->lpVerb;
    LastFile = info->lpFile;
    SetLastError(ERROR_NO_ASSOCIATION);
    return FALSE;
}
HRESULT OpenWithResult = S_OK;
std::wstring OpenWithFile;
HRESULT WINAPI FakeOpenWith(HWND, const OpenWithRequest* request)
{
    OpenWithFile = request->file;
    return OpenWithResult;
}
}

TEST_F(TrayMenu, ShellVerbsAndOpenWithReachTheShellAndReportItsRefusal)
{
    const FileCommandCalls saved = FileCommandSystem;
    FileCommandSystem.shellExecute = FailingShellExecute;
    FileCommandSystem.openWithDialog = FakeOpenWith;
    const std::wstring shown = ShownPath();
    CaptureTarget();

    MessageLog::Instance().Clear();
    Running().Command(ID_FILE_PROPERTIES);
    Running().Settle();
    EXPECT_EQ(L"properties", LastVerb);
    EXPECT_EQ(shown, LastFile);
    EXPECT_TRUE(NoticeOfTexts());

    struct Case
    {
        HRESULT result;
        bool reported;
    } cases[] = {{HRESULT_FROM_WIN32(ERROR_CANCELLED), false}, {S_OK, false}, {E_NOTIMPL, true}};
    for (const Case& c : cases)
    {
        OpenWithResult = c.result;
        OpenWithFile.clear();
        MessageLog::Instance().Clear();
        Running().Command(ID_OPEN_WITH);
        Running().Settle();
        EXPECT_EQ(shown, OpenWithFile);
        EXPECT_EQ(c.reported, NoticeOfTexts()) << std::hex << c.result;
    }
    FileCommandSystem = saved;
}

namespace
{
// A command's part that takes its time (a worker, or the open-with dialog
// with its own message loop): it runs until the test lets it end.
struct SlowPart
{
    MHandle started{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    MHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    DWORD result = 0;
};
// Lives as long as the process: a worker let go late still finds it.
SlowPart& Slow = *new SlowPart();

DWORD WINAPI SlowWorker(LPVOID)
{
    SetEvent(Slow.started);
    WaitForSingleObject(Slow.release, 120000);
    return Slow.result;
}

HRESULT WINAPI SlowOpenWith(HWND, const OpenWithRequest*)
{
    SetEvent(Slow.started);
    HANDLE release = Slow.release;
    while (MsgWaitForMultipleObjects(1, &release, FALSE, 120000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<HRESULT>(Slow.result);
}

// The window answers a sent message within a bound far below the slow
// part's run.
bool Answers(HWND window)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
}
}

TEST_F(TrayMenu, WhileACommandWorksOnTheSlideBothWindowsAnswerAndTheSlideWaits)
{
    struct Case
    {
        WORD id;
        DWORD result;
        UINT noticeTitle; // 0: the notice comes as texts
        UINT noticeText;
    } cases[] = {
        {ID_WIPE_FILE, SecureDeleteNotOpened, IDS_NOTICE_GALLERY_TITLE, IDS_NOTICE_470},
        {ID_ROTATE_90, RotateImageFailed, IDS_NOTICE_TITLE_377, IDS_NOTICE_379},
        {ID_OPEN_WITH, static_cast<DWORD>(E_FAIL), 0, 0},
    };
    // The real workers and calls come back however the test ends.
    struct Restore
    {
        FileCommandWorkers workers = FileWorkers;
        FileCommandCalls calls = FileCommandSystem;
        ~Restore()
        {
            FileWorkers = workers;
            FileCommandSystem = calls;
        }
    } restore;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.id);
        SlowPart& slow = Slow;
        ResetEvent(slow.started);
        ResetEvent(slow.release);
        slow.result = c.result;
        FileWorkers.secureDelete = SlowWorker;
        FileWorkers.rotateImage = SlowWorker;
        FileCommandSystem.openWithDialog = SlowOpenWith;
        // Lets the slow part end however the case ends.
        struct Release
        {
            HANDLE event;
            ~Release() { SetEvent(event); }
        } releaseAtEnd{slow.release};

        const std::wstring shown = ShownPath();
        CaptureTarget();
        MessageLog::Instance().Clear();
        Running().Command(c.id);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(slow.started, 30000));

        // The show asks for its next slide while the command holds the slide;
        // both windows go on answering.
        PostMessageW(Running().MainWindow(), WM_NEXT_SLIDE, 3, 0);
        EXPECT_TRUE(Answers(Running().MainWindow()));
        EXPECT_TRUE(Answers(Running().ControllerWindow()));
        // The tray menu opens, and a second command meanwhile is refused.
        ASSERT_NE(nullptr, OpenMenu());
        Type(VK_ESCAPE);
        ASSERT_TRUE(WaitForMenuClosed());
        Running().Command(ID_RECYCLE_FILE);
        EXPECT_TRUE(WaitUntil(
            [&] {
                for (const Received& r : Running().MainReceived(WM_NOTICE))
                    if (r.wParam == IDS_NOTICE_FADE_TITLE && r.lParam == IDS_NOTICE_FADE_RUNNING)
                        return true;
                return false;
            },
            10000));
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(shown.c_str()));
        EXPECT_EQ(shown, ShownPath());

        // The command ends with its report; then the step that waited shows
        // the next file.
        SetEvent(slow.release);
        EXPECT_TRUE(WaitUntil(
            [&] {
                for (const Received& r : Running().MainReceived(WM_NOTICE))
                    if (c.noticeTitle ? r.wParam == c.noticeTitle && static_cast<UINT>(r.lParam) == c.noticeText
                                      : r.wParam == static_cast<WPARAM>(-1))
                        return true;
                return false;
            },
            30000));
        EXPECT_TRUE(WaitForShownFile(shown));
    }
}

TEST_F(TrayMenu, WithTheWindowHiddenTheMenuStartsWithItsTitleAndHasNoSlideSection)
{
    Running().Command(ID_HIDE_MAIN_WINDOW);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(Running().MainWindow()); }, 10000));
    HMENU top = OpenMenu();
    ASSERT_NE(nullptr, top);
    const std::vector<MenuEntry> entries = ReadMenu(top);
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(L"Quillory Window is running", entries.front().label);
    EXPECT_EQ(nullptr, Find(entries, L"Current &file"));
    EXPECT_EQ(nullptr, Find(entries, L"&Open in the viewer"));
    EXPECT_EQ(nullptr, Find(entries, L"H&ide the slide show"));
    Type(VK_ESCAPE);
    ASSERT_TRUE(WaitForMenuClosed());
}

TEST_F(TrayMenu, WithAControllerDialogOpenTheMenuOffersOnlyHelpAndExit)
{
    // The settings dialog's mutex, as the dialog holds it while open.
    MHandle settings(CreateMutexW(nullptr, TRUE, DialogMutexName(L"CSettingsDlg").GetText()));
    HMENU top = OpenMenu();
    ASSERT_NE(nullptr, top);
    const std::vector<MenuEntry> entries = ReadMenu(top);
    for (const wchar_t* label : {L"&Open in the viewer", L"&Next slide", L"&Galleries...", L"&Settings...",
                                 L"&About...", L"Current &file"})
    {
        const MenuEntry* entry = Find(entries, label);
        ASSERT_NE(nullptr, entry) << std::string(label, label + wcslen(label));
        EXPECT_TRUE(entry->greyed) << std::string(label, label + wcslen(label));
    }
    EXPECT_EQ(0, GetMenuItemCount(Find(entries, L"Current &file")->submenu));
    for (const wchar_t* label : {L"&Help", L"E&xit"})
        EXPECT_FALSE(Find(entries, label)->greyed);
    Type(VK_ESCAPE);
    ASSERT_TRUE(WaitForMenuClosed());
}

namespace
{
// The main window's watch over its topmost place (every 300 ms).
constexpr UINT_PTR TopmostWatchTimer = 115;

// Whether window lies above other in the z-order.
bool IsAbove(HWND window, HWND other)
{
    for (HWND below = GetWindow(window, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT))
        if (below == other)
            return true;
    return false;
}
}

TEST_F(TrayMenu, TheMenuStaysAboveTheAlwaysOnTopSlide)
{
    ASSERT_TRUE(WaitUntil([&] { return (GetWindowLongW(Running().MainWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));
    ASSERT_NE(nullptr, OpenMenu());
    HWND popup = FindWindowW(L"#32768", nullptr);
    ASSERT_NE(nullptr, popup);
    EXPECT_TRUE(IsAbove(popup, Running().MainWindow()));
    // The main window's watch over its topmost place runs several rounds
    // while the menu is open.
    MessageLog::Instance().Clear();
    EXPECT_TRUE(Running().WaitForMainTimerTicks(TopmostWatchTimer, 12));
    EXPECT_TRUE(IsAbove(popup, Running().MainWindow()));
    Type(VK_ESCAPE);
    ASSERT_TRUE(WaitForMenuClosed());
}

TEST_F(TrayMenu, ShiftRightClickOnTheSlideOpensTheMenuWithTheSiteEntryBelow)
{
    PostMessageW(Running().MainWindow(), WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(10, 10));
    HMENU top = WaitForPopup(1);
    ASSERT_NE(nullptr, top);
    const std::vector<MenuEntry> entries = ReadMenu(top);
    ASSERT_FALSE(entries.empty());
    EXPECT_NE(ID_VISIT_SITE, entries.front().id);
    EXPECT_NE(nullptr, Find(entries, L"&Visit the web site"));
    EXPECT_EQ(ID_QUIT, entries.back().id);
    Type(VK_ESCAPE);
    ASSERT_TRUE(WaitForMenuClosed());
}
