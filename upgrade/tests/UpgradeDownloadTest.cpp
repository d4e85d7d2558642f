// The installer download and its verification against the stand-in server's
// get-ip.aspx, with the worker reporting to a window of the test's thread.
#include "server/tests/StandIn.h"

#include "foundation/SystemUtilities.h"
#include "resources/languages/LanguageIds.h"
#include "core/tests/UiTestSupport.h"
#include "upgrade/UpgradeWorker.h"

#include <cstring>
#include <memory>
#include <string>

namespace
{
const wchar_t WebSite[] = L"www.example.com/quillory";

MemoryPH<unsigned char> Bytes(const std::string& text)
{
    MemoryPH<unsigned char> bytes(text.size());
    if (!text.empty())
        std::memcpy(bytes.GetData(), text.data(), text.size());
    return bytes;
}

MemoryPH<unsigned char> Wide(const std::wstring& text) { return Bytes(std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2)); }

TEST(UpgradeReply, ServerMessageStatusAndDigestTexts)
{
    MString message;
    EXPECT_TRUE(DecodeServerMessage(Bytes("48006900"), message));
    EXPECT_STREQ(message.GetText(), L"Hi");
    EXPECT_TRUE(DecodeServerMessage(Bytes("480069005"), message));  // a lone last digit is ignored
    EXPECT_STREQ(message.GetText(), L"Hi");
    EXPECT_TRUE(DecodeServerMessage(Bytes(""), message));
    EXPECT_STREQ(message.GetText(), L"");
    for (const char* bad : {"480069", "48006G00", "4800 900"})
        EXPECT_FALSE(DecodeServerMessage(Bytes(bad), message)) << bad;
    EXPECT_FALSE(DecodeServerMessage(Bytes(std::string(10001, '0')), message));
    EXPECT_TRUE(DecodeServerMessage(Bytes(std::string(10000, '0')), message));

    EXPECT_TRUE(StatusIs(Wide(L"SUCCESS"), L"SUCCESS"));
    EXPECT_TRUE(StatusIs(Wide(L"success"), L"SUCCESS"));
    EXPECT_FALSE(StatusIs(Wide(L"SUCCESSFUL"), L"SUCCESS"));
    EXPECT_FALSE(StatusIs(Wide(std::wstring(L"SUCCESS\0", 8)), L"SUCCESS"));
    EXPECT_FALSE(StatusIs(Bytes("S\0U\0C\0C\0E\0S\0S"), L"SUCCESS"));  // odd byte count

    // SHA-1 of "abc" (FIPS 180 test vector).
    const unsigned char abc[] = {0xA9, 0x99, 0x3E, 0x36, 0x47, 0x06, 0x81, 0x6A, 0xBA, 0x3E,
                                 0x25, 0x71, 0x78, 0x50, 0xC2, 0x6C, 0x9C, 0xD0, 0xD8, 0x9D};
    const MemoryPH<unsigned char> digest = Bytes(std::string(reinterpret_cast<const char*>(abc), sizeof(abc)));
    EXPECT_TRUE(DigestMatches(digest, Wide(L"A9993E364706816ABA3E25717850C26C9CD0D89D")));
    EXPECT_TRUE(DigestMatches(digest, Wide(L"a9993e364706816aba3e25717850c26c9cd0d89d")));
    EXPECT_FALSE(DigestMatches(digest, Wide(L"A9993E364706816ABA3E25717850C26C9CD0D89D ")));
    EXPECT_FALSE(DigestMatches(digest, Wide(L"A9993E364706816ABA3E25717850C26C9CD0D89")));
    EXPECT_FALSE(DigestMatches(MemoryPH<unsigned char>(), Wide(L"")));
}

// Records what the worker tells its dialog.
struct Report
{
    std::vector<WPARAM> statuses;
    unsigned progress = 0;
    unsigned hashProgress = 0;
    unsigned __int64 lastTotal = ~0ull;
    unsigned __int64 lastReceived = 0;
    HANDLE cancelOnProgress = nullptr;
    bool finished = false;
    WPARAM code = 0;
    std::unique_ptr<UpgradeResult> result;
};

LRESULT CALLBACK ReportWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* report = reinterpret_cast<Report*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (report)
        switch (message)
        {
        case WM_UPGRADE_STATUS:
            report->statuses.push_back(wParam);
            return 0;
        case WM_UPGRADE_PROGRESS:
            ++report->progress;
            report->lastTotal = *reinterpret_cast<unsigned __int64*>(wParam);
            report->lastReceived = *reinterpret_cast<unsigned __int64*>(lParam);
            if (report->cancelOnProgress)
                SetEvent(report->cancelOnProgress);
            return 0;
        case WM_UPGRADE_HASH_PROGRESS:
            ++report->hashProgress;
            return 0;
        case WM_UPGRADE_FINISHED:
            report->finished = true;
            report->code = wParam;
            report->result.reset(reinterpret_cast<UpgradeResult*>(lParam));
            return 0;
        }
    return DefWindowProcW(window, message, wParam, lParam);
}

class UpgradeDownload : public StandIn::Test
{
protected:
    void SetUp() override
    {
        StandIn::Test::SetUp();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ReportWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"UpgradeReportTarget";
        RegisterClassW(&windowClass);
        m_window = CreateWindowExW(0, L"UpgradeReportTarget", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_report));
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        m_path = std::wstring(folder) + L"Quillory - Setup for Windows 10- 64 bit.msi";
        m_cancel = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(m_window);
        DeleteFileW(m_path.c_str());
        CloseHandle(m_cancel);
        StandIn::Test::TearDown();
    }

    // Runs the worker as the dialog does and waits for its final message.
    void Run(bool cancelOnProgress = false)
    {
        m_report = Report();
        m_report.cancelOnProgress = cancelOnProgress ? m_cancel : nullptr;
        ResetEvent(m_cancel);
        auto params = std::make_unique<UpgradeWorkerParams>(CreateFileW(
            m_path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        params->owner = m_window;
        params->cancelEvent = m_cancel;
        params->productName = L"Quillory";
        params->productLabel = L"Quillory Window";
        params->productVersion = L"3.0.0.0";
        params->serverVersion = L"3.1.0.0";
        params->links.first = StandIn::Page(L"get-ip.aspx").c_str();
        ASSERT_TRUE(params->packageFile.IsValid());
        params->packagePath = m_path.c_str();
        params->platformName = L"Windows";
        params->platformVersionName = L"10";
        params->webSiteText = WebSite;
        params->language = 1033;
        HANDLE thread = CreateThread(nullptr, 0, UpgradeWorker, params.release(), 0, nullptr);
        ASSERT_NE(thread, nullptr);
        UiTest::PumpUntil([&] { return m_report.finished; }, 120000);
        EXPECT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
        CloseHandle(thread);
        ASSERT_TRUE(m_report.finished);
        ASSERT_TRUE(m_report.result);
        EXPECT_STREQ(m_report.result->packagePath.GetText(), m_path.c_str());
    }

    static MString Text(unsigned id) { return MString(sX::Format(), id, WebSite); }
    static MString Named(unsigned id) { return MString(sX::Format(), id, L"Quillory Window", WebSite); }

    HWND m_window = nullptr;
    Report m_report;
    std::wstring m_path;
    HANDLE m_cancel = nullptr;
};

TEST_F(UpgradeDownload, AVerifiedPackageWithItsRequest)
{
    StandIn::Set("package_size=300000");
    Run();
    EXPECT_EQ(m_report.code, UpgradeVerified);
    EXPECT_STREQ(m_report.result->text.GetText(), L"");
    EXPECT_EQ(m_report.statuses, (std::vector<WPARAM>{IDS_UPGRADE_CONNECTING, IDS_UPGRADE_VERIFYING}));
    EXPECT_GE(m_report.progress, 2u);
    EXPECT_EQ(m_report.lastTotal, 300000u);
    EXPECT_EQ(m_report.lastReceived, 300000u);
    EXPECT_GE(m_report.hashProgress, 2u);

    // The file holds the package, and is closed (the worker ended).
    HANDLE file = CreateFileW(m_path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    CloseHandle(file);
    EXPECT_EQ(size.QuadPart, 300000);

    const auto requests = StandIn::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/get-ip.aspx");
    EXPECT_EQ(requests[0].Header("User-Agent"), "Quillory 3.0.0.0");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Velmora-LV-UI-Language", "1033"},
        {"Velmora-LV-Client-OS-Platform-Word-Width", "64"},
        {"Velmora-LV-Client-OS-Platform-Version", "10"},
        {"Velmora-LV-Client-OS-Platform-Name", "Windows"},
        {"Velmora-LV-Product-Model", "Standard"},
        {"Velmora-LV-Product-Version", "3.0.0.0"},
        {"Velmora-LV-Product-Name", "Quillory"},
        {"Velmora-LV-Automatic-Upgrade-Required-Version", "Latest"},
        {"Velmora-LV-Automatic-Upgrade-Request-Type", "Get-Software-Installer"},
        {"Velmora-LV-Automatic-Upgrade-Version", "2"},
    };
    std::vector<std::string> names;
    for (const auto& header : expected)
    {
        names.push_back(header.first);
        EXPECT_EQ(requests[0].Header(header.first), header.second) << header.first;
    }
    EXPECT_EQ(requests[0].NamesAmong(names), names);
}

TEST_F(UpgradeDownload, EveryBadReplyGivesItsResult)
{
    const struct
    {
        const char* fault;
        UpgradeCode code;
        MString text;
    } cases[] = {
        {"lower_case", UpgradeVerified, MString(L"")},
        {"no_length", UpgradeVerified, MString(L"")},
        {"wrong_sha", UpgradeNotVerified, Named(IDS_UPGRADE_DIGEST_MISMATCH)},
        {"wrong_md5", UpgradeNotVerified, Named(IDS_UPGRADE_DIGEST_MISMATCH)},
        {"tamper", UpgradeNotVerified, Named(IDS_UPGRADE_DIGEST_MISMATCH)},
        {"no_sha", UpgradeNotVerified, Named(IDS_UPGRADE_VERIFY_FAILED)},
        {"no_md5", UpgradeNotVerified, Named(IDS_UPGRADE_VERIFY_FAILED)},
        {"no_status", UpgradeFailed, Text(IDS_UPGRADE_BAD_REPLY)},
        {"bad_status", UpgradeFailed, Text(IDS_UPGRADE_BAD_REPLY)},
        {"oversize_message", UpgradeFailed, Text(IDS_UPGRADE_BAD_REPLY)},
        {"status_error", UpgradeFailed,
         MString(sX::Format(), IDS_UPGRADE_SERVER_MESSAGE, L"Not now.", WebSite)},
        {"empty_package", UpgradeEmptyPackage, Text(IDS_UPGRADE_EMPTY_PACKAGE)},
        {"twice", UpgradeFailed, MString(sX::Format(), IDS_UPGRADE_DOWNLOAD_FAILED, -1, WebSite)},
    };
    for (const auto& c : cases)
    {
        StandIn::Reset();
        StandIn::Set(std::string("at=ip&message=Not%20now.&fault=") + c.fault);
        Run();
        EXPECT_EQ(m_report.code, c.code) << c.fault;
        EXPECT_STREQ(m_report.result->text.GetText(), c.text.GetText()) << c.fault;
    }
    // Without a Content-Length the total is not known.
    StandIn::Reset();
    StandIn::Set("at=ip&fault=no_length");
    Run();
    EXPECT_EQ(m_report.lastTotal, 0u);
}

TEST_F(UpgradeDownload, CutOffAndDroppedTransfersFail)
{
    for (const char* fault : {"cut", "drop"})
    {
        StandIn::Reset();
        StandIn::Set(std::string("package_size=200000&at=ip&fault=") + fault);
        Run();
        EXPECT_EQ(m_report.code, UpgradeFailed) << fault;
        EXPECT_FALSE(m_report.result->text.IsEmpty()) << fault;
    }
}

TEST_F(UpgradeDownload, CancelDuringTheTransfer)
{
    StandIn::Set("package_size=400000&at=ip&fault=trickle&chunk_delay_ms=20");
    Run(true);
    EXPECT_EQ(m_report.code, UpgradeCancelled);
    EXPECT_STREQ(m_report.result->text.GetText(), L"");
    EXPECT_LT(m_report.lastReceived, 400000u);
}
} // namespace
