// The release document and the release-check thread, against the stand-in
// server's get-cv.aspx.
#include "server/tests/StandIn.h"

#include "crypto/ProtectedTexts.h"
#include "foundation/Sync.h"
#include "foundation/SystemUtilities.h"
#include "resources/languages/LanguageIds.h"
#include "core/CrashReport.h"
#include "core/Language.h"
#include "core/PrivateMessages.h"
#include "core/WorkerContext.h"
#include "core/tests/PostedMessageBox.h"
#include "upgrade/ReleaseCheck.h"

#include <cstring>
#include <memory>
#include <string>

namespace
{
MemoryPH<unsigned char> Bytes(const char* text)
{
    MemoryPH<unsigned char> bytes(std::strlen(text));
    if (*text)
        std::memcpy(bytes.GetData(), text, std::strlen(text));
    return bytes;
}

ReleaseQuery Query(const wchar_t* localVersion, const wchar_t* language = L"English")
{
    ReleaseQuery query;
    query.productName = L"Quillory";
    query.localVersion = localVersion;
    query.changesLanguage = language;
    query.defaultChanges = L"default notes";
    query.webPagePrefix = L"https://";
    return query;
}

TEST(ReleaseVersions, ComparePartByPartAsNumbers)
{
    const struct
    {
        const wchar_t* server;
        const wchar_t* local;
        int expected;
    } cases[] = {
        {L"3.1.0", L"3.1", 0},        // the shorter is padded with "0"
        {L"3.1.1", L"3.1", 1},
        {L"3.9", L"3.10", -1},        // numbers, not texts
        {L"3.x", L"3.0", 0},          // no digit reads as 0
        {L"3..2", L"3.2", 0},         // empty pieces are skipped
        {L"4", L"3.99.99", 1},
        {L"99999999999999999999999", L"18446744073709551615", 0},  // beyond 64 bits: the largest value
        {L"", L"0.0", 0},
        {L"2.0b", L"2.0a", 0},        // only the leading digits count
    };
    for (const auto& c : cases)
    {
        const int result = CompareReleaseVersions(c.server, c.local);
        EXPECT_EQ(result > 0 ? 1 : result < 0 ? -1 : 0, c.expected) << c.server << L" vs " << c.local;
    }
}

TEST(ReleaseDocument, ReadsTheProductsReleaseOrNothing)
{
    const struct
    {
        const char* document;
        const wchar_t* localVersion;
        const wchar_t* language;
        bool newer;
        const wchar_t* version;
        const wchar_t* changes;
        const wchar_t* webPage;
    } cases[] = {
        {"<R><Lumivane edition='Quillory' version='3.2'><Changes><English>E</English><Bulgarian>B</Bulgarian></Changes>"
         "<Download><Visit_Website_URL>example.com/r</Visit_Website_URL></Download></Lumivane></R>",
         L"3.1", L"English", true, L"3.2", L"E", L"https://example.com/r"},
        {"<R><Lumivane edition='Quillory' version='3.2'><Changes><English>E</English><Bulgarian>B</Bulgarian></Changes>"
         "</Lumivane></R>",
         L"3.1", L"Bulgarian", true, L"3.2", L"B", L""},
        // The release of another edition is not ours; ours comes later.
        {"<R><Lumivane edition='Other' version='9'/><X><Lumivane edition='Quillory' version='3.2'>"
         "<Download><Visit_Website_URL>HTTP://Example.com</Visit_Website_URL></Download></Lumivane></X></R>",
         L"3.1", L"English", true, L"3.2", L"default notes", L"HTTP://Example.com"},
        // Empty notes and an empty page.
        {"<R><Lumivane edition='Quillory' version='3.2'><Changes><English></English></Changes>"
         "<Download><Visit_Website_URL/></Download></Lumivane></R>",
         L"3.1", L"English", true, L"3.2", L"default notes", L""},
        // CDATA and UTF-8 text.
        {"<R><Lumivane edition='Quillory' version='3.2'><Changes><Bulgarian><![CDATA[\xd0\x9d\xd0\xbe\xd0\xb2\xd0\xbe <b>]]>"
         "</Bulgarian></Changes></Lumivane></R>",
         L"3.1", L"Bulgarian", true, L"3.2", L"\x041d\x043e\x0432\x043e <b>", L""},
        {"<R><Lumivane edition='Quillory' version='3.1.0'/></R>", L"3.1", L"English", false, L"3.1.0", L"", L""},
        {"<R><Lumivane edition='Quillory' version='3.0'/></R>", L"3.1", L"English", false, L"3.0", L"", L""},
        {"<R><Lumivane edition='Quillory'/></R>", L"3.1", L"English", false, L"", L"", L""},
        {"<R><Lumivane edition='Other' version='9'/></R>", L"3.1", L"English", false, L"", L"", L""},
        {"<R><Lumivane edition='Quillory' version='9'>", L"3.1", L"English", false, L"", L"", L""},
        {"", L"3.1", L"English", false, L"", L"", L""},
        {"not xml at all", L"3.1", L"English", false, L"", L"", L""},
    };
    for (const auto& c : cases)
    {
        ReleaseFound found;
        EXPECT_EQ(ReadReleaseDocument(Bytes(c.document), Query(c.localVersion, c.language), found), c.newer)
            << c.document;
        EXPECT_STREQ(found.serverVersion.GetText(), c.version) << c.document;
        EXPECT_STREQ(found.changes.GetText(), c.changes) << c.document;
        EXPECT_STREQ(found.webPage.GetText(), c.webPage) << c.document;
    }
}

TEST(ReleaseDocument, LanguageAndCacheBuster)
{
    EXPECT_STREQ(ReleaseChangesLanguage(1026).GetText(), L"Bulgarian");
    EXPECT_STREQ(ReleaseChangesLanguage(MAKELANGID(LANG_BULGARIAN, SUBLANG_NEUTRAL)).GetText(), L"Bulgarian");
    EXPECT_STREQ(ReleaseChangesLanguage(1033).GetText(), L"English");
    EXPECT_STREQ(ReleaseChangesLanguage(1031).GetText(), L"English");

    for (const wchar_t* unchanged : {L"http://127.0.0.1/get-cv.aspx", L"http://h/get-cv.aspx?get_now=%d",
                                     L"http://h/%s?get_now=%s", L"http://h/get_now=%s"})
        EXPECT_STREQ(AddCacheBuster(unchanged).GetText(), unchanged);
    const MString busted = AddCacheBuster(L"http://h/get-cv.aspx?a=1&get_now=%s");
    const std::wstring text(busted.GetText());
    const std::wstring prefix = L"http://h/get-cv.aspx?a=1&get_now=";
    ASSERT_EQ(text.compare(0, prefix.size(), prefix), 0) << text;
    EXPECT_GE(text.size(), prefix.size() + 11) << text;  // seconds since 1970 and the tick count
    EXPECT_EQ(text.find_first_not_of(L"0123456789", prefix.size()), std::wstring::npos) << text;
}

TEST(InstallerWindow, MatchesTitleClassAndModule)
{
    const struct
    {
        const wchar_t* title;
        const wchar_t* className;
        const wchar_t* module;
        bool match;
    } cases[] = {
        {L"Quillory", L"Wine_msi_dialog", L"MSIEXEC.EXE", true},
        {L"Quillory", L"xmsix", nullptr, true},  // the module list could not be read
        {L"Quillory", L"MSIDialog", L"msiexec.exe", false},  // "msi" in lower case only
        {L"Quillory", L"Wine_msi_dialog", L"quillory window.exe", false},
        {L"quillory", L"Wine_msi_dialog", L"msiexec.exe", false},
        {L"Quillory Setup", L"Wine_msi_dialog", L"msiexec.exe", false},
        {L"", L"Wine_msi_dialog", L"msiexec.exe", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsInstallerWindow(c.title, c.className, c.module), c.match) << c.title << L" " << c.className;
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(InstallerWindow, AWindowOfAnotherProgramIsSkipped)
{
    // Title and class as the installer's, but this process is no msiexec.exe.
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TestmsiClass";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"TestmsiClass", L"Quillory", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 400,
                                  300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    bool found = false;
    EXPECT_EQ(FindInstallerWindowProc(window, reinterpret_cast<LPARAM>(&found)), TRUE);
    EXPECT_FALSE(found);
    found = false;
    EnumWindows(FindInstallerWindowProc, reinterpret_cast<LPARAM>(&found));
    EXPECT_FALSE(found);
    DestroyWindow(window);
}

class ReleaseCheckAtStandIn : public StandIn::Test
{
protected:
    ReleaseInfo* Check(const wchar_t* localVersion, const wchar_t* language = L"English")
    {
        return CheckForNewRelease(StandIn::Page(L"get-cv.aspx").c_str(), StandIn::Page(L"get-ip.aspx").c_str(),
                                  Query(localVersion, language));
    }
};

TEST_F(ReleaseCheckAtStandIn, NewerSameAndOlderRelease)
{
    StandIn::Set("release_version=3.2.1&release_english=Fixes%20and%20more&release_bulgarian=%D0%9D%D0%BE%D0%B2%D0%BE");
    std::unique_ptr<ReleaseInfo> found(Check(L"3.2"));
    ASSERT_TRUE(found);
    EXPECT_STREQ(found->record.version.GetText(), L"3.2.1");
    EXPECT_STREQ(found->record.notes.GetText(), L"Fixes and more");
    EXPECT_EQ(std::wstring(found->record.links.first.GetText()), StandIn::Page(L"get-ip.aspx"));
    EXPECT_STREQ(found->record.links.second.GetText(), L"https://www.example.com/quillory/release");

    found.reset(Check(L"3.2", L"Bulgarian"));
    ASSERT_TRUE(found);
    EXPECT_STREQ(found->record.notes.GetText(), L"\x041d\x043e\x0432\x043e");

    EXPECT_FALSE(std::unique_ptr<ReleaseInfo>(Check(L"3.2.1.0")));
    EXPECT_FALSE(std::unique_ptr<ReleaseInfo>(Check(L"3.10")));

    const auto requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/get-cv.aspx");
    EXPECT_EQ(requests[0].Header("User-Agent"), "Quillory");
}

TEST_F(ReleaseCheckAtStandIn, BrokenDocumentsAndTransportsGiveNoRelease)
{
    for (const char* fault : {"xml_parse", "no_release", "no_version", "drop"})
    {
        StandIn::Reset();
        StandIn::Set(std::string("release_version=9.0&at=cv&fault=") + fault);
        EXPECT_FALSE(std::unique_ptr<ReleaseInfo>(Check(L"3.2"))) << fault;
    }
    StandIn::Reset();
    StandIn::Set("release_version=9.0&release_page=-&release_english=");
    std::unique_ptr<ReleaseInfo> found(Check(L"3.2"));
    ASSERT_TRUE(found);
    EXPECT_STREQ(found->record.notes.GetText(), L"default notes");
    EXPECT_STREQ(found->record.links.second.GetText(), L"");
}

TEST_F(ReleaseCheckAtStandIn, ARefusedCertificateCountsAsNoRelease)
{
    for (const StandIn::RefusedCertificate& refused : StandIn::RefusedCertificates())
    {
        StandIn::Reset();
        StandIn::Set(std::string("release_version=9.0&certificate=") + refused.name);
        EXPECT_FALSE(std::unique_ptr<ReleaseInfo>(Check(L"3.2"))) << refused.name;
        StandIn::ExpectRefusedBeforeAnyRequest(refused.name);
        EXPECT_TRUE(StandIn::Requests().empty()) << refused.name;
    }
}

// The thread as the controller runs it: its results arrive at a window.
class ReleaseThread : public StandIn::Test
{
protected:
    void SetUp() override
    {
        StandIn::Test::SetUp();
        ServerBaseAddress() = StoredServerBaseAddress();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = PlainWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"ReleaseThreadTarget";
        RegisterClassW(&windowClass);
        m_window = CreateWindowExW(0, L"ReleaseThreadTarget", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        m_windowHandle = m_window;
        m_context.controllerWindow = &m_windowHandle;
        m_context.exitEvent = m_exit.Get();
        m_context.trayIconReady = m_trayReady.Get();
        m_context.releaseCheck = m_releaseCheck.Get();
        m_context.upgradeExit = m_upgradeExit.Get();
        m_context.ReleaseRecheckEvent = m_checkNow.Get();
        m_context.ReleaseAvailableEvent = m_available.Get();
        m_context.releaseCheckLock = &m_lock;
    }
    void TearDown() override
    {
        SetEvent(m_exit.Get());
        if (m_thread)
        {
            EXPECT_EQ(WaitForSingleObject(m_thread, 60000), WAIT_OBJECT_0);
            CloseHandle(m_thread);
        }
        DestroyWindow(m_window);
        StandIn::Test::TearDown();
    }
    void Start()
    {
        m_thread = CreateThread(nullptr, 0, ReleaseCheckThreadProc, &m_context, 0, nullptr);
        ASSERT_NE(m_thread, nullptr);
    }
    // The next message of the thread to the window (its lParam freed); false
    // when none came within the bound.
    bool NextMessage(UINT& message, WPARAM& wParam, bool& withRecord)
    {
        const DWORD end = GetTickCount() + 60000;
        MSG msg;
        while (GetTickCount() < end)
        {
            if (PeekMessageW(&msg, m_window, 0, 0, PM_REMOVE))
            {
                message = msg.message;
                wParam = msg.wParam;
                withRecord = msg.lParam != 0;
                if (message == WM_RELEASE_CHECK_RESULT)
                    delete reinterpret_cast<ReleaseInfo*>(msg.lParam);
                return true;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        }
        return false;
    }
    bool NextResult(bool& withRecord)
    {
        UINT message = 0;
        WPARAM wParam = 0;
        return NextMessage(message, wParam, withRecord) && message == WM_RELEASE_CHECK_RESULT;
    }

    static MHandle Event() { return MHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)); }
    HWND m_window = nullptr;
    std::atomic<HWND> m_windowHandle{nullptr};
    MHandle m_exit = Event(), m_trayReady = Event(), m_releaseCheck = Event(), m_upgradeExit = Event(),
            m_checkNow = Event(), m_available = Event();
    CriticalSection m_lock;
    WorkerContext m_context;
    HANDLE m_thread = nullptr;
};

TEST_F(ReleaseThread, ChecksAfterTheTrayIconAndOnEachSignalOnce)
{
    StandIn::Set("release_version=999.0");
    Start();
    // Nothing before the tray icon is there.
    SetEvent(m_trayReady.Get());
    bool withRecord = false;
    ASSERT_TRUE(NextResult(withRecord));
    EXPECT_TRUE(withRecord);
    EXPECT_EQ(WaitForSingleObject(m_available.Get(), 0), WAIT_OBJECT_0);

    // One outside signal: one look for the installer and one check; the
    // event is reset, so no further check follows on its own.
    StandIn::Set("release_version=0.1");
    SetEvent(m_releaseCheck.Get());
    ASSERT_TRUE(NextResult(withRecord));
    EXPECT_FALSE(withRecord);
    EXPECT_EQ(WaitForSingleObject(m_available.Get(), 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(m_releaseCheck.Get(), 0), WAIT_TIMEOUT);

    // The dialog's close asks again at once; then one more request was made
    // in all, not a stream of them.
    SetEvent(m_checkNow.Get());
    ASSERT_TRUE(NextResult(withRecord));
    EXPECT_EQ(WaitForSingleObject(m_checkNow.Get(), 0), WAIT_TIMEOUT);
    size_t checks = 0;
    for (const auto& request : StandIn::Requests())
        checks += request.path == "/get-cv.aspx";
    EXPECT_EQ(checks, 3u);
}

TEST_F(ReleaseThread, TheUpgradeExitEventQuitsTheProgram)
{
    Start();
    SetEvent(m_trayReady.Get());
    bool withRecord = false;
    ASSERT_TRUE(NextResult(withRecord));
    SetEvent(m_upgradeExit.Get());
    UINT message = 0;
    WPARAM wParam = 0;
    ASSERT_TRUE(NextMessage(message, wParam, withRecord));
    EXPECT_EQ(message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(LOWORD(wParam), ID_QUIT);
}

// A failure inside the thread ends it and tells the user through the
// controller with the background-task text, not with the program's own
// failure text. The language module is the test program itself, which holds
// only those two strings, so loading the release check's texts fails.
TEST_F(ReleaseThread, AFailureEndsTheThreadWithTheBackgroundTaskText)
{
    const ReportEventFunction previousReport = ReportEventCall;
    ReportEventCall = [](HANDLE, WORD, WORD, DWORD, PSID, WORD, DWORD, LPCWSTR*, LPVOID) -> BOOL { return TRUE; };
    const HMODULE previousModule = LanguageModule;
    LanguageModule = GetModuleHandleW(nullptr);
    SetEvent(m_trayReady.Get());
    Start();
    const bool ended = WaitForSingleObject(m_thread, 60000) == WAIT_OBJECT_0;
    LanguageModule = previousModule;
    ReportEventCall = previousReport;
    ASSERT_TRUE(ended);

    const UiTest::PostedMessageBox posted = UiTest::TakePostedMessageBox(m_window);
    EXPECT_TRUE(posted.alone);
    EXPECT_EQ(posted.type, static_cast<LPARAM>(MB_ICONERROR));
    EXPECT_EQ(posted.text, L"Background task failed: " + UiTest::ProductNameAndVersion());
}
} // namespace
