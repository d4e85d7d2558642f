#include "foundation/WindowPlacement.h"
#include "foundation/tests/MonitorTable.h"

#include <gtest/gtest.h>

namespace
{
// Primary 1920 x 1080 with a 40-pixel task bar at the bottom; a second
// monitor of 1280 x 1024 on its right.
const std::vector<MonitorTable::Monitor> TwoMonitors = {
    {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
    {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}},
};
// A monitor left of the primary one, listed first.
const std::vector<MonitorTable::Monitor> LeftAndPrimary = {
    {{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}},
    {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
};

CRect Fitted(CRect rect, bool alignLeft, bool alignTop)
{
    FitRectToMonitor(rect, alignLeft, alignTop);
    return rect;
}

HWND MakePopup(HWND owner, const RECT& rect)
{
    return CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, rect.left, rect.top, rect.right - rect.left,
                           rect.bottom - rect.top, owner, nullptr, nullptr, nullptr);
}

CRect WindowRect(HWND window)
{
    CRect rect;
    GetWindowRect(window, &rect);
    return rect;
}
}

TEST(WindowPlacement, RectOnMonitorsTestsFourCornersAndCentre)
{
    MonitorTable monitors(TwoMonitors);
    struct Case
    {
        CRect rect;
        bool on;
    } cases[] = {
        {{100, 100, 400, 300}, true},
        // Spanning both monitors.
        {{1800, 100, 2100, 300}, true},
        // Exactly covering the primary monitor: its right edge lies on the
        // second monitor, its bottom corners lie on no monitor.
        {{0, 0, 1920, 1080}, false},
        // Bottom-right corner below the second monitor.
        {{3000, 900, 3100, 1030}, false},
        {{-10, 100, 200, 300}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.on, IsRectOnMonitors(c.rect)) << c.rect.left << "," << c.rect.top;
}

TEST(WindowPlacement, FitRectToMonitorTable)
{
    MonitorTable monitors(TwoMonitors);
    struct Case
    {
        CRect rect;
        bool alignLeft, alignTop;
        CRect expected;
    } cases[] = {
        // On the monitors: unchanged.
        {{100, 100, 400, 300}, true, true, {100, 100, 400, 300}},
        // Below the task bar's edge: pulled up into the work area.
        {{100, 1000, 400, 1200}, true, true, {100, 840, 400, 1040}},
        // Left of the desktop: pulled right, keeping its size.
        {{-500, 100, -200, 300}, true, true, {0, 100, 300, 300}},
        // Right of the second monitor: into the second monitor's work area.
        {{4000, 500, 4300, 700}, true, true, {2900, 500, 3200, 700}},
        // Too wide for the primary work area: left or right edge.
        {{-100, 100, 1900, 300}, true, true, {0, 100, 2000, 300}},
        {{-100, 100, 1900, 300}, false, true, {-80, 100, 1920, 300}},
        // Too tall: top or bottom edge.
        {{100, -100, 300, 1000}, true, true, {100, 0, 300, 1100}},
        {{100, -100, 300, 1000}, true, false, {100, -60, 300, 1040}},
        // Exactly the primary monitor: not on the monitors, and too tall for
        // its work area.
        {{0, 0, 1920, 1080}, true, true, {0, 0, 1920, 1080}},
        {{0, 0, 1920, 1080}, true, false, {0, -40, 1920, 1040}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Fitted(c.rect, c.alignLeft, c.alignTop)) << c.rect.left << "," << c.rect.top;
}

TEST(WindowPlacement, CentringTruncatesTowardZero)
{
    // A 300 x 200 dialog on an owner centred at (1000, 500).
    EXPECT_EQ(CRect(850, 400, 1150, 600), CenterRectOn(CRect(900, 450, 1100, 550), 300, 200));
    // (-1281 + 0) / 2 = -640 and 301 / 2 = 150.
    EXPECT_EQ(CRect(-790, -1, -489, 100), CenterRectOn(CRect(-1281, 0, 0, 99), 301, 101));

    MonitorTable monitors(LeftAndPrimary);
    CRect rect(-50, -50, 250, 150);
    CenterRectOnPrimaryMonitor(rect);
    EXPECT_EQ(CRect(810, 420, 1110, 620), rect);
}

TEST(WindowPlacement, CenterWindowOnParentMovesRealWindows)
{
    MonitorTable monitors(TwoMonitors);
    HWND owner = MakePopup(nullptr, CRect(900, 450, 1100, 550));
    HWND dialog = MakePopup(owner, CRect(0, 0, 300, 200));
    ASSERT_TRUE(owner && dialog);
    CenterWindowOnParent(dialog);
    EXPECT_EQ(CRect(850, 400, 1150, 600), WindowRect(dialog));

    // An owner partly off the desktop: the dialog is pulled into the work area.
    MoveWindow(owner, -300, 950, 200, 200, FALSE);
    CenterWindowOnParent(dialog);
    EXPECT_EQ(CRect(0, 840, 300, 1040), WindowRect(dialog));

    // A dialog wider than the work area goes to its left edge.
    MoveWindow(dialog, 0, 0, 3300, 100, FALSE);
    MoveWindow(owner, 900, 450, 200, 100, FALSE);
    CenterWindowOnParent(dialog);
    EXPECT_EQ(CRect(0, 450, 3300, 550), WindowRect(dialog));

    // On another window: centred there.
    HWND other = MakePopup(nullptr, CRect(2000, 100, 2400, 500));
    MoveWindow(dialog, 0, 0, 100, 60, FALSE);
    CenterWindowOnWindow(dialog, other);
    EXPECT_EQ(CRect(2150, 270, 2250, 330), WindowRect(dialog));

    DestroyWindow(other);
    DestroyWindow(dialog);
    DestroyWindow(owner);
}

TEST(DialogFont, TakesTheFirstCandidateAndRestoresControls)
{
    DialogFont font(DialogFont::Candidates(new Pair<MStringEx<wchar_t>, long>(L"Arial Unicode MS", 14),
                                           new Pair<MStringEx<wchar_t>, long>(L"Lucida Sans", 13), nullptr),
                    400);
    ASSERT_NE(nullptr, font.GetFont());
    LOGFONTW made;
    ASSERT_EQ(static_cast<int>(sizeof(made)), GetObjectW(font.GetFont(), sizeof(made), &made));
    EXPECT_STREQ(L"Arial Unicode MS", made.lfFaceName);
    EXPECT_EQ(14, made.lfHeight);
    EXPECT_EQ(400, made.lfWeight);

    HWND first = MakePopup(nullptr, CRect(0, 0, 10, 10));
    HWND second = MakePopup(nullptr, CRect(0, 0, 10, 10));
    const HFONT firstFont = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    SendMessageW(first, WM_SETFONT, reinterpret_cast<WPARAM>(firstFont), FALSE);
    font.Apply(first);
    font.Apply(second);
    EXPECT_EQ(font.GetFont(), reinterpret_cast<HFONT>(SendMessageW(first, WM_GETFONT, 0, 0)));
    EXPECT_EQ(font.GetFont(), reinterpret_cast<HFONT>(SendMessageW(second, WM_GETFONT, 0, 0)));

    font.Restore();
    EXPECT_EQ(nullptr, font.GetFont());
    EXPECT_EQ(firstFont, reinterpret_cast<HFONT>(SendMessageW(first, WM_GETFONT, 0, 0)));
    EXPECT_EQ(nullptr, reinterpret_cast<HFONT>(SendMessageW(second, WM_GETFONT, 0, 0)));
    EXPECT_EQ(2u, font.GetControls().GetCount());
    // A second Restore does nothing.
    SendMessageW(second, WM_SETFONT, reinterpret_cast<WPARAM>(firstFont), FALSE);
    font.Restore();
    EXPECT_EQ(firstFont, reinterpret_cast<HFONT>(SendMessageW(second, WM_GETFONT, 0, 0)));

    DestroyWindow(first);
    DestroyWindow(second);
}

TEST(DialogFont, NoCandidatesNoFont)
{
    DialogFont font(DialogFont::Candidates(), 700);
    EXPECT_EQ(nullptr, font.GetFont());
}

TEST(DialogFont, DerivedFontIsTallerBoldItalicAndGoesBack)
{
    HWND control = CreateWindowExW(0, L"STATIC", L"x", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    LOGFONTW base = {};
    base.lfHeight = -11;
    base.lfWeight = 400;
    lstrcpyW(base.lfFaceName, L"Tahoma");
    const HFONT baseFont = CreateFontIndirectW(&base);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(baseFont), FALSE);
    {
        DerivedWindowFont record;
        ApplyDerivedWindowFont(record, control, 5, 700, true, false);
        EXPECT_EQ(baseFont, record.previous);
        EXPECT_EQ(control, record.control);
        ASSERT_NE(nullptr, record.font);
        EXPECT_EQ(record.font, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        LOGFONTW derived;
        GetObjectW(record.font, sizeof(derived), &derived);
        EXPECT_EQ(-16, derived.lfHeight);
        EXPECT_EQ(700, derived.lfWeight);
        EXPECT_TRUE(derived.lfItalic);
        EXPECT_FALSE(derived.lfUnderline);
        record.Restore();
        EXPECT_EQ(baseFont, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    }
    DestroyWindow(control);
    DeleteObject(baseFont);
}
