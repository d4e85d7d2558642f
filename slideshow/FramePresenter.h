// The frames the main window's picture control shows. The current frame is
// the prepared picture scaled to the control. A cross-fade keeps the frame
// of the slide before and composes, step by step, an overlay of the two that
// is drawn instead of the current frame; the preview card of the settings is
// such an overlay too. Lives on the main window's thread; the window drives
// it from its cross-fade timer and places itself at the sizes it answers.
#pragma once

#include "slideshow/SlideRendering.h"

#include <windows.h>

class FramePresenter
{
public:
    // One-pixel frames, so that the control has something to draw before the
    // first slide.
    void StartBlank();

    // The prepared picture fitted into a square of side pixels.
    void FitPicture(unsigned side, Gdiplus::Bitmap& prepared);
    // The prepared picture's size as fitted, without the window's frame.
    const PictureSize& FittedSize() const { return m_pictureSize; }
    // The fitted size now becomes the one the next cross-fade starts from.
    void KeepSizeForCrossFade() { m_previousPictureSize = m_pictureSize; }
    // The window size for the fitted picture, and for the present step of a
    // cross-fade (between the old and the new size), given the window's
    // non-client extents.
    SIZE WindowSize(SIZE nonClient) const;
    SIZE CrossFadeWindowSize(SIZE nonClient) const;

    // The prepared picture as the current frame at side pixels; the overlay
    // goes.
    void RenderCurrent(unsigned side, Gdiplus::Bitmap& prepared);

    // A new slide: the current frame is kept as the one faded from, and the
    // prepared picture at its fitted size becomes the current frame.
    void BeginCrossFade(Gdiplus::Bitmap& prepared);
    bool IsCrossFading() const { return m_crossFadeProgress != 0; }
    // The overlay for the cross-fade's present step at width x height.
    void ComposeCrossFade(int width, int height);
    // Moves the cross-fade on by a step that took elapsed milliseconds.
    void AdvanceCrossFade(DWORD elapsed);
    // Halves the remaining cross-fade; false when nothing is left to halve.
    bool HalveCrossFade();
    void EndCrossFade() { m_crossFadeProgress = 0; }

    // A card drawn instead of the current frame until the next frame.
    void ShowOverlay(BitmapPtr overlay) { m_overlayFrame = std::move(overlay); }
    bool HasOverlay() const { return m_overlayFrame != nullptr; }
    void DropOverlay() { m_overlayFrame.reset(); }

    // The prepared picture at its own size (white under transparency), for
    // the screen-saver windows; none before the first slide.
    Gdiplus::Bitmap* FullSizeFrame() const { return m_fullSizeFrame.get(); }

    // Draws the overlay, or else the current frame, at the context's origin.
    void Paint(HDC dc) const;

private:
    BitmapPtr m_frame;
    BitmapPtr m_fullSizeFrame;
    BitmapPtr m_previousFrame;
    BitmapPtr m_overlayFrame;
    PictureSize m_pictureSize;
    PictureSize m_previousPictureSize;
    // From 100 down to 0; 0 while no cross-fade runs.
    unsigned m_crossFadeProgress = 0;
};
