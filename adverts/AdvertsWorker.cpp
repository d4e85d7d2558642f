#include "adverts/Adverts.h"

#include "shell/core/PrivateMessages.h"
#include "shell/core/CrashReport.h"
#include "shell/core/ThreadCounter.h"
#include "shell/WindowBase.h"

DWORD WINAPI AdvertsAndStatisticsWorker(LPVOID parameter)
{
    try
    {
        WorkerThreadScope counted;
        auto* controller = static_cast<CWindowBase*>(parameter);
        // The thread starts before the controller's window exists; its
        // reports go to that window.
        while (!controller->ControllerWindow())
        {
            if (WaitForSingleObject(controller->ExitEvent, 50) != WAIT_TIMEOUT)
                return 0;
        }
        // No adverts can be fetched yet: the round ends as a failed one does,
        // so that the main window does not wait for slide adverts.
        PostMessageW(controller->ControllerWindow(), WM_ADVERTS_FAILED, 0, 0);
        while (WaitForSingleObject(controller->ExitEvent, 300000) == WAIT_TIMEOUT)
        {
        }
    }
    catch (...)
    {
        ReportWorkerCrash(__FILE__, __LINE__, std::current_exception());
    }
    return 0;
}
