// Online slides end to end against the stand-in: the request headers, the
// three layers of the reply, the cache it leaves, the session codes and
// their Clean Up, each malformed reply the stand-in can send, and the stop.
#include "StandIn.h"

#include "foundation/Handle.h"
#include "server/GetSlideHeaders.h"
#include "server/GetSlideReply.h"
#include "server/KeyPairSupply.h"
#include "server/ReceivedSlide.h"
#include "server/SlideDownloadWorker.h"
#include "core/PrivateMessages.h"
#include "core/ThreadCounter.h"
#include "core/tests/UiTestSupport.h"

#include <sstream>
#include <thread>

namespace
{
std::vector<std::string> Lines(const std::string& page)
{
    std::vector<std::string> lines;
    std::istringstream text(StandIn::Control(page));
    for (std::string line; std::getline(text, line);)
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

class OnlineSlide : public StandIn::Test
{
protected:
    void SetUp() override
    {
        StandIn::Test::SetUp();
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_cache = SlideCacheFolder(MStringEx<wchar_t>(sX::Format(), L"%sonline-slide-%u", temp, GetTickCount()));
        m_record.galleryName = L"Demo";
        m_record.displayOrder = DisplayOrderOrdered;
        m_record.forwardLevel = -2;
        m_record.sessionStart = 1;
    }
    void TearDown() override
    {
        m_record.authCode.Clear();
        m_cache.DeleteInternetControlValues();
        StandIn::Test::TearDown();
    }

    FetchOutcome Fetch(HANDLE stop = nullptr)
    {
        return FetchOnlineSlide(m_record, false, MemoryPH<unsigned char>(), stop, m_cache);
    }

    SlideCacheFolder m_cache{MStringEx<wchar_t>(L"")};
    OnlineSlideRecord m_record;
};

TEST_F(OnlineSlide, PictureMediaAndDocumentSlidesArrive)
{
    struct Case
    {
        const char* kind;
        int state;
    } cases[] = {{"picture", OnlineStatePicture}, {"media", OnlineStateMedia}, {"document", OnlineStateDocument}};
    for (const Case& c : cases)
    {
        StandIn::Set(std::string("kind=") + c.kind);
        ASSERT_EQ(Fetch(), FetchOutcome::Delivered) << c.kind << " status " << std::hex << m_record.status;
        EXPECT_EQ(m_record.state, c.state) << c.kind;
        EXPECT_GT(m_record.content.GetCount(), 100u) << c.kind;
        EXPECT_EQ(m_record.displayFlag, 0) << c.kind << ": flag 0x80";
        EXPECT_EQ(m_record.firstText.IsEmpty(), c.state == OnlineStatePicture) << c.kind;
        EXPECT_EQ(m_record.authCode.IsEmpty(), c.state == OnlineStatePicture) << c.kind;
        EXPECT_NE(std::wstring(m_record.secondText.GetText()).find(SlidePropertiesMarker), std::wstring::npos);
        // The content is the gallery entry itself: a PNG of the demo gallery.
        EXPECT_EQ(std::string(reinterpret_cast<char*>(m_record.content.GetData()) + 1, 3), "PNG") << c.kind;
        m_record.sessionStart = 0;

        // The hand-over makes the pending cache current and keeps the code.
        ReceivedSlide slide;
        inet_authentication_data shown;
        const bool hadCode = !m_record.authCode.IsEmpty();
        SaveInternetControlState(m_record, slide, shown, m_cache);
        EXPECT_EQ(slide.displayedKind, c.state == OnlineStateDocument ? DisplayedOnlineDocument : c.state);
        EXPECT_EQ(m_cache.HasInternetSlideState(), 1) << c.kind;
        EXPECT_FALSE(slide.properties.title.IsEmpty());
        EXPECT_FALSE(slide.properties.credits.IsEmpty());
        EXPECT_EQ(slide.properties.windowFrame, FrameStyleFrame);
        EXPECT_EQ(shown.IsEmpty(), !hadCode);
        EXPECT_EQ(m_record.state, OnlineStateIdle);
        shown.Clear();
    }
    // Each request after the first carried the cache of the one before it,
    // which the stand-in checks; the ordered walk went through the entries.
    const std::vector<std::string> slides = Lines("slides");
    ASSERT_EQ(slides.size(), 3u);
    EXPECT_NE(slides[0].substr(2), slides[1].substr(2));
}

TEST_F(OnlineSlide, RequestHeadersInOrder)
{
    ASSERT_EQ(Fetch(), FetchOutcome::Delivered) << std::hex << m_record.status;
    const std::vector<StandIn::Request> requests = StandIn::Requests();
    const StandIn::Request& post = requests.back();
    ASSERT_EQ(post.method, "POST");
    EXPECT_EQ(post.Header("Velmora-LV-Internet-Get-Slide-Version"), "5");
    EXPECT_EQ(post.Header("Velmora-LV-Item-Enumeration-Forward-Level"), "-2");
    EXPECT_EQ(post.Header("Velmora-LV-Item-Enumeration-Session-Start"), "TRUE");
    EXPECT_EQ(post.Header("Velmora-LV-Item-Enumeration-Type"), "ordered");
    EXPECT_EQ(post.Header("Velmora-LV-Content-Type"), "Information");
    EXPECT_EQ(post.Header("Velmora-LV-Gallery-Name"), "440065006D006F00");
    EXPECT_EQ(post.Header("Velmora-LV-Gallery-Language"), "1033");
    EXPECT_EQ(post.Header("Velmora-LV-Product-Name"), "5100750069006C006C006F0072007900");
    const std::string key = post.Header("Velmora-LV-Client-PC-PK");
    ASSERT_GT(key.size(), 6u);
    const int n = std::stoi(std::string{key[key.size() - 5], key[key.size() - 3], key[key.size() - 1]});
    EXPECT_GE(n, 10);
    EXPECT_LE(n, 25);
}

TEST_F(OnlineSlide, HeaderValuesOfTheRecord)
{
    OnlineSlideRecord record;
    record.displayOrder = 0;
    record.forwardLevel = -1;
    HeaderList session;
    session.Add(L"V", L"1");
    session.Add(L"Q", L"S1");
    const HeaderList headers = BuildGetSlideHeaders(record, L"AB", session, true, L"C:\\no such folder");
    EXPECT_EQ(session.GetCount(), 0u) << "the session's pairs are moved";
    ASSERT_EQ(headers.GetCount(), 17u) << "no gallery pair without a gallery";
    EXPECT_STREQ(headers.GetValue(L"Velmora-LV-Item-Enumeration-Type").GetText(), L"random");
    EXPECT_STREQ(headers.GetValue(L"Velmora-LV-Content-Type").GetText(), L"Advert");
    EXPECT_STREQ(headers.GetValue(L"Velmora-LV-Item-Enumeration-Session-Start").GetText(), L"FALSE");
    EXPECT_STREQ(headers.GetAt(16)->first.GetText(), L"Q");
    HeaderList duplicate;
    duplicate.Add(L"Velmora-LV-Content-Type", L"x");
    EXPECT_THROW(BuildGetSlideHeaders(record, L"AB", duplicate, false, L"C:\\no such folder"), DictionaryException);
    EXPECT_STREQ(ClientKeyHeaderValue(MemoryPH<unsigned char>(1, 0xAB), 10).GetText(), L"AB303130");
}

TEST_F(OnlineSlide, PrivateViewFile)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const MStringEx<wchar_t> folder(temp);
    const MStringEx<wchar_t> path = folder + MStringEx<wchar_t>(L"\\Quillory - private gallery view secret.txt");
    struct Case
    {
        std::string file;
        std::wstring value;
    } cases[] = {{"  secret \r\n", L"736563726574"}, {std::string(1, '\0') + "x", L""},
                 {std::string(2500, 'a'), L""}};
    for (Case& c : cases)
    {
        if (c.file.size() == 2500) // only the first 2000 bytes count
            for (int i = 0; i < 2000; ++i)
                c.value += L"61";
        MemoryPH<unsigned char> bytes(c.file.size());
        std::memcpy(bytes.GetData(), c.file.data(), c.file.size());
        ASSERT_TRUE(bytes.WriteFile(path.GetText(), FILE_ATTRIBUTE_NORMAL, nullptr));
        HeaderList headers;
        headers.Add(L"Z", L"1");
        headers.Add(L"A", L"2");
        AddPrivateGalleryViewHeader(headers, folder);
        AddPrivateGalleryViewHeader(headers, folder);
        ASSERT_EQ(headers.GetCount(), 3u);
        EXPECT_STREQ(headers.GetAt(1)->first.GetText(), PrivateGalleryViewHeader) << "descending order of names";
        EXPECT_EQ(std::wstring(headers.GetAt(1)->second.GetText()), c.value);
    }
    DeleteFileW(path.GetText());
}

TEST_F(OnlineSlide, MalformedRepliesEndAsFailuresWithNothingChanged)
{
    // A held session and cache to keep: a media slide first.
    StandIn::Set("kind=media");
    ASSERT_EQ(Fetch(), FetchOutcome::Delivered) << std::hex << m_record.status;
    ReceivedSlide slide;
    inet_authentication_data held;
    SaveInternetControlState(m_record, slide, held, m_cache);
    const MemoryPH<unsigned char> heldCode(held);
    m_record.authCode.Assign(held); // what the record held before the round
    held.Clear();

    struct Case
    {
        const char* fault;
        unsigned status;
        bool cacheKept;
    } cases[] = {
        {"wrong_framing", OnlineStatusMalformed | ReplyFieldsDoNotFit, false},
        {"trailing_byte", OnlineStatusMalformed | ReplyFieldsDoNotFit, false},
        {"short_field", OnlineStatusMalformed | ReplyFieldsDoNotFit, false},
        {"prefix_overrun", OnlineStatusMalformed | ReplyShorterThanPrefix, false},
        {"wrong_kind", OnlineStatusMalformed | ReplyWrongKind, false},
        {"bad_flag", OnlineStatusMalformed | ReplyWrongFlag, false},
        {"empty_payload", OnlineStatusMalformed | ReplyEmptyCachePayload, false},
        {"message", OnlineStatusMalformed | ReplyServerMessage, false},
        {"bad_padding", OnlineStatusCryptFailure, true},
    };
    for (const Case& c : cases)
    {
        StandIn::Set(std::string("at=slide&kind=media&fault=") + c.fault);
        const bool cacheBefore = m_cache.HasInternetSlideState() == 1;
        EXPECT_EQ(Fetch(), FetchOutcome::Failed) << c.fault;
        EXPECT_EQ(m_record.state, OnlineStateFailed) << c.fault;
        EXPECT_EQ(m_record.status, c.status) << c.fault << std::hex << " " << m_record.status;
        EXPECT_TRUE(m_record.authCode.Equals(heldCode)) << c.fault << ": the held code stays";
        EXPECT_TRUE(m_record.content.IsEmpty()) << c.fault;
        if (cacheBefore)
        {
            EXPECT_EQ(m_cache.HasInternetSlideState() == 1, c.cacheKept) << c.fault;
        }
        if (std::string(c.fault) == "message")
        {
            EXPECT_FALSE(m_record.secondText.IsEmpty());
        }
        // Put the cache back for the next case (the stand-in knows it).
        if (!c.cacheKept)
        {
            StandIn::Set("fault=&kind=picture");
            OnlineSlideRecord fresh;
            ASSERT_EQ(FetchOnlineSlide(fresh, false, MemoryPH<unsigned char>(), nullptr, m_cache),
                      FetchOutcome::Delivered);
            ASSERT_TRUE(m_cache.Commit());
            StoreInternetControlValue(InternetControlHeld);
        }
    }
    EXPECT_TRUE(Lines("cleaned").empty()) << "no Clean Up for a reply that failed";
}

// A request that fails in the transport, by a system call or by its own
// checks (a reply above the size limit), is recorded as a failed request:
// the transport's program codes are no answers of the server.
TEST_F(OnlineSlide, AFailedRequestIsRecordedAsAFailedRequest)
{
    // The server key's reply runs past the exchange's size limit.
    StandIn::Set("at=pk&fault=oversize");
    EXPECT_EQ(Fetch(), FetchOutcome::Failed);
    EXPECT_EQ(m_record.state, OnlineStateFailed);
    EXPECT_EQ(m_record.status, OnlineStatusRequestFailed) << std::hex << m_record.status;
    EXPECT_EQ(m_record.errorDetail, 0);
}

TEST_F(OnlineSlide, OldCodeIsCleanedUpOnceWhenANewOneArrives)
{
    StandIn::Set("kind=media");
    ASSERT_EQ(Fetch(), FetchOutcome::Delivered);
    ASSERT_EQ(Lines("codes").size(), 1u);
    const std::string first = Lines("codes")[0];
    m_cache.Commit();
    ASSERT_EQ(Fetch(), FetchOutcome::Delivered);
    // The synchronous Clean Up of the old code ended before the new one was kept.
    ASSERT_EQ(Lines("cleaned").size(), 1u);
    EXPECT_EQ(Lines("cleaned")[0], first);
    m_cache.Commit();
    // A picture reply gives the held code back and keeps none.
    StandIn::Set("kind=picture");
    ASSERT_EQ(Fetch(), FetchOutcome::Delivered);
    EXPECT_TRUE(m_record.authCode.IsEmpty());
    EXPECT_EQ(Lines("cleaned").size(), 2u);
    for (const std::string& line : Lines("cleaned"))
        EXPECT_EQ(line.find("unknown"), std::string::npos) << line;
    // Releasing an empty holder sends nothing.
    inet_authentication_data empty;
    empty.Release(false);
    EXPECT_EQ(Lines("cleaned").size(), 2u);
}

TEST_F(OnlineSlide, HolderGivesItsCodeBackBeforeItsDestructionEnds)
{
    StandIn::Set("kind=document");
    ASSERT_EQ(Fetch(), FetchOutcome::Delivered);
    const std::vector<std::string> codes = Lines("codes");
    ASSERT_EQ(codes.size(), 1u);
    {
        inet_authentication_data holder;
        holder.TakeOver(m_record.authCode);
    }
    // Sent on the destroying thread: the stand-in has it when the holder is gone.
    EXPECT_EQ(Lines("cleaned"), codes);
}

// An asynchronous Clean Up is counted among the workers before its thread
// starts: the exit's wait for the workers cannot end before it has gone out.
TEST_F(OnlineSlide, TheExitWaitsForAnAsynchronousCleanUp)
{
    StandIn::Set("kind=media");
    ASSERT_EQ(Fetch(), FetchOutcome::Delivered);
    const std::vector<std::string> codes = Lines("codes");
    ASSERT_EQ(codes.size(), 1u);
    m_record.authCode.Release(true);
    m_record.authCode.Clear();
    WaitForWorkerThreads();
    EXPECT_EQ(Lines("cleaned"), codes);
    ThreadCounterHolder.Create();
}

// The round takes the key pairs made while the slide before was shown (its
// own and the session's two), and leaves making the next ones to its worker
// thread.
TEST_F(OnlineSlide, ARoundTakesTheKeyPairsMadeAhead)
{
    PrepareNextWorkerKeyPairs();
    ASSERT_TRUE(DownloadClientKeys().WaitUntilReady(120000));
    ASSERT_TRUE(SessionKeyPairs().WaitUntilReady(120000));
    ASSERT_EQ(Fetch(), FetchOutcome::Delivered) << std::hex << m_record.status;
    EXPECT_FALSE(DownloadClientKeys().WaitUntilReady(120000));
    EXPECT_FALSE(SessionKeyPairs().WaitUntilReady(120000));
}

TEST_F(OnlineSlide, StopDuringTheRequestEndsQuietly)
{
    StandIn::Set("at=slide&fault=hold");
    MHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    FetchOutcome outcome = FetchOutcome::Delivered;
    std::thread worker([&] { outcome = Fetch(stop); });
    ASSERT_TRUE(UiTest::WaitUntil([] { return StandIn::Control("held") == "1"; }, 15000));
    SetEvent(stop);
    StandIn::Control("release");
    worker.join();
    EXPECT_EQ(outcome, FetchOutcome::Stopped);
    EXPECT_EQ(m_record.state, OnlineStateRunning) << "a quiet end records nothing";
}

// The worker thread reports to a window by a posted message.
TEST_F(OnlineSlide, WorkerPostsTheOutcome)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    MHandle running(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    MHandle stop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    volatile LONG64 lastStart = 0;
    volatile LONG crossFade = 0;
    for (const char* fault : {"", "wrong_kind"})
    {
        StandIn::Set(std::string("at=slide&fault=") + fault);
        auto* data = new download_worker_data;
        data->owner = window;
        data->runningEvent = running;
        data->stopEvent = stop;
        data->lastDownloadStart = &lastStart;
        data->crossFadeTimer = &crossFade;
        data->record = &m_record;
        data->cacheFolder = m_cache.CurrentPath().Left(m_cache.CurrentPath().GetLength() - 4);
        SetEvent(running);
        lastStart = 0;
        MHandle thread(CreateThread(nullptr, 0, SlideDownloadWorker, data, 0, nullptr));
        ASSERT_TRUE(thread.IsValid());
        MSG message = {};
        bool got = false;
        const ULONGLONG deadline = GetTickCount64() + 120000;
        while (!got && GetTickCount64() < deadline)
        {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_POSTMESSAGE);
            while (PeekMessageW(&message, window, WM_ONLINE_FETCH_ENDED, WM_ONLINE_FETCH_ENDED, PM_REMOVE))
                got = true;
        }
        ASSERT_TRUE(got) << fault;
        EXPECT_EQ(message.wParam, *fault ? 0u : 1u) << fault;
        EXPECT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
        EXPECT_EQ(WaitForSingleObject(running, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "reset as the last act";
        EXPECT_TRUE(DownloadClientKeys().WaitUntilReady(120000)) << fault << ": the next worker's pairs are made ahead";
        EXPECT_TRUE(SessionKeyPairs().WaitUntilReady(120000)) << fault;
        m_cache.Commit();
    }
    DestroyWindow(window);
}
} // namespace
