// The photo viewer's scale as an exact fraction: the fit zoom (the largest
// scale at which the picture fits the work area, at most 1) plus a zoom
// offset that never falls below 0. Steps in and out add and take away exact
// fractions of the picture's shorter side, so any number of them never drifts.
#pragma once

#include "foundation/BigNumber.h"

#include <windows.h>

// Pixels per zoom step or arrow move for the modifier keys held.
unsigned ZoomStepPixels(bool alt, bool ctrl, bool shift);

// The change of scale for a wheel delta (notches of 120, truncated toward
// zero) of step pixels on the picture's shorter side.
Rational ZoomChange(int wheelDelta, unsigned stepPixels, unsigned pictureWidth, unsigned pictureHeight);

// The work area inset by a hundredth on each side (a zoom-out measures the
// fit against it, so that a picture that barely fits still shrinks).
RECT InsetWorkArea(const RECT& work);

// 1 when the picture fits the work area, else the lesser of the width and
// height ratios (the height ratio on a tie).
Rational FitZoom(const RECT& work, unsigned pictureWidth, unsigned pictureHeight);

// The scaled picture's size: each side as an exact product, truncated.
SIZE ScaledSize(const Rational& scale, unsigned pictureWidth, unsigned pictureHeight);

// The offsets of the viewer's zoom: the one requested, the one on screen
// and the wheel steps gathered but not yet applied.
class ExactZoom
{
public:
    void AddPending(const Rational& change) { m_pending += change; }
    const Rational& Pending() const { return m_pending; }
    const Rational& Offset() const { return m_offset; }
    const Rational& ShownOffset() const { return m_shown; }

    // Home (actual size) or End and Ctrl+click (fit): the pending steps go.
    void Reset(bool actualSize);
    // Takes the pending steps into the offset for the fit zoom now in force
    // and answers the scale: with reset after Home the scale is exactly 1.
    Rational Apply(const Rational& fit, bool reset);
    // The scaled picture of the offset is on screen.
    void MarkShown() { m_shown = m_offset; }
    // Scaling failed: back to the zoom on screen.
    void FallBack() { m_offset = m_shown; }

private:
    Rational m_offset{0};
    Rational m_shown{0};
    Rational m_pending{0};
};
