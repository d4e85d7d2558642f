// Turning the prepared picture of a slide into what the main window shows:
// the fit into the display area's square, the scaled frame, the full-size
// copy for the screen-saver windows, one frame of the cross-fade and its
// adaptive step, the preview card, and GDI+ fonts with their fallback.
// Every function here draws into memory bitmaps only; the main window places
// the results on screen.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <memory>

// Every bitmap has one owner.
using BitmapPtr = std::unique_ptr<Gdiplus::Bitmap>;

// A picture size in pixels.
struct PictureSize
{
    unsigned width = 0;
    unsigned height = 0;

    bool operator==(const PictureSize& other) const { return width == other.width && height == other.height; }
};

// The size of a width x height picture scaled to fit a square of side. A
// picture smaller than the side in either dimension gets ceil(scale) + 1
// pixels more in both, so that the scaled frame overlaps the control's edges.
// A picture without area gives 0 x 0.
void FitIntoSquare(unsigned side, unsigned width, unsigned height, PictureSize& size);

// The size at which the window shows a width x height picture in a square of
// side: the picture scaled to fit, never beyond the side (at least one pixel
// each way). The frame is drawn FitIntoSquare's few pixels larger and cut at
// the window's edge, so the window keeps within the display area. A picture
// without area gives 0 x 0.
void FitShownIntoSquare(unsigned side, unsigned width, unsigned height, PictureSize& size);

// The extra pixels by which a frame of frameWidth x frameHeight is drawn
// beyond a target of cx x cy: 0 when the frame is at least as large in both
// dimensions, else ceil(the smaller ratio of target to frame) + 1.
int FrameOverdraw(int cx, int cy, unsigned frameWidth, unsigned frameHeight);

// Cross-fade progress runs from 100 down to 0 (0: no cross-fade). A frame
// that took dt milliseconds lowers it by 1 below 31 ms, by trunc(dt / 20 -
// 0.5) below 90 ms and by 4 from there on, so that a slow machine finishes
// in fewer frames; never below 0.
unsigned NextCrossFadeProgress(unsigned progress, DWORD dt);

// The share (0 to 1) of the new slide in a frame at this progress.
inline double CrossFadeShare(unsigned progress)
{
    return (100.0 - progress) / 100.0;
}

// The window size at this progress, growing or shrinking from the previous
// picture size to the new one, plus the non-client extents.
SIZE CrossFadeWindowSize(const PictureSize& previous, const PictureSize& next, unsigned progress, int nonClientWidth,
                         int nonClientHeight);

// The picture scaled to fit a square of side as a new 24-bit RGB bitmap (the
// caller owns it); transparent pixels come out white. Very small sides are
// reached in stages (999, then 100) so that a huge picture is not reduced to
// a few pixels in one step. Throws MSmartPtrError for a missing source or a
// bitmap that cannot be made.
BitmapPtr RenderScaledFrame(unsigned side, Gdiplus::Bitmap* source);

// RenderScaledFrame's frame cut to FitShownIntoSquare's size: what the
// window shows in a square of side. Throws as RenderScaledFrame.
BitmapPtr RenderShownFrame(unsigned side, Gdiplus::Bitmap* source);

// A copy of the picture at its own size and pixel format (32-bit ARGB for
// formats that cannot be drawn into), white under transparent pixels.
// Throws MSmartPtrError for a missing source.
BitmapPtr CopyFullSize(Gdiplus::Bitmap* source);

// One frame of the cross-fade as a new 24-bit RGB bitmap of cx x cy: the
// previous frame (the current one when there is none or it has no area) as
// background, the current frame over it at the alpha of CrossFadeShare.
// When both frames are 24-bit RGB of exactly cx x cy (the usual case once a
// slide is prepared) their pixels are blended directly, which costs less than
// one GDI+ draw; otherwise ComposeScaledCrossFadeFrame draws them. The
// blend writes into reuse (the frame of the step before) when it has the
// frame's size and format, so that a cross-fade does not take fresh memory
// at every step. Throws MSmartPtrError when the current frame is missing.
BitmapPtr ComposeCrossFadeFrame(Gdiplus::Bitmap* previous, Gdiplus::Bitmap* current, int cx, int cy,
                                unsigned progress, BitmapPtr reuse = nullptr);

// The same frame drawn through GDI+: the background scaled over the target,
// the current frame over it with high-quality bicubic interpolation through a
// colour matrix with the share as its alpha factor.
BitmapPtr ComposeScaledCrossFadeFrame(Gdiplus::Bitmap* previous, Gdiplus::Bitmap* current, int cx, int cy,
                                      unsigned progress);

// The card shown while the display area is being changed: a side x side
// 24-bit RGB bitmap with a red, green and blue path gradient and the text
// centred on it.
BitmapPtr RenderPreviewCard(int side, const MStringEx<wchar_t>& text);

// The point size of the preview card's text for a side.
float PreviewCardFontSize(int side);

// A GDI+ font of a face, falling back to the generic sans-serif family
// (made once per process) when the face is missing or the font cannot be
// made of it. A caller that finds a status other than Ok draws with what GDI+
// does for an invalid font.
class GdiplusFont
{
public:
    GdiplusFont(const wchar_t* face, float points, int style);
    GdiplusFont(const GdiplusFont&) = delete;
    GdiplusFont& operator=(const GdiplusFont&) = delete;

    const Gdiplus::Font* Get() const { return m_font.get(); }
    Gdiplus::Status GetStatus() const { return m_status; }

private:
    std::unique_ptr<Gdiplus::Font> m_font;
    Gdiplus::Status m_status = Gdiplus::GenericError;
};

std::unique_ptr<GdiplusFont> CreateGdiplusFont(const wchar_t* face, float points, int style);
