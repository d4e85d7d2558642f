// The display area: the square on the virtual screen inside which the main
// window is placed, at its anchor corner, and its stored form "Display Area".
#pragma once

#include "slideshow/MonitorProvider.h"
#include "slideshow/SettingsTypes.h"

#include <windows.h>

// "Display Area": REG_BINARY, four signed 32-bit little-endian words in this order.
struct DisplayAreaBlob
{
    LONG top;
    LONG bottom;
    LONG left;
    LONG right;
};
static_assert(sizeof(DisplayAreaBlob) == 16, "the stored record has 16 bytes");

extern const wchar_t DisplayAreaValueName[];

// The smallest and largest side of the square area.
constexpr LONG MinDisplayAreaSide = 1;
constexpr LONG MaxDisplayAreaSide = 999;

// Reads and checks "Display Area" into area (a RECT on the virtual screen).
// A missing, malformed or non-square value is deleted, replaced by the
// default area and written back. Returns whether the stored value was used.
bool LoadDisplayArea(RECT& area, const MonitorProvider& monitors = SystemMonitors());
// A 40-pixel square at top 5, 400 pixels left of the primary screen's right
// edge (not left of 0); in memory only.
void SetDefaultDisplayArea(RECT& area, const MonitorProvider& monitors = SystemMonitors());
// Writes "Display Area"; a failed write deletes the value. Nothing is reported.
void SaveDisplayArea(const RECT& area);

// The corner at which the window sits in the area: the set corner, or the
// nearest screen corner when it is Automatic. With clamp an area whose
// anchored corner lies off the monitors is moved back onto them (in memory).
Anchor_corner_effective ResolveAnchorCorner(RECT& area, Anchor_corner corner, bool clamp,
                                            const MonitorProvider& monitors = SystemMonitors());
// The corner of the area closest to the same corner of the monitors' union.
// Moves the area to the origin when there are no monitors to measure against.
Anchor_corner_effective NearestScreenCorner(RECT& area, const MonitorProvider& monitors = SystemMonitors());

// Top-left point of a window of width x height anchored at the corner of the area.
POINT WindowOriginAtCorner(const RECT& area, Anchor_corner_effective corner, int width, int height);

// After a drag: the area keeps its size and its anchor corner goes to the
// same corner of the window rectangle.
RECT DisplayAreaAtWindowCorner(const RECT& area, const RECT& window, Anchor_corner_effective corner);
