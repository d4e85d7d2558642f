#include "viewers/ImageScaler.h"

#include "foundation/Error.h"
#include "foundation/PictureBounds.h"

#include <algorithm>

namespace
{
// A step of the scaling that failed, and why; it never leaves Scale.
class ScaleFailure : public QuilloryError
{
public:
    explicit ScaleFailure(ImageScaler::Failure reason) : m_reason(reason) {}
    ImageScaler::Failure Reason() const noexcept { return m_reason; }
    unsigned Code() const noexcept override { return static_cast<unsigned>(m_reason); }
    const char* what() const noexcept override { return "image scaling"; }

private:
    ImageScaler::Failure m_reason;
};
} // namespace

ImageScaler::ImageScaler(BitmapMaker maker) : m_maker(std::move(maker))
{
    if (!m_maker)
        m_maker = [](INT width, INT height, Gdiplus::PixelFormat format) {
            return std::make_unique<Gdiplus::Bitmap>(width, height, format);
        };
}

bool ImageScaler::IsKnownToFail(SIZE target) const
{
    if (m_failedWidth == 0xFFFFFFFF || m_failedHeight == 0xFFFFFFFF)
        return false;
    return m_failedWidth <= static_cast<DWORD>(target.cx) && m_failedHeight <= static_cast<DWORD>(target.cy);
}

void ImageScaler::RecordFailure(SIZE target)
{
    // Only ever stricter: a size refused because a smaller one failed before
    // must not replace that smaller one, or sizes between the two would be
    // tried again.
    m_failedWidth = std::min(m_failedWidth, static_cast<DWORD>(target.cx));
    m_failedHeight = std::min(m_failedHeight, static_cast<DWORD>(target.cy));
}

std::unique_ptr<Gdiplus::Bitmap> ImageScaler::Scale(Gdiplus::Bitmap& source, SIZE target, Failure& failure)
{
    try
    {
        // No zoom makes a picture larger than a picture may be decoded.
        if (target.cx <= 0 || target.cy <= 0 ||
            static_cast<uint64_t>(target.cx) * static_cast<uint64_t>(target.cy) > MaxPicturePixels)
            throw ScaleFailure(NoBitmap);
        // The bitmap comes first and the recorded failure is checked after,
        // as the scaling has always done; the check refuses before drawing.
        std::unique_ptr<Gdiplus::Bitmap> scaled = m_maker(target.cx, target.cy, source.GetPixelFormat());
        if (!scaled || scaled->GetLastStatus() != Gdiplus::Ok)
            throw ScaleFailure(NoBitmap);
        std::unique_ptr<Gdiplus::Graphics> graphics(Gdiplus::Graphics::FromImage(scaled.get()));
        if (!graphics || graphics->GetLastStatus() != Gdiplus::Ok)
            throw ScaleFailure(NoGraphics);
        if (graphics->SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic) != Gdiplus::Ok)
            throw ScaleFailure(NoInterpolation);
        if (IsKnownToFail(target))
            throw ScaleFailure(KnownToFail);
        ++m_draws;
        const Gdiplus::Rect destination(0, 0, target.cx, target.cy);
        if (graphics->DrawImage(&source, destination, 0, 0, static_cast<INT>(source.GetWidth()),
                                static_cast<INT>(source.GetHeight()), Gdiplus::UnitPixel) != Gdiplus::Ok)
            throw ScaleFailure(DrawFailed);
        return scaled;
    }
    catch (const ScaleFailure& scaling)
    {
        failure = scaling.Reason();
    }
    catch (const std::bad_alloc&)
    {
        failure = NoBitmap;
    }
    RecordFailure(target);
    return nullptr;
}
