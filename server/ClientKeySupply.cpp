#include "server/ClientKeySupply.h"

#include "foundation/Handle.h"
#include "foundation/Sync.h"
#include "shell/core/ThreadCounter.h"

namespace
{
constexpr unsigned ClientKeyBits = 2048;
}

// What the making thread gets: the supply's state, and the thread counter
// that counted it in before it started, so that the program's exit waits
// for it from the start.
struct ClientKeySupply::Making
{
    std::shared_ptr<State> state;
    ThreadCounter* counter;
};

struct ClientKeySupply::State
{
    // Stores what the making thread made (null when it made nothing) and
    // marks the making as over.
    void Finish(std::unique_ptr<MACrypt> pair)
    {
        const Lock hold(lock);
        ready = std::move(pair);
        making = false;
        SetEvent(idle);
    }

    CriticalSection lock;
    std::unique_ptr<MACrypt> ready;
    bool making = false;
    // Set while no pair is being made (manual reset).
    MHandle idle{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
};

ClientKeySupply::ClientKeySupply() : m_state(std::make_shared<State>()) {}

ClientKeySupply::~ClientKeySupply() = default;

void ClientKeySupply::PrepareNext()
{
    // Without a thread counter the program is ending: nothing is started.
    if (ThreadCounterHolder.IsEmpty())
        return;
    // The thread shares the state: it may outlive this object.
    auto making = std::make_unique<Making>(Making{m_state, &ThreadCounterHolder.Get()});
    {
        const Lock hold(m_state->lock);
        if (m_state->ready || m_state->making)
            return;
        m_state->making = true;
        ResetEvent(m_state->idle);
    }
    making->counter->Increment();
    HANDLE thread = CreateThread(nullptr, 0, MakeAhead, making.get(), 0, nullptr);
    if (!thread)
    {
        making->counter->Decrement();
        m_state->Finish(nullptr);
        return;
    }
    making.release();
    CloseHandle(thread);
}

DWORD WINAPI ClientKeySupply::MakeAhead(LPVOID argument)
{
    const std::unique_ptr<Making> making(static_cast<Making*>(argument));
    // The slide on screen comes first.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    std::unique_ptr<MACrypt> pair;
    try
    {
        pair = MakeClientKeyPair();
    }
    catch (...)
    {
        // Nothing made: the next worker makes its own pair and sees why.
    }
    making->state->Finish(std::move(pair));
    // A supply that went meanwhile leaves its state to this thread: it goes
    // before the thread counts out.
    making->state.reset();
    making->counter->Decrement();
    return 0;
}

std::unique_ptr<MACrypt> ClientKeySupply::Take(HANDLE stop)
{
    const HANDLE waits[] = {m_state->idle, stop};
    if (WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, INFINITE) != WAIT_OBJECT_0)
        return nullptr;
    {
        const Lock hold(m_state->lock);
        if (m_state->ready)
            return std::move(m_state->ready);
    }
    return MakeClientKeyPair();
}

bool ClientKeySupply::WaitUntilReady(DWORD timeoutMs) const
{
    if (WaitForSingleObject(m_state->idle, timeoutMs) != WAIT_OBJECT_0)
        return false;
    const Lock hold(m_state->lock);
    return m_state->ready != nullptr;
}

std::unique_ptr<MACrypt> MakeClientKeyPair()
{
    return std::make_unique<MACrypt>(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(ClientKeyBits),
                                     0, MACrypt::Chained);
}

ClientKeySupply& DownloadClientKeys()
{
    static ClientKeySupply supply;
    return supply;
}
