// Where the photo viewer's window goes when its size changes, across the
// monitors of the desktop, and where the arrow keys move it.
#pragma once

#include "foundation/WindowPlacement.h"

#include <windows.h>

#include <vector>

// The monitor questions of the viewer: the placement lookup, the list of
// monitors and a monitor's whole area. The system's answers are the default;
// tests give a layout of their own.
class ViewerDesktop : public MonitorLookup
{
public:
    // The monitors in enumeration order; false when the enumeration fails.
    virtual bool EnumerateMonitors(std::vector<HMONITOR>& monitors) const = 0;
    // The monitor's rectangle (rcMonitor); false when it cannot be read.
    virtual bool GetMonitorArea(HMONITOR monitor, RECT& area) const = 0;

    bool IsPointOnMonitor(POINT point) const { return FromPoint(point, MONITOR_DEFAULTTONULL) != nullptr; }
};

const ViewerDesktop& SystemViewerDesktop();

// The new window rectangle for a window of size nw x nh. Centred: on the work
// area's centre. Otherwise the current window rectangle scaled about an
// anchor: the cursor when it lies in the window, else a point chosen so that
// a shrinking window stays on the monitors it covers. A window larger than
// every monitor always ends with its top-left corner on a monitor.
CRect ContainerWindowRect(const ViewerDesktop& desktop, bool centred, LONG nw, LONG nh, const RECT& work,
                          const RECT& current, POINT cursor);

// The window rectangle after an arrow key (VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN)
// moved it by step pixels; a move that would leave every monitor keeps 21
// pixels of the window on the monitor it leaves.
CRect ArrowMoveRect(const ViewerDesktop& desktop, const RECT& window, UINT key, LONG step);
