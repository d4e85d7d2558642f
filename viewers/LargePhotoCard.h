// The picture that the large photo viewer shows: the slide's picture,
// extended downwards by a white card with the slide's title and description
// when a caption is wanted.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <memory>

// The card's measures for a picture of width W0 at fit zoom F (as a double):
// the text width L in picture pixels, the card width and the picture's x.
struct CaptionCardLayout
{
    int textWidth;
    int cardWidth;
    int pictureX;
};
CaptionCardLayout LayOutCaptionCard(unsigned pictureWidth, double fit);

// The largest font size from 4 upward (below 200) at which a sample of
// sampleLength characters made of text fills at most maxLines lines of the
// given width; at least 4.
float FitFontSize(Gdiplus::Graphics& measure, const MStringEx<wchar_t>& text, int sampleLength, int maxLines,
                  int width);

// An overlay advert's block on the card: its headline, the marker text
// beside the badge and its body.
struct ViewerCardAdvert
{
    MStringEx<wchar_t> headline;
    MStringEx<wchar_t> marker;
    MStringEx<wchar_t> body;
};

// The composed picture: with a title card when both texts are given and a
// card is wanted, and an advert block below it when an advert is given;
// else a plain copy of the picture. Null when no bitmap can be made.
std::unique_ptr<Gdiplus::Bitmap> ComposeViewerPicture(Gdiplus::Bitmap& picture, double fit, bool titleCard,
                                                      const MStringEx<wchar_t>& title,
                                                      const MStringEx<wchar_t>& description,
                                                      const ViewerCardAdvert* advert = nullptr);

// The badge beside the advert's marker text (PNG resource of the program).
constexpr unsigned AdvertBadgeResource = 129;
// The marker text's colour.
constexpr Gdiplus::ARGB AdvertMarkerColour = 0xFF5E3A72;
