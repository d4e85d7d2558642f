// The download worker of the online slides as the main window sees it: its
// thread, the event that is set while it runs and the event that asks it to
// stop. The window thread never waits on it without a bound.
#pragma once

#include "foundation/Handle.h"

#include <windows.h>

class DownloadWorker
{
public:
    // How long the window thread waits for a worker that was asked to stop.
    static constexpr DWORD StopTimeoutMs = 10000;

    DownloadWorker();
    DownloadWorker(const DownloadWorker&) = delete;
    DownloadWorker& operator=(const DownloadWorker&) = delete;
    ~DownloadWorker();

    // Whether a worker runs now (its running event is set).
    bool IsRunning() const;
    // Starts a worker for a fetch; false when none could be started. The
    // worker itself comes with the online slides.
    bool Start(bool advertDue);
    // Asks a worker to stop and waits for its thread to end, at most
    // StopTimeoutMs. A worker that does not end in time is let go: the
    // thread counter still keeps the process until it has ended.
    void Stop();

private:
    MHandle m_thread{INVALID_HANDLE_VALUE};
    MHandle m_runningEvent;
    MHandle m_stopEvent;
};
