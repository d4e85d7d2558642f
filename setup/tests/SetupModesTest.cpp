#include "setup/SetupModes.h"

#include "foundation/Handle.h"
#include "resources/setup/SetupResourceIds.h"
#include "setup/HandOver.h"
#include "setup/SetupText.h"
#include "setup/tests/RecordingSystem.h"

#include <gtest/gtest.h>

#include <fstream>

namespace
{
// A scratch folder with a package file in it, removed afterwards.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        m_path = MString(sX::Format(), L"%sQuillory setup test %s", temp, NewGuidString().GetText());
        CreateDirectoryW(m_path.GetText(), nullptr);
    }
    ~ScratchFolder()
    {
        for (const MString& file : m_files)
            DeleteFileW(file.GetText());
        RemoveDirectoryW(m_path.GetText());
    }
    MString File(const wchar_t* name, const char* contents = "package")
    {
        MString path(sX::Format(), L"%s\\%s", m_path.GetText(), name);
        std::ofstream(path.ToUtf8().GetText(), std::ios::binary) << contents;
        m_files.push_back(path);
        return path;
    }
    const MString& Path() const { return m_path; }

private:
    MString m_path;
    std::vector<MString> m_files;
};

SetupEnvironment TestEnvironment(RecordingSystem& system)
{
    return SetupEnvironment{system, GetModuleHandleW(nullptr), MString(L"C:\\Q\\{1}.Setup.exe"), 4321};
}

MString Text(unsigned id, unsigned language = 1033)
{
    return SetupString(GetModuleHandleW(nullptr), id, static_cast<LANGID>(language));
}

// The viewer's running marker, as a running viewer holds it.
class RunningViewer
{
public:
    RunningViewer() : m_marker(CreateEventW(nullptr, TRUE, FALSE, HandOver::RunningEventName)) {}
    void Quit() { m_marker.Close(); }

private:
    MHandle m_marker;
};

MString UpgradeLine(const wchar_t* eventName, const wchar_t* language = L"1033")
{
    return MString(sX::Format(), L"/upgrade***%s***D:\\Downloads\\q.msi***C:\\Program Files\\Q\\***%s***%s",
                   HandOver::ProductCode, eventName, language);
}

TEST(SetupModes, InstallerSuccessCodes)
{
    for (DWORD code : {0u, 1641u, 3010u})
        EXPECT_TRUE(IsInstallerSuccess(code)) << code;
    for (DWORD code : {1u, 1602u, 1603u, 1605u, 1618u, 1619u, 1620u, 3011u})
        EXPECT_FALSE(IsInstallerSuccess(code)) << code;
}

TEST(SetupModes, ElevationVerbByWindowsVersion)
{
    EXPECT_EQ(ElevationVerb(5, 1), nullptr);
    EXPECT_EQ(ElevationVerb(5, 2), nullptr);
    EXPECT_STREQ(ElevationVerb(5, 0), L"runas");
    EXPECT_STREQ(ElevationVerb(6, 1), L"runas");
    EXPECT_STREQ(ElevationVerb(10, 0), L"runas");
    EXPECT_STREQ(ElevationVerb(0, 0), L"runas");
}

TEST(SetupModes, UpgradeSetsTheExitEventWaitsAndHandsOver)
{
    const MString eventName(sX::Format(), L"%sLV_test_%s", HandOver::ProductCode, NewGuidString().GetText());
    MHandle exitEvent(CreateEventW(nullptr, TRUE, FALSE, eventName.GetText()));
    RunningViewer viewer;
    RecordingSystem system;
    // The viewer quits once it has seen the exit event, a few polls later.
    system.onSleep = [&](unsigned count) {
        if (count == 3 && WaitForSingleObject(exitEvent, 0) == WAIT_OBJECT_0)
            viewer.Quit();
    };
    EXPECT_EQ(RunUpgradeMode(UpgradeLine(eventName.GetText()), TestEnvironment(system)), SetupSucceeded);

    EXPECT_EQ(WaitForSingleObject(exitEvent, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(system.sleeps, std::vector<DWORD>(3, ViewerPollInterval));
    EXPECT_TRUE(system.messages.empty());
    ASSERT_EQ(system.runs.size(), 1u);
    EXPECT_EQ(system.runs[0].verb, L"runas"); // Wine reports Windows 10
    EXPECT_EQ(system.runs[0].file, L"C:\\Q\\{1}.Setup.exe");
    EXPECT_EQ(system.runs[0].parameters, std::wstring(L"/upgrade_uninstall_install***") + HandOver::ProductCode +
                                             L"***D:\\Downloads\\q.msi***C:\\Program Files\\Q\\***1033");
    ASSERT_EQ(system.starts.size(), 1u);
    EXPECT_EQ(system.starts[0].first, L"C:\\Program Files\\Q\\Quillory Window.exe");
    EXPECT_EQ(system.starts[0].second, L"\"/clean_setup_file***C:\\Q\\{1}.Setup.exe***4321\"");
}

TEST(SetupModes, UpgradeAsksAfter251PollsAndRetries)
{
    const MString eventName(sX::Format(), L"%sLV_test_%s", HandOver::ProductCode, NewGuidString().GetText());
    RunningViewer viewer;
    RecordingSystem system;
    system.messageAnswers = {IDRETRY};
    // Still there after the first question; gone 10 polls after the retry.
    system.onSleep = [&](unsigned count) {
        if (count == 251 + 10)
            viewer.Quit();
    };
    EXPECT_EQ(RunUpgradeMode(UpgradeLine(eventName.GetText(), L"1026"), TestEnvironment(system)), SetupSucceeded);
    EXPECT_EQ(system.sleeps.size(), 261u);
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(system.messages[0].text, std::wstring(ViewerNotStoppedText(1026).GetText()));
    EXPECT_EQ(system.messages[0].caption, L"Quillory - Setup");
    EXPECT_EQ(system.messages[0].type, static_cast<UINT>(MB_RETRYCANCEL | MB_ICONEXCLAMATION));
    EXPECT_EQ(system.runs.size(), 1u);
}

TEST(SetupModes, UpgradeCancelledWhileTheViewerStaysEndsWithOne)
{
    const MString eventName(sX::Format(), L"%sLV_test_%s", HandOver::ProductCode, NewGuidString().GetText());
    RunningViewer viewer;
    RecordingSystem system;
    system.messageAnswers = {IDRETRY, IDCANCEL};
    EXPECT_EQ(RunUpgradeMode(UpgradeLine(eventName.GetText(), L"x"), TestEnvironment(system)), SetupFailed);
    EXPECT_EQ(system.sleeps.size(), 502u);
    ASSERT_EQ(system.messages.size(), 2u);
    EXPECT_EQ(system.messages[1].text, std::wstring(ViewerNotStoppedText(1033).GetText()));
    EXPECT_TRUE(system.runs.empty());
    EXPECT_TRUE(system.starts.empty());
}

TEST(SetupModes, UpgradeLineTooShortOrCopyFailing)
{
    {
        RecordingSystem system;
        EXPECT_EQ(RunUpgradeMode(MString(L"/upgrade***{A}***p******e***1033"), TestEnvironment(system)), SetupFailed);
        ASSERT_EQ(system.messages.size(), 1u);
        EXPECT_EQ(system.messages[0].type, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(system.messages[0].text.empty(), false);
        EXPECT_TRUE(system.runs.empty());
    }
    const MString eventName(sX::Format(), L"%sLV_test_%s", HandOver::ProductCode, NewGuidString().GetText());
    {
        // Elevation declined: nothing is restarted.
        RecordingSystem system;
        system.runResults = {NotStarted(ERROR_CANCELLED)};
        EXPECT_EQ(RunUpgradeMode(UpgradeLine(eventName.GetText()), TestEnvironment(system)), SetupFailed);
        EXPECT_TRUE(system.starts.empty());
    }
    {
        // The copy failed and said so: the viewer still starts again (the
        // copy may have put the previous version back), the exit code is 1.
        RecordingSystem system;
        system.runResults = {Exited(1)};
        EXPECT_EQ(RunUpgradeMode(UpgradeLine(eventName.GetText()), TestEnvironment(system)), SetupFailed);
        EXPECT_EQ(system.starts.size(), 1u);
    }
}

struct InstallCase
{
    const char* name;
    std::deque<RunResult> results;
    bool previousAtHand;
    int exitCode;
    size_t runs;          // MsiExec runs
    unsigned messageId;   // 0: no message
};

TEST(SetupModes, UninstallInstallChecksTheInstallerCodes)
{
    ScratchFolder folder;
    const MString package = folder.File(L"new.msi");
    const MString previous = folder.File(L"cached.msi", "previous package");
    const InstallCase cases[] = {
        {"both work", {Exited(0), Exited(0)}, true, SetupSucceeded, 2, 0},
        {"restart needed counts as success", {Exited(3010), Exited(1641)}, true, SetupSucceeded, 2, 0},
        {"removal fails", {Exited(1603)}, true, SetupFailed, 1, IDS_SETUP_UNINSTALL_FAILED},
        {"removal cancelled", {Exited(1602)}, true, SetupFailed, 1, IDS_SETUP_UNINSTALL_FAILED},
        {"MsiExec missing", {NotStarted(ERROR_FILE_NOT_FOUND)}, true, SetupFailed, 1, IDS_SETUP_INSTALLER_NOT_STARTED},
        {"install fails, previous restored", {Exited(0), Exited(1603), Exited(0)}, true, SetupFailed, 3,
         IDS_SETUP_RESTORED_PREVIOUS},
        {"install fails, restore fails", {Exited(0), Exited(1620), Exited(1603)}, true, SetupFailed, 3,
         IDS_SETUP_RESTORE_FAILED},
        {"install fails, nothing at hand", {Exited(0), Exited(1603)}, false, SetupFailed, 2, IDS_SETUP_NO_PREVIOUS},
        {"install does not start", {Exited(0), NotStarted(ERROR_ACCESS_DENIED), Exited(0)}, true, SetupFailed, 3,
         IDS_SETUP_RESTORED_PREVIOUS},
    };
    for (const InstallCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        RecordingSystem system;
        system.runResults = c.results;
        if (c.previousAtHand)
            system.installedPackage = previous;
        const MString line(sX::Format(), L"/upgrade_uninstall_install***%s***%s***C:\\Q***1033", HandOver::ProductCode,
                           package.GetText());
        EXPECT_EQ(RunUninstallInstallMode(line, TestEnvironment(system)), c.exitCode);
        ASSERT_EQ(system.runs.size(), c.runs);
        for (const RecordedRun& run : system.runs)
        {
            EXPECT_EQ(run.verb, L"(none)");
            EXPECT_EQ(run.file, L"MsiExec.exe");
        }
        EXPECT_EQ(system.runs[0].parameters, std::wstring(L"/x ") + HandOver::ProductCode + L" /passive");
        if (c.runs > 1)
        {
            EXPECT_EQ(system.runs[1].parameters,
                      std::wstring(L"/i \"") + package.GetText() + L"\" /qb TARGETDIR=\"C:\\Q\"");
        }
        if (c.runs > 2)
        {
            // The previous package goes back from a copy taken before the
            // removal, into the same folder; the copy is gone afterwards.
            const std::wstring& restore = system.runs[2].parameters;
            EXPECT_EQ(restore.find(L"/i \""), 0u);
            EXPECT_NE(restore.find(L"Quillory previous {"), std::wstring::npos);
            EXPECT_NE(restore.find(L".msi\" /qb TARGETDIR=\"C:\\Q\""), std::wstring::npos);
            const std::wstring copy = restore.substr(4, restore.find(L"\" /qb") - 4);
            EXPECT_EQ(GetFileAttributesW(copy.c_str()), INVALID_FILE_ATTRIBUTES);
        }
        if (c.messageId == 0)
            EXPECT_TRUE(system.messages.empty());
        else
        {
            ASSERT_EQ(system.messages.size(), 1u);
            EXPECT_EQ(system.messages[0].type, static_cast<UINT>(MB_ICONERROR));
            EXPECT_EQ(system.messages[0].caption, L"Quillory - Setup");
            // The text is the entry's, with the codes filled in.
            const std::wstring format = Text(c.messageId).GetText();
            const std::wstring lead = format.substr(0, format.find(L'%'));
            EXPECT_EQ(system.messages[0].text.compare(0, lead.size(), lead), 0) << system.messages[0].text;
            if (c.messageId == IDS_SETUP_RESTORE_FAILED)
            {
                EXPECT_NE(system.messages[0].text.find(L"code 1620"), std::wstring::npos);
            }
        }
    }
}

TEST(SetupModes, UninstallInstallReportsInTheViewersLanguage)
{
    ScratchFolder folder;
    const MString package = folder.File(L"new.msi");
    RecordingSystem system;
    system.runResults = {Exited(1603)};
    const MString line(sX::Format(), L"/upgrade_uninstall_install***%s***%s***C:\\Q***1026", HandOver::ProductCode,
                       package.GetText());
    EXPECT_EQ(RunUninstallInstallMode(line, TestEnvironment(system)), SetupFailed);
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(system.messages[0].text,
              std::wstring(FormatSetupString(GetModuleHandleW(nullptr), IDS_SETUP_UNINSTALL_FAILED, 1026, L"Quillory",
                                             1603u)
                               .GetText()));
    EXPECT_NE(Text(IDS_SETUP_UNINSTALL_FAILED, 1026), Text(IDS_SETUP_UNINSTALL_FAILED, 1033));
}

TEST(SetupModes, UninstallInstallNeverRemovesWithoutTheNewPackage)
{
    RecordingSystem system;
    EXPECT_EQ(RunUninstallInstallMode(MString(L"/upgrade_uninstall_install***{A}***C:\\nowhere\\none.msi***C:\\Q"),
                                      TestEnvironment(system)),
              SetupFailed);
    EXPECT_TRUE(system.runs.empty());
    ASSERT_EQ(system.messages.size(), 1u);
    EXPECT_EQ(RunUninstallInstallMode(MString(L"/upgrade_uninstall_install***{A}***p"), TestEnvironment(system)),
              SetupFailed);
    EXPECT_EQ(system.messages.size(), 1u); // a short line ends without a message
}

TEST(SetupModes, PackedProductCode)
{
    EXPECT_STREQ(PackedProductCode(HandOver::ProductCode).GetText(), L"258590792414B974D93F8AB1081B2992");
    EXPECT_TRUE(PackedProductCode(L"97095852-4142-479B-9DF3-A81B80B19229").IsEmpty());
    EXPECT_TRUE(PackedProductCode(L"{97095852-4142-479B-9DF3-A81B80B1922G}").IsEmpty());
}

TEST(SetupText, StringTableInBothLanguages)
{
    for (unsigned id : {103u, 105u, 106u, 108u, 112u, 120u, 121u, 122u, 123u, 124u, 125u})
    {
        EXPECT_FALSE(Text(id, 1033).IsEmpty()) << id;
        EXPECT_FALSE(Text(id, 1026).IsEmpty()) << id;
        EXPECT_NE(Text(id, 1033), Text(id, 1026)) << id;
    }
    EXPECT_STREQ(Text(103).GetText(), L"Another instance of the %s is already running.");
    // Any other language reads as English.
    EXPECT_EQ(Text(112, 1031), Text(112, 1033));
    EXPECT_STREQ(SetupCaption(GetModuleHandleW(nullptr)).GetText(), L"Quillory - Setup");
}
}
