// The real controller and main window running in the test process, as the
// program runs them: the controller's modal run on a thread of its own (the
// program's main thread), the main window on the main-dialog thread that the
// controller starts. Hooks on both threads record every message that the
// controller and the main window receive, posted or sent.
#pragma once

#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "core/ThreadCounter.h"
#include "shell/ControllerRun.h"
#include "slideshow/LumivaneDlg.h"
#include "slideshow/MainWindowThread.h"
#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace RunningControllerTest
{
struct Received
{
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    // The heap text of WM_TRAY_STATE with TrayState::Title, read before its receiver frees it.
    std::wstring text;
};

class MessageLog
{
public:
    static MessageLog& Instance()
    {
        static MessageLog log;
        return log;
    }
    void Add(const Received& received)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_received.push_back(received);
    }
    void Clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_received.clear();
    }
    std::vector<Received> Of(HWND window, UINT message)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<Received> found;
        for (const Received& r : m_received)
            if (r.window == window && r.message == message)
                found.push_back(r);
        return found;
    }
    // Messages of the windows watched: the controller and the main window.
    std::atomic<HWND> controller{nullptr};
    std::atomic<HWND> mainWindow{nullptr};

private:
    std::mutex m_mutex;
    std::vector<Received> m_received;
};

inline void Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MessageLog& log = MessageLog::Instance();
    if (!window || (window != log.controller.load() && window != log.mainWindow.load()))
        return;
    Received received{window, message, wParam, lParam, {}};
    if (message == WM_TRAY_STATE && wParam == TrayStateTitle && lParam)
    {
        const MString& text = *reinterpret_cast<const MString*>(lParam);
        received.text.assign(text.GetText(), static_cast<size_t>(text.GetLength()));
    }
    log.Add(received);
}

inline LRESULT CALLBACK GetMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE)
    {
        const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
        Record(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

inline LRESULT CALLBACK SentMessageHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION)
    {
        const CWPSTRUCT& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
        Record(sent.hwnd, sent.message, sent.wParam, sent.lParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// wParam of the WM_NULL markers that Settle posts.
constexpr WPARAM SettleMarker = 0x5E771E;

using UiTest::WaitUntil;

// A visible dialog of the thread with that caption.
inline HWND FindDialog(DWORD threadId, const std::wstring& caption)
{
    struct Search
    {
        const std::wstring* caption;
        HWND found;
    } search{&caption, nullptr};
    EnumThreadWindows(
        threadId,
        [](HWND window, LPARAM lParam) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lParam);
            wchar_t className[16] = {};
            GetClassNameW(window, className, 16);
            if (IsWindowVisible(window) && lstrcmpW(className, L"#32770") == 0 &&
                UiTest::WindowText(window) == *s.caption)
            {
                s.found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline HWND WaitForDialog(DWORD threadId, const std::wstring& caption, DWORD timeout = 10000)
{
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindDialog(threadId, caption)) != nullptr; }, timeout);
    return dialog;
}

inline bool MutexExists(const wchar_t* key)
{
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, DialogMutexName(key).GetText());
    if (mutex)
        CloseHandle(mutex);
    return mutex != nullptr;
}

// GDI+ for the main window, started once for the process as the program
// starts it once: objects that GDI+ hands out once per process (the generic
// font families) would not survive a shutdown between two tests.
inline void StartGdiplusOnce()
{
    static GdiplusScope* gdiplus = new GdiplusScope();
    (void)gdiplus;
}

// The answer the controller's adverts thread gets when it asks whether the
// internet can be reached: the test decides it, so that no run waits on name
// lookups or depends on the machine's network.
enum class Internet
{
    Unreachable,
    Reachable,
};

// The controller and the main window of one run.
class RunningController
{
public:
    // configure runs with the controller before its run starts.
    explicit RunningController(std::function<void(CWindowBase&)> configure = nullptr,
                               Internet internet = Internet::Unreachable)
        : m_configure(std::move(configure)), m_internet(internet)
    {
        StartGdiplusOnce();
        MessageLog::Instance().Clear();
        ThreadCounterHolder.Create();
        m_thread = std::thread([this] { Run(); });
    }
    RunningController(const RunningController&) = delete;
    RunningController& operator=(const RunningController&) = delete;
    ~RunningController()
    {
        Quit();
        if (m_thread.joinable())
            m_thread.join();
        MessageLog::Instance().controller = nullptr;
        MessageLog::Instance().mainWindow = nullptr;
    }

    // Up with its first slide on screen and the hooks in place.
    bool Start()
    {
        if (!WaitUntil([this] { return m_controller.load() && m_controller.load()->ControllerWindow(); }, 30000))
            return false;
        CWindowBase& controller = *m_controller.load();
        m_controllerWindow = controller.ControllerWindow();
        m_controllerThread = GetWindowThreadProcessId(m_controllerWindow, nullptr);
        if (WaitForSingleObject(controller.Events().MainWindowReadyEvent, 30000) != WAIT_OBJECT_0)
            return false;
        // Registered: the main window's handle through the controller.
        SendMessageW(m_controllerWindow, WM_NULL, 0, 0);
        m_mainWindow = controller.RegisteredMainWindow();
        if (!m_mainWindow)
            return false;
        m_mainThread = GetWindowThreadProcessId(m_mainWindow, nullptr);
        MessageLog::Instance().controller = m_controllerWindow;
        MessageLog::Instance().mainWindow = m_mainWindow;
        for (DWORD thread : {m_controllerThread, m_mainThread})
        {
            m_hooks.push_back(SetWindowsHookExW(WH_GETMESSAGE, &GetMessageHook, nullptr, thread));
            m_hooks.push_back(SetWindowsHookExW(WH_CALLWNDPROC, &SentMessageHook, nullptr, thread));
        }
        // Let the start's own messages pass before a test looks.
        Settle();
        MessageLog::Instance().Clear();
        return true;
    }

    // WM_COMMAND 138, and the end of the controller's run.
    void Quit()
    {
        for (HHOOK hook : m_hooks)
            UnhookWindowsHookEx(hook);
        m_hooks.clear();
        if (m_controllerWindow && IsWindow(m_controllerWindow))
            PostMessageW(m_controllerWindow, WM_COMMAND, ID_QUIT, 0);
        if (m_thread.joinable())
            m_thread.join();
    }

    CWindowBase& Controller() const { return *m_controller.load(); }
    HWND ControllerWindow() const { return m_controllerWindow; }
    HWND MainWindow() const { return m_mainWindow; }
    DWORD ControllerThread() const { return m_controllerThread; }
    DWORD MainThread() const { return m_mainThread; }
    INT_PTR Result() const { return m_result; }
    bool HasEnded() const { return m_ended.load(); }

    void Command(WORD id) const { PostMessageW(m_controllerWindow, WM_COMMAND, id, 0); }
    // Waits until both threads have handled what was posted to them so far.
    // A thread takes posted messages in order, so once a marker posted now
    // has been taken, everything posted before it has been handled; a sent
    // message would not tell, since sent messages overtake posted ones.
    // Twice round, for what one side posts to the other meanwhile.
    void Settle() const
    {
        for (int i = 0; i < 2; ++i)
            for (HWND window : {m_controllerWindow, m_mainWindow})
            {
                static std::atomic<LPARAM> nextCookie{1};
                const LPARAM cookie = nextCookie++;
                if (!IsWindow(window) || !PostMessageW(window, WM_NULL, SettleMarker, cookie))
                    continue;
                WaitUntil(
                    [&] {
                        for (const Received& r : MessageLog::Instance().Of(window, WM_NULL))
                            if (r.wParam == SettleMarker && r.lParam == cookie)
                                return true;
                        return !IsWindow(window);
                    },
                    5000);
            }
    }

    // Waits until the main window has taken count WM_TIMER of that timer
    // since the log was last cleared: a span of the window's own time.
    bool WaitForMainTimerTicks(UINT_PTR timerId, size_t count, DWORD timeout = 30000) const
    {
        return WaitUntil(
            [&] {
                size_t ticks = 0;
                for (const Received& r : MainReceived(WM_TIMER))
                    ticks += r.wParam == timerId ? 1 : 0;
                return ticks >= count;
            },
            timeout);
    }

    std::vector<Received> MainReceived(UINT message) const
    {
        return MessageLog::Instance().Of(m_mainWindow, message);
    }
    std::vector<Received> ControllerReceived(UINT message) const
    {
        return MessageLog::Instance().Of(m_controllerWindow, message);
    }

private:
    void Run()
    {
        try
        {
            m_result = RunController(&MainDialogThreadProc, [this](CWindowBase& controller) {
                const bool reachable = m_internet == Internet::Reachable;
                controller.Adverts().WorkerSetup().reachable = [reachable] { return reachable; };
                if (m_configure)
                    m_configure(controller);
                m_controller = &controller;
            });
        }
        catch (...)
        {
            m_result = -2;
        }
        m_controller = nullptr;
        m_ended = true;
    }

    std::function<void(CWindowBase&)> m_configure;
    Internet m_internet;
    std::thread m_thread;
    std::atomic<CWindowBase*> m_controller{nullptr};
    HWND m_controllerWindow = nullptr;
    HWND m_mainWindow = nullptr;
    DWORD m_controllerThread = 0;
    DWORD m_mainThread = 0;
    std::vector<HHOOK> m_hooks;
    INT_PTR m_result = -3;
    std::atomic<bool> m_ended{false};
};
}
