#include "viewers/BrowserWindowSizes.h"

#include <algorithm>

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
