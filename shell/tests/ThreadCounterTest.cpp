#include "shell/core/ThreadCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace
{
// Milliseconds by the high-resolution clock: the tick count moves in steps of
// about 16 ms, too coarse to check a 50 ms sleep.
unsigned long long NowMs()
{
    return static_cast<unsigned long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now().time_since_epoch())
                                               .count());
}
}

TEST(ThreadCounter, WorkersCountThemselvesInAndOut)
{
    ThreadCounterHolder.Create();
    {
        WorkerThreadScope first;
        WorkerThreadScope second;
        EXPECT_EQ(ThreadCounterHolder.Get().count, 2);
    }
    EXPECT_EQ(ThreadCounterHolder.Get().count, 0);
    EXPECT_EQ(ThreadCounterHolder.Get().exitTimeout, 20000u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&ThreadCounterHolder.Get()) % 32, 0u);

    const unsigned long long start = NowMs();
    WaitForWorkerThreads();
    const unsigned long long waited = NowMs() - start;
    EXPECT_GE(waited, 45u);
    EXPECT_LT(waited, 2000u);
    EXPECT_TRUE(ThreadCounterHolder.IsEmpty());
    // A second wait on the empty slot returns at once.
    WaitForWorkerThreads();
}

TEST(ThreadCounter, AWorkerWithoutACounterThrowsBeforeCounting)
{
    ASSERT_TRUE(ThreadCounterHolder.IsEmpty());
    EXPECT_THROW(WorkerThreadScope scope, MSmartPtrError);
    EXPECT_THROW(ThreadCounterHolder.Get(), MSmartPtrError);
}

TEST(ThreadCounter, TheExitWaitsForRunningWorkers)
{
    ThreadCounterHolder.Create();
    std::thread worker([] {
        WorkerThreadScope scope;
        Sleep(500);
    });
    Sleep(50);
    const unsigned long long start = NowMs();
    WaitForWorkerThreads();
    const unsigned long long waited = NowMs() - start;
    EXPECT_GE(waited, 350u);
    EXPECT_LT(waited, 5000u);
    worker.join();
}

TEST(ThreadCounter, AWorkerThatOutlivesTheTimeOutStillFindsItsRecord)
{
    ThreadCounterHolder.Create();
    ThreadCounterHolder.Get().exitTimeout = 200;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<ThreadCounter*> seen{nullptr};
    std::thread worker([&] {
        WorkerThreadScope scope;
        seen = &ThreadCounterHolder.Get();
        WaitForSingleObject(release, INFINITE);
        // The scope's decrement runs after the exit wait gave up; the record
        // must still be valid memory then.
    });
    while (!seen)
        Sleep(10);
    const unsigned long long start = NowMs();
    WaitForWorkerThreads();
    EXPECT_GE(NowMs() - start, 180u);  // the wait itself counts in ticks of ~16 ms
    EXPECT_TRUE(ThreadCounterHolder.IsEmpty());
    SetEvent(release);
    worker.join();
    EXPECT_EQ(seen.load()->count, 0);
    CloseHandle(release);
}

TEST(ThreadCounter, CreatingAgainReleasesTheOldRecordFirst)
{
    ThreadCounterHolder.Create();
    ThreadCounterHolder.Get().count = 0;
    ThreadCounterHolder.Create();
    EXPECT_EQ(ThreadCounterHolder.Get().count, 0);
    WaitForWorkerThreads();
}
