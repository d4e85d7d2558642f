#include "slideshow/FramePresenter.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>

namespace
{
const unsigned CrossFadeStart = 100;
}

void FramePresenter::StartBlank()
{
    m_frame = std::make_unique<Gdiplus::Bitmap>(1, 1, PixelFormat32bppARGB);
    m_fullSizeFrame = std::make_unique<Gdiplus::Bitmap>(1, 1, PixelFormat32bppARGB);
}

void FramePresenter::FitPicture(unsigned side, Gdiplus::Bitmap& prepared)
{
    FitShownIntoSquare(side, prepared.GetWidth(), prepared.GetHeight(), m_pictureSize);
}

SIZE FramePresenter::CrossFadeWindowSize(SIZE nonClient) const
{
    return ::CrossFadeWindowSize(m_previousPictureSize, m_pictureSize, m_crossFadeProgress, nonClient.cx,
                                 nonClient.cy);
}

SIZE FramePresenter::WindowSize(SIZE nonClient) const
{
    return SIZE{static_cast<LONG>(m_pictureSize.width) + nonClient.cx,
                static_cast<LONG>(m_pictureSize.height) + nonClient.cy};
}

void FramePresenter::RenderCurrent(unsigned side, Gdiplus::Bitmap& prepared)
{
    m_frame = RenderShownFrame(side, &prepared);
    m_fullSizeFrame = CopyFullSize(&prepared);
    m_overlayFrame.reset();
}

void FramePresenter::BeginCrossFade(Gdiplus::Bitmap& prepared)
{
    BitmapPtr frame = RenderShownFrame(std::max(m_pictureSize.width, m_pictureSize.height), &prepared);
    m_previousFrame = std::move(m_frame);
    m_frame = std::move(frame);
    m_fullSizeFrame = CopyFullSize(&prepared);
    m_crossFadeProgress = CrossFadeStart;
}

void FramePresenter::ComposeCrossFade(int width, int height)
{
    m_overlayFrame = ComposeCrossFadeFrame(m_previousFrame.get(), m_frame.get(), width, height, m_crossFadeProgress,
                                           std::move(m_overlayFrame));
}

void FramePresenter::AdvanceCrossFade(DWORD elapsed)
{
    m_crossFadeProgress = NextCrossFadeProgress(m_crossFadeProgress, elapsed);
}

bool FramePresenter::HalveCrossFade()
{
    if (m_crossFadeProgress <= 1)
        return false;
    m_crossFadeProgress /= 2;
    return true;
}

void FramePresenter::Paint(HDC dc) const
{
    Gdiplus::Bitmap* frame = m_overlayFrame ? m_overlayFrame.get() : m_frame.get();
    if (!frame)
        return;
    Gdiplus::Graphics graphics(dc);
    const INT width = static_cast<INT>(frame->GetWidth());
    const INT height = static_cast<INT>(frame->GetHeight());
    graphics.DrawImage(frame, Gdiplus::Rect(0, 0, width, height), 0, 0, width, height, Gdiplus::UnitPixel);
}
