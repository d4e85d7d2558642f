#include "slideshow/TooltipNotice.h"

#include <gtest/gtest.h>

TEST(TooltipNotice, TitleAndBodyPairs)
{
    struct Case
    {
        WPARAM wParam;
        LPARAM lParam;
        TooltipNotice::Action action;
        UINT title;
        UINT body;
        bool withProductName;
    };
    const Case cases[] = {
        {0, 0, TooltipNotice::Hide, 0, 0, false},
        {static_cast<WPARAM>(-1), 1234, TooltipNotice::ShowRecord, 0, 0, false},
        {328, 0, TooltipNotice::Show, 328, 327, true},
        {328, 999, TooltipNotice::Show, 328, 327, true},
        {377, 378, TooltipNotice::Show, 377, 378, false},
        {377, 379, TooltipNotice::Show, 377, 379, false},
        {377, 380, TooltipNotice::Ignore, 0, 0, false},
        {381, 442, TooltipNotice::Show, 381, 442, false},
        {402, 440, TooltipNotice::Show, 402, 440, false},
        {402, 382, TooltipNotice::Ignore, 0, 0, false},
        {438, 5, TooltipNotice::Show, 438, 439, false},
        {443, 448, TooltipNotice::Show, 443, 448, false},
        {443, 441, TooltipNotice::Show, 443, 441, true},
        {443, 440, TooltipNotice::Ignore, 0, 0, false},
        {468, 563, TooltipNotice::Show, 468, 563, false},
        {468, 473, TooltipNotice::Ignore, 0, 0, false},
        {999, 378, TooltipNotice::Ignore, 0, 0, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.wParam << " / " << c.lParam);
        const TooltipNotice notice = ResolveTooltipNotice(c.wParam, c.lParam);
        EXPECT_EQ(notice.action, c.action);
        EXPECT_EQ(notice.titleId, c.title);
        EXPECT_EQ(notice.bodyId, c.body);
        EXPECT_EQ(notice.bodyWithProductName, c.withProductName);
    }
}
