#include "slideshow/StatusCard.h"

#include "foundation/HandleMemory.h"
#include "foundation/ShellHelpers.h"
#include "slideshow/PrimeTableHash.h"
#include "slideshow/SlideRendering.h"

#include <memory>

namespace
{
// The layout of a card whose base picture is missing.
constexpr int PlainCardWidth = 480;
constexpr int PlainCardHeight = 360;

void PrepareTextGraphics(Gdiplus::Graphics& graphics)
{
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
}

BitmapPtr PlainCard()
{
    auto card = std::make_unique<Gdiplus::Bitmap>(PlainCardWidth, PlainCardHeight, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(card.get());
    Gdiplus::SolidBrush grey{Gdiplus::Color(0xFF5A5F66)};
    graphics.FillRectangle(&grey, 0, 0, PlainCardWidth, PlainCardHeight);
    return card;
}

void DrawAtOwnSize(Gdiplus::Graphics& graphics, Gdiplus::Bitmap& picture, int x, int y)
{
    graphics.DrawImage(&picture, Gdiplus::Rect(x, y, static_cast<INT>(picture.GetWidth()),
                                               static_cast<INT>(picture.GetHeight())),
                       0, 0, static_cast<INT>(picture.GetWidth()), static_cast<INT>(picture.GetHeight()),
                       Gdiplus::UnitPixel);
}
}

BitmapPtr LoadPngBitmap(HMODULE module, unsigned id)
{
    HandleMemory<unsigned char> bytes;
    bytes.LoadFromResource(module, L"PNG", id);
    if (!bytes.GetStream())
        return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> decoded(new Gdiplus::Bitmap(bytes.GetStream()));
    if (decoded->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    // GDI+ reads from the stream for the bitmap's whole life; a copy owns its
    // pixels and takes drawing whatever the PNG's own format.
    Gdiplus::REAL dpiX = decoded->GetHorizontalResolution();
    Gdiplus::REAL dpiY = decoded->GetVerticalResolution();
    BitmapPtr copy(decoded->Clone(0, 0, static_cast<INT>(decoded->GetWidth()), static_cast<INT>(decoded->GetHeight()),
                                  PixelFormat32bppARGB));
    if (copy && copy->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    if (copy)
        copy->SetResolution(dpiX, dpiY);
    return copy;
}

BitmapPtr BuildStatusCard(HMODULE module, unsigned baseId, unsigned artId, const StatusCardTexts& texts)
{
    BitmapPtr card = LoadPngBitmap(module, baseId);
    if (!card)
        card = PlainCard();
    const BitmapPtr art = LoadPngBitmap(module, artId);
    const int width = static_cast<int>(card->GetWidth());
    const int height = static_cast<int>(card->GetHeight());
    const int artWidth = art ? static_cast<int>(art->GetWidth()) : 0;
    const int artHeight = art ? static_cast<int>(art->GetHeight()) : 0;

    DrawCardCaption(*card, texts.caption);
    {
        Gdiplus::Graphics graphics(card.get());
        Gdiplus::Bitmap* band = nullptr;
        Gdiplus::Graphics* bandGraphics = nullptr;
        try
        {
            CreateFilledBitmap(Gdiplus::Rect(0, 0, width - 2 * CardMargin, CardMessageBandHeight),
                               card->GetHorizontalResolution(), card->GetVerticalResolution(), CardMessageBandColour,
                               band, bandGraphics);
            delete bandGraphics;
            bandGraphics = nullptr;
            DrawAtOwnSize(graphics, *band, CardMargin, height - CardMessageBandHeight - CardMargin);
        }
        catch (const MSmartPtrError&)
        {
            // A card narrower than its margins has no band.
        }
        delete bandGraphics;
        delete band;
        if (art)
            DrawAtOwnSize(graphics, *art, 30, height - artHeight - 71);
    }

    Gdiplus::SolidBrush white{Gdiplus::Color(EngravedWhite)};
    Gdiplus::SolidBrush grey{Gdiplus::Color(EngravedGrey)};
    Gdiplus::SolidBrush dark{Gdiplus::Color(EngravedDark)};
    Gdiplus::StringFormat nearFormat;
    nearFormat.SetAlignment(Gdiplus::StringAlignmentNear);
    nearFormat.SetLineAlignment(Gdiplus::StringAlignmentNear);

    const std::unique_ptr<GdiplusFont> titleFont =
        CreateGdiplusFont(L"Arial", 19, Gdiplus::FontStyleBold | Gdiplus::FontStyleUnderline);
    Gdiplus::RectF titleRect(static_cast<Gdiplus::REAL>(artWidth + 33), static_cast<Gdiplus::REAL>(height - 97),
                             static_cast<Gdiplus::REAL>(width), static_cast<Gdiplus::REAL>(height));
    DrawEngravedText(*card, texts.title, titleRect, *titleFont, nearFormat, dark, grey, white);

    const std::unique_ptr<GdiplusFont> messageFont = CreateGdiplusFont(L"Arial", 14, Gdiplus::FontStyleBold);
    Gdiplus::RectF messageRect(30, static_cast<Gdiplus::REAL>(height - 64), static_cast<Gdiplus::REAL>(width - 42), 77);
    DrawEngravedText(*card, texts.message, messageRect, *messageFont, nearFormat, dark, grey, white);
    return card;
}

void DrawCardCaption(Gdiplus::Bitmap& card, const MStringEx<wchar_t>& caption)
{
    Gdiplus::Graphics graphics(&card);
    PrepareTextGraphics(graphics);
    graphics.SetPageUnit(Gdiplus::UnitPixel);

    const std::unique_ptr<GdiplusFont> font = CreateGdiplusFont(L"Verdana", 14, Gdiplus::FontStyleBold);
    Gdiplus::RectF measured;
    graphics.MeasureString(caption.GetText(), static_cast<INT>(caption.GetLength()), font->Get(),
                           Gdiplus::PointF(0, 0), &measured);

    Gdiplus::Bitmap* band = nullptr;
    Gdiplus::Graphics* bandGraphics = nullptr;
    CreateFilledBitmap(Gdiplus::Rect(0, 0, static_cast<INT>(measured.Width) + 16, static_cast<INT>(measured.Height) + 12),
                       card.GetHorizontalResolution(), card.GetVerticalResolution(), CardCaptionBandColour, band,
                       bandGraphics);
    const std::unique_ptr<Gdiplus::Bitmap> bandOwner(band);
    const std::unique_ptr<Gdiplus::Graphics> bandGraphicsOwner(bandGraphics);

    Gdiplus::SolidBrush white{Gdiplus::Color(EngravedWhite)};
    Gdiplus::SolidBrush grey{Gdiplus::Color(EngravedGrey)};
    Gdiplus::SolidBrush dark{Gdiplus::Color(EngravedDark)};
    const INT length = static_cast<INT>(caption.GetLength());
    bandGraphics->DrawString(caption.GetText(), length, font->Get(), Gdiplus::PointF(9, 7), &white);
    bandGraphics->DrawString(caption.GetText(), length, font->Get(), Gdiplus::PointF(8.5f, 6.5f), &grey);
    bandGraphics->DrawString(caption.GetText(), length, font->Get(), Gdiplus::PointF(8, 6), &dark);

    DrawAtOwnSize(graphics, *band, static_cast<int>(card.GetWidth()) - static_cast<int>(band->GetWidth()) - CardMargin,
                  CardMargin);
}

void DrawEngravedText(Gdiplus::Bitmap& picture, const MStringEx<wchar_t>& text, Gdiplus::RectF& layout,
                      const GdiplusFont& font, const Gdiplus::StringFormat& format, const Gdiplus::Brush& top,
                      const Gdiplus::Brush& middle, const Gdiplus::Brush& bottom)
{
    Gdiplus::Graphics graphics(&picture);
    PrepareTextGraphics(graphics);
    const INT length = static_cast<INT>(text.GetLength());
    layout.Offset(1, 1);
    graphics.DrawString(text.GetText(), length, font.Get(), layout, &format, &bottom);
    layout.Offset(-0.5f, -0.5f);
    graphics.DrawString(text.GetText(), length, font.Get(), layout, &format, &middle);
    layout.Offset(-0.5f, -0.5f);
    graphics.DrawString(text.GetText(), length, font.Get(), layout, &format, &top);
}

void DrawShadowedText(Gdiplus::Bitmap& picture, const MStringEx<wchar_t>& text, Gdiplus::RectF& layout, float points)
{
    Gdiplus::Graphics graphics(&picture);
    PrepareTextGraphics(graphics);
    const std::unique_ptr<GdiplusFont> font = CreateGdiplusFont(L"Verdana", points, Gdiplus::FontStyleBold);
    Gdiplus::StringFormat nearFormat;
    nearFormat.SetAlignment(Gdiplus::StringAlignmentNear);
    nearFormat.SetLineAlignment(Gdiplus::StringAlignmentNear);
    Gdiplus::SolidBrush shadow{Gdiplus::Color(0xC8C8C896)};
    Gdiplus::SolidBrush black{Gdiplus::Color(0xFF000000)};
    const INT length = static_cast<INT>(text.GetLength());
    graphics.DrawString(text.GetText(), length, font->Get(), layout, &nearFormat, &shadow);
    layout.Offset(-3, -3);
    graphics.DrawString(text.GetText(), length, font->Get(), layout, &nearFormat, &black);
}

unsigned __int64 StatusCardHash(const MStringEx<wchar_t>& message, const MStringEx<wchar_t>& title)
{
    return PrimeTableHash(message + title);
}
