// The filter on the browser's content window: it keeps the page's own
// context menus and drags from the user (right, middle and X buttons, and
// mouse moves with a button down). Each filter keeps its own window and
// subclass, so two viewers (a properties window beside a document viewer)
// never share the procedure they pass messages on to.
#pragma once

#include <windows.h>

class ContentWindowFilter
{
public:
    ContentWindowFilter() = default;
    ContentWindowFilter(const ContentWindowFilter&) = delete;
    ContentWindowFilter& operator=(const ContentWindowFilter&) = delete;
    ~ContentWindowFilter() { Reset(); }

    // Filters the deepest first child of dialog (following the first child
    // down); once per filter: later calls do nothing while one is installed.
    void Install(HWND dialog);
    // Removes the filter from its window, if any.
    void Reset();
    HWND Window() const { return m_window; }

    // Whether the filter keeps this message from the content window.
    static bool Drops(UINT message, WPARAM wParam);

private:
    static LRESULT CALLBACK FilterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);

    HWND m_window = nullptr;
};
