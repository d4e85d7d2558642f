#include "viewers/ContentWindowFilter.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// What each content window's own procedure received.
std::vector<UINT> firstReceived, secondReceived;

LRESULT CALLBACK FirstContentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_RBUTTONDOWN || message == WM_LBUTTONDOWN || message == WM_MOUSEMOVE || message == WM_APP)
        firstReceived.push_back(message);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK SecondContentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_RBUTTONDOWN || message == WM_LBUTTONDOWN || message == WM_MOUSEMOVE || message == WM_APP)
        secondReceived.push_back(message);
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClassOf(const wchar_t* name, WNDPROC procedure)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = name;
    RegisterClassW(&windowClass);
}

// A viewer-like window: top window, a host child, and the content window
// of its own class below that.
struct Viewer
{
    HWND top = nullptr;
    HWND content = nullptr;

    explicit Viewer(const wchar_t* contentClass)
    {
        top = CreateWindowExW(0, L"STATIC", L"viewer", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        HWND host = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 200, 100, top, nullptr, nullptr, nullptr);
        content = CreateWindowExW(0, contentClass, L"", WS_CHILD, 0, 0, 200, 100, host, nullptr, nullptr, nullptr);
    }
    ~Viewer() { DestroyWindow(top); }
};
} // namespace

TEST(ContentWindowFilter, WhatIsKeptFromThePage)
{
    const struct
    {
        UINT message;
        WPARAM wParam;
        bool dropped;
    } cases[] = {
        {WM_RBUTTONDOWN, 0, true},          {WM_RBUTTONUP, 0, true},         {WM_RBUTTONDBLCLK, 0, true},
        {WM_MBUTTONDOWN, 0, true},          {WM_XBUTTONUP, 0, true},         {WM_MENURBUTTONUP, 0, true},
        {WM_MOUSEMOVE, MK_LBUTTON, true},   {WM_MOUSEMOVE, MK_XBUTTON2, true}, {WM_MOUSEMOVE, 0, false},
        {WM_MOUSEMOVE, MK_SHIFT, false},    {WM_LBUTTONDOWN, 0, false},      {WM_KEYDOWN, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ContentWindowFilter::Drops(c.message, c.wParam), c.dropped) << c.message << " " << c.wParam;
}

TEST(ContentWindowFilter, TwoViewersFilterTheirOwnWindowsAtOnce)
{
    RegisterClassOf(L"QuilloryFirstContent", FirstContentProc);
    RegisterClassOf(L"QuilloryOtherContent", SecondContentProc);
    Viewer first(L"QuilloryFirstContent");
    Viewer second(L"QuilloryOtherContent");
    ASSERT_NE(first.content, nullptr);
    ASSERT_NE(second.content, nullptr);

    ContentWindowFilter firstFilter, secondFilter;
    firstFilter.Install(first.top);
    secondFilter.Install(second.top);
    EXPECT_EQ(firstFilter.Window(), first.content);
    EXPECT_EQ(secondFilter.Window(), second.content);
    firstFilter.Install(second.top);
    EXPECT_EQ(firstFilter.Window(), first.content) << "once per viewer";

    firstReceived.clear();
    secondReceived.clear();
    for (HWND content : {first.content, second.content})
    {
        SendMessageW(content, WM_RBUTTONDOWN, MK_RBUTTON, 0);
        SendMessageW(content, WM_MOUSEMOVE, MK_LBUTTON, 0);
        SendMessageW(content, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageW(content, WM_APP, 0, 0);
    }
    // Each window's messages reached its own procedure, and only those.
    EXPECT_EQ(firstReceived, (std::vector<UINT>{WM_LBUTTONDOWN, WM_APP}));
    EXPECT_EQ(secondReceived, (std::vector<UINT>{WM_LBUTTONDOWN, WM_APP}));

    // The second viewer goes; the first keeps filtering into its own procedure.
    secondFilter.Reset();
    firstReceived.clear();
    secondReceived.clear();
    SendMessageW(first.content, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    SendMessageW(first.content, WM_APP, 0, 0);
    SendMessageW(second.content, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    EXPECT_EQ(firstReceived, (std::vector<UINT>{WM_APP}));
    EXPECT_EQ(secondReceived, (std::vector<UINT>{WM_RBUTTONDOWN})) << "no filter left on the second";
}
