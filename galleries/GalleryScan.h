// The gallery dialog's scan: one worker thread per job checks each path,
// classifies it, makes its thumbnail or reads its media duration, and hands
// finished records to the dialog by messages. The first pass sends a quick
// record per path (the dialog answers whether a second pass is needed); the
// second pass sends the full record with thumbnail, size and duration.
#pragma once

#include "foundation/StringEx.h"

#include <windows.h>

#include <memory>
#include <vector>

class MediaProbe;

// Sent: lParam a FileItemRecord of the first pass; the answer is the path's
// SecondPassProcessing bits.
constexpr UINT WM_SCAN_QUICK_RECORD = WM_USER + 39;
// Sent: lParam a FileItemRecord of the second pass.
constexpr UINT WM_SCAN_RECORD = WM_USER + 40;
// Posted: end of a pass, wParam 1 after the first and 0 after the second,
// lParam a heap MString summary (freed by the receiver); wParam ScanEnded
// (lParam 0) when the thread has ended.
constexpr UINT WM_SCAN_PASS_END = WM_USER + 41;
constexpr WPARAM ScanEnded = static_cast<WPARAM>(-1);
// Sent in the second pass before a path is processed: lParam the path (const
// wchar_t*); 0 means the dialog no longer holds it and it is skipped.
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
    UINT thumbnailSize = 24;
    // The dialog's count of running scans; the thread lowers it at its end.
    volatile LONG* runningScans = nullptr;
    // Where the artwork of media and document thumbnails lives.
    HMODULE artModule = nullptr;
    // How the thread makes its media player (tests give a fake).
    MediaProbeFactory media = nullptr;
};

// Starts the thread for the job; false (the job dropped, the count lowered)
// when no thread can be made.
bool StartScanThread(std::unique_ptr<ScanJob> job);

// The thread itself, run on the calling thread (tests): takes the job.
void RunScan(std::unique_ptr<ScanJob> job);

// "h:mm:ss" of a duration in seconds, each part truncated.
MString DurationText(double seconds);
