#include "viewers/LargePhotoCard.h"

#include "foundation/Atom.h"
#include "foundation/AtomPersistence.h"

#include <shlwapi.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace
{
const wchar_t CardFace[] = L"Arial";

std::unique_ptr<Gdiplus::FontFamily> CardFamily()
{
    auto family = std::make_unique<Gdiplus::FontFamily>(CardFace);
    if (family->GetLastStatus() != Gdiplus::Ok)
        family.reset(Gdiplus::FontFamily::GenericSansSerif()->Clone());
    return family;
}

// The card's text format: no font fallback, centred both ways or near.
class CardFormat : public Gdiplus::StringFormat
{
public:
    explicit CardFormat(bool centred) : Gdiplus::StringFormat(Gdiplus::StringFormatFlagsNoFontFallback)
    {
        if (centred)
        {
            SetAlignment(Gdiplus::StringAlignmentCenter);
            SetLineAlignment(Gdiplus::StringAlignmentCenter);
        }
    }
};

// The text repeated with one blank between copies, cut to length characters.
std::wstring Sample(const MStringEx<wchar_t>& text, int length)
{
    const std::wstring piece(text.GetText(), static_cast<size_t>(text.GetLength()));
    std::wstring sample;
    while (static_cast<int>(sample.size()) < length && !piece.empty())
        sample += sample.empty() ? piece : L" " + piece;
    sample.resize(std::min<size_t>(sample.size(), static_cast<size_t>(length)));
    return sample;
}

int MeasuredHeight(Gdiplus::Graphics& graphics, const MStringEx<wchar_t>& text, const Gdiplus::Font& font,
                   const Gdiplus::StringFormat& format, int width)
{
    Gdiplus::RectF bounds;
    graphics.MeasureString(text.GetText(), static_cast<INT>(text.GetLength()), &font,
                           Gdiplus::RectF(0, 0, static_cast<Gdiplus::REAL>(width), 1000000.0f), &format, &bounds);
    return static_cast<int>(std::ceil(bounds.Height));
}

// The badge picture, or null when the program carries none.
std::unique_ptr<Gdiplus::Bitmap> LoadBadge()
{
    MemoryPH<unsigned char> png;
    png.LoadFromResource(GetModuleHandleW(nullptr), L"PNG", AdvertBadgeResource);
    if (png.IsEmpty())
        return nullptr;
    IStream* stream = SHCreateMemStream(png.GetData(), static_cast<UINT>(png.GetCount()));
    if (!stream)
        return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> badge(Gdiplus::Bitmap::FromStream(stream));
    stream->Release();
    if (badge && badge->GetLastStatus() != Gdiplus::Ok)
        badge.reset();
    return badge;
}

// The advert block from its top ya: a badge and the marker text at both
// ends, the headline and the body between.
void DrawAdvertBlock(Gdiplus::Graphics& graphics, const ViewerCardAdvert& advert, float size, int cardWidth,
                     Gdiplus::REAL x, Gdiplus::REAL textWidth, int ya, int ha, int hb,
                     const Gdiplus::Font& titleFont, const Gdiplus::StringFormat& titleFormat,
                     const Gdiplus::Font& bodyFont, const Gdiplus::StringFormat& bodyFormat)
{
    const std::unique_ptr<Gdiplus::Bitmap> badge = LoadBadge();
    Gdiplus::FontFamily markerFamily(L"Times New Roman");
    const std::unique_ptr<Gdiplus::FontFamily> fallback = CardFamily();
    const Gdiplus::Font markerFont(markerFamily.GetLastStatus() == Gdiplus::Ok ? &markerFamily : fallback.get(),
                                   size + 2, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
    const CardFormat markerFormat(true);
    Gdiplus::RectF marker;
    graphics.MeasureString(advert.marker.GetText(), static_cast<INT>(advert.marker.GetLength()), &markerFont,
                           Gdiplus::PointF(0, 0), &markerFormat, &marker);
    const Gdiplus::SolidBrush markerBrush{Gdiplus::Color(AdvertMarkerColour)};
    const int markerOffset = 3 * ha / 2;
    const Gdiplus::REAL markerY = static_cast<Gdiplus::REAL>(ya + 1) + (ha - marker.Height) / 2;
    const int badgeXs[] = {15, cardWidth - 16 - static_cast<int>(std::ceil(marker.Width)) - markerOffset};
    for (int badgeX : badgeXs)
    {
        if (badge)
            graphics.DrawImage(badge.get(), badgeX, ya, ha, ha);
        graphics.DrawString(advert.marker.GetText(), static_cast<INT>(advert.marker.GetLength()), &markerFont,
                            Gdiplus::RectF(static_cast<Gdiplus::REAL>(badgeX + markerOffset), markerY, marker.Width,
                                           marker.Height),
                            &markerFormat, &markerBrush);
    }
    const Gdiplus::SolidBrush black(Gdiplus::Color(0xFF000000));
    const Gdiplus::REAL top = static_cast<Gdiplus::REAL>(ya);
    graphics.DrawString(advert.headline.GetText(), static_cast<INT>(advert.headline.GetLength()), &titleFont,
                        Gdiplus::RectF(x, top + 0.2f * ha, textWidth, 1.1f * ha), &titleFormat, &black);
    graphics.DrawString(advert.body.GetText(), static_cast<INT>(advert.body.GetLength()), &bodyFont,
                        Gdiplus::RectF(x, top + 1.6f * ha, textWidth, 1.1f * hb), &bodyFormat, &black);
}
}

CaptionCardLayout LayOutCaptionCard(unsigned pictureWidth, double fit)
{
    const double scaled = fit * pictureWidth;
    CaptionCardLayout layout{};
    layout.textWidth = static_cast<int>(std::round(std::min(1000.0, std::max(600.0, scaled) - 30.0) / fit));
    if (scaled < 600.0)
    {
        layout.cardWidth = static_cast<int>(std::round(600.0 / fit));
        layout.pictureX = (layout.cardWidth - static_cast<int>(pictureWidth)) / 2;
    }
    else
    {
        layout.cardWidth = static_cast<int>(pictureWidth);
        layout.pictureX = 0;
    }
    return layout;
}

float FitFontSize(Gdiplus::Graphics& measure, const MStringEx<wchar_t>& text, int sampleLength, int maxLines,
                  int width)
{
    const std::wstring sample = Sample(text, sampleLength);
    const std::unique_ptr<Gdiplus::FontFamily> family = CardFamily();
    const CardFormat format(false);
    float best = 4.0f;
    for (float size = 4.0f; size < 200.0f; size += 1.0f)
    {
        Gdiplus::Font font(family.get(), size, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
        Gdiplus::RectF bounds;
        INT lines = 0;
        measure.MeasureString(sample.c_str(), static_cast<INT>(sample.size()), &font,
                              Gdiplus::RectF(0, 0, static_cast<Gdiplus::REAL>(width), 1000000.0f), &format, &bounds,
                              nullptr, &lines);
        if (lines > maxLines)
            break;
        best = size;
    }
    return best;
}

std::unique_ptr<Gdiplus::Bitmap> ComposeViewerPicture(Gdiplus::Bitmap& picture, double fit, bool titleCard,
                                                      const MStringEx<wchar_t>& title,
                                                      const MStringEx<wchar_t>& description,
                                                      const ViewerCardAdvert* advert)
{
    const INT width = static_cast<INT>(picture.GetWidth());
    const INT height = static_cast<INT>(picture.GetHeight());
    if (!titleCard && !advert)
    {
        auto copy = std::make_unique<Gdiplus::Bitmap>(width, height, picture.GetPixelFormat());
        if (copy->GetLastStatus() != Gdiplus::Ok)
            return nullptr;
        Gdiplus::Graphics graphics(copy.get());
        graphics.DrawImage(&picture, 0, 0, width, height);
        return copy;
    }

    const CaptionCardLayout layout = LayOutCaptionCard(static_cast<unsigned>(width), fit);
    // Measuring needs a surface; any bitmap's will do.
    Gdiplus::Bitmap scratch(1, 1, PixelFormat32bppARGB);
    Gdiplus::Graphics measure(&scratch);
    // The body size: the description's, or the advert body's when smaller.
    float body = titleCard ? FitFontSize(measure, description, 1200, 12, layout.textWidth) : 0.0f;
    if (advert)
    {
        const float advertBody = FitFontSize(measure, advert->body, 300, 3, layout.textWidth);
        body = titleCard ? std::min(body, advertBody) : advertBody;
    }
    const std::unique_ptr<Gdiplus::FontFamily> family = CardFamily();
    const Gdiplus::Font titleFont(family.get(), body + 2, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
    const Gdiplus::Font bodyFont(family.get(), body, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
    const CardFormat titleFormat(true);
    const CardFormat bodyFormat(false);
    const int titleHeight = titleCard ? MeasuredHeight(measure, title, titleFont, titleFormat, layout.textWidth) : 0;
    const int descriptionHeight =
        titleCard ? MeasuredHeight(measure, description, bodyFont, bodyFormat, layout.textWidth) : 0;
    // Without an advert its heights are 0, which leaves three margins of 10.
    const int advertHeadline =
        advert ? MeasuredHeight(measure, advert->headline, titleFont, titleFormat, layout.textWidth) : 0;
    const int advertBody = advert ? MeasuredHeight(measure, advert->body, bodyFont, bodyFormat, layout.textWidth) : 0;
    const int cardHeight = height + 2 * titleHeight + descriptionHeight + 3 * (advertHeadline + 10) + advertBody;

    auto card = std::make_unique<Gdiplus::Bitmap>(layout.cardWidth, cardHeight, PixelFormat32bppARGB);
    if (card->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    Gdiplus::Graphics graphics(card.get());
    graphics.Clear(Gdiplus::Color(0xFFFFFFFF));
    graphics.DrawImage(&picture, layout.pictureX, 0, width, height);
    for (int i = 0; i < 8; ++i)
    {
        const BYTE grey = static_cast<BYTE>((i + 3) * 25);
        Gdiplus::Pen pen(Gdiplus::Color(255, grey, grey, grey));
        graphics.DrawRectangle(&pen, i, height + i, layout.cardWidth - 1 - 2 * i, cardHeight - height - 1 - 2 * i);
    }
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);

    const Gdiplus::REAL x = static_cast<Gdiplus::REAL>(layout.cardWidth - layout.textWidth) / 2;
    int top = height + 15;
    const Gdiplus::REAL textWidth = static_cast<Gdiplus::REAL>(layout.textWidth);
    if (titleCard)
    {
        const Gdiplus::REAL ht = static_cast<Gdiplus::REAL>(titleHeight);
        const Gdiplus::REAL y0 = static_cast<Gdiplus::REAL>(top);
        Gdiplus::SolidBrush black(Gdiplus::Color(0xFF000000));
        graphics.DrawString(title.GetText(), static_cast<INT>(title.GetLength()), &titleFont,
                            Gdiplus::RectF(x, y0 + 0.2f * ht, textWidth, 1.1f * ht), &titleFormat, &black);
        graphics.DrawString(description.GetText(), static_cast<INT>(description.GetLength()), &bodyFont,
                            Gdiplus::RectF(x, y0 + 1.6f * ht, textWidth, 1.1f * descriptionHeight), &bodyFormat,
                            &black);
        top += 2 * titleHeight + descriptionHeight;
    }
    if (advert)
    {
        if (titleCard)
        {
            const Gdiplus::Pen line(Gdiplus::Color(0xFF323232));
            graphics.DrawLine(&line, x, static_cast<Gdiplus::REAL>(top - 1), x + textWidth,
                              static_cast<Gdiplus::REAL>(top - 1));
        }
        const int ya = top + static_cast<int>(0.4 * advertHeadline);
        DrawAdvertBlock(graphics, *advert, body, layout.cardWidth, x, textWidth, ya, advertHeadline, advertBody,
                        titleFont, titleFormat, bodyFont, bodyFormat);
    }
    return card;
}
