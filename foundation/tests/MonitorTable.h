// A desktop of several monitors for placement tests: the test desktop shows
// one monitor only. Answers as MonitorFromPoint, MonitorFromRect and
// GetMonitorInfoW do for the monitors of the table.
#pragma once

#include "foundation/WindowPlacement.h"

#include <algorithm>
#include <vector>

// The lookup answers of a table of monitors, on top of any lookup interface
// (the placement lookup here, the main window's monitor provider in the
// slide-show tests). Handle n is the n-th monitor, counted from 1.
template <class Lookup> class MonitorTableOf : public Lookup
{
public:
    struct Monitor
    {
        RECT area;
        RECT work;
    };

    // The monitor holding (0, 0) is the primary one.
    explicit MonitorTableOf(std::vector<Monitor> monitors) : m_monitors(std::move(monitors)) {}

    HMONITOR FromPoint(POINT point, DWORD flags) const override
    {
        for (size_t i = 0; i < m_monitors.size(); ++i)
            if (PtInRect(&m_monitors[i].area, point))
                return Handle(i);
        return Fallback(flags, RECT{point.x, point.y, point.x, point.y});
    }
    HMONITOR FromRect(const RECT& rect, DWORD flags) const override
    {
        long long best = 0;
        HMONITOR found = nullptr;
        for (size_t i = 0; i < m_monitors.size(); ++i)
        {
            RECT common;
            if (IntersectRect(&common, &m_monitors[i].area, &rect))
            {
                const long long area = 1LL * (common.right - common.left) * (common.bottom - common.top);
                if (area > best)
                {
                    best = area;
                    found = Handle(i);
                }
            }
        }
        return found ? found : Fallback(flags, rect);
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

    HMONITOR Fallback(DWORD flags, const RECT& rect) const
    {
        if (flags == MONITOR_DEFAULTTOPRIMARY)
            return FromPoint(POINT{0, 0}, MONITOR_DEFAULTTONULL);
        if (flags != MONITOR_DEFAULTTONEAREST)
            return nullptr;
        // The monitor at the least distance from the rectangle.
        long long best = -1;
        HMONITOR found = nullptr;
        for (size_t i = 0; i < m_monitors.size(); ++i)
        {
            const RECT& area = m_monitors[i].area;
            const long long dx = std::max<long long>({0, area.left - rect.right, rect.left - (area.right - 1)});
            const long long dy = std::max<long long>({0, area.top - rect.bottom, rect.top - (area.bottom - 1)});
            const long long distance = dx * dx + dy * dy;
            if (best < 0 || distance < best)
            {
                best = distance;
                found = Handle(i);
            }
        }
        return found;
    }

protected:
    const std::vector<Monitor>& Monitors() const { return m_monitors; }

private:
    std::vector<Monitor> m_monitors;
};

// A table that placement uses while it exists.
class MonitorTable : public MonitorTableOf<MonitorLookup>
{
public:
    explicit MonitorTable(std::vector<Monitor> monitors) : MonitorTableOf(std::move(monitors))
    {
        m_previous = SetPlacementMonitors(this);
    }
    MonitorTable(const MonitorTable&) = delete;
    MonitorTable& operator=(const MonitorTable&) = delete;
    ~MonitorTable() override { SetPlacementMonitors(m_previous); }

private:
    const MonitorLookup* m_previous;
};
