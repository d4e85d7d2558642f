// The gallery dialog opened on a stored local gallery of the pictures of a
// folder, one entry per picture (bench/gallery-dialog.sh runs it): the time
// from the opening until the list holds every picture and OK is enabled, the
// moment the user can go on.
//   gallery_dialog_bench.exe <folder of pictures> [files]
// Prints "files <n>" and "usable_ms <t>" for the script.
#include "filter/MediaSource.h"
#include "foundation/Registry.h"
#include "galleries/SelectedFiles.h"
#include "galleries/tests/SelectedLocalGallery.h"
#include "core/ThreadCounter.h"
#include "core/tests/UiTestSupport.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
constexpr wchar_t BenchGallery[] = L"Dialog Bench";

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::wstring Wide(const char* text)
{
    std::vector<wchar_t> wide(std::strlen(text) + 1);
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), static_cast<int>(wide.size()));
    return wide.data();
}
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const std::wstring folder = Wide(argv[1]);
    const size_t files = argc > 2 ? static_cast<size_t>(std::atoi(argv[2])) : 500;
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && paths.size() < files)
            paths.push_back(folder + L"\\" + found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);

    LanguageModuleScope language(1033);
    GdiplusScope gdiplus;
    ThreadCounterHolder.Create();
    const MString galleries(sX::Format(), L"%s\\Local Galleries", ProgramSettingsKeyPath());
    SHDeleteKeyW(HKEY_CURRENT_USER, galleries.GetText());
    if (!GalleryTest::StoreSelectedLocalGallery(BenchGallery, paths))
        return 1;

    double usable = -1.0;
    int listed = 0;
    const double start = Now();
    {
        UiTest::Script watcher([&](DWORD ui) {
            HWND dialog = UiTest::WaitForDialog(ui, nullptr, 600000);
            if (!dialog)
                return;
            HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
            // Both passes done: every picture listed, the slider and OK back.
            if (UiTest::WaitUntil([&] {
                    return ListView_GetItemCount(list) == static_cast<int>(paths.size()) &&
                           IsWindowEnabled(GetDlgItem(dialog, IDC_THUMBNAIL_SIZE)) &&
                           IsWindowEnabled(GetDlgItem(dialog, IDC_SELECTION_OK));
                }, 600000))
                usable = Now() - start;
            listed = ListView_GetItemCount(list);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SELECTION_CANCEL, BN_CLICKED), 0);
        });
        CSelectedFiles dialog(POINT{200, 200}, nullptr, nullptr, MString());
        dialog.DoModal(GetDesktopWindow());
    }
    SHDeleteKeyW(HKEY_CURRENT_USER, galleries.GetText());
    std::printf("files %zu\nlisted %d\nusable_ms %.1f\n", paths.size(), listed, usable);
    return usable < 0 ? 1 : 0;
}
