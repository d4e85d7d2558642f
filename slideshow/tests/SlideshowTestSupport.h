// Helpers of the slide-show tests: raw access to the program's registry
// values, a layout of monitors, and a clock that the test moves.
#pragma once

#include "foundation/tests/MonitorTable.h"
#include "slideshow/MonitorProvider.h"
#include "slideshow/SettingsRegistry.h"
#include "slideshow/SlideTimer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace SlideshowTest
{
inline void WriteRaw(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    RegistryKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_SET_VALUE));
    ASSERT_EQ(key.Set(name, type, data, size), ERROR_SUCCESS);
}

inline void DeleteRaw(const wchar_t* name)
{
    DeleteProductValue(name);
}

// The stored bytes and type of a value; false when it is missing.
inline bool ReadRaw(const wchar_t* name, DWORD& type, std::vector<unsigned char>& bytes)
{
    RegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, ProgramSettingsKeyPath(), KEY_QUERY_VALUE))
        return false;
    DWORD size = 0;
    if (key.Query(name, type, nullptr, size) != ERROR_SUCCESS)
        return false;
    bytes.assign(size, 0);
    return key.Query(name, type, bytes.data(), size) == ERROR_SUCCESS;
}

inline bool ValueExists(const wchar_t* name)
{
    DWORD type = 0;
    std::vector<unsigned char> bytes;
    return ReadRaw(name, type, bytes);
}

// Monitors from a table, each with a task bar of 40 pixels at its bottom.
class FakeMonitors : public MonitorTableOf<MonitorProvider>
{
public:
    FakeMonitors(const std::vector<RECT>& rects, int primaryWidth = 1920)
        : MonitorTableOf(WithTaskBars(rects)), m_primaryWidth(primaryWidth)
    {
    }

    bool failEnumeration = false;

    bool EnumerateMonitors(std::vector<RECT>& monitors) const override
    {
        monitors.clear();
        if (failEnumeration)
            return false;
        for (const Monitor& monitor : Monitors())
            monitors.push_back(monitor.area);
        return true;
    }

    int PrimaryScreenWidth() const override { return m_primaryWidth; }

private:
    static std::vector<Monitor> WithTaskBars(const std::vector<RECT>& rects)
    {
        std::vector<Monitor> monitors;
        for (const RECT& rect : rects)
            monitors.push_back(Monitor{rect, RECT{rect.left, rect.top, rect.right, rect.bottom - 40}});
        return monitors;
    }

    int m_primaryWidth;
};

class FakeClock : public TickClock
{
public:
    unsigned __int64 now = 10000000;
    unsigned __int64 Now() const override { return now; }
};

// A message-only window that owns timer 102 in the tests.
class TimerWindow
{
public:
    TimerWindow()
    {
        m_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    TimerWindow(const TimerWindow&) = delete;
    TimerWindow& operator=(const TimerWindow&) = delete;
    ~TimerWindow()
    {
        if (m_window)
            DestroyWindow(m_window);
    }
    HWND Get() const { return m_window; }
    // Whether timer 102 is set (killing it on the way).
    bool TakeTimer() { return KillTimer(m_window, SlideTimer::TimerId) != FALSE; }

private:
    HWND m_window = nullptr;
};
}
