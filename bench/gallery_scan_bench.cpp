// The gallery scan over the files of one folder of small pictures (or of a
// folder given) against a bare GDI+ decode of each of them
// (bench/gallery-scan.sh runs it).
//   gallery_scan_bench.exe [files] [language module] [folder of pictures]
// Prints "scan_ms <s>" (from the start of the scan until its end message,
// every record received) and "decode_ms <d>" (one GdipCreateBitmapFromFile
// of each picture) for the script.
#include "foundation/GdiplusSession.h"
#include "foundation/SystemUtilities.h"
#include "galleries/GalleryScan.h"
#include "galleries/MediaProbe.h"
#include "galleries/tests/GalleryTestFiles.h"
#include "core/ThreadCounter.h"

#include <objidl.h>
#include <gdiplus.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
size_t g_records = 0;
bool g_ended = false;

LRESULT CALLBACK Receiver(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SCAN_QUICK_RECORDS:
    {
        // The answers stay "needs a second pass"; the records are let go.
        auto& batch = *reinterpret_cast<ScanRecordBatch*>(lParam);
        g_records += batch.records.size();
        batch.records.clear();
        return 0;
    }
    case WM_SCAN_RECORDS:
        g_records += reinterpret_cast<ScanRecordQueue*>(lParam)->TakeAll().size();
        return 0;
    case WM_SCAN_STILL_HELD:
    {
        auto& query = *reinterpret_cast<StillHeldQuery*>(lParam);
        query.held.assign(query.paths.size(), true);
        return 0;
    }
    case WM_SCAN_PASS_END:
        if (wParam == ScanEnded)
            g_ended = true;
        else
            TakeScanPassEnd(lParam); // the pass's summary, not needed here
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}
}

int main(int argc, char** argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 2000;
    GdiplusSession gdiplus;
    // The records carry texts of the language module.
    if (argc > 2)
    {
        std::vector<wchar_t> path(std::strlen(argv[2]) + 1);
        MultiByteToWideChar(CP_ACP, 0, argv[2], -1, path.data(), static_cast<int>(path.size()));
        LanguageModule = LoadLibraryW(path.data());
    }
    ThreadCounterHolder.Create();

    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    const bool given = argc > 3;
    std::wstring folder = std::wstring(base) + L"gallery-scan-bench";
    std::vector<std::wstring> paths;
    if (given)
    {
        // The pictures of the folder, the first "files" of them.
        std::vector<wchar_t> wide(std::strlen(argv[3]) + 1);
        MultiByteToWideChar(CP_ACP, 0, argv[3], -1, wide.data(), static_cast<int>(wide.size()));
        folder = wide.data();
        WIN32_FIND_DATAW found = {};
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return 1;
        do
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && static_cast<int>(paths.size()) < files)
                paths.push_back(folder + L"\\" + found.cFileName);
        while (FindNextFileW(search, &found));
        FindClose(search);
    }
    else
        CreateDirectoryW(folder.c_str(), nullptr);
    CLSID png;
    if (!GalleryTest::EncoderOf(L"image/png", png))
        return 1;
    for (int i = 0; i < files && !given; ++i)
    {
        Gdiplus::Bitmap picture(96, 64, PixelFormat24bppRGB);
        {
            Gdiplus::Graphics graphics(&picture);
            Gdiplus::SolidBrush brush(Gdiplus::Color(255, static_cast<BYTE>(i * 7), 120, static_cast<BYTE>(255 - i)));
            graphics.FillRectangle(&brush, 0, 0, 96, 64);
            Gdiplus::SolidBrush mark(Gdiplus::Color(255, 255, 255, 255));
            graphics.FillEllipse(&mark, i % 60, 10, 30, 30);
        }
        paths.push_back(folder + L"\\picture" + std::to_wstring(i) + L".png");
        picture.Save(paths.back().c_str(), &png, nullptr);
    }

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &Receiver;
    windowClass.lpszClassName = L"GalleryScanBench";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(L"GalleryScanBench", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    HANDLE cancel = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    volatile LONG running = 1;
    auto job = std::make_unique<ScanJob>();
    job->dialog = window;
    for (const std::wstring& path : paths)
        job->paths.emplace_back(path.c_str());
    job->icons = {0, 1, 2};
    job->cancelEvent = cancel;
    ScanRecordQueue records;
    job->records = &records;
    job->thumbnailSize = 64;
    job->runningScans = &running;
    job->artModule = GetModuleHandleW(nullptr);
    job->media = [] { return std::unique_ptr<MediaProbe>(); };

    const double scanStart = Now();
    StartScanThread(std::move(job));
    MSG message;
    while (!g_ended && GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    const double scan = Now() - scanStart;

    const double decodeStart = Now();
    for (const std::wstring& path : paths)
    {
        Gdiplus::GpBitmap* bitmap = nullptr;
        Gdiplus::DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap);
        if (bitmap)
            Gdiplus::DllExports::GdipDisposeImage(bitmap);
    }
    const double decode = Now() - decodeStart;

    std::printf("files %zu\nrecords %zu\nscan_ms %.1f\ndecode_ms %.1f\n", paths.size(), g_records, scan, decode);
    // A folder given belongs to the caller.
    if (given)
    {
        CloseHandle(cancel);
        return 0;
    }
    std::wstring from = folder + L'\0';
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
    CloseHandle(cancel);
    return 0;
}
