#include "viewers/BrowserWindowSizes.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr DWORD SmallestWidth = 200;
constexpr DWORD SmallestHeight = 100;

bool SizesHold(const DocumentDisplayParameters& p, DWORD cx, DWORD cy)
{
    return p.minimalWidth >= SmallestWidth && p.minimalHeight >= SmallestHeight && p.minimalWidth <= p.maximalWidth &&
           p.minimalHeight <= p.maximalHeight && p.maximalWidth <= cx && p.maximalHeight <= cy &&
           p.minimalWidth <= p.openingWidth && p.openingWidth <= p.maximalWidth &&
           p.minimalHeight <= p.openingHeight && p.openingHeight <= p.maximalHeight && p.maximalWidth != 0 &&
           p.maximalHeight != 0 && p.openingWidth != 0 && p.openingHeight != 0;
}
} // namespace

bool ValidateViewerSizes(DocumentDisplayParameters& p, DWORD cx, DWORD cy)
{
    if (SizesHold(p, cx, cy))
        return true;
    const DWORD w = std::min(cx, DefaultDocumentWidth);
    const DWORD h = std::min(cy, DefaultDocumentHeight);
    p.openingWidth = w;
    p.openingHeight = h;
    if (!p.resizable)
    {
        p.constantAspect = true;
        p.minimalWidth = p.maximalWidth = w;
        p.minimalHeight = p.maximalHeight = h;
    }
    else if (!p.constantAspect)
    {
        p.minimalWidth = std::min(cx, SmallestWidth);
        p.minimalHeight = std::min(cy, SmallestHeight);
        p.maximalWidth = cx;
        p.maximalHeight = cy;
    }
    else if (w != 0 && h != 0 && static_cast<double>(w) / cx > static_cast<double>(h) / cy)
    {
        // The width is the tighter side: it sets the scale.
        const DWORD m = std::min(w, SmallestWidth);
        p.minimalWidth = m;
        p.minimalHeight = m * h / w;
        p.maximalWidth = cx;
        p.maximalHeight = h * cx / w;
    }
    else if (w != 0 && h != 0)
    {
        const DWORD m = std::min(h, SmallestHeight);
        p.minimalHeight = m;
        p.minimalWidth = m * w / h;
        p.maximalWidth = w * cy / h;
        p.maximalHeight = cy;
    }
    else
    {
        // No screen to speak of: nothing sensible to scale.
        p.minimalWidth = p.maximalWidth = w;
        p.minimalHeight = p.maximalHeight = h;
    }
    return false;
}

void ViewerMinMaxInfo(const DocumentDisplayParameters& p, SIZE frame, SIZE maxTrack, const RECT& monitor,
                      MINMAXINFO& info)
{
    if (p.constantAspect && p.openingWidth != 0 && p.openingHeight != 0)
    {
        const double aspect = static_cast<double>(p.openingWidth) / p.openingHeight;
        info.ptMinTrackSize.y = static_cast<LONG>((info.ptMinTrackSize.x - frame.cx) / aspect + frame.cy);
    }
    else
    {
        info.ptMinTrackSize.x = static_cast<LONG>(p.minimalWidth) + frame.cx;
        info.ptMinTrackSize.y = static_cast<LONG>(p.minimalHeight) + frame.cy;
    }
    info.ptMaxTrackSize.x = std::min<LONG>(maxTrack.cx, frame.cx + static_cast<LONG>(p.maximalWidth));
    info.ptMaxTrackSize.y = std::min<LONG>(maxTrack.cy, frame.cy + static_cast<LONG>(p.maximalHeight));
    info.ptMaxPosition = {monitor.left, monitor.top};
    info.ptMaxSize = {monitor.right - monitor.left, monitor.bottom - monitor.top};
}

void ConstantAspectSizing(const DocumentDisplayParameters& p, SIZE frame, WPARAM edge, RECT& rect)
{
    if (p.openingWidth == 0 || p.openingHeight == 0)
        return;
    const double aspect = static_cast<double>(p.openingWidth) / p.openingHeight;
    const LONG outerWidth = rect.right - rect.left;
    const LONG outerHeight = rect.bottom - rect.top;
    LONG w = outerWidth - frame.cx;
    LONG h = outerHeight - frame.cy;
    const LONG maxWidth = static_cast<LONG>(p.maximalWidth);
    const LONG maxHeight = static_cast<LONG>(p.maximalHeight);

    bool heightLeads = edge == WMSZ_TOP || edge == WMSZ_BOTTOM;
    if (edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT)
        heightLeads = outerHeight * aspect > outerWidth / aspect;
    if (heightLeads)
    {
        h = std::min(h, maxHeight);
        w = std::min(static_cast<LONG>(std::lround(h * aspect)), maxWidth);
    }
    else
    {
        w = std::min(w, maxWidth);
        h = std::min(static_cast<LONG>(std::lround(w / aspect)), maxHeight);
    }

    switch (edge)
    {
    case WMSZ_TOPLEFT:
        rect.left = rect.right - frame.cx - w;
        rect.top = rect.bottom - frame.cy - h;
        break;
    case WMSZ_TOPRIGHT:
        rect.right = rect.left + frame.cx + w;
        rect.top = rect.bottom - frame.cy - h;
        break;
    case WMSZ_BOTTOMLEFT:
        rect.left = rect.right - frame.cx - w;
        rect.bottom = rect.top + frame.cy + h;
        break;
    default:
        rect.right = rect.left + frame.cx + w;
        rect.bottom = rect.top + frame.cy + h;
        break;
    }
}
