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
