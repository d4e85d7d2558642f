#include "slideshow/SlideRendering.h"

#include "foundation/SmartPtr.h"
#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace
{
struct FitCase
{
    unsigned side, width, height, outWidth, outHeight;
};

class Fitting : public ::testing::TestWithParam<FitCase>
{
};

TEST_P(Fitting, FitsIntoTheSquare)
{
    const FitCase c = GetParam();
    PictureSize size;
    FitIntoSquare(c.side, c.width, c.height, size);
    EXPECT_EQ(size.width, c.outWidth);
    EXPECT_EQ(size.height, c.outHeight);
}

INSTANTIATE_TEST_SUITE_P(SlideRendering, Fitting,
                         ::testing::Values(FitCase{500, 1000, 400, 502, 202}, // smaller height: + ceil(0.5) + 1
                                           FitCase{500, 2000, 1000, 500, 250}, FitCase{400, 800, 800, 400, 400},
                                           FitCase{400, 300, 200, 403, 269}, // scale 4/3: 400 x 266, + 3
                                           FitCase{400, 400, 400, 400, 400}, FitCase{100, 50, 50, 103, 103},
                                           FitCase{400, 0, 300, 0, 0}, FitCase{400, 300, 0, 0, 0}));

class ShownFitting : public ::testing::TestWithParam<FitCase>
{
};

// What the window shows never reaches beyond the side.
TEST_P(ShownFitting, KeepsWithinTheSquare)
{
    const FitCase c = GetParam();
    PictureSize size;
    FitShownIntoSquare(c.side, c.width, c.height, size);
    EXPECT_EQ(size.width, c.outWidth);
    EXPECT_EQ(size.height, c.outHeight);
}

INSTANTIATE_TEST_SUITE_P(SlideRendering, ShownFitting,
                         ::testing::Values(FitCase{500, 1000, 400, 500, 200}, FitCase{500, 2000, 1000, 500, 250},
                                           FitCase{400, 300, 200, 400, 266}, FitCase{100, 50, 50, 100, 100},
                                           FitCase{314, 200, 100, 314, 157}, FitCase{314, 100, 200, 157, 314},
                                           FitCase{314, 2000, 1000, 314, 157}, FitCase{100, 1000, 1, 100, 1},
                                           FitCase{400, 0, 300, 0, 0}));

struct StepCase
{
    unsigned progress;
    DWORD dt;
    unsigned next;
};

class CrossFadeStep : public ::testing::TestWithParam<StepCase>
{
};

TEST_P(CrossFadeStep, GrowsWithTheFrameTime)
{
    const StepCase c = GetParam();
    EXPECT_EQ(NextCrossFadeProgress(c.progress, c.dt), c.next) << "dt " << c.dt;
}

INSTANTIATE_TEST_SUITE_P(SlideRendering, CrossFadeStep,
                         ::testing::Values(StepCase{100, 0, 99}, StepCase{100, 20, 99}, StepCase{100, 30, 99},
                                           StepCase{100, 31, 99}, StepCase{100, 49, 99}, StepCase{100, 50, 98},
                                           StepCase{100, 60, 98}, StepCase{100, 69, 98}, StepCase{100, 70, 97},
                                           StepCase{100, 89, 97}, StepCase{100, 90, 96}, StepCase{100, 200, 96},
                                           StepCase{2, 200, 0}, StepCase{1, 5, 0}, StepCase{0, 5, 0}));

TEST(SlideRendering, OverdrawCoversTheControlWhenTheFrameIsSmaller)
{
    EXPECT_EQ(FrameOverdraw(400, 300, 400, 300), 0);
    EXPECT_EQ(FrameOverdraw(300, 200, 400, 300), 0);
    EXPECT_EQ(FrameOverdraw(403, 269, 400, 266), 3); // ceil(1.0075) + 1
    EXPECT_EQ(FrameOverdraw(100, 100, 50, 50), 3);
    EXPECT_EQ(FrameOverdraw(300, 500, 400, 400), 2); // ceil(0.75) + 1
    EXPECT_EQ(FrameOverdraw(10, 10, 0, 0), 0);
}

TEST(SlideRendering, WindowGrowsOrShrinksByTheShareOfTheNewSlide)
{
    const PictureSize large{400, 300};
    const PictureSize small{200, 100};
    SIZE size = CrossFadeWindowSize(large, small, 100, 6, 8);
    EXPECT_EQ(size.cx, 406);
    EXPECT_EQ(size.cy, 308);
    size = CrossFadeWindowSize(large, small, 50, 6, 8);
    EXPECT_EQ(size.cx, 306);
    EXPECT_EQ(size.cy, 208);
    size = CrossFadeWindowSize(large, small, 0, 6, 8);
    EXPECT_EQ(size.cx, 206);
    EXPECT_EQ(size.cy, 108);
    // Growing from nothing: trunc(403 x 0.01) and trunc(269 x 0.01).
    size = CrossFadeWindowSize(PictureSize{}, PictureSize{403, 269}, 99, 6, 8);
    EXPECT_EQ(size.cx, 10);
    EXPECT_EQ(size.cy, 10);
}

TEST(SlideRendering, PreviewCardFontFollowsSmallSides)
{
    EXPECT_NEAR(PreviewCardFontSize(40), 100.0f / 13, 1e-5);
    EXPECT_FLOAT_EQ(PreviewCardFontSize(50), 10.0f);
    EXPECT_FLOAT_EQ(PreviewCardFontSize(600), 10.0f);
}

// ---- Rendering into memory bitmaps ----

class Rendering : public ::testing::Test
{
protected:
    static std::unique_ptr<Gdiplus::Bitmap> Filled(int width, int height, Gdiplus::ARGB colour,
                                                   Gdiplus::PixelFormat format = PixelFormat24bppRGB)
    {
        std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(width, height, format));
        Gdiplus::Graphics graphics(bitmap.get());
        graphics.Clear(Gdiplus::Color(colour));
        return bitmap;
    }

    static Gdiplus::Color Pixel(Gdiplus::Bitmap& bitmap, int x, int y)
    {
        Gdiplus::Color colour;
        bitmap.GetPixel(x, y, &colour);
        return colour;
    }

    static void ExpectColour(Gdiplus::Bitmap& bitmap, int x, int y, int r, int g, int b, int tolerance = 3)
    {
        const Gdiplus::Color c = Pixel(bitmap, x, y);
        EXPECT_NEAR(c.GetR(), r, tolerance) << "at " << x << "," << y;
        EXPECT_NEAR(c.GetG(), g, tolerance) << "at " << x << "," << y;
        EXPECT_NEAR(c.GetB(), b, tolerance) << "at " << x << "," << y;
    }

    GdiplusScope m_gdiplus;
};

TEST_F(Rendering, ScaledFrameIsRgbWithWhiteUnderTransparency)
{
    // Left half opaque red, right half transparent.
    std::unique_ptr<Gdiplus::Bitmap> picture = Filled(40, 20, 0x00000000, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(picture.get());
        Gdiplus::SolidBrush red{Gdiplus::Color(0xFFFF0000)};
        graphics.FillRectangle(&red, 0, 0, 20, 20);
    }
    std::unique_ptr<Gdiplus::Bitmap> frame(RenderScaledFrame(80, picture.get()));
    EXPECT_EQ(frame->GetPixelFormat(), static_cast<Gdiplus::PixelFormat>(PixelFormat24bppRGB));
    EXPECT_EQ(frame->GetWidth(), 83u);
    EXPECT_EQ(frame->GetHeight(), 43u);
    ExpectColour(*frame, 10, 20, 255, 0, 0);
    ExpectColour(*frame, 70, 20, 255, 255, 255);

    std::unique_ptr<Gdiplus::Bitmap> copy(CopyFullSize(picture.get()));
    EXPECT_EQ(copy->GetWidth(), 40u);
    EXPECT_EQ(copy->GetPixelFormat(), static_cast<Gdiplus::PixelFormat>(PixelFormat32bppARGB));
    ExpectColour(*copy, 5, 5, 255, 0, 0);
    ExpectColour(*copy, 35, 5, 255, 255, 255);
    EXPECT_EQ(Pixel(*copy, 35, 5).GetA(), 255);
}

TEST_F(Rendering, TheShownFrameIsCutToTheSquare)
{
    // Left half red, right half blue: the overdrawn frame is 403 x 269; the
    // shown one is its top-left 400 x 266, blue to its right edge.
    std::unique_ptr<Gdiplus::Bitmap> picture = Filled(300, 200, 0xFFFF0000);
    {
        Gdiplus::Graphics graphics(picture.get());
        Gdiplus::SolidBrush blue{Gdiplus::Color(0xFF0000FF)};
        graphics.FillRectangle(&blue, 150, 0, 150, 200);
    }
    const BitmapPtr frame = RenderShownFrame(400, picture.get());
    EXPECT_EQ(frame->GetWidth(), 400u);
    EXPECT_EQ(frame->GetHeight(), 266u);
    EXPECT_EQ(frame->GetPixelFormat(), static_cast<Gdiplus::PixelFormat>(PixelFormat24bppRGB));
    ExpectColour(*frame, 10, 130, 255, 0, 0);
    ExpectColour(*frame, 399, 265, 0, 0, 255);
    // A picture larger than the square needs no cut.
    const BitmapPtr large = RenderShownFrame(100, picture.get());
    EXPECT_EQ(large->GetWidth(), 100u);
    EXPECT_EQ(large->GetHeight(), 66u);
}

TEST_F(Rendering, HugePicturesReachTinySidesInStages)
{
    // Through 999 x 499 (and 100 x 49 for side 5); in one step side 50
    // would give 50 x 25.
    std::unique_ptr<Gdiplus::Bitmap> picture = Filled(2000, 1000, 0xFF2050A0);
    const struct
    {
        unsigned side, width, height;
    } cases[] = {{50, 50, 24}, {5, 5, 2}, {150, 150, 75}};
    for (const auto& c : cases)
    {
        std::unique_ptr<Gdiplus::Bitmap> frame(RenderScaledFrame(c.side, picture.get()));
        EXPECT_EQ(frame->GetWidth(), c.width) << c.side;
        EXPECT_EQ(frame->GetHeight(), c.height) << c.side;
        ExpectColour(*frame, 1, 1, 0x20, 0x50, 0xA0, 6);
    }
    EXPECT_THROW(RenderScaledFrame(100, nullptr), MSmartPtrError);
    EXPECT_THROW(CopyFullSize(nullptr), MSmartPtrError);
}

TEST_F(Rendering, FullSizeCopyOfAPaletteTakesDrawing)
{
    std::unique_ptr<Gdiplus::Bitmap> source = Filled(16, 8, 0xFF00FF00);
    std::unique_ptr<Gdiplus::Bitmap> indexed(
        source->Clone(0, 0, 16, 8, PixelFormat8bppIndexed));
    ASSERT_TRUE(indexed && indexed->GetLastStatus() == Gdiplus::Ok);
    std::unique_ptr<Gdiplus::Bitmap> copy(CopyFullSize(indexed.get()));
    EXPECT_EQ(copy->GetWidth(), 16u);
    EXPECT_EQ(copy->GetHeight(), 8u);
    const Gdiplus::Color c = Pixel(*copy, 8, 4);
    EXPECT_GT(c.GetG(), 200);
    EXPECT_LT(c.GetR(), 60);
}

TEST_F(Rendering, HalfwayFrameBlendsBothSlides)
{
    std::unique_ptr<Gdiplus::Bitmap> previous = Filled(100, 80, 0xFFFF0000);
    std::unique_ptr<Gdiplus::Bitmap> current = Filled(100, 80, 0xFF0000FF);

    std::unique_ptr<Gdiplus::Bitmap> frame(ComposeCrossFadeFrame(previous.get(), current.get(), 100, 80, 50));
    EXPECT_EQ(frame->GetPixelFormat(), static_cast<Gdiplus::PixelFormat>(PixelFormat24bppRGB));
    EXPECT_EQ(frame->GetWidth(), 100u);
    ExpectColour(*frame, 50, 40, 128, 0, 127, 4);
    ExpectColour(*frame, 2, 2, 128, 0, 127, 4);

    frame = ComposeCrossFadeFrame(previous.get(), current.get(), 100, 80, 100);
    ExpectColour(*frame, 50, 40, 255, 0, 0);
    frame = ComposeCrossFadeFrame(previous.get(), current.get(), 100, 80, 0);
    ExpectColour(*frame, 50, 40, 0, 0, 255);
    frame = ComposeCrossFadeFrame(previous.get(), current.get(), 100, 80, 75);
    ExpectColour(*frame, 50, 40, 191, 0, 64, 4);
}

TEST_F(Rendering, CrossFadeStretchesASmallerPreviousFrameOverTheControl)
{
    // The window grows: the old frame is smaller than the control.
    std::unique_ptr<Gdiplus::Bitmap> previous = Filled(50, 40, 0xFFFF0000);
    std::unique_ptr<Gdiplus::Bitmap> current = Filled(100, 80, 0xFF0000FF);
    std::unique_ptr<Gdiplus::Bitmap> frame(ComposeCrossFadeFrame(previous.get(), current.get(), 100, 80, 50));
    ExpectColour(*frame, 95, 75, 128, 0, 127, 4);

    // Without a previous frame the current one is its own background.
    std::unique_ptr<Gdiplus::Bitmap> empty(new Gdiplus::Bitmap(0, 0, PixelFormat24bppRGB));
    frame = ComposeCrossFadeFrame(empty.get(), current.get(), 100, 80, 50);
    ExpectColour(*frame, 50, 40, 0, 0, 255);
    frame = ComposeCrossFadeFrame(nullptr, current.get(), 100, 80, 50);
    ExpectColour(*frame, 50, 40, 0, 0, 255);
    EXPECT_THROW(ComposeCrossFadeFrame(previous.get(), nullptr, 100, 80, 50), MSmartPtrError);
}

// Frames at the control's own size are blended without GDI+ drawing; the
// result must match the frame GDI+ draws, channel by channel within 2.
TEST_F(Rendering, FastFrameMatchesTheDrawnFrame)
{
    auto noisy = [](int width, int height, unsigned seed) {
        std::unique_ptr<Gdiplus::Bitmap> bitmap(new Gdiplus::Bitmap(width, height, PixelFormat24bppRGB));
        Gdiplus::BitmapData data;
        Gdiplus::Rect all(0, 0, width, height);
        bitmap->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat24bppRGB, &data);
        for (int y = 0; y < height; ++y)
        {
            BYTE* row = static_cast<BYTE*>(data.Scan0) + y * data.Stride;
            for (int x = 0; x < width * 3; ++x)
            {
                seed = seed * 1103515245u + 12345u;
                row[x] = static_cast<BYTE>(seed >> 24);
            }
        }
        bitmap->UnlockBits(&data);
        return bitmap;
    };
    // An odd width, so that rows carry padding.
    const int width = 61, height = 37;
    std::unique_ptr<Gdiplus::Bitmap> previous = noisy(width, height, 7);
    std::unique_ptr<Gdiplus::Bitmap> current = noisy(width, height, 11);
    // The frames of one cross-fade are written over the one before.
    BitmapPtr fast;
    for (unsigned progress : {100u, 99u, 75u, 50u, 33u, 1u, 0u})
    {
        const Gdiplus::Bitmap* before = fast.get();
        fast = ComposeCrossFadeFrame(previous.get(), current.get(), width, height, progress, std::move(fast));
        if (before)
            EXPECT_EQ(fast.get(), before);
        std::unique_ptr<Gdiplus::Bitmap> drawn(
            ComposeScaledCrossFadeFrame(previous.get(), current.get(), width, height, progress));
        ASSERT_EQ(fast->GetWidth(), drawn->GetWidth());
        ASSERT_EQ(fast->GetHeight(), drawn->GetHeight());
        int worst = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                const Gdiplus::Color a = Pixel(*fast, x, y);
                const Gdiplus::Color b = Pixel(*drawn, x, y);
                worst = std::max({worst, std::abs(a.GetR() - b.GetR()), std::abs(a.GetG() - b.GetG()),
                                  std::abs(a.GetB() - b.GetB())});
            }
        EXPECT_LE(worst, 2) << "progress " << progress;
    }
}

TEST_F(Rendering, PreviewCardShowsTheGradientAndTheText)
{
    std::unique_ptr<Gdiplus::Bitmap> card(RenderPreviewCard(120, MStringEx<wchar_t>(L"Slide area")));
    EXPECT_EQ(card->GetWidth(), 120u);
    EXPECT_EQ(card->GetHeight(), 120u);
    const Gdiplus::Color topLeft = Pixel(*card, 1, 1);
    EXPECT_GT(topLeft.GetR(), topLeft.GetG());
    EXPECT_GT(topLeft.GetR(), topLeft.GetB());
    const Gdiplus::Color topRight = Pixel(*card, 118, 1);
    EXPECT_GT(topRight.GetG(), topRight.GetR());
    const Gdiplus::Color bottomRight = Pixel(*card, 118, 118);
    EXPECT_GT(bottomRight.GetB(), bottomRight.GetR());

    // Black text across the middle rows, none at the top.
    auto darkPixels = [&](int top, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 120; ++x)
            {
                const Gdiplus::Color c = Pixel(*card, x, y);
                count += c.GetR() < 40 && c.GetG() < 40 && c.GetB() < 40;
            }
        return count;
    };
    EXPECT_GT(darkPixels(50, 70), 10);
    EXPECT_EQ(darkPixels(0, 20), 0);
}

TEST_F(Rendering, FontsFallBackToTheGenericSansSerif)
{
    const std::unique_ptr<GdiplusFont> missing =
        CreateGdiplusFont(L"No Such Face Quillory", 12, Gdiplus::FontStyleBold);
    EXPECT_EQ(missing->GetStatus(), Gdiplus::Ok);
    ASSERT_NE(missing->Get(), nullptr);
    Gdiplus::FontFamily family;
    missing->Get()->GetFamily(&family);
    wchar_t name[LF_FACESIZE] = {};
    family.GetFamilyName(name);
    Gdiplus::FontFamily generic;
    wchar_t genericName[LF_FACESIZE] = {};
    Gdiplus::FontFamily::GenericSansSerif()->GetFamilyName(genericName);
    EXPECT_STREQ(name, genericName);
    EXPECT_FLOAT_EQ(missing->Get()->GetSize(), 12.0f);

    const std::unique_ptr<GdiplusFont> invalid = CreateGdiplusFont(L"Arial", -3, Gdiplus::FontStyleRegular);
    EXPECT_NE(invalid->GetStatus(), Gdiplus::Ok);
}
}
