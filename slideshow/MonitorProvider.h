// What the placement of the main window asks of the desktop's monitors: the
// placement lookup of the foundation, and the list of all monitors. The
// system's answers are the default; a test puts a layout of its own in place
// (the same object can serve SetPlacementMonitors).
#pragma once

#include "foundation/WindowPlacement.h"

#include <windows.h>

#include <vector>

class MonitorProvider : public MonitorLookup
{
public:
    // The monitor rectangles in enumeration order; false when the
    // enumeration fails.
    virtual bool EnumerateMonitors(std::vector<RECT>& monitors) const = 0;
    // Width of the primary monitor (SM_CXSCREEN).
    virtual int PrimaryScreenWidth() const = 0;

    // Whether some monitor lies under the point (no nearest-monitor fallback).
    bool IsPointOnMonitor(POINT point) const { return FromPoint(point, MONITOR_DEFAULTTONULL) != nullptr; }
};

// The monitors of this desktop.
const MonitorProvider& SystemMonitors();

// The union of the monitor rectangles; all zero when there is none or the
// enumeration fails (then false).
bool MonitorUnion(const MonitorProvider& monitors, RECT& unionRect);
