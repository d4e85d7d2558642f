#include "core/ThreadCounter.h"

#include "foundation/StringEx.h"

ThreadCounterSlot ThreadCounterHolder;
CreateThreadFunction CreateThreadCall = ::CreateThread;
std::atomic<bool> RestartRequested{false};

namespace
{
// What the counted thread gets: the worker, its parameter, the block that
// keeps the parameter alive (if any), and the counter that counted it in.
struct CountedStart
{
    LPTHREAD_START_ROUTINE procedure;
    void* parameter;
    std::shared_ptr<void> shared;
    ThreadCounter* counter;
};

DWORD WINAPI CountedThreadProc(LPVOID argument)
{
    auto* start = static_cast<CountedStart*>(argument);
    const WorkerThreadScope counted(*start->counter);
    // The shared block goes before the thread counts out.
    const std::unique_ptr<CountedStart> owned(start);
    return owned->procedure(owned->parameter);
}

MHandle StartCounted(std::unique_ptr<CountedStart> start, DWORD creationFlags)
{
    ThreadCounter* counter = ThreadCounterHolder.CountIn();
    // Without a counter the program is ending: nothing more starts.
    if (!counter)
        return MHandle(nullptr);
    start->counter = counter;
    HANDLE thread = CreateThreadCall(nullptr, 0, CountedThreadProc, start.get(), creationFlags, nullptr);
    if (!thread)
    {
        counter->Decrement();
        return MHandle(nullptr);
    }
    // The thread owns its start from here on.
    start.release();
    return MHandle(thread);
}
}

ThreadCounter::ThreadCounter() : m_idle(CreateEventW(nullptr, TRUE, TRUE, nullptr))
{
    if (!m_idle.IsValid())
        throw MSmartPtrError();
}

void ThreadCounter::Increment()
{
    Lock lock(m_lock);
    if (++m_count == 1)
        ResetEvent(m_idle);
}

void ThreadCounter::Decrement()
{
    Lock lock(m_lock);
    if (--m_count == 0)
        SetEvent(m_idle);
}

bool ThreadCounter::IsIdle()
{
    Lock lock(m_lock);
    return m_count == 0;
}

ThreadCounterSlot::~ThreadCounterSlot() { WaitAndRelease(); }

ThreadCounter& ThreadCounterSlot::Get() const
{
    ThreadCounter* record = m_record.load();
    if (!record)
        throw MSmartPtrError();
    return *record;
}

void ThreadCounterSlot::Create()
{
    WaitAndRelease();
    m_record.store(new ThreadCounter());
}

ThreadCounter* ThreadCounterSlot::CountIn()
{
    Lock lock(m_lock);
    ThreadCounter* record = m_record.load();
    if (record)
        record->Increment();
    return record;
}

void ThreadCounterSlot::WaitAndRelease()
{
    ThreadCounter* record = m_record.load();
    if (!record)
        return;
    WaitForSingleObject(record->IdleEvent(), record->exitTimeout);
    Lock lock(m_lock);
    Detach();
    // A worker that outlived the wait still holds the record's address and
    // decrements it on its way out, so the record then stays until the
    // process ends.
    if (record->IsIdle())
        delete record;
}

void WaitForWorkerThreads() { ThreadCounterHolder.WaitAndRelease(); }

void RestartProcess()
{
    // CreateProcessW may write into the command line, so it gets a copy.
    MString commandLine(GetCommandLineW());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine.GetData(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return;
    WaitForInputIdle(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

WorkerThreadScope::WorkerThreadScope() : m_counter(ThreadCounterHolder.CountIn())
{
    if (!m_counter)
        throw MSmartPtrError();
}

WorkerThreadScope::~WorkerThreadScope() { m_counter->Decrement(); }

MHandle StartCountedThread(LPTHREAD_START_ROUTINE procedure, void* parameter, ThreadStart start)
{
    return StartCounted(std::unique_ptr<CountedStart>(new CountedStart{procedure, parameter, nullptr, nullptr}),
                        start == ThreadStart::Suspended ? CREATE_SUSPENDED : 0);
}

MHandle StartCountedThread(LPTHREAD_START_ROUTINE procedure, std::shared_ptr<void> shared)
{
    void* parameter = shared.get();
    return StartCounted(
        std::unique_ptr<CountedStart>(new CountedStart{procedure, parameter, std::move(shared), nullptr}), 0);
}
