#include "shell/core/ThreadCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

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
        EXPECT_EQ(ThreadCounterHolder.Get().Count(), 2);
        EXPECT_EQ(WaitForSingleObject(ThreadCounterHolder.Get().IdleEvent(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    EXPECT_EQ(ThreadCounterHolder.Get().Count(), 0);
    EXPECT_EQ(WaitForSingleObject(ThreadCounterHolder.Get().IdleEvent(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(ThreadCounterHolder.Get().exitTimeout, 20000u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&ThreadCounterHolder.Get()) % 32, 0u);

    // No worker runs: the wait ends at once (the idle event is set).
    WaitForWorkerThreads();
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
    MHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread worker([&] {
        WorkerThreadScope scope;
        SetEvent(entered);
        Sleep(500);
    });
    ASSERT_EQ(WaitForSingleObject(entered, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    const unsigned long long start = NowMs();
    WaitForWorkerThreads();
    EXPECT_GE(NowMs() - start, 300u);
    EXPECT_TRUE(ThreadCounterHolder.IsEmpty());
    worker.join();
}

TEST(ThreadCounter, AWorkerThatOutlivesTheTimeOutStillFindsItsRecord)
{
    ThreadCounterHolder.Create();
    ThreadCounterHolder.Get().exitTimeout = 200;
    MHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    MHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<ThreadCounter*> seen{nullptr};
    std::thread worker([&] {
        WorkerThreadScope scope;
        seen = &ThreadCounterHolder.Get();
        SetEvent(entered);
        WaitForSingleObject(release, INFINITE);
        // The scope's decrement runs after the exit wait gave up; the record
        // must still be valid memory then.
    });
    ASSERT_EQ(WaitForSingleObject(entered, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    const unsigned long long start = NowMs();
    WaitForWorkerThreads();
    EXPECT_GE(NowMs() - start, 180u);  // the wait itself counts in ticks of ~16 ms
    EXPECT_TRUE(ThreadCounterHolder.IsEmpty());
    SetEvent(release);
    worker.join();
    EXPECT_EQ(seen.load()->Count(), 0);
}

TEST(ThreadCounter, CreatingAgainReleasesTheOldRecordFirst)
{
    ThreadCounterHolder.Create();
    ThreadCounterHolder.Create();
    EXPECT_EQ(ThreadCounterHolder.Get().Count(), 0);
    WaitForWorkerThreads();
}

// Many workers counting in and out at once: no update is lost, so the exit
// wait ends as soon as the last one has left instead of running into its
// time-out.
TEST(ThreadCounter, ConcurrentWorkersLoseNoUpdate)
{
    ThreadCounterHolder.Create();
    ThreadCounterHolder.Get().exitTimeout = 60000;
    MHandle go(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<std::thread> workers;
    for (int i = 0; i < 8; ++i)
        workers.emplace_back([&] {
            WaitForSingleObject(go, INFINITE);
            for (int round = 0; round < 2000; ++round)
                WorkerThreadScope scope;
        });
    SetEvent(go);
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(ThreadCounterHolder.Get().Count(), 0);
    EXPECT_EQ(WaitForSingleObject(ThreadCounterHolder.Get().IdleEvent(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    WaitForWorkerThreads();
    EXPECT_TRUE(ThreadCounterHolder.IsEmpty());
}
