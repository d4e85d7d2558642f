#include "viewers/ContainerWindow.h"
#include "viewers/tests/ViewerDesktopTable.h"

#include <gtest/gtest.h>

namespace
{
bool TopLeftOnMonitor(const ViewerDesktop& desktop, const RECT& rect)
{
    return desktop.IsPointOnMonitor(POINT{rect.left, rect.top});
}

const POINT Far{-100000, -100000};

TEST(ContainerWindow, CentredOnTheWorkArea)
{
    const ViewerDesktopTable desktop({MonitorAt(0, 0, 1920, 1080)});
    const CRect rect = ContainerWindowRect(desktop, true, 801, 601, RECT{0, 0, 1920, 1040}, RECT{}, Far);
    EXPECT_EQ(rect, CRect(960 - 400, 520 - 300, 960 + 400, 520 + 300));
}

TEST(ContainerWindow, ZoomAboutTheCursorKeepsItsPointInPlace)
{
    const ViewerDesktopTable desktop({MonitorAt(0, 0, 1920, 1080)});
    const RECT window{100, 100, 900, 700};
    const POINT cursor{300, 250};
    // Growing to 1200 x 900 (x 1.5) and shrinking to 400 x 300 (x 0.5).
    const CRect grown = ContainerWindowRect(desktop, false, 1200, 900, RECT{0, 0, 1920, 1040}, window, cursor);
    EXPECT_EQ(grown, CRect(0, 25, 1200, 925));
    const CRect shrunk = ContainerWindowRect(desktop, false, 400, 300, RECT{0, 0, 1920, 1040}, window, cursor);
    EXPECT_EQ(shrunk, CRect(200, 175, 600, 475));
}

TEST(ContainerWindow, CursorOutsideAGrowingWindowScalesAboutItsCentre)
{
    const ViewerDesktopTable desktop({MonitorAt(0, 0, 1920, 1080)});
    const CRect rect =
        ContainerWindowRect(desktop, false, 1000, 800, RECT{0, 0, 1920, 1040}, RECT{100, 100, 900, 700}, Far);
    EXPECT_EQ(rect, CRect(0, 0, 1000, 800));
}

TEST(ContainerWindow, ShrinkingWindowStaysOnTheMonitorsItCovers)
{
    // Two monitors side by side, the second one left of the primary one.
    const ViewerDesktopTable two({MonitorAt(0, 0, 1920, 1080), MonitorAt(-1280, 0, 0, 1024)});
    // Window hanging off the bottom of both: its two top corners are on
    // monitors, their midpoint too.
    {
        const RECT window{-400, 500, 400, 1500};
        const CRect rect = ContainerWindowRect(two, false, 400, 500, RECT{0, 0, 1920, 1040}, window, Far);
        // Anchored at (0, 500): the top stays, the middle stays.
        EXPECT_EQ(rect, CRect(-200, 500, 200, 1000));
    }
    // Only the top-left corner on a monitor (n = 1): anchored there.
    {
        const RECT window{1500, 800, 2500, 1800};
        const CRect rect = ContainerWindowRect(two, false, 500, 500, RECT{0, 0, 1920, 1040}, window, Far);
        EXPECT_EQ(rect, CRect(1500, 800, 2000, 1300));
    }

    // Three monitors, one above with negative coordinates and a gap below it.
    // A window whose right corners hang off every monitor and whose left
    // corners' midpoint lies in the gap: the corner nearer to the centre of
    // all work areas is the anchor.
    const ViewerDesktopTable three(
        {MonitorAt(0, 0, 1920, 1080), MonitorAt(-1280, 0, 0, 1024), MonitorAt(0, -1200, 1600, -200)});
    {
        const RECT window{1000, -1100, 2600, 900};
        const CRect rect = ContainerWindowRect(three, false, 800, 1000, RECT{0, 0, 1920, 1040}, window, Far);
        // Union of the work areas: (-1280, -1200) - (1920, 1040), centre (320, -80).
        // Corners on monitors: top-left (1000, -1100) at 2 x (680 + 1020) and
        // bottom-left (1000, 900) at 2 x (680 + 980): the bottom-left wins.
        EXPECT_EQ(rect, CRect(1000, -100, 1800, 900));
    }
}

TEST(ContainerWindow, NoCornerOnAMonitorTakesTheLongestOverlap)
{
    // A tall thin strip crossing the gap above the primary monitor: no corner
    // and not the centre on a monitor.
    const ViewerDesktopTable desktop({MonitorAt(0, 0, 1920, 1080), MonitorAt(2000, 0, 3920, 1080)});
    const RECT window{1880, -300, 2100, 1500};
    const CRect rect = ContainerWindowRect(desktop, false, 100, 900, RECT{0, 0, 1920, 1040}, window, Far);
    // Overlaps with the work areas: (1880, 0)-(1920, 1040) and
    // (2000, 0)-(2100, 1040); the first is the more elongated (26 to 10):
    // anchor y at its centre 520, x at its right edge (nearer to the centre
    // of all work areas, 1960).
    const LONG left = 1880 - ((100 - 220) * (1920 - 1880)) / 220;
    const LONG top = -300 - ((900 - 1800) * (520 + 300)) / 1800;
    EXPECT_EQ(rect, CRect(left, top, left + 100, top + 900));
}

TEST(ContainerWindow, NoOverlapFallsBackToThePrimaryWorkArea)
{
    const ViewerDesktopTable desktop({MonitorAt(0, 0, 1920, 1080)});
    const CRect rect =
        ContainerWindowRect(desktop, false, 400, 300, RECT{0, 0, 1920, 1040}, RECT{3000, 3000, 4000, 4000}, Far);
    EXPECT_EQ(rect, CRect(760, 370, 1160, 670));
}

TEST(ContainerWindow, WindowLargerThanEveryMonitorKeepsItsTopLeftOnOne)
{
    const ViewerDesktopTable two({MonitorAt(0, 0, 1920, 1080), MonitorAt(-1280, -200, 0, 824)});
    // Centred (Home at actual size) on the primary work area.
    {
        const CRect rect = ContainerWindowRect(two, true, 6000, 4000, RECT{0, 0, 1920, 1040}, RECT{}, Far);
        EXPECT_TRUE(TopLeftOnMonitor(two, rect));
        EXPECT_EQ(rect.Width(), 6000);
        EXPECT_EQ(rect.Height(), 4000);
    }
    // Centred on the second monitor with negative coordinates.
    {
        const CRect rect = ContainerWindowRect(two, true, 3000, 2500, RECT{-1280, -200, 0, 784}, RECT{}, Far);
        EXPECT_TRUE(TopLeftOnMonitor(two, rect));
        EXPECT_EQ(rect, CRect(-1280, -200, 1720, 2300));
    }
    // Grown about the cursor far to the top-left.
    {
        const RECT window{0, 0, 1900, 1000};
        const CRect rect = ContainerWindowRect(two, false, 9500, 5000, RECT{0, 0, 1920, 1040}, window, POINT{1800, 900});
        EXPECT_TRUE(TopLeftOnMonitor(two, rect));
        EXPECT_EQ(rect.Width(), 9500);
    }
    // The fallback centres on the primary work area.
    {
        const CRect rect =
            ContainerWindowRect(two, false, 2500, 1500, RECT{0, 0, 1920, 1040}, RECT{5000, 5000, 9000, 8000}, Far);
        EXPECT_TRUE(TopLeftOnMonitor(two, rect));
    }
    // A window that fits a monitor is left where the rules put it.
    {
        const CRect rect = ContainerWindowRect(two, true, 1900, 1000, RECT{-1280, -200, 0, 784}, RECT{}, Far);
        EXPECT_EQ(rect, CRect(-640 - 950, 292 - 500, -640 + 950, 292 + 500));
    }
}

TEST(ContainerWindow, ArrowMovesStayOnAMonitor)
{
    const ViewerDesktopTable desktop({MonitorAt(0, 0, 1920, 1080), MonitorAt(-1280, -200, 0, 824)});
    const RECT window{100, 100, 500, 400};
    EXPECT_EQ(ArrowMoveRect(desktop, window, VK_RIGHT, 100), CRect(200, 100, 600, 400));
    EXPECT_EQ(ArrowMoveRect(desktop, window, VK_UP, 50), CRect(100, 50, 500, 350));
    // Across to the second monitor: still on a monitor.
    EXPECT_EQ(ArrowMoveRect(desktop, window, VK_LEFT, 400), CRect(-300, 100, 100, 400));

    struct Case
    {
        RECT window;
        UINT key;
        CRect expected;
    } leaving[] = {
        // Off the primary monitor's bottom: 21 pixels stay on it.
        {{100, 900, 500, 1070}, VK_DOWN, CRect(100, 1059, 500, 1229)},
        // Off its right edge.
        {{1800, 100, 1910, 400}, VK_RIGHT, CRect(1899, 100, 2009, 400)},
        // Off the second monitor's top (negative coordinates).
        {{-900, -190, -500, 0}, VK_UP, CRect(-900, -369, -500, -179)},
        // Off the second monitor's left edge.
        {{-1270, 300, -900, 500}, VK_LEFT, CRect(-1629, 300, -1259, 500)},
    };
    for (const Case& c : leaving)
        EXPECT_EQ(ArrowMoveRect(desktop, c.window, c.key, 400), c.expected) << c.key;
}
}
