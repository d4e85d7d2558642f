// The download worker of the online slides as the main window sees it: its
// thread, the event that is set while it runs, the event that asks it to
// stop and the tick of the last start, which spaces the rounds. The window
// thread never waits on it without a bound.
#pragma once

#include "foundation/Handle.h"
#include "slideshow/InternetSlideState.h"

#include <windows.h>

#include <memory>

// What the main window shares with the download workers it starts: the
// record a round fills and the cross-fade flag the delivery looks at. The
// window and every worker hold it, so a worker let go after a stop timed out
// writes into live memory when its request ends, even after the window went.
struct DownloadShared
{
    InternetSlideState record;
    // Nonzero while the window's cross-fade timer runs.
    volatile LONG crossFadeTimer = 0;
};

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
    // Starts a round for the window's record: the worker fills the shared
    // record and reports to owner (WM_ONLINE_FETCH_ENDED). False when no
    // thread could be made.
    bool Start(HWND owner, const std::shared_ptr<DownloadShared>& shared, bool advertDue);
    // Asks a worker to stop and waits for its thread to end, at most
    // StopTimeoutMs. A worker that does not end in time is let go: the
    // thread counter still keeps the process until it has ended. (The main
    // window's stop of its worker, kept here with the worker's thread.)
    void StopDownloadWorker();

private:
    // The events and the last start, shared with the threads like the record.
    struct Control
    {
        Control();
        MHandle runningEvent;
        MHandle stopEvent;
        // GetTickCount64 of the last start, written by the worker.
        volatile LONG64 lastStart = 0;
    };

    MHandle m_thread{INVALID_HANDLE_VALUE};
    std::shared_ptr<Control> m_control = std::make_shared<Control>();
};
