// The session code the server issues with every media or document slide:
// held encrypted in memory, and handed back to the server with a "Clean Up"
// request on "set-cd.aspx" as soon as it is no longer needed.
#pragma once

#include "crypto/CryptBase.h"

// The encrypted code (AES-CBC under the auth-code key); empty when no code
// is held. Not copyable: every holder releases its own code once.
class inet_authentication_data : public MemoryPH<unsigned char>
{
public:
    inet_authentication_data() = default;
    inet_authentication_data(const inet_authentication_data&) = delete;
    inet_authentication_data& operator=(const inet_authentication_data&) = delete;
    // A held code goes back to the server on the destroying thread before
    // the destructor returns, so that a program that ends gives it back.
    ~inet_authentication_data() override;

    // When a code is held, sends a copy of it to the server: on a new thread
    // when asynchronous (counted in the ThreadCounter before the thread
    // starts, so that the exit waits for it), else on this one before
    // returning. The held code stays; callers empty it afterwards.
    void Release(bool asynchronous) const;
    // Stores the plain code encrypted under the auth-code key.
    void StoreCode(const MAtom<unsigned char>& plainCode);
    // Takes over other's code (other is emptied); the own code must have been
    // released before.
    void TakeOver(inet_authentication_data& other);
};

// The code encrypted and decrypted under the auth-code key, which is built
// anew for every call from the product name, the product code and the
// address of "set-cd.aspx" and wiped afterwards.
void EncryptAuthCode(const MAtom<unsigned char>& plain, MAtom<unsigned char>& cipher);
void DecryptAuthCode(const MAtom<unsigned char>& cipher, MAtom<unsigned char>& plain);
// The held code (encrypted under the auth-code key; may be empty) as the
// server reads it: encrypted under the server-request key. An empty code
// gives one block of padding.
void AuthCodeForServer(const MAtom<unsigned char>& held, MAtom<unsigned char>& wire);

// The Clean Up request for an encrypted code on the heap, which it owns and
// frees: thread procedure and plain function at once. Counted in the
// ThreadCounter while it runs; every failure is swallowed. Answers 0.
DWORD WINAPI CleanUpSessionRequest(LPVOID encryptedCode);

// Header names and values of the Clean Up request.
extern const wchar_t CleanUpTaskNameHeader[];
extern const wchar_t CleanUpTaskVersionHeader[];
extern const wchar_t AuthCodeHeader[];
