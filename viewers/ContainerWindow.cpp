#include "viewers/ContainerWindow.h"

#include "core/CrashReport.h"

#include <algorithm>
#include <cstdlib>

namespace
{
BOOL CALLBACK AppendMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list)
{
    return NoThrow<BOOL>(FALSE, [&] {
        reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
        return TRUE;
    });
}

class SystemDesktop : public ViewerDesktop
{
public:
    HMONITOR FromPoint(POINT point, DWORD flags) const override { return MonitorFromPoint(point, flags); }
    HMONITOR FromRect(const RECT& rect, DWORD flags) const override { return MonitorFromRect(&rect, flags); }
    bool GetWorkArea(HMONITOR monitor, RECT& workArea) const override
    {
        return SystemMonitorLookup().GetWorkArea(monitor, workArea);
    }
    bool EnumerateMonitors(std::vector<HMONITOR>& monitors) const override
    {
        monitors.clear();
        return EnumDisplayMonitors(nullptr, nullptr, AppendMonitor, reinterpret_cast<LPARAM>(&monitors)) != FALSE;
    }
    bool GetMonitorArea(HMONITOR monitor, RECT& area) const override
    {
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        if (!GetMonitorInfoW(monitor, &info))
            return false;
        area = info.rcMonitor;
        return true;
    }
};

// One corner of the window rectangle and the monitor that holds it.
struct Point_data
{
    LONG x;
    LONG y;
    HMONITOR monitor;
};

POINT CentreOf(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

// The union of the work areas of all monitors; false when the monitors
// cannot be listed.
bool WorkAreaUnion(const ViewerDesktop& desktop, std::vector<RECT>& workAreas, RECT& unionRect)
{
    std::vector<HMONITOR> monitors;
    if (!desktop.EnumerateMonitors(monitors))
        return false;
    unionRect = RECT{0, 0, 0, 0};
    workAreas.clear();
    for (HMONITOR monitor : monitors)
    {
        RECT work;
        if (!desktop.GetWorkArea(monitor, work))
            continue;
        workAreas.push_back(work);
        RECT joined;
        UnionRect(&joined, &unionRect, &work);
        unionRect = joined;
    }
    return true;
}

// The anchor of a shrinking window whose rectangle lies partly off the
// monitors while the cursor is outside it; false: use the fallback.
bool AnchorOfShrinkingWindow(const ViewerDesktop& desktop, const RECT& window, POINT& anchor)
{
    const Point_data corners[] = {
        {window.left, window.top, nullptr},
        {window.right, window.top, nullptr},
        {window.left, window.bottom, nullptr},
        {window.right, window.bottom, nullptr},
    };
    std::vector<Point_data> onMonitor;
    for (Point_data corner : corners)
    {
        corner.monitor = desktop.FromPoint(POINT{corner.x, corner.y}, MONITOR_DEFAULTTONULL);
        if (corner.monitor)
            onMonitor.push_back(corner);
    }
    const POINT centre = CentreOf(window);
    if (onMonitor.size() == 4)
    {
        anchor = centre;
        return true;
    }
    if (onMonitor.empty() && desktop.IsPointOnMonitor(centre))
    {
        anchor = centre;
        return true;
    }
    if (onMonitor.size() == 2)
    {
        const POINT middle{(onMonitor[0].x + onMonitor[1].x) / 2, (onMonitor[0].y + onMonitor[1].y) / 2};
        if (desktop.IsPointOnMonitor(middle))
        {
            anchor = middle;
            return true;
        }
    }
    std::vector<RECT> workAreas;
    RECT unionRect;
    if (!WorkAreaUnion(desktop, workAreas, unionRect))
        return false;
    const POINT unionCentre = CentreOf(unionRect);
    if (!onMonitor.empty())
    {
        // The corner on a monitor nearest to the centre of all work areas.
        LONG best = -1;
        for (const Point_data& corner : onMonitor)
        {
            const LONG distance = 2 * (std::labs(corner.x - unionCentre.x) + std::labs(corner.y - unionCentre.y));
            if (best < 0 || distance < best)
            {
                best = distance;
                anchor = POINT{corner.x, corner.y};
            }
        }
        return true;
    }
    // No corner on a monitor: the most elongated overlap with a work area
    // gives the anchor, on its edge nearer to the centre of all work areas.
    bool found = false;
    LONG bestRatio = 0;
    RECT best = {};
    for (const RECT& work : workAreas)
    {
        RECT overlap;
        if (!IntersectRect(&overlap, &work, &window))
            continue;
        const LONG width = overlap.right - overlap.left;
        const LONG height = overlap.bottom - overlap.top;
        const LONG ratio = std::max(width, height) / std::min(width, height);
        if (!found || ratio > bestRatio)
        {
            found = true;
            bestRatio = ratio;
            best = overlap;
        }
    }
    if (!found)
        return false;
    const POINT middle = CentreOf(best);
    if (best.right - best.left > best.bottom - best.top)
    {
        anchor.x = middle.x;
        anchor.y = std::labs(best.top - unionCentre.y) < std::labs(best.bottom - unionCentre.y) ? best.top : best.bottom;
    }
    else
    {
        anchor.y = middle.y;
        anchor.x = std::labs(best.left - unionCentre.x) < std::labs(best.right - unionCentre.x) ? best.left : best.right;
    }
    return true;
}

CRect CentredOn(const RECT& work, LONG nw, LONG nh)
{
    const POINT centre = CentreOf(work);
    return CRect(centre.x - nw / 2, centre.y - nh / 2, centre.x + nw / 2, centre.y + nh / 2);
}

// Whether the size fits on no monitor.
bool LargerThanEveryMonitor(const ViewerDesktop& desktop, LONG nw, LONG nh)
{
    std::vector<HMONITOR> monitors;
    if (!desktop.EnumerateMonitors(monitors))
        return false;
    for (HMONITOR monitor : monitors)
    {
        RECT area;
        if (desktop.GetMonitorArea(monitor, area) && nw <= area.right - area.left && nh <= area.bottom - area.top)
            return false;
    }
    return true;
}

// Moves the rectangle, keeping its size, so that its top-left corner lies on
// the monitor nearest to it.
void KeepTopLeftOnMonitor(const ViewerDesktop& desktop, CRect& rect)
{
    const POINT topLeft{rect.left, rect.top};
    if (desktop.IsPointOnMonitor(topLeft))
        return;
    RECT area;
    if (!desktop.GetMonitorArea(desktop.FromPoint(topLeft, MONITOR_DEFAULTTONEAREST), area))
        return;
    const LONG left = std::min(std::max(rect.left, area.left), area.right - 1);
    const LONG top = std::min(std::max(rect.top, area.top), area.bottom - 1);
    rect = CRect(left, top, left + rect.Width(), top + rect.Height());
}

bool IsRectAcceptable(const ViewerDesktop& desktop, const RECT& rect)
{
    const POINT points[] = {{rect.left, rect.top},
                            {rect.right, rect.top},
                            {rect.left, rect.bottom},
                            {rect.right, rect.bottom},
                            CentreOf(rect)};
    for (const POINT& point : points)
        if (desktop.IsPointOnMonitor(point))
            return true;
    std::vector<HMONITOR> monitors;
    if (!desktop.EnumerateMonitors(monitors))
        return false;
    for (HMONITOR monitor : monitors)
    {
        RECT area;
        RECT overlap;
        if (desktop.GetMonitorArea(monitor, area) && IntersectRect(&overlap, &area, &rect))
            return true;
    }
    return false;
}
}

const ViewerDesktop& SystemViewerDesktop()
{
    static const SystemDesktop desktop;
    return desktop;
}

CRect ContainerWindowRect(const ViewerDesktop& desktop, bool centred, LONG nw, LONG nh, const RECT& work,
                          const RECT& current, POINT cursor)
{
    CRect result;
    if (centred)
        result = CentredOn(work, nw, nh);
    else
    {
        const CRect window(current);
        const LONG ww = std::max<LONG>(window.Width(), 1);
        const LONG wh = std::max<LONG>(window.Height(), 1);
        POINT anchor = CentreOf(window);
        bool placed = true;
        if (PtInRect(&window, cursor))
            anchor = cursor;
        else if (nw < window.Width() && nh <= window.Height())
            placed = AnchorOfShrinkingWindow(desktop, window, anchor);
        if (placed)
        {
            const LONG left = window.left - static_cast<LONG>((1LL * (nw - ww) * (anchor.x - window.left)) / ww);
            const LONG top = window.top - static_cast<LONG>((1LL * (nh - wh) * (anchor.y - window.top)) / wh);
            result = CRect(left, top, left + nw, top + nh);
        }
        else
        {
            RECT primary = {0, 0, 0, 0};
            desktop.GetWorkArea(desktop.FromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), primary);
            const LONG left = (primary.left + primary.right) / 2 - nw / 2;
            const LONG top = (primary.top + primary.bottom) / 2 - nh / 2;
            result = CRect(left, top, left + nw, top + nh);
        }
    }
    if (LargerThanEveryMonitor(desktop, nw, nh))
        KeepTopLeftOnMonitor(desktop, result);
    return result;
}

CRect ArrowMoveRect(const ViewerDesktop& desktop, const RECT& window, UINT key, LONG step)
{
    LONG dx = 0;
    LONG dy = 0;
    switch (key)
    {
    case VK_LEFT:
        dx = -step;
        break;
    case VK_RIGHT:
        dx = step;
        break;
    case VK_UP:
        dy = -step;
        break;
    case VK_DOWN:
        dy = step;
        break;
    default:
        return CRect(window);
    }
    CRect moved(window);
    OffsetRect(&moved, dx, dy);
    if (IsRectAcceptable(desktop, moved))
        return moved;

    // The trailing edge before the move tells the monitor being left.
    const bool vertical = dx != 0;
    POINT edgeCentre;
    POINT first;
    POINT second;
    if (vertical)
    {
        const LONG x = dx > 0 ? window.left : window.right;
        edgeCentre = POINT{x, (window.top + window.bottom) / 2};
        first = POINT{x, window.top};
        second = POINT{x, window.bottom};
    }
    else
    {
        const LONG y = dy > 0 ? window.top : window.bottom;
        edgeCentre = POINT{(window.left + window.right) / 2, y};
        first = POINT{window.right, y};
        second = POINT{window.left, y};
    }
    HMONITOR monitor = desktop.FromPoint(edgeCentre, MONITOR_DEFAULTTONULL);
    if (!monitor)
        monitor = desktop.FromPoint(first, MONITOR_DEFAULTTONULL);
    if (!monitor)
        monitor = desktop.FromPoint(second, MONITOR_DEFAULTTONULL);
    if (!monitor)
        monitor = desktop.FromPoint(edgeCentre, MONITOR_DEFAULTTONEAREST);
    RECT area;
    if (!desktop.GetMonitorArea(monitor, area))
        return CRect(window);
    const LONG width = moved.Width();
    const LONG height = moved.Height();
    const LONG keep = 21;
    if (dx < 0)
        moved.left = area.left + keep - width;
    else if (dx > 0)
        moved.left = area.right - keep;
    else if (dy < 0)
        moved.top = area.top + keep - height;
    else
        moved.top = area.bottom - keep;
    moved.right = moved.left + width;
    moved.bottom = moved.top + height;
    return moved;
}
