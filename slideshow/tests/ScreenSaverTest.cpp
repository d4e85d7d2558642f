// The screen-saver windows: their layout for every mode over fake monitor
// layouts, the fit of a picture, the composed frame by its pixels, and a real
// window under Xvfb that fades in and cross-fades a new slide in.
#include "slideshow/ScreenSaverWnd.h"

#include "core/tests/UiTestSupport.h"
#include "slideshow/tests/MainWindowTestSupport.h"
#include "slideshow/tests/SlideshowTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
using SlideshowTest::FakeMonitors;

bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

std::wstring GetClassNameOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::string Describe(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// ---- Which slides are pictures ----

TEST(ScreenSaverLayout, PictureKindsAreReadFromTheBits)
{
    const struct
    {
        SlideKind kind;
        bool picture;
    } cases[] = {
        {SlideStatusCard, true}, {OnlinePicture, true}, {FilePicture, true},
        {OnlineMedia, false},    {OnlineDocument, false}, {FileMedia, false},
        {FileRichText, false},   {FileWebDocument, false},
        // The held file picture carries bit 30: shown at its own size.
        {HeldFilePicture, false}, {SlideNone, false}, {static_cast<SlideKind>(0x80000000u), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsPictureSlide(c.kind), c.picture) << std::hex << static_cast<DWORD>(c.kind);
}

// ---- The windows of every mode over fake monitor layouts ----

struct LayoutCase
{
    const char* name;
    std::vector<RECT> monitors;
    Screen_saver_mode mode;
    SlideKind kind;
    // Expected windows: area, fit, shows slides.
    std::vector<ScreenSaverWindowPlan> windows;
};

const RECT Primary = {0, 0, 1920, 1080};
const RECT RightTaller = {1920, -200, 3120, 1720};       // 1200 x 1920, portrait, above the primary's top
const RECT LeftSmaller = {-1280, 300, 0, 1324};          // 1280 x 1024, left of the primary
const RECT BothSpans = {0, -200, 3120, 1720};            // primary + right
const RECT AllThreeSpan = {-1280, -200, 3120, 1720};     // left + primary + right

const Fit_style Inside = Fit_style::FitInside;
const Fit_style Fill = Fit_style::Fill;
const Fit_style Actual = Fit_style::ActualSize;

std::vector<LayoutCase> LayoutCases()
{
    const std::vector<RECT> two = {Primary, RightTaller};
    // The primary monitor is not first in the enumeration.
    const std::vector<RECT> three = {LeftSmaller, RightTaller, Primary};
    return {
        {"off, two monitors", two, Screen_saver_mode::Off, FilePicture, {}},
        {"span fit, two", two, Screen_saver_mode::SpanFit, FilePicture, {{BothSpans, Inside, true}}},
        {"span fill, two", two, Screen_saver_mode::SpanFill, OnlinePicture, {{BothSpans, Fill, true}}},
        {"span fill, a document", two, Screen_saver_mode::SpanFill, FileRichText, {{BothSpans, Actual, true}}},
        {"span fit, three", three, Screen_saver_mode::SpanFit, FilePicture, {{AllThreeSpan, Inside, true}}},
        {"primary fit, two", two, Screen_saver_mode::PrimaryFit, FilePicture,
         {{Primary, Inside, true}, {RightTaller, Inside, false}}},
        {"primary fill, three", three, Screen_saver_mode::PrimaryFill, FilePicture,
         {{LeftSmaller, Fill, false}, {RightTaller, Fill, false}, {Primary, Fill, true}}},
        {"primary fit, media", three, Screen_saver_mode::PrimaryFit, FileMedia,
         {{LeftSmaller, Actual, false}, {RightTaller, Actual, false}, {Primary, Actual, true}}},
        {"each fit, two", two, Screen_saver_mode::EachFit, FilePicture,
         {{Primary, Inside, true}, {RightTaller, Inside, true}}},
        {"each fill, three", three, Screen_saver_mode::EachFill, SlideStatusCard,
         {{LeftSmaller, Fill, true}, {RightTaller, Fill, true}, {Primary, Fill, true}}},
        {"each fill, held file picture", two, Screen_saver_mode::EachFill, HeldFilePicture,
         {{Primary, Actual, true}, {RightTaller, Actual, true}}},
        {"each fit, one monitor", {Primary}, Screen_saver_mode::EachFit, FilePicture, {{Primary, Inside, true}}},
    };
}

TEST(ScreenSaverLayout, WindowsOfEveryModeCoverTheMonitors)
{
    for (const LayoutCase& c : LayoutCases())
    {
        SCOPED_TRACE(c.name);
        const FakeMonitors monitors(c.monitors);
        const std::vector<ScreenSaverWindowPlan> plans = PlanScreenSaverWindows(c.mode, c.kind, monitors);
        ASSERT_EQ(plans.size(), c.windows.size());
        for (size_t i = 0; i < plans.size(); ++i)
        {
            EXPECT_TRUE(SameRect(plans[i].area, c.windows[i].area))
                << i << ": " << Describe(plans[i].area) << " instead of " << Describe(c.windows[i].area);
            EXPECT_EQ(plans[i].fit, c.windows[i].fit) << i;
            EXPECT_EQ(plans[i].showsSlides, c.windows[i].showsSlides) << i;
        }
    }
}

TEST(ScreenSaverLayout, NoWindowsWithoutMonitorsOrForAnUnknownMode)
{
    FakeMonitors monitors({Primary});
    EXPECT_TRUE(PlanScreenSaverWindows(static_cast<Screen_saver_mode>(7), FilePicture, monitors).empty());
    monitors.failEnumeration = true;
    EXPECT_TRUE(PlanScreenSaverWindows(Screen_saver_mode::SpanFit, FilePicture, monitors).empty());
}

// ---- The fit of a picture ----

struct FitCase
{
    const char* name;
    Fit_style fit;
    int clientWidth, clientHeight;
    unsigned width, height;
    FitRect expected;
};

TEST(ScreenSaverFit, FitFillAndActualSize)
{
    const FitCase cases[] = {
        // Scale 9/5; drawn (802 x 602) * 9/5 = 1443.6 x 1083.6.
        {"fit inside, bars left and right", Fit_style::FitInside, 1920, 1080, 800, 600, {238, -1, 1443, 1083}},
        // Scale 12/5; the width just fits: 802 * 12/5 = 1924.8; the height overflows.
        {"fill, cut at top and bottom", Fit_style::Fill, 1920, 1080, 800, 600, {-2, -180, 1924, 1440}},
        {"actual size, centred", Fit_style::ActualSize, 1920, 1080, 800, 600, {560, 240, 800, 600}},
        {"actual size, larger than the client", Fit_style::ActualSize, 800, 600, 1000, 1000, {-100, -200, 1000, 1000}},
        // Scale 2 exactly: 2 source pixels wider and taller.
        {"enlarged to fit exactly", Fit_style::FitInside, 1920, 1080, 960, 540, {-2, -2, 1924, 1084}},
        {"same size", Fit_style::FitInside, 1920, 1080, 1920, 1080, {0, 0, 1920, 1080}},
        // Reduced: scale 1/2, no bleed.
        {"reduced", Fit_style::FitInside, 1000, 500, 2000, 1000, {0, 0, 1000, 500}},
        // Margins of 1 to 4 pixels close; 5 stay.
        {"margin 2 closes", Fit_style::ActualSize, 1000, 1000, 996, 1000, {0, 0, 1000, 1000}},
        {"margins 4 and 4.5 close", Fit_style::ActualSize, 1000, 1000, 992, 991, {0, 0, 1000, 1000}},
        {"margin 5.5 stays", Fit_style::ActualSize, 1000, 1000, 1000, 989, {0, 5, 1000, 989}},
        {"margin 5 stays", Fit_style::ActualSize, 1000, 1000, 990, 990, {5, 5, 990, 990}},
        // Equal ratios: the height's.
        {"equal ratios", Fit_style::Fill, 400, 200, 200, 100, {-2, -2, 404, 204}},
        {"no area", Fit_style::FitInside, 400, 200, 0, 100, {0, 0, 0, 0}},
    };
    for (const FitCase& c : cases)
    {
        const FitRect r = CalculateFitRect(c.fit, c.clientWidth, c.clientHeight, c.width, c.height);
        EXPECT_EQ(r.x, c.expected.x) << c.name;
        EXPECT_EQ(r.y, c.expected.y) << c.name;
        EXPECT_EQ(r.width, c.expected.width) << c.name;
        EXPECT_EQ(r.height, c.expected.height) << c.name;
    }
}

// ---- Frames by their pixels ----

class ScreenSaverFrames : public ::testing::Test
{
protected:
    static BitmapPtr Filled(int width, int height, Gdiplus::ARGB colour)
    {
        BitmapPtr bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat24bppRGB);
        Gdiplus::Graphics graphics(bitmap.get());
        graphics.Clear(Gdiplus::Color(colour));
        return bitmap;
    }
    static Gdiplus::ARGB Pixel(Gdiplus::Bitmap& bitmap, int x, int y)
    {
        Gdiplus::Color colour;
        bitmap.GetPixel(x, y, &colour);
        return colour.GetValue() | 0xFF000000;
    }

    GdiplusScope gdiplus;
};

TEST_F(ScreenSaverFrames, PictureIsComposedIntoItsFitRectangleOnBlack)
{
    const BitmapPtr picture = Filled(40, 20, 0xFFFF0000);
    // Fit inside 100 x 100: scale 5/2 (width), drawn 105 x 55 from x -2,
    // y 22 (bars above and below).
    BitmapPtr frame = ComposeScreenSaverFrame(Fit_style::FitInside, 100, 100, picture.get());
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->GetWidth(), 100u);
    EXPECT_EQ(frame->GetHeight(), 100u);
    EXPECT_EQ(Pixel(*frame, 50, 10), 0xFF000000u);
    EXPECT_EQ(Pixel(*frame, 50, 50), 0xFFFF0000u);
    EXPECT_EQ(Pixel(*frame, 0, 50), 0xFFFF0000u);
    EXPECT_EQ(Pixel(*frame, 50, 90), 0xFF000000u);

    // Actual size: a 40 x 20 block in the middle.
    frame = ComposeScreenSaverFrame(Fit_style::ActualSize, 100, 100, picture.get());
    EXPECT_EQ(Pixel(*frame, 50, 50), 0xFFFF0000u);
    EXPECT_EQ(Pixel(*frame, 25, 50), 0xFF000000u);
    EXPECT_EQ(Pixel(*frame, 50, 35), 0xFF000000u);

    // Fill: the whole frame.
    frame = ComposeScreenSaverFrame(Fit_style::Fill, 100, 100, picture.get());
    EXPECT_EQ(Pixel(*frame, 1, 1), 0xFFFF0000u);
    EXPECT_EQ(Pixel(*frame, 98, 98), 0xFFFF0000u);

    // No picture: black.
    frame = ComposeScreenSaverFrame(Fit_style::Fill, 30, 20, nullptr);
    EXPECT_EQ(Pixel(*frame, 15, 10), 0xFF000000u);
}

// ---- A real window under Xvfb ----

TEST_F(ScreenSaverFrames, WindowCoversItsAreaFadesInAndCrossFadesANewSlide)
{
    using MainWindowTest::PumpUntil;
    const BitmapPtr first = Filled(64, 48, 0xFF0000FF);
    const BitmapPtr second = Filled(64, 48, 0xFF00FF00);
    const RECT area = {20, 30, 220, 180};
    ScreenSaverWnd shows(ScreenSaverWindowPlan{area, Fit_style::Fill, true}, first.get());
    ScreenSaverWnd black(ScreenSaverWindowPlan{RECT{240, 30, 340, 130}, Fit_style::Fill, false}, first.get());
    ASSERT_TRUE(shows.Open(nullptr));
    ASSERT_TRUE(black.Open(nullptr));

    RECT client = {};
    shows.GetClientRect(&client);
    POINT origin = {0, 0};
    ClientToScreen(shows, &origin);
    EXPECT_EQ(origin.x, area.left);
    EXPECT_EQ(origin.y, area.top);
    EXPECT_EQ(client.right, area.right - area.left);
    EXPECT_EQ(client.bottom, area.bottom - area.top);
    EXPECT_TRUE(shows.IsWindowVisible());
    EXPECT_EQ(GetClassNameOf(shows), L"ScreenSaverWnd");

    ASSERT_TRUE(PumpUntil([&] { return !shows.IsFadingIn() && !black.IsFadingIn(); }));
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(shows, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 255);
    EXPECT_EQ(Pixel(*shows.Frame(), 100, 75), 0xFF0000FFu);
    EXPECT_EQ(Pixel(*black.Frame(), 50, 50), 0xFF000000u);

    // The half-way frame, then the new slide alone.
    shows.CrossFadeTo(*second);
    black.CrossFadeTo(*second);
    EXPECT_TRUE(shows.IsCrossFading());
    EXPECT_FALSE(black.IsCrossFading());
    Gdiplus::ARGB halfway = 0;
    ASSERT_TRUE(PumpUntil([&] {
        if (shows.IsCrossFading() && shows.Frame())
            halfway = Pixel(*shows.Frame(), 100, 75);
        return !shows.IsCrossFading();
    }));
    EXPECT_EQ(Pixel(*shows.Frame(), 100, 75), 0xFF00FF00u);
    EXPECT_EQ(Pixel(*black.Frame(), 50, 50), 0xFF000000u);
    // Blue to green, half and half.
    EXPECT_NEAR(static_cast<int>((halfway >> 8) & 0xFF), 128, 2);
    EXPECT_NEAR(static_cast<int>(halfway & 0xFF), 127, 2);
    shows.DestroyWindow();
    black.DestroyWindow();
}
}
