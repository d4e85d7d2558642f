// The gallery dialog's scan: one worker thread per job checks each path,
// classifies it, makes its thumbnail or reads its media duration, and hands
// finished records to the dialog by messages. The first pass sends a quick
// record per path (the dialog answers whether a second pass is needed); the
// second pass sends the full record with thumbnail, size and duration.
#pragma once

#include "foundation/PostOwned.h"
#include "foundation/StringEx.h"
#include "foundation/Sync.h"

#include <windows.h>

#include <memory>
#include <vector>

class MediaProbe;

// Records travel in batches, so that a scan of many small files does not pay
// for a cross-thread message per path (costly under Wine).
//
// Sent: lParam a ScanRecordBatch of the first pass (paths in job order); the
// receiver takes its records and answers each with its SecondPassProcessing
// bits. A batch goes out when it is full, when its first record has waited
// long enough, and at the end of the pass.
constexpr UINT WM_SCAN_QUICK_RECORDS = WM_USER + 39;
// Posted when the second pass put a batch of records into the receiver's
// empty ScanRecordQueue (lParam): the receiver takes every queued record, in
// order. The thread goes on scanning meanwhile. A batch goes out as the
// first pass's do.
constexpr UINT WM_SCAN_RECORDS = WM_USER + 40;
// Posted: end of a pass, wParam 1 after the first and 0 after the second,
// lParam a heap MString summary (freed by the receiver); wParam ScanEnded
// (lParam 0) when the thread has ended.
constexpr UINT WM_SCAN_PASS_END = WM_USER + 41;
constexpr WPARAM ScanEnded = static_cast<WPARAM>(-1);
inline bool PostScanPassEnd(HWND dialog, bool first, std::unique_ptr<MString> summary)
{
    return PostOwned(dialog, WM_SCAN_PASS_END, first ? 1 : 0, std::move(summary));
}
// The summary of a pass; null for ScanEnded.
inline std::unique_ptr<MString> TakeScanPassEnd(LPARAM lParam)
{
    return TakeOwned<MString>(lParam);
}
// Sent in the second pass before the next paths are processed: lParam a
// StillHeldQuery; the receiver answers for each path whether it still holds
// it (a path it let go is skipped).
constexpr UINT WM_SCAN_STILL_HELD = WM_USER + 42;

// The dialog's answer to a quick record.
enum SecondPassProcessing : LRESULT
{
    NeedsSecondPass = 0,
    SkipSecondPass = 1,
    // The summary ends with the note that files of a folder of the gallery
    // were not added again.
    NoteFolderMerge = 2,
};

enum class ScanMode : unsigned char
{
    AddFiles = 0,
    Rescan = 1,
};

// The record of one path; the receiver owns it (and its thumbnail).
struct FileItemRecord
{
    enum Kind : UINT
    {
        File = 0,
        Folder = 1,   // a folder (quick record), or one refused as protected
        Unusable = 2, // missing or hidden
    };

    MString path;
    UINT kind = File;
    MString status;
    MString contentKind;
    MString typeName;
    UINT width = ~0u, height = ~0u;
    double duration = -1.0;
    unsigned __int64 size = ~0ull;
    HBITMAP thumbnail = nullptr;
    UINT icon = 0;

    FileItemRecord() = default;
    FileItemRecord(const FileItemRecord&) = delete;
    FileItemRecord& operator=(const FileItemRecord&) = delete;
    ~FileItemRecord()
    {
        if (thumbnail)
            DeleteObject(thumbnail);
    }
    // Hands the thumbnail over to the caller.
    HBITMAP TakeThumbnail()
    {
        HBITMAP taken = thumbnail;
        thumbnail = nullptr;
        return taken;
    }
};

struct ScanRecordBatch
{
    // Owned by the batch until the receiver takes them (std::move).
    std::vector<std::unique_ptr<FileItemRecord>> records;
    // First pass: one answer per record, written by the receiver.
    std::vector<LRESULT> answers;
};

// The receiver's queue of second-pass records; it outlives every scan that
// fills it (the dialog ends only when its scans have ended).
class ScanRecordQueue
{
public:
    ScanRecordQueue() = default;
    ScanRecordQueue(const ScanRecordQueue&) = delete;
    ScanRecordQueue& operator=(const ScanRecordQueue&) = delete;

    // Appends records in their order; true when the queue was empty, so that
    // the receiver is to be told.
    bool Add(std::vector<std::unique_ptr<FileItemRecord>>& records)
    {
        Lock lock(m_section);
        const bool wasEmpty = m_records.empty();
        for (auto& record : records)
            m_records.push_back(std::move(record));
        records.clear();
        return wasEmpty;
    }
    // Every queued record, in the order they came.
    std::vector<std::unique_ptr<FileItemRecord>> TakeAll()
    {
        Lock lock(m_section);
        std::vector<std::unique_ptr<FileItemRecord>> taken;
        taken.swap(m_records);
        return taken;
    }

private:
    CriticalSection m_section;
    std::vector<std::unique_ptr<FileItemRecord>> m_records;
};

struct StillHeldQuery
{
    std::vector<const MString*> paths;
    // One per path, written by the receiver.
    std::vector<bool> held;
};

// The image-list positions of the fall-back icons.
struct FallbackIcons
{
    UINT file = 0;
    UINT folder = 0;
    UINT failure = 0;
};

using MediaProbeFactory = std::unique_ptr<MediaProbe> (*)();

struct ScanJob
{
    HWND dialog = nullptr;
    MString gallery;
    // Empty: the thread loads the gallery's stored entries itself.
    std::vector<MString> paths;
    ScanMode mode = ScanMode::AddFiles;
    FallbackIcons icons;
    // Signalled by the dialog to stop the scan (manual reset).
    HANDLE cancelEvent = nullptr;
    // Where the second pass leaves its records for the dialog.
    ScanRecordQueue* records = nullptr;
    UINT thumbnailSize = 24;
    // The dialog's count of running scans; the thread lowers it at its end.
    volatile LONG* runningScans = nullptr;
    // Where the artwork of media and document thumbnails lives.
    HMODULE artModule = nullptr;
    // How the thread makes its media player (tests give a fake).
    MediaProbeFactory media = nullptr;
};

// Starts the counted thread for the job; false (the job dropped, the count
// lowered) when no thread can be made or the program is ending.
bool StartScanThread(std::unique_ptr<ScanJob> job);

// The thread itself, run on the calling thread (tests): takes the job.
void RunScan(std::unique_ptr<ScanJob> job);

// "h:mm:ss" of a duration in seconds, each part truncated.
MString DurationText(double seconds);
