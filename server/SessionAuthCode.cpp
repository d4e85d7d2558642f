#include "server/SessionAuthCode.h"

#include "crypto/AesCipher.h"
#include "foundation/SystemUtilities.h"
#include "server/HttpTransport.h"
#include "server/ServerPages.h"
#include "server/SlideSession.h"
#include "core/ProgramObjects.h"
#include "core/ThreadCounter.h"

#include <cstring>
#include <memory>

const wchar_t CleanUpTaskNameHeader[] = L"Velmora-LV-DB-Task-Name";
const wchar_t CleanUpTaskVersionHeader[] = L"Velmora-LV-DB-Task-Version";
const wchar_t AuthCodeHeader[] = L"Velmora-LV-Auth-Code";

namespace
{
MAAuthenticator Sha512Hasher()
{
    return MAAuthenticator(PROV_RSA_AES, RsaAesProviderName(), MAsymmetric::KeyLength(512),
                           MAAuthenticator::MAAuthAlgHash(CALG_SHA_512));
}

// The UTF-16 bytes, NUL included, of the product name, the product code
// and the Clean Up address joined.
SecureBytes AuthCodeSecret()
{
    const MStringEx<wchar_t> joined = MStringEx<wchar_t>(ProductName) + MStringEx<wchar_t>(ProductCode) +
                                      GetServerPageUrl(PageCleanUp);
    SecureBytes secret(joined.GetCount() * sizeof(wchar_t));
    std::memcpy(secret.GetData(), joined.GetData(), static_cast<size_t>(secret.GetCount()));
    return secret;
}

std::unique_ptr<AesCipher> AuthCodeCipher(const MAAuthenticator& hasher)
{
    SecureBytes secret = AuthCodeSecret();
    return std::make_unique<AesCipher>(hasher, secret);
}

// The code's Clean Up with every failure swallowed: crypto, network or
// server, the code is simply forgotten. The code is wiped afterwards.
void SendCleanUpQuietly(MemoryPH<unsigned char>& code);

// An asynchronous Clean Up: the thread owns its copy of the code. It is
// counted in before it starts, so that the exit's wait for the workers cannot
// end before the request has gone out.
DWORD WINAPI CleanUpThread(LPVOID argument)
{
    const std::unique_ptr<MemoryPH<unsigned char>> code(static_cast<MemoryPH<unsigned char>*>(argument));
    SendCleanUpQuietly(*code);
    return 0;
}

void StartCleanUp(const MAtom<unsigned char>& code, bool asynchronous)
{
    auto job = std::make_unique<MemoryPH<unsigned char>>(code);
    if (asynchronous && StartCountedThread(CleanUpThread, job.get()).IsValid())
    {
        // The thread owns the job.
        job.release();
        return;
    }
    // Synchronous, the program ending, or no thread: the request goes out on
    // this thread.
    CleanUpSessionRequest(job.release());
}

void SendCleanUp(const MAtom<unsigned char>& encrypted)
{
    SecureBytes wire;
    AuthCodeForServer(encrypted, wire);

    HeaderList headers;
    headers.Add(CleanUpTaskNameHeader, L"Clean Up");
    headers.Add(CleanUpTaskVersionHeader, L"1");
    headers.Add(AuthCodeHeader, HexHeaderValue(wire));
    const MStringEx<wchar_t> agent(sX::Format(), L"%s %s", ProductName,
                                   MStringEx<wchar_t>(L"ProductVersion", nullptr).GetText());
    MemoryPH<unsigned char> answer;
    // A short limit: the answer is not read for anything.
    const unsigned __int64 limit = 64 * 1024;
    HttpGetWithHeaders(GetServerPageUrl(PageCleanUp), headers, agent, answer, &limit, nullptr);
}
} // namespace

void AuthCodeForServer(const MAtom<unsigned char>& held, MAtom<unsigned char>& wire)
{
    const MAAuthenticator hasher = Sha512Hasher();
    SecureBytes plain;
    if (held.GetCount() != 0)
        AuthCodeCipher(hasher)->DecryptCbc(held, plain, true);
    // On the wire the code travels under the server-request key.
    SecureBytes serverSecret;
    CreateServerSessionCrypto(serverSecret, hasher);
    const AesCipher serverCipher(hasher, serverSecret);
    serverCipher.EncryptCbc(plain, wire);
}

void EncryptAuthCode(const MAtom<unsigned char>& plain, MAtom<unsigned char>& cipher)
{
    AuthCodeCipher(Sha512Hasher())->EncryptCbc(plain, cipher);
}

void DecryptAuthCode(const MAtom<unsigned char>& cipher, MAtom<unsigned char>& plain)
{
    AuthCodeCipher(Sha512Hasher())->DecryptCbc(cipher, plain, true);
}

inet_authentication_data::~inet_authentication_data()
{
    try
    {
        Release(false);
    }
    catch (...)
    {
        // A code that cannot be handed over is forgotten.
    }
}

void inet_authentication_data::Release(bool asynchronous) const
{
    if (!IsEmpty())
        StartCleanUp(*this, asynchronous);
}

void inet_authentication_data::StoreCode(const MAtom<unsigned char>& plainCode)
{
    SecureBytes cipher;
    EncryptAuthCode(plainCode, cipher);
    Assign(cipher);
}

void inet_authentication_data::TakeOver(inet_authentication_data& other)
{
    Swap(other);
    other.Clear();
}

namespace
{
void SendCleanUpQuietly(MemoryPH<unsigned char>& code)
{
    try
    {
        SendCleanUp(code);
    }
    catch (...)
    {
        // Crypto, network or server: the code is simply forgotten.
    }
    AtomDetail::SecureZero(code.GetData(), code.GetCount());
}
} // namespace

DWORD WINAPI CleanUpSessionRequest(LPVOID encryptedCode)
{
    std::unique_ptr<MemoryPH<unsigned char>> code(static_cast<MemoryPH<unsigned char>*>(encryptedCode));
    try
    {
        const WorkerThreadScope counted;
        SendCleanUpQuietly(*code);
        return 0;
    }
    catch (...)
    {
        // No ThreadCounter (any more): the request still goes out.
    }
    SendCleanUpQuietly(*code);
    return 0;
}
