// What the user-interface tests share: the language module in place, GDI+,
// waits with a bound (polled, or while this thread's messages run), and
// finding the windows a modal run opens so that another thread can script
// them.
#pragma once

#include "foundation/Atom.h"
#include "foundation/GdiplusSession.h"
#include "foundation/SystemUtilities.h"
#include "core/Language.h"
#include "standins/atl/AtlModule.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

// Loads the language module beside the test program and makes it the source
// of strings and dialog templates, with UiLanguage set, for the scope.
class LanguageModuleScope
{
public:
    explicit LanguageModuleScope(LANGID language)
        : m_module(LoadLibraryW(GetModuleFolder(nullptr, GetResourceModuleFileName(language).GetText()).GetText())),
          m_previousModule(LanguageModule), m_previousLanguage(UiLanguage)
    {
        LanguageModule = m_module;
        UiLanguage = language;
        m_atl.SetResourceInstance(m_module);
    }
    LanguageModuleScope(const LanguageModuleScope&) = delete;
    LanguageModuleScope& operator=(const LanguageModuleScope&) = delete;
    ~LanguageModuleScope()
    {
        LanguageModule = m_previousModule;
        UiLanguage = m_previousLanguage;
        if (m_module)
            FreeLibrary(m_module);
    }
    HMODULE Get() const { return m_module; }

private:
    ATL::CAtlModule m_atl;
    HMODULE m_module;
    HMODULE m_previousModule;
    LANGID m_previousLanguage;
};

// GDI+ for the scope of a test.
using GdiplusScope = GdiplusSession;

namespace UiTest
{
// Asks condition every 20 ms until it holds or timeout ms have passed; the
// last answer.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeout = 10000)
{
    const ULONGLONG start = GetTickCount64();
    do
    {
        if (condition())
            return true;
        Sleep(20);
    } while (GetTickCount64() - start < timeout);
    return condition();
}

// Runs this thread's messages, one at a time, until condition holds or
// timeout ms have passed; the last answer. One at a time, so that the caller
// sees every state: when a window's frames take longer than its timer, its
// messages never run out. The bound is longer than WaitUntil's: the windows
// pumped here draw their own cross-fades meanwhile.
inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeout = 15000)
{
    const ULONGLONG start = GetTickCount64();
    while (!condition())
    {
        if (GetTickCount64() - start > timeout)
            return condition();
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

inline void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Whether a named event exists (in this session).
inline bool EventExists(const wchar_t* name)
{
    HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, name);
    if (event)
        CloseHandle(event);
    return event != nullptr;
}

struct FindState
{
    HWND owner;
    HWND found;
};

inline BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM lParam)
{
    FindState& state = *reinterpret_cast<FindState*>(lParam);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (IsWindowVisible(window) && lstrcmpW(className, L"#32770") == 0 &&
        (!state.owner || GetWindow(window, GW_OWNER) == state.owner))
    {
        state.found = window;
        return FALSE;
    }
    return TRUE;
}

// The first visible dialog window of the thread (owned by owner when given),
// waited for up to timeout ms; null when none appears.
// Generous: the first text drawn in a fresh Wine prefix can wait on its font cache.
inline HWND WaitForDialog(DWORD threadId, HWND owner = nullptr, DWORD timeout = 30000)
{
    const DWORD start = GetTickCount();
    do
    {
        FindState state = {owner, nullptr};
        EnumThreadWindows(threadId, &FindVisibleDialog, reinterpret_cast<LPARAM>(&state));
        if (state.found)
            return state.found;
        Sleep(20);
    } while (GetTickCount() - start < timeout);
    return nullptr;
}

inline std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

inline std::wstring DialogItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

// With QUILLORY_SCREENSHOT_HOLD_MS set, keeps the window on screen that long
// so that a screenshot of the display can be taken from outside.
inline void HoldForScreenshot()
{
    const char* hold = std::getenv("QUILLORY_SCREENSHOT_HOLD_MS");
    if (hold)
        Sleep(static_cast<DWORD>(std::atoi(hold)));
}

// Runs script on another thread while the calling thread runs a modal loop.
class Script
{
public:
    explicit Script(std::function<void(DWORD uiThread)> script)
        : m_thread([script, ui = GetCurrentThreadId()] { script(ui); })
    {
    }
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;
    ~Script()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::thread m_thread;
};
}
