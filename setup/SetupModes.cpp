#include "setup/SetupModes.h"

#include "foundation/Handle.h"
#include "foundation/SystemUtilities.h"
#include "resources/setup/SetupResourceIds.h"
#include "setup/HandOver.h"
#include "setup/SetupText.h"

namespace
{
const wchar_t MsiExec[] = L"MsiExec.exe";

// Waits until the viewer's running marker is gone; false when the user
// gives up.
bool WaitForViewerToEnd(const SetupEnvironment& environment, LANGID language)
{
    unsigned counter = 0;
    while (IsViewerRunning())
    {
        environment.system.Sleep(ViewerPollInterval);
        if (++counter <= ViewerPollLimit)
            continue;
        const int answer =
            environment.system.ShowMessage(GetDesktopWindow(), ViewerNotStoppedText(language).GetText(),
                                           SetupCaption(environment.module).GetText(),
                                           MB_RETRYCANCEL | MB_ICONEXCLAMATION);
        if (answer != IDRETRY)
            return false;
        counter = 0;
    }
    return true;
}

bool FileExists(const MString& path)
{
    const DWORD attributes = GetFileAttributesW(path.GetText());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A copy of the installed product's package, taken before the removal
// deletes the Windows Installer's cached one; deleted when done with.
class KeptPackage
{
public:
    KeptPackage(SetupSystem& system, const MString& productCode)
    {
        const MString cached = system.FindInstalledPackage(productCode.GetText());
        if (cached.IsEmpty())
            return;
        wchar_t folder[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
        if (length == 0 || length > MAX_PATH)
            return;
        const MString copy(sX::Format(), L"%sQuillory previous %s.msi", folder, NewGuidString().GetText());
        if (CopyFileW(cached.GetText(), copy.GetText(), TRUE))
            m_path = copy;
    }
    KeptPackage(const KeptPackage&) = delete;
    KeptPackage& operator=(const KeptPackage&) = delete;
    ~KeptPackage()
    {
        if (!m_path.IsEmpty())
            DeleteFileW(m_path.GetText());
    }

    const MString& Path() const { return m_path; }

private:
    MString m_path;
};

// The Windows Installer's code of a run, or the system's error when it did
// not start at all.
DWORD ReportedCode(const RunResult& run)
{
    return run.started ? run.exitCode : run.startError;
}

bool Succeeded(const RunResult& run)
{
    return run.started && IsInstallerSuccess(run.exitCode);
}
}

SetupEnvironment CurrentSetupEnvironment(SetupSystem& system)
{
    MemoryPH<wchar_t> path(400000);
    const DWORD length = GetModuleFileNameW(nullptr, path.GetData(), 400000);
    path[length < 400000 ? length : 0] = 0;
    return SetupEnvironment{system, GetModuleHandleW(nullptr), MString(path.GetData()), GetCurrentProcessId()};
}

bool IsInstallerSuccess(DWORD exitCode)
{
    return exitCode == ERROR_SUCCESS || exitCode == ERROR_SUCCESS_REBOOT_INITIATED ||
           exitCode == ERROR_SUCCESS_REBOOT_REQUIRED;
}

const wchar_t* ElevationVerb(DWORD major, DWORD minor)
{
    return major == 5 && minor > 0 ? nullptr : L"runas";
}

bool IsViewerRunning()
{
    HANDLE marker = CreateEventW(nullptr, TRUE, FALSE, HandOver::RunningEventName);
    const bool exists = marker && GetLastError() == ERROR_ALREADY_EXISTS;
    if (marker)
        CloseHandle(marker);
    return exists;
}

int RunUpgradeMode(const MString& switchText, const SetupEnvironment& environment)
{
    // Held until the end; nothing tests it, it marks the hand-over.
    MHandle upgradeMutex(CreateMutexW(nullptr, TRUE, HandOver::SetupUpgradeMutexName));

    UpgradeRequest request;
    if (!ParseUpgradeCommandLine(switchText, request))
    {
        environment.system.ShowMessage(
            GetDesktopWindow(),
            SetupString(environment.module, IDS_SETUP_TOO_FEW_PARAMETERS, DefaultSetupLanguage()).GetText(),
            SetupCaption(environment.module).GetText(), MB_ICONERROR);
        return SetupFailed;
    }
    const LANGID language = SetupLanguageOf(request.language);

    // The viewer sees the event and quits in order; the handle stays open
    // so that the event lives until the viewer has seen it.
    MHandle exitEvent(CreateEventW(nullptr, TRUE, FALSE, request.exitEventName.GetText()));
    if (exitEvent.IsValid())
        SetEvent(exitEvent);

    if (!WaitForViewerToEnd(environment, language))
        return SetupFailed;

    InstallRequest install;
    install.productCode = request.productCode;
    install.packagePath = request.packagePath;
    install.installFolder = request.installFolder;
    install.language = language;
    DWORD major = 0, minor = 0;
    GetWindowsVersion(major, minor);
    const RunResult elevated = environment.system.RunAndWait(
        ElevationVerb(major, minor), environment.ownPath.GetText(), MakeInstallCommandLine(install).GetText());
    if (!elevated.started)
        return SetupFailed;

    // Also after a failed step: the copy may have put the previous version
    // back, and the restarted viewer deletes this file. A missing viewer
    // simply does not start.
    environment.system.StartProgram(
        ViewerPathIn(request.installFolder).GetText(),
        MakeCleanSetupCommandLine(environment.ownPath.GetText(), environment.processId).GetText());
    return elevated.exitCode == 0 ? SetupSucceeded : SetupFailed;
}

int RunUninstallInstallMode(const MString& switchText, const SetupEnvironment& environment)
{
    InstallRequest request;
    if (!ParseInstallCommandLine(switchText, request))
        return SetupFailed;
    SetupSystem& system = environment.system;
    HMODULE module = environment.module;
    const LANGID language = SetupLanguageOf(request.language);
    const MString caption = SetupCaption(module);
    auto report = [&](const MString& text) {
        system.ShowMessage(GetDesktopWindow(), text.GetText(), caption.GetText(), MB_ICONERROR);
        return SetupFailed;
    };

    // Without the new package the removal would leave the user with nothing.
    if (!FileExists(request.packagePath))
        return report(FormatSetupString(module, IDS_SETUP_PACKAGE_MISSING, language, request.packagePath.GetText()));

    const KeptPackage previous(system, request.productCode);

    const RunResult removal =
        system.RunAndWait(nullptr, MsiExec, MsiUninstallParameters(request.productCode).GetText());
    if (!removal.started)
        return report(FormatSetupString(module, IDS_SETUP_INSTALLER_NOT_STARTED, language, removal.startError));
    if (!IsInstallerSuccess(removal.exitCode))
        return report(FormatSetupString(module, IDS_SETUP_UNINSTALL_FAILED, language, ProductName, removal.exitCode));

    const RunResult installation = system.RunAndWait(
        nullptr, MsiExec, MsiInstallParameters(request.packagePath, request.installFolder).GetText());
    if (Succeeded(installation))
        return SetupSucceeded;

    const DWORD failure = ReportedCode(installation);
    if (previous.Path().IsEmpty())
        return report(FormatSetupString(module, IDS_SETUP_NO_PREVIOUS, language, ProductName, failure,
                                        request.packagePath.GetText()));
    const RunResult restore = system.RunAndWait(
        nullptr, MsiExec, MsiInstallParameters(previous.Path(), request.installFolder).GetText());
    if (Succeeded(restore))
        return report(FormatSetupString(module, IDS_SETUP_RESTORED_PREVIOUS, language, ProductName, failure));
    return report(FormatSetupString(module, IDS_SETUP_RESTORE_FAILED, language, ProductName, failure,
                                    ReportedCode(restore), request.packagePath.GetText()));
}
