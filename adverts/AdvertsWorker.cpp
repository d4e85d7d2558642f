#include "adverts/Adverts.h"

#include "shell/core/PrivateMessages.h"
#include "shell/core/CrashReport.h"
#include "shell/core/ThreadCounter.h"
#include "shell/core/WorkerContext.h"

DWORD WINAPI AdvertsAndStatisticsWorker(LPVOID parameter)
{
    try
    {
        WorkerThreadScope counted;
        const auto& context = *static_cast<const WorkerContext*>(parameter);
        // The thread starts before the controller's window exists; its
        // reports go to that window.
        HANDLE start[] = {context.exitEvent, context.controllerReady};
        if (WaitForMultipleObjects(2, start, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return 0;
        // No adverts can be fetched yet: the round ends as a failed one does,
        // so that the main window does not wait for slide adverts.
        PostMessageW(context.ControllerWindow(), WM_ADVERTS_FAILED, 0, 0);
        WaitForSingleObject(context.exitEvent, INFINITE);
    }
    catch (...)
    {
        ReportWorkerCrash(__FILE__, __LINE__, std::current_exception());
    }
    return 0;
}
