// Helpers of the slide-show tests: raw access to the program's registry
// values, a layout of monitors, and a clock that the test moves.
#pragma once

#include "slideshow/MonitorProvider.h"
#include "slideshow/SettingsRegistry.h"
#include "slideshow/SlideTimer.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
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

// Monitors from a table: handle n is the n-th monitor (counted from 1).
class FakeMonitors : public MonitorProvider
{
public:
    struct Monitor
    {
        RECT rect;
        RECT work;
    };

    FakeMonitors(std::vector<RECT> rects, int primaryWidth = 1920) : m_primaryWidth(primaryWidth)
    {
        for (const RECT& rect : rects)
        {
            RECT work = rect;
            work.bottom -= 40; // a task bar
            m_monitors.push_back(Monitor{rect, work});
        }
    }

    bool failEnumeration = false;

    bool EnumerateMonitors(std::vector<RECT>& monitors) const override
    {
        monitors.clear();
        if (failEnumeration)
            return false;
        for (const Monitor& monitor : m_monitors)
            monitors.push_back(monitor.rect);
        return true;
    }

    int PrimaryScreenWidth() const override { return m_primaryWidth; }

    HMONITOR FromPoint(POINT point, DWORD flags) const override
    {
        for (size_t i = 0; i < m_monitors.size(); ++i)
            if (PtInRect(&m_monitors[i].rect, point))
                return Handle(i);
        return flags == MONITOR_DEFAULTTONULL ? nullptr : Nearest(point);
    }

    HMONITOR FromRect(const RECT& rect, DWORD flags) const override
    {
        return FromPoint(POINT{rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2},
                         flags);
    }

    bool GetWorkArea(HMONITOR monitor, RECT& workArea) const override
    {
        const size_t index = reinterpret_cast<size_t>(monitor);
        if (index == 0 || index > m_monitors.size())
            return false;
        workArea = m_monitors[index - 1].work;
        return true;
    }

private:
    static HMONITOR Handle(size_t index) { return reinterpret_cast<HMONITOR>(index + 1); }

    HMONITOR Nearest(POINT point) const
    {
        if (m_monitors.empty())
            return nullptr;
        size_t best = 0;
        double bestDistance = 0;
        for (size_t i = 0; i < m_monitors.size(); ++i)
        {
            const RECT& r = m_monitors[i].rect;
            const double dx = point.x < r.left ? r.left - point.x : (point.x >= r.right ? point.x - r.right + 1 : 0);
            const double dy = point.y < r.top ? r.top - point.y : (point.y >= r.bottom ? point.y - r.bottom + 1 : 0);
            const double distance = std::hypot(dx, dy);
            if (i == 0 || distance < bestDistance)
            {
                best = i;
                bestDistance = distance;
            }
        }
        return Handle(best);
    }

    std::vector<Monitor> m_monitors;
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
