// The screen saver of the real main window under Xvfb (one monitor): idle
// time reached, the window made and faded in, the next slide cross-faded into
// it, input ends it; a setting change and the lock end it too; and a display
// change brings the window back from a monitor that is gone.
#include "slideshow/LumivaneDlg.h"

#include "filter/MediaSource.h"
#include "foundation/WindowPlacement.h"
#include "galleries/LocalGalleryStore.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "galleries/tests/SelectedLocalGallery.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "core/ThreadCounter.h"
#include "core/tests/UiTestSupport.h"
#include "slideshow/CurrentSlideRecord.h"
#include "slideshow/DisplayArea.h"
#include "slideshow/DisplayControl.h"
#include "slideshow/MainWindowIds.h"
#include "slideshow/PerformanceData.h"
#include "slideshow/tests/MainWindowTestSupport.h"
#include "slideshow/tests/SlideshowTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <vector>

namespace
{
using namespace MainWindowTest;

const wchar_t GalleryName[] = L"Local";

// The simulated idle time and input: the last input lies ten minutes back
// until the test says the user is active. Real input cannot serve: under
// Wine, a window that appears under the pointer counts as input, so the
// screen saver would end itself as soon as it covers the screen.
std::atomic<bool> userActive{false};

BOOL WINAPI PretendIdle(PLASTINPUTINFO info)
{
    info->dwTime = userActive ? GetTickCount() : GetTickCount() - 600000;
    return TRUE;
}

class RecordingLocker : public SessionLocker
{
public:
    bool Lock() const override
    {
        ++locks;
        return true;
    }
    int QueryLockState() const override { return 0; }
    mutable std::atomic<int> locks{0};
};

class MainWindowScreenSaver : public ::testing::Test, protected ControllerSide
{
protected:
    void SetUp() override
    {
        ThreadCounterHolder.Create();
        StoreTestDisplayArea();
        WriteSettings(5); // one window per monitor, pictures fitted inside
        for (const wchar_t* name : {L"a.png", L"b.png"})
        {
            files.push_back(tree.At(name));
            ASSERT_TRUE(GalleryTest::WritePicture(files.back(), 200, 100));
        }
        ASSERT_TRUE(GalleryTest::StoreSelectedLocalGallery(GalleryName, {tree.Path()}));
    }
    void TearDown() override
    {
        SetLastInputQuery(nullptr);
        SetScreenSaverLocker(nullptr);
        SetPlacementMonitors(nullptr);
        recorder.Clear();
        for (const wchar_t* name : {DisplayAreaValueName, PerformanceDataValueName, ElapsedTimeValueName,
                                    CurrentSlideValueName, MediaSourceValueName})
            SlideshowTest::DeleteRaw(name);
        SHDeleteKeyW(HKEY_CURRENT_USER,
                     MString(sX::Format(), L"%s\\Local Galleries", ProgramSettingsKeyPath()).GetText());
        SHDeleteKeyW(HKEY_CURRENT_USER,
                     MString(sX::Format(), L"%s\\%s", ProgramSettingsKeyPath(), DisplayControlKeyName).GetText());
        SetEvent(exitEvent);
        WaitForWorkerThreads();
    }

    // Timer on, interval A 1800 s, B 60 s, tray icon, window border 2, the
    // screen-saver word, idle 300 s.
    static void WriteSettings(DWORD screenSaverWord)
    {
        const std::array<DWORD, 9> words{1, 0xC1180000u | static_cast<DWORD>(Display_order::ByName), 1800, 60, 2,
                                         0, 0, screenSaverWord, 300};
        SlideshowTest::WriteRaw(PerformanceDataValueName, REG_BINARY, words.data(),
                                static_cast<DWORD>(words.size() * sizeof(DWORD)));
    }

    // The window shows its first slide, with nothing of it still running.
    static bool WaitForFirstSlide(CLumivaneDlg& window)
    {
        return PumpUntil([&] { return window.IsWindowVisible() && !window.IsCrossFadeRunning(); }) &&
               PumpUntil([&] { return window.HasGallerySelection(true); });
    }

    static void StartIdle()
    {
        userActive = false;
        SetLastInputQuery(&PretendIdle);
    }

    static bool WaitForScreenSaver(CLumivaneDlg& window)
    {
        return PumpUntil([&] {
            return window.ScreenSaverWindowCount() == 1 && !window.ScreenSaverWindowAt(0).IsFadingIn();
        });
    }

    LanguageModuleScope language{LanguageEnglish};
    GdiplusScope gdiplus;
    GalleryTest::TempTree tree;
    std::vector<std::wstring> files;
};

TEST_F(MainWindowScreenSaver, IdleTimeStartsItASlideCrossFadesInAndInputEndsIt)
{
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    ASSERT_TRUE(WaitForFirstSlide(window));
    EXPECT_EQ(window.ScreenSaverWindowCount(), 0u);

    StartIdle();
    ASSERT_TRUE(WaitForScreenSaver(window));
    const ScreenSaverWnd& saver = window.ScreenSaverWindowAt(0);
    EXPECT_TRUE(saver.ShowsSlides());
    wchar_t className[32] = {};
    GetClassNameW(saver, className, 32);
    EXPECT_STREQ(className, L"ScreenSaverWnd");
    BYTE alpha = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(saver, nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, 255);
    // It covers the one monitor.
    RECT covered = {};
    saver.GetWindowRect(&covered);
    EXPECT_EQ(covered.left, 0);
    EXPECT_EQ(covered.top, 0);
    EXPECT_EQ(covered.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(covered.bottom, GetSystemMetrics(SM_CYSCREEN));

    // The next slide: once the main window's cross-fade ends, the
    // screen-saver window cross-fades to it.
    const Gdiplus::Bitmap* before = saver.Frame();
    bool crossFadeSeen = false;
    window.PostMessage(WM_NEXT_SLIDE, StepUserNext, 1);
    ASSERT_TRUE(PumpUntil([&] {
        crossFadeSeen = crossFadeSeen || saver.IsCrossFading();
        return crossFadeSeen && !saver.IsCrossFading();
    }));
    EXPECT_NE(saver.Frame(), before);
    EXPECT_EQ(window.ScreenSaverWindowCount(), 1u);

    // Input ends it, faded out.
    const HWND saverWindow = saver;
    userActive = true;
    ASSERT_TRUE(PumpUntil([&] { return window.ScreenSaverWindowCount() == 0; }));
    EXPECT_FALSE(IsWindow(saverWindow));
    window.DestroyWindow();
}

TEST_F(MainWindowScreenSaver, SettingChangeEndsItAndTheLockFlagLocks)
{
    WriteSettings(0x80000001u); // one window over all monitors, lock at the end
    RecordingLocker locker;
    SetScreenSaverLocker(&locker);
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    ASSERT_TRUE(WaitForFirstSlide(window));

    StartIdle();
    ASSERT_TRUE(WaitForScreenSaver(window));
    const HWND saverWindow = window.ScreenSaverWindowAt(0);
    // Ends without waiting for input; the session is locked and the window
    // not faded (it was at full alpha when the lock came).
    SetLastInputQuery(nullptr);
    window.SendMessage(WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(window.ScreenSaverWindowCount(), 0u);
    EXPECT_FALSE(IsWindow(saverWindow));
    EXPECT_EQ(locker.locks.load(), 1);

    // With nothing running, another change does nothing.
    window.SendMessage(WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(locker.locks.load(), 1);
    window.DestroyWindow();
}

TEST_F(MainWindowScreenSaver, DisplayChangeBringsTheWindowBackFromARemovedMonitor)
{
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    ASSERT_TRUE(WaitForFirstSlide(window));

    // Two monitors, the window on the second one at negative coordinates.
    const SlideshowTest::FakeMonitors two({RECT{0, 0, 1920, 1080}, RECT{-1280, -300, 0, 724}});
    SetPlacementMonitors(&two);
    RECT rect = {};
    window.GetWindowRect(&rect);
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    window.SetWindowPos(nullptr, -900, -100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    window.GetWindowRect(&rect);
    ASSERT_EQ(rect.left, -900);

    // The left monitor goes: at once the window lies in the primary's work
    // area (its task bar takes the bottom 40 pixels), at its own size.
    const SlideshowTest::FakeMonitors one({RECT{0, 0, 1920, 1080}});
    SetPlacementMonitors(&one);
    window.SendMessage(WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    window.GetWindowRect(&rect);
    EXPECT_GE(rect.left, 0);
    EXPECT_GE(rect.top, 0);
    EXPECT_LE(rect.right, 1920);
    EXPECT_LE(rect.bottom, 1040);
    EXPECT_EQ(rect.right - rect.left, width);
    EXPECT_EQ(rect.bottom - rect.top, height);
    window.DestroyWindow();
}
}
