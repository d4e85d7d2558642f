// Helpers of the tests that run the real main window: the stored values they
// start from, a message pump that waits for a condition, and a stand-in
// controller window that records what the main window posts to it.
#pragma once

#include "foundation/Handle.h"
#include "foundation/StringEx.h"
#include "foundation/Sync.h"
#include "resources/languages/LanguageIds.h"
#include "core/PrivateMessages.h"
#include "core/tests/UiTestSupport.h"
#include "slideshow/DisplayArea.h"
#include "slideshow/MainWindowThread.h"
#include "slideshow/PerformanceData.h"
#include "slideshow/tests/SlideshowTestSupport.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <vector>

namespace MainWindowTest
{
// The display area the window tests share (top, bottom, left, right).
inline void StoreTestDisplayArea()
{
    const DisplayAreaBlob area{150, 470, 200, 520};
    SlideshowTest::WriteRaw(DisplayAreaValueName, REG_BINARY, &area, sizeof(area));
}

// The default settings record, but in name order: timer on, interval A
// 1800 s and B 60 s in minutes, tray icon, window border 2, idle 300 s.
inline void StoreSettingsInNameOrder()
{
    const std::array<DWORD, 9> words{1, 0xC1180000u | static_cast<DWORD>(Display_order::ByName), 1800, 60, 2,
                                     0, 0, 0, 300};
    SlideshowTest::WriteRaw(PerformanceDataValueName, REG_BINARY, words.data(),
                            static_cast<DWORD>(words.size() * sizeof(DWORD)));
}

inline constexpr UINT WM_SETTLED_MARKER = WM_APP + 1;

using UiTest::PumpUntil;

// What the main window's picture control draws now, as the screen would get
// it: the control paints into a memory bitmap that starts black, so whatever
// the control leaves unpainted comes out black.
class PictureCapture
{
public:
    explicit PictureCapture(HWND mainWindow) : m_control(GetDlgItem(mainWindow, IDC_MAIN_PICTURE))
    {
        RECT client = {};
        GetClientRect(m_control, &client);
        m_width = client.right;
        m_height = client.bottom;
        HDC screen = GetDC(nullptr);
        m_dc = CreateCompatibleDC(screen);
        m_bitmap = CreateCompatibleBitmap(screen, std::max(1, m_width), std::max(1, m_height));
        ReleaseDC(nullptr, screen);
        m_old = SelectObject(m_dc, m_bitmap);
        RECT all = {0, 0, m_width, m_height};
        FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SendMessageW(m_control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m_dc), PRF_CLIENT);
    }
    PictureCapture(const PictureCapture&) = delete;
    PictureCapture& operator=(const PictureCapture&) = delete;
    ~PictureCapture()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y); }
    // Whether the control is painted (not black) at every pixel of its
    // edges and on a grid of steps across it.
    bool IsPaintedAll(int steps = 16) const
    {
        for (int x = 0; x < m_width; ++x)
            if (IsBlack(x, 0) || IsBlack(x, m_height - 1))
                return false;
        for (int y = 0; y < m_height; ++y)
            if (IsBlack(0, y) || IsBlack(m_width - 1, y))
                return false;
        for (int i = 0; i <= steps; ++i)
            for (int j = 0; j <= steps; ++j)
                if (IsBlack(std::min(m_width - 1, m_width * i / steps), std::min(m_height - 1, m_height * j / steps)))
                    return false;
        return true;
    }
    bool IsBlack(int x, int y) const
    {
        const COLORREF colour = At(x, y);
        return GetRValue(colour) < 16 && GetGValue(colour) < 16 && GetBValue(colour) < 16;
    }

private:
    HWND m_control;
    int m_width = 0;
    int m_height = 0;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};

// Whether a colour is near another in every channel.
inline bool IsNear(COLORREF colour, BYTE red, BYTE green, BYTE blue, int tolerance = 24)
{
    return std::abs(GetRValue(colour) - red) <= tolerance && std::abs(GetGValue(colour) - green) <= tolerance &&
           std::abs(GetBValue(colour) - blue) <= tolerance;
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
            if (m.message == WM_TRAY_STATE)
                TakeTrayTitle(m.wParam, m.lParam);
    }

    HWND m_window = nullptr;
};
// What the controller gives the main window, with a recorder standing for
// the controller's window.
struct ControllerSide
{
    ControllerRecorder recorder;
    MHandle exitEvent{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    MHandle mainWindowReady{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    MainWindowSnapshot snapshot;
    CriticalSection slideLock;
    ControllerLink link = [this] {
        ControllerLink made;
        made.controllerWindow = &recorder.holder;
        made.exitEvent = exitEvent;
        made.mainWindowReady = mainWindowReady;
        made.snapshot = &snapshot;
        made.slideLock = &slideLock;
        return made;
    }();
};
}
