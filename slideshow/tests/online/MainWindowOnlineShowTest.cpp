// The real main window under Xvfb showing the online galleries that the
// stand-in server serves (ctest starts it before these tests): a slide of
// each kind fetched, decrypted and shown; the held slide again after a
// restart; malformed replies ending as a status card; each session code
// given back once; a quit while the server holds its reply; and an online
// document opened in the web-document viewer.
#include "slideshow/LumivaneDlg.h"

#include "crypto/ProtectedTexts.h"
#include "filter/MediaSource.h"
#include "foundation/tests/HostileFiles.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "resources/languages/LanguageIds.h"
#include "server/ServerPages.h"
#include "server/SlideCacheFile.h"
#include "server/tests/StandIn.h"
#include "shell/core/PrivateMessages.h"
#include "shell/core/ThreadCounter.h"
#include "shell/core/tests/UiTestSupport.h"
#include "slideshow/CurrentSlideRecord.h"
#include "slideshow/DisplayArea.h"
#include "slideshow/MainWindowIds.h"
#include "slideshow/PerformanceData.h"
#include "slideshow/tests/MainWindowTestSupport.h"
#include "slideshow/tests/SlideshowTestSupport.h"
#include "standins/atl/AtlEvents.h"
#include "standins/atl/AtlHost.h"
#include "viewers/tests/DialogThreadScript.h"

#include <gtest/gtest.h>

#include <exdisp.h>
#include <exdispid.h>

#include <algorithm>
#include <array>
#include <set>
#include <sstream>

namespace
{
using namespace MainWindowTest;

std::vector<std::string> Lines(const std::string& page)
{
    std::vector<std::string> lines;
    std::istringstream text(StandIn::Control(page));
    for (std::string line; std::getline(text, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// The text of a BeforeNavigate2 argument (a BSTR, or a reference to a
// variant holding one).
std::wstring ArgumentText(const VARIANT& argument)
{
    const VARIANT* value = argument.vt == (VT_BYREF | VT_VARIANT) ? argument.pvarVal : &argument;
    return value && value->vt == VT_BSTR && value->bstrVal ? std::wstring(value->bstrVal) : std::wstring();
}

// The served names are ASCII file names.
std::string Narrow(const MString& text)
{
    const std::wstring wide = text.GetText();
    return std::string(wide.begin(), wide.end());
}

class MainWindowOnlineShow : public StandIn::Test, protected ControllerSide
{
protected:
    void SetUp() override
    {
        StandIn::Test::SetUp();
        ThreadCounterHolder.Create();
        ServerBaseAddress() = StoredServerBaseAddress();
        const DisplayAreaBlob area{150, 470, 200, 520};
        SlideshowTest::WriteRaw(DisplayAreaValueName, REG_BINARY, &area, sizeof(area));
        // The default record with the ordered display order.
        const std::array<DWORD, 9> words{1, 0xC1180000u | static_cast<DWORD>(Display_order::ByName), 1800, 60, 2,
                                         0, 0, 0, 300};
        SlideshowTest::WriteRaw(PerformanceDataValueName, REG_BINARY, words.data(),
                                static_cast<DWORD>(words.size() * sizeof(DWORD)));
        // The online source with the stand-in's gallery, stored as the
        // gallery choice stores it.
        WriteMediaSource(false);
        const wchar_t choice[] = L"1033|Demo";
        SlideshowTest::WriteRaw(SelectedOnlineGalleryValueName, REG_SZ, choice, sizeof(choice));
        SlideCacheFolder().DeleteInternetControlValues();
    }
    void TearDown() override
    {
        recorder.Clear();
        for (const wchar_t* name : {DisplayAreaValueName, PerformanceDataValueName, ElapsedTimeValueName,
                                    CurrentSlideValueName, MediaSourceValueName, SelectedOnlineGalleryValueName})
            SlideshowTest::DeleteRaw(name);
        SlideCacheFolder().DeleteInternetControlValues();
        SetEvent(exitEvent);
        WaitForWorkerThreads();
        StandIn::Test::TearDown();
    }

    // The name of the n-th slide the stand-in served ("" while fewer).
    static std::string ServedName(size_t n)
    {
        const std::vector<std::string> slides = Lines("slides");
        return slides.size() > n ? slides[n].substr(slides[n].find(' ') + 1) : std::string();
    }

    // Waits until the window shows the n-th served slide, of that kind, and
    // its cross-fade has ended.
    bool WaitForServedSlide(CLumivaneDlg& window, size_t n, SlideKind kind)
    {
        return PumpUntil(
            [&] {
                const std::string name = ServedName(n);
                return !name.empty() && window.CurrentSlideKind() == kind &&
                       std::wstring(window.CurrentSlideTitle().GetText()) == Wide(name) &&
                       !window.IsCrossFadeRunning();
            },
            120000);
    }

    // Whether the tray tooltip ever showed this text.
    bool TooltipShown(const MString& text) const
    {
        for (const ControllerRecorder::Message& m : recorder.messages)
            if (m.message == WM_TRAY_STATE && m.wParam == TrayStateTitle &&
                *reinterpret_cast<const MString*>(m.lParam) == text)
                return true;
        return false;
    }

    static bool InternetControlIs(BYTE value)
    {
        DWORD type = 0;
        std::vector<unsigned char> bytes;
        return SlideshowTest::ReadRaw(L"Internet Control", type, bytes) && bytes.size() == 1 && bytes[0] == value;
    }

    LanguageModuleScope language{LanguageEnglish};
    GdiplusScope gdiplus;
};

TEST_F(MainWindowOnlineShow, ShowsEachKindKeepsTheSlideAcrossARestartAndGivesEachCodeBackOnce)
{
    StandIn::Set("kind=picture");
    std::wstring shownLast;
    {
        CLumivaneDlg window(&link);
        ASSERT_NE(window.Create(nullptr), nullptr);
        ASSERT_TRUE(WaitForServedSlide(window, 0, OnlinePicture));
        EXPECT_TRUE(window.IsWindowVisible());
        EXPECT_TRUE(InternetControlIs(0x80));
        EXPECT_EQ(HasInternetSlideState(), 1);

        // The next slides as the user asks for them: a media item and a
        // document, each with its session code. The slide fetched ahead
        // may still be of the kind before, so the user asks until the
        // window shows one of the kind served now.
        const struct
        {
            const char* kind;
            int served;
            SlideKind shown;
        } next[] = {{"media", 2, OnlineMedia}, {"document", 3, OnlineDocument}};
        for (const auto& wanted : next)
        {
            StandIn::Set(std::string("kind=") + wanted.kind);
            DWORD asked = 0;
            ASSERT_TRUE(PumpUntil(
                [&] {
                    const std::string served =
                        std::to_string(wanted.served) + " " +
                        Narrow(window.CurrentSlideTitle());
                    const std::vector<std::string> slides = Lines("slides");
                    if (window.CurrentSlideKind() == wanted.shown && !window.IsCrossFadeRunning() &&
                        std::find(slides.begin(), slides.end(), served) != slides.end())
                        return true;
                    if (asked == 0 || GetTickCount() - asked > 8000)
                    {
                        window.PostMessage(WM_NEXT_SLIDE, StepUserNext, 1);
                        asked = GetTickCount();
                    }
                    return false;
                },
                120000))
                << wanted.kind;
        }
        StandIn::Set("kind=picture");
        // The shown time of the slide is what lets the next start resume it.
        ASSERT_TRUE(PumpUntil([&] { return window.KeepsShownTime(); }, 30000));
        shownLast = window.CurrentSlideTitle().GetText();
        window.DestroyWindow();
    }
    // The media item's code went back when the document took its place,
    // the document's when the window went; no code comes back twice, and
    // each is one the stand-in handed out. (A reply that a stopped round
    // never read leaves its code unknown to the program.)
    ASSERT_TRUE(PumpUntil([] { return Lines("cleaned").size() >= 2; }, 30000));
    std::vector<std::string> cleaned = Lines("cleaned");
    const std::vector<std::string> codes = Lines("codes");
    std::sort(cleaned.begin(), cleaned.end());
    EXPECT_EQ(std::adjacent_find(cleaned.begin(), cleaned.end()), cleaned.end());
    for (const std::string& code : cleaned)
        EXPECT_NE(std::find(codes.begin(), codes.end(), code), codes.end()) << code;

    // A restart asks for the slide the cache names (the one shown last),
    // and shows it again.
    ASSERT_TRUE(recorder.Settle());
    recorder.Clear();
    ResetEvent(mainWindowReady);
    const size_t before = Lines("slides").size();
    {
        CLumivaneDlg window(&link);
        ASSERT_NE(window.Create(nullptr), nullptr);
        ASSERT_TRUE(WaitForServedSlide(window, before, OnlinePicture));
        std::string asked;
        for (const StandIn::Request& request : StandIn::Requests())
            if (request.method == "POST")
                asked += request.Header("Velmora-LV-Item-Enumeration-Session-Start") + "/" +
                         request.Header("Velmora-LV-Item-Enumeration-Forward-Level") + " ";
        EXPECT_EQ(Wide(ServedName(before)), shownLast) << "slide requests: " << asked;
        window.DestroyWindow();
    }
}

TEST_F(MainWindowOnlineShow, AMalformedReplyEndsAsAStatusCardWithNothingChanged)
{
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    ASSERT_TRUE(WaitForServedSlide(window, 0, OnlinePicture));
    DWORD type = 0;
    std::vector<unsigned char> slideBefore;
    ASSERT_TRUE(SlideshowTest::ReadRaw(CurrentSlideValueName, type, slideBefore));

    for (const char* fault : {"wrong_framing", "bad_padding", "short_field", "prefix_overrun"})
    {
        StandIn::Set(std::string("at=slide&fault=") + fault);
        recorder.Clear();
        window.PostMessage(WM_NEXT_SLIDE, StepUserNext, 1);
        // The failure's card: a status card whose tooltip is not the
        // waiting card's.
        const MString waiting(ResId(IDS_ONLINE_SLIDE_WAITING));
        ASSERT_TRUE(PumpUntil(
            [&] {
                return window.CurrentSlideKind() == SlideStatusCard && !recorder.LastTooltip().IsEmpty() &&
                       recorder.LastTooltip() != waiting && !window.IsCrossFadeRunning();
            },
            120000))
            << fault;
        std::vector<unsigned char> slideAfter;
        ASSERT_TRUE(SlideshowTest::ReadRaw(CurrentSlideValueName, type, slideAfter)) << fault;
        EXPECT_EQ(slideAfter, slideBefore) << fault;
    }
    window.DestroyWindow();
}

TEST_F(MainWindowOnlineShow, AServedPictureTooLargeToDecodeBecomesACardAndTheNextIsShown)
{
    // A gallery of two: a real PNG of 16384 x 16384 pixels (a gigabyte
    // decoded, in 7 MB), just past the bound, then a good picture.
    GalleryTest::TempTree gallery;
    ASSERT_TRUE(HostileFiles::WriteBytes(gallery.At(L"a bomb.png"), HostileFiles::DecompressionBombPng(16384, 16384)));
    ASSERT_TRUE(GalleryTest::WritePicture(gallery.At(L"b good.png"), 200, 100));
    StandIn::Set("gallery=" + HostileFiles::OutsidePath(gallery.Path()));
    const uint64_t peakBefore = HostileFiles::PeakMemoryBytes();
    ASSERT_NE(peakBefore, 0u);
    {
        CLumivaneDlg window(&link);
        ASSERT_NE(window.Create(nullptr), nullptr);
        // The refused picture's card comes, and the show goes on with the
        // next slide (by itself, or when the user asks for it).
        const MString unreadable(sX::Format(), IDS_CARD_TOOLTIP, MString(ResId(IDS_ONLINE_SLIDE_UNREADABLE)).GetText());
        ASSERT_TRUE(PumpUntil([&] { return TooltipShown(unreadable) || !ServedName(1).empty(); }, 120000))
            << StandIn::Control("slides");
        if (ServedName(1).empty())
            window.PostMessage(WM_NEXT_SLIDE, StepUserNext, 1);
        ASSERT_TRUE(WaitForServedSlide(window, 1, OnlinePicture)) << StandIn::Control("slides");
        EXPECT_EQ(ServedName(0), "a bomb.png");
        EXPECT_EQ(ServedName(1), "b good.png");
        EXPECT_TRUE(TooltipShown(unreadable));
        EXPECT_FALSE(TooltipShown(MString(L"a bomb.png")));
        EXPECT_LT(HostileFiles::PeakMemoryBytes() - peakBefore, 256ull * 1024 * 1024);
        window.DestroyWindow();
    }
    ASSERT_TRUE(recorder.Settle());
}

TEST_F(MainWindowOnlineShow, QuitsWhileTheServerHoldsTheReply)
{
    StandIn::Set("at=slide&fault=hold");
    {
        CLumivaneDlg window(&link);
        ASSERT_NE(window.Create(nullptr), nullptr);
        ASSERT_TRUE(PumpUntil([] { return StandIn::Control("held") == "1"; }, 120000));
        // The window goes while the reply is still held: its worker, stuck
        // in the request, does not end within the stop's bound and is let go.
        window.DestroyWindow();
        EXPECT_EQ(StandIn::Control("held"), "1");
    }
    SetEvent(exitEvent);
    WaitForWorkerThreads();
    EXPECT_EQ(StandIn::Control("held"), "1");
    // The worker that was let go gets its reply now and fills the record it
    // shares with the window that has gone, while the next test runs.
    StandIn::Control("release");
}

TEST_F(MainWindowOnlineShow, AnOnlineDocumentOpensInTheWebDocumentViewerAtItsAddressWithTheSlidesCode)
{
    StandIn::Set("kind=document");
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    // The document the stand-in served (a reply released by an earlier
    // test may stand before it in the stand-in's list).
    std::string name;
    ASSERT_TRUE(PumpUntil(
        [&] {
            name = Narrow(window.CurrentSlideTitle());
            const std::vector<std::string> slides = Lines("slides");
            return window.CurrentSlideKind() == OnlineDocument && !window.IsCrossFadeRunning() &&
                   std::find(slides.begin(), slides.end(), "3 " + name) != slides.end();
        },
        120000))
        << "shown: " << window.CurrentSlideKind() << " " << name;

    // On the viewer's own thread: a listener on its browser control, then
    // the reload item, which sends the document request again. Under Wine
    // the browser sends nothing, but tells its listeners where it goes and
    // with which headers.
    bool reloadItem = false;
    std::wstring address, headers;
    DialogThreadScript script(
        [&](HWND viewer) {
            reloadItem = GetMenuState(GetSystemMenu(viewer, FALSE), 0x40, MF_BYCOMMAND) != static_cast<UINT>(-1);
            IUnknown* control = nullptr;
            if (SUCCEEDED(ATL::AtlAxGetControl(GetDlgItem(viewer, IDC_BROWSER), &control)) && control)
            {
                ATL::DispEventConnection events;
                events.Advise(control, DIID_DWebBrowserEvents2, [&](DISPID dispid, DISPPARAMS& parameters) {
                    // Arguments last first: the address at 5, the headers at 1.
                    if (dispid == DISPID_BEFORENAVIGATE2 && parameters.cArgs == 7)
                    {
                        address = ArgumentText(parameters.rgvarg[5]);
                        headers = ArgumentText(parameters.rgvarg[1]);
                    }
                    return S_OK;
                });
                SendMessageW(viewer, WM_SYSCOMMAND, 0x40, 0);
                DialogThreadScript::PumpUntil([&] { return !address.empty(); }, 30000);
                control->Release();
            }
            SendMessageW(viewer, WM_CLOSE_REQUEST, 0, 0);
        },
        window);
    window.SendMessage(WM_OPEN_VIEWER, 0, MAKELPARAM(300, 250));
    ASSERT_TRUE(script.Ran());
    // The online mode: the reload item is there, and the request goes to
    // the address the reply named.
    EXPECT_TRUE(reloadItem);
    EXPECT_EQ(address, L"http://127.0.0.1/documents/" + Wide(name));
    ASSERT_FALSE(headers.empty());

    // The same request through WinINet: the stand-in renders the document
    // and knows the code it carries as the one it handed out with the slide.
    MemoryPH<unsigned char> reply;
    const unsigned __int64 limit = 1024 * 1024;
    HttpGetToBlocks(MString(address.c_str()), MString(headers.c_str()), L"slideshow_online_tests", reply, &limit,
                    nullptr);
    const std::string page = StandIn::Text(reply);
    const std::string head = page.substr(0, page.find("<body>"));
    EXPECT_NE(head.find("<title>" + name + "</title>"), std::string::npos) << head;
    EXPECT_EQ(StandIn::Meta(head, "quillory-auth-code-known"), "yes") << head;
    const std::vector<std::string> codes = Lines("codes");
    const std::string code = StandIn::Meta(head, "quillory-auth-code");
    EXPECT_TRUE(std::find(codes.begin(), codes.end(), code) != codes.end()) << code;
    window.DestroyWindow();
}

} // namespace
