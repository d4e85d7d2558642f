// The real package under Wine's Windows Installer: the uninstall-install
// mode with the real MsiExec.exe, and the end-to-end upgrade through the
// 32-bit setup program where 32-bit programs can run.
#include "foundation/Handle.h"
#include "foundation/Registry.h"
#include "setup/HandOver.h"
#include "setup/SetupModes.h"
#include "setup/tests/RecordingSystem.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <fstream>

#ifdef QUILLORY_TEST_PACKAGE
namespace
{
const wchar_t InstallFolder[] = L"C:\\Quillory Test Install";
const wchar_t UninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" QUILLORY_HANDOVER_PRODUCT_CODE;

MString InstalledValue(const wchar_t* name)
{
    RegistryKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, UninstallKey, KEY_QUERY_VALUE | KEY_WOW64_64KEY))
        return MString();
    wchar_t text[512] = {};
    DWORD type = 0, size = sizeof(text) - sizeof(wchar_t);
    if (key.Query(name, type, text, size) != ERROR_SUCCESS || type != REG_SZ)
        return MString();
    return MString(text);
}

bool Exists(const MString& path)
{
    return GetFileAttributesW(path.GetText()) != INVALID_FILE_ATTRIBUTES;
}

bool InstalledFilesPresent()
{
    for (const wchar_t* name : {L"Quillory Window.exe", L"Resources EN US.dll", L"Resources BG BG.dll"})
    {
        if (!Exists(MString(sX::Format(), L"%s\\%s", InstallFolder, name)))
            return false;
    }
    return true;
}

RunResult Install(const MString& package)
{
    return RealSetupSystem().RunAndWait(nullptr, L"MsiExec.exe",
                                        MsiInstallParameters(package, MString(InstallFolder)).GetText());
}

void RemoveProduct()
{
    RealSetupSystem().RunAndWait(nullptr, L"MsiExec.exe", MsiUninstallParameters(MString(HandOver::ProductCode)).GetText());
}

MString Switch(const MString& package)
{
    return MString(sX::Format(), L"/upgrade_uninstall_install***%s***%s***%s***1033", HandOver::ProductCode,
                   package.GetText(), InstallFolder);
}

class InstallerPackage : public ::testing::Test
{
protected:
    void TearDown() override { RemoveProduct(); }
};

TEST_F(InstallerPackage, InstallsRecordsItsFolderAndUninstalls)
{
    const RunResult install = Install(WindowsPath(QUILLORY_TEST_PACKAGE));
    ASSERT_TRUE(install.started);
    ASSERT_TRUE(IsInstallerSuccess(install.exitCode)) << install.exitCode;
    EXPECT_TRUE(InstalledFilesPresent());
    // The folder the viewer compares with its own, without a backslash.
    EXPECT_STREQ(InstalledValue(L"InstallLocation").GetText(), InstallFolder);
    EXPECT_STREQ(InstalledValue(L"DisplayVersion").GetText(), QUILLORY_TEST_VERSION);
    EXPECT_STREQ(InstalledValue(L"DisplayName").GetText(), L"Quillory");
    // The installer's cached copy is found under the product's packed code.
    EXPECT_FALSE(FindInstalledPackageInRegistry(HandOver::ProductCode).IsEmpty());

    RemoveProduct();
    EXPECT_FALSE(Exists(MString(sX::Format(), L"%s\\Quillory Window.exe", InstallFolder)));
    EXPECT_TRUE(InstalledValue(L"DisplayVersion").IsEmpty());
    EXPECT_TRUE(FindInstalledPackageInRegistry(HandOver::ProductCode).IsEmpty());
}

TEST_F(InstallerPackage, UninstallInstallReplacesTheOlderVersion)
{
    ASSERT_TRUE(IsInstallerSuccess(Install(WindowsPath(QUILLORY_TEST_OLD_PACKAGE)).exitCode));
    ASSERT_STREQ(InstalledValue(L"DisplayVersion").GetText(), L"2.9.0.0");

    RealInstallerSystem system;
    const SetupEnvironment environment{system, GetModuleHandleW(nullptr), MString(L"C:\\x.exe"), 1};
    EXPECT_EQ(RunUninstallInstallMode(Switch(WindowsPath(QUILLORY_TEST_PACKAGE)), environment), SetupSucceeded);
    EXPECT_EQ(system.runs.size(), 2u);
    EXPECT_TRUE(system.messages.empty());
    EXPECT_STREQ(InstalledValue(L"DisplayVersion").GetText(), QUILLORY_TEST_VERSION);
    EXPECT_TRUE(InstalledFilesPresent());
}

TEST_F(InstallerPackage, FailedInstallPutsThePreviousVersionBack)
{
    ASSERT_TRUE(IsInstallerSuccess(Install(WindowsPath(QUILLORY_TEST_OLD_PACKAGE)).exitCode));
    // A damaged package: the Windows Installer refuses it after the removal.
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const MString damaged(sX::Format(), L"%sQuillory damaged %s.msi", temp, NewGuidString().GetText());
    std::ofstream(damaged.ToUtf8().GetText(), std::ios::binary) << "not a package";

    RealInstallerSystem system;
    const SetupEnvironment environment{system, GetModuleHandleW(nullptr), MString(L"C:\\x.exe"), 1};
    EXPECT_EQ(RunUninstallInstallMode(Switch(damaged), environment), SetupFailed);
    DeleteFileW(damaged.GetText());
    EXPECT_EQ(system.runs.size(), 3u);
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_NE(system.messages[0].text.find(L"has been installed again"), std::wstring::npos)
        << system.messages[0].text;
    EXPECT_STREQ(InstalledValue(L"DisplayVersion").GetText(), L"2.9.0.0");
    EXPECT_TRUE(InstalledFilesPresent());
}

// Whether this machine runs 32-bit Windows programs: the setup program's
// shortest failing line (no message, exit code 1) must come back.
bool Runs32BitPrograms(MString& reason)
{
    if (!Exists(MString(QUILLORY_SETUP_EXE)) && !Exists(WindowsPath(QUILLORY_SETUP_EXE)))
    {
        reason = L"Quillory Setup.exe (the i686 build) is not in dist/";
        return false;
    }
    MString line(L"\"Quillory Setup.exe\" /upgrade_uninstall_install***{probe}");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const MString exe = WindowsPath(QUILLORY_SETUP_EXE);
    if (!CreateProcessW(exe.GetText(), line.GetData(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
    {
        reason = L"this machine cannot start 32-bit Windows programs";
        return false;
    }
    MHandle processHandle(process.hProcess);
    MHandle threadHandle(process.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(processHandle, 60000) != WAIT_OBJECT_0 || !GetExitCodeProcess(processHandle, &code) ||
        code != 1)
    {
        TerminateProcess(processHandle, 0);
        reason = L"the 32-bit setup program did not run to its end on this machine";
        return false;
    }
    return true;
}

void EndViewers()
{
    MHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    {
        if (_wcsicmp(entry.szExeFile, HandOver::ViewerFileName) == 0)
        {
            MHandle viewer(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
            if (viewer.IsValid())
            {
                TerminateProcess(viewer, 0);
                WaitForSingleObject(viewer, 30000);
            }
        }
    }
}

// The whole upgrade through the 32-bit program: an older version installed,
// the setup file beside it, a viewer that quits when asked; afterwards the
// new version is installed, started with the clean-up switch, and has
// deleted the setup file.
TEST_F(InstallerPackage, EndToEndUpgradeThroughTheSetupProgram)
{
    MString reason;
    if (!Runs32BitPrograms(reason))
        GTEST_SKIP() << "end-to-end upgrade not run: " << reason.ToUtf8().GetText()
                     << "; it runs where 32-bit Windows programs can run";

    ASSERT_TRUE(IsInstallerSuccess(Install(WindowsPath(QUILLORY_TEST_OLD_PACKAGE)).exitCode));
    const MString setupFile(sX::Format(), L"%s\\%s.Setup.exe", InstallFolder, NewGuidString().GetText());
    ASSERT_TRUE(CopyFileW(WindowsPath(QUILLORY_SETUP_EXE).GetText(), setupFile.GetText(), TRUE));

    // The viewer's side: its running marker and its upgrade-exit event.
    MHandle running(CreateEventW(nullptr, TRUE, FALSE, HandOver::RunningEventName));
    const MString eventName(sX::Format(), L"%sLV_e2e_%s", HandOver::ProductCode, NewGuidString().GetText());
    MHandle exitEvent(CreateEventW(nullptr, TRUE, FALSE, eventName.GetText()));
    UpgradeRequest request;
    request.productCode = HandOver::ProductCode;
    request.packagePath = WindowsPath(QUILLORY_TEST_PACKAGE);
    request.installFolder = InstallFolder;
    request.exitEventName = eventName;
    request.language = 1033;
    ASSERT_TRUE(RealSetupSystem().StartProgram(setupFile.GetText(), MakeUpgradeCommandLine(request).GetText()));

    ASSERT_EQ(WaitForSingleObject(exitEvent, 120000), static_cast<DWORD>(WAIT_OBJECT_0));
    running.Close(); // the viewer quits

    // The restarted viewer deletes the setup file once the setup has ended.
    bool deleted = false;
    for (int i = 0; i < 1200 && !deleted; ++i)
    {
        deleted = !Exists(setupFile);
        if (!deleted)
            Sleep(100);
    }
    EndViewers();
    EXPECT_TRUE(deleted);
    EXPECT_STREQ(InstalledValue(L"DisplayVersion").GetText(), QUILLORY_TEST_VERSION);
    EXPECT_TRUE(InstalledFilesPresent());
    DeleteFileW(setupFile.GetText());
}
}
#endif
