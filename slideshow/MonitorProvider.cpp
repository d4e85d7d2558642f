#include "slideshow/MonitorProvider.h"

#include "core/CrashReport.h"

namespace
{
BOOL CALLBACK AppendMonitorRect(HMONITOR, HDC, LPRECT rect, LPARAM list)
{
    return NoThrow<BOOL>(FALSE, [&] {
        reinterpret_cast<std::vector<RECT>*>(list)->push_back(*rect);
        return TRUE;
    });
}

class DesktopMonitors : public MonitorProvider
{
public:
    bool EnumerateMonitors(std::vector<RECT>& monitors) const override
    {
        monitors.clear();
        return EnumDisplayMonitors(nullptr, nullptr, AppendMonitorRect, reinterpret_cast<LPARAM>(&monitors)) != FALSE;
    }

    HMONITOR FromPoint(POINT point, DWORD flags) const override
    {
        return SystemMonitorLookup().FromPoint(point, flags);
    }
    HMONITOR FromRect(const RECT& rect, DWORD flags) const override
    {
        return SystemMonitorLookup().FromRect(rect, flags);
    }
    bool GetWorkArea(HMONITOR monitor, RECT& workArea) const override
    {
        return SystemMonitorLookup().GetWorkArea(monitor, workArea);
    }

    int PrimaryScreenWidth() const override { return GetSystemMetrics(SM_CXSCREEN); }
};
}

const MonitorProvider& SystemMonitors()
{
    static const DesktopMonitors monitors;
    return monitors;
}

bool MonitorUnion(const MonitorProvider& monitors, RECT& unionRect)
{
    unionRect = RECT{0, 0, 0, 0};
    std::vector<RECT> rects;
    if (!monitors.EnumerateMonitors(rects))
        return false;
    for (const RECT& rect : rects)
    {
        RECT joined;
        // UnionRect leaves out empty rectangles, as a monitor union should.
        UnionRect(&joined, &unionRect, &rect);
        unionRect = joined;
    }
    return true;
}
