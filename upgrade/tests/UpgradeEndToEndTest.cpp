// The upgrade path against the real package under Wine's Windows Installer:
// an older build installed, the stand-in serving the newer package, the
// release check finding it, the download and its verification, and the
// setup program's uninstall-install step replacing the product. A tampered
// package fails its verification and the installed product stays as it was.
// (The hop through the 32-bit Quillory Setup.exe itself is the setup tests'
// end-to-end test, which runs where 32-bit programs can.)
#include "server/tests/StandIn.h"

#include "foundation/Registry.h"
#include "setup/HandOver.h"
#include "setup/SetupModes.h"
#include "setup/tests/RecordingSystem.h"
#include "upgrade/AutomaticUpgrade.h"
#include "upgrade/ReleaseCheck.h"
#include "upgrade/UpgradeWorker.h"

#include <memory>
#include <string>

#ifdef QUILLORY_TEST_PACKAGE
namespace
{
const wchar_t InstallFolder[] = L"C:\\Quillory Upgrade Test";

// A query value: every byte that is not a letter or digit escaped.
std::string Escaped(const wchar_t* text)
{
    const MStringEx<char> utf8 = WideToUtf8String(MString(text));
    std::string out;
    for (const char* c = utf8.GetText(); *c; ++c)
    {
        const unsigned char u = static_cast<unsigned char>(*c);
        if (isalnum(u) || u == '/' || u == '.' || u == '-' || u == '_')
            out += *c;
        else
        {
            char hex[4];
            snprintf(hex, sizeof(hex), "%%%02X", u);
            out += hex;
        }
    }
    return out;
}

MString InstalledVersion()
{
    RegistryKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, ProductUninstallKeyPath().GetText(), KEY_QUERY_VALUE | KEY_WOW64_64KEY))
        return MString();
    wchar_t text[512] = {};
    DWORD type = 0, size = sizeof(text) - sizeof(wchar_t);
    if (key.Query(L"DisplayVersion", type, text, size) != ERROR_SUCCESS || type != REG_SZ)
        return MString();
    return MString(text);
}

class UpgradeEndToEnd : public StandIn::Test
{
protected:
    void SetUp() override
    {
        StandIn::Test::SetUp();
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        m_package = MString(sX::Format(), L"%sQuillory - Setup for Windows 10- 64 bit.msi", temp);
        DeleteFileW(m_package.GetText());
        const RunResult old = RealSetupSystem().RunAndWait(
            nullptr, L"MsiExec.exe", MsiInstallParameters(WindowsPath(QUILLORY_TEST_OLD_PACKAGE), MString(InstallFolder)).GetText());
        ASSERT_TRUE(IsInstallerSuccess(old.exitCode)) << old.exitCode;
        ASSERT_STREQ(InstalledVersion().GetText(), L"2.9.0.0");
        StandIn::Set("package=" + Escaped(QUILLORY_TEST_PACKAGE) + "&release_version=" +
                     Escaped(QUILLORY_TEST_VERSION));
    }
    void TearDown() override
    {
        RealSetupSystem().RunAndWait(nullptr, L"MsiExec.exe",
                                     MsiUninstallParameters(MString(HandOver::ProductCode)).GetText());
        DeleteFileW(m_package.GetText());
        StandIn::Test::TearDown();
    }

    // The release check as the installed version sees it.
    std::unique_ptr<ReleaseInfo> Check()
    {
        ReleaseQuery query;
        query.productName = L"Quillory";
        query.localVersion = InstalledVersion();
        query.changesLanguage = L"English";
        query.defaultChanges = L"notes";
        query.webPagePrefix = L"https://";
        return std::unique_ptr<ReleaseInfo>(
            CheckForNewRelease(StandIn::Page(L"get-cv.aspx").c_str(), StandIn::Page(L"get-ip.aspx").c_str(), query));
    }

    // The download and verification of the release's package (no window:
    // the worker's progress goes nowhere).
    UpgradeCode Download(const ReleaseInfo& release, MString& text)
    {
        UpgradeWorkerParams params(CreateFileW(m_package.GetText(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        params.productName = L"Quillory";
        params.productLabel = L"Quillory Window";
        params.productVersion = InstalledVersion();
        params.serverVersion = release.record.version;
        params.links = release.record.links;
        params.packagePath = m_package;
        params.platformName = L"Windows";
        params.platformVersionName = L"10";
        params.webSiteText = L"www.example.com";
        params.language = 1033;
        return RunUpgradeDownload(params, text);
    }

    MString m_package;
};

TEST_F(UpgradeEndToEnd, TheNewerReleaseIsFoundDownloadedVerifiedAndInstalled)
{
    std::unique_ptr<ReleaseInfo> release = Check();
    ASSERT_TRUE(release);
    EXPECT_STREQ(release->record.version.GetText(), QUILLORY_TEST_VERSION);

    MString text;
    ASSERT_EQ(Download(*release, text), UpgradeVerified) << text.ToUtf8().GetText();

    // What the setup program's elevated copy does with the hand-over's items.
    InstallRequest request;
    request.productCode = HandOver::ProductCode;
    request.packagePath = m_package;
    request.installFolder = InstallFolder;
    request.language = 1033;
    RealInstallerSystem system;
    const SetupEnvironment environment{system, GetModuleHandleW(nullptr), MString(L"C:\\x.exe"), 1};
    EXPECT_EQ(RunUninstallInstallMode(MakeInstallCommandLine(request), environment), SetupSucceeded);
    EXPECT_TRUE(system.messages.empty());
    EXPECT_STREQ(InstalledVersion().GetText(), QUILLORY_TEST_VERSION);

    // Installed now: no newer release any more.
    EXPECT_FALSE(Check());
}

TEST_F(UpgradeEndToEnd, ATamperedPackageIsNeverInstalled)
{
    StandIn::Set("at=ip&fault=tamper");
    std::unique_ptr<ReleaseInfo> release = Check();
    ASSERT_TRUE(release);
    MString text;
    EXPECT_EQ(Download(*release, text), UpgradeNotVerified);
    EXPECT_FALSE(text.IsEmpty());
    // The dialog deletes such a package and hands nothing over: the
    // installed product is untouched.
    EXPECT_STREQ(InstalledVersion().GetText(), L"2.9.0.0");
    EXPECT_NE(GetFileAttributesW(MString(sX::Format(), L"%s\\Quillory Window.exe", InstallFolder).GetText()),
              INVALID_FILE_ATTRIBUTES);
}
} // namespace
#endif
