#include "viewers/BrowserWindowSizes.h"

#include <gtest/gtest.h>

namespace
{
struct Six
{
    DWORD openW, openH, minW, minH, maxW, maxH;
    bool operator==(const Six& o) const
    {
        return openW == o.openW && openH == o.openH && minW == o.minW && minH == o.minH && maxW == o.maxW &&
               maxH == o.maxH;
    }
};

std::ostream& operator<<(std::ostream& out, const Six& s)
{
    return out << s.openW << "x" << s.openH << " min " << s.minW << "x" << s.minH << " max " << s.maxW << "x"
               << s.maxH;
}

DocumentDisplayParameters With(const Six& s, bool resizable = true, bool constantAspect = false)
{
    DocumentDisplayParameters p;
    p.openingWidth = s.openW;
    p.openingHeight = s.openH;
    p.minimalWidth = s.minW;
    p.minimalHeight = s.minH;
    p.maximalWidth = s.maxW;
    p.maximalHeight = s.maxH;
    p.resizable = resizable;
    p.constantAspect = constantAspect;
    return p;
}

Six Of(const DocumentDisplayParameters& p)
{
    return {p.openingWidth, p.openingHeight, p.minimalWidth, p.minimalHeight, p.maximalWidth, p.maximalHeight};
}
} // namespace

TEST(BrowserWindowSizes, ASetThatBreaksAnyRuleIsReplacedWhole)
{
    const Six good = {800, 600, 300, 200, 1600, 900};
    const Six free1920 = {1280, 720, 200, 100, 1920, 1080};
    const struct
    {
        const char* name;
        Six given;
        bool kept;
        Six result;
    } cases[] = {
        {"a sensible set", good, true, good},
        {"no parameters", {0, 0, 0, 0, 0, 0}, false, free1920},
        {"smallest width under 200", {800, 600, 150, 200, 1600, 900}, false, free1920},
        {"smallest height under 100", {800, 600, 300, 99, 1600, 900}, false, free1920},
        {"opening above the largest", {1700, 600, 300, 200, 1600, 900}, false, free1920},
        {"opening below the smallest", {800, 150, 300, 200, 1600, 900}, false, free1920},
        {"largest beyond the screen", {800, 600, 300, 200, 2000, 900}, false, free1920},
        {"smallest above the largest", {800, 600, 1700, 200, 1600, 900}, false, free1920},
        {"all at the limits", {1920, 1080, 200, 100, 1920, 1080}, true, {1920, 1080, 200, 100, 1920, 1080}},
    };
    for (const auto& c : cases)
    {
        DocumentDisplayParameters p = With(c.given);
        EXPECT_EQ(ValidateViewerSizes(p, 1920, 1080), c.kept) << c.name;
        EXPECT_EQ(Of(p), c.result) << c.name;
    }
}

TEST(BrowserWindowSizes, DefaultsFollowTheWindowsChoices)
{
    const struct
    {
        const char* name;
        bool resizable, constantAspect;
        DWORD cx, cy;
        Six result;
        bool aspectAfter;
    } cases[] = {
        {"fixed size", false, false, 1920, 1080, {1280, 720, 1280, 720, 1280, 720}, true},
        {"free on a small screen", true, false, 1024, 768, {1024, 720, 200, 100, 1024, 768}, false},
        // 1280/1920 is not above 720/1080: the height leads.
        {"constant aspect, height leads", true, true, 1920, 1080, {1280, 720, 177, 100, 1920, 1080}, true},
        // 1024/1024 is above 720/768: the width leads.
        {"constant aspect, width leads", true, true, 1024, 768, {1024, 720, 200, 140, 1024, 720}, true},
    };
    for (const auto& c : cases)
    {
        DocumentDisplayParameters p = With({0, 0, 0, 0, 0, 0}, c.resizable, c.constantAspect);
        EXPECT_FALSE(ValidateViewerSizes(p, c.cx, c.cy)) << c.name;
        EXPECT_EQ(Of(p), c.result) << c.name;
        EXPECT_EQ(p.constantAspect, c.aspectAfter) << c.name;
    }
}

namespace
{
const SIZE Frame = {16, 39};

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
} // namespace

TEST(BrowserWindowSizes, ConstantAspectDragKeepsTheOpeningAspect)
{
    const struct
    {
        const char* name;
        Six sizes;
        WPARAM edge;
        RECT dragged;
        RECT result;
    } cases[] = {
        {"right edge", {800, 600, 200, 150, 1600, 1200}, WMSZ_RIGHT, {0, 0, 516, 139}, {0, 0, 516, 414}},
        {"bottom edge", {800, 600, 200, 150, 1600, 1200}, WMSZ_BOTTOM, {0, 0, 516, 339}, {0, 0, 416, 339}},
        {"right edge beyond the largest", {800, 600, 200, 150, 1600, 1200}, WMSZ_RIGHT, {0, 0, 2016, 139},
         {0, 0, 1616, 1239}},
        {"bottom-right corner, the width leads", {800, 600, 200, 150, 1600, 1200}, WMSZ_BOTTOMRIGHT,
         {0, 0, 516, 139}, {0, 0, 516, 414}},
        {"top-left corner, the height leads", {800, 600, 200, 150, 1600, 1200}, WMSZ_TOPLEFT,
         {100, 100, 1116, 1139}, {-233, 100, 1116, 1139}},
        {"top-right corner keeps the bottom left", {800, 600, 200, 150, 1600, 1200}, WMSZ_TOPRIGHT,
         {10, 20, 526, 159}, {10, -255, 526, 159}},
        {"bottom-left corner keeps the top right", {800, 600, 200, 150, 1600, 1200}, WMSZ_BOTTOMLEFT,
         {10, 20, 526, 159}, {10, 20, 526, 434}},
        // 301 / 2 = 150.5: halves round away from zero.
        {"half rounds up", {400, 200, 200, 100, 1600, 800}, WMSZ_RIGHT, {0, 0, 317, 100}, {0, 0, 317, 190}},
    };
    for (const auto& c : cases)
    {
        const DocumentDisplayParameters p = With(c.sizes, true, true);
        RECT rect = c.dragged;
        ConstantAspectSizing(p, Frame, c.edge, rect);
        EXPECT_TRUE(Same(rect, c.result)) << c.name << ": " << rect.left << "," << rect.top << "," << rect.right
                                          << "," << rect.bottom;
    }
}

TEST(BrowserWindowSizes, TrackSizes)
{
    const RECT monitor = {0, 0, 1920, 1080};
    MINMAXINFO info = {};
    info.ptMinTrackSize = {136, 39};
    ViewerMinMaxInfo(With({800, 600, 300, 200, 1600, 900}), Frame, {1936, 1096}, monitor, info);
    EXPECT_EQ(info.ptMinTrackSize.x, 316);
    EXPECT_EQ(info.ptMinTrackSize.y, 239);
    EXPECT_EQ(info.ptMaxTrackSize.x, 1616);
    EXPECT_EQ(info.ptMaxTrackSize.y, 939);
    EXPECT_EQ(info.ptMaxSize.x, 1920);
    EXPECT_EQ(info.ptMaxSize.y, 1080);

    // With the constant aspect the smallest height follows the system's
    // smallest width: (136 - 16) / (4 / 3) + 39.
    info.ptMinTrackSize = {136, 39};
    ViewerMinMaxInfo(With({800, 600, 200, 150, 1920, 1440}, true, true), Frame, {1936, 1096}, monitor, info);
    EXPECT_EQ(info.ptMinTrackSize.x, 136);
    EXPECT_EQ(info.ptMinTrackSize.y, 129);
    EXPECT_EQ(info.ptMaxTrackSize.x, 1936) << "within the largest window";
    EXPECT_EQ(info.ptMaxTrackSize.y, 1096);
}
