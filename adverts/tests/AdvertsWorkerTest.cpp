// The adverts-and-statistics thread as the controller starts it: a failure
// outside a report ends the thread and tells the user through the controller.
#include "adverts/AdvertsWorker.h"
#include "foundation/Handle.h"
#include "resources/languages/LanguageIds.h"
#include "core/CrashReport.h"
#include "core/PrivateMessages.h"
#include "core/WorkerContext.h"
#include "core/tests/PostedMessageBox.h"

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

    const UiTest::PostedMessageBox posted = UiTest::TakePostedMessageBox(window);
    EXPECT_TRUE(posted.alone);
    EXPECT_EQ(posted.type, static_cast<LPARAM>(MB_ICONERROR));
    const MString name(L"ProductName", static_cast<HMODULE>(nullptr));
    const MString version(L"ProductVersion", static_cast<HMODULE>(nullptr));
    EXPECT_EQ(posted.text, MString(sX::Format(), IDS_WORKER_FAILED, name.GetText(), version.GetText()).GetText());
    DestroyWindow(window);
}
} // namespace
