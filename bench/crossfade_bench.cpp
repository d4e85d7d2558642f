// Time of one cross-fade frame against one plain GDI+ draw of the same
// bitmap and one BitBlt of the same size (the floor: putting the pixels on
// screen at all), at 999 x 999 (the largest prepared slide) and 1920 x 1080
// (bench/crossfade.sh runs it). The frame is measured as the main window
// composes the frames of a cross-fade (at the control's own size they are
// blended directly, into the frame of the step before), as the first frame
// of a cross-fade (into new memory), and through the GDI+ drawing route
// (colour matrix, high-quality bicubic).
//   crossfade_bench.exe [runs]
// Prints the times in milliseconds (best of the runs) and, per size,
// "frame_ms_<w>x<h> <f>" and "draw_ms_<w>x<h> <d>" for the script.
#include "slideshow/SlideRendering.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace
{
// A picture with detail in every pixel, so that no drawing path can skip work.
BitmapPtr MakeSlide(int width, int height, unsigned seed)
{
    BitmapPtr slide(new Gdiplus::Bitmap(width, height, PixelFormat24bppRGB));
    Gdiplus::BitmapData data;
    Gdiplus::Rect all(0, 0, width, height);
    slide->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat24bppRGB, &data);
    for (int y = 0; y < height; ++y)
    {
        auto* row = static_cast<unsigned char*>(data.Scan0) + y * data.Stride;
        for (int x = 0; x < width * 3; ++x)
        {
            seed = seed * 1103515245u + 12345u;
            row[x] = static_cast<unsigned char>((x / 3 + y) / 12 + (seed >> 28));
        }
    }
    slide->UnlockBits(&data);
    return slide;
}

// A 24-bit DIB section selected into a memory context of its own.
class DibSurface
{
public:
    DibSurface(int width, int height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bits)
            std::fill_n(static_cast<unsigned char*>(bits), static_cast<size_t>((width * 3 + 3) & ~3) * height, 0x5A);
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~DibSurface()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;
    HDC Dc() const { return m_dc; }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};

double BestOf(int runs, const std::function<void()>& work)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double best = 1e30;
    for (int run = 0; run < runs; ++run)
    {
        QueryPerformanceCounter(&start);
        work();
        QueryPerformanceCounter(&end);
        best = std::min(best, 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                  static_cast<double>(frequency.QuadPart));
    }
    return best;
}

void Measure(int width, int height, int runs)
{
    BitmapPtr previous = MakeSlide(width, height, 1);
    BitmapPtr current = MakeSlide(width, height, 2);
    BitmapPtr target(new Gdiplus::Bitmap(width, height, PixelFormat24bppRGB));
    // The first frame of a cross-fade takes fresh memory; the main window's
    // later frames are written over the one before.
    const double firstFrame =
        BestOf(runs, [&] { ComposeCrossFadeFrame(previous.get(), current.get(), width, height, 50); });
    BitmapPtr overlay;
    unsigned progress = 100;
    const double frame = BestOf(runs, [&] {
        progress = progress > 1 ? progress - 1 : 99;
        overlay = ComposeCrossFadeFrame(previous.get(), current.get(), width, height, progress, std::move(overlay));
    });
    const double drawnFrame =
        BestOf(runs, [&] { ComposeScaledCrossFadeFrame(previous.get(), current.get(), width, height, 50); });
    const double draw = BestOf(runs, [&] {
        Gdiplus::Graphics graphics(target.get());
        graphics.DrawImage(current.get(), Gdiplus::Rect(0, 0, width, height), 0, 0, width, height,
                           Gdiplus::UnitPixel);
    });
    DibSurface from(width, height);
    DibSurface to(width, height);
    const double blit = BestOf(runs, [&] {
        BitBlt(to.Dc(), 0, 0, width, height, from.Dc(), 0, 0, SRCCOPY);
        GdiFlush();
    });
    std::printf("%dx%d cross-fade frame:         %.2f ms\n", width, height, frame);
    std::printf("%dx%d first frame (new memory): %.2f ms\n", width, height, firstFrame);
    std::printf("%dx%d frame through GDI+ draws: %.2f ms\n", width, height, drawnFrame);
    std::printf("%dx%d plain GDI+ draw:          %.2f ms\n", width, height, draw);
    std::printf("%dx%d BitBlt:                   %.2f ms\n", width, height, blit);
    std::printf("%dx%d frame over BitBlt:        %.2f\n", width, height, frame / blit);
    std::printf("frame_ms_%dx%d %.3f\n", width, height, frame);
    std::printf("draw_ms_%dx%d %.3f\n", width, height, draw);
}
}

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
    {
        std::printf("GDI+ does not start\n");
        return 1;
    }
    std::printf("best of %d runs\n", runs);
    Measure(999, 999, runs);
    Measure(1920, 1080, runs);
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
