// The real main window under Xvfb showing the local gallery: a folder of real
// PNG files as the selected gallery, the first slide on screen at the
// picture's size with its path in "Current Slide", and a second run that goes
// on with the same slide and then with the file after it.
#include "slideshow/LumivaneDlg.h"

#include "filter/MediaSource.h"
#include "foundation/tests/HostileFiles.h"
#include "galleries/LocalGalleryStore.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "galleries/tests/SelectedLocalGallery.h"
#include "resources/languages/LanguageIds.h"
#include "core/PrivateMessages.h"
#include "core/ProgramObjects.h"
#include "core/ThreadCounter.h"
#include "core/tests/UiTestSupport.h"
#include "slideshow/CurrentSlideRecord.h"
#include "slideshow/DisplayArea.h"
#include "slideshow/DisplayControl.h"
#include "slideshow/MainWindowIds.h"
#include "slideshow/PerformanceData.h"
#include "slideshow/tests/MainWindowTestSupport.h"
#include "slideshow/tests/SlideshowTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace
{
using namespace MainWindowTest;

const wchar_t GalleryName[] = L"Local";

// Whether "Current Slide" is the record of that local file.
bool CurrentSlideIs(const std::wstring& path)
{
    std::vector<unsigned char> expected;
    if (!EncodeCurrentSlide(true, MString(path.c_str()), expected))
        return false;
    DWORD type = 0;
    std::vector<unsigned char> stored;
    return SlideshowTest::ReadRaw(CurrentSlideValueName, type, stored) && type == REG_BINARY && stored == expected;
}

// Each time the picture control takes a size while a cross-fade runs, what
// it draws at that moment is captured: it must fill the control.
struct ResizeWatch
{
    static ResizeWatch* active;
    CLumivaneDlg* window = nullptr;
    // Set from the cross-fade's start until its last frame is on screen.
    const std::atomic<bool>* crossFading = nullptr;
    int resizes = 0;
    int unpainted = 0;

    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && active && message->message == WM_WINDOWPOSCHANGED &&
            message->hwnd == active->window->GetDlgItem(IDC_MAIN_PICTURE) && active->crossFading->load())
        {
            ++active->resizes;
            const PictureCapture shown(*active->window);
            if (!shown.IsPaintedAll())
                ++active->unpainted;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};
ResizeWatch* ResizeWatch::active = nullptr;

class MainWindowLocalShow : public ::testing::Test, protected ControllerSide
{
protected:
    void SetUp() override
    {
        ThreadCounterHolder.Create();
        // A 320-pixel display area at (200, 150).
        StoreTestDisplayArea();
        StoreSettingsInNameOrder();

        // Three pictures, 200 x 100, as the one entry of the selected gallery,
        // stored as the gallery dialog stores it.
        for (const wchar_t* name : {L"a.png", L"b.png", L"c.png"})
        {
            files.push_back(tree.At(name));
            ASSERT_TRUE(GalleryTest::WritePicture(files.back(), 200, 100));
        }
        ASSERT_TRUE(GalleryTest::StoreSelectedLocalGallery(GalleryName, {tree.Path()}));
    }
    void TearDown() override
    {
        recorder.Clear();
        for (const wchar_t* name : {DisplayAreaValueName, PerformanceDataValueName, ElapsedTimeValueName,
                                    CurrentSlideValueName, MediaSourceValueName})
            SlideshowTest::DeleteRaw(name);
        SHDeleteKeyW(HKEY_CURRENT_USER,
                     MString(sX::Format(), L"%s\\Local Galleries", ProgramSettingsKeyPath()).GetText());
        SHDeleteKeyW(HKEY_CURRENT_USER,
                     MString(sX::Format(), L"%s\\%s", ProgramSettingsKeyPath(), DisplayControlKeyName).GetText());
        SetEvent(exitEvent);
        WaitForWorkerThreads();
    }

    // The tray tooltip of a local slide with that title.
    static std::wstring SlideTooltip(const wchar_t* title)
    {
        return MString(sX::Format(), IDS_SLIDE_TOOLTIP, title).GetText();
    }

    // Waits until the slide's record and its tooltip are there and the
    // cross-fade has ended.
    bool WaitForSlide(CLumivaneDlg& window, size_t file, const wchar_t* title)
    {
        return PumpUntil([&] {
            return CurrentSlideIs(files[file]) && !window.IsCrossFadeRunning() &&
                   std::wstring(recorder.LastTooltip().GetText()) == SlideTooltip(title);
        });
    }

    // The window's size is the 2:1 picture fitted into the area, and the
    // window lies within the area.
    void ExpectPictureSize(CLumivaneDlg& window)
    {
        const SIZE frame = window.NonClientSize();
        PictureSize expected;
        FitShownIntoSquare(static_cast<unsigned>(320 - frame.cx), 200, 100, expected);
        RECT rect = {};
        window.GetWindowRect(&rect);
        EXPECT_EQ(rect.right - rect.left, static_cast<LONG>(expected.width) + frame.cx);
        EXPECT_EQ(rect.bottom - rect.top, static_cast<LONG>(expected.height) + frame.cy);
        EXPECT_EQ(rect.right - rect.left, 320);
        EXPECT_GE(rect.left, 200);
        EXPECT_GE(rect.top, 150);
        EXPECT_LE(rect.right, 520);
        EXPECT_LE(rect.bottom, 470);
    }

    // The picture control shows the red and blue picture, drawn to its
    // edges, and not the preview card.
    static void ExpectPictureShown(CLumivaneDlg& window)
    {
        const PictureCapture shown(window);
        EXPECT_TRUE(shown.IsPaintedAll());
        EXPECT_TRUE(IsNear(shown.At(shown.Width() / 4, shown.Height() / 2), 255, 0, 0));
        EXPECT_TRUE(IsNear(shown.At(shown.Width() * 3 / 4, shown.Height() / 2), 0, 0, 255));
        EXPECT_TRUE(IsNear(shown.At(shown.Width() - 1, shown.Height() - 1), 0, 0, 255));
    }

    LanguageModuleScope language{LanguageEnglish};
    GdiplusScope gdiplus;
    GalleryTest::TempTree tree;
    std::vector<std::wstring> files;
};

TEST_F(MainWindowLocalShow, ShowsThePicturesAndGoesOnWhereTheLastRunStopped)
{
    {
        // The first run: the first file by name. The first-slide report
        // comes when its cross-fade has ended and the slide timer runs, so
        // that the time it was shown is kept at the end.
        CLumivaneDlg window(&link);
        ASSERT_NE(window.Create(nullptr), nullptr);
        ASSERT_TRUE(WaitForSlide(window, 0, L"a"));
        ASSERT_TRUE(PumpUntil([&] { return recorder.Received(WM_MAIN_WINDOW_READY, 0); }));
        EXPECT_TRUE(window.IsWindowVisible());
        ExpectPictureSize(window);
        EXPECT_TRUE(window.HasGallerySelection(true));
        EXPECT_FALSE(window.HasOtherSlides(true));
        window.DestroyWindow();
    }
    ASSERT_TRUE(recorder.Settle());
    recorder.Clear();
    ResetEvent(mainWindowReady);
    {
        // The second run shows "a" again, then the user's next file. It ends
        // while that slide fades in, so no shown time is kept for it.
        CLumivaneDlg window(&link);
        ASSERT_NE(window.Create(nullptr), nullptr);
        ASSERT_TRUE(PumpUntil([&] {
            return recorder.Received(WM_MAIN_WINDOW_READY, 0) &&
                   std::wstring(recorder.LastTooltip().GetText()) == SlideTooltip(L"a");
        }));
        EXPECT_TRUE(CurrentSlideIs(files[0]));
        ExpectPictureSize(window);

        window.PostMessage(WM_NEXT_SLIDE, StepUserNext, 1);
        ASSERT_TRUE(WaitForSlide(window, 1, L"b"));
        EXPECT_TRUE(window.HasOtherSlides(true));
        window.DestroyWindow();
    }
    ASSERT_TRUE(recorder.Settle());
    recorder.Clear();
    {
        // The third run does not show "b" again, but the walk goes on with
        // "c" instead of starting the loop afresh with "a".
        CLumivaneDlg window(&link);
        ASSERT_NE(window.Create(nullptr), nullptr);
        ASSERT_TRUE(WaitForSlide(window, 2, L"c"));
        window.DestroyWindow();
    }
}

TEST_F(MainWindowLocalShow, TheSlideComesBackWhenTheSettingsDialogCloses)
{
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    ASSERT_TRUE(WaitForSlide(window, 0, L"a"));
    ExpectPictureShown(window);

    // The dialog ends saved (0) or cancelled (1), with the size previewed
    // at the area's own side or at another.
    const struct
    {
        DWORD result;
        WPARAM previewSide;
    } cases[] = {{0, 320}, {1, 320}, {1, 240}, {0, 320}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "result " << c.result << " side " << c.previewSide);
        window.SendMessage(WM_SHOW_HIDE, ShowFlagShow | ShowFlagFinishCrossFade, ShowReasonSettings);
        window.SendMessage(WM_SET_SIDE, c.previewSide, 0);
        {
            // The preview: a square of the side with the card in it.
            RECT preview = {};
            window.GetWindowRect(&preview);
            EXPECT_EQ(preview.right - preview.left, static_cast<LONG>(c.previewSide));
            EXPECT_EQ(preview.bottom - preview.top, static_cast<LONG>(c.previewSide));
            const PictureCapture card(window);
            EXPECT_FALSE(IsNear(card.At(card.Width() / 4, card.Height() / 2), 255, 0, 0));
        }
        window.PostMessage(WM_DIALOG_CLOSED, c.result | DialogClosedWasVisible, 0);
        ASSERT_TRUE(recorder.Settle());
        ASSERT_TRUE(PumpUntil([&] { return !window.IsCrossFadeRunning(); }));
        ExpectPictureSize(window);
        ExpectPictureShown(window);
    }
    window.DestroyWindow();
}

TEST_F(MainWindowLocalShow, APictureOfAnotherShapeTakesItsSizeWithItsFrame)
{
    // "b" stands upright: from "a" the window shrinks across and grows down.
    ASSERT_TRUE(GalleryTest::WritePicture(files[1], 100, 200));
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    ASSERT_TRUE(WaitForSlide(window, 0, L"a"));

    ResizeWatch watch;
    watch.window = &window;
    watch.crossFading = &snapshot.crossFading;
    ResizeWatch::active = &watch;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &ResizeWatch::Hook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    window.PostMessage(WM_NEXT_SLIDE, StepUserNext, 1);
    const bool shown = WaitForSlide(window, 1, L"b") && PumpUntil([&] { return !snapshot.crossFading.load(); });
    UnhookWindowsHookEx(hook);
    ResizeWatch::active = nullptr;
    ASSERT_TRUE(shown);

    EXPECT_GT(watch.resizes, 3);
    EXPECT_EQ(watch.unpainted, 0) << "of " << watch.resizes;
    // The upright picture fills the area's height, within the area.
    RECT rect = {};
    window.GetWindowRect(&rect);
    const SIZE frame = window.NonClientSize();
    PictureSize expected;
    FitShownIntoSquare(static_cast<unsigned>(320 - frame.cx), 100, 200, expected);
    EXPECT_EQ(rect.bottom - rect.top, static_cast<LONG>(expected.height) + frame.cy);
    EXPECT_EQ(rect.right - rect.left, static_cast<LONG>(expected.width) + frame.cx);
    EXPECT_LE(rect.bottom, 470);
    EXPECT_LE(rect.right, 520);
    const PictureCapture picture(window);
    EXPECT_TRUE(picture.IsPaintedAll());
    window.DestroyWindow();
}

TEST_F(MainWindowLocalShow, WithTheCaptionOnThePhotoViewerShowsThePicturesTitleCard)
{
    // The picture is 2:1; the title card around it gives the viewer another
    // shape.
    std::vector<RECT> viewers;
    for (const bool caption : {false, true})
    {
        SCOPED_TRACE(testing::Message() << "caption " << caption);
        const DWORD captionBit = caption ? 0x40000u : 0u;
        const std::array<DWORD, 9> words{1, 0xC1180000u | captionBit | static_cast<DWORD>(Display_order::ByName),
                                         1800, 60, 2, 0, 0, 0, 300};
        SlideshowTest::WriteRaw(PerformanceDataValueName, REG_BINARY, words.data(),
                                static_cast<DWORD>(words.size() * sizeof(DWORD)));
        recorder.Clear();
        CLumivaneDlg window(&link);
        ASSERT_NE(window.Create(nullptr), nullptr);
        ASSERT_TRUE(WaitForSlide(window, 0, L"a"));
        RECT client = {};
        {
            UiTest::Script script([&](DWORD ui) {
                HWND viewer = UiTest::WaitForDialog(ui, window);
                if (!viewer)
                    return;
                GetClientRect(viewer, &client);
                SendMessageW(viewer, WM_CLOSE_REQUEST, 0, 0);
            });
            window.SendMessage(WM_OPEN_VIEWER, 0, MAKELPARAM(300, 250));
        }
        ASSERT_GT(client.bottom, 0);
        viewers.push_back(client);
        window.DestroyWindow();
    }
    const double plain = static_cast<double>(viewers[0].right) / viewers[0].bottom;
    const double carded = static_cast<double>(viewers[1].right) / viewers[1].bottom;
    EXPECT_NEAR(plain, 2.0, 0.05);
    EXPECT_GT(std::abs(carded - plain), 0.2) << carded;
}

TEST_F(MainWindowLocalShow, HostileFilesBesideTheGoodPicturesAreSkipped)
{
    // Between "b" and "c" by name: a real PNG of 16384 x 16384 pixels (a
    // gigabyte decoded, in 7 MB), just past the bound, a 5 GB file named .jpg
    // (sparse) and a folder link back to the gallery folder.
    ASSERT_TRUE(HostileFiles::WriteBytes(tree.At(L"b1 bomb.png"), HostileFiles::DecompressionBombPng(16384, 16384)));
    ASSERT_TRUE(HostileFiles::WriteHugeFile(tree.At(L"b2 huge.jpg"), 5ull * 1024 * 1024 * 1024));
    HostileFiles::FolderLink loop(tree.At(L"b3 loop"), tree.Path());
    ASSERT_TRUE(loop.Made());
    const uint64_t peakBefore = HostileFiles::PeakMemoryBytes();
    ASSERT_NE(peakBefore, 0u);
    {
        CLumivaneDlg window(&link);
        ASSERT_NE(window.Create(nullptr), nullptr);
        ASSERT_TRUE(WaitForSlide(window, 0, L"a"));
        window.PostMessage(WM_NEXT_SLIDE, StepUserNext, 1);
        ASSERT_TRUE(WaitForSlide(window, 1, L"b"));
        window.PostMessage(WM_NEXT_SLIDE, StepUserNext, 1);
        ASSERT_TRUE(WaitForSlide(window, 2, L"c"));
        // Neither the hostile picture nor the long file was ever held in
        // memory whole: a few slides of 200 x 100 pixels need far less.
        EXPECT_LT(HostileFiles::PeakMemoryBytes() - peakBefore, 256ull * 1024 * 1024);
        window.DestroyWindow();
    }
    ASSERT_TRUE(recorder.Settle());
}
}
