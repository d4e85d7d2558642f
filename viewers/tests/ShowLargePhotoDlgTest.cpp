#include "viewers/LargePhotoCard.h"
#include "viewers/ShowLargePhotoDlg.h"

#include "foundation/Sync.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "core/ThreadCounter.h"
#include "core/tests/UiTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>

namespace
{
const Gdiplus::Color PictureColour(255, 30, 140, 220);

class PhotoViewerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (ThreadCounterHolder.IsEmpty())
            ThreadCounterHolder.Create();
        Gdiplus::Graphics graphics(&picture);
        Gdiplus::SolidBrush brush(PictureColour);
        graphics.FillRectangle(&brush, 0, 0, 300, 200);
    }

    // The viewer as the main window opens it for a picture slide, without a
    // caption.
    std::unique_ptr<CShowLargePhotoDlg> MakeViewer(bool fixedView = false, Gdiplus::Bitmap* shown = nullptr)
    {
        POINT anchor{100, 100};
        return std::make_unique<CShowLargePhotoDlg>(anchor, false, MString(L"Harbour"), MString(L""),
                                                    shown ? shown : &picture,
                                                    ViewerSlot{&viewerLock, &viewerWindow}, nullptr, fixedView,
                                                    true, nullptr, nullptr, nullptr);
    }

    static SIZE WindowSize(HWND window)
    {
        RECT rect;
        GetWindowRect(window, &rect);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }

    static bool ViewerMutexExists()
    {
        HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, DialogMutexName(L"VIEWER_CShowLargePhotoDlg").GetText());
        if (mutex)
            CloseHandle(mutex);
        return mutex != nullptr;
    }

    LanguageModuleScope language{1033};
    GdiplusScope gdiplus;
    Gdiplus::Bitmap picture{300, 200, PixelFormat32bppARGB};
    CriticalSection viewerLock;
    HWND viewerWindow = nullptr;
};

TEST_F(PhotoViewerTest, OpensAtThePictureSizeZoomsFromTheWorkersBitmapAndClosesOnEscape)
{
    auto viewer = MakeViewer();
    std::atomic<bool> sizedAtOpen{false}, zoomed{false}, repainted{false}, slotSet{false}, mutexHeld{false};
    std::atomic<LONG> zoomedWidth{0};
    UiTest::Script script([&](DWORD ui) {
        HWND window = UiTest::WaitForDialog(ui);
        if (!window)
            return;
        slotSet = [&] {
            Lock lock(viewerLock);
            return viewerWindow == window;
        }();
        mutexHeld = ViewerMutexExists();
        sizedAtOpen = UiTest::WaitUntil([&] {
            const SIZE size = WindowSize(window);
            return size.cx == 300 && size.cy == 200;
        });
        EXPECT_EQ(UiTest::WindowText(window),
                  L"Harbour - " + std::wstring(MString(ResId(IDS_PRODUCT_CAPTION)).GetText()));
        // The plus key: 100 pixels more on the shorter side, scale 3/2.
        SendMessageW(window, WM_VIEWER_KEY, VK_ADD, 0);
        zoomed = UiTest::WaitUntil([&] {
            const SIZE size = WindowSize(window);
            return size.cx == 450 && size.cy == 300;
        });
        // The window shows the new bitmap's pixels.
        RECT rect;
        GetWindowRect(window, &rect);
        repainted = UiTest::WaitUntil([&] {
            HDC screen = GetDC(nullptr);
            const COLORREF pixel = GetPixel(screen, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
            ReleaseDC(nullptr, screen);
            return pixel == RGB(30, 140, 220);
        });
        zoomedWidth = WindowSize(window).cx;
        SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    const INT_PTR result = viewer->DoModal(nullptr);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(sizedAtOpen);
    EXPECT_TRUE(zoomed);
    EXPECT_TRUE(repainted);
    EXPECT_TRUE(slotSet);
    EXPECT_TRUE(mutexHeld);
    EXPECT_EQ(zoomedWidth.load(), 450);
    // The picture on screen is the worker's: one drawing for the opening,
    // one for the zoom, at the window's size.
    EXPECT_EQ(viewer->Scaler().DrawCount(), 2u);
    EXPECT_EQ(viewer->ScaledPictureSize().cx, 450);
    EXPECT_EQ(viewer->ScaledPictureSize().cy, 300);
    EXPECT_EQ(viewerWindow, nullptr);
    viewer.reset();
    EXPECT_FALSE(ViewerMutexExists());
}

TEST_F(PhotoViewerTest, ProgramCloseRequests)
{
    DialogCloseToken.wParamToken = 0x1234;
    DialogCloseToken.lParamToken = 0x5678;
    const UINT closeMessage = RegisterWindowMessageW(CloseDialogsMessageName);
    struct Case
    {
        WPARAM wParam;
        LPARAM lParam;
        INT_PTR result;
    } cases[] = {{0, 7, 7}, {1, 0, 1}, {2, 9, 9}};
    for (const Case& c : cases)
    {
        auto viewer = MakeViewer();
        UiTest::Script script([&](DWORD ui) {
            if (HWND window = UiTest::WaitForDialog(ui))
                SendMessageW(window, WM_CLOSE_REQUEST, c.wParam, c.lParam);
        });
        EXPECT_EQ(viewer->DoModal(nullptr), c.result) << c.wParam;
    }

    // The close broadcast: another process's tokens leave the viewer open.
    auto viewer = MakeViewer();
    std::atomic<bool> stayedOpen{false};
    UiTest::Script script([&](DWORD ui) {
        HWND window = UiTest::WaitForDialog(ui);
        if (!window)
            return;
        SendMessageW(window, closeMessage, 0x1234, 0x9999);
        stayedOpen = IsWindow(window) && IsWindowVisible(window);
        SendMessageW(window, closeMessage, 0x1234, 0x5678);
    });
    EXPECT_EQ(viewer->DoModal(nullptr), 0);
    EXPECT_TRUE(stayedOpen);
}

TEST_F(PhotoViewerTest, FailedWheelZoomKeepsTheZoomOnScreenAndIsNotTriedAgain)
{
    auto viewer = MakeViewer();
    // Out of memory once, at the first bitmap of 400 pixels across or more.
    std::atomic<int> made{0};
    std::atomic<bool> failed{false};
    viewer->SetBitmapMaker([&](INT width, INT height, Gdiplus::PixelFormat format) -> std::unique_ptr<Gdiplus::Bitmap> {
        ++made;
        if (width >= 400 && !failed.exchange(true))
            return nullptr;
        return std::make_unique<Gdiplus::Bitmap>(width, height, format);
    });
    std::atomic<bool> failedOnce{false}, askedAgain{false};
    std::atomic<LONG> widthAfter{0};
    UiTest::Script script([&](DWORD ui) {
        HWND window = UiTest::WaitForDialog(ui);
        if (!window)
            return;
        SendMessageW(window, WM_VIEWER_KEY, VK_ADD, 0);
        failedOnce = UiTest::WaitUntil([&] { return made == 2; });
        // The same step again: its bitmap can be had now, but the size is
        // refused without drawing. (The wheel's failure beeps; no box.)
        SendMessageW(window, WM_VIEWER_KEY, VK_ADD, 0);
        askedAgain = UiTest::WaitUntil([&] { return made == 3; });
        // The failure's message reaches the window before this one.
        SendMessageW(window, WM_NULL, 0, 0);
        widthAfter = WindowSize(window).cx;
        SendMessageW(window, WM_CLOSE_REQUEST, 0, 3);
    });
    EXPECT_EQ(viewer->DoModal(nullptr), 3);
    EXPECT_TRUE(failedOnce);
    EXPECT_TRUE(askedAgain);
    EXPECT_EQ(widthAfter.load(), 300);
    EXPECT_EQ(viewer->Scaler().FailedSize().cx, 450);
    EXPECT_EQ(viewer->Scaler().FailedSize().cy, 300);
    EXPECT_EQ(viewer->Scaler().DrawCount(), 1u);
    EXPECT_EQ(viewer->ScaledPictureSize().cx, 300);
}

TEST_F(PhotoViewerTest, FixedViewIgnoresZoomButArrowsMoveTheWindow)
{
    auto viewer = MakeViewer(true);
    std::atomic<bool> moved{false};
    std::atomic<LONG> width{0};
    UiTest::Script script([&](DWORD ui) {
        HWND window = UiTest::WaitForDialog(ui);
        if (!window)
            return;
        RECT before;
        GetWindowRect(window, &before);
        SendMessageW(window, WM_VIEWER_KEY, VK_ADD, 0);
        SendMessageW(window, WM_VIEWER_KEY, VK_HOME, 0);
        SendMessageW(window, WM_VIEWER_KEY, VK_RIGHT, 0);
        RECT after;
        GetWindowRect(window, &after);
        moved = after.left == before.left + 100 && after.top == before.top;
        width = after.right - after.left;
        SendMessageW(window, WM_CLOSE_REQUEST, 0, 0);
    });
    viewer->DoModal(nullptr);
    EXPECT_TRUE(moved);
    EXPECT_EQ(width.load(), 300);
    EXPECT_EQ(viewer->Scaler().DrawCount(), 1u);
}

TEST_F(PhotoViewerTest, HomeShowsActualSizeWithItsTopLeftOnAMonitorAndEndTheFit)
{
    // Larger than the test display in both directions.
    Gdiplus::Bitmap large(5000, 4000, PixelFormat32bppARGB);
    auto viewer = MakeViewer(false, &large);
    std::atomic<bool> actualSize{false}, topLeftOnMonitor{false}, fitAgain{false};
    SIZE opened = {};
    UiTest::Script script([&](DWORD ui) {
        HWND window = UiTest::WaitForDialog(ui);
        if (!window)
            return;
        opened = WindowSize(window);
        SendMessageW(window, WM_VIEWER_KEY, VK_HOME, 0);
        actualSize = UiTest::WaitUntil([&] {
            const SIZE size = WindowSize(window);
            return size.cx == 5000 && size.cy == 4000;
        });
        RECT rect;
        GetWindowRect(window, &rect);
        topLeftOnMonitor = MonitorFromPoint(POINT{rect.left, rect.top}, MONITOR_DEFAULTTONULL) != nullptr;
        SendMessageW(window, WM_VIEWER_KEY, VK_END, 0);
        fitAgain = UiTest::WaitUntil([&] {
            const SIZE size = WindowSize(window);
            return size.cx == opened.cx && size.cy == opened.cy;
        });
        SendMessageW(window, WM_CLOSE_REQUEST, 0, 0);
    });
    viewer->DoModal(nullptr);
    // The fit size of the work area: the picture's aspect kept, inside it.
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const Rational fit = FitZoom(work, 5000, 4000);
    const SIZE expected = ScaledSize(fit, 5000, 4000);
    EXPECT_EQ(opened.cx, expected.cx);
    EXPECT_EQ(opened.cy, expected.cy);
    EXPECT_TRUE(actualSize);
    EXPECT_TRUE(topLeftOnMonitor);
    EXPECT_TRUE(fitAgain);
    EXPECT_EQ(viewer->Scaler().DrawCount(), 3u);
}

TEST(LargePhotoCard, NarrowPictureGetsACard600PixelsWideWithThePictureCentred)
{
    GdiplusScope gdiplus;
    Gdiplus::Bitmap picture(300, 200, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&picture);
        Gdiplus::SolidBrush brush(PictureColour);
        graphics.FillRectangle(&brush, 0, 0, 300, 200);
    }
    const CaptionCardLayout layout = LayOutCaptionCard(300, 1.0);
    EXPECT_EQ(layout.cardWidth, 600);
    EXPECT_EQ(layout.pictureX, 150);
    EXPECT_EQ(layout.textWidth, 570);
    // At half size the text width is measured in picture pixels.
    EXPECT_EQ(LayOutCaptionCard(2000, 0.5).textWidth, 1940);

    auto card = ComposeViewerPicture(picture, 1.0, true, MString(L"Harbour"), MString(L"Boats at dawn."));
    ASSERT_TRUE(card);
    EXPECT_EQ(card->GetWidth(), 600u);
    EXPECT_GT(card->GetHeight(), 200u + 30u);
    Gdiplus::Color pixel;
    card->GetPixel(300, 100, &pixel);
    EXPECT_EQ(pixel.GetValue(), PictureColour.GetValue());
    card->GetPixel(20, 100, &pixel);
    EXPECT_EQ(pixel.GetValue(), 0xFFFFFFFFu);

    auto plain = ComposeViewerPicture(picture, 1.0, false, MString(L"Harbour"), MString(L"Boats at dawn."));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->GetWidth(), 300u);
    EXPECT_EQ(plain->GetHeight(), 200u);
}
}
