#include "slideshow/SlideRendering.h"

#include "foundation/SmartPtr.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>

namespace
{
unsigned LargerSide(Gdiplus::Bitmap& bitmap)
{
    return std::max(bitmap.GetWidth(), bitmap.GetHeight());
}

// GDI+ refuses bitmaps without area; a degenerate size becomes one pixel.
BitmapPtr NewBitmap(int width, int height, Gdiplus::PixelFormat format)
{
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(std::max(width, 1), std::max(height, 1), format);
    if (bitmap->GetLastStatus() != Gdiplus::Ok)
        throw MSmartPtrError();
    return bitmap;
}

void FillWhite(Gdiplus::Graphics& graphics, Gdiplus::Bitmap& bitmap)
{
    Gdiplus::SolidBrush white{Gdiplus::Color(0xFFFFFFFF)};
    graphics.FillRectangle(&white, 0, 0, static_cast<INT>(bitmap.GetWidth()), static_cast<INT>(bitmap.GetHeight()));
}

// One scaling step: the source fitted into side, in 24-bit RGB, white under
// transparent pixels (also those of a palette with transparency).
BitmapPtr ScaleOnce(unsigned side, Gdiplus::Bitmap& source)
{
    const unsigned width = source.GetWidth();
    const unsigned height = source.GetHeight();
    PictureSize size;
    FitIntoSquare(side, width, height, size);
    BitmapPtr frame = NewBitmap(static_cast<int>(size.width), static_cast<int>(size.height), PixelFormat24bppRGB);
    Gdiplus::Graphics graphics(frame.get());
    const Gdiplus::PixelFormat format = source.GetPixelFormat();
    if ((format & (PixelFormatAlpha | PixelFormatIndexed)) != 0)
        FillWhite(graphics, *frame);
    graphics.DrawImage(&source, Gdiplus::Rect(0, 0, static_cast<INT>(size.width), static_cast<INT>(size.height)), 0,
                       0, static_cast<INT>(width), static_cast<INT>(height), Gdiplus::UnitPixel);
    return frame;
}

// A frame that fills a cx x cy target exactly, in the format the frames are
// rendered in: drawing it needs no scaling, so a cross-fade of two such frames
// is a plain weighted sum of their pixels.
bool IsDrawnAtOwnSize(Gdiplus::Bitmap& frame, int cx, int cy)
{
    return cx > 0 && cy > 0 && frame.GetWidth() == static_cast<UINT>(cx) &&
           frame.GetHeight() == static_cast<UINT>(cy) && frame.GetPixelFormat() == PixelFormat24bppRGB;
}

// The bits of a bitmap, locked for as long as the object lives.
class LockedBits
{
public:
    LockedBits(Gdiplus::Bitmap& bitmap, UINT mode) : m_bitmap(bitmap)
    {
        Gdiplus::Rect all(0, 0, static_cast<INT>(bitmap.GetWidth()), static_cast<INT>(bitmap.GetHeight()));
        m_locked = bitmap.LockBits(&all, mode, PixelFormat24bppRGB, &m_data) == Gdiplus::Ok;
    }
    ~LockedBits()
    {
        if (m_locked)
            m_bitmap.UnlockBits(&m_data);
    }
    LockedBits(const LockedBits&) = delete;
    LockedBits& operator=(const LockedBits&) = delete;

    bool IsLocked() const { return m_locked; }
    BYTE* Row(UINT y) const { return static_cast<BYTE*>(m_data.Scan0) + static_cast<INT_PTR>(y) * m_data.Stride; }

private:
    Gdiplus::Bitmap& m_bitmap;
    Gdiplus::BitmapData m_data{};
    bool m_locked = false;
};

// One row of bytes: previous * (255 - alpha) + current * alpha, over 255 and
// rounded. Every sum stays below 65536, so the loop runs on 16-bit lanes
// that the compiler turns into vector instructions.
void BlendRow(const BYTE* __restrict previous, const BYTE* __restrict current, BYTE* __restrict out, UINT count,
              uint16_t alpha)
{
    const uint16_t rest = static_cast<uint16_t>(255 - alpha);
    for (UINT i = 0; i < count; ++i)
    {
        // x / 255 rounded, for x up to 255 * 255: (x + 128 + (x + 128) / 256) / 256.
        const uint16_t x = static_cast<uint16_t>(previous[i] * rest + current[i] * alpha + 128);
        out[i] = static_cast<BYTE>(static_cast<uint16_t>(x + (x >> 8)) >> 8);
    }
}

// The cross-fade of two frames of the same size without GDI+ drawing: each
// channel is the previous one and the current one weighted by the share, as
// GDI+ blends a picture drawn at that alpha over an opaque one. Answers
// nothing when the bits cannot be reached, so the caller draws instead.
BitmapPtr BlendAtOwnSize(Gdiplus::Bitmap& previous, Gdiplus::Bitmap& current, double share, BitmapPtr reuse)
{
    const UINT width = current.GetWidth();
    const UINT height = current.GetHeight();
    // Fresh memory costs more than the blend itself (every page is faulted
    // in), so the frame before is written over when it fits.
    BitmapPtr frame = reuse && reuse.get() != &previous && reuse.get() != &current &&
                              IsDrawnAtOwnSize(*reuse, static_cast<int>(width), static_cast<int>(height))
                          ? std::move(reuse)
                          : NewBitmap(static_cast<int>(width), static_cast<int>(height), PixelFormat24bppRGB);
    const LockedBits from(previous, Gdiplus::ImageLockModeRead);
    const LockedBits to(current, Gdiplus::ImageLockModeRead);
    const LockedBits out(*frame, Gdiplus::ImageLockModeWrite);
    if (!from.IsLocked() || !to.IsLocked() || !out.IsLocked())
        return nullptr;
    const uint16_t alpha = static_cast<uint16_t>(std::lround(std::min(std::max(share, 0.0), 1.0) * 255.0));
    for (UINT y = 0; y < height; ++y)
        BlendRow(from.Row(y), to.Row(y), out.Row(y), width * 3, alpha);
    return frame;
}

const Gdiplus::FontFamily* GenericSansSerifFamily()
{
    static std::once_flag once;
    static const Gdiplus::FontFamily* family = nullptr;
    std::call_once(once, [] {
        family = Gdiplus::FontFamily::GenericSansSerif();
        if (family && family->GetLastStatus() != Gdiplus::Ok)
            family = nullptr;
    });
    return family;
}
}

void FitIntoSquare(unsigned side, unsigned width, unsigned height, PictureSize& size)
{
    size = PictureSize();
    if (width == 0 || height == 0)
        return;
    const double scale = std::min(static_cast<double>(side) / height, static_cast<double>(side) / width);
    size.width = static_cast<unsigned>(width * scale);
    size.height = static_cast<unsigned>(height * scale);
    if (width < side || height < side)
    {
        const unsigned c = static_cast<unsigned>(std::ceil(scale));
        size.width += c + 1;
        size.height += c + 1;
    }
}

void FitShownIntoSquare(unsigned side, unsigned width, unsigned height, PictureSize& size)
{
    size = PictureSize();
    if (width == 0 || height == 0)
        return;
    // In whole numbers: the longer dimension takes the side exactly.
    const unsigned __int64 longer = std::max(width, height);
    const auto scaled = [&](unsigned length) {
        const unsigned __int64 fitted = static_cast<unsigned __int64>(length) * side / longer;
        return static_cast<unsigned>(std::max<unsigned __int64>(1, fitted));
    };
    size.width = scaled(width);
    size.height = scaled(height);
}

int FrameOverdraw(int cx, int cy, unsigned frameWidth, unsigned frameHeight)
{
    if (frameWidth == 0 || frameHeight == 0)
        return 0;
    if (cx <= static_cast<int>(frameWidth) && cy <= static_cast<int>(frameHeight))
        return 0;
    const double ratio = std::min(static_cast<double>(cy) / frameHeight, static_cast<double>(cx) / frameWidth);
    return static_cast<int>(std::ceil(ratio)) + 1;
}

unsigned NextCrossFadeProgress(unsigned progress, DWORD dt)
{
    unsigned step = 4;
    if (dt < 31)
        step = 1;
    else if (dt < 90)
        step = static_cast<unsigned>(dt / 20.0 - 0.5);
    return progress > step ? progress - step : 0;
}

SIZE CrossFadeWindowSize(const PictureSize& previous, const PictureSize& next, unsigned progress, int nonClientWidth,
                         int nonClientHeight)
{
    const double f = CrossFadeShare(progress);
    const int growWidth = static_cast<int>((static_cast<double>(next.width) - previous.width) * f);
    const int growHeight = static_cast<int>((static_cast<double>(next.height) - previous.height) * f);
    return SIZE{growWidth + nonClientWidth + static_cast<int>(previous.width),
                nonClientHeight + static_cast<int>(previous.height) + growHeight};
}

BitmapPtr RenderScaledFrame(unsigned side, Gdiplus::Bitmap* source)
{
    if (!source)
        throw MSmartPtrError();
    BitmapPtr first;
    BitmapPtr second;
    Gdiplus::Bitmap* from = source;
    if (side < 100 && LargerSide(*from) > 999)
    {
        first = ScaleOnce(999, *from);
        from = first.get();
    }
    if (side < 10 && LargerSide(*from) > 100)
    {
        second = ScaleOnce(100, *from);
        from = second.get();
    }
    return ScaleOnce(side, *from);
}

BitmapPtr RenderShownFrame(unsigned side, Gdiplus::Bitmap* source)
{
    BitmapPtr frame = RenderScaledFrame(side, source);
    PictureSize shown;
    FitShownIntoSquare(side, source->GetWidth(), source->GetHeight(), shown);
    const UINT frameWidth = frame->GetWidth(), frameHeight = frame->GetHeight();
    if (shown.width == 0 || shown.height == 0 || (shown.width == frameWidth && shown.height == frameHeight))
        return frame;
    const INT width = static_cast<INT>(shown.width), height = static_cast<INT>(shown.height);
    if (frameWidth >= shown.width && frameHeight >= shown.height)
    {
        // The overdrawn edge is cut off: the frame's top-left part.
        BitmapPtr cut(frame->Clone(Gdiplus::Rect(0, 0, width, height), PixelFormat24bppRGB));
        if (!cut || cut->GetLastStatus() != Gdiplus::Ok)
            throw MSmartPtrError();
        return cut;
    }
    // A frame a pixel short (its size was rounded down) is stretched over
    // the rest, so that no edge of the window stays unpainted.
    BitmapPtr filled = NewBitmap(width, height, PixelFormat24bppRGB);
    Gdiplus::Graphics graphics(filled.get());
    graphics.DrawImage(frame.get(),
                       Gdiplus::Rect(0, 0, std::max(width, static_cast<INT>(frameWidth)),
                                     std::max(height, static_cast<INT>(frameHeight))),
                       0, 0, static_cast<INT>(frameWidth), static_cast<INT>(frameHeight), Gdiplus::UnitPixel);
    return filled;
}

BitmapPtr CopyFullSize(Gdiplus::Bitmap* source)
{
    if (!source)
        throw MSmartPtrError();
    const int width = static_cast<int>(source->GetWidth());
    const int height = static_cast<int>(source->GetHeight());
    Gdiplus::PixelFormat format = source->GetPixelFormat();
    BitmapPtr copy = NewBitmap(width, height, format);
    std::unique_ptr<Gdiplus::Graphics> graphics(new Gdiplus::Graphics(copy.get()));
    if (graphics->GetLastStatus() != Gdiplus::Ok)
    {
        // Indexed and some grey formats take no drawing: the copy that the
        // screen-saver windows show would stay blank.
        format = PixelFormat32bppARGB;
        graphics.reset();
        copy = NewBitmap(width, height, format);
        graphics.reset(new Gdiplus::Graphics(copy.get()));
        FillWhite(*graphics, *copy);
    }
    else if ((format & PixelFormatAlpha) != 0)
        FillWhite(*graphics, *copy);
    graphics->DrawImage(source, Gdiplus::Rect(0, 0, width, height), 0, 0, width, height, Gdiplus::UnitPixel);
    graphics.reset();
    return copy;
}

BitmapPtr ComposeCrossFadeFrame(Gdiplus::Bitmap* previous, Gdiplus::Bitmap* current, int cx, int cy,
                                unsigned progress, BitmapPtr reuse)
{
    if (!current)
        throw MSmartPtrError();
    if (previous && IsDrawnAtOwnSize(*previous, cx, cy) && IsDrawnAtOwnSize(*current, cx, cy))
    {
        BitmapPtr blended = BlendAtOwnSize(*previous, *current, CrossFadeShare(progress), std::move(reuse));
        if (blended)
            return blended;
    }
    return ComposeScaledCrossFadeFrame(previous, current, cx, cy, progress);
}

BitmapPtr ComposeScaledCrossFadeFrame(Gdiplus::Bitmap* previous, Gdiplus::Bitmap* current, int cx, int cy,
                                      unsigned progress)
{
    if (!current)
        throw MSmartPtrError();
    Gdiplus::ColorMatrix matrix = {{{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1}}};
    matrix.m[3][3] = static_cast<Gdiplus::REAL>(CrossFadeShare(progress));
    Gdiplus::ImageAttributes attributes;
    attributes.SetColorMatrix(&matrix, Gdiplus::ColorMatrixFlagsDefault, Gdiplus::ColorAdjustTypeDefault);

    BitmapPtr frame = NewBitmap(cx, cy, PixelFormat24bppRGB);
    Gdiplus::Graphics graphics(frame.get());

    Gdiplus::Bitmap* background =
        previous && previous->GetWidth() != 0 && previous->GetHeight() != 0 ? previous : current;
    const INT backgroundWidth = static_cast<INT>(background->GetWidth());
    const INT backgroundHeight = static_cast<INT>(background->GetHeight());
    int s = FrameOverdraw(cx, cy, background->GetWidth(), background->GetHeight());
    graphics.DrawImage(background, Gdiplus::Rect(0, 0, cx + s, cy + s), 0, 0, backgroundWidth, backgroundHeight,
                       Gdiplus::UnitPixel);

    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    s = FrameOverdraw(cx, cy, current->GetWidth(), current->GetHeight());
    graphics.DrawImage(current, Gdiplus::Rect(0, 0, cx + s, cy + s), 0, 0, static_cast<INT>(current->GetWidth()),
                       static_cast<INT>(current->GetHeight()), Gdiplus::UnitPixel, &attributes);
    return frame;
}

float PreviewCardFontSize(int side)
{
    return side < 50 ? (side + (side - 10) * 2) / 13.0f : 10.0f;
}

BitmapPtr RenderPreviewCard(int side, const MStringEx<wchar_t>& text)
{
    BitmapPtr card = NewBitmap(side, side, PixelFormat24bppRGB);
    Gdiplus::Graphics graphics(card.get());

    Gdiplus::GraphicsPath path;
    path.AddRectangle(Gdiplus::Rect(0, 0, side, side));
    Gdiplus::PathGradientBrush gradient(&path);
    if (gradient.GetPointCount() >= 3)
    {
        const Gdiplus::Color colours[3] = {Gdiplus::Color(0xFFFF0000), Gdiplus::Color(0xFF00FF00),
                                           Gdiplus::Color(0xFF0000FF)};
        INT count = 3;
        gradient.SetSurroundColors(colours, &count);
    }
    graphics.FillRectangle(&gradient, 0, 0, side, side);

    const std::unique_ptr<GdiplusFont> font =
        CreateGdiplusFont(L"Arial", PreviewCardFontSize(side), Gdiplus::FontStyleRegular);
    Gdiplus::StringFormat format;
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    Gdiplus::SolidBrush black{Gdiplus::Color(0xFF000000)};
    graphics.DrawString(text.GetText(), static_cast<INT>(text.GetLength()), font->Get(),
                        Gdiplus::RectF(0, 0, static_cast<Gdiplus::REAL>(side), static_cast<Gdiplus::REAL>(side)),
                        &format, &black);
    return card;
}

GdiplusFont::GdiplusFont(const wchar_t* face, float points, int style)
{
    const Gdiplus::FontFamily* generic = GenericSansSerifFamily();
    Gdiplus::FontFamily family(face);
    const Gdiplus::FontFamily* chosen = family.GetLastStatus() == Gdiplus::Ok ? &family : generic;
    m_font.reset(new Gdiplus::Font(chosen, points, style, Gdiplus::UnitPoint));
    m_status = m_font->GetLastStatus();
    if (m_status != Gdiplus::Ok && chosen != generic && generic)
    {
        m_font.reset(new Gdiplus::Font(generic, points, style, Gdiplus::UnitPoint));
        m_status = m_font->GetLastStatus();
    }
}

std::unique_ptr<GdiplusFont> CreateGdiplusFont(const wchar_t* face, float points, int style)
{
    return std::unique_ptr<GdiplusFont>(new GdiplusFont(face, points, style));
}
