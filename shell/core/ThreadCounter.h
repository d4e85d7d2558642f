// The process-wide count of running worker threads, the exit wait over it,
// and the restart of the program.
#pragma once

#include <windows.h>

#include "foundation/Handle.h"
#include "foundation/SmartPtr.h"
#include "foundation/Sync.h"

#include <atomic>

// The number of running workers and an event that is set while none runs:
// the first worker to count in resets it, the last to count out sets it, and
// the exit wait blocks on it.
class alignas(32) ThreadCounter
{
public:
    ThreadCounter();
    ThreadCounter(const ThreadCounter&) = delete;
    ThreadCounter& operator=(const ThreadCounter&) = delete;

    void Increment();
    void Decrement();
    LONG Count() const { return m_count.load(); }
    // Signalled while no worker runs (manual reset).
    HANDLE IdleEvent() const { return m_idle; }

    // How long the exit waits for the workers, in milliseconds.
    DWORD exitTimeout = 20000;

private:
    // Increments and decrements run under this lock so that the event always
    // follows the count (an increment and the last decrement cannot swap
    // their event calls).
    CriticalSection m_lock;
    std::atomic<LONG> m_count{0};
    MHandle m_idle;
};

// The owning slot of the one ThreadCounter of the process. Releasing it, also
// when the process ends, waits for the workers.
class ThreadCounterSlot
{
public:
    ThreadCounterSlot() = default;
    ThreadCounterSlot(const ThreadCounterSlot&) = delete;
    ThreadCounterSlot& operator=(const ThreadCounterSlot&) = delete;
    ~ThreadCounterSlot();

    // The record; MSmartPtrError when the slot is empty.
    ThreadCounter& Get() const;
    bool IsEmpty() const { return m_record.load() == nullptr; }

    // Puts a fresh record (count 0) in the slot; one already there is first
    // released as by WaitForWorkerThreads.
    void Create();
    // Empties the slot and hands out the record it held (or null).
    ThreadCounter* Detach() { return m_record.exchange(nullptr); }

private:
    std::atomic<ThreadCounter*> m_record{nullptr};
};

extern ThreadCounterSlot ThreadCounterHolder;

// Waits on the record's idle event until no worker runs or the record's
// time-out has passed, then empties the slot. The record is freed only when
// the count came down to 0: a worker still running after the time-out keeps
// decrementing it until the process ends.
void WaitForWorkerThreads();

// Starts the program again with its own command line and waits up to 10 s for
// the new process to be idle for input. A failed start is silent.
void RestartProcess();

// Counts the calling worker thread in for its lifetime. Constructed first
// thing in every worker; throws MSmartPtrError, before counting anything,
// when the process has no ThreadCounter (any more).
class WorkerThreadScope
{
public:
    WorkerThreadScope();
    WorkerThreadScope(const WorkerThreadScope&) = delete;
    WorkerThreadScope& operator=(const WorkerThreadScope&) = delete;
    ~WorkerThreadScope();

private:
    ThreadCounter* m_counter;
};

// Set when the program is to start again after it has ended (a language
// change in the about box, or a second copy that asked this one to restart).
extern std::atomic<bool> RestartRequested;
