#include "slideshow/DisplayArea.h"

#include "slideshow/SettingsRegistry.h"

#include <algorithm>
#include <cmath>
#include <utility>

const wchar_t DisplayAreaValueName[] = L"Display Area";

namespace
{
bool IsTopCorner(Anchor_corner_effective corner)
{
    return corner == Anchor_corner_effective::TopLeft || corner == Anchor_corner_effective::TopRight;
}

bool IsLeftCorner(Anchor_corner_effective corner)
{
    return corner == Anchor_corner_effective::TopLeft || corner == Anchor_corner_effective::BottomLeft;
}

POINT CornerPoint(const RECT& rect, Anchor_corner_effective corner)
{
    return POINT{IsLeftCorner(corner) ? rect.left : rect.right, IsTopCorner(corner) ? rect.top : rect.bottom};
}

// The pixel of the rectangle at that corner.
POINT CornerPixel(const RECT& rect, Anchor_corner_effective corner)
{
    return POINT{IsLeftCorner(corner) ? rect.left : rect.right - 1, IsTopCorner(corner) ? rect.top : rect.bottom - 1};
}

Anchor_corner_effective ToEffective(Anchor_corner corner)
{
    switch (corner)
    {
    case Anchor_corner::TopRight:
        return Anchor_corner_effective::TopRight;
    case Anchor_corner::BottomLeft:
        return Anchor_corner_effective::BottomLeft;
    case Anchor_corner::BottomRight:
        return Anchor_corner_effective::BottomRight;
    default:
        return Anchor_corner_effective::TopLeft;
    }
}

bool IsAllZero(const RECT& rect)
{
    return rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0;
}
}

bool LoadDisplayArea(RECT& area, const MonitorProvider& monitors)
{
    DisplayAreaBlob blob{};
    bool good = ReadProductValue(DisplayAreaValueName, REG_BINARY, &blob, sizeof(blob)) == RegistryRead::Ok;
    if (good)
    {
        if (blob.left > blob.right)
            std::swap(blob.left, blob.right);
        if (blob.top > blob.bottom)
            std::swap(blob.top, blob.bottom);
        // 64-bit differences: stored corners may lie anywhere in the 32-bit range.
        const long long width = static_cast<long long>(blob.right) - blob.left;
        const long long height = static_cast<long long>(blob.bottom) - blob.top;
        good = width == height && width >= MinDisplayAreaSide && width <= MaxDisplayAreaSide;
    }
    if (good)
    {
        area = RECT{blob.left, blob.top, blob.right, blob.bottom};
        return true;
    }
    DeleteProductValue(DisplayAreaValueName);
    SetDefaultDisplayArea(area, monitors);
    SaveDisplayArea(area);
    return false;
}

void SetDefaultDisplayArea(RECT& area, const MonitorProvider& monitors)
{
    const LONG left = std::max(0, monitors.PrimaryScreenWidth() - 400);
    area = RECT{left, 5, left + 40, 45};
}

void SaveDisplayArea(const RECT& area)
{
    const DisplayAreaBlob blob{area.top, area.bottom, area.left, area.right};
    WriteProductValue(DisplayAreaValueName, REG_BINARY, &blob, sizeof(blob));
}

namespace
{
// Moves the span [low, high) of an area, keeping its length, so that its
// anchored end (low when anchoredLow, else high) comes back onto the
// screens' span [min, max).
void ClampSpan(LONG& low, LONG& high, LONG min, LONG max, bool anchoredLow)
{
    const LONG length = high - low;
    if (anchoredLow)
    {
        if (low < min)
            low = min;
        else if (low >= max)
            low = max - length;
        high = low + length;
    }
    else
    {
        if (high <= min)
            high = min + length;
        else
            high = std::min(max, high);
        low = high - length;
    }
}
}

Anchor_corner_effective ResolveAnchorCorner(RECT& area, Anchor_corner corner, bool clamp,
                                            const MonitorProvider& monitors)
{
    if (corner == Anchor_corner::Automatic)
        return NearestScreenCorner(area, monitors);
    const Anchor_corner_effective anchored = ToEffective(corner);
    if (!clamp)
        return anchored;

    RECT screens;
    if (!MonitorUnion(monitors, screens) || IsAllZero(screens))
        return anchored;
    // Only the anchored corner has to be on the screens; the rest of the
    // area may hang off them. Right and bottom edges are exclusive, so the
    // corner's own pixel is tested: an area that ends exactly at the near
    // edge of the screens, or begins at the far one, has no pixel on them.
    if (PtInRect(&screens, CornerPixel(area, anchored)))
        return anchored;

    ClampSpan(area.top, area.bottom, screens.top, screens.bottom, IsTopCorner(anchored));
    ClampSpan(area.left, area.right, screens.left, screens.right, IsLeftCorner(anchored));
    return anchored;
}

Anchor_corner_effective NearestScreenCorner(RECT& area, const MonitorProvider& monitors)
{
    Anchor_corner_effective guess = Anchor_corner_effective::BottomRight;
    if (monitors.IsPointOnMonitor(POINT{area.left, area.top}))
        guess = Anchor_corner_effective::TopLeft;
    else if (monitors.IsPointOnMonitor(POINT{area.right, area.top}))
        guess = Anchor_corner_effective::TopRight;
    else if (monitors.IsPointOnMonitor(POINT{area.left, area.bottom}))
        guess = Anchor_corner_effective::BottomLeft;

    RECT screens;
    if (!MonitorUnion(monitors, screens) || IsRectEmpty(&screens))
    {
        OffsetRect(&area, -area.left, -area.top);
        return guess;
    }

    // Ties keep the earlier corner.
    static const Anchor_corner_effective order[] = {Anchor_corner_effective::TopLeft, Anchor_corner_effective::TopRight,
                                                    Anchor_corner_effective::BottomRight,
                                                    Anchor_corner_effective::BottomLeft};
    Anchor_corner_effective nearest = guess;
    bool found = false;
    double nearestDistance = 0;
    for (Anchor_corner_effective corner : order)
    {
        const POINT point = CornerPoint(area, corner);
        if (!PtInRect(&screens, point))
            continue;
        const POINT target = CornerPoint(screens, corner);
        const double distance = std::hypot(static_cast<double>(point.x) - target.x,
                                           static_cast<double>(point.y) - target.y);
        if (!found || distance < nearestDistance)
        {
            nearest = corner;
            nearestDistance = distance;
            found = true;
        }
    }
    return nearest;
}

POINT WindowOriginAtCorner(const RECT& area, Anchor_corner_effective corner, int width, int height)
{
    return POINT{IsLeftCorner(corner) ? area.left : area.right - width,
                 IsTopCorner(corner) ? area.top : area.bottom - height};
}

RECT DisplayAreaAtWindowCorner(const RECT& area, const RECT& window, Anchor_corner_effective corner)
{
    const LONG width = area.right - area.left;
    const LONG height = area.bottom - area.top;
    RECT moved;
    moved.left = IsLeftCorner(corner) ? window.left : window.right - width;
    moved.top = IsTopCorner(corner) ? window.top : window.bottom - height;
    moved.right = moved.left + width;
    moved.bottom = moved.top + height;
    return moved;
}
