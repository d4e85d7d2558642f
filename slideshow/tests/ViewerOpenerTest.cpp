// The main window opens the current slide in the viewer of its kind.
#include "slideshow/LumivaneDlg.h"

#include "ProgramResourceIds.h"
#include "shell/core/PrivateMessages.h"
#include "shell/core/ThreadCounter.h"
#include "shell/core/tests/UiTestSupport.h"
#include "slideshow/DisplayArea.h"
#include "slideshow/ViewerChoice.h"
#include "slideshow/tests/MainWindowTestSupport.h"
#include "slideshow/tests/SlideshowTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace
{
using namespace MainWindowTest;

TEST(ViewerChoice, ViewerForEachSlideKind)
{
    struct Case
    {
        int kind;
        SlideViewer viewer;
        bool countsOpen;
    } cases[] = {
        {0, SlideViewer::Photo, false},
        {1, SlideViewer::PhotoWithAdverts, true},
        {2, SlideViewer::OnlineDocument, true},
        {4, SlideViewer::OnlineDocument, true},
        {static_cast<int>(0x80000001u), SlideViewer::PhotoWithAdverts, false},
        {static_cast<int>(0xC0000001u), SlideViewer::PhotoWithAdverts, false},
        {static_cast<int>(0x80000002u), SlideViewer::Media, false},
        {static_cast<int>(0x80000004u), SlideViewer::RichText, false},
        {static_cast<int>(0x80000008u), SlideViewer::WebDocumentFile, false},
        {3, SlideViewer::None, false},
        {5, SlideViewer::None, false},
        {-1, SlideViewer::None, false},
        {static_cast<int>(0x80000010u), SlideViewer::None, false},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(ViewerForSlide(static_cast<SlideKind>(c.kind)), c.viewer) << std::hex << c.kind;
        EXPECT_EQ(CountsOnlineOpen(static_cast<SlideKind>(c.kind)), c.countsOpen) << std::hex << c.kind;
    }
}

class ViewerOpener : public ::testing::Test, protected ControllerSide
{
protected:
    void SetUp() override
    {
        ThreadCounterHolder.Create();
        const DisplayAreaBlob area{150, 470, 200, 520};
        SlideshowTest::WriteRaw(DisplayAreaValueName, REG_BINARY, &area, sizeof(area));
    }
    void TearDown() override
    {
        recorder.Clear();
        for (const wchar_t* name : {DisplayAreaValueName, PerformanceDataValueName, ElapsedTimeValueName})
            SlideshowTest::DeleteRaw(name);
        SetEvent(exitEvent);
        WaitForWorkerThreads();
    }

    LanguageModuleScope language{LanguageEnglish};
    GdiplusScope gdiplus;
};

TEST_F(ViewerOpener, AStatusCardOpensInThePhotoViewerOwnedByTheMainWindow)
{
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    // The window's own first step is not part of this test.
    MSG pending;
    while (PeekMessageW(&pending, window, WM_NEXT_SLIDE, WM_NEXT_SLIDE, PM_REMOVE))
    {
    }
    window.ShowStatusCard(MString(L"No gallery is selected."), IDP_STATUS_ART);
    ASSERT_TRUE(window.ShowSlide(1));
    window.FinishTransition();
    ASSERT_EQ(window.CurrentSlideKind(), SlideStatusCard);

    std::atomic<bool> ownedByMain{false};
    std::wstring title;
    UiTest::Script script([&](DWORD ui) {
        HWND viewer = UiTest::WaitForDialog(ui, window);
        if (!viewer)
            return;
        ownedByMain = true;
        title = UiTest::WindowText(viewer);
        SendMessageW(viewer, WM_CLOSE_REQUEST, 0, 0);
    });
    window.SendMessage(WM_OPEN_VIEWER, 0, MAKELPARAM(300, 250));
    EXPECT_TRUE(ownedByMain);
    // A status card has no title: the window text is the caption alone.
    EXPECT_EQ(title, std::wstring(MString(ResId(IDS_PRODUCT_CAPTION)).GetText()));
    window.DestroyWindow();
}
}
