// The adverts in the running program: the controller's adverts thread talks
// to the stand-in server (started for this program), the tray menu shows the menu
// adverts and the overlay advert, the photo viewer draws the overlay advert
// under the slide, every impression, click and follow is counted, and the
// last report at the end carries them.
#include "../RunningController.h"

#include "crypto/ProtectedTexts.h"
#include "foundation/DefaultBrowser.h"
#include "core/Language.h"
#include "foundation/Registry.h"
#include "filter/MediaSource.h"
#include "galleries/LocalGalleryStore.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "galleries/tests/SelectedLocalGallery.h"
#include "server/SlideCacheFile.h"
#include "core/OwnerDrawMenu.h"
#include "core/ProgramObjects.h"
#include "adverts/tests/AdvertsStandIn.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

using namespace RunningControllerTest;

namespace
{
const wchar_t GalleryName[] = L"Adverts";

// Every address the program hands to the shell, instead of a browser.
std::mutex launchedLock;
std::vector<std::wstring> launched;
HINSTANCE WINAPI RecordLaunch(HWND, LPCWSTR, LPCWSTR file, LPCWSTR parameters, LPCWSTR, INT)
{
    std::lock_guard<std::mutex> lock(launchedLock);
    launched.push_back(std::wstring(file ? file : L"") + L" " + (parameters ? parameters : L""));
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}
bool WasLaunched(const std::wstring& address)
{
    std::lock_guard<std::mutex> lock(launchedLock);
    for (const std::wstring& call : launched)
        if (call.find(address) != std::wstring::npos)
            return true;
    return false;
}

struct MenuEntry
{
    UINT id = 0;
    const OwnerDrawMenuItem* item = nullptr;
    UINT state = 0;
    bool separator = false;
    std::wstring Label() const { return item ? std::wstring(item->GetLabel().GetText()) : std::wstring(); }
};

std::vector<MenuEntry> ReadMenu(HMENU menu)
{
    std::vector<MenuEntry> entries;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
    {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_DATA | MIIM_FTYPE;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        MenuEntry entry;
        entry.id = info.wID;
        entry.state = info.fState;
        entry.separator = (info.fType & MFT_SEPARATOR) != 0;
        entry.item = reinterpret_cast<const OwnerDrawMenuItem*>(info.dwItemData);
        entries.push_back(entry);
    }
    return entries;
}

int IndexOf(const std::vector<MenuEntry>& entries, UINT id)
{
    for (size_t i = 0; i < entries.size(); ++i)
        if (!entries[i].separator && entries[i].id == id)
            return static_cast<int>(i);
    return -1;
}

// The value of a report's line "<prefix>-<n>-<name>:" for the entry whose
// title line (titleName) carries title; "" when there is none.
std::string ReportValue(const std::vector<std::string>& report, const std::string& prefix,
                        const std::string& titleName, const std::wstring& title, const std::string& name)
{
    const std::string wanted = AdvertsStandIn::Hex(title);
    for (const std::string& line : report)
    {
        const std::string head = prefix + "-";
        if (line.compare(0, head.size(), head) != 0)
            continue;
        const size_t dash = line.find('-', head.size());
        const std::string index = line.substr(head.size(), dash - head.size());
        if (line == head + index + "-" + titleName + ":" + wanted)
            for (const std::string& other : report)
            {
                const std::string key = head + index + "-" + name + ":";
                if (other.compare(0, key.size(), key) == 0)
                    return other.substr(key.size());
            }
    }
    return "";
}

// The adverts the stand-in serves to these tests.
const char AdvertsDescription[] = R"({
 "menu": {"Enabled": "1", "Web_Home_App_Default": "0", "Title_Bold": "0", "Title_Italic": "1",
   "Title_Underlined": "1", "Title_Normal_Height": "0", "Title_Has_Separator": "1", "Title_Icon": "1",
   "Fixed_Items_Positions": "1", "Title_Text": "Sponsored", "Title_URL": "http://127.0.0.1/adverts",
   "Position": "top", "Max_Displayed_Entries": "9",
   "adverts": [
     {"title": "Frame Works", "enabled": "1", "url": "https://127.0.0.1/frames", "priority": "1"},
     {"title": "Lakeside Prints", "enabled": "1", "url": "http://127.0.0.1/lakeside", "priority": "3"},
     {"title": "Switched Off", "enabled": "0", "url": "http://127.0.0.1/off", "priority": "9"}]},
 "overlay": {"Enabled": "1", "Incidence": "1", "MC_Lag_Time": "5", "MC_Has_Title": "1", "MC_Title_Bold": "1",
   "MC_Title_Italic": "0", "MC_Title_Underlined": "0", "MC_Title_Icon": "0", "MC_Title_Normal_Height": "1",
   "adverts": [{"leading_title": "Print Shop", "auxiliary_title": "Posters", "enabled": "1", "class": "Sponsored",
     "content": "Posters of your slides, printed on heavy paper and sent within the week.",
     "url": "http://127.0.0.1/prints", "priority": "2"}]},
 "slide": {"Enabled": "0", "Incidence": "4"}})";

class AdvertsInTheProgram : public StandIn::Test
{
protected:
    void SetUp() override
    {
        StandIn::Test::SetUp();
        ServerBaseAddress() = StoredServerBaseAddress();
        Clean();
        {
            std::lock_guard<std::mutex> lock(launchedLock);
            launched.clear();
        }
        m_savedLauncher = ShellLauncher;
        ShellLauncher = &RecordLaunch;
        for (const wchar_t* name : {L"a.png", L"b.png"})
        {
            files.push_back(tree.At(name));
            ASSERT_TRUE(GalleryTest::WritePicture(files.back(), 160, 90));
        }
        ASSERT_TRUE(GalleryTest::StoreSelectedLocalGallery(GalleryName, files));
    }
    // The program with the stand-in serving these adverts; its adverts
    // thread reaches the stand-in and reports only at the start and at the
    // end.
    void StartProgram(const std::string& adverts = AdvertsDescription)
    {
        AdvertsStandIn::Set("adverts", adverts);
        m_running = std::make_unique<RunningController>(nullptr, Internet::Reachable);
        ASSERT_TRUE(Running().Start());
        // The main window starts once the first adverts were handled.
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(Running().Controller().Events().SlideAdvertsSettledEvent, 0));
        ASSERT_TRUE(WaitUntil([&] { return ShownKind() == static_cast<LONG>(0x80000001u); }, 30000));
    }
    LONG ShownKind() const { return Running().Controller().MainWindowState().shown.kind; }
    void TearDown() override
    {
        if (m_running && IsWindowVisible(FindWindowW(L"#32768", nullptr)))
        {
            PostMessageW(Running().ControllerWindow(), WM_CANCELMODE, 0, 0);
            WaitForMenuClosed();
        }
        m_running.reset();
        ShellLauncher = m_savedLauncher;
        Clean();
        StandIn::Test::TearDown();
    }
    // The program's settings and its slide cache files from any earlier run:
    // a cache left in the data folder would continue that run's online show.
    static void Clean()
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velmora");
        DeleteSlideCacheFiles();
    }
    RunningController& Running() const { return *m_running; }

    HMENU OpenMenu()
    {
        PostMessageW(Running().ControllerWindow(), WM_TRAY_CALLBACK, 0, WM_RBUTTONDOWN);
        HMENU menu = nullptr;
        WaitUntil(
            [&] {
                HWND popup = FindWindowW(L"#32768", nullptr);
                if (!popup || !IsWindowVisible(popup))
                    return false;
                menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
                return menu != nullptr;
            },
            10000);
        return menu;
    }
    bool WaitForMenuClosed() const
    {
        return WaitUntil([] { return !IsWindowVisible(FindWindowW(L"#32768", nullptr)); }, 10000);
    }
    void Key(WPARAM key) const { PostMessageW(Running().ControllerWindow(), WM_KEYDOWN, key, 0); }
    // Moves the menu's highlight down to the entry at index and chooses it.
    bool Choose(HMENU menu, int index)
    {
        for (int step = 0; step < 30; ++step)
        {
            if (GetMenuState(menu, static_cast<UINT>(index), MF_BYPOSITION) & MF_HILITE)
            {
                // The menu chooses on the character of the Enter key.
                PostMessageW(Running().ControllerWindow(), WM_CHAR, L'\r', 0);
                return WaitForMenuClosed();
            }
            int before = -1;
            for (int i = 0; i < GetMenuItemCount(menu); ++i)
                if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE)
                    before = i;
            Key(VK_DOWN);
            WaitUntil(
                [&] {
                    for (int i = 0; i < GetMenuItemCount(menu); ++i)
                        if ((GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) && i != before)
                            return true;
                    return false;
                },
                2000);
        }
        return false;
    }
    // Ends the program as the menu's exit does; the controller waits for the
    // adverts thread's last report within its bound.
    void QuitProgram()
    {
        Running().Command(ID_QUIT);
        ASSERT_TRUE(WaitUntil([&] { return Running().HasEnded(); }, 60000));
        m_running.reset();
    }

    LanguageModuleScope language{LanguageEnglish};
    GalleryTest::GdiplusScope gdiplus;
    GalleryTest::TempTree tree;
    std::vector<std::wstring> files;
    std::unique_ptr<RunningController> m_running;
    ShellLauncherFunction m_savedLauncher = nullptr;
};
}

TEST_F(AdvertsInTheProgram, MenuAdvertsStandInTheirSectionWithTheirStylesAndTheirClicksAreReportedAtTheEnd)
{
    StartProgram();
    HMENU top = OpenMenu();
    ASSERT_NE(nullptr, top);
    const std::vector<MenuEntry> entries = ReadMenu(top);
    // Placement "top" in the menu from the icon: the section comes first,
    // without the site entry; its title line in the document's style and
    // with its icon, a separator, the two enabled adverts by priority.
    ASSERT_GE(entries.size(), 5u);
    EXPECT_EQ(-1, IndexOf(entries, ID_VISIT_SITE));
    EXPECT_EQ(ID_MENU_ADVERTS_LINK, entries[0].id);
    ASSERT_NE(nullptr, entries[0].item);
    EXPECT_EQ(L"Sponsored", entries[0].Label());
    EXPECT_TRUE(entries[0].item->IsStyled());
    EXPECT_FALSE(entries[0].item->IsBold());
    EXPECT_TRUE(entries[0].item->IsItalic());
    EXPECT_TRUE(entries[0].item->IsUnderlined());
    EXPECT_FALSE(entries[0].item->IsCompact());
    EXPECT_TRUE(entries[0].item->HasIcon());
    EXPECT_EQ(0u, entries[0].state & (MFS_GRAYED | MFS_DISABLED));
    EXPECT_TRUE(entries[1].separator);
    EXPECT_EQ(112u, entries[2].id);
    EXPECT_EQ(L"Lakeside Prints", entries[2].Label());
    EXPECT_EQ(113u, entries[3].id);
    EXPECT_EQ(L"Frame Works", entries[3].Label());
    EXPECT_TRUE(entries[2].item->HasIcon());
    EXPECT_FALSE(entries[2].item->IsStyled());
    EXPECT_TRUE(entries[4].separator);
    EXPECT_EQ(-1, IndexOf(entries, 114));

    // A click on the second advert: counted, and its https address opened.
    ASSERT_TRUE(Choose(top, 3));
    Running().Settle();
    EXPECT_TRUE(WasLaunched(L"https://127.0.0.1/frames"));
    const MList<Menu_Item_Stats> stats = Running().Controller().Adverts().Stats().MenuStats();
    ASSERT_EQ(2u, stats.GetCount());

    // The last report at the end carries one impression of each and the click.
    const size_t before = AdvertsStandIn::Reports().size();
    QuitProgram();
    const auto reports = AdvertsStandIn::Reports();
    ASSERT_EQ(before + 1, reports.size());
    const std::vector<std::string>& last = reports.back();
    for (const wchar_t* title : {L"Frame Works", L"Lakeside Prints"})
        EXPECT_EQ(AdvertsStandIn::Hex(L"1"), ReportValue(last, "MAF", "Advert-Title", title, "Impressions"));
    EXPECT_EQ(AdvertsStandIn::Hex(L"1"), ReportValue(last, "MAF", "Advert-Title", L"Frame Works", "Clicks"));
    EXPECT_EQ(AdvertsStandIn::Hex(L"0"), ReportValue(last, "MAF", "Advert-Title", L"Lakeside Prints", "Clicks"));
    EXPECT_EQ("", ReportValue(last, "MAF", "Advert-Title", L"Switched Off", "Impressions"));
}

namespace
{
// The open photo viewer of the main-dialog thread.
HWND FindPhotoViewer(DWORD thread, HWND mainWindow)
{
    struct Search
    {
        HWND mainWindow;
        HWND found;
    } search{mainWindow, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM lParam) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lParam);
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (window != s.mainWindow && IsWindowVisible(window) && lstrcmpW(name, L"#32770") == 0 &&
                (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED))
                s.found = window;
            return s.found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Pixels of the screen in the rectangle near the advert marker's colour
// (violet: blue and red well above green), and dark ones (text).
struct BandPixels
{
    int violet = 0;
    int dark = 0;
};
BandPixels CountBandPixels(const RECT& band)
{
    BandPixels counted;
    HDC screen = GetDC(nullptr);
    for (LONG y = band.top; y < band.bottom; ++y)
        for (LONG x = band.left; x < band.right; ++x)
        {
            const COLORREF pixel = GetPixel(screen, x, y);
            const int r = GetRValue(pixel), g = GetGValue(pixel), b = GetBValue(pixel);
            if (b - g > 35 && r - g > 20)
                ++counted.violet;
            if (r < 60 && g < 60 && b < 60)
                ++counted.dark;
        }
    ReleaseDC(nullptr, screen);
    return counted;
}
}

TEST_F(AdvertsInTheProgram, AnOverlayAdvertIsDrawnInThePhotoViewerOfferedInTheMenuAndItsFollowCounted)
{
    StartProgram();
    // The menu captures the slide on screen; the viewer opens on it with the
    // overlay advert under it.
    ASSERT_NE(nullptr, OpenMenu());
    Key(VK_ESCAPE);
    ASSERT_TRUE(WaitForMenuClosed());
    Running().Settle();
    Running().Command(ID_REOPEN_VIEWER);
    HWND viewer = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (viewer = FindPhotoViewer(Running().MainThread(), Running().MainWindow())) != nullptr; }, 20000));
    RECT rect;
    GetWindowRect(viewer, &rect);
    // The picture is 160 x 90: the card below it is 600 pixels wide.
    EXPECT_EQ(600, rect.right - rect.left);
    ASSERT_GT(rect.bottom - rect.top, 90 + 30);
    const RECT band{rect.left + 8, rect.top + 90 + 8, rect.right - 8, rect.bottom - 8};
    // The badges and marker texts in violet, the headline and body in black,
    // once the fade-in has made the window opaque.
    BandPixels block;
    EXPECT_TRUE(WaitUntil(
        [&] {
            block = CountBandPixels(band);
            return block.violet > 50 && block.dark > 50;
        },
        20000))
        << block.violet << " violet, " << block.dark << " dark";
    // The impression reaches the statistics.
    Running().Settle();
    const MList<Overlay_Item_Stats> shown = Running().Controller().Adverts().Stats().OverlayStats();
    ASSERT_EQ(1u, shown.GetCount());
    EXPECT_EQ(MString(L"Print Shop Posters"), shown.GetAt(0)->key);
    EXPECT_EQ(1u, shown.GetAt(0)->impressions);

    // While the viewer is open the menu offers the advert: its title line in
    // bold, then the entry, which follows the advert.
    HMENU top = OpenMenu();
    ASSERT_NE(nullptr, top);
    const std::vector<MenuEntry> entries = ReadMenu(top);
    const int entry = IndexOf(entries, ID_OVERLAY_ADVERT);
    ASSERT_GE(entry, 2);
    EXPECT_EQ(L"Print Shop", entries[entry].Label());
    const MenuEntry& title = entries[entry - 1];
    EXPECT_EQ(L"Sponsored", title.Label());
    ASSERT_NE(nullptr, title.item);
    EXPECT_TRUE(title.item->IsStyled());
    EXPECT_TRUE(title.item->IsBold());
    EXPECT_FALSE(title.item->IsUnderlined());
    EXPECT_TRUE(entries[entry - 2].separator);
    ASSERT_TRUE(Choose(top, entry));
    Running().Settle();
    EXPECT_TRUE(WasLaunched(L"http://127.0.0.1/prints"));

    PostMessageW(viewer, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(viewer); }, 20000));
    const size_t before = AdvertsStandIn::Reports().size();
    QuitProgram();
    const auto reports = AdvertsStandIn::Reports();
    ASSERT_EQ(before + 1, reports.size());
    EXPECT_EQ(AdvertsStandIn::Hex(L"1"),
              ReportValue(reports.back(), "OAF", "Leading-Title", L"Print Shop", "Impressions"));
    EXPECT_EQ(AdvertsStandIn::Hex(L"1"), ReportValue(reports.back(), "OAF", "Leading-Title", L"Print Shop", "Follows"));
}

namespace
{
// The adverts of the slide-turn test: only the slide adverts' settings.
std::string SlideAdverts(const char* enabled)
{
    return std::string(R"({"menu": {"Enabled": "0", "Web_Home_App_Default": "1", "Title_Bold": "1", "Title_Italic": "0",
   "Title_Underlined": "0", "Title_Normal_Height": "1", "Title_Has_Separator": "1", "Title_Icon": "0",
   "Fixed_Items_Positions": "1", "Title_Text": "", "Title_URL": "", "Position": "dynamic",
   "Max_Displayed_Entries": "1", "adverts": []},
 "overlay": {"Enabled": "0", "Incidence": "1", "MC_Lag_Time": "0"},
 "slide": {"Enabled": ")") +
           enabled + R"(", "Incidence": "2"}})";
}

size_t ServedSlides()
{
    size_t served = 0;
    std::istringstream text(StandIn::Control("slides"));
    for (std::string line; std::getline(text, line);)
        served += line.empty() ? 0 : 1;
    return served;
}
}

TEST_F(AdvertsInTheProgram, SlideAdvertsTakeTheirTurnAmongLocalSlidesByTheirSettings)
{
    // The stand-in's online gallery is chosen beside the local one.
    RegistryKey settings;
    ASSERT_TRUE(settings.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_SET_VALUE));
    const wchar_t choice[] = L"1033|Demo";
    ASSERT_EQ(ERROR_SUCCESS, settings.Set(SelectedOnlineGalleryValueName, REG_SZ, choice, sizeof(choice)));

    for (const char* enabled : {"0", "1"})
    {
        SCOPED_TRACE(std::string("slide adverts enabled: ") + enabled);
        StandIn::Reset();
        StartProgram(SlideAdverts(enabled));
        // The user asks for the next slide, an online one allowed, step by
        // step: with the slide adverts on, every second local slide is
        // followed by one from the stand-in; switched off, none comes.
        int localSteps = 0;
        bool onlineShown = false;
        for (int step = 0; step < 5 && !onlineShown; ++step)
        {
            const std::wstring before = Running().Controller().MainWindowState().shown.path.GetText();
            Running().Command(ID_NEXT_SLIDE);
            WaitUntil(
                [&] {
                    const MainWindowSnapshot& state = Running().Controller().MainWindowState();
                    return ShownKind() == 1 || (std::wstring(state.shown.path.GetText()) != before && !state.crossFading);
                },
                60000);
            Running().Settle();
            onlineShown = ShownKind() == 1;
            localSteps += onlineShown ? 0 : 1;
        }
        if (std::string(enabled) == "1")
        {
            EXPECT_TRUE(onlineShown);
            // The slide shown at the start counts as the first local one.
            EXPECT_GE(localSteps, 1);
            EXPECT_LE(localSteps, 2);
            EXPECT_GE(ServedSlides(), 1u);
            // Its load goes into the last report.
            QuitProgram();
            const auto reports = AdvertsStandIn::Reports();
            ASSERT_FALSE(reports.empty());
            bool loadReported = false;
            for (const std::string& line : reports.back())
                loadReported = loadReported || (line.compare(0, 6, "SAF-0-") == 0 &&
                                                line == "SAF-0-Loads:" + AdvertsStandIn::Hex(L"1"));
            EXPECT_TRUE(loadReported);
        }
        else
        {
            // Nothing online was loaded (the stand-in's record may hold
            // requests of other test programs on this machine).
            EXPECT_FALSE(onlineShown);
            EXPECT_EQ(0u, Running().Controller().Adverts().Stats().SlideStats().GetCount());
            QuitProgram();
        }
    }
}
