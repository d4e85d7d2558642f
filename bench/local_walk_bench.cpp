// One whole loop of the local walk over a folder of many picture files
// (choose, record as shown) against one bare FindFirstFileW/FindNextFileW
// enumeration of that folder (bench/local-walk.sh runs it).
//   local_walk_bench.exe [files]
// Prints "choice_ms <c>" (the mean time of one choice over the last tenth of
// the loop) and "enumeration_ms <e>" (the mean of bare enumerations taken
// through the same run) for the script.
#include "slideshow/LocalWalk.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end, const LARGE_INTEGER& frequency)
{
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

size_t Enumerate(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    size_t count = 0;
    do
        ++count;
    while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

void RemoveFolder(const std::wstring& folder)
{
    std::wstring from = folder + L'\0';
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}
}

int main(int argc, char** argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"quillory-walk-bench";
    RemoveFolder(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    const wchar_t* extensions[] = {L"jpg", L"png", L"gif", L"bmp", L"tif"};
    for (int i = 0; i < files; ++i)
    {
        wchar_t name[64];
        swprintf(name, 64, L"\\picture %05d.%ls", i, extensions[i % 5]);
        HANDLE file = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
    }

    srand(1);
    Display_order order = Display_order::Random; // as most shows run
    LocalWalk walk(&order, [&folder] { return std::vector<MString>{MString(folder.c_str())}; });
    walk.RestartLocalWalk(true, false);

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    const int late = files - files / 10;
    double lateChoices = 0.0, enumerations = 0.0;
    int lateCount = 0, enumerationCount = 0;
    MString current;
    for (int i = 0; i < files; ++i)
    {
        MString next;
        QueryPerformanceCounter(&start);
        const int result = walk.NextLocalFile(true, current, next);
        walk.RecordShownFile(next, true);
        QueryPerformanceCounter(&end);
        if (result != WalkFileFound)
        {
            std::printf("the walk ended early at %d with %d\n", i, result);
            return 1;
        }
        current = next;
        if (i >= late)
        {
            lateChoices += Milliseconds(start, end, frequency);
            ++lateCount;
        }
        // Bare enumerations spread over the run, so that both see the same
        // state of the file system's caches.
        if (i % (files / 50 > 0 ? files / 50 : 1) == 0 || i >= late)
        {
            QueryPerformanceCounter(&start);
            const size_t seen = Enumerate(folder);
            QueryPerformanceCounter(&end);
            if (seen < static_cast<size_t>(files))
            {
                std::printf("the enumeration saw %u entries\n", static_cast<unsigned>(seen));
                return 1;
            }
            if (i >= late)
            {
                enumerations += Milliseconds(start, end, frequency);
                ++enumerationCount;
            }
        }
    }
    RemoveFolder(folder);
    std::printf("files %d, loop shown %u\n", files, static_cast<unsigned>(walk.ShownCount()));
    std::printf("mean choice late in the loop: %.3f ms\n", lateChoices / lateCount);
    std::printf("bare enumeration: %.3f ms\n", enumerations / enumerationCount);
    std::printf("choice_ms %.6f\n", lateChoices / lateCount);
    std::printf("enumeration_ms %.6f\n", enumerations / enumerationCount);
    return 0;
}
