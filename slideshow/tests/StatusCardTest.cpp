#include "slideshow/StatusCard.h"

#include "ProgramResourceIds.h"
#include "core/tests/UiTestSupport.h"
#include "slideshow/PrimeTableHash.h"
#include "slideshow/SlideRendering.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{
using Bitmap = std::unique_ptr<Gdiplus::Bitmap>;

class StatusCards : public ::testing::Test
{
protected:
    static Gdiplus::Color Pixel(Gdiplus::Bitmap& bitmap, int x, int y)
    {
        Gdiplus::Color colour;
        bitmap.GetPixel(x, y, &colour);
        return colour;
    }
    static int Brightness(const Gdiplus::Color& c) { return c.GetR() + c.GetG() + c.GetB(); }

    // Pixels of the area for which the test holds.
    static int Count(Gdiplus::Bitmap& bitmap, int left, int top, int right, int bottom,
                     const std::function<bool(const Gdiplus::Color&)>& test)
    {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                count += test(Pixel(bitmap, x, y)) ? 1 : 0;
        return count;
    }
    static bool NearDark(const Gdiplus::Color& c)
    {
        return abs(c.GetR() - 0x3A) < 24 && abs(c.GetG() - 0x36) < 24 && abs(c.GetB() - 0x33) < 24;
    }

    static StatusCardTexts Texts(const wchar_t* message)
    {
        return StatusCardTexts{MStringEx<wchar_t>(L"Quillory"), MStringEx<wchar_t>(L"Quillory Window"),
                               MStringEx<wchar_t>(message)};
    }

    GdiplusScope m_gdiplus;
};

TEST_F(StatusCards, ArtworkComesFromTheProgramsResources)
{
    Bitmap base(LoadPngBitmap(GetModuleHandleW(nullptr), IDP_CARD_BASE));
    ASSERT_TRUE(base);
    EXPECT_EQ(base->GetWidth(), 560u);
    EXPECT_EQ(base->GetHeight(), 420u);
    Bitmap art(LoadPngBitmap(nullptr, IDP_STATUS_ART));
    ASSERT_TRUE(art);
    EXPECT_EQ(art->GetWidth(), 64u);
    EXPECT_EQ(LoadPngBitmap(nullptr, 9999), nullptr);
}

TEST_F(StatusCards, CardCarriesItsBandsArtAndEngravedMessage)
{
    Bitmap base(LoadPngBitmap(nullptr, IDP_CARD_BASE));
    Bitmap card(BuildStatusCard(nullptr, IDP_CARD_BASE, IDP_STATUS_ART,
                                Texts(L"No gallery is selected. Choose one in the menu.")));
    ASSERT_TRUE(card);
    const int w = static_cast<int>(card->GetWidth());
    const int h = static_cast<int>(card->GetHeight());
    ASSERT_EQ(w, 560);
    ASSERT_EQ(h, 420);

    // The message band lightens the bottom, right of the text; above it and
    // right of the title the card base is untouched.
    EXPECT_GT(Brightness(Pixel(*card, w - 20, h - 20)), Brightness(Pixel(*base, w - 20, h - 20)) + 30);
    EXPECT_EQ(Pixel(*card, w - 20, h - 140).GetValue(), Pixel(*base, w - 20, h - 140).GetValue());
    EXPECT_EQ(Pixel(*card, 20, 100).GetValue(), Pixel(*base, 20, 100).GetValue());
    // The caption band lightens the top right corner.
    EXPECT_GT(Brightness(Pixel(*card, w - 12, 12)), Brightness(Pixel(*base, w - 12, 12)));
    // The art sits at (30, H - art height - 71): its red mark, left of the
    // white stroke, at (30 + 42, 285 + 16).
    const Gdiplus::Color mark = Pixel(*card, 30 + 42, h - 64 - 71 + 16);
    EXPECT_GT(mark.GetR(), 180);
    EXPECT_LT(mark.GetG(), 120);

    // The message is engraved in the dark colour over the band; a card
    // without a message has none there.
    const int messageTop = h - 64;
    EXPECT_GT(Count(*card, 30, messageTop, w - 12, h - 8, NearDark), 40);
    Bitmap silent(BuildStatusCard(nullptr, IDP_CARD_BASE, IDP_STATUS_ART, Texts(L"")));
    EXPECT_EQ(Count(*silent, 30, messageTop, w - 12, h - 8, NearDark), 0);
    // The title sits right of the art.
    EXPECT_GT(Count(*silent, 30 + 64 + 33, h - 97, w - 12, h - 70, NearDark), 20);
}

TEST_F(StatusCards, MissingArtworkStillGivesACardWithItsText)
{
    Bitmap card(BuildStatusCard(nullptr, 9998, 9999, Texts(L"Something to say")));
    ASSERT_TRUE(card);
    const int w = static_cast<int>(card->GetWidth());
    const int h = static_cast<int>(card->GetHeight());
    EXPECT_GT(w, 0);
    EXPECT_GT(Count(*card, 30, h - 64, w - 12, h - 8, NearDark), 20);
}

TEST_F(StatusCards, LongCaptionWidensItsBandToTheLeft)
{
    auto bandEdges = [](const wchar_t* caption, int& left, int& right) {
        Bitmap plain(new Gdiplus::Bitmap(400, 80, PixelFormat32bppARGB));
        {
            Gdiplus::Graphics graphics(plain.get());
            graphics.Clear(Gdiplus::Color(0xFF000000));
        }
        DrawCardCaption(*plain, MStringEx<wchar_t>(caption));
        left = 400;
        right = -1;
        for (int x = 0; x < 400; ++x)
            for (int y = 0; y < 80; ++y)
            {
                Gdiplus::Color c;
                plain->GetPixel(x, y, &c);
                if (c.GetR() + c.GetG() + c.GetB() > 0)
                {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
    };
    int shortLeft = 0, shortRight = 0, longLeft = 0, longRight = 0;
    bandEdges(L"Quillory", shortLeft, shortRight);
    bandEdges(L"Quillory - artworks and photographs", longLeft, longRight);
    EXPECT_LT(longLeft, shortLeft - 100);
    EXPECT_EQ(shortRight, longRight);
    EXPECT_GE(shortRight, 400 - 7 - 2);
    EXPECT_LE(shortRight, 400 - 7 - 1);
}

TEST_F(StatusCards, EngravedTextLeavesItsRectangleInPlaceAndShadowedTextMoves)
{
    Bitmap white(new Gdiplus::Bitmap(300, 120, PixelFormat32bppARGB));
    {
        Gdiplus::Graphics graphics(white.get());
        graphics.Clear(Gdiplus::Color(0xFFFFFFFF));
    }
    const std::unique_ptr<GdiplusFont> font = CreateGdiplusFont(L"Arial", 14, Gdiplus::FontStyleBold);
    Gdiplus::StringFormat format;
    Gdiplus::SolidBrush a{Gdiplus::Color(EngravedDark)}, b{Gdiplus::Color(EngravedGrey)},
        c{Gdiplus::Color(EngravedWhite)};
    Gdiplus::RectF layout(10, 10, 200, 40);
    DrawEngravedText(*white, MStringEx<wchar_t>(L"Engraved"), layout, *font, format, a, b, c);
    EXPECT_FLOAT_EQ(layout.X, 10);
    EXPECT_FLOAT_EQ(layout.Y, 10);
    EXPECT_GT(Count(*white, 10, 10, 210, 50, NearDark), 10);

    Gdiplus::RectF title(15, 60, 270, 60);
    DrawShadowedText(*white, MStringEx<wchar_t>(L"Title"), title, 20);
    EXPECT_FLOAT_EQ(title.X, 12);
    EXPECT_FLOAT_EQ(title.Y, 57);
    const int black = Count(*white, 0, 55, 300, 120, [](const Gdiplus::Color& p) {
        return p.GetR() < 30 && p.GetG() < 30 && p.GetB() < 30;
    });
    // The shadow: a light yellow-grey (0xC8C896 at 78 % over white).
    const int shadow = Count(*white, 0, 55, 300, 120, [](const Gdiplus::Color& p) {
        return p.GetB() + 20 < p.GetR() && p.GetR() > 180 && p.GetR() < 225;
    });
    EXPECT_GT(black, 20);
    EXPECT_GT(shadow, 20);
}

TEST_F(StatusCards, HashTakesMessageAndTitleAsOneText)
{
    const MStringEx<wchar_t> a(L"a"), bc(L"bc"), ab(L"ab"), c(L"c"), abc(L"abc"), empty;
    // "abc" and the NUL in UTF-16: 509 + 2 + 1563 + 5 + 3661 + 11 + 13 + 17.
    EXPECT_EQ(StatusCardHash(abc, empty), 5781u);
    EXPECT_EQ(StatusCardHash(a, bc), StatusCardHash(ab, c));
    EXPECT_EQ(StatusCardHash(abc, empty), PrimeTableHash(abc));
    EXPECT_NE(StatusCardHash(MStringEx<wchar_t>(L"No gallery"), abc),
              StatusCardHash(MStringEx<wchar_t>(L"No galleries"), abc));
}
}
