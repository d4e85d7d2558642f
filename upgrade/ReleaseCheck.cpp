#include "upgrade/ReleaseCheck.h"

#include "foundation/AtomPersistence.h"
#include "foundation/ComApartment.h"
#include "foundation/PostOwned.h"
#include "foundation/SystemUtilities.h"
#include "resources/languages/LanguageIds.h"
#include "server/ServerPages.h"
#include "core/CrashReport.h"
#include "core/Language.h"
#include "core/PrivateMessages.h"
#include "core/WorkerContext.h"

#include <objbase.h>
#include <psapi.h>

#include <memory>

namespace
{
constexpr DWORD CheckInterval = 4 * 60 * 60 * 1000;
constexpr int SmallestInstallerWindow = 100;
constexpr DWORD NameRoom = 260;

MString ServerPage(const wchar_t* page)
{
    return MString(sX::Format(), L"%s/%s", ServerBaseAddress().GetText(), page);
}

// One check; the controller learns its result, a newer release or none.
void CheckAndReport(const WorkerContext& controller, const ReleaseQuery& query)
{
    std::unique_ptr<ReleaseInfo> found(
        CheckForNewRelease(ServerPage(L"get-cv.aspx"), ServerPage(L"get-ip.aspx"), query));
    if (controller.ReleaseAvailableEvent)
    {
        if (found)
            SetEvent(controller.ReleaseAvailableEvent);
        else
            ResetEvent(controller.ReleaseAvailableEvent);
    }
    // A controller window that is gone (null once the controller ended) frees the result.
    PostReleaseCheckResult(controller.ControllerWindow(), std::move(found));
}

// Looks for a visible Windows Installer window of the product and quits the
// program when there is one.
void QuitForRunningInstaller(const WorkerContext& controller)
{
    bool found = false;
    EnumWindows(FindInstallerWindowProc, reinterpret_cast<LPARAM>(&found));
    if (found)
        PostMessageW(controller.ControllerWindow(), WM_COMMAND, ID_QUIT, 0);
}

} // namespace

ReleaseQuery ProgramReleaseQuery()
{
    ReleaseQuery query;
    query.productName = ReleaseProductName;
    query.localVersion = MString(L"ProductVersion", static_cast<HMODULE>(nullptr));
    query.changesLanguage = ReleaseChangesLanguage(UiLanguage);
    const MString caption(ResId(IDS_PRODUCT_CAPTION));
    query.defaultChanges = MString(sX::Format(), IDS_RELEASE_DEFAULT_CHANGES, caption.GetText());
    query.webPagePrefix = L"https://";
    return query;
}

ReleaseInfo* CheckForNewRelease(const MString& address, const MString& installerAddress, const ReleaseQuery& query)
{
    ReleaseFound found;
    if (!CheckReleaseDocument(address, query, found))
        return nullptr;
    std::unique_ptr<ReleaseInfo> info(new ReleaseInfo);
    info->record.version = found.serverVersion;
    info->record.notes = found.changes;
    info->record.links.first = installerAddress;
    info->record.links.second = found.webPage;
    return info.release();
}

bool IsInstallerWindow(const wchar_t* title, const wchar_t* className, const wchar_t* moduleName)
{
    if (moduleName && _wcsicmp(moduleName, L"msiexec.exe") != 0)
        return false;
    if (!title || std::wcscmp(title, ReleaseProductName) != 0)
        return false;
    return className && std::wcsstr(className, L"msi");
}

BOOL CALLBACK FindInstallerWindowProc(HWND window, LPARAM found)
{
    return NoThrow<BOOL>(TRUE, [&]() -> BOOL {
        if (!IsWindow(window) || !(GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE))
            return TRUE;
        RECT r{};
        if (!GetWindowRect(window, &r) || r.right - r.left < SmallestInstallerWindow ||
            r.bottom - r.top < SmallestInstallerWindow)
            return TRUE;

        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
        if (!process)
            return TRUE;
        wchar_t moduleName[NameRoom + 1] = {};
        bool moduleRead = false, moduleUnreadable = false;
        HMODULE first = nullptr;
        DWORD needed = 0;
        if (EnumProcessModules(process, &first, sizeof(first), &needed))
        {
            moduleRead = true;
            moduleUnreadable = GetModuleBaseNameW(process, first, moduleName, NameRoom) == 0;
        }
        CloseHandle(process);
        if (moduleUnreadable)
            return TRUE;

        wchar_t title[NameRoom + 1] = {}, className[NameRoom + 1] = {};
        if (GetWindowTextW(window, title, NameRoom) == 0 || GetClassNameW(window, className, NameRoom) == 0)
            return TRUE;
        if (!IsInstallerWindow(title, className, moduleRead ? moduleName : nullptr))
            return TRUE;
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    });
}

DWORD WINAPI ReleaseCheckThreadProc(LPVOID parameter)
{
    const auto& controller = *static_cast<const WorkerContext*>(parameter);
    try
    {
        ComApartment apartment;
        SetThreadLocale(MAKELCID(UiLanguage, SORT_DEFAULT));
        const ReleaseQuery query = ProgramReleaseQuery();

        // The first check waits for the tray icon, or for the end: with the
        // icon switched off or refused the event may come late or never.
        HANDLE start[] = {controller.exitEvent, controller.trayIconReady};
        if (WaitForMultipleObjects(2, start, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return 0;

        HANDLE events[] = {controller.exitEvent, controller.releaseCheck, controller.upgradeExit,
                           controller.ReleaseRecheckEvent};
        for (;;)
        {
            {
                Lock checking(*controller.releaseCheckLock);
                CheckAndReport(controller, query);
            }
            const DWORD woken = WaitForMultipleObjects(4, events, FALSE, CheckInterval);
            if (woken == WAIT_OBJECT_0 + 1)
            {
                // Nothing in the program sets this event and it is
                // manual-reset: reset it, so that one outside signal leads to
                // one look and one check rather than a check without pause.
                ResetEvent(controller.releaseCheck);
                QuitForRunningInstaller(controller);
            }
            else if (woken == WAIT_OBJECT_0 + 2)
            {
                // The setup program asks this copy to quit; the event stays
                // set, so only the end is waited for now.
                PostMessageW(controller.ControllerWindow(), WM_COMMAND, ID_QUIT, 0);
                WaitForSingleObject(controller.exitEvent, INFINITE);
                return 0;
            }
            else if (woken == WAIT_OBJECT_0 + 3)
                ResetEvent(controller.ReleaseRecheckEvent);
            else if (woken != WAIT_TIMEOUT)
                return 0;
        }
    }
    catch (...)
    {
        ReportWorkerCrash(__FILE__, __LINE__, std::current_exception());
        PostWorkerCrashMessage(controller.ControllerWindow());
    }
    return 0;
}
