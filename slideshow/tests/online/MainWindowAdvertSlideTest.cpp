// The real main window under Xvfb with the local gallery and slide adverts
// from the stand-in server (ctest starts it before these tests): an advert
// slide opens in the photo viewer without an overlay advert of its own, while
// a picture of the gallery gets one.
#include "slideshow/LumivaneDlg.h"

#include "adverts/Adverts.h"
#include "adverts/OverlayAdverts.h"
#include "crypto/ProtectedTexts.h"
#include "filter/MediaSource.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "galleries/tests/SelectedLocalGallery.h"
#include "server/ServerPages.h"
#include "server/SlideCacheFile.h"
#include "server/tests/StandIn.h"
#include "core/PrivateMessages.h"
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

namespace
{
using namespace MainWindowTest;

class MainWindowAdvertSlide : public StandIn::Test, protected ControllerSide
{
protected:
    void SetUp() override
    {
        StandIn::Test::SetUp();
        ThreadCounterHolder.Create();
        ServerBaseAddress() = StoredServerBaseAddress();
        StoreTestDisplayArea();
        StoreSettingsInNameOrder();
        // A local gallery of two pictures, and the stand-in's gallery for
        // the online slides that come among its pictures.
        ASSERT_TRUE(GalleryTest::WritePicture(tree.At(L"a.png"), 200, 100));
        ASSERT_TRUE(GalleryTest::WritePicture(tree.At(L"b.png"), 100, 200));
        ASSERT_TRUE(GalleryTest::StoreSelectedLocalGallery(L"Local", {tree.Path()}));
        WriteMediaSource(true);
        const wchar_t choice[] = L"1033|Demo";
        SlideshowTest::WriteRaw(SelectedOnlineGalleryValueName, REG_SZ, choice, sizeof(choice));
        SlideCacheFolder().DeleteInternetControlValues();

        // Every ordinary step is an online slide, an advert.
        slideAdverts.suspendOnline = 0;
        slideAdverts.enabled = 1;
        slideAdverts.incidence = 0;
        link.slideAdverts = &slideAdverts;
        // An overlay advert at every opening of the photo viewer.
        overlay.Enabled = true;
        overlay.Incidence = 1;
        auto* advert = new Overlay_Adverts::Advert;
        advert->leading_title = L"Harbour";
        advert->auxiliary_title = L"prints";
        advert->enabled = true;
        advert->advertClass = L"Shop";
        advert->content = L"Prints of the harbour at dawn.";
        advert->url = L"http://127.0.0.1/shop";
        overlay.adverts.Append(advert);
        link.overlayAdverts = &overlay;
        link.overlayContext = &overlayContext;
    }
    void TearDown() override
    {
        recorder.Clear();
        for (const wchar_t* name : {DisplayAreaValueName, PerformanceDataValueName, ElapsedTimeValueName,
                                    CurrentSlideValueName, MediaSourceValueName, SelectedOnlineGalleryValueName})
            SlideshowTest::DeleteRaw(name);
        SHDeleteKeyW(HKEY_CURRENT_USER,
                     MString(sX::Format(), L"%s\\Local Galleries", ProgramSettingsKeyPath()).GetText());
        SHDeleteKeyW(HKEY_CURRENT_USER,
                     MString(sX::Format(), L"%s\\%s", ProgramSettingsKeyPath(), DisplayControlKeyName).GetText());
        SlideCacheFolder().DeleteInternetControlValues();
        SetEvent(exitEvent);
        WaitForWorkerThreads();
        StandIn::Test::TearDown();
    }

    // Opens the current slide in its viewer and closes it again; whether the
    // viewer placed an overlay advert (it tells the controller).
    bool ViewerPlacesAnAdvert(CLumivaneDlg& window)
    {
        recorder.Clear();
        bool opened = false;
        {
            UiTest::Script script([&](DWORD ui) {
                HWND viewer = UiTest::WaitForDialog(ui, window);
                if (!viewer)
                    return;
                opened = true;
                SendMessageW(viewer, WM_CLOSE_REQUEST, 0, 0);
            });
            window.SendMessage(WM_OPEN_VIEWER, 0, MAKELPARAM(300, 250));
        }
        EXPECT_TRUE(opened);
        EXPECT_TRUE(recorder.Settle());
        return recorder.Received(WM_OVERLAY_ADVERT_PLACED, 0);
    }

    LanguageModuleScope language{LanguageEnglish};
    GalleryTest::GdiplusScope gdiplus;
    GalleryTest::TempTree tree;
    SlideAdvertsSettings slideAdverts;
    Overlay_Adverts overlay;
    OverlayAdvertContext overlayContext;
};

TEST_F(MainWindowAdvertSlide, AnAdvertSlideGetsNoOverlayAdvertAPictureOfTheGalleryDoes)
{
    StandIn::Set("kind=picture");
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return window.CurrentSlideKind() == OnlinePicture && !window.IsCrossFadeRunning(); },
                          120000));
    EXPECT_FALSE(ViewerPlacesAnAdvert(window));

    // The user's next local slide is the gallery's picture; the user asks
    // again while the window is busy with a step.
    {
        Lock lock(slideAdverts.lock);
        slideAdverts.enabled = 0;
    }
    DWORD asked = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (window.CurrentSlideKind() == FilePicture && !window.IsCrossFadeRunning())
                return true;
            if (asked == 0 || GetTickCount() - asked > 8000)
            {
                window.PostMessage(WM_NEXT_SLIDE, StepUserNext, 0);
                asked = GetTickCount();
            }
            return false;
        },
        120000));
    EXPECT_TRUE(ViewerPlacesAnAdvert(window));
    window.DestroyWindow();
}
}
