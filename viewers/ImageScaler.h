// Scales the photo viewer's composed picture to one target size with
// high-quality bicubic interpolation, and remembers the sizes at which that
// failed (as a rule for want of memory) so that none of them, nor any larger
// one, is tried again.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <functional>
#include <memory>

class ImageScaler
{
public:
    // Why a scaling failed.
    enum Failure
    {
        NoBitmap = 0,
        NoGraphics = 1,
        NoInterpolation = 2,
        DrawFailed = 3,
        KnownToFail = 5,
    };
    // Makes the target bitmap; the default asks GDI+ for one of the source's
    // pixel format. Tests put in one that runs out of memory at some size.
    using BitmapMaker = std::function<std::unique_ptr<Gdiplus::Bitmap>(INT width, INT height, Gdiplus::PixelFormat)>;

    explicit ImageScaler(BitmapMaker maker = nullptr);

    // The whole source drawn into a new bitmap of the target size; on
    // failure null, with failure set, and the size recorded as failing.
    std::unique_ptr<Gdiplus::Bitmap> Scale(Gdiplus::Bitmap& source, SIZE target, Failure& failure);

    // Whether a target size is refused without drawing.
    bool IsKnownToFail(SIZE target) const;
    // The smallest failing size recorded; both 0xFFFFFFFF for none.
    SIZE FailedSize() const { return SIZE{static_cast<LONG>(m_failedWidth), static_cast<LONG>(m_failedHeight)}; }
    // How many drawings were tried (a refused size draws nothing).
    unsigned DrawCount() const { return m_draws; }

private:
    void RecordFailure(SIZE target);

    BitmapMaker m_maker;
    DWORD m_failedWidth = 0xFFFFFFFF;
    DWORD m_failedHeight = 0xFFFFFFFF;
    unsigned m_draws = 0;
};
