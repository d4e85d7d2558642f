// The real main window under Xvfb showing the online galleries that the
// stand-in server serves (started for this program): a slide of
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
#include "core/PrivateMessages.h"
#include "core/ThreadCounter.h"
#include "core/tests/UiTestSupport.h"
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
        StoreTestDisplayArea();
        StoreSettingsInNameOrder();
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

    // The user asks for the next slide, and the step ends as the failure's
    // card: a status card whose tooltip is not the waiting card's.
    bool NextSlideEndsAsAFailureCard(CLumivaneDlg& window)
    {
        recorder.Clear();
        window.PostMessage(WM_NEXT_SLIDE, StepUserNext, 1);
        const MString waiting(ResId(IDS_ONLINE_SLIDE_WAITING));
        return PumpUntil(
            [&] {
                return window.CurrentSlideKind() == SlideStatusCard && !recorder.LastTooltip().IsEmpty() &&
                       recorder.LastTooltip() != waiting && !window.IsCrossFadeRunning();
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
        // The held online state answers that another slide can come.
        EXPECT_TRUE(PumpUntil([&] { return snapshot.otherSlides.load(); }, 30000));
        // The slide-properties window lists the fixed rows and then the
        // content properties of the slide's properties text.
        MList<ContentPropertyRow> rows;
        window.CurrentSlidePropertyRows(rows);
        std::vector<std::string> labels;
        for (unsigned __int64 i = 0; i < rows.GetCount(); ++i)
            labels.push_back(Narrow(rows.GetAt(i)->label));
        // Four fixed rows, the stand-in's three content properties, the credits.
        const std::vector<std::string> content(labels.begin() + std::min<size_t>(4, labels.size()), labels.end());
        EXPECT_EQ(content, (std::vector<std::string>{"Position", "File size", "Source",
                                                     Narrow(MString(ResId(IDS_CONTENT_ROW_LAST)))}));
        if (rows.GetCount() == 8)
        {
            EXPECT_NE(Narrow(rows.GetAt(4)->value).find(" of "), std::string::npos) << Narrow(rows.GetAt(4)->value);
            EXPECT_FALSE(rows.GetAt(4)->flag);
            EXPECT_TRUE(rows.GetAt(6)->flag) << "the source is a link";
            EXPECT_EQ(Narrow(rows.GetAt(6)->value).rfind("http://127.0.0.1/?entry=", 0), 0u);
        }

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
        ASSERT_TRUE(NextSlideEndsAsAFailureCard(window)) << fault;
        std::vector<unsigned char> slideAfter;
        ASSERT_TRUE(SlideshowTest::ReadRaw(CurrentSlideValueName, type, slideAfter)) << fault;
        EXPECT_EQ(slideAfter, slideBefore) << fault;
    }
    window.DestroyWindow();
}

// A server whose certificate WinINet refuses: the step ends as the failure's
// status card, the slide on screen stays the current slide, and nothing of
// the session (no request, so no key or code) reached the server.
TEST_F(MainWindowOnlineShow, ARefusedCertificateEndsAsAStatusCardBeforeAnythingIsSent)
{
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    ASSERT_TRUE(WaitForServedSlide(window, 0, OnlinePicture));
    DWORD type = 0;
    std::vector<unsigned char> slideBefore;
    ASSERT_TRUE(SlideshowTest::ReadRaw(CurrentSlideValueName, type, slideBefore));

    for (const StandIn::RefusedCertificate& refused : StandIn::RefusedCertificates())
    {
        StandIn::Reset();
        StandIn::Set(std::string("certificate=") + refused.name);
        ASSERT_TRUE(NextSlideEndsAsAFailureCard(window)) << refused.name;
        std::vector<unsigned char> slideAfter;
        ASSERT_TRUE(SlideshowTest::ReadRaw(CurrentSlideValueName, type, slideAfter)) << refused.name;
        EXPECT_EQ(slideAfter, slideBefore) << refused.name;
        StandIn::ExpectRefusedBeforeAnyRequest(refused.name);
        EXPECT_TRUE(StandIn::Requests().empty()) << refused.name;
        EXPECT_TRUE(Lines("slides").empty()) << refused.name;
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
                PumpUntil([&] { return !address.empty(); }, 30000);
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
    EXPECT_EQ(address, StandIn::Page(L"documents/" + Wide(name)));
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

// The requests the stand-in recorded for a page ("get-pk.aspx", ...).
std::vector<StandIn::Request> RequestsOf(const std::string& page, const std::string& method = "")
{
    std::vector<StandIn::Request> found;
    for (const StandIn::Request& request : StandIn::Requests())
        if (request.path.find(page) != std::string::npos && (method.empty() || request.method == method))
            found.push_back(request);
    return found;
}

// A fresh install: the online source without a chosen gallery. Nothing goes
// to the server until a gallery is chosen; the card says why.
TEST_F(MainWindowOnlineShow, NothingGoesToTheServerWhileNoGalleryIsChosen)
{
    SlideshowTest::DeleteRaw(SelectedOnlineGalleryValueName);
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    const MString card(sX::Format(), IDS_CARD_TOOLTIP, MString(ResId(IDS_CARD_NO_ONLINE_GALLERY)).GetText());
    ASSERT_TRUE(PumpUntil(
        [&] {
            return window.CurrentSlideKind() == SlideStatusCard && recorder.LastTooltip() == card &&
                   !window.IsCrossFadeRunning();
        },
        60000));
    EXPECT_FALSE(snapshot.otherSlides.load()) << "no other slide without a gallery";
    // The user asks for a slide: there is still nothing to ask the server for.
    window.PostMessage(WM_NEXT_SLIDE, StepUserNext, 1);
    ASSERT_TRUE(recorder.Settle());
    EXPECT_EQ(recorder.LastTooltip(), card);

    // A gallery is chosen: its first slide comes through one exchange.
    const wchar_t choice[] = L"1033|Demo";
    SlideshowTest::WriteRaw(SelectedOnlineGalleryValueName, REG_SZ, choice, sizeof(choice));
    window.PostMessage(WM_SELECTION_CHANGED, 0, SelectionChangedOnline);
    ASSERT_TRUE(WaitForServedSlide(window, 0, OnlinePicture));
    const std::vector<StandIn::Request> posts = RequestsOf("get-slide.aspx", "POST");
    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(posts[0].Header("Velmora-LV-Gallery-Name").empty(), false) << "the first slide request names the gallery";
    EXPECT_EQ(RequestsOf("get-pk.aspx").size(), posts.size()) << "no exchange before the gallery was chosen";
    window.DestroyWindow();
}

// A round that fails (here the server's message in place of a slide) leaves
// one card: it stays while the show asks again, and the show asks again only
// when the slide interval has passed.
TEST_F(MainWindowOnlineShow, AShowWithNothingToShowKeepsOneCardAndAsksAgainAtTheSlideInterval)
{
    // Slides of 30 s (no whole minutes).
    const std::array<DWORD, 9> words{1, 0xC1000000u | static_cast<DWORD>(Display_order::ByName), 30, 10, 2,
                                     0, 0, 0, 300};
    SlideshowTest::WriteRaw(PerformanceDataValueName, REG_BINARY, words.data(),
                            static_cast<DWORD>(words.size() * sizeof(DWORD)));
    StandIn::Set("at=slide&fault=message");
    const MString failure(sX::Format(), IDS_CARD_TOOLTIP, Wide("The server does not serve this program now.").c_str());
    const MString waiting(ResId(IDS_ONLINE_SLIDE_WAITING));
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return recorder.LastTooltip() == failure && !window.IsCrossFadeRunning(); }, 120000));
    const ULONGLONG failed = GetTickCount64();
    const size_t asked = RequestsOf("get-slide.aspx", "POST").size();
    recorder.Clear();
    // The next request, and the card of its failure again.
    ASSERT_TRUE(PumpUntil([&] { return RequestsOf("get-slide.aspx", "POST").size() > asked; }, 180000));
    const ULONGLONG askedAgain = GetTickCount64();
    ASSERT_TRUE(PumpUntil([&] { return recorder.LastTooltip() == failure; }, 120000));
    EXPECT_GE(askedAgain - failed, 25000u) << "asked again before the slide interval had passed";
    for (const ControllerRecorder::Message& m : recorder.messages)
    {
        if (m.message == WM_TRAY_STATE && m.wParam == TrayStateTitle)
        {
            EXPECT_NE(*reinterpret_cast<const MString*>(m.lParam), waiting) << "the card turned to the waiting card";
        }
    }
    EXPECT_EQ(window.CurrentSlideKind(), SlideStatusCard);
    window.DestroyWindow();
}

// An online document without its address cannot be opened: the user is told
// so instead of nothing happening.
TEST_F(MainWindowOnlineShow, AnOnlineDocumentWithoutItsAddressSaysItCannotBeShown)
{
    StandIn::Set("kind=document&at=slide&fault=no_address");
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    ASSERT_TRUE(PumpUntil(
        [&] { return window.CurrentSlideKind() == OnlineDocument && !window.IsCrossFadeRunning(); }, 120000));
    std::wstring said;
    DialogThreadScript script(
        [&](HWND box) {
            wchar_t text[512] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 512);
            said = text;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        },
        window);
    window.SendMessage(WM_OPEN_VIEWER, 0, MAKELPARAM(300, 250));
    ASSERT_TRUE(script.Ran());
    const MString expected(sX::Format(), IDS_ONLINE_DOCUMENT_FAILED, window.CurrentSlideTitle().GetText());
    EXPECT_EQ(said, std::wstring(expected.GetText()));
    window.DestroyWindow();
}

// The session code of the shown slide goes back to the server when the
// window goes, before its destruction ends: also while the worker waits on
// a reply the server holds.
TEST_F(MainWindowOnlineShow, TheShownSlidesCodeGoesBackWhenTheWindowGoes)
{
    for (const bool held : {false, true})
    {
        // A fresh start on both sides: no cache the stand-in would not know.
        StandIn::Reset();
        SlideCacheFolder().DeleteInternetControlValues();
        SlideshowTest::DeleteRaw(CurrentSlideValueName);
        StandIn::Set("kind=media");
        std::string code;
        {
            CLumivaneDlg window(&link);
            ASSERT_NE(window.Create(nullptr), nullptr);
            ASSERT_TRUE(PumpUntil(
                [&] { return window.CurrentSlideKind() == OnlineMedia && !window.IsCrossFadeRunning(); }, 120000))
                << held;
            if (held)
            {
                // The next round's reply is held; the user asks until one is.
                StandIn::Set("at=slide&fault=hold");
                DWORD asked = GetTickCount();
                ASSERT_TRUE(PumpUntil(
                    [&] {
                        if (GetTickCount() - asked > 10000)
                        {
                            window.PostMessage(WM_NEXT_SLIDE, StepUserNext, 1);
                            asked = GetTickCount();
                        }
                        return StandIn::Control("held") == "1";
                    },
                    120000));
                ASSERT_TRUE(PumpUntil([&] { return !window.IsCrossFadeRunning(); }, 30000));
            }
            // The code handed out with the slide shown.
            ASSERT_EQ(window.CurrentSlideKind(), OnlineMedia);
            const std::string shown = "2 " + Narrow(window.CurrentSlideTitle());
            for (const std::string& line : Lines("issued"))
                if (line.size() > shown.size() && line.compare(line.size() - shown.size(), shown.size(), shown) == 0)
                    code = line.substr(0, line.find(' '));
            ASSERT_FALSE(code.empty()) << shown;
            window.DestroyWindow();
        }
        const std::vector<std::string> cleaned = Lines("cleaned");
        EXPECT_NE(std::find(cleaned.begin(), cleaned.end(), code), cleaned.end()) << (held ? "held " : "") << code;
        StandIn::Control("release");
    }
}

// The colour at the middle of the picture control as the screen shows it.
COLORREF ShownColourAtMiddle(HWND window)
{
    const HWND picture = GetDlgItem(window, IDC_MAIN_PICTURE);
    RECT client = {};
    GetClientRect(picture, &client);
    HDC dc = GetDC(picture);
    const COLORREF colour = GetPixel(dc, client.right / 2, client.bottom / 2);
    ReleaseDC(picture, dc);
    return colour;
}

// An EXIF-turned JPEG that arrives as an online slide right after a status
// card shows its picture, turned upright.
TEST_F(MainWindowOnlineShow, AnExifTurnedPictureAfterAStatusCardShowsUpright)
{
    StandIn::Set("at=slide&fault=message");
    const MString failure(sX::Format(), IDS_CARD_TOOLTIP, Wide("The server does not serve this program now.").c_str());
    CLumivaneDlg window(&link);
    ASSERT_NE(window.Create(nullptr), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return recorder.LastTooltip() == failure && !window.IsCrossFadeRunning(); }, 120000));
    StandIn::Set(std::string("fault=&kind=picture&gallery=") + SLIDESHOW_FIXTURES_DIR);
    window.PostMessage(WM_NEXT_SLIDE, StepUserNext, 1);
    ASSERT_TRUE(PumpUntil(
        [&] { return window.CurrentSlideKind() == OnlinePicture && !window.IsCrossFadeRunning(); }, 120000));
    ASSERT_TRUE(recorder.Settle());
    EXPECT_EQ(Narrow(window.CurrentSlideTitle()), "oriented-ii.jpg");
    RECT area = {};
    ::GetClientRect(GetDlgItem(window, IDC_MAIN_PICTURE), &area);
    // Turned upright the 48 x 32 picture stands taller than wide.
    EXPECT_GT(area.bottom, area.right) << area.right << " x " << area.bottom;
    const COLORREF middle = ShownColourAtMiddle(window);
    EXPECT_NE(middle, RGB(0, 0, 0)) << std::hex << middle;
    window.DestroyWindow();
}

} // namespace
