// The download worker's client key pair, made ahead. Every worker needs a
// new 2048-bit RSA key-exchange key pair, and making one takes a good part
// of a second; so while the slide before is shown, a thread of its own makes
// the next worker's pair, which that worker then takes ready. A pair is
// handed out once and serves one worker only; what goes to the server does
// not change.
#pragma once

#include "crypto/ACrypt.h"

#include <windows.h>

#include <memory>

class ClientKeySupply
{
public:
    ClientKeySupply();
    ClientKeySupply(const ClientKeySupply&) = delete;
    ClientKeySupply& operator=(const ClientKeySupply&) = delete;
    // A pair still being made is finished by its thread, which shares the
    // supply's state, and freed with it.
    ~ClientKeySupply();

    // Starts making the next pair on a thread of its own, counted by the
    // ThreadCounter from here on, unless a pair is ready or being made
    // already, or the process has no ThreadCounter (any more).
    void PrepareNext();

    // The pair made ahead, waiting for it while it is being made, or, without
    // one, a pair made now on the calling thread (MCryptException when that
    // fails). Null when the stop event (which may be null) ends the wait.
    std::unique_ptr<MACrypt> Take(HANDLE stop);

    // Waits until no pair is being made, at most timeoutMs; true when a pair
    // is ready to be taken.
    bool WaitUntilReady(DWORD timeoutMs) const;

private:
    struct State;
    struct Making;
    static DWORD WINAPI MakeAhead(LPVOID making);

    std::shared_ptr<State> m_state;
};

// A new client key pair as the download worker uses it: 2048 bits on the
// "Microsoft Enhanced Cryptographic Provider v1.0", PKCS#1 v1.5 padding,
// blocks chained.
std::unique_ptr<MACrypt> MakeClientKeyPair();

// The supply that the download workers share.
ClientKeySupply& DownloadClientKeys();
