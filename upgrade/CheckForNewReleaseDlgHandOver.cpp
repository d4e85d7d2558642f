// CCheckForNewReleaseDlg: the hand-over of a verified package to the setup
// program, and the manual route when it fails.
#include "upgrade/CheckForNewReleaseDlg.h"

#include "foundation/SystemUtilities.h"
#include "core/CommandLine.h"
#include "upgrade/AutomaticUpgrade.h"

#include <cstring>
#include <vector>

namespace
{
// Explorer's start before the installed-programs list opens.
constexpr DWORD ManualRoutePause = 200;

// The setup program carried by this program's file; empty when it has none.
MemoryPH<unsigned char> SetupProgramBytes()
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(SetupResourceId), SetupResourceType);
    const DWORD size = resource ? SizeofResource(module, resource) : 0;
    HGLOBAL loaded = size ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    MemoryPH<unsigned char> program(bytes ? size : 0);
    if (bytes)
        std::memcpy(program.GetData(), bytes, size);
    return program;
}

bool StartProcess(const wchar_t* application, const MString& commandLine)
{
    std::vector<wchar_t> line(commandLine.GetText(), commandLine.GetText() + commandLine.GetLength() + 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(application, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}
} // namespace

void CCheckForNewReleaseDlg::StartAutomaticUpgrade(const MString& packagePath)
{
    MString setupFile;
    bool created = false;
    unsigned step = 0;
    try
    {
        MString installFolder;
        step = ReadInstallLocation(ProductUninstallKeyPath(), installFolder);
        if (step == 0 && !IsProgramFolder(installFolder, ProgramFolder()))
            step = HandOverOtherFolder;
        MemoryPH<unsigned char> program;
        if (step == 0)
        {
            program = SetupProgramBytes();
            if (program.IsEmpty())
                step = HandOverNoSetupResource;
        }
        if (step == 0)
        {
            // In the program's folder: where the next start's clean-up looks
            // for it, and the only place it deletes from.
            setupFile = NewSetupFilePath(installFolder);
            step = WriteSetupFile(program, setupFile, created);
        }
        if (step == 0)
        {
            Show(MString(sX::Format(), IDS_UPGRADE_SETUP_STARTS, m_productLabel.GetText()), MB_ICONEXCLAMATION);
            const MString line = UpgradeCommandLineFor(packagePath, installFolder, m_upgradeExitEventName, UiLanguage);
            if (StartProcess(setupFile.GetText(), line))
                return;
            step = HandOverSetupNotStarted;
        }
    }
    catch (...)
    {
        step = HandOverUnexpected;
    }
    // Only a file this hand-over made is removed again.
    ReportUpgradeFailure(packagePath, created ? setupFile : MString(L""), step);
}

void CCheckForNewReleaseDlg::ReportUpgradeFailure(const MString& packagePath, const MString& setupFile, unsigned step)
{
    if (!setupFile.IsEmpty())
        DeleteFileW(setupFile.GetText());
    Show(MString(sX::Format(), IDS_UPGRADE_HANDOVER_FAILED, m_productLabel.GetText(), step, m_productLabel.GetText()),
         MB_ICONERROR);
    ManualInstallRoute(packagePath);
}

CCheckForNewReleaseDlg::ManualRouteFunction CCheckForNewReleaseDlg::ManualInstallRoute = [](const MString& packagePath) {
    // The package shown in Explorer, then the list of installed programs.
    StartProcess(nullptr, MString(sX::Format(), L"Explorer /select,\"%s\"", packagePath.GetText()));
    Sleep(ManualRoutePause);
    WinExec("rundll32.exe shell32.dll,Control_RunDLL appwiz.cpl", SW_SHOWNORMAL);
};
