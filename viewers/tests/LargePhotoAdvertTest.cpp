// The overlay advert's block on the photo viewer's card: placed below the
// caption (or alone below the picture), with the marker text at both ends
// and the headline and body between.
#include "viewers/LargePhotoCard.h"

#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

namespace
{
const Gdiplus::Color Picture(0xFF1E8CDC);

struct Counts
{
    int violetLeft = 0;
    int violetRight = 0;
    int dark = 0;
};

// Violet (the marker) in the left and right quarter, and dark (text)
// pixels, in the rows from top on.
Counts CountBelow(Gdiplus::Bitmap& card, UINT top)
{
    Counts counts;
    const UINT width = card.GetWidth();
    for (UINT y = top; y < card.GetHeight(); ++y)
        for (UINT x = 0; x < width; ++x)
        {
            Gdiplus::Color pixel;
            card.GetPixel(static_cast<INT>(x), static_cast<INT>(y), &pixel);
            const int r = pixel.GetR(), g = pixel.GetG(), b = pixel.GetB();
            if (b - g > 35 && r - g > 20)
            {
                if (x < width / 4)
                    ++counts.violetLeft;
                else if (x >= width * 3 / 4)
                    ++counts.violetRight;
            }
            if (r < 60 && g < 60 && b < 60)
                ++counts.dark;
        }
    return counts;
}
}

TEST(LargePhotoAdvert, TheBlockComesBelowTheCaptionOrAloneBelowThePicture)
{
    GdiplusScope gdiplus;
    Gdiplus::Bitmap picture(300, 200, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&picture);
        Gdiplus::SolidBrush brush(Picture);
        graphics.FillRectangle(&brush, 0, 0, 300, 200);
    }
    const ViewerCardAdvert advert{MString(L"Print Shop Posters"), MString(L"Sponsored"),
                                  MString(L"Posters of your slides, printed on heavy paper.")};

    auto caption = ComposeViewerPicture(picture, 1.0, true, MString(L"Harbour"), MString(L"Boats at dawn."));
    auto both = ComposeViewerPicture(picture, 1.0, true, MString(L"Harbour"), MString(L"Boats at dawn."), &advert);
    auto alone = ComposeViewerPicture(picture, 1.0, false, MString(), MString(), &advert);
    ASSERT_TRUE(caption && both && alone);
    // The block adds its headline and body to the card's height.
    EXPECT_EQ(600u, both->GetWidth());
    EXPECT_GT(both->GetHeight(), caption->GetHeight() + 20);
    EXPECT_EQ(600u, alone->GetWidth());
    EXPECT_GT(alone->GetHeight(), 200u + 30u);
    EXPECT_LT(alone->GetHeight(), both->GetHeight());

    // The picture stays as it was; the marker text stands at both ends, the
    // text is black.
    Gdiplus::Color pixel;
    both->GetPixel(300, 100, &pixel);
    EXPECT_EQ(Picture.GetValue(), pixel.GetValue());
    for (Gdiplus::Bitmap* card : {both.get(), alone.get()})
    {
        const Counts counts = CountBelow(*card, 200);
        EXPECT_GT(counts.violetLeft, 10);
        EXPECT_GT(counts.violetRight, 10);
        EXPECT_GT(counts.dark, 50);
    }
    // Without an advert nothing violet is drawn.
    const Counts none = CountBelow(*caption, 200);
    EXPECT_EQ(0, none.violetLeft + none.violetRight);
}
