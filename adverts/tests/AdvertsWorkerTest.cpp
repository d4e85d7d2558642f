// The adverts-and-statistics thread as the controller starts it: a failure
// outside a report ends the thread and tells the user through the controller.
#include "adverts/AdvertsWorker.h"
#include "foundation/Handle.h"
#include "resources/languages/LanguageIds.h"
#include "shell/core/CrashReport.h"
#include "shell/core/PrivateMessages.h"
#include "shell/core/WorkerContext.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>

namespace
{
BOOL WINAPI IgnoreEvent(HANDLE, WORD, WORD, DWORD, PSID, WORD, DWORD, LPCWSTR*, LPVOID) { return TRUE; }

TEST(AdvertsWorker, AFailureOutsideAReportEndsTheThreadWithAMessageBox)
{
    const ReportEventFunction previousReport = ReportEventCall;
    ReportEventCall = &IgnoreEvent;
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    std::atomic<HWND> controllerWindow{window};
    MHandle exit(CreateEventW(nullptr, TRUE, FALSE, nullptr)), ready(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    WorkerContext context;
    context.controllerWindow = &controllerWindow;
    context.controllerReady = ready.Get();
    context.exitEvent = exit.Get();
    AdvertStatsLists stats;
    AdvertsWorkerSetup setup;
    setup.context = &context;
    setup.stats = &stats;
    // The reachability test is asked before any report: its failure lies
    // outside every exchange.
    setup.reachable = []() -> bool { throw std::runtime_error("no network interface table"); };

    HANDLE thread = CreateThread(nullptr, 0, AdvertsAndStatisticsWorker, &setup, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const bool ended = WaitForSingleObject(thread, 60000) == WAIT_OBJECT_0;
    if (!ended)
        SetEvent(exit.Get());
    WaitForSingleObject(thread, 60000);
    CloseHandle(thread);
    ReportEventCall = previousReport;
    ASSERT_TRUE(ended);

    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, window, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_MESSAGE_BOX_REQUEST));
    EXPECT_EQ(msg.lParam, static_cast<LPARAM>(MB_ICONERROR));
    const std::unique_ptr<MString> text(reinterpret_cast<MString*>(msg.wParam));
    ASSERT_TRUE(text);
    const MString name(L"ProductName", static_cast<HMODULE>(nullptr));
    const MString version(L"ProductVersion", static_cast<HMODULE>(nullptr));
    EXPECT_EQ(std::wstring(text->GetText()),
              std::wstring(MString(sX::Format(), IDS_WORKER_FAILED, name.GetText(), version.GetText()).GetText()));
    EXPECT_FALSE(PeekMessageW(&msg, window, 0, 0, PM_REMOVE));
    DestroyWindow(window);
}
} // namespace
