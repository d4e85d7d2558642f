// The download worker of the online slides as the main window sees it: its
// thread, the event that is set while it runs, the event that asks it to
// stop and the tick of the last start, which spaces the rounds. The window
// thread never waits on it without a bound.
#pragma once

#include "foundation/Handle.h"
#include "server/OnlineSlideRecord.h"

#include <windows.h>

class DownloadWorker
{
public:
    // How long the window thread waits for a worker that was asked to stop.
    // Every wait of the worker watches the stop event, so it ends well
    // within this; together with the rest of the quit it stays inside the
    // 20 s the program waits for its workers.
    static constexpr DWORD StopTimeoutMs = 10000;

    DownloadWorker();
    DownloadWorker(const DownloadWorker&) = delete;
    DownloadWorker& operator=(const DownloadWorker&) = delete;
    ~DownloadWorker();

    // Whether a worker runs now (its running event is set).
    bool IsRunning() const;
    // Starts a round for the window's record: the worker fills record and
    // reports to owner (WM_ONLINE_FETCH_ENDED). crossFadeTimer is nonzero
    // while the window cross-fades; record and crossFadeTimer must outlive
    // the worker (Stop before they go). False when no thread could be made.
    bool Start(HWND owner, OnlineSlideRecord& record, volatile LONG* crossFadeTimer, bool advertDue);
    // Asks a worker to stop and waits for its thread to end, at most
    // StopTimeoutMs. A worker that does not end in time is let go: the
    // thread counter still keeps the process until it has ended.
    void Stop();

private:
    MHandle m_thread{INVALID_HANDLE_VALUE};
    MHandle m_runningEvent;
    MHandle m_stopEvent;
    // GetTickCount64 of the last start, written by the worker.
    volatile LONG64 m_lastStart = 0;
};
