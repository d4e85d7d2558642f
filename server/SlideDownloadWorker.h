// The download worker of one online slide: the keyed session, the slide
// POST with the cached state and the filter, the reply unwrapped, checked
// and handed to the round's record, the new cache written, and the main
// window told once no dialog or viewer of the program is open.
#pragma once

#include "server/OnlineSlideRecord.h"
#include "server/SlideCacheFile.h"

#include <windows.h>

#include <memory>
#include <vector>

// How one fetch ended.
enum class FetchOutcome
{
    Delivered, // the record holds a slide, the pending cache file is written
    Failed,    // the record holds state 128 and the failure's status
    Stopped,   // the stop event was seen: nothing to report
};

// Steps 4 to 15 of a round on the calling thread: state 5, a 2048-bit
// client key pair (taken from DownloadClientKeys), the session, the POST of
// the cache and the filter blob, the reply unwrapped and processed.
// Failures land in the record (state 128 and the status); for a malformed
// reply or a server message the cache files are deleted. stop may be null.
FetchOutcome FetchOnlineSlide(OnlineSlideRecord& record, bool advertDue, const MAtom<unsigned char>& filterBlob,
                              HANDLE stop, const SlideCacheFolder& cache = SlideCacheFolder());

// The value of the Client-PC-PK header: hex of the key blob, then hex of
// the three ASCII digits of the request number.
MStringEx<wchar_t> ClientKeyHeaderValue(const MAtom<unsigned char>& publicKeyBlob, unsigned requestNumber);

// The thread's argument, allocated by the starter and owned (and freed)
// by the worker.
struct download_worker_data
{
    // Told by WM_ONLINE_FETCH_ENDED, WM_CLOSE_PHOTO_VIEWER and
    // WM_MESSAGE_BOX_REQUEST.
    HWND owner = nullptr;
    // Set by the starter before the thread starts; reset by the worker last.
    HANDLE runningEvent = nullptr;
    // Set by the main window to stop the worker; every wait watches it.
    HANDLE stopEvent = nullptr;
    // The tick of the last start (shared between rounds, main window's).
    volatile LONG64* lastDownloadStart = nullptr;
    // Nonzero while a cross-fade runs (main window's).
    volatile LONG* crossFadeTimer = nullptr;
    // The main window's record: written by the worker, read by the main
    // window after WM_ONLINE_FETCH_ENDED or after the worker has ended.
    OnlineSlideRecord* record = nullptr;
    MStringEx<wchar_t> reserved;
    BYTE advertDue = 0;
    // The stored online filter (empty while the filter is off).
    MemoryPH<unsigned char> filterBlob;
    // The data folder of the cache (empty: the program's).
    MStringEx<wchar_t> cacheFolder;
    // What the pointers and handles above point into, kept alive until the
    // thread ends: a worker that was let go after a stop timed out still
    // writes its record and sets its events when its request finally ends.
    std::vector<std::shared_ptr<const void>> keepAlive;
};

// The least time between the starts of two rounds.
constexpr DWORD DownloadSpacingMs = 7000;
// How long a cross-fade running at delivery time delays the report.
constexpr DWORD CrossFadeDeliveryDelayMs = 2000;
// The step of the delivery wait while a dialog or viewer is open.
constexpr DWORD DeliveryPollMs = 100;

// The thread procedure; answers 0.
DWORD WINAPI SlideDownloadWorker(LPVOID data);

// Whether a dialog or viewer of the program that holds back delivery is
// open; photoViewerOpen tells whether the large photo viewer is one of them.
bool DeliveryBlockingDialogOpen(bool& photoViewerOpen);
