// The release dialog under Xvfb: its controls, a download that fails its
// verification, a verified one whose hand-over cannot go on, and a close
// during the download. The save dialog, the message boxes and the manual
// route are recorded instead of shown.
#include "server/tests/StandIn.h"
#include "core/tests/UiTestSupport.h"

#include "upgrade/AutomaticUpgrade.h"
#include "upgrade/CheckForNewReleaseDlg.h"

#include <string>
#include <vector>

namespace
{
std::wstring PackagePath()
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"Quillory release test.msi";
}

std::vector<std::wstring> shown;
std::vector<std::wstring> manualRoutes;

bool ChooseTestPath(HWND, const MString&, MString& chosen)
{
    chosen = PackagePath().c_str();
    return true;
}

int RecordMessage(HWND, const wchar_t* text, const wchar_t*, UINT)
{
    shown.push_back(text);
    return IDOK;
}

void RecordManualRoute(const MString& packagePath) { manualRoutes.push_back(packagePath.GetText()); }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class ReleaseDialog : public StandIn::Test
{
protected:
    void SetUp() override
    {
        StandIn::Test::SetUp();
        shown.clear();
        manualRoutes.clear();
        CCheckForNewReleaseDlg::ChoosePackagePath = ChooseTestPath;
        CCheckForNewReleaseDlg::ShowMessage = RecordMessage;
        CCheckForNewReleaseDlg::ManualInstallRoute = RecordManualRoute;
        DeleteFileW(PackagePath().c_str());
    }
    void TearDown() override
    {
        DeleteFileW(PackagePath().c_str());
        StandIn::Test::TearDown();
    }
    static UpgradeLinks Links(const wchar_t* installer)
    {
        UpgradeLinks links;
        links.first = installer;
        links.second = L"https://www.example.com/quillory/release";
        return links;
    }
    LanguageModuleScope m_language{LanguageEnglish};
};

TEST_F(ReleaseDialog, WithoutAnInstallerOnlyTheWebSiteIsOffered)
{
    CCheckForNewReleaseDlg dialog(POINT{300, 300}, nullptr, L"3.2.0.0", L"Line one\nLine two\n", Links(L""), L"{E}");
    bool downloadHidden = false, progressHidden = false;
    std::wstring webSite, heading, notes, title;
    {
        UiTest::Script script([&](DWORD ui) {
            HWND window = UiTest::WaitForDialog(ui);
            downloadHidden = !IsWindowVisible(GetDlgItem(window, IDC_RELEASE_DOWNLOAD));
            progressHidden = !IsWindowVisible(GetDlgItem(window, IDC_RELEASE_PROGRESS));
            webSite = UiTest::DialogItemText(window, IDC_RELEASE_WEB_SITE);
            heading = UiTest::DialogItemText(window, IDC_RELEASE_HEADING);
            notes = UiTest::DialogItemText(window, IDC_RELEASE_CHANGES);
            title = UiTest::WindowText(window);
            PostMessageW(window, WM_CLOSE, 0, 0);
        });
        EXPECT_EQ(dialog.DoModal(nullptr), 0);
    }
    EXPECT_TRUE(downloadHidden);
    EXPECT_TRUE(progressHidden);
    EXPECT_EQ(webSite, std::wstring(MString(ResId(IDS_RELEASE_VISIT_WEB_SITE)).GetText()));
    EXPECT_EQ(heading, std::wstring(MString(sX::Format(), IDS_RELEASE_HEADING, L"Quillory", L"3.2.0.0").GetText()));
    EXPECT_EQ(notes, L"Line one\r\nLine two");
    EXPECT_EQ(title, L"Quillory - New release");
}

TEST_F(ReleaseDialog, AWrongDigestDeletesThePackageAndAVerifiedOneGoesToTheHandOver)
{
    CCheckForNewReleaseDlg dialog(POINT{300, 300}, nullptr, L"3.2.0.0", L"Notes", Links(L"http://127.0.0.1/get-ip.aspx"),
                                  L"{E}");
    bool deletedAfterMismatch = false, keptAfterHandOver = false;
    size_t shownAfterMismatch = 0;
    {
        UiTest::Script script([&](DWORD ui) {
            HWND window = UiTest::WaitForDialog(ui);
            StandIn::Set("at=ip&fault=wrong_sha");
            UiTest::Click(window, IDC_RELEASE_DOWNLOAD);
            UiTest::WaitUntil([&] { return !shown.empty(); }, 60000);
            shownAfterMismatch = shown.size();
            deletedAfterMismatch = !Exists(PackagePath());

            StandIn::Reset();
            UiTest::Click(window, IDC_RELEASE_DOWNLOAD);
            UiTest::WaitUntil([&] { return !manualRoutes.empty(); }, 60000);
            keptAfterHandOver = Exists(PackagePath());
            PostMessageW(window, WM_CLOSE, 0, 0);
        });
        EXPECT_EQ(dialog.DoModal(nullptr), 0);
    }
    EXPECT_EQ(shownAfterMismatch, 1u);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0], std::wstring(MString(sX::Format(), IDS_UPGRADE_DIGEST_MISMATCH, L"Quillory Window",
                                             L"www.example.com/quillory/release")
                                         .GetText()));
    EXPECT_TRUE(deletedAfterMismatch);

    // This test program is no installed product: the hand-over stops at the
    // installed folder, says which step, and offers the manual route with
    // the package kept.
    MString folder;
    unsigned step = ReadInstallLocation(ProductUninstallKeyPath(), folder);
    if (step == 0)
        step = HandOverOtherFolder;
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], std::wstring(MString(sX::Format(), IDS_UPGRADE_HANDOVER_FAILED, L"Quillory Window", step,
                                             L"Quillory Window")
                                         .GetText()));
    ASSERT_EQ(manualRoutes.size(), 1u);
    EXPECT_EQ(manualRoutes[0], PackagePath());
    EXPECT_TRUE(keptAfterHandOver);
}

TEST_F(ReleaseDialog, ClosingDuringTheDownloadCancelsAndDeletesThePackage)
{
    StandIn::Set("package_size=2000000&at=ip&fault=trickle&chunk_delay_ms=20");
    CCheckForNewReleaseDlg dialog(POINT{300, 300}, nullptr, L"3.2.0.0", L"Notes", Links(L"http://127.0.0.1/get-ip.aspx"),
                                  L"{E}");
    bool downloading = false, stillOpenAfterClose = false;
    {
        UiTest::Script script([&](DWORD ui) {
            HWND window = UiTest::WaitForDialog(ui);
            UiTest::Click(window, IDC_RELEASE_DOWNLOAD);
            downloading = UiTest::WaitUntil(
                [&] { return !UiTest::DialogItemText(window, IDC_RELEASE_SIZE).empty(); }, 60000);
            SendMessageW(window, WM_CLOSE, 0, 0);
            // The dialog waits for the worker's report before it ends.
            stillOpenAfterClose = IsWindow(window) != FALSE;
        });
        EXPECT_EQ(dialog.DoModal(nullptr), 0);
    }
    EXPECT_TRUE(downloading);
    EXPECT_TRUE(stillOpenAfterClose);
    EXPECT_FALSE(Exists(PackagePath()));
    EXPECT_TRUE(shown.empty());
}
} // namespace
