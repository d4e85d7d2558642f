#include "viewers/ImageScaler.h"

#include "foundation/GdiplusSession.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// Runs out of memory once, at the first request for the given size.
struct FailOnce
{
    SIZE size;
    bool failed = false;
    std::vector<SIZE> asked;

    ImageScaler::BitmapMaker Maker()
    {
        return [this](INT width, INT height, Gdiplus::PixelFormat format) -> std::unique_ptr<Gdiplus::Bitmap> {
            asked.push_back(SIZE{width, height});
            if (!failed && width == size.cx && height == size.cy)
            {
                failed = true;
                return nullptr;
            }
            // Small stand-ins: the test needs no bitmaps of thousands of pixels.
            return std::make_unique<Gdiplus::Bitmap>(std::min(width, 64), std::min(height, 48), format);
        };
    }
};

class ImageScalerTest : public ::testing::Test
{
protected:
    GdiplusSession gdiplus;
    Gdiplus::Bitmap source{40, 30, PixelFormat32bppARGB};
};

TEST_F(ImageScalerTest, ScalesTheWholePictureToTheTargetSize)
{
    {
        Gdiplus::Graphics graphics(&source);
        Gdiplus::SolidBrush red(Gdiplus::Color(255, 200, 0, 0));
        graphics.FillRectangle(&red, 0, 0, 40, 30);
    }
    ImageScaler scaler;
    ImageScaler::Failure failure = ImageScaler::NoBitmap;
    std::unique_ptr<Gdiplus::Bitmap> scaled = scaler.Scale(source, SIZE{80, 60}, failure);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->GetWidth(), 80u);
    EXPECT_EQ(scaled->GetHeight(), 60u);
    Gdiplus::Color pixel;
    scaled->GetPixel(40, 30, &pixel);
    EXPECT_EQ(pixel.GetR(), 200);
    EXPECT_EQ(scaler.FailedSize().cx, static_cast<LONG>(0xFFFFFFFF));
}

TEST_F(ImageScalerTest, ASizeThatFailedIsNotTriedAgainNorAnyLarger)
{
    FailOnce memory{SIZE{8000, 6000}, false, {}};
    ImageScaler scaler(memory.Maker());
    ImageScaler::Failure failure = ImageScaler::DrawFailed;

    EXPECT_FALSE(scaler.Scale(source, SIZE{8000, 6000}, failure));
    EXPECT_EQ(failure, ImageScaler::NoBitmap);
    EXPECT_EQ(scaler.DrawCount(), 0u);

    // The same size and a larger one fail at once, without drawing, although
    // their bitmaps could now be had.
    for (SIZE size : {SIZE{8000, 6000}, SIZE{9000, 7000}})
    {
        EXPECT_FALSE(scaler.Scale(source, size, failure));
        EXPECT_EQ(failure, ImageScaler::KnownToFail);
    }
    EXPECT_EQ(scaler.DrawCount(), 0u);

    // A size between the failed one and the larger refused one stays
    // refused: the refusal of 9000 x 7000 did not loosen the record.
    EXPECT_FALSE(scaler.Scale(source, SIZE{8500, 6500}, failure));
    EXPECT_EQ(failure, ImageScaler::KnownToFail);
    EXPECT_EQ(scaler.FailedSize().cx, 8000);
    EXPECT_EQ(scaler.FailedSize().cy, 6000);

    // Smaller in one dimension is still tried.
    EXPECT_TRUE(scaler.Scale(source, SIZE{7999, 6000}, failure));
    EXPECT_EQ(scaler.DrawCount(), 1u);
}
}

TEST_F(ImageScalerTest, NoZoomAsksForABitmapLargerThanAPictureMayBe)
{
    FailOnce maker;
    maker.size = SIZE{0, 0};
    const struct
    {
        SIZE target;
        bool asked;
    } cases[] = {{{15811, 15811}, true}, {{15812, 15812}, false}, {{100000, 100000}, false}, {{0x7FFFFFFF, 2}, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.target.cx << " x " << c.target.cy);
        maker.asked.clear();
        ImageScaler fresh(maker.Maker());
        ImageScaler::Failure failure = ImageScaler::NoGraphics;
        std::unique_ptr<Gdiplus::Bitmap> scaled = fresh.Scale(source, c.target, failure);
        EXPECT_EQ(!maker.asked.empty(), c.asked);
        if (!c.asked)
        {
            EXPECT_FALSE(scaled);
            EXPECT_EQ(failure, ImageScaler::NoBitmap);
        }
    }
}
