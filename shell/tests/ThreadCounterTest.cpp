#include "core/ThreadCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
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
    // Tests that run before this one may have left the process a counter.
    WaitForWorkerThreads();
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

namespace
{
// What a counted test worker saw: the count at its first step, and whether
// it ran to its end.
struct CountedResult
{
    std::atomic<LONG> countAtStart{-1};
    std::atomic<bool> finished{false};
};

// The block a counted test worker shares with its starter.
struct CountedRun
{
    explicit CountedRun(CountedResult& result) : result(result) {}
    MHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    CountedResult& result;
};

DWORD WINAPI CountedWorker(LPVOID parameter)
{
    auto& run = *static_cast<CountedRun*>(parameter);
    run.result.countAtStart = ThreadCounterHolder.Get().Count();
    WaitForSingleObject(run.release, INFINITE);
    run.result.finished = true;
    return 0;
}

HANDLE WINAPI FailingCreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}
}

// The count is raised before the worker's first step, so an exit wait that
// begins right after the start waits for the worker's end; the shared block
// goes before the worker counts out.
TEST(ThreadCounter, ACountedThreadIsCountedBeforeItRuns)
{
    ThreadCounterHolder.Create();
    CountedResult result;
    auto run = std::make_shared<CountedRun>(result);
    const std::weak_ptr<CountedRun> watch = run;
    const MHandle thread(StartCountedThread(CountedWorker, run));
    ASSERT_TRUE(thread.IsValid());
    EXPECT_EQ(ThreadCounterHolder.Get().Count(), 1);
    SetEvent(run->release);
    run.reset();
    WaitForWorkerThreads();
    EXPECT_TRUE(ThreadCounterHolder.IsEmpty());
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(result.countAtStart.load(), 1);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(WaitForSingleObject(thread, 60000), static_cast<DWORD>(WAIT_OBJECT_0));
}

// A start that cannot be made starts nothing, leaves the count as it was and
// lets the shared block go.
TEST(ThreadCounter, AFailedStartCountsNothing)
{
    struct Case
    {
        const char* name;
        bool counter;
        CreateThreadFunction create;
    } cases[] = {{"no counter", false, ::CreateThread}, {"no thread", true, FailingCreateThread}};
    for (const Case& c : cases)
    {
        if (c.counter)
            ThreadCounterHolder.Create();
        CreateThreadCall = c.create;
        CountedResult result;
        auto run = std::make_shared<CountedRun>(result);
        const MHandle thread(StartCountedThread(CountedWorker, run));
        CreateThreadCall = ::CreateThread;
        EXPECT_FALSE(thread.IsValid()) << c.name;
        EXPECT_EQ(run.use_count(), 1) << c.name;
        EXPECT_EQ(result.countAtStart.load(), -1) << c.name;
        if (c.counter)
        {
            EXPECT_EQ(ThreadCounterHolder.Get().Count(), 0) << c.name;
            EXPECT_EQ(WaitForSingleObject(ThreadCounterHolder.Get().IdleEvent(), 0), static_cast<DWORD>(WAIT_OBJECT_0))
                << c.name;
            WaitForWorkerThreads();
        }
        EXPECT_TRUE(ThreadCounterHolder.IsEmpty()) << c.name;
    }
}
