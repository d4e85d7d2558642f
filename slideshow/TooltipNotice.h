// Which notice WM_NOTICE shows in the main window's tracking tooltip:
// wParam names the title string, lParam the body among the texts that the
// window loaded at construction. Pairs not in the table are ignored.
#pragma once

#include <windows.h>

struct TooltipNotice
{
    enum Action
    {
        Ignore,
        Hide,       // wParam 0: hide the tooltip when it is visible
        Show,       // title string titleId, body string bodyId
        ShowRecord, // wParam all ones: lParam is a heap record of title and body
    };

    Action action = Ignore;
    UINT titleId = 0;
    UINT bodyId = 0;
    // The body string is formatted with the product name (IDS_PRODUCT_NAME).
    bool bodyWithProductName = false;
};

TooltipNotice ResolveTooltipNotice(WPARAM wParam, LPARAM lParam);
