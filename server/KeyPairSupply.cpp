#include "server/KeyPairSupply.h"

#include "foundation/Handle.h"
#include "foundation/Sync.h"
#include "core/ThreadCounter.h"

#include <algorithm>
#include <vector>

struct KeyPairSupply::State
{
    State(unsigned bits, unsigned count) : bits(bits), count(count) {}

    // The length of the next pair to make, or 0 when enough are ready.
    unsigned NextBits()
    {
        const Lock hold(lock);
        return ready.size() < count ? bits : 0;
    }
    void Add(std::unique_ptr<MACrypt> pair)
    {
        const Lock hold(lock);
        ready.push_back(std::move(pair));
    }
    void Finish()
    {
        const Lock hold(lock);
        making = false;
        SetEvent(idle);
    }

    CriticalSection lock;
    std::vector<std::unique_ptr<MACrypt>> ready;
    unsigned bits;
    const unsigned count;
    bool making = false;
    // Set while no pair is being made (manual reset).
    MHandle idle{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
};

KeyPairSupply::KeyPairSupply(unsigned bits, unsigned count) : m_state(std::make_shared<State>(bits, count)) {}

KeyPairSupply::~KeyPairSupply() = default;

void KeyPairSupply::PrepareNext()
{
    {
        const Lock hold(m_state->lock);
        if (m_state->making || m_state->ready.size() >= m_state->count)
            return;
        m_state->making = true;
        ResetEvent(m_state->idle);
    }
    // The thread shares the state: it may outlive this object. Without a
    // thread counter the program is ending and nothing starts.
    if (!StartCountedThread(MakeAhead, std::shared_ptr<void>(m_state)).IsValid())
        m_state->Finish();
}

DWORD WINAPI KeyPairSupply::MakeAhead(LPVOID argument)
{
    State& state = *static_cast<State*>(argument);
    // The slide on screen comes first.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    try
    {
        for (unsigned bits = state.NextBits(); bits; bits = state.NextBits())
            state.Add(MakeKeyPair(bits));
    }
    catch (...)
    {
        // Nothing more made: the worker makes its own pairs and sees why.
    }
    state.Finish();
    return 0;
}

std::unique_ptr<MACrypt> KeyPairSupply::Take(HANDLE stop) { return TakeOfLength(0, stop); }

std::unique_ptr<MACrypt> KeyPairSupply::Take(unsigned bits, HANDLE stop) { return TakeOfLength(bits, stop); }

std::unique_ptr<MACrypt> KeyPairSupply::TakeOfLength(unsigned bits, HANDLE stop)
{
    const HANDLE waits[] = {m_state->idle, stop};
    if (WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, INFINITE) != WAIT_OBJECT_0)
        return nullptr;
    {
        const Lock hold(m_state->lock);
        std::vector<std::unique_ptr<MACrypt>>& ready = m_state->ready;
        if (bits)
            m_state->bits = bits;
        else
            bits = m_state->bits;
        ready.erase(std::remove_if(ready.begin(), ready.end(),
                                   [bits](const std::unique_ptr<MACrypt>& pair) {
                                       return pair->GetKeyLength().Bits() != bits;
                                   }),
                    ready.end());
        if (!ready.empty())
        {
            std::unique_ptr<MACrypt> pair = std::move(ready.back());
            ready.pop_back();
            return pair;
        }
    }
    return MakeKeyPair(bits);
}

bool KeyPairSupply::WaitUntilReady(DWORD timeoutMs) const
{
    if (WaitForSingleObject(m_state->idle, timeoutMs) != WAIT_OBJECT_0)
        return false;
    const Lock hold(m_state->lock);
    return !m_state->ready.empty();
}

std::unique_ptr<MACrypt> MakeKeyPair(unsigned bits)
{
    return std::make_unique<MACrypt>(PROV_RSA_FULL, EnhancedRsaFullProviderName, MAsymmetric::KeyLength(bits), 0,
                                     MACrypt::Chained);
}

KeyPairSupply& DownloadClientKeys()
{
    static KeyPairSupply supply(DownloadClientKeyBits, 1);
    return supply;
}

KeyPairSupply& SessionKeyPairs()
{
    static KeyPairSupply supply(NominalServerKeyBits, 2);
    return supply;
}

void PrepareNextWorkerKeyPairs()
{
    DownloadClientKeys().PrepareNext();
    SessionKeyPairs().PrepareNext();
}
