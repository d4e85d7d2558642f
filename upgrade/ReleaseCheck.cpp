#include "upgrade/ReleaseCheck.h"

#include "shell/core/CrashReport.h"
#include "shell/core/PrivateMessages.h"
#include "shell/core/ThreadCounter.h"
#include "shell/core/WorkerContext.h"

namespace
{
// One check against the server's release document: comes with the release
// check itself.
void CheckForNewRelease(const WorkerContext&)
{
}

// Looks for a visible Windows Installer window of the product and quits the
// program when there is one: comes with the release check itself.
void QuitForRunningInstaller(const WorkerContext&)
{
}
}

DWORD WINAPI ReleaseCheckThreadProc(LPVOID parameter)
{
    try
    {
        WorkerThreadScope counted;
        const auto& controller = *static_cast<const WorkerContext*>(parameter);

        // The first check waits for the tray icon, or for the end: with the
        // icon switched off or refused the event may come late or never.
        HANDLE start[] = {controller.exitEvent, controller.trayIconReady};
        if (WaitForMultipleObjects(2, start, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return 0;

        HANDLE events[] = {controller.exitEvent, controller.releaseCheck, controller.upgradeExit,
                           controller.checkReleaseNow};
        for (;;)
        {
            {
                Lock checking(*controller.releaseCheckLock);
                CheckForNewRelease(controller);
            }
            const DWORD woken = WaitForMultipleObjects(4, events, FALSE, 14400000);
            if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED)
                return 0;
            if (woken == WAIT_OBJECT_0 + 1)
            {
                // Nothing in the program sets this event; reset it so that one
                // outside signal leads to one look.
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
                ResetEvent(controller.checkReleaseNow);
        }
    }
    catch (...)
    {
        ReportWorkerCrash(__FILE__, __LINE__, std::current_exception());
    }
    return 0;
}
