#include "viewers/ExactZoom.h"

#include <algorithm>
#include <cmath>

unsigned ZoomStepPixels(bool alt, bool ctrl, bool shift)
{
    if (alt)
    {
        if (ctrl)
            return shift ? 1 : 25;
        return 50;
    }
    if (ctrl)
        return shift ? 400 : 200;
    return 100;
}

Rational ZoomChange(int wheelDelta, unsigned stepPixels, unsigned pictureWidth, unsigned pictureHeight)
{
    const unsigned shorter = std::min(pictureWidth, pictureHeight);
    const int notches = wheelDelta / WHEEL_DELTA;
    const Rational unit(Integer(1), Integer(shorter));
    return unit * Rational(static_cast<__int64>(stepPixels)) * Rational(static_cast<__int64>(notches));
}

RECT InsetWorkArea(const RECT& work)
{
    RECT inset = work;
    inset.top += (work.bottom - work.top) / 100;
    inset.bottom -= (work.bottom - inset.top) / 100;
    inset.left += (work.right - work.left) / 100;
    inset.right -= (work.right - inset.left) / 100;
    return inset;
}

Rational FitZoom(const RECT& work, unsigned pictureWidth, unsigned pictureHeight)
{
    const __int64 width = std::max<__int64>(0, static_cast<__int64>(work.right) - work.left);
    const __int64 height = std::max<__int64>(0, static_cast<__int64>(work.bottom) - work.top);
    if (pictureWidth <= width && pictureHeight <= height)
        return Rational(1);
    const Rational across(Integer(static_cast<unsigned __int64>(width)), Integer(pictureWidth));
    const Rational down(Integer(static_cast<unsigned __int64>(height)), Integer(pictureHeight));
    return Rational::Min(across, down);
}

SIZE ScaledSize(const Rational& scale, unsigned pictureWidth, unsigned pictureHeight)
{
    const double width = (scale * pictureWidth).ToDouble();
    const double height = (scale * pictureHeight).ToDouble();
    return SIZE{static_cast<LONG>(std::trunc(width)), static_cast<LONG>(std::trunc(height))};
}

void ExactZoom::Reset(bool actualSize)
{
    m_pending = Rational(0);
    m_offset = Rational(actualSize ? 1 : 0);
    m_shown = Rational(0);
}

Rational ExactZoom::Apply(const Rational& fit, bool reset)
{
    if (reset && !(m_offset == Rational(0)))
        m_offset = Rational(1) - fit;
    m_offset += m_pending;
    m_pending = Rational(0);
    if (Rational(0) > m_offset)
        m_offset = Rational(0);
    return fit + m_offset;
}
