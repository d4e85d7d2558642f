#include "slideshow/DownloadWorker.h"

#include "filter/OnlineFilter.h"
#include "server/SlideDownloadWorker.h"
#include "core/ThreadCounter.h"

#include <memory>

namespace
{
HANDLE NewManualEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }
}

DownloadWorker::Control::Control() : runningEvent(NewManualEvent()), stopEvent(NewManualEvent()) {}

DownloadWorker::DownloadWorker() = default;

DownloadWorker::~DownloadWorker() { StopDownloadWorker(); }

bool DownloadWorker::IsRunning() const
{
    return WaitForSingleObject(m_control->runningEvent, 0) == WAIT_OBJECT_0;
}

bool DownloadWorker::Start(HWND owner, const std::shared_ptr<DownloadShared>& shared, bool advertDue)
{
    // One round at a time: an earlier thread that has not ended yet is
    // stopped first, so that two never write the record.
    StopDownloadWorker();
    auto data = std::make_unique<download_worker_data>();
    data->owner = owner;
    data->runningEvent = m_control->runningEvent;
    data->stopEvent = m_control->stopEvent;
    data->lastDownloadStart = &m_control->lastStart;
    data->crossFadeTimer = &shared->crossFadeTimer;
    data->record = &shared->record;
    data->keepAlive = {m_control, shared};
    data->advertDue = advertDue ? 1 : 0;
    // The stored filter while its switch is on; read for every request, so
    // that a filter changed in the gallery dialog applies to the next slide.
    data->filterBlob = LoadOnlineFilterRequestData();

    SetEvent(m_control->runningEvent);
    ResetEvent(m_control->stopEvent);
    // Counted in before it starts; none starts once the program is ending.
    MHandle thread(StartCountedThread(SlideDownloadWorker, data.get()));
    if (!thread.IsValid())
    {
        ResetEvent(m_control->runningEvent);
        return false;
    }
    // The thread owns its argument from here on.
    data.release();
    m_thread.Attach(thread.Release());
    return true;
}

void DownloadWorker::StopDownloadWorker()
{
    if (!m_thread.IsValid())
        return;
    SetEvent(m_control->stopEvent);
    // The thread handle is signalled when the thread has ended, whatever its
    // exit code (a code of STILL_ACTIVE included).
    WaitForSingleObject(m_thread, StopTimeoutMs);
    m_thread.Close();
}
