// Time of one cross-fade frame of a 1920 x 1080 slide against one plain GDI+
// draw of the same bitmap (bench/crossfade.sh runs it).
//   crossfade_bench.exe [runs]
// Prints both times in milliseconds (best of the runs) and
// "frame_ms <f>" and "draw_ms <d>" for the script.
#include "slideshow/SlideRendering.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{
constexpr int Width = 1920;
constexpr int Height = 1080;

// A picture with detail in every pixel, so that no drawing path can skip work.
Gdiplus::Bitmap* MakeSlide(unsigned seed)
{
    auto* slide = new Gdiplus::Bitmap(Width, Height, PixelFormat24bppRGB);
    Gdiplus::BitmapData data;
    Gdiplus::Rect all(0, 0, Width, Height);
    slide->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat24bppRGB, &data);
    for (int y = 0; y < Height; ++y)
    {
        auto* row = static_cast<unsigned char*>(data.Scan0) + y * data.Stride;
        for (int x = 0; x < Width * 3; ++x)
        {
            seed = seed * 1103515245u + 12345u;
            row[x] = static_cast<unsigned char>((x / 3 + y) / 12 + (seed >> 28));
        }
    }
    slide->UnlockBits(&data);
    return slide;
}

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end, const LARGE_INTEGER& frequency)
{
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}
}

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
    {
        std::printf("GDI+ does not start\n");
        return 1;
    }
    {
        std::unique_ptr<Gdiplus::Bitmap> previous(MakeSlide(1));
        std::unique_ptr<Gdiplus::Bitmap> current(MakeSlide(2));
        std::unique_ptr<Gdiplus::Bitmap> target(new Gdiplus::Bitmap(Width, Height, PixelFormat24bppRGB));
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);

        double bestFrame = 1e30, bestDraw = 1e30;
        for (int run = 0; run < runs; ++run)
        {
            QueryPerformanceCounter(&start);
            std::unique_ptr<Gdiplus::Bitmap> frame(
                ComposeCrossFadeFrame(previous.get(), current.get(), Width, Height, 50));
            QueryPerformanceCounter(&end);
            bestFrame = std::min(bestFrame, Milliseconds(start, end, frequency));

            QueryPerformanceCounter(&start);
            {
                Gdiplus::Graphics graphics(target.get());
                graphics.DrawImage(current.get(), Gdiplus::Rect(0, 0, Width, Height), 0, 0, Width, Height,
                                   Gdiplus::UnitPixel);
            }
            QueryPerformanceCounter(&end);
            bestDraw = std::min(bestDraw, Milliseconds(start, end, frequency));
        }
        std::printf("cross-fade frame %dx%d: %.2f ms (best of %d)\n", Width, Height, bestFrame, runs);
        std::printf("plain GDI+ draw  %dx%d: %.2f ms (best of %d)\n", Width, Height, bestDraw, runs);
        std::printf("frame_ms %.3f\n", bestFrame);
        std::printf("draw_ms %.3f\n", bestDraw);
    }
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
