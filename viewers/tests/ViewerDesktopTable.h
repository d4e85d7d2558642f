// A desktop of several monitors for the viewer's placement tests.
#pragma once

#include "foundation/tests/MonitorTable.h"
#include "viewers/ContainerWindow.h"

class ViewerDesktopTable : public MonitorTableOf<ViewerDesktop>
{
public:
    using MonitorTableOf::MonitorTableOf;

    bool EnumerateMonitors(std::vector<HMONITOR>& monitors) const override
    {
        monitors.clear();
        for (size_t i = 0; i < Monitors().size(); ++i)
            monitors.push_back(reinterpret_cast<HMONITOR>(i + 1));
        return true;
    }
    bool GetMonitorArea(HMONITOR monitor, RECT& area) const override
    {
        const size_t index = reinterpret_cast<size_t>(monitor);
        if (index == 0 || index > Monitors().size())
            return false;
        area = Monitors()[index - 1].area;
        return true;
    }
};

// Monitors with a task bar of 40 pixels at their bottom.
inline ViewerDesktopTable::Monitor MonitorAt(LONG left, LONG top, LONG right, LONG bottom)
{
    return ViewerDesktopTable::Monitor{RECT{left, top, right, bottom}, RECT{left, top, right, bottom - 40}};
}
