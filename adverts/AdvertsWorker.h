// The adverts-and-statistics thread: a report about every five minutes and
// one more when the controller ends.
#pragma once

#include "adverts/AdvertStats.h"

#include <functional>

struct WorkerContext;

// Time between two reports.
constexpr DWORD AdvertsReportPeriod = 300000;

struct AdvertsWorkerSetup
{
    const WorkerContext* context = nullptr;
    AdvertStatsLists* stats = nullptr;
    // Whether the server can be reached at all; IsInternetReachable when empty.
    std::function<bool()> reachable;
    // The adverts page; the server's get-am.aspx when empty.
    MString url;
    DWORD period = AdvertsReportPeriod;
};

// The thread's work after the controller's window exists: each round posts
// WM_MENU_ADVERTS, WM_OVERLAY_ADVERTS and WM_SLIDE_ADVERTS with the lists it
// reported, or WM_ADVERTS_FAILED; after the exit event one last report goes
// out whose reply is not read. Exceptions outside a round pass to the caller.
void RunAdvertsAndStatistics(const AdvertsWorkerSetup& setup);

// Started by the controller's constructor; parameter is an
// AdvertsWorkerSetup that outlives the thread. Started as a counted thread;
// waits for the controller's window first.
DWORD WINAPI AdvertsAndStatisticsWorker(LPVOID setup);
