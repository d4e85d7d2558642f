// The process-wide count of running worker threads, the exit wait over it,
// and the restart of the program.
#pragma once

#include <windows.h>

#include "foundation/SmartPtr.h"

#include <atomic>

// Changed only by locked increments and decrements, read only by an atomic
// exchange in WaitForWorkerThreads.
struct alignas(32) ThreadCounter
{
    volatile LONG count = 0;
    // How long the exit waits for the workers, in milliseconds.
    DWORD exitTimeout = 20000;
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

// Waits, sleeping 50 ms at a time, until no worker runs or the record's
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
