#include "adverts/AdvertsWorker.h"

#include "adverts/AdvertsMessages.h"
#include "adverts/AdvertsReport.h"
#include "foundation/ComApartment.h"
#include "foundation/SystemUtilities.h"
#include "server/ServerPages.h"
#include "core/CrashReport.h"
#include "core/PrivateMessages.h"
#include "core/WorkerContext.h"

#include <objbase.h>

#include <new>

namespace
{
// A controller window that is gone (null once the controller ended) frees
// what the round would have posted.
template <class Message, class Stats, class Record>
void PostRound(HWND controller, MList<Stats>& stats, std::unique_ptr<Record>& record)
{
    Message::Post(controller, std::make_unique<MList<Stats>>(std::move(stats)), std::move(record));
}

// One report; false when the exchange failed.
bool ReportRound(const AdvertsWorkerSetup& setup, bool last)
{
    const HWND controller = setup.context->ControllerWindow();
    try
    {
        const MString url = setup.url.IsEmpty() ? GetServerPageUrl(PageAdvertsAndStatistics) : setup.url;
        std::unique_ptr<AdvertsExchange> round = ExchangeAdvertsAndStatistics(*setup.stats, url, !last);
        if (last)
            return true;
        PostRound<MenuAdvertsMessage>(controller, round->menuStats, round->menu);
        PostRound<OverlayAdvertsMessage>(controller, round->overlayStats, round->overlay);
        PostRound<SlideAdvertsMessage>(controller, round->slideStats, round->slides);
        return true;
    }
    catch (const QuilloryError&)
    {
    }
    catch (const std::bad_alloc&)
    {
    }
    if (!last)
        PostMessageW(controller, WM_ADVERTS_FAILED, 0, 0);
    return false;
}
}

void RunAdvertsAndStatistics(const AdvertsWorkerSetup& setup)
{
    const std::function<bool()> reachable =
        setup.reachable ? setup.reachable : std::function<bool()>([] { return IsInternetReachable(); });
    bool last = false;
    for (;;)
    {
        if (reachable())
            ReportRound(setup, last);
        else if (!last)
            // Nothing is sent; the round counts as a failed one, so that the
            // slide show does not wait for adverts that cannot come.
            PostMessageW(setup.context->ControllerWindow(), WM_ADVERTS_FAILED, 0, 0);
        if (last)
            return;
        const DWORD woken = WaitForSingleObject(setup.context->exitEvent, setup.period);
        if (woken == WAIT_OBJECT_0)
            last = true;
        else if (woken != WAIT_TIMEOUT)
            return;
    }
}

DWORD WINAPI AdvertsAndStatisticsWorker(LPVOID parameter)
{
    // Known once the controller's window exists; before that nobody can be
    // told, and the controller may not even wait for this thread.
    const WorkerContext* controller = nullptr;
    try
    {
        const ComApartment apartment;
        SetThreadLocale(MAKELCID(UiLanguage, SORT_DEFAULT));
        const auto& setup = *static_cast<const AdvertsWorkerSetup*>(parameter);
        // The thread starts before the controller's window exists; its
        // reports go to that window.
        HANDLE start[] = {setup.context->exitEvent, setup.context->controllerReady};
        if (WaitForMultipleObjects(2, start, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return 0;
        controller = setup.context;
        RunAdvertsAndStatistics(setup);
    }
    catch (...)
    {
        ReportWorkerCrash(__FILE__, __LINE__, std::current_exception());
        // The user learns that the reports stopped; when the controller's
        // window is there but cannot be told, the desktop shows it.
        const HWND window = controller ? controller->ControllerWindow() : nullptr;
        if (window && !PostWorkerCrashMessage(window))
            MessageBoxW(nullptr, L"Super exception 2", L"Window Base", MB_ICONERROR);
    }
    return 0;
}
