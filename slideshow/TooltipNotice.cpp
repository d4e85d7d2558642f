#include "slideshow/TooltipNotice.h"

namespace
{
// Title strings and the bodies that go with each.
struct NoticePair
{
    UINT title;
    UINT body;
};

const NoticePair KnownPairs[] = {
    {377, 378}, {377, 379}, {381, 382}, {381, 442}, {402, 403}, {402, 440}, {443, 287}, {443, 332},
    {443, 448}, {443, 449}, {468, 469}, {468, 470}, {468, 471}, {468, 472}, {468, 563},
};

TooltipNotice Show(UINT title, UINT body, bool withProductName)
{
    TooltipNotice notice;
    notice.action = TooltipNotice::Show;
    notice.titleId = title;
    notice.bodyId = body;
    notice.bodyWithProductName = withProductName;
    return notice;
}
}

TooltipNotice ResolveTooltipNotice(WPARAM wParam, LPARAM lParam)
{
    TooltipNotice notice;
    if (wParam == 0)
    {
        notice.action = TooltipNotice::Hide;
        return notice;
    }
    if (wParam == static_cast<WPARAM>(-1))
    {
        notice.action = TooltipNotice::ShowRecord;
        return notice;
    }
    // The busy notice and the one of title 438 take any lParam.
    if (wParam == 328)
        return Show(328, 327, true);
    if (wParam == 438)
        return Show(438, 439, false);
    if (wParam == 443 && lParam == 441)
        return Show(443, 441, true);
    for (const NoticePair& pair : KnownPairs)
        if (wParam == pair.title && lParam == static_cast<LPARAM>(pair.body))
            return Show(pair.title, pair.body, false);
    return notice;
}
