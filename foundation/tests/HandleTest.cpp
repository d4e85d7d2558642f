#include "foundation/Handle.h"
#include "foundation/SmartPtr.h"
#include "foundation/Sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

namespace
{
bool IsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

// Whether the count-1 semaphore is free right now (taken and given back).
bool IsFree(HANDLE semaphore)
{
    if (WaitForSingleObject(semaphore, 0) != WAIT_OBJECT_0)
        return false;
    ReleaseSemaphore(semaphore, 1, nullptr);
    return true;
}
}

TEST(Handle, OwnerClosesOnceAndOnScopeExit)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        MHandle owner(event);
        EXPECT_TRUE(owner.IsValid());
    }
    EXPECT_FALSE(IsOpen(event));

    HANDLE first = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE second = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    MHandle owner(first);
    owner.Attach(second);
    EXPECT_FALSE(IsOpen(first));
    EXPECT_TRUE(IsOpen(second));
    owner.Close();
    EXPECT_FALSE(IsOpen(second));
    EXPECT_EQ(owner.Get(), INVALID_HANDLE_VALUE);
    owner.Close();
    EXPECT_EQ(owner.Get(), INVALID_HANDLE_VALUE);
}

TEST(Handle, EmptyOwners)
{
    MHandle null(nullptr);
    EXPECT_FALSE(null.IsValid());
    null.Close();
    EXPECT_EQ(null.Get(), nullptr);
    MHandle invalid(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(invalid.IsValid());

    // The reference never closes what it holds.
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        MRefHandle reference(event);
        reference.Reset();
        EXPECT_EQ(reference.Get(), INVALID_HANDLE_VALUE);
    }
    {
        MRefHandle reference(event);
    }
    EXPECT_TRUE(IsOpen(event));
    CloseHandle(event);
}

TEST(Handle, OneActionAtATime)
{
    MHandle guard;
    ASSERT_TRUE(guard.IsValid());
    {
        SemaphoreGuard first(guard, SemaphoreGuard::Take::Try);
        EXPECT_TRUE(first.IsHeld());
        {
            SemaphoreGuard second(guard, SemaphoreGuard::Take::Try);
            EXPECT_FALSE(second.IsHeld());
        }
        // The guard that did not get it released nothing.
        EXPECT_FALSE(IsFree(guard));
    }
    EXPECT_TRUE(IsFree(guard));

    // The waiting form blocks until the holder lets go, also from the heap:
    // a waiter that has started before the holder lets go takes the guard
    // only after it.
    MSmartPtr<SemaphoreGuard> held(new SemaphoreGuard(guard, SemaphoreGuard::Take::Wait));
    MHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::atomic<bool> released{false};
    std::atomic<bool> taken{false};
    std::atomic<bool> takenAfterRelease{false};
    std::thread waiter([&] {
        SetEvent(started);
        SemaphoreGuard later(guard, SemaphoreGuard::Take::Wait);
        takenAfterRelease = released.load();
        taken = later.IsHeld();
    });
    EXPECT_EQ(WaitForSingleObject(started, 30000), WAIT_OBJECT_0);
    released = true;
    held.Free();
    waiter.join();
    EXPECT_TRUE(taken);
    EXPECT_TRUE(takenAfterRelease);
    EXPECT_TRUE(IsFree(guard));
}

TEST(Handle, GuardsLetGoOnAnyExit)
{
    volatile LONG counter = 2;
    try
    {
        CounterGuard running(counter);
        throw std::runtime_error("worker failed");
    }
    catch (const std::runtime_error&)
    {
    }
    EXPECT_EQ(counter, 1);

    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    {
        Lock locked(section);
        bool entered = true;
        std::thread other([&] { entered = TryEnterCriticalSection(&section) != FALSE; });
        other.join();
        EXPECT_FALSE(entered);
    }
    bool entered = false;
    std::thread other([&] {
        entered = TryEnterCriticalSection(&section) != FALSE;
        if (entered)
            LeaveCriticalSection(&section);
    });
    other.join();
    EXPECT_TRUE(entered);
    DeleteCriticalSection(&section);
}

TEST(Handle, FindHandleClosesTheSearch)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    WIN32_FIND_DATAW found;
    FindHandle search(FindFirstFileW((std::wstring(folder) + L"*").c_str(), &found));
    ASSERT_NE(search.Get(), INVALID_HANDLE_VALUE);
    search.Close();
    EXPECT_EQ(search.Get(), INVALID_HANDLE_VALUE);
    search.Close();
    FindHandle none;
    none.Close();
    EXPECT_EQ(none.Get(), INVALID_HANDLE_VALUE);
}
