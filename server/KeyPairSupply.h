// RSA key pairs of the online slide's road, made ahead. Every download
// worker needs a new 2048-bit key-exchange pair, and its session exchange
// two more of the server key's length (one that holds the server's key once
// imported, one of its own); making them takes a good part of a second. So
// while the slide before is shown, a thread of its own makes the next
// worker's pairs, which that worker then takes ready. A pair is handed out
// once and serves one worker only; what goes to the server does not change.
#pragma once

#include "crypto/ACrypt.h"

#include <windows.h>

#include <memory>

class KeyPairSupply
{
public:
    // Keeps up to count pairs of the given length ready.
    KeyPairSupply(unsigned bits, unsigned count);
    KeyPairSupply(const KeyPairSupply&) = delete;
    KeyPairSupply& operator=(const KeyPairSupply&) = delete;
    // Pairs still being made are finished by their thread, which shares the
    // supply's state, and freed with it.
    ~KeyPairSupply();

    // Starts making pairs on a thread of its own until count are ready,
    // counted by the ThreadCounter from here on, unless they are being made
    // already or the process has no ThreadCounter (any more).
    void PrepareNext();

    // A pair of the length the supply makes: one made ahead, waiting while
    // pairs are being made, or, without one, a pair made now on the calling
    // thread (MCryptException when that fails). Null when the stop event
    // (which may be null) ends the wait.
    std::unique_ptr<MACrypt> Take(HANDLE stop);
    // The same for a pair of the given length. Pairs of another length are
    // dropped, and the supply makes pairs of this length from then on.
    std::unique_ptr<MACrypt> Take(unsigned bits, HANDLE stop);

    // Waits until no pair is being made, at most timeoutMs; true when a pair
    // is ready to be taken.
    bool WaitUntilReady(DWORD timeoutMs) const;

private:
    struct State;
    static DWORD WINAPI MakeAhead(LPVOID state);
    // bits 0: the length the supply makes.
    std::unique_ptr<MACrypt> TakeOfLength(unsigned bits, HANDLE stop);

    std::shared_ptr<State> m_state;
};

// A new key-exchange pair as the slide's road uses them: on the "Microsoft
// Enhanced Cryptographic Provider v1.0", PKCS#1 v1.5 padding, blocks chained.
std::unique_ptr<MACrypt> MakeKeyPair(unsigned bits);

// The download worker's own pair: 2048 bits, one per worker.
constexpr unsigned DownloadClientKeyBits = 2048;
KeyPairSupply& DownloadClientKeys();

// The session exchange's two pairs, of the server key's length (nominally
// 1024 bits, before the first server key is seen): one holds the server's
// key once it is imported over the pair's own, the other is the exchange's
// client key.
constexpr unsigned NominalServerKeyBits = 1024;
KeyPairSupply& SessionKeyPairs();

// Starts making the next worker's pairs of both supplies.
void PrepareNextWorkerKeyPairs();
