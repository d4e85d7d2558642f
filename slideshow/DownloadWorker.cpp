#include "slideshow/DownloadWorker.h"

namespace
{
HANDLE NewManualEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }
}

DownloadWorker::DownloadWorker() : m_runningEvent(NewManualEvent()), m_stopEvent(NewManualEvent()) {}

DownloadWorker::~DownloadWorker() { Stop(); }

bool DownloadWorker::IsRunning() const { return WaitForSingleObject(m_runningEvent, 0) == WAIT_OBJECT_0; }

// Until the online slides come no fetch starts: the step shows what stands
// for the online slide and the slide timer polls.
bool DownloadWorker::Start(bool) { return false; }

void DownloadWorker::Stop()
{
    if (!m_thread.IsValid())
        return;
    SetEvent(m_stopEvent);
    // The thread handle is signalled when the thread has ended, whatever its
    // exit code (a code of STILL_ACTIVE included).
    WaitForSingleObject(m_thread, StopTimeoutMs);
    m_thread.Close();
}
