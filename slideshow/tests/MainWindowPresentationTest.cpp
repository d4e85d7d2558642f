// The main window on screen under Xvfb: a status card presented with a
// cross-fade that its own timer steps to the end, the same card not shown
// twice, and the window fade of the hover and show rules.
#include "slideshow/LumivaneDlg.h"

#include "ProgramResourceIds.h"
#include "shell/core/PrivateMessages.h"
#include "shell/core/ProgramObjects.h"
#include "shell/core/ThreadCounter.h"
#include "shell/tests/UiTestSupport.h"
#include "slideshow/DisplayArea.h"
#include "slideshow/PerformanceData.h"
#include "slideshow/tests/SlideshowTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace
{
constexpr UINT WM_SETTLED_MARKER = WM_APP + 1;

// Runs this thread's messages until done() holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout = 15000)
{
    const DWORD start = GetTickCount();
    while (!done())
    {
        if (GetTickCount() - start > timeout)
            return false;
        // One message at a time, so that the caller sees every state: when
        // frames take longer than the timer, its messages never run out.
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

// A message-only window that stands for the controller and records what the
// main window sends and posts to it.
class ControllerRecorder
{
public:
    struct Message
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    ControllerRecorder()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuilloryTestController";
        RegisterClassW(&windowClass);
        m_window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   windowClass.hInstance, nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        holder.store(m_window);
    }
    ControllerRecorder(const ControllerRecorder&) = delete;
    ControllerRecorder& operator=(const ControllerRecorder&) = delete;
    ~ControllerRecorder() { DestroyWindow(m_window); }

    bool Received(UINT message, WPARAM wParam) const
    {
        for (const Message& m : messages)
            if (m.message == message && m.wParam == wParam)
                return true;
        return false;
    }
    MString LastTooltip() const
    {
        MString text;
        for (const Message& m : messages)
            if (m.message == WM_TRAY_STATE && m.wParam == TrayStateTitle)
                text = *reinterpret_cast<const MString*>(m.lParam);
        return text;
    }
    // Everything the window posted to the controller so far has arrived:
    // posted messages of one thread arrive in order, so a marker posted now
    // comes after them.
    bool Settle()
    {
        static UINT_PTR next = 0;
        const WPARAM marker = ++next;
        PostMessageW(m_window, WM_SETTLED_MARKER, marker, 0);
        return PumpUntil([&] { return Received(WM_SETTLED_MARKER, marker); });
    }
    void Clear()
    {
        FreeTexts();
        messages.clear();
    }

    std::atomic<HWND> holder{nullptr};
    std::vector<Message> messages;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<ControllerRecorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message >= WM_USER)
            self->messages.push_back(Message{message, wParam, lParam});
        return DefWindowProcW(window, message, wParam, lParam);
    }
    void FreeTexts()
    {
        for (const Message& m : messages)
            if (m.message == WM_TRAY_STATE && m.wParam == TrayStateTitle)
                delete reinterpret_cast<MString*>(m.lParam);
    }

    HWND m_window = nullptr;
};

// The window's own first slide step is not part of these tests: they
// present cards of their own.
void DropFirstStep(HWND window)
{
    MSG pending;
    while (PeekMessageW(&pending, window, WM_NEXT_SLIDE, WM_NEXT_SLIDE, PM_REMOVE))
    {
    }
}

class MainWindowPresentation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ThreadCounterHolder.Create();
        // A 320-pixel display area at (200, 150).
        const DisplayAreaBlob area{150, 470, 200, 520};
        SlideshowTest::WriteRaw(DisplayAreaValueName, REG_BINARY, &area, sizeof(area));
    }
    void TearDown() override
    {
        recorder.Clear();
        for (const wchar_t* name : {DisplayAreaValueName, PerformanceDataValueName, ElapsedTimeValueName})
            SlideshowTest::DeleteRaw(name);
        SetEvent(controller.ExitEvent);
        WaitForWorkerThreads();
    }

    LanguageModuleScope language{LanguageEnglish};
    GdiplusScope gdiplus;
    CWindowBase controller;
    ControllerRecorder recorder;
};

TEST_F(MainWindowPresentation, StatusCardCrossFadesInByItsOwnTimer)
{
    CLumivaneDlg window(&controller, &recorder.holder, MString());
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
    RECT rect = {};
    window.GetWindowRect(&rect);
    // A 560 x 420 card in a 320-pixel area, less the window's frame.
    const int side = 320 - window.NonClientSize().cx;
    PictureSize expected;
    FitIntoSquare(static_cast<unsigned>(side), 560, 420, expected);
    EXPECT_EQ(rect.right - rect.left, static_cast<LONG>(expected.width) + window.NonClientSize().cx);
    EXPECT_EQ(rect.bottom - rect.top, static_cast<LONG>(expected.height) + window.NonClientSize().cy);
    EXPECT_TRUE(window.IsWindowVisible());

    // The controller heard of the card, of the first slide and of its tooltip.
    EXPECT_TRUE(recorder.Received(WM_TRAY_STATE, 1));
    EXPECT_TRUE(recorder.Received(WM_MAIN_WINDOW_READY, 0));
    EXPECT_EQ(std::wstring(recorder.LastTooltip().GetText()), L"Status: No gallery is selected.");
    EXPECT_EQ(WaitForSingleObject(controller.MainWindowReadyEvent, 0), static_cast<DWORD>(WAIT_OBJECT_0));

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

TEST_F(MainWindowPresentation, WindowFadesOutAndInAndReportsItsStateCodes)
{
    CLumivaneDlg window(&controller, &recorder.holder, MString());
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
    CLumivaneDlg window(&controller, &recorder.holder, MString());
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
}
