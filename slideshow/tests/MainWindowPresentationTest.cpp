// The main window on screen under Xvfb: a status card presented with a
// cross-fade that its own timer steps to the end, the same card not shown
// twice, the window fade of the hover and show rules, and the viewer that
// opens the current slide.
#include "slideshow/LumivaneDlg.h"

#include "ProgramResourceIds.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "core/ThreadCounter.h"
#include "core/tests/UiTestSupport.h"
#include "slideshow/DisplayArea.h"
#include "slideshow/PerformanceData.h"
#include "slideshow/tests/MainWindowTestSupport.h"
#include "slideshow/tests/SlideshowTestSupport.h"
#include "viewers/tests/DialogThreadScript.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace
{
using namespace MainWindowTest;

// The window's own first slide step is not part of these tests: they
// present cards of their own.
void DropFirstStep(HWND window)
{
    MSG pending;
    while (PeekMessageW(&pending, window, WM_NEXT_SLIDE, WM_NEXT_SLIDE, PM_REMOVE))
    {
    }
}

// The window has the size of a whole status card: a 560 x 420 card in the
// 320-pixel area, less the window's frame.
void ExpectWholeCardSize(CLumivaneDlg& window)
{
    RECT rect = {};
    window.GetWindowRect(&rect);
    const int side = 320 - window.NonClientSize().cx;
    PictureSize expected;
    FitIntoSquare(static_cast<unsigned>(side), 560, 420, expected);
    EXPECT_EQ(rect.right - rect.left, static_cast<LONG>(expected.width) + window.NonClientSize().cx);
    EXPECT_EQ(rect.bottom - rect.top, static_cast<LONG>(expected.height) + window.NonClientSize().cy);
}

class MainWindowPresentation : public ::testing::Test, protected ControllerSide
{
protected:
    void SetUp() override
    {
        ThreadCounterHolder.Create();
        // A 320-pixel display area at (200, 150).
        StoreTestDisplayArea();
    }
    void TearDown() override
    {
        recorder.Clear();
        for (const wchar_t* name : {DisplayAreaValueName, PerformanceDataValueName, ElapsedTimeValueName})
            SlideshowTest::DeleteRaw(name);
        SetEvent(exitEvent);
        WaitForWorkerThreads();
    }

    LanguageModuleScope language{LanguageEnglish};
    GdiplusScope gdiplus;
};

TEST_F(MainWindowPresentation, StatusCardCrossFadesInByItsOwnTimer)
{
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    DropFirstStep(window);
    EXPECT_TRUE(recorder.Received(WM_MAIN_WINDOW_READY, 1));
    EXPECT_FALSE(window.IsWindowVisible());

    const MString message(L"No gallery is selected.");
    window.ShowStatusCard(message, IDP_STATUS_ART);
    EXPECT_EQ(recorder.LastTooltip().GetLength(), 0u); // posted, not yet received
    ASSERT_TRUE(window.ShowSlide(1));
    EXPECT_TRUE(window.IsCrossFadeRunning());

    // The window grows from nothing to the card's size while the timer steps.
    std::vector<LONG> widths;
    ASSERT_TRUE(PumpUntil([&] {
        RECT rect = {};
        window.GetWindowRect(&rect);
        if (window.IsWindowVisible() && (widths.empty() || widths.back() != rect.right - rect.left))
            widths.push_back(rect.right - rect.left);
        return !window.IsCrossFadeRunning();
    }));
    // The cross-fade's last tick shows the final frame and reports the first slide.
    ASSERT_TRUE(PumpUntil([&] { return recorder.Received(WM_MAIN_WINDOW_READY, 0); }));
    ASSERT_TRUE(recorder.Settle());

    ASSERT_GE(widths.size(), 3u);
    EXPECT_LT(widths.front(), widths.back() / 2);
    ExpectWholeCardSize(window);
    EXPECT_TRUE(window.IsWindowVisible());

    // The controller heard of the card, of the first slide and of its tooltip.
    EXPECT_TRUE(recorder.Received(WM_TRAY_STATE, 1));
    EXPECT_TRUE(recorder.Received(WM_MAIN_WINDOW_READY, 0));
    EXPECT_EQ(std::wstring(recorder.LastTooltip().GetText()), L"Status: No gallery is selected.");
    EXPECT_EQ(WaitForSingleObject(mainWindowReady, 0), static_cast<DWORD>(WAIT_OBJECT_0));

    // The same card again is not presented: no cross-fade starts.
    window.ShowStatusCard(message, IDP_STATUS_ART);
    EXPECT_FALSE(window.ShowSlide(1));
    EXPECT_FALSE(window.IsCrossFadeRunning());
    // Another card is.
    window.ShowStatusCard(MString(L"Another message."), IDP_STATUS_ART);
    EXPECT_TRUE(window.ShowSlide(1));
    EXPECT_TRUE(window.IsCrossFadeRunning());
    window.FinishTransition();
    EXPECT_FALSE(window.IsCrossFadeRunning());
    window.DestroyWindow();
}

TEST_F(MainWindowPresentation, ANewSlideFinishesTheRunningCrossFadeBeforeItIsPrepared)
{
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    DropFirstStep(window);
    window.ShowStatusCard(MString(L"The first card."), IDP_STATUS_ART);
    ASSERT_TRUE(window.ShowSlide(1));
    ASSERT_TRUE(window.IsCrossFadeRunning());

    // The next slide arrives before the first cross-fade has drawn a frame:
    // the first slide is completed at once, at its full size.
    window.ShowStatusCard(MString(L"The second card."), IDP_STATUS_ART);
    EXPECT_FALSE(window.IsCrossFadeRunning());
    ExpectWholeCardSize(window);
    EXPECT_TRUE(PictureCapture(window).IsPaintedAll());

    // The second slide then cross-fades in from the first one's full frame.
    ASSERT_TRUE(window.ShowSlide(1));
    EXPECT_TRUE(window.IsCrossFadeRunning());
    ASSERT_TRUE(PumpUntil([&] { return !window.IsCrossFadeRunning(); }));
    ExpectWholeCardSize(window);
    EXPECT_TRUE(PictureCapture(window).IsPaintedAll());
    window.DestroyWindow();
}

TEST_F(MainWindowPresentation, WindowFadesOutAndInAndReportsItsStateCodes)
{
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    DropFirstStep(window);
    window.ShowStatusCard(MString(L"Fading."), IDP_STATUS_ART);
    ASSERT_TRUE(window.ShowSlide(1));
    ASSERT_TRUE(PumpUntil([&] { return !window.IsCrossFadeRunning(); }));
    ASSERT_TRUE(window.IsWindowVisible());

    // Let the cross-fade's last tick and the notices of the first show
    // arrive before the record is cleared.
    ASSERT_TRUE(PumpUntil([&] { return recorder.Received(WM_MAIN_WINDOW_READY, 0); }));
    ASSERT_TRUE(recorder.Settle());
    recorder.Clear();
    window.ShowWithFade(false, 2);
    ASSERT_TRUE(PumpUntil([&] { return recorder.Received(WM_TRAY_STATE, 2); }, 5000));
    EXPECT_FALSE(window.IsWindowVisible());
    BYTE alpha = 1;
    DWORD flags = 0;
    GetLayeredWindowAttributes(window, nullptr, &alpha, &flags);
    EXPECT_EQ(alpha, 0);

    window.ShowWithFade(true, 1);
    ASSERT_TRUE(PumpUntil([&] { return recorder.Received(WM_TRAY_STATE, 1); }, 5000));
    EXPECT_TRUE(window.IsWindowVisible());
    GetLayeredWindowAttributes(window, nullptr, &alpha, &flags);
    EXPECT_EQ(alpha, 255);
    // The z-order of each mode is checked on a plain window (WindowModes):
    // Wine does not make a window topmost while it owns a topmost popup,
    // here the tracking tooltip.
    window.DestroyWindow();
}

TEST_F(MainWindowPresentation, DragMovesTheDisplayAreaAndShiftRightClickAsksForTheMenu)
{
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    DropFirstStep(window);
    window.ShowStatusCard(MString(L"Drag me."), IDP_STATUS_ART);
    ASSERT_TRUE(window.ShowSlide(1));
    // No drag while the cross-fade runs.
    window.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_NE(GetCapture(), window.m_hWnd);
    ASSERT_TRUE(PumpUntil([&] { return !window.IsCrossFadeRunning(); }));

    // The area's automatic corner is its top left (nearest to the screen's):
    // the window sits at (200, 150) and is dragged by (-50, +30).
    RECT before = {};
    window.GetWindowRect(&before);
    EXPECT_EQ(before.left, 200);
    EXPECT_EQ(before.top, 150);
    window.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ASSERT_EQ(GetCapture(), window.m_hWnd);
    window.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-40), 40));
    window.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(-40), 40));
    EXPECT_NE(GetCapture(), window.m_hWnd);
    RECT after = {};
    window.GetWindowRect(&after);
    EXPECT_EQ(after.left, 150);
    EXPECT_EQ(after.top, 180);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    DWORD type = 0;
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(SlideshowTest::ReadRaw(DisplayAreaValueName, type, bytes));
    ASSERT_EQ(bytes.size(), sizeof(DisplayAreaBlob));
    DisplayAreaBlob area = {};
    memcpy(&area, bytes.data(), sizeof(area));
    EXPECT_EQ(area.left, 150);
    EXPECT_EQ(area.top, 180);
    EXPECT_EQ(area.right, 470);
    EXPECT_EQ(area.bottom, 500);

    // Shift + right click in the upper half: the menu opens below the window.
    recorder.Clear();
    window.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(5, 5));
    PumpUntil([&] { return recorder.Received(WM_CONTEXT_MENU_REQUEST, MAKEWPARAM(150, after.bottom + 1)); }, 2000);
    ASSERT_TRUE(recorder.Received(WM_CONTEXT_MENU_REQUEST, MAKEWPARAM(150, after.bottom + 1)));
    for (const ControllerRecorder::Message& m : recorder.messages)
    {
        if (m.message == WM_CONTEXT_MENU_REQUEST)
        {
            EXPECT_EQ(m.lParam, 0);
        }
    }

    // While a dialog of the program is open the right click only beeps.
    HANDLE about = CreateMutexW(nullptr, TRUE, DialogMutexName(L"CAboutBoxDlg").GetText());
    recorder.Clear();
    window.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(5, 5));
    ASSERT_TRUE(recorder.Settle());
    EXPECT_FALSE(recorder.Received(WM_CONTEXT_MENU_REQUEST, MAKEWPARAM(150, after.bottom + 1)));
    ReleaseMutex(about);
    CloseHandle(about);
    window.DestroyWindow();
}

TEST_F(MainWindowPresentation, AStatusCardOpensInThePhotoViewerOwnedByTheMainWindow)
{
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    DropFirstStep(window);
    window.ShowStatusCard(MString(L"No gallery is selected."), IDP_STATUS_ART);
    ASSERT_TRUE(window.ShowSlide(1));
    window.FinishTransition();
    ASSERT_EQ(window.CurrentSlideKind(), SlideStatusCard);

    std::atomic<bool> ownedByMain{false};
    std::wstring title;
    UiTest::Script script([&](DWORD ui) {
        HWND viewer = UiTest::WaitForDialog(ui, window);
        if (!viewer)
            return;
        ownedByMain = true;
        title = UiTest::WindowText(viewer);
        SendMessageW(viewer, WM_CLOSE_REQUEST, 0, 0);
    });
    window.SendMessage(WM_OPEN_VIEWER, 0, MAKELPARAM(300, 250));
    EXPECT_TRUE(ownedByMain);
    // A status card has no title: the window text is the caption alone.
    EXPECT_EQ(title, std::wstring(MString(ResId(IDS_PRODUCT_CAPTION)).GetText()));
    window.DestroyWindow();
}
}

namespace
{
TEST_F(MainWindowPresentation, TheSlidePropertiesWindowOpensOnceAndClosesWhenItAsks)
{
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    DropFirstStep(window);
    window.ShowStatusCard(MString(L"No gallery is selected."), IDP_STATUS_ART);
    ASSERT_TRUE(window.ShowSlide(1));
    window.FinishTransition();

    window.SendMessage(WM_SHOW_SLIDE_PROPERTIES, 0, MAKELPARAM(300, 250));
    HWND properties = DialogThreadScript::FindDialog(window);
    ASSERT_NE(properties, nullptr);
    const std::wstring title = UiTest::WindowText(properties);
    EXPECT_EQ(title.rfind(std::wstring(MString(ResId(IDS_SLIDE_PROPERTIES)).GetText()), 0), 0u) << title.c_str();
    // A second request while it is open changes nothing.
    window.SendMessage(WM_SHOW_SLIDE_PROPERTIES, 0, MAKELPARAM(300, 250));
    EXPECT_EQ(DialogThreadScript::FindDialog(window), properties);
    // Closing it asks the main window, which destroys it.
    SendMessageW(properties, WM_CLOSE, 0, 0);
    PumpUntil([&] { return !IsWindow(properties); }, 10000);
    EXPECT_FALSE(IsWindow(properties));
    window.DestroyWindow();
}
} // namespace
