// Status cards, shown in place of a slide when there is nothing to show: the
// card base from the program's PNG artwork with the caption band at the top
// right, a light band at the bottom with the caller's art, the engraved title
// and the message. Also the text routines that draw on slide pictures: the
// engraved text of cards and the shadowed titles of slides.
#pragma once

#include "foundation/StringEx.h"
#include "slideshow/SlideRendering.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

class GdiplusFont;

// The colours of engraved text.
constexpr Gdiplus::ARGB EngravedWhite = 0xFFFFFFFF;
constexpr Gdiplus::ARGB EngravedGrey = 0xFFA0A0A0;
constexpr Gdiplus::ARGB EngravedDark = 0xFF3A3633;

// Card geometry in pixels, from the card base's edges.
constexpr int CardMargin = 7;            // bands keep this from the edges
constexpr int CardMessageBandHeight = 121;
constexpr Gdiplus::ARGB CardCaptionBandColour = 0x28FFFFFF;
constexpr Gdiplus::ARGB CardMessageBandColour = 0x46FFFFFF;

// The texts of a card: the caption of its band, its title and its message.
struct StatusCardTexts
{
    MStringEx<wchar_t> caption;
    MStringEx<wchar_t> title;
    MStringEx<wchar_t> message;
};

// A PNG resource of the module (type "PNG") decoded into a 32-bit ARGB
// bitmap of its own (the caller owns it); null when it is missing or
// cannot be decoded.
BitmapPtr LoadPngBitmap(HMODULE module, unsigned id);

// Builds a card on a copy of the card base (PNG baseId of the module) with
// the art (PNG artId) and the texts; the caller owns the result. A missing
// card base gives a plain grey card of the same layout, a missing art leaves
// its place empty.
BitmapPtr BuildStatusCard(HMODULE module, unsigned baseId, unsigned artId, const StatusCardTexts& texts);

// The caption band: the caption engraved on a light band, drawn at the top
// right of the card, CardMargin pixels from its top and right edges.
void DrawCardCaption(Gdiplus::Bitmap& card, const MStringEx<wchar_t>& caption);

// The text drawn three times: with the bottom brush one pixel down and right,
// with the middle brush half a pixel down and right, and with the top brush
// at the layout rectangle, which ends where it began.
void DrawEngravedText(Gdiplus::Bitmap& picture, const MStringEx<wchar_t>& text, Gdiplus::RectF& layout,
                      const GdiplusFont& font, const Gdiplus::StringFormat& format, const Gdiplus::Brush& top,
                      const Gdiplus::Brush& middle, const Gdiplus::Brush& bottom);

// A slide title: bold Verdana of the size in points, a light shadow at the
// rectangle, then black text three pixels up and left of it; the rectangle
// is left moved.
void DrawShadowedText(Gdiplus::Bitmap& picture, const MStringEx<wchar_t>& text, Gdiplus::RectF& layout, float points);

// What tells two cards apart: the prime-table hash of the message followed
// by the title (one text, its terminating NUL included).
unsigned __int64 StatusCardHash(const MStringEx<wchar_t>& message, const MStringEx<wchar_t>& title);
