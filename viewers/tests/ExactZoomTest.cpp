#include "viewers/ExactZoom.h"

#include <gtest/gtest.h>

namespace
{
Rational Fraction(unsigned __int64 numerator, unsigned __int64 denominator)
{
    return Rational(Integer(numerator), Integer(denominator));
}

TEST(ExactZoom, StepForEachSetOfModifiers)
{
    struct Case
    {
        bool alt, ctrl, shift;
        unsigned step;
    } cases[] = {
        {false, false, false, 100}, {false, true, false, 200}, {false, true, true, 400},
        {true, false, false, 50},   {true, true, false, 25},   {true, true, true, 1},
        {false, false, true, 100},  {true, false, true, 50},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZoomStepPixels(c.alt, c.ctrl, c.shift), c.step) << c.alt << c.ctrl << c.shift;
}

TEST(ExactZoom, WheelNotchesAreWholeStepsOnTheShorterSide)
{
    struct Case
    {
        int delta;
        unsigned step;
        Rational change;
    } cases[] = {
        {120, 100, Fraction(100, 3000)},  // one notch: 100 pixels of the shorter side
        {360, 100, Fraction(300, 3000)},  // three notches gathered into one delta
        {-240, 200, -Fraction(400, 3000)},
        {119, 100, Rational(0)},          // less than a notch counts as none
        {-121, 1, -Fraction(1, 3000)},    // truncated toward zero
        {-120, 100, -Fraction(100, 3000)}, // the minus key
    };
    for (const Case& c : cases)
        EXPECT_TRUE(ZoomChange(c.delta, c.step, 4000, 3000) == c.change) << c.delta;
}

TEST(ExactZoom, FitZoomOnAWorkArea)
{
    const RECT work{0, 0, 1920, 1040};
    EXPECT_TRUE(FitZoom(work, 1920, 1040) == Rational(1));
    EXPECT_TRUE(FitZoom(work, 800, 600) == Rational(1));
    // Limited by the height: 1040 / 3000 < 1920 / 4000.
    EXPECT_TRUE(FitZoom(work, 4000, 3000) == Fraction(1040, 3000));
    // Limited by the width.
    EXPECT_TRUE(FitZoom(work, 3840, 1000) == Fraction(1, 2));
    // A work area with negative coordinates measures the same.
    EXPECT_TRUE(FitZoom(RECT{-1920, -200, 0, 840}, 4000, 3000) == Fraction(1040, 3000));

    const RECT inset = InsetWorkArea(work);
    EXPECT_EQ(inset.left, 19);
    EXPECT_EQ(inset.top, 10);
    EXPECT_EQ(inset.right, 1901);
    EXPECT_EQ(inset.bottom, 1030);
}

TEST(ExactZoom, ScaledSizeTruncatesTheExactProduct)
{
    EXPECT_EQ(ScaledSize(Fraction(1040, 3000), 4000, 3000).cx, 1386);  // 1386.66...
    EXPECT_EQ(ScaledSize(Fraction(1040, 3000), 4000, 3000).cy, 1040);
    EXPECT_EQ(ScaledSize(Rational(1), 4000, 3000).cx, 4000);
}

TEST(ExactZoom, ManyStepsInAndOutNeverDrift)
{
    const unsigned width = 4000;
    const unsigned height = 3000;
    const Rational fit = FitZoom(RECT{0, 0, 1920, 1040}, width, height);
    ExactZoom zoom;
    EXPECT_TRUE(zoom.Apply(fit, false) == fit);

    // Steps of every size in, the same steps out in another order.
    const unsigned steps[] = {100, 200, 400, 50, 25, 1, 100, 25, 400};
    for (int round = 0; round < 20; ++round)
        for (unsigned step : steps)
        {
            zoom.AddPending(ZoomChange(120, step, width, height));
            zoom.Apply(fit, false);
        }
    for (int round = 0; round < 20; ++round)
        for (int i = 8; i >= 0; --i)
        {
            zoom.AddPending(ZoomChange(-120, steps[i], width, height));
            zoom.Apply(fit, false);
        }
    EXPECT_TRUE(zoom.Offset() == Rational(0));
    EXPECT_TRUE(zoom.Apply(fit, false) == fit);
}

TEST(ExactZoom, OneNotchOfTheFinestStepIsOnePixel)
{
    const Rational fit = FitZoom(RECT{0, 0, 1920, 1040}, 4000, 3000);
    ExactZoom zoom;
    const SIZE before = ScaledSize(zoom.Apply(fit, false), 4000, 3000);
    zoom.AddPending(ZoomChange(120, ZoomStepPixels(true, true, true), 4000, 3000));
    const SIZE after = ScaledSize(zoom.Apply(fit, false), 4000, 3000);
    EXPECT_EQ(after.cy - before.cy, 1);
}

TEST(ExactZoom, ZoomOutNeverGoesBelowTheFitZoom)
{
    // A small picture opens at exactly 1 and stays there, also against the
    // inset work area of a zoom-out.
    const RECT work{0, 0, 1920, 1040};
    ExactZoom zoom;
    zoom.AddPending(ZoomChange(-360, 100, 800, 600));
    const Rational fit = FitZoom(InsetWorkArea(work), 800, 600);
    EXPECT_TRUE(zoom.Apply(fit, false) == Rational(1));
    EXPECT_TRUE(zoom.Offset() == Rational(0));
}

TEST(ExactZoom, HomeGivesActualSizeAndEndTheFit)
{
    const Rational fit = FitZoom(RECT{0, 0, 1920, 1040}, 4000, 3000);
    ExactZoom zoom;
    zoom.AddPending(ZoomChange(720, 25, 4000, 3000));
    zoom.Apply(fit, false);
    zoom.MarkShown();

    zoom.AddPending(ZoomChange(120, 100, 4000, 3000));
    zoom.Reset(true);  // Home (and Ctrl+Shift+click)
    EXPECT_TRUE(zoom.Pending() == Rational(0));
    EXPECT_TRUE(zoom.Apply(fit, true) == Rational(1));
    EXPECT_TRUE(zoom.ShownOffset() == Rational(0));

    zoom.Reset(false);  // End (and Ctrl+click)
    EXPECT_TRUE(zoom.Apply(fit, true) == fit);
}

TEST(ExactZoom, FailedScalingFallsBackToTheZoomOnScreen)
{
    const Rational fit = Fraction(1, 2);
    ExactZoom zoom;
    zoom.AddPending(Fraction(1, 10));
    zoom.Apply(fit, false);
    zoom.MarkShown();
    zoom.AddPending(Fraction(1, 10));
    EXPECT_TRUE(zoom.Apply(fit, false) == Fraction(7, 10));
    zoom.FallBack();
    EXPECT_TRUE(zoom.Offset() == Fraction(1, 10));
}
}
