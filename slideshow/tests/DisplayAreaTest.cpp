#include "slideshow/DisplayArea.h"
#include "slideshow/tests/SlideshowTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <ostream>
#include <vector>

using namespace SlideshowTest;

// In the global namespace, where the test macros find them for RECT.
static bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace
{
class DisplayAreaStoreTest : public ::testing::Test
{
protected:
    void SetUp() override { DeleteRaw(DisplayAreaValueName); }
    void TearDown() override { DeleteRaw(DisplayAreaValueName); }

    static void Store(const DisplayAreaBlob& blob) { WriteRaw(DisplayAreaValueName, REG_BINARY, &blob, 16); }

    static DisplayAreaBlob Stored()
    {
        DWORD type = 0;
        std::vector<unsigned char> bytes;
        DisplayAreaBlob blob{};
        EXPECT_TRUE(ReadRaw(DisplayAreaValueName, type, bytes));
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(bytes.size(), 16u);
        if (bytes.size() == 16)
            std::memcpy(&blob, bytes.data(), 16);
        return blob;
    }

    FakeMonitors monitors{{RECT{0, 0, 2560, 1440}}, 2560};
    const RECT defaultArea{2160, 5, 2200, 45};
};
}

TEST_F(DisplayAreaStoreTest, AGoodAreaIsReadWithSwappedEdgesPutRight)
{
    Store(DisplayAreaBlob{50, 250, 300, 100});
    RECT area{};
    EXPECT_TRUE(LoadDisplayArea(area, monitors));
    EXPECT_EQ(area, (RECT{100, 50, 300, 250}));
    // Accepted as it stands: not rewritten.
    const DisplayAreaBlob stored = Stored();
    EXPECT_EQ(stored.left, 300);

    Store(DisplayAreaBlob{-200, -199, -1500, -1499});
    EXPECT_TRUE(LoadDisplayArea(area, monitors));
    EXPECT_EQ(area, (RECT{-1500, -200, -1499, -199}));

    Store(DisplayAreaBlob{0, 999, 10, 1009});
    EXPECT_TRUE(LoadDisplayArea(area, monitors));
}

TEST_F(DisplayAreaStoreTest, ABadAreaIsReplacedByTheDefaultAndWritten)
{
    struct Case
    {
        const char* what;
        DisplayAreaBlob blob;
    };
    const Case cases[] = {
        {"1000-pixel square", {0, 1000, 0, 1000}},
        {"0-pixel square", {10, 10, 20, 20}},
        {"not square", {0, 100, 0, 101}},
        {"extreme corners", {INT_MIN, INT_MAX, INT_MIN, INT_MAX}},
        {"wrapping width", {0, 2, INT_MAX - 1, INT_MIN + 1}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Store(c.blob);
        RECT area{1, 2, 3, 4};
        EXPECT_FALSE(LoadDisplayArea(area, monitors));
        EXPECT_EQ(area, defaultArea);
        const DisplayAreaBlob stored = Stored();
        EXPECT_EQ(stored.top, 5);
        EXPECT_EQ(stored.bottom, 45);
        EXPECT_EQ(stored.left, 2160);
        EXPECT_EQ(stored.right, 2200);
    }
}

TEST_F(DisplayAreaStoreTest, WrongTypeSizeOrMissingValueGivesTheDefault)
{
    const unsigned char bytes[20] = {};
    struct Case
    {
        const char* what;
        DWORD type;
        DWORD size;
    };
    const Case cases[] = {{"15 bytes", REG_BINARY, 15}, {"17 bytes", REG_BINARY, 17}, {"REG_DWORD", REG_DWORD, 4}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        WriteRaw(DisplayAreaValueName, c.type, bytes, c.size);
        RECT area{};
        EXPECT_FALSE(LoadDisplayArea(area, monitors));
        EXPECT_EQ(area, defaultArea);
        EXPECT_EQ(Stored().left, 2160);
    }

    DeleteRaw(DisplayAreaValueName);
    RECT area{};
    EXPECT_FALSE(LoadDisplayArea(area, monitors));
    EXPECT_EQ(Stored().right, 2200);
}

TEST_F(DisplayAreaStoreTest, DefaultNeverStartsLeftOfZero)
{
    RECT area{};
    SetDefaultDisplayArea(area, FakeMonitors({RECT{0, 0, 300, 200}}, 300));
    EXPECT_EQ(area, (RECT{0, 5, 40, 45}));
    SetDefaultDisplayArea(area, FakeMonitors({RECT{0, 0, 400, 200}}, 400));
    EXPECT_EQ(area, (RECT{0, 5, 40, 45}));
}

TEST_F(DisplayAreaStoreTest, SaveWritesTopBottomLeftRight)
{
    SaveDisplayArea(RECT{-10, 20, 90, 120});
    const DisplayAreaBlob stored = Stored();
    EXPECT_EQ(stored.top, 20);
    EXPECT_EQ(stored.bottom, 120);
    EXPECT_EQ(stored.left, -10);
    EXPECT_EQ(stored.right, 90);
}

namespace
{
// Layouts: one monitor; two side by side of unequal height (a gap under the
// second); one left of the primary at negative coordinates; two stacked.
const std::vector<RECT> Single = {{0, 0, 1920, 1080}};
const std::vector<RECT> SideBySide = {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}};
const std::vector<RECT> LeftOfPrimary = {{0, 0, 1920, 1080}, {-1280, 56, 0, 1080}};
const std::vector<RECT> Stacked = {{0, 0, 1920, 1080}, {0, 1080, 1920, 2160}};

struct ClampCase
{
    const char* what;
    std::vector<RECT> layout;
    Anchor_corner corner;
    RECT area;
    RECT expected;
};
}

TEST(AnchorCorner, ClampingMovesOnlyAnAreaWhoseAnchoredCornerIsOff)
{
    const ClampCase cases[] = {
        // The anchored corner is on the screens: never moved.
        {"top left on, rest hanging off", Single, Anchor_corner::TopLeft, {1900, 1060, 2100, 1260}, {1900, 1060, 2100, 1260}},
        {"bottom right on, rest off to the left", Single, Anchor_corner::BottomRight, {-150, 0, 50, 200}, {-150, 0, 50, 200}},
        {"corner in the gap of the union", SideBySide, Anchor_corner::BottomRight, {3000, 1030, 3040, 1070}, {3000, 1030, 3040, 1070}},
        // Off: the anchored edges come back.
        {"top right 50 past the right edge", Single, Anchor_corner::TopRight, {1930, 100, 1970, 140}, {1880, 100, 1920, 140}},
        {"top right past the right of two", SideBySide, Anchor_corner::TopRight, {3210, 10, 3250, 50}, {3160, 10, 3200, 50}},
        {"top left above", Single, Anchor_corner::TopLeft, {100, -300, 140, -260}, {100, 0, 140, 40}},
        {"top left left of the screens", LeftOfPrimary, Anchor_corner::TopLeft, {-1400, 500, -1360, 540}, {-1280, 500, -1240, 540}},
        {"top left far below", Stacked, Anchor_corner::TopLeft, {10, 5000, 50, 5040}, {10, 2120, 50, 2160}},
        {"top left exactly at the bottom edge", Single, Anchor_corner::TopLeft, {10, 1080, 50, 1120}, {10, 1040, 50, 1080}},
        {"top left exactly at the right edge", Single, Anchor_corner::TopLeft, {1920, 10, 1960, 50}, {1880, 10, 1920, 50}},
        {"bottom left below", Single, Anchor_corner::BottomLeft, {10, 1100, 50, 1140}, {10, 1040, 50, 1080}},
        {"bottom left above", Single, Anchor_corner::BottomLeft, {10, -100, 50, -60}, {10, 0, 50, 40}},
        {"bottom left ending at the top edge", Single, Anchor_corner::BottomLeft, {10, -40, 50, 0}, {10, 0, 50, 40}},
        {"bottom right left of the screens", Single, Anchor_corner::BottomRight, {-500, 300, -460, 340}, {0, 300, 40, 340}},
        {"bottom right ending at the left edge", Single, Anchor_corner::BottomRight, {-40, 300, 0, 340}, {0, 300, 40, 340}},
        {"bottom right past both far edges", Stacked, Anchor_corner::BottomRight, {2000, 2200, 2040, 2240}, {1880, 2120, 1920, 2160}},
    };
    for (const ClampCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        const FakeMonitors monitors(c.layout);
        RECT area = c.area;
        EXPECT_EQ(static_cast<DWORD>(ResolveAnchorCorner(area, c.corner, true, monitors)), static_cast<DWORD>(c.corner));
        EXPECT_EQ(area, c.expected);
    }
}

TEST(AnchorCorner, WithoutClampOrMonitorsTheAreaStays)
{
    const FakeMonitors monitors(Single);
    RECT area{5000, 5000, 5040, 5040};
    EXPECT_EQ(ResolveAnchorCorner(area, Anchor_corner::BottomLeft, false, monitors),
              Anchor_corner_effective::BottomLeft);
    EXPECT_EQ(area, (RECT{5000, 5000, 5040, 5040}));

    FakeMonitors failing(Single);
    failing.failEnumeration = true;
    EXPECT_EQ(ResolveAnchorCorner(area, Anchor_corner::TopRight, true, failing), Anchor_corner_effective::TopRight);
    EXPECT_EQ(area, (RECT{5000, 5000, 5040, 5040}));

    const FakeMonitors none(std::vector<RECT>{});
    EXPECT_EQ(ResolveAnchorCorner(area, Anchor_corner::TopRight, true, none), Anchor_corner_effective::TopRight);
    EXPECT_EQ(area, (RECT{5000, 5000, 5040, 5040}));
}

TEST(AnchorCorner, NearestScreenCornerOverLayouts)
{
    struct Case
    {
        const char* what;
        std::vector<RECT> layout;
        RECT area;
        Anchor_corner_effective expected;
    };
    const Case cases[] = {
        {"near the top right", Single, {1800, 20, 1840, 60}, Anchor_corner_effective::TopRight},
        {"near the top left", Single, {20, 30, 60, 70}, Anchor_corner_effective::TopLeft},
        {"near the bottom left", Single, {10, 1000, 50, 1040}, Anchor_corner_effective::BottomLeft},
        {"near the bottom right", Single, {1860, 1000, 1900, 1040}, Anchor_corner_effective::BottomRight},
        {"centre: a tie keeps top left", Single, {940, 520, 980, 560}, Anchor_corner_effective::TopLeft},
        {"right monitor of two", SideBySide, {3100, 10, 3140, 50}, Anchor_corner_effective::TopRight},
        {"judged against the union, not its own monitor", SideBySide, {1500, 10, 1540, 50}, Anchor_corner_effective::TopLeft},
        {"monitor at negative coordinates", LeftOfPrimary, {-1270, 60, -1230, 100}, Anchor_corner_effective::TopLeft},
        {"lower of two stacked", Stacked, {1860, 2100, 1900, 2140}, Anchor_corner_effective::BottomRight},
        // Hanging off the right: only the left corners are on the screens.
        {"hanging off the right", Single, {1900, 10, 1940, 50}, Anchor_corner_effective::TopLeft},
        {"hanging off the bottom right", Single, {1900, 1060, 1940, 1100}, Anchor_corner_effective::TopLeft},
        // No corner on the screens: the guess from the monitors under the corners.
        {"wholly off", Single, {3000, 3000, 3040, 3040}, Anchor_corner_effective::BottomRight},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const FakeMonitors monitors(c.layout);
        RECT area = c.area;
        EXPECT_EQ(NearestScreenCorner(area, monitors), c.expected);
        EXPECT_EQ(area, c.area);
        // Automatic resolves to the same corner.
        EXPECT_EQ(ResolveAnchorCorner(area, Anchor_corner::Automatic, true, monitors), c.expected);
    }
}

TEST(AnchorCorner, WithoutMonitorsTheAreaGoesToTheOrigin)
{
    FakeMonitors failing(Single);
    failing.failEnumeration = true;
    RECT area{100, 200, 140, 240};
    // (100, 200) lies on a monitor of the lookup, so the guess is top left.
    EXPECT_EQ(NearestScreenCorner(area, failing), Anchor_corner_effective::TopLeft);
    EXPECT_EQ(area, (RECT{0, 0, 40, 40}));

    const FakeMonitors none(std::vector<RECT>{});
    area = RECT{100, 200, 140, 240};
    EXPECT_EQ(NearestScreenCorner(area, none), Anchor_corner_effective::BottomRight);
    EXPECT_EQ(area, (RECT{0, 0, 40, 40}));
}

TEST(AnchorCorner, WindowOriginAtEachCorner)
{
    const RECT area{100, 200, 300, 400};
    struct Case
    {
        Anchor_corner_effective corner;
        POINT expected;
    };
    const Case cases[] = {
        {Anchor_corner_effective::TopLeft, {100, 200}},
        {Anchor_corner_effective::TopRight, {150, 200}},
        {Anchor_corner_effective::BottomLeft, {100, 280}},
        {Anchor_corner_effective::BottomRight, {150, 280}},
    };
    for (const Case& c : cases)
    {
        const POINT origin = WindowOriginAtCorner(area, c.corner, 150, 120);
        EXPECT_EQ(origin.x, c.expected.x);
        EXPECT_EQ(origin.y, c.expected.y);
    }
}

TEST(AnchorCorner, AfterADragTheAreaFollowsTheWindowCorner)
{
    const RECT area{100, 200, 300, 400};
    const RECT window{500, 600, 650, 720};
    EXPECT_EQ(DisplayAreaAtWindowCorner(area, window, Anchor_corner_effective::TopLeft), (RECT{500, 600, 700, 800}));
    EXPECT_EQ(DisplayAreaAtWindowCorner(area, window, Anchor_corner_effective::TopRight), (RECT{450, 600, 650, 800}));
    EXPECT_EQ(DisplayAreaAtWindowCorner(area, window, Anchor_corner_effective::BottomLeft), (RECT{500, 520, 700, 720}));
    EXPECT_EQ(DisplayAreaAtWindowCorner(area, window, Anchor_corner_effective::BottomRight), (RECT{450, 520, 650, 720}));
}
